#include "net/fetch.hpp"

#include <cctype>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "net/address.hpp"
#include "net/curl_handle.hpp"
#include "net/http_engine.hpp"
#include "support/text.hpp"

namespace tessaly {
namespace {

constexpr int kDefaultFetchSeconds = 90;
constexpr int kDefaultObjectSeconds = 15;
// How often the caller's events are let through while an exchange runs beside it.
constexpr std::chrono::milliseconds kPumpInterval(15);

constexpr const char* kObjectAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, "
    "application/x-shockwave-flash, application/vnd.ms-excel, "
    "application/vnd.ms-powerpoint, application/msword, */*";

// The address as libcurl should fetch it, with the bytes that may not stand in a request
// line escaped; empty for any scheme but plain http (there is no TLS here).
std::string wireUrl(std::string_view address) {
  std::size_t i = 0;
  while (i < address.size() && (std::isalnum(static_cast<unsigned char>(address[i])) ||
                                address[i] == '+' || address[i] == '-' || address[i] == '.'))
    ++i;
  const bool hasScheme = i > 0 && address.substr(i).starts_with("://");
  if (hasScheme && findText(address, "http://", 0, false) != 0) return {};
  const std::string plain =
      hasScheme ? "http://" + std::string(address.substr(7)) : std::string(address);
  const std::string host = hostOfAddress(plain, true);
  if (host.empty()) return {};
  return "http://" + host + encodeRequestTarget(pathOfAddress(plain));
}

// A handle for `address` with the program's User-Agent; null when the address is not an
// http one or libcurl refuses it.
net::CurlEasy handleFor(std::string_view address) {
  const std::string url = wireUrl(address);
  if (url.empty()) return {};
  net::CurlEasy easy = net::newEasyHandle();
  if (!easy || curl_easy_setopt(easy.get(), CURLOPT_URL, url.c_str()) != CURLE_OK) return {};
  curl_easy_setopt(easy.get(), CURLOPT_USERAGENT, net::kUserAgent);
  return easy;
}

// Runs the exchange beside the caller, who keeps its events flowing meanwhile.
void runWhilePumping(FetchRecord& record, std::chrono::milliseconds limit,
                     const CancelToken& cancel, const std::function<void()>& pump) {
  struct Shared {
    std::mutex mutex;
    std::condition_variable done;
    bool finished = false;
  };
  auto shared = std::make_shared<Shared>();
  std::thread worker;
  try {
    worker = std::thread([&record, limit, cancel, shared] {
      runHttpRequest(record, limit, cancel);
      std::lock_guard lock(shared->mutex);
      shared->finished = true;
      shared->done.notify_all();
    });
  } catch (const std::system_error&) {
    return;  // no thread, no result: the record still holds the request
  }
  for (;;) {
    pump();
    std::unique_lock lock(shared->mutex);
    if (shared->done.wait_for(lock, kPumpInterval, [&] { return shared->finished; })) break;
  }
  worker.join();
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
  // A negative limit would mean no limit at all; it counts as "not given".
  const std::chrono::seconds limit(options.timeoutSeconds > 0 ? options.timeoutSeconds
                                                              : kDefaultFetchSeconds);

  if (options.pumpMessages)
    runWhilePumping(record, limit, options.cancel, options.pumpMessages);
  else
    runHttpRequest(record, limit, options.cancel);

  if (record.state != FetchRecord::State::Final) return {};
  if (options.cookiesOut) *options.cookiesOut = record.result.cookieText;
  if (options.headersOut) *options.headersOut = record.result.headerText;
  return std::move(record.result.body);
}

std::string fetchWithHttpObject(std::string_view address, const ObjectFetchOptions& options) {
  net::CurlEasy easy = handleFor(address);
  if (!easy) return {};
  CURL* h = easy.get();

  // The body goes out with whatever method is named; the method is written as given.
  const std::string method = options.method.empty() ? "GET" : options.method;
  const bool withBody = method == "POST" || !options.body.empty();
  if (withBody) {
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(options.body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, options.body.c_str());
  }
  if (method != (withBody ? "POST" : "GET"))
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());

  const std::string proxy = "http://" + options.proxy;
  if (!options.proxy.empty()) {
    curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());
    if (!options.proxyUser.empty()) {
      curl_easy_setopt(h, CURLOPT_PROXYUSERNAME, options.proxyUser.c_str());
      curl_easy_setopt(h, CURLOPT_PROXYPASSWORD, options.proxyPassword.c_str());
    }
  }

  net::CurlList list;
  const std::string referer = options.referer.empty() ? std::string(address) : options.referer;
  net::appendHeader(list, "Referrer: " + net::headerSafe(referer));
  net::appendHeader(list, kObjectAccept);
  net::appendHeader(list, "Accept-Language: zh-cn");
  net::appendHeader(list, "Content-Type: application/x-www-form-urlencoded");
  if (!options.cookies.empty())
    net::appendHeader(list, "Cookie: " + net::headerSafe(options.cookies));
  net::suppressHeader(list, "Expect");
  net::suppressHeader(list, "Proxy-Connection");
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, list.get());

  // The same limit for each phase: name resolution and connection, then sending and
  // receiving, where a transfer that stalls for that long is given up.
  const long seconds = options.timeoutSeconds > 0 ? options.timeoutSeconds : kDefaultObjectSeconds;
  curl_easy_setopt(h, CURLOPT_CONNECTTIMEOUT_MS, seconds * 1000);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_LIMIT, 1L);
  curl_easy_setopt(h, CURLOPT_LOW_SPEED_TIME, seconds);

  net::Transfer transfer;
  transfer.cancel = options.cancel;
  net::attachTransfer(h, transfer);
  // A failed transfer has no response to read: no body, and no cookies appended.
  if (net::performTransfer(h, transfer) != CURLE_OK) return {};
  if (options.cookiesOut) appendSetCookies(transfer.headers, *options.cookiesOut);
  return std::move(transfer.body);
}

std::string downloadBytes(std::string_view address, const CancelToken& cancel) {
  net::CurlEasy easy = handleFor(address);
  if (!easy) return {};
  CURL* h = easy.get();
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, 1000L * kDefaultFetchSeconds);
  net::Transfer transfer;
  transfer.cancel = cancel;
  net::attachTransfer(h, transfer);
  if (net::performTransfer(h, transfer) != CURLE_OK) return {};
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  if (status >= 400) return {};
  return std::move(transfer.body);
}

}  // namespace tessaly
