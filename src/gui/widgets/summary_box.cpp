#include "gui/widgets/summary_box.h"

#include "core/events/summary.h"
#include "gui/state/app_state.h"
#include "gui/text/qt_text.h"

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

void SummaryBox::attach(const AppState& state) {
    state_ = &state;
    connect(&state, &AppState::nextEventsChanged, this, &SummaryBox::rebuild);
    connect(this, &QComboBox::activated, this, &SummaryBox::choose);
    rebuild();
}

void SummaryBox::rebuild() {
    if (!state_) return;
    // An open list is left alone; it catches up when it closes.
    stale_ = dropped_;
    if (dropped_) return;
    lines_ = summaryLines(state_->events());
    if (lines_.size() == 1 && lines_[0] == noUpcomingEventLine()) {
        clear();
        addItem(fromCp(lines_[0]));
        setCurrentIndex(0);
        setEnabled(false);
        return;
    }
    setEnabled(true);
    const QString first = oneLine(fromCp(lines_[0]));
    if (count() == 0)
        addItem(first);
    else if (itemText(0) != first)
        setItemText(0, first);
}

void SummaryBox::resetSelection() {
    if (count() > 0) setCurrentIndex(0);
}

void SummaryBox::showFirstLine() {
    if (count() > 0 && !lines_.empty()) {
        setItemText(0, oneLine(fromCp(lines_[0])));
        setCurrentIndex(0);
    }
}

void SummaryBox::choose() {
    int index = currentIndex();
    if (index < 0 || index > 10) index = 0;
    const std::string line = count() > 0 ? toCp(itemText(index)) : std::string();
    const SummaryPick pick = parseSummaryLine(line);
    resetSelection();
    emit eventChosen(pick.kind, fromCp(pick.date), fromCp(pick.time));
    resetSelection();
}

void SummaryBox::showPopup() {
    clear();
    for (const auto& line : lines_)
        addItem(oneLine(fromCp(line)));
    dropped_ = true;
    QComboBox::showPopup();
}

void SummaryBox::hidePopup() {
    QComboBox::hidePopup();
    dropped_ = false;
    if (stale_) rebuild();
    if (currentIndex() < 0 && count() > 0) setCurrentIndex(0);
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
