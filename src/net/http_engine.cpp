#include "net/http_engine.hpp"

#include <algorithm>
#include <cstdint>

#include "net/address.hpp"
#include "net/curl_handle.hpp"
#include "support/text.hpp"

namespace tessaly {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kDefaultAccept =
    "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";

std::string withoutBlanks(std::string_view text) {
  std::string out(text);
  std::erase(out, ' ');
  return out;
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && findText(a, b, 0, false) == 0;
}

// True when one of the lines of `block` is a header called `name`.
bool hasHeaderLine(std::string_view block, std::string_view name) {
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find('\n', start);
    if (end == std::string_view::npos) end = block.size();
    const std::string_view line = block.substr(start, end - start);
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos &&
        equalsIgnoreCase(trimBlanks(line.substr(0, colon)), name))
      return true;
    start = end + 1;
  }
  return false;
}

// The lines of H as separate entries for libcurl, in their order.
void addHeaderLines(net::CurlList& list, std::string_view block) {
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    if (end == std::string_view::npos) end = block.size();
    const std::string_view line = block.substr(start, end - start);
    if (!trimBlanks(line).empty()) net::appendHeader(list, line);
    start = end + 2;
  }
}

// libcurl keeps a custom method on every request of a redirect chain. A POST spelled in
// its own letter case ("post") must still turn into a GET after 301, 302 or 303, so such
// a chain is followed here: the first hop by hand, the rest by libcurl.
CURLcode performFollowingAsPost(CURL* h, net::Transfer& transfer, Clock::time_point deadline) {
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 0L);
  const CURLcode rc = net::performTransfer(h, transfer);
  if (rc != CURLE_OK) return rc;
  const char* next = nullptr;
  long status = 0;
  curl_easy_getinfo(h, CURLINFO_REDIRECT_URL, &next);
  curl_easy_getinfo(h, CURLINFO_RESPONSE_CODE, &status);
  if (next == nullptr) return rc;
  const std::string target(next);
  if (status == 301 || status == 302 || status == 303) {
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, nullptr);
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  }
  curl_easy_setopt(h, CURLOPT_URL, target.c_str());
  curl_easy_setopt(h, CURLOPT_FOLLOWLOCATION, 1L);
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
  if (left.count() <= 0) return CURLE_OPERATION_TIMEDOUT;
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(left.count()));
  transfer.body.clear();
  return net::performTransfer(h, transfer);
}

}  // namespace

void appendSetCookies(const std::string& headerBlock, std::string& out) {
  if (headerBlock.find("Set-Cookie:") == std::string::npos) return;
  std::size_t start = 0;
  while (start < headerBlock.size()) {
    std::size_t end = headerBlock.find("\r\n", start);
    if (end == std::string::npos) end = headerBlock.size();
    const std::string_view line(headerBlock.data() + start, end - start);
    start = end + 2;
    if (line.find("Set-Cookie") == std::string_view::npos) continue;
    if (extractBetween(line, "=", ";").empty()) continue;
    if (!out.empty()) out += "; ";
    out += trimBlanks(extractBetween(line, "Set-Cookie:", ";"));
  }
}

