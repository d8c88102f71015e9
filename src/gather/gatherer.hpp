#pragma once
// The "添加到列表" operation: turns the address the user typed, read according to the
// address mode, into list rows — one row for an item page, or a crawl of every result
// page of a shop or shop category.
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "app/program_state.hpp"
#include "gather/crawler.hpp"
#include "net/fetch.hpp"

namespace tessaly {

class ItemList;
class ActivityLog;

class Gatherer {
 public:
  Gatherer(ProgramState& state, ItemList& items, ActivityLog& log);
  // Cancels and waits for every crawl still running.
  ~Gatherer();

  // Handles one click with the box text and the current address mode. Returns the crawl
  // it started (which runs on its own threads), or null. The page fetch blocks the
  // caller; `fetch` carries its options (cancellation, message pumping).
  std::shared_ptr<Crawl> addToList(const std::string& boxText, const FetchOptions& fetch = {});

  // Waits for every crawl started so far.
  void waitForCrawls();
  void cancelCrawls();

 private:
  void addSingle(const std::string& boxText, const FetchOptions& fetch);
  std::shared_ptr<Crawl> startCrawl(CrawlPlan plan, const std::string& page);

  ProgramState& state_;
  ItemList& items_;
  ActivityLog& log_;
  std::mutex mutex_;
  std::vector<std::shared_ptr<Crawl>> crawls_;
};

}  // namespace tessaly
