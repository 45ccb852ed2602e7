#include "core/sync/address_book_plan.h"
#include "core/sync/card.h"
#include "core/sync/local_writes.h"
#include "core/text/cp1250.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

using namespace zel;
using F = PartnerField;
using W = LocalWrite;
using R = SyncReport::Skipped::Reason;

namespace {

const DayNumber kToday = dayNumber(2026, 12, 8);

std::string card(const std::string& uid, const std::string& fn, const std::string& more = {}) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + fn + "\r\nN:" + fn + ";;;;\r\n" + more +
           "END:VCARD\r\n";
}

LocalPartner partner(const std::string& name, const std::string& email = {},
                     std::optional<DayNumber> birthday = std::nullopt) {
    LocalPartner p;
    p.fields.name = name;
    p.fields.email = email;
    p.birthday = birthday;
    return p;
}

SyncLink linkOf(const std::string& href, const std::string& name, const std::string& email = {}) {
    SyncLink l;
    l.href = href;
    l.etag = "\"" + href + "-1\"";
    l.uid = "uid-" + name;
    l.localName = name;
    l.base.name = name;
    l.base.email = email;
    return l;
}

struct Uids {
    int n = 0;
    std::function<std::string()> next = [this] { return "new-" + std::to_string(++n); };
};

SyncPlan plan(const SyncMap& map, const std::vector<LocalPartner>& local, const ServerListing& listing,
              const std::vector<ServerCard>& fetched) {
    static Uids uids;
    uids.n = 0;
    return planSync(map, local, listing, fetched, kToday, uids.next);
}

} // namespace

TEST(SyncPlan, FirstSyncLinksByNameFillsEmptiesKeepsLocalOnDifferencesAndCreatesTheRest) {
    const std::vector<LocalPartner> local = {partner("Kovács Éva", "eva@here.hu"), partner("Nagy Béla")};
    ServerListing listing{true, {{"/b/1.vcf", "\"1\""}, {"/b/2.vcf", "\"2\""}}, {}, "tok"};
    const std::vector<ServerCard> cards = {
        {"/b/1.vcf", "\"1\"",
         card("u1", "KOVÁCS ÉVA", "EMAIL:eva@there.hu\r\nTEL;TYPE=CELL:+36 30 1\r\nPHOTO:abc\r\n")},
        {"/b/2.vcf", "\"2\"", card("u2", "Szabó Ida", "BDAY:--0305\r\n")},
    };
    EXPECT_EQ(cardsToFetch({}, local, listing), (std::vector<std::string>{"/b/1.vcf", "/b/2.vcf"}));
    const SyncPlan p = plan({}, local, listing, cards);

    ASSERT_EQ(p.local.size(), 2u);
    EXPECT_EQ(p.local[0].kind, W::Kind::Update); // the mobile comes down, the name keeps its case
    EXPECT_EQ(p.local[0].name, utf8ToCp1250("Kovács Éva"));
    EXPECT_EQ(p.local[0].record.name, utf8ToCp1250("Kovács Éva"));
    EXPECT_EQ(p.local[0].record.email, "eva@here.hu");
    EXPECT_EQ(p.local[0].record.mobile, "+36 30 1");
    EXPECT_EQ(p.local[1].kind, W::Kind::Create);
    EXPECT_EQ(p.local[1].record.name, "Szab\xf3 Ida");
    EXPECT_EQ(p.local[1].birthday, W::Birthday::Set);
    EXPECT_EQ(p.local[1].birthdayDay, dayNumber(2027, 3, 5)); // no year: the first one to come

    ASSERT_EQ(p.uploads.size(), 2u);
    EXPECT_EQ(p.uploads[0].kind, Upload::Kind::Update); // the local e-mail goes up, nothing else changes
    EXPECT_EQ(p.uploads[0].ifMatch, "\"1\"");
    EXPECT_EQ(p.uploads[0].bytes,
              "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:u1\r\nFN:Kovács Éva\r\nN:Kovács;Éva;;;\r\n"
              "EMAIL:eva@here.hu\r\nTEL;TYPE=CELL:+36 30 1\r\nPHOTO:abc\r\nEND:VCARD\r\n");
    EXPECT_EQ(p.uploads[1].kind, Upload::Kind::Create);
    EXPECT_EQ(p.uploads[1].href, "new-1.vcf");
    EXPECT_NE(p.uploads[1].bytes.find("UID:new-1\r\n"), std::string::npos);

    ASSERT_EQ(p.report.conflicts.size(), 2u);
    EXPECT_EQ(p.report.conflicts[0].field, F::Name);
    EXPECT_EQ(p.report.conflicts[1].field, F::Email);
    EXPECT_EQ(p.report.conflicts[1].local, "eva@here.hu");
    EXPECT_EQ(p.report.conflicts[1].server, "eva@there.hu");
    EXPECT_FALSE(p.report.conflicts[1].serverTaken);
    EXPECT_EQ(p.report.local, (SyncReport::Counts{1, 1, 0}));
    EXPECT_EQ(p.report.server, (SyncReport::Counts{1, 1, 0}));

    // The pending link keeps the card as read, so a sync broken off uploads again.
    ASSERT_EQ(p.map.links.size(), 2u);
    EXPECT_EQ(p.map.links[0].base.email, "eva@there.hu");
    EXPECT_EQ(p.map.links[0].etag, "\"1\"");
    EXPECT_EQ(p.map.links[1].localName, "Szabó Ida");
    EXPECT_EQ(p.map.links[1].birthday, "--0305");
}

