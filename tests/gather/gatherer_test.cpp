#include "gather/gatherer.hpp"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "app/activity_log.hpp"
#include "app/item_list.hpp"
#include "common/raw_http_server.hpp"
#include "sim_server.hpp"
#include "support/gbk.hpp"
#include "support/text.hpp"

namespace tessaly {
namespace {

using sim::SimServer;

sim::SimOptions simOptions(int itemsPerShop = 60) {
  sim::SimOptions options;
  options.catalogue.seed = 3;
  options.catalogue.shops = 6;
  options.catalogue.itemsPerShop = itemsPerShop;
  options.oversizedShop = 4;
  options.shortPriceShop = 5;
  options.duplicateShop = 6;
  return options;
}

class GathererTest : public ::testing::Test {
 protected:
  explicit GathererTest(sim::SimOptions options = simOptions()) : server(options) {}

  void SetUp() override {
    ASSERT_TRUE(server.start());
    state.endpoints.itemHost = server.hosts().item;
    state.endpoints.mallItemHost = server.hosts().mall;
  }

  std::string shop(int n, const std::string& target = "/") { return "http://" + server.hosts().shop(n) + target; }

  // Runs one click in the given mode and waits for its crawl.
  void add(AddressMode mode, const std::string& box) {
    state.addressMode = mode;
    gatherer.addToList(box);
    gatherer.waitForCrawls();
  }

  int linesContaining(const std::string& utf8) const {
    const std::string needle = gbk(utf8);
    const auto lines = log.lines();
    return static_cast<int>(std::count_if(lines.begin(), lines.end(),
                                          [&](const std::string& l) { return l.find(needle) != std::string::npos; }));
  }

  // The listing the simulator holds for a shop (or category), in order.
  std::vector<const sim::Item*> listing(int n, const sim::Category* category = nullptr) {
    return server.catalogue().listing(*server.catalogue().shop(n), category);
  }

