#include "gui/tabs/events_tab.h"
#include "gui/widgets/widget_util.h"

#include "core/app/command_split.h"
#include "core/events/event_record.h"
#include "core/events/firing.h"
#include "core/events/listing.h"
#include "gui/error_box.h"
#include "gui/main_window.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/texts.h"
#include "gui/widgets/listing_model.h"
#include "gui/widgets/month_calendar.h"
#include "gui/widgets/text_limit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTableView>
#include <QTimeEdit>

namespace zel::gui {

namespace {

constexpr int kModHeight = 43, kModTallHeight = 51;

} // namespace

EventsTab::EventsTab(MainWindow& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("pProgram"));
    build();
    buildModification();
}

void EventsTab::build() {
    auto* g8 = named(new QGroupBox(QStringLiteral(" &Eseményfajta "), this), "g8");
    g8->setGeometry(4, 0, 160, 44);
    cEsemeny = named(new QComboBox(g8), "cEsemeny");
    cEsemeny->setGeometry(8, 17, 144, 22);
    cEsemeny->addItems({QStringLiteral("Emlékeztető"), QStringLiteral("Programfuttatás"),
                        QStringLiteral("Névnap"), QStringLiteral("Születésnap")});

    gNevNapok = named(new QGroupBox(QStringLiteral(" &Névnap (ok listája) "), this), "gNevNapok");
    gNevNapok->setGeometry(4, 46, 160, 44);
    cNevnapLista = named(new QComboBox(gNevNapok), "cNevnapLista");
    cNevnapLista->setGeometry(8, 17, 144, 22);

    auto* g3 = named(new QGroupBox(QStringLiteral(" &Melyik eseményekre kíváncsi? "), this), "g3");
    g3->setGeometry(168, 0, 319, 90);
    const struct {
        QRadioButton** slot;
        const char* name;
        const char* text;
        QRect at;
    } radios[] = {{&rPrgMind, "rPrgMind", "Mind", {8, 17, 60, 20}},
                  {&rPrgMa, "rPrgMa", "Mai", {78, 17, 60, 20}},
                  {&rPrgHolnap, "rPrgHolnap", "Holnapi", {148, 17, 80, 20}},
                  {&rPrgHet, "rPrgHet", "Heti", {8, 39, 60, 20}},
                  {&rPrgHavi, "rPrgHavi", "Havi", {78, 39, 60, 20}},
                  {&rPrgTartam, "rPrgTartam", "Tartam:", {148, 39, 80, 20}}};
    for (const auto& r : radios) {
        *r.slot = named(new QRadioButton(QString::fromUtf8(r.text), g3), r.name);
        (*r.slot)->setGeometry(r.at);
        (*r.slot)->installEventFilter(this);
    }
    rPrgMind->setChecked(true);
    dPrgMettol = named(new QDateEdit(g3), "dPrgMettol");
    dPrgMettol->setGeometry(8, 62, 130, 22);
    Label3 = named(new QLabel(QStringLiteral("_"), g3), "Label3");
    Label3->setGeometry(143, 62, 10, 22);
    dPrgMeddig = named(new QDateEdit(g3), "dPrgMeddig");
    dPrgMeddig->setGeometry(156, 62, 130, 22);
    for (QDateEdit* d : {dPrgMettol, dPrgMeddig}) {
        d->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
        d->setCalendarPopup(true);
    }

    sProgramokMa = named(new QTableView(this), "sProgramokMa");
    listingBottom_ = 222;
    sProgramokMa->setGeometry(4, 94, 483, listingBottom_ - 94);
    model_ = new ListingModel(main_.state(), sProgramokMa);
    sProgramokMa->setModel(model_);
    sProgramokMa->verticalHeader()->hide();
    const int rowHeight = std::max(17, accentSafeRowHeight(sProgramokMa->font()));
    sProgramokMa->verticalHeader()->setMinimumSectionSize(rowHeight);
    sProgramokMa->verticalHeader()->setDefaultSectionSize(rowHeight);
    sProgramokMa->horizontalHeader()->setStretchLastSection(true);
    sProgramokMa->horizontalHeader()->setFixedHeight(
        std::max(19, accentSafeRowHeight(sProgramokMa->horizontalHeader()->font()) + 2));
    sProgramokMa->horizontalHeader()->setHighlightSections(false);
    sProgramokMa->setSelectionMode(QAbstractItemView::SingleSelection);
    sProgramokMa->setSelectionBehavior(QAbstractItemView::SelectItems);
    sProgramokMa->setEditTriggers(QAbstractItemView::NoEditTriggers);
    sProgramokMa->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    sProgramokMa->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    sProgramokMa->setWordWrap(false);
    // The arrow keys move inside the grid; Tab leaves it, as it leaves every other control.
    sProgramokMa->setTabKeyNavigation(false);
    sProgramokMa->installEventFilter(this);
    sProgramokMa->viewport()->installEventFilter(this);
    // The columns keep their widths; wide enough for the window's font.
    const QFontMetrics fm(sProgramokMa->font());
    const int widths[] = {std::max(28, fm.horizontalAdvance(QStringLiteral("Aktív")) + 8),
                          std::max(40, fm.horizontalAdvance(QStringLiteral("Havonta")) + 8),
                          std::max(61, fm.horizontalAdvance(QStringLiteral("2024.03.05.")) + 8),
                          std::max(32, fm.horizontalAdvance(QStringLiteral("22:22")) + 8)};
    for (int c = 0; c < 4; ++c)
        sProgramokMa->setColumnWidth(c, widths[c]);

    pTorol = named(new QPushButton(QStringLiteral("Kijelölt cellájú bejegyzés törlése"), this), "pTorol");
    pTorol->setGeometry(4, listingBottom_ + 2, 483, 22);
    pTorol->setCursor(Qt::PointingHandCursor);

    connect(rPrgMind, &QRadioButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { rPrgMindClick(); }); });
    connect(rPrgMa, &QRadioButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { rPrgMaClick(); }); });
    connect(rPrgHolnap, &QRadioButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { rPrgHolnapClick(); }); });
    connect(rPrgHet, &QRadioButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { rPrgHetClick(); }); });
    connect(rPrgHavi, &QRadioButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { rPrgHaviClick(); }); });
    connect(rPrgTartam, &QRadioButton::clicked, this, &EventsTab::rPrgTartamClick);
    connect(dPrgMettol, &QDateEdit::dateChanged, this, [this] {
        if (!quiet_) guarded(main_.dialogs(), [this] { dPrgMettolChange(); });
    });
    connect(dPrgMeddig, &QDateEdit::dateChanged, this, [this] {
        if (!quiet_) guarded(main_.dialogs(), [this] { dPrgMeddigChange(); });
    });
    connect(cEsemeny, &QComboBox::activated, this,
            [this] { guarded(main_.dialogs(), [this] { cEsemenyChange(); }); });
    connect(cNevnapLista, &QComboBox::activated, this, &EventsTab::cNevnapListaChange);
    connect(pTorol, &QPushButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { pTorolClick(); }); });
    connect(sProgramokMa, &QTableView::doubleClicked, this, [this] { sProgramokMaDblClick(); });
    connect(sProgramokMa, &QTableView::clicked, this, [this] { sProgramokMaClick(); });
    connect(sProgramokMa->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                // Column 1 is never the current cell.
                if (now.isValid() && now.column() == 1)
                    sProgramokMa->setCurrentIndex(
                        model_->index(now.row(), before.isValid() && before.column() == 2 ? 0 : 2));
            });
    showRange(false);
}

