#pragma once

#include "core/text/datetime.h"

#include <QWidget>

#include <memory>

namespace Ui {
class MonthCalendar;
}

namespace zel::gui {

// The small month view: year and month with paging buttons, and the days in Monday-first weeks.
class MonthCalendar : public QWidget {
  public:
    explicit MonthCalendar(QWidget* parent = nullptr);
    ~MonthCalendar() override;

    void setCalendar(Ymd date);

    void previousYear() { page(-1, 0); }
    void nextYear() { page(1, 0); }
    void previousMonth() { page(0, -1); }
    void nextMonth() { page(0, 1); }

  private:
    void page(int years, int months);
    void show();

    std::unique_ptr<Ui::MonthCalendar> ui_;
    Ymd date_{2000, 1, 1};
};

} // namespace zel::gui
