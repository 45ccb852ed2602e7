#include "gui/tabs/events_tab.h"

#include "core/events/listing.h"
#include "gui/error_box.h"
#include "gui/platform/shell.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/tabs/event_editor.h"
#include "gui/texts.h"
#include "gui/widgets/listing_model.h"
#include "gui/widgets/widget_util.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateEdit>
#include <QFileInfo>
#include <QGroupBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>

namespace zel::gui {

EventsTab::EventsTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), shell_(shell) {
    setObjectName(QStringLiteral("eventsPage"));
    build();
}

void EventsTab::build() {
    auto* kindGroup = named(new QGroupBox(QStringLiteral(" &Eseményfajta "), this), "listingKindGroup");
    kindGroup->setGeometry(4, 0, 160, 44);
    kindChoice_ = labelled(named(new QComboBox(kindGroup), "listingKindChoice"), kindGroup->title());
    kindChoice_->setGeometry(8, 17, 144, 22);
    kindChoice_->addItems({QStringLiteral("Emlékeztető"), QStringLiteral("Programfuttatás"),
                           QStringLiteral("Névnap"), QStringLiteral("Születésnap")});

    nameDayGroup_ = named(new QGroupBox(QStringLiteral(" &Névnap (ok listája) "), this), "nameDayGroup");
    nameDayGroup_->setGeometry(4, 46, 160, 44);
    nameDayList_ = labelled(named(new QComboBox(nameDayGroup_), "nameDayList"), nameDayGroup_->title());
    nameDayList_->setGeometry(8, 17, 144, 22);

    auto* periodGroup =
        named(new QGroupBox(QStringLiteral(" &Melyik eseményekre kíváncsi? "), this), "periodGroup");
    periodGroup->setGeometry(168, 0, 319, 90);
    const struct {
        QRadioButton** slot;
        const char* name;
        const char* text;
        QRect at;
    } filters[] = {{&allFilter_, "allFilter", "Mind", {8, 17, 60, 20}},
                   {&todayFilter_, "todayFilter", "Mai", {78, 17, 60, 20}},
                   {&tomorrowFilter_, "tomorrowFilter", "Holnapi", {148, 17, 80, 20}},
                   {&weekFilter_, "weekFilter", "Heti", {8, 39, 60, 20}},
                   {&monthFilter_, "monthFilter", "Havi", {78, 39, 60, 20}},
                   {&rangeFilter_, "rangeFilter", "Tartam:", {148, 39, 80, 20}}};
    for (const auto& f : filters) {
        *f.slot = named(new QRadioButton(QString::fromUtf8(f.text), periodGroup), f.name);
        (*f.slot)->setGeometry(f.at);
        (*f.slot)->installEventFilter(this);
    }
    allFilter_->setChecked(true);
    rangeFrom_ = labelled(named(new QDateEdit(periodGroup), "rangeFrom"), QStringLiteral("Tartam:"));
    rangeFrom_->setGeometry(8, 62, 130, 22);
    rangeDash_ = named(new QLabel(QStringLiteral("_"), periodGroup), "rangeDash");
    rangeDash_->setGeometry(143, 62, 10, 22);
    rangeTo_ = labelled(named(new QDateEdit(periodGroup), "rangeTo"), QStringLiteral("Tartam:"));
    rangeTo_->setGeometry(156, 62, 130, 22);
    for (QDateEdit* d : {rangeFrom_, rangeTo_}) {
        d->setDisplayFormat(QStringLiteral("yyyy.MM.dd."));
        d->setCalendarPopup(true);
    }

    grid_ = named(new QTableView(this), "eventGrid");
    listingBottom_ = 222;
    grid_->setGeometry(4, 94, 483, listingBottom_ - 94);
    model_ = new ListingModel(state_, grid_);
    grid_->setModel(model_);
    grid_->verticalHeader()->hide();
    const int rowHeight = std::max(17, accentSafeRowHeight(grid_->font()));
    grid_->verticalHeader()->setMinimumSectionSize(rowHeight);
    grid_->verticalHeader()->setDefaultSectionSize(rowHeight);
    grid_->horizontalHeader()->setStretchLastSection(true);
    grid_->horizontalHeader()->setFixedHeight(
        std::max(19, accentSafeRowHeight(grid_->horizontalHeader()->font()) + 2));
    grid_->horizontalHeader()->setHighlightSections(false);
    grid_->setSelectionMode(QAbstractItemView::SingleSelection);
    grid_->setSelectionBehavior(QAbstractItemView::SelectItems);
    grid_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    grid_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    grid_->setWordWrap(false);
    // The arrow keys move inside the grid; Tab leaves it, as it leaves every other control.
    grid_->setTabKeyNavigation(false);
    grid_->installEventFilter(this);
    grid_->viewport()->installEventFilter(this);
    // The columns keep their widths; wide enough for the window's font.
    const QFontMetrics fm(grid_->font());
    const int widths[] = {std::max(28, fm.horizontalAdvance(QStringLiteral("Aktív")) + 8),
                          std::max(40, fm.horizontalAdvance(QStringLiteral("Havonta")) + 8),
                          std::max(61, fm.horizontalAdvance(QStringLiteral("2024.03.05.")) + 8),
                          std::max(32, fm.horizontalAdvance(QStringLiteral("22:22")) + 8)};
    for (int c = 0; c < 4; ++c)
        grid_->setColumnWidth(c, widths[c]);

    deleteButton_ =
        named(new QPushButton(QStringLiteral("Kijelölt cellájú bejegyzés törlése"), this), "deleteButton");
    deleteButton_->setGeometry(4, listingBottom_ + 2, 483, 22);
    deleteButton_->setCursor(Qt::PointingHandCursor);

    editor_ = new EventEditor(this);
    editor_->setGeometry(4, listingBottom_ - editor_->wantedHeight(), 483, editor_->wantedHeight());
    editor_->installEventFilter(this);

    auto run = [this](void (EventsTab::*handler)()) {
        return [this, handler] { guarded(dialogs_, [this, handler] { (this->*handler)(); }); };
    };
    connect(allFilter_, &QRadioButton::clicked, this, run(&EventsTab::listAll));
    connect(todayFilter_, &QRadioButton::clicked, this, run(&EventsTab::listToday));
    connect(tomorrowFilter_, &QRadioButton::clicked, this, run(&EventsTab::listTomorrow));
    connect(weekFilter_, &QRadioButton::clicked, this, run(&EventsTab::listWeek));
    connect(monthFilter_, &QRadioButton::clicked, this, run(&EventsTab::listMonth));
    connect(rangeFilter_, &QRadioButton::clicked, this, &EventsTab::chooseRange);
    connect(rangeFrom_, &QDateEdit::dateChanged, this, [this] {
        if (!quiet_) guarded(dialogs_, [this] { onRangeFromChanged(); });
    });
    connect(rangeTo_, &QDateEdit::dateChanged, this, [this] {
        if (!quiet_) guarded(dialogs_, [this] { onRangeToChanged(); });
    });
    connect(kindChoice_, &QComboBox::activated, this, run(&EventsTab::onKindChanged));
    connect(nameDayList_, &QComboBox::activated, this, &EventsTab::onNameDayChosen);
    connect(deleteButton_, &QPushButton::clicked, this, run(&EventsTab::deleteCurrent));
    connect(grid_, &QTableView::doubleClicked, this, &EventsTab::openEditor);
    connect(grid_, &QTableView::clicked, this, &EventsTab::closeEditor);
    connect(grid_->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                // The recurrence column is never the current cell.
                if (now.isValid() && now.column() == EventEditor::RecurrenceColumn)
                    grid_->setCurrentIndex(model_->index(
                        now.row(), before.isValid() && before.column() == EventEditor::DateColumn
                                       ? EventEditor::ActiveColumn
                                       : EventEditor::DateColumn));
            });
    connect(editor_, &EventEditor::applyRequested, this, run(&EventsTab::applyEdit));
    connect(editor_, &EventEditor::closeRequested, this, &EventsTab::closeEditor);
    connect(editor_, &EventEditor::browseRequested, this, &EventsTab::chooseProgramFile);
    showRange(false);
}

