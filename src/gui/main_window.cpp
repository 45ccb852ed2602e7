#include "gui/main_window.h"

#include "core/notice/notice.h"
#include "gui/alert/alert_window.h"
#include "gui/alert/celebrant_notice.h"
#include "gui/alert/desktop_notices.h"
#include "gui/alert/missed_window.h"
#include "gui/platform/contact_action.h"
#include "gui/platform/notifier.h"
#include "gui/platform/qt_tray.h"
#include "gui/platform/shell.h"
#include "gui/platform/tray_controller.h"
#include "gui/platform/window_activation.h"
#include "gui/start/startup.h"
#include "gui/state/watch.h"
#include "gui/sync/secret_store.h"
#include "gui/sync/sync_controller.h"
#include "gui/tabs/actions_tab.h"
#include "gui/tabs/events_tab.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/partners_tab.h"
#include "gui/tabs/settings_tab.h"
#include "gui/text/error_box.h"
#include "gui/text/help_links.h"
#include "gui/text/qt_text.h"
#include "gui/theme/icons.h"
#include "gui/theme/theme.h"
#include "gui/widgets/month_calendar.h"
#include "gui/widgets/service_view.h"
#include "gui/widgets/summary_box.h"
#include "ui_main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QTabBar>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace zel::gui {

namespace {

constexpr int kWidth = 495, kHeight = 321;
constexpr int kServiceWidth = 663, kServiceHeight = 495;

} // namespace

MainWindow::MainWindow(AppPaths paths, Services services, QWidget* parent,
                       std::unique_ptr<DataReader> readAhead)
    : QWidget(parent), services_(services), ui_(std::make_unique<Ui::MainWindow>()),
      state_(new AppState(std::move(paths), services.clock, this)),
      exitHandler_([] { QCoreApplication::quit(); }) {
    // The event files are read on another thread while the window is built.
    state_->readAhead(std::move(readAhead));
    loadBundledCalendars(*state_);
    watch_ = new Watch(*state_, services_.clock, this);
    notices_ = new DesktopNotices(services_.alertNotifier, services_.runningNotifier, *state_,
                                  services_.windowsOnWayland, this);
    buildWindow();
    fitWindow();
    notice_ = new CelebrantNotice([this]() -> AlertWindow& { return *alertWindow(); }, *state_,
                                  services_.clock, this);
    connect(notice_, &CelebrantNotice::exitRequested, this, &MainWindow::exitProgram);
    connectTabs();
    connectSync();
    connect(&services_.alertNotifier, &Notifier::activated, this, [this](const QString& token) {
        if (alert_ && alert_->alertShown())
            alert_->bringForward(token, services_.windowsOnWayland);
        else if (missedWindow_ && missedWindow_->isVisible())
            missedWindow_->bringForward(token, services_.windowsOnWayland);
    });
    summaryBox_->attach(*state_);
    connect(summaryBox_, &SummaryBox::eventChosen, this,
            [this](std::optional<EventKind> kind, const QString& date, const QString& time) {
                guarded(services_.dialogs, [&] { eventsTab_->openEvent(kind, date, time); });
            });
    connect(watch_, &Watch::ticked, summaryBox_, [this] {
        if (watch_->active()) summaryBox_->resetSelection();
    });
    connect(watch_, &Watch::reminderDue, this, &MainWindow::fireReminder);
    connect(watch_, &Watch::missed, this, &MainWindow::showMissed);
    connect(watch_, &Watch::moveFailed, this,
            [this](const IoError& error) { showErrorBox(services_.dialogs, error); });
    connect(watch_, &Watch::programDue, this,
            [this](const EventRow& row) { services_.shell.open(fromCp(row.text), QString()); });
    connect(&services_.runningNotifier, &Notifier::activated, this,
            [this](const QString& token) { bringMainWindowForward(token); });
}

MainWindow::~MainWindow() {
    delete missedWindow_;
    delete alert_;
}

