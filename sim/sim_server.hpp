#pragma once
// The simulated marketplace on one loopback port. Every outside service is told apart
// by the request's Host name ("<label>.localhost:<port>"):
//   shopN   shop home, search and category result pages (GBK)
//   item    item pages of the marketplace      mall    item pages of the mall
//   gw      the REST gateway /router/rest      vendor  key list, news and help pages
//   img     pictures                           ctl     run-time control (see tessaly-sim)
// Faults, latencies and failing keys can be changed while it runs; every route counts
// its requests. Starting it ignores SIGPIPE for the process: a client that goes away (or
// a connection the simulator closes on purpose) must not end the program.
#include <chrono>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "catalogue.hpp"
#include "shop_pages.hpp"

namespace tessaly::sim {

enum class Route {
  ShopHome,      // shopN /
  ShopSearch,    // shopN /search.htm?search=y (the page-count page)
  ShopPage,      // shopN /search.htm?&pageNum=p
  CategoryPage,  // shopN /category-<id>.htm, /search.htm?...&scid= or &catId=
  ItemPage,      // item /item.htm?id=
  MallItemPage,  // mall /item.htm?id=
  Gateway,       // gw /router/rest
  Picture,       // img /...
  KeyList,       // vendor /kvrt_api//app2.xml
  News,          // vendor /news.html
  Help,          // vendor /kvrthelp.html
  Unknown,       // anything else, unknown hosts included
};
inline constexpr int kRouteCount = static_cast<int>(Route::Unknown) + 1;
std::string_view routeName(Route route);

enum class FaultKind {
  None,
  Hang,           // the request is read and never answered (until the faults change or stop)
  Close,          // the connection is closed without an answer
  EmptyBody,      // 200 with an empty body
  TruncatedBody,  // 200 with the first half of the body (a consistent, shorter answer)
  CutTransfer,    // the full length is announced, half is sent, then the connection closes
  MalformedXml,   // XML answers (gateway, key list) are cut and closed with a stray end tag
};
// "none", "hang", "close", "empty", "truncated", "cut", "malformed"; false when unknown.
bool parseFaultKind(std::string_view text, FaultKind& kind);
std::string_view faultKindName(FaultKind kind);

struct Fault {
  FaultKind kind = FaultKind::None;
  int times = -1;  // how many answers it spoils (then it is gone); -1: until changed
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
  SimHosts hosts() const;
  // "gw" -> "gw.localhost:<port>".
  std::string host(std::string_view label) const;
  // The shell exports that point the client at this server, one per line.
  std::string envExports() const;

  // A target is a host label ("shop2", "item", "mall", "gw", "vendor", "img"), "shop" for
  // every shop or "*" for every host; the most specific setting wins.
  void setFault(std::string_view target, Fault fault);
  void setLatency(std::string_view target, int milliseconds);
  // Removes every fault and latency (back to the options' latency for all hosts).
  void clearFaults();
  void setFailingKeys(std::vector<std::string> appKeys);
  std::vector<std::string> failingKeys() const;

  long requestCount(Route route) const;
  long totalRequests() const;
  void resetCounters();
  // Waits until `route` has counted at least `count` requests; false after `timeout`.
  bool waitForRequests(Route route, long count, std::chrono::milliseconds timeout) const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tessaly::sim
