#pragma once

#include "core/text/datetime.h"

#include <QWidget>

class QLabel;
class QPushButton;
class QTableWidget;

namespace zel::gui {

// The small month view: year and month with paging buttons, and the days in Monday-first weeks.
class MonthCalendar : public QWidget {
  public:
    explicit MonthCalendar(QWidget* parent = nullptr);

    // `Calendar`: the panel's current date.
    Ymd Calendar() const { return date_; }
    void setCalendar(Ymd date);

    void Panel7Click() { page(-1, 0); }
    void Panel8Click() { page(1, 0); }
    void Panel9Click() { page(0, -1); }
    void Panel10Click() { page(0, 1); }

    QLabel* lEv = nullptr;
    QLabel* pAktHonap = nullptr;
    QTableWidget* gNaptar = nullptr;

  private:
    void page(int years, int months);
    void show();

    Ymd date_{2000, 1, 1};
};

} // namespace zel::gui
