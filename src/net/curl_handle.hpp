#pragma once
// libcurl plumbing shared by the request engine, the object fetch and downloads. Private
// to src/net: nothing outside includes curl.
#include <curl/curl.h>

#include <chrono>
#include <memory>
#include <string>

#include "support/cancel_token.hpp"

namespace tessaly::net {

inline constexpr const char* kUserAgent = "Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)";

struct CurlDeleter {
  void operator()(CURL* h) const { curl_easy_cleanup(h); }
  void operator()(curl_slist* l) const { curl_slist_free_all(l); }
};
using CurlEasy = std::unique_ptr<CURL, CurlDeleter>;
using CurlList = std::unique_ptr<curl_slist, CurlDeleter>;

// A new easy handle with the settings every exchange shares; null when libcurl fails.
CurlEasy newEasyHandle();

void appendHeader(CurlList& list, const std::string& line);

// The process-wide cookie store: a share handle with cookie locking.
CURLSH* cookieShare();

// What a transfer collects: body, the header block of the final response, and the flag
// that can break it off.
struct Transfer {
  std::string body;
  std::string headers;
  CancelToken cancel;
};

// Wires body, header and cancellation callbacks of `h` to `t`.
void attachTransfer(CURL* h, Transfer& t);

}  // namespace tessaly::net
