#include "package/package_format.hpp"

#include <gtest/gtest.h>

#include "common/csv_reader.hpp"
#include "support/gbk.hpp"

namespace tessaly {
namespace {

using testing::readCsv;

ItemRecord sampleRecord() {
  ItemRecord r;
  r.itemId = "1234567";
  r.title = gbk("女士 \"潮\" 衬衫, 长袖");
  r.cid = "50000671";
  r.seller_cids = ",123,";
  r.state = gbk("浙江");
  r.city = gbk("杭州");
  r.price = "21.89";
  r.num = "100";
  r.valid_thru = "7";
  r.freight_payer = "2";
  r.ems_fee = "20.00";
  r.express_fee = "10.00";
  r.post_fee = "5.00";
  r.list_time = "2011-12-01 10:00:00";
  r.props = "20000:3275069;";
  r.modified = "2011-12-02 10:00:00";
  r.approve_status = "200";
  r.has_warranty = "1";
  r.skus = "10:100::1627207:28320;;";
  r.outer_id = "A1";
  r.property_alias = "1627207:28320:red;";
  // Decoded descriptions hold their quotes doubled already, and may hold a lone LF.
  r.desc = gbk("<p class=\"\"x\"\">好|*|货，\n包邮</p>");
  r.pictureList = mainPictureEntry("0123456789abcdef0123456789abcdef", 0, 5);
  return r;
}

TEST(PackageFormat, HeadersAreExact) {
  const std::string h4 = packageHeader(4);
  EXPECT_EQ(h4.substr(h4.size() - 3), " \r\n");
  EXPECT_EQ(readCsv(h4).at(0).size(), 46u);

  const auto h5 = readCsv(packageHeader(5));
  ASSERT_EQ(h5.size(), 3u);
  EXPECT_EQ(h5[0].size(), 44u);
  EXPECT_EQ(packageHeader(5).substr(0, 12 + 43 + 2), "version 1.00" + std::string(43, ',') + "\r\n");
  EXPECT_EQ(h5[1].size(), 44u);
  EXPECT_EQ(h5[1][0], "title");
  EXPECT_EQ(h5[2].size(), 44u);
  EXPECT_EQ(h5[2][43], gbk("食品专项"));
}

TEST(PackageFormat, RowsReadBackWithFullFieldCountAndValues) {
  const ItemRecord r = sampleRecord();
  for (int version : {4, 5}) {
    SCOPED_TRACE(version);
    const std::string row = packageRow(r, version, "mall.example");
    ASSERT_EQ(row.substr(row.size() - 2), "\r\n");
    const auto records = readCsv(row);
    ASSERT_EQ(records.size(), 1u);
    const auto& f = records[0];
    ASSERT_EQ(f.size(), version == 4 ? 46u : 44u);
    EXPECT_EQ(f[0], r.title);  // quote and comma survive
    EXPECT_EQ(f[2], ",123,");
    EXPECT_EQ(f[version == 4 ? 24 : 20], gbk("<p class=\"x\">好|*|货，\n包邮</p>"));
    EXPECT_EQ(f[version == 4 ? 35 : 28], r.pictureList);
  }
  const auto f4 = readCsv(packageRow(r, 4, "mall.example"))[0];
  EXPECT_EQ(f4[41], "1627207:28320:red;;");
  EXPECT_EQ(f4[43], "1234567");
  EXPECT_EQ(f4[44], "1234567");
  EXPECT_EQ(f4[45], "http://mall.example/item.htm?id=1234567&");
  const auto f5 = readCsv(packageRow(r, 5, "mall.example"))[0];
  EXPECT_EQ(f5[34], "1627207:28320:red;");
  EXPECT_EQ(f5[36], "1234567");
}

TEST(PackageFormat, RowBytesForPlainRecord) {
  ItemRecord r;
  r.itemId = "7";
  r.title = "T";
  r.price = "9.5";
  r.props = ";";
  r.skus = ";";
  r.property_alias = ";";
  r.freight_payer = "0";
  r.approve_status = "100";
  r.has_warranty = "0";
  EXPECT_EQ(packageRow(r, 5, "m"),
            "\"T\",,\"\",1,\"\",\"\",1,9.5,0,,,0,,,,0,0,1,0,\"\",\"\",\";\",0,0,\"\",100,,0,"
            "\"\",\"\",\";\",\"\",\"\",\"\",\";\",0,7,0,2,,1,0,0,\r\n");
  EXPECT_EQ(packageRow(r, 4, "m"),
            "\"T\",,\"\",0,\"\",\"\",\"1\",9.5,0,,,0,,,,,,0,0,1,0,1,\"\",,\"\",,\";\",,,0,0,\"\","
            "100,,0,\"\",\"\",\";\",\"\",\"\",\"\",\";;\",0,\"7\",7,\"http://m/item.htm?id=7&\"\r\n");
}

TEST(PackageFormat, PictureEntries) {
  EXPECT_EQ(mainPictureEntry("n", 3, 4), "n:0:3:|;");
  EXPECT_EQ(mainPictureEntry("n", 0, 5), "n:1:0:|;");
  EXPECT_EQ(propertyPictureEntry("n", "1627207:28320", 4), "n:1:0:1627207:28320|;");
  EXPECT_EQ(propertyPictureEntry("n", "1627207:28320", 5), "n:2:0:1627207:28320|;");
}

}  // namespace
}  // namespace tessaly
