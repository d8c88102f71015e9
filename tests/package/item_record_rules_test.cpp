#include <gtest/gtest.h>

#include "package/item_record.hpp"
#include "support/gbk.hpp"

namespace tessaly {
namespace {

TEST(ItemRecordRules, TitleCleanUp) {
  struct Case {
    const char* in;
    const char* out;
  } cases[] = {
      {"A&amp;B", "A B"},         {"x amp; y", "x  y"},     {"it&apos;s", "it's"},
      {"a*b|c<d>e.f?g", "a b c d e f g"}, {"19.9", "19 9"}, {"plain", "plain"},
  };
  for (const auto& c : cases) EXPECT_EQ(cleanTitle(c.in), c.out) << c.in;
  EXPECT_EQ(cleanTitle(gbk("女装 T恤")), gbk("女装 T恤"));
}

TEST(ItemRecordRules, DescriptionDecoding) {
  EXPECT_EQ(decodeDescription("a,b&quot;c&quot;&lt;p&gt;&amp;nbsp;x&amp;y&apos;\r\nz\nw"),
            gbk("a，b\"\"c\"\"<p> x&amp;y&apos;z\nw"));
  // Plain quotes are doubled like entity ones, ready for the quoted field.
  EXPECT_EQ(decodeDescription("<img src=\"u\">"), "<img src=\"\"u\"\">");
}

TEST(ItemRecordRules, Mappings) {
  EXPECT_EQ(mapFreightPayer("seller", 4), "2");
  EXPECT_EQ(mapFreightPayer("seller", 5), "1");
  EXPECT_EQ(mapFreightPayer("buyer", 4), "1");
  EXPECT_EQ(mapFreightPayer("buyer", 5), "2");
  EXPECT_EQ(mapFreightPayer("", 5), "0");
  EXPECT_EQ(mapFreightPayer("other", 4), "other");
  EXPECT_EQ(mapApproveStatus(""), "100");
  EXPECT_EQ(mapApproveStatus("onsale"), "200");
  EXPECT_EQ(mapApproveStatus("instock"), "instock");
  EXPECT_EQ(mapWarranty("true"), "1");
  EXPECT_EQ(mapWarranty("false"), "0");
  EXPECT_EQ(mapWarranty(""), "0");
  EXPECT_EQ(terminateProps(""), ";");
  EXPECT_EQ(terminateProps("1:2"), "1:2;");
  EXPECT_EQ(terminateProps("1:2;"), "1:2;;");
  EXPECT_EQ(terminateProps(";1:2"), ";1:2");
}

TEST(ItemRecordRules, PriceAdjustment) {
  struct Case {
    const char* price;
    const char* percent;
    const char* decimals;
    const char* out;
  } cases[] = {
      {"19.9", "110", "", "21.89"},  {"12.5", "80", "", "10"},    {"30", "50", "", "15"},
      {"abc", "110", "", "0"},       {"10", "x", "", "0"},        {"2.675", "100", "2", "2.68"},
      {"19.99", "110", "0", "22"},   {"-2.5", "100", "0", "-3"},  {"19.99", "110", "7", "21.989"},
      {"19.99", "110", "a", "21.989"}, {"1.005", "100", "2", "1.01"},
  };
  for (const auto& c : cases) {
    RecordSettings s;
    s.adjustPrice = true;
    s.pricePercent = c.percent;
    s.priceDecimals = c.decimals;
    EXPECT_EQ(adjustPriceText(c.price, s), c.out) << c.price << " " << c.percent << " " << c.decimals;
  }
}

}  // namespace
}  // namespace tessaly
