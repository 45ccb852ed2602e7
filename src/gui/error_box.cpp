#include "gui/error_box.h"

#include "core/app/paths.h"
#include "core/errors.h"
#include "gui/qt_text.h"
#include "gui/texts.h"

#include <QDir>

#include <stdexcept>

namespace zel::gui {

void showErrorBox(Dialogs& dialogs, const std::exception& e, bool withPath) {
    // Core messages carry Windows-1250 text (a date text may hold any byte).
    const auto* io = dynamic_cast<const IoError*>(&e);
    const bool fromCore = io || dynamic_cast<const DateError*>(&e);
    const std::string text = errorBoxText(e.what());
    QString shown = fromCore ? fromCp(text) : QString::fromStdString(text);
    if (withPath && io && !io->path().empty())
        shown += kNl + QDir::toNativeSeparators(QString::fromStdString(io->path()));
    dialogs.message(Dialogs::Kind::Stop, QString::fromUtf8(kAppTitle), shown, Dialogs::Ok);
}

} // namespace zel::gui
