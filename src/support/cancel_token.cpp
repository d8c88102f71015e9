#include "support/cancel_token.hpp"

#include <atomic>
#include <mutex>
#include <utility>
#include <vector>

namespace tessaly {

struct CancelToken::WakeGuard::State {
  std::atomic<bool> cancelled{false};
  // Guards the list and is held while wakers run, so a guard never outlives a call of
  // its waker half-way.
  std::mutex mutex;
  std::vector<std::pair<std::uint64_t, std::function<void()>>> wakers;
  std::uint64_t nextId = 1;
};

CancelToken::CancelToken() : state_(std::make_shared<WakeGuard::State>()) {}

void CancelToken::cancel() const {
  std::lock_guard lock(state_->mutex);
  state_->cancelled.store(true);
  for (const auto& entry : state_->wakers) entry.second();
}

void CancelToken::reset() const {
  state_->cancelled.store(false);
}

bool CancelToken::cancelled() const {
  return state_->cancelled.load();
}

CancelToken::WakeGuard CancelToken::onCancel(std::function<void()> wake) const {
  std::lock_guard lock(state_->mutex);
  if (state_->cancelled.load()) wake();
  const std::uint64_t id = state_->nextId++;
  state_->wakers.emplace_back(id, std::move(wake));
  return WakeGuard(state_, id);
}

CancelToken::WakeGuard::WakeGuard(WakeGuard&& other) noexcept
    : state_(std::move(other.state_)), id_(other.id_) {}

CancelToken::WakeGuard& CancelToken::WakeGuard::operator=(WakeGuard&& other) noexcept {
  if (this != &other) {
    release();
    state_ = std::move(other.state_);
    id_ = other.id_;
  }
  return *this;
}

CancelToken::WakeGuard::~WakeGuard() {
  release();
}

void CancelToken::WakeGuard::release() {
  if (!state_) return;
  {
    std::lock_guard lock(state_->mutex);
    std::erase_if(state_->wakers, [this](const auto& entry) { return entry.first == id_; });
  }
  state_.reset();
}

}  // namespace tessaly
