#pragma once
// A flag a caller can trip to end exchanges at once: a Stop must never wait for a slow
// server. Copies share the flag, so one token handed to several workers stops them all.
#include <cstdint>
#include <functional>
#include <memory>

namespace tessaly {

class CancelToken {
 public:
  CancelToken();

  // Trips the flag and wakes every exchange that is waiting on it.
  void cancel() const;
  // Clears the flag for the next run.
  void reset() const;
  bool cancelled() const;

  // While the returned guard lives, `wake` runs (on the cancelling thread) when the token
  // is tripped; it runs at once when it already is. The guard's destruction waits for a
  // `wake` that is running, so whatever `wake` touches may be released right after it.
  class WakeGuard {
   public:
    WakeGuard() = default;
    WakeGuard(WakeGuard&& other) noexcept;
    WakeGuard& operator=(WakeGuard&& other) noexcept;
    ~WakeGuard();

   private:
    friend class CancelToken;
    struct State;
    WakeGuard(std::shared_ptr<State> state, std::uint64_t id) : state_(std::move(state)), id_(id) {}
    void release();
    std::shared_ptr<State> state_;
    std::uint64_t id_ = 0;
  };
  [[nodiscard]] WakeGuard onCancel(std::function<void()> wake) const;

 private:
  std::shared_ptr<WakeGuard::State> state_;
};

}  // namespace tessaly
