#include "gui/widgets/contact_table_model.h"

#include "gui/text/qt_text.h"

#include "gui/text/collation.h"

#include <QKeyEvent>
#include <QPlainTextEdit>
#include <algorithm>
#include <numeric>

namespace zel::gui {

namespace {

using Field = std::string PartnerRecord::*;
constexpr Field kFields[ContactTableModel::kColumnCount] = {
    &PartnerRecord::name,       &PartnerRecord::email,   &PartnerRecord::phone, &PartnerRecord::mobile,
    &PartnerRecord::webAddress, &PartnerRecord::address, &PartnerRecord::note};

bool validColumn(int column) {
    return column >= 0 && column < ContactTableModel::kColumnCount;
}

} // namespace

void ContactTableModel::setRows(std::vector<PartnerRecord> rows) {
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
    sortRows(sortColumn_);
}

void ContactTableModel::appendRows(const std::vector<PartnerRecord>& rows) {
    if (rows.empty()) return;
    const int first = static_cast<int>(rows_.size());
    beginInsertRows({}, first, first + static_cast<int>(rows.size()) - 1);
    rows_.insert(rows_.end(), rows.begin(), rows.end());
    endInsertRows();
    sortRows(sortColumn_);
}

void ContactTableModel::removeRowsAt(std::vector<std::size_t> rows) {
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    // From the last, so the rows still to go keep their indexes.
    for (auto it = rows.rbegin(); it != rows.rend(); ++it) {
        if (*it >= rows_.size()) continue;
        const int r = static_cast<int>(*it);
        beginRemoveRows({}, r, r);
        rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(*it));
        endRemoveRows();
    }
}

int ContactTableModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant ContactTableModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || !validColumn(index.column()) || index.row() >= rowCount()) return {};
    const std::string& text = rows_[static_cast<std::size_t>(index.row())].*kFields[index.column()];
    switch (role) {
    case Qt::DisplayRole:
        return oneLine(fromStored(text));
    case Qt::EditRole:
        return fromStored(text);
    case Qt::ToolTipRole:
        // A text of several lines can be read on its lines.
        return text.find('\n') != std::string::npos ? fromStored(text) : QVariant();
    default:
        return {};
    }
}

bool ContactTableModel::setData(const QModelIndex& index, const QVariant& value, int role) {
    if (role != Qt::EditRole || !index.isValid() || !validColumn(index.column()) || index.row() >= rowCount())
        return false;
    rows_[static_cast<std::size_t>(index.row())].*kFields[index.column()] = toStored(value.toString());
    emit dataChanged(index, index, {Qt::DisplayRole, Qt::EditRole, Qt::ToolTipRole});
    return true;
}

QVariant ContactTableModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || !validColumn(section)) return {};
    static const char* const kHeaders[kColumnCount] = {"Név",    "E-mail", "Telefon",   "Mobil",
                                                       "Honlap", "Cím",    "Megjegyzés"};
    return QString::fromUtf8(kHeaders[section]);
}

Qt::ItemFlags ContactTableModel::flags(const QModelIndex& index) const {
    if (!index.isValid()) return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsEditable;
}

void ContactTableModel::sort(int column, Qt::SortOrder) {
    // Always ascending, as the grids offer it.
    if (!validColumn(column)) return;
    sortColumn_ = column;
    sortRows(column);
}

void ContactTableModel::sortRows(int column) {
    if (rows_.size() < 2) return;
    const Field field = kFields[column];
    const std::vector<std::size_t> sorted =
        alphabeticalOrder(rows_.size(), [&](std::size_t i) { return fromCp(rows_[i].*field); });
    if (std::is_sorted(sorted.begin(), sorted.end())) return;

    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<PartnerRecord> moved;
    moved.reserve(rows_.size());
    std::vector<int> placeOf(rows_.size());
    for (std::size_t to = 0; to < sorted.size(); ++to) {
        moved.push_back(std::move(rows_[sorted[to]]));
        placeOf[sorted[to]] = static_cast<int>(to);
    }
    rows_ = std::move(moved);
    // The current cell and the selection follow their rows.
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& i : before)
        after << index(placeOf[static_cast<std::size_t>(i.row())], i.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

QWidget* ContactCellDelegate::createEditor(QWidget* parent, const QStyleOptionViewItem& option,
                                           const QModelIndex& index) const {
    if (index.column() != ContactTableModel::NoteColumn)
        return QStyledItemDelegate::createEditor(parent, option, index);
    auto* editor = new QPlainTextEdit(parent);
    editor->setTabChangesFocus(true);
    return editor;
}

void ContactCellDelegate::setEditorData(QWidget* editor, const QModelIndex& index) const {
    if (auto* box = qobject_cast<QPlainTextEdit*>(editor))
        box->setPlainText(index.data(Qt::EditRole).toString());
    else
        QStyledItemDelegate::setEditorData(editor, index);
}

void ContactCellDelegate::setModelData(QWidget* editor, QAbstractItemModel* model,
                                       const QModelIndex& index) const {
    if (auto* box = qobject_cast<QPlainTextEdit*>(editor))
        model->setData(index, box->toPlainText(), Qt::EditRole);
    else
        QStyledItemDelegate::setModelData(editor, model, index);
}

bool ContactCellDelegate::eventFilter(QObject* watched, QEvent* event) {
    // The grid lets Tab go on to the next control; in the note box it goes on to the next cell, as in
    // a line editor, whose Tab the base class handles.
    auto* box = qobject_cast<QPlainTextEdit*>(watched);
    if (box && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Tab || key == Qt::Key_Backtab) {
            emit commitData(box);
            emit closeEditor(box, key == Qt::Key_Tab ? EditNextItem : EditPreviousItem);
            return true;
        }
    }
    return QStyledItemDelegate::eventFilter(watched, event);
}

void ContactCellDelegate::updateEditorGeometry(QWidget* editor, const QStyleOptionViewItem& option,
                                               const QModelIndex& index) const {
    if (!qobject_cast<QPlainTextEdit*>(editor)) {
        QStyledItemDelegate::updateEditorGeometry(editor, option, index);
        return;
    }
    // A one-line cell is too low for a note: the box takes four lines, within the grid's room.
    QRect r = option.rect;
    r.setHeight(std::max(r.height(), 4 * option.fontMetrics.lineSpacing() + 8));
    if (const QWidget* room = editor->parentWidget()) {
        if (r.bottom() > room->height()) r.moveBottom(room->height() - 1);
        if (r.top() < 0) r.setTop(0);
    }
    editor->setGeometry(r);
}

} // namespace zel::gui
