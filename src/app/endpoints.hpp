#pragma once
// Where the outside services are, and where the program keeps its files.
#include <string>

namespace tessaly {

struct Endpoints {
  std::string itemHost = "item.taobao.com";      // host[:port] of item pages
  std::string mallItemHost = "detail.tmall.com";  // host[:port] of mall item pages
  std::string apiGateway = "http://gw.api.taobao.com";
  std::string vendorService = "http://127.0.0.1:17800";

  // The compiled defaults, each replaced by its TESSALY_* environment variable when set.
  static Endpoints fromEnvironment();
};

// The run directory (GBK, no trailing separator): TESSALY_RUN_DIR when set, else the
// folder of the program file.
std::string runDirectory();

// The platform's path separator.
inline constexpr char kPathSeparator = '/';
inline const std::string kPathSeparatorText(1, kPathSeparator);

}  // namespace tessaly
