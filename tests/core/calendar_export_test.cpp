#include "core/calendar/calendar_export.h"
#include "core/errors.h"
#include "core/events/event_table.h"
#include "support/test_util.h"

#include <cstdio>
#include <gtest/gtest.h>
#include <memory>
#include <regex>
#include <set>
#include <sstream>

using namespace zel;
using enum zel::EventKind;
using zel::test::event;
using zel::test::readFile;

namespace {

const std::string kLongText = "Árvíztűrő tükörfúrógép és ÁRVÍZTŰRŐ TÜKÖRFÚRÓGÉP: hosszú emlékeztető, amely "
                              "jóval túlnyúlik egy naptársor hetvenöt bájtján, így a fájlban több sorra "
                              "kell hajtani, és visszaolvasva újra egyben kell lennie.";

// A celebration record: a partner's name on a date.
EventRecord celebration(DayNumber day, std::string_view name, bool active = true) {
    return {active, Recurrence::Never, test::cp(name), static_cast<double>(day), 0};
}

void add(EventBook& book, EventKind kind, const EventRecord& rec) {
    EventTable& table = book.table(kind);
    table.append(rowFromRecord(kind, rec, table.rows.size()));
}

// Every recurrence, the month-end days, a leap day, texts a calendar must escape or fold, and what
// must stay out: an inactive reminder, an inactive name day and a program.
void fillSample(EventBook& book) {
    add(book, Reminder, event(dayNumber(2024, 1, 31), 8, 0, "Számla fizetése", true, Recurrence::Monthly));
    add(book, Reminder, event(dayNumber(2024, 2, 29), 12, 0, "Szökőnap", true, Recurrence::Yearly));
    add(book, Reminder, event(dayNumber(2024, 3, 5), 9, 30, "Fogorvos – Ágnes"));
    add(book, Reminder, event(dayNumber(2024, 3, 5), 9, 30, "Fogorvos – Ágnes"));
    add(book, Reminder, event(dayNumber(2024, 3, 6), 7, 0, "Gyógyszer", true, Recurrence::Daily));
    add(book, Reminder,
        event(dayNumber(2024, 3, 7), 18, 15, "Úszás, edzés; uszoda\r\nbérlet", true, Recurrence::Weekly));
    add(book, Reminder, event(dayNumber(2024, 3, 8), 10, 0, "Kikapcsolt", false, Recurrence::Daily));
    add(book, Reminder, event(dayNumber(2024, 3, 10), 10, 0, "Havi jelentés", true, Recurrence::Monthly));
    add(book, Reminder, event(dayNumber(2024, 4, 30), 16, 45, "Negyedév", true, Recurrence::Monthly));
    add(book, Reminder, event(dayNumber(2024, 7, 15), 14, 5, "Nyári szünet", true, Recurrence::Yearly));
    add(book, Reminder, event(dayNumber(2024, 8, 1), 20, 0, kLongText));
    add(book, Program, event(dayNumber(2024, 3, 5), 8, 0, "notepad.exe", true, Recurrence::Daily));
    add(book, NameDay, celebration(dayNumber(2024, 1, 21), "Kovács Ágnes"));
    add(book, NameDay, celebration(dayNumber(2024, 6, 1), "Inaktív Ilona", false));
    add(book, Birthday, celebration(dayNumber(1980, 2, 29), "Szabó Ödön"));
    add(book, Birthday, celebration(dayNumber(1990, 7, 15), "Tóth Éva"));
}

std::vector<CalendarEvent> sampleEvents(const CalendarOptions& options = {}) {
    EventBook book;
    fillSample(book);
    return calendarEvents(book, options);
}

std::vector<std::string> uidsOf(const std::vector<CalendarEvent>& events) {
    std::vector<std::string> out;
    for (const auto& e : events)
        out.push_back(e.uid);
    return out;
}

const std::int64_t kStampMs = 1'709'294'400'000; // 2024-03-01 12:00:00 UTC

} // namespace

