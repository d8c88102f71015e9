#include "net/address.hpp"

#include <gtest/gtest.h>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

TEST(AddressParts, HostPortAndPathAsTheWireUsesThem) {
  const std::string gbkHost = "http://" + gbk("店铺") + "Shop.CN/x";
  struct Case {
    std::string address;
    std::string host;
    std::string hostWithPort;
    int port;
    std::string path;
  } cases[] = {
      {"http://Shop.Example.COM:8080/Search.htm?q=1", "shop.example.com", "shop.example.com:8080",
       8080, "/Search.htm?q=1"},
      {"http://shop.example", "shop.example", "shop.example", 80, "/"},
      // No "http://": read from the first character.
      {"shop.example/a/b", "shop.example", "shop.example", 80, "/a/b"},
      // The engine has no TLS: the secure scheme's name becomes the host.
      {"https://shop.example/a", "https", "https:", 0, "//shop.example/a"},
      {"x http://h.example/p", "h.example", "h.example", 80, "/p"},
      // The path starts after the host, wherever the host's letters stand first.
      {"http://A.example/a.example/b", "a.example", "a.example", 80, "/a.example/b"},
      {"http://h.example:99999999999/p", "h.example", "h.example:99999999999", 65536, "/p"},
      // Only Latin letters are lowered; GBK characters keep their bytes.
      {gbkHost, gbk("店铺") + "shop.cn", gbk("店铺") + "shop.cn", 80, "/x"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(hostOfAddress(c.address, false), c.host) << c.address;
    EXPECT_EQ(hostOfAddress(c.address, true), c.hostWithPort) << c.address;
    EXPECT_EQ(portOfAddress(c.address), c.port) << c.address;
    EXPECT_EQ(pathOfAddress(c.address), c.path) << c.address;
  }
}

TEST(AddressParts, RequestTargetEscapesOnlyWhatMayNotStandThere) {
  EXPECT_EQ(encodeRequestTarget("/a b?x=\"<>\"&y=%20\x01\x7F"),
            "/a%20b?x=%22%3C%3E%22&y=%20%01%7F");
  EXPECT_EQ(encodeRequestTarget("/" + gbk("中") + "?q=a+b&c=/~!*'()"), "/%D6%D0?q=a+b&c=/~!*'()");
}

}  // namespace
}  // namespace tessaly
