#include "gui/main_window.h"

#include "core/errors.h"
#include "core/events/firing.h"
#include "core/events/summary.h"
#include "core/notice/notice.h"
#include "core/partners/partner_record.h"
#include "core/storage/record_file.h"
#include "gui/alert/alert_window.h"
#include "gui/platform/contact_action.h"
#include "gui/platform/notifier.h"
#include "gui/platform/qt_tray.h"
#include "gui/platform/shell.h"
#include "gui/platform/sound.h"
#include "gui/platform/tray.h"
#include "gui/platform/window_activation.h"
#include "gui/start/startup.h"
#include "gui/state/app_state.h"
#include "gui/tabs/actions_tab.h"
#include "gui/tabs/events_tab.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/partners_tab.h"
#include "gui/tabs/settings_tab.h"
#include "gui/text/collation.h"
#include "gui/text/error_box.h"
#include "gui/text/help_links.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "gui/theme/icons.h"
#include "gui/theme/theme.h"
#include "gui/widgets/event_table_model.h"
#include "gui/widgets/month_calendar.h"
#include "gui/widgets/summary_box.h"
#include "gui/widgets/widget_util.h"
#include "ui_main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <utility>

namespace zel::gui {

namespace {

constexpr int kWidth = 495, kHeight = 321;
constexpr int kServiceWidth = 663, kServiceHeight = 495;

NameDayCalendar calendarFromResource(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return NameDayCalendar::fromText("");
    return NameDayCalendar::fromText(utf8ToCp1250(f.readAll().toStdString()));
}

// `folder` is where the data lives; `perUser`: apart from the program, whose folder takes no file.
QString helpText(const QString& folder, bool perUser) {
    const QString where =
        perUser ? QStringLiteral(
                      "A program mappája nem írható, ezért az adatok az Ön saját adatmappájában (<i>") +
                      folder.toHtmlEscaped() + QStringLiteral("</i>) vannak")
                : QStringLiteral("Az adatok a program mappájában (<i>") + folder.toHtmlEscaped() +
                      QStringLiteral("</i>) vannak");
    QString text = QStringLiteral(
        "<h3>Zelmoran – címjegyzék és emlékeztető</h3>"
        "<p>A Zelmoran megőrzi partnerei elérhetőségeit, emlékezteti a teendőire, a megadott percben "
        "elindít egy programot, és szól, ha partnerei névnapja vagy születésnapja közeleg.</p>"
        "<h4>Új esemény</h4>"
        "<p>Válassza ki az esemény jellegét: <b>Emlékeztető</b> (szöveg egy adott percre), "
        "<b>Programfuttatás</b> (program vagy dokumentum megnyitása egy adott percben), <b>Névnap</b> vagy "
        "<b>Születésnap</b> (egy partnerhez). Adja meg a napot (Ma, Holnap vagy Ekkor:) és az órát, majd "
        "kattintson a <b>Felvesz</b> gombra. Egy percre csak egy emlékeztető és egy program vehető fel.</p>"
        "<h4>Események</h4>"
        "<p>Az <i>Eseményfajta</i> alatt választott fajta eseményeit listázza: mindet, a maiakat, a "
        "holnapiakat, a hetieket, a haviakat, vagy egy <i>Tartam</i> napjait. Egy cellára duplán kattintva "
        "(vagy Enterrel) a lista alatt módosíthatja azt az adatot, majd az <b>Átír</b> gombbal menti. A "
        "Delete billentyű vagy a lista alatti gomb kérdés után törli a kijelölt bejegyzést.</p>"
        "<h4>Partnerek</h4>"
        "<p>A partnerek betűrendben állnak. Az <b>Új név</b> gomb (vagy az Insert) új adatlapot nyit, a "
        "<b>Módosítás</b> (vagy Enter, dupla kattintás) a kijelöltet. Az <b>Elment</b> ment, a "
        "<b>Mégsem</b> vagy az Esc bezárja mentés nélkül. Mentés után rögtön felveheti a partner névnapját "
        "vagy születésnapját. Az elérhetőségek listáján dupla kattintással e-mailt írhat, megnyithatja a "
        "honlapot vagy térképen keresheti a címet.</p>"
        "<h4>Műveletek</h4>"
        "<p>A <b>Névnap keresése</b> csoportban egy név napjait keresheti meg a gyakoribb vagy az összes "
        "előfordulás szerint. Az <b>Ugrás</b> a kiválasztott napra új névnap-eseményt készít elő, a "
        "<b>Felvesz</b> a névvel új partnert kezd, a <b>Keresés adott napra</b> egy HH.NN alakban megadott "
        "nap neveit mutatja mindkét névnaptárból.</p>"
        "<p>Az <b>Adat-importálás</b> más programok címjegyzékéből (vCard, CSV, LDIF) olvas be partnereket "
        "egy listába; a lista celláit duplán kattintva javíthatja, majd az <b>A lista adatainak felvétele a "
        "partnerek közé</b> gombbal felveszi azokat, akik még nem partnerei. Az <b>Adat-exportálás</b> a "
        "partnereket CSV vagy vCard állományba írja, illetve az adatállományokat egy választott mappába "
        "másolja.</p>"
        "<h4>Figyelmeztetések</h4>"
        "<p>Az emlékeztető percében egy mindig felül maradó ablak jelenik meg a szöveggel és "
        "hangjelzéssel; az egér mozgatása elnémítja. Listájából választhatja a <i>Rendben</i>, az esemény "
        "szerkesztése, új esemény felvitele vagy a figyelés felfüggesztése lehetőséget. A program a "
        "<b>Passzív mód</b> gombbal felfüggeszthető; ilyenkor nem szól és nem indít programot.</p>"
        "<p>Induláskor (és ha beállította, kilépéskor) a program felsorolja azokat a partnereket, akiknek "
        "a következő napokban névnapja vagy születésnapja lesz. Hány nappal előre, azt a "
        "<b>Beállítások</b> fülön adhatja meg. Egy sorra kattintva látja a partner elérhetőségeit. "
        "Kilépéskor a <i>&lt;&lt; Vissza a programba</i> gombbal maradhat, a <i>Kilépés &gt;&gt;</i> "
        "gombbal kiléphet.</p>"
        "<h4>Beállítások</h4>"
        "<p>Itt adhatja meg a program viselkedését, a hangjelzést, az indítást a rendszerrel és a program "
        "öt színét (vagy egy kész színösszeállítást). A beállítások csak a <b>Mentés</b> gombra kerülnek a "
        "lemezre.</p>"
        "<h4>Az adatok helye és mentése</h4>"
        "<p>");
    text += where;
    text += QStringLiteral(
        ": a <i>Data</i> alkönyvtárban a partnerek (<i>partnerek.dat</i>), az emlékeztetők "
        "(<i>emlekeztetok.dat</i>), a programok (<i>programok.dat</i>), a névnapok (<i>nevnapok.dat</i>) "
        "és a születésnapok (<i>szuletesnapok.dat</i>), mellette a beállítások (<i>beallitasok.cfg</i>). "
        "Biztonsági mentéshez zárja be a programot, és másolja el a <i>Data</i> mappát a "
        "<i>beallitasok.cfg</i> fájllal együtt; visszaállításkor másolja vissza őket ugyanide.</p>");
    return text;
}

} // namespace

MainWindow::MainWindow(AppPaths paths, Services services, QWidget* parent)
    : QWidget(parent), services_(services), ui_(std::make_unique<Ui::MainWindow>()),
      state_(new AppState(std::move(paths), services.clock, this)),
      exitHandler_([] { QCoreApplication::quit(); }) {
    // The event files are read on another thread while the window is built.
    state_->readEventsAhead();
    loadCalendars();
    buildWindow();
    buildServiceView();
    fitWindow();
    // A window of its own: a compositor hides the children of a minimised or hidden window.
    alert_ = new AlertWindow(*this, *state_, services_.sound, services_.dialogs);
    connect(alert_, &AlertWindow::alertEnded, this, &MainWindow::showWaitingNotice);
    // Answered in the window: the notification has nothing left to say.
    connect(alert_, &AlertWindow::alertEnded, &services_.alertNotifier, &Notifier::withdraw);
    connect(&services_.alertNotifier, &Notifier::activated, alert_, [this](const QString& token) {
        if (alert_->alertShown()) alert_->bringForward(token, services_.windowsOnWayland);
    });
    connect(&services_.runningNotifier, &Notifier::activated, this,
            [this](const QString& token) { bringMainWindowForward(token); });
    connect(state_, &AppState::nextEventsChanged, this, &MainWindow::rebuildSummary);
    connect(state_, &AppState::partnersChanged, newEventTab_, &NewEventTab::reloadPartners);
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        guarded(services_.dialogs, [this] { onClockTick(); });
        startClock();
    });
}