EventKind EventsTab::chosenKind() const {
    return kAllEventKinds[static_cast<std::size_t>(std::max(0, kindChoice_->currentIndex()))];
}

void EventsTab::showRange(bool on) {
    for (QWidget* w : std::initializer_list<QWidget*>{rangeFrom_, rangeTo_, rangeDash_, nameDayGroup_})
        w->setVisible(on);
}

void EventsTab::setPickers(DayNumber from, DayNumber to) {
    quiet_ = true;
    rangeFrom_->setDate(qdateOf(from));
    rangeTo_->setDate(qdateOf(to));
    quiet_ = false;
}

void EventsTab::checkRange() {
    if (!rangeFilter_->isChecked()) {
        rangeFilter_->setChecked(true);
        chooseRange();
    }
}

void EventsTab::list(bool rangeMode, DayNumber from, DayNumber to, bool withPast) {
    showRange(rangeMode);
    // The name days of the first day, from the calendar the settings choose.
    nameDayList_->clear();
    const Settings& s = state_.settings();
    for (const auto& entry :
         nameDayListOf(s.allOccurrences ? state_.extendedCalendar() : state_.commonCalendar(), from))
        nameDayList_->addItem(fromCp(entry));
    if (nameDayList_->count() > 0) nameDayList_->setCurrentIndex(0);
    editor_->hide();
    setPickers(from, to);

    model_->list({chosenKind(), rangeMode, from, to, s.pastEvents || withPast});
    const bool timed = hasTime(model_->kind());
    grid_->setColumnHidden(EventEditor::RecurrenceColumn, !timed);
    grid_->setColumnHidden(EventEditor::TimeColumn, !timed);
    if (model_->isEmpty()) {
        grid_->setEnabled(false);
        grid_->setShowGrid(false);
        grid_->clearSelection();
        grid_->setCurrentIndex({});
        return;
    }
    grid_->setEnabled(true);
    grid_->setShowGrid(true);
    grid_->setFocus();
    grid_->setCurrentIndex(model_->index(0, 0));
}

