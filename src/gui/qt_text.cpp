#include "gui/qt_text.hpp"

#include "support/gbk.hpp"

namespace tessaly {

QString fromGbk(const std::string& gbkText) {
  return QString::fromStdString(gbkToUtf8(gbkText));
}

std::string toGbk(const QString& text) {
  return utf8ToGbk(text.toStdString());
}

}  // namespace tessaly
