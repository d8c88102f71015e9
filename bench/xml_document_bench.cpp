// XmlDocument on a realistic item answer against pugixml parsing the same bytes, both
// measured in the same run. Our side does what a package worker does per answer: load
// (UTF-8 -> GBK included) and a dozen path queries; pugixml only parses.
#include <benchmark/benchmark.h>
#include <time.h>

#include <algorithm>
#include <cstdio>
#include <iterator>
#include <pugixml.hpp>

#include "bench_clock.hpp"
#include "support/xml_document.hpp"

namespace {

using namespace tessaly;

// An item answer as the gateway sends it: UTF-8 declared, a long HTML description
// (escaped, or raw inside a CDATA section), SKUs, item and property pictures, Chinese
// property names. About 40 KB either way.
std::string itemAnswer(bool descInCdata) {
  std::string html;
  for (int i = 0; i < 200; ++i)
    html += "<p style=\"margin:0;\"><img src=\"http://img.example/imgextra/i" + std::to_string(i) +
            "/T1abc_" + std::to_string(i) +
            ".jpg\" /><span>纯棉面料，舒适透气，做工精细。"
            "尺码齐全，欢迎选购！</span></p>\n";
  std::string desc;
  if (descInCdata) {
    desc = "<![CDATA[" + html + "]]>";
  } else {
    for (char c : html) {
      if (c == '<')
        desc += "&lt;";
      else if (c == '>')
        desc += "&gt;";
      else if (c == '"')
        desc += "&quot;";
      else
        desc += c;
    }
  }
  std::string skus, imgs, props;
  for (int k = 1; k <= 24; ++k) {
    skus += "<sku><sku_id>" + std::to_string(9000 + k) + "</sku_id><price>" +
            std::to_string(90 + k) + ".00</price><quantity>" + std::to_string(k * 3) +
            "</quantity><outer_id>A" + std::to_string(k) +
            "</outer_id><properties>1627207:" + std::to_string(28320 + k) +
            ";20509:" + std::to_string(28381 + k) +
            "</properties><created>2011-12-01 10:00:00</created></sku>";
  }
  for (int k = 0; k < 5; ++k)
    imgs += "<item_img><id>" + std::to_string(k) + "</id><position>" + std::to_string(k) +
            "</position><url>http://img.example/bao/uploaded/i" + std::to_string(k) +
            "/T1xyz.jpg</url></item_img>";
  for (int k = 0; k < 4; ++k)
    props += "<prop_img><id>" + std::to_string(k) +
             "</id><properties>1627207:" + std::to_string(28320 + k) +
             "</properties><url>http://img.example/p" + std::to_string(k) + ".jpg</url></prop_img>";
  return "<?xml version=\"1.0\" encoding=\"utf-8\" ?>\n<item_get_response><item>"
         "<approve_status>onsale</approve_status><cid>50000671</cid>"
         "<desc>" +
         desc +
         "</desc><detail_url>http://item.example/item.htm?id=1&amp;x=2</detail_url>"
         "<ems_fee>20.00</ems_fee><express_fee>10.00</express_fee><freight_payer>buyer</"
         "freight_payer>"
         "<has_warranty>true</has_warranty><input_pids>20000</input_pids><input_str>品牌</"
         "input_str>"
         "<item_imgs>" +
         imgs +
         "</item_imgs><list_time>2011-12-01 10:00:00</list_time>"
         "<location><city>杭州</city><state>浙江</state></location>"
         "<modified>2011-12-02 10:00:00</modified><num>195</num><outer_id>X1</outer_id>"
         "<post_fee>5.00</post_fee><price>99.00</price><prop_imgs>" +
         props +
         "</prop_imgs>"
         "<property_alias>1627207:28320:深红</property_alias>"
         "<props>20000:3275069;1627207:28320;20509:28381</props>"
         "<props_name>20000:3275069:品牌:其他;1627207:28320:颜色分类:酒红色;20509:28381:尺码:均码"
         "</props_name><seller_cids>,123,</seller_cids>"
         "<skus>" +
         skus +
         "</skus><title>秋款新特 帽子衬衫 戴帽子的女长袖衬衫2182#</title>"
         "<valid_thru>7</valid_thru></item></item_get_response>\n<!--top-->";
}

const char* const kPaths[] = {
    "@1/msg",
    "item_get_response/item/title",
    "item_get_response/item/price",
    "item_get_response/item/num",
    "item_get_response/item/desc",
    "item_get_response/item/location/state",
    "item_get_response/item/props_name",
    "item_get_response/item/skus/@12/price",
    "item_get_response/item/skus/@24/properties",
    "item_get_response/item/item_imgs/@3/url",
    "item_get_response/item/prop_imgs/@2/properties",
    "item_get_response/item/property_alias",
};

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

void BM_XmlDocumentLoadAndQuery(benchmark::State& state) {
  const std::string answer = itemAnswer(state.range(0) != 0);
  XmlDocument doc;
  for (auto _ : state) queryAnswer(doc, answer);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(BM_XmlDocumentLoadAndQuery)->ArgName("cdata")->Arg(0)->Arg(1);

void BM_PugixmlParseBaseline(benchmark::State& state) {
  const std::string answer = itemAnswer(state.range(0) != 0);
  for (auto _ : state) parseWithPugixml(answer);
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * answer.size()));
}
BENCHMARK(BM_PugixmlParseBaseline)->ArgName("cdata")->Arg(0)->Arg(1);

// The two sides measured in alternating rounds, best round of each.
void printRatio(bool descInCdata) {
  const std::string answer = itemAnswer(descInCdata);
  XmlDocument doc;
  double ours = 1e9, pugi = 1e9;
  for (int round = 0; round < 5; ++round) {
    ours = std::min(ours, tessaly::bench::cpuSecondsPerCall([&] { queryAnswer(doc, answer); }, 0.1));
    pugi = std::min(pugi, tessaly::bench::cpuSecondsPerCall([&] { parseWithPugixml(answer); }, 0.1));
  }
  std::printf(
      "XmlDocument load + %zu queries on a %zu-byte answer (desc %s): %.1f us;"
      " pugixml parse: %.1f us; ratio %.2fx (goal: within 4x)\n",
      std::size(kPaths) + 1, answer.size(), descInCdata ? "in CDATA" : "escaped", ours * 1e6,
      pugi * 1e6, ours / pugi);
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  printRatio(false);
  printRatio(true);
  return 0;
}
