#include "gui/platform/shell.h"

#include "core/app/paths.h"
#include "gui/platform/dialogs.h"
#include "gui/text/texts.h"

namespace zel::gui {

QString cannotOpenMessage(const QString& target) {
    return QStringLiteral("Nem sikerült megnyitni:") + kNl + target;
}

namespace {

void report(Dialogs& dialogs, const QString& target) {
    // An empty target asked for nothing.
    if (!target.trimmed().isEmpty())
        dialogs.message(Dialogs::Kind::Stop, QString::fromUtf8(kAppTitle),
                        cannotOpenMessage(target.trimmed()), Dialogs::Ok);
}

} // namespace

void openOrReport(Shell& shell, Dialogs& dialogs, const QString& file, const QString& parameters) {
    if (!shell.open(file, parameters))
        report(dialogs, parameters.isEmpty() ? file : file + QLatin1Char(' ') + parameters);
}

void openAddressOrReport(Shell& shell, Dialogs& dialogs, const QString& address) {
    if (!shell.openAddress(address)) report(dialogs, address);
}

} // namespace zel::gui
