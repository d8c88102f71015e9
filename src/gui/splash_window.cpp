#include "gui/splash_window.hpp"

#include <QGuiApplication>
#include <QLabel>
#include <QProgressBar>
#include <QScreen>

#include "gui/artwork.hpp"

namespace tessaly {

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint) {
  setObjectName(QStringLiteral("SplashWindow"));
  setFixedSize(460, 334);
  setAutoFillBackground(true);
  QPalette look = palette();
  look.setColor(QPalette::Window, QColor(0xf2, 0xf6, 0xfb));
  setPalette(look);

  auto* picture = new QLabel(this);
  picture->setObjectName(QStringLiteral("图片框1"));
  picture->setGeometry(0, 0, 460, 280);
  picture->setPixmap(splashPicture(QSize(460, 280)));

  status_ = new QLabel(this);
  status_->setObjectName(QStringLiteral("标签1"));
  status_->setGeometry(70, 285, 320, 16);
  status_->setAlignment(Qt::AlignCenter);

  progress_ = new QProgressBar(this);
  progress_->setObjectName(QStringLiteral("进度条1"));
  progress_->setGeometry(16, 304, 427, 24);
  progress_->setRange(0, 100);
  progress_->setValue(0);
  progress_->setTextVisible(false);

  if (const QScreen* screen = QGuiApplication::primaryScreen())
    move(screen->availableGeometry().center() - rect().center());
}

void SplashWindow::setStatus(const QString& text) {
  status_->setText(text);
}
void SplashWindow::setProgress(int percent) {
  progress_->setValue(percent);
}
QString SplashWindow::status() const {
  return status_->text();
}
int SplashWindow::progress() const {
  return progress_->value();
}

}  // namespace tessaly
