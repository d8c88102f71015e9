#include "gather/gatherer.hpp"

#include "app/activity_log.hpp"
#include "app/item_list.hpp"
#include "support/gbk.hpp"
#include "support/text.hpp"

namespace tessaly {

Gatherer::Gatherer(ProgramState& state, ItemList& items, ActivityLog& log)
    : state_(state), items_(items), log_(log) {}

Gatherer::~Gatherer() {
  cancelCrawls();
  waitForCrawls();
}

std::shared_ptr<Crawl> Gatherer::addToList(const std::string& boxText, const FetchOptions& fetch) {
  if (trimBlanks(boxText).empty()) return nullptr;
  const AddressMode mode = state_.addressMode.load();
  const Endpoints& endpoints = state_.endpoints;
  CrawlPlan plan;
  plan.mode = mode;
  plan.itemHost = endpoints.itemHost;
  std::string page;

  switch (mode) {
    case AddressMode::None:
      return nullptr;
    case AddressMode::Single:
      addSingle(boxText, fetch);
      return nullptr;
    case AddressMode::Shop: {
      plan.shopHost = trimBlanks(textBetween(boxText, "http://", "/"));
      if (plan.shopHost.empty() || plan.shopHost == endpoints.itemHost ||
          plan.shopHost == endpoints.mallItemHost) {
        log_.appendLogLine(gbk("  店铺地址输入不正确，未识别到宝贝！\r\n"));
        return nullptr;
      }
      page = bytesToPageText(fetchUrl("http://" + plan.shopHost + "/search.htm?search=y", fetch));
      if (page.empty()) log_.appendLogLine(gbk("  店铺地址输入不正确，未识别到宝贝！\r\n"));
      break;
    }
    case AddressMode::List: {
      // Each test that matches overwrites what an earlier one set, also with empty text.
      if (containsText(boxText, "scid=")) {
        plan.categoryKind = 1;
        plan.categoryId = trimBlanks(textBetween(boxText, "&scid=", "&"));
      }
      if (containsText(boxText, "catId=")) {
        plan.categoryKind = 2;
        plan.categoryId = trimBlanks(textBetween(boxText, "&catId=", "&"));
      }
      if (containsText(boxText, "category-")) {
        plan.categoryKind = 2;
        plan.categoryId = trimBlanks(textBetween(boxText, "category-", "."));
      }
      if (plan.categoryId.empty()) {
        log_.appendLogLine(gbk("  分类地址输入不正确，未识别到宝贝！\r\n"));
        return nullptr;
      }
      page = bytesToPageText(fetchUrl(boxText, fetch));
      if (page.empty()) log_.appendLogLine(gbk("  店铺地址输入不正确，未识别到宝贝！1\r\n"));
      plan.shopHost = trimBlanks(textBetween(boxText, "http://", "/"));
      break;
    }
  }
  return startCrawl(std::move(plan), page);
}

void Gatherer::addSingle(const std::string& boxText, const FetchOptions& fetch) {
  const std::string page = bytesToPageText(fetchUrl(boxText, fetch));
  const std::string id = textBetween(page, "itemId:\"", "\",");
  const std::string title = textBetween(page, "<title>", "</title>");
  if (trimBlanks(id).empty() || trimBlanks(title).empty()) {
    log_.appendLogLine(gbk("  地址输入不正确，未识别到宝贝！\r\n"));
    return;
  }
  items_.append({title, "", boxText, id});
}

std::shared_ptr<Crawl> Gatherer::startCrawl(CrawlPlan plan, const std::string& page) {
  const std::string count = trimBlanks(textBetween(page, gbk("共搜索到<span>"), gbk("</span>个符合条件的商品。")));
  log_.appendLogLine(gbk("  共搜索到：") + count + gbk(" 个商品\r\n"));
  const std::string pages = textAfterLast(textBetween(page, "<span class=\"page-info\">", "</span>"), "/");
  const double total = readDecimal(pages);
  if (static_cast<int>(total) <= 0) {
    log_.appendLogLine(gbk("  该分类未识别到宝贝！\r\n"));
    return nullptr;
  }
  log_.appendLogLine(gbk("  宝贝页码从第 1 页到第  ") + pages + gbk("  页下载，总页码数是 ") + pages +
                     gbk(" 页！\r\n"));
  plan.pageTotal = static_cast<int>(std::min(total, 1e6));
  auto crawl = std::make_shared<Crawl>(std::move(plan), items_, log_);
  std::lock_guard lock(mutex_);
  crawls_.push_back(crawl);
  return crawl;
}

void Gatherer::waitForCrawls() {
  std::vector<std::shared_ptr<Crawl>> crawls;
  {
    std::lock_guard lock(mutex_);
    crawls.swap(crawls_);
  }
  for (const auto& crawl : crawls) crawl->wait();
}

void Gatherer::cancelCrawls() {
  std::lock_guard lock(mutex_);
  for (const auto& crawl : crawls_) crawl->cancel();
}

}  // namespace tessaly
