#pragma once
// Text helpers over GBK byte strings.
//
// Characters: a lead byte 0x81-0xFE takes the byte after it as its trail byte; every other
// byte is a character of its own.
//
// Every search here matches only where a character starts: GBK trail bytes 0x40-0x7E are
// ASCII letters and symbols, so a plain byte search for "http" or "@" could start in the
// middle of a Chinese character. Character starts are always found by decoding from the
// beginning of the text (so a `start` position may be any byte). A search reads every byte
// of the text once and walks the character starts once beside it, never going back: it is
// linear in the text length however the marker repeats itself.
//
// Ignoring case folds only ASCII letters that are characters of their own; a trail byte
// always compares exactly, so ignoring case never makes one Chinese character match another.
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
// Position of the last occurrence of `marker` at a character boundary (occurrences may
// overlap: "aa" in "aaa" is last found at 1); kNotFound when absent, the text size for an
// empty marker.
std::size_t findLastText(std::string_view text, std::string_view marker,
                         bool caseSensitive = true);
inline bool containsText(std::string_view text, std::string_view marker,
                         bool caseSensitive = true) {
  return findText(text, marker, 0, caseSensitive) != kNotFound;
}

// Removes blanks (the ASCII space 0x20 only; tabs stay) and full-width spaces (A1 A1) from
// both ends. A trailing A1 A1 goes only when it is a whole character: in B6 A1 A1 the first
// A1 is the trail of "丁" and the last is a stray byte, so nothing is removed.
std::string trimBlanks(std::string_view text);

// Replaces every occurrence of `from`, scanning from the start; inserted text is not scanned
// again and an empty `from` changes nothing. The ASCII-case-insensitive variant ignores the
// case of Latin letters only.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to);
std::string replaceAllIgnoreCase(std::string_view text, std::string_view from,
                                 std::string_view to);

// The text between two markers of a page:
//  1. every "#引号" in either marker is first replaced by a double quote (");
//  2. `left` is searched from `start`, ignoring Latin letter case unless `caseSensitive`;
//  3. `right` is searched, by the same case rule, in the rest of the text after that `left`,
//     from offset `start` of the rest (the same start position, counted in the rest);
//  4. the result is the rest up to `right`; empty when either marker is missing.
// With the usual start 0: the text after the first `left` up to the next `right`.
std::string textBetween(std::string_view text, std::string_view left, std::string_view right,
                        std::size_t start = 0, bool caseSensitive = false);
// Letter case matters. With both markers: the text after the first `left` up to the first
// `right` after it. With an empty `left`: the text before the first `right`. With an empty
// `right`: everything after the first `left`. Empty when a needed marker is missing.
std::string extractBetween(std::string_view text, std::string_view left, std::string_view right);
// The text after the last `marker`; empty when it does not occur or is empty.
std::string textAfterLast(std::string_view text, std::string_view marker);
// A fetched body as page text: every zero byte becomes a blank; nothing else changes.
std::string bytesToPageText(std::string_view bytes);

// The number at the start of `text`, read the same in every locale: leading blanks and
// tabs, an optional sign, then digits with an optional fraction and exponent ("19.9",
// " -3", ".5", "2e3"); whatever follows is ignored ("12.5元" reads 12.5). Text that does not
// start that way, and "inf", "nan" or hexadecimal forms, read as 0.
double readDecimal(std::string_view text);
// `value` as printf's "%.13g" writes it in the C locale, whatever the process locale: at
// most 13 significant digits, no trailing zeros, no trailing point ("21.89", "10",
// "1.234567890123e+15"); minus zero is written "0".
std::string formatDecimal(double value);

// "%" + two upper-case hexadecimal digits for every byte ("中" -> "%D6%D0").
std::string percentEncodeText(std::string_view text);

}  // namespace tessaly
