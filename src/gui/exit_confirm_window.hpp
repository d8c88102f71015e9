#pragma once
// "退出程序？": the only way to end the program. "确 定" accepts, "取 消" rejects and
// changes nothing.
#include <QDialog>

namespace tessaly {

class ExitConfirmWindow : public QDialog {
  Q_OBJECT

 public:
  explicit ExitConfirmWindow(QWidget* parent = nullptr);
};

}  // namespace tessaly
