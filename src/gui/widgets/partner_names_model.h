#pragma once

#include <QAbstractListModel>

namespace zel::gui {

class AppState;

// The partners' names as the state holds them, turned into display text row by row when a view
// asks: ten thousand names cost no copies. Follows the state when the partners change.
class PartnerNamesModel : public QAbstractListModel {
  public:
    explicit PartnerNamesModel(const AppState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

  private:
    const AppState& state_;
};

} // namespace zel::gui