TEST(SyncPlan, AChangeOnOneSideGoesToTheOtherAndBothSidesMergeFieldByField) {
    SyncMap map{
        "https://x/b/", "t1", {linkOf("/b/1.vcf", "Anna", "a@x.hu"), linkOf("/b/2.vcf", "Bea", "b@x.hu")}};
    map.links[1].base.phone = "111";
    // Anna changed here only; Bea on both sides: e-mail here, phone and e-mail there.
    std::vector<LocalPartner> local = {partner("Anna", "anna@new.hu"), partner("Bea", "bea@here.hu")};
    local[1].fields.phone = "111";
    ServerListing listing{false, {{"/b/2.vcf", "\"b2\""}}, {}, "t2"};
    EXPECT_EQ(cardsToFetch(map, local, listing), (std::vector<std::string>{"/b/1.vcf", "/b/2.vcf"}));
    const std::string anna = card("uid-Anna", "Anna", "EMAIL;TYPE=work:a@x.hu\r\nX-OTHER;P=1:keep\r\n");
    const std::vector<ServerCard> cards = {
        {"/b/1.vcf", "\"/b/1.vcf-1\"", anna},
        {"/b/2.vcf", "\"b2\"", card("uid-Bea", "Bea", "EMAIL:bea@there.hu\r\nTEL:222\r\n")},
    };
    const SyncPlan p = plan(map, local, listing, cards);

    ASSERT_EQ(p.uploads.size(), 1u); // Bea's card already holds what she has now
    std::string expected = anna;
    expected.replace(expected.find("a@x.hu"), 6, "anna@new.hu");
    EXPECT_EQ(p.uploads[0].bytes, expected); // only the e-mail line, its parameters kept
    EXPECT_EQ(p.uploads[0].ifMatch, "\"/b/1.vcf-1\"");
    // Bea: the server's phone comes down; both changed the e-mail, the server's wins and is reported.
    ASSERT_EQ(p.local.size(), 1u);
    EXPECT_EQ(p.local[0].record.phone, "222");
    EXPECT_EQ(p.local[0].record.email, "bea@there.hu");
    ASSERT_EQ(p.report.conflicts.size(), 1u);
    EXPECT_EQ(p.report.conflicts[0].partner, "Bea");
    EXPECT_EQ(p.report.conflicts[0].local, "bea@here.hu");
    EXPECT_TRUE(p.report.conflicts[0].serverTaken);
}

