#include "gui/widgets/month_calendar.h"

#include "core/events/month_grid.h"
#include "gui/text/qt_text.h"
#include "gui/widgets/widget_util.h"
#include "ui_month_calendar.h"

#include <QFontMetrics>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace zel::gui {

MonthCalendar::MonthCalendar(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::MonthCalendar>()) {
    ui_->setupUi(this);
    // A small panel of its own size: a compact font, and cells as wide as the widest day caption and
    // as tall as an accented row.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    setFont(small);
    QTableWidget* grid = ui_->dayGrid;
    const QFontMetrics fm(small);
    const int cell = std::max(22, fm.horizontalAdvance(QStringLiteral("Sze")) + 8);
    const int row = std::max(16, accentSafeRowHeight(small));
    const int header = std::max(17, fm.height() + 2);
    grid->horizontalHeader()->setMinimumSectionSize(10);
    grid->horizontalHeader()->setDefaultSectionSize(cell);
    grid->horizontalHeader()->setFixedHeight(header);
    grid->verticalHeader()->setMinimumSectionSize(10);
    grid->verticalHeader()->setDefaultSectionSize(row);
    grid->setFixedSize(7 * cell + 2 * grid->frameWidth(), header + 6 * row + 2 * grid->frameWidth());
    const int pager = std::max(20, fm.height() + 6);
    for (QPushButton* b :
         {ui_->previousYearButton, ui_->nextYearButton, ui_->previousMonthButton, ui_->nextMonthButton})
        b->setFixedSize(pager, pager);

    connect(ui_->previousYearButton, &QPushButton::clicked, this, &MonthCalendar::previousYear);
    connect(ui_->nextYearButton, &QPushButton::clicked, this, &MonthCalendar::nextYear);
    connect(ui_->previousMonthButton, &QPushButton::clicked, this, &MonthCalendar::previousMonth);
    connect(ui_->nextMonthButton, &QPushButton::clicked, this, &MonthCalendar::nextMonth);
}

MonthCalendar::~MonthCalendar() = default;

void MonthCalendar::setCalendar(Ymd date) {
    date_ = date;
    show();
}

void MonthCalendar::page(int years, int months) {
    date_ = years != 0 ? stepYear(date_, years) : stepMonth(date_, months);
    show();
}

void MonthCalendar::show() {
    ui_->yearLabel->setText(QString::number(date_.year));
    ui_->monthLabel->setText(fromCp(monthName(date_.month)));
    const MonthGrid grid = monthGrid(date_.year, date_.month);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 7; ++c) {
            const int d = grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            auto* item = new QTableWidgetItem(d ? QString::number(d) : QString());
            item->setTextAlignment(Qt::AlignCenter);
            ui_->dayGrid->setItem(r, c, item);
        }
}

} // namespace zel::gui
