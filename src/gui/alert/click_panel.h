#pragma once

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <functional>

namespace zel::gui {

// A panel used as a button: raised, hand cursor, acts on a left click released inside it.
class ClickPanel : public QLabel {
  public:
    explicit ClickPanel(QWidget* parent = nullptr) : QLabel(parent) {
        setAlignment(Qt::AlignCenter);
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setLineWidth(1);
        setAutoFillBackground(true);
        setCursor(Qt::PointingHandCursor);
        // Only the weight: the family and size come from the window it is placed in.
        QFont f;
        f.setBold(true);
        setFont(f);
    }
    std::function<void()> onClick;

  protected:
    void mousePressEvent(QMouseEvent* e) override {
        pressed_ = e->button() == Qt::LeftButton;
        e->accept();
    }
    void mouseReleaseEvent(QMouseEvent* e) override {
        const bool click =
            pressed_ && e->button() == Qt::LeftButton && rect().contains(e->position().toPoint());
        pressed_ = false;
        e->accept();
        // A copy: the handler may end the window and with it this panel.
        if (click && onClick) {
            const std::function<void()> handler = onClick;
            handler();
        }
    }

  private:
    bool pressed_ = false;
};

} // namespace zel::gui