TEST(SyncPlan, NamesAreKeysRenamesGoBothWaysAndBadNamesStayOnTheServer) {
    SyncMap map{"https://x/b/", "t1", {linkOf("/b/1.vcf", "Anna"), linkOf("/b/2.vcf", "Bea")}};
    map.links[1].birthday = "1990-04-02";
    // Anna renamed here (the map followed the rename); Bea renamed on the server.
    map.links[0].localName = "Anna Kis";
    const std::vector<LocalPartner> local = {partner("Anna Kis"), partner("Bea", {}, dayNumber(1990, 4, 2)),
                                             partner("Cili")};
    ServerListing listing{
        false,
        {{"/b/2.vcf", "\"b2\""}, {"/b/3.vcf", "\"3\""}, {"/b/4.vcf", "\"4\""}, {"/b/5.vcf", "\"5\""}},
        {},
        "t2"};
    const std::vector<ServerCard> cards = {
        {"/b/1.vcf", "\"/b/1.vcf-1\"", card("uid-Anna", "Anna")},
        {"/b/2.vcf", "\"b2\"", card("uid-Bea", "Nagy Bea", "BDAY:1990-04-02\r\n")},
        {"/b/3.vcf", "\"3\"", "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:3\r\nEMAIL:x@y.hu\r\nEND:VCARD\r\n"},
        {"/b/4.vcf", "\"4\"", card("4", "Vezeték: Kis")},
        {"/b/5.vcf", "\"5\"", card("5", "CILI")},
    };
    const SyncPlan p = plan(map, local, listing, cards);

    ASSERT_GE(p.uploads.size(), 1u);
    EXPECT_EQ(p.uploads[0].kind, Upload::Kind::Update);
    EXPECT_EQ(p.uploads[0].bytes,
              "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:uid-Anna\r\nFN:Anna Kis\r\nN:Anna;Kis;;;\r\nEND:VCARD\r\n");
    EXPECT_EQ(p.uploads[0].link.localName, "Anna Kis");

    ASSERT_GE(p.local.size(), 1u);
    EXPECT_EQ(p.local[0].kind, W::Kind::Update);
    EXPECT_EQ(p.local[0].name, "Bea");
    EXPECT_EQ(p.local[0].record.name, "Nagy Bea");
    // The rename takes the old name's days: the birthday is set again under the new one.
    EXPECT_EQ(p.local[0].birthday, W::Birthday::Set);
    EXPECT_EQ(p.local[0].birthdayDay, dayNumber(1990, 4, 2));

    ASSERT_EQ(p.report.skipped.size(), 2u);
    EXPECT_EQ(p.report.skipped[0].reason, R::EmptyName);
    EXPECT_EQ(p.report.skipped[1].reason, R::Colon);
    EXPECT_EQ(p.report.skipped[1].name, "Vezeték: Kis");
    // "CILI" is linked to the unlinked partner Cili; no second Cili on either side.
    EXPECT_EQ(p.report.local.created, 0u);
    EXPECT_EQ(p.report.server.created, 0u);
}

TEST(SyncPlan, DeletionsGoBothWaysUnlessTheOtherSideChanged) {
    SyncMap map{"https://x/b/",
                "t1",
                {linkOf("/b/1.vcf", "Anna", "a@x.hu"), linkOf("/b/2.vcf", "Bea", "b@x.hu"),
                 linkOf("/b/3.vcf", "Cili", "c@x.hu"), linkOf("/b/4.vcf", "Dóra", "d@x.hu"),
                 linkOf("/b/5.vcf", "Emma", "e@x.hu")}};
    // Anna deleted here; Bea deleted there; Cili deleted here but changed there; Dóra deleted there but
    // changed here; Emma deleted on both sides.
    const std::vector<LocalPartner> local = {partner("Bea", "b@x.hu"), partner("Dóra", "dora@new.hu")};
    ServerListing listing{false, {{"/b/3.vcf", "\"c2\""}}, {"/b/2.vcf", "/b/4.vcf", "/b/5.vcf"}, "t2"};
    EXPECT_EQ(cardsToFetch(map, local, listing), (std::vector<std::string>{"/b/1.vcf", "/b/3.vcf"}));
    const std::vector<ServerCard> cards = {
        {"/b/3.vcf", "\"c2\"", card("uid-Cili", "Cili", "EMAIL:cili@new.hu\r\n")}};
    const SyncPlan p = plan(map, local, listing, cards);

    ASSERT_EQ(p.local.size(), 2u);
    EXPECT_EQ(p.local[0].kind, W::Kind::Delete);
    EXPECT_EQ(p.local[0].name, "Bea");
    EXPECT_EQ(p.local[1].kind, W::Kind::Create);
    EXPECT_EQ(p.local[1].record.email, "cili@new.hu");
    ASSERT_EQ(p.uploads.size(), 2u);
    EXPECT_EQ(p.uploads[0].kind, Upload::Kind::Delete);
    EXPECT_EQ(p.uploads[0].href, "/b/1.vcf");
    EXPECT_EQ(p.uploads[0].ifMatch, "\"/b/1.vcf-1\"");
    EXPECT_EQ(p.uploads[1].kind, Upload::Kind::Create);
    EXPECT_NE(p.uploads[1].bytes.find("EMAIL;TYPE=INTERNET:dora@new.hu\r\n"), std::string::npos);
    EXPECT_EQ(p.report.kept, (std::vector<std::string>{"Cili", "Dóra"}));
    EXPECT_EQ(p.deletions, 2u);
    // Anna's link waits for her card's deletion; Cili is linked again; the others are gone.
    ASSERT_EQ(p.map.links.size(), 2u);
    EXPECT_EQ(p.map.links[0].href, "/b/1.vcf");
    EXPECT_EQ(p.map.links[1].href, "/b/3.vcf");
    EXPECT_EQ(p.map.links[1].etag, "\"c2\"");
}

