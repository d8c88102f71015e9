// Per-call overhead of fetchUrl against a bare libcurl loop doing the same work (a new
// handle and a fresh connection per call), sequentially and from five threads, both
// against the same loopback server in the same run. The two loops take turns in small
// rounds, so that a neighbour's load on a shared machine falls on both alike.
#include <curl/curl.h>
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

#include "net/fetch.hpp"

namespace {

using Clock = std::chrono::steady_clock;

size_t discard(char*, size_t size, size_t count, void* sink) {
  *static_cast<size_t*>(sink) += size * count;
  return size * count;
}

void bareGet(const std::string& url) {
  CURL* h = curl_easy_init();
  size_t received = 0;
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h, CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, discard);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &received);
  curl_easy_perform(h);
  curl_easy_cleanup(h);
}

template <typename Call>
double secondsFor(int threads, int callsEach, Call call) {
  const auto start = Clock::now();
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < callsEach; ++i) call();
    });
  for (auto& w : workers) w.join();
  return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
  curl_global_init(CURL_GLOBAL_DEFAULT);
  httplib::Server server;
  const std::string page(4096, 'x');
  server.Get("/page.htm", [&](const httplib::Request&, httplib::Response& res) {
    res.set_content(page, "text/html");
  });
  // The socket listens once bound, so calls queue until the server thread accepts them.
  const int port = server.bind_to_any_port("127.0.0.1");
  std::thread serving([&] { server.listen_after_bind(); });
  const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/page.htm";

  // Warm both paths once (name lookup tables, libcurl's global state).
  tessaly::fetchUrl(url);
  bareGet(url);

  struct Run {
    const char* name;
    int threads;
    int calls;
  } runs[] = {{"1 thread x 1000 calls", 1, 1000}, {"5 threads x 200 calls", 5, 200}};
  // Each round times a block of both loops, in alternating order; the ratio printed is
  // the median of the rounds' ratios, which a burst of outside load moves least.
  constexpr int kRounds = 20;
  for (const auto& run : runs) {
    double bare = 0;
    double ours = 0;
    std::vector<double> ratios;
    for (int round = 0; round < kRounds; ++round) {
      const auto timeBare = [&] {
        return secondsFor(run.threads, run.calls / kRounds, [&] { bareGet(url); });
      };
      const auto timeOurs = [&] {
        return secondsFor(run.threads, run.calls / kRounds, [&] { tessaly::fetchUrl(url); });
      };
      double b = 0;
      double o = 0;
      if (round % 2 == 0) {
        b = timeBare();
        o = timeOurs();
      } else {
        o = timeOurs();
        b = timeBare();
      }
      bare += b;
      ours += o;
      ratios.push_back(o / b);
    }
    std::sort(ratios.begin(), ratios.end());
    const double median = (ratios[kRounds / 2 - 1] + ratios[kRounds / 2]) / 2;
    const int total = run.threads * run.calls;
    std::printf(
        "%s: bare libcurl %.1f us/call, fetchUrl %.1f us/call, ratio %.2f (median of %d rounds; "
        "goal <= 1.2)\n",
        run.name, bare / total * 1e6, ours / total * 1e6, median, kRounds);
  }
  server.stop();
  serving.join();
  return 0;
}
