#include "core/namedays/namedays.h"

#include "core/text/cp1250.h"

#include <algorithm>
#include <cstddef>
#include <iterator>

namespace zel {

namespace {

constexpr std::size_t kKeyLength = 5;
constexpr std::size_t kNamesFrom = 6;

// Only A-Z: the accented capitals of Windows-1250 stay as they are, so "ábel" does not find "Ábel".
char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// A space ends a name; so does the end of the line, whether or not the line ends with a space.
void appendNames(std::string_view line, std::vector<std::string>& out) {
    if (line.size() <= kNamesFrom) return;
    std::string_view rest = line.substr(kNamesFrom);
    while (!rest.empty()) {
        const std::size_t space = rest.find(' ');
        if (space == std::string_view::npos) {
            out.emplace_back(rest);
            break;
        }
        out.emplace_back(rest.substr(0, space));
        rest.remove_prefix(space + 1);
    }
}

// Month from characters 1-2, day from 4-5, whatever stands between them.
std::string dayOfLine(std::string_view line) {
    std::string day(line.substr(0, 2));
    day += '.';
    if (line.size() > 3) day += line.substr(3, 2);
    return day;
}

std::string keyOf(int month, int day) {
    std::string key(kKeyLength, '0');
    key[0] = static_cast<char>('0' + month / 10);
    key[1] = static_cast<char>('0' + month % 10);
    key[2] = '.';
    key[3] = static_cast<char>('0' + day / 10);
    key[4] = static_cast<char>('0' + day % 10);
    return key;
}

std::string joinNames(const std::vector<std::string>& names) {
    static const std::string separator = utf8ToCp1250(" és ");
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += separator;
        text += names[i];
    }
    return text;
}

} // namespace

NameDayCalendar NameDayCalendar::fromText(std::string_view cp1250Text) {
    NameDayCalendar cal;
    const auto lineCount =
        static_cast<std::size_t>(std::count(cp1250Text.begin(), cp1250Text.end(), '\n')) + 1;
    cal.lines_.reserve(lineCount);
    cal.searchLines_.reserve(lineCount);
    while (!cp1250Text.empty()) {
        const std::size_t end = cp1250Text.find('\n');
        std::string_view line = cp1250Text.substr(0, end);
        cp1250Text.remove_prefix(end == std::string_view::npos ? cp1250Text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        cal.lines_.emplace_back(line);
        std::string& lowered = cal.searchLines_.emplace_back(line);
        std::transform(lowered.begin(), lowered.end(), lowered.begin(), asciiLower);
        lowered += ' ';
    }
    return cal;
}

std::vector<std::string> namesOfDay(const NameDayCalendar& cal, std::string_view key) {
    std::vector<std::string> names;
    if (key.size() != kKeyLength) return names;
    for (const auto& line : cal.lines()) {
        if (line.size() >= kKeyLength && line.compare(0, kKeyLength, key) == 0) {
            appendNames(line, names);
            break;
        }
    }
    return names;
}

std::optional<std::string> dayLineNames(const NameDayCalendar& cal, std::string_view key) {
    if (key.size() != kKeyLength) return std::nullopt;
    for (const auto& line : cal.lines())
        if (line.size() >= kKeyLength && line.compare(0, kKeyLength, key) == 0)
            return line.size() > kKeyLength + 1 ? line.substr(kKeyLength + 1) : std::string();
    return std::nullopt;
}

std::vector<std::string> daysOfName(const NameDayCalendar& cal, std::string_view name) {
    std::vector<std::string> days;
    if (name.empty()) return days;
    std::string pattern;
    pattern.reserve(name.size() + 2);
    pattern += ' ';
    std::transform(name.begin(), name.end(), std::back_inserter(pattern), asciiLower);
    pattern += ' ';
    for (std::size_t i = 0; i < cal.searchLines_.size(); ++i)
        if (cal.searchLines_[i].find(pattern) != std::string::npos) days.push_back(dayOfLine(cal.lines_[i]));
    return days;
}

TodayTomorrowNames todayAndTomorrowNames(const NameDayCalendar& common, DayNumber today) {
    const Ymd d = ymdOf(today);
    // Stepping on the month table rather than the day number keeps 9999-12-31 in range.
    int month = d.month;
    int day = d.day + 1;
    if (day > daysInMonth(d.year, month)) {
        day = 1;
        month = month == 12 ? 1 : month + 1;
    }
    return {joinNames(namesOfDay(common, keyOf(d.month, d.day))),
            joinNames(namesOfDay(common, keyOf(month, day)))};
}

std::vector<std::string>
allNamesSorted(const NameDayCalendar& extended,
               const std::function<bool(const std::string&, const std::string&)>& less) {
    std::vector<std::string> names;
    for (const auto& line : extended.lines())
        appendNames(line, names);
    std::stable_sort(names.begin(), names.end(), less);
    // std::unique compares each name with the last one kept, as the list box was filled.
    names.erase(std::unique(names.begin(), names.end()), names.end());
    return names;
}

} // namespace zel
