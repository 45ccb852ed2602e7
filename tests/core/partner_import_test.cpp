#include "core/exchange/partner_import.h"
#include "core/partners/partner_file.h"
#include "support/test_util.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace zel;
using zel::test::cp;
using zel::test::partner;
using zel::test::partnerBytes;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

std::vector<std::string> namesIn(const std::filesystem::path& file) {
    std::vector<std::string> names;
    for (const PartnerRecord& p : readAllPartners(file))
        names.push_back(cp1250ToUtf8(p.name));
    return names;
}

// A file replaced by a rename gets a new inode; one written into keeps its own.
ino_t inodeOf(const std::filesystem::path& file) {
    struct stat st {};
    ::stat(file.c_str(), &st);
    return st.st_ino;
}

} // namespace

TEST(CoreImport, NewNamesLandInOrderOnceEachWithTheirFieldsCut) {
    TempDir dir;
    const auto file = dir.path() / "partnerek.dat";
    writeFile(file, partnerBytes({partner("Bakó Ede"), partner("Kis Imre"), partner("Zelmoran")}));
    PartnerRecord longOne = partner(std::string(50, 'M'));
    longOne.note = std::string(300, 'n');
    longOne.email = std::string(40, 'e');
    const std::vector<PartnerRecord> rows = {
        partner("Ábel Anna", "abel@pelda.hu"), // Á sorts after every Latin letter by its code
        partner("KIS IMRE"),                   // a partner already, in capitals
        partner("Fekete Ödön"),
        partner(""),            // no name
        partner("Fekete ÖDÖN"), // a row before it took the name
        partner("Idő: 9:05"),   // a colon would break the notice's lookup
        longOne,
        partner("Ármin"),
    };
    const ino_t before = inodeOf(file);

    const PartnerImport done = importPartners(file, rows);

    EXPECT_EQ(done.takenRows, (std::vector<std::size_t>{0, 2, 6, 7}));
    EXPECT_EQ(done.added, (std::vector<std::string>{cp("Ábel Anna"), cp("Fekete Ödön"), std::string(41, 'M'),
                                                    cp("Ármin")}));
    EXPECT_TRUE(done.alreadyPartners == 2u && done.nameless == 2u);
    EXPECT_EQ(namesIn(file),
              (std::vector<std::string>{"Bakó Ede", "Fekete Ödön", "Kis Imre", std::string(41, 'M'),
                                        "Zelmoran", "Ábel Anna", "Ármin"}));
    const PartnerRecord stored = readAllPartners(file)[3];
    EXPECT_TRUE(stored.note == std::string(255, 'n') && stored.email == std::string(33, 'e'));
    EXPECT_EQ(readAllPartners(file)[5].email, "abel@pelda.hu");
    const ino_t replaced = inodeOf(file); // one rewrite: replaced, not written into
    EXPECT_NE(replaced, before);

    // Nothing new: the file is not touched at all.
    const std::string bytes = readFile(file);
    const PartnerImport again = importPartners(file, rows);
    EXPECT_TRUE(again.added.empty() && again.alreadyPartners == 6u);
    EXPECT_TRUE(inodeOf(file) == replaced && readFile(file) == bytes);
}

TEST(CoreImport, AFileOutOfOrderGetsWhatOneSaveAfterAnotherWouldGive) {
    // Files that older versions appended to are not sorted; every newcomer still goes before the
    // first record that sorts after it, exactly as saving them by hand one by one.
    TempDir dir;
    const std::vector<PartnerRecord> old = {partner("Nagy Éva"), partner("Zoltán"), partner("Ács Béla"),
                                            partner("Kis Imre"), partner("Bakó Ede")};
    const std::vector<PartnerRecord> rows = {partner("Papp Pál"), partner("Antal"), partner("Zsolt"),
                                             partner("Lengyel"), partner("Éder")};
    writeFile(dir.path() / "merged.dat", partnerBytes(old));
    writeFile(dir.path() / "by-hand.dat", partnerBytes(old));
    importPartners(dir.path() / "merged.dat", rows);
    for (const PartnerRecord& p : rows)
        savePartner(dir.path() / "by-hand.dat", p, std::nullopt);
    EXPECT_EQ(readFile(dir.path() / "merged.dat"), readFile(dir.path() / "by-hand.dat"));

    // A missing file is created.
    importPartners(dir.path() / "new.dat", {partner("Kis Imre")});
    EXPECT_EQ(namesIn(dir.path() / "new.dat"), std::vector<std::string>{"Kis Imre"});
}

TEST(CoreImport, TheDataCopyReplacesTargetsAndListsWhatFailed) {
    TempDir dir;
    const AppPaths paths{dir.path() / "prog"};
    std::filesystem::create_directories(paths.dataDir());
    writeFile(paths.partners(), "partners");
    writeFile(paths.events(EventKind::Reminder), "reminders");
    writeFile(paths.events(EventKind::NameDay), "namedays");
    writeFile(paths.events(EventKind::Birthday), "");
    writeFile(paths.settings(), "settings");
    const auto target = dir.path() / "backup";
    std::filesystem::create_directories(target);
    writeFile(target / "partnerek.dat", "old");

    const DataCopy copy = copyDataFiles(paths, target);
    EXPECT_EQ(copy.copied, (std::vector<std::filesystem::path>{
                               target / "partnerek.dat", target / "emlekeztetok.dat", target / "nevnapok.dat",
                               target / "szuletesnapok.dat", target / "beallitasok.cfg"}));
    EXPECT_EQ(copy.failed, std::vector<std::filesystem::path>{target / "programok.dat"});
    EXPECT_EQ(readFile(target / "partnerek.dat"), "partners");
    EXPECT_EQ(readFile(target / "nevnapok.dat"), "namedays");
    EXPECT_TRUE(std::filesystem::exists(target / "szuletesnapok.dat"));
    EXPECT_EQ(readFile(target / "beallitasok.cfg"), "settings"); // the settings travel with the data

    // Onto itself: nothing is emptied.
    const DataCopy self = copyDataFiles(paths, paths.dataDir());
    EXPECT_EQ(self.copied.size(), 5u);
    EXPECT_EQ(readFile(paths.events(EventKind::Reminder)), "reminders");
    // Into a folder that is not there, everything fails.
    EXPECT_EQ(copyDataFiles(paths, dir.path() / "missing").failed.size(), 6u);

    // The further settings go with the settings file, when there are any.
    writeFile(paths.furtherSettings(), "desktop-notifications=off\n");
    const DataCopy both = copyDataFiles(paths, target);
    EXPECT_TRUE(both.copied.size() == 6u && both.copied.back() == target / "beallitasok-tovabbi.ini");
    EXPECT_EQ(readFile(target / "beallitasok-tovabbi.ini"), "desktop-notifications=off\n");
    std::filesystem::remove(paths.settings());
    writeFile(target / "beallitasok-tovabbi.ini", "old");
    const DataCopy without = copyDataFiles(paths, target);
    EXPECT_EQ(without.failed,
              (std::vector<std::filesystem::path>{target / "programok.dat", target / "beallitasok.cfg"}));
    EXPECT_EQ(readFile(target / "beallitasok-tovabbi.ini"), "old");
}
