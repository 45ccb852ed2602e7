#pragma once

#include "core/events/event_table.h"

#include <QAbstractTableModel>

namespace zel::gui {

// A read-only view of one event table, or of its next-event row, as the service view shows them.
class EventTableModel : public QAbstractTableModel {
  public:
    enum class Show { Table, NextRow };
    EventTableModel(const EventBook& book, EventKind kind, Show show, QObject* parent = nullptr)
        : QAbstractTableModel(parent), book_(book), kind_(kind), show_(show) {}

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : 5; }
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // The table was rebuilt or the next row moved.
    void reload() {
        beginResetModel();
        endResetModel();
    }

  private:
    const EventBook& book_;
    EventKind kind_;
    Show show_;
};

} // namespace zel::gui
