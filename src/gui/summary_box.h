#pragma once

#include <QComboBox>
#include <functional>

namespace zel::gui {

// The nearest-events box: a pick-only list that fills its lines when it drops down and is left alone
// while it is open.
class SummaryBox : public QComboBox {
  public:
    explicit SummaryBox(QWidget* parent = nullptr);

    std::function<void()> onDropDown;
    std::function<void()> onCloseUp;
    bool isDropped() const { return dropped_; }

    void showPopup() override;
    void hidePopup() override;

  private:
    bool dropped_ = false;
};

} // namespace zel::gui