void runHttpRequest(FetchRecord& record, std::chrono::milliseconds limit,
                    const CancelToken& cancel) {
  const FetchRequest& request = record.request;
  if (!request.active) return;
  const Clock::time_point deadline = Clock::now() + limit;

  const std::string host = hostOfAddress(request.address, false);
  int port = portOfAddress(request.address);
  if (port == 0) port = 80;  // no number after the colon: the service's own port
  const std::string path = pathOfAddress(request.address);
  if (host.empty() || port < 0 || port > 65535) return;
  net::CurlEasy easy = net::newEasyHandle();
  if (!easy) return;
  CURL* h = easy.get();

  const std::string url = "http://" + host + ":" + std::to_string(port) + encodeRequestTarget(path);
  if (curl_easy_setopt(h, CURLOPT_URL, url.c_str()) != CURLE_OK) return;
  curl_easy_setopt(h, CURLOPT_USERAGENT, net::kUserAgent);
  const std::string proxy = "http://" + request.proxy;
  if (!withoutBlanks(request.proxy).empty()) curl_easy_setopt(h, CURLOPT_PROXY, proxy.c_str());
  // Credentials are offered only when the server asks for them.
  if (!withoutBlanks(request.userName).empty()) {
    curl_easy_setopt(h, CURLOPT_USERNAME, request.userName.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
  }
  if (!withoutBlanks(request.password).empty())
    curl_easy_setopt(h, CURLOPT_PASSWORD, request.password.c_str());

  // Cookie text given without the store's part bypasses the store both ways. Otherwise
  // the store sends what it holds for the host and takes what the response sets; the
  // given text then joins the store's pairs on the one Cookie line.
  const bool sendCookieLine = !trimBlanks(request.cookies).empty();
  if (!(sendCookieLine && !request.keepCookies)) {
    curl_easy_setopt(h, CURLOPT_SHARE, net::cookieShare());
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
  }
  const std::string cookieLine = net::headerSafe(request.cookies);
  if (sendCookieLine) curl_easy_setopt(h, CURLOPT_COOKIE, cookieLine.c_str());

  std::string headers = request.headers;
  if (findText(headers, "Accept: ", 0, false) == kNotFound)
    headers += std::string("Accept: ") + kDefaultAccept + "\r\n";
  if (findText(headers, "Referer: ", 0, false) == kNotFound)
    headers += "Referer: " + net::headerSafe(request.address) + "\r\n";
  if (findText(headers, "Accept-Language: ", 0, false) == kNotFound)
    headers += "Accept-Language: zh-cn\r\n";

  const std::string& method = request.method;
  const bool isGet = method.empty() || equalsIgnoreCase(method, "GET");
  const bool isPost = equalsIgnoreCase(method, "POST");
  record.state = FetchRecord::State::Interim;
  record.result = FetchResult{};
  if (!isGet && !isPost) return;

  if (isPost) {
    // libcurl writes "Content-Length: <bytes>" right after these lines, and only on the
    // request that carries the body: a redirect that turns the POST into a GET must not
    // announce a body it does not send.
    if (!request.body.empty() && findText(headers, "Content-Type: ", 0, false) == kNotFound)
      headers += "Content-Type: application/x-www-form-urlencoded\r\n";
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.c_str());
  } else {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  }
  // The method goes on the request line as written ("post" stays lower case).
  const bool customSpelling = !method.empty() && method != "GET" && method != "POST";
  if (customSpelling) curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());

  net::CurlList list;
  addHeaderLines(list, headers);
  // Nothing of libcurl's own beyond Host (and Content-Length with a POST): an empty
  // header value removes a default line that H does not replace.
  for (const char* name : {"Accept", "Expect", "Content-Type", "Pragma", "Proxy-Connection"})
    if (!hasHeaderLine(headers, name)) net::suppressHeader(list, name);
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, list.get());

  net::Transfer transfer;
  transfer.cancel = cancel;
  net::attachTransfer(h, transfer);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS,
                   static_cast<long>(std::max<std::int64_t>(1, limit.count())));
  const CURLcode rc = isPost && customSpelling ? performFollowingAsPost(h, transfer, deadline)
                                               : net::performTransfer(h, transfer);
  // Running out of time or being stopped yields no result; a failed send or read
  // yields what arrived, as a completed exchange.
  if (rc == CURLE_OPERATION_TIMEDOUT || rc == CURLE_ABORTED_BY_CALLBACK) return;

  FetchResult result;
  result.completed = true;
  result.body = std::move(transfer.body);
  if (request.wantCookies) appendSetCookies(transfer.headers, result.cookieText);
  if (request.wantHeaders) result.headerText = std::move(transfer.headers);
  record.result = std::move(result);
  record.state = FetchRecord::State::Final;
}

}  // namespace tessaly
