#pragma once

#include "core/partners/partner_record.h"

#include <QAbstractTableModel>
#include <QStyledItemDelegate>
#include <cstddef>
#include <vector>

namespace zel::gui {

// Contacts as a grid of seven columns, the partner fields a contact exchange knows. Texts stay
// Windows-1250 and uncut, as read or edited; a multi-line text keeps CR LF and shows on one line.
// Every cell can be edited; a sort is ascending, case-insensitive, in Hungarian alphabetical order, and keeps
// equal rows in their order. Rows are kept sorted by the last sort's column, the name until a header
// is clicked: new rows take their places among them, edits move nothing.
class ContactTableModel : public QAbstractTableModel {
  public:
    enum Column { NameColumn, EmailColumn, PhoneColumn, MobileColumn, WebColumn, AddressColumn, NoteColumn };
    static constexpr int kColumnCount = 7;
    // The columns' widths in pixels, as the grids are laid out.
    static constexpr int kColumnWidths[kColumnCount] = {115, 115, 65, 65, 115, 125, 145};

    explicit ContactTableModel(QObject* parent = nullptr) : QAbstractTableModel(parent) {}

    const std::vector<PartnerRecord>& rows() const { return rows_; }
    bool isEmpty() const { return rows_.empty(); }
    void setRows(std::vector<PartnerRecord> rows);
    void appendRows(const std::vector<PartnerRecord>& rows);
    // Removes these rows (indexes into rows(), any order); the others keep their order.
    void removeRowsAt(std::vector<std::size_t> rows);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : kColumnCount;
    }
    QVariant data(const QModelIndex& index, int role) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

  private:
    void sortRows(int column);

    std::vector<PartnerRecord> rows_;
    int sortColumn_ = NameColumn;
};

// Edits the note column in a box of several lines, where Enter starts a new line; the other columns
// get the usual line editor. Tab takes either editor to the next cell.
class ContactCellDelegate : public QStyledItemDelegate {
  public:
    using QStyledItemDelegate::QStyledItemDelegate;
    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                          const QModelIndex& index) const override;
    void setEditorData(QWidget* editor, const QModelIndex& index) const override;
    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override;
    void updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                              const QModelIndex& index) const override;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

} // namespace zel::gui
