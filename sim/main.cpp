// tessaly-sim: the simulated marketplace as a program of its own, for the demo, for
// trying the tool without touching real shops, and for benchmarks.
#include <CLI/CLI.hpp>

#include <csignal>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "sim_server.hpp"
#include "support/gbk.hpp"

int main(int argc, char** argv) {
  using namespace tessaly::sim;
  CLI::App app{"Simulated marketplace: shops, item pages, API gateway, pictures and vendor service"};
  SimOptions options;
  int port = 0;
  std::string failingKeys;
  bool printEnv = false;
  app.add_option("--port", port, "Port on 127.0.0.1 (0: any free port)");
  app.add_option("--seed", options.catalogue.seed, "Catalogue seed (same seed, same pages)");
  app.add_option("--shops", options.catalogue.shops, "Number of shops")->check(CLI::Range(1, 1000));
  app.add_option("--items-per-shop", options.catalogue.itemsPerShop, "Items in each shop")->check(CLI::Range(1, 100000));
  app.add_option("--keys", options.catalogue.keyPairs, "Number of application key pairs")->check(CLI::Range(1, 100));
  app.add_option("--latency-ms", options.latencyMs, "Delay added to every response")->check(CLI::Range(0, 600000));
  app.add_option("--failing-keys", failingKeys, "Key pairs the gateway refuses, by position: 1,3");
  app.add_option("--oversized-shop", options.oversizedShop, "Shop whose pages exceed 512000 bytes");
  app.add_option("--short-price-shop", options.shortPriceShop, "Shop whose pages lack the last price");
  app.add_option("--duplicate-shop", options.duplicateShop, "Shop that lists one item on two pages");
  app.add_flag("--print-env", printEnv, "Print only the shell exports that point the client here");
  CLI11_PARSE(app, argc, argv);

  // Block the stop signals before any thread starts, so that only sigwait sees them.
  sigset_t stopSignals;
  sigemptyset(&stopSignals);
  sigaddset(&stopSignals, SIGINT);
  sigaddset(&stopSignals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

  SimServer server(options);
  {
    std::stringstream list(failingKeys);
    std::set<std::string> keys;
    for (std::string item; std::getline(list, item, ',');) {
      const int position = std::atoi(item.c_str());
      const auto& all = server.catalogue().keys();
      if (position < 1 || position > static_cast<int>(all.size())) {
        std::cerr << "tessaly-sim: no key pair " << item << " (there are " << all.size() << ")\n";
        return 2;
      }
      keys.insert(all[static_cast<std::size_t>(position) - 1].appKey);
    }
    server.setFailingKeys(keys);
  }
  if (!server.start(port)) {
    std::cerr << "tessaly-sim: cannot listen on 127.0.0.1:" << port << "\n";
    return 1;
  }
  if (printEnv) {
    std::cout << server.environmentExports() << std::flush;
  } else {
    const auto hosts = server.hosts();
    std::cout << "tessaly-sim listening on 127.0.0.1:" << server.port() << "\n"
              << "  shops:   http://" << hosts.shop(1) << "/ .. http://" << hosts.shop(static_cast<int>(server.catalogue().shops().size()))
              << "/\n  items:   http://" << hosts.item << "/item.htm?id=" << server.catalogue().items().front().id
              << "\n  gateway: http://gw.localhost:" << server.port() << "/router/rest"
              << "\n  vendor:  http://vendor.localhost:" << server.port() << "/kvrt_api//app2.xml\n"
              << "Point the client here with:\n" << server.environmentExports() << std::flush;
  }
  int signal = 0;
  sigwait(&stopSignals, &signal);
  server.stop();
  return 0;
}
