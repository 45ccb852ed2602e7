#pragma once

#include "core/events/event_table.h"

#include <QAbstractTableModel>

class QTableView;

namespace zel::gui {

class AppState;

// A read-only view of one event table, or of its next-event row, as the service view shows them.
class EventTableModel : public QAbstractTableModel {
  public:
    enum class Show { Table, NextRow };
    // Follows the state: the table when it is rebuilt, the next row when the next rows move.
    EventTableModel(const AppState& state, EventKind kind, Show show, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 5; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    EventKind kind() const { return kind_; }
    Show shows() const { return show_; }

  private:
    // The reset is announced before the state changes the table and ends after, so nothing reads
    // the rebuilt table through rows the views still hold.
    void beginReset() {
        if (resetting_) return;
        resetting_ = true;
        beginResetModel();
    }
    void endReset() {
        if (!resetting_) beginResetModel();
        resetting_ = false;
        endResetModel();
    }

    const EventBook& book_;
    EventKind kind_;
    Show show_;
    bool resetting_ = false;
};

// Lays out a view that shows such a model: the active mark, the date, the time and the recurrence as
// wide as their texts in the view's font, the text with the room left. Columns that are always empty
// (a name day's time and recurrence) and the next row's recurrence are not shown. Call it once the
// model is set.
void fitEventColumns(QTableView* view);

} // namespace zel::gui
