#include "gui/tabs/events_tab.h"

#include "core/events/listing.h"
#include "gui/platform/shell.h"
#include "gui/state/app_state.h"
#include "gui/tabs/event_editor.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "gui/widgets/listing_model.h"
#include "gui/widgets/section_click.h"
#include "gui/widgets/widget_util.h"
#include "ui_events_tab.h"

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
    : QWidget(parent), state_(state), dialogs_(dialogs), shell_(shell),
      ui_(std::make_unique<Ui::EventsTab>()) {
    build();
}

EventsTab::~EventsTab() = default;

void EventsTab::build() {
    ui_->setupUi(this);
    // The range row and the name days keep their place while hidden, so the listing stays put when the
    // filter changes.
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui_->rangeFrom, ui_->rangeDash, ui_->rangeTo, ui_->nameDayGroup}) {
        QSizePolicy policy = w->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        w->setSizePolicy(policy);
    }
    for (QRadioButton* filter : {ui_->allFilter, ui_->todayFilter, ui_->tomorrowFilter, ui_->weekFilter,
                                 ui_->monthFilter, ui_->rangeFilter})
        filter->installEventFilter(this);

    QTableView* grid = ui_->eventGrid;
    model_ = new ListingModel(state_, grid);
    grid->setModel(model_);
    const int rowHeight = std::max(17, accentSafeRowHeight(grid->font()));
    grid->verticalHeader()->setMinimumSectionSize(rowHeight);
    grid->verticalHeader()->setDefaultSectionSize(rowHeight);
    const int headerHeight = std::max(19, accentSafeRowHeight(grid->horizontalHeader()->font()) + 2);
    grid->horizontalHeader()->setFixedHeight(headerHeight);
    // However far the editor below squeezes it, the grid shows the row being edited; while the editor
    // is closed the grid holds its room too, so the page needs no more room when it opens. Before its
    // first opening the editor shows all its fields, so it is as tall as its tallest field makes it.
    gridMinimum_ = headerHeight + rowHeight + 2 * grid->frameWidth();
    editorRoom_ = ui_->editGroup->minimumSizeHint().height() + layout()->spacing();
    grid->setMinimumHeight(gridMinimum_ + editorRoom_);
    grid->installEventFilter(this);
    grid->viewport()->installEventFilter(this);
    // The columns keep their widths; wide enough for the window's font.
    const QFontMetrics fm(grid->font());
    const int widths[] = {std::max(28, fm.horizontalAdvance(QStringLiteral("Aktív")) + 8),
                          std::max(40, fm.horizontalAdvance(QStringLiteral("Havonta")) + 8),
                          std::max(61, fm.horizontalAdvance(QStringLiteral("2024.03.05.")) + 8),
                          std::max(32, fm.horizontalAdvance(QStringLiteral("22:22")) + 8)};
    for (int c = 0; c < 4; ++c)
        grid->setColumnWidth(c, widths[c]);

    ui_->editGroup->installEventFilter(this);
    selectSectionOnClick(ui_->rangeFrom);
    selectSectionOnClick(ui_->rangeTo);

    auto run = [this](void (EventsTab::*handler)()) {
        return [this, handler] { guarded(dialogs_, [this, handler] { (this->*handler)(); }); };
    };
    connect(ui_->allFilter, &QRadioButton::clicked, this, run(&EventsTab::listAll));
    connect(ui_->todayFilter, &QRadioButton::clicked, this, run(&EventsTab::listToday));
    connect(ui_->tomorrowFilter, &QRadioButton::clicked, this, run(&EventsTab::listTomorrow));
    connect(ui_->weekFilter, &QRadioButton::clicked, this, run(&EventsTab::listWeek));
    connect(ui_->monthFilter, &QRadioButton::clicked, this, run(&EventsTab::listMonth));
    connect(ui_->rangeFilter, &QRadioButton::clicked, this, &EventsTab::chooseRange);
    connect(ui_->rangeFrom, &QDateEdit::dateChanged, this, [this] {
        if (!quiet_) guarded(dialogs_, [this] { onRangeFromChanged(); });
    });
    connect(ui_->rangeTo, &QDateEdit::dateChanged, this, [this] {
        if (!quiet_) guarded(dialogs_, [this] { onRangeToChanged(); });
    });
    connect(ui_->listingKindChoice, &QComboBox::activated, this, run(&EventsTab::onKindChanged));
    connect(ui_->nameDayList, &QComboBox::activated, this, &EventsTab::onNameDayChosen);
    connect(ui_->deleteButton, &QPushButton::clicked, this, run(&EventsTab::deleteCurrent));
    connect(ui_->eventGrid, &QTableView::doubleClicked, this, &EventsTab::openEditor);
    connect(ui_->eventGrid, &QTableView::clicked, this, &EventsTab::closeEditor);
    connect(ui_->eventGrid->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& now, const QModelIndex& before) {
                // The recurrence column is never the current cell.
                if (now.isValid() && now.column() == EventEditor::RecurrenceColumn)
                    ui_->eventGrid->setCurrentIndex(model_->index(
                        now.row(), before.isValid() && before.column() == EventEditor::DateColumn
                                       ? EventEditor::ActiveColumn
                                       : EventEditor::DateColumn));
            });
    connect(ui_->editGroup, &EventEditor::applyRequested, this, run(&EventsTab::applyEdit));
    connect(ui_->editGroup, &EventEditor::closeRequested, this, &EventsTab::closeEditor);
    connect(ui_->editGroup, &EventEditor::browseRequested, this, &EventsTab::chooseProgramFile);
    showRange(false);
}

