#pragma once

#include <QAbstractListModel>
#include <cstddef>
#include <vector>

namespace zel::gui {

class AppState;

// The partners' names in Hungarian alphabetical order, turned into display text row by row when a
// view asks: ten thousand names cost no copies. A row maps to its record's place in the file, which
// keeps its own order. Follows the state when the partners change.
class PartnerNamesModel : public QAbstractListModel {
  public:
    explicit PartnerNamesModel(const AppState& state, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;

    // The file position of a row's record; a row out of range gives the record count.
    std::size_t recordAt(int row) const;
    // The row that shows a record; -1 for none.
    int rowOf(std::size_t record) const;

  private:
    void follow();

    const AppState& state_;
    std::vector<int> rowOfRecord_;
    bool resetting_ = false;
};

} // namespace zel::gui
