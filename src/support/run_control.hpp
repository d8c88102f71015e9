#pragma once
// Pause and stop for a group of worker threads. Workers call checkpoint() between steps
// and sleep through sleepFor(); both return false once the group is stopped, and a
// paused worker waits in them without holding anything else. Stop also trips the
// cancellation token, which breaks off the transfers under way.
#include <chrono>
#include <condition_variable>
#include <mutex>

#include "support/cancel_token.hpp"

namespace tessaly {

class RunControl {
 public:
  void pause();
  void resume();
  void stop();
  // A fresh start: not paused, not stopped, a new cancellation token.
  void reset();

  bool paused() const;
  bool stopped() const;
  CancelToken cancelToken() const;

  // Waits while paused; false when stopped.
  bool checkpoint();
  // Sleeps for `duration` (a pause stretches it), waking at once on stop; false when stopped.
  bool sleepFor(std::chrono::milliseconds duration);

 private:
  mutable std::mutex mutex_;
  std::condition_variable changed_;
  bool paused_ = false;
  bool stopped_ = false;
  CancelToken cancel_;
};

}  // namespace tessaly
