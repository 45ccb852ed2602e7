#include "gui/widgets/listing_model.h"

#include "core/events/listing.h"
#include "gui/state/app_state.h"
#include "gui/text/qt_text.h"

namespace zel::gui {

ListingModel::ListingModel(const AppState& state, QObject* parent)
    : QAbstractTableModel(parent), state_(state) {
    // The listed rows point into the table: the views let go of them before it changes.
    connect(&state, &AppState::eventsAboutToChange, this, [this](EventKind kind) {
        if (kind != query_.kind || resetting_) return;
        resetting_ = true;
        beginResetModel();
    });
    connect(&state, &AppState::eventsChanged, this, [this](EventKind kind) {
        if (kind == query_.kind) take();
    });
}

void ListingModel::list(const ListingQuery& query) {
    query_ = query;
    take();
}

void ListingModel::take() {
    if (!resetting_) beginResetModel();
    resetting_ = false;
    kind_ = query_.kind;
    rows_ = listedRows(state_.table(kind_), query_.rangeMode, query_.from, query_.to, query_.withPast,
                       state_.now());
    endResetModel();
    emit headerDataChanged(Qt::Horizontal, 0, 4);
}

const TableRow* ListingModel::rowAt(int r) const {
    if (r < 0 || static_cast<std::size_t>(r) >= rows_.size()) return nullptr;
    return &state_.table(kind_).rows[rows_[static_cast<std::size_t>(r)]];
}

std::optional<EventRow> ListingModel::rowCopyAt(int r) const {
    if (r < 0 || static_cast<std::size_t>(r) >= rows_.size()) return std::nullopt;
    return state_.table(kind_).row(rows_[static_cast<std::size_t>(r)]);
}

std::string ListingModel::cellText(int r, int column) const {
    const TableRow* row = rowAt(r);
    if (!row) return {};
    const EventCells c = cellsOf(kind_, *row, state_.table(kind_).text(*row));
    switch (column) {
    case 0:
        return c[0];
    case 1:
        return hasTime(kind_) ? recurrenceWord(row->recurrence) : std::string();
    case 2:
        return c[1];
    case 3:
        return c[2];
    case 4:
        return c[3];
    }
    return {};
}

int ListingModel::rowCount(const QModelIndex& parent) const {
    if (parent.isValid()) return 0;
    return std::max<int>(1, static_cast<int>(rows_.size()));
}

QVariant ListingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid()) return {};
    if (role == Qt::DisplayRole) {
        const QString text = fromCp(cellText(index.row(), index.column()));
        // A reminder of several lines shows on one grid line.
        return index.column() == 4 ? oneLine(text) : text;
    }
    if (role == Qt::ToolTipRole && index.column() == 4 && rowAt(index.row()))
        return fromStored(std::string(state_.table(kind_).text(*rowAt(index.row()))));
    return {};
}

QVariant ListingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal) return {};
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(section == 4 ? Qt::AlignCenter : Qt::AlignLeft | Qt::AlignVCenter);
    if (role != Qt::DisplayRole) return {};
    static const char* const kLast[] = {"Tárgy", "Futtatandó program", "Névnap", "Név"};
    switch (section) {
    case 0:
        return QStringLiteral("Aktív");
    case 1:
        return QStringLiteral("Ismétel");
    case 2:
        return QStringLiteral("Dátum");
    case 3:
        return QStringLiteral("Óra");
    default:
        return QString::fromUtf8(kLast[kindIndex(kind_)]);
    }
}

Qt::ItemFlags ListingModel::flags(const QModelIndex& index) const {
    if (rows_.empty()) return Qt::NoItemFlags;
    return QAbstractTableModel::flags(index);
}

} // namespace zel::gui
