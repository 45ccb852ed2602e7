#include "core/events/firing.h"
#include "core/events/listing.h"
#include "core/events/recurrence.h"
#include "core/events/summary.h"
#include "core/notice/notice.h"
#include "core/text/cp1250.h"
#include "support/test_util.h"

#include <cmath>
#include <gtest/gtest.h>

using namespace zel;
using enum zel::EventKind;
using zel::test::event;
using zel::test::readFile;

namespace {

const DayNumber kToday = dayNumber(2024, 3, 5); // a Tuesday

// A program folder whose event files hold the given records, and the book read from it.
struct Folder {
    test::TempDir dir;
    EventBook book;
    std::filesystem::path path(EventKind k) const { return dir.path() / eventFileName(k); }
    void put(EventKind k, const std::vector<EventRecord>& recs) {
        test::writeEvents(path(k), k, recs);
        book.refresh(k, dir.path());
    }
    std::string next(EventKind k, Moment now) {
        book.updateNext(k, now);
        return book.next(k) ? book.next(k)->text : "<none>";
    }
    std::vector<std::string> lines(Moment now) {
        for (EventKind k : kAllEventKinds)
            book.refresh(k, dir.path());
        book.updateNext(std::nullopt, now);
        std::vector<std::string> out;
        for (const auto& l : summaryLines(book))
            out.push_back(cp1250ToUtf8(l));
        return out;
    }
    // The file's records as "text@MM.DD.H:MM".
    std::string order(EventKind k) const {
        std::string out;
        const EventTable t = loadEventTable(path(k), k);
        for (const auto& r : t.rows)
            out += std::string(t.text(r)) + "@" + dateText(*r.day).substr(5) + timeText(r.minute) + " ";
        return out;
    }
};

// A reminder of today at 9:05 whose stored date or time is a value no day or minute comes from.
EventRecord broken(double EventRecord::*field = &EventRecord::date, double value = std::nan("")) {
    EventRecord r = event(kToday, 9, 5, "broken");
    r.*field = value;
    return r;
}

EventRow row(DayNumber day, int h, int m, bool active = true) {
    return rowFromRecord(Reminder, event(day, h, m, "", active), 0);
}

EventTable tableOf(EventKind kind, const std::vector<EventRecord>& recs) {
    EventTable t;
    t.kind = kind;
    for (std::size_t i = 0; i < recs.size(); ++i)
        t.append(rowFromRecord(kind, recs[i], i));
    return t;
}

std::string texts(const EventTable& t, const std::vector<std::size_t>& listed) {
    std::string out;
    for (auto i : listed)
        out += std::string(t.text(t.rows[i])) + " ";
    return out;
}

} // namespace

TEST(CoreNextEvent, TodaysRemindersPassJustAfterTheirMinuteAndDaysOfTodayAreNeverNext) {
    Folder b;
    b.put(Reminder, {event(kToday - 1, 20, 0, "yesterday", true, Recurrence::Daily), event(kToday, 9, 0, "9"),
                     event(kToday, 11, 0, "11", false), event(kToday, 12, 0, "12"),
                     event(kToday + 1, 8, 0, "tomorrow")});
    const auto at = [&](int d, int h, int m, int s = 0, int ms = 0) {
        return b.next(Reminder, Moment::at(2024, 3, d, h, m, s, ms));
    };
    EXPECT_EQ(at(5, 10, 30), "11");                                    // an inactive one is next too
    EXPECT_EQ(at(5, 12, 0) + "|" + at(5, 12, 0, 0, 1), "12|tomorrow"); // passed just after its minute
    EXPECT_EQ(at(5, 0, 0) + "|" + at(4, 21, 0) + "|" + at(7, 0, 0), "9|9|<none>"); // daily, yet once
    b.put(NameDay, {event(kToday, 0, 0, "today"), event(kToday + 5, 0, 0, "in five days")});
    b.put(Birthday, {event(kToday, 0, 0, "only today")});
    EXPECT_EQ(b.next(NameDay, Moment::at(2024, 3, 5, 0, 0)), "in five days");
    EXPECT_EQ(b.next(Birthday, Moment::at(2024, 3, 5, 0, 0)), "<none>");
    EXPECT_EQ(b.next(Birthday, Moment::at(2024, 3, 4, 23, 59, 59)), "only today");
    // Unusable dates and times give empty cells and are never due.
    b.put(Reminder, {broken(), broken(&EventRecord::time), broken(&EventRecord::date, 1e18),
                     event(kToday, 12, 0, "ok")});
    const auto cells = cellsOf(b.book.table(Reminder));
    EXPECT_EQ(cells[0][1] + cells[1][1] + cells[1][2] + cells[2][1], "");
    EXPECT_EQ(b.next(Reminder, Moment::at(2024, 3, 5, 8)), "ok");
}

