#include "core/app/data_reader.h"
#include "core/events/firing.h"
#include "core/events/listing.h"
#include "core/events/recurrence.h"
#include "core/events/summary.h"
#include "core/notice/notice.h"
#include "core/text/cp1250.h"
#include "support/test_util.h"

#include <cmath>
#include <cstring>
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
    DataReader ahead(f.dir.path());
    f.book.refresh(NameDay, f.dir.path(), &ahead); // waits for the reading of the first three
    // Changed after it was read: the new file counts. Missing: created, as without reading ahead.
    test::writeEvents(f.path(Reminder), Reminder,
                      {event(kToday, 9, 0, "első"), event(kToday, 10, 0, "második")});
    for (EventKind k : {Reminder, Program, Birthday})
        f.book.refresh(k, f.dir.path(), &ahead);
    for (EventKind k : kAllEventKinds)
        EXPECT_EQ(f.book.table(k), loadEventTable(f.path(k), k)) << eventFileName(k);
    EXPECT_TRUE(std::filesystem::exists(f.path(Program)) && readFile(f.path(Program)).empty());
    // What was read ahead is taken once; a later refresh reads the file again.
    test::writeEvents(f.path(NameDay), NameDay, {});
    f.book.refresh(NameDay, f.dir.path(), &ahead);
    EXPECT_TRUE(f.book.table(NameDay).rows.empty());
}

TEST(CoreEventTable, AReadThatPausesPausesBetweenBatchesOfRecordsAndReadsTheSame) {
    Folder f;
    std::vector<EventRecord> many;
    for (int i = 0; i < 1030; ++i)
        many.push_back(event(kToday + i, 9, 0, "x" + std::to_string(i)));
    test::writeEvents(f.path(Reminder), Reminder, many);
    int pauses = 0;
    EXPECT_EQ(readEventTable(f.path(Reminder), Reminder, [&] { ++pauses; }),
              readEventTable(f.path(Reminder), Reminder));
    EXPECT_EQ(pauses, 2);
}

