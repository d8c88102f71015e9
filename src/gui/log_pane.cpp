#include "gui/log_pane.hpp"

#include <QScrollBar>

#include "app/activity_log.hpp"
#include "gui/qt_text.hpp"

namespace tessaly {

LogPane::LogPane(ActivityLog& log, QWidget* parent) : QPlainTextEdit(parent), log_(log) {
  setReadOnly(true);
  setUndoRedoEnabled(false);
  setLineWrapMode(QPlainTextEdit::WidgetWidth);
  flushTimer_.setSingleShot(true);
  flushTimer_.setInterval(kFlushMilliseconds);
  connect(&flushTimer_, &QTimer::timeout, this, &LogPane::flush);
  // Runs on the appending thread: collect, and have the UI thread arm the flush timer
  // once per batch.
  observerId_ = log_.addObserver([this](const std::string& line) {
    bool first = false;
    {
      std::lock_guard lock(pendingMutex_);
      first = pending_.empty();
      pending_ += line;
    }
    if (first)
      QMetaObject::invokeMethod(
          this,
          [this] {
            if (!flushTimer_.isActive()) flushTimer_.start();
          },
          Qt::QueuedConnection);
  });
}

LogPane::~LogPane() {
  log_.removeObserver(observerId_);
}

void LogPane::flush() {
  std::string batch;
  {
    std::lock_guard lock(pendingMutex_);
    batch.swap(pending_);
  }
  if (batch.empty()) return;
  QString text = fromGbk(batch);
  text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  QTextCursor end(document());
  end.movePosition(QTextCursor::End);
  end.insertText(text);
  verticalScrollBar()->setValue(verticalScrollBar()->maximum());
}

}  // namespace tessaly
