#pragma once
// Plain HTTP against the in-process simulator (one loopback port, the service chosen by
// the Host header), and the crawler's own patterns applied to what it serves.
#include <httplib.h>

#include <string>
#include <string_view>
#include <vector>

#include "catalogue.hpp"
#include "gateway.hpp"
#include "sim_server.hpp"
#include "support/gbk.hpp"
#include "support/regex_matcher.hpp"
#include "support/text.hpp"

namespace tessaly::sim::testing {

struct Reply {
  bool ok = false;  // false: no HTTP answer at all
  int status = 0;
  std::string body;
  std::string contentType;
};

inline Reply get(const SimServer& sim, std::string_view label, const std::string& target,
                 int readTimeoutSeconds = 30) {
  httplib::Client client("127.0.0.1", sim.port());
  client.set_url_encode(false);
  client.set_keep_alive(false);
  client.set_read_timeout(readTimeoutSeconds, 0);
  Reply reply;
  const auto res = client.Get(target.c_str(), {{"Host", sim.host(label)}});
  if (!res) return reply;
  reply.ok = true;
  reply.status = res->status;
  reply.body = res->body;
  reply.contentType = res->get_header_value("Content-Type");
  return reply;
}

// The value the client sends as "fields" (trailing blank included).
inline const std::string kItemFields =
    "prop_img.url,prop_img.properties,item_img.url,desc,title,cid,price,num,post_fee,input_str,"
    "input_pids,seller_cids,props,input_pids,input_str,property_alias,sku,outer_id,approve_status,"
    "has_discount,has_invoice,has_warranty,has_showcase,valid_thru,list_time,modified,delist_time,"
    "postage_id,location,freight_payer,post_fee,express_fee,ems_fee,has_warranty ";

// A signed item request as the client composes it; blanks escaped for the request line.
inline std::string itemGetTarget(const std::string& appKey, const std::string& appSecret,
                                 const std::string& id, const std::string& fields = kItemFields) {
  const QueryParams params = {{"app_key", appKey},      {"fields", fields},
                              {"format", "xml"},        {"method", "taobao.item.get"},
                              {"num_iid", id},          {"sign_method", "md5"},
                              {"timestamp", "2013-05-06 07:08:09"}, {"v", "2.0"}};
  std::string target = "/router/rest?";
  for (const auto& [name, value] : params) target += name + "=" + value + "&";
  target += "sign=" + signatureOf(params, appSecret);
  return replaceAll(target, " ", "%20");
}

struct StylePatterns {
  PageStyle style;
  std::string item, price;
};

// The crawler's pattern pairs, tried in this order.
inline const std::vector<StylePatterns>& crawlerPatterns() {
  static const std::vector<StylePatterns> patterns = {
      {PageStyle::Plain,
       "<a target=\"_blank\" href=\"(.*?)\" class=\"permalink\" style=\"\">\n(.*?)\n\\s*</a>",
       "&yen;</s><strong>(.*?)</strong>\n"},
      {PageStyle::Showcase, "<a class=\"item-name\" href=\".*?id=(.*?)\" target=\"_blank\">(.*?)</a>",
       "<span class=\"c-price\">(.*?)</span>"},
      {PageStyle::Street, "<a title=\"(.*?)\"  href=\".*?id=(.*?)\" target=\"_blank\">",
       utf8ToGbk("<strong>(.*?) 元</strong>")},
  };
  return patterns;
}

// What the crawler lists from one result page (GBK): long pages are first cut to the part
// between the first "下一页" and the "到第" after it; the first style whose item pattern
// matches gives the rows, prices paired by order.
inline std::vector<ExpectedRow> crawlPage(std::string page, PageStyle* styleFound = nullptr) {
  if (page.size() > 512000) {
    const std::size_t next = page.find(utf8ToGbk("下一页"));
    if (next != std::string::npos) page = page.substr(next + 1);
    const std::size_t go = page.find(utf8ToGbk("到第"));
    page = go == std::string::npos ? std::string() : page.substr(0, go + 1);
  }
  std::vector<ExpectedRow> rows;
  for (const StylePatterns& s : crawlerPatterns()) {
    RegexMatcher items, prices;
    items.create(s.item);
    prices.create(s.price);
    if (items.execute(page) == 0) continue;
    prices.execute(page);
    if (styleFound) *styleFound = s.style;
    for (int i = 1; i <= items.matchCount(); ++i) {
      ExpectedRow row;
      switch (s.style) {
        case PageStyle::Plain:
          row.id = textBetween(items.subMatch(i, 1), "id=", "&");
          row.title = items.subMatch(i, 2);
          break;
        case PageStyle::Showcase:
          row.id = items.subMatch(i, 1);
          row.title = items.subMatch(i, 2);
          break;
        case PageStyle::Street:
          row.title = items.subMatch(i, 1);
          row.id = items.subMatch(i, 2);
          break;
      }
      row.price = prices.subMatch(i, 1);
      if (!row.id.empty()) rows.push_back(row);
    }
    break;
  }
  return rows;
}

}  // namespace tessaly::sim::testing
