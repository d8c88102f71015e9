#include "sim_server.hpp"

#include <dirent.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <condition_variable>
#include <csignal>
#include <cstdlib>
#include <map>
#include <set>
#include <mutex>
#include <thread>
#include <unordered_map>

#include <httplib.h>

#include "gateway.hpp"
#include "sim_control.hpp"
#include "pictures.hpp"
#include "support/gbk.hpp"
#include "vendor_pages.hpp"

namespace tessaly::sim {
namespace {

constexpr std::size_t kCacheLimit = 20000;

// Indices into kRoutes.
enum Route { kHome, kSearch, kResult, kCategory, kItem, kGateway, kPicture, kKeys, kNews, kHelp, kUnknown };
constexpr int kRouteCount = static_cast<int>(std::size(kRoutes));
static_assert(kUnknown + 1 == kRouteCount);

struct Answer {
  Route route = kUnknown;
  int status = 200;
  std::string contentType = "text/html;charset=GBK";
  std::shared_ptr<const std::string> body;
  bool xml = false;
  int delayMs = 0;
};

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

// "shop3.localhost:8080" -> "shop3"; empty for a host outside .localhost.
std::string hostLabel(std::string_view hostHeader) {
  std::string host = lower(hostHeader.substr(0, hostHeader.rfind(':') == std::string_view::npos
                                                    ? hostHeader.size()
                                                    : hostHeader.rfind(':')));
  constexpr std::string_view kSuffix = ".localhost";
  if (host.size() <= kSuffix.size() || !host.ends_with(kSuffix)) return {};
  return host.substr(0, host.size() - kSuffix.size());
}

int shopNumber(std::string_view label) {
  if (!label.starts_with("shop") || label.size() == 4) return 0;
  const std::string_view digits = label.substr(4);
  if (digits.find_first_not_of("0123456789") != std::string_view::npos || digits.size() > 6) return 0;
  return std::atoi(std::string(digits).c_str());
}

// The socket of the connection a request came on, found by its two port numbers.
int connectionSocket(const httplib::Request& req) {
  DIR* dir = ::opendir("/proc/self/fd");
  if (!dir) return -1;
  int found = -1;
  while (dirent* entry = ::readdir(dir)) {
    const int fd = std::atoi(entry->d_name);
    struct stat st {};
    if (fd <= 2 || ::fstat(fd, &st) != 0 || !S_ISSOCK(st.st_mode)) continue;
    sockaddr_storage local{}, peer{};
    socklen_t localLen = sizeof local, peerLen = sizeof peer;
    if (::getsockname(fd, reinterpret_cast<sockaddr*>(&local), &localLen) != 0 ||
        ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &peerLen) != 0 ||
        local.ss_family != AF_INET || peer.ss_family != AF_INET)
      continue;
    if (ntohs(reinterpret_cast<sockaddr_in&>(local).sin_port) == req.local_port &&
        ntohs(reinterpret_cast<sockaddr_in&>(peer).sin_port) == req.remote_port) {
      found = fd;
      break;
    }
  }
  ::closedir(dir);
  return found;
}

bool peerGone(int fd) {
  if (fd < 0) return false;
  pollfd p{fd, POLLRDHUP, 0};
  return ::poll(&p, 1, 0) > 0 && (p.revents & (POLLRDHUP | POLLHUP | POLLERR));
}

std::string notFoundPage() {
  return utf8ToGbk("<html>\n<head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=gbk\">"
                   "<title>404 Not Found</title></head>\n<body>\n<h1>404 Not Found</h1>\n"
                   "<p>您访问的页面不存在。</p>\n</body>\n</html>\n");
}

}  // namespace

static constexpr std::pair<Fault, std::string_view> kFaultNames[] = {
    {Fault::None, "none"},   {Fault::Hang, "hang"},         {Fault::Drop, "drop"},
    {Fault::Empty, "empty"}, {Fault::Short, "short"},       {Fault::Truncate, "truncate"},
    {Fault::MalformedXml, "malformed"}};

bool parseFault(std::string_view text, Fault& fault) {
  for (const auto& [f, name] : kFaultNames)
    if (name == text) {
      fault = f;
      return true;
    }
  return false;
}

std::string_view faultName(Fault fault) {
  for (const auto& [f, name] : kFaultNames)
    if (f == fault) return name;
  return "none";
}

struct SimServer::Impl {
  explicit Impl(SimOptions o)
      : options(std::move(o)),
        catalogue(options.catalogue,
                  PageQuirks{options.oversizedShop, options.shortPriceShop, options.duplicateShop}) {
    latencies["*"] = options.latencyMs;
    failing = options.failingKeys;
  }

  struct FaultSetting {
    Fault fault = Fault::None;
    int times = -1;
  };

  SimOptions options;
  Catalogue catalogue;
  httplib::Server server;
  std::thread listener;
  int port = 0;

