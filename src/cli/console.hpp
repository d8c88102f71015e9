#pragma once
// The command line's terminal output: log lines as UTF-8 on standard error, and a
// progress bar below them when standard error is a terminal.
#include <mutex>
#include <string>

namespace tessaly::cli {

class Console {
 public:
  explicit Console(bool quiet);
  // A line of the activity log (GBK, ending in CR LF).
  void logLine(const std::string& gbkLine);
  // Progress of a run: `done` of `total` items.
  void progress(int done, int total);
  // Text for standard error, outside the log (UTF-8).
  void error(const std::string& utf8);
  void finishProgress();

 private:
  void drawBar();

  std::mutex mutex_;
  bool quiet_;
  bool terminal_;
  int done_ = 0;
  int total_ = 0;
  bool barShown_ = false;
};

}  // namespace tessaly::cli
