#pragma once

#include "core/events/event_table.h"

#include <QAbstractTableModel>
#include <optional>
#include <vector>

namespace zel::gui {

class AppState;

// Which rows of a kind are listed: all, or the days from..to; the past too when withPast is set.
struct ListingQuery {
    EventKind kind = EventKind::Reminder;
    bool rangeMode = false;
    DayNumber from = 0;
    DayNumber to = 0;
    bool withPast = false;
};

// The listing grid: the listed rows of one table, in table order, with the columns of the events tab
// (active mark, recurrence word, date, time, text). An empty listing still shows one blank row. When
// the listed kind's table is rebuilt, the listing is taken again, so no row ever points into a table
// that changed.
class ListingModel : public QAbstractTableModel {
  public:
    explicit ListingModel(const AppState& state, QObject* parent = nullptr);

    void list(const ListingQuery& query);
    EventKind kind() const { return kind_; }
    bool isEmpty() const { return rows_.empty(); }
    std::size_t listedCount() const { return rows_.size(); }
    // The table row shown in grid row r, or nullptr for the blank row. The pointer is good until
    // the table is rebuilt.
    const TableRow* rowAt(int r) const;
    // A copy of that row with its text, or nothing for the blank row.
    std::optional<EventRow> rowCopyAt(int r) const;
    // The five texts of grid row r as the grid shows them (Windows-1250).
    std::string cellText(int r, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 5; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

  private:
    // Lists again; a reset announced before the table changed ends here.
    void take();

    const AppState& state_;
    ListingQuery query_;
    EventKind kind_ = EventKind::Reminder;
    std::vector<std::size_t> rows_;
    bool resetting_ = false;
};

} // namespace zel::gui
