// The simulator's marketplace pages carry exactly the markers and patterns the gatherer
// looks for, consistent with its catalogue.
#include <gtest/gtest.h>
#include <pugixml.hpp>

#include <algorithm>
#include <chrono>
#include <set>

#include "sim/sim_test_support.hpp"
#include "support/picture_type.hpp"

namespace tessaly::sim {
namespace {

using testing::crawlPage;
using testing::get;

std::string pageTotalOf(const std::string& page) {
  return textAfterLast(textBetween(page, "<span class=\"page-info\">", "</span>"), "/");
}
std::string itemCountOf(const std::string& page) {
  return trimBlanks(textBetween(page, gbk("共搜索到<span>"), gbk("</span>个符合条件的商品。")));
}

class SimPages : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(sim.start()); }
  SimServer sim{[] {
    SimOptions o;
    o.catalogue.seed = 7;
    o.catalogue.shops = 3;  // one shop per page style
    o.catalogue.itemsPerShop = 70;
    o.slowPictureMs = 200;
    return o;
  }()};
};

TEST_F(SimPages, TheHostNameChoosesTheService) {
  const std::string target = "/search.htm?search=y";
  const auto shop1 = get(sim, "shop1", target), shop2 = get(sim, "shop2", target);
  EXPECT_EQ(shop1.status, 200);
  EXPECT_TRUE(containsText(shop1.body, gbk(sim.catalogue().shop(1)->name)));
  EXPECT_TRUE(containsText(shop2.body, gbk(sim.catalogue().shop(2)->name)));
  EXPECT_FALSE(containsText(shop1.body, gbk(sim.catalogue().shop(2)->name)));
  EXPECT_EQ(get(sim, "item", target).status, 404);
  EXPECT_EQ(get(sim, "gw", target).status, 404);
  EXPECT_EQ(get(sim, "shop9", target).status, 404);
  EXPECT_EQ(sim.requestCount("search"), 2);
}

TEST_F(SimPages, EveryShopStyleIsCrawledCompletelyWithTheCrawlerPatterns) {
  for (const Shop& shop : sim.catalogue().shops()) {
    SCOPED_TRACE(shop.number);
    const auto search = get(sim, "shop" + std::to_string(shop.number), "/search.htm?search=y");
    ASSERT_EQ(search.status, 200);
    EXPECT_NE(search.contentType.find("GBK"), std::string::npos);
    EXPECT_EQ(itemCountOf(search.body), std::to_string(shop.items.size()));
    const int pages = std::stoi(pageTotalOf(search.body));
    EXPECT_EQ(pages, sim.catalogue().pageCount(shop));
    EXPECT_GE(pages, 2);

    std::vector<ExpectedRow> rows;
    for (int p = 1; p <= pages; ++p) {
      const auto page = get(sim, "shop" + std::to_string(shop.number),
                            "/search.htm?&pageNum=" + std::to_string(p));
      PageStyle style{};
      const auto found = crawlPage(page.body, &style);
      EXPECT_EQ(style, shop.style);
      EXPECT_GE(found.size(), p < pages ? 20u : 1u);
      EXPECT_LE(found.size(), 40u);
      rows.insert(rows.end(), found.begin(), found.end());
    }
    EXPECT_EQ(rows, sim.catalogue().expectedRows(shop));
    std::set<std::string> ids;
    for (const auto& r : rows) ids.insert(r.id);
    ASSERT_EQ(ids.size(), shop.items.size());
    for (int i : shop.items) EXPECT_TRUE(ids.count(sim.catalogue().items()[i].id));
    EXPECT_FALSE(rows.front().price.empty());
    EXPECT_EQ(sim.requestCount("search"), 1);
    EXPECT_EQ(sim.requestCount("result"), pages);
    sim.resetCounters();
  }
}

TEST_F(SimPages, CategoryAddressesInEveryFormLeadToTheCategoryResults) {
  const Shop& shop = *sim.catalogue().shop(2);
  const Category& category = shop.categories.at(1);
  const std::string& id = category.id;
  for (const std::string& target :
       {"/category-" + id + ".htm", "/search.htm?spm=a1z10.3&search=y&scid=" + id + "&checkPerm=1",
        "/search.htm?&search=y&scid=" + id + "&viewType=grid&orderType=_hotsell&pageNum=1",
        "/search.htm?&search=y&catId=" + id + "&viewType=grid&orderType=_hotsell&pageNum=1"}) {
    SCOPED_TRACE(target);
    const auto page = get(sim, "shop2", target);
    EXPECT_EQ(itemCountOf(page.body), std::to_string(category.items.size()));
    EXPECT_EQ(pageTotalOf(page.body), std::to_string(sim.catalogue().pageCount(shop, &category)));
    const auto rows = crawlPage(page.body);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().id, sim.catalogue().items()[category.items.front()].id);
  }
  EXPECT_EQ(sim.requestCount("category"), 4);
  // An unknown category shows no page total, as an empty category does.
  EXPECT_EQ(std::atoi(pageTotalOf(get(sim, "shop2", "/category-1.htm").body).c_str()), 0);
}

