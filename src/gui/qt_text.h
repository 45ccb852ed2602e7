#pragma once

#include "text/cp1250.h"

#include <QString>
#include <string>

namespace zel::gui {

// The core keeps Windows-1250 bytes; widgets show QStrings.
inline QString fromCp(const std::string& cp1250) {
    return QString::fromStdString(cp1250ToUtf8(cp1250));
}
inline std::string toCp(const QString& text) {
    return utf8ToCp1250(text.toStdString());
}

} // namespace zel::gui
