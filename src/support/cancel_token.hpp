#pragma once
#include <atomic>
#include <memory>

namespace tessaly {

// A flag a caller can trip to end an exchange at once: transfers check it while they
// run, so a Stop never waits for a slow server. Copies share the flag.
class CancelToken {
 public:
  CancelToken() : flag_(std::make_shared<std::atomic<bool>>(false)) {}
  void cancel() const { flag_->store(true); }
  void reset() const { flag_->store(false); }
  bool cancelled() const { return flag_->load(); }

 private:
  std::shared_ptr<std::atomic<bool>> flag_;
};

}  // namespace tessaly
