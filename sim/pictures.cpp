#include "pictures.hpp"

#include <array>
#include <cstdint>

namespace tessaly::sim {
namespace {

void put16le(std::string& s, uint32_t v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8 & 0xFF);
}
void put32le(std::string& s, uint32_t v) {
  put16le(s, v & 0xFFFF);
  put16le(s, v >> 16);
}
void put32be(std::string& s, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) s += static_cast<char>(v >> shift & 0xFF);
}

uint32_t crc32(std::string_view data) {
  static const auto table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : data) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void pngChunk(std::string& png, const char* type, const std::string& data) {
  put32be(png, static_cast<uint32_t>(data.size()));
  const std::string body = std::string(type, 4) + data;
  png += body;
  put32be(png, crc32(body));
}

// 1x1 RGB, the image data in one stored (uncompressed) deflate block.
std::string png(unsigned seed) {
  std::string png = "\x89PNG\r\n\x1A\n";
  std::string header;
  put32be(header, 1);
  put32be(header, 1);
  header += std::string("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
  pngChunk(png, "IHDR", header);
  const std::string raw = {0, static_cast<char>(seed), static_cast<char>(seed >> 8), static_cast<char>(seed >> 16)};
  uint32_t a = 1, b = 0;
  for (unsigned char c : raw) a = (a + c) % 65521, b = (b + a) % 65521;
  std::string zlib = "\x78\x01";
  zlib += '\x01';  // final block, stored
  put16le(zlib, static_cast<uint32_t>(raw.size()));
  put16le(zlib, static_cast<uint32_t>(~raw.size() & 0xFFFF));
  zlib += raw;
  put32be(zlib, b << 16 | a);
  pngChunk(png, "IDAT", zlib);
  pngChunk(png, "IEND", "");
  return png;
}

// 1x1, 24 bits a pixel.
std::string bmp(unsigned seed) {
  std::string s = "BM";
  put32le(s, 14 + 40 + 4);
  put32le(s, 0);
  put32le(s, 14 + 40);
  put32le(s, 40);
  put32le(s, 1);
  put32le(s, 1);
  put16le(s, 1);
  put16le(s, 24);
  put32le(s, 0);
  put32le(s, 4);
  put32le(s, 2835);
  put32le(s, 2835);
  put32le(s, 0);
  put32le(s, 0);
  s += static_cast<char>(seed), s += static_cast<char>(seed >> 8), s += static_cast<char>(seed >> 16);
  s += '\0';  // row padding to four bytes
  return s;
}

// 1x1, a two-colour global palette.
std::string gif(unsigned seed) {
  std::string s = "GIF89a";
  put16le(s, 1);
  put16le(s, 1);
  s += std::string("\x80\x00\x00", 3);
  s += static_cast<char>(seed), s += static_cast<char>(seed >> 8), s += static_cast<char>(seed >> 16);
  s += std::string("\xFF\xFF\xFF", 3);
  s += std::string("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);
  s += std::string("\x02\x02\x44\x01\x00\x3B", 6);
  return s;
}

// An 8x8 baseline greyscale JPEG of one flat colour: unit quantisation, and Huffman
// tables holding just the codes this image needs (DC difference `level` bits, then the
// end-of-block).
std::string jpeg(unsigned seed) {
  std::string s = "\xFF\xD8";
  s += std::string("\xFF\xE0\x00\x10JFIF\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00", 18);
  s += std::string("\xFF\xDB\x00\x43\x00", 5) + std::string(64, '\x01');
  s += std::string("\xFF\xC0\x00\x0B\x08\x00\x08\x00\x08\x01\x01\x11\x00", 13);
  // DC table: one code of length 1 for category 4; AC table: one code for end-of-block.
  s += std::string("\xFF\xC4\x00\x14\x00", 5) + std::string("\x01", 1) + std::string(15, '\0') + "\x04";
  s += std::string("\xFF\xC4\x00\x14\x10", 5) + std::string("\x01", 1) + std::string(15, '\0') + std::string(1, '\0');
  s += std::string("\xFF\xDA\x00\x08\x01\x01\x00\x00\x3F\x00", 10);
  // Bits: DC code "0", four magnitude bits (a value from 8 to 15), AC end-of-block "0",
  // then padding with ones.
  const unsigned level = 8 + seed % 8;
  const unsigned bits = (0u << 7) | (level << 3) | (0u << 2) | 0x3u;
  s += static_cast<char>(bits & 0xFF);
  if ((bits & 0xFF) == 0xFF) s += '\0';
  s += "\xFF\xD9";
  return s;
}

}  // namespace

std::string pictureBytes(std::string_view type, unsigned seed) {
  if (type == "jpg" || type == "jpeg") return jpeg(seed);
  if (type == "png") return png(seed);
  if (type == "gif") return gif(seed);
  if (type == "bmp") return bmp(seed);
  return {};
}

}  // namespace tessaly::sim
