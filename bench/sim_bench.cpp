// Requests per second the simulated marketplace serves on loopback, a fresh connection per
// request, for a shop result page and for an API answer, against a bare cpp-httplib server
// handing out the same bytes in the same run. The simulator must not be what limits the
// end-to-end benchmark: goal >= 3000 requests per second for each.
#include <arpa/inet.h>
#include <httplib.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <string>
#include <thread>
#include <vector>

#include "gateway.hpp"
#include "sim_server.hpp"
#include "support/text.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// One GET on a new connection; the number of bytes received (head and body).
std::size_t getOnce(int port, const std::string& host, const std::string& target) {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<std::uint16_t>(port));
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  std::size_t received = 0;
  if (::connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0) {
    const std::string request =
        "GET " + target + " HTTP/1.1\r\nHost: " + host + "\r\nConnection: close\r\n\r\n";
    if (::send(fd, request.data(), request.size(), MSG_NOSIGNAL) > 0) {
      char buf[65536];
      for (ssize_t n; (n = ::recv(fd, buf, sizeof buf, 0)) > 0;) received += static_cast<std::size_t>(n);
    }
  }
  ::close(fd);
  return received;
}

double perSecond(int threads, int callsEach, int port, const std::string& host, const std::string& target,
                 std::size_t& bytes) {
  std::atomic<std::size_t> total{0};
  const auto start = Clock::now();
  std::vector<std::thread> workers;
  for (int t = 0; t < threads; ++t)
    workers.emplace_back([&] {
      for (int i = 0; i < callsEach; ++i) total += getOnce(port, host, target);
    });
  for (auto& w : workers) w.join();
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  bytes = total / (threads * callsEach);
  return threads * callsEach / seconds;
}

}  // namespace

int main() {
  tessaly::sim::SimOptions options;
  options.catalogue.shops = 3;
  options.catalogue.itemsPerShop = 120;
  tessaly::sim::SimServer sim(options);
  if (!sim.start()) return 1;

  const auto& key = sim.catalogue().keys().front();
  const std::string id = sim.catalogue().items().at(1).id;
  tessaly::sim::QueryParams params = {
      {"app_key", key.appKey}, {"fields", "prop_img.url,prop_img.properties,item_img.url,desc,title,price,sku "},
      {"format", "xml"}, {"method", "taobao.item.get"}, {"num_iid", id}, {"sign_method", "md5"},
      {"timestamp", "2013-05-06 07:08:09"}, {"v", "2.0"}};
  std::string api = "/router/rest?";
  for (const auto& [name, value] : params) api += name + "=" + value + "&";
  api = tessaly::replaceAll(api + "sign=" + tessaly::sim::signatureOf(params, key.appSecret), " ", "%20");

  struct Case {
    const char* name;
    std::string label, target;
  } cases[] = {{"result page", "shop2", "/search.htm?&pageNum=2"}, {"API answer", "gw", api}};

  // The baseline: the same bytes from a bare server with no routing and no checks.
  httplib::Server bare;
  bare.new_task_queue = [] { return new httplib::ThreadPool(64); };
  std::vector<std::string> bodies;
  for (const Case& c : cases) {
    httplib::Client client("127.0.0.1", sim.port());
    client.set_url_encode(false);
    bodies.push_back(client.Get(c.target.c_str(), {{"Host", sim.host(c.label)}})->body);
  }
  bare.Get("/(\\d)", [&](const httplib::Request& req, httplib::Response& res) {
    res.set_content(bodies[std::stoi(req.matches[1])], "text/html");
  });
  const int barePort = bare.bind_to_any_port("127.0.0.1");
  std::thread serving([&] { bare.listen_after_bind(); });

  struct Run {
    const char* name;
    int threads, calls;
  } runs[] = {{"1 thread x 2000", 1, 2000}, {"4 threads x 1000", 4, 1000}};
  for (std::size_t k = 0; k < std::size(cases); ++k) {
    const Case& c = cases[k];
    for (const Run& run : runs) {
      std::size_t simBytes = 0, bareBytes = 0;
      const double ours = perSecond(run.threads, run.calls, sim.port(), sim.host(c.label), c.target, simBytes);
      const double base = perSecond(run.threads, run.calls, barePort, "bare", "/" + std::to_string(k), bareBytes);
      std::printf("%-11s %-16s sim %7.0f req/s (%zu bytes), bare server %7.0f req/s, ratio %.2f "
                  "(goal >= 3000 req/s)\n",
                  c.name, run.name, ours, simBytes, base, ours / base);
    }
  }
  bare.stop();
  serving.join();
  sim.stop();
  return 0;
}
