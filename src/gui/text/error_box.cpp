#include "gui/text/error_box.h"

#include "core/app/paths.h"
#include "core/errors.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"

#include <QDir>
#include <QFile>

#include <cerrno>
#include <stdexcept>

namespace zel::gui {

QString ioErrorCause(int code) {
    switch (code) {
    case ENOSPC:
        return QStringLiteral("Nincs elég szabad hely a lemezen.");
    case EDQUOT:
        return QStringLiteral("Elfogyott a felhasználónak engedélyezett lemezterület.");
    case EFBIG:
        return QStringLiteral("Az állomány nagyobb lenne, mint amekkorát a lemez vagy a rendszer megenged.");
    case EACCES:
    case EPERM:
        return QStringLiteral("Nincs jogosultság az állomány vagy a mappája eléréséhez.");
    case EROFS:
        return QStringLiteral("A lemez, amelyen az állomány van, csak olvasható.");
    case EISDIR:
        return QStringLiteral("Az állomány helyén egy mappa van.");
    case ENOTDIR:
        return QStringLiteral("Az állomány útvonalában egy mappa helyén állomány van.");
    case ENOENT:
        return QStringLiteral("Az állomány vagy a mappája nem létezik.");
    case kReadPastEnd:
        return QStringLiteral("Az állomány rövidebb egy teljes bejegyzésnél, valószínűleg sérült.");
    default:
        return {};
    }
}

void showErrorBox(Dialogs& dialogs, const std::exception& e) {
    // Core messages carry Windows-1250 text (a date text may hold any byte).
    const auto* io = dynamic_cast<const IoError*>(&e);
    const bool fromCore = io || dynamic_cast<const DateError*>(&e);
    const std::string text = errorBoxText(e.what());
    QString shown = fromCore ? fromCp(text) : QString::fromStdString(text);
    if (io) {
        if (const QString cause = ioErrorCause(io->code()); !cause.isEmpty()) shown += kNl + cause;
        if (!io->path().empty())
            shown += kNl + QDir::toNativeSeparators(QFile::decodeName(io->path().c_str()));
    }
    dialogs.message(Dialogs::Kind::Stop, QString::fromUtf8(kAppTitle), shown, Dialogs::Ok);
}

} // namespace zel::gui
