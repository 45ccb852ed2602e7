#pragma once

#include "core/settings/settings_record.h"

#include <QHash>
#include <QString>
#include <QWidget>
#include <string>

class QCheckBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace zel::gui {

class MainWindow;

// "Beállítások": every user setting lives in this tab's controls; the file changes only on "Mentés".
class SettingsTab : public QWidget {
  public:
    // The items of cBeall.
    enum Item { Warnings = 0, AllOccurrences, PastEvents, Hints, Balloon };

    SettingsTab(MainWindow& main, QWidget* parent = nullptr);

    // The settings as the controls hold them now, with the kept colours, sound file and addresses.
    // Every change is handed to the live settings at once.
    Settings current() const;
    // Shows settings read at start-up, in the record's order; plays no sound, writes nothing.
    void showSettings(Settings s);
    // Puts every control to its default; writes nothing.
    void AlapBeallit();
    // "Mentés": builds the record over the last one read and writes it; updates the autostart entry.
    void Panel21Click();
    // "Alap-beállítások": asks, then AlapBeallit.
    void Panel22Click();
    // Writes (on) or removes the entry that starts the program with the user's session.
    void AutoIndit(bool on);

    void cBeallClickCheck();
    void cBeallDblClick();
    void rIndAktivClick();
    void rIndNeClick();
    void rAlapHangClick();
    void rHangClick();
    void pHangClick();
    void pHangMouseDown(Qt::MouseButton button);
    void pHangMouseMove();
    void cNevSzulFigyIndulClick();
    void button_webaddressClick();

    void p11Click() { swatchClick(0); }
    void p13Click() { swatchClick(1); }
    void p14Click() { swatchClick(2); }
    void p15Click() { swatchClick(3); }
    void p16Click() { swatchClick(4); }
    void rkekesClick() { preset(kThemeKekesZold); }
    void rSzurkeClick() { preset(kThemeFeketeFeher); }
    void rBolondosClick() { preset(kThemeBolondos); }
    // Paints the main window in the five theme colours.
    void SzinekAlkalmaz();

    SoundChoice soundChoice() const;
    // Selects "Alapértelmezett hang" without playing it.
    void selectDefaultSound();
    QString chosenSoundFile() const;
    bool itemChecked(Item item) const;

    QGroupBox* gEgyeb = nullptr;
    QListWidget* cBeall = nullptr;
    QPushButton* button_webaddress = nullptr;
    QGroupBox* gBezar = nullptr;
    QRadioButton* rBezarIkon = nullptr;
    QRadioButton* rBezarLeall = nullptr;
    QGroupBox* gWindows = nullptr;
    QRadioButton* rIndAktiv = nullptr;
    QRadioButton* rIndPassziv = nullptr;
    QRadioButton* rIndNe = nullptr;
    QCheckBox* cIkonNezet = nullptr;
    QGroupBox* gHang = nullptr;
    QRadioButton* rAlapHang = nullptr;
    QRadioButton* rHang = nullptr;
    QRadioButton* rNemHang = nullptr;
    QLabel* pHang = nullptr;
    QGroupBox* gNevSzulFigy = nullptr;
    QGroupBox* gNevSzulFigyMikor = nullptr;
    QCheckBox* cNevSzulFigyIndul = nullptr;
    QCheckBox* cNevSzulFigyLeall = nullptr;
    QSpinBox* sNevSzulFigy = nullptr;
    QGroupBox* gSzinek = nullptr;
    QLabel* p11 = nullptr;
    QLabel* p13 = nullptr;
    QLabel* p14 = nullptr;
    QLabel* p15 = nullptr;
    QLabel* p16 = nullptr;
    QRadioButton* rkekes = nullptr;
    QRadioButton* rSzurke = nullptr;
    QRadioButton* rBolondos = nullptr;
    QPushButton* Panel21 = nullptr;
    QPushButton* Panel22 = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void connectAll();
    void setHint(QWidget* w, const QString& hint);
    void setItem(Item item, bool on);
    void selectStart(StartChoice choice);
    void selectSound(SoundChoice choice);
    // The spin follows the two notice boxes.
    void updateNoticeSpin();
    void showSoundName(const std::string& path);
    void swatchClick(std::size_t slot);
    void preset(const ThemeColors& colors);
    QLabel* swatch(std::size_t slot) const;
    // Runs a user's handler; changes made by the program itself run none.
    template <class F> void user(F&& handler);
    // Hands the controls' settings to the live settings.
    void publish();

    MainWindow& main_;
    ThemeColors colors_ = kThemeKekesZold;
    std::string soundFile_;       // the chosen own sound file
    std::string soundDialogFile_; // the sound file dialog's file name
    std::string mapPage_, smsPage_, phonePage_;
    // The hint of every control that shows hints only while cBeall item 3 is on.
    QHash<QWidget*, QString> hints_;
    bool showHints_ = true;
    int quiet_ = 0;
};

} // namespace zel::gui
