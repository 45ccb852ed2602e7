#include "core/app/paths.h"
#include "core/errors.h"
#include "core/os/file.h"
#include "core/partners/partner_file.h"
#include "support/test_util.h"
#include "support/write_limits.h"

#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

using namespace zel;
using namespace std::string_view_literals;
using zel::test::cp;
using zel::test::event;
using zel::test::partner;
using zel::test::partnerBytes;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

const DayNumber kDay = dayNumber(2024, 3, 5);

// The error number op throws, 0 when it goes through, with the files it writes capped at `cap` bytes.
int errorOf(const std::function<void()>& op, rlim_t cap = RLIM_INFINITY) {
    const test::FileSizeCap capped(cap);
    try {
        op();
    } catch (const IoError& e) {
        return e.code();
    }
    return 0;
}

std::vector<std::string> namesIn(const std::filesystem::path& dir) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string program(const char* text) {
    return encodeEvent(EventKind::Program, event(dayNumber(2024, 1, 1), 0, 0, text));
}

std::string textsIn(const std::filesystem::path& p, EventKind k) {
    std::string out;
    for (const auto& r : test::readEvents(p, k))
        out += r.text;
    return out;
}

struct Folder {
    test::TempDir dir;
    std::filesystem::path file = dir.path() / "partnerek.dat";
    std::string names() const {
        std::string out;
        for (const auto& n : readPartnerNames(file).names)
            out += cp1250ToUtf8(n) + ",";
        return out;
    }
};

} // namespace

TEST(CoreEventRecords, TheBytesAreExact) {
    const EventRecord r = event(kDay, 9, 5, "abc");
    const std::string b = encodeEvent(EventKind::Reminder, r);
    ASSERT_EQ(b.size(), 280u);
    EXPECT_EQ(b.substr(0, 6), std::string("\x01\x00\x03", 3) + "abc");
    EXPECT_EQ(b.substr(6, 258), std::string(258, '\0'));
    EXPECT_EQ(b.substr(264),
              std::string("\x00\x00\x00\x00\x80\x25\xE6\x40\x8E\xE3\x38\x8E\xE3\x38\xD8\x3F", 16));
    EXPECT_EQ(decodeEvent(EventKind::Reminder, reinterpret_cast<const std::uint8_t*>(b.data())), r);
    const std::string n = encodeEvent(EventKind::NameDay, event(kDay, 9, 5, "Minta Anna"));
    ASSERT_EQ(n.size(), 272u);
    EXPECT_EQ(n.substr(0, 3) + n.substr(264), std::string("\x01\x0AM\x00\x00\x00\x00\x80\x25\xE6\x40", 11));
    const std::string lb = encodeEvent(EventKind::Program, event(kDay, 9, 5, std::string(300, 'x')));
    EXPECT_EQ(static_cast<unsigned char>(lb[2]), 255);
    EXPECT_EQ(decodeEvent(EventKind::Program, reinterpret_cast<const std::uint8_t*>(lb.data())).text,
              std::string(255, 'x'));
    std::string odd = b;
    odd[0] = 2; // only 1 is active
    odd[1] = 9; // a recurrence of no name stays as it is
    const EventRecord oddRead =
        decodeEvent(EventKind::Reminder, reinterpret_cast<const std::uint8_t*>(odd.data()));
    EXPECT_TRUE(!oddRead.active && encodeEvent(EventKind::Reminder, oddRead)[1] == '\x09');
}

TEST(CorePartnerRecords, TheLayoutAndTheMakersCard) {
    PartnerRecord p;
    p.name = "Kovács Béla";
    p.address = std::string(60, 'a');
    p.email = "b@c.hu";
    p.note = "egy\r\nketto";
    const std::string b = encodePartner(p);
    ASSERT_EQ(b.size(), 537u);
    EXPECT_EQ(static_cast<unsigned char>(b[0]), p.name.size());
    EXPECT_EQ(static_cast<unsigned char>(b[42]), 52); // the address keeps its first 52 characters
    EXPECT_EQ(b.substr(196, 7), "\6b@c.hu");          // each field's length, then its text
    EXPECT_EQ(b.substr(281, 11), "\12egy\r\nketto");
    const PartnerRecord back = decodePartner(reinterpret_cast<const std::uint8_t*>(b.data()));
    EXPECT_TRUE(back.address == std::string(52, 'a') && back.note == p.note);
    std::string damaged = b;
    damaged[0] = 60; // a length beyond the name's 41 bytes: nothing past the field is read
    EXPECT_EQ(decodePartner(reinterpret_cast<const std::uint8_t*>(damaged.data())).name,
              p.name + std::string(41 - p.name.size(), '\0'));
    const PartnerRecord card = makerCard(); // a name the editor takes, an address and mail it can store
    EXPECT_TRUE(checkPartnerName({}, card.name, false).ok() &&
                storedWebAddress(card.webAddress) == card.webAddress);
    EXPECT_TRUE(emailAccepted(card.email) && !card.email.empty() && card.email.size() <= 33);
}

