#include "gui/ui_channel.hpp"

#include <QThread>

namespace tessaly {

struct UiChannel::Shared {
  std::mutex mutex;
  std::condition_variable wake;
  bool closed = false;
  bool waitsReleased = false;
  // Lives on the UI thread; work posted to it runs there. Deleting it drops what is
  // still queued.
  std::unique_ptr<QObject> receiver = std::make_unique<QObject>();
};

UiChannel::UiChannel() : shared_(std::make_shared<Shared>()) {}

UiChannel::~UiChannel() {
  close();
}

bool UiChannel::post(std::function<void()> work) {
  std::lock_guard lock(shared_->mutex);
  if (shared_->closed) return false;
  std::weak_ptr<Shared> weak = shared_;
  QMetaObject::invokeMethod(
      shared_->receiver.get(),
      [weak, work = std::move(work)] {
        const auto shared = weak.lock();
        if (!shared) return;
        {
          std::lock_guard lock(shared->mutex);
          if (shared->closed) return;
        }
        work();
      },
      Qt::QueuedConnection);
  return true;
}

bool UiChannel::postAndWait(std::function<void()> work) {
  const auto shared = shared_;
  if (QThread::currentThread() == shared->receiver->thread()) {
    {
      std::lock_guard lock(shared->mutex);
      if (shared->closed) return false;
    }
    work();
    return true;
  }
  auto done = std::make_shared<bool>(false);
  const bool posted = post([shared, done, work = std::move(work)] {
    work();
    std::lock_guard lock(shared->mutex);
    *done = true;
    shared->wake.notify_all();
  });
  if (!posted) return false;
  std::unique_lock lock(shared->mutex);
  shared->wake.wait(lock, [&] { return *done || shared->closed || shared->waitsReleased; });
  return *done;
}

void UiChannel::setWaitsReleased(bool released) {
  std::lock_guard lock(shared_->mutex);
  shared_->waitsReleased = released;
  shared_->wake.notify_all();
}

void UiChannel::close() {
  std::unique_ptr<QObject> receiver;
  {
    std::lock_guard lock(shared_->mutex);
    if (shared_->closed) return;
    shared_->closed = true;
    receiver = std::move(shared_->receiver);
    shared_->wake.notify_all();
  }
  // Outside the lock: deleting the receiver destroys queued work, which may hold the
  // last reference to objects whose destructors take the lock.
  receiver.reset();
}

}  // namespace tessaly
