#pragma once
// The markup the simulated marketplace serves. Everything returned here is UTF-8; the
// server turns pages into GBK, while API answers stay UTF-8 as they declare.
#include <string>
#include <vector>

#include "catalogue.hpp"

namespace tessaly::sim {

// Host names (with ":port") the pages point at.
struct Hosts {
  std::string item;     // item.localhost:P
  std::string mall;     // mall.localhost:P
  std::string picture;  // img.localhost:P
  std::string shop(int number) const;
  int port = 0;
};

// How a result page is laid out beyond its items.
struct PageShape {
  bool oversized = false;     // padded past 512000 bytes, with decoy items after "到第"
  bool onePriceShort = false; // the last item of the page lacks its price
};

// A shop's search or category result page p (1-based) of `items`.
std::string resultPage(const Shop& shop, const Category* category,
                       const std::vector<const Item*>& items, int page, const Hosts& hosts,
                       const PageShape& shape);
// An item page, carrying itemId:"N", in a script and the title.
std::string itemPage(const Item& item, bool mall);
// The answer of taobao.item.get for an item.
std::string itemAnswer(const Item& item, const Hosts& hosts);
// An error answer in the platform's shape.
std::string errorAnswer(int code, const std::string& msg, const std::string& subCode,
                        const std::string& subMsg);
// The key list document.
std::string keyList(const std::vector<KeyPair>& keys);
// The vendor's news and help pages.
std::string newsPage();
std::string helpPage();
// Pages of a result listing.
int pageCount(const Shop& shop, std::size_t items);

std::string htmlEscape(const std::string& text);
std::string xmlEscape(const std::string& text);

}  // namespace tessaly::sim
