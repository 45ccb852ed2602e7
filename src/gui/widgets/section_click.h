#pragma once

class QDateTimeEdit;

namespace zel::gui {

// One click in a date or time editor selects the section clicked (the hour, the minute, the day …),
// so what is typed next replaces it; otherwise the digits typed after a full section are refused. A
// stretch marked by dragging stays as it was marked.
void selectSectionOnClick(QDateTimeEdit* edit);

} // namespace zel::gui
