#include "support/regex_matcher.hpp"

#include <gtest/gtest.h>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

const std::string kShopItemPattern =
    "<a class=\"item-name\" href=\".*?id=(.*?)\" target=\"_blank\">(.*?)</a>";
const std::string kPlainItemPattern =
    "<a target=\"_blank\" href=\"(.*?)\" class=\"permalink\" style=\"\">\n(.*?)\n\\s*</a>";

TEST(RegexMatcher, ShopStyleItemsWithChineseTitles) {
  RegexMatcher m;
  ASSERT_TRUE(m.create(kShopItemPattern));
  const std::string page = gbk(
      "<li><a class=\"item-name\" href=\"http://item.example/item.htm?id=101\" target=\"_blank\">"
      "连衣裙 A</a></li>\n<li><A CLASS=\"item-name\" href=\"http://item.example/item.htm?id=202\" "
      "target=\"_blank\">衬衫 B</a></li>");
  EXPECT_EQ(m.execute(page), 2);
  EXPECT_EQ(m.matchCount(), 2);
  EXPECT_EQ(m.subMatchCount(), 2);
  EXPECT_EQ(m.subMatch(1, 1), "101");
  EXPECT_EQ(m.subMatch(2, 1), "202");
  EXPECT_EQ(m.subMatch(2, 2), gbk("衬衫 B"));
  // Past the last match, past the last group, group 0 and match 0: empty.
  EXPECT_EQ(m.subMatch(3, 1), "");
  EXPECT_EQ(m.subMatch(1, 3), "");
  EXPECT_EQ(m.subMatch(1, 0), "");
  EXPECT_EQ(m.matchText(0), "");
  EXPECT_EQ(m.pattern(), kShopItemPattern);

  // A second run replaces the matches.
  EXPECT_EQ(m.execute("nothing here"), 0);
  EXPECT_EQ(m.matchCount(), 0);
  EXPECT_EQ(m.subMatchCount(), 0);
  EXPECT_EQ(m.subMatch(1, 1), "");
}

TEST(RegexMatcher, LineFeedsInPatternAndDot) {
  RegexMatcher m;
  ASSERT_TRUE(m.create(kPlainItemPattern));
  const std::string good =
      "<a target=\"_blank\" href=\"http://i/item.htm?id=5&x=1\" class=\"permalink\" style=\"\">\n"
      "Title five\n      </a>";
  EXPECT_EQ(m.execute(good), 1);
  EXPECT_EQ(m.subMatch(1, 1), "http://i/item.htm?id=5&x=1");
  EXPECT_EQ(m.subMatch(1, 2), "Title five");
  // A CR before the line feed: "." stops at it, and the pattern has no CR.
  std::string crlf = good;
  crlf.replace(crlf.find("\nTitle"), 1, "\r\n");
  EXPECT_EQ(m.execute(crlf), 0);
  // Group 2 never spans two lines.
  EXPECT_EQ(m.execute("<a target=\"_blank\" href=\"u\" class=\"permalink\" style=\"\">\n"
                      "one\ntwo\n</a>"),
            0);
}

TEST(RegexMatcher, ChineseCharacterClass) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("([\\u4e00-\\u9fa5])"));
  EXPECT_EQ(m.execute("abc123.jpg"), 0);
  EXPECT_EQ(m.execute(gbk("img/红a裙.jpg")), 2);
  EXPECT_EQ(m.subMatch(1, 1), gbk("红"));
  EXPECT_EQ(m.subMatch(2, 1), gbk("裙"));
}

TEST(RegexMatcher, PictureTagsIgnoreCase) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("<IMG .*?\"http://(.*?)\".*?>"));
  EXPECT_EQ(m.execute("<p><img src=\"http://a/1.jpg\" /><IMG SRC=\"http://b/2.gif\"></p>"), 2);
  EXPECT_EQ(m.subMatch(1, 1), "a/1.jpg");
  EXPECT_EQ(m.subMatch(2, 1), "b/2.gif");
  ASSERT_TRUE(m.create("<IMG .*?\"http://(.*?)\".*?>", false));
  EXPECT_EQ(m.execute("<img src=\"http://a/1.jpg\">"), 0);
}

TEST(RegexMatcher, GlobalAndEmptyMatches) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("x*"));
  // ECMAScript: empty matches advance one character; "中" is one character.
  EXPECT_EQ(m.execute(gbk("中xx")), 3);
  EXPECT_EQ(m.matchText(2), "xx");
  ASSERT_TRUE(m.create("a", true, true, false));
  EXPECT_EQ(m.execute("aaa"), 1);
}

TEST(RegexMatcher, InvalidPatternAndNoEngine) {
  RegexMatcher m;
  EXPECT_EQ(m.execute("abc"), 0);
  EXPECT_FALSE(m.create("(unclosed"));
  EXPECT_EQ(m.execute("(unclosed"), 0);
  EXPECT_EQ(m.pattern(), "");
}

TEST(RegexMatcher, CopySharesPatternAndMatches) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("(\\d+)"));
  m.execute("a1 b22");
  RegexMatcher c = m.copy();
  EXPECT_EQ(c.matchCount(), 2);
  EXPECT_EQ(c.subMatch(2, 1), "22");
  m.destroy();
  EXPECT_EQ(c.execute("7"), 1);
  EXPECT_EQ(m.matchCount(), 0);
}

TEST(RegexMatcher, ReplaceWithDollarNotation) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("(\\w)(\\d)"));
  EXPECT_EQ(m.replace("a1 b2", "$2$1"), "1a 2b");
  EXPECT_EQ(m.replace("a1", "[$&][$$][$3][$0]"), "[a1][$][$3][$0]");
  ASSERT_TRUE(m.create(gbk("元"), true, true, false));
  EXPECT_EQ(m.replace(gbk("1元2元"), "Y"), gbk("1Y2元"));
}

}  // namespace
}  // namespace tessaly
