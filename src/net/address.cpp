#include "net/address.hpp"

#include <algorithm>
#include <cctype>

#include "support/text.hpp"

namespace tessaly {

std::string hostOfAddress(std::string_view address, bool keepPort) {
  std::size_t start = address.find("http://");
  start = start == std::string_view::npos ? 0 : start + 7;
  std::string_view host = address.substr(start);
  host = host.substr(0, host.find('/'));
  if (!keepPort) host = host.substr(0, host.find(':'));
  std::string out(host);
  std::transform(out.begin(), out.end(), out.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return out;
}

int portOfAddress(std::string_view address) {
  const std::string host = hostOfAddress(address, true);
  const std::size_t colon = host.find(':');
  if (colon == std::string::npos) return 80;
  return static_cast<int>(readDecimal(std::string_view(host).substr(colon + 1)));
}

std::string pathOfAddress(std::string_view address) {
  const std::string host = hostOfAddress(address, false);
  const std::size_t at = findText(address, host, 0, false);
  if (at == kNotFound) return "/";
  const std::size_t slash = address.find('/', at + host.size());
  return slash == std::string_view::npos ? "/" : std::string(address.substr(slash));
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