TEST(CalendarExport, RecurrenceRulesKeepTheMonthEndRule) {
    EXPECT_EQ(recurrenceRule(Recurrence::Never, dayNumber(2024, 3, 5)), "");
    EXPECT_EQ(recurrenceRule(static_cast<Recurrence>(9), dayNumber(2024, 3, 5)), "");
    EXPECT_EQ(recurrenceRule(Recurrence::Daily, dayNumber(2024, 3, 31)), "FREQ=DAILY");
    EXPECT_EQ(recurrenceRule(Recurrence::Weekly, dayNumber(2024, 3, 31)), "FREQ=WEEKLY");
    EXPECT_EQ(recurrenceRule(Recurrence::Monthly, dayNumber(2024, 3, 28)), "FREQ=MONTHLY");
    EXPECT_EQ(recurrenceRule(Recurrence::Monthly, dayNumber(2024, 3, 29)),
              "FREQ=MONTHLY;BYMONTHDAY=28,29;BYSETPOS=-1");
    EXPECT_EQ(recurrenceRule(Recurrence::Monthly, dayNumber(2024, 4, 30)),
              "FREQ=MONTHLY;BYMONTHDAY=28,29,30;BYSETPOS=-1");
    EXPECT_EQ(recurrenceRule(Recurrence::Monthly, dayNumber(2024, 1, 31)),
              "FREQ=MONTHLY;BYMONTHDAY=28,29,30,31;BYSETPOS=-1");
    EXPECT_EQ(recurrenceRule(Recurrence::Yearly, dayNumber(2024, 2, 28)), "FREQ=YEARLY");
    EXPECT_EQ(recurrenceRule(Recurrence::Yearly, dayNumber(2024, 1, 31)), "FREQ=YEARLY");
    EXPECT_EQ(recurrenceRule(Recurrence::Yearly, dayNumber(2024, 2, 29)),
              "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1");
}

TEST(CalendarExport, PublishesActiveRemindersNameDaysAndBirthdaysOnly) {
    const auto events = sampleEvents();
    std::vector<std::string> summaries;
    for (const auto& e : events)
        summaries.push_back(e.summary);
    EXPECT_EQ(summaries,
              (std::vector<std::string>{"Számla fizetése", "Szökőnap", "Fogorvos – Ágnes", "Fogorvos – Ágnes",
                                        "Gyógyszer", "Úszás, edzés; uszoda\nbérlet", "Havi jelentés",
                                        "Negyedév", "Nyári szünet", kLongText, "Névnap: Kovács Ágnes",
                                        "Születésnap: Szabó Ödön", "Születésnap: Tóth Éva"}));

    const CalendarEvent& reminder = events[0];
    EXPECT_EQ(reminder.kind, Reminder);
    EXPECT_EQ(reminder.day, dayNumber(2024, 1, 31));
    EXPECT_EQ(reminder.minute, 8 * 60);
    EXPECT_EQ(reminder.alarmAfterStartMinutes, 0);
    EXPECT_EQ(reminder.alarmText, "Számla fizetése");

    const CalendarEvent& birthday = events[11];
    EXPECT_EQ(birthday.kind, Birthday);
    EXPECT_EQ(birthday.day, dayNumber(1980, 2, 29));
    EXPECT_EQ(birthday.minute, std::nullopt);
    EXPECT_EQ(birthday.rrule, "FREQ=YEARLY;BYMONTH=2;BYMONTHDAY=28,29;BYSETPOS=-1");
    EXPECT_EQ(birthday.alarmAfterStartMinutes, 9 * 60);
    EXPECT_EQ(birthday.alarmText, "Születésnap: Szabó Ödön");

    CalendarOptions early;
    early.celebrationAlarmMinute = 7 * 60 + 30;
    const auto moved = sampleEvents(early);
    EXPECT_EQ(moved[10].alarmAfterStartMinutes, 450);
    EXPECT_EQ(moved[0].alarmAfterStartMinutes, 0); // a reminder's alarm is its own moment

    // A record whose date is no date has no day to go on.
    EventBook broken;
    add(broken, Reminder, {true, Recurrence::Never, "x", 1e300, 0});
    EXPECT_TRUE(calendarEvents(broken).empty());
}

