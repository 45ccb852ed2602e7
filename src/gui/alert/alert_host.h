#pragma once

#include "core/partners/partner_record.h"
#include "core/settings/settings_record.h"

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
    virtual void mAktivClick() = 0;
    // Puts the nearest-events box back on its first line.
    virtual void cLegkozelebbFrissit() = 0;
    virtual bool mainWindowHidden() const = 0;
    virtual void showMainWindow() = 0;
    virtual void Kilepes() = 0;
    // The settings' own-sound-file choice.
    virtual void pHangClick() = 0;
    // A partner contact action: 0 e-mail, 1 web, 2 postal address, 3 mobile, 4 landline.
    virtual void Contact(int index, const QString& text) = 0;
};

} // namespace zel::gui
