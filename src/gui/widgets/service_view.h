#pragma once

#include <memory>

class QGridLayout;

namespace Ui {
class ServiceView;
}

namespace zel::gui {

class AppState;
class MonthCalendar;

// The enlarged service view: the four next rows and the month's calendar beside the normal window,
// the four working tables below both. Made only on the start that asks for it.
class ServiceView {
  public:
    // Builds the parts into the window's grid, whose cell (0, 0) holds the normal window.
    ServiceView(QGridLayout& frame, const AppState& state);
    ~ServiceView();
    ServiceView(const ServiceView&) = delete;
    ServiceView& operator=(const ServiceView&) = delete;

    MonthCalendar* monthCalendar() const;

  private:
    std::unique_ptr<Ui::ServiceView> ui_;
};

} // namespace zel::gui
