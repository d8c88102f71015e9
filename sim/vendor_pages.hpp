#pragma once
// The vendor's service: the key-list document and the news and help pages the program
// shows in its start and help pages (GBK HTML).
#include <string>

#include "catalogue.hpp"
#include "shop_pages.hpp"

namespace tessaly::sim {

std::string keyListDocument(const Catalogue& catalogue);
std::string newsPage(const Catalogue& catalogue, const Hosts& hosts);
std::string helpPage(const Hosts& hosts);

}  // namespace tessaly::sim
