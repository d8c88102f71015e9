// Requests per second the simulated marketplace serves on loopback, a fresh connection
// per request, for a shop result page and for an API answer. The end-to-end benchmarks
// run against it, so it must stay far from being their bottleneck.
#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "openapi/signing.hpp"
#include "sim_server.hpp"

namespace {

size_t count(char*, size_t size, size_t n, void* total) {
  *static_cast<size_t*>(total) += size * n;
  return size * n;
}

// Requests per second over `seconds`, from `threads` clients.
double rate(const std::vector<std::string>& urls, int threads, double seconds) {
  std::atomic<long> done{0};
  std::atomic<bool> stop{false};
  std::vector<std::thread> clients;
  for (int t = 0; t < threads; ++t)
    clients.emplace_back([&, t] {
      for (std::size_t i = static_cast<std::size_t>(t); !stop; i += static_cast<std::size_t>(threads)) {
        CURL* h = curl_easy_init();
        size_t bytes = 0;
        curl_easy_setopt(h, CURLOPT_URL, urls[i % urls.size()].c_str());
        curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
        curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
        curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, count);
        curl_easy_setopt(h, CURLOPT_WRITEDATA, &bytes);
        if (curl_easy_perform(h) == CURLE_OK && bytes > 0) ++done;
        curl_easy_cleanup(h);
      }
    });
  const auto start = std::chrono::steady_clock::now();
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  stop = true;
  for (auto& c : clients) c.join();
  return done / std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  tessaly::sim::SimServer server;
  if (!server.start()) return 1;
  // *.localhost names reach the loopback address inside libcurl, with the Host line the
  // simulator routes by.
  std::vector<std::string> pages, answers;
  const auto& catalogue = server.catalogue();
  for (int p = 1; p <= 3; ++p)
    pages.push_back("http://" + server.hosts().shop(1) + "/search.htm?&pageNum=" + std::to_string(p));
  const auto& key = catalogue.keys().front();
  const std::string gateway = "http://gw.localhost:" + std::to_string(server.port());
  for (std::size_t i = 0; i < 50; ++i) {
    std::string url = tessaly::buildItemGetUrl(gateway, catalogue.items()[i].id, key.appKey, key.appSecret);
    for (std::size_t at = url.find(' '); at != std::string::npos; at = url.find(' ')) url.replace(at, 1, "%20");
    answers.push_back(url);
  }
  const double pageRate = rate(pages, 4, 2.0);
  const double answerRate = rate(answers, 4, 2.0);
  std::printf("tessaly-sim on loopback, fresh connection each, 4 clients: result page %.0f requests/s, "
              "API answer %.0f requests/s (goal: at least 3000/s each)\n",
              pageRate, answerRate);
  server.stop();
  return 0;
}
