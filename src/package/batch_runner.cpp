#include "package/batch_runner.hpp"

#include <filesystem>

#include "app/activity_log.hpp"
#include "app/item_list.hpp"
#include "app/program_state.hpp"
#include "openapi/key_list.hpp"
#include "package/package_format.hpp"
#include "package/pictures.hpp"
#include "support/claim.hpp"
#include "support/component_model.hpp"
#include "support/file_io.hpp"
#include "support/gbk.hpp"
#include "support/regex_matcher.hpp"
#include "support/xml_document.hpp"

namespace tessaly {

// One run's shared state. Workers of a stopped run keep theirs alive until they end, so
// a new run never shares counters with them.
struct BatchRunner::Run {
  int32_t itemTotal = 0;
  std::atomic<int32_t> nextItemCounter{0};
  std::atomic<int32_t> finishedWorkers{0};
  std::mutex rowsMutex;  // guards the two below: a row and its count are one step
  int32_t successCount = 0;
  std::string packageRows;
  std::string pictureFolder;
  RunControl control;
  PictureNamer namer;
  BatchSummary summary;
};

namespace {

std::string n(int value) { return std::to_string(value); }

// The picture folder as an absolute path, so that description addresses rewritten to
// it ("file://" + path) can be opened from anywhere.
std::string absoluteFolder(const std::string& gbkFolder) {
  std::error_code ec;
  const auto path = std::filesystem::absolute(fileSystemPath(gbkFolder), ec);
  return ec ? gbkFolder : gbkPath(path.lexically_normal().string());
}

}  // namespace

BatchRunner::BatchRunner(ProgramState& state, ItemList& items, ActivityLog& log, Hooks hooks)
    : state_(state), items_(items), log_(log), hooks_(std::move(hooks)) {}

BatchRunner::~BatchRunner() {
  stop();
  wait();
}

StartResult BatchRunner::start() {
  if (items_.count() == 0) return StartResult::EmptyList;
  if (hooks_.savePath().empty()) return StartResult::EmptySavePath;
  std::vector<std::thread> finished;
  {
    std::lock_guard lock(mutex_);
    if (batchState_ != BatchState::Idle) return StartResult::AlreadyRunning;
    finished.swap(workers_);
  }
  // Workers of an earlier (stopped or completed) run have ended or are ending.
  for (auto& t : finished) t.join();

  auto run = std::make_shared<Run>();
  run->itemTotal = items_.count();
  run->pictureFolder = absoluteFolder(state_.saveFolder + state_.saveBaseName);
  makeDirectories(run->pictureFolder);
  {
    std::lock_guard lock(mutex_);
    run_ = run;
    batchState_ = BatchState::Running;
    for (int w = 1; w <= kWorkers; ++w) workers_.emplace_back([this, run, w] { work(run, w); });
  }
  if (hooks_.stateChanged) hooks_.stateChanged(BatchState::Running);
  return StartResult::Started;
}

void BatchRunner::pause() {
  {
    std::lock_guard lock(mutex_);
    if (batchState_ != BatchState::Running) return;
    run_->control.pause();
    batchState_ = BatchState::Paused;
  }
  if (hooks_.stateChanged) hooks_.stateChanged(BatchState::Paused);
}

void BatchRunner::resume() {
  {
    std::lock_guard lock(mutex_);
    if (batchState_ != BatchState::Paused) return;
    run_->control.resume();
    batchState_ = BatchState::Running;
  }
  if (hooks_.stateChanged) hooks_.stateChanged(BatchState::Running);
}

void BatchRunner::stop() {
  {
    std::lock_guard lock(mutex_);
    if (!run_ || batchState_ == BatchState::Idle) return;
    // The workers are not joined here: one may be handing its summary to the caller's
    // thread, which must stay free to take it. They end on their own at once.
    run_->control.stop();
    batchState_ = BatchState::Idle;
  }
  if (hooks_.stateChanged) hooks_.stateChanged(BatchState::Idle);
}

BatchState BatchRunner::state() const {
  std::lock_guard lock(mutex_);
  return batchState_;
}

void BatchRunner::wait() {
  std::vector<std::thread> workers;
  {
    std::lock_guard lock(mutex_);
    workers.swap(workers_);
  }
  for (auto& t : workers) t.join();
}

BatchSummary BatchRunner::summary() const {
  std::lock_guard lock(mutex_);
  if (!run_) return {};
  std::lock_guard rows(run_->rowsMutex);
  BatchSummary s = run_->summary;
  s.itemTotal = run_->itemTotal;
  s.successCount = run_->successCount;
  return s;
}

void BatchRunner::work(const std::shared_ptr<Run>& run, int w) {
  static const std::string kThread = gbk("线程：");
  static const std::string kStartItem = gbk("  开始下载 第：");
  static const std::string kItemTitle = gbk(" 个宝贝:");
  static const std::string kItemDone = gbk(" 个宝贝 下载完成！\r\n");
  static const std::string kSpaceThread = gbk(" 线程：");
  static const std::string kAt = gbk(" 第：");

  initComponentModel();
  XmlDocument answer;
  RegexMatcher matcher, chineseMatcher;
  ItemRecord record;
  auto log = [this](const std::string& message) { log_.appendLogLine(message); };
  const KeyRotation rotation{state_.appKeys, state_.nextKeyIndex, state_.endpoints.apiGateway,
                             hooks_.busyPause};
  RunControl& control = run->control;
  int lastItem = 0;
  for (;;) {
    if (!control.checkpoint()) return;  // a stopped worker never completes the run
    const int32_t item = claimNext(run->nextItemCounter, run->itemTotal);
    if (item == 0) break;
    lastItem = item;

    const ItemRow row = items_.row(item - 1);
    const std::string at = n(item) + "/" + n(run->itemTotal);
    log(kThread + n(w) + kStartItem + at + kItemTitle + row.title + "\r\n");
    if (!fetchItemAnswer(rotation, row.id, w, answer, control, log)) return;

    const RunSettings settings = hooks_.settings();
    const ItemProgress progress{w, item, run->itemTotal};
    assembleItemRecord(answer, row.id, settings.record, progress, log, record);
    const PictureJob job{run->pictureFolder, settings, progress, log, &control, &run->namer};
    if (!downloadDescriptionPictures(record, job, matcher, chineseMatcher)) return;
    if (!downloadItemPictures(record, answer, job)) return;
    if (!record.title.empty()) {
      const std::string csvRow =
          packageRow(record, hooks_.settings().record.packageVersion, state_.endpoints.mallItemHost);
      std::lock_guard lock(run->rowsMutex);
      run->packageRows += csvRow;
      ++run->successCount;
    }
    log(kSpaceThread + n(w) + kAt + at + kItemDone);
  }
  finish(run, w, lastItem);
}

void BatchRunner::finish(const std::shared_ptr<Run>& run, int w, int lastItem) {
  if (run->finishedWorkers.fetch_add(1) + 1 != kWorkers) return;
  if (run->control.stopped()) return;

  BatchSummary summary;
  {
    std::lock_guard lock(run->rowsMutex);
    summary.itemTotal = run->itemTotal;
    summary.successCount = run->successCount;
  }
  summary.failureCount = summary.itemTotal - summary.successCount;
  log_.appendLogLine(gbk(" 线程：") + n(w) + gbk(" 第：") + n(lastItem) + "/" + n(summary.itemTotal) +
                     gbk(" 个宝贝 下载完成！成功： ") + n(summary.successCount) + gbk(" 失败：") +
                     n(summary.failureCount) + gbk(" 正在写文件...\r\n"));

  summary.path = hooks_.savePath();
  const WriteResult written = writeWholeFileAtomically(
      summary.path, packageHeader(hooks_.settings().record.packageVersion) + run->packageRows);
  summary.written = written.ok;
  summary.writeError = written.error;
  log_.appendLogLine(written.ok ? gbk(" 文件写成功！\r\n") : gbk(" 文件写入失败！") + written.error + "\r\n");
  {
    std::lock_guard lock(run->rowsMutex);
    run->summary = summary;
  }
  if (hooks_.completed) hooks_.completed(summary);
  bool changed = false;
  {
    std::lock_guard lock(mutex_);
    changed = run_ == run && batchState_ != BatchState::Idle;
    if (changed) batchState_ = BatchState::Idle;
  }
  if (changed && hooks_.stateChanged) hooks_.stateChanged(BatchState::Idle);
}

}  // namespace tessaly
