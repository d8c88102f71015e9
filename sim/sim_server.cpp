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
#include <mutex>
#include <thread>
#include <unordered_map>

#include <httplib.h>

#include "gateway.hpp"
#include "pictures.hpp"
#include "support/gbk.hpp"
#include "vendor_pages.hpp"

namespace tessaly::sim {
namespace {

constexpr std::size_t kCacheLimit = 20000;

struct Answer {
  Route route = Route::Unknown;
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

std::string_view routeName(Route route) {
  static constexpr std::array<std::string_view, kRouteCount> kNames = {
      "shop-home", "shop-search", "shop-page", "category-page", "item-page", "mall-item-page",
      "gateway",   "picture",     "key-list",  "news",          "help",      "unknown"};
  return kNames[static_cast<int>(route)];
}

static constexpr std::array<std::pair<FaultKind, std::string_view>, 7> kFaultNames = {{
    {FaultKind::None, "none"},
    {FaultKind::Hang, "hang"},
    {FaultKind::Close, "close"},
    {FaultKind::EmptyBody, "empty"},
    {FaultKind::TruncatedBody, "truncated"},
    {FaultKind::CutTransfer, "cut"},
    {FaultKind::MalformedXml, "malformed"},
}};

bool parseFaultKind(std::string_view text, FaultKind& kind) {
  for (const auto& [k, name] : kFaultNames)
    if (name == text) {
      kind = k;
      return true;
    }
  return false;
}

std::string_view faultKindName(FaultKind kind) {
  for (const auto& [k, name] : kFaultNames)
    if (k == kind) return name;
  return "none";
}

struct SimServer::Impl {
  explicit Impl(SimOptions o) : options(std::move(o)), catalogue(options) {
    latencies["*"] = options.latencyMs;
    failing = options.failingKeys;
  }

  SimOptions options;
  Catalogue catalogue;
  httplib::Server server;
  std::thread listener;
  int port = 0;

  mutable std::mutex mutex;  // guards everything below
  mutable std::condition_variable changed;
  std::map<std::string, Fault, std::less<>> faults;
  std::map<std::string, int, std::less<>> latencies;
  std::vector<std::string> failing;
  long faultGeneration = 0;
  bool stopping = false;
  std::array<long, kRouteCount> counters{};

  std::mutex cacheMutex;
  std::unordered_map<std::string, std::shared_ptr<const std::string>> cache;

  SimHosts hosts() const { return SimHosts{port}; }

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
  typename Map::mapped_type* settingFor(Map& map, const std::string& label) {
    if (auto it = map.find(label); it != map.end()) return &it->second;
    if (shopNumber(label) > 0)
      if (auto it = map.find("shop"); it != map.end()) return &it->second;
    if (auto it = map.find("*"); it != map.end()) return &it->second;
    return nullptr;
  }

