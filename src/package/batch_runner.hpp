#pragma once
// Generates the data package: five workers take the list rows one at a time, fetch each
// item's answer, assemble its record, download its pictures and add its CSV row; the
// worker that finishes last writes the file and reports the summary.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "package/item_record.hpp"
#include "support/run_control.hpp"

namespace tessaly {

struct ProgramState;
class ItemList;
class ActivityLog;

// The settings a run reads, taken afresh each time they are used so that an edit on
// the configuration page applies at once.
struct RunSettings {
  RecordSettings record;              // price, stock, replacements, package version
  bool downloadDescPictures = false;
  bool hostedPicturesOnly = false;
  int pictureFailureMode = 1;         // 1 keep, 2 delete, 3 retry then delete
};

enum class BatchState { Idle, Running, Paused };

enum class StartResult { Started, EmptyList, EmptySavePath, AlreadyRunning };

struct BatchSummary {
  int itemTotal = 0;
  int successCount = 0;
  int failureCount = 0;
  bool written = false;    // the package file was written
  std::string writeError;  // why not (GBK)
  std::string path;        // where it was written (GBK)
};

class BatchRunner {
 public:
  static constexpr int kWorkers = 5;

  struct Hooks {
    std::function<RunSettings()> settings;      // read at every use
    std::function<std::string()> savePath;      // read when the file is written
    // Called on the completing worker; the run counts as finished only when it returns
    // (the window shows its summary through a blocking hand-over).
    std::function<void(const BatchSummary&)> completed;
    std::function<void(BatchState)> stateChanged;  // on the calling or completing thread
    std::chrono::milliseconds busyPause{5000};     // after a pass through all key pairs
  };

  BatchRunner(ProgramState& state, ItemList& items, ActivityLog& log, Hooks hooks);
  // Stops a run still going and waits for its workers.
  ~BatchRunner();

  // Checks the list and the save path, resets the counters, creates the picture folder
  // and starts the workers.
  StartResult start();
  void pause();
  void resume();
  // Ends the run: workers abandon their items at once (transfers are broken off), write
  // no row and no file, and report no summary.
  void stop();
  BatchState state() const;
  // Blocks until the workers of the current run have ended.
  void wait();

  // The counters of the current or last run.
  BatchSummary summary() const;

 private:
  struct Run;
  void work(const std::shared_ptr<Run>& run, int worker);
  void finish(const std::shared_ptr<Run>& run, int worker, int lastItem);
  void setState(BatchState state);

  ProgramState& state_;
  ItemList& items_;
  ActivityLog& log_;
  Hooks hooks_;
  mutable std::mutex mutex_;
  BatchState batchState_ = BatchState::Idle;
  std::shared_ptr<Run> run_;
  std::vector<std::thread> workers_;
};

}  // namespace tessaly
