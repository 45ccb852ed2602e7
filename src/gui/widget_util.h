#pragma once

#include "text/datetime.h"

#include <QDate>
#include <QStyledItemDelegate>
#include <QWidget>

namespace zel::gui {

inline QDate qdateOf(DayNumber day) {
    const Ymd d = ymdOf(day);
    return QDate(d.year, d.month, d.day);
}

inline DayNumber dayOf(const QDate& d) {
    return dayNumber(d.year(), d.month(), d.day());
}

// Controls carry their names as object names, so tests and the theme find them.
template <class W> W* named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

// Rows of one fixed height in a list.
class RowHeightDelegate : public QStyledItemDelegate {
  public:
    RowHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(), height_};
    }

  private:
    int height_;
};

} // namespace zel::gui
