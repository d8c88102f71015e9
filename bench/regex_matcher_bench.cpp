// RegexMatcher throughput with the crawler's item and price patterns over a full-size
// shop page, GBK conversion included.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>

#include "support/gbk.hpp"
#include "support/regex_matcher.hpp"

namespace {

using namespace tessaly;

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
