#pragma once

#include "core/partners/partner_record.h"
#include "core/settings/settings_record.h"
#include "gui/platform/contact_action.h"

#include <QString>
#include <filesystem>

namespace zel::gui {

// What the alert window reads from and asks of the main window.
class AlertHost {
  public:
    virtual ~AlertHost() = default;

    // The sound choice of the settings; selectDefaultSound turns an unset choice into the default.
    virtual SoundChoice soundChoice() const = 0;
    virtual void selectDefaultSound() = 0;
    virtual QString ownSoundFile() const = 0;
    virtual bool startInTray() const = 0;
    virtual ThemeColors themeColors() const = 0;
    virtual std::filesystem::path partnerFile() const = 0;

    // "Esemény szerkesztése": open the event with this occurrence key ("2024.03.05.|9:05") in the
    // event listing.
    virtual void editEvent(const QString& occurrenceKey) = 0;
    // "Új esemény felvitele": show the main window on the new-event tab.
    virtual void newEvent() = 0;
    // The active/passive switch of the tray menu.
    virtual void suspendWatching() = 0;
    // Puts the nearest-events box back on its first line.
    virtual void resetSummarySelection() = 0;
    virtual bool mainWindowHidden() const = 0;
    virtual void showMainWindow() = 0;
    virtual void exitProgram() = 0;
    // The settings' own-sound-file choice.
    virtual void chooseSoundFile() = 0;
    // The contact action of a partner's contact line.
    virtual void contactAction(ContactLine line, const QString& text) = 0;
};

} // namespace zel::gui
