#pragma once
#include <string>
#include <string_view>

namespace tessaly {

// MD5 of the bytes as 32 hexadecimal characters, lower case (picture names).
std::string md5Hex(std::string_view bytes);
// The same digest in upper case (request signatures).
std::string md5HexUpper(std::string_view bytes);

}  // namespace tessaly
