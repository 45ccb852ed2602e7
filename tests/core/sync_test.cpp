#include "core/errors.h"
#include "core/sync/merge.h"
#include "core/sync/sync_map.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

using namespace zel;
using zel::test::cp;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

using F = PartnerField;
using Fields = std::vector<PartnerField>;

const PartnerFields kBase{.name = "Kovács Éva",
                          .address = "1111 Budapest, Fő utca 1.",
                          .webAddress = "https://eva.example.hu",
                          .email = "eva@example.hu",
                          .mobile = "+36 30 111 2222",
                          .phone = "+36 1 333 4444",
                          .note = "Első sor\r\nMásodik sor"};

// The fields named, the others empty.
PartnerFields fields(std::initializer_list<std::pair<PartnerField, std::string>> values) {
    PartnerFields p;
    for (const auto& [f, value] : values)
        fieldOf(p, f) = value;
    return p;
}

PartnerFields with(PartnerFields p, PartnerField f, std::string value) {
    fieldOf(p, f) = std::move(value);
    return p;
}

// n times the two-byte "ő": n bytes in Windows-1250, 2n in UTF-8.
std::string os(std::size_t n) {
    std::string s;
    for (std::size_t i = 0; i < n; ++i)
        s += "ő";
    return s;
}

} // namespace

TEST(PartnerFields, ConvertFromAndToTheRecordCuttingEachFieldToItsCapacity) {
    PartnerRecord r{cp("Kovács Éva"), cp("Fő utca"), "w", "e", "m", "p", cp("Első\r\nMásodik")};
    const PartnerFields f = fieldsOfRecord(r);
    EXPECT_EQ(f.name, "Kovács Éva");
    EXPECT_EQ(f.address, "Fő utca");
    EXPECT_EQ(f.note, "Első\r\nMásodik");
    EXPECT_EQ(recordOfFields(f), r);

    PartnerFields longer;
    const std::size_t capacities[] = {41, 52, 100, 33, 24, 25, 255};
    for (std::size_t i = 0; i < kPartnerFields.size(); ++i) {
        EXPECT_EQ(fieldCapacity(kPartnerFields[i]), capacities[i]);
        fieldOf(longer, kPartnerFields[i]) = os(300);
    }
    const PartnerRecord cut = recordOfFields(longer);
    EXPECT_EQ(cut.name, cp(os(41)));
    EXPECT_EQ(cut.address, cp(os(52)));
    EXPECT_EQ(cut.webAddress, cp(os(100)));
    EXPECT_EQ(cut.email, cp(os(33)));
    EXPECT_EQ(cut.mobile, cp(os(24)));
    EXPECT_EQ(cut.phone, cp(os(25)));
    EXPECT_EQ(cut.note, cp(os(255)));
    // A character the code page lacks is stored as '?', and that too is the value's local form.
    EXPECT_EQ(recordOfFields(with({}, F::Name, "Kiss → Anna")).name, "Kiss ? Anna");
    EXPECT_EQ(localForm(F::Name, "Kiss → Anna"), "Kiss ? Anna");
    EXPECT_EQ(localForm(F::Note, os(300)), os(255));
    EXPECT_EQ(localForm(F::Email, "short"), "short");
}

