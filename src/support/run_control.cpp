#include "support/run_control.hpp"

namespace tessaly {

void RunControl::pause() {
  std::lock_guard lock(mutex_);
  paused_ = true;
}

void RunControl::resume() {
  {
    std::lock_guard lock(mutex_);
    paused_ = false;
  }
  changed_.notify_all();
}

void RunControl::stop() {
  {
    std::lock_guard lock(mutex_);
    stopped_ = true;
    cancel_.cancel();
  }
  changed_.notify_all();
}

void RunControl::reset() {
  std::lock_guard lock(mutex_);
  paused_ = false;
  stopped_ = false;
  cancel_ = CancelToken();
}

bool RunControl::paused() const {
  std::lock_guard lock(mutex_);
  return paused_;
}

bool RunControl::stopped() const {
  std::lock_guard lock(mutex_);
  return stopped_;
}

CancelToken RunControl::cancelToken() const {
  std::lock_guard lock(mutex_);
  return cancel_;
}

bool RunControl::checkpoint() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [&] { return !paused_ || stopped_; });
  return !stopped_;
}

bool RunControl::sleepFor(std::chrono::milliseconds duration) {
  std::unique_lock lock(mutex_);
  auto deadline = std::chrono::steady_clock::now() + duration;
  for (;;) {
    if (stopped_) return false;
    if (paused_) {
      // Time spent paused does not count.
      const auto left = deadline - std::chrono::steady_clock::now();
      changed_.wait(lock, [&] { return !paused_ || stopped_; });
      deadline = std::chrono::steady_clock::now() + left;
      continue;
    }
    if (changed_.wait_until(lock, deadline, [&] { return paused_ || stopped_; })) continue;
    return true;
  }
}

}  // namespace tessaly
