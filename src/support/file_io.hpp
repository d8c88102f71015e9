#pragma once
// Files and folders by GBK path text. The one place where paths meet the file system:
// GBK is converted to the file system's UTF-8 here and nowhere else.
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// The file system's form (UTF-8) of a GBK path.
std::string fileSystemPath(std::string_view gbkPath);
// The GBK form of a file system path.
std::string gbkPath(std::string_view fileSystemPath);

// The whole file, or nothing when it cannot be read.
std::optional<std::string> readWholeFile(std::string_view gbkPath);

struct WriteResult {
  bool ok = false;
  std::string error;  // why not, in the system's words (GBK)
};
// Creates or replaces the file with `bytes`.
WriteResult writeWholeFile(std::string_view gbkPath, std::string_view bytes);
// The same, but the file changes in one step: a temporary file beside it is written and
// renamed over it, so a reader never sees half a file and a failure leaves the old one.
WriteResult writeWholeFileAtomically(std::string_view gbkPath, std::string_view bytes);
// Creates the folder and its parents; true when it exists afterwards.
bool makeDirectories(std::string_view gbkPath);
bool fileExists(std::string_view gbkPath);

}  // namespace tessaly