TEST(CoreNextEvent, AFileOutOfOrderIsWalkedAsStored) {
    // Written by something else: a later event before an earlier one, and a broken date in between.
    Folder b;
    b.put(Reminder, {event(kToday - 3, 9, 0, "old"), event(kToday + 2, 9, 0, "later"), broken(),
                     event(kToday + 1, 9, 0, "sooner")});
    EXPECT_FALSE(b.book.table(Reminder).ordered);
    EXPECT_EQ(b.next(Reminder, Moment::at(2024, 3, 5, 10)), "later"); // the first from today on
    // An undated row among today's rows is passed like the ones before it.
    b.put(Reminder, {event(kToday, 8, 0, "8"), broken(), event(kToday, 12, 0, "12")});
    EXPECT_EQ(b.next(Reminder, Moment::at(2024, 3, 5, 9)), "12");
}

TEST(CoreEventBook, ATableReadAheadIsTakenOnlyWhileItsFileIsUnchanged) {
    Folder f;
    test::writeEvents(f.path(Reminder), Reminder, {event(kToday, 9, 0, "első")});
    test::writeEvents(f.path(NameDay), NameDay, {event(kToday, 0, 0, "Anna")});
    f.book.readAhead(f.dir.path());
    f.book.refresh(NameDay, f.dir.path()); // waits for the reading of all four
    // Changed after it was read: the new file counts. Missing: created, as without reading ahead.
    test::writeEvents(f.path(Reminder), Reminder,
                      {event(kToday, 9, 0, "első"), event(kToday, 10, 0, "második")});
    for (EventKind k : {Reminder, Program, Birthday})
        f.book.refresh(k, f.dir.path());
    for (EventKind k : kAllEventKinds)
        EXPECT_EQ(f.book.table(k), loadEventTable(f.path(k), k)) << eventFileName(k);
    EXPECT_TRUE(std::filesystem::exists(f.path(Program)) && readFile(f.path(Program)).empty());
    // What was read ahead is taken once; a later refresh reads the file again.
    test::writeEvents(f.path(NameDay), NameDay, {});
    f.book.refresh(NameDay, f.dir.path());
    EXPECT_TRUE(f.book.table(NameDay).rows.empty());
}

TEST(CoreSummary, OneLinePerKindWithAnActiveNextEvent) {
    using Lines = std::vector<std::string>;
    Folder b;
    b.put(Reminder, {event(kToday, 9, 5, "Fogorvos")});
    b.put(NameDay, {event(kToday + 1, 0, 0, "Minta Anna", false)});
    const Moment morning = Moment::at(2024, 3, 5, 8);
    EXPECT_EQ(b.lines(morning), Lines{"Emlékeztető | 2024.03.05. |  9:05 | Fogorvos"});
    b.put(Program, {event(kToday, 14, 30, "/usr/bin/backup ")});
    b.put(NameDay, {event(kToday, 0, 0, "Ma Ünnepelt"), event(kToday + 1, 0, 0, "Minta Anna")});
    b.put(Birthday, {event(kToday + 40, 0, 0, "Kovács Béla")});
    EXPECT_EQ(b.lines(morning),
              (Lines{"Emlékeztető | 2024.03.05. |  9:05 | Fogorvos",
                     "Program     | 2024.03.05. | 14:30 | /usr/bin/backup ",
                     "Névnap      | 2024.03.06. | Minta Anna", "Szülinap    | 2024.04.14. | Kovács Béla"}));
    EXPECT_EQ(b.lines(Moment::at(2024, 3, 7)), Lines{"Szülinap    | 2024.04.14. | Kovács Béla"});
    EXPECT_EQ(b.lines(Moment::at(2024, 5, 1)), Lines{"Nincs soron következő bejegyzett esemény"});
}

