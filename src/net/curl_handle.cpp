#include "net/curl_handle.hpp"

#include <array>
#include <mutex>

namespace tessaly::net {
namespace {

struct Global {
  Global() { curl_global_init(CURL_GLOBAL_DEFAULT); }
};

void ensureGlobalInit() { static Global global; }

size_t onBody(char* data, size_t size, size_t count, void* user) {
  static_cast<Transfer*>(user)->body.append(data, size * count);
  return size * count;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  const std::string_view line(data, size * count);
  // Each response of a redirect chain starts with its status line; keep only the last.
  if (line.starts_with("HTTP/")) t->headers.clear();
  t->headers.append(line);
  return size * count;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->cancel.cancelled() ? 1 : 0;
}

}  // namespace

CurlEasy newEasyHandle() {
  ensureGlobalInit();
  CurlEasy h(curl_easy_init());
  if (!h) return h;
  curl_easy_setopt(h.get(), CURLOPT_NOSIGNAL, 1L);
  curl_easy_setopt(h.get(), CURLOPT_FOLLOWLOCATION, 1L);
  curl_easy_setopt(h.get(), CURLOPT_MAXREDIRS, 20L);
  // A fresh connection for every exchange, as nothing is reused between calls.
  curl_easy_setopt(h.get(), CURLOPT_FORBID_REUSE, 1L);
  curl_easy_setopt(h.get(), CURLOPT_FRESH_CONNECT, 1L);
  curl_easy_setopt(h.get(), CURLOPT_PROTOCOLS_STR, "http");
  curl_easy_setopt(h.get(), CURLOPT_REDIR_PROTOCOLS_STR, "http");
  return h;
}

void appendHeader(CurlList& list, const std::string& line) {
  curl_slist* grown = curl_slist_append(list.get(), line.c_str());
  if (grown) {
    list.release();
    list.reset(grown);
  }
}

CURLSH* cookieShare() {
  static CURLSH* share = [] {
    ensureGlobalInit();
    static std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
    CURLSH* s = curl_share_init();
    curl_share_setopt(s, CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(s, CURLSHOPT_LOCKFUNC,
                      +[](CURL*, curl_lock_data data, curl_lock_access, void*) { locks[data].lock(); });
    curl_share_setopt(s, CURLSHOPT_UNLOCKFUNC,
                      +[](CURL*, curl_lock_data data, void*) { locks[data].unlock(); });
    return s;
  }();
  return share;
}

void attachTransfer(CURL* h, Transfer& t) {
  curl_easy_setopt(h, CURLOPT_WRITEFUNCTION, onBody);
  curl_easy_setopt(h, CURLOPT_WRITEDATA, &t);
  curl_easy_setopt(h, CURLOPT_HEADERFUNCTION, onHeader);
  curl_easy_setopt(h, CURLOPT_HEADERDATA, &t);
  curl_easy_setopt(h, CURLOPT_XFERINFOFUNCTION, onProgress);
  curl_easy_setopt(h, CURLOPT_XFERINFODATA, &t);
  curl_easy_setopt(h, CURLOPT_NOPROGRESS, 0L);
}

}  // namespace tessaly::net
