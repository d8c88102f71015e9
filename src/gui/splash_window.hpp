#pragma once
// The start-up window: the program's picture, a status line and a progress bar.
#include <QWidget>

class QLabel;
class QProgressBar;

namespace tessaly {

class SplashWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SplashWindow(QWidget* parent = nullptr);

  void setStatus(const QString& text);
  void setProgress(int percent);
  QString status() const;
  int progress() const;

 private:
  QLabel* status_;
  QProgressBar* progress_;
};

}  // namespace tessaly
