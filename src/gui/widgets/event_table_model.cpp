#include "gui/widgets/event_table_model.h"

#include "gui/state/app_state.h"
#include "gui/text/qt_text.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QTableView>
#include <algorithm>

namespace zel::gui {

EventTableModel::EventTableModel(const AppState& state, EventKind kind, Show show, QObject* parent)
    : QAbstractTableModel(parent), book_(state.events()), kind_(kind), show_(show) {
    if (show == Show::Table) {
        connect(&state, &AppState::eventsAboutToChange, this, [this](EventKind changed) {
            if (changed == kind_) beginReset();
        });
        connect(&state, &AppState::eventsChanged, this, [this](EventKind changed) {
            if (changed == kind_) endReset();
        });
    } else {
        // Every tick moves the next rows; one row of cells changes, so no reset is needed.
        connect(&state, &AppState::nextEventsChanged, this,
                [this] { emit dataChanged(index(0, 0), index(0, columnCount() - 1)); });
    }
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
    // A row is numbered by its place in the file.
    if (orientation == Qt::Vertical) return section;
    static const char* const kHeaders[] = {"Aktív", "Dátum", "Óra", "Szöveg", "Ismétlődés"};
    return section >= 0 && section < columnCount() ? QString::fromUtf8(kHeaders[section]) : QVariant();
}

void fitEventColumns(QTableView* view) {
    QHeaderView* header = view->horizontalHeader();
    const QFontMetrics cells(view->font()), captions(header->font());
    const bool titled = header->isVisibleTo(view);
    const auto room = [&](const char* cell, int section) {
        const int forCell = cells.horizontalAdvance(QString::fromUtf8(cell));
        const int forCaption =
            titled ? captions.horizontalAdvance(view->model()->headerData(section, Qt::Horizontal).toString())
                   : 0;
        return std::max(forCell, forCaption) + 2 * cells.horizontalAdvance(QLatin1Char(' ')) + 4;
    };
    header->setMinimumSectionSize(4);
    header->setStretchLastSection(false);
    view->setColumnWidth(0, room("   *", 0));
    view->setColumnWidth(1, room("2026.12.31.", 1));
    view->setColumnWidth(2, room("22:22", 2));
    view->setColumnWidth(4, room("4", 4));
    header->setSectionResizeMode(3, QHeaderView::Stretch);
    if (const auto* model = dynamic_cast<const EventTableModel*>(view->model())) {
        view->setColumnHidden(2, !hasTime(model->kind()));
        view->setColumnHidden(4, !hasTime(model->kind()) || model->shows() == EventTableModel::Show::NextRow);
    }
}

} // namespace zel::gui