void EventsTab::listAll() {
    const DayNumber today = state_.now().day;
    list(false, today, today);
}

void EventsTab::listToday() {
    const DayNumber today = state_.now().day;
    list(true, today, today);
}

void EventsTab::listTomorrow() {
    const DayNumber tomorrow = state_.now().day + 1;
    list(true, tomorrow, tomorrow);
}

void EventsTab::listWeek() {
    const auto [monday, sunday] = weekOf(state_.now().day);
    setPickers(monday, sunday);
    list(true, monday, sunday);
}

void EventsTab::listMonth() {
    const DayNumber today = state_.now().day;
    emit monthListed(today);
    const auto [first, last] = monthOf(today);
    setPickers(first, last);
    list(true, first, last);
}

void EventsTab::chooseRange() {
    showRange(true);
    rangeFrom_->setFocus();
}

void EventsTab::onRangeFromChanged() {
    quiet_ = true;
    rangeTo_->setDate(rangeFrom_->date());
    quiet_ = false;
    const DayNumber day = dayOf(rangeFrom_->date());
    list(true, day, day);
    checkRange();
}

void EventsTab::onRangeToChanged() {
    if (rangeFrom_->date() > rangeTo_->date()) {
        quiet_ = true;
        rangeTo_->setDate(rangeFrom_->date());
        quiet_ = false;
    }
    list(true, dayOf(rangeFrom_->date()), dayOf(rangeTo_->date()));
    checkRange();
}

void EventsTab::runChosenFilter() {
    if (allFilter_->isChecked())
        listAll();
    else if (todayFilter_->isChecked())
        listToday();
    else if (tomorrowFilter_->isChecked())
        listTomorrow();
    else if (weekFilter_->isChecked())
        listWeek();
    else if (monthFilter_->isChecked())
        listMonth();
    else if (rangeFilter_->isChecked())
        chooseRange();
}

