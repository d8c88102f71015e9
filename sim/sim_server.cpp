#include "sim_server.hpp"

#include <httplib.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "pictures.hpp"
#include "support/gbk.hpp"
#include "support/md5.hpp"

namespace tessaly::sim {
namespace {

// The service a Host header names, and the shop number for shop hosts.
struct Target {
  std::string service;
  int shop = 0;
};

Target targetOf(std::string host) {
  std::transform(host.begin(), host.end(), host.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  host = host.substr(0, host.find(':'));
  const std::string label = host.substr(0, host.find('.'));
  if (label.rfind("shop", 0) == 0 && label.size() > 4 &&
      std::all_of(label.begin() + 4, label.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return {"shop", std::stoi(label.substr(4))};
  return {label, 0};
}

std::string extensionOf(const std::string& path) {
  const std::size_t dot = path.rfind('.');
  return dot == std::string::npos ? std::string() : path.substr(dot + 1);
}

}  // namespace

struct SimServer::Impl {
  SimOptions options;
  Catalogue catalogue;
  httplib::Server server;
  std::thread thread;
  int port = 0;

  mutable std::mutex mutex;  // guards everything below
  std::condition_variable changed;
  bool stopping = false;
  int latencyMs = 0;
  std::map<std::string, Fault> faults;
  std::set<std::string> failingKeys;
  std::map<std::string, int> routeCounts;
  std::map<std::string, int> targetCounts;
  std::vector<std::string> gatewayKeys;
  std::map<std::string, std::string> pageCache;  // rendered result pages (GBK)

  explicit Impl(SimOptions o)
      : options(std::move(o)), catalogue(options.catalogue), latencyMs(options.latencyMs),
        failingKeys(options.failingKeys) {}

  Hosts hosts() const {
    Hosts h;
    h.port = port;
    h.item = "item.localhost:" + std::to_string(port);
    h.mall = "mall.localhost:" + std::to_string(port);
    h.picture = "img.localhost:" + std::to_string(port);
    return h;
  }

  void count(const std::string& route, const std::string& target) {
    std::lock_guard lock(mutex);
    ++routeCounts[route];
    ++targetCounts[target];
  }

  Fault faultFor(const std::string& service) const {
    std::lock_guard lock(mutex);
    const auto it = faults.find(service);
    return it == faults.end() ? Fault::None : it->second;
  }

  void handle(const httplib::Request& req, httplib::Response& res) {
    const Target target = targetOf(req.get_header_value("Host"));
    int latency;
    {
      std::lock_guard lock(mutex);
      latency = latencyMs;
    }
    if (latency > 0) std::this_thread::sleep_for(std::chrono::milliseconds(latency));

    if (faultFor(target.service) == Fault::Hang) {
      std::unique_lock lock(mutex);
      changed.wait(lock, [&] {
        const auto it = faults.find(target.service);
        return stopping || it == faults.end() || it->second != Fault::Hang;
      });
      res.status = 503;
      return;
    }

    std::string route = "unknown";
    if (target.service == "shop") route = serveShop(target.shop, req, res);
    else if (target.service == "item" || target.service == "mall") route = serveItemPage(target.service == "mall", req, res);
    else if (target.service == "gw") route = serveGateway(req, res);
    else if (target.service == "vendor") route = serveVendor(req, res);
    else if (target.service == "img") route = servePicture(req, res);
    else res.status = 404;
    count(route, req.get_header_value("Host") + req.target);
    applyBodyFault(faultFor(target.service), target.service, res);
  }

  static void setPage(httplib::Response& res, const std::string& utf8) {
    res.set_content(utf8ToGbk(utf8), "text/html; charset=GBK");
  }

  std::string serveShop(int number, const httplib::Request& req, httplib::Response& res) {
    const Shop* shop = catalogue.shop(number);
    if (!shop) {
      res.status = 404;
      setPage(res, "<html><body>店铺不存在</body></html>");
      return "unknown";
    }
    const Category* category = nullptr;
    std::string route = "search";
    const std::string path = req.path;
    if (path.rfind("/category-", 0) == 0) {
      category = catalogue.category(*shop, path.substr(10, path.find('.') - 10));
      route = "category";
    }
    for (const char* key : {"scid", "catId"})
      if (req.has_param(key)) {
        category = catalogue.category(*shop, req.get_param_value(key));
        route = "category";
      }
    if (route == "category" && !category) {
      res.status = 404;
      setPage(res, "<html><body>分类不存在</body></html>");
      return route;
    }
    int page = 1;
    if (req.has_param("pageNum")) {
      page = std::max(1, std::atoi(req.get_param_value("pageNum").c_str()));
      route = "result";
    }
    // Pages depend only on the catalogue, so each is rendered once.
    const std::string key = std::to_string(number) + "/" + (category ? category->id : "") + "/" + std::to_string(page);
    {
      std::lock_guard lock(mutex);
      if (const auto it = pageCache.find(key); it != pageCache.end()) {
        res.set_content(it->second, "text/html; charset=GBK");
        return route;
      }
    }
    std::vector<const Item*> items = catalogue.listing(*shop, category);
    if (number == options.duplicateShop && items.size() > static_cast<std::size_t>(shop->perPage))
      items.insert(items.begin() + shop->perPage, items.front());
    PageShape shape;
    shape.oversized = number == options.oversizedShop;
    shape.onePriceShort = number == options.shortPriceShop;
    std::string rendered = utf8ToGbk(resultPage(*shop, category, items, page, hosts(), shape));
    res.set_content(rendered, "text/html; charset=GBK");
    std::lock_guard lock(mutex);
    pageCache.emplace(key, std::move(rendered));
    return route;
  }

  std::string serveItemPage(bool mall, const httplib::Request& req, httplib::Response& res) {
    const Item* item = catalogue.item(req.get_param_value("id"));
    if (req.path != "/item.htm" || !item) {
      res.status = 404;
      setPage(res, "<html><head><title>页面不存在</title></head><body>很抱歉，您查看的宝贝不存在</body></html>");
      return "item";
    }
    setPage(res, itemPage(*item, mall));
    return "item";
  }

  std::string serveGateway(const httplib::Request& req, httplib::Response& res) {
    res.set_content(gatewayAnswer(req), "text/xml;charset=UTF-8");
    return "gateway";
  }

  std::string gatewayAnswer(const httplib::Request& req) {
    {
      std::lock_guard lock(mutex);
      gatewayKeys.push_back(req.get_param_value("app_key"));
    }
    if (req.path != "/router/rest") return errorAnswer(21, "Missing method", "", "http传入的参数加入method字段");
    const std::string method = req.get_param_value("method");
    if (method.empty()) return errorAnswer(21, "Missing method", "", "http传入的参数加入method字段");
    if (method != "taobao.item.get") return errorAnswer(22, "Invalid method", "", "");
    const std::string appKey = req.get_param_value("app_key");
    const auto& keys = catalogue.keys();
    const auto key = std::find_if(keys.begin(), keys.end(), [&](const KeyPair& k) { return k.appKey == appKey; });
    if (key == keys.end()) return errorAnswer(29, "Invalid app Key", "isv.appkey-not-exists", "");

    // The platform's rule: secret, every parameter but "sign" as name and value in name
    // order, secret again; MD5 in upper-case hexadecimal.
    std::vector<std::pair<std::string, std::string>> params;
    for (const auto& [name, value] : req.params)
      if (name != "sign") params.emplace_back(name, value);
    std::sort(params.begin(), params.end());
    std::string signedText = key->appSecret;
    for (const auto& [name, value] : params) signedText += name + value;
    signedText += key->appSecret;
    if (req.get_param_value("sign") != md5HexUpper(signedText)) return errorAnswer(25, "Invalid signature", "", "");

    {
      std::lock_guard lock(mutex);
      if (failingKeys.count(appKey))
        return errorAnswer(7, "App Call Limited", "accesscontrol.limited-by-app-api-access-count",
                           "This ban will last for 1 more seconds");
    }
    const Item* item = catalogue.item(req.get_param_value("num_iid"));
    if (!item) return errorAnswer(15, "Remote service error", "isv.item-get-service-error:ITEM_NOT_FOUND",
                                  "商品id对应的商品不存在");
    return itemAnswer(*item, hosts());
  }

  std::string serveVendor(const httplib::Request& req, httplib::Response& res) {
    if (req.path == "/kvrt_api//app2.xml" || req.path == "/kvrt_api/app2.xml") {
      res.set_content(keyList(catalogue.keys()), "text/xml");
      return "keys";
    }
    if (req.path == "/news.html") {
      setPage(res, newsPage());
      return "news";
    }
    if (req.path == "/kvrthelp.html") {
      setPage(res, helpPage());
      return "help";
    }
    res.status = 404;
    return "unknown";
  }

  std::string servePicture(const httplib::Request& req, httplib::Response& res) {
    const std::string& path = req.path;
    if (path.find("/missing/") != std::string::npos) {
      res.status = 404;
      setPage(res, "<html><body>404 Not Found</body></html>");
      return "picture";
    }
    if (path.find("/empty/") != std::string::npos) {
      res.set_content("", "image/jpeg");
      return "picture";
    }
    if (path.find("/slow/") != std::string::npos) std::this_thread::sleep_for(std::chrono::milliseconds(300));
    // The catalogue's Chinese picture names are asked for with their GBK bytes
    // percent-encoded: decoded, the path must read as those characters in GBK.
    if (std::any_of(path.begin(), path.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) &&
        gbkToUtf8(path).find("红色_") == std::string::npos) {
      res.status = 404;
      return "picture";
    }
    std::string type = extensionOf(path);
    if (type == "jpeg") type = "jpg";
    const std::string bytes = pictureBytes(type, static_cast<unsigned>(std::hash<std::string>{}(path)));
    if (bytes.empty()) {
      res.status = 404;
      return "picture";
    }
    res.set_content(bytes, type == "jpg" ? "image/jpeg" : "image/" + type);
    return "picture";
  }

  static void applyBodyFault(Fault fault, const std::string& service, httplib::Response& res) {
    switch (fault) {
      case Fault::Empty:
        res.body.clear();
        break;
      case Fault::MalformedXml:
        if (service == "gw") {
          const std::size_t at = res.body.find("</item></item_get_response>");
          if (at != std::string::npos) res.body.replace(at, 7, "</itm>");
          else res.body += "<unclosed>";
        }
        break;
      case Fault::Truncate:
      case Fault::Drop: {
        const std::string body = res.body;
        const std::size_t keep = fault == Fault::Truncate ? body.size() / 2 : 0;
        const std::string type = res.get_header_value("Content-Type");
        res.body.clear();
        res.set_content_provider(
            body.size() + 1, type, [body, keep](size_t offset, size_t, httplib::DataSink& sink) {
              if (offset < keep) sink.write(body.data() + offset, keep - offset);
              return false;  // the connection ends before the announced length
            });
        break;
      }
      default:
        break;
    }
  }
};

SimServer::SimServer(SimOptions options) : impl_(std::make_unique<Impl>(std::move(options))) {}

SimServer::~SimServer() { stop(); }

bool SimServer::start(int port) {
  Impl& s = *impl_;
  s.server.new_task_queue = [] { return new httplib::ThreadPool(48); };
  s.server.set_keep_alive_max_count(1);
  s.server.Get(".*", [this](const httplib::Request& req, httplib::Response& res) { impl_->handle(req, res); });
  s.port = port == 0 ? s.server.bind_to_any_port("127.0.0.1") : (s.server.bind_to_port("127.0.0.1", port) ? port : -1);
  if (s.port <= 0) return false;
  // The socket already listens, so requests queue until the thread accepts them. Wait
  // for the accept loop to run all the same: a stop before it starts would be lost.
  auto ended = std::make_shared<std::atomic<bool>>(false);
  s.thread = std::thread([&s, ended] {
    s.server.listen_after_bind();
    *ended = true;
  });
  while (!s.server.is_running() && !*ended) std::this_thread::yield();
  return !*ended;
}

void SimServer::stop() {
  Impl& s = *impl_;
  {
    std::lock_guard lock(s.mutex);
    s.stopping = true;
  }
  s.changed.notify_all();
  s.server.stop();
  if (s.thread.joinable()) s.thread.join();
}

int SimServer::port() const { return impl_->port; }
const Catalogue& SimServer::catalogue() const { return impl_->catalogue; }
Hosts SimServer::hosts() const { return impl_->hosts(); }

std::string SimServer::environmentExports() const {
  const std::string p = std::to_string(impl_->port);
  return "export TESSALY_ITEM_HOST=item.localhost:" + p + "\nexport TESSALY_MALL_ITEM_HOST=mall.localhost:" + p +
         "\nexport TESSALY_API_GATEWAY=http://gw.localhost:" + p +
         "\nexport TESSALY_VENDOR_SERVICE=http://vendor.localhost:" + p + "\n";
}

void SimServer::setLatency(int ms) {
  std::lock_guard lock(impl_->mutex);
  impl_->latencyMs = ms;
}

void SimServer::setFault(const std::string& service, Fault fault) {
  {
    std::lock_guard lock(impl_->mutex);
    if (service == "*") {
      for (const char* s : kServices) impl_->faults[s] = fault;
    } else {
      impl_->faults[service] = fault;
    }
  }
  impl_->changed.notify_all();
}

void SimServer::setFailingKeys(const std::set<std::string>& keys) {
  std::lock_guard lock(impl_->mutex);
  impl_->failingKeys = keys;
}

int SimServer::requestCount(const std::string& route) const {
  std::lock_guard lock(impl_->mutex);
  const auto it = impl_->routeCounts.find(route);
  return it == impl_->routeCounts.end() ? 0 : it->second;
}

int SimServer::targetCount(const std::string& hostAndTarget) const {
  std::lock_guard lock(impl_->mutex);
  const auto it = impl_->targetCounts.find(hostAndTarget);
  return it == impl_->targetCounts.end() ? 0 : it->second;
}

std::vector<std::string> SimServer::gatewayKeys() const {
  std::lock_guard lock(impl_->mutex);
  return impl_->gatewayKeys;
}

void SimServer::resetCounters() {
  std::lock_guard lock(impl_->mutex);
  impl_->gatewayKeys.clear();
  impl_->routeCounts.clear();
  impl_->targetCounts.clear();
}

}  // namespace tessaly::sim
