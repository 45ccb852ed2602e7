#include "gui/widgets/month_calendar.h"

#include "core/events/month_grid.h"
#include "gui/qt_text.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>

namespace zel::gui {

namespace {
QPushButton* pager(const char* name, const char* text, QWidget* parent, QRect at) {
    auto* b = new QPushButton(QString::fromLatin1(text), parent);
    b->setObjectName(QString::fromLatin1(name));
    b->setCursor(Qt::PointingHandCursor);
    b->setGeometry(at);
    return b;
}
} // namespace

MonthCalendar::MonthCalendar(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("monthCalendar"));
    // A small, fixed-size panel: a compact font keeps two-digit days and long month names whole.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    setFont(small);
    const int w = 7 * 22 + 2;
    auto* previousYearButton = pager("previousYearButton", "<", this, {0, 0, 20, 20});
    yearLabel = new QLabel(this);
    yearLabel->setObjectName(QStringLiteral("yearLabel"));
    yearLabel->setAlignment(Qt::AlignCenter);
    yearLabel->setGeometry(20, 0, w - 40, 20);
    auto* nextYearButton = pager("nextYearButton", ">", this, {w - 20, 0, 20, 20});
    auto* previousMonthButton = pager("previousMonthButton", "<", this, {0, 22, 20, 20});
    monthLabel = new QLabel(this);
    monthLabel->setObjectName(QStringLiteral("monthLabel"));
    monthLabel->setAlignment(Qt::AlignCenter);
    monthLabel->setGeometry(20, 22, w - 40, 20);
    auto* nextMonthButton = pager("nextMonthButton", ">", this, {w - 20, 22, 20, 20});

    dayGrid = new QTableWidget(6, 7, this);
    dayGrid->setObjectName(QStringLiteral("dayGrid"));
    dayGrid->setGeometry(0, 44, w, 17 + 6 * 16 + 2);
    dayGrid->setTextElideMode(Qt::ElideNone);
    dayGrid->setHorizontalHeaderLabels({QStringLiteral("H"), QStringLiteral("K"), QStringLiteral("Sze"),
                                        QStringLiteral("Cs"), QStringLiteral("P"), QStringLiteral("Szo"),
                                        QStringLiteral("V")});
    dayGrid->verticalHeader()->hide();
    dayGrid->horizontalHeader()->setMinimumSectionSize(10);
    dayGrid->horizontalHeader()->setDefaultSectionSize(22);
    dayGrid->horizontalHeader()->setFixedHeight(17);
    dayGrid->verticalHeader()->setMinimumSectionSize(10);
    dayGrid->verticalHeader()->setDefaultSectionSize(16);
    dayGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    dayGrid->setSelectionMode(QAbstractItemView::NoSelection);
    dayGrid->setFocusPolicy(Qt::NoFocus);
    dayGrid->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    dayGrid->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFixedSize(w, dayGrid->geometry().bottom() + 1);

    connect(previousYearButton, &QPushButton::clicked, this, &MonthCalendar::previousYear);
    connect(nextYearButton, &QPushButton::clicked, this, &MonthCalendar::nextYear);
    connect(previousMonthButton, &QPushButton::clicked, this, &MonthCalendar::previousMonth);
    connect(nextMonthButton, &QPushButton::clicked, this, &MonthCalendar::nextMonth);
}

void MonthCalendar::setCalendar(Ymd date) {
    date_ = date;
    show();
}

void MonthCalendar::page(int years, int months) {
    date_ = years != 0 ? stepYear(date_, years) : stepMonth(date_, months);
    show();
}

void MonthCalendar::show() {
    yearLabel->setText(QString::number(date_.year));
    monthLabel->setText(fromCp(monthName(date_.month)));
    const MonthGrid grid = monthGrid(date_.year, date_.month);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 7; ++c) {
            const int d = grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            auto* item = new QTableWidgetItem(d ? QString::number(d) : QString());
            item->setTextAlignment(Qt::AlignCenter);
            dayGrid->setItem(r, c, item);
        }
}

} // namespace zel::gui
