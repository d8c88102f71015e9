#include "net/fetch.hpp"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "common/raw_http_server.hpp"
#include "net/address.hpp"
#include "support/gbk.hpp"

namespace tessaly {
namespace {

using testing::RawHttpServer;

constexpr const char* kAccept =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

// Each test talks to its own *.localhost name, so the process-wide cookie store of one
// test never adds lines to another's requests.
std::string at(const RawHttpServer& server, const std::string& name, const std::string& path) {
  return "http://" + name + ".localhost:" + std::to_string(server.port()) + path;
}

std::string headOf(const std::string& request) { return request.substr(0, request.find("\r\n\r\n") + 4); }

TEST(AddressParts, HostPortAndPath) {
  struct Case {
    const char* address;
    const char* host;
    const char* hostWithPort;
    int port;
    const char* path;
  } cases[] = {
      {"http://Shop.Example.COM:8080/Search.htm?q=1", "shop.example.com", "shop.example.com:8080", 8080,
       "/Search.htm?q=1"},
      {"http://shop.example", "shop.example", "shop.example", 80, "/"},
      {"shop.example/a/b", "shop.example", "shop.example", 80, "/a/b"},
      {"https://shop.example/a", "https", "https:", 0, "//shop.example/a"},
      {"x http://h.example/p", "h.example", "h.example", 80, "/p"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hostOfAddress(c.address, false), c.host) << c.address;
    EXPECT_EQ(hostOfAddress(c.address, true), c.hostWithPort) << c.address;
    EXPECT_EQ(portOfAddress(c.address), c.port) << c.address;
    EXPECT_EQ(pathOfAddress(c.address), c.path) << c.address;
  }
  EXPECT_EQ(encodeRequestTarget("/a b?x=\"<>\"&y=%20\x01"), "/a%20b?x=%22%3C%3E%22&y=%20%01");
}

TEST(FetchUrl, UsualGetCarriesExactlyTheProgramsLines) {
  RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "hello"); });
  const std::string address = "http://Exact.LOCALHOST:" + std::to_string(server.port()) +
                              "/item.htm?id=1 2&t=" + gbk("中");
  EXPECT_EQ(fetchUrl(address), "hello");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(headOf(server.requests()[0]),
            "GET /item.htm?id=1%202&t=%D6%D0 HTTP/1.1\r\n"
            "Host: exact.localhost:" + std::to_string(server.port()) + "\r\n"
            "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n" +
            std::string(kAccept) + "Referer: " + address + "\r\nAccept-Language: zh-cn\r\n\r\n");
}

TEST(FetchUrl, CallerHeadersCookiesAndPost) {
  RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "ok"); });
  FetchOptions lowerAccept;
  lowerAccept.headers = "accept: text/html\r\nX-One: 1\r\n";
  lowerAccept.cookies = "a=1; b=2";
  fetchUrl(at(server, "hdr", "/"), lowerAccept);

  FetchOptions post;
  post.method = "post";
  post.body = "k=v&x=y";
  fetchUrl(at(server, "hdr", "/form"), post);

  FetchOptions emptyPost;
  emptyPost.method = "POST";
  emptyPost.cookies = "   ";
  fetchUrl(at(server, "hdr", "/empty"), emptyPost);

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  const std::string& first = requests[0];
  EXPECT_NE(first.find("accept: text/html\r\nX-One: 1\r\nReferer: "), std::string::npos);
  EXPECT_EQ(first.find("image/gif"), std::string::npos);
  EXPECT_NE(first.find("\r\nAccept-Language: zh-cn\r\n"), std::string::npos);
  EXPECT_NE(first.find("\r\nCookie: a=1; b=2\r\n"), std::string::npos);

  const std::string& second = requests[1];
  EXPECT_TRUE(second.starts_with("post /form HTTP/1.1\r\n")) << second;
  EXPECT_NE(second.find("Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"
                        "Content-Length: 7\r\n"),
            std::string::npos)
      << second;
  EXPECT_TRUE(second.ends_with("\r\n\r\nk=v&x=y"));
  EXPECT_EQ(second.find("Expect"), std::string::npos);

  const std::string& third = requests[2];
  EXPECT_TRUE(third.starts_with("POST /empty HTTP/1.1\r\n"));
  EXPECT_EQ(third.find("Content-Type"), std::string::npos) << third;
  EXPECT_EQ(third.find("Cookie"), std::string::npos);
}

TEST(FetchUrl, OtherMethodsAreRefusedWithoutSending) {
  RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "ok"); });
  FetchOptions head;
  head.method = "HEAD";
  std::string cookies = "keep";
  head.cookiesOut = &cookies;
  EXPECT_EQ(fetchUrl(at(server, "head", "/"), head), "");
  EXPECT_EQ(cookies, "keep");
  EXPECT_TRUE(server.requests().empty());
}

