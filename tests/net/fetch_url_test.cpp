// What fetchUrl puts on the wire and what it hands back, against a raw loopback server
// that records the request bytes exactly.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "net/fetch.hpp"
#include "support/gbk.hpp"
#include "wire_helpers.hpp"

namespace tessaly {
namespace {

using testing::at;
using ::testing::ElementsAre;
using ::testing::EndsWith;
using ::testing::HasSubstr;
using testing::headOf;
using testing::hostLine;
using testing::kAcceptLine;
using testing::kUserAgentLine;
using testing::RawHttpServer;

// The values of every Cookie line of a request head.
std::vector<std::string> cookieLinesOf(const std::string& request) {
  std::vector<std::string> values;
  const std::string head = headOf(request);
  for (std::size_t at = head.find("\r\nCookie: "); at != std::string::npos;
       at = head.find("\r\nCookie: ", at + 2)) {
    const std::size_t start = at + 10;
    values.push_back(head.substr(start, head.find("\r\n", start) - start));
  }
  return values;
}

TEST(FetchUrl, UsualGetCarriesExactlyTheProgramsLines) {
  RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "hello"); });
  // Mixed-case host, a port and a query holding a blank and a GBK character: the
  // request target is escaped, the Referer line carries the address as passed.
  const std::string address =
      "http://Exact.LOCALHOST:" + std::to_string(server.port()) + "/item.htm?id=1 2&t=" + gbk("中");
  EXPECT_EQ(fetchUrl(address), "hello");
  // An address that ends at the host asks for "/".
  EXPECT_EQ(fetchUrl(at(server, "bare", "")), "hello");

  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(headOf(requests[0]), "GET /item.htm?id=1%202&t=%D6%D0 HTTP/1.1\r\n" +
                                     hostLine(server, "exact") + kUserAgentLine + kAcceptLine +
                                     "Referer: " + address + "\r\nAccept-Language: zh-cn\r\n\r\n");
  EXPECT_TRUE(requests[1].starts_with("GET / HTTP/1.1\r\n")) << requests[1];
}

TEST(FetchUrl, CallerLinesComeFirstAndOnlyMissingDefaultsAreAdded) {
  RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "ok"); });
  FetchOptions options;
  // A lower-case Accept line counts as present; a Referer line hidden in another
  // header's name counts too, as the test looks for the text anywhere.
  options.headers = "accept: text/html\r\nX-Referer: here\r\nX-Empty:\r\n";
  options.cookies = "a=1; b=2";
  fetchUrl(at(server, "hdr", "/"), options);

  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(headOf(server.requests()[0]), "GET / HTTP/1.1\r\n" + hostLine(server, "hdr") +
                                              kUserAgentLine +
                                              "Cookie: a=1; b=2\r\n"
                                              "accept: text/html\r\nX-Referer: here\r\nX-Empty:\r\n"
                                              "Accept-Language: zh-cn\r\n\r\n");
}

TEST(FetchUrl, PostAddsContentLinesOnlyWithABody) {
  const std::string bigBody(2000, 'k');  // large enough for libcurl to want "Expect:"
  struct Case {
    const char* method;
    std::string body;
    const char* headers;
    const char* cookies;
    std::string expectedTail;  // the request after the default lines
  } cases[] = {
      {"post", bigBody, "", "",
       "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 2000\r\n\r\n" + bigBody},
      {"POST", "k=v", "Content-type: text/plain\r\n", "", "Content-Length: 3\r\n\r\nk=v"},
      // Without a body: no Content-Type; the length 0 is what HTTP itself needs. Cookies
      // of blanks only give no Cookie line.
      {"POST", "", "", "   ", "Content-Length: 0\r\n\r\n"},
  };
  for (const auto& c : cases) {
    RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "ok"); });
    FetchOptions options;
    options.method = c.method;
    options.body = c.body;
    options.headers = c.headers;
    options.cookies = c.cookies;
    EXPECT_EQ(fetchUrl(at(server, "post", "/form"), options), "ok") << c.method;
    ASSERT_EQ(server.requests().size(), 1u);
    const std::string request = server.requests()[0];
    EXPECT_TRUE(request.starts_with(std::string(c.method) + " /form HTTP/1.1\r\n")) << request;
    EXPECT_TRUE(request.ends_with("Accept-Language: zh-cn\r\n" + c.expectedTail)) << request;
    EXPECT_EQ(request.find("Expect"), std::string::npos);
    EXPECT_EQ(request.find("Cookie"), std::string::npos);
  }
}