TEST(Merge, AChangeOnOneSideGoesToTheOther) {
    // Nothing changed: nothing to write.
    Merged m = mergePartner(kBase, kBase, kBase);
    EXPECT_EQ(m.result, kBase);
    EXPECT_FALSE(m.localChanged);
    EXPECT_FALSE(m.serverChanged);
    EXPECT_TRUE(m.toLocal.empty());
    EXPECT_TRUE(m.toServer.empty());
    EXPECT_TRUE(m.conflicts.empty());

    // Changed locally only: up to the server.
    const PartnerFields local = with(with(kBase, F::Email, "uj@example.hu"), F::Note, "");
    m = mergePartner(kBase, local, kBase);
    EXPECT_EQ(m.result, local);
    EXPECT_FALSE(m.localChanged);
    EXPECT_TRUE(m.serverChanged);
    EXPECT_EQ(m.toServer, (Fields{F::Email, F::Note}));
    EXPECT_TRUE(m.toLocal.empty());
    EXPECT_TRUE(m.conflicts.empty());

    // Changed on the server only: down to the partner, renames too.
    const PartnerFields server = with(with(kBase, F::Name, "Kovács Éva Mária"), F::Mobile, "+36 20 999 8888");
    m = mergePartner(kBase, kBase, server);
    EXPECT_EQ(m.result, server);
    EXPECT_TRUE(m.localChanged);
    EXPECT_FALSE(m.serverChanged);
    EXPECT_EQ(m.toLocal, (Fields{F::Name, F::Mobile}));
    EXPECT_TRUE(m.toServer.empty());

    // Different fields changed on each side: each goes the other way, no conflict.
    m = mergePartner(kBase, local, server);
    EXPECT_EQ(m.result, with(with(server, F::Email, "uj@example.hu"), F::Note, ""));
    EXPECT_EQ(m.toLocal, (Fields{F::Name, F::Mobile}));
    EXPECT_EQ(m.toServer, (Fields{F::Email, F::Note}));
    EXPECT_TRUE(m.conflicts.empty());
}

TEST(Merge, AFieldChangedDifferentlyOnBothSidesTakesTheServersValueAndIsReported) {
    const PartnerFields local =
        with(with(with(kBase, F::Phone, "+36 1 555 0000"), F::Note, "helyi"), F::Email, "");
    const PartnerFields server =
        with(with(with(kBase, F::Phone, "+36 1 777 0000"), F::Note, "szerver"), F::Address, "Pécs");
    const Merged m = mergePartner(kBase, local, server);
    PartnerFields expected = server;
    expected.email = "";
    EXPECT_EQ(m.result, expected);
    EXPECT_EQ(m.toLocal, (Fields{F::Address, F::Phone, F::Note}));
    EXPECT_EQ(m.toServer, (Fields{F::Email}));
    EXPECT_EQ(m.conflicts, (std::vector<FieldConflict>{{F::Phone, "+36 1 555 0000", "+36 1 777 0000"},
                                                       {F::Note, "helyi", "szerver"}}));

    // The same change on both sides is no conflict and needs no write.
    const PartnerFields same = with(kBase, F::Phone, "+36 1 555 0000");
    const Merged alike = mergePartner(kBase, same, same);
    EXPECT_EQ(alike.result, same);
    EXPECT_TRUE(alike.toLocal.empty());
    EXPECT_TRUE(alike.toServer.empty());
    EXPECT_TRUE(alike.conflicts.empty());
    // Emptied on both sides alike.
    EXPECT_TRUE(mergePartner(kBase, with(kBase, F::Note, ""), with(kBase, F::Note, "")).conflicts.empty());
}

