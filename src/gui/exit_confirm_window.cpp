#include "gui/exit_confirm_window.hpp"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace tessaly {

ExitConfirmWindow::ExitConfirmWindow(QWidget* parent) : QDialog(parent) {
  setObjectName(QStringLiteral("ExitConfirmWindow"));
  setWindowTitle(QStringLiteral("退出程序？"));
  setFixedSize(273, 163);
  setModal(true);

  auto* icon = new QLabel(this);
  icon->setObjectName(QStringLiteral("图片框1"));
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(40, 40));
  icon->setFixedSize(48, 48);
  auto* text = new QLabel(QStringLiteral("你是否确定退出程序！"), this);
  text->setObjectName(QStringLiteral("标签1"));

  auto* ok = new QPushButton(QStringLiteral("确 定"), this);
  ok->setObjectName(QStringLiteral("按钮1"));
  auto* cancel = new QPushButton(QStringLiteral("取 消"), this);
  cancel->setObjectName(QStringLiteral("按钮2"));
  cancel->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

  auto* top = new QHBoxLayout;
  top->addSpacing(12);
  top->addWidget(icon);
  top->addSpacing(8);
  top->addWidget(text, 1);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addSpacing(16);
  buttons->addWidget(cancel);
  buttons->addStretch(1);
  auto* layout = new QVBoxLayout(this);
  layout->addStretch(1);
  layout->addLayout(top);
  layout->addStretch(1);
  layout->addLayout(buttons);
  layout->addSpacing(6);
}

}  // namespace tessaly
