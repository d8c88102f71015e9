#include "gui/artwork.hpp"

#include <QFont>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QtMath>

namespace tessaly {
namespace {

QPen strokePen(const QColor& colour, qreal width) {
  QPen pen(colour, width);
  pen.setCapStyle(Qt::RoundCap);
  pen.setJoinStyle(Qt::RoundJoin);
  return pen;
}

void drawHouse(QPainter& p, const QRectF& b, const QColor& c) {
  p.setPen(strokePen(c, b.width() / 12));
  QPainterPath roof;
  roof.moveTo(b.left() + b.width() * 0.08, b.top() + b.height() * 0.5);
  roof.lineTo(b.center().x(), b.top() + b.height() * 0.1);
  roof.lineTo(b.right() - b.width() * 0.08, b.top() + b.height() * 0.5);
  p.drawPath(roof);
  const QRectF body(b.left() + b.width() * 0.22, b.top() + b.height() * 0.45, b.width() * 0.56,
                    b.height() * 0.45);
  p.drawRect(body);
  p.fillRect(QRectF(body.center().x() - b.width() * 0.08, body.bottom() - body.height() * 0.55,
                    b.width() * 0.16, body.height() * 0.55),
             c);
}

void drawTag(QPainter& p, const QRectF& b, const QColor& c) {
  p.setPen(strokePen(c, b.width() / 12));
  QPainterPath tag;
  tag.moveTo(b.left() + b.width() * 0.15, b.top() + b.height() * 0.15);
  tag.lineTo(b.left() + b.width() * 0.55, b.top() + b.height() * 0.15);
  tag.lineTo(b.right() - b.width() * 0.1, b.top() + b.height() * 0.55);
  tag.lineTo(b.left() + b.width() * 0.55, b.bottom() - b.height() * 0.05);
  tag.lineTo(b.left() + b.width() * 0.15, b.top() + b.height() * 0.55);
  tag.closeSubpath();
  p.drawPath(tag);
  p.setBrush(c);
  p.drawEllipse(QPointF(b.left() + b.width() * 0.35, b.top() + b.height() * 0.35), b.width() * 0.07,
                b.width() * 0.07);
  p.setBrush(Qt::NoBrush);
}

void drawListLines(QPainter& p, const QRectF& b, const QColor& c) {
  p.setPen(strokePen(c, b.width() / 11));
  for (int i = 0; i < 3; ++i) {
    const qreal y = b.top() + b.height() * (0.22 + 0.28 * i);
    p.setBrush(c);
    p.drawEllipse(QPointF(b.left() + b.width() * 0.16, y), b.width() * 0.05, b.width() * 0.05);
    p.setBrush(Qt::NoBrush);
    p.drawLine(QPointF(b.left() + b.width() * 0.34, y), QPointF(b.right() - b.width() * 0.08, y));
  }
}

void drawShop(QPainter& p, const QRectF& b, const QColor& c) {
  p.setPen(strokePen(c, b.width() / 12));
  // Awning with scallops, then the shop front with its door.
  const qreal top = b.top() + b.height() * 0.12;
  const qreal awningBottom = b.top() + b.height() * 0.42;
  p.drawLine(QPointF(b.left() + b.width() * 0.1, top), QPointF(b.right() - b.width() * 0.1, top));
  QPainterPath scallops;
  scallops.moveTo(b.left() + b.width() * 0.06, awningBottom);
  const int count = 4;
  const qreal w = (b.width() * 0.88) / count;
  for (int i = 0; i < count; ++i) {
    const qreal x = b.left() + b.width() * 0.06 + w * i;
    scallops.arcTo(QRectF(x, awningBottom - w / 2, w, w), 180, 180);
  }
  p.drawPath(scallops);
  p.drawLine(QPointF(b.left() + b.width() * 0.1, top),
             QPointF(b.left() + b.width() * 0.06, awningBottom));
  p.drawLine(QPointF(b.right() - b.width() * 0.1, top),
             QPointF(b.right() - b.width() * 0.06, awningBottom));
  const qreal frontTop = awningBottom + w / 2;
  p.drawLine(QPointF(b.left() + b.width() * 0.14, frontTop),
             QPointF(b.left() + b.width() * 0.14, b.bottom() - b.height() * 0.06));
  p.drawLine(QPointF(b.right() - b.width() * 0.14, frontTop),
             QPointF(b.right() - b.width() * 0.14, b.bottom() - b.height() * 0.06));
  p.drawLine(QPointF(b.left() + b.width() * 0.08, b.bottom() - b.height() * 0.06),
             QPointF(b.right() - b.width() * 0.08, b.bottom() - b.height() * 0.06));
  p.drawRect(QRectF(b.center().x() - b.width() * 0.1, b.bottom() - b.height() * 0.34,
                    b.width() * 0.2, b.height() * 0.28));
}

void drawGear(QPainter& p, const QRectF& b, const QColor& c) {
  const QPointF centre = b.center();
  const qreal outer = b.width() * 0.44;
  const qreal inner = b.width() * 0.32;
  QPainterPath gear;
  const int teeth = 8;
  for (int i = 0; i < teeth * 2; ++i) {
    const qreal a0 = (i - 0.35) * M_PI / teeth;
    const qreal a1 = (i + 0.35) * M_PI / teeth;
    const qreal r = (i % 2 == 0) ? outer : inner;
    const QPointF q0(centre.x() + r * qCos(a0), centre.y() + r * qSin(a0));
    const QPointF q1(centre.x() + r * qCos(a1), centre.y() + r * qSin(a1));
    if (i == 0)
      gear.moveTo(q0);
    else
      gear.lineTo(q0);
    gear.lineTo(q1);
  }
  gear.closeSubpath();
  gear.addEllipse(centre, b.width() * 0.14, b.width() * 0.14);
  gear.setFillRule(Qt::OddEvenFill);
  p.setPen(Qt::NoPen);
  p.setBrush(c);
  p.drawPath(gear);
  p.setBrush(Qt::NoBrush);
}

void drawQuestion(QPainter& p, const QRectF& b, const QColor& c) {
  p.setPen(strokePen(c, b.width() / 12));
  p.drawEllipse(
      b.adjusted(b.width() * 0.08, b.height() * 0.08, -b.width() * 0.08, -b.height() * 0.08));
  QPainterPath hook;
  hook.moveTo(b.left() + b.width() * 0.36, b.top() + b.height() * 0.38);
  hook.cubicTo(b.left() + b.width() * 0.36, b.top() + b.height() * 0.2, b.left() + b.width() * 0.66,
               b.top() + b.height() * 0.2, b.left() + b.width() * 0.64, b.top() + b.height() * 0.4);
  hook.cubicTo(b.left() + b.width() * 0.62, b.top() + b.height() * 0.52, b.center().x(),
               b.top() + b.height() * 0.5, b.center().x(), b.top() + b.height() * 0.62);
  p.drawPath(hook);
  p.setBrush(c);
  p.drawEllipse(QPointF(b.center().x(), b.top() + b.height() * 0.75), b.width() * 0.05,
                b.width() * 0.05);
  p.setBrush(Qt::NoBrush);
}

void drawPower(QPainter& p, const QRectF& b, const QColor& c) {
  p.setPen(strokePen(c, b.width() / 11));
  const QRectF ring =
      b.adjusted(b.width() * 0.14, b.height() * 0.16, -b.width() * 0.14, -b.height() * 0.12);
  p.drawArc(ring, 120 * 16, -240 * 16);
  p.drawLine(QPointF(b.center().x(), b.top() + b.height() * 0.06),
             QPointF(b.center().x(), b.center().y()));
}

struct BannerLook {
  QColor from, to;
  const char* title;
  NavIcon icon;
};

BannerLook bannerLook(Banner banner) {
  switch (banner) {
    case Banner::Start:
      return {QColor(0x2d, 0x6c, 0xb5), QColor(0x6f, 0xb1, 0xe8), "开始页面", NavIcon::Start};
    case Banner::Single:
      return {QColor(0x1f, 0x86, 0x6a), QColor(0x6c, 0xc9, 0xa6), "单个采集", NavIcon::Single};
    case Banner::List:
      return {QColor(0x2b, 0x7a, 0x8f), QColor(0x72, 0xc0, 0xcf), "列表采集", NavIcon::List};
    case Banner::Shop:
      return {QColor(0xc0, 0x5a, 0x1c), QColor(0xf0, 0xa4, 0x5b), "店铺采集", NavIcon::Shop};
    case Banner::Configure:
      return {QColor(0x5b, 0x4b, 0x9e), QColor(0x9e, 0x8f, 0xd8), "下载配置", NavIcon::Configure};
    case Banner::Help:
      return {QColor(0x4a, 0x5d, 0x6e), QColor(0x95, 0xa8, 0xb8), "使用帮助", NavIcon::Help};
  }
  return {Qt::darkGray, Qt::gray, "", NavIcon::Start};
}

}  // namespace

void drawNavIcon(QPainter& painter, NavIcon icon, const QRectF& box, const QColor& colour) {
  painter.save();
  painter.setRenderHint(QPainter::Antialiasing);
  switch (icon) {
    case NavIcon::Start:
      drawHouse(painter, box, colour);
      break;
    case NavIcon::Single:
      drawTag(painter, box, colour);
      break;
    case NavIcon::List:
      drawListLines(painter, box, colour);
      break;
    case NavIcon::Shop:
      drawShop(painter, box, colour);
      break;
    case NavIcon::Configure:
      drawGear(painter, box, colour);
      break;
    case NavIcon::Help:
      drawQuestion(painter, box, colour);
      break;
    case NavIcon::Exit:
      drawPower(painter, box, colour);
      break;
  }
  painter.restore();
}

QPixmap bannerPicture(Banner banner, const QSize& size) {
  const BannerLook look = bannerLook(banner);
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, size.width(), 0);
  fill.setColorAt(0, look.from);
  fill.setColorAt(1, look.to);
  p.fillRect(pixmap.rect(), fill);
  // Soft rings on the right keep the strip from looking flat behind the hint text.
  p.setPen(QPen(QColor(255, 255, 255, 40), 2));
  for (int i = 0; i < 4; ++i)
    p.drawEllipse(QPointF(size.width() - 60 - i * 38, size.height() / 2.0), 26 + i * 6, 26 + i * 6);
  const qreal h = size.height();
  drawNavIcon(p, look.icon, QRectF(10, h * 0.18, h * 0.64, h * 0.64), Qt::white);
  QFont font = p.font();
  font.setPixelSize(qRound(h * 0.42));
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(QRectF(10 + h * 0.8, 0, 150 - h * 0.8, h), Qt::AlignVCenter | Qt::AlignLeft,
             QString::fromUtf8(look.title));
  p.setPen(QColor(255, 255, 255, 90));
  p.drawLine(QPointF(0, h - 1), QPointF(size.width(), h - 1));
  return pixmap;
}

