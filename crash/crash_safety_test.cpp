#include "crash/crash_check.h"

#include "core/events/event_record.h"
#include "core/partners/partner_record.h"

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <unistd.h>

namespace zel::crash {
namespace {
namespace fs = std::filesystem;

class CrashCheck : public ::testing::Test {
  protected:
    void SetUp() override {
        app_ = fs::temp_directory_path() / ("zel-crash-check-" + std::to_string(::getpid()));
        fs::remove_all(app_);
        prepareFreshFolder(app_);
    }
    void TearDown() override { fs::remove_all(app_); }

    void put(std::size_t file, const std::string& bytes) {
        std::ofstream(filePath(app_, file), std::ios::binary | std::ios::trunc) << bytes;
    }
    static std::string inFlight(const Operation& op) { return "op 0 " + formatOperation(op) + "\n"; }

    fs::path app_;
};

TEST_F(CrashCheck, SeesTornFilesLeftoversAndFilesOutOfOrder) {
    EventRecord rec;
    rec.text = "Fogorvos";
    rec.date = 46010;
    rec.time = 600.0 / 1440;
    Operation insert;
    insert.records = {encodeEvent(EventKind::Reminder, rec)};
    const FolderState start = readFolder(app_);

    // A write cut short, and a replacement that never reached its rename.
    put(Reminders, insert.records[0].substr(0, 140));
    std::ofstream(app_ / "Data" / "emlekeztetok.dat.tmp-Ab12Cd") << "x";
    KillCheck check = checkKilledFolder(app_, start, inFlight(insert));
    EXPECT_TRUE(check.inFlight);
    EXPECT_EQ(check.files[Reminders], Verdict::Torn);
    EXPECT_EQ(check.files[Partners], Verdict::Untouched);
    EXPECT_EQ(check.temporaries, std::vector<std::string>{"Data/emlekeztetok.dat.tmp-Ab12Cd"});
    fs::remove(app_ / "Data" / "emlekeztetok.dat.tmp-Ab12Cd");

    put(Reminders, insert.records[0]);
    check = checkKilledFolder(app_, start, inFlight(insert));
    EXPECT_EQ(check.files[Reminders], Verdict::New);
    EXPECT_TRUE(check.temporaries.empty());
    // Once the journal says done, the old file is a lost write.
    put(Reminders, "");
    check = checkKilledFolder(app_, start, inFlight(insert) + "done 0\n");
    EXPECT_FALSE(check.inFlight);
    EXPECT_EQ(check.files[Reminders], Verdict::Torn);

    // A rename writes the partner file first: new birthdays beside an old partner file cannot be.
    EventRecord birthday;
    birthday.text = makerCard().name;
    birthday.date = 46020;
    put(Birthdays, encodeEvent(EventKind::Birthday, birthday));
    const FolderState withBirthday = readFolder(app_);
    PartnerRecord renamed = makerCard();
    renamed.name = "Zelmoran Kft.";
    Operation rename;
    rename.op = OpKind::PartnerRename;
    rename.records = {encodePartner(renamed)};
    put(Birthdays, "");
    check = checkKilledFolder(app_, withBirthday, inFlight(rename));
    EXPECT_EQ(check.files[Partners], Verdict::Old);
    EXPECT_EQ(check.files[Birthdays], Verdict::New);
    EXPECT_TRUE(check.outOfOrder);
    EXPECT_TRUE(check.loadError.empty());
}

TEST_F(CrashCheck, KnowsMovedOccurrencesAndTheLastWatchedFile) {
    // Three reminders; the first recurs daily and holds a byte the program never writes.
    auto reminder = [](double day, int minute, const char* text, Recurrence recurrence) {
        EventRecord rec;
        rec.text = text;
        rec.date = day;
        rec.time = minute / 1440.0;
        rec.recurrence = recurrence;
        return encodeEvent(EventKind::Reminder, rec);
    };
    std::string a = reminder(46010, 540, "Reggeli gy\xF3gyszer", Recurrence::Daily);
    a[200] = '\x5A';
    const std::string b = reminder(46010, 600, "Megbesz\xE9l\xE9s", Recurrence::Weekly);
    const std::string c = reminder(46011, 540, "Posta", Recurrence::Never);
    put(Reminders, a + b + c);
    const FolderState start = readFolder(app_);

    // The first goes to the next day, after the record of its own moment; only its date changes.
    Operation move;
    move.op = OpKind::Move;
    move.moves = {{0, 46011}, {0, 46012}};
    move.records = {a, a}; // the second asking of one row finds it moving already
    std::string moved = a;
    const double day = 46011;
    std::memcpy(moved.data() + 264, &day, 8);
    const std::vector<FolderState> states = statesOf(start, move);
    ASSERT_EQ(states.size(), 2u);
    EXPECT_TRUE(*states.back()[Reminders] == b + c + moved);

    // Several in one call: by their new moment, those of one moment in the order they were asked in,
    // each after the records already there of its moment; a row the file no longer holds stays.
    const std::string d = reminder(46009, 540, "Kutyas\xE9t\xE1ltat\xE1s", Recurrence::Daily);
    std::string stale = c;
    stale[3] = 'p';
    Operation several;
    several.op = OpKind::Move;
    several.moves = {{2, 46011}, {3, 46012}, {1, 46011}, {0, 46011}};
    several.records = {b, stale, a, d};
    put(Reminders, d + a + b + c);
    const FolderState four = readFolder(app_);
    auto onDay = [&](std::string record) {
        std::memcpy(record.data() + 264, &day, 8);
        return record;
    };
    const std::string expected = c + onDay(a) + onDay(d) + onDay(b);
    EXPECT_TRUE(*statesOf(four, several).back()[Reminders] == expected);
    put(Reminders, expected);
    KillCheck check = checkKilledFolder(app_, four, inFlight(several));
    ASSERT_TRUE(check.write.has_value());
    EXPECT_EQ(check.write->moves.size(), 4u);
    EXPECT_EQ(check.files[Reminders], Verdict::New);

    // The last-watched file is missing before its first write, then one line to the second.
    Operation watched;
    watched.op = OpKind::Watched;
    watched.start = 46011ull * 86'400'000 + ((9 * 60 + 5) * 60 + 7) * 1000 + 250;
    put(Reminders, a + b + c);
    check = checkKilledFolder(app_, start, inFlight(watched));
    EXPECT_EQ(check.files[LastWatchedFile], Verdict::Old);
    EXPECT_EQ(check.files[Reminders], Verdict::Untouched);
    std::ofstream(app_ / "Data" / "utoljara-figyelve.txt.tmp-Qw34Er") << "2025";
    std::ofstream(app_ / "Data" / "utoljara.txt") << "x";
    put(LastWatchedFile, "2025.12.20. 09:05:07\n");
    check = checkKilledFolder(app_, start, inFlight(watched));
    EXPECT_EQ(check.files[LastWatchedFile], Verdict::New);
    EXPECT_EQ(check.temporaries, std::vector<std::string>{"Data/utoljara-figyelve.txt.tmp-Qw34Er"});
    EXPECT_EQ(check.strays, std::vector<std::string>{"Data/utoljara.txt"});
    EXPECT_TRUE(check.loadError.empty());
    // Once written, a line that does not read is torn, and the start would not know what was missed.
    put(LastWatchedFile, "2025.12.20. 09:05");
    check = checkKilledFolder(app_, start, inFlight(watched) + "done 0\n");
    EXPECT_EQ(check.files[LastWatchedFile], Verdict::Torn);
    EXPECT_EQ(check.loadError, "the moment last watched does not read");
}

TEST(CrashSafety, WritersKilledBetweenAnyTwoStepsLeaveOldOrNewFiles) {
    RunOptions options;
    options.driver = ZEL_CRASH_DRIVER;
    options.work = fs::temp_directory_path() / ("zel-crash-steps-" + std::to_string(::getpid()));
    options.kills = 100;
    options.start = 14;
    options.lastStep = 40;
    const Figures figures = runKills(options);
    fs::remove_all(options.work);
    EXPECT_TRUE(figures.clean()) << describe(figures);
    // Every kill fell inside a write, and some found the old files, some the new.
    EXPECT_EQ(figures.inFlight, figures.kills) << describe(figures);
    std::size_t fresh = 0, old = 0;
    for (const FileFigures& f : figures.files) {
        fresh += f.fresh;
        old += f.old;
    }
    EXPECT_GT(fresh, 0u);
    EXPECT_GT(old, 0u);
    // Moves of one row and of several, and last-watched writes, are among the writes killed.
    EXPECT_GT(figures.moves, figures.severalMoves) << describe(figures);
    EXPECT_GT(figures.severalMoves, 0u) << describe(figures);
    EXPECT_GT(figures.watched, 0u) << describe(figures);
}

TEST(CrashSafety, WritersKilledAtRandomMomentsLeaveOldOrNewFiles) {
    RunOptions options;
    options.driver = ZEL_CRASH_DRIVER;
    options.work = fs::temp_directory_path() / ("zel-crash-run-" + std::to_string(::getpid()));
    options.kills = 50;
    options.start = 14;
    const Figures figures = runKills(options);
    fs::remove_all(options.work);
    // Where the kills fall depends on the machine's load; what they leave must not.
    EXPECT_TRUE(figures.clean()) << describe(figures);
}

} // namespace
} // namespace zel::crash
