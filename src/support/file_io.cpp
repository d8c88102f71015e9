#include "support/file_io.hpp"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

std::filesystem::path toPath(std::string_view gbk) { return std::filesystem::path(fileSystemPath(gbk)); }

WriteResult failure(const std::string& what) { return {false, utf8ToGbk(what)}; }

// Writes all of `bytes` to a new file at `path` and flushes it to the disk.
WriteResult writeFile(const std::string& path, std::string_view bytes, bool sync) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) return failure(std::strerror(errno));
  std::size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
    if (n < 0) {
      if (errno == EINTR) continue;
      const std::string why = std::strerror(errno);
      ::close(fd);
      return failure(why);
    }
    written += static_cast<std::size_t>(n);
  }
  if (sync && ::fsync(fd) != 0) {
    const std::string why = std::strerror(errno);
    ::close(fd);
    return failure(why);
  }
  if (::close(fd) != 0) return failure(std::strerror(errno));
  return {true, {}};
}

}  // namespace

std::string fileSystemPath(std::string_view gbkPath) { return gbkToUtf8(gbkPath); }
std::string gbkPath(std::string_view fileSystemPath) { return utf8ToGbk(fileSystemPath); }

std::optional<std::string> readWholeFile(std::string_view gbkPath) {
  std::ifstream in(toPath(gbkPath), std::ios::binary);
  if (!in) return std::nullopt;
  std::ostringstream bytes;
  bytes << in.rdbuf();
  if (in.bad()) return std::nullopt;
  return bytes.str();
}

WriteResult writeWholeFile(std::string_view gbkPath, std::string_view bytes) {
  return writeFile(fileSystemPath(gbkPath), bytes, false);
}

WriteResult writeWholeFileAtomically(std::string_view gbkPath, std::string_view bytes) {
  const std::string target = fileSystemPath(gbkPath);
  const std::string temporary = target + ".tmp" + std::to_string(::getpid());
  WriteResult result = writeFile(temporary, bytes, true);
  if (!result.ok) {
    ::unlink(temporary.c_str());
    return result;
  }
  if (::rename(temporary.c_str(), target.c_str()) != 0) {
    const std::string why = std::strerror(errno);
    ::unlink(temporary.c_str());
    return failure(why);
  }
  return result;
}

bool makeDirectories(std::string_view gbkPath) {
  std::error_code ec;
  const auto path = toPath(gbkPath);
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

bool fileExists(std::string_view gbkPath) {
  std::error_code ec;
  return std::filesystem::exists(toPath(gbkPath), ec);
}

}  // namespace tessaly