MainWindow::~MainWindow() {
    delete alert_;
}

void MainWindow::buildWindow() {
    ui_->setupUi(this);
    setWindowTitle(QStringLiteral("Zelmoran ") + kModeActive);
    setWindowIcon(appIcon());
    pages_ = ui_->pages;
    modeButton_ = ui_->modeButton;
    clockDisplay_ = ui_->clockDisplay;
    summaryBox_ = ui_->summaryBox;
    monthCalendar_ = ui_->monthCalendar;

    newEventTab_ = new NewEventTab(*state_, services_.dialogs, services_.shell);
    connect(newEventTab_, &NewEventTab::newPartnerRequested, this, &MainWindow::startNewPartner);
    connect(newEventTab_, &NewEventTab::eventAdded, this, &MainWindow::showSummaryFirstLine);
    eventsTab_ = new EventsTab(*state_, services_.dialogs, services_.shell);
    connect(eventsTab_, &EventsTab::pageRequested, this, [this] { pages_->setCurrentWidget(eventsTab_); });
    connect(eventsTab_, &EventsTab::newPartnerRequested, this, &MainWindow::startNewPartner);
    connect(eventsTab_, &EventsTab::monthListed, this,
            [this](DayNumber day) { monthCalendar_->setCalendar(ymdOf(day)); });
    partnersTab_ = new PartnersTab(*state_, services_.dialogs, services_.shell);
    connect(partnersTab_, &PartnersTab::birthdayRequested, this, [this] {
        pages_->setCurrentIndex(TabNewEvent);
        newEventTab_->selectKind(EventKind::Birthday);
    });
    connect(partnersTab_, &PartnersTab::webAddressesRequested, this, [this] {
        pages_->setCurrentIndex(TabSettings);
        guarded(services_.dialogs, [this] { settingsTab_->editWebAddresses(); });
    });
    actionsTab_ = new ActionsTab(*state_, services_.dialogs, services_.shell);
    connect(actionsTab_, &ActionsTab::newPartnerRequested, this, &MainWindow::startNewPartner);
    connect(actionsTab_, &ActionsTab::nameDayEventRequested, this, [this](const QString& date) {
        pages_->setCurrentIndex(TabNewEvent);
        newEventTab_->selectKind(EventKind::NameDay);
        guarded(services_.dialogs, [this, &date] { newEventTab_->chooseDate(date); });
    });
    connect(partnersTab_, &PartnersTab::nameDaySearchRequested, this, [this](const QString& givenName) {
        pages_->setCurrentIndex(TabActions);
        guarded(services_.dialogs, [this, &givenName] { actionsTab_->searchFor(givenName); });
    });
    settingsTab_ = new SettingsTab(*state_, services_.dialogs, services_.autostart);
    connect(settingsTab_, &SettingsTab::defaultSoundPreviewRequested, this,
            [this] { alert_->play(AlertWindow::PlayMode::Preview); });
    connect(settingsTab_, &SettingsTab::soundFilePreviewRequested, this,
            [this](const QString& file) { alert_->previewFile(file); });
    // The window takes the colours as soon as they change.
    connect(state_, &AppState::settingsChanged, this, [this] {
        if (state_->settings().colors != appliedColors_) applyColors();
    });
    // The tabs with classes of their own join the two the form holds, in the order of the captions.
    pages_->insertTab(TabNewEvent, newEventTab_, QStringLiteral("Új esemény"));
    pages_->insertTab(TabEvents, eventsTab_, QStringLiteral("Események"));
    pages_->insertTab(TabPartners, partnersTab_, QStringLiteral("Partnerek"));
    pages_->insertTab(TabActions, actionsTab_, QStringLiteral("Műveletek"));
    pages_->insertTab(TabSettings, settingsTab_, QStringLiteral("Beállítások"));
    pages_->setCurrentIndex(TabNewEvent);
    // Every caption whole: a larger font widens the window rather than hide tabs behind arrows.
    pages_->tabBar()->setUsesScrollButtons(false);
    pages_->tabBar()->setElideMode(Qt::ElideNone);
    connect(pages_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == TabNewEvent) guarded(services_.dialogs, [this] { newEventTab_->onShown(); });
        if (index == TabEvents) guarded(services_.dialogs, [this] { eventsTab_->onShown(); });
        if (index == TabActions) guarded(services_.dialogs, [this] { actionsTab_->onShown(); });
    });
    ui_->helpText->setHtml(
        helpText(QDir::toNativeSeparators(QString::fromStdString(state_->paths().exeDir.string())),
                 dataIsPerUser(state_->paths())));
    setUpHelpLinks(builtHelpLinks(QCoreApplication::applicationDirPath()), ui_->homePageButton,
                   ui_->mailAuthorButton, services_.shell, services_.dialogs);

    // The mode button's caption is a little smaller than the window's.
    QFont small = modeButton_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    modeButton_->setFont(small);
    modeButton_->setMouseTracking(true);
    modeButton_->installEventFilter(this);
    connect(modeButton_, &QToolButton::clicked, this,
            [this] { guarded(services_.dialogs, [this] { onModeButtonClicked(); }); });
    // The clock keeps its width while the seconds change.
    clockDisplay_->setMinimumWidth(
        clockDisplay_->fontMetrics().horizontalAdvance(QStringLiteral("00:00:00    ")));

    summaryBox_->onDropDown = [this] { onSummaryDropDown(); };
    summaryBox_->onCloseUp = [this] { onSummaryCloseUp(); };
    connect(summaryBox_, &QComboBox::activated, this,
            [this] { guarded(services_.dialogs, [this] { onSummaryChosen(); }); });
}

