// A name-day calendar as any text file may give it: every name a day shows is found back by a search
// for it, the search folds only A-Z, and the sorted name list holds each of the calendar's names.
#include "fuzz_util.h"

#include "core/namedays/namedays.h"

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using namespace zel;

// Few enough that a calendar of thousands of lines, or a line of thousands of names, still runs fast.
constexpr std::size_t kKeysChecked = 48;
constexpr std::size_t kNamesSearched = 64;

std::string foldedTo(std::string_view s, bool upper) {
    std::string out(s);
    for (char& c : out) {
        if (upper && c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        if (!upper && c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

std::string dayOf(std::string_view key) {
    return std::string(key.substr(0, 2)) + '.' + std::string(key.substr(3, 2));
}

bool contains(const std::vector<std::string>& v, const std::string& s) {
    return std::find(v.begin(), v.end(), s) != v.end();
}

void checkName(const NameDayCalendar& cal, const std::string& name, const std::string& day) {
    const std::vector<std::string> days = daysOfName(cal, name);
    ZEL_CHECK(contains(days, day));
    ZEL_CHECK(days.size() <= cal.lines().size());
    // A-Z fold both ways alike.
    ZEL_CHECK(daysOfName(cal, foldedTo(name, true)) == days);
    ZEL_CHECK(daysOfName(cal, foldedTo(name, false)) == days);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const NameDayCalendar cal = NameDayCalendar::fromText(text);

    const auto newlines = static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
    ZEL_CHECK(cal.lines().size() <= newlines + 1);
    std::size_t kept = 0;
    for (const auto& line : cal.lines()) {
        ZEL_CHECK(!line.empty() && line.find('\n') == std::string::npos);
        kept += line.size();
    }
    ZEL_CHECK(kept <= size);

    std::set<std::string> keys;
    std::set<std::string> allNames;
    std::size_t searched = 0;
    for (const auto& line : cal.lines()) {
        if (line.size() < 5 || keys.size() >= kKeysChecked) continue;
        const std::string key = line.substr(0, 5);
        if (!keys.insert(key).second) continue; // only the first line of a key is shown
        const std::vector<std::string> names = namesOfDay(cal, key);
        const std::optional<std::string> shown = dayLineNames(cal, key);
        ZEL_CHECK(shown.has_value());
        // The shown text is the names with single spaces between, plus a trailing space if the line had one.
        std::string joined;
        for (std::size_t i = 0; i < names.size(); ++i)
            joined += (i ? " " : "") + names[i];
        ZEL_CHECK(*shown == joined || *shown == joined + ' ');
        for (const auto& n : names) {
            ZEL_CHECK(n.find(' ') == std::string::npos);
            if (!n.empty()) allNames.insert(n);
        }
        // Only a line laid out as "MM.DD names" has names a search can find.
        if (line.size() < 7 || line[5] != ' ' || key.find(' ') != std::string::npos) continue;
        const std::string day = dayOf(key);
        for (std::size_t i = 0; i < names.size() && searched < kNamesSearched; ++i) {
            if (names[i].empty()) continue;
            ++searched;
            checkName(cal, names[i], day);
            if (i + 1 < names.size() && !names[i + 1].empty())
                checkName(cal, names[i] + ' ' + names[i + 1], day);
        }
    }
    ZEL_CHECK(namesOfDay(cal, "").empty() && !dayLineNames(cal, "1234").has_value());
    ZEL_CHECK(daysOfName(cal, "").empty());

    // Today and tomorrow never fail, not even on the last day of the range.
    if (size >= 3) {
        const DayNumber span = kLastDay - kFirstDay + 1;
        const DayNumber day = kFirstDay + (data[0] | data[1] << 8 | data[2] << 16) % span;
        const TodayTomorrowNames tt = todayAndTomorrowNames(cal, day);
        const Ymd ymd = ymdOf(day);
        std::string key =
            std::to_string(100 + ymd.month).substr(1) + '.' + std::to_string(100 + ymd.day).substr(1);
        if (namesOfDay(cal, key).empty()) ZEL_CHECK(tt.today.empty());
    }

    const auto sorted = allNamesSorted(cal, [](const std::string& a, const std::string& b) { return a < b; });
    ZEL_CHECK(std::adjacent_find(sorted.begin(), sorted.end(), std::greater_equal<>()) == sorted.end());
    for (const auto& n : allNames)
        ZEL_CHECK(std::binary_search(sorted.begin(), sorted.end(), n));
    return 0;
}
