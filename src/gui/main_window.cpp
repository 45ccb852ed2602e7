#include "gui/main_window.h"

#include "core/errors.h"
#include "core/events/firing.h"
#include "core/events/summary.h"
#include "core/partners/partner_record.h"
#include "core/storage/record_file.h"
#include "gui/alert/alert_window.h"
#include "gui/collation.h"
#include "gui/contact_action.h"
#include "gui/error_box.h"
#include "gui/platform/shell.h"
#include "gui/platform/sound.h"
#include "gui/platform/tray.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/tabs/events_tab.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/partners_tab.h"
#include "gui/tabs/settings_tab.h"
#include "gui/texts.h"
#include "gui/theme/icons.h"
#include "gui/theme/theme.h"
#include "gui/widgets/event_table_model.h"
#include "gui/widgets/month_calendar.h"
#include "gui/widgets/summary_box.h"
#include "gui/widgets/widget_util.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QTabBar>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace zel::gui {

namespace {

constexpr int kWidth = 495, kHeight = 321;
constexpr int kServiceWidth = 663, kServiceHeight = 495;
constexpr int kStripHeight = 22;
constexpr int kBoxHeight = 24;

NameDayCalendar calendarFromResource(const QString& name) {
    QFile f(name);
    if (!f.open(QIODevice::ReadOnly)) return NameDayCalendar::fromText("");
    return NameDayCalendar::fromText(utf8ToCp1250(f.readAll().toStdString()));
}

QString helpText() {
    return QStringLiteral(
        "<h3>Zelmoran</h3>"
        "<p>Címjegyzék és emlékeztető egyben.</p>"
        "<ul>"
        "<li><b>Új esemény</b>: emlékeztető, programfuttatás, névnap vagy születésnap felvétele.</li>"
        "<li><b>Események</b>: a bejegyzett események listája, módosítása és törlése.</li>"
        "<li><b>Partnerek</b>: a partnerek elérhetőségei.</li>"
        "<li><b>Műveletek</b>: névnapkeresés, importálás és exportálás.</li>"
        "<li><b>Beállítások</b>: a program viselkedése és színei.</li>"
        "</ul>"
        "<p>Az adatok a program mappájának <i>Data</i> alkönyvtárában vannak.</p>");
}

} // namespace

