#include "gather/crawler.hpp"

#include "app/activity_log.hpp"
#include "app/item_list.hpp"
#include "net/fetch.hpp"
#include "support/claim.hpp"
#include "support/component_model.hpp"
#include "support/gbk.hpp"
#include "support/regex_matcher.hpp"
#include "support/text.hpp"

namespace tessaly {
namespace {

constexpr std::size_t kPageCutSize = 512000;

struct StylePatterns {
  std::string name;
  std::string item;
  std::string price;
};

// The three page styles in the order they are tried.
const std::vector<StylePatterns>& styles() {
  static const std::vector<StylePatterns> all = {
      {gbk("普通"), "<a target=\"_blank\" href=\"(.*?)\" class=\"permalink\" style=\"\">\n(.*?)\n\\s*</a>",
       "&yen;</s><strong>(.*?)</strong>\n"},
      {gbk("旺铺"), "<a class=\"item-name\" href=\".*?id=(.*?)\" target=\"_blank\">(.*?)</a>",
       "<span class=\"c-price\">(.*?)</span>"},
      {gbk("店铺街"), "<a title=\"(.*?)\"  href=\".*?id=(.*?)\" target=\"_blank\">",
       gbk("<strong>(.*?) 元</strong>")},
  };
  return all;
}

// Very long pages are searched only between the first "下一页" and the "到第" after it,
// where the item listing stands.
std::string cutLongPage(std::string page) {
  if (page.size() <= kPageCutSize) return page;
  static const std::string kNext = gbk("下一页");
  static const std::string kJump = gbk("到第");
  const std::size_t next = findText(page, kNext);
  if (next != kNotFound) page.erase(0, next + 1);
  const std::size_t jump = findText(page, kJump);
  if (jump == kNotFound) return {};
  page.resize(jump + 1);
  return page;
}

}  // namespace

std::string resultPageAddress(const CrawlPlan& plan, int page) {
  const std::string p = std::to_string(page);
  if (plan.mode == AddressMode::Shop) return "http://" + plan.shopHost + "/search.htm?&pageNum=" + p;
  if (plan.mode == AddressMode::List && (plan.categoryKind == 1 || plan.categoryKind == 2))
    return "http://" + plan.shopHost + "/search.htm?&search=y&" +
           (plan.categoryKind == 1 ? "scid=" : "catId=") + plan.categoryId +
           "&viewType=grid&orderType=_hotsell&pageNum=" + p;
  return {};
}

Crawl::Crawl(CrawlPlan plan, ItemList& items, ActivityLog& log)
    : plan_(std::move(plan)), items_(items), log_(log) {
  for (int n = 1; n <= kThreads; ++n) threads_.emplace_back([this, n] { run(n); });
}

Crawl::~Crawl() {
  cancel();
  wait();
}

void Crawl::wait() {
  for (auto& t : threads_)
    if (t.joinable()) t.join();
}

void Crawl::cancel() { cancel_.cancel(); }

void Crawl::run(int n) {
  static const std::string kThread = gbk("  线程：");
  static const std::string kReading = gbk("  正在读取宝贝列表 第：  ");
  static const std::string kPage = gbk(" 页\r\n");
  static const std::string kRead = gbk("  读取成功，成功提取了：  ");
  static const std::string kItems = gbk("  个宝贝\r\n");
  static const std::string kDone = gbk("  宝贝下载完成 【共提取了：  ");
  static const std::string kDoneTail = gbk("  个宝贝】\r\n");

  initComponentModel();
  RegexMatcher items, prices;
  std::string page;
  FetchOptions fetch;
  fetch.cancel = cancel_;
  for (;;) {
    if (cancel_.cancelled()) return;
    const int32_t p = claimNext(pagesClaimed_, plan_.pageTotal);
    if (p == 0) return;

    // Without a result address for the mode, the previous page is examined again.
    if (const std::string address = resultPageAddress(plan_, p); !address.empty())
      page = bytesToPageText(fetchUrl(address, fetch));
    if (cancel_.cancelled()) return;
    log_.appendLogLine(kThread + std::to_string(n) + kReading + std::to_string(p) + " /" +
                       std::to_string(plan_.pageTotal) + kPage);

    const std::string text = cutLongPage(page);
    std::size_t style = 0;
    for (; style < styles().size(); ++style) {
      items.create(styles()[style].item);
      prices.create(styles()[style].price);
      items.execute(text);
      prices.execute(text);
      if (items.matchCount() > 0) break;
    }
    for (int i = 1; style < styles().size() && i <= items.matchCount(); ++i) {
      std::string id, title;
      switch (style) {
        case 0:
          id = textBetween(items.subMatch(i, 1), "id=", "&");
          title = items.subMatch(i, 2);
          break;
        case 1:
          id = items.subMatch(i, 1);
          title = items.subMatch(i, 2);
          break;
        default:
          title = items.subMatch(i, 1);
          id = items.subMatch(i, 2);
      }
      if (id.empty()) continue;
      items_.append({title, prices.subMatch(i, 1), "http://" + plan_.itemHost + "/item.htm?id=" + id, id});
    }

    const std::string rows = std::to_string(items_.count());
    log_.appendLogLine(kThread + std::to_string(n) + kRead + rows + kItems);
    if (pagesClaimed_.load() == plan_.pageTotal) log_.appendLogLine(kDone + rows + kDoneTail);
  }
}

}  // namespace tessaly
