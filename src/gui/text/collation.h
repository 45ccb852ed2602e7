#pragma once

#include <QCollator>
#include <QString>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace zel::gui {

// Hungarian alphabetical order, without regard to case: "Ábel" beside "Abel", "Cecília" before
// "Csaba" before "Dávid", "Ödön" after "Ottó". ICU carries the rules, so no system locale is needed.
QCollator hungarianCollator();

// The locale's alphabetical, case-insensitive order for Windows-1250 names (Hungarian rules).
std::function<bool(const std::string&, const std::string&)> localeLess();

// The positions 0 … count − 1 of the texts `textOf` gives, in alphabetical order; equal texts keep
// their order. Each text is asked for once.
std::vector<std::size_t> alphabeticalOrder(std::size_t count,
                                           const std::function<QString(std::size_t)>& textOf);

// Puts position `at` into an order that alphabeticalOrder made, at the place it would make for it:
// after the texts that sort before it and the equal ones of lower positions. The other positions
// must already be renumbered around it.
void insertAlphabetical(std::vector<std::size_t>& order, std::size_t at,
                        const std::function<QString(std::size_t)>& textOf);

} // namespace zel::gui
