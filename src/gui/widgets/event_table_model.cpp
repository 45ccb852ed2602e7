#include "gui/widgets/event_table_model.h"

#include "gui/qt_text.h"
#include "gui/state/app_state.h"

namespace zel::gui {

EventTableModel::EventTableModel(const AppState& state, EventKind kind, Show show, QObject* parent)
    : QAbstractTableModel(parent), book_(state.events()), kind_(kind), show_(show) {
    if (show == Show::Table)
        connect(&state, &AppState::eventsChanged, this, [this](EventKind changed) {
            if (changed == kind_) reload();
        });
    else
        // Every tick moves the next rows; one row of cells changes, so no reset is needed.
        connect(&state, &AppState::nextEventsChanged, this,
                [this] { emit dataChanged(index(0, 0), index(0, columnCount() - 1)); });
}

int EventTableModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    if (show_ == Show::NextRow) return 1;
    // A table without records still shows its one empty row.
    return std::max<int>(1, static_cast<int>(book_.table(kind_).rows.size()));
}

QVariant EventTableModel::data(const QModelIndex& index, int role) const {
    if (role != Qt::DisplayRole || !index.isValid()) return {};
    const auto column = static_cast<std::size_t>(index.column());
    if (show_ == Show::NextRow) {
        const auto& next = book_.next(kind_);
        return next ? fromCp(cellsOf(kind_, *next)[column]) : QString();
    }
    const EventTable& table = book_.table(kind_);
    const auto r = static_cast<std::size_t>(index.row());
    if (r >= table.rows.size()) return QString();
    return fromCp(cellsOf(kind_, table.rows[r], table.text(table.rows[r]))[column]);
}

QVariant EventTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole) return {};
    if (orientation == Qt::Vertical) return section;
    return section;
}

} // namespace zel::gui
