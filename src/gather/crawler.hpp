#pragma once
// Reads the result pages of a shop, or of one of its categories, with five threads and
// appends a list row for every item the page patterns recognise.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/program_state.hpp"
#include "support/cancel_token.hpp"

namespace tessaly {

class ItemList;
class ActivityLog;

// Everything a crawl reads, fixed when it starts: a later click or a change of the
// address mode never changes the pages a running crawl reads.
struct CrawlPlan {
  AddressMode mode = AddressMode::Shop;
  std::string shopHost;
  int categoryKind = 0;  // 1: "scid=", 2: "catId=" or "category-"
  std::string categoryId;
  int pageTotal = 0;
  std::string itemHost;  // for the rows' item addresses
};

// The address of result page p.
std::string resultPageAddress(const CrawlPlan& plan, int page);

class Crawl {
 public:
  static constexpr int kThreads = 5;

  // Starts the threads at once.
  Crawl(CrawlPlan plan, ItemList& items, ActivityLog& log);
  // Cancels and waits.
  ~Crawl();
  Crawl(const Crawl&) = delete;
  Crawl& operator=(const Crawl&) = delete;

  // Blocks until every thread has found no page left.
  void wait();
  // Breaks off the fetches under way; threads end after their current page.
  void cancel();
  const CrawlPlan& plan() const { return plan_; }

 private:
  void run(int crawler);

  const CrawlPlan plan_;
  ItemList& items_;
  ActivityLog& log_;
  std::atomic<int32_t> pagesClaimed_{0};
  CancelToken cancel_;
  std::vector<std::thread> threads_;
};

}  // namespace tessaly