TEST(FetchUrl, CookiesOfTheResponseAndTheStore) {
  RawHttpServer server([](const std::string& request) {
    if (request.starts_with("GET /set "))
      return RawHttpServer::response(200, "set",
                                     "Set-Cookie: sid=42; path=/\r\nSet-Cookie: empty=; path=/\r\n"
                                     "Set-Cookie: bare=1\r\n");
    return RawHttpServer::response(200, "plain");
  });
  std::string cookies = "stale";
  std::string headers;
  FetchOptions want;
  want.cookiesOut = &cookies;
  want.headersOut = &headers;
  want.keepCookies = true;
  EXPECT_EQ(fetchUrl(at(server, "jar", "/set"), want), "set");
  EXPECT_EQ(cookies, "sid=42");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 X\r\n"));
  EXPECT_TRUE(headers.ends_with("\r\n\r\n"));

  // A response without cookies empties the caller's variable.
  EXPECT_EQ(fetchUrl(at(server, "jar", "/plain"), want), "plain");
  EXPECT_EQ(cookies, "");

  // The store sends what it took; given cookie text without the store bypasses it.
  fetchUrl(at(server, "jar", "/again"));
  FetchOptions own;
  own.cookies = "mine=1";
  fetchUrl(at(server, "jar", "/own"), own);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 4u);
  EXPECT_NE(requests[2].find("Cookie: "), std::string::npos);
  EXPECT_NE(requests[2].find("sid=42"), std::string::npos);
  EXPECT_NE(requests[3].find("\r\nCookie: mine=1\r\n"), std::string::npos);
  EXPECT_EQ(requests[3].find("sid=42"), std::string::npos);
}

TEST(FetchUrl, RedirectsAndLongHeaderBlocks) {
  const std::string longValue(5000, 'v');
  RawHttpServer server([&](const std::string& request) {
    if (request.starts_with("GET /old "))
      return RawHttpServer::response(302, "moved", "Location: /new\r\n");
    return RawHttpServer::response(200, "final", "X-Long: " + longValue + "\r\n");
  });
  std::string headers;
  FetchOptions options;
  options.headersOut = &headers;
  EXPECT_EQ(fetchUrl(at(server, "redir", "/old"), options), "final");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200")) << headers.substr(0, 40);
  EXPECT_NE(headers.find(longValue), std::string::npos);
}

TEST(FetchUrl, TimeOutCancellationAndRefusal) {
  RawHttpServer hanging([](const std::string&) { return std::string(); });
  std::string cookies = "keep";
  FetchOptions limited;
  limited.timeoutSeconds = 1;
  limited.cookiesOut = &cookies;
  EXPECT_EQ(fetchUrl(at(hanging, "hang", "/"), limited), "");
  EXPECT_EQ(cookies, "keep");

  FetchOptions cancellable;
  std::thread stopper([&] {
    hanging.waitForRequests(2);
    cancellable.cancel.cancel();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(fetchUrl(at(hanging, "hang", "/"), cancellable), "");
  stopper.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(60));

  int port;
  {
    RawHttpServer closed([](const std::string&) { return std::string(); });
    port = closed.port();
  }
  EXPECT_EQ(fetchUrl("http://127.0.0.1:" + std::to_string(port) + "/"), "");
  EXPECT_EQ(downloadBytes("http://127.0.0.1:" + std::to_string(port) + "/"), "");
}

TEST(FetchUrl, PumpsMessagesWhileWaiting) {
  RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "pumped"); });
  int pumps = 0;
  FetchOptions options;
  options.pumpMessages = [&] { ++pumps; };
  EXPECT_EQ(fetchUrl(at(server, "pump", "/"), options), "pumped");
  EXPECT_GE(pumps, 1);
}

TEST(FetchWithHttpObject, HeaderSetAndCookieAppend) {
  RawHttpServer server([](const std::string&) {
    return RawHttpServer::response(200, "<keys/>", "Set-Cookie: n=2; path=/\r\n");
  });
  std::string cookies = "old=1";
  ObjectFetchOptions options;
  options.cookiesOut = &cookies;
  const std::string address = at(server, "object", "/kvrt_api//app2.xml");
  EXPECT_EQ(fetchWithHttpObject(address, options), "<keys/>");
  EXPECT_EQ(cookies, "old=1; n=2");
  ASSERT_EQ(server.requests().size(), 1u);
  const std::string request = server.requests()[0];
  EXPECT_TRUE(request.starts_with("GET /kvrt_api//app2.xml HTTP/1.1\r\n")) << request;
  EXPECT_NE(request.find("\r\nReferrer: " + address + "\r\n" + kAccept +
                         "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n"),
            std::string::npos)
      << request;
  EXPECT_EQ(request.find("Referer:"), std::string::npos);
}

TEST(DownloadBytes, BodyOrNothing) {
  const std::string picture("\xFF\xD8\xFF\xE0\0JFIF", 9);
  RawHttpServer server([&](const std::string& request) {
    if (request.starts_with("GET /missing.jpg ")) return RawHttpServer::response(404, "<html>no</html>");
    return RawHttpServer::response(200, picture);
  });
  EXPECT_EQ(downloadBytes(at(server, "img", "/a.jpg")), picture);
  EXPECT_EQ(downloadBytes(at(server, "img", "/missing.jpg")), "");
}

}  // namespace
}  // namespace tessaly
