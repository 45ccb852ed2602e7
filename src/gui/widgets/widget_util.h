#pragma once

#include "core/text/datetime.h"

#include <algorithm>

#include <QDate>
#include <QFontMetrics>
#include <QStackedWidget>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QWidget>

namespace zel::gui {

inline QDate qdateOf(DayNumber day) {
    const Ymd d = ymdOf(day);
    return QDate(d.year, d.month, d.day);
}

inline DayNumber dayOf(const QDate& d) {
    return dayNumber(d.year(), d.month(), d.day());
}

// Whether a tab's page is the one its tab widget shows (a page outside a tab widget always is).
inline bool isCurrentPage(const QWidget* page) {
    const auto* stack = qobject_cast<const QStackedWidget*>(page->parentWidget());
    return !stack || stack->currentWidget() == page;
}

// The tab widget a page belongs to, if any.
inline QTabWidget* tabWidgetOf(const QWidget* page) {
    for (QWidget* w = page->parentWidget(); w; w = w->parentWidget())
        if (auto* tabs = qobject_cast<QTabWidget*>(w)) return tabs;
    return nullptr;
}

// The height of a list or grid row that shows accented capitals (Ő, Ű, Á, É …) whole. A row of the
// font's own line height clips them in fonts whose accents rise above the ascent, and the text is
// centred in its row, so the room is added above and below.
inline int accentSafeRowHeight(const QFont& font) {
    const QFontMetrics fm(font);
    const QRect ink = fm.tightBoundingRect(QStringLiteral("ÁÉÍÓÖŐÚÜŰ"));
    const int above = std::max(0, -ink.top() - fm.ascent());
    return fm.height() + 2 * above;
}

// Rows of one height in a list: the given one, or more where the font needs it.
class RowHeightDelegate : public QStyledItemDelegate {
  public:
    RowHeightDelegate(int height, QObject* parent) : QStyledItemDelegate(parent), height_(height) {}
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        return {QStyledItemDelegate::sizeHint(option, index).width(),
                std::max(height_, accentSafeRowHeight(option.font))};
    }

  private:
    int height_;
};

} // namespace zel::gui
