#pragma once

#include <span>

namespace zel::gui {

// The module that plays the sounds, as the bytes of its file.
std::span<const unsigned char> soundModule();

} // namespace zel::gui
