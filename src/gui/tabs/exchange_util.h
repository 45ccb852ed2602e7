#pragma once

#include "gui/state/app_state.h"
#include "gui/text/texts.h"
#include "gui/widgets/contact_table_model.h"
#include "gui/widgets/widget_util.h"

#include <QHeaderView>
#include <QStringList>
#include <QTableView>
#include <algorithm>
#include <initializer_list>

// What the import and the export panel share: the separator question, the contact grid, the
// folder their file choosers open in.
namespace zel::gui {

inline const QString kSeparatorCaption = QStringLiteral("Elemelválasztó karakter megadása");
inline const QString kSeparatorPrompt =
    QStringLiteral("Adja meg, hogy melyik karakter választja el az egyes adatokat egymástól.");

// A message of several lines, written as one source line each.
inline QString lines(std::initializer_list<const char*> utf8) {
    QStringList out;
    for (const char* line : utf8)
        out << QString::fromUtf8(line);
    return out.join(kNl);
}

inline QString exeFolder(const AppState& state) {
    return QString::fromStdString(state.paths().exeDir.string());
}

inline void setUpContactView(QTableView* view, ContactTableModel* model) {
    view->setModel(model);
    view->setItemDelegate(new ContactCellDelegate(view));
    const int rowHeight = std::max(17, accentSafeRowHeight(view->font()));
    view->verticalHeader()->setMinimumSectionSize(rowHeight);
    view->verticalHeader()->setDefaultSectionSize(rowHeight);
    QHeaderView* header = view->horizontalHeader();
    header->setFixedHeight(std::max(19, accentSafeRowHeight(header->font()) + 2));
    header->setStretchLastSection(false);
    for (int c = 0; c < ContactTableModel::kColumnCount; ++c)
        view->setColumnWidth(c, ContactTableModel::kColumnWidths[c]);
    // A click on a header sorts by that column, always ascending.
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    QObject::connect(header, &QHeaderView::sectionClicked, view,
                     [view](int column) { view->sortByColumn(column, Qt::AscendingOrder); });
}

} // namespace zel::gui
