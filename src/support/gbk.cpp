#include "support/gbk.hpp"

#include <iconv.h>

#include <cerrno>
#include <cstring>

namespace tessaly {
namespace {

// One iconv descriptor per conversion and thread: iconv_t is not safe to share, and
// opening one costs more than most of the conversions we do.
class Converter {
 public:
  Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
  ~Converter() {
    if (cd_ != reinterpret_cast<iconv_t>(-1)) iconv_close(cd_);
  }
  Converter(const Converter&) = delete;
  Converter& operator=(const Converter&) = delete;

  // Converts `in`; on a byte sequence iconv refuses, `onBad` is appended and `skip(in)`
  // bytes are stepped over.
  template <typename Skip>
  std::string run(std::string_view in, std::string_view onBad, Skip skip) {
    std::string out;
    if (cd_ == reinterpret_cast<iconv_t>(-1)) return out;
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    out.resize(in.size() * 2 + 16);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    size_t used = 0;
    while (srcLeft > 0) {
      char* dst = out.data() + used;
      size_t dstLeft = out.size() - used;
      size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
      used = out.size() - dstLeft;
      if (r != static_cast<size_t>(-1)) break;
      if (errno == E2BIG) {
        out.resize(out.size() * 2);
        continue;
      }
      // EILSEQ or EINVAL (a truncated sequence at the end): replace and go on.
      size_t n = skip(std::string_view(src, srcLeft));
      if (n == 0 || n > srcLeft) n = 1;
      src += n;
      srcLeft -= n;
      if (out.size() - used < onBad.size() + 8) out.resize(out.size() * 2 + onBad.size());
      std::memcpy(out.data() + used, onBad.data(), onBad.size());
      used += onBad.size();
      iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    }
    out.resize(used);
    return out;
  }

 private:
  iconv_t cd_;
};

// Length of the UTF-8 character at the front of s when it is a complete, valid
// sequence (so a character GBK lacks is replaced whole), else 1.
size_t utf8BadLength(std::string_view s) {
  auto b = static_cast<unsigned char>(s[0]);
  size_t len = b < 0x80 ? 1 : (b >> 5) == 0x6 ? 2 : (b >> 4) == 0xE ? 3 : (b >> 3) == 0x1E ? 4 : 1;
  if (len > s.size()) return 1;
  for (size_t i = 1; i < len; ++i)
    if ((static_cast<unsigned char>(s[i]) & 0xC0) != 0x80) return 1;
  return len;
}

}  // namespace

std::string utf8ToGbk(std::string_view utf8) {
  thread_local Converter c("CP936", "UTF-8");
  return c.run(utf8, "?", utf8BadLength);
}

std::string gbkToUtf8(std::string_view gbk) {
  thread_local Converter c("UTF-8", "CP936");
  return c.run(gbk, "\xEF\xBF\xBD", [](std::string_view) -> size_t { return 1; });
}

}  // namespace tessaly
