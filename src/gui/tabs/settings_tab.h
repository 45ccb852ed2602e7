#pragma once

#include "core/settings/settings_record.h"
#include "gui/sync/account_dialog.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <memory>
#include <string>

class QLabel;

namespace Ui {
class SettingsTab;
}

namespace zel::gui {

class AppState;
class Autostart;
class Dialogs;
class SecretStore;

// "Beállítások": every user setting lives in this tab's controls; the file changes only on "Mentés".
class SettingsTab : public QWidget {
    Q_OBJECT

  public:
    SettingsTab(AppState& state, Dialogs& dialogs, Autostart& autostart, QWidget* parent = nullptr);
    ~SettingsTab() override;

    // Shows settings read at start-up, in the record's order; plays no sound, writes nothing.
    void showSettings(Settings s);
    // Puts every control to its default and hands them to the live settings; writes no file.
    void resetToDefaults();
    // "Mentés": writes the live settings over the record last read and the further settings file;
    // updates the autostart entry.
    void save();
    // The save of a first start: the record alone. The further settings file is written only when
    // the user saves, so a first start makes no file beside the record that it did not always make.
    void saveRecordOnly();
    // Start-up: the settings files read and shown. An unreadable file is reported and kept; the
    // defaults stand for it. A first start writes the record.
    void loadAtStart();
    // "Alap-beállítások": asks, then resetToDefaults.
    void askResetToDefaults();
    // The three web pages the contact lines open, one input box each.
    void editWebAddresses();
    // The own sound file, chosen in a file dialog.
    void chooseSoundFile();
    // Selects "Alapértelmezett hang" without playing it.
    void selectDefaultSound();
    // What the account dialog needs; until it is given, "Szinkronizálás…" is disabled.
    void setAccountServices(SecretStore& secrets, AccountDialog::Discovery discovery);
    // "Szinkronizálás…": the account dialog, over the tab.
    void openAccountDialog();

  signals:
    // The account dialog saved the account.
    void accountChanged();
    void defaultSoundPreviewRequested();
    void soundFilePreviewRequested(const QString& file);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    // The items of the option list.
    enum Item { Warnings = 0, AllOccurrences, PastEvents, Hints, Balloon };

    // The settings as the controls hold them now, with the kept colours, sound file and addresses.
    Settings current() const;
    // Writes (on) or removes the entry that starts the program with the user's session.
    void setAutostart(bool on);
    void applyHintsOption();
    void toggleCurrentOption();
    void onStartChosen();
    void onNoStartChosen();
    void previewDefaultSound();
    void previewSoundFile();
    void onSoundPanelPressed(Qt::MouseButton button);
    void updateSoundPanelHint();
    void onNoticeBoxClicked();
    // The colours reach the live settings, and with them the window.
    void applyColors();
    SoundChoice soundChoice() const;
    QString chosenSoundFile() const;
    bool optionChecked(Item item) const;
    // Sizes that follow the font: the option list's five rows and the swatches.
    void fitToFont();
    void connectAll();
    void setHint(QWidget* w, const QString& hint);
    void setItem(Item item, bool on);
    void selectStart(StartChoice choice);
    void selectSound(SoundChoice choice);
    // The spin follows the two notice boxes.
    void updateNoticeSpin();
    void showSoundName(const std::string& path);
    void chooseColor(std::size_t slot);
    void preset(const ThemeColors& colors);
    QLabel* swatch(std::size_t slot) const;
    // Runs a user's handler; changes made by the program itself run none.
    template <class F> void user(F&& handler);
    // Hands the controls' settings to the live settings.
    void publish();

    AppState& state_;
    Dialogs& dialogs_;
    Autostart& autostart_;
    SecretStore* secrets_ = nullptr;
    AccountDialog::Discovery discovery_;
    ThemeColors colors_ = kThemeBluishGreen;
    std::string soundFile_;       // the chosen own sound file
    std::string soundDialogFile_; // the sound file dialog's file name
    std::string mapPage_, smsPage_, phonePage_;
    // The hint of every control that has one, shown only while the hints option is on.
    QHash<QWidget*, QString> hints_;
    bool showHints_ = true;

    std::unique_ptr<Ui::SettingsTab> ui_;
    int quiet_ = 0;
};

} // namespace zel::gui