TEST(CalendarExport, UidsFollowTheRecordsKeyFields) {
    const auto first = sampleEvents();
    EXPECT_EQ(uidsOf(first), uidsOf(sampleEvents())); // the same records, the same identifiers

    const std::regex form("zelmoran-(emlekezteto|nevnap|szuletesnap)-[0-9a-f]{16}(-[0-9]+)?@zelmoran");
    for (const auto& uid : uidsOf(first))
        EXPECT_TRUE(std::regex_match(uid, form)) << uid;
    // FNV-1a 64 of "2024-03-05\x1f" "09:30\x1f" "Fogorvos – Ágnes" and of
    // "Kovács Ágnes\x1f" "01-21", in UTF-8.
    EXPECT_EQ(first[2].uid, "zelmoran-emlekezteto-a76198d08cc4244a@zelmoran");
    EXPECT_EQ(first[10].uid, "zelmoran-nevnap-4af3256e68ee8522@zelmoran");
    // The same record twice: the second counts on.
    EXPECT_EQ(first[3].uid, "zelmoran-emlekezteto-a76198d08cc4244a-2@zelmoran");
    std::set<std::string> distinct;
    for (const auto& uid : uidsOf(first))
        EXPECT_TRUE(distinct.insert(uid).second) << uid;

    // Each key field changes the identifier; the year of a celebration and the active flag do not.
    auto uidOf = [](EventKind kind, const EventRecord& rec) {
        EventBook book;
        add(book, kind, rec);
        return calendarEvents(book).at(0).uid;
    };
    const std::string base = uidOf(Reminder, event(dayNumber(2024, 3, 5), 9, 30, "Fogorvos – Ágnes"));
    EXPECT_EQ(base, first[2].uid);
    EXPECT_NE(uidOf(Reminder, event(dayNumber(2024, 3, 6), 9, 30, "Fogorvos – Ágnes")), base);
    EXPECT_NE(uidOf(Reminder, event(dayNumber(2024, 3, 5), 9, 31, "Fogorvos – Ágnes")), base);
    EXPECT_NE(uidOf(Reminder, event(dayNumber(2024, 3, 5), 9, 30, "Fogorvos - Ágnes")), base);
    // A recurring reminder is known by its place in the cycle, which firing does not move.
    const auto recurring = [&](Recurrence r, int y, int m, int d) {
        return uidOf(Reminder, event(dayNumber(y, m, d), 9, 30, "Fogorvos – Ágnes", true, r));
    };
    const std::string weekly = recurring(Recurrence::Weekly, 2024, 3, 5);
    EXPECT_NE(weekly, base);
    EXPECT_EQ(recurring(Recurrence::Weekly, 2024, 3, 12), weekly);
    EXPECT_NE(recurring(Recurrence::Weekly, 2024, 3, 13), weekly);
    EXPECT_EQ(recurring(Recurrence::Daily, 2024, 3, 5), recurring(Recurrence::Daily, 2026, 11, 30));
    EXPECT_EQ(recurring(Recurrence::Monthly, 2024, 3, 5), recurring(Recurrence::Monthly, 2024, 4, 5));
    EXPECT_NE(recurring(Recurrence::Monthly, 2024, 3, 5), recurring(Recurrence::Monthly, 2024, 3, 6));
    EXPECT_EQ(recurring(Recurrence::Yearly, 2024, 3, 5), recurring(Recurrence::Yearly, 2025, 3, 5));
    EXPECT_NE(recurring(Recurrence::Yearly, 2024, 3, 5), recurring(Recurrence::Yearly, 2024, 4, 5));
    EXPECT_NE(recurring(Recurrence::Yearly, 2024, 3, 5), recurring(Recurrence::Monthly, 2024, 3, 5));
    const std::string nameDay = uidOf(NameDay, celebration(dayNumber(2024, 1, 21), "Kovács Ágnes"));
    EXPECT_EQ(nameDay, first[10].uid);
    EXPECT_EQ(uidOf(NameDay, celebration(dayNumber(1999, 1, 21), "Kovács Ágnes")), nameDay);
    EXPECT_NE(uidOf(NameDay, celebration(dayNumber(2024, 1, 22), "Kovács Ágnes")), nameDay);
    EXPECT_NE(uidOf(NameDay, celebration(dayNumber(2024, 1, 21), "Kovács Ágota")), nameDay);
    // A birthday of the same partner and day is another event of the same key.
    EXPECT_EQ(uidOf(Birthday, celebration(dayNumber(2024, 1, 21), "Kovács Ágnes")),
              "zelmoran-szuletesnap-4af3256e68ee8522@zelmoran");
}