void EventsTab::buildModification() {
    gModosit = named(new QGroupBox(QStringLiteral(" &Adatok módosítása "), this), "gModosit");
    gModosit->setGeometry(4, listingBottom_ - kModHeight, 483, kModHeight);
    // It lies over the grid's last rows, so it paints its own background.
    gModosit->setAutoFillBackground(true);
    gModosit->hide();
    l3 = named(new QLabel(gModosit), "l3");
    l3->setGeometry(6, 17, 40, 20);
    cModositAktiv = named(new QCheckBox(gModosit), "cModositAktiv");
    cModositAktiv->setGeometry(46, 17, 65, 17);
    dModositDatum = named(new QDateEdit(gModosit), "dModositDatum");
    dModositDatum->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
    dModositDatum->setCalendarPopup(true);
    dModositDatum->setGeometry(46, 14, 120, 23);
    pAktDatum = named(new QPushButton(gModosit), "pAktDatum");
    pAktDatum->setGeometry(170, 13, 84, 24);
    pAktDatum->setToolTip(QStringLiteral("Az aktuális dátum beszúrása <Space gomb>"));
    dModositIdo = named(new QTimeEdit(gModosit), "dModositIdo");
    dModositIdo->setDisplayFormat(QStringLiteral("HH:mm"));
    dModositIdo->setGeometry(46, 14, 70, 22);
    pAktIdo = named(new QPushButton(gModosit), "pAktIdo");
    pAktIdo->setGeometry(120, 13, 56, 24);
    pAktIdo->setToolTip(QStringLiteral("Az aktuális idő beszúrása <Space gomb>"));
    mTargyModosit = named(new QPlainTextEdit(gModosit), "mTargyModosit");
    limitStoredLength(mTargyModosit, kEventTextCapacity);
    mTargyModosit->setGeometry(46, 13, 370, 32);
    eModositTargy = named(new QLineEdit(gModosit), "eModositTargy");
    eModositTargy->setMaxLength(255);
    eModositTargy->setGeometry(46, 14, 305, 22);
    Panel26 = named(new QPushButton(QStringLiteral("Megnyit"), gModosit), "Panel26");
    Panel26->setGeometry(355, 13, 60, 24);
    cModositKinek = named(new QComboBox(gModosit), "cModositKinek");
    cModositKinek->setGeometry(46, 14, 250, 22);
    Panel20 = named(new QPushButton(QStringLiteral("Átír"), gModosit), "Panel20");
    Panel20->setGeometry(421, 15, 54, 24);
    for (QWidget* w : std::initializer_list<QWidget*>{eModositTargy, cModositAktiv, dModositDatum,
                                                      dModositIdo, cModositKinek, mTargyModosit})
        w->installEventFilter(this);
    gModosit->installEventFilter(this);

    connect(Panel20, &QPushButton::clicked, this,
            [this] { guarded(main_.dialogs(), [this] { Panel20Click(); }); });
    connect(Panel26, &QPushButton::clicked, this, &EventsTab::Panel26Click);
    connect(pAktDatum, &QPushButton::clicked, this, &EventsTab::pAktDatumClick);
    connect(pAktIdo, &QPushButton::clicked, this, &EventsTab::pAktIdoClick);
}