TEST(Merge, TheLocalCutOfALongServerValueIsNoChange) {
    // The server keeps 300 characters of note and a character the code page lacks in the name.
    const PartnerFields base = with(with(kBase, F::Note, os(300)), F::Name, "Kiss → Anna");
    const PartnerFields local = fieldsOfRecord(recordOfFields(base));
    ASSERT_EQ(local.note, os(255));
    ASSERT_EQ(local.name, "Kiss ? Anna");
    EXPECT_FALSE(localChangedSince(base, local));

    // Another field changed locally: only that goes up, the long note stays whole.
    Merged m = mergePartner(base, with(local, F::Email, "anna@example.hu"), base);
    EXPECT_EQ(m.result, with(base, F::Email, "anna@example.hu"));
    EXPECT_EQ(m.toServer, (Fields{F::Email}));
    EXPECT_TRUE(m.toLocal.empty());

    // The server changed the note: its value comes down, cut, and no conflict is seen.
    const PartnerFields server = with(base, F::Note, os(299) + "x");
    m = mergePartner(base, local, server);
    EXPECT_EQ(m.result, server);
    EXPECT_EQ(m.toLocal, Fields{}); // its local form is the same 255 "ő"
    EXPECT_TRUE(m.conflicts.empty());
    m = mergePartner(base, local, with(base, F::Note, "rövid"));
    EXPECT_EQ(m.toLocal, Fields{F::Note});
    EXPECT_EQ(m.result.note, "rövid");

    // The note really changed locally: the local value replaces the long one.
    const PartnerFields edited = with(local, F::Note, os(254) + "a");
    EXPECT_TRUE(localChangedSince(base, edited));
    m = mergePartner(base, edited, base);
    EXPECT_EQ(m.result.note, os(254) + "a");
    EXPECT_EQ(m.result.name, "Kiss → Anna");
    EXPECT_EQ(m.toServer, Fields{F::Note});
    EXPECT_TRUE(m.toLocal.empty());
    // … and against a server change it loses, reported.
    m = mergePartner(base, edited, with(base, F::Note, "szerver"));
    EXPECT_EQ(m.result.note, "szerver");
    EXPECT_EQ(m.conflicts, (std::vector<FieldConflict>{{F::Note, os(254) + "a", "szerver"}}));

    // Both changed, the local value being the cut of the server's: the same change, the full value stays.
    const PartnerFields longer = with(base, F::Note, os(400));
    m = mergePartner(base, with(local, F::Note, os(255)), longer);
    EXPECT_TRUE(m.conflicts.empty());
    EXPECT_EQ(m.result, longer);

    EXPECT_FALSE(serverChangedSince(base, base));
    EXPECT_TRUE(serverChangedSince(base, with(base, F::Note, os(255))));
}

TEST(Merge, TheFirstSyncFillsEmptyFieldsAndKeepsTheLocalValueOfDifferentOnes) {
    const PartnerFields local = fields({{F::Name, "Nagy Péter"},
                                        {F::Email, "peter@example.hu"},
                                        {F::Mobile, "+36 30 1"},
                                        {F::Note, "helyi"}});
    const PartnerFields server = fields({{F::Name, "Nagy Péter"},
                                         {F::Address, "Szeged"},
                                         {F::Mobile, "+36 30 1"},
                                         {F::Phone, "+36 62 2"},
                                         {F::Note, "szerver " + os(300)}});
    const Merged m = mergePartner(std::nullopt, local, server);
    const PartnerFields expected = fields({{F::Name, "Nagy Péter"},
                                           {F::Address, "Szeged"},
                                           {F::Email, "peter@example.hu"},
                                           {F::Mobile, "+36 30 1"},
                                           {F::Phone, "+36 62 2"},
                                           {F::Note, "helyi"}});
    EXPECT_EQ(m.result, expected);
    EXPECT_EQ(m.toLocal, (Fields{F::Address, F::Phone}));
    EXPECT_EQ(m.toServer, (Fields{F::Email, F::Note}));
    EXPECT_EQ(m.conflicts, (std::vector<FieldConflict>{{F::Note, "helyi", "szerver " + os(300)}}));

    // A partner holding the cut of the server's value agrees with it: the full value stays.
    const PartnerFields cut = with(local, F::Note, localForm(F::Note, server.note));
    const Merged agreed = mergePartner(std::nullopt, cut, server);
    EXPECT_EQ(agreed.result.note, server.note);
    EXPECT_TRUE(agreed.conflicts.empty());
    EXPECT_EQ(agreed.toLocal, (Fields{F::Address, F::Phone}));
    EXPECT_EQ(agreed.toServer, Fields{F::Email});
}

