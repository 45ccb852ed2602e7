#include "gui/platform/contact_action.h"

#include "gui/platform/dialogs.h"
#include "gui/platform/shell.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"

#include <QClipboard>
#include <QGuiApplication>

namespace zel::gui {

QString contactLineLabel(ContactLine line) {
    static const char* const labels[] = {"E-mail cím", "Honlap cím", "Postai cím", "Mobiltelefon szám",
                                         "Vezetékes telefonszám"};
    return QString::fromUtf8(labels[static_cast<int>(line)]);
}

void runContactAction(ContactLine line, const QString& text, const Settings& settings, Dialogs& dialogs,
                      Shell& shell) {
    if (text.size() < 2) return;
    QString target;
    switch (line) {
    case ContactLine::Email:
        target = QStringLiteral("mailto:") + text;
        break;
    case ContactLine::Web:
        target = text;
        break;
    case ContactLine::Address:
        target = fromCp(settings.mapPage);
        break;
    case ContactLine::Mobile:
        target = fromCp(settings.smsPage);
        break;
    case ContactLine::Phone:
        target = fromCp(settings.phonePage);
        break;
    }
    if (line >= ContactLine::Address &&
        dialogs.information(QStringLiteral("Szeretné a kijelölt sort (") + text +
                                QStringLiteral(") kimásolni a Vágólapra?") + kNl +
                                QStringLiteral("(A Vágólap régi tartalma elvész!)"),
                            Dialogs::Yes | Dialogs::No) == Dialogs::Yes) {
        QClipboard* clipboard = QGuiApplication::clipboard();
        clipboard->clear();
        clipboard->setText(text);
    }
    // The page is opened as stored: the user pastes the copied line there.
    openAddressOrReport(shell, dialogs, target);
}

} // namespace zel::gui