int EventsTab::kindIndexNow() const {
    return std::max(0, cEsemeny->currentIndex());
}

void EventsTab::showRange(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{dPrgMettol, dPrgMeddig, Label3, gNevNapok})
        w->setVisible(on);
}

void EventsTab::setPickers(DayNumber from, DayNumber to) {
    quiet_ = true;
    dPrgMettol->setDate(qdateOf(from));
    dPrgMeddig->setDate(qdateOf(to));
    quiet_ = false;
}

void EventsTab::checkTartam() {
    if (!rPrgTartam->isChecked()) {
        rPrgTartam->setChecked(true);
        rPrgTartamClick();
    }
}

void EventsTab::EsemenyListaz(bool rangeMode, DayNumber from, DayNumber to, bool withPast) {
    showRange(rangeMode);
    // The name days of the first day, from the calendar the settings choose.
    cNevnapLista->clear();
    const Settings s = main_.settings();
    for (const auto& entry :
         nameDayListOf(s.allOccurrences ? main_.extendedCalendar() : main_.commonCalendar(), from))
        cNevnapLista->addItem(fromCp(entry));
    if (cNevnapLista->count() > 0) cNevnapLista->setCurrentIndex(0);
    gModosit->hide();
    setPickers(from, to);

    model_->list({kAllEventKinds[kindIndexNow()], rangeMode, from, to, s.pastEvents || withPast});
    const EventKind kind = model_->kind();
    const bool timed = hasTime(kind);
    sProgramokMa->setColumnHidden(1, !timed);
    sProgramokMa->setColumnHidden(3, !timed);
    if (model_->isEmpty()) {
        sProgramokMa->setEnabled(false);
        sProgramokMa->setShowGrid(false);
        sProgramokMa->clearSelection();
        sProgramokMa->setCurrentIndex({});
        return;
    }
    sProgramokMa->setEnabled(true);
    sProgramokMa->setShowGrid(true);
    sProgramokMa->setFocus();
    sProgramokMa->setCurrentIndex(model_->index(0, 0));
}

