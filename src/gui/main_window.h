#pragma once

#include "core/app/clock.h"
#include "core/app/paths.h"
#include "core/events/event_table.h"
#include "core/namedays/namedays.h"
#include "core/settings/settings_record.h"
#include "gui/alert/alert_host.h"
#include "gui/platform/dialogs.h"
#include "gui/state/app_state.h"

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QTabWidget;
class QTimer;
class QToolButton;
class QTableView;
class QCloseEvent;

namespace zel::gui {

class EventsTab;
class MonthCalendar;
class NewEventTab;
class PartnersTab;
class SettingsTab;
class Autostart;
class Shell;
class Sound;
class SummaryBox;
class TfAkcio;
class Tray;

// What the main window needs from the platform; tests hand in scripted and recording ones.
struct Services {
    Dialogs& dialogs;
    Clock& clock;
    Shell& shell;
    Sound& sound;
    Tray& tray;
    Autostart& autostart;
};

// The main window owns the program's state: the partner names, the four event tables with their
// next-event rows, the settings and the calendars.
class MainWindow : public QWidget, public AlertHost {
  public:
    enum Tab { TabNewEvent = 0, TabEvents, TabPartners, TabActions, TabSettings, TabHelp };

    MainWindow(AppPaths paths, Services services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: paths, the Data folder, the first files, settings, tables and the window's state.
    // A failure ends it where it happened and shows the error box; the window still opens.
    void FormCreate();

    void PartnerekBetolt();

    // The one-second clock: fires due reminders and programs while active.
    void Timer1Timer();
    // Switches between active and passive mode; source 0 start-up, 1 tray menu, 2 mode button.
    void AktPassziv(QObject* sender, int source);
    void passzivClick() { AktPassziv(nullptr, 2); }
    void passzivMouseMove();
    bool isActive() const { return mAktiv_; }
    // Starts the clock on the next whole second.
    void startClock();

    // The nearest-events summary and its box.
    const std::vector<std::string>& legkozelebbLista() const { return summary_; }
    void rebuildSummary();
    void cLegkozelebbDropDown();
    void cLegkozelebbCloseUp();
    void cLegkozelebbChange();
    // After a new event: the summary's first line into the box.
    void showSummaryFirstLine();
    // The main window became the active window.
    void FormActivate();
    // The tray menu's "Új esemény".
    void N3Click();
    // Starts a new partner on the partners tab with this name, the caret before it.
    void startNewPartner(const QString& name);

    // Every way out ends in Kilepes; nothing is written at exit.
    // Called by Kilepes once the window is hidden; tests replace it.
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

    // Whether the window should appear when the event loop starts.
    bool startHidden() const { return startHidden_; }
    bool serviceView() const { return serviceView_; }

    Dialogs& dialogs() const { return services_.dialogs; }
    Clock& clock() const { return services_.clock; }
    Shell& shell() const { return services_.shell; }
    QString exeFolder() const;
    const std::string& lastSavedPartner() const { return state_->lastSavedPartner(); }
    NewEventTab* newEventTab() const { return newEventTab_; }
    EventsTab* eventsTab() const { return eventsTab_; }
    MonthCalendar* monthCalendar() const { return monthCalendar_; }
    PartnersTab* partnersTab() const { return partnersTab_; }
    TfAkcio* fAkcio() const { return fAkcio_; }
    SummaryBox* cLegkozelebb() const { return cLegkozelebb_; }
    QToolButton* passziv() const { return passziv_; }

    // What the alert window reads and asks.
    SoundChoice soundChoice() const override;
    void selectDefaultSound() override;
    QString ownSoundFile() const override;
    bool startInTray() const override { return settings().startInTray; }
    ThemeColors themeColors() const override { return settings().colors; }
    std::filesystem::path partnerFile() const override { return state_->paths().partners(); }
    void editEvent(const QString& occurrenceKey) override;
    void newEvent() override;
    void mAktivClick() override { AktPassziv(nullptr, 1); }
    void cLegkozelebbFrissit() override;
    bool mainWindowHidden() const override { return isHidden(); }
    void showMainWindow() override;
    void Kilepes() override;
    void pHangClick() override;
    void Contact(int index, const QString& text) override;

    AppState& state() const { return *state_; }
    const AppPaths& paths() const { return state_->paths(); }
    const EventBook& events() const { return state_->events(); }
    // The settings as the settings tab's controls hold them.
    Settings settings() const;
    const std::vector<std::string>& partnerNames() const { return state_->partnerNames(); }
    void setLastSavedPartner(std::string name) { state_->setLastSavedPartner(std::move(name)); }
    Autostart& autostart() const { return services_.autostart; }
    Sound& sound() const { return services_.sound; }
    SettingsTab* settingsTab() const { return settingsTab_; }
    const NameDayCalendar& commonCalendar() const { return state_->commonCalendar(); }
    const NameDayCalendar& extendedCalendar() const { return state_->extendedCalendar(); }
    const std::vector<std::string>& allNames() const { return allNames_; }
    Moment startMoment() const { return start_; }
    QString modeText() const { return modeText_; }

    QTabWidget* pLapok() const { return pLapok_; }
    QLabel* pIdo() const { return pIdo_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    void buildServiceView();
    void loadCalendars();
    void applyOrCreateSettings();
    // Reads every event table at start-up.
    void loadEvents();
    // Paints the window in the live settings' colours.
    void applyColors();
    void refreshServiceView();
    // Hides into the tray, or minimises where there is no tray to come back from.
    void hideToTray();
    // The name-day and birthday notice; until it exists, leaving simply ends the program.
    void NevSzulFigyelmeztet(int mode, bool exitIfNothing, bool withSound);
    void fireReminder(const EventRow& row, Moment now);
    void launchProgram(const EventRow& row);

    Services services_;
    AppState* state_ = nullptr;
    std::vector<std::string> allNames_;
    Moment start_;
    QString modeText_;
    bool startHidden_ = false;
    bool serviceView_ = false;
    std::function<void()> exitHandler_;
    std::vector<std::string> summary_;
    bool mAktiv_ = true;
    ThemeColors appliedColors_{};
    Moment previousTick_;

    QTabWidget* pLapok_ = nullptr;
    QLabel* pIdo_ = nullptr;
    QToolButton* passziv_ = nullptr;
    SummaryBox* cLegkozelebb_ = nullptr;
    QWidget* serviceTables_ = nullptr;
    QWidget* serviceNext_ = nullptr;
    NewEventTab* newEventTab_ = nullptr;
    EventsTab* eventsTab_ = nullptr;
    MonthCalendar* monthCalendar_ = nullptr;
    PartnersTab* partnersTab_ = nullptr;
    SettingsTab* settingsTab_ = nullptr;
    TfAkcio* fAkcio_ = nullptr;
    QTimer* timer_ = nullptr;
};

} // namespace zel::gui