EventKind EventsTab::chosenKind() const {
    return kAllEventKinds[static_cast<std::size_t>(std::max(0, ui_->listingKindChoice->currentIndex()))];
}

void EventsTab::showRange(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{ui_->rangeFrom, ui_->rangeTo, ui_->rangeDash, ui_->nameDayGroup})
        w->setVisible(on);
}

void EventsTab::setPickers(DayNumber from, DayNumber to) {
    quiet_ = true;
    ui_->rangeFrom->setDate(qdateOf(from));
    ui_->rangeTo->setDate(qdateOf(to));
    quiet_ = false;
}

void EventsTab::checkRange() {
    if (!ui_->rangeFilter->isChecked()) {
        ui_->rangeFilter->setChecked(true);
        chooseRange();
    }
}

void EventsTab::list(bool rangeMode, DayNumber from, DayNumber to, bool withPast) {
    showRange(rangeMode);
    // The name days of the first day, from the calendar the settings choose.
    ui_->nameDayList->clear();
    const Settings& s = state_.settings();
    for (const auto& entry :
         nameDayListOf(s.allOccurrences ? state_.extendedCalendar() : state_.commonCalendar(), from))
        ui_->nameDayList->addItem(fromCp(entry));
    if (ui_->nameDayList->count() > 0) ui_->nameDayList->setCurrentIndex(0);
    ui_->editGroup->hide();
    setPickers(from, to);

    model_->list({chosenKind(), rangeMode, from, to, s.pastEvents || withPast});
    const bool timed = hasTime(model_->kind());
    ui_->eventGrid->setColumnHidden(EventEditor::RecurrenceColumn, !timed);
    ui_->eventGrid->setColumnHidden(EventEditor::TimeColumn, !timed);
    if (model_->isEmpty()) {
        ui_->eventGrid->setEnabled(false);
        ui_->eventGrid->setShowGrid(false);
        ui_->eventGrid->clearSelection();
        ui_->eventGrid->setCurrentIndex({});
        return;
    }
    ui_->eventGrid->setEnabled(true);
    ui_->eventGrid->setShowGrid(true);
    ui_->eventGrid->setFocus();
    ui_->eventGrid->setCurrentIndex(model_->index(0, 0));
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
    ui_->rangeFrom->setFocus();
}

void EventsTab::onRangeFromChanged() {
    quiet_ = true;
    ui_->rangeTo->setDate(ui_->rangeFrom->date());
    quiet_ = false;
    const DayNumber day = dayOf(ui_->rangeFrom->date());
    list(true, day, day);
    checkRange();
}

void EventsTab::onRangeToChanged() {
    if (ui_->rangeFrom->date() > ui_->rangeTo->date()) {
        quiet_ = true;
        ui_->rangeTo->setDate(ui_->rangeFrom->date());
        quiet_ = false;
    }
    list(true, dayOf(ui_->rangeFrom->date()), dayOf(ui_->rangeTo->date()));
    checkRange();
}

