#pragma once
// The simulated marketplace: one HTTP server on one loopback port that plays the shops,
// the item pages, the open platform's gateway, the picture host and the vendor's
// service, told apart by the Host name of each request (every *.localhost name reaches
// the loopback address without DNS).
#include <map>
#include <memory>
#include <set>
#include <string>

#include "catalogue.hpp"
#include "pages.hpp"

namespace tessaly::sim {

// What can go wrong with a service, set per service or for all while the server runs.
enum class Fault {
  None,
  Hang,          // accept the request and never answer (until cleared or stopped)
  Drop,          // close the connection without a body
  Empty,         // answer 200 with an empty body
  Truncate,      // send half the body, then close
  MalformedXml,  // gateway: an answer that is not well-formed XML
};

// The services, as named in fault settings and counters.
inline constexpr const char* kServices[] = {"shop", "item", "mall", "gw", "vendor", "img"};

struct SimOptions {
  CatalogueOptions catalogue;
  int latencyMs = 0;               // added to every response
  std::set<std::string> failingKeys;  // app keys the gateway answers with a call-limit error
  int oversizedShop = 0;           // shop number whose result pages exceed 512000 bytes
  int shortPriceShop = 0;          // shop number whose pages lack the last item's price
  int duplicateShop = 0;           // shop number whose page 2 repeats page 1's first item
};

class SimServer {
 public:
  explicit SimServer(SimOptions options = {});
  ~SimServer();
  SimServer(const SimServer&) = delete;
  SimServer& operator=(const SimServer&) = delete;

  // Listens on 127.0.0.1 (port 0: any free port) and serves on a thread of its own.
  // False when the port cannot be bound.
  bool start(int port = 0);
  void stop();
  int port() const;

  const Catalogue& catalogue() const;
  Hosts hosts() const;
  // The shell exports that point the client at this server.
  std::string environmentExports() const;

  void setLatency(int ms);
  void setFault(const std::string& service, Fault fault);  // service "*" sets all
  void setFailingKeys(const std::set<std::string>& keys);

  // Requests served per route: "search", "category", "result", "item", "gateway",
  // "picture", "keys", "news", "help", "unknown".
  int requestCount(const std::string& route) const;
  // Requests for one exact host and target ("shop1.localhost:P/search.htm?&pageNum=2").
  int targetCount(const std::string& hostAndTarget) const;
  // The app_key of every gateway request, in arrival order.
  std::vector<std::string> gatewayKeys() const;
  void resetCounters();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace tessaly::sim
