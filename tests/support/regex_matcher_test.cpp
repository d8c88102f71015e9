#include "support/regex_matcher.hpp"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

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

// One matcher runs pattern after pattern over page after page: nothing of an earlier,
// longer page shows through in a later result.
TEST(RegexMatcher, ReusedMatcherShowsOnlyTheLatestPage) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("<b>(.*?)</b>"));
  EXPECT_EQ(m.execute(gbk("<b>第一页的一个很长的标题</b><b>二</b>")), 2);
  ASSERT_TRUE(m.create("(.*)"));
  EXPECT_EQ(m.matchCount(), 0);
  EXPECT_EQ(m.subMatch(1, 1), "");
  EXPECT_EQ(m.execute("xy"), 2);  // "xy", then the empty match at the end
  EXPECT_EQ(m.matchText(1), "xy");
  EXPECT_EQ(m.matchText(2), "");
  EXPECT_EQ(m.execute(""), 1);
  EXPECT_EQ(m.matchText(1), "");
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
  EXPECT_EQ(c.pattern(), "(\\d+)");
  // A new run gives the original a new match list; the copy keeps the one it shares.
  EXPECT_EQ(m.execute("333"), 1);
  EXPECT_EQ(c.matchCount(), 2);
  EXPECT_EQ(c.subMatch(1, 1), "1");
  EXPECT_EQ(m.subMatch(1, 1), "333");
  // So does a new pattern: the shared list is the copy's to keep.
  RegexMatcher d = m.copy();
  ASSERT_TRUE(m.create("(x)"));
  EXPECT_EQ(m.execute("xx"), 2);
  EXPECT_EQ(d.matchCount(), 1);
  EXPECT_EQ(d.matchText(1), "333");
  m.destroy();
  EXPECT_EQ(c.execute("7"), 1);
  EXPECT_EQ(m.matchCount(), 0);
}

TEST(RegexMatcher, ReplaceWithDollarNotation) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("(\\w)(\\d)"));
  EXPECT_EQ(m.replace("a1 b2", "$2$1"), "1a 2b");
  EXPECT_EQ(m.replace("a1", "[$&][$$][$3][$0]"), "[a1][$][$3][$0]");
  EXPECT_EQ(m.replace("x a1 y", "<$`|$'>"), "x <x | y> y");
  // $10 with two groups is group 1 followed by a literal 0.
  EXPECT_EQ(m.replace("a1", "$10"), "a0");
  ASSERT_TRUE(m.create(gbk("元"), true, true, false));
  EXPECT_EQ(m.replace(gbk("1元2元"), "Y"), gbk("1Y2元"));
  ASSERT_TRUE(m.create("x*"));
  EXPECT_EQ(m.replace(gbk("中x"), "-"), gbk("-中--"));
}

// The engine sees characters, never GBK bytes: the trail bytes of many Chinese characters
// are ASCII letters ("乭" is 81 68, "乸" is 81 70), which a byte-wise engine would match.
TEST(RegexMatcher, NeverMatchesInsideADoubleByteCharacter) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("(h|p)"));
  EXPECT_EQ(m.execute(gbk("乭乸")), 0);
  EXPECT_EQ(m.execute(gbk("乭h乸")), 1);
  EXPECT_EQ(m.matchText(1), "h");
  ASSERT_TRUE(m.create(gbk("乭(.)")));
  EXPECT_EQ(m.execute(gbk("a乭乸h")), 1);
  EXPECT_EQ(m.subMatch(1, 1), gbk("乸"));
}

struct SyntaxCase {
  const char* pattern;  // UTF-8; converted to GBK like the texts
  const char* text;
  int count;
  const char* first;  // match 1
  bool ignoreCase = true;
  bool multiline = true;
};

// ECMAScript meanings the engine must give, several of which PCRE2 lacks by default.
TEST(RegexMatcher, EcmaScriptMeanings) {
  const SyntaxCase cases[] = {
      {"[^]", "a\nb", 3, "a"},    // [^] is any character, line breaks too
      {"a[]", "a", 0, ""},        // [] matches nothing
      {"(a)?\\1b", "b", 1, "b"},  // a reference to an unset group is empty
      {"^b", "a\nb", 1, "b"},     // multi-line ^
      {"^b", "a\nb", 0, "", true, false},
      {"a$", "a\n", 0, "", true, false},  // without multi-line $ is the very end
      {"a$", "a\r\nb", 1, "a"},
      {".", "\r\n", 0, ""},  // . stops at CR and LF
      {".+", "中文", 1, "中文"},
      {"\\s", "　", 1, "　"},  // the full-width space is white space
      {"[\\u4e00-\\u9fa5]+", "ab中文cd", 1, "中文"},
      {"\\u5143", "9元", 1, "元"},
      {"\\x41", "a", 1, "a"},
      {"ABC", "xabc", 1, "abc"},
      {"ABC", "xabc", 0, "", false},
      {"<IMG", "<Img <iMG", 2, "<Img"},
  };
  for (const SyntaxCase& c : cases) {
    SCOPED_TRACE(c.pattern);
    RegexMatcher m;
    if (!m.create(gbk(c.pattern), c.ignoreCase, c.multiline)) {
      ADD_FAILURE() << "does not compile";
      continue;
    }
    EXPECT_EQ(m.execute(gbk(c.text)), c.count);
    EXPECT_EQ(m.matchText(1), gbk(c.first));
  }
}

struct GroupCase {
  const char* pattern;
  const char* text;
  int match, group;
  const char* expected;
};