TEST(CoreRecordFiles, OrderedInsertsPlaceEachRecordAndSameDayNameDaysKeepTheirOrder) {
    TempDir dir;
    const auto path = dir.path() / "emlekeztetok.dat";
    openOrCreate(path);
    EXPECT_EQ(readFile(path), "");
    std::string places; // the place each takes: before the same moment, too
    for (auto [d, h, m, t, fraction] : {std::tuple{5, 10, 0, "b", 0.0},
                                        {6, 14, 0, "d", 0.0},
                                        {5, 8, 0, "a", 0.0},
                                        {5, 12, 0, "c", 0.0},
                                        {1, 23, 59, "0", 0.0},
                                        {5, 12, 0, "C", 0.75}}) { // the fraction carries no meaning
        EventRecord r = event(dayNumber(2024, 3, d), h, m, t);
        r.date += fraction;
        places += std::to_string(insertEventOrdered(path, EventKind::Reminder, r));
    }
    EXPECT_EQ(places, "010203");
    EXPECT_TRUE(textsIn(path, EventKind::Reminder) == "0abCcd" && readFile(path).size() == 6u * 280);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"emlekeztetok.dat"});
    const auto days = dir.path() / "nevnapok.dat";
    for (const char* who : {"B", "A", "C"}) {
        EventRecord r = event(kDay, 0, 0, who);
        r.date = 45356.9; // the fraction carries no meaning
        insertEventOrdered(days, EventKind::NameDay, r);
    }
    EXPECT_EQ(insertEventOrdered(days, EventKind::NameDay, event(kDay - 1, 0, 0, "Z")), 0u);
    EXPECT_EQ(insertEventOrdered(days, EventKind::NameDay, event(kDay, 0, 0, "D")), 4u);
    EXPECT_EQ(textsIn(days, EventKind::NameDay), "ZBACD");
}

TEST(CoreRecordFiles, RemovalRewritingAndATrailingPartialRecord) {
    TempDir dir;
    const auto path = dir.path() / "p.dat";
    const std::string three = program("x") + program("y") + program("z");
    writeFile(path, three + std::string(100, '\x7F'));
    EXPECT_EQ(readRecords(path, 280), three);    // the leftover bytes are no record
    rewriteRecordAt(path, 280, 1, program("Y")); // the next change drops the leftover
    EXPECT_EQ(readFile(path), program("x") + program("Y") + program("z"));
    EXPECT_THROW(rewriteRecordAt(path, 280, 3, program("!")), IoError);
    removeRecordAt(path, 280, 0);
    EXPECT_EQ(readFile(path), program("Y") + program("z"));
    removeRecordAt(path, 280, 1);
    removeRecordAt(path, 280, 0);
    EXPECT_EQ(readFile(path), "");
    EXPECT_THROW(removeRecordAt(path, 280, 0), IoError);
}

