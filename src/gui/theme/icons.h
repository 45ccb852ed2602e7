#pragma once

#include <QIcon>
#include <QPixmap>

namespace zel::gui {

// Icon 0 of the image list is the program's icon; icon n (1 to 31) shows the day number n.
QPixmap listIcon(int index, int size = 16);
QIcon appIcon();

} // namespace zel::gui
