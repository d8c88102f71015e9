#include "support/text.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <vector>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

inline unsigned char lowerAscii(unsigned char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + 32) : c;
}

// Length of the character starting at i: two bytes for a lead byte with a byte after it.
inline std::size_t charLength(std::string_view text, std::size_t i) {
  return isGbkLeadByte(static_cast<unsigned char>(text[i])) && i + 1 < text.size() ? 2 : 1;
}

// Latin letters fold to lower case only where they are characters of their own: a
// trail byte that happens to be a letter belongs to a Chinese character, and two
// different characters must never compare equal.
std::string foldMarker(std::string_view marker, bool caseSensitive) {
  std::string folded(marker);
  if (caseSensitive) return folded;
  for (std::size_t i = 0; i < folded.size(); i += charLength(marker, i))
    folded[i] = static_cast<char>(lowerAscii(static_cast<unsigned char>(folded[i])));
  return folded;
}

// Finds a marker at character starts in one left-to-right pass (Knuth-Morris-Pratt over
// the case-folded bytes): every byte of the text is read once, however many partial or
// misaligned matches there are, and the character starts are walked once alongside.
class BoundarySearch {
 public:
  BoundarySearch(std::string_view text, std::string_view marker, bool caseSensitive)
      : text_(text), pattern_(foldMarker(marker, caseSensitive)), caseSensitive_(caseSensitive) {
    fail_.assign(pattern_.size(), 0);
    for (std::size_t i = 1, k = 0; i < pattern_.size(); ++i) {
      while (k > 0 && pattern_[i] != pattern_[k]) k = fail_[k - 1];
      if (pattern_[i] == pattern_[k]) ++k;
      fail_[i] = k;
    }
    const unsigned char first = static_cast<unsigned char>(pattern_[0]);
    skipToFirst_ = caseSensitive || !(first >= 'a' && first <= 'z');
  }

  // The next occurrence at a character start that begins at or after `from`; `from` never
  // goes back before an earlier result + 1, so overlapping occurrences are all seen.
  std::size_t next(std::size_t from) {
    const std::size_t m = pattern_.size();
    if (from >= scanned_) {
      scanned_ = from;
      matched_ = 0;
    } else {
      while (matched_ > 0 && scanned_ - matched_ < from) matched_ = fail_[matched_ - 1];
    }
    while (scanned_ < text_.size()) {
      if (matched_ == 0) {  // skip quickly to the next byte that can begin the marker
        if (skipToFirst_) {
          const void* hit =
              std::memchr(text_.data() + scanned_, pattern_[0], text_.size() - scanned_);
          if (!hit) break;
          scanned_ = static_cast<const char*>(hit) - text_.data();
        } else {  // a lower-case letter: either case of it (c | 0x20 folds only letters here)
          while (scanned_ < text_.size() && (text_[scanned_] | 0x20) != pattern_[0]) ++scanned_;
          if (scanned_ == text_.size()) break;
        }
      }
      const char c = foldedAt(scanned_++);
      while (matched_ > 0 && c != pattern_[matched_]) matched_ = fail_[matched_ - 1];
      if (c == pattern_[matched_]) ++matched_;
      if (matched_ == m) {
        const std::size_t pos = scanned_ - m;
        if (isCharStart(matchWalk_, pos)) return pos;
        matched_ = fail_[m - 1];
      }
    }
    scanned_ = text_.size();
    return kNotFound;
  }

 private:
  // Advances `walk` (a character start) to the first character start at or after `pos`
  // and tells whether that is `pos` itself.
  bool isCharStart(std::size_t& walk, std::size_t pos) const {
    while (walk < pos) walk += charLength(text_, walk);
    return walk == pos;
  }
  char foldedAt(std::size_t i) {
    const char c = text_[i];
    if (caseSensitive_ || c < 'A' || c > 'Z' || !isCharStart(byteWalk_, i)) return c;
    return static_cast<char>(c + 32);
  }

  std::string_view text_;
  std::string pattern_;
  std::vector<std::size_t> fail_;  // longest proper prefix that is also a suffix, per length
  bool caseSensitive_;
  bool skipToFirst_ = false;       // the first marker byte can only match itself
  std::size_t scanned_ = 0;        // bytes of the text read
  std::size_t matched_ = 0;        // marker bytes matched before scanned_
  std::size_t matchWalk_ = 0;      // character starts walked for match starts
  std::size_t byteWalk_ = 0;       // character starts walked for folding
};

