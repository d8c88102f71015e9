#pragma once
// The one crossing between the core's GBK texts and Qt's strings.
#include <QString>
#include <string>

namespace tessaly {

QString fromGbk(const std::string& gbkText);
std::string toGbk(const QString& text);

}  // namespace tessaly
