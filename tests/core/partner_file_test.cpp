#include "core/errors.h"
#include "core/events/event_record.h"
#include "core/partners/partner_file.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

using namespace zel;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

std::string cp(const char* utf8) {
    return utf8ToCp1250(utf8);
}

PartnerRecord partner(const char* name, const char* email = "") {
    PartnerRecord p;
    p.Name = cp(name);
    p.Email = email;
    return p;
}

std::string fileOf(std::initializer_list<PartnerRecord> records) {
    std::string bytes;
    for (const auto& r : records)
        bytes += encodePartner(r);
    return bytes;
}

std::vector<std::string> names(const std::filesystem::path& file) {
    return readPartnerNames(file);
}

EventRecord dayEvent(const char* name, double date) {
    EventRecord r;
    r.text = cp(name);
    r.date = date;
    return r;
}

} // namespace

TEST(PartnerFile, ASavedPartnerTakesItsPlaceByBytes) {
    TempDir dir;
    const auto file = dir.path() / "partnerek.dat";
    writeFile(file, fileOf({partner("Antal Ede"), partner("Zsoldos Pál")}));

    EXPECT_EQ(savePartner(file, partner("Kovács Béla", "k@b.hu"), std::nullopt), 1u);
    EXPECT_EQ(readFile(file),
              fileOf({partner("Antal Ede"), partner("Kovács Béla", "k@b.hu"), partner("Zsoldos Pál")}));

    // Á is 0xC1 in Windows-1250: after every Latin letter, lower case included.
    writeFile(file, fileOf({partner("Zsoldos Pál"), partner("zebra")}));
    EXPECT_EQ(savePartner(file, partner("Ábel"), std::nullopt), 2u);
    // Case-sensitive, and a prefix sorts first.
    EXPECT_EQ(savePartner(file, partner("Anna Kiss"), std::nullopt), 0u);
    EXPECT_EQ(savePartner(file, partner("Anna"), std::nullopt), 0u);
    EXPECT_EQ(savePartner(file, partner("antal"), std::nullopt), 3u);
    EXPECT_EQ(names(file), (std::vector<std::string>{cp("Anna"), cp("Anna Kiss"), cp("Zsoldos Pál"), "antal",
                                                     "zebra", cp("Ábel")}));

    // After an import appended unsorted names, the first greater name from the start decides.
    writeFile(file, fileOf({partner("Zed"), partner("Abel")}));
    EXPECT_EQ(savePartner(file, partner("Bela"), std::nullopt), 0u);

    // A missing file is created.
    const auto fresh = dir.path() / "uj.dat";
    EXPECT_EQ(savePartner(fresh, partner("Első"), std::nullopt), 0u);
    EXPECT_EQ(readFile(fresh).size(), kPartnerRecordSize);
}

TEST(PartnerFile, AModificationRewritesOnceAndMayRepeatAName) {
    TempDir dir;
    const auto file = dir.path() / "partnerek.dat";
    writeFile(file, fileOf({partner("Antal Ede"), partner("Kovács Béla"), partner("Zsoldos Pál")}));

    // Zsoldos Pál becomes a second Antal Ede: after the first one, the old record gone.
    EXPECT_EQ(savePartner(file, partner("Antal Ede", "x@y.hu"), 2), 1u);
    EXPECT_EQ(readFile(file),
              fileOf({partner("Antal Ede"), partner("Antal Ede", "x@y.hu"), partner("Kovács Béla")}));
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "partnerek.dat.new"));

    // A position beyond the end writes nothing.
    const std::string before = readFile(file);
    EXPECT_THROW(savePartner(file, partner("Valaki"), 3), IoError);
    EXPECT_EQ(readFile(file), before);

    deletePartnerAt(file, 0);
    EXPECT_EQ(readFile(file), fileOf({partner("Antal Ede", "x@y.hu"), partner("Kovács Béla")}));
    deletePartnerAt(file, 1);
    deletePartnerAt(file, 0);
    EXPECT_EQ(readFile(file).size(), 0u);
    EXPECT_EQ(partnerCount(file), 0u);
}

TEST(PartnerFile, ReadingNamesAndFindingAPartner) {
    TempDir dir;
    const auto file = dir.path() / "partnerek.dat";
    EXPECT_TRUE(names(file).empty()); // missing
    EXPECT_THROW(partnerCount(file), IoError);

    // A trailing partial record is not a partner.
    writeFile(file, fileOf({partner("Antal Ede"), partner("Béla", "b@c.hu")}) + "xyz");
    EXPECT_EQ(names(file), (std::vector<std::string>{"Antal Ede", cp("Béla")}));
    const PartnerLookup found = findPartner(file, cp("Béla"));
    EXPECT_EQ(found.index, 1u);
    ASSERT_TRUE(found.record);
    EXPECT_EQ(found.record->Email, "b@c.hu");
    // Exact and case-sensitive; a name not found ends at the end of the file.
    const PartnerLookup missing = findPartner(file, cp("béla"));
    EXPECT_EQ(missing.index, 2u);
    EXPECT_FALSE(missing.record);
    EXPECT_EQ(readPartnerAt(file, 0).Name, "Antal Ede");
    EXPECT_THROW(readPartnerAt(file, 2), IoError);
}