TEST(Merge, DeletionsGoBothWaysUnlessTheOtherSideChanged) {
    using S = SideState;
    EXPECT_EQ(fateOf(S::Unchanged, S::Unchanged), Fate::Keep);
    EXPECT_EQ(fateOf(S::Changed, S::Unchanged), Fate::Keep);
    EXPECT_EQ(fateOf(S::Unchanged, S::Changed), Fate::Keep);
    EXPECT_EQ(fateOf(S::Changed, S::Changed), Fate::Keep);
    EXPECT_EQ(fateOf(S::Deleted, S::Unchanged), Fate::DeleteOnServer);
    EXPECT_EQ(fateOf(S::Deleted, S::Changed), Fate::RecreateLocally);
    EXPECT_EQ(fateOf(S::Unchanged, S::Deleted), Fate::DeleteLocally);
    EXPECT_EQ(fateOf(S::Changed, S::Deleted), Fate::RecreateOnServer);
    EXPECT_EQ(fateOf(S::Deleted, S::Deleted), Fate::Forget);
}

TEST(Merge, ManyDeletionsNeedConfirmation) {
    EXPECT_FALSE(needsDeletionConfirmation(0, 0));
    EXPECT_FALSE(needsDeletionConfirmation(0, 5));
    EXPECT_FALSE(needsDeletionConfirmation(10, 1000));
    EXPECT_TRUE(needsDeletionConfirmation(11, 1000));
    EXPECT_TRUE(needsDeletionConfirmation(11, 44));  // exactly a quarter, but more than 10
    EXPECT_FALSE(needsDeletionConfirmation(10, 40)); // exactly a quarter
    EXPECT_TRUE(needsDeletionConfirmation(10, 39));
    EXPECT_FALSE(needsDeletionConfirmation(1, 4));
    EXPECT_TRUE(needsDeletionConfirmation(1, 3));
    EXPECT_TRUE(needsDeletionConfirmation(2, 4));
}

namespace {

SyncMap smallMap() {
    SyncMap map;
    map.collectionUrl = "https://dav.example.hu/book/";
    map.syncToken = "tok-1";
    map.links.push_back({"/book/a.vcf", "\"e1\"", "uid-a", "Ábel", "--0305",
                         fields({{F::Name, "Ábel"}, {F::Email, "abel@example.hu"}})});
    return map;
}

constexpr std::string_view kSmallMapBytes =
    "zelmoran-sync-map\t1\n"
    "collection\thttps://dav.example.hu/book/\n"
    "token\ttok-1\n"
    "card\t/book/a.vcf\t\"e1\"\tuid-a\tÁbel\t--0305\tÁbel\t\t\tabel@example.hu\t\t\t\n";

} // namespace

TEST(SyncMap, EncodesOneLineACardWithEscapedValuesAndDecodesItBack) {
    EXPECT_EQ(encodeSyncMap(smallMap()), kSmallMapBytes);
    EXPECT_EQ(decodeSyncMap(kSmallMapBytes), smallMap());

    SyncMap map = smallMap();
    map.syncToken = "";
    map.links.push_back({"/book/b\tc.vcf", "W/\"x\\y\"", "", "Kovács\tÉ", "", kBase});
    map.links.back().base.note = "tab\there\r\nline\\n not an escape\\\n\u00e9\u2192";
    const std::string bytes = encodeSyncMap(map);
    EXPECT_EQ(bytes.substr(bytes.find("card\t/book/b")),
              "card\t/book/b\\tc.vcf\tW/\"x\\\\y\"\t\tKovács\\tÉ\t\tKovács Éva\t1111 Budapest, Fő utca 1.\t"
              "https://eva.example.hu\teva@example.hu\t+36 30 111 2222\t+36 1 333 4444\t"
              "tab\\there\\r\\nline\\\\n not an escape\\\\\\n\u00e9\u2192\n");
    EXPECT_EQ(decodeSyncMap(bytes), map);

    const SyncMap empty{"https://x/", "t", {}};
    EXPECT_EQ(encodeSyncMap(empty), "zelmoran-sync-map\t1\ncollection\thttps://x/\ntoken\tt\n");
    EXPECT_EQ(decodeSyncMap(encodeSyncMap(empty)), empty);
}

