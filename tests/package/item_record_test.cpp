#include "package/item_record.hpp"

#include <gtest/gtest.h>

#include "support/gbk.hpp"
#include "support/xml_document.hpp"

namespace tessaly {
namespace {

// An answer with two SKUs: price 10, quantity 5, no outer id, properties P1; and price 12,
// quantity 3, outer id A1, properties P2.
XmlDocument answer(const std::string& itemExtra = "") {
  XmlDocument doc;
  doc.loadBytes("<?xml version=\"1.0\" encoding=\"utf-8\"?><item_get_response><item>"
                "<title>QQ 12345 &amp; 衬衫</title><price>30</price><num>8</num>"
                "<freight_payer>seller</freight_payer><props>1:2</props>"
                "<desc>&lt;p&gt;加 QQ 12345,&quot;好&quot;&lt;/p&gt;\r\n</desc>"
                "<skus><sku><price>10</price><quantity>5</quantity><properties>P1</properties></sku>"
                "<sku><price>12</price><quantity>3</quantity><outer_id>A1</outer_id><properties>P2</properties></sku>"
                "</skus>" + itemExtra + "</item></item_get_response>");
  return doc;
}

TEST(AssembleItemRecord, MappingsSkusAndProgressLines) {
  RecordSettings settings;
  settings.unifyStock = true;
  settings.stockValue = "100";
  std::vector<std::string> lines;
  ItemRecord r;
  assembleItemRecord(answer(), "77", settings, {2, 3, 9}, [&](const std::string& l) { lines.push_back(l); }, r);
  EXPECT_EQ(r.itemId, "77");
  EXPECT_EQ(r.title, gbk("QQ 12345   衬衫"));
  EXPECT_EQ(r.skus, "10:100::P1;12:100:A1:P2;;");
  EXPECT_EQ(r.num, "200") << "the item's stock is the sum of its SKUs'";
  EXPECT_EQ(r.freight_payer, "1");
  EXPECT_EQ(r.approve_status, "100");
  EXPECT_EQ(r.has_warranty, "0");
  EXPECT_EQ(r.props, "1:2;");
  EXPECT_EQ(r.property_alias, ";");
  EXPECT_EQ(r.desc, gbk("<p>加 QQ 12345，\"\"好\"\"</p>"));
  EXPECT_EQ(lines, (std::vector<std::string>{gbk("线程：2  开始获取 第：3/9 个宝贝   基本信息！\r\n"),
                                             gbk("线程：2  获取成功 第：3/9 个宝贝   基本信息！\r\n"),
                                             gbk("线程：2  开始获取 第：3/9  个宝贝   描述信息！\r\n"),
                                             gbk("线程：2  成功获取 第：3/9  个宝贝   描述信息！\r\n")}));
}

TEST(AssembleItemRecord, PricesDecimalsAndReplacements) {
  RecordSettings settings;
  settings.adjustPrice = true;
  settings.pricePercent = "50";
  settings.priceDecimals = "";
  settings.packageVersion = 4;
  settings.replacements[0] = {"12345", "67890"};
  settings.replacements[1] = {"", "ignored"};
  settings.replacements[2] = {gbk("\"好\""), gbk("\"妙\"")};
  ItemRecord r;
  assembleItemRecord(answer(), "1", settings, {1, 1, 1}, [](const std::string&) {}, r);
  EXPECT_EQ(r.price, "15");
  EXPECT_EQ(r.skus, "5:5::P1;6:3:A1:P2;;");
  EXPECT_EQ(r.num, "8") << "stock untouched without unifyStock";
  EXPECT_EQ(r.freight_payer, "2");
  EXPECT_EQ(r.title, gbk("QQ 67890   衬衫"));
  EXPECT_EQ(r.desc, gbk("<p>加 QQ 67890，\"\"妙\"\"</p>"));

  settings.pricePercent = "33.3";
  settings.priceDecimals = "1";
  assembleItemRecord(answer(), "1", settings, {1, 1, 1}, [](const std::string&) {}, r);
  EXPECT_EQ(r.price, "10");  // 9.99 rounded to one place
  EXPECT_EQ(r.skus, "3.3:5::P1;4:3:A1:P2;;");
}

TEST(AssembleItemRecord, AnAnswerWithoutAnItemGivesAnEmptyTitle) {
  XmlDocument error;
  error.loadBytes("<error_response><code>7</code><msg>App Call Limited</msg></error_response>");
  ItemRecord r;
  assembleItemRecord(error, "1", {}, {1, 1, 1}, [](const std::string&) {}, r);
  EXPECT_EQ(r.title, "");
  EXPECT_EQ(r.skus, ";");
  EXPECT_EQ(r.props, ";");
}

}  // namespace
}  // namespace tessaly
