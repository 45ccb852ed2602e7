#pragma once

#include "core/app/clock.h"
#include "core/app/paths.h"
#include "core/events/event_table.h"
#include "core/namedays/namedays.h"
#include "core/settings/settings_record.h"
#include "gui/platform/dialogs.h"
#include "gui/state/app_state.h"
#include "gui/state/watch.h"
#include "gui/widgets/mode_switch.h"
#include "gui/widgets/service_view.h"

#include <QWidget>
#include <array>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QLabel;
class QTabWidget;
class QToolButton;
class QCloseEvent;

namespace Ui {
class MainWindow;
}

namespace zel::gui {

class ActionsTab;
class EventsTab;
class NewEventTab;
class PartnersTab;
class SettingsTab;
class QtTray;
class Autostart;
class Shell;
class Sound;
class SummaryBox;
class AlertWindow;
class MissedWindow;
class CelebrantNotice;
class DesktopNotices;
class Tray;
class TrayController;
class Watch;
class Notifier;
class SecretStore;
class SyncController;

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
    // The desktop's password store for the sync account; none keeps passwords for the run only.
    SecretStore* secrets = nullptr;
};

// The frame: builds the tabs, the alert, the watch, the summary box and the tray menu's controller,
// and wires them. The program's data lives in the state, which the window creates and owns.
class MainWindow : public QWidget {
  public:
    enum Tab { TabNewEvent = 0, TabEvents, TabPartners, TabActions, TabSettings, TabHelp };

    // `readAhead` is a reader of the data files the program started before it knew the Data folder;
    // it is taken when it reads that folder.
    MainWindow(AppPaths paths, Services services, QWidget* parent = nullptr,
               std::unique_ptr<DataReader> readAhead = nullptr);
    ~MainWindow() override;

    // Start-up: the Data folder, the first files, settings, tables and the window's state. A failure
    // ends it where it happened and shows the error box; the window still opens. What the first
    // frame does not need is done within the start, or left to finishStart(), which the program calls
    // once its window is drawn: the tables the first frame does not show, the look at what fell due
    // while the program was off, and the start-up notice of the coming name days and birthdays.
    enum class StartNotice { Now, Later };
    void start(StartNotice notice = StartNotice::Now);
    // The rest of a start that left it for later; the start-up notice when the settings ask for it.
    void finishStart();

    using ModeSource = ModeSwitch::Source;
    void switchMode(ModeSource source) { modeSwitch_->switchMode(source); }
    void onModeButtonClicked() { switchMode(ModeSource::ModeButton); }

    // The tray's menu and clicks: what it asks and what its items do.
    void attachTray(QtTray& tray);
    // A click on the tray icon or its first item: hides a visible window, shows a hidden one.
    void toggleMainWindow();
    // The tray menu's "Új esemény".
    void openNewEventTab();
    // The tray's "Névnapkeresés".
    void openNameDaySearch();
    // The tray's "Kilépés": through the shutdown notice when it is set.
    void exitFromTray();
    // Starts a new partner on the partners tab with this name, the caret before it.
    void startNewPartner(const QString& name);

    void showMainWindow();
    // A later start asked for the window: shown, restored and raised with the desktop's activation
    // token. On Wayland, where the compositor may still keep it back, a window that has not come
    // forward a second later is announced in the desktop's notification list.
    void comeForward(const QString& activationToken);
    // Every way out ends here; nothing is written at exit. The handler runs once the window is
    // hidden (QCoreApplication::quit unless a test replaces it).
    void exitProgram();
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

    // Whether the window should appear when the event loop starts.
    bool startHidden() const { return startHidden_; }

    AppState& state() const { return *state_; }
    Watch& watch() const { return *watch_; }
    // The settings as the settings tab's controls hold them.
    const Settings& settings() const { return state_->settings(); }
    const EventBook& events() const { return state_->events(); }
    const std::vector<std::string>& partnerNames() const { return state_->partnerNames(); }
    // The extended calendar's names in the alphabet's order, sorted when first asked for.
    const std::vector<std::string>& allNames();

    QTabWidget* pages() const { return pages_; }
    QLabel* clockDisplay() const { return clockDisplay_; }
    QToolButton* modeButton() const { return modeButton_; }
    SummaryBox* summaryBox() const { return summaryBox_; }
    // The tabs not shown at start are built when first wanted: shown, or asked for here.
    NewEventTab* newEventTab();
    EventsTab* eventsTab() const { return eventsTab_; }
    PartnersTab* partnersTab();
    ActionsTab* actionsTab();
    SettingsTab* settingsTab() const { return settingsTab_; }
    // The alert's window, made when first wanted.
    AlertWindow* alertWindow();
    SyncController* syncController() const { return sync_; }
    MissedWindow* missedWindow();

  protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

  private:
    void buildWindow();
    void connectTabs();
    // Builds and wires the tab of a page that waits for it; nothing for a page already built.
    void ensureTab(int index);
    // The help text, written when the help tab is first shown.
    void fillHelp();
    void keepHelpAndSummaryLast();
    void connectAlert();
    void connectSync();
    // The service view, made when its marker is there at start.
    void showServiceView();
    // The designed size, or more where the font needs it.
    void fitWindow();
    void startUp();
    // The start-up notice, when the settings ask for it.
    void showStartNotice();
    // Paints the window in the live settings' colours.
    void applyColors();
    void fireReminder(const EventRow& row, Moment now);
    void showMissed(const std::vector<MissedEvent>& events);
    // Shows, restores and raises the window, handing the compositor `activationToken`.
    void bringMainWindowForward(const QString& activationToken);
    // Hides into the tray, or minimises where there is no tray to come back from.
    void hideToTray();
    void editEvent(const QString& occurrenceKey);
    void newEvent();

    Services services_;
    std::unique_ptr<Ui::MainWindow> ui_;
    AppState* state_ = nullptr;
    Watch* watch_ = nullptr;
    CelebrantNotice* notice_ = nullptr;
    TrayController* trayController_ = nullptr;
    std::vector<std::string> allNames_;
    bool startHidden_ = false;
    bool inServiceView_ = false;
    std::unique_ptr<ServiceView> serviceView_;
    std::function<void()> exitHandler_;
    ThemeColors appliedColors_{};
    ModeSwitch* modeSwitch_ = nullptr;
    DesktopNotices* notices_ = nullptr;
    std::unique_ptr<SecretStore> noSecrets_;
    SyncController* sync_ = nullptr;

    QTabWidget* pages_ = nullptr;
    // The empty pages the tabs built on demand go into, by tab; none for the tabs built at once.
    std::array<QWidget*, 5> holders_{};
    bool helpFilled_ = false;
    // Whether the window has been painted in the settings' colours; tabs built later take them too.
    bool themed_ = false;
    QLabel* clockDisplay_ = nullptr;
    QToolButton* modeButton_ = nullptr;
    SummaryBox* summaryBox_ = nullptr;
    NewEventTab* newEventTab_ = nullptr;
    EventsTab* eventsTab_ = nullptr;
    PartnersTab* partnersTab_ = nullptr;
    ActionsTab* actionsTab_ = nullptr;
    SettingsTab* settingsTab_ = nullptr;
    AlertWindow* alert_ = nullptr;
    MissedWindow* missedWindow_ = nullptr;
    // Whether the start left its rest for finishStart(), and the tables it left with it.
    bool finishLater_ = false;
    std::vector<EventKind> tablesLater_;
    // The look the last alert came from.
    Moment firedAt_;
};

} // namespace zel::gui