void MainWindow::buildServiceView() {
    // The working tables and the next rows show only in the enlarged service view. The tables get
    // their models only there, as a view's header follows every reset of its model even hidden.
    serviceTables_ = ui_->workTables;
    serviceNext_ = ui_->serviceNext;
    serviceTables_->hide();
    serviceNext_->hide();
    QTableView* const tables[] = {ui_->reminderTable, ui_->programTable, ui_->nameDayTable,
                                  ui_->birthdayTable};
    QTableView* const nexts[] = {ui_->nextReminder, ui_->nextProgram, ui_->nextNameDay, ui_->nextBirthday};
    for (EventKind k : kAllEventKinds) {
        const std::size_t i = kindIndex(k);
        QTableView* view = tables[i];
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->verticalHeader()->setDefaultSectionSize(std::max(18, accentSafeRowHeight(view->font())));
        view->horizontalHeader()->setStretchLastSection(true);

        QTableView* next = nexts[i];
        next->setModel(new EventTableModel(*state_, k, EventTableModel::Show::NextRow, next));
        next->setEditTriggers(QAbstractItemView::NoEditTriggers);
        next->verticalHeader()->hide();
        next->horizontalHeader()->hide();
        fitEventColumns(next);
        const int nextRow = std::max(18, accentSafeRowHeight(next->font()));
        next->verticalHeader()->setDefaultSectionSize(nextRow);
        next->setFixedHeight(nextRow + 2 * next->frameWidth());
        next->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        next->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

void MainWindow::fitWindow() {
    // The window keeps its designed size unless the system's font needs more room.
    const QSize wanted = serviceView_ ? QSize(kServiceWidth, kServiceHeight) : QSize(kWidth, kHeight);
    const QSize size = wanted.expandedTo(minimumSizeHint());
    if (serviceView_) {
        setMinimumSize(minimumSizeHint());
        setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
        resize(size);
    } else {
        setFixedSize(size);
    }
}

void MainWindow::start() {
    const auto steps = [this] { startUp(); };
    guarded(services_.dialogs, steps);
    previousTick_ = services_.clock.now();
}

void MainWindow::startUp() {
    start_ = services_.clock.now();
    setWindowIcon(appIcon());
    monthCalendar_->setCalendar(ymdOf(start_.day));

    removeLeftoverTemporaries(state_->paths());
    preparePartnerFile(state_->paths());
    serviceView_ = serviceViewRequested(state_->paths());
    if (serviceView_) {
        // The normal window keeps its size in the corner; the extra room goes to the service
        // view's parts.
        const QSize normal = size();
        ui_->frameLayout->setColumnMinimumWidth(0, normal.width());
        ui_->frameLayout->setRowMinimumHeight(0, normal.height());
        ui_->frameLayout->setColumnStretch(1, 1);
        ui_->frameLayout->setRowStretch(1, 1);
        QTableView* const tables[] = {ui_->reminderTable, ui_->programTable, ui_->nameDayTable,
                                      ui_->birthdayTable};
        for (EventKind k : kAllEventKinds) {
            tables[kindIndex(k)]->setModel(
                new EventTableModel(*state_, k, EventTableModel::Show::Table, tables[kindIndex(k)]));
            fitEventColumns(tables[kindIndex(k)]);
        }
        serviceTables_->show();
        serviceNext_->show();
        fitWindow();
    }
    loadPartners();
    applyOrCreateSettings();
    startHidden_ = settings().startInTray;

    loadEvents();
    reportDamagedFiles();
    if (settings().noticeAtStart) showCelebrantNotice(NoticeMode::StartUp, false, true);
    services_.tray.setDay(ymdOf(start_.day).day);
    if (settings().balloon) {
        const TodayTomorrowNames names = todayAndTomorrowNames(state_->commonCalendar(), start_.day);
        services_.tray.showBalloon(QStringLiteral("Zelmoran v1.6 - Névnapemlékeztető:"),
                                   QStringLiteral("Ma: ") + fromCp(names.today) +
                                       QStringLiteral("  |  Holnap: ") + fromCp(names.tomorrow),
                                   startHidden_ ? 10 : 3);
    }

    modeText_ = kModeActive;
    setWindowTitle(QStringLiteral("Zelmoran ") + modeText_);
    const Moment now = services_.clock.now();
    clockDisplay_->setText(QString::fromStdString(clockTimeText(now.hour(), now.minute(), now.second())) +
                           QStringLiteral("  "));
    pages_->setCurrentIndex(TabEvents);
    summaryBox_->setCurrentIndex(0);
    // Settings read or reset already painted the window when they changed its colours.
    if (state_->settings().colors != appliedColors_) applyColors();
    if (state_->partnerNames().empty()) partnersTab_->showEmpty();
    if (settings().start == StartChoice::Passive) switchMode(ModeSource::StartUp);
    allNames_ = allNamesSorted(state_->extendedCalendar(), localeLess());
    actionsTab_->setNames(allNames_);
}

void MainWindow::reportDamagedFiles() {
    const std::vector<AppState::DamagedFile> damaged = state_->damagedFiles();
    if (damaged.empty()) return;
    QString text = QStringLiteral("A következő adatállományokban sérült bejegyzések vannak:") + kNl;
    for (const AppState::DamagedFile& f : damaged)
        text += QDir::toNativeSeparators(QString::fromStdString(f.path.string())) +
                QStringLiteral(" (%1 sérült bejegyzés)").arg(f.records) + kNl;
    text += kNl + QStringLiteral("A program a sérült bejegyzéseket a lehető legjobban olvassa be, "
                                 "az állományokat nem javítja ki.");
    services_.dialogs.warning(text);
}

void MainWindow::loadCalendars() {
    state_->setCalendars(calendarFromResource(QStringLiteral(":/namedays/common.txt")),
                         calendarFromResource(QStringLiteral(":/namedays/extended.txt")));
}

void MainWindow::applyOrCreateSettings() {
    bool read = false, damaged = false;
    try {
        read = state_->loadSettings();
    } catch (const IoError& e) {
        if (e.code() != kReadPastEnd) throw;
        // A damaged file is reported and kept as it is; the defaults stand until the user saves.
        showErrorBox(services_.dialogs, e);
        damaged = true;
    }
    // So is a further settings file that cannot be read, for its own keys.
    if (const std::optional<IoError>& e = state_->furtherSettingsError()) showErrorBox(services_.dialogs, *e);
    if (read) {
        settingsTab_->showSettings(state_->settings());
        return;
    }
    settingsTab_->resetToDefaults();
    // A first start creates the settings file; the further one waits for "Mentés".
    if (!damaged) settingsTab_->saveRecordOnly();
}

Settings MainWindow::settings() const {
    return state_->settings();
}

SoundChoice MainWindow::soundChoice() const {
    return state_->settings().sound;
}

void MainWindow::selectDefaultSound() {
    settingsTab_->selectDefaultSound();
}

void MainWindow::chooseSoundFile() {
    settingsTab_->chooseSoundFile();
}

void MainWindow::applyColors() {
    appliedColors_ = state_->settings().colors;
    applyTheme(this, appliedColors_);
    settingsTab_->update();
}

void MainWindow::loadPartners() {
    state_->reloadPartners();
}

void MainWindow::contactAction(ContactLine line, const QString& text) {
    runContactAction(line, text, state_->settings(), services_.dialogs, services_.shell);
}

void MainWindow::loadEvents() {
    for (EventKind kind : kAllEventKinds)
        state_->reloadEvents(kind);
}

QString MainWindow::exeFolder() const {
    return QString::fromStdString(state_->paths().exeDir.string());
}

QString MainWindow::ownSoundFile() const {
    return fromCp(state_->settings().soundFile);
}

void MainWindow::startClock() {
    const Moment now = services_.clock.now();
    // Land just after each whole second, so the displayed second and the firing second agree.
    timer_->start(static_cast<int>(1000 - now.millisecond()) + 2);
}

void MainWindow::onClockTick() {
    const Moment now = services_.clock.now();
    if (active_) {
        resetSummarySelection();
        setWindowTitle(QStringLiteral("Zelmoran ") + QStringLiteral(" ") + kModeActive);
        clockDisplay_->setText(QString::fromStdString(clockTimeText(now.hour(), now.minute(), now.second())) +
                               QStringLiteral("  "));
        // Copies: firing shows windows and runs programs, and nothing may pull the rows away meanwhile.
        const auto due = [&](EventKind k) {
            std::vector<EventRow> rows;
            for (std::size_t i : firingRows(state_->table(k), previousTick_, now))
                rows.push_back(state_->table(k).row(i));
            return rows;
        };
        const std::vector<EventRow> reminders = due(EventKind::Reminder), programs = due(EventKind::Program);
        for (const EventRow& row : reminders)
            fireReminder(row, now);
        for (const EventRow& row : programs)
            launchProgram(row);
        services_.tray.setDay(ymdOf(now.day).day);
        state_->updateNext();
    }
    services_.tray.setHint(windowTitle());
    // Passive ticks count too: switching back never fires what was missed.
    previousTick_ = now;
}

void MainWindow::fireReminder(const EventRow& row, Moment now) {
    const QString key = QString::fromStdString(dateText(now.day)) + QLatin1Char('|') +
                        QString::fromStdString(timeText(row.minute));
    alert_->showAlert(windowTitle(), fromStored(row.text), key);
    notifyAlert(fromStored(row.text), row.minute);
    state_->updateNext(EventKind::Reminder);
}

void MainWindow::notifyAlert(const QString& text, int minute) {
    // On X11 the alert stays above every window; there it is only posted when the program is out
    // of sight, so it is not announced twice.
    if (!settings().desktopNotifications) return;
    if (!services_.windowsOnWayland && isVisible() && !isMinimized()) return;
    services_.alertNotifier.post(QStringLiteral("Emlékeztető – ") + QString::fromStdString(timeText(minute)),
                                 text, QStringLiteral("Megnyitás"));
}

void MainWindow::launchProgram(const EventRow& row) {
    services_.shell.open(fromCp(row.text), QString());
    state_->updateNext(EventKind::Program);
}

void MainWindow::switchMode(ModeSource source) {
    if (!active_) {
        active_ = true;
        onClockTick();
        services_.tray.setHint(QStringLiteral("Zelmoran - Aktív"));
        modeButton_->setText(QStringLiteral("Passzív mód"));
        return;
    }
    services_.tray.setHint(QStringLiteral("Zelmoran - Passzív mód (Nincs figyelmeztetés!!)"));
    active_ = false;
    setWindowTitle(QStringLiteral("Zelmoran - Passzív mód (Az esemény-figyelés felfüggesztve!)"));
    modeButton_->setText(QStringLiteral("Aktív mód"));
    clockDisplay_->clear();
    if (settings().warnings && source != ModeSource::StartUp) {
        services_.dialogs.warning(
            QStringLiteral("                             Ön passzív módba kapcsolta a programot.") + kNl +
            QStringLiteral("        A program így nem tud szólni Önnek, ha egy esemény bekövetkezik,") + kNl +
            QStringLiteral("            illetve nem tudnak frissülni a program naprakész elemei sem!") + kNl +
            QStringLiteral("   Az aktív mód visszakapcsolásához kattinton mégegyszer erre a ") +
            (source == ModeSource::TrayMenu ? QStringLiteral("menüpontra.") : QStringLiteral("gombra.")));
    }
}

void MainWindow::updateModeButtonHint() {
    const QString caption = modeButton_->text();
    if (caption.startsWith(QLatin1Char('P')))
        modeButton_->setToolTip(QStringLiteral("A program passzív módra kapcsolása"));
    else if (caption.startsWith(QLatin1Char('A')))
        modeButton_->setToolTip(QStringLiteral("A program visszaállítása aktív módra"));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == modeButton_ && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter))
        updateModeButtonHint();
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) {
        if (std::exchange(runningPosted_, false)) services_.runningNotifier.withdraw();
        guarded(services_.dialogs, [this] { onActivated(); });
    }
    return handled;
}