  mutable std::mutex mutex;  // guards everything below
  mutable std::condition_variable changed;
  std::map<std::string, FaultSetting, std::less<>> faults;
  std::map<std::string, int, std::less<>> latencies;
  std::set<std::string> failing;
  long faultGeneration = 0;
  bool stopping = false;
  std::array<int, kRouteCount> counters{};
  std::unordered_map<std::string, int> targetCounts;
  std::vector<std::string> gatewayKeys;

  std::mutex cacheMutex;
  std::unordered_map<std::string, std::shared_ptr<const std::string>> cache;

  Hosts hosts() const { return Hosts(port); }

  template <typename Make>
  std::shared_ptr<const std::string> cached(const std::string& key, Make make) {
    {
      std::lock_guard lock(cacheMutex);
      if (auto it = cache.find(key); it != cache.end()) return it->second;
    }
    auto body = std::make_shared<const std::string>(make());
    std::lock_guard lock(cacheMutex);
    if (cache.size() >= kCacheLimit) cache.clear();
    return cache.emplace(key, body).first->second;
  }

  // The most specific setting for a host label: the label, "shop" for shops, "*".
  template <typename Map>
  typename Map::iterator settingFor(Map& map, const std::string& label) {
    if (auto it = map.find(label); it != map.end()) return it;
    if (shopNumber(label) > 0)
      if (auto it = map.find("shop"); it != map.end()) return it;
    return map.find("*");
  }

  Answer route(const std::string& label, const httplib::Request& req);
  Answer shopAnswer(const Shop& shop, const httplib::Request& req);
  void handle(const httplib::Request& req, httplib::Response& res);
  // Waits up to `ms` unless the server stops; false when it stopped.
  bool pause(int ms) {
    std::unique_lock lock(mutex);
    return !changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopping; });
  }
};

Answer SimServer::Impl::shopAnswer(const Shop& shop, const httplib::Request& req) {
  Answer a;
  const Hosts h = hosts();
  const std::string& path = req.path;
  const std::string shopKey = "shop" + std::to_string(shop.number);
  if (path == "/" || path == "/index.htm") {
    a.route = kHome;
    a.body = cached(shopKey + "|home", [&] { return shopHomePage(catalogue, shop, h); });
    return a;
  }
  std::string categoryId, categoryParam;
  if (path.starts_with("/category-") && path.ends_with(".htm")) {
    categoryId = path.substr(10, path.size() - 14);
    categoryParam = "catId";
  } else if (path == "/search.htm") {
    // Both names reach any category; with both present, catId decides.
    for (const char* name : {"scid", "catId"})
      if (!req.get_param_value(name).empty()) {
        categoryId = req.get_param_value(name);
        categoryParam = name;
      }
  } else {
    a.status = 404;
    a.body = cached("404", notFoundPage);
    return a;
  }
  const std::string pageText = req.get_param_value("pageNum");
  const int page = pageText.empty() ? 1 : std::max(0, std::atoi(pageText.c_str()));
  if (categoryParam.empty()) {
    a.route = req.has_param("pageNum") ? kResult : kSearch;
    a.body = cached(shopKey + "|p" + std::to_string(page),
                    [&] { return shopResultPage(catalogue, shop, nullptr, "", page, h); });
    return a;
  }
  a.route = kCategory;
  a.body = cached(shopKey + "|" + categoryParam + "=" + categoryId + "|p" + std::to_string(page), [&] {
    const Category* found = catalogue.category(shop, categoryId);
    // An unknown category shows an empty result, as the real shops do.
    const Category unknown{categoryId, categoryParam == "scid", "宝贝分类", {}};
    return shopResultPage(catalogue, shop, found ? found : &unknown, categoryParam, page, h);
  });
  return a;
}