void EventsTab::onShown() {
    runChosenFilter();
}

void EventsTab::onKindChanged() {
    // As the page, the listing lists again when it becomes current; when it is current already, now.
    if (!isCurrentPage(this))
        emit pageRequested();
    else
        onShown();
}

void EventsTab::relist(int row, int column) {
    runChosenFilter();
    if (grid_->isEnabled()) {
        grid_->setFocus();
        if (row >= 0 && row < model_->rowCount()) grid_->setCurrentIndex(model_->index(row, column));
    }
}

void EventsTab::closeEditor() {
    editor_->hide();
    grid_->setFocus();
}

void EventsTab::fitGridAboveEditor() {
    // The open editor takes the bottom of the listing's place; the grid ends above it and keeps the
    // row being edited in sight.
    const int bottom = editor_->isHidden() ? listingBottom_ : editor_->y();
    if (grid_->geometry().bottom() + 1 == bottom) return;
    grid_->setGeometry(4, 94, 483, bottom - 94);
    if (grid_->currentIndex().isValid()) grid_->scrollTo(grid_->currentIndex());
}

void EventsTab::openEditor() {
    const QModelIndex cell = grid_->currentIndex();
    editor_->open(model_->kind(), cell.isValid() ? model_->rowAt(cell.row()) : nullptr, cell.column(),
                  state_.now(), state_.partnerNames());
    editor_->setGeometry(4, listingBottom_ - editor_->wantedHeight(), 483, editor_->wantedHeight());
    fitGridAboveEditor();
}

void EventsTab::chooseProgramFile() {
    const QString current = editor_->programFile();
    const QString file = dialogs_.openFile(
        QString(),
        QFileInfo(current).isFile() ? current : QString::fromStdString(state_.paths().exeDir.string()),
        programFileFilter());
    if (!file.isEmpty()) editor_->setProgramFile(file);
}