void MainWindow::onActivated() {
    resetSummarySelection();
    state_->updateNext();
}

void MainWindow::rebuildSummary() {
    if (summaryBox_->isDropped()) return;
    summary_ = zel::summaryLines(state_->events());
    if (summary_.size() == 1 && summary_[0] == noUpcomingEventLine()) {
        summaryBox_->clear();
        summaryBox_->addItem(fromCp(summary_[0]));
        summaryBox_->setCurrentIndex(0);
        summaryBox_->setEnabled(false);
        return;
    }
    summaryBox_->setEnabled(true);
    const QString first = oneLine(fromCp(summary_[0]));
    if (summaryBox_->count() == 0)
        summaryBox_->addItem(first);
    else if (summaryBox_->itemText(0) != first)
        summaryBox_->setItemText(0, first);
}

void MainWindow::onSummaryDropDown() {
    summaryBox_->clear();
    for (const auto& line : summary_)
        summaryBox_->addItem(oneLine(fromCp(line)));
}

void MainWindow::onSummaryCloseUp() {
    if (summaryBox_->currentIndex() < 0 && summaryBox_->count() > 0) summaryBox_->setCurrentIndex(0);
}

void MainWindow::resetSummarySelection() {
    if (summaryBox_->count() > 0) summaryBox_->setCurrentIndex(0);
}

