#pragma once
// Hands work from the core's threads to the UI thread.
//
// Workers never touch widgets: they post a function here and the UI thread runs it.
// postAndWait is the blocking hand-over a completing batch needs (its run is over only
// when the window has shown the summary). close() makes the channel refuse new work and
// releases every waiting thread, so a window that goes away while a worker waits on it
// can still wait for that worker without deadlocking.
#include <QObject>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

namespace tessaly {

class UiChannel {
 public:
  // Create on the UI thread.
  UiChannel();
  ~UiChannel();
  UiChannel(const UiChannel&) = delete;
  UiChannel& operator=(const UiChannel&) = delete;

  // Runs `work` on the UI thread later, in posting order. False when closed.
  bool post(std::function<void()> work);
  // Runs `work` on the UI thread and returns once it has run, or once the channel was
  // closed (then `work` may never run). On the UI thread itself it runs at once.
  bool postAndWait(std::function<void()> work);
  // UI thread only: refuses further work and wakes every waiter.
  void close();
  // UI thread only: while released, postAndWait posts its work but does not wait for
  // it. For the moments when the UI thread itself waits for the posting threads.
  void setWaitsReleased(bool released);

 private:
  struct Shared;
  std::shared_ptr<Shared> shared_;
};

}  // namespace tessaly