Answer SimServer::Impl::route(const std::string& label, const httplib::Request& req) {
  Answer a;
  const Hosts h = hosts();
  const std::string& path = req.path;
  auto notFound = [&](Route r) {
    a.route = r;
    a.status = 404;
    a.body = cached("404", notFoundPage);
    return a;
  };
  if (const int n = shopNumber(label); n > 0) {
    const Shop* shop = catalogue.shop(n);
    return shop ? shopAnswer(*shop, req) : notFound(kUnknown);
  }
  if (label == "item" || label == "mall") {
    const bool mall = label == "mall";
    if (path != "/item.htm") return notFound(kUnknown);
    a.route = kItem;
    const std::string id = req.get_param_value("id");
    a.body = cached(label + "|" + id, [&] { return itemPage(catalogue, catalogue.item(id), mall, h); });
    return a;
  }
  if (label == "gw") {
    if (path != "/router/rest") return notFound(kUnknown);
    a.route = kGateway;
    a.contentType = "text/xml;charset=UTF-8";
    a.xml = true;
    const QueryParams params(req.params.begin(), req.params.end());
    std::set<std::string> keys;
    {
      std::lock_guard lock(mutex);
      keys = failing;
    }
    a.body = std::make_shared<const std::string>(answerRestRequest(
        catalogue, params, keys, GatewayHosts{h.item, h.picture}, req.target));
    return a;
  }
  if (label == "vendor") {
    if (path == "/kvrt_api//app2.xml" || path == "/kvrt_api/app2.xml") {
      a.route = kKeys;
      a.contentType = "text/xml;charset=UTF-8";
      a.xml = true;
      a.body = cached("keys", [&] { return keyListDocument(catalogue); });
    } else if (path == "/news.html") {
      a.route = kNews;
      a.body = cached("news", [&] { return newsPage(catalogue, h); });
    } else if (path == "/kvrthelp.html") {
      a.route = kHelp;
      a.body = cached("help", [&] { return helpPage(h); });
    } else {
      return notFound(kUnknown);
    }
    return a;
  }
  if (label == "img") {
    a.route = kPicture;
    std::string picture = path;
    if (picture.find("/missing/") != std::string::npos) return notFound(kPicture);
    if (picture.find("/empty/") != std::string::npos) {
      a.contentType = "image/jpeg";
      a.body = std::make_shared<const std::string>();
      return a;
    }
    if (picture.starts_with("/slow/")) {
      picture.erase(0, 5);
      a.delayMs = options.slowPictureMs;
    }
    PictureFormat format;
    if (!catalogue.findPicture(picture, format)) return notFound(kPicture);
    a.contentType = pictureContentType(format);
    a.body = cached("img|" + picture, [&] { return pictureBytes(format, picture); });
    return a;
  }
  if (path == "/") {
    a.contentType = "text/plain;charset=UTF-8";
    a.body = std::make_shared<const std::string>(
        "tessaly-sim: ask with a Host name of " + h.shop(1) + ", " + h.item + ", " + h.mall + ", " +
        h.host("gw") + ", " + h.host("vendor") + " or " + h.picture + "\n");
    return a;
  }
  return notFound(kUnknown);
}

void SimServer::Impl::handle(const httplib::Request& req, httplib::Response& res) {
  const std::string hostHeader = req.get_header_value("Host");
  const std::string label = hostLabel(hostHeader);
  Answer answer = route(label, req);

  Fault fault = Fault::None;
  int latency = 0;
  long generation = 0;
  {
    std::lock_guard lock(mutex);
    ++counters[answer.route];
    ++targetCounts[lower(hostHeader) + req.target];
    if (answer.route == kGateway) gatewayKeys.push_back(req.get_param_value("app_key"));
    if (auto f = settingFor(faults, label); f != faults.end()) {
      fault = f->second.fault;
      // A fault that has spoiled its last answer gives way to the less specific ones.
      if (f->second.times > 0 && --f->second.times == 0) faults.erase(f);
    }
    if (auto l = settingFor(latencies, label); l != latencies.end()) latency = l->second;
    generation = faultGeneration;
  }
  changed.notify_all();

  if (latency + answer.delayMs > 0 && !pause(latency + answer.delayMs)) return;

  switch (fault) {
    case Fault::Hang: {
      // Held until the faults change, the server stops or the client gives up.
      const int fd = connectionSocket(req);
      std::unique_lock lock(mutex);
      while (!stopping && faultGeneration == generation && !peerGone(fd))
        changed.wait_for(lock, std::chrono::milliseconds(50));
      if (stopping || faultGeneration == generation) {
        lock.unlock();
        if (fd >= 0) ::shutdown(fd, SHUT_RDWR);
        return;
      }
      break;
    }
    case Fault::Drop:
      if (const int fd = connectionSocket(req); fd >= 0) ::shutdown(fd, SHUT_RDWR);
      return;
    case Fault::Empty:
      answer.body = std::make_shared<const std::string>();
      break;
    case Fault::Short:
      answer.body = std::make_shared<const std::string>(answer.body->substr(0, answer.body->size() / 2));
      break;
    case Fault::MalformedXml:
      if (answer.xml) answer.body = std::make_shared<const std::string>(malformedXml(*answer.body));
      break;
    case Fault::Truncate: {
      res.status = answer.status;
      auto body = answer.body;
      res.set_content_provider(body->size(), answer.contentType,
                               [body](std::size_t offset, std::size_t, httplib::DataSink& sink) {
                                 const std::size_t half = body->size() / 2;
                                 if (offset < half) sink.write(body->data() + offset, half - offset);
                                 return false;
                               });
      return;
    }
    case Fault::None:
      break;
  }
  res.status = answer.status;
  res.set_content(*answer.body, answer.contentType);
}

