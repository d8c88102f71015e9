#include <gtest/gtest.h>

#include "support/gbk.hpp"
#include "support/md5.hpp"

namespace tessaly {
namespace {

TEST(Gbk, RoundTripsChineseAndAscii) {
  const std::string utf8 = "店铺采集 abc　123";
  const std::string g = utf8ToGbk(utf8);
  EXPECT_EQ(g, std::string("\xB5\xEA\xC6\xCC\xB2\xC9\xBC\xAF abc\xA1\xA1" "123"));
  EXPECT_EQ(gbkToUtf8(g), utf8);
}

TEST(Gbk, InvalidInputIsReplacedNeverDropped) {
  // A bad UTF-8 byte and a character GBK lacks (an emoji) each become "?".
  EXPECT_EQ(utf8ToGbk("a\xFF" "b\xF0\x9F\x98\x80" "c"), "a?b?c");
  // A lone lead byte at the end and 0xFF become U+FFFD (0x80 is the euro sign in CP936).
  EXPECT_EQ(gbkToUtf8("x\xFFy\xB5"), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(Gbk, MalformedUtf8BecomesOneQuestionMarkPerByte) {
  struct Case {
    const char* utf8;
    std::string gbk;
  } cases[] = {
      {"\xE0\x80\x80", "???"},                     // overlong form
      {"\xED\xA0\x80", "???"},                     // surrogate
      {"x\xE4\xB8", "x??"},                        // cut short at the end
      {"\xE4\x41\x42", "?AB"},                     // lead byte without continuation
      {"abcdefghijk中z", "abcdefghijk\xD6\xD0z"},  // long ASCII run, then Chinese
      {"中文abcdefgh\xC3\xA9", "\xD6\xD0\xCE\xC4" "abcdefgh\xA8\xA6"},
  };
  for (const auto& c : cases) EXPECT_EQ(utf8ToGbk(c.utf8), c.gbk) << c.utf8;
}

TEST(Md5, SigningVectorsAndLowerCase) {
  EXPECT_EQ(md5Hex(""), "d41d8cd98f00b204e9800998ecf8427e");
  EXPECT_EQ(md5HexUpper("testapp_keytestfieldsnickformatxmlmethodtaobao.user.seller.getsessiontest"
                        "sign_methodmd5timestamp2013-05-06 13:52:03v2.0test"),
            "72CB4D809B375A54502C09360D879C64");
}

}  // namespace
}  // namespace tessaly