void EventsTab::runChosenFilter() {
    if (ui_->allFilter->isChecked())
        listAll();
    else if (ui_->todayFilter->isChecked())
        listToday();
    else if (ui_->tomorrowFilter->isChecked())
        listTomorrow();
    else if (ui_->weekFilter->isChecked())
        listWeek();
    else if (ui_->monthFilter->isChecked())
        listMonth();
    else if (ui_->rangeFilter->isChecked())
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
    if (ui_->eventGrid->isEnabled()) {
        ui_->eventGrid->setFocus();
        if (row >= 0 && row < model_->rowCount()) ui_->eventGrid->setCurrentIndex(model_->index(row, column));
    }
}

void EventsTab::closeEditor() {
    ui_->editGroup->hide();
    ui_->eventGrid->setFocus();
}

void EventsTab::keepEditedRowInSight() {
    if (ui_->editGroup->isVisible() && ui_->eventGrid->currentIndex().isValid())
        ui_->eventGrid->scrollTo(ui_->eventGrid->currentIndex());
}

void EventsTab::openEditor() {
    ui_->eventGrid->setMinimumHeight(gridMinimum_);
    const QModelIndex cell = ui_->eventGrid->currentIndex();
    const std::optional<EventRow> row = cell.isValid() ? model_->rowCopyAt(cell.row()) : std::nullopt;
    ui_->editGroup->open(model_->kind(), row ? &*row : nullptr, cell.column(), state_.now(),
                         state_.partnerNamesAlphabetical());
    keepEditedRowInSight();
}

void EventsTab::chooseProgramFile() {
    const QString current = ui_->editGroup->programFile();
    const QString file = dialogs_.openFile(
        QString(),
        QFileInfo(current).isFile() ? current : QString::fromStdString(state_.paths().exeDir.string()),
        programFileFilter());
    if (!file.isEmpty()) ui_->editGroup->setProgramFile(file);
}