TEST(CoreRecordFiles, EveryChangeKeepsTheOtherRecordsByteForByteAndDropsATrailingPartialOne) {
    // More records than one read of the walk takes, every byte of each telling it apart, the unused
    // ones too; the record at `marked` is the first the ordered insert goes before.
    constexpr std::size_t kSize = 280, kCount = 1000, marked = 700;
    std::string records;
    for (std::size_t i = 0; i < kCount; ++i)
        for (std::size_t j = 0; j < kSize; ++j)
            records += static_cast<char>(j == 0 ? i & 0x7F : (i * 7 + j * 13 + i / 256) & 0xFF);
    records[marked * kSize] = '\xFF';
    const std::string partial(100, '\x7F'), added(kSize, '\x01');
    const std::string_view all(records);
    const auto at = [&](std::size_t k) { return std::string(all.substr(0, k * kSize)); };
    const auto from = [&](std::size_t k) { return std::string(all.substr(k * kSize)); };
    const auto marker = [](const std::uint8_t* r) { return r[0] == 0xFF; };
    TempDir dir;
    const auto path = dir.path() / "p.dat";
    const struct {
        const char* name;
        std::function<void()> op;
        std::string expected;
    } cases[] = {
        {"ordered insert", [&] { EXPECT_EQ(insertRecordOrdered(path, kSize, added, marker), marked); },
         at(marked) + added + from(marked)},
        {"ordered insert at the end",
         [&] { EXPECT_EQ(insertRecordOrdered(path, kSize, added, [](auto) { return false; }), kCount); },
         records + added},
        {"insert at the front", [&] { insertRecordAt(path, kSize, 0, added); }, added + records},
        {"insert at the end", [&] { insertRecordAt(path, kSize, kCount, added); }, records + added},
        {"removal", [&] { removeRecordAt(path, kSize, 299); }, at(299) + from(300)},
        {"removal of the last", [&] { removeRecordAt(path, kSize, kCount - 1); }, at(kCount - 1)},
        {"rewrite", [&] { rewriteRecordAt(path, kSize, 234, added); }, at(234) + added + from(235)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, records + partial);
        c.op();
        EXPECT_TRUE(readFile(path) == c.expected);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"p.dat"});
    }
    // A place past the end, or a missing file where a record must be, changes nothing.
    writeFile(path, records + partial);
    EXPECT_EQ(errorOf([&] { insertRecordAt(path, kSize, kCount + 1, added); }), EINVAL);
    EXPECT_EQ(errorOf([&] { removeRecordAt(path, kSize, kCount); }), EINVAL);
    EXPECT_EQ(errorOf([&] { rewriteRecordAt(path, kSize, kCount, added); }), EINVAL);
    EXPECT_EQ(errorOf([&] { removeRecordAt(dir.path() / "nincs.dat", kSize, 0); }), ENOENT);
    EXPECT_EQ(errorOf([&] { rewriteRecordAt(dir.path() / "nincs.dat", kSize, 0, added); }), ENOENT);
    EXPECT_TRUE(readFile(path) == records + partial);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"p.dat"});
    // A missing file takes the record as its first; a folder in its place is no file of records.
    insertRecordAt(dir.path() / "uj.dat", kSize, 0, added);
    EXPECT_EQ(readFile(dir.path() / "uj.dat"), added);
    std::filesystem::create_directory(dir.path() / "mappa.dat");
    EXPECT_EQ(errorOf([&] { insertRecordOrdered(dir.path() / "mappa.dat", kSize, added, marker); }), EISDIR);
}

TEST(CoreReplace, ARangeOfAFileIsCopiedExactlyAndOneItNoLongerHoldsReplacesNothing) {
    TempDir dir;
    const auto source = dir.path() / "forras.dat", target = dir.path() / "cel.dat";
    // Large enough for the copy and the bytes from memory to go in several steps each.
    std::string bytes, inMemory;
    for (int i = 0; i < 3'000'000; ++i)
        bytes += static_cast<char>((i * 31 + i / 4096) & 0xFF);
    for (int i = 0; i < 1'500'000; ++i)
        inMemory += static_cast<char>((i * 17 + i / 65536) & 0xFF);
    writeFile(source, bytes);
    writeFile(target, "old");
    {
        const os::File file(source, os::File::Access::Read);
        os::replaceAtomically(target,
                              {"<"sv, os::ReplacePiece(file, 1, 2'000'000), std::string_view(inMemory),
                               os::ReplacePiece(file, 2'500'000, 500'000), ">"sv});
    }
    EXPECT_TRUE(readFile(target) ==
                "<" + bytes.substr(1, 2'000'000) + inMemory + bytes.substr(2'500'000) + ">");
    // The source ends before the range does: nothing replaced, no temporary left, the error names the
    // file asked for.
    writeFile(target, "old");
    const os::File file(source, os::File::Access::Read);
    try {
        os::replaceAtomically(target, {"x"sv, os::ReplacePiece(file, 1'000'000, 2'000'001)});
        ADD_FAILURE() << "a range past the end was copied";
    } catch (const IoError& e) {
        EXPECT_EQ(e.code(), EINVAL);
        EXPECT_EQ(e.path(), target.string());
    }
    EXPECT_EQ(readFile(target), "old");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"cel.dat", "forras.dat"}));
}

