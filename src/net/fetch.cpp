#include "net/fetch.hpp"

#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "net/address.hpp"
#include "net/curl_handle.hpp"
#include "net/http_engine.hpp"

namespace tessaly {
namespace {

constexpr int kDefaultFetchSeconds = 90;
constexpr int kDefaultObjectSeconds = 15;

// The request target of an address as libcurl should send it: blanks and other bytes
// that may not stand in a request line are escaped.
std::string wireUrl(std::string_view address) {
  const std::string host = hostOfAddress(address, true);
  return "http://" + host + encodeRequestTarget(pathOfAddress(address));
}

}  // namespace

std::string fetchUrl(std::string_view address, const FetchOptions& options) {
  FetchRecord record;
  FetchRequest& r = record.request;
  r.active = true;
  r.address = std::string(address);
  r.method = options.method;
  r.body = options.body;
  r.cookies = options.cookies;
  r.wantCookies = options.cookiesOut != nullptr;
  r.proxy = options.proxy;
  r.headers = options.headers;
  r.userName = options.userName;
  r.password = options.password;
  r.wantHeaders = options.headersOut != nullptr;
  r.keepCookies = options.keepCookies;
  const std::chrono::seconds limit(options.timeoutSeconds != 0 ? options.timeoutSeconds
                                                               : kDefaultFetchSeconds);

  if (!options.pumpMessages) {
    runHttpRequest(record, limit, options.cancel);
  } else {
    // The exchange runs beside the caller, who keeps its events flowing meanwhile.
    struct Shared {
      std::mutex mutex;
      std::condition_variable done;
      bool finished = false;
    };
    auto shared = std::make_shared<Shared>();
    std::thread worker([&record, limit, cancel = options.cancel, shared] {
      runHttpRequest(record, limit, cancel);
      std::lock_guard lock(shared->mutex);
      shared->finished = true;
      shared->done.notify_all();
    });
    for (;;) {
      options.pumpMessages();
      std::unique_lock lock(shared->mutex);
      if (shared->done.wait_for(lock, std::chrono::milliseconds(15), [&] { return shared->finished; }))
        break;
    }
    worker.join();
  }

  if (record.state != FetchRecord::State::Final) return {};
  if (options.cookiesOut) *options.cookiesOut = record.result.cookieText;
  if (options.headersOut) *options.headersOut = record.result.headerText;
  return std::move(record.result.body);
}

std::string fetchWithHttpObject(std::string_view address, const ObjectFetchOptions& options) {
  net::CurlEasy easy = net::newEasyHandle();
  if (!easy) return {};
  CURL* h = easy.get();
  const std::string url = wireUrl(address);
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, net::kUserAgent);

  const std::string method = options.method.empty() ? "GET" : options.method;
  if (method == "POST" || !options.body.empty()) {
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(options.body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, options.body.c_str());
  }
  if (method != "GET" && method != "POST") curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());

  const std::string proxy = "http://" + options.proxy;
  curl_easy_setopt(h, CURLOPT_PROXY, options.proxy.empty() ? "" : proxy.c_str());
  if (!options.proxy.empty() && !options.proxyUser.empty()) {
    curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, options.proxyUser.c_str());
    curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, options.proxyPassword.c_str());
  }

  net::CurlList list;
  const std::string referer = options.referer.empty() ? std::string(address) : options.referer;
  net::appendHeader(list, "Referrer: " + referer);
  net::appendHeader(list,
                    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
                    "application/x-shockwave-flash, application/vnd.ms-excel, "
                    "application/vnd.ms-powerpoint, application/msword, */*");
  net::appendHeader(list, "Accept-Language: zh-cn");
  net::appendHeader(list, "Content-Type: application/x-www-form-urlencoded");
  if (!options.cookies.empty()) net::appendHeader(list, "Cookie: " + options.cookies);
  net::appendHeader(list, "Expect:");
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, list.get());

  // The same limit for each phase: name resolution and connection, then sending and
  // receiving, where a transfer that stalls for that long is given up.
  const long ms = 1000L * (options.timeoutSeconds != 0 ? options.timeoutSeconds : kDefaultObjectSeconds);
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, ms);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, std::max(1L, ms / 1000));

  net::Transfer transfer;
  transfer.cancel = options.cancel;
  net::attachTransfer(h, transfer);
  if (curl_easy_perform(h) != CURLE_OK) transfer.body.clear();
  if (options.cookiesOut) appendSetCookies(transfer.headers, *options.cookiesOut);
  return std::move(transfer.body);
}

std::string downloadBytes(std::string_view address, const CancelToken& cancel) {
  net::CurlEasy easy = net::newEasyHandle();
  if (!easy) return {};
  CURL* h = easy.get();
  const std::string url = wireUrl(address);
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, net::kUserAgent);
  curl_easy_setopt(h, CURLOPT_PROXY, "");
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 1000L * kDefaultFetchSeconds);
  net::Transfer transfer;
  transfer.cancel = cancel;
  net::attachTransfer(h, transfer);
  if (curl_easy_perform(h) != CURLE_OK) return {};
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400) return {};
  return std::move(transfer.body);
}

}  // namespace tessaly
