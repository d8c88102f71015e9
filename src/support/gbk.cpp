#include "support/gbk.hpp"

#include <iconv.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <memory>

namespace tessaly {
namespace {

// Both directions run on lookup tables built once from the system's own CP936 converter,
// so the mapping is exactly iconv's while a conversion costs a table read per character
// (pages and answers are converted on every request).
struct GbkTables {
  // GBK double-byte code (lead - 0x81) * 256 + trail -> code point; 0 when unmapped.
  std::array<char32_t, 126 * 256> toUnicode{};
  // Single bytes 0x80-0xFF -> code point (0x80 is the euro sign in CP936); 0 when invalid.
  std::array<char32_t, 128> singleToUnicode{};
  // BMP code point -> GBK bytes (high byte 0 for a single byte); 0 when unmapped.
  std::array<uint16_t, 0x10000> fromUnicode{};

  GbkTables() {
    iconv_t cd = iconv_open("UTF-32LE", "CP936");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    auto decode = [&](const char* bytes, size_t n) -> char32_t {
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      char in[2] = {bytes[0], n > 1 ? bytes[1] : '\0'};
      char32_t out[2] = {0, 0};
      char* src = in;
      size_t srcLeft = n;
      char* dst = reinterpret_cast<char*>(out);
      size_t dstLeft = sizeof out;
      if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1) || srcLeft != 0 ||
          dstLeft != sizeof out - 4)
        return 0;
      return out[0];
    };
    for (int b = 0x80; b <= 0xFF; ++b) {
      const char c = static_cast<char>(b);
      singleToUnicode[b - 0x80] = decode(&c, 1);
    }
    for (int lead = 0x81; lead <= 0xFE; ++lead)
      for (int trail = 0x40; trail <= 0xFE; ++trail) {
        const char pair[2] = {static_cast<char>(lead), static_cast<char>(trail)};
        toUnicode[(lead - 0x81) * 256 + trail] = decode(pair, 2);
      }
    iconv_close(cd);

    // The reverse direction from iconv itself as well, since several GBK codes can
    // share one character and only iconv knows which one it writes.
    cd = iconv_open("CP936", "UTF-32LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return;
    for (char32_t cp = 0x80; cp < 0x10000; ++cp) {
      if (cp >= 0xD800 && cp <= 0xDFFF) continue;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
      char32_t in = cp;
      unsigned char out[4] = {};
      char* src = reinterpret_cast<char*>(&in);
      size_t srcLeft = 4;
      char* dst = reinterpret_cast<char*>(out);
      size_t dstLeft = sizeof out;
      if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<size_t>(-1)) continue;
      const size_t n = sizeof out - dstLeft;
      if (n == 1) fromUnicode[cp] = out[0];
      if (n == 2) fromUnicode[cp] = static_cast<uint16_t>(out[0] << 8 | out[1]);
    }
    iconv_close(cd);
  }
};

const GbkTables& tables() {
  static const auto* t = new GbkTables();  // never destroyed: threads may convert at exit
  return *t;
}

