#include "core/calendar/calendar_export.h"

#include "core/events/event_table.h"
#include "core/events/recurrence.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"

#include <libical/ical.h>

#include <algorithm>
#include <ctime>
#include <memory>
#include <set>
#include <span>
#include <stdexcept>
#include <unordered_map>

namespace zel {

namespace {

constexpr const char* kProductId = "-//Zelmoran//Zelmoran//HU";

const char* uidKindName(EventKind kind) {
    switch (kind) {
    case EventKind::NameDay:
        return "nevnap";
    case EventKind::Birthday:
        return "szuletesnap";
    default:
        return "emlekezteto";
    }
}

// 64-bit FNV-1a: small, fixed for good, so a record keeps its identifier across versions.
std::uint64_t fnv1a(const std::string& bytes) {
    std::uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 1099511628211ull;
    }
    return hash;
}

std::string twoDigits(int n) {
    if (n >= 0 && n < 100) return {static_cast<char>('0' + n / 10), static_cast<char>('0' + n % 10)};
    return std::to_string(n);
}

// Sixteen lowercase hex digits.
std::string hex16(std::uint64_t n) {
    std::string out(16, '0');
    for (std::size_t i = 16; i-- > 0; n >>= 4)
        out[i] = "0123456789abcdef"[n & 0xf];
    return out;
}

// Windows line breaks and lone CRs become LF, the one break a calendar text knows.
std::string calendarText(std::string_view cp1250) {
    std::string utf8 = cp1250ToUtf8(cp1250);
    if (utf8.find('\r') == std::string::npos) return utf8;
    std::string out;
    out.reserve(utf8.size());
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        if (utf8[i] != '\r') {
            out += utf8[i];
            continue;
        }
        out += '\n';
        if (i + 1 < utf8.size() && utf8[i + 1] == '\n') ++i;
    }
    return out;
}

// What tells the record from others of its kind: what the user sees of it. A recurring reminder moves
// to its next day each time it fires, so only the place in its cycle counts, not the day: it stays the
// same event. The unit separator between the fields keeps ("ab", "c") apart from ("a", "bc").
std::string uidKey(EventKind kind, const TableRow& row, const std::string& text) {
    const Ymd date = ymdOf(*row.day);
    const std::string monthDay = twoDigits(date.month) + "-" + twoDigits(date.day);
    if (kind != EventKind::Reminder) return text + '\x1f' + monthDay;
    std::string when;
    switch (row.recurrence) {
    case Recurrence::Daily:
        when = "daily";
        break;
    case Recurrence::Weekly:
        when = "weekly " + std::to_string(weekdayOf(*row.day));
        break;
    case Recurrence::Monthly:
        when = "monthly " + twoDigits(date.day);
        break;
    case Recurrence::Yearly:
        when = "yearly " + monthDay;
        break;
    default:
        when = std::to_string(date.year) + "-" + monthDay;
    }
    return when + '\x1f' + twoDigits(row.minute / 60) + ":" + twoDigits(row.minute % 60) + '\x1f' + text;
}

// The identifiers of one kind's events, from the hashes of their keys in order: records of the same
// key get the same base, the later ones counting on from 2. Repeats are rare, so only the hashes that
// come more than once are counted.
void assignUids(EventKind kind, std::span<CalendarEvent> events, const std::vector<std::uint64_t>& hashes) {
    std::vector<std::uint64_t> sorted(hashes);
    std::sort(sorted.begin(), sorted.end());
    std::vector<std::uint64_t> repeated;
    for (std::size_t i = 1; i < sorted.size(); ++i)
        if (sorted[i] == sorted[i - 1] && (repeated.empty() || repeated.back() != sorted[i]))
            repeated.push_back(sorted[i]);
    std::unordered_map<std::uint64_t, int> seen;
    const std::string prefix = std::string("zelmoran-") + uidKindName(kind) + "-";
    for (std::size_t i = 0; i < events.size(); ++i) {
        std::string uid = prefix + hex16(hashes[i]);
        if (std::binary_search(repeated.begin(), repeated.end(), hashes[i]))
            if (const int n = ++seen[hashes[i]]; n > 1) uid += "-" + std::to_string(n);
        uid += "@zelmoran";
        events[i].uid = std::move(uid);
    }
}

struct ComponentFree {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};
using Component = std::unique_ptr<icalcomponent, ComponentFree>;

// Midnight of the day; a date alone when isDate.
icaltimetype timeOf(DayNumber day, bool isDate) {
    const Ymd ymd = ymdOf(day);
    icaltimetype t = icaltime_null_time();
    t.year = ymd.year;
    t.month = ymd.month;
    t.day = ymd.day;
    t.is_date = isDate ? 1 : 0;
    return t;
}

