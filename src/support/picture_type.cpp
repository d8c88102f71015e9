#include "support/picture_type.hpp"

#include <utility>

#include "support/gbk.hpp"

namespace tessaly {

std::string pictureSignature(std::string_view bytes) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string signature;
  for (unsigned char b : bytes.substr(0, 10)) {
    if (b == 0) {
      signature += "00";
      continue;
    }
    if (b >> 4) signature += kHex[b >> 4];
    signature += kHex[b & 0xF];
  }
  return signature;
}

std::string detectPictureType(std::string_view bytes) {
  static const std::pair<const char*, const char*> kTable[] = {
      {"FFD8", "jpg"},           {"3C21444F435459504520", "jpg"},
      {"0000100000", "tga"},     {"474946383961", "gif"},
      {"474946383761", "gif"},   {"89504E47", "png"},
      {"424D", "bmp"},           {"4D4D", "tiff"},
      {"4949", "tiff"},          {"00001001002020", "ico"},
      {"464F524D", "iff"},       {"52494646", "ani"},
  };
  const std::string signature = pictureSignature(bytes);
  for (const auto& [prefix, type] : kTable)
    if (std::string_view(signature).starts_with(prefix)) return type;
  static const std::string kUnknown = gbk("你杯具了 无法识别 特征码:");
  return kUnknown + signature;
}

}  // namespace tessaly