void MainWindow::buildWindow() {
    ui_->setupUi(this);
    setWindowIcon(appIcon());
    pages_ = ui_->pages;
    modeButton_ = ui_->modeButton;
    clockDisplay_ = ui_->clockDisplay;
    summaryBox_ = ui_->summaryBox;
    eventsTab_ = new EventsTab(*state_, services_.dialogs, services_.shell);
    settingsTab_ = new SettingsTab(*state_, services_.dialogs, services_.autostart);
    // The tabs with classes of their own join the help tab the form holds, in the order of the
    // captions. The list, shown at start, and the settings, which hold the live settings, are built
    // now; the others wait in an empty page until they are first wanted.
    const auto holder = [this](int index) {
        auto* page = new QWidget;
        auto* layout = new QVBoxLayout(page);
        layout->setContentsMargins(0, 0, 0, 0);
        holders_[static_cast<std::size_t>(index)] = page;
        return page;
    };
    pages_->insertTab(TabNewEvent, holder(TabNewEvent), QStringLiteral("Új esemény"));
    pages_->insertTab(TabEvents, eventsTab_, QStringLiteral("Események"));
    pages_->insertTab(TabPartners, holder(TabPartners), QStringLiteral("Partnerek"));
    pages_->insertTab(TabActions, holder(TabActions), QStringLiteral("Műveletek"));
    pages_->insertTab(TabSettings, settingsTab_, QStringLiteral("Beállítások"));
    pages_->setCurrentIndex(TabNewEvent);
    // Every caption whole: a larger font widens the window rather than hide tabs behind arrows.
    pages_->tabBar()->setUsesScrollButtons(false);
    pages_->tabBar()->setElideMode(Qt::ElideNone);
    keepHelpAndSummaryLast();
    setUpHelpLinks(builtHelpLinks(QCoreApplication::applicationDirPath()), ui_->homePageButton,
                   ui_->mailAuthorButton, services_.shell, services_.dialogs);
    modeSwitch_ = new ModeSwitch(*modeButton_, *clockDisplay_, *watch_, *state_, services_.tray,
                                 services_.dialogs, this);
    connect(modeSwitch_, &ModeSwitch::titleChanged, this, &QWidget::setWindowTitle);
    setWindowTitle(modeSwitch_->title());
}

MissedWindow* MainWindow::missedWindow() {
    // Made when something was missed, which most starts never see.
    if (!missedWindow_) missedWindow_ = new MissedWindow;
    return missedWindow_;
}

AlertWindow* MainWindow::alertWindow() {
    if (alert_) return alert_;
    // A window of its own: a compositor hides the children of a minimised or hidden window. Made
    // when first wanted, as its fonts take a while to find.
    alert_ = new AlertWindow(*state_, services_.sound, services_.dialogs);
    connectAlert();
    return alert_;
}

void MainWindow::connectAlert() {
    connect(alert_, &AlertWindow::editEventRequested, this,
            [this](const QString& key) { guarded(services_.dialogs, [&] { editEvent(key); }); });
    connect(alert_, &AlertWindow::newEventRequested, this, &MainWindow::newEvent);
    connect(alert_, &AlertWindow::suspendWatchingRequested, this,
            [this] { switchMode(ModeSwitch::Source::TrayMenu); });
    connect(alert_, &AlertWindow::answered, summaryBox_, &SummaryBox::resetSelection);
    connect(alert_, &AlertWindow::defaultSoundSelected, settingsTab_, &SettingsTab::selectDefaultSound);
    connect(alert_, &AlertWindow::soundFileRequested, settingsTab_, &SettingsTab::chooseSoundFile);
    connect(alert_, &AlertWindow::contactActionRequested, this,
            [this](ContactLine line, const QString& text) {
                runContactAction(line, text, state_->settings(), services_.dialogs, services_.shell);
            });
    connect(alert_, &AlertWindow::backToProgramRequested, this, [this] {
        if (isHidden()) showMainWindow();
    });
    connect(alert_, &AlertWindow::exitRequested, this, &MainWindow::exitProgram);
    // Answered in the window: the notification has nothing left to say.
    connect(alert_, &AlertWindow::alertEnded, notices_, &DesktopNotices::withdrawAlert);
}

void MainWindow::connectSync() {
    if (!services_.secrets) noSecrets_ = std::make_unique<NoSecretStore>();
    sync_ = new SyncController(*state_, services_.dialogs, services_.clock,
                               services_.secrets ? *services_.secrets : *noSecrets_, this, this);
    settingsTab_->setAccountServices(sync_->secrets(), sync_->discovery());
    connect(settingsTab_, &SettingsTab::accountChanged, sync_, &SyncController::accountChanged);
    connect(sync_, &SyncController::accountSetupRequested, this, [this] {
        showMainWindow();
        pages_->setCurrentIndex(TabSettings);
        guarded(services_.dialogs, [this] { settingsTab_->openAccountDialog(); });
    });
}