TEST(FetchUrl, OtherMethodsAreRefusedWithoutSending) {
  RawHttpServer server([](const std::string&) { return RawHttpServer::response(200, "ok"); });
  FetchOptions head;
  head.method = "HEAD";
  std::string cookies = "keep";
  std::string headers = "keep";
  head.cookiesOut = &cookies;
  head.headersOut = &headers;
  EXPECT_EQ(fetchUrl(at(server, "head", "/"), head), "");
  EXPECT_EQ(cookies, "keep");
  EXPECT_EQ(headers, "keep");
  EXPECT_TRUE(server.requests().empty());
}

TEST(FetchUrl, CookiesOfTheResponseAndTheStore) {
  RawHttpServer server([](const std::string& request) -> RawHttpServer::Reply {
    if (request.starts_with("GET /set "))
      return RawHttpServer::response(200, "set",
                                     "Set-Cookie: sid=42; path=/\r\nSet-Cookie: empty=; path=/\r\n"
                                     "Set-Cookie: bare=1\r\n");
    // A server that ends its lines with LF alone.
    if (request.starts_with("GET /lf "))
      return "HTTP/1.1 200 OK\nSet-Cookie: a=1; path=/x\nSet-Cookie: b=2; path=/x\nContent-Length: "
             "2\n"
             "Connection: close\n\nlf";
    return RawHttpServer::response(200, "plain");
  });
  std::string cookies = "stale";
  std::string headers;
  FetchOptions want;
  want.cookiesOut = &cookies;
  want.headersOut = &headers;
  EXPECT_EQ(fetchUrl(at(server, "jar", "/set"), want), "set");
  // Only pairs with a value and a ";" after it; the earlier content is replaced.
  EXPECT_EQ(cookies, "sid=42");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 X\r\n"));
  EXPECT_TRUE(headers.ends_with("\r\nSet-Cookie: bare=1\r\n\r\n"));

  EXPECT_EQ(fetchUrl(at(server, "lf", "/lf"), want), "lf");
  EXPECT_EQ(cookies, "a=1; b=2");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\nSet-Cookie: a=1; path=/x\r\n")) << headers;

  // A response without cookies empties the caller's variable.
  EXPECT_EQ(fetchUrl(at(server, "jar", "/plain"), want), "plain");
  EXPECT_EQ(cookies, "");

  // The store took what /set set and sends it back: with no cookie text, with cookie
  // text of blanks only, and joined with given text when the store is asked to take
  // part. Given text alone bypasses the store.
  FetchOptions blanks;
  blanks.cookies = "  ";
  FetchOptions joined;
  joined.cookies = "mine=1";
  joined.keepCookies = true;
  FetchOptions own;
  own.cookies = "mine=1";
  fetchUrl(at(server, "jar", "/again"));
  fetchUrl(at(server, "jar", "/blanks"), blanks);
  fetchUrl(at(server, "jar", "/joined"), joined);
  fetchUrl(at(server, "jar", "/own"), own);
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 7u);
  for (std::size_t i : {3u, 4u, 5u}) {
    EXPECT_THAT(cookieLinesOf(requests[i]), ElementsAre(HasSubstr("sid=42"))) << requests[i];
  }
  EXPECT_THAT(cookieLinesOf(requests[5]), ElementsAre(EndsWith("; mine=1")));
  EXPECT_THAT(cookieLinesOf(requests[6]), ElementsAre("mine=1"));
}

TEST(FetchUrl, ConcurrentExchangesShareOneCookieStore) {
  RawHttpServer server([](const std::string& request) {
    // "GET /set/<name> " sets the cookie <name>=1.
    const std::size_t start = request.find("/set/") + 5;
    const std::string name = request.substr(start, request.find(' ', start) - start);
    return RawHttpServer::response(200, name, "Set-Cookie: " + name + "=1; path=/\r\n");
  });
  std::vector<std::thread> threads;
  std::vector<int> right(5, 0);
  for (int t = 0; t < 5; ++t)
    threads.emplace_back([&, t] {
      for (int i = 0; i < 10; ++i) {
        const std::string name = "t" + std::to_string(t) + "n" + std::to_string(i);
        if (fetchUrl(at(server, "shared", "/set/" + name)) == name) ++right[t];
      }
    });
  for (auto& thread : threads) thread.join();
  EXPECT_THAT(right, ::testing::Each(10));

  fetchUrl(at(server, "shared", "/set/last"));
  const auto lines = cookieLinesOf(server.requests().back());
  ASSERT_EQ(lines.size(), 1u);
  for (int t = 0; t < 5; ++t) EXPECT_THAT(lines[0], HasSubstr("t" + std::to_string(t) + "n9=1"));
}