  Answer route(const std::string& label, const httplib::Request& req);
  Answer shopAnswer(const SimShop& shop, const httplib::Request& req);
  void handle(const httplib::Request& req, httplib::Response& res);
  // Waits up to `ms` unless the server stops; false when it stopped.
  bool pause(int ms) {
    std::unique_lock lock(mutex);
    return !changed.wait_for(lock, std::chrono::milliseconds(ms), [&] { return stopping; });
  }
};

Answer SimServer::Impl::shopAnswer(const SimShop& shop, const httplib::Request& req) {
  Answer a;
  const SimHosts h = hosts();
  const std::string& path = req.path;
  const std::string shopKey = "shop" + std::to_string(shop.number);
  if (path == "/" || path == "/index.htm") {
    a.route = Route::ShopHome;
    a.body = cached(shopKey + "|home", [&] { return shopHomePage(catalogue, shop, h); });
    return a;
  }
  std::string categoryId, categoryParam;
  if (path.starts_with("/category-") && path.ends_with(".htm")) {
    categoryId = path.substr(10, path.size() - 14);
    categoryParam = "catId";
  } else if (path == "/search.htm") {
    if (!req.get_param_value("scid").empty()) {
      categoryId = req.get_param_value("scid");
      categoryParam = "scid";
    }
    if (!req.get_param_value("catId").empty()) {
      categoryId = req.get_param_value("catId");
      categoryParam = "catId";
    }
  } else {
    a.route = Route::Unknown;
    a.status = 404;
    a.body = cached("404", notFoundPage);
    return a;
  }
  const std::string pageText = req.get_param_value("pageNum");
  const int page = pageText.empty() ? 1 : std::max(0, std::atoi(pageText.c_str()));
  if (categoryParam.empty()) {
    a.route = req.has_param("pageNum") ? Route::ShopPage : Route::ShopSearch;
    a.body = cached(shopKey + "|p" + std::to_string(page), [&] {
      return shopResultPage(catalogue, shop, nullptr, "", page, h);
    });
    return a;
  }
  a.route = Route::CategoryPage;
  a.body = cached(shopKey + "|" + categoryParam + "=" + categoryId + "|p" + std::to_string(page), [&] {
    const SimCategory* category = catalogue.findCategory(shop, categoryId);
    // An unknown category shows an empty result, as the real shops do.
    const SimCategory unknown{categoryId, "宝贝分类", {}};
    return shopResultPage(catalogue, shop, category ? category : &unknown, categoryParam, page, h);
  });
  return a;
}

Answer SimServer::Impl::route(const std::string& label, const httplib::Request& req) {
  Answer a;
  const SimHosts h = hosts();
  const std::string& path = req.path;
  auto notFound = [&](Route r) {
    a.route = r;
    a.status = 404;
    a.body = cached("404", notFoundPage);
    return a;
  };
  if (const int n = shopNumber(label); n > 0) {
    const SimShop* shop = catalogue.shop(n);
    return shop ? shopAnswer(*shop, req) : notFound(Route::Unknown);
  }
  if (label == "item" || label == "mall") {
    const bool mall = label == "mall";
    if (path != "/item.htm") return notFound(Route::Unknown);
    a.route = mall ? Route::MallItemPage : Route::ItemPage;
    const std::string id = req.get_param_value("id");
    a.body = cached(label + "|" + id, [&] { return itemPage(catalogue, catalogue.findItem(id), mall, h); });
    return a;
  }
  if (label == "gw") {
    if (path != "/router/rest") return notFound(Route::Unknown);
    a.route = Route::Gateway;
    a.contentType = "text/xml;charset=UTF-8";
    a.xml = true;
    QueryParams params(req.params.begin(), req.params.end());
    std::vector<std::string> keys;
    {
      std::lock_guard lock(mutex);
      keys = failing;
    }
    a.body = std::make_shared<const std::string>(answerRestRequest(
        catalogue, params, keys, GatewayHosts{h.host("item"), h.host("img")}, req.target));
    return a;
  }
  if (label == "vendor") {
    if (path == "/kvrt_api//app2.xml" || path == "/kvrt_api/app2.xml") {
      a.route = Route::KeyList;
      a.contentType = "text/xml;charset=UTF-8";
      a.xml = true;
      a.body = cached("keys", [&] { return keyListDocument(catalogue); });
    } else if (path == "/news.html") {
      a.route = Route::News;
      a.body = cached("news", [&] { return newsPage(catalogue, h); });
    } else if (path == "/kvrthelp.html") {
      a.route = Route::Help;
      a.body = cached("help", [&] { return helpPage(h); });
    } else {
      return notFound(Route::Unknown);
    }
    return a;
  }
  if (label == "img") {
    a.route = Route::Picture;
    std::string picture = path;
    if (picture.starts_with("/missing/")) return notFound(Route::Picture);
    if (picture.starts_with("/empty/")) {
      a.contentType = "image/jpeg";
      a.body = std::make_shared<const std::string>();
      return a;
    }
    if (picture.starts_with("/slow/")) {
      picture.erase(0, 5);
      a.delayMs = options.slowPictureMs;
    }
    PictureFormat format;
    if (!catalogue.findPicture(picture, format)) return notFound(Route::Picture);
    a.contentType = pictureContentType(format);
    a.body = cached("img|" + picture, [&] { return pictureBytes(format, picture); });
    return a;
  }
  if (path == "/") {
    a.contentType = "text/plain;charset=UTF-8";
    a.body = std::make_shared<const std::string>(
        "tessaly-sim: ask with a Host name of " + h.shop(1) + ", " + h.host("item") + ", " +
        h.host("mall") + ", " + h.host("gw") + ", " + h.host("vendor") + " or " + h.host("img") + "\n");
    return a;
  }
  return notFound(Route::Unknown);
}

void SimServer::Impl::handle(const httplib::Request& req, httplib::Response& res) {
  const std::string label = hostLabel(req.get_header_value("Host"));
  Answer answer = route(label, req);

  Fault fault;
  int latency = 0;
  long generation = 0;
  {
    std::lock_guard lock(mutex);
    ++counters[static_cast<int>(answer.route)];
    if (Fault* f = settingFor(faults, label); f && f->kind != FaultKind::None) {
      fault = *f;
      // A fault that has spoiled its last answer gives way to the less specific ones.
      if (f->times > 0 && --f->times == 0)
        std::erase_if(faults, [f](const auto& entry) { return &entry.second == f; });
    }
    if (int* l = settingFor(latencies, label)) latency = *l;
    generation = faultGeneration;
  }
  changed.notify_all();

  if (latency + answer.delayMs > 0 && !pause(latency + answer.delayMs)) return;

  switch (fault.kind) {
    case FaultKind::Hang: {
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
    case FaultKind::Close:
      if (const int fd = connectionSocket(req); fd >= 0) ::shutdown(fd, SHUT_RDWR);
      return;
    case FaultKind::EmptyBody:
      answer.body = std::make_shared<const std::string>();
      break;
    case FaultKind::TruncatedBody:
      answer.body = std::make_shared<const std::string>(answer.body->substr(0, answer.body->size() / 2));
      break;
    case FaultKind::MalformedXml:
      if (answer.xml) answer.body = std::make_shared<const std::string>(malformedXml(*answer.body));
      break;
    case FaultKind::CutTransfer: {
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
    case FaultKind::None:
      break;
  }
  res.status = answer.status;
  res.set_content(*answer.body, answer.contentType);
}

namespace {
void controlAnswer(SimServer& server, const httplib::Request& req, httplib::Response& res);
}

SimServer::SimServer(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {
  // Hanging requests and kept-alive connections each hold a worker.
  impl_->server.new_task_queue = [] { return new httplib::ThreadPool(64); };
  impl_->server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
    if (hostLabel(req.get_header_value("Host")) == "ctl") return controlAnswer(*this, req, res);
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
SimHosts SimServer::hosts() const { return impl_->hosts(); }
std::string SimServer::host(std::string_view label) const { return impl_->hosts().host(label); }

std::string SimServer::envExports() const {
  return "export TESSALY_ITEM_HOST=" + host("item") + "\n" +
         "export TESSALY_MALL_ITEM_HOST=" + host("mall") + "\n" +
         "export TESSALY_API_GATEWAY=http://" + host("gw") + "\n" +
         "export TESSALY_VENDOR_SERVICE=http://" + host("vendor") + "\n";
}

void SimServer::setFault(std::string_view target, Fault fault) {
  {
    std::lock_guard lock(impl_->mutex);
    if (fault.times == 0) impl_->faults.erase(std::string(target));
    else impl_->faults[std::string(target)] = fault;
    ++impl_->faultGeneration;
  }
  impl_->changed.notify_all();
}

void SimServer::setLatency(std::string_view target, int milliseconds) {
  std::lock_guard lock(impl_->mutex);
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

void SimServer::setFailingKeys(std::vector<std::string> appKeys) {
  std::lock_guard lock(impl_->mutex);
  impl_->failing = std::move(appKeys);
}

std::vector<std::string> SimServer::failingKeys() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->failing;
}

long SimServer::requestCount(Route route) const {
  std::lock_guard lock(impl_->mutex);
  return impl_->counters[static_cast<int>(route)];
}

long SimServer::totalRequests() const {
  std::lock_guard lock(impl_->mutex);
  long total = 0;
  for (long c : impl_->counters) total += c;
  return total;
}

void SimServer::resetCounters() {
  std::lock_guard lock(impl_->mutex);
  impl_->counters.fill(0);
}

bool SimServer::waitForRequests(Route route, long count, std::chrono::milliseconds timeout) const {
  std::unique_lock lock(impl_->mutex);
  return impl_->changed.wait_for(lock, timeout, [&] {
    return impl_->counters[static_cast<int>(route)] >= count;
  });
}

namespace {

// ctl.localhost: the stand-alone program's run-time switches.
//   /counters  /clear  /reset-counters  /fault?target=gw&kind=hang[&times=1]
//   /latency?target=img&ms=200  /failing-keys?keys=k1,k2 (empty: none)
void controlAnswer(SimServer& server, const httplib::Request& req, httplib::Response& res) {
  std::string out = "ok\n";
  if (req.path == "/counters") {
    out.clear();
    for (int r = 0; r < kRouteCount; ++r)
      out += std::string(routeName(static_cast<Route>(r))) + " " +
             std::to_string(server.requestCount(static_cast<Route>(r))) + "\n";
    out += "total " + std::to_string(server.totalRequests()) + "\n";
  } else if (req.path == "/clear") {
    server.clearFaults();
  } else if (req.path == "/reset-counters") {
    server.resetCounters();
  } else if (req.path == "/fault") {
    Fault fault;
    const std::string times = req.get_param_value("times");
    if (!parseFaultKind(req.get_param_value("kind"), fault.kind)) {
      res.status = 400;
      out = "unknown fault kind\n";
    } else {
      fault.times = times.empty() ? -1 : std::atoi(times.c_str());
      server.setFault(req.has_param("target") ? req.get_param_value("target") : "*", fault);
    }
  } else if (req.path == "/latency") {
    server.setLatency(req.has_param("target") ? req.get_param_value("target") : "*",
                      std::atoi(req.get_param_value("ms").c_str()));
  } else if (req.path == "/failing-keys") {
    std::vector<std::string> keys;
    const std::string list = req.get_param_value("keys");
    for (std::size_t start = 0; start < list.size();) {
      const std::size_t comma = std::min(list.find(',', start), list.size());
      if (comma > start) keys.push_back(list.substr(start, comma - start));
      start = comma + 1;
    }
    server.setFailingKeys(keys);
  } else {
    res.status = 404;
    out = "unknown control\n";
  }
  res.set_content(out, "text/plain;charset=UTF-8");
}

}  // namespace
}  // namespace tessaly::sim
