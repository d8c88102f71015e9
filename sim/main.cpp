// tessaly-sim: the simulated marketplace as a stand-alone server, for the demo, for
// trying the tool without a network and for the end-to-end benchmark.
#include <CLI/CLI.hpp>
#include <pthread.h>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>
#include <vector>

#include "sim_server.hpp"

namespace {

using tessaly::sim::SimOptions;

std::vector<std::string> splitList(const std::string& text) {
  std::vector<std::string> out;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t comma = std::min(text.find(',', start), text.size());
    if (comma > start) out.push_back(text.substr(start, comma - start));
    start = comma + 1;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{"Simulated marketplace: shop and item pages, the REST gateway, pictures and the "
               "vendor's key list on one loopback port, told apart by Host name "
               "(shopN.localhost, item.localhost, mall.localhost, gw.localhost, "
               "vendor.localhost, img.localhost; ctl.localhost switches faults while running)."};
  SimOptions options;
  options.slowPictureMs = 250;  // the demo shows a slow picture now and then
  int port = 0;
  bool printEnv = false;
  std::string failingKeys;
  std::vector<std::string> faults;
  app.add_option("--port", port, "Port on 127.0.0.1 (0: any free port)")->capture_default_str();
  app.add_option("--seed", options.catalogue.seed, "Seed of the catalogue")->capture_default_str();
  app.add_option("--shops", options.catalogue.shops, "Number of shops")->capture_default_str();
  app.add_option("--items-per-shop", options.catalogue.itemsPerShop, "Items in every shop")->capture_default_str();
  app.add_option("--categories", options.catalogue.categoriesPerShop, "Categories in every shop")->capture_default_str();
  app.add_option("--keys", options.catalogue.keyPairs, "Key pairs in the key list")->capture_default_str();
  app.add_option("--latency-ms", options.latencyMs, "Delay before every answer")->capture_default_str();
  app.add_option("--slow-picture-ms", options.slowPictureMs, "Delay of the pictures under /slow/")
      ->capture_default_str();
  app.add_option("--failing-keys", failingKeys,
                 "Comma list of key pairs answered with an error: appkey values, or positions "
                 "in the key list (1, 2, ...)");
  app.add_option("--fault", faults,
                 "TARGET=KIND[:TIMES]; TARGET shop, shopN, item, mall, gw, vendor, img or *; "
                 "KIND hang, drop, empty, short, truncate or malformed");
  app.add_option("--oversized-shop", options.oversizedShop,
                 "Shop whose listing pages are over 512000 bytes");
  app.add_option("--short-price-shop", options.shortPriceShop,
                 "Shop whose listing pages show one price fewer than items");
  app.add_option("--duplicate-shop", options.duplicateShop,
                 "Shop whose page 2 shows page 1's first item again");
  app.add_flag("--print-env", printEnv,
               "Print the TESSALY_* exports that point the client at the server, then serve");
  CLI11_PARSE(app, argc, argv);

  // The catalogue decides the key values; positions are resolved against it.
  {
    tessaly::sim::Catalogue probe(options.catalogue);
    for (const std::string& k : splitList(failingKeys)) {
      const bool position = k.size() <= 3 && k.find_first_not_of("0123456789") == std::string::npos;
      const std::size_t at = position ? std::stoul(k) : 0;
      if (position && (at < 1 || at > probe.keys().size())) {
        std::cerr << "tessaly-sim: no key pair " << k << "\n";
        return 2;
      }
      options.failingKeys.insert(position ? probe.keys()[at - 1].appKey : k);
    }
  }

  // Signals are taken by sigwait below; the server's threads inherit the mask.
  sigset_t signals;
  sigemptyset(&signals);
  sigaddset(&signals, SIGINT);
  sigaddset(&signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &signals, nullptr);

  tessaly::sim::SimServer server(options);
  for (const std::string& f : faults) {
    const std::size_t eq = f.find('=');
    const std::size_t colon = f.find(':', eq == std::string::npos ? 0 : eq);
    tessaly::sim::Fault fault;
    const std::string kind = eq == std::string::npos ? "" : f.substr(eq + 1, colon == std::string::npos ? std::string::npos : colon - eq - 1);
    if (!tessaly::sim::parseFault(kind, fault)) {
      std::cerr << "tessaly-sim: bad --fault " << f << "\n";
      return 2;
    }
    server.setFault(f.substr(0, eq), fault, colon == std::string::npos ? -1 : std::atoi(f.c_str() + colon + 1));
  }
  if (!server.start(port)) {
    std::cerr << "tessaly-sim: cannot listen on 127.0.0.1:" << port << "\n";
    return 1;
  }

  if (printEnv) {
    std::cout << server.environmentExports() << std::flush;
  }
  std::cerr << "tessaly-sim: listening on 127.0.0.1:" << server.port() << " (seed " << options.catalogue.seed << ")\n";
  for (const auto& shop : server.catalogue().shops())
    std::cerr << "  http://" << server.hosts().shop(shop.number) << "/  "
              << tessaly::sim::styleName(shop.style) << ", " << shop.items.size() << " items, "
              << server.catalogue().pageCount(shop) << " pages\n";
  for (std::size_t k = 0; k < server.catalogue().keys().size(); ++k)
    std::cerr << "  key pair " << k + 1 << ": " << server.catalogue().keys()[k].appKey << "\n";

  int received = 0;
  sigwait(&signals, &received);
  server.stop();
  std::cerr << "tessaly-sim: stopped; requests:";
  for (const char* route : tessaly::sim::kRoutes)
    if (server.requestCount(route) > 0) std::cerr << " " << route << "=" << server.requestCount(route);
  std::cerr << "\n";
  return 0;
}