icalproperty* startOf(const CalendarEvent& event, icaltimezone* zone) {
    if (!event.minute) return icalproperty_new_dtstart(timeOf(event.day, true));
    icaltimetype t = timeOf(event.day, false);
    t.hour = *event.minute / 60;
    t.minute = *event.minute % 60;
    t = icaltime_set_timezone(&t, zone);
    icalproperty* start = icalproperty_new_dtstart(t);
    icalproperty_add_parameter(start, icalparameter_new_tzid(icaltimezone_get_tzid(zone)));
    return start;
}

icalcomponent* alarmOf(const CalendarEvent& event) {
    icaltriggertype trigger{};
    trigger.time = icaltime_null_time();
    trigger.duration = icaldurationtype_from_int(event.alarmAfterStartMinutes * 60);
    icalproperty* when = icalproperty_new_trigger(trigger);
    icalproperty_add_parameter(when, icalparameter_new_related(ICAL_RELATED_START));
    icalcomponent* alarm = icalcomponent_new(ICAL_VALARM_COMPONENT);
    icalcomponent_add_property(alarm, icalproperty_new_action(ICAL_ACTION_DISPLAY));
    icalcomponent_add_property(alarm, when);
    icalcomponent_add_property(alarm, icalproperty_new_description(event.alarmText.c_str()));
    return alarm;
}

// The zone's data splits its rule of today in 2037 (the end of 32-bit time): the same rule until
// then, and again from then on without end. Joined, the rule repeats without an UNTIL.
void joinSplitRules(icalcomponent* vtimezone) {
    const auto ruleOf = [](icalcomponent* c) -> std::optional<icalrecurrencetype> {
        icalproperty* p = icalcomponent_get_first_property(c, ICAL_RRULE_PROPERTY);
        if (!p) return std::nullopt;
        return icalproperty_get_rrule(p);
    };
    const auto offsets = [](icalcomponent* c) {
        icalproperty* from = icalcomponent_get_first_property(c, ICAL_TZOFFSETFROM_PROPERTY);
        icalproperty* to = icalcomponent_get_first_property(c, ICAL_TZOFFSETTO_PROPERTY);
        return std::pair(from ? icalproperty_get_tzoffsetfrom(from) : 0,
                         to ? icalproperty_get_tzoffsetto(to) : 0);
    };
    std::vector<icalcomponent*> observances;
    for (icalcomponent* c = icalcomponent_get_first_component(vtimezone, ICAL_ANY_COMPONENT); c;
         c = icalcomponent_get_next_component(vtimezone, ICAL_ANY_COMPONENT))
        observances.push_back(c);
    std::set<icalcomponent*> joined;
    for (icalcomponent* ending : observances) {
        if (joined.contains(ending)) continue;
        std::optional<icalrecurrencetype> rule = ruleOf(ending);
        if (!rule || icaltime_is_null_time(rule->until)) continue;
        icalrecurrencetype open = *rule;
        open.until = icaltime_null_time();
        const std::string openText = icalrecurrencetype_as_string(&open);
        for (icalcomponent* next : observances) {
            if (next == ending || joined.contains(next) ||
                icalcomponent_isa(next) != icalcomponent_isa(ending))
                continue;
            const std::optional<icalrecurrencetype> nextRule = ruleOf(next);
            if (!nextRule || !icaltime_is_null_time(nextRule->until) || offsets(next) != offsets(ending))
                continue;
            icalrecurrencetype nextOpen = *nextRule;
            if (icalrecurrencetype_as_string(&nextOpen) != openText) continue;
            icalproperty_set_rrule(icalcomponent_get_first_property(ending, ICAL_RRULE_PROPERTY), open);
            icalcomponent_remove_component(vtimezone, next);
            icalcomponent_free(next);
            joined.insert(next);
            break;
        }
    }
}

} // namespace

std::string recurrenceRule(Recurrence recurrence, DayNumber day) {
    const Ymd date = ymdOf(day);
    switch (recurrence) {
    case Recurrence::Daily:
        return "FREQ=DAILY";
    case Recurrence::Weekly:
        return "FREQ=WEEKLY";
    case Recurrence::Monthly: {
        if (date.day <= 28) return "FREQ=MONTHLY";
        std::string rule = "FREQ=MONTHLY;BYMONTHDAY=28";
        for (int d = 29; d <= date.day; ++d)
            rule += "," + std::to_string(d);
        return rule + ";BYSETPOS=-1";
    }
    case Recurrence::Yearly:
        if (date.month == 2 && date.day == 29) return "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1";
        return "FREQ=YEARLY";
    default:
        return {};
    }
}

