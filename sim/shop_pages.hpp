#pragma once
// The marketplace's HTML pages as GBK bytes: shop result pages in the three page
// styles, the shop's home page and item pages.
#include <string>
#include <string_view>

#include "catalogue.hpp"

namespace tessaly::sim {

// Where the simulated services answer: "<label>.localhost:<port>".
struct SimHosts {
  int port = 0;
  std::string host(std::string_view label) const {
    return std::string(label) + ".localhost:" + std::to_string(port);
  }
  std::string shop(int number) const { return host("shop" + std::to_string(number)); }
};

// A result page of the shop's item search (category nullptr) or of one category.
// `categoryParam` ("scid" or "catId") is the query name the page's own links use.
std::string shopResultPage(const Catalogue& catalogue, const SimShop& shop,
                           const SimCategory* category, std::string_view categoryParam,
                           int page, const SimHosts& hosts);
std::string shopHomePage(const Catalogue& catalogue, const SimShop& shop, const SimHosts& hosts);
// An item page of the marketplace or of the mall; item nullptr gives the page a shopper
// sees for an unknown or removed item.
std::string itemPage(const Catalogue& catalogue, const SimItem* item, bool mall,
                     const SimHosts& hosts);

}  // namespace tessaly::sim
