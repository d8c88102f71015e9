#include "cli/console.hpp"

#include <unistd.h>

#include <cstdio>

#include "support/gbk.hpp"

namespace tessaly::cli {

Console::Console(bool quiet) : quiet_(quiet), terminal_(::isatty(STDERR_FILENO) == 1) {}

void Console::logLine(const std::string& gbkLine) {
  if (quiet_) return;
  std::string line = gbkToUtf8(gbkLine);
  while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.pop_back();
  std::lock_guard lock(mutex_);
  if (barShown_) std::fputs("\r\033[K", stderr);
  std::fprintf(stderr, "%s\n", line.c_str());
  if (barShown_) drawBar();
  std::fflush(stderr);
}

void Console::progress(int done, int total) {
  if (quiet_ || !terminal_) return;
  std::lock_guard lock(mutex_);
  done_ = done;
  total_ = total;
  std::fputs("\r\033[K", stderr);
  drawBar();
  barShown_ = true;
  std::fflush(stderr);
}

void Console::drawBar() {
  constexpr int kWidth = 40;
  const int filled = total_ > 0 ? done_ * kWidth / total_ : 0;
  std::fprintf(stderr, "[%s%s] %d/%d", std::string(static_cast<std::size_t>(filled), '#').c_str(),
               std::string(static_cast<std::size_t>(kWidth - filled), ' ').c_str(), done_, total_);
}

void Console::finishProgress() {
  std::lock_guard lock(mutex_);
  if (barShown_) std::fputs("\n", stderr);
  barShown_ = false;
}

void Console::error(const std::string& utf8) {
  std::lock_guard lock(mutex_);
  if (barShown_) std::fputs("\r\033[K", stderr);
  std::fprintf(stderr, "%s\n", utf8.c_str());
  std::fflush(stderr);
}

}  // namespace tessaly::cli