void EventsTab::rPrgMindClick() {
    const DayNumber today = main_.clock().now().day;
    EsemenyListaz(false, today, today);
}

void EventsTab::rPrgMaClick() {
    const DayNumber today = main_.clock().now().day;
    EsemenyListaz(true, today, today);
}

void EventsTab::rPrgHolnapClick() {
    const DayNumber tomorrow = main_.clock().now().day + 1;
    EsemenyListaz(true, tomorrow, tomorrow);
}

void EventsTab::rPrgHetClick() {
    const auto [monday, sunday] = weekOf(main_.clock().now().day);
    setPickers(monday, sunday);
    EsemenyListaz(true, monday, sunday);
}

void EventsTab::rPrgHaviClick() {
    const DayNumber today = main_.clock().now().day;
    main_.monthCalendar()->setCalendar(ymdOf(today));
    const auto [first, last] = monthOf(today);
    setPickers(first, last);
    EsemenyListaz(true, first, last);
}

void EventsTab::rPrgTartamClick() {
    showRange(true);
    dPrgMettol->setFocus();
}

void EventsTab::dPrgMettolChange() {
    quiet_ = true;
    dPrgMeddig->setDate(dPrgMettol->date());
    quiet_ = false;
    const DayNumber day = dayOf(dPrgMettol->date());
    EsemenyListaz(true, day, day);
    checkTartam();
}

void EventsTab::dPrgMeddigChange() {
    if (dPrgMettol->date() > dPrgMeddig->date()) {
        quiet_ = true;
        dPrgMeddig->setDate(dPrgMettol->date());
        quiet_ = false;
    }
    EsemenyListaz(true, dayOf(dPrgMettol->date()), dayOf(dPrgMeddig->date()));
    checkTartam();
}

void EventsTab::runCheckedFilter() {
    if (rPrgMind->isChecked())
        rPrgMindClick();
    else if (rPrgMa->isChecked())
        rPrgMaClick();
    else if (rPrgHolnap->isChecked())
        rPrgHolnapClick();
    else if (rPrgHet->isChecked())
        rPrgHetClick();
    else if (rPrgHavi->isChecked())
        rPrgHaviClick();
    else if (rPrgTartam->isChecked())
        rPrgTartamClick();
}

void EventsTab::pLapokChange() {
    runCheckedFilter();
}

void EventsTab::cEsemenyChange() {
    if (main_.pLapok()->currentIndex() != MainWindow::TabEvents)
        main_.pLapok()->setCurrentIndex(MainWindow::TabEvents);
    else
        pLapokChange();
}

void EventsTab::relist() {
    const QModelIndex current = sProgramokMa->currentIndex();
    runCheckedFilter();
    if (sProgramokMa->isEnabled()) {
        sProgramokMa->setFocus();
        if (current.isValid() && current.row() < model_->rowCount())
            sProgramokMa->setCurrentIndex(model_->index(current.row(), current.column()));
    }
}

void EventsTab::sProgramokMaClick() {
    gModosit->hide();
    sProgramokMa->setFocus();
}

void EventsTab::setModificationHeight(int height) {
    gModosit->setGeometry(4, listingBottom_ - height, 483, height);
    fitGridAboveEditor();
}

void EventsTab::fitGridAboveEditor() {
    // The open editor takes the bottom of the listing's place; the grid ends above it and keeps the
    // row being edited in sight.
    const int bottom = gModosit->isHidden() ? listingBottom_ : gModosit->y();
    if (sProgramokMa->geometry().bottom() + 1 == bottom) return;
    sProgramokMa->setGeometry(4, 94, 483, bottom - 94);
    if (sProgramokMa->currentIndex().isValid()) sProgramokMa->scrollTo(sProgramokMa->currentIndex());
}

