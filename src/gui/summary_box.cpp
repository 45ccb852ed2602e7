#include "summary_box.h"

#include <QFontDatabase>

namespace zel::gui {

SummaryBox::SummaryBox(QWidget* parent) : QComboBox(parent) {
    setObjectName(QStringLiteral("cLegkozelebb"));
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

} // namespace zel::gui
