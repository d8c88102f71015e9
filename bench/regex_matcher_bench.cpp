// RegexMatcher throughput on the crawler's job: the item and price patterns of each shop
// page style over a full-size (512000-byte) GBK result page of that style, the GBK to
// UTF-8 conversion of every execute and the reading of every item's groups included.
// The figure is page bytes per second for one pass of a pattern pair; the conversion
// alone is measured beside it as the floor.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "bench_clock.hpp"
#include "support/gbk.hpp"
#include "support/regex_matcher.hpp"

namespace {

using namespace tessaly;

constexpr std::size_t kPageBytes = 512000;

struct Style {
  const char* name;  // UTF-8, for printing
  std::string itemPattern;
  std::string pricePattern;
  int idGroup, titleGroup;
  std::string (*cell)(int i);
};

const char* const kTitles[] = {
    "2012新款韩版修身长袖连衣裙 秋冬加厚打底裙",
    "厂家直销 绣花撞色大码打底衫插肩袖修身百搭短袖T恤 6352# 实拍",
    "zara 男士休闲皮衣 专柜正品",
    "apple 最新OS系统 U盘安装",
    "秋款新特 帽子衬衫 戴帽子的女长袖衬衫2182#",
    "纯棉四件套 全棉床单被套 1.8m床上用品 包邮",
};

std::string title(int i) {
  return kTitles[i % std::size(kTitles)] + std::string(" ") + std::to_string(i);
}
std::string id(int i) {
  return std::to_string(37000000000LL + i * 7919LL);
}
std::string price(int i) {
  return std::to_string(19 + i % 480) + ".00";
}

// The older shop markup: the title on a line of its own inside the permalink anchor.
std::string plainCell(int i) {
  return "<div class=\"item\">\n  <div class=\"pic\">\n    <a target=\"_blank\" "
         "href=\"http://item.taobao.com/item.htm?id=" +
         id(i) + "\"><img alt=\"" + title(i) +
         "\" src=\"http://img01.taobaocdn.com/bao/uploaded/i" + std::to_string(i % 4) + "/T1q3ON" +
         std::to_string(i) +
         "_!!0-item_pic.jpg_160x160.jpg\" /></a>\n  </div>\n"
         "  <div class=\"desc\">\n    <a target=\"_blank\" "
         "href=\"http://item.taobao.com/item.htm?id=" +
         id(i) + "&ad_id=&am_id=&cm_id=&pm_id=\" class=\"permalink\" style=\"\">\n" + title(i) +
         "\n      </a>\n  </div>\n  <div class=\"price\">\n    <s>&yen;</s><strong>" + price(i) +
         "</strong>\n  </div>\n  <div class=\"sales\">最近成交<em>" + std::to_string(i % 97) +
         "</em>笔</div>\n</div>\n";
}

// The 2014 shop markup, as in the real item cells kept with the tests.
std::string shopCell(int i) {
  return "<dl class=\"item \" data-id=\"" + id(i) +
         "\">\n  <dt class=\"photo\">\n"
         "    <a href=\"http://item.taobao.com/item.htm?id=" +
         id(i) +
         "\" target=\"_blank\">\n"
         "      <img alt=\"" +
         title(i) +
         "\"  data-ks-lazyload=\"http://img01.taobaocdn.com/bao/"
         "uploaded/i4/T1q3ONFuJdXX" +
         std::to_string(i) +
         "_!!0-item_pic.jpg_240x240.jpg\" "
         "src=\"http://a.tbcdn.cn/s.gif\"  >\n    </a>\n  </dt>\n  <dd class=\"detail\">\n"
         "    <a class=\"item-name\" href=\"http://item.taobao.com/item.htm?id=" +
         id(i) + "\" target=\"_blank\">" + title(i) +
         "</a>\n    <div class=\"attribute\">\n"
         "      <div class=\"cprice-area\"><span class=\"symbol\">&yen;</span><span "
         "class=\"c-price\">" +
         price(i) +
         " </span></div>\n      <div class=\"sale-area\">已售："
         "<span class=\"sale-num\">" +
         std::to_string(i % 97) +
         "</span>件</div>\n    </div>\n"
         "  </dd>\n  <dd class=\"rates\">\n    <div class=\"title\">\n      <h4>\n        评论(<a "
         "href=\"http://item.taobao.com/item.htm?id=" +
         id(i) +
         "&on_comment=1\" target=\"_blank\">"
         "<span>" +
         std::to_string(i % 13) +
         "</span></a>)\n      </h4>\n    </div>\n"
         "    <p class=\"rate J_TRate\"></p>\n  </dd>\n</dl>\n";
}

// The shop-street markup: title in the anchor's attribute, the price in yuan.
std::string streetCell(int i) {
  return "<li class=\"list-item\">\n  <div class=\"photo\"><a title=\"" + title(i) +
         "\"  href=\"http://item.taobao.com/item.htm?id=" + id(i) +
         "\" target=\"_blank\">"
         "<img src=\"http://img02.taobaocdn.com/bao/uploaded/i2/T1" +
         std::to_string(i) +
         "_b.jpg_120x120.jpg\" /></a></div>\n  <div class=\"info\">\n    <p class=\"price\">"
         "<strong>" +
         price(i) + " 元</strong></p>\n    <p class=\"sales\">月销量 " + std::to_string(i % 97) +
         " 件</p>\n  </div>\n</li>\n";
}

const std::vector<Style>& styles() {
  static const std::vector<Style> all = {
      {"普通",
       gbk("<a target=\"_blank\" href=\"(.*?)\" class=\"permalink\" style=\"\">\n(.*?)\n\\s*</a>"),
       gbk("&yen;</s><strong>(.*?)</strong>\n"), 1, 2, plainCell},
      {"旺铺", gbk("<a class=\"item-name\" href=\".*?id=(.*?)\" target=\"_blank\">(.*?)</a>"),
       gbk("<span class=\"c-price\">(.*?)</span>"), 1, 2, shopCell},
      {"店铺街", gbk("<a title=\"(.*?)\"  href=\".*?id=(.*?)\" target=\"_blank\">"),
       gbk("<strong>(.*?) 元</strong>"), 2, 1, streetCell},
  };
  return all;
}

// A result page of exactly kPageBytes in GBK: head, item cells, pagination at the end.
std::string page(const Style& style) {
  std::string utf8 =
      "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"gbk\" />\n<title>首页-店铺搜索</title>\n"
      "</head>\n<body>\n<div id=\"J_ShopSearchResult\">\n";
  for (int i = 0; gbk(utf8).size() < kPageBytes + 4096; i += 16)
    for (int k = i; k < i + 16; ++k) utf8 += style.cell(k);
  std::string out = gbk(utf8);
  const std::string tail =
      gbk("<div class=\"pagination\"><a class=\"next\">下一页</a>到第 页</div>");
  out.resize(kPageBytes - tail.size());
  return out + tail;
}

// One style's pair over the page, as the crawler reads it: every item's id and title and
// the price of the same ordinal.
int scan(RegexMatcher& items, RegexMatcher& prices, const Style& style, const std::string& text) {
  items.create(style.itemPattern);
  prices.create(style.pricePattern);
  const int n = items.execute(text);
  prices.execute(text);
  for (int i = 1; i <= n; ++i) {
    benchmark::DoNotOptimize(items.subMatch(i, style.idGroup));
    benchmark::DoNotOptimize(items.subMatch(i, style.titleGroup));
    benchmark::DoNotOptimize(prices.subMatch(i, 1));
  }
  return n;
}

// The crawler's whole extraction step: the styles tried in order until the item pattern
// finds something.
int crawl(RegexMatcher& items, RegexMatcher& prices, const std::string& text) {
  for (const Style& style : styles())
    if (const int n = scan(items, prices, style, text)) return n;
  return 0;
}

void registerBenchmarks() {
  for (const Style& style : styles()) {
    const std::string name = style.name;
    benchmark::RegisterBenchmark(("PatternPair/" + name).c_str(), [&style](
                                                                      benchmark::State& state) {
      const std::string text = page(style);
      RegexMatcher items, prices;
      for (auto _ : state) scan(items, prices, style, text);
      state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    })->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("CrawlerStyleSearch/" + name).c_str(), [&style](benchmark::State&
                                                                                      state) {
      const std::string text = page(style);
      RegexMatcher items, prices;
      for (auto _ : state) crawl(items, prices, text);
      state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
    })->Unit(benchmark::kMillisecond);
  }
  benchmark::RegisterBenchmark("GbkToUtf8Floor", [](benchmark::State& state) {
    const std::string text = page(styles()[1]);
    std::string utf8;
    for (auto _ : state) gbkToUtf8(text, utf8);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * text.size()));
  })->Unit(benchmark::kMillisecond);
}

