#include "gui/widgets/summary_box.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QWheelEvent>

namespace zel::gui {

SummaryBox::SummaryBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("summaryBox"));
    setMaxVisibleItems(4);
    // A fixed-pitch font lines the columns of the summary up.
    QFont mono = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    mono.setPointSizeF(font().pointSizeF());
    setFont(mono);
}

void SummaryBox::showPopup() {
    if (onDropDown) onDropDown();
    dropped_ = true;
    QComboBox::showPopup();
}

void SummaryBox::hidePopup() {
    QComboBox::hidePopup();
    dropped_ = false;
    if (onCloseUp) onCloseUp();
}

void SummaryBox::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Home:
    case Qt::Key_End:
        // Stepping opens the list, where Enter or a click chooses.
        showPopup();
        return;
    default:
        break;
    }
    if (!event->text().isEmpty() && event->text().at(0).isPrint()) {
        event->ignore();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void SummaryBox::wheelEvent(QWheelEvent* event) {
    event->ignore();
}

} // namespace zel::gui