// subMatch by match and group number, including the numbers that name nothing.
TEST(RegexMatcher, GroupsByNumber) {
  const GroupCase cases[] = {
      {"(a)|(b)", "ab", 1, 1, "a"},
      {"(a)|(b)", "ab", 1, 2, ""},  // group 2 took no part in match 1
      {"(a)|(b)", "ab", 2, 1, ""},
      {"(a)|(b)", "ab", 2, 2, "b"},
      {"(a)|(b)", "ab", 3, 1, ""},  // past the last match
      {"(a)|(b)", "ab", -1, 1, ""},
      {"(a)|(b)", "ab", 1, 3, ""},  // past the last group
      {"(x*)y", "y", 1, 1, ""},     // took part, matched nothing
      {"(\\d+)(元)", "12元", 1, 2, "元"},
      {"(?:a)(b)", "ab", 1, 1, "b"},  // a non-capturing group takes no number
      {"((a)(b))", "ab", 1, 3, "b"},
  };
  for (const GroupCase& c : cases) {
    SCOPED_TRACE(std::string(c.pattern) + " " + std::to_string(c.match) + "," +
                 std::to_string(c.group));
    RegexMatcher m;
    ASSERT_TRUE(m.create(gbk(c.pattern)));
    m.execute(gbk(c.text));
    EXPECT_EQ(m.subMatch(c.match, c.group), gbk(c.expected));
  }
}

std::string readRealworld(const char* name) {
  std::ifstream in(std::string(TESSALY_REALWORLD_DIR) + "/" + name, std::ios::binary);
  std::ostringstream s;
  s << in.rdbuf();
  return gbk(s.str());
}

// Real item cells of a shop search page: item and price patterns pair up by ordinal, and
// the matched texts stand as in the page (the price keeps its trailing blank).
TEST(RegexMatcher, CrawlerPatternsOnRealShopMarkup) {
  const std::string page = readRealworld("shop_search_items_2014.html");
  ASSERT_FALSE(page.empty());
  RegexMatcher items, prices;
  ASSERT_TRUE(items.create(kShopItemPattern));
  ASSERT_TRUE(prices.create("<span class=\"c-price\">(.*?)</span>"));
  ASSERT_EQ(items.execute(page), 2);
  ASSERT_EQ(prices.execute(page), 2);
  EXPECT_EQ(items.subMatch(1, 1), "37498952035");
  EXPECT_EQ(items.subMatch(1, 2), gbk("apple 最新OS系统 U盘安装"));
  EXPECT_EQ(items.subMatch(2, 1), "37178066336");
  EXPECT_EQ(items.subMatch(2, 2), gbk("zara 男士休闲皮衣 专柜正品"));
  EXPECT_EQ(prices.subMatch(1, 1), "65.00 ");
  EXPECT_EQ(prices.subMatch(2, 1), "299.00 ");
  // The plain-style pair finds nothing here, which is how the crawler tells the styles apart.
  ASSERT_TRUE(items.create(kPlainItemPattern));
  EXPECT_EQ(items.execute(page), 0);
}

// A page cut inside a double-byte character, or holding stray bytes, still yields the
// matches around the damage.
TEST(RegexMatcher, DamagedGbkAroundMatches) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("<b>(.*?)</b>"));
  const std::string lead = gbk("元").substr(0, 1);
  EXPECT_EQ(m.execute("<b>1</b>\xFF<b>" + gbk("二") + "</b>" + lead), 2);
  EXPECT_EQ(m.subMatch(2, 1), gbk("二"));
}

// A group repeated over a long line needs a deep backtracking stack; running out of it
// would end the search early and lose the match.
TEST(RegexMatcher, RepeatedGroupOverALongLine) {
  RegexMatcher m;
  ASSERT_TRUE(m.create("<p>(?:a|b)*</p>"));
  const std::string body(300000, 'a');
  EXPECT_EQ(m.execute("<p>" + body + "</p> <p>b</p>"), 2);
  EXPECT_EQ(m.matchText(1).size(), body.size() + 7);
}

// Matchers of different group counts run by turns on one thread, and matchers on several
// threads at once, each keep their own results.
TEST(RegexMatcher, IndependentMatchersAndThreads) {
  RegexMatcher one, many;
  ASSERT_TRUE(one.create("(a)"));
  ASSERT_TRUE(many.create("(b)(c)(d)(e)(f)(g)(h)(i)(j)(k)(l)(m)"));
  EXPECT_EQ(one.execute("a a"), 2);
  EXPECT_EQ(many.execute("bcdefghijklm"), 1);
  EXPECT_EQ(one.execute("aaa"), 3);
  EXPECT_EQ(many.subMatch(1, 12), "m");
  EXPECT_EQ(one.subMatch(3, 1), "a");

  std::vector<int> found(4, -1);
  std::vector<std::string> ids(4);
  {
    std::vector<std::jthread> threads;
    for (int t = 0; t < 4; ++t)
      threads.emplace_back([t, &found, &ids] {
        RegexMatcher items;
        items.create(kShopItemPattern);
        std::string page;
        for (int i = 0; i <= 200 + t; ++i)
          page += gbk("<a class=\"item-name\" href=\"x?id=" + std::to_string(t * 1000 + i) +
                      "\" target=\"_blank\">标题</a>\n");
        for (int run = 0; run < 20; ++run) found[t] = items.execute(page);
        ids[t] = items.subMatch(found[t], 1);
      });
  }
  for (int t = 0; t < 4; ++t) {
    EXPECT_EQ(found[t], 201 + t);
    EXPECT_EQ(ids[t], std::to_string(t * 1000 + 200 + t));
  }
}

}  // namespace
}  // namespace tessaly
