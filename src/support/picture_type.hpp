#pragma once
#include <string>
#include <string_view>

namespace tessaly {

// The file extension for picture bytes, judged by their first ten bytes. The signature is
// written with each byte in upper-case hexadecimal without its leading zero (0x00 as
// "00"), and the patterns are written in that form: icons are only recognised that way.
// Unrecognised data gives "你杯具了 无法识别 特征码:" followed by the signature (GBK).
std::string detectPictureType(std::string_view bytes);

// The signature text described above.
std::string pictureSignature(std::string_view bytes);

}  // namespace tessaly
