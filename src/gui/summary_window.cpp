#include "gui/summary_window.hpp"

#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace tessaly {

SummaryWindow::SummaryWindow(const BatchSummary& summary, QWidget* parent)
    : QWidget(parent, Qt::Window) {
  setObjectName(QStringLiteral("SummaryWindow"));
  setAttribute(Qt::WA_DeleteOnClose);
  setWindowTitle(QStringLiteral("复制完成！"));
  setFixedSize(212, 148);

  auto label = [this](const char* name, const QString& text) {
    auto* l = new QLabel(text, this);
    l->setObjectName(QString::fromUtf8(name));
    return l;
  };
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(24, 14, 14, 14);
  auto* heading = label("透明标签1", QStringLiteral("复制已经完成："));
  QFont bold = heading->font();
  bold.setBold(true);
  heading->setFont(bold);
  layout->addWidget(heading);
  layout->addWidget(label("透明标签4", QStringLiteral("下载总数： %1").arg(summary.itemTotal)));
  layout->addWidget(label("透明标签2", QStringLiteral("成功下载： %1").arg(summary.successCount)));
  layout->addWidget(label("透明标签3", QStringLiteral("下载失败： %1").arg(summary.failureCount)));

  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    const QRect area = screen->geometry();
    move(area.left() + area.width() - width() - 10, area.top() + area.height() - height() - 30);
  }
}

}  // namespace tessaly