TEST(SyncMap, ADamagedMapIsAnErrorNamingItsLine) {
    const std::string good(kSmallMapBytes);
    const std::string card =
        "card\t/book/a.vcf\t\"e1\"\tuid-a\tÁbel\t--0305\tÁbel\t\t\tabel@example.hu\t\t\t\n";
    const std::string head = good.substr(0, good.size() - card.size());
    const auto lineOf = [](std::string_view bytes) -> std::size_t {
        try {
            decodeSyncMap(bytes);
        } catch (const SyncMapDamaged& e) {
            return e.line();
        }
        return 0;
    };
    EXPECT_EQ(lineOf(""), 1u);
    EXPECT_EQ(lineOf("zelmoran-sync-map\t2\n"), 1u);
    EXPECT_EQ(lineOf("zelmoran-sync-map\t1\n"), 2u);
    EXPECT_EQ(lineOf("zelmoran-sync-map\t1\ntoken\tt\ncollection\tc\n"), 2u);
    EXPECT_EQ(lineOf("zelmoran-sync-map\t1\ncollection\tc\n"), 3u);
    EXPECT_EQ(lineOf("zelmoran-sync-map\t1\r\ncollection\tc\r\ntoken\tt\r\n"), 1u);
    EXPECT_EQ(lineOf(good.substr(0, good.size() - 1)), 4u);               // the last LF missing
    EXPECT_EQ(lineOf(head + "card\t/a\t\t\t\t\t\t\t\t\t\t\n"), 4u);       // a value short
    EXPECT_EQ(lineOf(head + "card\t/a\t\t\t\t\t\t\t\t\t\t\t\t\t\n"), 4u); // a value too many
    EXPECT_EQ(lineOf(head + "card\t\t\t\t\t\t\t\t\t\t\t\t\t\n"), 4u);     // no href
    EXPECT_EQ(lineOf(head + "kard\t/a\t\t\t\t\t\t\t\t\t\t\t\t\n"), 4u);
    EXPECT_EQ(lineOf(head + "card\t/a\\x\t\t\t\t\t\t\t\t\t\t\t\t\n"), 4u); // unknown escape
    EXPECT_EQ(lineOf(head + "card\t/a\t\t\t\t\t\t\t\t\t\t\t\t\\\n"), 4u);  // escape cut off
    EXPECT_EQ(lineOf(good + "\n"), 5u);
    EXPECT_EQ(lineOf(good + card), 5u); // the same card linked twice
    EXPECT_EQ(lineOf(good + "collection\tc\n"), 5u);
    EXPECT_EQ(lineOf(good), 0u);
}

TEST(SyncMap, IsReadAndWrittenWholeAndAMissingFileIsNoMap) {
    TempDir dir;
    const auto path = dir.path() / "sync.map";
    EXPECT_EQ(readSyncMap(path), std::nullopt);

    writeSyncMap(path, smallMap());
    EXPECT_EQ(readFile(path), kSmallMapBytes);
    EXPECT_EQ(readSyncMap(path), smallMap());

    // Damaged: reported with the file and its line, and the file is left as it was.
    const std::string cut(kSmallMapBytes.substr(0, 60));
    writeFile(path, cut);
    try {
        readSyncMap(path);
        ADD_FAILURE() << "a damaged map was read";
    } catch (const SyncMapDamaged& e) {
        EXPECT_EQ(e.path(), path.string());
        EXPECT_EQ(e.line(), 3u);
    }
    EXPECT_EQ(readFile(path), cut);

    // Not a file that reads.
    std::filesystem::remove(path);
    std::filesystem::create_directory(path);
    EXPECT_THROW(readSyncMap(path), IoError);
}