void MainWindow::showServiceView() {
    // The normal window keeps its size in the corner; the extra room goes to the service view's parts.
    const QSize normal = size();
    ui_->frameLayout->setColumnMinimumWidth(0, normal.width());
    ui_->frameLayout->setRowMinimumHeight(0, normal.height());
    ui_->frameLayout->setColumnStretch(1, 1);
    ui_->frameLayout->setRowStretch(1, 1);
    serviceView_ = std::make_unique<ServiceView>(*ui_->frameLayout, *state_);
    serviceView_->monthCalendar()->setCalendar(ymdOf(services_.clock.now().day));
    fitWindow();
}

void MainWindow::fitWindow() {
    // The window keeps its designed size unless the system's font needs more room.
    const QSize wanted = inServiceView_ ? QSize(kServiceWidth, kServiceHeight) : QSize(kWidth, kHeight);
    const QSize size = wanted.expandedTo(minimumSizeHint());
    if (inServiceView_) {
        setMinimumSize(minimumSizeHint());
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(size);
    } else {
        setFixedSize(size);
    }
}

void MainWindow::start(StartNotice notice) {
    finishLater_ = notice == StartNotice::Later;
    guarded(services_.dialogs, [this] {
        startUp();
        if (!finishLater_) showStartNotice();
    });
    // A start that ended early leaves the first tab in front.
    guarded(services_.dialogs, [this] { ensureTab(pages_->currentIndex()); });
    // What fell due while the program was not running.
    if (!finishLater_) watch_->resumeFromLastRun();
}

void MainWindow::finishStart() {
    if (!std::exchange(finishLater_, false)) return;
    if (const std::vector<EventKind> kinds = std::exchange(tablesLater_, {}); !kinds.empty())
        guarded(services_.dialogs, [this, &kinds] {
            for (EventKind kind : kinds)
                state_->reloadEvents(kind);
            reportDamagedFiles(*state_, services_.dialogs);
        });
    showStartNotice();
    // What fell due while the program was not running follows the notice.
    watch_->resumeFromLastRun();
}

void MainWindow::startUp() {
    const Moment start = services_.clock.now();
    removeLeftoverTemporaries(state_->paths());
    preparePartnerFile(state_->paths());
    inServiceView_ = serviceViewRequested(state_->paths());
    if (inServiceView_) showServiceView();
    state_->reloadPartners();
    settingsTab_->loadAtStart();
    startHidden_ = settings().startInTray;
    // The first frame shows the reminders' list and the summary's first line, which is of the first
    // kind whose next event is shown: the tables after that kind wait for the frame.
    bool lineFound = false;
    for (EventKind kind : kAllEventKinds) {
        if (finishLater_ && lineFound && !inServiceView_) {
            tablesLater_.push_back(kind);
            continue;
        }
        state_->reloadEvents(kind);
        const std::optional<EventRow>& next = state_->events().next(kind);
        lineFound = lineFound || (next && next->active && next->day);
    }
    if (tablesLater_.empty()) reportDamagedFiles(*state_, services_.dialogs);
    services_.tray.setDay(ymdOf(start.day).day);
    if (settings().balloon) showStartBalloon(services_.tray, *state_, start.day, startHidden_);
    modeSwitch_->showActive(services_.clock.now());
    pages_->setCurrentIndex(TabEvents);
    summaryBox_->setCurrentIndex(0);
    // Settings read or reset already painted the window when they changed its colours.
    if (state_->settings().colors != appliedColors_) applyColors();
    if (settings().start == StartChoice::Passive) switchMode(ModeSwitch::Source::StartUp);
    sync_->startAutomatic();
}

void MainWindow::showStartNotice() {
    if (settings().noticeAtStart)
        guarded(services_.dialogs, [this] { notice_->show(CelebrantNotice::Mode::StartUp, false, true); });
}

void MainWindow::showMissed(const std::vector<MissedEvent>& events) {
    missedWindow()->add(events);
    notices_->postMissed(missedWindow_->count(), isVisible() && !isMinimized());
}

void MainWindow::applyColors() {
    appliedColors_ = state_->settings().colors;
    themed_ = true;
    applyTheme(this, appliedColors_);
    settingsTab_->update();
}

