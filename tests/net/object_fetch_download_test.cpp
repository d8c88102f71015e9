// The object fetch used for the key list and the plain picture download.
#include <gtest/gtest.h>

#include "net/fetch.hpp"
#include "wire_helpers.hpp"

namespace tessaly {
namespace {

using testing::at;
using testing::headOf;
using testing::hostLine;
using testing::kAcceptLine;
using testing::kUserAgentLine;
using testing::RawHttpServer;

TEST(FetchWithHttpObject, SendsItsOwnHeaderSetAndAppendsCookies) {
  RawHttpServer server([](const std::string&) {
    return RawHttpServer::response(200, "<keys/>", "Set-Cookie: n=2; path=/\r\n");
  });
  std::string cookies = "old=1";
  ObjectFetchOptions options;
  options.cookiesOut = &cookies;
  const std::string address = at(server, "object", "/kvrt_api//app2.xml");
  EXPECT_EQ(fetchWithHttpObject(address, options), "<keys/>");
  EXPECT_EQ(cookies, "old=1; n=2");

  // "Referrer" is this fetch's own header name; Content-Type goes out with GET too.
  options.cookies = "c=3";
  options.referer = "http://elsewhere.example/";
  EXPECT_EQ(fetchWithHttpObject(address, options), "<keys/>");
  EXPECT_EQ(cookies, "old=1; n=2; n=2");

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  const std::string defaults =
      std::string(kAcceptLine) +
      "Accept-Language: zh-cn\r\nContent-Type: application/x-www-form-urlencoded\r\n";
  EXPECT_EQ(headOf(requests[0]), "GET /kvrt_api//app2.xml HTTP/1.1\r\n" +
                                     hostLine(server, "object") + kUserAgentLine +
                                     "Referrer: " + address + "\r\n" + defaults + "\r\n");
  EXPECT_EQ(headOf(requests[1]),
            "GET /kvrt_api//app2.xml HTTP/1.1\r\n" + hostLine(server, "object") + kUserAgentLine +
                "Referrer: http://elsewhere.example/\r\n" + defaults + "Cookie: c=3\r\n\r\n");
}

TEST(FetchWithHttpObject, PostsItsBodyAndGivesUpOnASilentServer) {
  RawHttpServer server([](const std::string& request) -> RawHttpServer::Reply {
    if (request.starts_with("POST /form ")) return RawHttpServer::response(200, "posted");
    return std::string();  // never answers
  });
  ObjectFetchOptions post;
  post.method = "POST";
  post.body = "a=1";
  EXPECT_EQ(fetchWithHttpObject(at(server, "object", "/form"), post), "posted");
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_TRUE(
      server.requests()[0].ends_with("Content-Type: application/x-www-form-urlencoded\r\n"
                                     "Content-Length: 3\r\n\r\na=1"))
      << server.requests()[0];

  // A failed transfer gives nothing and leaves the caller's cookies alone.
  std::string cookies = "old=1";
  ObjectFetchOptions silent;
  silent.timeoutSeconds = 1;
  silent.cookiesOut = &cookies;
  EXPECT_EQ(fetchWithHttpObject(at(server, "object", "/silent"), silent), "");
  EXPECT_EQ(cookies, "old=1");
}

TEST(FetchWithHttpObject, GoesThroughTheNamedProxyWithItsCredentials) {
  RawHttpServer proxy([](const std::string&) { return RawHttpServer::response(200, "via proxy"); });
  ObjectFetchOptions options;
  options.proxy = "127.0.0.1:" + std::to_string(proxy.port());
  options.proxyUser = "u";
  options.proxyPassword = "p";
  EXPECT_EQ(fetchWithHttpObject("http://far.example/app2.xml", options), "via proxy");
  ASSERT_EQ(proxy.requests().size(), 1u);
  const std::string request = proxy.requests()[0];
  EXPECT_TRUE(request.starts_with("GET http://far.example/app2.xml HTTP/1.1\r\n")) << request;
  EXPECT_NE(request.find("\r\nProxy-Authorization: Basic dTpw\r\n"), std::string::npos) << request;
  EXPECT_EQ(request.find("Proxy-Connection"), std::string::npos) << request;
}

TEST(DownloadBytes, BodyBytesOrNothing) {
  const std::string picture("\xFF\xD8\xFF\xE0\0JFIF", 9);
  RawHttpServer server([&](const std::string& request) -> RawHttpServer::Reply {
    if (request.starts_with("GET /a.jpg ")) return RawHttpServer::response(200, picture);
    if (request.starts_with("GET /moved.jpg "))
      return RawHttpServer::response(302, "", "Location: /a.jpg\r\n");
    if (request.starts_with("GET /missing.jpg "))
      return RawHttpServer::response(404, "<html>no</html>");
    if (request.starts_with("GET /broken.jpg ")) return RawHttpServer::response(500, "oops");
    return "HTTP/1.1 200 X\r\nContent-Length: 100\r\nConnection: close\r\n\r\n\xFF\xD8";  // cut
                                                                                          // short
  });
  struct Case {
    std::string address;
    std::string expected;
  } cases[] = {
      {at(server, "img", "/a.jpg"), picture},
      {at(server, "img", "/moved.jpg"), picture},
      // An error page is never taken for a picture.
      {at(server, "img", "/missing.jpg"), ""},
      {at(server, "img", "/broken.jpg"), ""},
      {at(server, "img", "/short.jpg"), ""},
      // No TLS here: the secure scheme fails without reaching any server.
      {"https://img.localhost:" + std::to_string(server.port()) + "/a.jpg", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(downloadBytes(c.address), c.expected) << c.address;

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 6u);
  EXPECT_NE(requests[0].find(kUserAgentLine), std::string::npos) << requests[0];
}

}  // namespace
}  // namespace tessaly