TEST(PartnerFile, NameRules) {
    TempDir dir;
    const auto file = dir.path() / "partnerek.dat";
    EXPECT_EQ(dropLeadingSpace(" Béla"), "Béla");
    EXPECT_EQ(dropLeadingSpace("  Béla"), " Béla");
    EXPECT_EQ(dropLeadingSpace("Béla "), "Béla ");
    EXPECT_EQ(dropLeadingSpace(""), "");

    EXPECT_TRUE(checkPartnerName(file, "Antal Ede", false).ok()); // no file: no duplicate
    writeFile(file, fileOf({partner("Antal Ede"), partner("a:b")}));
    EXPECT_TRUE(checkPartnerName(file, "Antal Ede", false).duplicate);
    EXPECT_FALSE(checkPartnerName(file, "antal Ede", false).duplicate);
    EXPECT_TRUE(checkPartnerName(file, "Antal Ede", true).ok());
    const NameCheck all = checkPartnerName(file, "a:b", false);
    EXPECT_TRUE(all.duplicate && all.colon && !all.empty);
    const NameCheck empty = checkPartnerName(file, "", true);
    EXPECT_TRUE(empty.empty && !empty.colon && !empty.duplicate);

    EXPECT_EQ(givenNameOf(cp("Minta Anna")), cp("Anna"));
    EXPECT_EQ(givenNameOf("Anna"), "Anna");
    EXPECT_EQ(givenNameOf("Dr. Kiss Anna"), "Anna");
    EXPECT_EQ(givenNameOf("Anna "), "Anna "); // the last character is never the break
    EXPECT_EQ(givenNameOf("Kiss Anna "), "Anna ");
    EXPECT_EQ(givenNameOf(""), "");
}

TEST(PartnerFile, WebAndEmailRules) {
    struct Web {
        std::string typed;
        std::optional<std::string> stored;
    };
    const Web webs[] = {{"http://", ""},
                        {"", ""},
                        {"abcdefgh", std::nullopt},
                        {"a.b", ""},
                        {"abcd.efg", "abcd.efg"},
                        {"www.x.hu", "www.x.hu"},
                        {"http://x", std::nullopt},
                        {std::string(110, 'w') + ".hu", std::string(100, 'w')}};
    for (const auto& w : webs)
        EXPECT_EQ(storedWebAddress(w.typed), w.stored) << w.typed;

    for (const char* bad : {"@", "a.@b.hu", "a@.b", "ab", "a@b", "a.b", "@.", ".@"})
        EXPECT_FALSE(emailAccepted(bad)) << bad;
    for (const char* good : {"a@b.hu", "", "a.b@c.hu", "@b.hu", "a@b."})
        EXPECT_TRUE(emailAccepted(good)) << good;
}

TEST(PartnerFile, APartnersNameDaysAndBirthdaysGoInOneRewrite) {
    TempDir dir;
    const auto days = dir.path() / "nevnapok.dat";
    std::string bytes;
    for (const char* n : {"Minta Anna", "Kiss Éva", "Minta Anna", "Minta Annamária", "Minta Anna"})
        bytes += encodeEvent(EventKind::NameDay, dayEvent(n, 45000));
    writeFile(days, bytes);

    EXPECT_EQ(removePartnerEvents(days, EventKind::NameDay, cp("Minta Anna")), 3u);
    EXPECT_EQ(readFile(days), encodeEvent(EventKind::NameDay, dayEvent("Kiss Éva", 45000)) +
                                  encodeEvent(EventKind::NameDay, dayEvent("Minta Annamária", 45000)));
    const auto unchanged = std::filesystem::last_write_time(days);
    EXPECT_EQ(removePartnerEvents(days, EventKind::NameDay, cp("Minta Anna")), 0u);
    EXPECT_EQ(std::filesystem::last_write_time(days), unchanged);

    // The last and only record goes too; a missing file is skipped, not created.
    const auto births = dir.path() / "szuletesnapok.dat";
    writeFile(births, encodeEvent(EventKind::Birthday, dayEvent("Minta Anna", 30000)));
    EXPECT_EQ(removePartnerEvents(births, EventKind::Birthday, cp("Minta Anna")), 1u);
    EXPECT_EQ(readFile(births).size(), 0u);
    EXPECT_EQ(removePartnerEvents(dir.path() / "nincs.dat", EventKind::Birthday, "x"), 0u);
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "nincs.dat"));
}
