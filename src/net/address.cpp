#include "net/address.hpp"

#include "support/gbk.hpp"
#include "support/text.hpp"

namespace tessaly {

std::string hostOfAddress(std::string_view address, bool keepPort) {
  std::size_t start = findText(address, "http://");
  start = start == kNotFound ? 0 : start + 7;
  std::string_view host = address.substr(start);
  host = host.substr(0, findText(host, "/"));
  if (!keepPort) host = host.substr(0, findText(host, ":"));
  // Only Latin letters are lowered: the second byte of a GBK character may look like one.
  std::string out(host);
  for (std::size_t i = 0; i < out.size(); ++i) {
    const auto c = static_cast<unsigned char>(out[i]);
    if (isGbkLeadByte(c) && i + 1 < out.size())
      ++i;
    else if (c >= 'A' && c <= 'Z')
      out[i] = static_cast<char>(c - 'A' + 'a');
  }
  return out;
}

int portOfAddress(std::string_view address) {
  const std::string host = hostOfAddress(address, true);
  const std::size_t colon = host.find(':');
  if (colon == std::string::npos) return 80;
  const double port = readDecimal(std::string_view(host).substr(colon + 1));
  // Out-of-range numbers stay out of range (and fail to connect) without overflowing.
  if (port < -1) return -1;
  if (port > 65536) return 65536;
  return static_cast<int>(port);
}

std::string pathOfAddress(std::string_view address) {
  const std::string host = hostOfAddress(address, false);
  const std::size_t at = findText(address, host, 0, false);
  if (at == kNotFound) return "/";
  const std::size_t slash = findText(address, "/", at + host.size());
  return slash == kNotFound ? "/" : std::string(address.substr(slash));
}

std::string encodeRequestTarget(std::string_view target) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(target.size());
  for (unsigned char c : target) {
    if (c <= 0x20 || c >= 0x7F || c == '"' || c == '<' || c == '>') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0xF];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace tessaly
