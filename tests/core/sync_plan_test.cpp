#include "core/sync/address_book_plan.h"
#include "core/sync/card.h"
#include "core/text/cp1250.h"

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

SyncLink link(const std::string& href, const std::string& name, const std::string& email = {}) {
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
        "https://x/b/", "t1", {link("/b/1.vcf", "Anna", "a@x.hu"), link("/b/2.vcf", "Bea", "b@x.hu")}};
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
