// The simulated REST gateway checks requests as the platform does and answers in the
// shapes the client reads.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include "sim/sim_test_support.hpp"
#include "openapi/signing.hpp"
#include "support/xml_document.hpp"

namespace tessaly::sim {
namespace {

using testing::get;
using testing::itemGetTarget;

TEST(SimSignature, MatchesThePlatformsPublishedExamples) {
  const QueryParams first = {{"app_key", "12345678"}, {"fields", "num_iid,title,nick,price,num"},
                             {"format", "json"}, {"method", "taobao.item.seller.get"},
                             {"num_iid", "11223344"}, {"session", "test"}, {"sign_method", "md5"},
                             {"timestamp", "2016-01-01 12:00:00"}, {"v", "2.0"}};
  EXPECT_EQ(signatureOf(first, "helloworld"), "66987CB115214E59E6EC978214934FB8");
  // Order, "sign" and empty values do not enter the signature.
  const QueryParams second = {{"v", "2.0"}, {"sign", "X"}, {"timestamp", "2013-05-06 13:52:03"},
                              {"session", "test"}, {"method", "taobao.user.seller.get"},
                              {"fields", "nick"}, {"format", "xml"}, {"app_key", "test"},
                              {"sign_method", "md5"}, {"num_iid", ""}};
  EXPECT_EQ(signatureOf(second, "test"), "72CB4D809B375A54502C09360D879C64");
}

class SimGateway : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim.start()); }
  XmlDocument answer(const std::string& target) {
    const auto reply = get(sim, "gw", target);
    EXPECT_EQ(reply.status, 200);
    pugi::xml_document strict;
    EXPECT_TRUE(strict.load_string(reply.body.c_str())) << "well-formed XML";
    XmlDocument doc;
    EXPECT_TRUE(doc.loadBytes(reply.body));
    return doc;
  }
  const KeyPair& key(int k) const { return sim.catalogue().keys().at(k); }
  SimServer sim{[] {
    SimOptions o;
    o.catalogue.shops = 1;
    o.catalogue.itemsPerShop = 30;
    return o;
  }()};
};

TEST_F(SimGateway, ASignedRequestGetsTheWholeItem) {
  const Item& item = sim.catalogue().items().at(1);  // has SKUs and property pictures
  ASSERT_FALSE(item.skus.empty());
  const XmlDocument doc = answer(itemGetTarget(key(0).appKey, key(0).appSecret, item.id));
  const std::string at = "item_get_response/item/";
  EXPECT_EQ(doc.textAt("@1/msg"), "");
  EXPECT_EQ(doc.textAt(at + "title"), gbk(xmlEscape(item.title)));
  EXPECT_EQ(doc.textAt(at + "price"), item.price);
  EXPECT_EQ(doc.textAt(at + "location/state"), gbk(item.state));
  EXPECT_EQ(doc.textAt(at + "freight_payer"), "buyer");
  EXPECT_EQ(doc.textAt(at + "approve_status"), "onsale");
  EXPECT_EQ(doc.textAt(at + "props"), item.props);
  EXPECT_EQ(doc.textAt(at + "property_alias"), gbk(item.propertyAlias));
  EXPECT_EQ(doc.textAt(at + "input_str"), item.inputStr);
  ASSERT_EQ(doc.childCount(at + "skus"), static_cast<int>(item.skus.size()));
  EXPECT_EQ(doc.textAt(at + "skus/@1/price"), item.skus[0].price);
  EXPECT_EQ(doc.textAt(at + "skus/@1/quantity"), item.skus[0].quantity);
  EXPECT_EQ(doc.textAt(at + "skus/@1/properties"), item.skus[0].properties);
  ASSERT_EQ(doc.childCount(at + "item_imgs"), static_cast<int>(item.mainPictures.size()));
  EXPECT_EQ(doc.textAt(at + "item_imgs/@1/url"), "http://" + sim.host("img") + item.mainPictures[0]);
  ASSERT_EQ(doc.childCount(at + "prop_imgs"), static_cast<int>(item.propertyPictures.size()));
  EXPECT_EQ(doc.textAt(at + "prop_imgs/@1/properties"), item.propertyPictures[0].properties);
  // Only the fields asked for: no nick, no detail address.
  EXPECT_EQ(doc.textAt(at + "detail_url"), "");
  EXPECT_EQ(doc.childCount(at + "item_imgs/@1"), 1);

  const std::string desc = doc.textAt(at + "desc");
  for (const char* piece : {"&lt;IMG src=&quot;http://", "&lt;img src=&quot;http://",
                            "background=&quot;http://", "&amp;nbsp;", "\r\n", ", ",
                            "&quot;", "&amp;amp;v=2"})
    EXPECT_NE(desc.find(piece), std::string::npos) << piece;
  EXPECT_NE(desc.find(gbk("/imgextra/taobao/细节图/")), std::string::npos);
  EXPECT_EQ(desc.find("@IMGHOST@"), std::string::npos);
}