TEST(CoreFiring, TheTableIsAskedForEveryRowWhoseMomentFellSinceThePreviousTick) {
    EventTable t;
    for (const EventRow& r : {row(kToday - 1, 9, 5), row(kToday, 9, 5), row(kToday, 9, 6, false),
                              row(kToday, 9, 7), row(kToday + 1, 9, 5)})
        t.append(r);
    auto at = [](int h, int m, int s, int ms = 0) { return Moment::at(2024, 3, 5, h, m, s, ms); };
    using Rows = std::vector<std::size_t>;
    EXPECT_EQ(firingRows(t, at(9, 4, 59, 2), at(9, 5, 0, 2)), Rows{1});
    EXPECT_EQ(firingRows(t, at(9, 4, 58, 2), at(9, 4, 59, 2)), Rows{});
    EXPECT_EQ(firingRows(t, at(9, 5, 0, 2), at(9, 5, 1, 2)), Rows{});       // fired already
    EXPECT_EQ(firingRows(t, at(9, 4, 59, 900), at(9, 5, 2, 100)), Rows{1}); // the 00 tick never came
    EXPECT_EQ(firingRows(t, at(9, 4, 59, 900), at(9, 6, 0, 100)), Rows{});  // not in its minute any more
    EXPECT_EQ(firingRows(t, at(9, 5, 59), at(9, 6, 0)), Rows{});            // inactive
    EXPECT_EQ(firingRows(t, at(9, 5, 50), at(9, 7, 20)), Rows{3});          // a freeze over 9:06
    EXPECT_EQ(firingRows(t, at(9, 4, 59), at(9, 4, 59, 500)), Rows{});
    // A file out of order (edited by hand) is walked whole.
    t.ordered = false;
    std::swap(t.rows[0], t.rows[3]);
    EXPECT_EQ(firingRows(t, at(9, 6, 59), at(9, 7, 0)), Rows{0});
    EXPECT_EQ(firingRows(t, at(9, 4, 59), at(9, 5, 0)), Rows{1});
    // Undated rows never fire.
    EventTable undated;
    undated.append(rowFromRecord(Reminder, broken(), 0));
    undated.append(row(kToday, 9, 5));
    EXPECT_EQ(firingRows(undated, at(9, 4, 59), at(9, 5, 0)), Rows{1});
    // One reminder a minute, inactive ones counted too.
    EXPECT_TRUE(minuteTaken(t, kToday, 9 * 60 + 6) && !minuteTaken(t, kToday, 9 * 60 + 8));
    EXPECT_FALSE(minuteTaken(t, kToday + 2, 9 * 60 + 5));
}

TEST(CoreListing, TheWindowThePastWeeksAndMonths) {
    const auto t = tableOf(Reminder, {event(kToday - 1, 23, 0, "yesterday"), event(kToday, 9, 0, "nine"),
                                      event(kToday, 10, 0, "ten"), event(kToday + 1, 8, 0, "tomorrow"),
                                      event(kToday + 7, 8, 0, "nextweek")});
    const Moment now = Moment::at(2024, 3, 5, 9, 0, 0);
    EXPECT_EQ(texts(t, listedRows(t, true, kToday, kToday, false, now)), "ten ");
    EXPECT_EQ(texts(t, listedRows(t, true, kToday, kToday, true, now)), "nine ten ");
    EXPECT_EQ(texts(t, listedRows(t, false, kToday, kToday, false, now)), "ten tomorrow nextweek ");
    EXPECT_EQ(texts(t, listedRows(t, false, kToday, kToday, true, now)),
              "yesterday nine ten tomorrow nextweek ");
    const auto [mon, sun] = weekOf(kToday);
    EXPECT_EQ(texts(t, listedRows(t, true, mon, sun, true, now)), "yesterday nine ten tomorrow ");
    // A name day of today is still to come.
    const auto n = tableOf(NameDay, {event(kToday - 1, 0, 0, "y"), event(kToday, 0, 0, "t")});
    EXPECT_EQ(texts(n, listedRows(n, false, kToday, kToday, false, Moment::at(2024, 3, 5, 23, 59))), "t ");
    const DayNumber sunday = dayNumber(2026, 12, 6), monday = dayNumber(2026, 12, 7);
    EXPECT_EQ(weekOf(sunday), std::make_pair(dayNumber(2026, 11, 30), sunday));
    EXPECT_EQ(weekOf(monday), std::make_pair(monday, dayNumber(2026, 12, 13)));
    EXPECT_EQ(monthOf(sunday), std::make_pair(dayNumber(2026, 12, 1), dayNumber(2026, 12, 31)));
    EXPECT_EQ(monthOf(dayNumber(2024, 2, 10)).second, dayNumber(2024, 2, 29));
}

