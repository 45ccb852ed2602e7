#include "crash/crash_check.h"

#include "core/events/event_record.h"
#include "core/partners/partner_record.h"

#include <gtest/gtest.h>

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
