#pragma once
// The three ways the program reaches the web.
#include <functional>
#include <string>
#include <string_view>

#include "support/cancel_token.hpp"

namespace tessaly {

// Everything but the address; the defaults are what every page and API call uses.
struct FetchOptions {
  std::string method;  // empty: GET
  std::string body;
  std::string cookies;
  std::string* cookiesOut = nullptr;  // filled with the response's cookies when given
  std::string proxy;
  int timeoutSeconds = 0;  // 0 (or less): 90 seconds
  // "Let the UI run": when set, the exchange runs on a thread of its own and this is
  // called on the calling thread every few milliseconds until it ends.
  std::function<void()> pumpMessages;
  std::string headers;
  std::string userName;
  std::string password;
  std::string* headersOut = nullptr;  // filled with the final response's header block
  bool keepCookies = false;
  // Trips an in-flight exchange at once. A thread's stop request reaches it through
  // std::stop_callback(stopToken, [token] { token.cancel(); }).
  CancelToken cancel;
};

// One exchange under a hard limit. Returns the response body, or empty bytes when no
// result arrived (time-out, cancellation, refused method); the out-variables are written
// only when a result arrived. A refused connection or a broken read is a result: its
// body is what arrived (often nothing) and the out-variables are written.
std::string fetchUrl(std::string_view address, const FetchOptions& options = {});

struct ObjectFetchOptions {
  std::string method;  // empty: GET
  std::string body;
  std::string cookies;
  std::string* cookiesOut = nullptr;  // the response's cookies are appended to it
  std::string proxy;
  int timeoutSeconds = 0;  // per phase; 0: 15 seconds
  std::string proxyUser;
  std::string proxyPassword;
  std::string referer;  // empty: the address
  CancelToken cancel;
};

// A synchronous fetch with the request-object header set (used for the key list): its
// own "Referrer" line, Content-Type with every method, one limit per phase. A failed
// transfer gives empty bytes and appends no cookies. Plain http only.
std::string fetchWithHttpObject(std::string_view address, const ObjectFetchOptions& options = {});

// A plain GET for pictures: the body, or empty bytes on any failure including an HTTP
// status of 400 or more, so an error page is never stored as a picture. Redirects are
// followed, 90 seconds at most, plain http only.
std::string downloadBytes(std::string_view address, const CancelToken& cancel = CancelToken());

}  // namespace tessaly
