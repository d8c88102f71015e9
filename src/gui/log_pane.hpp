#pragma once
// The activity log pane: read-only, only ever appended to, always scrolled to its end.
// Lines arrive from every thread; they are collected and written into the pane at most
// every 50 ms, so five busy workers cannot flood the event loop.
#include <QPlainTextEdit>
#include <QTimer>
#include <mutex>
#include <string>

namespace tessaly {

class ActivityLog;

class LogPane : public QPlainTextEdit {
  Q_OBJECT

 public:
  static constexpr int kFlushMilliseconds = 50;

  LogPane(ActivityLog& log, QWidget* parent = nullptr);
  ~LogPane() override;

  // Writes the lines collected so far into the pane now.
  void flush();

 private:
  ActivityLog& log_;
  int observerId_ = 0;
  std::mutex pendingMutex_;
  std::string pending_;  // GBK, lines with their own CR LF
  QTimer flushTimer_;
};

}  // namespace tessaly
