#pragma once
// Where a data package goes. Paths are GBK texts with "/" between folders.
#include <ctime>
#include <string>
#include <string_view>

namespace tessaly {

// run directory + "/csv" + seconds + ".csv", where seconds counts the local wall-clock
// time since 1970-01-01 08:00:00 (the Unix time on a clock set to UTC+8), so two starts
// within one second propose the same path.
std::string defaultSavePath(std::string_view runDirectory);
// The same at the given moment.
std::string defaultSavePath(std::string_view runDirectory, std::time_t now);

struct SavePathParts {
  std::string folder;    // up to and including the last "/"; empty when there is none
  std::string baseName;  // the file name up to its first "."; empty when it has no "."
                         // or starts with one
};
// Splits a save path. The dot is looked for only after the last "/", so folders with
// dots in their names do not matter. The picture folder of a package is
// folder + baseName.
SavePathParts splitSavePath(std::string_view path);

}  // namespace tessaly
