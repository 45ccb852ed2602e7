#pragma once

#include <cstddef>

class QPlainTextEdit;

namespace zel::gui {

// Stops typing and pasting at the capacity of the record field the text is stored in, counted as
// stored: one byte a character, two for a line break. A longer text would be cut without a word.
void limitStoredLength(QPlainTextEdit* edit, std::size_t capacity);

} // namespace zel::gui