  SimServer server;
  ProgramState state;
  ItemList items;
  ActivityLog log;
  Gatherer gatherer{state, items, log};
};

TEST_F(GathererTest, SingleItemPages) {
  const sim::Item& item = server.catalogue().items()[4];
  const std::string address = "http://" + server.hosts().item + "/item.htm?id=" + item.id;
  add(AddressMode::Single, address);
  ASSERT_EQ(items.count(), 1);
  EXPECT_EQ(items.row(0), (ItemRow{utf8ToGbk(sim::htmlEscape(item.title)) + gbk("-淘宝网"), "", address, item.id}));

  add(AddressMode::Single, "http://" + server.hosts().item + "/item.htm?id=1");  // no such item
  add(AddressMode::Single, gbk("请输入宝贝地址"));                                  // the placeholder
  testing::RawHttpServer blankTitle([](const std::string&) {
    return testing::RawHttpServer::response(200, "<title>   </title><script>itemId:\"77\",</script>");
  });
  add(AddressMode::Single, blankTitle.base() + "/item.htm?id=77");
  add(AddressMode::Single, "   ");  // nothing at all
  add(AddressMode::None, address);  // no mode picked
  EXPECT_EQ(items.count(), 1);
  EXPECT_EQ(linesContaining("  地址输入不正确，未识别到宝贝！\r\n"), 3);
  EXPECT_EQ(log.lines().size(), 3u);
}

TEST_F(GathererTest, ShopAddressesThatAreRejectedBeforeAnyFetch) {
  for (const std::string& box : {server.hosts().shop(1) + "/", std::string("http://") + server.hosts().item + "/x",
                                 std::string("http://") + server.hosts().mall + "/x", std::string("http:///")})
    add(AddressMode::Shop, box);
  EXPECT_EQ(linesContaining("  店铺地址输入不正确，未识别到宝贝！\r\n"), 4);
  EXPECT_EQ(server.requestCount("search"), 0);
  EXPECT_EQ(server.requestCount("item"), 0);
  EXPECT_EQ(items.count(), 0);
}

TEST_F(GathererTest, EachPageStyleYieldsEveryItemOnceWithItsPrice) {
  for (int n : {1, 2, 3, 4}) {  // plain, showcase, street, and a plain shop with oversized pages
    SCOPED_TRACE(n);
    items.clear();
    add(AddressMode::Shop, shop(n, "/index.htm"));
    const auto expected = listing(n);
    const auto rows = items.snapshot();
    ASSERT_EQ(rows.size(), expected.size());
    std::map<std::string, ItemRow> byId;
    for (const auto& row : rows) byId[row.id] = row;
    for (const sim::Item* item : expected) {
      ASSERT_TRUE(byId.count(item->id)) << item->id;
      const ItemRow& row = byId[item->id];
      EXPECT_EQ(row.title, utf8ToGbk(sim::htmlEscape(item->title)));
      EXPECT_EQ(trimBlanks(row.price), item->price);
      EXPECT_EQ(row.address, "http://" + server.hosts().item + "/item.htm?id=" + item->id);
    }
  }
  EXPECT_EQ(linesContaining("  共搜索到：60 个商品\r\n"), 4);
}

TEST_F(GathererTest, ShortPricesAndRepeatedItems) {
  add(AddressMode::Shop, shop(5));
  const auto rows = items.snapshot();
  const auto pages = (listing(5).size() + server.catalogue().shop(5)->perPage - 1) / server.catalogue().shop(5)->perPage;
  EXPECT_EQ(static_cast<std::size_t>(std::count_if(rows.begin(), rows.end(), [](const ItemRow& r) { return r.price.empty(); })),
            pages);

  items.clear();
  add(AddressMode::Shop, shop(6));
  const std::string first = listing(6).front()->id;
  const auto again = items.snapshot();
  EXPECT_EQ(std::count_if(again.begin(), again.end(), [&](const ItemRow& r) { return r.id == first; }), 2);
}

TEST_F(GathererTest, ListAddresses) {
  const sim::Shop& s = *server.catalogue().shop(2);
  const sim::Category& scid = s.categories[0];
  const sim::Category& catId = s.categories[1];
  ASSERT_TRUE(scid.byScid);
  struct Case {
    std::string box;
    const sim::Category* category;  // null: rejected
  } cases[] = {
      {shop(2, "/search.htm?search=y&scid=" + scid.id + "&x=1"), &scid},
      {shop(2, "/search.htm?search=y&catId=" + catId.id + "&x=1"), &catId},
      {shop(2, "/category-" + catId.id + ".htm?search=y"), &catId},
      {shop(2, "/search.htm?search=y&scid=" + scid.id + "&catId=" + catId.id + "&x=1"), &catId},
      {shop(2, "/search.htm?scid=" + scid.id + "&x=1"), nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.box);
    items.clear();
    server.resetCounters();
    add(AddressMode::List, c.box);
    if (!c.category) {
      EXPECT_EQ(linesContaining("  分类地址输入不正确，未识别到宝贝！\r\n"), 1);
      EXPECT_EQ(server.requestCount("category") + server.requestCount("search"), 0);
      continue;
    }
    const auto expected = listing(2, c.category);
    std::set<std::string> want, got;
    for (const auto* item : expected) want.insert(item->id);
    for (const auto& row : items.snapshot()) got.insert(row.id);
    EXPECT_EQ(items.count(), static_cast<int>(expected.size()));
    EXPECT_EQ(got, want);
    const std::string kind = c.category->byScid ? "&scid=" : "&catId=";
    EXPECT_EQ(server.targetCount(server.hosts().shop(2) + "/search.htm?&search=y" + kind + c.category->id +
                                 "&viewType=grid&orderType=_hotsell&pageNum=1"),
              1);
  }
}

TEST_F(GathererTest, TheCrawlKeepsItsOwnPlanWhenTheModeChanges) {
  state.addressMode = AddressMode::Shop;
  auto crawl = gatherer.addToList(shop(1));
  ASSERT_TRUE(crawl);
  state.addressMode = AddressMode::Single;  // the user moves on at once
  auto second = [&] {
    state.addressMode = AddressMode::Shop;
    return gatherer.addToList(shop(3));
  }();
  gatherer.waitForCrawls();
  EXPECT_EQ(items.count(), static_cast<int>(listing(1).size() + listing(3).size()));
}

// Page totals of 1 and 12 on shops sized for them.
class PageTotalTest : public GathererTest {
 protected:
  static int perPageOfShop1() {
    return sim::Catalogue(simOptions().catalogue).shop(1)->perPage;
  }
  PageTotalTest() : GathererTest(simOptions(12 * perPageOfShop1())) {}
};

TEST_F(PageTotalTest, TwelvePagesAreEachReadOnce) {
  add(AddressMode::Shop, shop(1));
  for (int p = 1; p <= 12; ++p)
    EXPECT_EQ(server.targetCount(server.hosts().shop(1) + "/search.htm?&pageNum=" + std::to_string(p)), 1) << p;
  EXPECT_EQ(linesContaining("  正在读取宝贝列表 第："), 12);
  EXPECT_EQ(linesContaining("读取成功"), 12);
  const int ends = linesContaining("  宝贝下载完成 【共提取了：  " + std::to_string(12 * perPageOfShop1()) + "  个宝贝】\r\n");
  EXPECT_GE(ends, 1);
  EXPECT_LE(ends, 5);
  EXPECT_EQ(linesContaining("  宝贝页码从第 1 页到第  12  页下载，总页码数是 12 页！\r\n"), 1);
  // The first end line follows a page's success line.
  const auto lines = log.lines();
  const auto end = std::find_if(lines.begin(), lines.end(), [](const std::string& l) {
    return l.find(gbk("宝贝下载完成")) != std::string::npos;
  });
  ASSERT_NE(end, lines.begin());
  EXPECT_NE((end - 1)->find(gbk("读取成功")), std::string::npos);
}

class OnePageTest : public GathererTest {
 protected:
  OnePageTest() : GathererTest(simOptions(10)) {}
};

TEST_F(OnePageTest, OnePageIsReadByOneThread) {
  add(AddressMode::Shop, shop(2));
  EXPECT_EQ(items.count(), 10);
  EXPECT_EQ(linesContaining("  正在读取宝贝列表 第：  1 /1 页\r\n"), 1);
  EXPECT_EQ(linesContaining("宝贝下载完成"), 1);
}

TEST_F(GathererTest, PagesWithoutATotal) {
  server.setFault("shop", sim::Fault::Empty);
  add(AddressMode::Shop, shop(1));
  EXPECT_EQ(linesContaining("  店铺地址输入不正确，未识别到宝贝！\r\n"), 1);
  EXPECT_EQ(linesContaining("  共搜索到： 个商品\r\n"), 1);
  EXPECT_EQ(linesContaining("  该分类未识别到宝贝！\r\n"), 1);
  add(AddressMode::List, shop(1, "/category-1.htm"));
  EXPECT_EQ(linesContaining("  店铺地址输入不正确，未识别到宝贝！1\r\n"), 1);
  EXPECT_EQ(items.count(), 0);
}

}  // namespace
}  // namespace tessaly
