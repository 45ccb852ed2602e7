#include "core/errors.h"
#include "core/events/event_record.h"
#include "core/partners/partner_record.h"
#include "core/storage/record_file.h"
#include "core/text/datetime.h"
#include "support/test_util.h"

#include <algorithm>
#include <csignal>
#include <functional>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace zel;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

EventRecord reminder(int y, int mo, int d, int h, int mi, std::string text = "") {
    EventRecord r;
    r.text = std::move(text);
    r.date = static_cast<double>(dayNumber(y, mo, d));
    r.time = storedFromMinute(h * 60 + mi);
    return r;
}

std::vector<EventRecord> readEvents(const std::filesystem::path& p, EventKind k) {
    const std::string bytes = readRecords(p, recordSize(k));
    std::vector<EventRecord> out;
    for (std::size_t i = 0; i < bytes.size(); i += recordSize(k))
        out.push_back(decodeEvent(k, reinterpret_cast<const std::uint8_t*>(bytes.data() + i)));
    return out;
}

bool runningAsRoot() {
    return ::geteuid() == 0;
}

// Caps the size a write may take any file to, which binds root too. SIGXFSZ is ignored meanwhile, so
// the write fails with EFBIG instead of ending the process; both are put back on every way out.
class FileSizeCap {
  public:
    explicit FileSizeCap(rlim_t bytes) {
        oldHandler_ = std::signal(SIGXFSZ, SIG_IGN);
        if (::getrlimit(RLIMIT_FSIZE, &old_) != 0) return;
        rlimit capped = old_;
        capped.rlim_cur = std::min(bytes, old_.rlim_max);
        set_ = ::setrlimit(RLIMIT_FSIZE, &capped) == 0;
    }
    FileSizeCap(const FileSizeCap&) = delete;
    FileSizeCap& operator=(const FileSizeCap&) = delete;
    ~FileSizeCap() {
        if (set_) ::setrlimit(RLIMIT_FSIZE, &old_);
        std::signal(SIGXFSZ, oldHandler_);
    }
    bool set() const { return set_; }

  private:
    rlimit old_{};
    void (*oldHandler_)(int) = SIG_DFL;
    bool set_ = false;
};

// The error number op throws under the cap, 0 when it goes through, -1 when the cap could not be set.
// Assertions wait until the cap is lifted, or gtest's own output could be cut short by it.
int errorUnderCap(rlim_t bytes, const std::function<void()>& op) {
    FileSizeCap cap(bytes);
    if (!cap.set()) return -1;
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
    return encodeEvent(EventKind::Program, reminder(2024, 1, 1, 0, 0, text));
}

} // namespace

TEST(EventRecords, ReminderBytesAreExact) {
    EventRecord r = reminder(2024, 3, 5, 9, 5, "abc");
    const std::string b = encodeEvent(EventKind::Reminder, r);
    ASSERT_EQ(b.size(), 280u);
    EXPECT_EQ(b.substr(0, 6), std::string("\x01\x00\x03"
                                          "abc",
                                          6));
    EXPECT_EQ(b.substr(264, 8), std::string("\x00\x00\x00\x00\x80\x25\xE6\x40", 8));
    EXPECT_EQ(b.substr(272, 8), std::string("\x8E\xE3\x38\x8E\xE3\x38\xD8\x3F", 8));
    EXPECT_EQ(decodeEvent(EventKind::Reminder, reinterpret_cast<const std::uint8_t*>(b.data())), r);

    EventRecord nd;
    nd.text = "Minta Anna";
    nd.date = 45356;
    const std::string n = encodeEvent(EventKind::NameDay, nd);
    ASSERT_EQ(n.size(), 272u);
    EXPECT_EQ(n.substr(0, 3), std::string("\x01\x0AM", 3));
    EXPECT_EQ(n.substr(264, 8), std::string("\x00\x00\x00\x00\x80\x25\xE6\x40", 8));

    EventRecord longText = reminder(2024, 3, 5, 9, 5, std::string(300, 'x'));
    const std::string lb = encodeEvent(EventKind::Program, longText);
    EXPECT_EQ(static_cast<unsigned char>(lb[2]), 255);
    EXPECT_EQ(decodeEvent(EventKind::Program, reinterpret_cast<const std::uint8_t*>(lb.data())).text,
              std::string(255, 'x'));

    std::string odd = b;
    odd[0] = 2; // only 1 is active
    EXPECT_FALSE(decodeEvent(EventKind::Reminder, reinterpret_cast<const std::uint8_t*>(odd.data())).active);
}

