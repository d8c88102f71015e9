#pragma once
// The simulated marketplace on one loopback port. Every outside service is told apart
// by the request's Host name ("<label>.localhost:<port>"; libcurl reaches every
// *.localhost name on the loopback address without DNS):
//   shopN   shop home, search and category result pages (GBK)
//   item    item pages of the marketplace      mall    item pages of the mall
//   gw      the REST gateway /router/rest      vendor  key list, news and help pages
//   img     pictures                           ctl     run-time control (see tessaly-sim)
// Faults, latencies and failing keys can be changed while it runs; requests are counted
// per route and per target. Starting it ignores SIGPIPE for the process: a client that
// goes away (or a connection the simulator closes on purpose) must not end the program.
#include <chrono>
#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.hpp"
#include "shop_pages.hpp"

namespace tessaly::sim {

// What can go wrong with a service.
enum class Fault {
  None,
  Hang,          // the request is read and never answered (until the faults change or stop)
  Drop,          // the connection is closed without an answer
  Empty,         // 200 with an empty body
  Short,         // 200 with the first half of the body (a consistent, shorter answer)
  Truncate,      // the full length is announced, half the body is sent, the connection closes
  MalformedXml,  // XML answers (gateway, key list) are cut and closed with a stray end tag
};
// "none", "hang", "drop", "empty", "short", "truncate", "malformed"; false when unknown.
bool parseFault(std::string_view text, Fault& fault);
std::string_view faultName(Fault fault);

// The services, as named in fault and latency settings ("shopN" names one shop).
inline constexpr const char* kServices[] = {"shop", "item", "mall", "gw", "vendor", "img"};
// The routes requests are counted under.
inline constexpr const char* kRoutes[] = {
    "home",      // shopN /
    "search",    // shopN /search.htm?search=y: the page-count page
    "result",    // shopN /search.htm?&pageNum=p
    "category",  // shopN /category-<id>.htm and /search.htm?...&scid= or &catId=
    "item",      // item or mall /item.htm?id=
    "gateway",   // gw /router/rest
    "picture",   // img
    "keys",      // vendor /kvrt_api//app2.xml
    "news",      // vendor /news.html
    "help",      // vendor /kvrthelp.html
    "unknown"};

struct SimOptions {
  CatalogueOptions catalogue;
  int latencyMs = 0;                  // added to every answer
  std::set<std::string> failingKeys;  // app keys the gateway answers with a call-limit error
  int oversizedShop = 0;              // shop whose listing pages exceed 512000 bytes
  int shortPriceShop = 0;             // shop whose listing pages show one price fewer than items
  int duplicateShop = 0;              // shop whose page 2 shows page 1's first item again
  int slowPictureMs = 0;              // delay of the pictures under /slow/ (tessaly-sim: 250)
};

class SimServer {
 public:
  explicit SimServer(SimOptions options = {});
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Listens on 127.0.0.1:`port` (0: any free port); true once it accepts connections.
  // A server starts once; after stop() its port refuses connections.
  bool start(int port = 0);
  // Releases hanging requests and stops; safe to call twice.
  void stop();
  int port() const;

  const Catalogue& catalogue() const;
  Hosts hosts() const;
  // "gw" -> "gw.localhost:<port>".
  std::string host(std::string_view label) const;
  // The shell exports that point the client at this server, one per line.
  std::string environmentExports() const;

  // A target is a service of kServices, "shopN" for one shop, or "*": the most specific
  // setting wins, and setting "*" replaces every other setting of its kind. A fault with
  // `times` >= 0 spoils that many answers and is then gone.
  void setFault(std::string_view target, Fault fault, int times = -1);
  void setLatency(int milliseconds) { setLatency("*", milliseconds); }
  void setLatency(std::string_view target, int milliseconds);
  // Removes every fault and latency (back to the options' latency for all).
  void clearFaults();
  void setFailingKeys(const std::set<std::string>& appKeys);
  std::set<std::string> failingKeys() const;

  // Requests per route of kRoutes, counted on arrival (hanging ones included).
  int requestCount(std::string_view route) const;
  // Requests for one exact Host and target ("shop1.localhost:P/search.htm?&pageNum=2").
  int targetCount(const std::string& hostAndTarget) const;
  // The app_key of every gateway request, in arrival order.
  std::vector<std::string> gatewayKeys() const;
  int totalRequests() const;
  void resetCounters();
  // Waits until `route` has counted at least `count` requests; false after `timeout`.
  bool waitForRequests(std::string_view route, int count, std::chrono::milliseconds timeout) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tessaly::sim
