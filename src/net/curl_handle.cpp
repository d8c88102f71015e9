#include "net/curl_handle.hpp"

#include <array>
#include <mutex>

namespace tessaly::net {
namespace {

void ensureGlobalInit() {
  static const bool initialised = [] {
    return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK;
  }();
  (void)initialised;
}

size_t onBody(char* data, size_t size, size_t count, void* user) {
  static_cast<Transfer*>(user)->body.append(data, size * count);
  return size * count;
}

size_t onHeader(char* data, size_t size, size_t count, void* user) {
  auto* t = static_cast<Transfer*>(user);
  std::string_view line(data, size * count);
  // Each response of a redirect chain (and a "100 Continue") starts with its status
  // line; keep only the last response's block.
  if (line.starts_with("HTTP/")) t->headers.clear();
  // Lines are handed over in CR LF form whatever the server used, as cookie parsing
  // splits at CR LF.
  if (line.ends_with('\n')) line.remove_suffix(1);
  if (line.ends_with('\r')) line.remove_suffix(1);
  t->headers.append(line);
  t->headers.append("\r\n");
  return size * count;
}

int onProgress(void* user, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  return static_cast<Transfer*>(user)->cancel.cancelled() ? 1 : 0;
}

// The cookie store and its locks live as long as the process; members are destroyed in
// reverse order, so the locks outlive the share's clean-up, which takes them.
struct CookieStore {
  std::array<std::mutex, CURL_LOCK_DATA_LAST> locks;
  struct ShareDeleter {
    void operator()(CURLSH* s) const { curl_share_cleanup(s); }
  };
  std::unique_ptr<CURLSH, ShareDeleter> share;

  CookieStore() {
    ensureGlobalInit();
    share.reset(curl_share_init());
    if (!share) return;
    curl_share_setopt(share.get(), CURLSHOPT_SHARE, CURL_LOCK_DATA_COOKIE);
    curl_share_setopt(share.get(), CURLSHOPT_LOCKFUNC, lock);
    curl_share_setopt(share.get(), CURLSHOPT_UNLOCKFUNC, unlock);
    curl_share_setopt(share.get(), CURLSHOPT_USERDATA, this);
  }

  static void lock(CURL*, curl_lock_data data, curl_lock_access, void* user) {
    static_cast<CookieStore*>(user)->locks[data].lock();
  }
  static void unlock(CURL*, curl_lock_data data, void* user) {
    static_cast<CookieStore*>(user)->locks[data].unlock();
  }
};

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
  // The path goes out as given: no folding of "/../" or "/./".
  curl_easy_setopt(h.get(), CURLOPT_PATH_AS_IS, 1L);
  // An empty proxy text keeps libcurl from taking one from the environment.
  curl_easy_setopt(h.get(), CURLOPT_PROXY, "");
  return h;
}

void appendHeader(CurlList& list, std::string_view line) {
  std::string entry(line);
  const std::size_t colon = entry.find(':');
  if (colon != std::string::npos &&
      entry.find_first_not_of(" \t", colon + 1) == std::string::npos) {
    entry.resize(colon);
    entry += ';';
  }
  if (curl_slist* grown = curl_slist_append(list.get(), entry.c_str())) {
    (void)list.release();
    list.reset(grown);
  }
}

void suppressHeader(CurlList& list, std::string_view name) {
  const std::string entry = std::string(name) + ":";
  if (curl_slist* grown = curl_slist_append(list.get(), entry.c_str())) {
    (void)list.release();
    list.reset(grown);
  }
}

CURLSH* cookieShare() {
  static CookieStore store;
  return store.share.get();
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

CURLcode performTransfer(CURL* h, Transfer& t) {
  if (t.cancel.cancelled()) return CURLE_ABORTED_BY_CALLBACK;
  // The multi interface lets a cancel wake the wait: curl_easy_perform would notice the
  // flag only at its next progress tick, up to a second later on a silent connection.
  CurlMulti multi(curl_multi_init());
  if (!multi) return CURLE_OUT_OF_MEMORY;
  CURLM* m = multi.get();
  if (curl_multi_add_handle(m, h) != CURLM_OK) return CURLE_FAILED_INIT;
  CURLcode result = CURLE_OK;
  {
    const CancelToken::WakeGuard wake = t.cancel.onCancel([m] { curl_multi_wakeup(m); });
    for (;;) {
      int running = 0;
      if (curl_multi_perform(m, &running) != CURLM_OK) {
        result = CURLE_FAILED_INIT;
        break;
      }
      bool done = false;
      int queued = 0;
      while (CURLMsg* msg = curl_multi_info_read(m, &queued)) {
        if (msg->msg == CURLMSG_DONE) {
          result = msg->data.result;
          done = true;
        }
      }
      if (done || running == 0) break;
      if (t.cancel.cancelled()) {
        result = CURLE_ABORTED_BY_CALLBACK;
        break;
      }
      // libcurl shortens the wait to its own next deadline (time-outs, retries).
      if (curl_multi_poll(m, nullptr, 0, 1000, nullptr) != CURLM_OK) {
        result = CURLE_FAILED_INIT;
        break;
      }
    }
  }
  curl_multi_remove_handle(m, h);
  return result;
}

std::string headerSafe(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (char c : value) {
    if (c == '\r')
      out += "%0D";
    else if (c == '\n')
      out += "%0A";
    else
      out += c;
  }
  return out;
}

}  // namespace tessaly::net
