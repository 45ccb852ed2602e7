#pragma once

#include <QFont>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <functional>

namespace zel::gui {

// A panel used as a button: raised, hand cursor, acts on a left click released inside it, and on Space
// or Enter while it has the focus (it sinks to show the focus).
class ClickPanel : public QLabel {
  public:
    explicit ClickPanel(QWidget* parent = nullptr) : QLabel(parent) {
        setAlignment(Qt::AlignCenter);
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setLineWidth(1);
        setAutoFillBackground(true);
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::StrongFocus);
        // Only the weight: the family and size come from the window it is placed in.
        QFont f;
        f.setBold(true);
        setFont(f);
    }
    std::function<void()> onClick;

    void click() {
        // A copy: the handler may end the window and with it this panel.
        if (onClick) {
            const std::function<void()> handler = onClick;
            handler();
        }
    }

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
        if (click) this->click();
    }
    void keyPressEvent(QKeyEvent* e) override {
        if (e->key() == Qt::Key_Space || e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
            e->accept();
            click();
            return;
        }
        QLabel::keyPressEvent(e);
    }
    void focusInEvent(QFocusEvent* e) override {
        setFrameShadow(QFrame::Sunken);
        QLabel::focusInEvent(e);
    }
    void focusOutEvent(QFocusEvent* e) override {
        setFrameShadow(QFrame::Raised);
        QLabel::focusOutEvent(e);
    }

  private:
    bool pressed_ = false;
};

} // namespace zel::gui
