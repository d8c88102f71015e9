#include "support/file_io.hpp"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "support/gbk.hpp"

namespace tessaly {
namespace {

std::string reason(int error) {
  return std::generic_category().message(error);
}

WriteResult failure(std::string_view gbkPath, int error) {
  return {false, std::string(gbkPath) + ": " + reason(error)};
}

// Closes the descriptor on every way out.
class FileDescriptor {
 public:
  explicit FileDescriptor(int fd) : fd_(fd) {}
  ~FileDescriptor() {
    if (fd_ >= 0) ::close(fd_);
  }
  FileDescriptor(const FileDescriptor&) = delete;
  FileDescriptor& operator=(const FileDescriptor&) = delete;
  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }
  // Closes now and reports the close's own error (a full disk may only show here).
  int close() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r == 0 ? 0 : errno;
  }

 private:
  int fd_;
};

// 0 or the errno of the first failing write.
int writeAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return errno;
    }
    bytes.remove_prefix(static_cast<std::size_t>(n));
  }
  return 0;
}

std::string folderOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

}  // namespace

std::string fileSystemPath(std::string_view gbkPath) {
  return gbkToUtf8(gbkPath);
}

std::string gbkPath(std::string_view fileSystemPath) {
  return utf8ToGbk(fileSystemPath);
}

std::optional<std::string> readWholeFile(std::string_view gbkPath) {
  FileDescriptor file(::open(fileSystemPath(gbkPath).c_str(), O_RDONLY | O_CLOEXEC));
  if (!file.valid()) return std::nullopt;
  struct stat info {};
  if (::fstat(file.get(), &info) != 0 || S_ISDIR(info.st_mode)) return std::nullopt;
  std::string bytes;
  if (S_ISREG(info.st_mode)) bytes.reserve(static_cast<std::size_t>(info.st_size));
  char buffer[65536];
  for (;;) {
    const ssize_t n = ::read(file.get(), buffer, sizeof buffer);
    if (n < 0) {
      if (errno == EINTR) continue;
      return std::nullopt;
    }
    if (n == 0) break;
    bytes.append(buffer, static_cast<std::size_t>(n));
  }
  return bytes;
}

WriteResult writeWholeFile(std::string_view gbkPath, std::string_view bytes) {
  if (gbkPath.empty()) return failure(gbkPath, ENOENT);
  FileDescriptor file(
      ::open(fileSystemPath(gbkPath).c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666));
  if (!file.valid()) return failure(gbkPath, errno);
  if (const int error = writeAll(file.get(), bytes)) return failure(gbkPath, error);
  if (const int error = file.close()) return failure(gbkPath, error);
  return {true, {}};
}

WriteResult writeWholeFileAtomically(std::string_view gbkPath, std::string_view bytes) {
  if (gbkPath.empty()) return failure(gbkPath, ENOENT);
  std::string target = fileSystemPath(gbkPath);
  struct stat info {};
  const bool exists = ::stat(target.c_str(), &info) == 0;
  if (exists && S_ISDIR(info.st_mode)) return failure(gbkPath, EISDIR);
  struct stat linkInfo {};
  if (::lstat(target.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
    // Replace what the link points at, not the link itself.
    if (char* resolved = ::realpath(target.c_str(), nullptr)) {
      target = resolved;
      std::free(resolved);
    }
  }

  // The temporary file must sit in the target's folder: rename is only atomic within
  // one file system. A hidden name with the process id and a counter never collides
  // with another writer, and O_EXCL makes sure of it.
  static std::atomic<unsigned> counter{0};
  const std::string folder = folderOf(target);
  const std::string baseName = target.substr(target.rfind('/') + 1);
  std::string temporary;
  int fd = -1;
  for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
    temporary = folder + "/." + baseName + "." + std::to_string(::getpid()) + "-" +
                std::to_string(counter.fetch_add(1)) + ".tmp";
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0 && errno != EEXIST) break;
  }
  if (fd < 0) return failure(gbkPath, errno);
  FileDescriptor file(fd);

  auto fail = [&](int error) {
    ::unlink(temporary.c_str());
    return failure(gbkPath, error);
  };
  if (exists) ::fchmod(file.get(), info.st_mode & 07777);
  if (const int error = writeAll(file.get(), bytes)) return fail(error);
  if (::fsync(file.get()) != 0) return fail(errno);
  if (const int error = file.close()) return fail(error);
  if (::rename(temporary.c_str(), target.c_str()) != 0) return fail(errno);
  return {true, {}};
}

bool makeDirectories(std::string_view gbkPath) {
  if (gbkPath.empty()) return false;
  const std::filesystem::path folder(fileSystemPath(gbkPath));
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  return std::filesystem::is_directory(folder, error);
}

std::string parentFolder(std::string_view gbkPath) {
  // "/" never occurs as a GBK trail byte, so a byte search is safe here.
  const std::size_t slash = gbkPath.rfind('/');
  if (slash == std::string_view::npos) return {};
  if (slash == 0) return "/";
  return std::string(gbkPath.substr(0, slash));
}

bool fileExists(std::string_view gbkPath) {
  struct stat info {};
  return !gbkPath.empty() && ::stat(fileSystemPath(gbkPath).c_str(), &info) == 0;
}

}  // namespace tessaly
