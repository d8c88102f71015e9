#include "app/save_path.hpp"

#include <chrono>

#include "app/endpoints.hpp"

namespace tessaly {

std::string defaultSavePath(std::string_view runDirectory) {
  return defaultSavePath(runDirectory,
                         std::chrono::system_clock::to_time_t(std::chrono::system_clock::now()));
}

std::string defaultSavePath(std::string_view runDirectory, std::time_t now) {
  std::tm local{};
  localtime_r(&now, &local);
  // The local wall-clock reading taken as if it were UTC, less eight hours.
  const long long seconds = static_cast<long long>(timegm(&local)) - 8 * 3600;
  std::string path(runDirectory);
  if (path.empty() || path.back() != kPathSeparator) path += kPathSeparator;
  return path + "csv" + std::to_string(seconds) + ".csv";
}

SavePathParts splitSavePath(std::string_view path) {
  // Neither "/" nor "." occurs as a GBK trail byte, so byte searches are safe.
  const std::size_t slash = path.rfind(kPathSeparator);
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view name = path.substr(nameStart);
  const std::size_t dot = name.find('.');
  return {std::string(path.substr(0, nameStart)),
          dot == std::string_view::npos ? std::string() : std::string(name.substr(0, dot))};
}

}  // namespace tessaly