void EventsTab::applyEdit() {
    ui_->editGroup->setTimeLocked(true);
    struct Unlock {
        EventEditor* e;
        ~Unlock() { e->setTimeLocked(false); }
    } unlock{ui_->editGroup};

    const QModelIndex cell = ui_->eventGrid->currentIndex();
    const EventKind kind = model_->kind();
    const std::optional<EventRow> shown = model_->rowCopyAt(cell.row());
    if (!shown || !shown->day) return;
    const EventRow& row = *shown;
    const int column = cell.column();

    if (hasTime(kind)) {
        // One reminder (one program) a minute: checked for a new time, and also for a new date, so a
        // moved event never lands on a taken minute.
        const bool timeEdit = column == EventEditor::TimeColumn;
        const bool dateMove = column == EventEditor::DateColumn && ui_->editGroup->day() != *row.day;
        const DayNumber day = timeEdit ? *row.day : ui_->editGroup->day();
        const int minute = timeEdit ? ui_->editGroup->minute() : row.minute;
        if ((timeEdit || dateMove) && state_.minuteTaken(kind, day, minute)) {
            dialogs_.information(minuteTakenMessage(kind == EventKind::Reminder));
            return;
        }
    }
    if (kind == EventKind::Program && state_.settings().warnings) {
        // A stored command is a path and its parameters: the shell tells whether it finds a program.
        if (!shell_.findsProgram(ui_->editGroup->programFile()) &&
            dialogs_.warning(QStringLiteral("A megadott futtatandó állomány nem található!") + kNl +
                                 QStringLiteral("Szeretne egy újat megadni?"),
                             Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
            return;
    }
    if (column == EventEditor::RecurrenceColumn || column < 0 || column > EventEditor::TextColumn) return;

    const int firstVisible = ui_->eventGrid->verticalScrollBar()->value();
    if (!state_.modifyEvent(kind, row, ui_->editGroup->changed(kind, row, column)))
        dialogs_.warning(QStringLiteral("Az esemény időközben megváltozott, ezért nem írtam át. "
                                        "Kérem, nézze meg újra a listát."));
    if (!state_.table(kind).rows.empty()) relist(cell.row(), cell.column());
    if (ui_->eventGrid->isEnabled()) {
        state_.updateNext();
        ui_->eventGrid->verticalScrollBar()->setValue(firstVisible);
        ui_->eventGrid->setFocus();
        if (cell.row() < model_->rowCount())
            ui_->eventGrid->setCurrentIndex(model_->index(cell.row(), column));
        ui_->editGroup->hide();
    }
}

void EventsTab::deleteCurrent() {
    const EventKind kind = model_->kind();
    const std::optional<EventRow> shown = model_->rowCopyAt(ui_->eventGrid->currentIndex().row());
    if (ui_->eventGrid->isEnabled() && shown && state_.settings().warnings &&
        dialogs_.confirmation(QStringLiteral("Valóban törölni szeretné azt a sort amiben áll?")) ==
            Dialogs::Yes) {
        const EventRow& row = *shown;
        const QModelIndex cell = ui_->eventGrid->currentIndex();
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
    emit newPartnerRequested(QLatin1Char(' ') + ui_->nameDayList->itemText(index));
    ui_->nameDayList->setCurrentIndex(0);
}

bool EventsTab::openEvent(std::optional<EventKind> kind, const QString& date, const QString& time,
                          bool withPast) {
    emit pageRequested();
    if (kind) ui_->listingKindChoice->setCurrentIndex(static_cast<int>(kindIndex(*kind)));
    ui_->allFilter->setChecked(true);
    const DayNumber today = state_.now().day;
    list(false, today, today, withPast);
    const bool timed = hasTime(model_->kind());
    for (int r = 0; r < static_cast<int>(model_->listedCount()); ++r) {
        if (fromCp(model_->cellText(r, EventEditor::DateColumn)) != date) continue;
        if (timed && fromCp(model_->cellText(r, EventEditor::TimeColumn)) != time) continue;
        ui_->eventGrid->setCurrentIndex(
            model_->index(r, timed ? EventEditor::TimeColumn : EventEditor::DateColumn));
        openEditor();
        return true;
    }
    return false;
}

bool EventsTab::eventFilter(QObject* watched, QEvent* event) {
    const auto type = event->type();
    if (watched == ui_->editGroup) {
        if (type == QEvent::HideToParent) {
            // The grid takes the editor's room back at once, so a write's relisting and scrolling
            // work on the whole grid.
            ui_->eventGrid->setMinimumHeight(gridMinimum_ + editorRoom_);
            layout()->invalidate();
            layout()->activate();
        } else if (type == QEvent::Show || type == QEvent::Resize) {
            // The editor takes its room from the grid, which then ends above it.
            keepEditedRowInSight();
        }
        return false;
    }
    if (type == QEvent::MouseButtonPress && watched == ui_->eventGrid->viewport()) {
        // The right button opens the current row's editor without moving the current cell.
        if (static_cast<QMouseEvent*>(event)->button() == Qt::RightButton) {
            if (ui_->eventGrid->isEnabled()) openEditor();
            return true;
        }
        return false;
    }
    if (type != QEvent::KeyPress) return QWidget::eventFilter(watched, event);
    auto* key = static_cast<QKeyEvent*>(event);
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    if (watched == ui_->eventGrid) {
        // Ctrl+Tab belongs to the tabs, not to the grid's search by typing.
        if ((key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab) &&
            (key->modifiers() & Qt::ControlModifier)) {
            if (QTabWidget* tabs = tabWidgetOf(this)) QCoreApplication::sendEvent(tabs, key);
            return true;
        }
        const QModelIndex cur = ui_->eventGrid->currentIndex();
        if (key->key() == Qt::Key_Left && cur.column() == EventEditor::DateColumn) {
            ui_->eventGrid->setCurrentIndex(model_->index(cur.row(), EventEditor::ActiveColumn));
            return true;
        }
        if (key->key() == Qt::Key_Right && cur.column() == EventEditor::ActiveColumn) {
            ui_->eventGrid->setCurrentIndex(model_->index(cur.row(), EventEditor::DateColumn));
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
        if (ui_->eventGrid->isEnabled()) ui_->eventGrid->setFocus();
        return true;
    }
    return false;
}

} // namespace zel::gui