SimServer::SimServer(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  // Hanging requests and kept-alive connections each hold a worker.
  impl_->server.new_task_queue = [] { return new httplib::ThreadPool(64); };
  impl_->server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
    if (hostLabel(req.get_header_value("Host")) == "ctl") return serveControl(*this, req, res);
    impl_->handle(req, res);
  });
}

SimServer::~SimServer() { stop(); }

bool SimServer::start(int port) {
  if (impl_->port != 0) return false;  // one start per server
  std::signal(SIGPIPE, SIG_IGN);
  const int bound = port == 0 ? impl_->server.bind_to_any_port("127.0.0.1")
                              : (impl_->server.bind_to_port("127.0.0.1", port) ? port : -1);
  if (bound <= 0) return false;
  impl_->port = bound;
  auto ended = std::make_shared<std::atomic<bool>>(false);
  impl_->listener = std::thread([this, ended] {
    impl_->server.listen_after_bind();
    *ended = true;
  });
  // The socket listens once bound, so connections are queued already; wait only for the
  // accept loop so that stop() cannot race its start.
  while (!impl_->server.is_running() && !*ended) std::this_thread::yield();
  return !*ended;
}

void SimServer::stop() {
  if (!impl_->listener.joinable()) return;
  {
    std::lock_guard lock(impl_->mutex);
    impl_->stopping = true;
  }
  impl_->changed.notify_all();
  impl_->server.stop();
  impl_->listener.join();
}

int SimServer::port() const { return impl_->port; }
const Catalogue& SimServer::catalogue() const { return impl_->catalogue; }
Hosts SimServer::hosts() const { return impl_->hosts(); }
std::string SimServer::host(std::string_view label) const { return impl_->hosts().host(label); }

std::string SimServer::environmentExports() const {
  const Hosts h = hosts();
  return "export TESSALY_ITEM_HOST=" + h.item + "\n" + "export TESSALY_MALL_ITEM_HOST=" + h.mall +
         "\n" + "export TESSALY_API_GATEWAY=http://" + h.host("gw") + "\n" +
         "export TESSALY_VENDOR_SERVICE=http://" + h.host("vendor") + "\n";
}

void SimServer::setFault(std::string_view target, Fault fault, int times) {
  {
    std::lock_guard lock(impl_->mutex);
    if (target == "*") impl_->faults.clear();
    if (times == 0) impl_->faults.erase(std::string(target));
    else impl_->faults[std::string(target)] = {fault, times};
    ++impl_->faultGeneration;
  }
  impl_->changed.notify_all();
}

void SimServer::setLatency(std::string_view target, int milliseconds) {
  std::lock_guard lock(impl_->mutex);
  if (target == "*") impl_->latencies.clear();
  impl_->latencies[std::string(target)] = std::max(0, milliseconds);
}

void SimServer::clearFaults() {
  {
    std::lock_guard lock(impl_->mutex);
    impl_->faults.clear();
    impl_->latencies.clear();
    impl_->latencies["*"] = impl_->options.latencyMs;
    ++impl_->faultGeneration;
  }
  impl_->changed.notify_all();
}

void SimServer::setFailingKeys(const std::set<std::string>& appKeys) {
  std::lock_guard lock(impl_->mutex);
  impl_->failing = appKeys;
}

std::set<std::string> SimServer::failingKeys() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->failing;
}

namespace {
int routeIndex(std::string_view route) {
  for (int r = 0; r < kRouteCount; ++r)
    if (kRoutes[r] == route) return r;
  return -1;
}
}  // namespace

int SimServer::requestCount(std::string_view route) const {
  const int r = routeIndex(route);
  std::lock_guard lock(impl_->mutex);
  return r < 0 ? 0 : impl_->counters[r];
}

int SimServer::targetCount(const std::string& hostAndTarget) const {
  std::lock_guard lock(impl_->mutex);
  const auto it = impl_->targetCounts.find(lower(hostAndTarget.substr(0, hostAndTarget.find('/'))) +
                                           hostAndTarget.substr(std::min(hostAndTarget.find('/'), hostAndTarget.size())));
  return it == impl_->targetCounts.end() ? 0 : it->second;
}

std::vector<std::string> SimServer::gatewayKeys() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->gatewayKeys;
}

int SimServer::totalRequests() const {
  std::lock_guard lock(impl_->mutex);
  int total = 0;
  for (int c : impl_->counters) total += c;
  return total;
}

void SimServer::resetCounters() {
  std::lock_guard lock(impl_->mutex);
  impl_->counters.fill(0);
  impl_->targetCounts.clear();
  impl_->gatewayKeys.clear();
}

bool SimServer::waitForRequests(std::string_view route, int count, std::chrono::milliseconds timeout) const {
  const int r = routeIndex(route);
  if (r < 0) return false;
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, timeout, [&] { return impl_->counters[r] >= count; });
}

}  // namespace tessaly::sim
