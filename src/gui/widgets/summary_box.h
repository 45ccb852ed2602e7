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

  protected:
    // Only a line chosen from the open list opens its event: the closed box would open one for every
    // key typed or wheel turn.
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    bool dropped_ = false;
};

} // namespace zel::gui