void EventsTab::applyEdit() {
    editor_->setTimeLocked(true);
    struct Unlock {
        EventEditor* e;
        ~Unlock() { e->setTimeLocked(false); }
    } unlock{editor_};

    const QModelIndex cell = grid_->currentIndex();
    const EventKind kind = model_->kind();
    const EventRow* shown = model_->rowAt(cell.row());
    if (!shown || !shown->day) return;
    const EventRow row = *shown;
    const int column = cell.column();

    if (hasTime(kind)) {
        // One reminder (one program) a minute: checked for a new time, and also for a new date, so a
        // moved event never lands on a taken minute.
        const bool timeEdit = column == EventEditor::TimeColumn;
        const bool dateMove = column == EventEditor::DateColumn && editor_->day() != *row.day;
        const DayNumber day = timeEdit ? *row.day : editor_->day();
        const int minute = timeEdit ? editor_->minute() : row.minute;
        if ((timeEdit || dateMove) && state_.minuteTaken(kind, day, minute)) {
            dialogs_.information(minuteTakenMessage(kind == EventKind::Reminder));
            return;
        }
    }
    if (kind == EventKind::Program && state_.settings().warnings) {
        // A stored command is a path and its parameters: the shell tells whether it finds a program.
        if (!shell_.findsProgram(editor_->programFile()) &&
            dialogs_.warning(QStringLiteral("A megadott futtatandó állomány nem található!") + kNl +
                                 QStringLiteral("Szeretne egy újat megadni?"),
                             Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
            return;
    }
    if (column == EventEditor::RecurrenceColumn || column < 0 || column > EventEditor::TextColumn) return;

    const int firstVisible = grid_->verticalScrollBar()->value();
    if (!state_.modifyEvent(kind, row, editor_->changed(kind, row, column)))
        dialogs_.warning(QStringLiteral("Az esemény időközben megváltozott, ezért nem írtam át. "
                                        "Kérem, nézze meg újra a listát."));
    if (!state_.table(kind).rows.empty()) relist(cell.row(), cell.column());
    if (grid_->isEnabled()) {
        state_.updateNext();
        grid_->verticalScrollBar()->setValue(firstVisible);
        grid_->setFocus();
        if (cell.row() < model_->rowCount()) grid_->setCurrentIndex(model_->index(cell.row(), column));
        editor_->hide();
    }
}

void EventsTab::deleteCurrent() {
    const EventKind kind = model_->kind();
    const EventRow* shown = model_->rowAt(grid_->currentIndex().row());
    if (grid_->isEnabled() && shown && state_.settings().warnings &&
        dialogs_.confirmation(QStringLiteral("Valóban törölni szeretné azt a sort amiben áll?")) ==
            Dialogs::Yes) {
        const EventRow row = *shown;
        const QModelIndex cell = grid_->currentIndex();
        if (!state_.removeEvent(kind, row))
            dialogs_.warning(QStringLiteral("Az esemény időközben megváltozott, ezért nem töröltem. "
                                            "Kérem, nézze meg újra a listát."));
        if (!state_.table(kind).rows.empty()) relist(cell.row(), cell.column());
        if (!model_->isEmpty()) closeEditor();
    }
    onKindChanged();
}

void EventsTab::onNameDayChosen(int index) {
    if (index < 1) return;
    emit newPartnerRequested(QLatin1Char(' ') + nameDayList_->itemText(index));
    nameDayList_->setCurrentIndex(0);
}

bool EventsTab::openEvent(std::optional<EventKind> kind, const QString& date, const QString& time,
                          bool withPast) {
    emit pageRequested();
    if (kind) kindChoice_->setCurrentIndex(static_cast<int>(kindIndex(*kind)));
    allFilter_->setChecked(true);
    const DayNumber today = state_.now().day;
    list(false, today, today, withPast);
    const bool timed = hasTime(model_->kind());
    for (int r = 0; r < static_cast<int>(model_->listedCount()); ++r) {
        if (fromCp(model_->cellText(r, EventEditor::DateColumn)) != date) continue;
        if (timed && fromCp(model_->cellText(r, EventEditor::TimeColumn)) != time) continue;
        grid_->setCurrentIndex(model_->index(r, timed ? EventEditor::TimeColumn : EventEditor::DateColumn));
        openEditor();
        return true;
    }
    return false;
}

bool EventsTab::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == editor_) {
        if (type == QEvent::Show || type == QEvent::Hide) fitGridAboveEditor();
        return false;
    }
    if (type == QEvent::MouseButtonPress && watched == grid_->viewport()) {
        // The right button opens the current row's editor without moving the current cell.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            if (grid_->isEnabled()) openEditor();
            return true;
        }
        return false;
    }
    if (type != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == grid_) {
        // Ctrl+Tab belongs to the tabs, not to the grid's search by typing.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            (key->modifiers() & Qt::ControlModifier)) {
            if (QTabWidget* tabs = tabWidgetOf(this)) QCoreApplication::sendEvent(tabs, key);
            return true;
        }
        const QModelIndex cur = grid_->currentIndex();
        if (key->key() == Qt::Key_Left && cur.column() == EventEditor::DateColumn) {
            grid_->setCurrentIndex(model_->index(cur.row(), EventEditor::ActiveColumn));
            return true;
        }
        if (key->key() == Qt::Key_Right && cur.column() == EventEditor::ActiveColumn) {
            grid_->setCurrentIndex(model_->index(cur.row(), EventEditor::DateColumn));
            return true;
        }
        if (enter) {
            openEditor();
            return true;
        }
        if (key->key() == Qt::Key_Delete) {
            guarded(dialogs_, [this] { deleteCurrent(); });
            return true;
        }
        return false;
    }
    // Enter on a filter goes to the grid.
    if (enter && qobject_cast<QRadioButton*>(watched)) {
        if (grid_->isEnabled()) grid_->setFocus();
        return true;
    }
    return false;
}

} // namespace zel::gui
