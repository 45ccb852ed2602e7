#pragma once

#include "core/settings/settings_record.h"

#include <QColor>
#include <QWidget>
#include <cstdint>

namespace zel::gui {

// A Windows colour value 0x00BBGGRR as a QColor; a system colour (top byte set) becomes the matching
// colour of the application's palette.
QColor colorOf(std::uint32_t value);
// The plain colour value 0x00BBGGRR of a chosen colour.
std::uint32_t colorValue(const QColor& color);

// A themed widget names, in its form, which of the five theme colours it takes where. Each property
// holds one of the role names below.
//   faceRole   its face: a page or panel's fill, an edit box's or list's background, a button's face
//   textRole   its text; "contrast" writes black or white, whichever reads on its face
//   headerRole the header cells of a grid (their text in the grid's text role), or the tabs of a tab
//              widget other than the current one
// A themed date editor with a drop-down calendar paints the calendar in all five colours.
inline constexpr char kFaceRole[] = "faceRole";
inline constexpr char kTextRole[] = "textRole";
inline constexpr char kHeaderRole[] = "headerRole";
inline constexpr char kContrastRole[] = "contrast";
// The role names, in the order of the theme colours.
inline constexpr const char* kRoleNames[] = {"background", "captions", "textBackground", "text",
                                             "variations"};

// Paints every widget of the window of root, root included, that carries a role; widgets of other
// windows paint themselves.
void applyTheme(QWidget* root, const ThemeColors& colors);

} // namespace zel::gui