TEST(RecordFiles, OrderedInsertPlacesEachRecordAndKeepsTheOthers) {
    TempDir dir;
    const auto path = dir.path() / "emlekeztetok.dat";
    openOrCreate(path);
    EXPECT_EQ(readFile(path).size(), 0u);

    EXPECT_EQ(insertEventOrdered(path, EventKind::Reminder, reminder(2024, 3, 5, 10, 0, "b")), 0u);
    EXPECT_EQ(insertEventOrdered(path, EventKind::Reminder, reminder(2024, 3, 6, 14, 0, "d")), 1u);
    EXPECT_EQ(insertEventOrdered(path, EventKind::Reminder, reminder(2024, 3, 5, 8, 0, "a")), 0u);
    EXPECT_EQ(insertEventOrdered(path, EventKind::Reminder, reminder(2024, 3, 5, 12, 0, "c")), 2u);
    EXPECT_EQ(insertEventOrdered(path, EventKind::Reminder, reminder(2024, 3, 1, 23, 59, "0")), 0u);
    EXPECT_EQ(insertEventOrdered(path, EventKind::Reminder, reminder(2025, 1, 1, 0, 0, "e")), 5u);

    std::string order;
    for (const auto& r : readEvents(path, EventKind::Reminder))
        order += r.text;
    EXPECT_EQ(order, "0abcde");
    EXPECT_EQ(readFile(path).size(), 6u * 280);
    EXPECT_FALSE(std::filesystem::exists(path.string() + ".new"));
}

TEST(RecordFiles, NameDaysOfOneDateStandInTheOrderTheyWereAdded) {
    TempDir dir;
    const auto path = dir.path() / "nevnapok.dat";
    for (const char* who : {"B", "A", "C"}) {
        EventRecord r;
        r.text = who;
        r.date = 45356.9; // the fraction carries no meaning
        insertEventOrdered(path, EventKind::NameDay, r);
    }
    EventRecord earlier;
    earlier.text = "Z";
    earlier.date = 45355;
    EXPECT_EQ(insertEventOrdered(path, EventKind::NameDay, earlier), 0u);
    std::string order;
    for (const auto& r : readEvents(path, EventKind::NameDay))
        order += r.text;
    EXPECT_EQ(order, "ZBAC");
}

TEST(RecordFiles, RemovalClosesTheGapAndTheLastRemovalEmptiesTheFile) {
    TempDir dir;
    const auto path = dir.path() / "p.dat";
    for (const char* t : {"x", "y", "z"})
        insertRecordAt(path, 280, recordCount(readFile(path).size(), 280),
                       encodeEvent(EventKind::Program, reminder(2024, 1, 1, 0, 0, t)));
    removeRecordAt(path, 280, 0);
    auto rest = readEvents(path, EventKind::Program);
    ASSERT_EQ(rest.size(), 2u);
    EXPECT_EQ(rest[0].text, "y");
    EXPECT_EQ(rest[1].text, "z");
    EXPECT_EQ(readFile(path).size(), 2u * 280);
    removeRecordAt(path, 280, 1);
    removeRecordAt(path, 280, 0);
    EXPECT_EQ(readFile(path).size(), 0u);
    EXPECT_THROW(removeRecordAt(path, 280, 0), IoError);
}

TEST(RecordFiles, RewriteInPlaceTouchesOneRecord) {
    TempDir dir;
    const auto path = dir.path() / "p.dat";
    for (const char* t : {"x", "y", "z"})
        insertRecordAt(path, 280, recordCount(readFile(path).size(), 280),
                       encodeEvent(EventKind::Program, reminder(2024, 1, 1, 0, 0, t)));
    const std::string before = readFile(path);
    rewriteRecordAt(path, 280, 1, encodeEvent(EventKind::Program, reminder(2024, 1, 1, 0, 0, "Y")));
    const std::string after = readFile(path);
    EXPECT_EQ(after.substr(0, 280), before.substr(0, 280));
    EXPECT_EQ(after.substr(560), before.substr(560));
    EXPECT_EQ(readEvents(path, EventKind::Program)[1].text, "Y");
    EXPECT_THROW(rewriteRecordAt(path, 280, 3, std::string(280, '\0')), IoError);
}

TEST(RecordFiles, ATrailingPartialRecordIsIgnoredAndDroppedByTheNextChange) {
    TempDir dir;
    const auto path = dir.path() / "e.dat";
    const std::string one = encodeEvent(EventKind::Reminder, reminder(2024, 3, 5, 9, 5, "abc"));
    writeFile(path, one + std::string(100, '\x7F'));
    EXPECT_EQ(readRecords(path, 280), one);
    std::string visited;
    EXPECT_EQ(forEachRecord(path, 280,
                            [&](const std::uint8_t* r, std::size_t) {
                                visited.append(reinterpret_cast<const char*>(r), 280);
                            }),
              1u);
    EXPECT_EQ(visited, one);
    insertEventOrdered(path, EventKind::Reminder, reminder(2024, 3, 6, 9, 5, "later"));
    EXPECT_EQ(readFile(path).size(), 560u);
    EXPECT_EQ(readEvents(path, EventKind::Reminder)[1].text, "later");
}

