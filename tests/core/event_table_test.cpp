#include "core/events/event_table.h"
#include "core/storage/record_file.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

#include <cmath>

using namespace zel;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

EventRecord timed(DayNumber day, int h, int m, std::string text, bool active = true, std::uint8_t rec = 0) {
    EventRecord r;
    r.active = active;
    r.recurrence = rec;
    r.text = std::move(text);
    r.date = static_cast<double>(day);
    r.time = storedFromMinute(h * 60 + m);
    return r;
}

EventRecord dated(DayNumber day, std::string who) {
    EventRecord r;
    r.text = std::move(who);
    r.date = static_cast<double>(day);
    return r;
}

void writeEvents(const std::filesystem::path& p, EventKind k, const std::vector<EventRecord>& recs) {
    std::string bytes;
    for (const auto& r : recs)
        bytes += encodeEvent(k, r);
    replaceFile(p, bytes);
}

const DayNumber kToday = dayNumber(2024, 3, 5);

std::string nextText(EventBook& book, EventKind k, Moment now) {
    book.updateNext(static_cast<int>(k), now);
    return book.next(k) ? book.next(k)->text : "<none>";
}

} // namespace

TEST(EventTables, RowsCarryCellsAndPositionsAndAnEmptyFileShowsOneEmptyRow) {
    TempDir dir;
    EventBook book;
    book.refresh(EventKind::Program, dir.path());
    EXPECT_TRUE(std::filesystem::exists(dir.path() / "programok.dat"));
    EXPECT_EQ(readFile(dir.path() / "programok.dat").size(), 0u);
    EXPECT_TRUE(book.table(EventKind::Program).rows.empty());
    ASSERT_EQ(cellsOf(book.table(EventKind::Program)).size(), 1u);
    EXPECT_EQ(cellsOf(book.table(EventKind::Program))[0], EventCells{});

    writeEvents(dir.path() / "programok.dat", EventKind::Program,
                {timed(kToday, 9, 5, "C:\\a.exe ", true, 1), timed(kToday, 10, 0, "b", false, 4)});
    book.refresh(EventKind::Program, dir.path());
    const auto cells = cellsOf(book.table(EventKind::Program));
    ASSERT_EQ(cells.size(), 2u);
    EXPECT_EQ(cells[0], (EventCells{"   *", "2024.03.05.", "9:05", "C:\\a.exe ", "1"}));
    EXPECT_EQ(cells[1], (EventCells{"", "2024.03.05.", "10:00", "b", "4"}));
    EXPECT_EQ(book.table(EventKind::Program).rows[1].position, 1u);

    writeEvents(dir.path() / "nevnapok.dat", EventKind::NameDay, {dated(kToday, "Minta Anna")});
    book.refresh(EventKind::NameDay, dir.path());
    EXPECT_EQ(cellsOf(book.table(EventKind::NameDay))[0],
              (EventCells{"   *", "2024.03.05.", "", "Minta Anna", ""}));

    // A file that lost all its records leaves nothing of its former rows.
    replaceFile(dir.path() / "nevnapok.dat", "");
    book.refresh(EventKind::NameDay, dir.path());
    EXPECT_TRUE(book.table(EventKind::NameDay).rows.empty());
    book.updateNext(0, Moment{kToday - 1, 0});
    EXPECT_FALSE(book.next(EventKind::NameDay).has_value());
}

TEST(EventTables, UnusableDatesAndTimesGiveEmptyDateCellsAndAreNeverDue) {
    TempDir dir;
    EventRecord nanDate = timed(kToday, 9, 0, "nan");
    nanDate.date = std::nan("");
    EventRecord nanTime = timed(kToday, 9, 0, "nantime");
    nanTime.time = std::nan("");
    EventRecord huge = timed(kToday, 9, 0, "huge");
    huge.date = 1e18;
    writeEvents(dir.path() / "emlekeztetok.dat", EventKind::Reminder,
                {nanDate, nanTime, huge, timed(kToday, 12, 0, "ok")});
    EventBook book;
    book.refresh(EventKind::Reminder, dir.path());
    const auto cells = cellsOf(book.table(EventKind::Reminder));
    EXPECT_EQ(cells[0][1], "");
    EXPECT_EQ(cells[1][1], "");
    EXPECT_EQ(cells[1][2], "");
    EXPECT_EQ(cells[2][1], "");
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 5, 8)), "ok");
}