TEST(SyncPlan, ALongValueIsCutHereOnlyAndNeverSentBack) {
    const std::string note(300, 'x');
    SyncMap map{"https://x/b/", "t1", {linkOf("/b/1.vcf", "Anna")}};
    const std::vector<LocalPartner> local = {partner("Anna")};
    ServerListing listing{false, {{"/b/1.vcf", "\"2\""}}, {}, "t2"};
    const std::string bytes = card("uid-Anna", "Anna", "NOTE:" + note + "\r\n");
    SyncPlan p = plan(map, local, listing, {{"/b/1.vcf", "\"2\"", bytes}});
    ASSERT_EQ(p.local.size(), 1u);
    EXPECT_EQ(p.local[0].record.note, note.substr(0, 255));
    EXPECT_TRUE(p.uploads.empty());
    ASSERT_EQ(p.map.links.size(), 1u);
    EXPECT_EQ(p.map.links[0].base.note, note); // the full value is what both sides agreed on

    // The next sync: the cut value here is the base itself, so nothing goes up.
    LocalPartner cut = partner("Anna");
    cut.fields.note = note.substr(0, 255);
    p = plan(p.map, {cut}, {false, {}, {}, "t3"}, {});
    EXPECT_TRUE(p.local.empty());
    EXPECT_TRUE(p.uploads.empty());
    EXPECT_TRUE(p.report.nothingChanged());
    EXPECT_TRUE(cardsToFetch(p.map, {cut}, {false, {}, {}, "t3"}).empty());
}

TEST(SyncPlan, BirthdaysFollowBdayBothWays) {
    EXPECT_EQ(birthdayOf("1980-03-05"), (Ymd{1980, 3, 5}));
    EXPECT_EQ(birthdayOf("19800305"), (Ymd{1980, 3, 5}));
    EXPECT_EQ(birthdayOf("1980-03-05T00:00:00Z"), (Ymd{1980, 3, 5}));
    EXPECT_EQ(birthdayOf("--0305"), (Ymd{0, 3, 5}));
    EXPECT_EQ(birthdayOf("--03-05"), (Ymd{0, 3, 5}));
    EXPECT_EQ(birthdayOf("--0229"), (Ymd{0, 2, 29}));
    for (const char* bad : {"", "1980", "1980-02-30", "--1301", "198a0305", "1980-0305"})
        EXPECT_FALSE(birthdayOf(bad)) << bad;
    EXPECT_EQ(birthdayValue({1980, 3, 5}, "3.0"), "1980-03-05");
    EXPECT_EQ(birthdayValue({1980, 3, 5}, "4.0"), "19800305");
    EXPECT_EQ(birthdayRecordDay({0, 12, 8}, kToday), kToday);
    EXPECT_EQ(birthdayRecordDay({0, 2, 29}, kToday), dayNumber(2027, 2, 28));

    // A BDAY without a year agrees with a birthday record of its day in any year.
    SyncMap map{"https://x/b/", "t1", {linkOf("/b/1.vcf", "Anna"), linkOf("/b/2.vcf", "Bea")}};
    map.links[0].birthday = "--0305";
    const std::vector<LocalPartner> local = {partner("Anna", {}, dayNumber(2027, 3, 5)),
                                             partner("Bea", {}, dayNumber(1985, 6, 7))};
    EXPECT_EQ(cardsToFetch(map, local, {false, {}, {}, "t2"}), std::vector<std::string>{"/b/2.vcf"});
    const std::string bea = card("uid-Bea", "Bea");
    const SyncPlan p = plan(map, local, {false, {}, {}, "t2"}, {{"/b/2.vcf", "\"/b/2.vcf-1\"", bea}});
    ASSERT_EQ(p.uploads.size(), 1u);
    EXPECT_EQ(p.uploads[0].bytes, card("uid-Bea", "Bea", "BDAY:1985-06-07\r\n"));
    EXPECT_EQ(p.uploads[0].link.birthday, "1985-06-07");
    EXPECT_TRUE(p.local.empty());

    // Removed on the server: the birthday record goes.
    map.links[1].birthday = "1985-06-07";
    const SyncPlan q =
        plan(map, local, {false, {{"/b/2.vcf", "\"3\""}}, {}, "t3"}, {{"/b/2.vcf", "\"3\"", bea}});
    ASSERT_EQ(q.local.size(), 1u);
    EXPECT_EQ(q.local[0].birthday, W::Birthday::Remove);
    EXPECT_TRUE(q.uploads.empty());
}