TEST(CoreModification, MovesRewritesAndDeletionsTouchOnlyTheirOwnRecord) {
    Folder f;
    f.put(Reminder, {event(dayNumber(2024, 5, 1), 11, 0, "a", true, Recurrence::Weekly),
                     event(dayNumber(2024, 5, 2), 10, 0, "b"), event(dayNumber(2024, 5, 3), 12, 0, "c")});
    const auto file = f.path(Reminder);
    // Row `i` as read now, with its date, time or text changed by `change`.
    const auto modify = [&](std::size_t i, auto change) {
        const EventRow row = loadEventTable(file, Reminder).row(i);
        EventRecord changed = recordOfRowFields(Reminder, row);
        change(changed);
        return modifyEvent(file, Reminder, row, changed).has_value();
    };
    // A date's fraction carries no meaning; the fields not edited stay.
    ASSERT_TRUE(modify(0, [](EventRecord& r) { r.date = dayNumber(2024, 5, 2) + 0.5; }));
    EXPECT_EQ(f.order(Reminder), "b@05.02.10:00 a@05.02.11:00 c@05.03.12:00 ");
    EXPECT_EQ(loadEventTable(file, Reminder).rows[1].recurrence, Recurrence::Weekly);
    // The same moment as another record: after it.
    ASSERT_TRUE(modify(2, [](EventRecord& r) {
        r.date = dayNumber(2024, 5, 2);
        r.time = storedFromMinute(11 * 60);
    }));
    EXPECT_EQ(f.order(Reminder), "b@05.02.10:00 a@05.02.11:00 c@05.02.11:00 ");
    // Text and flag in place: the other records' bytes stay as they were.
    EventTable t = loadEventTable(file, Reminder);
    const std::string before = readFile(file);
    EventRecord changed = recordOfRowFields(Reminder, t.row(1));
    changed.text = "C!";
    changed.active = false;
    ASSERT_TRUE(modifyEvent(file, Reminder, t.row(1), changed));
    const std::string after = readFile(file);
    EXPECT_EQ(after.substr(0, 280) + after.substr(560), before.substr(0, 280) + before.substr(560));
    EXPECT_EQ(after.substr(280, 280), encodeEvent(Reminder, changed));
    // A row whose record has changed underneath, or is gone, writes nothing.
    EXPECT_FALSE(modifyEvent(file, Reminder, t.row(1), changed));
    EventRow gone = t.row(2);
    gone.position = 7;
    EXPECT_TRUE(!modifyEvent(file, Reminder, gone, changed) && readFile(file) == after);
    // A deletion takes the row's own record or nothing.
    f.put(NameDay, {event(kToday, 0, 0, "x"), event(kToday, 0, 0, "y"), event(kToday, 0, 0, "z")});
    const auto days = f.path(NameDay);
    t = loadEventTable(days, NameDay);
    EXPECT_TRUE(deleteEvent(days, NameDay, t.row(1)) && f.order(NameDay) == "x@03.05.0:00 z@03.05.0:00 ");
    EXPECT_FALSE(deleteEvent(days, NameDay, t.row(2))); // z is at position 1 now
    EXPECT_EQ(readFile(days).size(), 2u * 272);
    t = loadEventTable(days, NameDay);
    EXPECT_TRUE(deleteEvent(days, NameDay, t.row(1)) && deleteEvent(days, NameDay, t.row(0)));
    EXPECT_EQ(readFile(days), "");
}

namespace {

// A name day or birthday on a date.
EventRecord on(int y, int m, int d, const char* name, bool active = true) {
    return event(dayNumber(y, m, d), 0, 0, name, active);
}

// The notice's lines on `today` for a window of `days`, each ended by a line break.
std::string noticeOn(DayNumber today, int days, const std::vector<EventRecord>& nameDays,
                     const std::vector<EventRecord>& birthdays = {}) {
    std::string out;
    for (const auto& line :
         celebrantLines(tableOf(NameDay, nameDays), tableOf(Birthday, birthdays), today, days))
        out += cp1250ToUtf8(line) + "\n";
    return out;
}

} // namespace

