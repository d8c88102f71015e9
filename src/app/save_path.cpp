#include "app/save_path.hpp"

#include <chrono>
#include <ctime>

#include "app/endpoints.hpp"

namespace tessaly {

std::string defaultSavePath(std::string_view runDirectory) {
  const std::time_t now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
  std::tm local{};
  localtime_r(&now, &local);
  // Local wall-clock seconds since 1970-01-01 08:00:00: the Unix time on a UTC+8 clock.
  const long long seconds = static_cast<long long>(timegm(&local)) - 8 * 3600;
  return std::string(runDirectory) + kPathSeparator + "csv" + std::to_string(seconds) + ".csv";
}

SavePathParts splitSavePath(std::string_view path) {
  const std::size_t slash = path.rfind(kPathSeparator);
  const std::size_t nameStart = slash == std::string_view::npos ? 0 : slash + 1;
  const std::string_view name = path.substr(nameStart);
  const std::size_t dot = name.find('.');
  return {std::string(path.substr(0, nameStart)),
          dot == std::string_view::npos ? std::string() : std::string(name.substr(0, dot))};
}

}  // namespace tessaly
