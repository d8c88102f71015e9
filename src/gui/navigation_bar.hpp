#pragma once
// The header band's strip of seven image buttons: an icon above its caption in a
// 65x58 cell, with hover and pressed looks. A click reports the button number 1-7.
#include <QWidget>

namespace tessaly {

class NavigationBar : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kButtons = 7;
  static constexpr int kCellWidth = 65;
  static constexpr int kCellHeight = 58;

  explicit NavigationBar(QWidget* parent = nullptr);

  // Captions of buttons 1-7.
  static QString caption(int button);
  // Where button 1-7 sits, in the bar's coordinates.
  QRect buttonRect(int button) const;
  // Forgets hover and pressed looks and repaints (the window was activated or lost
  // the focus, so the mouse may have left without the bar seeing it).
  void refresh();

  QSize sizeHint() const override;

 signals:
  void clicked(int button);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;

 private:
  int buttonAt(const QPoint& point) const;

  int hovered_ = 0;
  int pressed_ = 0;
};

}  // namespace tessaly
