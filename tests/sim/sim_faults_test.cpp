// Faults do what they say, per host or for all, and switch while the simulator runs.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <chrono>
#include <future>

#include "sim/sim_test_support.hpp"
#include "support/xml_document.hpp"

namespace tessaly::sim {
namespace {

using testing::get;

class SimFaults : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim.start());
    const KeyPair& key = sim.catalogue().keys().front();
    apiTarget = testing::itemGetTarget(key.appKey, key.appSecret, sim.catalogue().items().front().id);
  }
  SimServer sim{[] {
    SimOptions o;
    o.catalogue.shops = 2;
    o.catalogue.itemsPerShop = 25;
    return o;
  }()};
  std::string apiTarget;
};

TEST_F(SimFaults, EachFaultSpoilsTheAnswerItsWay) {
  const std::string normal = get(sim, "gw", apiTarget).body;
  ASSERT_GT(normal.size(), 1000u);

  sim.setFault("gw", Fault::Empty);
  auto reply = get(sim, "gw", apiTarget);
  EXPECT_EQ(reply.status, 200);
  EXPECT_TRUE(reply.body.empty());

  sim.setFault("gw", Fault::Short);
  reply = get(sim, "gw", apiTarget);
  EXPECT_EQ(reply.status, 200);
  EXPECT_EQ(reply.body, normal.substr(0, normal.size() / 2));

  sim.setFault("gw", Fault::MalformedXml);
  reply = get(sim, "gw", apiTarget);
  pugi::xml_document strict;
  EXPECT_FALSE(strict.load_string(reply.body.c_str()));
  XmlDocument doc;
  EXPECT_FALSE(doc.loadBytes(reply.body));
  EXPECT_EQ(doc.textAt("item_get_response/item/title"), "");

  // No HTTP answer at all: closed before anything is written, or cut after the header.
  for (Fault kind : {Fault::Drop, Fault::Truncate}) {
    sim.setFault("gw", kind);
    EXPECT_FALSE(get(sim, "gw", apiTarget).ok) << faultName(kind);
  }

  sim.clearFaults();
  EXPECT_EQ(get(sim, "gw", apiTarget).body, normal);
  EXPECT_EQ(sim.requestCount("gateway"), 7);
}

TEST_F(SimFaults, MalformedXmlLeavesPagesAlone) {
  const std::string page = get(sim, "shop1", "/search.htm?&pageNum=1").body;
  sim.setFault("*", Fault::MalformedXml);
  EXPECT_EQ(get(sim, "shop1", "/search.htm?&pageNum=1").body, page);
  EXPECT_FALSE(pugi::xml_document().load_string(get(sim, "vendor", "/kvrt_api//app2.xml").body.c_str()));
}

TEST_F(SimFaults, TheMostSpecificTargetWinsAndCountsRunOut) {
  const std::string page = "/search.htm?&pageNum=1";
  const std::string normal = get(sim, "shop1", page).body;
  sim.setFault("shop", Fault::Empty);
  sim.setFault("shop2", Fault::None);
  EXPECT_TRUE(get(sim, "shop1", page).body.empty());
  EXPECT_FALSE(get(sim, "shop2", page).body.empty());
  EXPECT_FALSE(get(sim, "item", "/item.htm?id=1").body.empty());

  // A used-up fault gives way to the less specific one.
  sim.setFault("shop1", Fault::Short, 1);
  EXPECT_EQ(get(sim, "shop1", page).body, normal.substr(0, normal.size() / 2));
  EXPECT_TRUE(get(sim, "shop1", page).body.empty());

  sim.clearFaults();
  sim.setFault("*", Fault::Empty, 2);
  EXPECT_TRUE(get(sim, "img", sim.catalogue().items()[0].mainPictures[0]).body.empty());
  EXPECT_TRUE(get(sim, "shop2", page).body.empty());
  EXPECT_EQ(get(sim, "shop1", page).body, normal);
}

TEST_F(SimFaults, AHangingRequestIsAnsweredWhenTheFaultIsLifted) {
  sim.setFault("gw", Fault::Hang);
  auto pending = std::async(std::launch::async, [&] { return get(sim, "gw", apiTarget, 60); });
  ASSERT_TRUE(sim.waitForRequests("gateway", 1, std::chrono::seconds(30)));
  EXPECT_EQ(pending.wait_for(std::chrono::milliseconds(0)), std::future_status::timeout);
  // Other hosts are unaffected meanwhile.
  EXPECT_EQ(get(sim, "shop1", "/search.htm?search=y").status, 200);
  sim.clearFaults();
  const auto reply = pending.get();
  EXPECT_EQ(reply.status, 200);
  XmlDocument doc;
  EXPECT_TRUE(doc.loadBytes(reply.body));
  EXPECT_NE(doc.textAt("item_get_response/item/title"), "");
}

TEST_F(SimFaults, AHangingRequestEndsWithoutAnswerWhenTheClientGivesUpOrTheServerStops) {
  sim.setFault("img", Fault::Hang);
  const std::string picture = sim.catalogue().items()[0].mainPictures[0];
  EXPECT_FALSE(get(sim, "img", picture, 1).ok);  // the client's own time limit
  auto pending = std::async(std::launch::async, [&] { return get(sim, "img", picture, 60); });
  ASSERT_TRUE(sim.waitForRequests("picture", 2, std::chrono::seconds(30)));
  sim.stop();
  EXPECT_FALSE(pending.get().ok);
}

TEST_F(SimFaults, LatencyDelaysTheChosenHostOnly) {
  sim.setLatency("vendor", 300);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(get(sim, "vendor", "/news.html").status, 200);
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  sim.clearFaults();
  EXPECT_EQ(get(sim, "vendor", "/news.html").status, 200);
  EXPECT_EQ(sim.requestCount("news"), 2);
  sim.resetCounters();
  EXPECT_EQ(sim.totalRequests(), 0);
}

TEST_F(SimFaults, ExportsPointAtTheServer) {
  const std::string port = std::to_string(sim.port());
  EXPECT_EQ(sim.environmentExports(),
            "export TESSALY_ITEM_HOST=item.localhost:" + port + "\n" +
            "export TESSALY_MALL_ITEM_HOST=mall.localhost:" + port + "\n" +
            "export TESSALY_API_GATEWAY=http://gw.localhost:" + port + "\n" +
            "export TESSALY_VENDOR_SERVICE=http://vendor.localhost:" + port + "\n");
}

}  // namespace
}  // namespace tessaly::sim
