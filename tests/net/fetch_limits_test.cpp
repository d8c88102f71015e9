// How exchanges end when the other side does not play along: a silent server, a refused
// port, a caller who stops the exchange, a caller who must keep its window running.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

#include "net/fetch.hpp"
#include "wire_helpers.hpp"

namespace tessaly {
namespace {

using testing::at;
using testing::RawHttpServer;

TEST(FetchUrl, TimeOutGivesNothingAndLeavesTheOutputs) {
  RawHttpServer silent([](const std::string&) { return std::string(); });
  std::string cookies = "keep";
  std::string headers = "keep";
  FetchOptions limited;
  limited.timeoutSeconds = 1;
  limited.cookiesOut = &cookies;
  limited.headersOut = &headers;
  EXPECT_EQ(fetchUrl(at(silent, "hang", "/"), limited), "");
  EXPECT_EQ(cookies, "keep");
  EXPECT_EQ(headers, "keep");
  EXPECT_EQ(silent.requests().size(), 1u);
}

TEST(FetchUrl, RefusedConnectionGivesNothing) {
  int port;
  {
    RawHttpServer closed([](const std::string&) { return std::string(); });
    port = closed.port();
  }
  const std::string address = "http://127.0.0.1:" + std::to_string(port) + "/";
  EXPECT_EQ(fetchUrl(address), "");
  EXPECT_EQ(downloadBytes(address), "");
  EXPECT_EQ(fetchWithHttpObject(address), "");
}

// Every way to the web stops at once when its token is tripped in the middle of a body
// that the server has stopped sending, long before any time limit.
TEST(Cancellation, AbortsATransferInFlight) {
  RawHttpServer stalling([](const std::string&) {
    return RawHttpServer::Reply("HTTP/1.1 200 X\r\nContent-Length: 100\r\n\r\nfirst part", true);
  });
  using Fetch = std::function<std::string(const CancelToken&)>;
  const std::pair<const char*, Fetch> ways[] = {
      {"fetchUrl",
       [&](const CancelToken& token) {
         FetchOptions options;
         options.cancel = token;
         return fetchUrl(at(stalling, "stop", "/"), options);
       }},
      {"fetchUrl pumping",
       [&](const CancelToken& token) {
         FetchOptions options;
         options.cancel = token;
         options.pumpMessages = [] {};
         return fetchUrl(at(stalling, "stop", "/"), options);
       }},
      {"fetchWithHttpObject",
       [&](const CancelToken& token) {
         ObjectFetchOptions options;
         options.cancel = token;
         options.timeoutSeconds = 600;
         return fetchWithHttpObject(at(stalling, "stop", "/"), options);
       }},
      {"downloadBytes",
       [&](const CancelToken& token) { return downloadBytes(at(stalling, "stop", "/"), token); }},
  };
  std::size_t replies = 0;
  for (const auto& [name, fetch] : ways) {
    CancelToken token;
    std::thread stopper([&, expected = ++replies] {
      stalling.waitForReplies(expected);
      token.cancel();
    });
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(fetch(token), "") << name;
    stopper.join();
    // Far below every limit in play (90 s, 600 s); only a working cancel gets here.
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(30)) << name;
  }
}

TEST(Cancellation, TrippedTokenSendsNothing) {
  RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "ok"); });
  CancelToken token;
  token.cancel();
  FetchOptions options;
  options.cancel = token;
  EXPECT_EQ(fetchUrl(at(server, "tripped", "/"), options), "");
  EXPECT_EQ(downloadBytes(at(server, "tripped", "/"), token), "");
  // A reset token works again.
  token.reset();
  EXPECT_EQ(fetchUrl(at(server, "tripped", "/"), options), "ok");
  EXPECT_EQ(server.requests().size(), 1u);
}

TEST(FetchUrl, PumpsTheCallersEventsWhileWaiting) {
  RawHttpServer server([](const std::string& request) -> RawHttpServer::Reply {
    if (request.starts_with("GET /stall "))
      return {"HTTP/1.1 200 X\r\nContent-Length: 100\r\n\r\npart", true};
    return RawHttpServer::response(200, "pumped");
  });
  const auto caller = std::this_thread::get_id();
  int pumps = 0;
  bool onCaller = true;
  FetchOptions options;
  options.pumpMessages = [&] {
    ++pumps;
    onCaller = onCaller && std::this_thread::get_id() == caller;
  };
  EXPECT_EQ(fetchUrl(at(server, "pump", "/"), options), "pumped");
  EXPECT_GE(pumps, 1);

  // The exchange goes on while the caller's events run, and a Stop that one of those
  // events brings ends it.
  options.pumpMessages = [&] {
    onCaller = onCaller && std::this_thread::get_id() == caller;
    if (server.replyCount() == 2) options.cancel.cancel();
  };
  EXPECT_EQ(fetchUrl(at(server, "pump", "/stall"), options), "");
  EXPECT_TRUE(onCaller);
}

}  // namespace
}  // namespace tessaly
