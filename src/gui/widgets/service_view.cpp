#include "gui/widgets/service_view.h"

#include "gui/widgets/event_table_model.h"
#include "gui/widgets/widget_util.h"

#include <QHeaderView>
#include <QTableView>
#include <algorithm>

namespace zel::gui {

void ServiceView::prepare(const AppState& state) const {
    tables->hide();
    next->hide();
    for (EventKind k : kAllEventKinds) {
        QTableView* view = tableViews[kindIndex(k)];
        view->setEditTriggers(QAbstractItemView::NoEditTriggers);
        view->verticalHeader()->setDefaultSectionSize(std::max(18, accentSafeRowHeight(view->font())));
        view->horizontalHeader()->setStretchLastSection(true);

        QTableView* row = nextViews[kindIndex(k)];
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

void ServiceView::show(const AppState& state) const {
    for (EventKind k : kAllEventKinds) {
        QTableView* view = tableViews[kindIndex(k)];
        view->setModel(new EventTableModel(state, k, EventTableModel::Show::Table, view));
        fitEventColumns(view);
    }
    tables->show();
    next->show();
}

} // namespace zel::gui
