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
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QTabWidget;
class QTimer;
class QToolButton;
class QTableView;
class QCloseEvent;

namespace Ui {
class MainWindow;
}

namespace zel::gui {

class ActionsTab;
class EventsTab;
class MonthCalendar;
class NewEventTab;
class PartnersTab;
class SettingsTab;
class QtTray;
class Autostart;
class Shell;
class Sound;
class SummaryBox;
class AlertWindow;
enum class AlertAction;
class Tray;
class Notifier;

// What the main window needs from the platform; tests hand in scripted and recording ones.
struct Services {
    Dialogs& dialogs;
    Clock& clock;
    Shell& shell;
    Sound& sound;
    Tray& tray;
    Autostart& autostart;
    // The desktop's notification list: one for the alerts, one for a later start's "already running".
    Notifier& alertNotifier;
    Notifier& runningNotifier;
    // On Wayland no window can be kept above the others or brought forward by the program itself.
    bool windowsOnWayland = false;
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
    void start();

    void loadPartners();
    // The start's steps; start() shows their failure.
    void startUp();
    // Names each data file whose records could only be read as best they could, once, at start.
    void reportDamagedFiles();

    // The one-second clock: fires due reminders and programs while active.
    void onClockTick();
    // Who asked for the mode switch: the message on the way to passive mode names it.
    enum class ModeSource { StartUp, TrayMenu, ModeButton };
    // Switches between active and passive mode.
    void switchMode(ModeSource source);
    void onModeButtonClicked() { switchMode(ModeSource::ModeButton); }
    void updateModeButtonHint();
    bool isActive() const { return active_; }
    // Starts the clock on the next whole second.
    void startClock();

    // The nearest-events summary and its box.
    const std::vector<std::string>& summaryLines() const { return summary_; }
    void rebuildSummary();
    void onSummaryDropDown();
    void onSummaryCloseUp();
    void onSummaryChosen();
    // After a new event: the summary's first line into the box.
    void showSummaryFirstLine();
    // The main window became the active window.
    void onActivated();
    // The tray menu's "Új esemény".
    void openNewEventTab();
    // Starts a new partner on the partners tab with this name, the caret before it.
    void startNewPartner(const QString& name);
    // The tray menu's "Ma: …" and "Holnap: …" items, and their click: the day's first name as a new
    // partner.
    QString dayMenuCaption(bool tomorrow) const;
    void newPartnerFromDayMenu(const QString& caption);
    // The tray's menu and clicks: what it asks and what its items do.
    void attachTray(QtTray& tray);
    // A click on the tray icon or its first item: hides a visible window, shows a hidden one.
    void toggleMainWindow();
    // A later start asked for the window: shown, restored and raised with the desktop's activation
    // token. On Wayland, where the compositor may still keep it back, a window that has not come
    // forward a second later is announced in the desktop's notification list.
    void comeForward(const QString& activationToken);
    // The tray's "Névnapkeresés".
    void openNameDaySearch();
    // The tray's "Kilépés": through the shutdown notice when it is set.
    void exitFromTray();

    // Every way out ends in exitProgram; nothing is written at exit.
    // Called by exitProgram once the window is hidden; tests replace it.
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
    ActionsTab* actionsTab() const { return actionsTab_; }
    AlertWindow* alertWindow() const { return alert_; }
    SummaryBox* summaryBox() const { return summaryBox_; }
    QToolButton* modeButton() const { return modeButton_; }

    // What the alert window reads and asks.
    SoundChoice soundChoice() const override;
    void selectDefaultSound() override;
    QString ownSoundFile() const override;
    bool startInTray() const override { return settings().startInTray; }
    ThemeColors themeColors() const override { return settings().colors; }
    std::filesystem::path partnerFile() const override { return state_->paths().partners(); }
    void editEvent(const QString& occurrenceKey) override;
    void newEvent() override;
    // The tray menu's "Események figyelése", which the alert's suspend action runs too.
    void suspendWatching() override { switchMode(ModeSource::TrayMenu); }
    void resetSummarySelection() override;
    bool mainWindowHidden() const override { return isHidden(); }
    void showMainWindow() override;
    void exitProgram() override;
    void chooseSoundFile() override;
    void contactAction(ContactLine line, const QString& text) override;

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

    QTabWidget* pages() const { return pages_; }
    QLabel* clockDisplay() const { return clockDisplay_; }

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void buildWindow();
    void buildServiceView();
    // The designed size, or more where the font needs it.
    void fitWindow();
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
    enum class NoticeMode { Shutdown, TrayExit, StartUp };
    void showCelebrantNotice(NoticeMode mode, bool exitIfNothing, bool withSound);
    // A notice asked for while an alert waits for its answer comes after that answer.
    void showWaitingNotice(AlertAction answer);
    void fireReminder(const EventRow& row, Moment now);
    // Posts the alert to the desktop's notification list where the alert window may go unseen.
    void notifyAlert(const QString& text, int minute);
    // Shows, restores and raises the window, handing the compositor `activationToken`.
    void bringMainWindowForward(const QString& activationToken);
    void launchProgram(const EventRow& row);

    Services services_;
    std::unique_ptr<Ui::MainWindow> ui_;
    AppState* state_ = nullptr;
    std::vector<std::string> allNames_;
    Moment start_;
    QString modeText_;
    bool startHidden_ = false;
    bool serviceView_ = false;
    std::function<void()> exitHandler_;
    std::vector<std::string> summary_;
    bool active_ = true;
    ThemeColors appliedColors_{};
    Moment previousTick_;

    QTabWidget* pages_ = nullptr;
    QLabel* clockDisplay_ = nullptr;
    QToolButton* modeButton_ = nullptr;
    SummaryBox* summaryBox_ = nullptr;
    QWidget* serviceTables_ = nullptr;
    QWidget* serviceNext_ = nullptr;
    NewEventTab* newEventTab_ = nullptr;
    EventsTab* eventsTab_ = nullptr;
    MonthCalendar* monthCalendar_ = nullptr;
    PartnersTab* partnersTab_ = nullptr;
    ActionsTab* actionsTab_ = nullptr;
    SettingsTab* settingsTab_ = nullptr;
    AlertWindow* alert_ = nullptr;
    struct NoticeRequest {
        NoticeMode mode;
        bool exitIfNothing, withSound;
    };
    std::optional<NoticeRequest> waitingNotice_;
    // The "already running" notification is on the desktop's list.
    bool runningPosted_ = false;
    QTimer* timer_ = nullptr;
};

} // namespace zel::gui
