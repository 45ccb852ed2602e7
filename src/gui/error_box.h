#pragma once

#include "gui/platform/dialogs.h"

#include <exception>
#include <utility>

namespace zel::gui {

// The one place that turns a failure no handler caught into the general error box: stop icon, OK,
// the application's title as caption. The action that failed simply ends; nothing is rolled back.
// `withPath` adds the failed file's path on a line of its own, so the user knows what to fix.
void showErrorBox(Dialogs& dialogs, const std::exception& e, bool withPath = false);

// Runs a handler and shows its failure, so no exception ever reaches the event loop.
template <class F> bool guarded(Dialogs& dialogs, F&& handler, bool withPath = false) {
    try {
        std::forward<F>(handler)();
        return true;
    } catch (const std::exception& e) {
        showErrorBox(dialogs, e, withPath);
    } catch (...) {
        showErrorBox(dialogs, std::runtime_error("Ismeretlen hiba"));
    }
    return false;
}

} // namespace zel::gui
