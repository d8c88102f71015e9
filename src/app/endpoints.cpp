#include "app/endpoints.hpp"

#include <cstdlib>
#include <filesystem>

#include "support/file_io.hpp"

namespace tessaly {
namespace {

void takeFromEnvironment(const char* name, std::string& value) {
  if (const char* set = std::getenv(name); set && *set) value = gbkPath(set);
}

}  // namespace

Endpoints Endpoints::fromEnvironment() {
  Endpoints e;
  takeFromEnvironment("TESSALY_ITEM_HOST", e.itemHost);
  takeFromEnvironment("TESSALY_MALL_ITEM_HOST", e.mallItemHost);
  takeFromEnvironment("TESSALY_API_GATEWAY", e.apiGateway);
  takeFromEnvironment("TESSALY_VENDOR_SERVICE", e.vendorService);
  // Paths are appended to these two; a trailing "/" would double up.
  for (std::string* base : {&e.apiGateway, &e.vendorService})
    while (base->ends_with('/')) base->pop_back();
  return e;
}

std::string runDirectory() {
  std::string dir;
  takeFromEnvironment("TESSALY_RUN_DIR", dir);
  if (dir.empty()) {
    std::error_code ec;
    const auto program = std::filesystem::read_symlink("/proc/self/exe", ec);
    dir = gbkPath((ec ? std::filesystem::current_path(ec) : program.parent_path()).string());
  }
  while (dir.size() > 1 && dir.back() == kPathSeparator) dir.pop_back();
  return dir;
}

}  // namespace tessaly