TEST(CoreNotice, BothBoundsAreStrictOnlyMonthAndDayCountAndNameDaysComeFirst) {
    const DayNumber today = dayNumber(2024, 3, 4);
    // A stored year plays no part; one and two days ahead are in, today and three days ahead are out.
    EXPECT_EQ(noticeOn(today, 3, {on(1999, 3, 6, "Minta Anna")}), "Minta Anna  Névnapja: Március 6.\n");
    EXPECT_EQ(noticeOn(today, 3,
                       {on(2000, 3, 4, "Ma"), on(2000, 3, 7, "Harmadnap"), on(2000, 3, 5, "Inaktív", false)},
                       {on(1980, 3, 5, "Béla"), on(1980, 3, 6, "Éva")}),
              "Béla  Születésnapja: Március 5.\nÉva  Születésnapja: Március 6.\n");
    // Both kinds for one partner: the name day first, every name day before every birthday, table order.
    EXPECT_EQ(
        noticeOn(today, 10, {on(2024, 3, 9, "Ödön"), on(2024, 3, 5, "Ágota")}, {on(1990, 3, 6, "Ödön")}),
        "Ödön  Névnapja: Március 9.\nÁgota  Névnapja: Március 5.\nÖdön  Születésnapja: Március 6.\n");
    // N = 1 lists nothing ever.
    EXPECT_EQ(noticeOn(today, 1, {on(2024, 3, 5, "Holnap")}), "");
}

TEST(CoreNotice, TheWindowCrossesTheNewYearAndLeapDaysFallOnTheTwentyEighth) {
    // On 30 December a birthday on 1 January is two days ahead, in the next year.
    EXPECT_EQ(noticeOn(dayNumber(2024, 12, 30), 3, {}, {on(1970, 1, 1, "Újévi")}),
              "Újévi  Születésnapja: Január 1.\n");
    EXPECT_EQ(noticeOn(dayNumber(2024, 12, 31), 3, {on(2001, 1, 2, "Ábel")}), "Ábel  Névnapja: Január 2.\n");
    // A day already passed this year is a year away, not listed.
    EXPECT_EQ(noticeOn(dayNumber(2024, 1, 3), 10, {on(2001, 1, 2, "Ábel")}), "");
    // 29 February: on the 28th in a common year, and the line keeps the stored day.
    EXPECT_EQ(noticeOn(dayNumber(2023, 2, 27), 3, {}, {on(2000, 2, 29, "Szökőnapi")}),
              "Szökőnapi  Születésnapja: Február 29.\n");
    EXPECT_EQ(noticeOn(dayNumber(2023, 2, 28), 3, {}, {on(2000, 2, 29, "Szökőnapi")}), "");
    EXPECT_EQ(nextCelebration(2, 29, dayNumber(2024, 2, 27)), dayNumber(2024, 2, 29));
    EXPECT_EQ(nextCelebration(2, 29, dayNumber(2023, 3, 1)), dayNumber(2024, 2, 29));
    // The last year of the calendar does not step beyond it.
    EXPECT_EQ(nextCelebration(1, 1, dayNumber(9999, 6, 1)), dayNumber(9999, 1, 1));
}

// Each step over a month end, a leap day and a year end; the day a month lacks is its last, and the
// steps go on from the date the record then holds.
TEST(CoreRecurrence, EachStepLandsOnItsDateAndAMissingDayOnTheMonthsLast) {
    const auto step = [](Recurrence r, int y, int m, int d) {
        return dateText(stepOnce(r, dayNumber(y, m, d)));
    };
    EXPECT_EQ(step(Recurrence::Daily, 2024, 2, 28), "2024.02.29.");
    EXPECT_EQ(step(Recurrence::Daily, 2024, 12, 31), "2025.01.01.");
    EXPECT_EQ(step(Recurrence::Weekly, 2024, 2, 26), "2024.03.04.");
    EXPECT_EQ(step(Recurrence::Weekly, 2024, 12, 29), "2025.01.05.");
    EXPECT_EQ(step(Recurrence::Monthly, 2024, 1, 31), "2024.02.29.");
    EXPECT_EQ(step(Recurrence::Monthly, 2023, 1, 31), "2023.02.28.");
    EXPECT_EQ(step(Recurrence::Monthly, 2024, 3, 31), "2024.04.30.");
    EXPECT_EQ(step(Recurrence::Monthly, 2024, 12, 15), "2025.01.15.");
    EXPECT_EQ(step(Recurrence::Monthly, 2024, 2, 29), "2024.03.29.");
    EXPECT_EQ(step(Recurrence::Yearly, 2024, 2, 29), "2025.02.28.");
    EXPECT_EQ(step(Recurrence::Yearly, 2025, 2, 28), "2026.02.28.");
    EXPECT_EQ(step(Recurrence::Yearly, 2024, 12, 31), "2025.12.31.");
    EXPECT_EQ(step(Recurrence::Never, 2024, 3, 5), "2024.03.05.");
    EXPECT_EQ(dateText(stepOnce(static_cast<Recurrence>(9), kToday)), dateText(kToday));
}

