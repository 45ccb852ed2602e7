#include "core/events/listing.h"
#include "core/events/month_grid.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

using namespace zel;
using zel::test::readFile;
using zel::test::TempDir;

namespace {

const DayNumber kToday = dayNumber(2024, 3, 5); // a Tuesday

EventRecord rec(DayNumber day, int h, int m, const char* text, std::uint8_t recurrence = 0) {
    EventRecord r;
    r.text = text;
    r.recurrence = recurrence;
    r.date = static_cast<double>(day);
    r.time = storedFromMinute(h * 60 + m);
    return r;
}

EventTable tableOf(EventKind kind, const std::vector<EventRecord>& recs) {
    EventTable t;
    t.kind = kind;
    for (std::size_t i = 0; i < recs.size(); ++i)
        t.rows.push_back(rowFromRecord(kind, recs[i], i));
    return t;
}

std::string texts(const EventTable& t, const std::vector<std::size_t>& listed) {
    std::string out;
    for (auto i : listed)
        out += t.rows[i].text + " ";
    return out;
}

struct File {
    TempDir dir;
    std::filesystem::path path;
    EventKind kind;
    File(EventKind k, const std::vector<EventRecord>& recs) : path(dir.path() / eventFileName(k)), kind(k) {
        std::string bytes;
        for (const auto& r : recs)
            bytes += encodeEvent(k, r);
        replaceFile(path, bytes);
    }
    EventTable table() const { return loadEventTable(path, kind); }
    std::string order() const {
        std::string out;
        for (const auto& r : table().rows)
            out += r.text + "@" + dateText(*r.day).substr(5) + timeText(r.minute) + " ";
        return out;
    }
};

} // namespace

TEST(Listing, TheWindowAndThePastTest) {
    const auto t =
        tableOf(EventKind::Reminder,
                {rec(kToday - 1, 23, 0, "yesterday"), rec(kToday, 9, 0, "nine"), rec(kToday, 10, 0, "ten"),
                 rec(kToday + 1, 8, 0, "tomorrow"), rec(kToday + 7, 8, 0, "nextweek")});
    const Moment now = Moment::at(2024, 3, 5, 9, 0, 0);
    EXPECT_EQ(texts(t, listedRows(t, true, kToday, kToday, false, now)), "ten ");
    EXPECT_EQ(texts(t, listedRows(t, true, kToday, kToday, true, now)), "nine ten ");
    EXPECT_EQ(texts(t, listedRows(t, false, kToday, kToday, false, now)), "ten tomorrow nextweek ");
    EXPECT_EQ(texts(t, listedRows(t, false, kToday, kToday, true, now)),
              "yesterday nine ten tomorrow nextweek ");
    const auto [mon, sun] = weekOf(kToday);
    EXPECT_EQ(texts(t, listedRows(t, true, mon, sun, true, now)), "yesterday nine ten tomorrow ");
    // A name day of today is still to come.
    const auto n = tableOf(EventKind::NameDay, {rec(kToday - 1, 0, 0, "y"), rec(kToday, 0, 0, "t")});
    EXPECT_EQ(texts(n, listedRows(n, false, kToday, kToday, false, Moment::at(2024, 3, 5, 23, 59))), "t ");
}

TEST(Listing, WeeksMonthsWordsAndHeaders) {
    const DayNumber sunday = dayNumber(2026, 12, 6), monday = dayNumber(2026, 12, 7);
    EXPECT_EQ(weekOf(sunday), std::make_pair(dayNumber(2026, 11, 30), sunday));
    EXPECT_EQ(weekOf(monday), std::make_pair(monday, dayNumber(2026, 12, 13)));
    EXPECT_EQ(monthOf(dayNumber(2026, 12, 6)),
              std::make_pair(dayNumber(2026, 12, 1), dayNumber(2026, 12, 31)));
    EXPECT_EQ(monthOf(dayNumber(2024, 2, 10)).second, dayNumber(2024, 2, 29));
    EXPECT_EQ(cp1250ToUtf8(recurrenceWord(1)), "Naponta");
    EXPECT_EQ(cp1250ToUtf8(recurrenceWord(4)), "Évente");
    EXPECT_EQ(recurrenceWord(9), "");

    const struct {
        EventKind kind;
        std::size_t length;
        std::vector<std::pair<const char*, std::size_t>> words;
    } headers[] = {
        {EventKind::Reminder, 126, {{"Aktív", 1}, {"Ismétel", 7}, {"Dátum", 19}, {"Óra", 30}, {"Tárgy", 78}}},
        {EventKind::Program,
         113,
         {{"Aktív", 1}, {"Ismétel", 7}, {"Dátum", 19}, {"Óra", 30}, {"Futtatandó program", 66}}},
        {EventKind::NameDay, 133, {{"Aktív", 1}, {"Dátum", 11}, {"Névnap", 72}}},
        {EventKind::Birthday, 137, {{"Aktív", 1}, {"Dátum", 11}, {"Név", 74}}},
    };
    for (const auto& h : headers) {
        const std::string header = listingHeader(h.kind); // one byte a character
        EXPECT_EQ(header.size(), h.length);
        for (const auto& [word, at] : h.words)
            EXPECT_EQ(header.find(utf8ToCp1250(word)) + 1, at) << word;
    }
}

