#pragma once
// Files and folders by path text. Paths are GBK texts like every other text of the core;
// this is the one place where they meet the file system, whose names are UTF-8.
#include <optional>
#include <string>
#include <string_view>

namespace tessaly {

// The file system's form (UTF-8) of a GBK path.
std::string fileSystemPath(std::string_view gbkPath);
// The GBK form of a file system path (a program path found on disk, for example).
std::string gbkPath(std::string_view fileSystemPath);

// The whole file, or nothing when it is missing, is a folder or cannot be read.
std::optional<std::string> readWholeFile(std::string_view gbkPath);

struct WriteResult {
  bool ok = false;
  std::string error;  // why not (GBK; names the path and the system's reason)
};

// Creates or replaces the file with `bytes`, written in place.
WriteResult writeWholeFile(std::string_view gbkPath, std::string_view bytes);
// Creates or replaces the file in one step: a temporary file in the same folder is
// written, flushed to disk and renamed over the target, so a reader never sees half a
// file and a failed write leaves the previous contents alone. A replaced file keeps its
// permissions; a symbolic link is followed and its target replaced.
WriteResult writeWholeFileAtomically(std::string_view gbkPath, std::string_view bytes);

// Creates the folder and any missing parents; true when it exists as a folder afterwards.
bool makeDirectories(std::string_view gbkPath);
// The folder part of a path, without its trailing "/" ("" for a bare file name, "/" for
// a file in the root folder).
std::string parentFolder(std::string_view gbkPath);
bool fileExists(std::string_view gbkPath);

}  // namespace tessaly