TEST(CoreDataReader, AFileIsReadOnlyOnceItsKindOrALaterOneIsAskedForAndAnEndedReaderStops) {
    Folder f;
    const auto partners = f.dir.path() / kPartnerFileName;
    test::writeFile(partners, test::partnerBytes({test::partner("Kis Anna"), test::partner("Nagy Béla")}));
    test::writeEvents(f.path(Reminder), Reminder, {event(kToday, 9, 0, "első")});
    test::writeEvents(f.path(Program), Program, {event(kToday, 9, 0, "/bin/a")});
    test::writeEvents(f.path(NameDay), NameDay, {event(kToday, 0, 0, "Anna")});
    {
        DataReader reader(f.dir.path());
        // The partners' names are read at once, and taken once.
        const std::optional<PartnerNames> names = reader.takePartnerNames();
        ASSERT_TRUE(names);
        EXPECT_EQ(names->names, (std::vector<std::string>{"Kis Anna", test::cp("Nagy Béla")}));
        EXPECT_FALSE(reader.takePartnerNames());
        // Not read before it is asked for: written now, it is read as it is now.
        test::writeEvents(f.path(Program), Program, {event(kToday, 10, 0, "/bin/b")});
        EXPECT_EQ(reader.take(Program), loadEventTable(f.path(Program), Program));
        EXPECT_EQ(reader.take(Program), std::nullopt); // taken once
        // Asking for the birthdays reads the name days before them.
        EXPECT_EQ(reader.take(Birthday), loadEventTable(f.path(Birthday), Birthday));
        test::writeEvents(f.path(NameDay), NameDay, {event(kToday, 0, 0, "Béla")});
        EXPECT_EQ(reader.take(NameDay), std::nullopt);
        EXPECT_EQ(reader.take(Reminder), loadEventTable(f.path(Reminder), Reminder));
    }
    // One never asked for ends without reading the rest.
    { DataReader unasked(f.dir.path()); }
    EventBook book;
    DataReader ahead(f.dir.path());
    book.refresh(Program, f.dir.path(), &ahead);
    EXPECT_EQ(book.table(Program).rows.size(), 1u);
    // Names changed after they were read are read again by whoever asked.
    test::writeFile(partners, test::partnerBytes({test::partner("Kis Anna")}));
    EXPECT_FALSE(ahead.takePartnerNames());
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

namespace {

// A lookout over a reminder and a program table, looked with by local time and the zone's offset.
struct Looks {
    EventTable reminders = tableOf(Reminder, {});
    EventTable programs = tableOf(Program, {});
    Lookout lookout{Moment{}, 0};
    explicit Looks(Moment start, int offsetMinutes = 0) : lookout(start, instant(start, offsetMinutes)) {}
    static std::int64_t instant(Moment m, int offsetMinutes) { return naiveMs(m) - offsetMinutes * 60'000LL; }
    void add(EventKind k, DayNumber day, int h, int m, const char* text) {
        EventTable& t = k == Reminder ? reminders : programs;
        t.append(rowFromRecord(k, event(day, h, m, text), t.rows.size()));
        t.ordered = rowsInOrder(k, t.rows);
    }
    // What a look finds, "text" on time and "text!" missed.
    std::string at(Moment now, int offsetMinutes = 0) {
        std::string out;
        for (const FallenDue& f : lookout.look(reminders, programs, now, instant(now, offsetMinutes))) {
            const EventTable& t = f.kind == Reminder ? reminders : programs;
            out += std::string(t.text(t.rows[f.index])) + (f.missed ? "! " : " ");
        }
        return out;
    }
};

} // namespace

TEST(CoreLookout, EachMomentFallsDueOnceWithinItsMinuteAndAGapOfMoreThanAMinuteMakesItMissed) {
    auto at = [](int h, int m, int s, int ms = 0) { return Moment::at(2024, 3, 5, h, m, s, ms); };
    Looks l(at(9, 4, 58, 2));
    l.add(Reminder, kToday - 1, 9, 5, "yesterday");
    l.add(Reminder, kToday, 9, 5, "a");
    l.add(Program, kToday, 9, 5, "p");
    l.add(Reminder, kToday, 9, 7, "b");
    l.reminders.append(row(kToday, 9, 6, false)); // inactive: never
    EXPECT_EQ(l.at(at(9, 4, 59, 2)), "");
    EXPECT_EQ(l.at(at(9, 5, 0, 2)), "a p "); // reminders before programs of the same minute
    EXPECT_EQ(l.at(at(9, 5, 1, 2)), "");     // once
    // A late tick inside the minute is on time; a freeze of less than a minute over 9:07 too.
    EXPECT_EQ(l.at(at(9, 6, 40)), "");
    EXPECT_EQ(l.at(at(9, 7, 35)), "b ");
    // Undated rows never fall due; a table out of order is walked whole.
    l.reminders.append(rowFromRecord(Reminder, broken(), 5));
    l.add(Reminder, kToday, 9, 10, "c");
    l.add(Reminder, kToday, 9, 9, "d");
    l.reminders.ordered = false;
    // Three minutes frozen: 9:09 and 9:10 were missed; 9:11 is the current minute and on time.
    l.add(Reminder, kToday, 9, 11, "e");
    EXPECT_EQ(l.at(at(9, 11, 20)), "d! c! e ");
    // A suspend of three hours, by the instant, finds every minute in between once, missed.
    l.add(Program, kToday, 10, 0, "q");
    l.add(Reminder, kToday, 12, 0, "f");
    EXPECT_EQ(l.at(at(12, 11, 20)), "q! f! ");
    EXPECT_EQ(l.at(at(12, 11, 21)), "");
    EXPECT_EQ(l.lookout.watchedUpTo(), at(12, 11, 21));
    // One reminder a minute as entered; inactive ones counted too.
    EXPECT_TRUE(minuteTaken(l.reminders, kToday, 9 * 60 + 6) &&
                !minuteTaken(l.reminders, kToday, 9 * 60 + 8));
}

TEST(CoreLookout, DaylightSavingTimeInBudapestFiresTheSkippedHourLateAndTheRepeatedHourOnce) {
    // 29 March 2026: 2:00 CET becomes 3:00 CEST.
    const DayNumber spring = dayNumber(2026, 3, 29);
    auto march = [](int h, int m, int s) { return Moment::at(2026, 3, 29, h, m, s); };
    Looks forward(march(1, 59, 58), 60);
    forward.add(Reminder, spring, 2, 30, "skipped");
    forward.add(Reminder, spring, 3, 0, "three");
    forward.add(Reminder, spring, 3, 1, "after");
    EXPECT_EQ(forward.at(march(1, 59, 59), 60), "");
    // One second later by the instant: the skipped hour falls due now, on time.
    EXPECT_EQ(forward.at(march(3, 0, 0), 120), "skipped three ");
    EXPECT_EQ(forward.at(march(3, 1, 0), 120), "after ");
    // Told of it late (the computer slept over the change): listed as missed.
    Looks asleep(march(1, 50, 0), 60);
    asleep.add(Reminder, spring, 2, 30, "skipped");
    EXPECT_EQ(asleep.at(march(3, 5, 0), 120), "skipped! ");

    // 25 October 2026: 3:00 CEST becomes 2:00 CET; the hour from 2:00 comes twice.
    const DayNumber autumn = dayNumber(2026, 10, 25);
    auto october = [](int h, int m, int s) { return Moment::at(2026, 10, 25, h, m, s); };
    Looks back(october(2, 29, 59), 120);
    back.add(Reminder, autumn, 2, 30, "first");
    back.add(Reminder, autumn, 3, 0, "three");
    EXPECT_EQ(back.at(october(2, 30, 0), 120), "first ");
    EXPECT_EQ(back.at(october(2, 59, 59), 120), "");
    EXPECT_EQ(back.at(october(2, 0, 0), 60), "");
    // Entered in the repeated hour for a minute of it: it was never seen, so it falls due.
    back.add(Reminder, autumn, 2, 45, "new");
    for (int minute = 1; minute < 60; ++minute)
        EXPECT_EQ(back.at(october(2, minute, 0), 60), minute == 45 ? "new " : "") << minute;
    EXPECT_EQ(back.at(october(3, 0, 0), 60), "three ");
}

TEST(CoreLookout, TheClockSetBackADayFiresNothingTwiceAndAStartResumesFromTheLastRun) {
    Looks l(Moment::at(2024, 3, 5, 8, 59, 59));
    l.add(Reminder, kToday, 9, 0, "nine");
    l.add(Program, kToday, 12, 0, "noon");
    l.add(Reminder, kToday + 1, 9, 0, "tomorrow");
    EXPECT_EQ(l.at(Moment::at(2024, 3, 5, 9, 0, 0)), "nine ");
    EXPECT_EQ(l.at(Moment::at(2024, 3, 5, 12, 0, 0)), "noon ");
    // Set back a day: nothing of the day lived again falls due again, by the instant or otherwise.
    EXPECT_EQ(l.at(Moment::at(2024, 3, 4, 12, 0, 1)), "");
    l.add(Reminder, kToday, 10, 0, "entered since"); // for a moment already watched, entered after the jump
    EXPECT_EQ(l.at(Moment::at(2024, 3, 5, 8, 0, 0)), "");
    EXPECT_EQ(l.at(Moment::at(2024, 3, 5, 9, 0, 0)), "");
    EXPECT_EQ(l.at(Moment::at(2024, 3, 5, 10, 0, 0)), "entered since ");
    EXPECT_EQ(l.at(Moment::at(2024, 3, 5, 12, 0, 0)), "");
    EXPECT_EQ(l.lookout.watchedUpTo(), Moment::at(2024, 3, 5, 12, 0, 0));
    EXPECT_EQ(l.at(Moment::at(2024, 3, 6, 9, 0, 0)), "tomorrow ");

    // Started two days after the last run: everything in between is missed, the current minute is not.
    Looks start(Moment::at(2024, 3, 7, 9, 0, 30));
    start.add(Reminder, kToday, 9, 0, "before");
    start.add(Reminder, kToday, 18, 0, "evening");
    start.add(Program, kToday + 1, 7, 0, "backup");
    start.add(Reminder, kToday + 2, 9, 0, "now");
    start.lookout.resumeFrom(Moment::at(2024, 3, 5, 12, 0, 0), Moment::at(2024, 3, 7, 9, 0, 30), 0);
    EXPECT_EQ(start.at(Moment::at(2024, 3, 7, 9, 0, 30)), "evening! backup! now ");
    // Restarted within a minute: its minute is on time.
    Looks quick(Moment::at(2024, 3, 5, 9, 0, 20));
    quick.add(Reminder, kToday, 9, 0, "nine");
    quick.lookout.resumeFrom(Moment::at(2024, 3, 5, 8, 59, 50), Moment::at(2024, 3, 5, 9, 0, 20),
                             Looks::instant(Moment::at(2024, 3, 5, 9, 0, 20), 0));
    EXPECT_EQ(quick.at(Moment::at(2024, 3, 5, 9, 0, 20)), "nine ");
}

TEST(CoreLookout, RecurringRowsBehindAMomentAreTheActiveOnesThatRecur) {
    EventTable t = tableOf(Reminder, {event(kToday - 9, 9, 0, "weekly", true, Recurrence::Weekly),
                                      event(kToday - 8, 9, 0, "once"),
                                      event(kToday - 7, 9, 0, "off", false, Recurrence::Daily),
                                      event(kToday, 9, 0, "daily", true, Recurrence::Daily),
                                      event(kToday + 1, 9, 0, "later", true, Recurrence::Daily)});
    EXPECT_EQ(texts(t, recurringRowsUpTo(t, Moment::at(2024, 3, 5, 9, 0))), "weekly daily ");
    EXPECT_EQ(texts(t, recurringRowsUpTo(t, Moment::at(2024, 3, 5, 8, 59))), "weekly ");
    t.ordered = false;
    std::swap(t.rows[0], t.rows[4]);
    EXPECT_EQ(texts(t, recurringRowsUpTo(t, Moment::at(2024, 3, 5, 9, 0))), "daily weekly ");
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

TEST(CoreModification, MovesGoToTheirNewDaysInOneRewriteKeepingEveryOtherByte) {
    Folder f;
    const DayNumber may1 = dayNumber(2024, 5, 1);
    f.put(Reminder, {event(may1, 9, 0, "a", true, Recurrence::Daily), event(may1, 10, 0, "b"),
                     event(may1 + 1, 9, 0, "c"), event(may1 + 1, 10, 0, "d", true, Recurrence::Weekly),
                     event(may1 + 2, 9, 0, "e")});
    const auto file = f.path(Reminder);
    // Bytes the program never writes, after a text and in the spare room of the record, stay as they are.
    std::string bytes = readFile(file);
    bytes[2 + 1 + 1 + 5] = 'X';
    bytes[3 * 280 + 262] = '\x7F';
    test::writeFile(file, bytes);
    const EventTable t = loadEventTable(file, Reminder);
    // One move: after the records of its new moment, and the change says where it went.
    MovesWritten one = moveEvents(file, Reminder, {{t.row(0), may1 + 1}});
    EXPECT_EQ(f.order(Reminder), "b@05.01.10:00 c@05.02.9:00 a@05.02.9:00 d@05.02.10:00 e@05.03.9:00 ");
    ASSERT_TRUE(one.moved == 1 && one.change.has_value());
    EXPECT_EQ(one.change->removed, 0u);
    EXPECT_EQ(one.change->inserted, 2u);
    EventTable followed = t;
    ASSERT_TRUE(applyChange(followed, *one.change));
    const EventTable reread = loadEventTable(file, Reminder);
    ASSERT_EQ(followed.rows.size(), reread.rows.size());
    for (std::size_t i = 0; i < reread.rows.size(); ++i)
        EXPECT_EQ(followed.row(i), reread.row(i)) << i;
    std::string expected = bytes.substr(280, 560) + bytes.substr(0, 280) + bytes.substr(840);
    const double newDate = may1 + 1;
    std::memcpy(expected.data() + 2 * 280 + 264, &newDate, 8);
    EXPECT_TRUE(readFile(file) == expected);

    // Several in one rewrite, to the end and past one another; a row the file no longer holds stays.
    const EventTable u = loadEventTable(file, Reminder);
    EventRow stale = u.row(4);
    stale.text = "gone";
    const MovesWritten many = moveEvents(
        file, Reminder, {{u.row(2), may1 + 9}, {u.row(3), may1 + 8}, {stale, may1}, {u.row(0), may1 + 9}});
    EXPECT_EQ(many.moved, 3u);
    EXPECT_FALSE(many.change.has_value());
    EXPECT_EQ(f.order(Reminder), "c@05.02.9:00 e@05.03.9:00 d@05.09.10:00 a@05.10.9:00 b@05.10.10:00 ");
    const EventTable v = loadEventTable(file, Reminder);
    EXPECT_EQ(v.rows[2].recurrence, Recurrence::Weekly);
    EXPECT_EQ(readFile(file).substr(3 * 280 + 9, 1), "X"); // a's own stray byte went with it
    // Nothing held: nothing written.
    const std::string now = readFile(file);
    EXPECT_EQ(moveEvents(file, Reminder, {{stale, may1}}).moved, 0u);
    EXPECT_TRUE(readFile(file) == now);
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
