#pragma once
#include <string>
#include <string_view>

namespace tessaly {

// run directory + "/csv" + seconds since 1970-01-01 08:00:00 local + ".csv".
std::string defaultSavePath(std::string_view runDirectory);

struct SavePathParts {
  std::string folder;    // up to and including the last separator
  std::string baseName;  // the file name up to its first "."
};
// Splits a save path; the dot is looked for only after the last separator.
SavePathParts splitSavePath(std::string_view path);

}  // namespace tessaly