void MainWindow::onSummaryChosen() {
    int index = summaryBox_->currentIndex();
    if (index < 0 || index > 10) index = 0;
    const std::string line = summaryBox_->count() > 0 ? toCp(summaryBox_->itemText(index)) : std::string();
    const SummaryPick pick = parseSummaryLine(line);
    resetSummarySelection();
    eventsTab_->openEvent(pick.kind, fromCp(pick.date), fromCp(pick.time));
    resetSummarySelection();
}

void MainWindow::showSummaryFirstLine() {
    if (summaryBox_->count() > 0 && !summary_.empty()) {
        summaryBox_->setItemText(0, oneLine(fromCp(summary_[0])));
        summaryBox_->setCurrentIndex(0);
    }
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
        newEventTab_->onShown();
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
    if (!services_.windowsOnWayland) return;
    QTimer::singleShot(1000, this, [this] {
        if (isActiveWindow() || !settings().desktopNotifications) return;
        runningPosted_ = true;
        services_.runningNotifier.post(
            QStringLiteral("A Zelmoran már fut"),
            QStringLiteral("A rendszer nem hozta előtérbe az ablakát. Kattintson ide a megjelenítéséhez."),
            QStringLiteral("Megjelenítés"));
    });
}

void MainWindow::startNewPartner(const QString& name) {
    pages_->setCurrentIndex(TabPartners);
    partnersTab_->startNewPartner(name);
}

