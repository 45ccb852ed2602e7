#pragma once

#include <QString>

namespace zel::gui {

// A line break inside a message text: the platform's own.
#ifdef Q_OS_WIN
inline const QString kNl = QStringLiteral("\r\n");
#else
inline const QString kNl = QStringLiteral("\n");
#endif

inline const QString kTitle = QStringLiteral("Zelmoran v1.6.1");
inline const QString kModeActive = QStringLiteral("( Aktív mód )");
inline const QString kModePassive = QStringLiteral("( Passzív mód! )");

} // namespace zel::gui