TEST(SyncLocalWrites, OneRewriteEachLandsEveryWriteWhereTheProgramWouldAndTakesARenamedPartnersDays) {
    using test::cp;
    using test::partnerBytes;
    using test::readEvents;
    using test::readFile;
    using test::writeEvents;
    using test::writeFile;
    const auto rec = [](std::string_view name, std::string email = {}) { return test::partner(name, email); };
    test::TempDir dir;
    const AppPaths paths{dir.path()};
    std::filesystem::create_directories(paths.dataDir());
    writeFile(paths.partners(), partnerBytes({rec("Anna"), rec("Cili"), rec("Ödön")}));
    const DayNumber day = dayNumber(2026, 3, 5);
    writeEvents(paths.events(EventKind::NameDay), EventKind::NameDay,
                {{true, {}, "Anna", double(day), 0}, {true, {}, "Cili", double(day + 1), 0}});
    writeEvents(paths.events(EventKind::Birthday), EventKind::Birthday,
                {{true, {}, "Cili", double(day), 0},
                 {false, {}, "Anna", double(day + 2), 0},
                 {true, {}, "Anna", double(day + 9), 0}});

    std::vector<LocalWrite> writes(5);
    writes[0].kind = W::Kind::Delete; // Ödön goes, and a name no longer held is left out
    writes[0].name = cp("Ödön");
    writes[1].kind = W::Kind::Delete;
    writes[1].name = "Nobody";
    writes[2].kind = W::Kind::Update; // Cili renamed: her name day and birthday go
    writes[2].name = "Cili";
    writes[2].record = rec("Bea", "bea@x.hu");
    writes[3].kind = W::Kind::Create; // a new partner with a birthday
    writes[3].record = rec("Zita");
    writes[3].birthday = W::Birthday::Set;
    writes[3].birthdayDay = day + 1;
    writes[4].kind = W::Kind::Update; // Anna's first birthday moves, her second stays out
    writes[4].name = "Anna";
    writes[4].record = rec("Anna", "a@x.hu");
    writes[4].birthday = W::Birthday::Set;
    writes[4].birthdayDay = day - 1;
    EXPECT_EQ(applyLocalWrites(paths, writes), 4u);

    EXPECT_EQ(readFile(paths.partners()),
              partnerBytes({rec("Anna", "a@x.hu"), rec("Bea", "bea@x.hu"), rec("Zita")}));
    EXPECT_EQ(readEvents(paths.events(EventKind::NameDay), EventKind::NameDay),
              (std::vector<EventRecord>{{true, {}, "Anna", double(day), 0}}));
    EXPECT_EQ(readEvents(paths.events(EventKind::Birthday), EventKind::Birthday),
              (std::vector<EventRecord>{{false, {}, "Anna", double(day - 1), 0},
                                        {true, {}, "Zita", double(day + 1), 0}}));

    // Nothing to write: no file is touched.
    const auto stamp = std::filesystem::last_write_time(paths.partners());
    EXPECT_EQ(applyLocalWrites(paths, {writes[1]}), 0u);
    EXPECT_EQ(std::filesystem::last_write_time(paths.partners()), stamp);
}

