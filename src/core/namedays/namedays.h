#pragma once

#include "core/text/datetime.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// One name-day calendar: a line per day, "MM.DD " followed by the day's names, each ending in a space.
// Texts are Windows-1250. The calendar is read once and never changes.
class NameDayCalendar {
  public:
    // Lines end in "\n" or "\r\n"; empty lines are dropped.
    static NameDayCalendar fromText(std::string_view cp1250Text);

    // Without their line terminators.
    const std::vector<std::string>& lines() const { return lines_; }

  private:
    friend std::vector<std::string> daysOfName(const NameDayCalendar& cal, std::string_view name);

    std::vector<std::string> lines_;
    // Each line with A-Z lowered and a space appended, kept so a name search allocates nothing per line.
    std::vector<std::string> searchLines_;
};

// The names of the first line whose first five characters are exactly `key` (e.g. "01.23").
// Empty when no line has that key or the key is not five characters long.
std::vector<std::string> namesOfDay(const NameDayCalendar& cal, std::string_view key);

// The names of the first line with this key as the line holds them, from its seventh character on
// (single spaces between, the trailing space kept); none when no line has the key.
std::optional<std::string> dayLineNames(const NameDayCalendar& cal, std::string_view key);

// "MM.DD" of every line that holds `name` as a whole name (or several names side by side), in calendar
// order, each line once. Only A-Z are folded to lower case: "anna" finds Anna, "ábel" does not find Ábel.
std::vector<std::string> daysOfName(const NameDayCalendar& cal, std::string_view name);

struct TodayTomorrowNames {
    std::string today;
    std::string tomorrow;
};

// Today's and tomorrow's names from the common calendar, joined by " és ".
TodayTomorrowNames todayAndTomorrowNames(const NameDayCalendar& common, DayNumber today);

// Every name of the calendar, stably sorted with `less` (the GUI's locale-aware, case-insensitive order),
// a name dropped when it is byte-equal to the one kept just before it.
std::vector<std::string>
allNamesSorted(const NameDayCalendar& extended,
               const std::function<bool(const std::string&, const std::string&)>& less);

} // namespace zel
