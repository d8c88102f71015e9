#include "support/text.hpp"

#include <algorithm>
#include <cctype>
#include <charconv>

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

// Byte-level search for the next candidate at or after `from`.
std::size_t findBytes(std::string_view text, std::string_view marker, std::size_t from,
                      bool caseSensitive) {
  if (caseSensitive) return text.find(marker, from);
  if (from > text.size() || marker.size() > text.size() - from) return kNotFound;
  auto equal = [](char a, char b) {
    return lowerAscii(static_cast<unsigned char>(a)) == lowerAscii(static_cast<unsigned char>(b));
  };
  auto it = std::search(text.begin() + from, text.end(), marker.begin(), marker.end(), equal);
  return it == text.end() ? kNotFound : static_cast<std::size_t>(it - text.begin());
}

// Walks character starts and byte candidates side by side, so the whole search stays
// linear: a candidate inside a double-byte character is skipped, never re-scanned.
class BoundarySearch {
 public:
  BoundarySearch(std::string_view text, std::string_view marker, bool caseSensitive)
      : text_(text), marker_(marker), caseSensitive_(caseSensitive) {}

  // The next occurrence at a character start, at or after `from`.
  std::size_t next(std::size_t from) {
    std::size_t pos = findBytes(text_, marker_, from, caseSensitive_);
    while (pos != kNotFound) {
      while (boundary_ < pos) boundary_ += charLength(text_, boundary_);
      if (boundary_ == pos) {
        if (caseSensitive_ || trailBytesEqual(pos)) return pos;
        boundary_ += charLength(text_, boundary_);
      }
      pos = findBytes(text_, marker_, boundary_, caseSensitive_);
    }
    return kNotFound;
  }

 private:
  // The byte search folded every ASCII letter, but a trail byte is part of a Chinese
  // character and must match exactly: folded, "縃" (BF 48) would equal "縣" (BF 68).
  // Text and marker decode alike from a character start while their bytes agree, so the
  // marker's own character structure tells which bytes are trail bytes.
  bool trailBytesEqual(std::size_t pos) const {
    for (std::size_t i = 0; i < marker_.size();) {
      const std::size_t len = charLength(marker_, i);
      if (len == 2 && text_[pos + i + 1] != marker_[i + 1]) return false;
      i += len;
    }
    return true;
  }

  std::string_view text_;
  std::string_view marker_;
  bool caseSensitive_;
  std::size_t boundary_ = 0;
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