TEST(SyncPlan, APartnerRenamedWithoutTheMapKeepsItsCardWhenItsOtherFieldsTellItApart) {
    SyncMap map{"https://x/b/", "t1", {linkOf("/b/1.vcf", "Anna", "anna@x.hu"), linkOf("/b/2.vcf", "Bea")}};
    // Anna is now "Anna Kis" (the map missed it); Bea, who held nothing but her name, is gone.
    const std::vector<LocalPartner> local = {partner("Anna Kis", "anna@x.hu"), partner("Cili")};
    const ServerListing listing{false, {}, {}, "t2"};
    EXPECT_EQ(cardsToFetch(map, local, listing), (std::vector<std::string>{"/b/1.vcf", "/b/2.vcf"}));
    const SyncPlan p = plan(map, local, listing,
                            {{"/b/1.vcf", "\"/b/1.vcf-1\"", card("uid-Anna", "Anna", "EMAIL:anna@x.hu\r\n")},
                             {"/b/2.vcf", "\"/b/2.vcf-1\"", card("uid-Bea", "Bea")}});
    ASSERT_EQ(p.uploads.size(), 3u);
    EXPECT_EQ(p.uploads[0].kind, Upload::Kind::Update);
    EXPECT_NE(p.uploads[0].bytes.find("FN:Anna Kis\r\n"), std::string::npos);
    EXPECT_EQ(p.uploads[1].kind, Upload::Kind::Delete);
    EXPECT_EQ(p.uploads[1].href, "/b/2.vcf");
    EXPECT_EQ(p.uploads[2].kind, Upload::Kind::Create); // Cili, whom nothing ties to Bea's card
    EXPECT_TRUE(p.local.empty());
}

TEST(SyncPlan, ARenameCutOffBeforeItsBirthdayKeepsTheCardAndBringsTheBirthdayToTheNewName) {
    using test::cp;
    // The last sync renamed Ida after her card and was killed after the partner file: her birthday is
    // still under the former name, and the map names her by it.
    SyncMap map{"https://x/b/", "t1", {linkOf("/b/1.vcf", "Szabó Ida", "ida@x.hu")}};
    map.links[0].birthday = "1971-07-15";
    const std::vector<LocalPartner> local = {partner("Szabó Ida Mária", "ida@x.hu")};
    const std::string renamed =
        card("uid-Szabó Ida", "Szabó Ida Mária", "EMAIL:ida@x.hu\r\nBDAY:1971-07-15\r\n");
    SyncPlan p =
        plan(map, local, {false, {{"/b/1.vcf", "\"r2\""}}, {}, "t2"}, {{"/b/1.vcf", "\"r2\"", renamed}});
    EXPECT_TRUE(p.uploads.empty());
    ASSERT_EQ(p.local.size(), 1u);
    EXPECT_EQ(p.local[0].kind, W::Kind::Update);
    EXPECT_EQ(p.local[0].name, cp("Szabó Ida Mária"));
    EXPECT_EQ(p.local[0].record.name, cp("Szabó Ida Mária"));
    EXPECT_EQ(p.local[0].birthday, W::Birthday::Set);
    EXPECT_EQ(p.local[0].birthdayDay, dayNumber(1971, 7, 15));
    ASSERT_EQ(p.map.links.size(), 1u);
    EXPECT_EQ(p.map.links[0].localName, "Szabó Ida Mária");
    EXPECT_EQ(p.map.links[0].birthday, "1971-07-15");
    EXPECT_EQ(p.map.links[0].etag, "\"r2\"");

    // Renamed here, by a rename that took the birthday away before the map heard of it: the card is
    // renamed and keeps its BDAY, and the birthday comes back under the new name.
    const std::string before = card("uid-Szabó Ida", "Szabó Ida", "EMAIL:ida@x.hu\r\nBDAY:1971-07-15\r\n");
    p = plan(map, local, {false, {}, {}, "t2"}, {{"/b/1.vcf", "\"/b/1.vcf-1\"", before}});
    ASSERT_EQ(p.uploads.size(), 1u);
    EXPECT_EQ(p.uploads[0].kind, Upload::Kind::Update);
    EXPECT_NE(p.uploads[0].bytes.find("\r\nFN:Szabó Ida Mária\r\n"), std::string::npos) << p.uploads[0].bytes;
    EXPECT_NE(p.uploads[0].bytes.find("\r\nBDAY:1971-07-15\r\n"), std::string::npos) << p.uploads[0].bytes;
    ASSERT_EQ(p.local.size(), 1u);
    EXPECT_EQ(p.local[0].birthday, W::Birthday::Set);
    EXPECT_EQ(p.local[0].birthdayDay, dayNumber(1971, 7, 15));
    EXPECT_EQ(p.report.server.created, 0u);
}