TEST(CalendarExport, IcsTextIsACalendarOfItsOwn) {
    const auto events = sampleEvents();
    const std::string text = icsText(events, kStampMs);
    EXPECT_EQ(text, icsText(events, kStampMs)); // nothing of the moment of writing gets in

    EXPECT_EQ(text.rfind("BEGIN:VCALENDAR\r\n", 0), 0u);
    EXPECT_NE(text.find("\r\nPRODID:-//Zelmoran//Zelmoran//HU\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nVERSION:2.0\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nBEGIN:VTIMEZONE\r\n"), std::string::npos);
    EXPECT_NE(text.find("\r\nX-LIC-LOCATION:Europe/Budapest\r\n"), std::string::npos);
    // The zone as it stands from the first timed event on: today's two rules, without an end, which
    // readers that refuse an UNTIL in a zone's rule (khal's) take too.
    const std::string zone =
        text.substr(text.find("BEGIN:VTIMEZONE"), text.find("END:VTIMEZONE") - text.find("BEGIN:VTIMEZONE"));
    EXPECT_EQ(zone.find("UNTIL"), std::string::npos) << zone;
    EXPECT_NE(zone.find("RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=3\r\n"), std::string::npos) << zone;
    EXPECT_NE(zone.find("RRULE:FREQ=YEARLY;BYDAY=-1SU;BYMONTH=10\r\n"), std::string::npos) << zone;
    EXPECT_EQ(zone.find("DTSTART:19"), std::string::npos) << zone;
    EXPECT_NE(text.find("\r\nDTSTAMP:20240301T120000Z\r\n"), std::string::npos);
    EXPECT_NE(text.find("SUMMARY:Úszás\\, edzés\\; uszoda\\nbérlet\r\n"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - 15), "END:VCALENDAR\r\n");

    // Folded: no line longer than 75 bytes, and a folded line goes on after CRLF and one space.
    std::istringstream lines(text);
    std::string line;
    bool folded = false;
    while (std::getline(lines, line)) {
        ASSERT_FALSE(line.empty());
        EXPECT_EQ(line.back(), '\r');
        EXPECT_LE(line.size() - 1, 75u) << line;
        folded = folded || line[0] == ' ';
    }
    EXPECT_TRUE(folded);

    EXPECT_EQ(icsText({}, kStampMs).find("BEGIN:VEVENT"), std::string::npos);
}

