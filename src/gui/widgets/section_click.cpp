#include "gui/widgets/section_click.h"

#include <QDateTimeEdit>
#include <QLineEdit>
#include <QMouseEvent>

namespace zel::gui {

namespace {

class SectionClick : public QObject {
  public:
    SectionClick(QDateTimeEdit* edit, QLineEdit* text) : QObject(edit), edit_(edit), text_(text) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        // The press has put the caret where the click was; the release keeps any selection it finds.
        if (watched == text_ && event->type() == QEvent::MouseButtonRelease &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && !text_->hasSelectedText() &&
            edit_->isEnabled() && !edit_->isReadOnly())
            edit_->setSelectedSection(edit_->currentSection());
        return QObject::eventFilter(watched, event);
    }

  private:
    QDateTimeEdit* edit_;
    QLineEdit* text_;
};

} // namespace

void selectSectionOnClick(QDateTimeEdit* edit) {
    // The text part of the editor is a line edit of its own, which takes the clicks.
    if (auto* text = edit->findChild<QLineEdit*>()) text->installEventFilter(new SectionClick(edit, text));
}

} // namespace zel::gui
