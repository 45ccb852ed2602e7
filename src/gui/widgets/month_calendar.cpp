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
    setObjectName(QStringLiteral("pHonap"));
    // A small, fixed-size panel: a compact font keeps two-digit days and long month names whole.
    QFont small = font();
    small.setPointSizeF(small.pointSizeF() * 0.85);
    setFont(small);
    const int w = 7 * 22 + 2;
    auto* p7 = pager("Panel7", "<", this, {0, 0, 20, 20});
    lEv = new QLabel(this);
    lEv->setObjectName(QStringLiteral("lEv"));
    lEv->setAlignment(Qt::AlignCenter);
    lEv->setGeometry(20, 0, w - 40, 20);
    auto* p8 = pager("Panel8", ">", this, {w - 20, 0, 20, 20});
    auto* p9 = pager("Panel9", "<", this, {0, 22, 20, 20});
    pAktHonap = new QLabel(this);
    pAktHonap->setObjectName(QStringLiteral("pAktHonap"));
    pAktHonap->setAlignment(Qt::AlignCenter);
    pAktHonap->setGeometry(20, 22, w - 40, 20);
    auto* p10 = pager("Panel10", ">", this, {w - 20, 22, 20, 20});

    gNaptar = new QTableWidget(6, 7, this);
    gNaptar->setObjectName(QStringLiteral("gNaptar"));
    gNaptar->setGeometry(0, 44, w, 17 + 6 * 16 + 2);
    gNaptar->setTextElideMode(Qt::ElideNone);
    gNaptar->setHorizontalHeaderLabels({QStringLiteral("H"), QStringLiteral("K"), QStringLiteral("Sze"),
                                        QStringLiteral("Cs"), QStringLiteral("P"), QStringLiteral("Szo"),
                                        QStringLiteral("V")});
    gNaptar->verticalHeader()->hide();
    gNaptar->horizontalHeader()->setMinimumSectionSize(10);
    gNaptar->horizontalHeader()->setDefaultSectionSize(22);
    gNaptar->horizontalHeader()->setFixedHeight(17);
    gNaptar->verticalHeader()->setMinimumSectionSize(10);
    gNaptar->verticalHeader()->setDefaultSectionSize(16);
    gNaptar->setEditTriggers(QAbstractItemView::NoEditTriggers);
    gNaptar->setSelectionMode(QAbstractItemView::NoSelection);
    gNaptar->setFocusPolicy(Qt::NoFocus);
    gNaptar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    gNaptar->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFixedSize(w, gNaptar->geometry().bottom() + 1);

    connect(p7, &QPushButton::clicked, this, &MonthCalendar::Panel7Click);
    connect(p8, &QPushButton::clicked, this, &MonthCalendar::Panel8Click);
    connect(p9, &QPushButton::clicked, this, &MonthCalendar::Panel9Click);
    connect(p10, &QPushButton::clicked, this, &MonthCalendar::Panel10Click);
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
    lEv->setText(QString::number(date_.year));
    pAktHonap->setText(fromCp(monthName(date_.month)));
    const MonthGrid grid = monthGrid(date_.year, date_.month);
    for (int r = 0; r < 6; ++r)
        for (int c = 0; c < 7; ++c) {
            const int d = grid[static_cast<std::size_t>(r)][static_cast<std::size_t>(c)];
            auto* item = new QTableWidgetItem(d ? QString::number(d) : QString());
            item->setTextAlignment(Qt::AlignCenter);
            gNaptar->setItem(r, c, item);
        }
}

} // namespace zel::gui
