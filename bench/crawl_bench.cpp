// A 100-page shop crawled by the five crawler threads against the simulator with 20 ms
// latency per response: wall time against the ideal of pages x latency / 5, and the
// client's CPU time per page.
#include <chrono>
#include <cstdio>

#include "app/activity_log.hpp"
#include "app/item_list.hpp"
#include "gather/crawler.hpp"
#include "sim_process.hpp"

int main() {
  using namespace tessaly;
  constexpr int kPages = 100;
  constexpr int kLatencyMs = 20;
  sim::SimOptions options;
  options.catalogue.shops = 1;
  options.catalogue.itemsPerShop = kPages * sim::Catalogue(options.catalogue).shop(1)->perPage;
  options.latencyMs = kLatencyMs;
  bench::SimProcess simulator(options);

  CrawlPlan plan;
  plan.mode = AddressMode::Shop;
  plan.shopHost = simulator.host("shop1");
  plan.itemHost = simulator.host("item");
  plan.pageTotal = kPages;
  ItemList items;
  ActivityLog log;

  const double cpuBefore = bench::cpuSeconds();
  const auto start = std::chrono::steady_clock::now();
  {
    Crawl crawl(plan, items, log);
    crawl.wait();
  }
  const double wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  const double cpu = bench::cpuSeconds() - cpuBefore;
  const double ideal = kPages * kLatencyMs / 1000.0 / Crawl::kThreads;
  std::printf("crawl of %d pages (%d items) at %d ms latency: %.3f s, ideal %.3f s, ratio %.2f (goal <= 1.15); "
              "client CPU %.2f ms per page\n",
              kPages, items.count(), kLatencyMs, wall, ideal, wall / ideal, cpu / kPages * 1000);
  return items.count() == options.catalogue.itemsPerShop ? 0 : 1;
}
