#include "support/text.hpp"

#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

// "乭" is GBK 81 68 and "乸" is 81 70: their trail bytes read as the ASCII letters h and p.
const std::string kTrapH = gbk("乭");
const std::string kTrapP = gbk("乸");

TEST(TextSearch, MatchesOnlyAtCharacterBoundaries) {
  const std::string text = kTrapH + "ttp://" + "a" + "http://b";
  EXPECT_EQ(text.find("http"), 1u) << "a plain byte search lands inside the character";
  EXPECT_EQ(findText(text, "http"), kTrapH.size() + 7);
  EXPECT_EQ(findText(text, "HTTP", 0, false), kTrapH.size() + 7);
  EXPECT_EQ(findLastText(kTrapP + "x" + kTrapP, "p"), kNotFound);
  EXPECT_EQ(textBetween(kTrapH + "ttp://x/http://shop/", "http://", "/"), "shop");
  EXPECT_EQ(replaceAll(kTrapP + "p", "p", "q"), kTrapP + "q");
  EXPECT_EQ(textAfterLast("a/b" + kTrapP + "/c", "/"), "c");
  EXPECT_EQ(extractBetween(kTrapP + "ath=1;path=2;", "path=", ";"), "2");
  const std::string trapAt = gbk("丂");  // 81 40: the trail byte reads as "@"
  ASSERT_EQ(trapAt, "\x81@");
  EXPECT_EQ(findText(trapAt + "x@y", "@"), 3u);
}

TEST(TextSearch, IgnoringCaseNeverFoldsATrailByte) {
  // "縃" is BF 48 and "縣" is BF 68: equal but for the case of their trail bytes' letters.
  const std::string upper = gbk("縃"), lower = gbk("縣");
  ASSERT_EQ(upper, "\xBF" "H");
  ASSERT_EQ(lower, "\xBF" "h");
  EXPECT_EQ(findText(upper, lower, 0, false), kNotFound);
  EXPECT_EQ(findText(upper + "x" + lower + "X", lower + "x", 0, false), 3u);
  EXPECT_EQ(textBetween(upper + "=1;" + lower + "=2;", lower + "=", ";"), "2");
  EXPECT_EQ(replaceAllIgnoreCase(upper + lower + "A", lower + "a", "-"), upper + "-");
}

// Compares the searches with a slow reference over every text of a small alphabet that
// is rich in lead bytes, letters of both cases and repeats (partial matches, overlaps).
TEST(TextSearch, AgreesWithCharacterByCharacterReference) {
  const char alphabet[] = {'a', 'A', 'h', '\x81', '\xA1'};
  auto starts = [](const std::string& t) {
    std::vector<bool> s(t.size() + 1, false);
    for (std::size_t i = 0; i < t.size(); i += isGbkLeadByte(t[i]) && i + 1 < t.size() ? 2 : 1)
      s[i] = true;
    return s;
  };
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? char(c + 32) : c; };
  auto reference = [&](const std::string& t, const std::string& m, std::size_t from, bool cs) {
    const auto ts = starts(t), ms = starts(m);
    for (std::size_t p = from; p + m.size() <= t.size(); ++p) {
      if (!ts[p]) continue;
      bool equal = true;
      for (std::size_t k = 0; k < m.size() && equal; ++k)
        equal = t[p + k] == m[k] || (!cs && ms[k] && lower(t[p + k]) == lower(m[k]));
      if (equal) return p;
    }
    return kNotFound;
  };
  std::uint32_t seed = 12345;
  auto randomText = [&](std::size_t maxLength) {
    std::string t;
    seed = seed * 1103515245 + 12345;
    for (std::size_t n = (seed >> 16) % (maxLength + 1); n > 0; --n) {
      seed = seed * 1103515245 + 12345;
      t += alphabet[(seed >> 16) % sizeof alphabet];
    }
    return t;
  };
  for (int round = 0; round < 3000; ++round) {
    const std::string text = randomText(14), marker = randomText(4);
    if (marker.empty()) continue;
    const bool cs = round % 2 == 0;
    const std::size_t from = text.empty() ? 0 : round % text.size();
    ASSERT_EQ(findText(text, marker, from, cs), reference(text, marker, from, cs))
        << round << " " << testing::PrintToString(text) << " " << testing::PrintToString(marker);
    std::size_t last = kNotFound;
    for (std::size_t p = reference(text, marker, 0, cs); p != kNotFound;
         p = reference(text, marker, p + 1, cs))
      last = p;
    ASSERT_EQ(findLastText(text, marker, cs), last) << round;
  }
}

