#include "pictures.hpp"

#include <array>
#include <cstdint>

namespace tessaly::sim {
namespace {

// An 8x8 grey baseline JPEG (JFIF), as a standard encoder writes it.
constexpr unsigned char kJpeg[] = {
    0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01,
    0x00, 0x01, 0x00, 0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x10, 0x0b, 0x0c, 0x0e, 0x0c, 0x0a, 0x10,
    0x0e, 0x0d, 0x0e, 0x12, 0x11, 0x10, 0x13, 0x18, 0x28, 0x1a, 0x18, 0x16, 0x16, 0x18, 0x31, 0x23,
    0x25, 0x1d, 0x28, 0x3a, 0x33, 0x3d, 0x3c, 0x39, 0x33, 0x38, 0x37, 0x40, 0x48, 0x5c, 0x4e, 0x40,
    0x44, 0x57, 0x45, 0x37, 0x38, 0x50, 0x6d, 0x51, 0x57, 0x5f, 0x62, 0x67, 0x68, 0x67, 0x3e, 0x4d,
    0x71, 0x79, 0x70, 0x64, 0x78, 0x5c, 0x65, 0x67, 0x63, 0xff, 0xc0, 0x00, 0x0b, 0x08, 0x00, 0x08,
    0x00, 0x08, 0x01, 0x01, 0x11, 0x00, 0xff, 0xc4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x05, 0xff, 0xc4, 0x00, 0x14,
    0x10, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0xff, 0xda, 0x00, 0x08, 0x01, 0x01, 0x00, 0x00, 0x3f, 0x00, 0x41, 0xff, 0xd9};
constexpr std::size_t kJpegApp0End = 20;

struct Rgb {
  unsigned char r, g, b;
};

Rgb colourOf(std::string_view path) {
  std::uint32_t h = 2166136261u;  // FNV-1a
  for (unsigned char c : path) h = (h ^ c) * 16777619u;
  return {static_cast<unsigned char>(h), static_cast<unsigned char>(h >> 8),
          static_cast<unsigned char>(h >> 16)};
}

void le16(std::string& out, unsigned v) {
  out += static_cast<char>(v & 0xFF);
  out += static_cast<char>((v >> 8) & 0xFF);
}
void le32(std::string& out, std::uint32_t v) {
  le16(out, v & 0xFFFF);
  le16(out, v >> 16);
}
void be32(std::string& out, std::uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((v >> shift) & 0xFF);
}

std::uint32_t crc32(std::string_view bytes) {
  static const auto table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t n = 0; n < 256; ++n) {
      std::uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  std::uint32_t c = 0xFFFFFFFFu;
  for (unsigned char b : bytes) c = table[(c ^ b) & 0xFF] ^ (c >> 8);
  return c ^ 0xFFFFFFFFu;
}

void pngChunk(std::string& out, std::string_view type, std::string_view data) {
  be32(out, static_cast<std::uint32_t>(data.size()));
  const std::string typed = std::string(type) + std::string(data);
  out += typed;
  be32(out, crc32(typed));
}

// An RGB PNG of one colour; the image data goes into one stored (uncompressed) deflate
// block, which every decoder reads.
std::string png(int side, Rgb colour) {
  std::string raw;
  for (int y = 0; y < side; ++y) {
    raw += '\0';  // filter: none
    for (int x = 0; x < side; ++x) {
      raw += static_cast<char>(colour.r);
      raw += static_cast<char>(colour.g);
      raw += static_cast<char>(colour.b);
    }
  }
  std::string zlib = "\x78\x01";
  zlib += '\x01';  // final block, stored
  le16(zlib, static_cast<unsigned>(raw.size()));
  le16(zlib, static_cast<unsigned>(~raw.size() & 0xFFFF));
  zlib += raw;
  std::uint32_t a = 1, b = 0;
  for (unsigned char c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  be32(zlib, (b << 16) | a);

  std::string ihdr;
  be32(ihdr, side);
  be32(ihdr, side);
  ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
  std::string out = "\x89PNG\r\n\x1a\n";
  pngChunk(out, "IHDR", ihdr);
  pngChunk(out, "IDAT", zlib);
  pngChunk(out, "IEND", "");
  return out;
}

std::string gif(bool version89, Rgb colour) {
  std::string out = version89 ? "GIF89a" : "GIF87a";
  le16(out, 1);
  le16(out, 1);
  out += std::string("\x80\x00\x00", 3);  // global table of two colours
  out += static_cast<char>(colour.r);
  out += static_cast<char>(colour.g);
  out += static_cast<char>(colour.b);
  out += std::string("\xFF\xFF\xFF", 3);
  if (version89) out += std::string("\x21\xF9\x04\x00\x00\x00\x00\x00", 8);
  out += std::string("\x2C\x00\x00\x00\x00\x01\x00\x01\x00\x00", 10);
  out += std::string("\x02\x02\x44\x01\x00\x3B", 6);  // one pixel of colour 0, trailer
  return out;
}

std::string bmp(int side, Rgb colour) {
  const int rowBytes = (side * 3 + 3) / 4 * 4;
  const std::uint32_t dataSize = static_cast<std::uint32_t>(rowBytes * side);
  std::string out = "BM";
  le32(out, 54 + dataSize);
  le32(out, 0);
  le32(out, 54);
  le32(out, 40);
  le32(out, side);
  le32(out, side);
  le16(out, 1);
  le16(out, 24);
  le32(out, 0);
  le32(out, dataSize);
  le32(out, 2835);
  le32(out, 2835);
  le32(out, 0);
  le32(out, 0);
  for (int y = 0; y < side; ++y) {
    std::string row;
    for (int x = 0; x < side; ++x) {
      row += static_cast<char>(colour.b);
      row += static_cast<char>(colour.g);
      row += static_cast<char>(colour.r);
    }
    row.resize(rowBytes, '\0');
    out += row;
  }
  return out;
}

// A little-endian baseline TIFF: 8x8 grey, uncompressed, one strip.
std::string tiff(Rgb colour) {
  constexpr int kSide = 8, kEntries = 12;
  constexpr std::uint32_t kIfd = 8, kXRes = kIfd + 2 + kEntries * 12 + 4, kYRes = kXRes + 8,
                          kPixels = kYRes + 8;
  std::string out = "II*";
  out += '\0';
  le32(out, kIfd);
  le16(out, kEntries);
  auto entry = [&](unsigned tag, unsigned type, std::uint32_t count, std::uint32_t value) {
    le16(out, tag);
    le16(out, type);
    le32(out, count);
    if (type == 3 && count == 1) {
      le16(out, value);
      le16(out, 0);
    } else {
      le32(out, value);
    }
  };
  entry(254, 4, 1, 0);             // NewSubfileType
  entry(256, 3, 1, kSide);         // ImageWidth
  entry(257, 3, 1, kSide);         // ImageLength
  entry(258, 3, 1, 8);             // BitsPerSample
  entry(259, 3, 1, 1);             // Compression: none
  entry(262, 3, 1, 1);             // Photometric: black is zero
  entry(273, 4, 1, kPixels);       // StripOffsets
  entry(277, 3, 1, 1);             // SamplesPerPixel
  entry(278, 3, 1, kSide);         // RowsPerStrip
  entry(279, 4, 1, kSide * kSide); // StripByteCounts
  entry(282, 5, 1, kXRes);         // XResolution
  entry(283, 5, 1, kYRes);         // YResolution
  le32(out, 0);                    // no further directory
  le32(out, 72);
  le32(out, 1);
  le32(out, 72);
  le32(out, 1);
  out.append(kSide * kSide, static_cast<char>((colour.r + colour.g + colour.b) / 3));
  return out;
}

// A 32x32 icon holding a PNG image.
std::string ico(Rgb colour) {
  const std::string image = png(32, colour);
  std::string out("\x00\x00\x01\x00\x01\x00", 6);
  out += std::string("\x20\x20\x00\x00", 4);  // 32x32, no palette
  le16(out, 1);
  le16(out, 32);
  le32(out, static_cast<std::uint32_t>(image.size()));
  le32(out, 22);
  return out + image;
}

std::string jpeg(std::string_view path) {
  const std::string base(reinterpret_cast<const char*>(kJpeg), sizeof kJpeg);
  // A comment segment after the JFIF header makes every address's file its own.
  const std::string note = "tessaly-sim " + std::string(path);
  std::string comment = "\xFF\xFE";
  comment += static_cast<char>(((note.size() + 2) >> 8) & 0xFF);
  comment += static_cast<char>((note.size() + 2) & 0xFF);
  comment += note;
  return base.substr(0, kJpegApp0End) + comment + base.substr(kJpegApp0End);
}

}  // namespace

std::string pictureBytes(PictureFormat format, std::string_view path) {
  const Rgb colour = colourOf(path);
  switch (format) {
    case PictureFormat::Jpeg: return jpeg(path);
    case PictureFormat::Png: return png(8, colour);
    case PictureFormat::Gif89: return gif(true, colour);
    case PictureFormat::Gif87: return gif(false, colour);
    case PictureFormat::Bmp: return bmp(4, colour);
    case PictureFormat::Tiff: return tiff(colour);
    case PictureFormat::Ico: return ico(colour);
  }
  return {};
}

std::string pictureContentType(PictureFormat format) {
  switch (format) {
    case PictureFormat::Jpeg: return "image/jpeg";
    case PictureFormat::Png: return "image/png";
    case PictureFormat::Gif89:
    case PictureFormat::Gif87: return "image/gif";
    case PictureFormat::Bmp: return "image/bmp";
    case PictureFormat::Tiff: return "image/tiff";
    case PictureFormat::Ico: return "image/x-icon";
  }
  return "application/octet-stream";
}

}  // namespace tessaly::sim
