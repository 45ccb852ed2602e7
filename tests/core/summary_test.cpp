#include "core/events/firing.h"
#include "core/events/summary.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

const DayNumber kDay = dayNumber(2024, 3, 5);

EventRecord rec(DayNumber day, int minute, const std::string& utf8, bool active = true) {
    EventRecord r;
    r.active = active;
    r.text = utf8ToCp1250(utf8);
    r.date = static_cast<double>(day);
    r.time = storedFromMinute(minute);
    return r;
}

struct Book {
    test::TempDir dir;
    EventBook book;
    void put(EventKind k, std::vector<EventRecord> recs) {
        std::string bytes;
        for (const auto& r : recs)
            bytes += encodeEvent(k, r);
        replaceFile(dir.path() / eventFileName(k), bytes);
    }
    std::vector<std::string> lines(Moment now) {
        for (EventKind k : kAllEventKinds)
            book.refresh(k, dir.path());
        book.updateNext(0, now);
        std::vector<std::string> out;
        for (const auto& l : summaryLines(book))
            out.push_back(cp1250ToUtf8(l));
        return out;
    }
};

EventRow row(DayNumber day, int minute, bool active = true) {
    EventRow r;
    r.active = active;
    r.day = day;
    r.minute = minute;
    return r;
}

} // namespace

TEST(Summary, OneLinePerKindWithAnActiveNextEvent) {
    Book b;
    b.put(EventKind::Reminder, {rec(kDay, 9 * 60 + 5, "Fogorvos")});
    b.put(EventKind::NameDay, {rec(kDay + 1, 0, "Minta Anna", false)});
    const Moment morning = Moment::at(2024, 3, 5, 8);
    EXPECT_EQ(b.lines(morning), std::vector<std::string>{"Emlékeztető | 2024.03.05. |  9:05 | Fogorvos"});

    b.put(EventKind::Program, {rec(kDay, 14 * 60 + 30, "/usr/bin/backup ")});
    b.put(EventKind::NameDay, {rec(kDay, 0, "Ma Ünnepelt"), rec(kDay + 1, 0, "Minta Anna")});
    b.put(EventKind::Birthday, {rec(kDay + 40, 0, "Kovács Béla")});
    EXPECT_EQ(b.lines(morning),
              (std::vector<std::string>{"Emlékeztető | 2024.03.05. |  9:05 | Fogorvos",
                                        "Program     | 2024.03.05. | 14:30 | /usr/bin/backup ",
                                        "Névnap      | 2024.03.06. | Minta Anna",
                                        "Szülinap    | 2024.04.14. | Kovács Béla"}));
    EXPECT_EQ(b.lines(Moment::at(2024, 3, 7)),
              std::vector<std::string>{"Szülinap    | 2024.04.14. | Kovács Béla"});
    EXPECT_EQ(b.lines(Moment::at(2024, 5, 1)),
              std::vector<std::string>{"Nincs soron következő bejegyzett esemény"});
}

TEST(Summary, APickedLineNamesItsKindDateAndTime) {
    auto pick = [](const char* utf8) { return parseSummaryLine(utf8ToCp1250(utf8)); };
    EXPECT_EQ(pick("Emlékeztető | 2024.03.05. |  9:05 | Fogorvos | 2"),
              (SummaryPick{0, "2024.03.05.", "9:05"}));
    EXPECT_EQ(pick("Program     | 2024.03.05. | 14:30 | /usr/bin/x "),
              (SummaryPick{1, "2024.03.05.", "14:30"}));
    EXPECT_EQ(pick("Névnap      | 2024.03.06. | Minta Anna"), (SummaryPick{2, "2024.03.06.", ""}));
    EXPECT_EQ(pick("Szülinap    | 2024.04.14. | Kovács Béla"), (SummaryPick{3, "2024.04.14.", ""}));
    EXPECT_EQ(pick("Nincs soron következő bejegyzett esemény").kind, 2); // it starts with "N"
    EXPECT_EQ(pick("").kind, -1);
    EXPECT_EQ(pick("x|").date, "");
}

TEST(Firing, TheTableIsAskedForEveryRowWhoseMomentFellSinceThePreviousTick) {
    EventTable t;
    t.rows = {row(kDay - 1, 9 * 60 + 5), row(kDay, 9 * 60 + 5), row(kDay, 9 * 60 + 6, false),
              row(kDay, 9 * 60 + 7), row(kDay + 1, 9 * 60 + 5)};
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
    undated.rows = {EventRow{}, row(kDay, 9 * 60 + 5)};
    undated.rows[0].active = true;
    EXPECT_EQ(firingRows(undated, at(9, 4, 59), at(9, 5, 0)), Rows{1});
}

TEST(Firing, OneReminderPerMinuteCountsInactiveOnesToo) {
    EventTable t;
    t.rows = {row(kDay, 9 * 60 + 5, false), row(kDay, 14 * 60 + 30)};
    EXPECT_TRUE(minuteTaken(t, kDay, 9 * 60 + 5));
    EXPECT_TRUE(minuteTaken(t, kDay, 14 * 60 + 30));
    EXPECT_FALSE(minuteTaken(t, kDay, 9 * 60 + 6));
    EXPECT_FALSE(minuteTaken(t, kDay + 1, 9 * 60 + 5));
}
