#include "sim_server.hpp"

#include <gtest/gtest.h>

#include "net/fetch.hpp"
#include "openapi/signing.hpp"
#include "support/gbk.hpp"
#include "support/picture_type.hpp"
#include "support/regex_matcher.hpp"
#include "support/text.hpp"
#include "support/xml_document.hpp"

namespace tessaly::sim {
namespace {

// The crawler's item and price patterns, style by style.
struct Patterns {
  PageStyle style;
  std::string item;
  std::string price;
  int idGroup;
};
const Patterns kPatterns[] = {
    {PageStyle::Plain,
     "<a target=\"_blank\" href=\"(.*?)\" class=\"permalink\" style=\"\">\n(.*?)\n\\s*</a>",
     "&yen;</s><strong>(.*?)</strong>\n", 1},
    {PageStyle::Showcase, "<a class=\"item-name\" href=\".*?id=(.*?)\" target=\"_blank\">(.*?)</a>",
     "<span class=\"c-price\">(.*?)</span>", 1},
    {PageStyle::Street, "<a title=\"(.*?)\"  href=\".*?id=(.*?)\" target=\"_blank\">",
     gbk("<strong>(.*?) 元</strong>"), 2},
};

class SimServerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    SimOptions options;
    options.catalogue.seed = 7;
    options.catalogue.shops = 6;
    options.oversizedShop = 4;
    options.shortPriceShop = 5;
    options.duplicateShop = 6;
    server = new SimServer(options);
    ASSERT_TRUE(server->start());
  }
  static void TearDownTestSuite() {
    delete server;
    server = nullptr;
  }
  void TearDown() override { server->setFault("*", Fault::None); }

  static std::string shopUrl(int shop, const std::string& target) {
    return "http://" + server->hosts().shop(shop) + target;
  }
  static std::string gateway() { return "http://gw.localhost:" + std::to_string(server->port()); }
  static std::string picture(const std::string& path) { return "http://" + server->hosts().picture + path; }

  // The ids the crawler patterns find on a page, with the number of prices.
  static std::vector<std::string> idsOn(const std::string& page, PageStyle style, int* prices = nullptr) {
    const Patterns& p = kPatterns[static_cast<int>(style)];
    RegexMatcher items, priceMatcher;
    items.create(p.item);
    priceMatcher.create(p.price);
    std::vector<std::string> ids;
    for (int i = 1; i <= items.execute(page); ++i) {
      const std::string group = items.subMatch(i, p.idGroup);
      ids.push_back(style == PageStyle::Plain ? textBetween(group, "id=", "&") : group);
    }
    if (prices) *prices = priceMatcher.execute(page);
    return ids;
  }

  static inline SimServer* server = nullptr;
};

TEST_F(SimServerTest, ShopPagesCarryTheMarkersAndPatternsOfTheirStyle) {
  for (int number = 1; number <= 3; ++number) {
    const Shop& shop = *server->catalogue().shop(number);
    SCOPED_TRACE(number);
    const auto listing = server->catalogue().listing(shop, nullptr);
    const int pages = pageCount(shop, listing.size());
    const std::string search = bytesToPageText(fetchUrl(shopUrl(number, "/search.htm?search=y")));
    EXPECT_EQ(textBetween(search, gbk("共搜索到<span>"), gbk("</span>个符合条件的商品。")),
              std::to_string(listing.size()));
    EXPECT_EQ(textAfterLast(textBetween(search, "<span class=\"page-info\">", "</span>"), "/"),
              std::to_string(pages));

    const std::string page2 = fetchUrl(shopUrl(number, "/search.htm?&pageNum=2"));
    int prices = 0;
    const auto ids = idsOn(page2, shop.style, &prices);
    ASSERT_EQ(ids.size(), std::min<std::size_t>(shop.perPage, listing.size() - shop.perPage));
    EXPECT_EQ(prices, static_cast<int>(ids.size()));
    EXPECT_EQ(ids.front(), listing[static_cast<std::size_t>(shop.perPage)]->id);
    // Only its own style's pattern finds items, so the crawler can tell the styles apart.
    for (const auto& other : kPatterns) {
      if (other.style != shop.style) {
        EXPECT_TRUE(idsOn(page2, other.style).empty());
      }
    }
    EXPECT_NE(page2.find(gbk("下一页")), std::string::npos);
    EXPECT_NE(page2.find(gbk("到第")), std::string::npos);
  }
}