TEST(CoreRecordFiles, FailuresCarryTheErrorNumberAndNeverReplaceAFile) {
    TempDir dir;
    const auto missing = dir.path() / "nincs" / "x.dat";
    EXPECT_EQ(errorOf([&] { readRecords(missing, 280); }), ENOENT);
    EXPECT_EQ(errorOf([&] { openOrCreate(missing); }), ENOENT);
    if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind root";
    const auto locked = dir.path() / "locked.dat";
    writeFile(locked, program("x"));
    ::chmod(locked.c_str(), 0);
    EXPECT_EQ(errorOf([&] { openOrCreate(locked); }), EACCES);
    ::chmod(locked.c_str(), 0600);
    EXPECT_EQ(readFile(locked), program("x"));
}

TEST(CoreRecordFiles, AFailedWriteBesideKeepsTheOldFileAndLeavesNoTemporary) {
    const std::string three = program("x") + program("y") + program("z");
    const std::string added = program("n");
    const auto beforeY = [](const std::uint8_t* r) { return decodeEvent(EventKind::Program, r).text == "y"; };
    struct Case {
        const char* name;
        std::size_t newSize;
        std::function<void(const std::filesystem::path&)> op;
    };
    const Case cases[] = {
        {"replaceFile", 4 * 280, [&](const auto& p) { replaceFile(p, three + added); }},
        {"insertRecordAt", 4 * 280, [&](const auto& p) { insertRecordAt(p, 280, 1, added); }},
        {"insertRecordOrdered", 4 * 280, [&](const auto& p) { insertRecordOrdered(p, 280, added, beforeY); }},
        {"removeRecordAt", 2 * 280, [&](const auto& p) { removeRecordAt(p, 280, 0); }},
        {"rewriteRecordAt", 3 * 280, [&](const auto& p) { rewriteRecordAt(p, 280, 1, added); }},
    };
    for (const Case& c : cases) {
        // Nothing written at all, a write stopped inside a record, and a cap the old file fits under.
        std::vector<rlim_t> caps{0, c.newSize - 100};
        if (c.newSize > three.size()) caps.push_back(three.size());
        for (const rlim_t cap : caps) {
            SCOPED_TRACE(std::string(c.name) + " under a cap of " + std::to_string(cap) + " bytes");
            TempDir dir;
            const auto path = dir.path() / "p.dat";
            writeFile(path, three);
            EXPECT_EQ(errorOf([&] { c.op(path); }, cap), EFBIG);
            EXPECT_TRUE(readFile(path) == three && namesIn(dir.path()) == std::vector<std::string>{"p.dat"});
            // Without the cap the same change goes through, so the cap was what stopped it.
            c.op(path);
            EXPECT_EQ(readFile(path).size(), c.newSize);
        }
    }
}

TEST(CoreWriteTest, AFullDiskFailsItAndLeavesNoFileBehind) {
    TempDir dir;
    const AppPaths paths{dir.path()};
    int error = 0;
    EXPECT_EQ(errorOf([&] { error = writeTestError(paths); }, 0), 0);
    EXPECT_EQ(error, EFBIG);
    EXPECT_TRUE(namesIn(dir.path()).empty());
    // The same with its name taken, so the test file gets a name of its own.
    std::filesystem::create_directory(paths.writeTest());
    EXPECT_EQ(errorOf([&] { error = writeTestError(paths); }, 0), 0);
    EXPECT_EQ(error, EFBIG);
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"teszt.tmp"});
}

TEST(CoreWriteTest, WhatHasItsNameIsLeftAloneAndNoLinkIsFollowed) {
    TempDir dir;
    const AppPaths paths{dir.path()};
    writeFile(dir.path() / "target", "keep");
    const struct {
        const char* what;
        std::function<void()> plant;
    } cases[] = {
        {"a link to a file",
         [&] { std::filesystem::create_symlink(dir.path() / "target", paths.writeTest()); }},
        {"a link to nowhere",
         [&] {
             std::filesystem::create_symlink(dir.path() / "created-through-the-link", paths.writeTest());
         }},
        {"a folder", [&] { std::filesystem::create_directory(paths.writeTest()); }},
        {"a file an earlier start left", [&] { writeFile(paths.writeTest(), "test\r\n"); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::filesystem::remove(paths.writeTest());
        c.plant();
        const auto before = std::filesystem::symlink_status(paths.writeTest()).type();
        // The folder takes files, so it passes; only the file it made itself goes again.
        EXPECT_EQ(writeTestError(paths), 0);
        EXPECT_EQ(std::filesystem::symlink_status(paths.writeTest()).type(), before);
        EXPECT_EQ(readFile(dir.path() / "target"), "keep");
        EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"target", "teszt.tmp"}));
    }
}