void MainWindow::fireReminder(const EventRow& row, Moment now) {
    const QString text = fromStored(row.text);
    const bool sameLook = std::exchange(firedAt_, now) == now;
    // Several in one look (a recurring one moved onto a taken minute) share one alert.
    AlertWindow* alert = alertWindow();
    if (alert->alertShown() && sameLook)
        alert->addToAlert(text);
    else // keyed where the record now stands: a recurring one has moved on
        alert->showAlert(windowTitle(), text,
                         QString::fromStdString(dateText(*row.day)) + QLatin1Char('|') +
                             QString::fromStdString(timeText(row.minute)));
    notices_->postAlert(alert->displayedText(), row.minute, isVisible() && !isMinimized());
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) {
        notices_->windowActivated();
        summaryBox_->resetSelection();
        state_->updateNext();
    }
    return handled;
}

void MainWindow::editEvent(const QString& occurrenceKey) {
    showMainWindow();
    const qsizetype bar = occurrenceKey.indexOf(QLatin1Char('|'));
    const QString date = occurrenceKey.left(bar), time = bar < 0 ? QString() : occurrenceKey.mid(bar + 1);
    // Only reminders raise an alert. Its minute has begun, so it is listed with the past for this search.
    eventsTab_->openEvent(EventKind::Reminder, date, time, true);
}

void MainWindow::newEvent() {
    showMainWindow();
    pages_->setCurrentIndex(TabNewEvent);
}

void MainWindow::openNewEventTab() {
    showMainWindow();
    if (pages_->currentIndex() != TabNewEvent)
        pages_->setCurrentIndex(TabNewEvent);
    else
        newEventTab()->onShown();
}

void MainWindow::showMainWindow() {
    bringMainWindowForward({});
}

void MainWindow::bringMainWindowForward(const QString& activationToken) {
    bringForward(
        *this, activationToken,
        [this] {
            hide();
            show();
        },
        services_.windowsOnWayland);
}

void MainWindow::comeForward(const QString& activationToken) {
    bringMainWindowForward(activationToken);
    notices_->watchComingForward(*this);
}

void MainWindow::startNewPartner(const QString& name) {
    pages_->setCurrentIndex(TabPartners);
    partnersTab()->startNewPartner(name);
}

void MainWindow::attachTray(QtTray& tray) {
    trayController_ = new TrayController(
        tray, *state_, services_.clock, *watch_, [this] { return isVisible() && !isMinimized(); }, this);
    connect(trayController_, &TrayController::newPartnerRequested, this, [this](const QString& name) {
        showMainWindow();
        startNewPartner(name);
    });
    connect(&tray, &QtTray::windowToggleRequested, this, &MainWindow::toggleMainWindow);
    connect(&tray, &QtTray::nameDaySearchChosen, this, &MainWindow::openNameDaySearch);
    connect(&tray, &QtTray::dayNamesChosen, this,
            [this] { guarded(services_.dialogs, [this] { actionsTab()->showDayNames(); }); });
    connect(&tray, &QtTray::modeSwitchChosen, this,
            [this] { guarded(services_.dialogs, [this] { switchMode(ModeSwitch::Source::TrayMenu); }); });
    connect(&tray, &QtTray::newEventChosen, this, &MainWindow::openNewEventTab);
    connect(&tray, &QtTray::syncChosen, sync_, &SyncController::syncNow);
    connect(&tray, &QtTray::exitChosen, this, &MainWindow::exitFromTray);
}

void MainWindow::toggleMainWindow() {
    if (isVisible() && !isMinimized())
        hideToTray();
    else
        showMainWindow();
}

void MainWindow::openNameDaySearch() {
    showMainWindow();
    pages_->setCurrentIndex(TabActions);
    actionsTab()->showNameDaySearch();
}

void MainWindow::exitFromTray() {
    if (settings().noticeAtExit)
        notice_->show(CelebrantNotice::Mode::TrayExit, true, false);
    else
        exitProgram();
}

void MainWindow::exitProgram() {
    watch_->saveWatched();
    hide();
    QCoreApplication::processEvents();
    if (exitHandler_) exitHandler_();
}

void MainWindow::hideToTray() {
    // Without a tray icon to come back from, the window is only minimised, so it is never lost.
    if (services_.tray.isShown())
        hide();
    else
        showMinimized();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    const Settings now = settings();
    if (now.closeToTray)
        hideToTray();
    else if (now.noticeAtExit)
        notice_->show(CelebrantNotice::Mode::Shutdown, true, false);
    else
        exitProgram();
}

} // namespace zel::gui
