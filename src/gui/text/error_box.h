#pragma once

#include "gui/platform/dialogs.h"

#include <QString>
#include <exception>
#include <utility>

namespace zel::gui {

// A sentence for the common causes of an I/O failure, by the platform's error number; empty for the
// rest, whose number is all there is to say.
QString ioErrorCause(int code);

// The one place that turns a failure no handler caught into the general error box: stop icon, OK,
// the application's title as caption. The action that failed simply ends; nothing is rolled back.
// An I/O failure adds its cause and, on a line of its own, the file's path, so the user knows what
// to fix.
void showErrorBox(Dialogs& dialogs, const std::exception& e);

// Runs a handler and shows its failure, so no exception ever reaches the event loop.
template <class F> bool guarded(Dialogs& dialogs, F&& handler) {
    try {
        std::forward<F>(handler)();
        return true;
    } catch (const std::exception& e) {
        showErrorBox(dialogs, e);
    } catch (...) {
        showErrorBox(dialogs, std::runtime_error("Ismeretlen hiba"));
    }
    return false;
}

} // namespace zel::gui
