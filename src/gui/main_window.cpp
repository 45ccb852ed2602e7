#include "main_window.h"

#include "collation.h"
#include "error_box.h"
#include "event_table_model.h"
#include "icons.h"
#include "partners/partner_record.h"
#include "qt_text.h"
#include "storage/record_file.h"
#include "texts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFile>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <QTextBrowser>
#include <QToolButton>
#include <QVBoxLayout>

namespace zel::gui {

namespace {

constexpr int kWidth = 495, kHeight = 321;
constexpr int kServiceWidth = 663, kServiceHeight = 495;
constexpr int kStripHeight = 22;

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
    : QWidget(parent), paths_(std::move(paths)), services_(services),
      exitHandler_([] { QCoreApplication::quit(); }) {
    setObjectName(QStringLiteral("Form1"));
    buildWindow();
    buildServiceView();
}

MainWindow::~MainWindow() = default;

void MainWindow::buildWindow() {
    setWindowTitle(QStringLiteral("Zelmoran ") + kModeActive);
    setWindowIcon(appIcon());
    setFixedSize(kWidth, kHeight);

    pLapok_ = new QTabWidget(this);
    pLapok_->setObjectName(QStringLiteral("pLapok"));
    pLapok_->setGeometry(0, kStripHeight, kWidth, kHeight - kStripHeight);
    const struct {
        const char* page;
        const char* caption;
    } tabs[] = {{"pUjEsemeny", "Új esemény"}, {"pProgram", "Események"},       {"pSzemelyek", "Partnerek"},
                {"pMuveletek", "Műveletek"},  {"pBeallitasok", "Beállítások"}, {"pSegitseg", "Segítség"}};
    // Six Hungarian captions share 495 pixels: slimmer tabs than the style's own.
    pLapok_->setStyleSheet(QStringLiteral(
        "QTabBar::tab { padding: 3px 6px; margin-right: 1px; border: 1px solid #9a9a9a; border-bottom: none;"
        " border-top-left-radius: 3px; border-top-right-radius: 3px; background: #e2e2e2; }"
        "QTabBar::tab:selected { background: #fbfbfb; margin-top: 0px; }"
        "QTabBar::tab:!selected { margin-top: 2px; }"));
    for (const auto& t : tabs) {
        auto* page = new QWidget;
        page->setObjectName(QString::fromUtf8(t.page));
        pLapok_->addTab(page, QString::fromUtf8(t.caption));
    }
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
}

void MainWindow::buildServiceView() {
    // The working tables lie beyond the normal window; only the enlarged service view shows them.
    const char* tableNames[] = {"sEmTartaly", "sPrgTartaly", "sNevnapTartaly", "sSznapTartaly"};
    const char* nextNames[] = {"sEmKov", "sPrgKov", "sNevnapKov", "sSznapKov"};
    auto* tables = new QTabWidget(this);
    tables->setObjectName(QStringLiteral("tMunkatablak"));
    tables->setGeometry(0, kHeight, kServiceWidth, kServiceHeight - kHeight);
    auto* nextArea = new QWidget(this);
    nextArea->setGeometry(kWidth, 0, kServiceWidth - kWidth, kHeight);
    auto* nextLayout = new QVBoxLayout(nextArea);
    nextLayout->setContentsMargins(4, 4, 4, 4);
    nextLayout->setSpacing(1);
    for (EventKind k : kAllEventKinds) {
        const std::size_t i = kindIndex(k);
        auto* view = new QTableView;
        view->setObjectName(QString::fromLatin1(tableNames[i]));
        tableModels_[i] = new EventTableModel(events_, k, EventTableModel::Show::Table, view);
        view->setModel(tableModels_[i]);
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->verticalHeader()->setDefaultSectionSize(18);
        view->horizontalHeader()->setStretchLastSection(true);
        tables->addTab(view, QString::fromLatin1(tableNames[i]));

        auto* next = new QTableView;
        next->setObjectName(QString::fromLatin1(nextNames[i]));
        nextModels_[i] = new EventTableModel(events_, k, EventTableModel::Show::NextRow, next);
        next->setModel(nextModels_[i]);
        next->setEditTriggers(QAbstractItemView::NoEditTriggers);
        next->verticalHeader()->hide();
        next->horizontalHeader()->hide();
        next->verticalHeader()->setDefaultSectionSize(18);
        next->setFixedHeight(22);
        next->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        next->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        nextLayout->addWidget(new QLabel(QString::fromLatin1(nextNames[i])));
        nextLayout->addWidget(next);
    }
    nextLayout->addStretch(1);
}

void MainWindow::FormCreate() {
    guarded(services_.dialogs, [this] {
        start_ = services_.clock.now();
        setWindowIcon(appIcon());

        preparePartnerFile(paths_);
        serviceView_ = serviceViewRequested(paths_);
        if (serviceView_) {
            setMinimumSize(0, 0);
            setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
            resize(kServiceWidth, kServiceHeight);
        }
        PartnerekBetolt();
        applyOrCreateSettings();
        startHidden_ = settings_.startInTray;

        EmTartalyFrissit(nullptr, 0);
        PrgTartalyFrissit(nullptr, 0);
        NevnapTartalyFrissit(nullptr, 0);
        SznapTartalyFrissit(nullptr, 0);

        modeText_ = kModeActive;
        setWindowTitle(QStringLiteral("Zelmoran ") + modeText_);
        const Moment now = services_.clock.now();
        pIdo_->setText(QString::fromStdString(clockTimeText(now.hour(), now.minute(), now.second())) +
                       QStringLiteral("  "));
        pLapok_->setCurrentIndex(TabEvents);
        loadCalendars();
    });
}

void MainWindow::loadCalendars() {
    common_ = calendarFromResource(QStringLiteral(":/namedays/common.txt"));
    extended_ = calendarFromResource(QStringLiteral(":/namedays/extended.txt"));
    allNames_ = NevListaEpit(extended_, localeLess());
}

void MainWindow::applyOrCreateSettings() {
    const auto bytes = readSettingsFile(paths_.settings());
    if (bytes) {
        settingsBuffer_ = *bytes;
        settings_ = decodeSettings(
            *bytes, [](const std::string& path) { return !path.empty() && QFile::exists(fromCp(path)); });
        return;
    }
    settings_ = defaultSettings();
    settingsBuffer_ = encodeSettings(settings_, SettingsBytes{});
    writeSettingsFile(paths_.settings(), settingsBuffer_);
}

void MainWindow::PartnerekBetolt() {
    partnerNames_.clear();
    const std::string bytes = readRecordsIfExists(paths_.partners(), kPartnerRecordSize);
    for (std::size_t at = 0; at < bytes.size(); at += kPartnerRecordSize)
        partnerNames_.push_back(decodePartner(reinterpret_cast<const std::uint8_t*>(bytes.data() + at)).Name);
}

void MainWindow::tableRefresh(EventKind kind, QObject* /*sender*/, int /*relist*/) {
    try {
        events_.refresh(kind, paths_.dataDir());
    } catch (...) {
        tableModels_[kindIndex(kind)]->reload();
        throw;
    }
    tableModels_[kindIndex(kind)]->reload();
    KovFrissit(static_cast<int>(kind));
}

void MainWindow::KovFrissit(int kind) {
    events_.updateNext(kind, services_.clock.now());
    for (EventKind k : kAllEventKinds)
        if (kind == 0 || kind == static_cast<int>(k)) nextModels_[kindIndex(k)]->reload();
}

void MainWindow::Kilepes() {
    hide();
    QCoreApplication::processEvents();
    if (exitHandler_) exitHandler_();
}

void MainWindow::hideToTray() {
    // Without a tray icon to come back from, the window is only minimised, so it is never lost.
    showMinimized();
}

void MainWindow::NevSzulFigyelmeztet(int /*mode*/, bool exitIfNothing, bool /*withSound*/) {
    if (exitIfNothing) Kilepes();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    event->ignore();
    if (settings_.closeToTray) {
        hideToTray();
    } else if (settings_.noticeAtExit) {
        NevSzulFigyelmeztet(0, true, false);
    } else {
        Kilepes();
    }
}

} // namespace zel::gui