void EventsTab::sProgramokMaDblClick() {
    Panel26->hide();
    mTargyModosit->hide();
    eModositTargy->show();
    setModificationHeight(kModHeight);
    const QModelIndex cell = sProgramokMa->currentIndex();
    const EventKind kind = model_->kind();
    if (cell.column() == 4 && kind == EventKind::Reminder) {
        eModositTargy->hide();
        mTargyModosit->show();
        setModificationHeight(kModTallHeight);
    }
    gModosit->show();
    gModosit->raise();
    if (gModosit->height() == kModTallHeight) mTargyModosit->setFocus();
    const EventRow* row = model_->rowAt(cell.row());
    if (!cell.isValid() || !row) return;

    cModositAktiv->setChecked(row->active);
    if (row->day) dModositDatum->setDate(qdateOf(*row->day));
    if (hasTime(kind)) dModositIdo->setTime(QTime(row->minute / 60, row->minute % 60));
    eModositTargy->setText(fromCp(row->text));
    l3->clear();
    for (QWidget* w : std::initializer_list<QWidget*>{eModositTargy, dModositDatum, pAktDatum, dModositIdo,
                                                      pAktIdo, cModositAktiv, cModositKinek})
        w->hide();
    const Moment now = main_.clock().now();
    switch (cell.column()) {
    case 0:
        l3->setText(QStringLiteral("Aktív"));
        cModositAktiv->show();
        cModositAktiv->setFocus();
        break;
    case 2:
        l3->setText(QStringLiteral("Dátum"));
        dModositDatum->show();
        pAktDatum->show();
        pAktDatum->setText(QString::fromStdString(dateText(now.day)));
        dModositDatum->setFocus();
        break;
    case 3:
        l3->setText(QStringLiteral("Idő"));
        dModositIdo->show();
        pAktIdo->show();
        pAktIdo->setText(QTime(now.hour(), now.minute()).toString(QStringLiteral("HH:mm")));
        dModositIdo->setFocus();
        break;
    case 4:
        if (kind == EventKind::Reminder) {
            l3->setText(QStringLiteral("Tárgy"));
            mTargyModosit->setPlainText(fromStored(row->text));
        } else if (kind == EventKind::Program) {
            l3->setText(QStringLiteral("Fájl"));
            eModositTargy->show();
            eModositTargy->setCursorPosition(eModositTargy->text().size());
            Panel26->show();
            eModositTargy->setFocus();
        } else {
            l3->setText(QStringLiteral("Név:"));
            cModositKinek->clear();
            for (const auto& name : main_.partnerNames())
                cModositKinek->addItem(fromCp(name));
            cModositKinek->setCurrentIndex(cModositKinek->findText(fromCp(row->text), Qt::MatchExactly));
            cModositKinek->show();
            cModositKinek->setFocus();
        }
        break;
    default:
        break;
    }
}

void EventsTab::pAktDatumClick() {
    if (const auto day = tryParseDateText(pAktDatum->text().toStdString()))
        dModositDatum->setDate(qdateOf(*day));
}

void EventsTab::pAktIdoClick() {
    const QTime t = QTime::fromString(pAktIdo->text(), QStringLiteral("HH:mm"));
    if (t.isValid()) dModositIdo->setTime(t);
}

void EventsTab::Panel26Click() {
    const QString file = main_.dialogs().openFile(
        QString(), QFileInfo(eModositTargy->text()).isFile() ? eModositTargy->text() : main_.exeFolder(),
        programFileFilter());
    if (!file.isEmpty()) eModositTargy->setText(file);
}

