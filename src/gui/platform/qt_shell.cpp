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

void QtShell::open(const QString& file, const QString& parameters) {
    if (parameters.isEmpty()) {
        // A stored command: the path may hold spaces, so only the file system can tell where it ends.
        const auto split = splitCommand(file.toStdString(), [](const std::string& prefix) {
            return namesProgramOrFile(QString::fromStdString(prefix));
        });
        if (split.isProgram) {
            startProgram(QString::fromStdString(split.program), toQt(split.arguments));
            return;
        }
        const qsizetype space = file.indexOf(QLatin1Char(' '));
        if (space > 0 && openWindowsHabit(file.left(space), file.mid(space + 1))) return;
        openDocument(file);
        return;
    }
    if (openWindowsHabit(file, parameters)) return;
    if (namesProgramOrFile(file))
        startProgram(file, toQt(splitArguments(parameters.toStdString())));
    else
        openDocument(file);
}

void QtShell::openAddress(const QString& address) {
    const QString text = address.trimmed();
    if (text.isEmpty()) return;
    QUrl url(text);
    // "www.example.hu" has no scheme; the desktop would not know what to do with it.
    if (url.scheme().isEmpty()) url = QUrl::fromUserInput(text);
    if (url.isValid()) QDesktopServices::openUrl(url);
}

void QtShell::startProgram(const QString& program, const QStringList& arguments) {
    const QString path = resolveProgram(program);
    const QFileInfo info(path);
    if (!path.isEmpty() && info.isFile() && info.isExecutable())
        QProcess::startDetached(path, arguments);
    else if (!path.isEmpty())
        openDocument(path); // a document named as the program opens in its own application
}

void QtShell::openDocument(const QString& target) {
    const QString text = target.trimmed();
    if (text.isEmpty()) return;
    if (QFileInfo::exists(text)) {
        QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(text).absoluteFilePath()));
        return;
    }
    // Only an explicit address is handed on: guessing would turn a missing program's bare name into a
    // web address. One letter before the colon is a Windows drive, which cannot exist here.
    static const QRegularExpression scheme(QStringLiteral("^[A-Za-z][A-Za-z0-9+.-]+:"));
    if (!scheme.match(text).hasMatch()) return;
    const QUrl url(text);
    if (!url.isValid()) return;
    // A missing file opens nothing; the desktop would otherwise show its own error.
    if (url.isLocalFile() && !QFileInfo::exists(url.toLocalFile())) return;
    QDesktopServices::openUrl(url);
}

bool QtShell::openWindowsHabit(const QString& file, const QString& parameter) {
    // "C:\Windows\notepad.exe" counts too, so both separators end the folder part.
    const QString trimmed = file.trimmed();
    const QString name = trimmed.mid(
        std::max(trimmed.lastIndexOf(QLatin1Char('/')), trimmed.lastIndexOf(QLatin1Char('\\'))) + 1);
    const QString target = unquoted(parameter);
    if (name.compare(QLatin1String("notepad.exe"), Qt::CaseInsensitive) == 0) {
        if (QFileInfo(target).isFile()) QDesktopServices::openUrl(QUrl::fromLocalFile(target));
        return true;
    }
    if (name.compare(QLatin1String("explorer.exe"), Qt::CaseInsensitive) == 0) {
        if (QFileInfo(target).isDir()) QDesktopServices::openUrl(QUrl::fromLocalFile(target));
        return true;
    }
    return false;
}

} // namespace zel::gui
