#include "gui/error_box.h"

#include "core/app/paths.h"
#include "core/errors.h"
#include "gui/qt_text.h"

#include <stdexcept>

namespace zel::gui {

void showErrorBox(Dialogs& dialogs, const std::exception& e) {
    // Core messages carry Windows-1250 text (a date text may hold any byte).
    const bool fromCore = dynamic_cast<const IoError*>(&e) || dynamic_cast<const DateError*>(&e);
    const std::string text = errorBoxText(e.what());
    dialogs.message(Dialogs::Kind::Stop, QString::fromUtf8(kAppTitle),
                    fromCore ? fromCp(text) : QString::fromStdString(text), Dialogs::Ok);
}

} // namespace zel::gui