std::string replaceAllImpl(std::string_view text, std::string_view from, std::string_view to,
                           bool caseSensitive) {
  if (from.empty()) return std::string(text);
  std::string out;
  out.reserve(text.size());
  BoundarySearch search(text, from, caseSensitive);
  std::size_t copied = 0;
  for (std::size_t pos = search.next(0); pos != kNotFound; pos = search.next(copied)) {
    out.append(text, copied, pos - copied);
    out += to;
    copied = pos + from.size();
  }
  out.append(text, copied);
  return out;
}

}  // namespace

std::size_t findText(std::string_view text, std::string_view marker, std::size_t start,
                     bool caseSensitive) {
  if (start > text.size()) return kNotFound;
  if (marker.empty()) return start;
  return BoundarySearch(text, marker, caseSensitive).next(start);
}

std::size_t findLastText(std::string_view text, std::string_view marker, bool caseSensitive) {
  if (marker.empty()) return text.size();
  BoundarySearch search(text, marker, caseSensitive);
  std::size_t last = kNotFound;
  for (std::size_t pos = search.next(0); pos != kNotFound; pos = search.next(pos + 1)) last = pos;
  return last;
}

std::string trimBlanks(std::string_view text) {
  auto blankAt = [&](std::size_t i) -> std::size_t {  // length of a blank at i, or 0
    if (text[i] == ' ') return 1;
    if (i + 1 < text.size() && text[i] == '\xA1' && text[i + 1] == '\xA1') return 2;
    return 0;
  };
  std::size_t begin = 0;
  while (begin < text.size()) {
    const std::size_t n = blankAt(begin);
    if (n == 0) break;
    begin += n;
  }
  // The end is found walking whole characters, so an A1 A1 pair is only removed where it
  // is a character of its own, not the trail of one character and the lead of the next.
  std::size_t end = begin;
  for (std::size_t i = begin; i < text.size();) {
    const std::size_t blank = blankAt(i);
    const std::size_t len = blank ? blank : charLength(text, i);
    i += len;
    if (!blank) end = i;
  }
  return std::string(text.substr(begin, end - begin));
}

std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
  return replaceAllImpl(text, from, to, true);
}

std::string replaceAllIgnoreCase(std::string_view text, std::string_view from,
                                 std::string_view to) {
  return replaceAllImpl(text, from, to, false);
}

std::string textBetween(std::string_view text, std::string_view left, std::string_view right,
                        std::size_t start, bool caseSensitive) {
  static const std::string kQuoteWord = gbk("#引号");
  const std::string l = replaceAll(left, kQuoteWord, "\"");
  const std::string r = replaceAll(right, kQuoteWord, "\"");
  const std::size_t at = findText(text, l, start, caseSensitive);
  if (at == kNotFound) return {};
  const std::string_view rest = text.substr(at + l.size());
  const std::size_t end = findText(rest, r, start, caseSensitive);
  if (end == kNotFound) return {};
  return std::string(rest.substr(0, end));
}

std::string extractBetween(std::string_view text, std::string_view left, std::string_view right) {
  if (left.empty()) {
    const std::size_t end = findText(text, right);
    return end == kNotFound ? std::string() : std::string(text.substr(0, end));
  }
  const std::size_t at = findText(text, left);
  if (at == kNotFound) return {};
  const std::string_view rest = text.substr(at + left.size());
  if (right.empty()) return std::string(rest);
  const std::size_t end = findText(rest, right);
  return end == kNotFound ? std::string() : std::string(rest.substr(0, end));
}

std::string textAfterLast(std::string_view text, std::string_view marker) {
  if (marker.empty()) return {};
  const std::size_t at = findLastText(text, marker);
  return at == kNotFound ? std::string() : std::string(text.substr(at + marker.size()));
}

std::string bytesToPageText(std::string_view bytes) {
  std::string out(bytes);
  std::replace(out.begin(), out.end(), '\0', ' ');
  return out;
}

double readDecimal(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  double value = 0;
  const char* first = text.data() + i;
  const char* last = text.data() + text.size();
  // Only plain decimal notation: "inf", "nan" and hexadecimal forms are not numbers here.
  if (first == last || !(std::isdigit(static_cast<unsigned char>(*first)) || *first == '.'))
    return 0;
  if (std::from_chars(first, last, value, std::chars_format::general).ec != std::errc()) return 0;
  return negative ? -value : value;
}

std::string formatDecimal(double value) {
  if (value == 0) value = 0;  // no "-0"
  char buffer[64];
  auto result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, 13);
  return std::string(buffer, result.ptr);
}

std::string percentEncodeText(std::string_view text) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(text.size() * 3);
  for (unsigned char c : text) {
    out += '%';
    out += kHex[c >> 4];
    out += kHex[c & 0xF];
  }
  return out;
}

}  // namespace tessaly