std::vector<CalendarEvent> calendarEvents(const EventBook& book, const CalendarOptions& options) {
    std::vector<CalendarEvent> out;
    std::size_t rows = 0;
    for (EventKind kind : {EventKind::Reminder, EventKind::NameDay, EventKind::Birthday})
        rows += book.table(kind).rows.size();
    out.reserve(rows);
    std::vector<std::uint64_t> hashes;
    for (EventKind kind : {EventKind::Reminder, EventKind::NameDay, EventKind::Birthday}) {
        const EventTable& table = book.table(kind);
        const std::size_t first = out.size();
        hashes.clear();
        for (const TableRow& row : table.rows) {
            if (!row.active || !row.day) continue;
            const std::string text = calendarText(table.text(row));
            hashes.push_back(fnv1a(uidKey(kind, row, text)));
            CalendarEvent event;
            event.kind = kind;
            event.day = *row.day;
            if (kind == EventKind::Reminder) {
                event.summary = text;
                event.minute = row.minute;
                event.rrule = recurrenceRule(row.recurrence, *row.day);
                event.alarmText = text;
            } else {
                event.summary = (kind == EventKind::NameDay ? "Névnap: " : "Születésnap: ") + text;
                event.rrule = recurrenceRule(Recurrence::Yearly, *row.day);
                event.alarmAfterStartMinutes = options.celebrationAlarmMinute;
                event.alarmText = event.summary;
            }
            out.push_back(std::move(event));
        }
        assignUids(kind, std::span(out).subspan(first), hashes);
    }
    return out;
}

std::string icsText(const std::vector<CalendarEvent>& events, std::int64_t stampMs) {
    icaltimezone* zone = icaltimezone_get_builtin_timezone(kCalendarZone);
    if (!zone || !icaltimezone_get_component(zone))
        throw std::runtime_error(std::string("no definition of the time zone ") + kCalendarZone);

    Component calendar(icalcomponent_new(ICAL_VCALENDAR_COMPONENT));
    icalcomponent_add_property(calendar.get(), icalproperty_new_prodid(kProductId));
    icalcomponent_add_property(calendar.get(), icalproperty_new_version("2.0"));
    // The zone's history only from the first timed event on. Its rules since 1996 repeat without end;
    // the older ones end in an UNTIL, which calendar readers in use (Python's icalendar, so khal) refuse.
    icalcomponent* vtimezone = icalcomponent_new_clone(icaltimezone_get_component(zone));
    std::optional<DayNumber> firstTimed;
    for (const CalendarEvent& event : events)
        if (event.minute && (!firstTimed || event.day < *firstTimed)) firstTimed = event.day;
    icaltimetype from = timeOf(firstTimed.value_or(dayNumber(2000, 1, 1)) - 1, false);
    from = icaltime_set_timezone(&from, icaltimezone_get_utc_timezone());
    icaltimezone_truncate_vtimezone(vtimezone, from, icaltime_null_time(), 0);
    joinSplitRules(vtimezone);
    icalcomponent_add_component(calendar.get(), vtimezone);

    // Whole seconds before 1970 round down, as the stamp's second must.
    std::int64_t seconds = stampMs / 1000;
    if (stampMs % 1000 < 0) --seconds;
    const icaltimetype stamp =
        icaltime_from_timet_with_zone(static_cast<time_t>(seconds), 0, icaltimezone_get_utc_timezone());

    for (const CalendarEvent& event : events) {
        icalcomponent* vevent = icalcomponent_new(ICAL_VEVENT_COMPONENT);
        icalcomponent_add_property(vevent, icalproperty_new_uid(event.uid.c_str()));
        icalcomponent_add_property(vevent, icalproperty_new_dtstamp(stamp));
        icalcomponent_add_property(vevent, startOf(event, zone));
        icalcomponent_add_property(vevent, icalproperty_new_summary(event.summary.c_str()));
        if (!event.rrule.empty()) {
            const icalrecurrencetype rule = icalrecurrencetype_from_string(event.rrule.c_str());
            if (rule.freq == ICAL_NO_RECURRENCE) {
                icalcomponent_free(vevent);
                throw std::invalid_argument("not a recurrence rule: " + event.rrule);
            }
            icalcomponent_add_property(vevent, icalproperty_new_rrule(rule));
        }
        icalcomponent_add_component(vevent, alarmOf(event));
        icalcomponent_add_component(calendar.get(), vevent);
    }

    char* raw = icalcomponent_as_ical_string_r(calendar.get());
    if (!raw) throw std::runtime_error("the calendar could not be written as text");
    std::string text(raw);
    icalmemory_free_buffer(raw);
    return text;
}

void writeIcsFile(const std::filesystem::path& path, const std::string& text) {
    replaceFile(path, text);
}

} // namespace zel
