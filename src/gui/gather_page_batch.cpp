// The batch buttons (生成数据包 / 暂停 / 停止) and the summary of a finished run.
#include <QLineEdit>
#include <QPushButton>
#include <QThread>
#include <QTimer>

#include "gui/gather_page.hpp"
#include "gui/prompts.hpp"
#include "gui/session.hpp"
#include "gui/summary_window.hpp"

namespace tessaly {

void GatherPage::createRunner(std::function<RunSettings()> settings) {
  BatchRunner::Hooks hooks;
  hooks.settings = settings ? std::move(settings) : [] { return RunSettings{}; };
  hooks.savePath = [this] {
    std::lock_guard lock(savePathMutex_);
    return savePathText_;
  };
  // On the completing worker: the run is over only once the window has its summary.
  hooks.completed = [this](const BatchSummary& summary) {
    channel_.postAndWait([this, summary] { runCompleted(summary); });
  };
  // Reports from a worker arrive late; by then a new run may have started. The buttons
  // show the runner's state as it is when the report is handled.
  hooks.stateChanged = [this](BatchState) {
    if (QThread::currentThread() == thread())
      applyBatchState(runner_->state());
    else
      channel_.post([this] { applyBatchState(runner_->state()); });
  };
  runner_ =
      std::make_unique<BatchRunner>(session_.state, session_.items, session_.log, std::move(hooks));
}

void GatherPage::startBatch() {
  // Starting joins the workers of the last run. One of them may just be handing over its
  // summary; it must not wait for this thread, which is busy joining it. Its summary
  // still opens once this click has been handled.
  channel_.setWaitsReleased(true);
  const StartResult result = runner_->start();
  channel_.setWaitsReleased(false);
  switch (result) {
    case StartResult::EmptySavePath:
      prompts_.message(this, QStringLiteral("提示"),
                       QStringLiteral("请检查保存的文件名是否正确！"));
      return;
    case StartResult::Started:
      // The runner reports Running itself; this keeps the buttons right even if the
      // report is still on its way.
      applyBatchState(runner_->state());
      return;
    case StartResult::EmptyList:
    case StartResult::AlreadyRunning:
      return;
  }
}

void GatherPage::togglePause() {
  switch (runner_->state()) {
    case BatchState::Running:
      runner_->pause();
      break;
    case BatchState::Paused:
      runner_->resume();
      break;
    case BatchState::Idle:
      break;
  }
  applyBatchState(runner_->state());
}

void GatherPage::stopBatch() {
  runner_->stop();
  applyBatchState(runner_->state());
}

void GatherPage::applyBatchState(BatchState state) {
  const bool idle = state == BatchState::Idle;
  startButton_->setEnabled(idle);
  pauseButton_->setEnabled(!idle);
  stopButton_->setEnabled(!idle);
  // The caption follows the state, so a run never starts with a button reading "继续".
  pauseButton_->setText(state == BatchState::Paused ? QStringLiteral("继续")
                                                    : QStringLiteral("暂停"));
  // The picture folder and the package path are fixed for a run: they change only
  // between runs.
  savePathBox_->setReadOnly(!idle);
  changeButton_->setEnabled(idle);
  emit batchStateChanged(state);
}

void GatherPage::runCompleted(const BatchSummary& summary) {
  lastSummary_ = summary;
  summaryButton_->click();
  if (!summary.written) {
    // Not while the worker waits: the box is modal and the run should end first.
    QTimer::singleShot(0, this, [this] {
      prompts_.message(this, QStringLiteral("提示"),
                       QStringLiteral("数据包文件写入失败，请检查保存路径！"));
    });
  }
}

void GatherPage::showSummary() {
  if (summaryWindow_) summaryWindow_->close();
  summaryWindow_ = new SummaryWindow(lastSummary_, window());
  summaryWindow_->show();
}

}  // namespace tessaly
