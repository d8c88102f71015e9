#include "app/activity_log.hpp"

#include "support/timestamp.hpp"

namespace tessaly {

ActivityLog::ActivityLog(Clock clock) : clock_(std::move(clock)) {}

void ActivityLog::appendLogLine(const std::string& message) {
  std::string line = formatLogTime(clock_()) + message;
  std::lock_guard lock(mutex_);
  for (const auto& [id, observer] : observers_) observer(line);
  lines_.push_back(std::move(line));
}

std::string ActivityLog::text() const {
  std::lock_guard lock(mutex_);
  std::string all;
  for (const auto& line : lines_) all += line;
  return all;
}

std::vector<std::string> ActivityLog::lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

int ActivityLog::addObserver(Observer observer) {
  std::lock_guard lock(mutex_);
  observers_.emplace_back(nextObserverId_, std::move(observer));
  return nextObserverId_++;
}

void ActivityLog::removeObserver(int id) {
  std::lock_guard lock(mutex_);
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

}  // namespace tessaly