char* writeUtf8(char* out, char32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | cp >> 6);
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    *out++ = static_cast<char>(0xE0 | cp >> 12);
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xF0 | cp >> 18);
    *out++ = static_cast<char>(0x80 | (cp >> 12 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp >> 6 & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

// Length of the run of ASCII bytes at the start of s.
size_t asciiRun(const char* s, size_t n) {
  size_t i = 0;
  // Eight bytes at a time: markup is mostly ASCII, and this loop carries every byte of it.
  constexpr uint64_t kHighBits = 0x8080808080808080ull;
  for (uint64_t word; i + 8 <= n; i += 8) {
    std::memcpy(&word, s + i, 8);
    if (word & kHighBits) break;
  }
  while (i < n && static_cast<unsigned char>(s[i]) < 0x80) ++i;
  return i;
}

// The code point of the well-formed UTF-8 sequence at s[i] and its length; length 0 when
// the bytes there are not one.
char32_t readUtf8(std::string_view s, size_t i, size_t& length) {
  const auto b0 = static_cast<unsigned char>(s[i]);
  size_t n;
  char32_t cp;
  if (b0 >= 0xC2 && b0 <= 0xDF) n = 2, cp = b0 & 0x1F;
  else if (b0 >= 0xE0 && b0 <= 0xEF) n = 3, cp = b0 & 0x0F;
  else if (b0 >= 0xF0 && b0 <= 0xF4) n = 4, cp = b0 & 0x07;
  else return length = 0, 0;
  if (i + n > s.size()) return length = 0, 0;
  for (size_t k = 1; k < n; ++k) {
    const auto b = static_cast<unsigned char>(s[i + k]);
    if ((b & 0xC0) != 0x80) return length = 0, 0;
    cp = cp << 6 | (b & 0x3F);
  }
  // Overlong forms, surrogates and values past U+10FFFF are not characters.
  if ((n == 3 && cp < 0x800) || (n == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
      (cp >= 0xD800 && cp <= 0xDFFF))
    return length = 0, 0;
  length = n;
  return cp;
}

}  // namespace

std::string utf8ToGbk(std::string_view utf8) {
  const GbkTables& t = tables();
  std::string out(utf8.size(), '\0');  // GBK is never longer than UTF-8
  char* o = out.data();
  for (size_t i = 0; i < utf8.size();) {
    if (static_cast<unsigned char>(utf8[i]) < 0x80) {
      const size_t run = asciiRun(utf8.data() + i, utf8.size() - i);
      std::memcpy(o, utf8.data() + i, run);
      o += run;
      i += run;
      continue;
    }
    size_t length = 0;
    char32_t cp = 0;
    // Chinese text is almost all three-byte sequences: decode those straight, leaving
    // every other case (and every invalid form) to the general reader.
    const auto b0 = static_cast<unsigned char>(utf8[i]);
    if ((b0 & 0xF0) == 0xE0 && i + 2 < utf8.size()) {
      const auto b1 = static_cast<unsigned char>(utf8[i + 1]);
      const auto b2 = static_cast<unsigned char>(utf8[i + 2]);
      cp = static_cast<char32_t>((b0 & 0x0F) << 12 | (b1 & 0x3F) << 6 | (b2 & 0x3F));
      if ((b1 & 0xC0) == 0x80 && (b2 & 0xC0) == 0x80 && cp >= 0x800 &&
          (cp < 0xD800 || cp > 0xDFFF))
        length = 3;
    }
    if (length == 0) cp = readUtf8(utf8, i, length);
    if (length == 0) {  // not UTF-8: one "?" per bad byte
      *o++ = '?';
      ++i;
      continue;
    }
    i += length;
    const uint16_t code = cp < 0x10000 ? t.fromUnicode[cp] : 0;
    if (code == 0) {
      *o++ = '?';
    } else if (code < 0x100) {
      *o++ = static_cast<char>(code);
    } else {
      *o++ = static_cast<char>(code >> 8);
      *o++ = static_cast<char>(code & 0xFF);
    }
  }
  out.resize(static_cast<size_t>(o - out.data()));
  return out;
}

std::string gbkToUtf8(std::string_view gbk) {
  std::string out;
  gbkToUtf8(gbk, out);
  return out;
}

void gbkToUtf8(std::string_view gbk, std::string& out) {
  const GbkTables& t = tables();
  out.resize(gbk.size() * 3);  // at most three bytes for each byte read
  char* o = out.data();
  for (size_t i = 0; i < gbk.size();) {
    if (const size_t run = asciiRun(gbk.data() + i, gbk.size() - i)) {
      std::memcpy(o, gbk.data() + i, run);
      o += run;
      i += run;
      continue;
    }
    const auto b = static_cast<unsigned char>(gbk[i]);
    if (isGbkLeadByte(b) && i + 1 < gbk.size()) {
      const auto trail = static_cast<unsigned char>(gbk[i + 1]);
      if (const char32_t cp = t.toUnicode[(b - 0x81) * 256 + trail]) {
        o = writeUtf8(o, cp);
        i += 2;
        continue;
      }
    }
    const char32_t single = t.singleToUnicode[b - 0x80];
    o = writeUtf8(o, single ? single : U'\uFFFD');
    ++i;
  }
  out.resize(static_cast<size_t>(o - out.data()));
}

}  // namespace tessaly
