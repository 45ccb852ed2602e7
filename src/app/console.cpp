#include "app/console.h"

#include "gui/text/error_box.h"

namespace zel::app {

void say(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}

void sayBytes(FILE* to, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), to);
    std::fputc('\n', to);
}

int fail(Status status, const QString& text) {
    say(stderr, QStringLiteral("zelmoran: ") + text);
    return status;
}

int failOn(Status status, const QString& text, const std::string& name) {
    sayBytes(stderr, QString(QStringLiteral("zelmoran: ") + text).toStdString() + name);
    return status;
}

int failIo(const QString& what, const IoError& e) {
    std::string line =
        QString(QStringLiteral("zelmoran: ") + what).toStdString() + e.path() + " (" + e.what() + ")";
    if (const QString cause = gui::ioErrorCause(e.code()); !cause.isEmpty())
        line += ". " + cause.toStdString();
    sayBytes(stderr, line);
    return Failure;
}

} // namespace zel::app