QPixmap splashPicture(const QSize& size) {
  QPixmap pixmap(size);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient fill(0, 0, size.width(), size.height());
  fill.setColorAt(0, QColor(0x1d, 0x4f, 0x91));
  fill.setColorAt(1, QColor(0x4f, 0xa3, 0xe0));
  p.fillRect(pixmap.rect(), fill);
  p.setPen(Qt::NoPen);
  for (int i = 0; i < 6; ++i) {
    p.setBrush(QColor(255, 255, 255, 14 + i * 4));
    p.drawEllipse(QPointF(size.width() * 0.82, size.height() * 0.25), 150 - i * 22, 150 - i * 22);
  }
  // The four stages of the work as icons along the bottom.
  const NavIcon stages[] = {NavIcon::Single, NavIcon::Shop, NavIcon::Configure, NavIcon::List};
  for (int i = 0; i < 4; ++i)
    drawNavIcon(p, stages[i], QRectF(40 + i * 56, size.height() - 78, 36, 36),
                QColor(255, 255, 255, 210));
  QFont title = p.font();
  title.setPixelSize(46);
  title.setBold(true);
  p.setFont(title);
  p.setPen(Qt::white);
  p.drawText(QRectF(36, 40, size.width() - 72, 60), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("Tessaly"));
  QFont subtitle = p.font();
  subtitle.setPixelSize(18);
  subtitle.setBold(false);
  p.setFont(subtitle);
  p.drawText(QRectF(38, 102, size.width() - 76, 30), Qt::AlignLeft | Qt::AlignVCenter,
             QString::fromUtf8("宝贝采集 · 数据包生成"));
  QFont version = p.font();
  version.setPixelSize(13);
  p.setFont(version);
  p.setPen(QColor(255, 255, 255, 200));
  p.drawText(QRectF(38, 132, size.width() - 76, 24), Qt::AlignLeft | Qt::AlignVCenter,
             QStringLiteral("V3.06"));
  return pixmap;
}

QIcon programIcon() {
  QIcon icon;
  for (int side : {16, 24, 32, 48, 64, 128}) {
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(0, 0, side, side);
    fill.setColorAt(0, QColor(0x2d, 0x6c, 0xb5));
    fill.setColorAt(1, QColor(0x4f, 0xa3, 0xe0));
    p.setBrush(fill);
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(0, 0, side, side), side * 0.2, side * 0.2);
    drawNavIcon(p, NavIcon::Single, QRectF(side * 0.18, side * 0.18, side * 0.64, side * 0.64),
                Qt::white);
    icon.addPixmap(pixmap);
  }
  return icon;
}

}  // namespace tessaly
