#pragma once
// Conversions at the text boundary. Inside the core every text is a std::string of
// GBK (code page 936) bytes; UTF-8 appears only at the edges (terminal, file system
// names, the regular-expression engine, XML declared as UTF-8).
//
// Invalid input never throws and never stops a conversion:
//  - utf8ToGbk: a byte sequence that is not UTF-8 becomes "?" per bad byte; a valid
//    character that GBK cannot hold becomes "?".
//  - gbkToUtf8: a byte that does not start a valid GBK character (a lone lead byte, a
//    lead byte followed by a non-trail byte, 0xFF) becomes U+FFFD. 0x80 reads as the
//    euro sign, as code page 936 has it.
#include <string>
#include <string_view>

namespace tessaly {

std::string utf8ToGbk(std::string_view utf8);
std::string gbkToUtf8(std::string_view gbk);
// The same conversion written over `out`, whose storage is kept: a caller converting
// page after page reuses one buffer instead of allocating (and faulting in) a new one
// each time. `gbk` must not view `out`.
void gbkToUtf8(std::string_view gbk, std::string& out);

// GBK text from a UTF-8 source literal: gbk("店铺采集"). Converts on every call; keep
// results that sit on hot paths in a static.
inline std::string gbk(std::string_view utf8Literal) { return utf8ToGbk(utf8Literal); }

// True when byte b can start a double-byte GBK character.
inline bool isGbkLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
// True when byte b can stand second in a double-byte GBK character.
inline bool isGbkTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

}  // namespace tessaly