MainWindow::MainWindow(AppPaths paths, Services services, QWidget* parent)
    : QWidget(parent), services_(services), state_(new AppState(std::move(paths), services.clock, this)),
      exitHandler_([] { QCoreApplication::quit(); }) {
    setObjectName(QStringLiteral("Form1"));
    loadCalendars();
    buildWindow();
    buildServiceView();
    fAkcio_ = new TfAkcio(*this, services_.sound, services_.dialogs, this);
    connect(state_, &AppState::nextEventsChanged, this, &MainWindow::rebuildSummary);
    connect(state_, &AppState::partnersChanged, newEventTab_, &NewEventTab::reloadPartners);
    timer_ = new QTimer(this);
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    connect(timer_, &QTimer::timeout, this, [this] {
        guarded(services_.dialogs, [this] { Timer1Timer(); });
        startClock();
    });
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWindow() {
    setWindowTitle(QStringLiteral("Zelmoran ") + kModeActive);
    setWindowIcon(appIcon());
    setFixedSize(kWidth, kHeight);

    pLapok_ = new QTabWidget(this);
    pLapok_->setObjectName(QStringLiteral("pLapok"));
    pLapok_->setGeometry(0, kStripHeight, kWidth, kHeight - kStripHeight - kBoxHeight);
    const struct {
        const char* page;
        const char* caption;
    } tabs[] = {{"newEventPage", "Új esemény"},  {"eventsPage", "Események"},
                {"partnersPage", "Partnerek"},   {"pMuveletek", "Műveletek"},
                {"settingsPage", "Beállítások"}, {"pSegitseg", "Segítség"}};
    // Six Hungarian captions share 495 pixels: slimmer tabs than the style's own.
    pLapok_->tabBar()->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 3px 6px; margin-right: 1px; border: 1px solid #9a9a9a; border-bottom: none;"
        " border-top-left-radius: 3px; border-top-right-radius: 3px; background: #e2e2e2; }"
        "QTabBar::tab:selected { background: #fbfbfb; margin-top: 0px; }"
        "QTabBar::tab:!selected { margin-top: 2px; }"));
    newEventTab_ = new NewEventTab(*state_, services_.dialogs, services_.shell);
    connect(newEventTab_, &NewEventTab::newPartnerRequested, this, &MainWindow::startNewPartner);
    connect(newEventTab_, &NewEventTab::eventAdded, this, &MainWindow::showSummaryFirstLine);
    eventsTab_ = new EventsTab(*state_, services_.dialogs);
    connect(eventsTab_, &EventsTab::pageRequested, this, [this] { pLapok_->setCurrentWidget(eventsTab_); });
    connect(eventsTab_, &EventsTab::newPartnerRequested, this, &MainWindow::startNewPartner);
    connect(eventsTab_, &EventsTab::monthListed, this,
            [this](DayNumber day) { monthCalendar_->setCalendar(ymdOf(day)); });
    partnersTab_ = new PartnersTab(*state_, services_.dialogs, services_.shell);
    connect(partnersTab_, &PartnersTab::birthdayRequested, this, [this] {
        pLapok_->setCurrentIndex(TabNewEvent);
        newEventTab_->selectKind(EventKind::Birthday);
    });
    connect(partnersTab_, &PartnersTab::webAddressesRequested, this, [this] {
        pLapok_->setCurrentIndex(TabSettings);
        guarded(services_.dialogs, [this] { settingsTab_->editWebAddresses(); });
    });
    settingsTab_ = new SettingsTab(*state_, services_.dialogs, services_.autostart);
    connect(settingsTab_, &SettingsTab::defaultSoundPreviewRequested, this, [this] { fAkcio_->Play(2); });
    connect(settingsTab_, &SettingsTab::soundFilePreviewRequested, this,
            [this](const QString& file) { fAkcio_->TestPlay(file); });
    // The window takes the colours as soon as they change.
    connect(state_, &AppState::settingsChanged, this, [this] {
        if (state_->settings().colors != appliedColors_) applyColors();
    });
    for (const auto& t : tabs) {
        QWidget* const pages[] = {newEventTab_, eventsTab_, partnersTab_, nullptr, settingsTab_, nullptr};
        QWidget* page = pages[pLapok_->count()];
        if (!page) page = new QWidget;
        page->setObjectName(QString::fromUtf8(t.page));
        pLapok_->addTab(page, QString::fromUtf8(t.caption));
    }
    connect(pLapok_, &QTabWidget::currentChanged, this, [this](int index) {
        if (index == TabNewEvent) guarded(services_.dialogs, [this] { newEventTab_->onShown(); });
        if (index == TabEvents) guarded(services_.dialogs, [this] { eventsTab_->onShown(); });
    });
    auto* help = new QTextBrowser(pLapok_->widget(TabHelp));
    help->setObjectName(QStringLiteral("lSugo"));
    help->setHtml(helpText());
    auto* helpLayout = new QVBoxLayout(pLapok_->widget(TabHelp));
    helpLayout->setContentsMargins(4, 4, 4, 4);
    helpLayout->addWidget(help);

    // The mode button and the clock sit in a strip at the top right, above the tabs.
    passziv_ = new QToolButton(this);
    passziv_->setObjectName(QStringLiteral("passziv"));
    passziv_->setAutoRaise(true);
    passziv_->setText(QStringLiteral("Passzív mód"));
    QFont small = passziv_->font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    passziv_->setFont(small);
    passziv_->setGeometry(kWidth - 70 - 66, 1, 66, kStripHeight - 2);
    pIdo_ = new QLabel(this);
    pIdo_->setObjectName(QStringLiteral("pIdo"));
    pIdo_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    pIdo_->setGeometry(kWidth - 70, 0, 68, kStripHeight);
    passziv_->setMouseTracking(true);
    passziv_->installEventFilter(this);
    connect(passziv_, &QToolButton::clicked, this,
            [this] { guarded(services_.dialogs, [this] { passzivClick(); }); });

    // The nearest events along the bottom.
    cLegkozelebb_ = new SummaryBox(this);
    cLegkozelebb_->setGeometry(2, kHeight - kBoxHeight, kWidth - 4, kBoxHeight - 2);
    cLegkozelebb_->onDropDown = [this] { cLegkozelebbDropDown(); };
    cLegkozelebb_->onCloseUp = [this] { cLegkozelebbCloseUp(); };
    connect(cLegkozelebb_, &QComboBox::activated, this,
            [this] { guarded(services_.dialogs, [this] { cLegkozelebbChange(); }); });
}