QString MainWindow::dayMenuCaption(bool tomorrow) const {
    const TodayTomorrowNames names =
        todayAndTomorrowNames(state_->commonCalendar(), services_.clock.now().day);
    return tomorrow ? QStringLiteral("Holnap: ") + fromCp(names.tomorrow)
                    : QStringLiteral("Ma: ") + fromCp(names.today);
}

void MainWindow::newPartnerFromDayMenu(const QString& caption) {
    showMainWindow();
    QString names = caption.mid(caption.indexOf(QStringLiteral(": ")) + 2);
    if (names.endsWith(QLatin1Char(' '))) names.chop(1);
    const QString first = names.left(names.indexOf(QLatin1Char(' ')));
    if (!first.isEmpty()) startNewPartner(QLatin1Char(' ') + first);
}

void MainWindow::attachTray(QtTray& tray) {
    tray.windowVisible = [this] { return isVisible() && !isMinimized(); };
    tray.watching = [this] { return active_; };
    tray.dayCaption = [this](bool tomorrow) { return dayMenuCaption(tomorrow); };
    connect(&tray, &QtTray::windowToggleRequested, this, &MainWindow::toggleMainWindow);
    connect(&tray, &QtTray::dayItemChosen, this, &MainWindow::newPartnerFromDayMenu);
    connect(&tray, &QtTray::nameDaySearchChosen, this, &MainWindow::openNameDaySearch);
    connect(&tray, &QtTray::dayNamesChosen, this,
            [this] { guarded(services_.dialogs, [this] { actionsTab_->showDayNames(); }); });
    connect(&tray, &QtTray::modeSwitchChosen, this,
            [this] { guarded(services_.dialogs, [this] { switchMode(ModeSource::TrayMenu); }); });
    connect(&tray, &QtTray::newEventChosen, this, &MainWindow::openNewEventTab);
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
    actionsTab_->showNameDaySearch();
}