TEST(CoreDataLock, OneHolderAtATimeAndTheLockIsNoDataFile) {
    TempDir dir;
    const AppPaths paths{dir.path()};
    {
        auto first = takeDataLock(paths); // creates the Data folder
        ASSERT_TRUE(first.has_value());
        EXPECT_FALSE(takeDataLock(paths).has_value()); // another open of the file, as another process
        auto moved = std::move(*first);
        first.reset();
        EXPECT_FALSE(takeDataLock(paths).has_value());
    }
    EXPECT_TRUE(takeDataLock(paths).has_value());
    // Nothing that sweeps or copies the data folder takes it for a data file.
    EXPECT_EQ(removeLeftoverTemporaries(paths), 0u);
    EXPECT_TRUE(std::filesystem::exists(paths.dataLock()));
    std::filesystem::remove(paths.dataLock());
    std::filesystem::create_symlink(dir.path() / "elsewhere", paths.dataLock());
    EXPECT_EQ(errorOf([&] { takeDataLock(paths); }), ELOOP);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "elsewhere"));
}

TEST(CoreRecordFiles, ALinkedFileIsWrittenAtItsTargetAndNoPlantedLinkIsFollowed) {
    TempDir dir;
    std::filesystem::create_directories(dir.path() / "synced");
    std::filesystem::create_directories(dir.path() / "Data");
    const auto target = dir.path() / "synced" / "partnerek.dat";
    const auto link = dir.path() / "Data" / "partnerek.dat";
    writeFile(target, program("x"));
    std::filesystem::create_symlink("../synced/partnerek.dat", link);
    // A link planted where an older version wrote beside: it must lead nowhere now.
    writeFile(dir.path() / "victim", "keep");
    std::filesystem::create_symlink(dir.path() / "victim", dir.path() / "Data" / "partnerek.dat.new");

    insertRecordAt(link, 280, 1, program("y"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(readFile(target), program("x") + program("y"));
    EXPECT_EQ(readFile(dir.path() / "victim"), "keep");
    EXPECT_EQ(namesIn(dir.path() / "synced"), std::vector<std::string>{"partnerek.dat"});
}

namespace {

// What each step of a replacement finds: the data file's records, and whether the new file still waits.
std::vector<std::string> replaceSteps;
void recordStep(os::ReplaceStep step, const std::filesystem::path& file) {
    static const char* const names[] = {"written", "file synced", "renamed", "folder synced"};
    const bool waiting = namesIn(file.parent_path()).size() > 1;
    replaceSteps.push_back(std::string(names[static_cast<int>(step)]) + " " +
                           std::to_string(readFile(file).size() / 537) + (waiting ? " +new" : ""));
}

} // namespace

TEST(CoreRecordFiles, ARewriteKeepsThePermissionsAndFlushesTheNewFileBeforeAndTheFolderAfterTheRename) {
    Folder f;
    writeFile(f.file, partnerBytes({partner("Antal Ede")}));
    ::chmod(f.file.c_str(), 0600);
    os::setReplaceObserver(recordStep);
    savePartner(f.file, partner("Kovács Béla"), std::nullopt);
    deletePartnerAt(f.file, 0);
    os::setReplaceObserver(nullptr);
    EXPECT_EQ(replaceSteps, (std::vector<std::string>{"written 1 +new", "file synced 1 +new", "renamed 2",
                                                      "folder synced 2", "written 2 +new",
                                                      "file synced 2 +new", "renamed 1", "folder synced 1"}));
    struct stat st {};
    ASSERT_EQ(::stat(f.file.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0600u);
    EXPECT_EQ(f.names(), "Kovács Béla,");
}

TEST(CoreStart, LeftoverTemporariesGoAndNothingElse) {
    TempDir dir;
    const AppPaths paths{dir.path()};
    std::filesystem::create_directories(paths.dataDir());
    writeFile(paths.partners(), "kept");
    const std::vector<std::string> leftovers = {"Data/partnerek.dat.tmp-a1B2c3",
                                                "Data/nevnapok.dat.tmp-XXXXXX",
                                                "beallitasok.cfg.tmp-0zZ9aa",
                                                "beallitasok-tovabbi.ini.tmp-Qq1234",
                                                "Data/utoljara-figyelve.txt.tmp-k9Lm0p",
                                                "Data/szinkron-cimjegyzek.txt.tmp-Ab12Cd",
                                                "Data/szinkron-naptar.txt.tmp-45tpLM"};
    const std::vector<std::string> others = {"Data/partnerek.dat.tmp-notes.txt", "Data/other.dat.tmp-a1B2c3",
                                             "partnerek.dat.tmp-a1B2c3", "Data/partnerek.dat.tmp-a1B2c"};
    for (const auto& name : leftovers)
        writeFile(dir.path() / name, "half");
    for (const auto& name : others)
        writeFile(dir.path() / name, "mine");
    std::filesystem::create_directories(paths.dataDir() / "programok.dat.tmp-folder");

    EXPECT_EQ(removeLeftoverTemporaries(paths), leftovers.size());
    for (const auto& name : leftovers)
        EXPECT_FALSE(std::filesystem::exists(dir.path() / name)) << name;
    for (const auto& name : others)
        EXPECT_TRUE(std::filesystem::exists(dir.path() / name)) << name;
    EXPECT_TRUE(std::filesystem::is_directory(paths.dataDir() / "programok.dat.tmp-folder"));
    EXPECT_EQ(readFile(paths.partners()), "kept");
}

TEST(CorePartnerFile, ASavedPartnerTakesItsPlaceByBytes) {
    Folder f;
    writeFile(f.file, partnerBytes({partner("Antal Ede"), partner("Zsoldos Pál")}));
    EXPECT_EQ(savePartner(f.file, partner("Kovács Béla", "k@b.hu"), std::nullopt), 1u);
    EXPECT_EQ(readFile(f.file),
              partnerBytes({partner("Antal Ede"), partner("Kovács Béla", "k@b.hu"), partner("Zsoldos Pál")}));
    // Á is 0xC1 in Windows-1250: after every Latin letter, lower case included. Case-sensitive, and a
    // prefix sorts first.
    writeFile(f.file, partnerBytes({partner("Zsoldos Pál"), partner("zebra")}));
    EXPECT_EQ(savePartner(f.file, partner("Ábel"), std::nullopt), 2u);
    EXPECT_EQ(savePartner(f.file, partner("Anna Kiss"), std::nullopt), 0u);
    EXPECT_EQ(savePartner(f.file, partner("Anna"), std::nullopt), 0u);
    EXPECT_EQ(savePartner(f.file, partner("antal"), std::nullopt), 3u);
    EXPECT_EQ(f.names(), "Anna,Anna Kiss,Zsoldos Pál,antal,zebra,Ábel,");
    // After an import appended unsorted names, the first greater name from the start decides.
    writeFile(f.file, partnerBytes({partner("Zed"), partner("Abel")}));
    EXPECT_EQ(savePartner(f.file, partner("Bela"), std::nullopt), 0u);
    const auto fresh = f.dir.path() / "uj.dat"; // a missing file is created
    EXPECT_EQ(savePartner(fresh, partner("Első"), std::nullopt), 0u);
    EXPECT_EQ(readFile(fresh), encodePartner(partner("Első")));
}

TEST(CorePartnerFile, AModificationRewritesOnceAndMayRepeatAName) {
    Folder f;
    writeFile(f.file, partnerBytes({partner("Antal Ede"), partner("Kovács Béla"), partner("Zsoldos Pál")}));
    // Zsoldos Pál becomes a second Antal Ede: after the first one, the old record gone.
    EXPECT_EQ(savePartner(f.file, partner("Antal Ede", "x@y.hu"), 2), 1u);
    EXPECT_EQ(readFile(f.file),
              partnerBytes({partner("Antal Ede"), partner("Antal Ede", "x@y.hu"), partner("Kovács Béla")}));
    // A position beyond the end writes nothing.
    const std::string before = readFile(f.file);
    EXPECT_THROW(savePartner(f.file, partner("Valaki"), 3), IoError);
    EXPECT_EQ(readFile(f.file), before);
}

TEST(CorePartnerFile, ReadingNamesAndFindingAPartner) {
    Folder f;
    EXPECT_EQ(f.names(), ""); // missing
    EXPECT_THROW(partnerCount(f.file), IoError);
    // A trailing partial record is not a partner.
    writeFile(f.file, partnerBytes({partner("Antal Ede"), partner("Béla", "b@c.hu")}) + "xyz");
    EXPECT_EQ(f.names(), "Antal Ede,Béla,");
    const PartnerLookup found = findPartner(f.file, cp("Béla"));
    EXPECT_EQ(found.index, 1u);
    EXPECT_EQ(found.record.value_or(PartnerRecord{}).email, "b@c.hu");
    // Exact and case-sensitive; a name not found ends at the end of the file.
    const PartnerLookup missing = findPartner(f.file, cp("béla"));
    EXPECT_TRUE(missing.index == 2u && !missing.record);
    EXPECT_THROW(readPartnerAt(f.file, 2), IoError);
}

TEST(CorePartnerFile, NameWebAndEmailRules) {
    Folder f;
    EXPECT_EQ(dropLeadingSpace(" Béla") + "|" + dropLeadingSpace("  Béla") + "|" + dropLeadingSpace("Béla "),
              "Béla| Béla|Béla ");
    EXPECT_TRUE(checkPartnerName(f.file, "Antal Ede", false).ok()); // no file: no duplicate
    writeFile(f.file, partnerBytes({partner("Antal Ede"), partner("a:b")}));
    EXPECT_TRUE(checkPartnerName(f.file, "Antal Ede", false).duplicate);
    EXPECT_FALSE(checkPartnerName(f.file, "antal Ede", false).duplicate);
    EXPECT_TRUE(checkPartnerName(f.file, "Antal Ede", true).ok());
    const NameCheck all = checkPartnerName(f.file, "a:b", false), empty = checkPartnerName(f.file, "", true);
    EXPECT_TRUE(all.duplicate && all.colon && !all.empty && empty.empty && !empty.colon && !empty.duplicate);
    EXPECT_EQ(givenNameOf(cp("Minta Anna")) + givenNameOf("Anna") + givenNameOf("Dr. Kiss Anna"),
              "AnnaAnnaAnna");
    EXPECT_EQ(givenNameOf("Anna ") + "|" + givenNameOf("Kiss Anna ") + "|" + givenNameOf(""), "Anna |Anna |");
    // What is stored of a typed web address, "-" for a refusal.
    std::string webs;
    for (const std::string& typed : std::vector<std::string>{"http://", "", "abcdefgh", "a.b", "abcd.efg",
                                                             "http://x", std::string(110, 'w') + ".hu"})
        webs += storedWebAddress(typed).value_or("-") + "|";
    EXPECT_EQ(webs, "||-||abcd.efg|-|" + std::string(100, 'w') + "|");
    for (const char* bad : {"@", "a.@b.hu", "a@.b", "ab", "a@b", "a.b", "@.", ".@"})
        EXPECT_FALSE(emailAccepted(bad)) << bad;
    for (const char* good : {"a@b.hu", "", "a.b@c.hu", "@b.hu", "a@b."})
        EXPECT_TRUE(emailAccepted(good)) << good;
}

TEST(CorePartnerFile, APartnersNameDaysAndBirthdaysGoInOneRewrite) {
    Folder f;
    const auto days = f.dir.path() / "nevnapok.dat";
    const auto day = [](const char* name) { return test::event(45000, 0, 0, name); };
    test::writeEvents(
        days, EventKind::NameDay,
        {day("Minta Anna"), day("Kiss Éva"), day("Minta Anna"), day("Minta Annamária"), day("Minta Anna")});
    EXPECT_EQ(removePartnerEvents(days, EventKind::NameDay, cp("Minta Anna")), 3u);
    EXPECT_EQ(readFile(days),
              test::eventBytes(EventKind::NameDay, {day("Kiss Éva"), day("Minta Annamária")}));
    const auto unchanged = std::filesystem::last_write_time(days);
    EXPECT_EQ(removePartnerEvents(days, EventKind::NameDay, cp("Minta Anna")), 0u);
    EXPECT_EQ(std::filesystem::last_write_time(days), unchanged);
    // A missing file is skipped, not created.
    EXPECT_EQ(removePartnerEvents(f.dir.path() / "nincs.dat", EventKind::Birthday, "x"), 0u);
    EXPECT_FALSE(std::filesystem::exists(f.dir.path() / "nincs.dat"));
}