void MainWindow::buildServiceView() {
    // The working tables lie beyond the normal window; only the enlarged service view shows them.
    const char* tableNames[] = {"sEmTartaly", "sPrgTartaly", "sNevnapTartaly", "sSznapTartaly"};
    const char* nextNames[] = {"sEmKov", "sPrgKov", "sNevnapKov", "sSznapKov"};
    auto* tables = new QTabWidget(this);
    serviceTables_ = tables;
    tables->setObjectName(QStringLiteral("tMunkatablak"));
    tables->setGeometry(0, kHeight, kServiceWidth, kServiceHeight - kHeight);
    auto* nextArea = new QWidget(this);
    serviceNext_ = nextArea;
    // Out of sight they stay hidden, so they cost nothing until the service view asks for them.
    tables->hide();
    nextArea->hide();
    nextArea->setGeometry(kWidth, 0, kServiceWidth - kWidth, kHeight);
    auto* nextLayout = new QVBoxLayout(nextArea);
    nextLayout->setContentsMargins(4, 4, 4, 4);
    nextLayout->setSpacing(1);
    for (EventKind k : kAllEventKinds) {
        const std::size_t i = kindIndex(k);
        auto* view = new QTableView;
        view->setObjectName(QString::fromLatin1(tableNames[i]));
        view->setModel(new EventTableModel(*state_, k, EventTableModel::Show::Table, view));
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->verticalHeader()->setDefaultSectionSize(std::max(18, accentSafeRowHeight(view->font())));
        view->horizontalHeader()->setStretchLastSection(true);
        tables->addTab(view, QString::fromLatin1(tableNames[i]));

        auto* next = new QTableView;
        next->setObjectName(QString::fromLatin1(nextNames[i]));
        next->setModel(new EventTableModel(*state_, k, EventTableModel::Show::NextRow, next));
        next->setEditTriggers(QAbstractItemView::NoEditTriggers);
        next->verticalHeader()->hide();
        next->horizontalHeader()->hide();
        const int nextRow = std::max(18, accentSafeRowHeight(next->font()));
        next->verticalHeader()->setDefaultSectionSize(nextRow);
        next->setFixedHeight(nextRow + 4);
        next->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        next->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        nextLayout->addWidget(new QLabel(QString::fromLatin1(nextNames[i])));
        nextLayout->addWidget(next);
    }
    nextLayout->addStretch(1);
    monthCalendar_ = new MonthCalendar(nextArea);
    nextLayout->addWidget(monthCalendar_, 0, Qt::AlignHCenter);
}

void MainWindow::FormCreate() {
    guarded(services_.dialogs, [this] {
        start_ = services_.clock.now();
        setWindowIcon(appIcon());
        monthCalendar_->setCalendar(ymdOf(start_.day));

        preparePartnerFile(state_->paths());
        serviceView_ = serviceViewRequested(state_->paths());
        if (serviceView_) {
            serviceTables_->show();
            serviceNext_->show();
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            resize(kServiceWidth, kServiceHeight);
        }
        PartnerekBetolt();
        applyOrCreateSettings();
        startHidden_ = settings().startInTray;

        loadEvents();

        modeText_ = kModeActive;
        setWindowTitle(QStringLiteral("Zelmoran ") + modeText_);
        const Moment now = services_.clock.now();
        pIdo_->setText(QString::fromStdString(clockTimeText(now.hour(), now.minute(), now.second())) +
                       QStringLiteral("  "));
        pLapok_->setCurrentIndex(TabEvents);
        cLegkozelebb_->setCurrentIndex(0);
        applyColors();
        if (state_->partnerNames().empty()) partnersTab_->showEmpty();
        if (settings().start == StartChoice::Passive) AktPassziv(nullptr, 0);
        allNames_ = NevListaEpit(state_->extendedCalendar(), localeLess());
    });
    previousTick_ = services_.clock.now();
}

