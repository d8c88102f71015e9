#pragma once
// Shared bits of the wire tests: addresses on the raw test server and the request lines
// the program always sends.
#include <string>

#include "common/raw_http_server.hpp"

namespace tessaly::testing {

inline constexpr const char* kUserAgentLine =
    "User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; Windows NT 5.0)\r\n";
inline constexpr const char* kAcceptLine =
    "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, application/x-shockwave-flash, "
    "application/vnd.ms-excel, application/vnd.ms-powerpoint, application/msword, */*\r\n";

// Each test talks to its own *.localhost name (libcurl resolves those to the loopback
// address), so the process-wide cookie store of one test never adds lines to another's.
inline std::string at(const RawHttpServer& server, const std::string& name,
                      const std::string& path) {
  return "http://" + name + ".localhost:" + std::to_string(server.port()) + path;
}

inline std::string hostLine(const RawHttpServer& server, const std::string& name) {
  return "Host: " + name + ".localhost:" + std::to_string(server.port()) + "\r\n";
}

// The request head, up to and including the blank line.
inline std::string headOf(const std::string& request) {
  return request.substr(0, request.find("\r\n\r\n") + 4);
}

}  // namespace tessaly::testing