// The occurrence that fell due moves past now; a gap counts every occurrence in it.
TEST(CoreRecurrence, TheNextOccurrenceIsTheFirstAfterNowWithTheCountOfThoseFallenDue) {
    struct Case {
        Recurrence r;
        Ymd date;
        int minute;
        Moment now;
        const char* next;
        std::int64_t fallenDue;
    };
    const Case cases[] = {
        {Recurrence::Daily, {2024, 3, 5}, 9 * 60, Moment::at(2024, 3, 5, 9, 0, 0), "2024.03.06.", 1},
        {Recurrence::Daily, {2024, 3, 5}, 9 * 60, Moment::at(2024, 3, 5, 8, 59, 59), "2024.03.05.", 0},
        {Recurrence::Daily, {2024, 3, 5}, 9 * 60, Moment::at(2024, 3, 7, 8, 0, 0), "2024.03.07.", 2},
        {Recurrence::Daily, {2024, 3, 5}, 9 * 60, Moment::at(2024, 3, 7, 9, 0, 0), "2024.03.08.", 3},
        {Recurrence::Weekly, {2024, 3, 5}, 9 * 60, Moment::at(2024, 3, 5, 9, 0, 0), "2024.03.12.", 1},
        {Recurrence::Weekly, {2024, 3, 5}, 9 * 60, Moment::at(2024, 3, 26, 10, 0, 0), "2024.04.02.", 4},
        {Recurrence::Weekly, {2024, 3, 5}, 9 * 60, Moment::at(2024, 3, 26, 8, 0, 0), "2024.03.26.", 3},
        {Recurrence::Monthly, {2024, 1, 31}, 9 * 60, Moment::at(2024, 1, 31, 9, 0, 0), "2024.02.29.", 1},
        {Recurrence::Monthly, {2024, 1, 31}, 9 * 60, Moment::at(2024, 4, 1, 0, 0, 0), "2024.04.29.", 3},
        {Recurrence::Yearly, {2024, 2, 29}, 0, Moment::at(2024, 2, 29, 0, 0, 30), "2025.02.28.", 1},
        {Recurrence::Yearly,
         {2020, 12, 31},
         23 * 60 + 59,
         Moment::at(2024, 12, 31, 23, 59, 0),
         "2025.12.31.",
         5},
        {Recurrence::Never, {2024, 3, 5}, 9 * 60, Moment::at(2024, 3, 9, 0, 0, 0), "2024.03.05.", 0},
        {Recurrence::Daily, {9999, 12, 31}, 0, Moment::at(9999, 12, 31, 0, 0, 1), "9999.12.31.", 1},
    };
    for (const Case& c : cases) {
        const Occurrence next =
            nextOccurrenceAfter(c.r, dayNumber(c.date.year, c.date.month, c.date.day), c.minute, c.now);
        EXPECT_EQ(dateText(next.day) + " " + std::to_string(next.fallenDue),
                  std::string(c.next) + " " + std::to_string(c.fallenDue))
            << static_cast<int>(c.r) << " " << c.date.year << "." << c.date.month << "." << c.date.day;
    }
    // Years behind, daily: counted, not walked.
    const Occurrence far =
        nextOccurrenceAfter(Recurrence::Daily, dayNumber(1, 1, 1), 0, Moment::at(2024, 3, 5, 12));
    EXPECT_EQ(far.day, kToday + 1);
    EXPECT_EQ(far.fallenDue, kToday - dayNumber(1, 1, 1) + 1);
}
