// Reader and matcher throughput on realistic inputs, each against a baseline measured in
// the same run: XmlDocument against pugixml on the same item answer, and RegexMatcher
// (GBK conversion included) over a full-size shop page.
#include <benchmark/benchmark.h>

#include <pugixml.hpp>

#include <chrono>
#include <cstdio>

#include "support/gbk.hpp"
#include "support/regex_matcher.hpp"
#include "support/xml_document.hpp"

namespace {

using namespace tessaly;

// An item answer as the gateway sends it: UTF-8 declared, a long HTML description,
// SKUs and pictures. About 40 KB.
std::string itemAnswer() {
  std::string desc;
  for (int i = 0; i < 200; ++i)
    desc += "&lt;p&gt;&lt;img src=&quot;http://img.example/imgextra/i" + std::to_string(i) +
            "/T1abc_" + std::to_string(i) + ".jpg&quot; /&gt;纯棉面料，舒适透气，做工精细。"
            "尺码齐全，欢迎选购！&lt;/p&gt;\n";
  std::string skus, imgs, props;
  for (int k = 1; k <= 24; ++k) {
    skus += "<sku><sku_id>" + std::to_string(9000 + k) + "</sku_id><price>" +
            std::to_string(90 + k) + ".00</price><quantity>" + std::to_string(k * 3) +
            "</quantity><outer_id>A" + std::to_string(k) + "</outer_id><properties>1627207:" +
            std::to_string(28320 + k) + ";20509:" + std::to_string(28381 + k) +
            "</properties><created>2011-12-01 10:00:00</created></sku>";
  }
  for (int k = 0; k < 5; ++k)
    imgs += "<item_img><id>" + std::to_string(k) + "</id><position>" + std::to_string(k) +
            "</position><url>http://img.example/bao/uploaded/i" + std::to_string(k) +
            "/T1xyz.jpg</url></item_img>";
  for (int k = 0; k < 4; ++k)
    props += "<prop_img><id>" + std::to_string(k) + "</id><properties>1627207:" +
             std::to_string(28320 + k) + "</properties><url>http://img.example/p" +
             std::to_string(k) + ".jpg</url></prop_img>";
  return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<item_get_response><item>"
         "<approve_status>onsale</approve_status><cid>50000671</cid>"
         "<desc>" + desc + "</desc><detail_url>http://item.example/item.htm?id=1&amp;x=2</detail_url>"
         "<ems_fee>20.00</ems_fee><express_fee>10.00</express_fee><freight_payer>buyer</freight_payer>"
         "<has_warranty>true</has_warranty><input_pids>20000</input_pids><input_str>品牌</input_str>"
         "<item_imgs>" + imgs + "</item_imgs><list_time>2011-12-01 10:00:00</list_time>"
         "<location><city>杭州</city><state>浙江</state></location>"
         "<modified>2011-12-02 10:00:00</modified><num>195</num><outer_id>X1</outer_id>"
         "<post_fee>5.00</post_fee><price>99.00</price><prop_imgs>" + props + "</prop_imgs>"
         "<property_alias>1627207:28320:深红</property_alias>"
         "<props>20000:3275069;1627207:28320;20509:28381</props><seller_cids>,123,</seller_cids>"
         "<skus>" + skus + "</skus><title>秋款新特 帽子衬衫 戴帽子的女长袖衬衫2182#</title>"
         "<valid_thru>7</valid_thru></item></item_get_response>\n<!--top-->";
}

const char* const kPaths[] = {
    "@1/msg", "item_get_response/item/title", "item_get_response/item/price",
    "item_get_response/item/num", "item_get_response/item/desc",
    "item_get_response/item/location/state", "item_get_response/item/props",
    "item_get_response/item/skus/@12/price", "item_get_response/item/skus/@24/properties",
    "item_get_response/item/item_imgs/@3/url", "item_get_response/item/prop_imgs/@2/properties",
    "item_get_response/item/property_alias",
};

// A shop result page of 512000 bytes in the "旺铺" markup, GBK.
std::string shopPage() {
  std::string page = gbk("<html><head><title>店铺首页</title></head><body><div class=\"shop\">\n");
  for (int i = 0; page.size() < 512000; ++i) {
    const std::string id = std::to_string(10000000 + i);
    page += gbk("<dl class=\"item\"><dt class=\"photo\"><a href=\"http://item.example/item.htm?id=" +
                id + "\"><img src=\"http://img.example/" + std::to_string(i) +
                ".jpg_160x160.jpg\"></a></dt><dd class=\"detail\">"
                "<a class=\"item-name\" href=\"http://item.example/item.htm?id=" + id +
                "\" target=\"_blank\">2012新款韩版修身长袖连衣裙 " + std::to_string(i) +
                "</a><div class=\"attribute\"><div class=\"cprice-area\">"
                "<span class=\"symbol\">&yen;</span><span class=\"c-price\">" +
                std::to_string(50 + i % 300) + ".00</span></div><div class=\"sale-area\">"
                "已售出<span class=\"sale-num\">" + std::to_string(i % 97) +
                "</span>件</div></div></dd></dl>\n");
  }
  page.resize(512000);
  return page;
}

const char* const kItemPattern =
    "<a class=\"item-name\" href=\".*?id=(.*?)\" target=\"_blank\">(.*?)</a>";
const char* const kPricePattern = "<span class=\"c-price\">(.*?)</span>";

void queryAnswer(XmlDocument& doc, const std::string& answer) {
  doc.loadBytes(answer);
  for (const char* p : kPaths) benchmark::DoNotOptimize(doc.textAt(p));
  benchmark::DoNotOptimize(doc.childCount("item_get_response/item/skus"));
}

void parseWithPugixml(const std::string& answer) {
  pugi::xml_document doc;
  doc.load_buffer(answer.data(), answer.size());
  benchmark::DoNotOptimize(doc.first_child());
}

int scanPage(RegexMatcher& items, RegexMatcher& prices, const std::string& page) {
  const int n = items.execute(page);
  prices.execute(page);
  for (int i = 1; i <= n; ++i) {
    benchmark::DoNotOptimize(items.subMatch(i, 1));
    benchmark::DoNotOptimize(items.subMatch(i, 2));
    benchmark::DoNotOptimize(prices.subMatch(i, 1));
  }
  return n;
}

void BM_XmlDocumentLoadAndQuery(benchmark::State& state) {
  const std::string answer = itemAnswer();
  XmlDocument doc;
  for (auto _ : state) queryAnswer(doc, answer);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(BM_XmlDocumentLoadAndQuery);

void BM_PugixmlParseBaseline(benchmark::State& state) {
  const std::string answer = itemAnswer();
  for (auto _ : state) parseWithPugixml(answer);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(BM_PugixmlParseBaseline);

void BM_RegexCrawlerPatternsOverShopPage(benchmark::State& state) {
  const std::string page = shopPage();
  RegexMatcher items, prices;
  items.create(kItemPattern);
  prices.create(kPricePattern);
  for (auto _ : state) scanPage(items, prices, page);
  // Both patterns read the whole page: the figure is page bytes per second.
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * page.size()));
}
BENCHMARK(BM_RegexCrawlerPatternsOverShopPage)->Unit(benchmark::kMillisecond);

// Seconds per call of `work`, measured over at least half a second.
template <typename Work>
double secondsPerCall(Work work) {
  using Clock = std::chrono::steady_clock;
  int calls = 0;
  const auto start = Clock::now();
  auto elapsed = [&] { return std::chrono::duration<double>(Clock::now() - start).count(); };
  while (elapsed() < 0.5) {
    work();
    ++calls;
  }
  return elapsed() / calls;
}

void printSummary() {
  const std::string answer = itemAnswer();
  XmlDocument doc;
  const double ours = secondsPerCall([&] { queryAnswer(doc, answer); });
  const double pugi = secondsPerCall([&] { parseWithPugixml(answer); });
  std::printf("XmlDocument load + %zu queries on a %zu-byte answer: %.1f us; pugixml parse: %.1f us;"
              " ratio %.2fx (goal: within 4x)\n",
              std::size(kPaths), answer.size(), ours * 1e6, pugi * 1e6, ours / pugi);

  const std::string page = shopPage();
  RegexMatcher items, prices;
  items.create(kItemPattern);
  prices.create(kPricePattern);
  int found = 0;
  const double perPage = secondsPerCall([&] { found = scanPage(items, prices, page); });
  std::printf("RegexMatcher item + price patterns over a %zu-byte GBK page (%d items): %.2f ms,"
              " %.0f MB/s (goal: at least 100 MB/s)\n",
              page.size(), found, perPage * 1e3, page.size() / perPage / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printSummary();
  return 0;
}