TEST(RecordFiles, FailuresCarryTheErrorNumberAndNeverReplaceAFile) {
    TempDir dir;
    const auto missing = dir.path() / "nincs" / "x.dat";
    try {
        readRecords(missing, 280);
        FAIL();
    } catch (const IoError& e) {
        EXPECT_EQ(e.code(), ENOENT);
        EXPECT_STREQ(e.what(), "I/O error 2");
    }
    EXPECT_THROW(openOrCreate(missing), IoError);

    if (runningAsRoot()) GTEST_SKIP() << "permissions do not bind root";
    const auto locked = dir.path() / "locked.dat";
    const std::string one = encodeEvent(EventKind::Reminder, reminder(2024, 3, 5, 9, 5, "abc"));
    writeFile(locked, one);
    ::chmod(locked.c_str(), 0);
    try {
        openOrCreate(locked);
        FAIL();
    } catch (const IoError& e) {
        EXPECT_EQ(e.code(), EACCES);
    }
    ::chmod(locked.c_str(), 0600);
    EXPECT_EQ(readFile(locked), one);
}

TEST(RecordFiles, AFailedWriteBesideKeepsTheOldFileAndLeavesNoTemporary) {
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
            EXPECT_EQ(errorUnderCap(cap, [&] { c.op(path); }), EFBIG);
            EXPECT_EQ(readFile(path), three);
            EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"p.dat"});
            // Without the cap the same change goes through, so the cap was what stopped it.
            c.op(path);
            EXPECT_EQ(readFile(path).size(), c.newSize);
        }
    }
}

TEST(RecordFiles, AFailedRewriteInPlaceKeepsTheOldRecord) {
    const std::string three = program("x") + program("y") + program("z");
    const std::string changed = encodeEvent(EventKind::Program, reminder(2025, 6, 7, 8, 9, "Y"));
    // A cap at or past the file's end cannot stop a rewrite, which never grows the file; one at the
    // record's start stops it before any byte, one inside the record after its first bytes.
    for (const rlim_t cap : {rlim_t{280}, rlim_t{380}, rlim_t{559}}) {
        SCOPED_TRACE("under a cap of " + std::to_string(cap) + " bytes");
        TempDir dir;
        const auto path = dir.path() / "p.dat";
        writeFile(path, three);
        EXPECT_EQ(errorUnderCap(cap, [&] { rewriteRecordAt(path, 280, 1, changed); }), EFBIG);
        EXPECT_EQ(readFile(path), three);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"p.dat"});
        rewriteRecordAt(path, 280, 1, changed);
        EXPECT_EQ(readFile(path), program("x") + changed + program("z"));
    }
}

TEST(Partners, RecordLayoutAndTheMakersCard) {
    PartnerRecord p;
    p.Name = "Kovács Béla";
    p.Address = std::string(60, 'a');
    p.Email = "b@c.hu";
    p.Note = "egy\r\nketto";
    const std::string b = encodePartner(p);
    ASSERT_EQ(b.size(), 537u);
    EXPECT_EQ(static_cast<unsigned char>(b[0]), p.Name.size());
    EXPECT_EQ(static_cast<unsigned char>(b[42]), 52); // the address keeps its first 52 characters
    EXPECT_EQ(static_cast<unsigned char>(b[196]), 6);
    EXPECT_EQ(b.substr(197, 6), "b@c.hu");
    EXPECT_EQ(b.substr(281, 11), "\x0A"
                                 "egy\r\nketto");
    const PartnerRecord back = decodePartner(reinterpret_cast<const std::uint8_t*>(b.data()));
    EXPECT_EQ(back.Address, std::string(52, 'a'));
    EXPECT_EQ(back.Note, p.Note);

    const PartnerRecord card = makerCard();
    EXPECT_FALSE(card.Name.empty());
    EXPECT_EQ(card.Name.find(':'), std::string::npos);
    EXPECT_GE(card.WebAddress.size(), 8u);
    EXPECT_NE(card.Email.find('@'), std::string::npos);
    EXPECT_LE(card.Email.size(), 33u);
    EXPECT_FALSE(card.Note.empty());
    EXPECT_TRUE(card.Address.empty() && card.Mobile.empty() && card.Phone.empty());
}