TEST(FetchUrl, RedirectsGiveTheFinalResponseWholeHeaderBlockIncluded) {
  const std::string longValue(5000, 'v');
  RawHttpServer server([&](const std::string& request) {
    if (request.find(" /old ") != std::string::npos)
      return RawHttpServer::response(302, "moved",
                                     "Location: /new\r\nSet-Cookie: hop=1; path=/\r\n");
    return RawHttpServer::response(200, "final", "X-Long: " + longValue + "\r\n");
  });
  std::string headers;
  std::string cookies = "stale";
  FetchOptions options;
  options.headersOut = &headers;
  options.cookiesOut = &cookies;
  EXPECT_EQ(fetchUrl(at(server, "redir", "/old"), options), "final");
  EXPECT_TRUE(headers.starts_with("HTTP/1.1 200")) << headers.substr(0, 40);
  EXPECT_NE(headers.find("X-Long: " + longValue + "\r\n"), std::string::npos);
  EXPECT_GT(headers.size(), 2048u);
  EXPECT_EQ(cookies, "");

  // A POST answered with 302 goes on as a GET that announces no body, whatever the
  // spelling of the method.
  for (const char* method : {"POST", "post"}) {
    FetchOptions post;
    post.method = method;
    post.body = "k=v";
    EXPECT_EQ(fetchUrl(at(server, "redir", "/old"), post), "final") << method;
  }
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 6u);
  for (std::size_t i : {3u, 5u}) {
    EXPECT_TRUE(requests[i].starts_with("GET /new HTTP/1.1\r\n")) << requests[i];
    EXPECT_EQ(requests[i].find("Content-Length"), std::string::npos) << requests[i];
  }
}

TEST(FetchUrl, ProxyGetsTheWholeAddress) {
  RawHttpServer proxy([](const std::string&) { return RawHttpServer::response(200, "via proxy"); });
  FetchOptions options;
  options.proxy = "127.0.0.1:" + std::to_string(proxy.port());
  EXPECT_EQ(fetchUrl("http://far.example/p?q=1", options), "via proxy");
  ASSERT_EQ(proxy.requests().size(), 1u);
  EXPECT_EQ(headOf(proxy.requests()[0]),
            std::string("GET http://far.example/p?q=1 HTTP/1.1\r\nHost: far.example\r\n") +
                kUserAgentLine + kAcceptLine +
                "Referer: http://far.example/p?q=1\r\nAccept-Language: zh-cn\r\n\r\n");

  // A proxy text of blanks only means a direct connection.
  RawHttpServer direct([](const std::string&) { return RawHttpServer::response(200, "direct"); });
  options.proxy = "   ";
  EXPECT_EQ(fetchUrl(at(direct, "direct", "/"), options), "direct");
}

TEST(FetchUrl, CredentialsGoOutOnlyWhenTheServerAsks) {
  RawHttpServer server([](const std::string& request) {
    if (request.find("\r\nAuthorization: Basic dXNlcjpwdw==\r\n") != std::string::npos)
      return RawHttpServer::response(200, "secret");
    return RawHttpServer::response(401, "who?", "WWW-Authenticate: Basic realm=\"r\"\r\n");
  });
  FetchOptions options;
  options.userName = "user";
  options.password = "pw";
  EXPECT_EQ(fetchUrl(at(server, "auth", "/"), options), "secret");
  // A blank user name is no user name; the status is not examined.
  options.userName = "  ";
  EXPECT_EQ(fetchUrl(at(server, "auth", "/"), options), "who?");
  const auto requests = server.requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].find("Authorization"), std::string::npos);
  EXPECT_EQ(requests[2].find("Authorization"), std::string::npos);
}

TEST(FetchUrl, TruncatedBodyArrivesAsFarAsItGot) {
  RawHttpServer server([](const std::string&) {
    return "HTTP/1.1 200 X\r\nContent-Length: 100\r\nConnection: close\r\n\r\npart";
  });
  EXPECT_EQ(fetchUrl(at(server, "cut", "/")), "part");
}

}  // namespace
}  // namespace tessaly
