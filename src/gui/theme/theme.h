#pragma once

#include "core/settings/settings_record.h"

#include <QColor>
#include <cstdint>

class QWidget;

namespace zel::gui {

// A Windows colour value 0x00BBGGRR as a QColor; a system colour (top byte set) becomes the matching
// colour of the application's palette.
QColor colorOf(std::uint32_t value);
// The plain colour value 0x00BBGGRR of a chosen colour.
std::uint32_t colorValue(const QColor& color);

// Paints the main window's controls, found by name, in the five theme colours: background, captions,
// text background, text and variations. Controls that do not exist (yet) are skipped; the alert
// window paints itself when shown.
void applyTheme(QWidget* mainWindow, const ThemeColors& colors);

} // namespace zel::gui