TEST(NextEvent, RemindersOfTodayPassAtTheFirstMomentAfterTheirMinute) {
    TempDir dir;
    writeEvents(dir.path() / "emlekeztetok.dat", EventKind::Reminder,
                {timed(kToday - 1, 20, 0, "yesterday", true, 1), timed(kToday, 9, 0, "9"),
                 timed(kToday, 12, 0, "12"), timed(kToday + 1, 8, 0, "tomorrow")});
    EventBook book;
    book.refresh(EventKind::Reminder, dir.path());
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 5, 10, 30)), "12");
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 5, 12, 0, 0)), "12");
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 5, 12, 0, 0, 1)), "tomorrow");
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 5, 12, 0, 1)), "tomorrow");
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 5, 0, 0)), "9");
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 4, 21, 0)), "9"); // daily, yet once
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 7, 0, 0)), "<none>");
}

TEST(NextEvent, AnInactiveEventIsNextUntilItsMinuteHasPassed) {
    TempDir dir;
    writeEvents(dir.path() / "emlekeztetok.dat", EventKind::Reminder,
                {timed(kToday, 11, 0, "11", false), timed(kToday, 12, 0, "12")});
    EventBook book;
    book.refresh(EventKind::Reminder, dir.path());
    book.updateNext(1, Moment::at(2024, 3, 5, 10));
    ASSERT_TRUE(book.next(EventKind::Reminder));
    EXPECT_EQ(book.next(EventKind::Reminder)->text, "11");
    EXPECT_FALSE(book.next(EventKind::Reminder)->active);
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 5, 11, 0, 1)), "12");
}

TEST(NextEvent, NameDaysAndBirthdaysOfTodayAreNeverNext) {
    TempDir dir;
    writeEvents(dir.path() / "nevnapok.dat", EventKind::NameDay,
                {dated(kToday, "today"), dated(kToday + 5, "in five days")});
    writeEvents(dir.path() / "szuletesnapok.dat", EventKind::Birthday, {dated(kToday, "only today")});
    EventBook book;
    book.refresh(EventKind::NameDay, dir.path());
    book.refresh(EventKind::Birthday, dir.path());
    EXPECT_EQ(nextText(book, EventKind::NameDay, Moment::at(2024, 3, 5, 0, 0)), "in five days");
    EXPECT_EQ(nextText(book, EventKind::Birthday, Moment::at(2024, 3, 5, 0, 0)), "<none>");
    EXPECT_EQ(nextText(book, EventKind::Birthday, Moment::at(2024, 3, 4, 23, 59, 59)), "only today");
}

TEST(NextEvent, AFileOutOfOrderIsWalkedAsStored) {
    TempDir dir;
    // Written by something else: a later event before an earlier one, and a broken date in between.
    EventRecord broken = timed(kToday, 9, 0, "broken");
    broken.date = std::nan("");
    writeEvents(dir.path() / "emlekeztetok.dat", EventKind::Reminder,
                {timed(kToday - 3, 9, 0, "old"), timed(kToday + 2, 9, 0, "later"), broken,
                 timed(kToday + 1, 9, 0, "sooner")});
    EventBook book;
    book.refresh(EventKind::Reminder, dir.path());
    EXPECT_FALSE(book.table(EventKind::Reminder).ordered);
    // The stored order decides, as it always did: the first row from today on.
    EXPECT_EQ(nextText(book, EventKind::Reminder, Moment::at(2024, 3, 5, 10)), "later");

    // An undated row among today's rows is passed like the ones before it.
    TempDir dir3;
    writeEvents(dir3.path() / "emlekeztetok.dat", EventKind::Reminder,
                {timed(kToday, 8, 0, "8"), broken, timed(kToday, 12, 0, "12")});
    EventBook today;
    today.refresh(EventKind::Reminder, dir3.path());
    EXPECT_EQ(nextText(today, EventKind::Reminder, Moment::at(2024, 3, 5, 9)), "12");

    // The same rows in order are bisected and give the same answers everywhere.
    TempDir dir2;
    std::vector<EventRecord> recs;
    for (int d = 0; d < 30; ++d)
        for (int h : {0, 9, 23})
            recs.push_back(timed(kToday + d, h, d % 60, std::to_string(d) + "/" + std::to_string(h)));
    writeEvents(dir2.path() / "emlekeztetok.dat", EventKind::Reminder, recs);
    EventBook ordered;
    ordered.refresh(EventKind::Reminder, dir2.path());
    ASSERT_TRUE(ordered.table(EventKind::Reminder).ordered);
    EventTable walked = ordered.table(EventKind::Reminder);
    walked.ordered = false;
    for (int d = -1; d < 31; ++d)
        for (int minute = 0; minute < 1440; minute += 7) {
            const Moment now{kToday + d, minute * 60'000LL + (minute % 3) * 500};
            ASSERT_EQ(nextDueIndex(ordered.table(EventKind::Reminder), now), nextDueIndex(walked, now));
        }
}