TEST_F(SimServerTest, CategoryPagesAndItemPages) {
  const Shop& shop = *server->catalogue().shop(2);
  for (const Category& category : shop.categories) {
    const auto listing = server->catalogue().listing(shop, &category);
    const std::string first = fetchUrl(shopUrl(2, "/category-" + category.id + ".htm?search=y"));
    EXPECT_EQ(textBetween(first, gbk("共搜索到<span>"), "</span>"), std::to_string(listing.size()));
    const std::string kind = category.byScid ? "scid=" : "catId=";
    const std::string page = fetchUrl(shopUrl(2, "/search.htm?&search=y&" + kind + category.id +
                                                     "&viewType=grid&orderType=_hotsell&pageNum=1"));
    const auto ids = idsOn(page, shop.style);
    ASSERT_FALSE(ids.empty());
    EXPECT_EQ(ids.front(), listing.front()->id);
  }
  const Item& item = server->catalogue().items().front();
  for (const char* host : {"item", "mall"}) {
    const std::string page = fetchUrl("http://" + std::string(host) + ".localhost:" +
                                      std::to_string(server->port()) + "/item.htm?id=" + item.id);
    EXPECT_EQ(textBetween(page, "itemId:\"", "\","), item.id);
    EXPECT_TRUE(textBetween(page, "<title>", "</title>").starts_with(utf8ToGbk(htmlEscape(item.title))));
  }
}

TEST_F(SimServerTest, GatewayChecksKeyAndSignature) {
  const auto& keys = server->catalogue().keys();
  const Item& item = server->catalogue().items()[0];
  XmlDocument answer;
  answer.loadBytes(fetchUrl(buildItemGetUrl(gateway(), item.id, keys[0].appKey, keys[0].appSecret)));
  EXPECT_EQ(answer.textAt("@1/msg"), "");
  EXPECT_EQ(answer.textAt("item_get_response/item/title"), utf8ToGbk(xmlEscape(item.title)));
  EXPECT_EQ(answer.childCount("item_get_response/item/skus"), static_cast<int>(item.skus.size()));
  EXPECT_EQ(answer.childCount("item_get_response/item/item_imgs"), 4);
  EXPECT_NE(answer.textAt("item_get_response/item/desc").find("&lt;IMG"), std::string::npos);
  const Item& cdata = server->catalogue().items()[3];
  ASSERT_TRUE(cdata.descAsCdata);
  answer.loadBytes(fetchUrl(buildItemGetUrl(gateway(), cdata.id, keys[0].appKey, keys[0].appSecret)));
  EXPECT_NE(answer.textAt("item_get_response/item/desc").find("<IMG"), std::string::npos);

  struct Case {
    std::string url;
    const char* msg;
  } cases[] = {
      {buildItemGetUrl(gateway(), item.id, keys[0].appKey, "wrong"), "Invalid signature"},
      {buildItemGetUrl(gateway(), item.id, "999", keys[0].appSecret), "Invalid app Key"},
      {buildItemGetUrl(gateway(), "1", keys[1].appKey, keys[1].appSecret), "Remote service error"},
      {composeSignedUrl(gateway(), keys[0].appKey, keys[0].appSecret, "", "xml", "md5", "", {},
                        apiTimestampNow()),
       "Missing method"},
  };
  for (const auto& c : cases) {
    answer.loadBytes(fetchUrl(c.url));
    EXPECT_EQ(answer.rootName(), "error_response") << c.msg;
    EXPECT_EQ(answer.textAt("@1/msg"), c.msg);
  }

  server->setFailingKeys({keys[2].appKey});
  answer.loadBytes(fetchUrl(buildItemGetUrl(gateway(), item.id, keys[2].appKey, keys[2].appSecret)));
  EXPECT_EQ(answer.textAt("@1/msg"), "App Call Limited");
  server->setFailingKeys({});
  answer.loadBytes(fetchUrl(buildItemGetUrl(gateway(), item.id, keys[2].appKey, keys[2].appSecret)));
  EXPECT_EQ(answer.textAt("@1/msg"), "");
}

TEST_F(SimServerTest, PicturesInEveryFormat) {
  for (const char* type : {"jpg", "png", "gif", "bmp"})
    EXPECT_EQ(detectPictureType(downloadBytes(picture(std::string("/taobao/a.") + type))), type);
  EXPECT_EQ(downloadBytes(picture("/missing/a.jpg")), "");
  EXPECT_EQ(downloadBytes(picture("/empty/a.jpg")), "");
  // A Chinese address works when asked for in GBK, not in UTF-8.
  EXPECT_EQ(detectPictureType(downloadBytes(picture("/taobao/" + percentEncodeText(gbk("红色")) + "_1.png"))),
            "png");
  EXPECT_EQ(downloadBytes(picture("/taobao/" + percentEncodeText("红色") + "_1.png")), "");
  const std::string key = server->catalogue().keys().front().appKey;
  EXPECT_NE(fetchUrl("http://vendor.localhost:" + std::to_string(server->port()) + "/kvrt_api//app2.xml")
                .find("appkey=\"" + key + "\""),
            std::string::npos);
}