TEST(Listing, TheNameDaysOfTheFirstDay) {
    const auto cal = NameDayCalendar::fromText("12.30 D\xE1vid \n12.31 Szilveszter");
    const auto list = nameDayListOf(cal, dayNumber(2024, 12, 31));
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(cp1250ToUtf8(list[0]), "12.31 névnapjai:");
    EXPECT_EQ(list[1], "Szilveszter");
    EXPECT_TRUE(nameDayListOf(cal, dayNumber(2024, 1, 1)).empty());
}

TEST(Modification, MovesAndRewritesKeepTheOrderAndTouchOnlyTheirRecord) {
    File f(EventKind::Reminder,
           {rec(dayNumber(2024, 5, 1), 11, 0, "a", 2), rec(dayNumber(2024, 5, 2), 10, 0, "b"),
            rec(dayNumber(2024, 5, 3), 12, 0, "c")});
    EventTable t = f.table();
    EventRecord changed = recordOfRowFields(EventKind::Reminder, t.rows[0]);
    changed.date = dayNumber(2024, 5, 2);
    ASSERT_TRUE(modifyEvent(f.path, f.kind, t.rows[0], changed));
    EXPECT_EQ(f.order(), "b@05.02.10:00 a@05.02.11:00 c@05.03.12:00 ");
    EXPECT_EQ(f.table().rows[1].recurrence, 2); // the fields not edited stay

    // The same moment as another record: after it.
    t = f.table();
    changed = recordOfRowFields(EventKind::Reminder, t.rows[2]);
    changed.date = dayNumber(2024, 5, 2);
    changed.time = storedFromMinute(10 * 60);
    ASSERT_TRUE(modifyEvent(f.path, f.kind, t.rows[2], changed));
    EXPECT_EQ(f.order(), "b@05.02.10:00 c@05.02.10:00 a@05.02.11:00 ");

    // Text and flag in place: the other records' bytes stay as they were.
    t = f.table();
    const std::string before = readFile(f.path);
    changed = recordOfRowFields(EventKind::Reminder, t.rows[1]);
    changed.text = "C!";
    changed.active = false;
    ASSERT_TRUE(modifyEvent(f.path, f.kind, t.rows[1], changed));
    const std::string after = readFile(f.path);
    EXPECT_EQ(after.substr(0, 280), before.substr(0, 280));
    EXPECT_EQ(after.substr(560), before.substr(560));
    EXPECT_EQ(f.table().rows[1].text, "C!");
    EXPECT_FALSE(f.table().rows[1].active);

    // A row whose record has changed underneath writes nothing.
    const std::string now = readFile(f.path);
    EXPECT_FALSE(modifyEvent(f.path, f.kind, t.rows[1], changed));
    EventRow gone = t.rows[2];
    gone.position = 7;
    EXPECT_FALSE(modifyEvent(f.path, f.kind, gone, changed));
    EXPECT_EQ(readFile(f.path), now);
}

TEST(Deletion, TheRowsOwnRecordOrNothing) {
    File f(EventKind::NameDay, {rec(kToday, 0, 0, "x"), rec(kToday, 0, 0, "y"), rec(kToday, 0, 0, "z")});
    EventTable t = f.table();
    ASSERT_TRUE(deleteEvent(f.path, f.kind, t.rows[1]));
    EXPECT_EQ(f.order(), "x@03.05.0:00 z@03.05.0:00 ");
    EXPECT_FALSE(deleteEvent(f.path, f.kind, t.rows[2])); // z is at position 1 now
    EXPECT_EQ(readFile(f.path).size(), 2u * 272);
    t = f.table();
    ASSERT_TRUE(deleteEvent(f.path, f.kind, t.rows[1]));
    ASSERT_TRUE(deleteEvent(f.path, f.kind, t.rows[0]));
    EXPECT_EQ(readFile(f.path).size(), 0u);
}

TEST(MonthCalendar, GridsAndPaging) {
    const MonthGrid sep = monthGrid(2025, 9); // begins on a Monday
    EXPECT_EQ(sep[0], (std::array<int, 7>{1, 2, 3, 4, 5, 6, 7}));
    const MonthGrid jun = monthGrid(2025, 6); // begins on a Sunday
    EXPECT_EQ(jun[0], (std::array<int, 7>{0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(jun[1], (std::array<int, 7>{2, 3, 4, 5, 6, 7, 8}));
    const MonthGrid mar = monthGrid(2025, 3); // 31 days from a Saturday
    EXPECT_EQ(mar[0], (std::array<int, 7>{0, 0, 0, 0, 0, 1, 2}));
    EXPECT_EQ(mar[5], (std::array<int, 7>{31, 0, 0, 0, 0, 0, 0}));

    EXPECT_EQ(stepMonth({2025, 1, 31}, 1), (Ymd{2025, 2, 28}));
    EXPECT_EQ(stepMonth({2024, 1, 31}, 1), (Ymd{2024, 2, 29}));
    EXPECT_EQ(stepMonth({2025, 12, 15}, 1), (Ymd{2026, 1, 15}));
    EXPECT_EQ(stepMonth({2026, 1, 15}, -1), (Ymd{2025, 12, 15}));
    EXPECT_EQ(stepYear({2024, 2, 29}, -1), (Ymd{2023, 2, 28}));
    EXPECT_EQ(cp1250ToUtf8(monthName(3)), "Március");
}