TEST_F(SimPages, ItemPagesCarryTheIdMarkerAndTheTitle) {
  const Item& item = sim.catalogue().items().at(9);
  for (const char* host : {"item", "mall"}) {
    const auto page = get(sim, host, "/item.htm?id=" + item.id);
    EXPECT_EQ(textBetween(page.body, "itemId:\"", "\","), item.id);
    EXPECT_TRUE(textBetween(page.body, "<title>", "</title>").starts_with(gbk(htmlEscape(item.title))));
  }
  const auto missing = get(sim, "item", "/item.htm?id=123");
  EXPECT_EQ(missing.status, 200);
  EXPECT_EQ(textBetween(missing.body, "itemId:\"", "\","), "");
  EXPECT_EQ(sim.requestCount("item"), 3);
}

TEST_F(SimPages, TitlesCarryTheCharactersTheClientCleansUp) {
  std::string all;
  for (const Item& item : sim.catalogue().items()) all += item.title;
  for (const char* piece : {"&", "'", "*", "|", "<", ">", ".", "?", "　"})
    EXPECT_NE(all.find(piece), std::string::npos) << piece;
}

TEST(SimQuirks, PageQuirksShowAsTheCrawlerMeetsThem) {
  SimOptions o;
  o.catalogue.seed = 3;
  o.catalogue.shops = 3;
  o.catalogue.itemsPerShop = 90;
  o.oversizedShop = 1;
  o.shortPriceShop = 2;
  o.duplicateShop = 3;
  SimServer sim(o);
  ASSERT_TRUE(sim.start());
  const Catalogue& c = sim.catalogue();

  // Oversized: over the limit, and only the part between 下一页 and 到第 holds a page's items.
  const std::string big = get(sim, "shop1", "/search.htm?&pageNum=1").body;
  EXPECT_GT(big.size(), 512000u);
  const auto firstPage = c.pageItems(*c.shop(1), nullptr, 1);
  EXPECT_EQ(crawlPage(big).size(), firstPage.size());
  EXPECT_GT(crawlPage(big.substr(0, 512000)).size(), firstPage.size()) << "uncut, more items match";
  EXPECT_EQ(itemCountOf(get(sim, "shop1", "/search.htm?search=y").body), "90");

  // One price fewer than items: the rows after the gap take the next item's price.
  const std::string gap = get(sim, "shop2", "/search.htm?&pageNum=1").body;
  RegexMatcher prices;
  prices.create(testing::crawlerPatterns()[1].price);
  const auto rows = crawlPage(gap);
  EXPECT_EQ(prices.execute(gap), static_cast<int>(rows.size()) - 1);
  EXPECT_EQ(rows.back().price, "");

  // The same item on two pages: one row more than items, that id twice.
  auto crawlShop = [&](int shop) {
    std::vector<ExpectedRow> all;
    for (int p = 1; p <= c.pageCount(*c.shop(shop)); ++p) {
      const auto found = crawlPage(get(sim, "shop" + std::to_string(shop), "/search.htm?&pageNum=" + std::to_string(p)).body);
      all.insert(all.end(), found.begin(), found.end());
    }
    return all;
  };
  const auto shop3 = crawlShop(3);
  EXPECT_EQ(shop3.size(), 91u);
  const std::string twice = c.items()[c.shop(3)->items.front()].id;
  EXPECT_EQ(std::count_if(shop3.begin(), shop3.end(), [&](const ExpectedRow& r) { return r.id == twice; }), 2);
  for (int shop : {1, 2, 3}) EXPECT_EQ(crawlShop(shop), c.expectedRows(*c.shop(shop))) << shop;
}

