#include "net/http_engine.hpp"

#include <algorithm>

#include "net/address.hpp"
#include "net/curl_handle.hpp"
#include "support/text.hpp"

namespace tessaly {
namespace {

constexpr const char* kDefaultAccept =
    "image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*";

std::string withoutBlanks(std::string_view text) {
  std::string out(text);
  out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
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
    std::string_view line = block.substr(start, end - start);
    const std::size_t colon = line.find(':');
    if (colon != std::string_view::npos && equalsIgnoreCase(trimBlanks(line.substr(0, colon)), name))
      return true;
    start = end + 1;
  }
  return false;
}

// The lines of H as separate entries for libcurl.
void addHeaderLines(net::CurlList& list, std::string_view block) {
  std::size_t start = 0;
  while (start < block.size()) {
    std::size_t end = block.find("\r\n", start);
    if (end == std::string_view::npos) end = block.size();
    const std::string line(block.substr(start, end - start));
    if (!trimBlanks(line).empty()) net::appendHeader(list, line);
    start = end + 2;
  }
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
  const FetchRequest request = record.request;
  if (!request.active) return;

  const std::string host = hostOfAddress(request.address, false);
  const int port = portOfAddress(request.address);
  const std::string path = pathOfAddress(request.address);
  net::CurlEasy easy = net::newEasyHandle();
  if (!easy || host.empty()) return;
  CURL* h = easy.get();

  const std::string url = "http://" + host + ":" + std::to_string(port == 0 ? 80 : port) +
                          encodeRequestTarget(path);
  curl_easy_setopt(h, CURLOPT_URL, url.c_str());
  curl_easy_setopt(h, CURLOPT_USERAGENT, net::kUserAgent);
  const std::string proxy = "http://" + request.proxy;
  // An empty proxy text also keeps libcurl from taking one from the environment.
  curl_easy_setopt(h, CURLOPT_PROXY, withoutBlanks(request.proxy).empty() ? "" : proxy.c_str());
  if (!withoutBlanks(request.userName).empty()) {
    curl_easy_setopt(h, CURLOPT_USERNAME, request.userName.c_str());
    curl_easy_setopt(h, CURLOPT_HTTPAUTH, CURLAUTH_ANY);
  }
  if (!withoutBlanks(request.password).empty())
    curl_easy_setopt(h, CURLOPT_PASSWORD, request.password.c_str());

  // Given cookie text without the store's part bypasses the store both ways.
  const bool sendCookieLine = !trimBlanks(request.cookies).empty();
  if (!(sendCookieLine && !request.keepCookies)) {
    curl_easy_setopt(h, CURLOPT_SHARE, net::cookieShare());
    curl_easy_setopt(h, CURLOPT_COOKIEFILE, "");
  }

  std::string headers = request.headers;
  if (findText(headers, "Accept: ", 0, false) == kNotFound)
    headers += std::string("Accept: ") + kDefaultAccept + "\r\n";
  if (findText(headers, "Referer: ", 0, false) == kNotFound)
    headers += "Referer: " + request.address + "\r\n";
  if (findText(headers, "Accept-Language: ", 0, false) == kNotFound)
    headers += "Accept-Language: zh-cn\r\n";

  const std::string& method = request.method;
  const bool isGet = method.empty() || equalsIgnoreCase(method, "GET");
  const bool isPost = equalsIgnoreCase(method, "POST");
  record.state = FetchRecord::State::Interim;
  record.result = FetchResult{};
  if (!isGet && !isPost) return;

  if (isPost) {
    if (!request.body.empty()) {
      if (findText(headers, "Content-Type: ", 0, false) == kNotFound)
        headers += "Content-Type: application/x-www-form-urlencoded\r\n";
      headers += "Content-Length: " + std::to_string(request.body.size()) + "\r\n";
    }
    curl_easy_setopt(h, CURLOPT_POST, 1L);
    curl_easy_setopt(h, CURLOPT_POSTFIELDSIZE_LARGE, static_cast<curl_off_t>(request.body.size()));
    curl_easy_setopt(h, CURLOPT_POSTFIELDS, request.body.c_str());
  } else {
    curl_easy_setopt(h, CURLOPT_HTTPGET, 1L);
  }
  // The method goes on the request line as written ("post" stays lower case).
  if (!method.empty() && method != "GET" && method != "POST")
    curl_easy_setopt(h, CURLOPT_CUSTOMREQUEST, method.c_str());

  net::CurlList list;
  addHeaderLines(list, headers);
  if (sendCookieLine) net::appendHeader(list, "Cookie: " + request.cookies);
  // Nothing of libcurl's own beyond Host (and Content-Length on a POST): an empty
  // header value removes a default line that H does not replace.
  for (const char* name : {"Accept", "Expect", "Content-Type", "Pragma"})
    if (!hasHeaderLine(headers, name)) net::appendHeader(list, std::string(name) + ":");
  curl_easy_setopt(h, CURLOPT_HTTPHEADER, list.get());

  net::Transfer transfer;
  transfer.cancel = cancel;
  net::attachTransfer(h, transfer);
  curl_easy_setopt(h, CURLOPT_TIMEOUT_MS, static_cast<long>(limit.count()));
  const CURLcode rc = curl_easy_perform(h);
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