void MainWindow::loadCalendars() {
    state_->setCalendars(calendarFromResource(QStringLiteral(":/namedays/common.txt")),
                         calendarFromResource(QStringLiteral(":/namedays/extended.txt")));
}

void MainWindow::applyOrCreateSettings() {
    bool read = false;
    try {
        read = state_->loadSettings();
    } catch (const IoError& e) {
        if (e.code() != kReadPastEnd) throw;
        // A damaged file is reported and kept as it is; the defaults stand until the user saves.
        showErrorBox(services_.dialogs, e);
        settingsTab_->resetToDefaults();
        return;
    }
    if (read) {
        settingsTab_->showSettings(state_->settings());
        return;
    }
    settingsTab_->resetToDefaults();
    settingsTab_->save();
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

void MainWindow::pHangClick() {
    settingsTab_->chooseSoundFile();
}

void MainWindow::applyColors() {
    appliedColors_ = state_->settings().colors;
    applyTheme(this, appliedColors_);
    settingsTab_->update();
}

void MainWindow::PartnerekBetolt() {
    state_->reloadPartners();
}

void MainWindow::Contact(int index, const QString& text) {
    if (index >= 0 && index <= static_cast<int>(ContactLine::Phone))
        runContactAction(static_cast<ContactLine>(index), text, state_->settings(), services_.dialogs,
                         services_.shell);
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

void MainWindow::Timer1Timer() {
    const Moment now = services_.clock.now();
    if (mAktiv_) {
        cLegkozelebbFrissit();
        setWindowTitle(QStringLiteral("Zelmoran ") + QStringLiteral(" ") + kModeActive);
        pIdo_->setText(QString::fromStdString(clockTimeText(now.hour(), now.minute(), now.second())) +
                       QStringLiteral("  "));
        // Copies: firing shows windows and runs programs, and nothing may pull the rows away meanwhile.
        const auto due = [&](EventKind k) {
            std::vector<EventRow> rows;
            for (std::size_t i : firingRows(state_->table(k), previousTick_, now))
                rows.push_back(state_->table(k).rows[i]);
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
    fAkcio_->showAlert(windowTitle(), fromStored(row.text), key);
    state_->updateNext(EventKind::Reminder);
}

void MainWindow::launchProgram(const EventRow& row) {
    services_.shell.Elindit(fromCp(row.text), QString());
    state_->updateNext(EventKind::Program);
}

void MainWindow::AktPassziv(QObject* /*sender*/, int source) {
    if (!mAktiv_) {
        mAktiv_ = true;
        Timer1Timer();
        services_.tray.setHint(QStringLiteral("Zelmoran - Aktív"));
        passziv_->setText(QStringLiteral("Passzív mód"));
        passziv_->setFixedWidth(66);
        passziv_->move(kWidth - 70 - 66, passziv_->y());
        return;
    }
    services_.tray.setHint(QStringLiteral("Zelmoran - Passzív mód (Nincs figyelmeztetés!!)"));
    mAktiv_ = false;
    setWindowTitle(QStringLiteral("Zelmoran - Passzív mód (Az esemény-figyelés felfüggesztve!)"));
    passziv_->setText(QStringLiteral("Aktív mód"));
    passziv_->setFixedWidth(116);
    passziv_->move(kWidth - 70 - 116, passziv_->y());
    pIdo_->clear();
    if (settings().warnings && (source == 1 || source == 2)) {
        services_.dialogs.warning(
            QStringLiteral("                             Ön passzív módba kapcsolta a programot.") + kNl +
            QStringLiteral("        A program így nem tud szólni Önnek, ha egy esemény bekövetkezik,") + kNl +
            QStringLiteral("            illetve nem tudnak frissülni a program naprakész elemei sem!") + kNl +
            QStringLiteral("   Az aktív mód visszakapcsolásához kattinton mégegyszer erre a ") +
            (source == 1 ? QStringLiteral("menüpontra.") : QStringLiteral("gombra.")));
    }
}

void MainWindow::passzivMouseMove() {
    const QString caption = passziv_->text();
    if (caption.startsWith(QLatin1Char('P')))
        passziv_->setToolTip(QStringLiteral("A program passzív módra kapcsolása"));
    else if (caption.startsWith(QLatin1Char('A')))
        passziv_->setToolTip(QStringLiteral("A program visszaállítása aktív módra"));
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
    if (watched == passziv_ && (event->type() == QEvent::MouseMove || event->type() == QEvent::Enter))
        passzivMouseMove();
    return QWidget::eventFilter(watched, event);
}

bool MainWindow::event(QEvent* event) {
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate) guarded(services_.dialogs, [this] { FormActivate(); });
    return handled;
}

void MainWindow::FormActivate() {
    cLegkozelebbFrissit();
    state_->updateNext();
}

void MainWindow::rebuildSummary() {
    if (cLegkozelebb_->isDropped()) return;
    summary_ = LegkozelebbLista(state_->events());
    if (summary_.size() == 1 && summary_[0] == noUpcomingEventLine()) {
        cLegkozelebb_->clear();
        cLegkozelebb_->addItem(fromCp(summary_[0]));
        cLegkozelebb_->setCurrentIndex(0);
        cLegkozelebb_->setEnabled(false);
        return;
    }
    cLegkozelebb_->setEnabled(true);
    const QString first = oneLine(fromCp(summary_[0]));
    if (cLegkozelebb_->count() == 0)
        cLegkozelebb_->addItem(first);
    else if (cLegkozelebb_->itemText(0) != first)
        cLegkozelebb_->setItemText(0, first);
}

void MainWindow::cLegkozelebbDropDown() {
    cLegkozelebb_->clear();
    for (const auto& line : summary_)
        cLegkozelebb_->addItem(oneLine(fromCp(line)));
}

void MainWindow::cLegkozelebbCloseUp() {
    if (cLegkozelebb_->currentIndex() < 0 && cLegkozelebb_->count() > 0) cLegkozelebb_->setCurrentIndex(0);
}

void MainWindow::cLegkozelebbFrissit() {
    if (cLegkozelebb_->count() > 0) cLegkozelebb_->setCurrentIndex(0);
}

void MainWindow::cLegkozelebbChange() {
    int index = cLegkozelebb_->currentIndex();
    if (index < 0 || index > 10) index = 0;
    const std::string line =
        cLegkozelebb_->count() > 0 ? toCp(cLegkozelebb_->itemText(index)) : std::string();
    const SummaryPick pick = parseSummaryLine(line);
    cLegkozelebbFrissit();
    eventsTab_->openEvent(pick.kind >= 0 && pick.kind <= 3
                              ? std::optional(kAllEventKinds[static_cast<std::size_t>(pick.kind)])
                              : std::nullopt,
                          fromCp(pick.date), fromCp(pick.time));
    cLegkozelebbFrissit();
}

void MainWindow::showSummaryFirstLine() {
    if (cLegkozelebb_->count() > 0 && !summary_.empty()) {
        cLegkozelebb_->setItemText(0, oneLine(fromCp(summary_[0])));
        cLegkozelebb_->setCurrentIndex(0);
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
    pLapok_->setCurrentIndex(TabNewEvent);
}

void MainWindow::N3Click() {
    showMainWindow();
    if (pLapok_->currentIndex() != TabNewEvent)
        pLapok_->setCurrentIndex(TabNewEvent);
    else
        newEventTab_->onShown();
}

void MainWindow::showMainWindow() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

void MainWindow::startNewPartner(const QString& name) {
    pLapok_->setCurrentIndex(TabPartners);
    partnersTab_->startNewPartner(name);
}

void MainWindow::Kilepes() {
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

void MainWindow::NevSzulFigyelmeztet(int /*mode*/, bool exitIfNothing, bool /*withSound*/) {
    if (exitIfNothing) Kilepes();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    const Settings now = settings();
    if (now.closeToTray) {
        hideToTray();
    } else if (now.noticeAtExit) {
        NevSzulFigyelmeztet(0, true, false);
    } else {
        Kilepes();
    }
}

} // namespace zel::gui
