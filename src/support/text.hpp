#pragma once
// Text helpers over GBK byte strings.
//
// Every search here matches only at character boundaries: GBK trail bytes 0x40-0x7E are
// ASCII letters, so a plain byte search for "http" could start in the middle of a
// Chinese character. A marker is only found where a character starts, scanning the
// text from its beginning (positions passed in must themselves be character starts).
// All searches are linear in the text length.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessaly {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// Position of the first occurrence of `marker` at or after `start`, at a character
// boundary; kNotFound when absent. ASCII letters compare without case unless
// `caseSensitive`. An empty marker is found at `start`.
std::size_t findText(std::string_view text, std::string_view marker, std::size_t start = 0,
                     bool caseSensitive = true);
// Position of the last occurrence of `marker` at a character boundary; kNotFound when absent.
std::size_t findLastText(std::string_view text, std::string_view marker,
                         bool caseSensitive = true);
inline bool containsText(std::string_view text, std::string_view marker,
                         bool caseSensitive = true) {
  return findText(text, marker, 0, caseSensitive) != kNotFound;
}

// Removes blanks (0x20) and full-width spaces (A1 A1) from both ends.
std::string trimBlanks(std::string_view text);

// Replaces every occurrence of `from`, scanning from the start; the ASCII-case-insensitive
// variant ignores the case of Latin letters only.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string replaceAllIgnoreCase(std::string_view text, std::string_view from,
                                 std::string_view to);

// The text between `left` and `right`: "#引号" in either marker stands for a double
// quote; `left` is searched from `start`, then `right` in the rest after it, again from
// offset `start` of that rest; Latin letter case is ignored unless `caseSensitive`.
// Empty when either marker is missing.
std::string textBetween(std::string_view text, std::string_view left, std::string_view right,
                        std::size_t start = 0, bool caseSensitive = false);
// extractBetween: case-sensitive; empty `left` = before the first `right`, empty
// `right` = everything after the first `left`.
std::string extractBetween(std::string_view text, std::string_view left, std::string_view right);
// The text after the last `marker`; empty when it does not occur.
std::string textAfterLast(std::string_view text, std::string_view marker);
// A fetched body as page text: every zero byte becomes a blank.
std::string bytesToPageText(std::string_view bytes);

// A decimal number read from text; text without a number reads as 0.
double readDecimal(std::string_view text);
// A number written in "%.13g" form.
std::string formatDecimal(double value);

// "%" + two upper-case hexadecimal digits for every byte.
std::string percentEncodeText(std::string_view text);

}  // namespace tessaly
