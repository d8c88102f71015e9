#include <gtest/gtest.h>

#include <mutex>
#include <thread>

#include "openapi/key_list.hpp"
#include "sim_server.hpp"
#include "support/gbk.hpp"
#include "support/run_control.hpp"
#include "support/xml_document.hpp"

namespace tessaly {
namespace {

using sim::SimServer;

class KeyRotationTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.start());
    const std::string base = "http://vendor.localhost:" + std::to_string(server.port()) + "/kvrt_api/";
    keys = loadKeyList(base);
    ASSERT_EQ(keys.size(), 3u);
    gateway = "http://gw.localhost:" + std::to_string(server.port());
  }

  // Which pairs (1-based) the gateway saw, in order.
  std::vector<int> pairsUsed() const {
    std::vector<int> used;
    for (const auto& key : server.gatewayKeys())
      for (std::size_t i = 0; i < keys.size(); ++i)
        if (keys[i].appkey == key) used.push_back(static_cast<int>(i) + 1);
    return used;
  }

  void fail(std::initializer_list<int> pairs) {
    std::set<std::string> failing;
    for (int p : pairs) failing.insert(keys[static_cast<std::size_t>(p) - 1].appkey);
    server.setFailingKeys(failing);
  }

  SimServer server;
  std::vector<AppKeyPair> keys;
  std::string gateway;
  std::atomic<int32_t> nextKeyIndex{1};
  // The rotation logs from the fetching thread while a test's stopper thread watches.
  std::mutex linesMutex;
  std::vector<std::string> lines;
  std::function<void(const std::string&)> log = [this](const std::string& l) {
    std::lock_guard lock(linesMutex);
    lines.push_back(l);
  };
  std::size_t lineCount() {
    std::lock_guard lock(linesMutex);
    return lines.size();
  }
};

const std::string kFailed = gbk("线程：2  通过当前App参数调用'淘宝官方接口'失败！正在尝试下一组App\r\n");
const std::string kBusy = gbk("线程：2 ####################淘宝接口忙,请点'暂停'按钮，更换IP后再点'继续'按钮接着处理\r\n");

TEST_F(KeyRotationTest, MovesOnFromAFailingPairAndRemembersTheGoodOne) {
  fail({1});
  const KeyRotation rotation{keys, nextKeyIndex, gateway, std::chrono::milliseconds(1)};
  const std::string& item = server.catalogue().items().front().id;
  XmlDocument answer;
  RunControl control;
  ASSERT_TRUE(fetchItemAnswer(rotation, item, 2, answer, control, log));
  EXPECT_EQ(answer.textAt("item_get_response/item/num_iid"), "");
  EXPECT_FALSE(answer.textAt("item_get_response/item/title").empty());
  EXPECT_EQ(lines, std::vector<std::string>{kFailed});
  EXPECT_EQ(nextKeyIndex.load(), 2);
  ASSERT_TRUE(fetchItemAnswer(rotation, item, 2, answer, control, log));
  EXPECT_EQ(pairsUsed(), (std::vector<int>{1, 2, 2}));
}

TEST_F(KeyRotationTest, EveryPairFailingKeepsTryingUntilStopped) {
  fail({1, 2, 3});
  const KeyRotation rotation{keys, nextKeyIndex, gateway, std::chrono::milliseconds(1)};
  XmlDocument answer;
  RunControl control;
  std::thread stopper([&] {
    while (server.gatewayKeys().size() < 7) std::this_thread::yield();
    control.stop();
  });
  EXPECT_FALSE(fetchItemAnswer(rotation, server.catalogue().items().front().id, 2, answer, control, log));
  stopper.join();
  const auto used = pairsUsed();
  const std::vector<int> expected = {1, 2, 3, 2, 3, 2, 3};
  ASSERT_GE(used.size(), expected.size());
  EXPECT_EQ(std::vector<int>(used.begin(), used.begin() + 7), expected);
  // The busy line follows the request made with the last pair.
  ASSERT_GE(lines.size(), 5u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 5),
            (std::vector<std::string>{kFailed, kFailed, kBusy, kFailed, kFailed}));
  EXPECT_EQ(nextKeyIndex.load(), 1) << "a stopped item leaves the index alone";
  for (const auto& line : lines)
    for (const auto& pair : keys) EXPECT_EQ(line.find(pair.appsecret), std::string::npos);
}

TEST_F(KeyRotationTest, OneFailingPairSleepsAfterEveryTry) {
  keys.resize(1);
  fail({1});
  const KeyRotation rotation{keys, nextKeyIndex, gateway, std::chrono::milliseconds(1)};
  XmlDocument answer;
  RunControl control;
  std::thread stopper([&] {
    while (server.gatewayKeys().size() < 4) std::this_thread::yield();
    control.stop();
  });
  EXPECT_FALSE(fetchItemAnswer(rotation, server.catalogue().items().front().id, 2, answer, control, log));
  stopper.join();
  for (int p : pairsUsed()) EXPECT_EQ(p, 1);
  ASSERT_GE(lines.size(), 4u);
  EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 4),
            (std::vector<std::string>{kFailed, kBusy, kFailed, kBusy}));
}

TEST_F(KeyRotationTest, PauseHoldsTheLoopAndStopEndsItsSleep) {
  fail({1, 2, 3});
  // A pause as long as the product's: stop must not wait for it.
  const KeyRotation rotation{keys, nextKeyIndex, gateway, std::chrono::milliseconds(600000)};
  XmlDocument answer;
  RunControl control;
  std::thread stopper([&] {
    while (lineCount() < 3) std::this_thread::yield();  // the busy line: now asleep
    control.pause();
    control.stop();
  });
  EXPECT_FALSE(fetchItemAnswer(rotation, server.catalogue().items().front().id, 2, answer, control, log));
  stopper.join();
  EXPECT_EQ(pairsUsed().size(), 3u);
}

TEST(KeyList, DocumentShapes) {
  EXPECT_EQ(parseKeyList("<apps></apps>").size(), 0u);
  EXPECT_EQ(parseKeyList("not xml").size(), 0u);
  EXPECT_EQ(parseKeyList("").size(), 0u);
  const auto keys = parseKeyList("<r><a appkey=\"1\" appsecret=\"s1\"/><b appsecret=\"s2\">x</b></r>");
  ASSERT_EQ(keys.size(), 2u);
  EXPECT_EQ(keys[0].appkey, "1");
  EXPECT_EQ(keys[1].appkey, "");
  EXPECT_EQ(keys[1].appsecret, "s2");
  EXPECT_TRUE(loadKeyList("http://127.0.0.1:1/kvrt_api/").empty());
}

}  // namespace
}  // namespace tessaly