TEST_F(SimGateway, TheClientsOwnRequestIsAccepted) {
  EXPECT_EQ(testing::kItemFields, itemFieldList);
  const Item& item = sim.catalogue().items().at(2);
  const std::string base = "http://" + sim.host("gw");
  const std::string url = buildItemGetUrl(base, item.id, key(1).appKey, key(1).appSecret);
  const XmlDocument doc = answer(replaceAll(url.substr(base.size()), " ", "%20"));
  EXPECT_EQ(doc.textAt("@1/msg"), "");
  EXPECT_EQ(doc.textAt("item_get_response/item/title"), gbk(xmlEscape(item.title)));
  EXPECT_EQ(sim.gatewayKeys(), std::vector<std::string>{key(1).appKey});
}

TEST_F(SimGateway, SomeDescriptionsComeAsCdata) {
  const Item& item = sim.catalogue().items().at(4);
  ASSERT_TRUE(item.descAsCdata);
  const std::string target = itemGetTarget(key(0).appKey, key(0).appSecret, item.id);
  EXPECT_NE(get(sim, "gw", target).body.find("<desc><![CDATA[<p"), std::string::npos);
  EXPECT_TRUE(answer(target).textAt("item_get_response/item/desc").starts_with("<p align=\"center\"><IMG src=\"http://"));
}

TEST_F(SimGateway, FieldsLimitTheAnswer) {
  const Item& item = sim.catalogue().items().at(1);
  const XmlDocument doc = answer(itemGetTarget(key(1).appKey, key(1).appSecret, item.id, "title,sku.price"));
  EXPECT_EQ(doc.childCount("item_get_response/item"), 2);
  EXPECT_EQ(doc.childCount("item_get_response/item/skus/@1"), 1);
  EXPECT_EQ(doc.textAt("item_get_response/item/skus/@1/price"), item.skus[0].price);
}

TEST_F(SimGateway, BadRequestsGetThePlatformsErrorAnswers) {
  const std::string id = sim.catalogue().items().at(0).id;
  const std::string good = itemGetTarget(key(0).appKey, key(0).appSecret, id);
  struct Case {
    std::string target;
    std::string code, msg, subCode;
  };
  const std::vector<Case> cases = {
      {replaceAll(good, "&sign=", "&sign=0"), "25", "Invalid signature", ""},
      {itemGetTarget(key(0).appKey, key(1).appSecret, id), "25", "Invalid signature", ""},
      {itemGetTarget("12345678", key(0).appSecret, id), "29", "Invalid app Key", "isv.appkey-not-exists"},
      {replaceAll(good, "method=taobao.item.get&", ""), "21", "Missing method", ""},
      {itemGetTarget(key(0).appKey, key(0).appSecret, "999"), "15", "Remote service error",
       "isv.item-get-service-error:ITEM_NOT_FOUND"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.target);
    const XmlDocument doc = answer(c.target);
    EXPECT_EQ(doc.rootName(), "error_response");
    EXPECT_EQ(doc.textAt("@1/code"), c.code);
    EXPECT_EQ(doc.textAt("@1/msg"), c.msg);
    EXPECT_EQ(doc.textAt("@1/sub_code"), c.subCode);
    EXPECT_EQ(doc.textAt("@1/request_id").size(), 13u);
  }
  EXPECT_EQ(sim.requestCount("gateway"), static_cast<int>(cases.size()));
}

TEST_F(SimGateway, FailingKeysChangeWhileRunning) {
  const std::string target = itemGetTarget(key(2).appKey, key(2).appSecret, sim.catalogue().items().at(0).id);
  EXPECT_EQ(answer(target).textAt("@1/msg"), "");
  sim.setFailingKeys({key(2).appKey});
  const XmlDocument failing = answer(target);
  EXPECT_EQ(failing.textAt("@1/code"), "7");
  EXPECT_EQ(failing.textAt("@1/msg"), "App Call Limited");
  EXPECT_EQ(failing.textAt("@1/sub_code"), "accesscontrol.limited-by-app-api-access-count");
  EXPECT_NE(failing.textAt("@1/sub_msg"), "");
  // Another key is not affected.
  EXPECT_EQ(answer(itemGetTarget(key(0).appKey, key(0).appSecret, sim.catalogue().items().at(0).id))
                .textAt("@1/msg"), "");
  sim.setFailingKeys({});
  EXPECT_EQ(answer(target).textAt("@1/msg"), "");
}

}  // namespace
}  // namespace tessaly::sim
