#include "gui/navigation_bar.hpp"

#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>

#include "gui/artwork.hpp"

namespace tessaly {
namespace {

constexpr int kLeftMargin = 10;
constexpr int kTopMargin = 3;

}  // namespace

NavigationBar::NavigationBar(QWidget* parent) : QWidget(parent) {
  setMouseTracking(true);
  setAttribute(Qt::WA_Hover);
  setFixedHeight(64);
}

QString NavigationBar::caption(int button) {
  static const char* const kCaptions[kButtons] = {"开始页面", "单个采集", "列表采集", "店铺采集",
                                                  "下载配置", "使用帮助", "退出系统"};
  if (button < 1 || button > kButtons) return {};
  return QString::fromUtf8(kCaptions[button - 1]);
}

QRect NavigationBar::buttonRect(int button) const {
  return QRect(kLeftMargin + (button - 1) * kCellWidth, kTopMargin, kCellWidth, kCellHeight);
}

QSize NavigationBar::sizeHint() const {
  return QSize(kLeftMargin * 2 + kButtons * kCellWidth, 64);
}

void NavigationBar::refresh() {
  const QPoint mouse = mapFromGlobal(QCursor::pos());
  hovered_ = rect().contains(mouse) ? buttonAt(mouse) : 0;
  pressed_ = 0;
  update();
}

int NavigationBar::buttonAt(const QPoint& point) const {
  for (int b = 1; b <= kButtons; ++b)
    if (buttonRect(b).contains(point)) return b;
  return 0;
}

void NavigationBar::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient band(0, 0, 0, height());
  band.setColorAt(0, QColor(0xf7, 0xfa, 0xfd));
  band.setColorAt(1, QColor(0xdc, 0xe7, 0xf3));
  p.fillRect(rect(), band);

  QFont captionFont = font();
  captionFont.setPixelSize(12);
  p.setFont(captionFont);
  for (int b = 1; b <= kButtons; ++b) {
    const QRectF cell = QRectF(buttonRect(b)).adjusted(1.5, 1.5, -1.5, -1.5);
    const bool down = pressed_ == b && hovered_ == b;
    if (down || hovered_ == b) {
      QLinearGradient face(cell.topLeft(), cell.bottomLeft());
      face.setColorAt(0, down ? QColor(0xb9, 0xd3, 0xee) : QColor(0xff, 0xff, 0xff));
      face.setColorAt(1, down ? QColor(0xd6, 0xe6, 0xf6) : QColor(0xe3, 0xef, 0xfb));
      p.setBrush(face);
      p.setPen(QPen(down ? QColor(0x5b, 0x8d, 0xc4) : QColor(0x9c, 0xbf, 0xe4), 1));
      p.drawRoundedRect(cell, 5, 5);
    }
    const qreal shift = down ? 1 : 0;
    const QColor ink = b == kButtons ? QColor(0xb8, 0x3b, 0x2e) : QColor(0x2d, 0x6c, 0xb5);
    const QRectF iconBox(cell.center().x() - 14 + shift, cell.top() + 4 + shift, 28, 28);
    drawNavIcon(p, static_cast<NavIcon>(b), iconBox, ink);
    p.setPen(QColor(0x27, 0x33, 0x40));
    p.drawText(QRectF(cell.left() + shift, cell.top() + 34 + shift, cell.width(), 18),
               Qt::AlignHCenter | Qt::AlignVCenter, caption(b));
  }
}

void NavigationBar::mouseMoveEvent(QMouseEvent* event) {
  const int now = buttonAt(event->position().toPoint());
  if (now != hovered_) {
    hovered_ = now;
    update();
  }
}

void NavigationBar::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  pressed_ = hovered_ = buttonAt(event->position().toPoint());
  update();
}

void NavigationBar::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const int released = buttonAt(event->position().toPoint());
  const int wasPressed = pressed_;
  pressed_ = 0;
  update();
  // Like any push button: the click counts only when released over the pressed button.
  if (wasPressed != 0 && wasPressed == released) emit clicked(released);
}

void NavigationBar::leaveEvent(QEvent*) {
  hovered_ = 0;
  update();
}

}  // namespace tessaly