void MainWindow::exitFromTray() {
    if (settings().noticeAtExit)
        showCelebrantNotice(NoticeMode::TrayExit, true, false);
    else
        exitProgram();
}

void MainWindow::exitProgram() {
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

void MainWindow::showCelebrantNotice(NoticeMode mode, bool exitIfNothing, bool withSound) {
    const std::vector<std::string> lines =
        celebrantLines(state_->table(EventKind::NameDay), state_->table(EventKind::Birthday),
                       services_.clock.now().day, settings().noticeDays);
    if (lines.empty()) {
        if (exitIfNothing) exitProgram();
        return;
    }
    // The notice shares the alert's window; an alert on screen is answered first, never hidden unseen.
    if (alert_->alertShown()) {
        waitingNotice_ = NoticeRequest{mode, exitIfNothing, withSound};
        return;
    }
    QStringList shown;
    for (const std::string& line : lines)
        shown << fromCp(line);
    const bool startUp = mode == NoticeMode::StartUp;
    // Modal to the whole program, but without a nested event loop: the clock keeps ticking behind it.
    alert_->hide();
    alert_->setWindowModality(Qt::ApplicationModal);
    alert_->prepareNotice(shown, !startUp, !startUp, startUp);
    if (withSound) alert_->play(AlertWindow::PlayMode::Alarm);
    alert_->show();
    alert_->raise();
    alert_->activateWindow();
}

void MainWindow::showWaitingNotice(AlertAction answer) {
    const std::optional<NoticeRequest> waiting = std::exchange(waitingNotice_, std::nullopt);
    // Editing the event or entering a new one takes the user back into the program instead.
    if (!waiting || answer == AlertAction::EditEvent || answer == AlertAction::NewEvent) return;
    showCelebrantNotice(waiting->mode, waiting->exitIfNothing, waiting->withSound);
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    const Settings now = settings();
    if (now.closeToTray) {
        hideToTray();
    } else if (now.noticeAtExit) {
        showCelebrantNotice(NoticeMode::Shutdown, true, false);
    } else {
        exitProgram();
    }
}

} // namespace zel::gui
