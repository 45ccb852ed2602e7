#include "gui/platform/qt_shell.h"

#include "core/app/command_split.h"

#include <QDesktopServices>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QUrl>

#include <algorithm>

namespace zel::gui {
namespace {

QStringList toQt(const std::vector<std::string>& words) {
    QStringList out;
    for (const auto& w : words)
        out << QString::fromStdString(w);
    return out;
}

// A bare name ("firefox") is looked up on PATH, as the Windows shell finds programs by name. QProcess
// searches PATH for any name without a slash, so a file found here is passed with its full path.
QString resolveProgram(const QString& name) {
    const QFileInfo info(name);
    if (info.isFile()) return info.absoluteFilePath();
    if (name.contains(QLatin1Char('/'))) return {};
    return QStandardPaths::findExecutable(name);
}

bool namesProgramOrFile(const QString& name) {
    if (name.trimmed().isEmpty()) return false;
    return !resolveProgram(name).isEmpty();
}

// Windows users quote paths out of habit; the desktop wants the bare path.
QString unquoted(QString text) {
    text = text.trimmed();
    if (text.size() >= 2 && text.startsWith(QLatin1Char('"')) && text.endsWith(QLatin1Char('"')))
        text = text.mid(1, text.size() - 2);
    return text;
}

} // namespace

bool QtShell::commandNamesProgram(const QString& command) {
    return splitCommand(
               command.toStdString(),
               [](const std::string& prefix) { return namesProgramOrFile(QString::fromStdString(prefix)); })
        .isProgram;
}

bool QtShell::open(const QString& file, const QString& parameters) {
    bool opened = false;
    if (parameters.isEmpty()) {
        // A stored command: the path may hold spaces, so only the file system can tell where it ends.
        const auto split = splitCommand(file.toStdString(), [](const std::string& prefix) {
            return namesProgramOrFile(QString::fromStdString(prefix));
        });
        if (split.isProgram)
            return startProgram(QString::fromStdString(split.program), toQt(split.arguments));
        const qsizetype space = file.indexOf(QLatin1Char(' '));
        if (space > 0 && openWindowsHabit(file.left(space), file.mid(space + 1), opened)) return opened;
        return openDocument(file);
    }
    if (openWindowsHabit(file, parameters, opened)) return opened;
    if (namesProgramOrFile(file)) return startProgram(file, toQt(splitArguments(parameters.toStdString())));
    return openDocument(file);
}

bool QtShell::openAddress(const QString& address) {
    const QString text = address.trimmed();
    if (text.isEmpty()) return false;
    QUrl url(text);
    // "www.example.hu" has no scheme; the desktop would not know what to do with it.
    if (url.scheme().isEmpty()) url = QUrl::fromUserInput(text);
    return url.isValid() && QDesktopServices::openUrl(url);
}

bool QtShell::startProgram(const QString& program, const QStringList& arguments) {
    const QString path = resolveProgram(program);
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile() && info.isExecutable())
        return QProcess::startDetached(path, arguments);
    // A document named as the program opens in its own application.
    return !path.isEmpty() && openDocument(path);
}

bool QtShell::openDocument(const QString& target) {
    const QString text = target.trimmed();
    if (text.isEmpty()) return false;
    if (QFileInfo::exists(text))
        return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath()));
    // Only an explicit address is handed on: guessing would turn a missing program's bare name into a
    // web address. One letter before the colon is a Windows drive, which cannot exist here.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (!scheme.match(text).hasMatch()) return false;
    const QUrl url(text);
    if (!url.isValid()) return false;
    // A missing file opens nothing; the desktop would otherwise show its own error.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return false;
    return QDesktopServices::openUrl(url);
}

bool QtShell::openWindowsHabit(const QString& file, const QString& parameter, bool& opened) {
    // "C:\Windows\notepad.exe" counts too, so both separators end the folder part.
    const QString trimmed = file.trimmed();
    const QString name = trimmed.mid(
        std::max(trimmed.lastIndexOf(QLatin1Char('/')), trimmed.lastIndexOf(QLatin1Char('\\'))) + 1);
    const QString target = unquoted(parameter);
    const bool notepad = name.compare(QLatin1String("notepad.exe"), Qt::CaseInsensitive) == 0;
    const bool explorer = name.compare(QLatin1String("explorer.exe"), Qt::CaseInsensitive) == 0;
    if (!notepad && !explorer) return false;
    const QFileInfo info(target);
    opened =
        (notepad ? info.isFile() : info.isDir()) && QDesktopServices::openUrl(QUrl::fromLocalFile(target));
    return true;
}

} // namespace zel::gui
