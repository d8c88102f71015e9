#pragma once
// The program's pictures, drawn with QPainter so that they scale cleanly and need no
// image files: navigation icons, page banners, the splash picture and the program icon.
#include <QIcon>
#include <QPixmap>
#include <QRectF>

class QPainter;

namespace tessaly {

// The navigation buttons, numbered 1 to 7 from the left.
enum class NavIcon { Start = 1, Single, List, Shop, Configure, Help, Exit };

// Draws the icon of button `icon` into `box` with the given main colour.
void drawNavIcon(QPainter& painter, NavIcon icon, const QRectF& box, const QColor& colour);

// The banner strip's picture for each page or gather mode.
enum class Banner { Start, Single, List, Shop, Configure, Help };
QPixmap bannerPicture(Banner banner, const QSize& size);

// The splash window's picture.
QPixmap splashPicture(const QSize& size);

// The program icon (window, tray).
QIcon programIcon();

}  // namespace tessaly
