#pragma once

#include "settings/settings_record.h"

#include <QString>
#include <QWidget>

namespace zel::gui {

class MainWindow;

// "Beállítások": every user setting lives in this tab's controls; the file changes only on "Mentés".
class SettingsTab : public QWidget {
  public:
    SettingsTab(MainWindow& main, QWidget* parent = nullptr);

    // The settings as the controls hold them now.
    Settings current() const;
    // Applies a record read at start-up; plays no sound.
    void applyRecord(const SettingsBytes& bytes);
    // Puts every control to its default; writes nothing.
    void AlapBeallit();
    // "Mentés": builds the record over the last one read and writes it; updates the autostart entry.
    void Panel21Click();
    // "Alap-beállítások".
    void Panel22Click();

    SoundChoice soundChoice() const;
    void selectDefaultSound();
    QString chosenSoundFile() const;
    void pHangClick();
    void button_webaddressClick();

  private:
    MainWindow& main_;
    Settings settings_;
    SettingsBytes buffer_{};
};

} // namespace zel::gui
