#pragma once
// The marketplace's HTML pages as GBK bytes: shop result pages in the three page
// styles, the shop's home page and item pages.
#include <string>
#include <string_view>

#include "catalogue.hpp"

namespace tessaly::sim {

// Where the simulated services answer: "<label>.localhost:<port>".
struct Hosts {
  explicit Hosts(int port = 0)
      : port(port), item(host("item")), mall(host("mall")), picture(host("img")) {}
  int port;
  std::string item;     // item.localhost:P
  std::string mall;     // mall.localhost:P
  std::string picture;  // img.localhost:P
  std::string host(std::string_view label) const {
    return std::string(label) + ".localhost:" + std::to_string(port);
  }
  std::string shop(int number) const { return host("shop" + std::to_string(number)); }
};

// A result page of the shop's item search (category nullptr) or of one category.
// `categoryParam` ("scid" or "catId") is the query name the page's own links use.
std::string shopResultPage(const Catalogue& catalogue, const Shop& shop,
                           const Category* category, std::string_view categoryParam,
                           int page, const Hosts& hosts);
std::string shopHomePage(const Catalogue& catalogue, const Shop& shop, const Hosts& hosts);
// An item page of the marketplace or of the mall; item nullptr gives the page a shopper
// sees for an unknown or removed item.
std::string itemPage(const Catalogue& catalogue, const Item* item, bool mall,
                     const Hosts& hosts);

}  // namespace tessaly::sim
