#pragma once

#include "core/text/cp1250.h"

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

namespace zel::gui {

// Multi-line texts are kept with CR LF line breaks in the files, as the record format has always
// had them; widgets work with LF.
inline std::string toStored(const QString& text) {
    QString t = text;
    t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
        .replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
    return toCp(t);
}
inline QString fromStored(const std::string& cp1250) {
    return fromCp(cp1250).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

// A text of several lines shown on one line, as the grid and the summary show a reminder.
inline QString oneLine(QString text) {
    return text.replace(QStringLiteral("\r\n"), QStringLiteral(" "))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));
}

} // namespace zel::gui
