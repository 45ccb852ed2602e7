#pragma once

#include <QIcon>
#include <QPixmap>

namespace zel::gui {

// Icon 0 of the image list is the program's icon; icon n (1 to 31) shows the day number n.
QPixmap listIcon(int index, int size = 16);
QIcon appIcon();
// The tray's picture of a day of the month, drawn sharp at the tray's sizes and for 2x screens.
QIcon dayIcon(int day);

} // namespace zel::gui