TEST_F(SimServerTest, FaultsDoWhatTheySay) {
  const std::string url = shopUrl(1, "/search.htm?search=y");
  const std::string whole = fetchUrl(url);
  ASSERT_FALSE(whole.empty());

  server->setFault("shop", Fault::Empty);
  EXPECT_EQ(fetchUrl(url), "");
  server->setFault("shop", Fault::Truncate);
  const std::string half = fetchUrl(url);
  EXPECT_LT(half.size(), whole.size());
  EXPECT_EQ(half, whole.substr(0, half.size()));
  server->setFault("shop", Fault::Drop);
  EXPECT_EQ(fetchUrl(url), "");
  server->setFault("shop", Fault::Hang);
  FetchOptions limited;
  limited.timeoutSeconds = 1;
  EXPECT_EQ(fetchUrl(url, limited), "");
  // Other services are untouched by a fault of one.
  EXPECT_EQ(detectPictureType(downloadBytes(picture("/taobao/a.gif"))), "gif");
  server->setFault("shop", Fault::None);
  EXPECT_EQ(fetchUrl(url), whole);

  const auto& key = server->catalogue().keys().front();
  server->setFault("gw", Fault::MalformedXml);
  XmlDocument answer;
  EXPECT_FALSE(answer.loadBytes(fetchUrl(
      buildItemGetUrl(gateway(), server->catalogue().items().front().id, key.appKey, key.appSecret))));
}

TEST_F(SimServerTest, PageKnobs) {
  const Shop& oversized = *server->catalogue().shop(4);
  const std::string big = fetchUrl(shopUrl(4, "/search.htm?&pageNum=1"));
  ASSERT_GT(big.size(), 512000u);
  const std::size_t next = big.find(gbk("下一页"));
  const std::size_t jump = big.find(gbk("到第"), next);
  const auto kept = idsOn(big.substr(next + 1, jump + 1 - next - 1), oversized.style);
  EXPECT_EQ(kept.size(), static_cast<std::size_t>(oversized.perPage));
  EXPECT_GT(idsOn(big, oversized.style).size(), kept.size()) << "decoys past the pager";

  const Shop& shortPrice = *server->catalogue().shop(5);
  int prices = 0;
  const auto ids = idsOn(fetchUrl(shopUrl(5, "/search.htm?&pageNum=1")), shortPrice.style, &prices);
  EXPECT_EQ(prices + 1, static_cast<int>(ids.size()));

  const Shop& duplicate = *server->catalogue().shop(6);
  const auto page1 = idsOn(fetchUrl(shopUrl(6, "/search.htm?&pageNum=1")), duplicate.style);
  const auto page2 = idsOn(fetchUrl(shopUrl(6, "/search.htm?&pageNum=2")), duplicate.style);
  EXPECT_EQ(page2.front(), page1.front());
}

TEST_F(SimServerTest, CountsRequestsPerRouteAndTarget) {
  server->resetCounters();
  const std::string target = server->hosts().shop(1) + "/search.htm?&pageNum=3";
  fetchUrl("http://" + target);
  fetchUrl("http://" + target);
  downloadBytes(picture("/taobao/a.png"));
  EXPECT_EQ(server->targetCount(target), 2);
  EXPECT_EQ(server->requestCount("result"), 2);
  EXPECT_EQ(server->requestCount("picture"), 1);
}

TEST(SimCatalogue, SameSeedSamePages) {
  auto render = [](uint32_t seed) {
    CatalogueOptions options;
    options.seed = seed;
    const Catalogue catalogue(options);
    Hosts hosts;
    hosts.port = 1;
    hosts.item = "item.localhost:1";
    hosts.picture = "img.localhost:1";
    const Shop& shop = *catalogue.shop(2);
    return resultPage(shop, nullptr, catalogue.listing(shop, nullptr), 1, hosts, {}) +
           itemAnswer(catalogue.items()[5], hosts);
  };
  EXPECT_EQ(render(11), render(11));
  EXPECT_NE(render(11), render(12));
}

}  // namespace
}  // namespace tessaly::sim
