#pragma once
// The activity log: time-stamped lines, only ever appended. Every part of the program
// reports here; the window shows it, the command line prints it.
#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace tessaly {

class ActivityLog {
 public:
  using Clock = std::function<std::chrono::system_clock::time_point()>;
  using Observer = std::function<void(const std::string& line)>;

  explicit ActivityLog(Clock clock = [] { return std::chrono::system_clock::now(); });

  // Appends the time stamp followed by `message` (which carries its own CR LF).
  void appendLogLine(const std::string& message);
  // Everything appended so far.
  std::string text() const;
  std::vector<std::string> lines() const;

  // Observers get each new line on the appending thread, in order; they must not append.
  int addObserver(Observer observer);
  void removeObserver(int id);

 private:
  Clock clock_;
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::vector<std::pair<int, Observer>> observers_;
  int nextObserverId_ = 1;
};

}  // namespace tessaly