TEST(SimDeterminism, TheSameSeedGivesTheSameBytes) {
  SimOptions o;
  o.catalogue.seed = 11;
  SimServer a(o), b(o);
  o.catalogue.seed = 12;
  SimServer other(o);
  ASSERT_TRUE(a.start());
  ASSERT_TRUE(b.start());
  ASSERT_TRUE(other.start());
  const KeyPair& key = a.catalogue().keys().front();
  const std::string id = a.catalogue().items().at(5).id;
  const std::vector<std::pair<std::string, std::string>> requests = {
      {"shop2", "/search.htm?&pageNum=2"},
      {"item", "/item.htm?id=" + id},
      {"gw", testing::itemGetTarget(key.appKey, key.appSecret, id)},
      {"vendor", "/kvrt_api//app2.xml"},
      {"img", a.catalogue().items().at(5).mainPictures.front()}};
  for (const auto& [host, target] : requests) {
    SCOPED_TRACE(host);
    auto normalised = [&](const SimServer& s) {
      return replaceAll(get(s, host, target).body, ":" + std::to_string(s.port()), ":PORT");
    };
    const std::string first = normalised(a);
    EXPECT_FALSE(first.empty());
    EXPECT_EQ(first, normalised(b));
    if (host != "img") {
      EXPECT_NE(first, normalised(other));
    }
  }
}

TEST_F(SimPages, VendorServesTheKeyListUnderBothPathsAndGbkPages) {
  for (const char* path : {"/kvrt_api//app2.xml", "/kvrt_api/app2.xml"}) {
    const auto reply = get(sim, "vendor", path);
    pugi::xml_document doc;
    ASSERT_TRUE(doc.load_string(reply.body.c_str()));
    const auto root = doc.document_element();
    std::vector<KeyPair> keys;
    for (auto app : root.children())
      keys.push_back({app.attribute("appkey").value(), app.attribute("appsecret").value()});
    ASSERT_EQ(keys.size(), sim.catalogue().keys().size());
    EXPECT_EQ(keys.back().appKey, sim.catalogue().keys().back().appKey);
    EXPECT_EQ(keys.back().appSecret, sim.catalogue().keys().back().appSecret);
  }
  EXPECT_EQ(sim.requestCount("keys"), 2);
  for (const auto& [path, heading] : {std::pair{"/news.html", "最新动态"}, {"/kvrthelp.html", "生成数据包"}}) {
    const auto reply = get(sim, "vendor", path);
    EXPECT_EQ(reply.status, 200);
    EXPECT_TRUE(containsText(reply.body, "charset=gbk"));
    EXPECT_TRUE(containsText(reply.body, gbk(heading)));
    EXPECT_EQ(utf8ToGbk(gbkToUtf8(reply.body)), reply.body) << "valid GBK throughout";
  }
}

TEST_F(SimPages, PicturesComeInEveryRecognisedFormat) {
  std::set<std::string> types;
  for (const Item& item : sim.catalogue().items())
    for (const std::string& path : item.mainPictures) {
      if (path.starts_with("/missing/") || types.size() == 6) continue;
      const auto reply = get(sim, "img", path);
      ASSERT_EQ(reply.status, 200) << path;
      types.insert(detectPictureType(reply.body));
    }
  EXPECT_EQ(types, (std::set<std::string>{"jpg", "png", "gif", "bmp", "tiff", "ico"}));
}

TEST_F(SimPages, PictureAddressesFailAsTheyAreMeantTo) {
  const Item& item = sim.catalogue().items().at(0);
  const std::string chinese = "/imgextra/taobao/" + percentEncodeText(gbk("细节图")) + "/" + item.id + "_1.png";
  EXPECT_EQ(detectPictureType(get(sim, "img", chinese).body), "png");
  const std::string utf8Encoded = "/imgextra/taobao/%E7%BB%86%E8%8A%82%E5%9B%BE/" + item.id + "_1.png";
  EXPECT_EQ(get(sim, "img", utf8Encoded).status, 404);
  EXPECT_EQ(get(sim, "img", "/missing/" + item.id + "/lost.jpg").status, 404);
  const auto empty = get(sim, "img", "/empty/" + item.id + "/blank.jpg");
  EXPECT_EQ(empty.status, 200);
  EXPECT_TRUE(empty.body.empty());
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(detectPictureType(get(sim, "img", "/slow/imgextra/taobao/" + item.id + "/d1.jpg").body), "jpg");
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(200));
  EXPECT_EQ(detectPictureType(get(sim, "img", item.mainPictures.front() + "_160x160.jpg").body),
            detectPictureType(get(sim, "img", item.mainPictures.front()).body));
  EXPECT_EQ(sim.requestCount("picture"), 7);
}

}  // namespace
}  // namespace tessaly::sim
