#include "gui/widgets/service_view.h"

#include "gui/widgets/event_table_model.h"
#include "gui/widgets/month_calendar.h"
#include "gui/widgets/widget_util.h"
#include "ui_service_view.h"

#include <QGridLayout>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>
#include <array>

namespace zel::gui {

ServiceView::ServiceView(QGridLayout& frame, const AppState& state)
    : ui_(std::make_unique<Ui::ServiceView>()) {
    // The form's own page only carries the parts to their cells.
    QWidget page;
    ui_->setupUi(&page);
    ui_->partsLayout->removeWidget(ui_->serviceNext);
    ui_->partsLayout->removeWidget(ui_->workTables);
    frame.addWidget(ui_->serviceNext, 0, 1);
    frame.addWidget(ui_->workTables, 1, 0, 1, 2);
    const std::array<QTableView*, 4> tables{ui_->reminderTable, ui_->programTable, ui_->nameDayTable,
                                            ui_->birthdayTable};
    const std::array<QTableView*, 4> nextRows{ui_->nextReminder, ui_->nextProgram, ui_->nextNameDay,
                                              ui_->nextBirthday};
    for (EventKind k : kAllEventKinds) {
        QTableView* view = tables[kindIndex(k)];
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->verticalHeader()->setDefaultSectionSize(std::max(18, accentSafeRowHeight(view->font())));
        view->horizontalHeader()->setStretchLastSection(true);
        view->setModel(new EventTableModel(state, k, EventTableModel::Show::Table, view));
        fitEventColumns(view);

        QTableView* row = nextRows[kindIndex(k)];
        row->setModel(new EventTableModel(state, k, EventTableModel::Show::NextRow, row));
        row->setEditTriggers(QAbstractItemView::NoEditTriggers);
        row->verticalHeader()->hide();
        row->horizontalHeader()->hide();
        fitEventColumns(row);
        const int height = std::max(18, accentSafeRowHeight(row->font()));
        row->verticalHeader()->setDefaultSectionSize(height);
        row->setFixedHeight(height + 2 * row->frameWidth());
        row->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        row->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    }
}

ServiceView::~ServiceView() = default;

MonthCalendar* ServiceView::monthCalendar() const {
    return ui_->monthCalendar;
}

} // namespace zel::gui