TEST(TextSearch, FindsEveryOccurrenceInLongText) {
  // Many candidates inside characters must not make the search re-scan or miss.
  std::string text;
  for (int i = 0; i < 5000; ++i) text += kTrapH;
  text += "h";
  EXPECT_EQ(findText(text, "h"), text.size() - 1);
  EXPECT_EQ(replaceAll(text, "h", "") .size(), text.size() - 1);
}

TEST(TextTrim, BlanksAndFullWidthSpaces) {
  const std::string fw = "\xA1\xA1";
  struct Case {
    std::string in, out;
  } cases[] = {
      {"  a b  ", "a b"},
      {fw + " x" + fw + fw, "x"},
      {gbk("丁") + fw, gbk("丁")},                       // B6 A1 then a real A1 A1
      {"x" + gbk("丁") + "\xA1", "x" + gbk("丁") + "\xA1"},  // A1 A1 across two characters
      {"   ", ""},
      {"", ""},
      {"\tx\t", "\tx\t"},
  };
  for (const auto& c : cases) EXPECT_EQ(trimBlanks(c.in), c.out) << c.in;
}

TEST(TextBetween, MarkersQuoteWordAndCase) {
  const std::string page = "<script>ItemID:\"123\",</script><TITLE>Shoe</TITLE>";
  EXPECT_EQ(textBetween(page, "itemId:\"", "\","), "123");
  EXPECT_EQ(textBetween(page, gbk("itemId:#引号"), gbk("#引号,")), "123");
  EXPECT_EQ(textBetween(page, "<title>", "</title>"), "Shoe");
  EXPECT_EQ(textBetween(page, "<title>", "</title>", 0, true), "");
  EXPECT_EQ(textBetween(page, "missing", "<"), "");
  EXPECT_EQ(textBetween(page, "<TITLE>", "missing"), "");
  // The right marker is searched in the rest from the same start offset as the left one.
  EXPECT_EQ(textBetween("a1b a2b xb", "a", "b", 3), "2b x");
}

TEST(ExtractBetween, ThreeForms) {
  struct Case {
    const char *text, *left, *right, *out;
  } cases[] = {
      {"Set-Cookie: a=1; path=/", "Set-Cookie:", ";", " a=1"},
      {"Set-Cookie: a=1", "Set-Cookie:", ";", ""},
      {"set-cookie: a=1;", "Set-Cookie:", ";", ""},  // letter case matters
      {"abc;def", "", ";", "abc"},
      {"abc", "", ";", ""},
      {"k=v;x", "=", "", "v;x"},
      {"kv", "=", "", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(extractBetween(c.text, c.left, c.right), c.out) << c.text;
}

TEST(TextReplace, CaseRules) {
  EXPECT_EQ(replaceAll("aAa", "a", "b"), "bAb");
  EXPECT_EQ(replaceAllIgnoreCase("aAa", "a", "b"), "bbb");
  EXPECT_EQ(replaceAll("aaa", "aa", "a"), "aa");
  EXPECT_EQ(replaceAll("abc", "", "x"), "abc");
  EXPECT_EQ(bytesToPageText(std::string("a\0b", 3)), "a b");
  EXPECT_EQ(percentEncodeText(gbk("中")), "%D6%D0");
}

TEST(Decimal, ReadAndWrite) {
  struct Read {
    const char* text;
    double value;
  } reads[] = {{"19.9", 19.9}, {" 12.5元", 12.5}, {"abc", 0}, {"", 0},
               {"-3", -3},     {"+4.5", 4.5},     {".5", 0.5}, {"nan", 0}};
  for (const auto& r : reads) EXPECT_DOUBLE_EQ(readDecimal(r.text), r.value) << r.text;

  EXPECT_EQ(formatDecimal(19.9 * 110 / 100), "21.89");
  EXPECT_EQ(formatDecimal(12.5 * 80 / 100), "10");
  EXPECT_EQ(formatDecimal(0.1 + 0.2), "0.3");
  EXPECT_EQ(formatDecimal(1234567890123456.0), "1.234567890123e+15");
  EXPECT_EQ(formatDecimal(-0.0), "0");
}

}  // namespace
}  // namespace tessaly
