#include "openapi/signing.hpp"

#include <gtest/gtest.h>

#include "support/md5.hpp"

namespace tessaly {
namespace {

TEST(Signing, PublishedVectors) {
  // The platform's own examples, reproduced through the composer's rule.
  const std::string one = composeSignedUrl(
      "http://gw", "12345678", "helloworld", "test", "json", "md5", "taobao.item.seller.get",
      {{"fields", "num_iid,title,nick,price,num"}, {"num_iid", "11223344"}}, "2016-01-01 12:00:00");
  EXPECT_TRUE(one.ends_with("&sign=66987CB115214E59E6EC978214934FB8")) << one;
  const std::string two = composeSignedUrl("http://gw", "test", "test", "test", "xml", "md5",
                                           "taobao.user.seller.get", {{"fields", "nick"}},
                                           "2013-05-06 13:52:03");
  EXPECT_TRUE(two.ends_with("&sign=72CB4D809B375A54502C09360D879C64")) << two;
}

TEST(Signing, ItemRequestShape) {
  EXPECT_EQ(itemFieldList.size(), 352u);
  EXPECT_EQ(itemFieldList.back(), ' ');
  const std::string url = buildItemGetUrl("http://gw.example", "123", "K", "S", "2013-05-06 07:08:09");
  const std::string query =
      "app_key=K&fields=" + itemFieldList +
      "&format=xml&method=taobao.item.get&num_iid=123&sign_method=md5&timestamp=2013-05-06 07:08:09&v=2.0";
  const std::string signedText = "Sapp_keyKfields" + itemFieldList +
                                 "formatxmlmethodtaobao.item.getnum_iid123sign_methodmd5"
                                 "timestamp2013-05-06 07:08:09v2.0S";
  EXPECT_EQ(url, "http://gw.example/router/rest?" + query + "&sign=" + md5HexUpper(signedText));
  EXPECT_NE(url.find("has_warranty &format=xml"), std::string::npos);

  // Another secret changes the signature and nothing else.
  const std::string other = buildItemGetUrl("http://gw.example", "123", "K", "T", "2013-05-06 07:08:09");
  EXPECT_EQ(other.substr(0, other.size() - 32), url.substr(0, url.size() - 32));
  EXPECT_NE(other, url);
  // An empty item id drops num_iid; an empty key or secret gives nothing.
  EXPECT_EQ(buildItemGetUrl("http://gw", "", "K", "S", "t").find("num_iid"), std::string::npos);
  EXPECT_EQ(buildItemGetUrl("http://gw", "1", "", "S", "t"), "");
  EXPECT_EQ(buildItemGetUrl("http://gw", "1", "K", "", "t"), "");
}

TEST(Signing, ParameterOrderDoesNotMatter) {
  const std::vector<ApiParam> a = {{"b", "2"}, {"a", "1"}, {"ab", "3"}};
  const std::vector<ApiParam> b = {{"ab", "3"}, {"b", "2"}, {"a", "1"}};
  EXPECT_EQ(composeSignedUrl("g", "k", "s", "", "", "", "m", a, "t"),
            composeSignedUrl("g", "k", "s", "", "", "", "m", b, "t"));
}

TEST(Signing, TimestampHasLeadingZeros) {
  std::tm t{};
  t.tm_year = 113, t.tm_mon = 4, t.tm_mday = 6, t.tm_hour = 7, t.tm_min = 8, t.tm_sec = 9;
  EXPECT_EQ(apiTimestamp(t), "2013-05-06 07:08:09");
  t.tm_hour = 0, t.tm_min = 0, t.tm_sec = 0;
  EXPECT_EQ(apiTimestamp(t), "2013-05-06 00:00:00");
  EXPECT_EQ(apiTimestampNow().size(), 19u);
}

}  // namespace
}  // namespace tessaly