TEST(CalendarExport, WritingReplacesTheWholeFile) {
    test::TempDir dir;
    const auto path = dir.path() / "naptar.ics";
    test::writeFile(path, std::string(10'000, 'x'));
    writeIcsFile(path, "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");
    EXPECT_EQ(readFile(path), "BEGIN:VCALENDAR\r\nEND:VCALENDAR\r\n");

    const auto missing = dir.path() / "nincs" / "naptar.ics";
    EXPECT_THROW(writeIcsFile(missing, "x"), IoError);
    EXPECT_FALSE(std::filesystem::exists(missing.parent_path()));
}

// What another program reads from the written file: the Python icalendar package, which shares no
// code with libical.
TEST(CalendarExport, AnIndependentReaderReadsTheWrittenFile) {
    const std::string python = ZEL_PYTHON3;
    if (std::system((python + " -c 'import icalendar' 2>/dev/null").c_str()) != 0)
        GTEST_SKIP() << "reading back needs " << python << " with the icalendar package "
                     << "(Debian: python3-icalendar)";

    test::TempDir dir;
    const auto path = dir.path() / "naptár.ics";
    const auto events = sampleEvents();
    writeIcsFile(path, icsText(events, kStampMs));

    const std::string command = python + " " ZEL_ICS_READER " '" + path.string() + "'";
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    ASSERT_TRUE(pipe);
    std::vector<std::string> got;
    char buf[4096];
    std::string pending;
    while (std::fgets(buf, sizeof buf, pipe.get())) {
        pending += buf;
        if (pending.back() != '\n') continue;
        pending.pop_back();
        got.push_back(pending);
        pending.clear();
    }
    ASSERT_EQ(pclose(pipe.release()), 0) << "the reader failed";

    const std::string tz = "/freeassociation.sourceforge.net/Europe/Budapest";
    const std::string at = " TZID=" + tz;
    // The reader prints what it parsed in its own notation: a zero duration as P0D, a rule's parts in the
    // order the file gives them.
    const std::string alarmNow = "DISPLAY TRIGGER;RELATED=START:P0D ";
    const std::string alarmNine = "DISPLAY TRIGGER;RELATED=START:PT9H ";
    auto q = [](const std::string& s) { return "\"" + s + "\""; };
    const std::vector<std::string> rest = {
        q("Számla fizetése") + " | 2024-01-31T08:00:00+01:00" + at +
            " | FREQ=MONTHLY;BYMONTHDAY=28,29,30,31;BYSETPOS=-1 | no end | " + alarmNow +
            q("Számla fizetése"),
        q("Szökőnap") + " | 2024-02-29T12:00:00+01:00" + at +
            " | FREQ=YEARLY;BYMONTHDAY=28,29;BYMONTH=2;BYSETPOS=-1 | no end | " + alarmNow + q("Szökőnap"),
        q("Fogorvos – Ágnes") + " | 2024-03-05T09:30:00+01:00" + at + " | - | no end | " + alarmNow +
            q("Fogorvos – Ágnes"),
        q("Fogorvos – Ágnes") + " | 2024-03-05T09:30:00+01:00" + at + " | - | no end | " + alarmNow +
            q("Fogorvos – Ágnes"),
        q("Gyógyszer") + " | 2024-03-06T07:00:00+01:00" + at + " | FREQ=DAILY | no end | " + alarmNow +
            q("Gyógyszer"),
        q("Úszás, edzés; uszoda\\nbérlet") + " | 2024-03-07T18:15:00+01:00" + at +
            " | FREQ=WEEKLY | no end | " + alarmNow + q("Úszás, edzés; uszoda\\nbérlet"),
        q("Havi jelentés") + " | 2024-03-10T10:00:00+01:00" + at + " | FREQ=MONTHLY | no end | " + alarmNow +
            q("Havi jelentés"),
        q("Negyedév") + " | 2024-04-30T16:45:00+02:00" + at +
            " | FREQ=MONTHLY;BYMONTHDAY=28,29,30;BYSETPOS=-1 | no end | " + alarmNow + q("Negyedév"),
        q("Nyári szünet") + " | 2024-07-15T14:05:00+02:00" + at + " | FREQ=YEARLY | no end | " + alarmNow +
            q("Nyári szünet"),
        q(kLongText) + " | 2024-08-01T20:00:00+02:00" + at + " | - | no end | " + alarmNow + q(kLongText),
        q("Névnap: Kovács Ágnes") + " | 2024-01-21 | FREQ=YEARLY | no end | " + alarmNine +
            q("Névnap: Kovács Ágnes"),
        q("Születésnap: Szabó Ödön") + " | 1980-02-29 | FREQ=YEARLY;BYMONTHDAY=28,29;BYMONTH=2;BYSETPOS=-1" +
            " | no end | " + alarmNine + q("Születésnap: Szabó Ödön"),
        q("Születésnap: Tóth Éva") + " | 1990-07-15 | FREQ=YEARLY | no end | " + alarmNine +
            q("Születésnap: Tóth Éva"),
    };
    ASSERT_EQ(events.size(), rest.size());
    std::vector<std::string> want = {"CALENDAR | -//Zelmoran//Zelmoran//HU | 2.0",
                                     "VTIMEZONE | " + tz + " | Europe/Budapest"};
    for (std::size_t i = 0; i < events.size(); ++i)
        want.push_back(events[i].uid + " | " + rest[i]);
    EXPECT_EQ(got, want);
}
