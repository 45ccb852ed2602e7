#pragma once

#include <functional>
#include <string>

namespace zel::gui {

// The locale's alphabetical, case-insensitive order for Windows-1250 names (Hungarian rules).
std::function<bool(const std::string&, const std::string&)> localeLess();

} // namespace zel::gui
