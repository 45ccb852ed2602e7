#include "gui/platform/xdg_autostart.h"

#include "core/app/paths.h"
#include "core/errors.h"
#include "core/storage/record_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <cerrno>

namespace zel::gui {

namespace {
#ifdef Q_OS_WIN
const QString kRunKey =
    QStringLiteral("HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Run");
#endif

// Exec= takes a quoted path with \, ", ` and $ escaped and % doubled; the value as a whole is a
// desktop-entry string, whose own escapes come on top, so every backslash is doubled once more.
QString execQuoted(const QString& path) {
    QString quoted = QStringLiteral("\"");
    for (const QChar c : path) {
        if (c == QLatin1Char('\\') || c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$'))
            quoted += QLatin1Char('\\');
        if (c == QLatin1Char('%')) quoted += QLatin1Char('%');
        quoted += c;
    }
    quoted += QLatin1Char('"');
    QString value;
    for (const QChar c : quoted) {
        if (c == QLatin1Char('\\'))
            value += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            value += QStringLiteral("\\n");
        else if (c == QLatin1Char('\t'))
            value += QStringLiteral("\\t");
        else if (c == QLatin1Char('\r'))
            value += QStringLiteral("\\r");
        else
            value += c;
    }
    return value;
}
} // namespace

QString XdgAutostart::entryPath() {
    QString config = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (config.isEmpty()) config = QDir::homePath() + QStringLiteral("/.config");
    return config + QStringLiteral("/autostart/") + QString::fromUtf8(kAppTitle) + QStringLiteral(".desktop");
}

void XdgAutostart::setAutostart(bool on, const QString& executable) {
#ifdef Q_OS_WIN
    QSettings run(kRunKey, QSettings::NativeFormat);
    if (on)
        run.setValue(QString::fromUtf8(kAppTitle), QDir::toNativeSeparators(executable));
    else
        run.remove(QString::fromUtf8(kAppTitle));
#else
    const QString path = entryPath();
    if (!on) {
        if (QFile::exists(path) && !QFile::remove(path)) throw IoError(EACCES, path.toStdString());
        return;
    }
    if (!QDir().mkpath(QFileInfo(path).absolutePath())) throw IoError(EACCES, path.toStdString());
    const QString entry = QStringLiteral("[Desktop Entry]\nType=Application\nName=") +
                          QString::fromUtf8(kAppTitle) + QStringLiteral("\nExec=") + execQuoted(executable) +
                          QStringLiteral("\nX-GNOME-Autostart-enabled=true\nTerminal=false\n");
    replaceFile(path.toStdString(), entry.toStdString());
#endif
}

bool XdgAutostart::isOn() const {
#ifdef Q_OS_WIN
    return QSettings(kRunKey, QSettings::NativeFormat).contains(QString::fromUtf8(kAppTitle));
#else
    return QFile::exists(entryPath());
#endif
}

} // namespace zel::gui
