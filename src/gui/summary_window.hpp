#pragma once
// "复制完成！": the counts of a finished batch, shown at the bottom right of the screen
// without blocking the window.
#include <QWidget>

#include "package/batch_runner.hpp"

namespace tessaly {

class SummaryWindow : public QWidget {
  Q_OBJECT

 public:
  explicit SummaryWindow(const BatchSummary& summary, QWidget* parent = nullptr);
};

}  // namespace tessaly
