#pragma once
// libcurl plumbing shared by the request engine, the object fetch and downloads. Private
// to src/net: nothing outside includes curl.
#include <curl/curl.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "support/cancel_token.hpp"

namespace tessaly::net {

inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

// CURL and CURLM are the same opaque type to the compiler, hence one deleter each.
struct CurlEasyDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
};
struct CurlListDeleter {
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
struct CurlMultiDeleter {
  void operator()(CURLM* m) const { curl_multi_cleanup(m); }
};
using CurlEasy = std::unique_ptr<CURL, CurlEasyDeleter>;
using CurlList = std::unique_ptr<curl_slist, CurlListDeleter>;
using CurlMulti = std::unique_ptr<CURLM, CurlMultiDeleter>;

// A new easy handle with the settings every exchange shares (plain http only, redirects
// followed, a fresh connection, no proxy from the environment); null when libcurl fails.
CurlEasy newEasyHandle();

// Adds one request header line. A line whose value is empty goes out as "Name:" (libcurl
// would read "Name:" as "drop this header").
void appendHeader(CurlList& list, std::string_view line);
// Keeps libcurl's own default line `name` off the wire.
void suppressHeader(CurlList& list, std::string_view name);

// The process-wide cookie store: a share handle with cookie locking.
CURLSH* cookieShare();

// What a transfer collects: the body and the header block of the final response (CR LF
// line ends, status line first).
struct Transfer {
  std::string body;
  std::string headers;
  CancelToken cancel;
};

// Wires body, header and cancellation callbacks of `h` to `t`.
void attachTransfer(CURL* h, Transfer& t);

// Runs the transfer of `h` on the calling thread. A tripped `t.cancel` ends it at once
// with CURLE_ABORTED_BY_CALLBACK, also while it waits for a silent server.
CURLcode performTransfer(CURL* h, Transfer& t);

// Text that ends up inside one header line: CR and LF would start a line of their own,
// so they are percent-encoded.
std::string headerSafe(std::string_view value);

}  // namespace tessaly::net