// Thread CPU seconds per call of `work`, the best of several rounds of at least 50 ms:
// the machine is shared, and other processes' load should not pass for ours.
template <typename Work>
double secondsPerCall(Work work) {
  double best = 1e9;
  for (int round = 0; round < 7; ++round) best = std::min(best, tessaly::bench::cpuSecondsPerCall(work, 0.05));
  return best;
}

void printSummary() {
  std::printf(
      "\nPage bytes per CPU second (best of 7 rounds), %zu-byte GBK pages, conversion "
      "included:\n",
      kPageBytes);
  for (const Style& style : styles()) {
    const std::string text = page(style);
    RegexMatcher items, prices;
    int found = 0;
    const double pair = secondsPerCall([&] { found = scan(items, prices, style, text); });
    const double search = secondsPerCall([&] { crawl(items, prices, text); });
    std::printf(
        "  %s: item + price patterns %.0f MB/s (%d items, %.2f ms); styles tried in "
        "crawler order %.0f MB/s\n",
        style.name, text.size() / pair / 1e6, found, pair * 1e3, text.size() / search / 1e6);
  }
  const Style& shop = styles()[1];
  const std::string text = page(shop);
  RegexMatcher items, prices;
  const double pair = secondsPerCall([&] { scan(items, prices, shop, text); });
  std::string utf8;
  const double floor = secondsPerCall([&] { gbkToUtf8(text, utf8); });
  std::printf(
      "RegexMatcher %s item + price patterns over a %zu-byte GBK page: %.0f MB/s "
      "(goal: at least 100 MB/s); GBK to UTF-8 alone: %.0f MB/s\n",
      shop.name, text.size(), text.size() / pair / 1e6, text.size() / floor / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  registerBenchmarks();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printSummary();
  return 0;
}