void EventsTab::Panel20Click() {
    dModositIdo->setEnabled(false);
    struct Enable {
        QWidget* w;
        ~Enable() { w->setEnabled(true); }
    } enableAgain{dModositIdo};

    const QModelIndex cell = sProgramokMa->currentIndex();
    const EventKind kind = model_->kind();
    const EventRow* shown = model_->rowAt(cell.row());
    if (!shown || !shown->day) return;
    const EventRow row = *shown;
    const int column = cell.column();
    const DayNumber newDay = dayOf(dModositDatum->date());
    const int newMinute = dModositIdo->time().hour() * 60 + dModositIdo->time().minute();

    if (hasTime(kind)) {
        // One reminder (one program) a minute: checked for a new time, and also for a new date, so a
        // moved event never lands on a taken minute.
        const bool timeEdit = column == 3;
        const bool dateMove = column == 2 && newDay != *row.day;
        const DayNumber day = timeEdit ? *row.day : newDay;
        const int minute = timeEdit ? newMinute : row.minute;
        if ((timeEdit || dateMove) && main_.state().minuteTaken(kind, day, minute)) {
            main_.dialogs().information(minuteTakenMessage(kind == EventKind::Reminder));
            return;
        }
    }
    if (kind == EventKind::Program && main_.settings().warnings) {
        // A stored command is a path and its parameters: the program exists when some leading part
        // of the text names a file.
        const SplitCommand split =
            splitCommand(eModositTargy->text().toStdString(), [](const std::string& p) {
                // As the shell finds it: a file, or a bare program name on PATH.
                const QString name = QString::fromStdString(p);
                return QFileInfo(name).isFile() ||
                       (!name.contains(QLatin1Char('/')) && !QStandardPaths::findExecutable(name).isEmpty());
            });
        if (!split.isProgram &&
            main_.dialogs().warning(QStringLiteral("A megadott futtatandó állomány nem található!") + kNl +
                                        QStringLiteral("Szeretne egy újat megadni?"),
                                    Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
            return;
    }

    EventRecord changed = recordOfRowFields(kind, row);
    switch (column) {
    case 0:
        changed.active = cModositAktiv->isChecked();
        break;
    case 2:
        changed.date = static_cast<double>(newDay);
        break;
    case 3:
        changed.time = storedFromMinute(newMinute);
        break;
    case 4:
        if (kind == EventKind::Reminder)
            changed.text = toStored(mTargyModosit->toPlainText());
        else if (kind == EventKind::Program)
            changed.text = toCp(eModositTargy->text());
        else
            changed.text = toCp(cModositKinek->currentText());
        break;
    default:
        return;
    }
    const int firstVisible = sProgramokMa->verticalScrollBar()->value();
    const bool written = main_.state().modifyEvent(kind, row, changed);
    if (!written)
        main_.dialogs().warning(QStringLiteral("Az esemény időközben megváltozott, ezért nem írtam át. "
                                               "Kérem, nézze meg újra a listát."));
    if (!main_.state().table(kind).rows.empty()) relist();
    if (sProgramokMa->isEnabled()) {
        main_.state().updateNext();
        sProgramokMa->verticalScrollBar()->setValue(firstVisible);
        sProgramokMa->setFocus();
        if (cell.row() < model_->rowCount()) sProgramokMa->setCurrentIndex(model_->index(cell.row(), column));
        gModosit->hide();
    }
    main_.showSummaryFirstLine();
}

void EventsTab::pTorolClick() {
    const EventKind kind = model_->kind();
    const EventRow* shown = model_->rowAt(sProgramokMa->currentIndex().row());
    if (sProgramokMa->isEnabled() && shown && main_.settings().warnings &&
        main_.dialogs().confirmation(QStringLiteral("Valóban törölni szeretné azt a sort amiben áll?")) ==
            Dialogs::Yes) {
        const EventRow row = *shown;
        if (!main_.state().removeEvent(kind, row))
            main_.dialogs().warning(QStringLiteral("Az esemény időközben megváltozott, ezért nem töröltem. "
                                                   "Kérem, nézze meg újra a listát."));
        if (!main_.state().table(kind).rows.empty()) relist();
        if (!model_->isEmpty()) sProgramokMaClick();
    }
    cEsemenyChange();
}

void EventsTab::cNevnapListaChange(int index) {
    if (index < 1) return;
    const QString name = cNevnapLista->itemText(index);
    main_.startNewPartner(QLatin1Char(' ') + name);
    cNevnapLista->setCurrentIndex(0);
}

bool EventsTab::openEvent(int kind, const QString& date, const QString& time, bool withPast) {
    main_.pLapok()->setCurrentIndex(MainWindow::TabEvents);
    if (kind >= 0 && kind <= 3) cEsemeny->setCurrentIndex(kind);
    rPrgMind->setChecked(true);
    const DayNumber today = main_.clock().now().day;
    EsemenyListaz(false, today, today, withPast);
    const bool timed = hasTime(model_->kind());
    for (int r = 0; r < static_cast<int>(model_->listedCount()); ++r) {
        if (fromCp(model_->cellText(r, 2)) != date) continue;
        if (timed && fromCp(model_->cellText(r, 3)) != time) continue;
        sProgramokMa->setCurrentIndex(model_->index(r, timed ? 3 : 2));
        sProgramokMaDblClick();
        return true;
    }
    return false;
}

bool EventsTab::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == gModosit && (type == QEvent::Show || type == QEvent::Hide)) {
        fitGridAboveEditor();
        return false;
    }
    if (type != QEvent::KeyPress && type != QEvent::ShortcutOverride && type != QEvent::MouseButtonPress &&
        type != QEvent::MouseButtonDblClick)
        return QWidget::eventFilter(watched, event);

    if (type == QEvent::MouseButtonPress && watched == sProgramokMa->viewport()) {
        // The right button loads the current row without moving the current cell.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            if (sProgramokMa->isEnabled()) sProgramokMaDblClick();
            return true;
        }
        return false;
    }
    if (type == QEvent::MouseButtonDblClick && watched == gModosit) {
        sProgramokMaClick();
        return true;
    }
    if (type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) return false;

    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool esc = key->key() == Qt::Key_Escape;
    const bool editor = watched == eModositTargy || watched == cModositAktiv || watched == dModositDatum ||
                        watched == dModositIdo || watched == cModositKinek || watched == mTargyModosit;
    if (type == QEvent::ShortcutOverride) {
        // The editors take Escape, Enter and Space before any window shortcut does.
        if (editor && (esc || enter || key->key() == Qt::Key_Space)) event->accept();
        return false;
    }

    if (watched == sProgramokMa) {
        // Ctrl+Tab belongs to the tabs, not to the grid's search by typing.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            (key->modifiers() & Qt::ControlModifier)) {
            QCoreApplication::sendEvent(main_.pLapok(), key);
            return true;
        }
        const QModelIndex cur = sProgramokMa->currentIndex();
        if (key->key() == Qt::Key_Left && cur.column() == 2) {
            sProgramokMa->setCurrentIndex(model_->index(cur.row(), 0));
            return true;
        }
        if (key->key() == Qt::Key_Right && cur.column() == 0) {
            sProgramokMa->setCurrentIndex(model_->index(cur.row(), 2));
            return true;
        }
        if (enter) {
            sProgramokMaDblClick();
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            guarded(main_.dialogs(), [this] { pTorolClick(); });
            return true;
        }
        return false;
    }
    if (watched == rPrgMind || watched == rPrgMa || watched == rPrgHolnap || watched == rPrgHet ||
        watched == rPrgHavi || watched == rPrgTartam) {
        if (!enter) return false;
        if (sProgramokMa->isEnabled()) sProgramokMa->setFocus();
        return true;
    }
    if (watched == mTargyModosit) {
        // Ctrl with either Enter key: the keypad's one carries a modifier of its own.
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::ControlModifier) {
            guarded(main_.dialogs(), [this] { Panel20Click(); });
            return true;
        }
        if (esc) {
            sProgramokMaClick();
            return true;
        }
        return false;
    }
    if (editor) {
        if (enter) {
            guarded(main_.dialogs(), [this] { Panel20Click(); });
            return true;
        }
        if (esc) {
            sProgramokMaClick();
            return true;
        }
        if (key->key() == Qt::Key_Space) {
            if (watched == dModositDatum)
                pAktDatumClick();
            else if (watched == dModositIdo)
                pAktIdoClick();
            return true;
        }
    }
    return false;
}

} // namespace zel::gui
