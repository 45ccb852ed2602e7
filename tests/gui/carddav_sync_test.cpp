// Partners and a real address book kept in step: both directions, conflicts, renames, deletions,
// birthdays, and the failures a network brings.

#include "core/exchange/partner_import.h"
#include "core/sync/card.h"
#include "support/sync_fixture.h"

#include <QDir>
#include <QRegularExpression>

using namespace zel;
using namespace zel::test;
using Kind = gui::SyncFailure::Kind;

namespace {

QByteArray card(const QByteArray& uid, const QByteArray& fn, const QByteArray& more = {}) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + fn + "\r\nN:;;;;\r\n" + more +
           "END:VCARD\r\n";
}

PartnerRecord person(std::string_view name, std::string email = {}, std::string phone = {}) {
    PartnerRecord p;
    p.name = cp(name);
    p.email = std::move(email);
    p.phone = std::move(phone);
    return p;
}

// The lines of a card, unfolded, without their order (the server sorts them).
std::multiset<QByteArray> linesOf(QByteArray bytes) {
    bytes.replace("\r\n ", "");
    std::multiset<QByteArray> out;
    for (const QByteArray& l : bytes.split('\n'))
        if (!l.trimmed().isEmpty()) out.insert(l.trimmed());
    return out;
}

using CardDavSync = SyncFixture;

} // namespace

TEST_F(CardDavSync, PartnersGoUpCardsComeDownAndASyncWithNothingChangedIsOneRequest) {
    savePartner(person("Kiss Anna", "anna@example.hu"));
    savePartner(person("Nagy Béla", {}, "+36 1 234 5678"));
    state_->addEvent(EventKind::Birthday, {true, {}, cp("Kiss Anna"), double(dayNumber(1990, 4, 2)), 0});

    SyncRun first = sync();
    ASSERT_FALSE(first.failure) << int(first.failure.kind) << first.failure.network.detail.toStdString();
    EXPECT_EQ(first.report.server.created, 2u);
    ASSERT_EQ(cards().size(), 2u);
    const QByteArray anna = cardNamed("Kiss Anna");
    EXPECT_TRUE(anna.contains("\r\nEMAIL;TYPE=INTERNET:anna@example.hu\r\n")) << anna.data();
    EXPECT_TRUE(anna.contains("\r\nBDAY:1990-04-02\r\n")) << anna.data();
    EXPECT_TRUE(anna.contains("\r\nN:Kiss;Anna;;;\r\n")) << anna.data();

    // Another client adds a card and changes one.
    putCard(QStringLiteral("uj.vcf"),
            card("uj-1", "Szabó Ida", "TEL;TYPE=CELL:+36 30 999 8888\r\nBDAY:--0305\r\n"));
    QByteArray changed = anna;
    changed.replace("anna@example.hu", "kiss.anna@example.hu");
    putCard(fileNamed("Kiss Anna"), changed);

    SyncRun second = sync();
    ASSERT_FALSE(second.failure);
    EXPECT_EQ(second.report.local, (SyncReport::Counts{1, 1, 0}));
    EXPECT_EQ(second.report.server, (SyncReport::Counts{}));
    ASSERT_TRUE(partnerNamed("Szabó Ida"));
    EXPECT_EQ(partnerNamed("Szabó Ida")->mobile, "+36 30 999 8888");
    EXPECT_EQ(partnerNamed("Kiss Anna")->email, "kiss.anna@example.hu");
    // The birthday without a year is set to its next day; the server keeps its own form.
    const EventTable& birthdays = state_->table(EventKind::Birthday);
    ASSERT_EQ(birthdays.rows.size(), 2u);
    EXPECT_EQ(birthdays.text(birthdays.rows[1]), cp("Szabó Ida"));
    EXPECT_EQ(birthdays.rows[1].day, dayNumber(2027, 3, 5));

    const auto before = cards();
    // A second name for the map file: written again, even with the same bytes, the map would be a new
    // file under the first name only.
    const std::filesystem::path mapAlias = dir_.path() / "map-alias";
    std::filesystem::create_hard_link(paths_.syncMap(), mapAlias);
    SyncRun third = sync();
    ASSERT_FALSE(third.failure);
    EXPECT_TRUE(third.report.nothingChanged());
    EXPECT_EQ(third.requests, 1);
    EXPECT_EQ(cards(), before);
    // Nothing to write here either: the map file is the one the sync before wrote.
    EXPECT_TRUE(std::filesystem::equivalent(paths_.syncMap(), mapAlias));
}

TEST_F(CardDavSync, EveryPropertyAZelmoranFieldDoesNotHoldSurvivesAnUpdateByteForByte) {
    const QByteArray note = QByteArray(300, 'n');
    for (const QByteArray& version : {QByteArray("3.0"), QByteArray("4.0")}) {
        const QByteArray uid = "gazdag-" + version.left(1);
        putCard(QString::fromLatin1(uid) + QStringLiteral(".vcf"),
                "BEGIN:VCARD\r\nVERSION:" + version + "\r\nUID:" + uid + "\r\nFN:Gazdag Gábor " +
                    version.left(1) +
                    "\r\nN:Gazdag;Gábor;;;\r\nORG:Példa Kft.;Fejlesztés\r\nCATEGORIES:munka,barát\r\n"
                    "EMAIL;TYPE=work:gabor@pelda.hu\r\nEMAIL;TYPE=home:gabor@otthon.hu\r\n"
                    "TEL;TYPE=cell:+36 30 111 2222\r\nTEL;TYPE=work:+36 1 111 2222\r\n"
                    "PHOTO;ENCODING=b;TYPE=JPEG:/9j/4AAQSkZJRgABAQEASABIAAD/2wBDAAEBAQ==\r\n"
                    "NOTE:" +
                    note + "\r\nX-OTHER-APP;X-PARAM=1:megmarad\r\nEND:VCARD\r\n");
    }
    ASSERT_FALSE(sync().failure);
    const auto before = cards();
    ASSERT_EQ(before.size(), 2u);
    // The long note is cut here only.
    ASSERT_TRUE(partnerNamed("Gazdag Gábor 3"));
    EXPECT_EQ(partnerNamed("Gazdag Gábor 3")->note, std::string(255, 'n'));

    for (const char* name : {"Gazdag Gábor 3", "Gazdag Gábor 4"}) {
        const PartnerLookup found = state_->findPartner(cp(name));
        ASSERT_TRUE(found.record);
        PartnerRecord p = *found.record;
        p.mobile = "+36 70 333 4444";
        state_->savePartner(p, found.index);
    }
    SyncRun run = sync();
    ASSERT_FALSE(run.failure);
    EXPECT_EQ(run.report.server.changed, 2u);
    const auto after = cards();
    for (const auto& [name, bytes] : before) {
        auto was = linesOf(bytes), now = linesOf(after.at(name));
        EXPECT_EQ(was.erase("TEL;TYPE=cell:+36 30 111 2222") + was.erase("TEL;TYPE=CELL:+36 30 111 2222"), 1u)
            << bytes.data();
        EXPECT_EQ(now.erase("TEL;TYPE=cell:+36 70 333 4444") + now.erase("TEL;TYPE=CELL:+36 70 333 4444"), 1u)
            << after.at(name).data();
        EXPECT_EQ(was, now) << name.toStdString(); // the full note among them
    }
}

TEST_F(CardDavSync, RenamesGoBothWaysKeepingTheCardAndTheProgramsRenameTakesTheOldNamesDays) {
    savePartner(person("Kovács Éva", "eva@example.hu"));
    savePartner(person("Tóth Ödön"));
    state_->addEvent(EventKind::NameDay, {true, {}, cp("Tóth Ödön"), double(dayNumber(2027, 11, 20)), 0});
    ASSERT_FALSE(sync().failure);
    const QString eva = fileNamed("Kovács Éva"), odon = fileNamed("Tóth Ödön");
    ASSERT_FALSE(eva.isEmpty());

    // Renamed here: the same card, FN and N rewritten.
    const PartnerLookup found = state_->findPartner(cp("Kovács Éva"));
    PartnerRecord renamed = *found.record;
    renamed.name = cp("Kovácsné Szabó Éva");
    state_->savePartner(renamed, found.index);
    // Renamed there by another client, with a birthday.
    QByteArray other = cards()[odon];
    other.replace("FN:Tóth Ödön", "FN:Tóth Ödön Péter");
    other.replace("END:VCARD", "BDAY:1971-07-15\r\nEND:VCARD");
    putCard(odon, other);

    SyncRun run = sync();
    ASSERT_FALSE(run.failure);
    ASSERT_EQ(cards().size(), 2u);
    const QByteArray evaCard = cards()[eva];
    EXPECT_TRUE(evaCard.contains("\r\nFN:Kovácsné Szabó Éva\r\n")) << evaCard.data();
    EXPECT_TRUE(evaCard.contains("\r\nN:Kovácsné;Szabó Éva;;;\r\n")) << evaCard.data();
    EXPECT_TRUE(evaCard.contains("eva@example.hu"));
    EXPECT_FALSE(partnerNamed("Tóth Ödön"));
    EXPECT_TRUE(partnerNamed("Tóth Ödön Péter"));
    EXPECT_TRUE(state_->table(EventKind::NameDay).rows.empty());
    const EventTable& b = state_->table(EventKind::Birthday);
    ASSERT_EQ(b.rows.size(), 1u);
    EXPECT_EQ(b.text(b.rows[0]), cp("Tóth Ödön Péter"));
    EXPECT_EQ(b.rows[0].day, dayNumber(1971, 7, 15));
    EXPECT_TRUE(sync().report.nothingChanged());
}

TEST_F(CardDavSync, AFieldChangedOnBothSidesTakesTheServersValueAndTheReportKeepsBoth) {
    savePartner(person("Kiss Anna", "anna@example.hu", "111"));
    ASSERT_FALSE(sync().failure);
    const QString file = fileNamed("Kiss Anna");
    QByteArray there = cards()[file];
    there.replace("anna@example.hu", "anna@ott.hu");
    putCard(file, there);
    const PartnerLookup found = state_->findPartner(cp("Kiss Anna"));
    PartnerRecord here = *found.record;
    here.email = "anna@itt.hu";
    here.phone = "222";
    state_->savePartner(here, found.index);

    SyncRun run = sync();
    ASSERT_FALSE(run.failure);
    ASSERT_EQ(run.report.conflicts.size(), 1u);
    const SyncReport::Conflict& c = run.report.conflicts[0];
    EXPECT_EQ(c.partner, "Kiss Anna");
    EXPECT_EQ(c.field, PartnerField::Email);
    EXPECT_EQ(c.local, "anna@itt.hu");
    EXPECT_EQ(c.server, "anna@ott.hu");
    EXPECT_TRUE(c.serverTaken);
    EXPECT_EQ(partnerNamed("Kiss Anna")->email, "anna@ott.hu");
    EXPECT_EQ(partnerNamed("Kiss Anna")->phone, "222");
    EXPECT_TRUE(cards()[file].contains("anna@ott.hu"));
    EXPECT_TRUE(cards()[file].contains(":222\r\n"));
}

TEST_F(CardDavSync, CardsWithoutAUsableNameStayOnTheServerAndAreReported) {
    putCard(QStringLiteral("nevtelen.vcf"),
            "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:n1\r\nN:;;;;\r\nFN:\r\nEMAIL:x@example.hu\r\nEND:VCARD\r\n");
    putCard(QStringLiteral("kettospont.vcf"), card("n2", "Cég: Példa"));
    const auto before = cards();
    SyncRun run = sync();
    ASSERT_FALSE(run.failure);
    EXPECT_TRUE(partners().empty());
    ASSERT_EQ(run.report.skipped.size(), 2u);
    EXPECT_EQ(cards(), before);
}

TEST_F(CardDavSync, ManyDeletionsAskFirstAndARefusalWritesNothing) {
    for (int i = 0; i < 12; ++i)
        savePartner(person("Partner " + std::to_string(10 + i)));
    ASSERT_FALSE(sync().failure);
    ASSERT_EQ(cards().size(), 12u);
    // Another device empties the book but one card.
    const auto all = cards();
    for (auto it = std::next(all.begin()); it != all.end(); ++it)
        ASSERT_EQ(send("DELETE", QStringLiteral("/anna/partnerek/") + it->first).status, 200);
    const std::string partnerFile = readFile(paths_.partners()), mapFile = readFile(paths_.syncMap());

    std::size_t asked = 0;
    SyncRun refused = sync([&](std::size_t deletions, std::size_t total) {
        EXPECT_EQ(total, 12u);
        asked = deletions;
        return false;
    });
    EXPECT_EQ(refused.failure.kind, Kind::DeletionsRefused);
    EXPECT_EQ(asked, 11u);
    EXPECT_EQ(readFile(paths_.partners()), partnerFile);
    EXPECT_EQ(readFile(paths_.syncMap()), mapFile);

    SyncRun allowed = sync([](std::size_t, std::size_t) { return true; });
    ASSERT_FALSE(allowed.failure);
    EXPECT_EQ(allowed.report.local.deleted, 11u);
    EXPECT_EQ(partners().size(), 1u);
}

TEST_F(CardDavSync, ADeletionGoesToTheOtherSideUnlessThatSideChangedThePartner) {
    savePartner(person("Anna"));
    savePartner(person("Bea"));
    savePartner(person("Cili"));
    savePartner(person("Dóra"));
    savePartner(person("Emma"));
    ASSERT_FALSE(sync().failure);
    const QString bea = fileNamed("Bea"), cili = fileNamed("Cili");
    // Anna deleted here; Bea deleted there; Cili deleted here but changed there.
    state_->deletePartner(state_->findPartner("Anna").index);
    ASSERT_EQ(send("DELETE", QStringLiteral("/anna/partnerek/") + bea).status, 200);
    state_->deletePartner(state_->findPartner("Cili").index);
    QByteArray changed = cards()[cili];
    changed.replace("END:VCARD", "EMAIL:cili@example.hu\r\nEND:VCARD");
    putCard(cili, changed);

    SyncRun run = sync([](std::size_t, std::size_t) { return true; });
    ASSERT_FALSE(run.failure);
    EXPECT_FALSE(partnerNamed("Anna"));
    EXPECT_TRUE(fileNamed("Anna").isEmpty());
    EXPECT_FALSE(partnerNamed("Bea"));
    ASSERT_TRUE(partnerNamed("Cili"));
    EXPECT_EQ(partnerNamed("Cili")->email, "cili@example.hu");
    EXPECT_EQ(run.report.kept, std::vector<std::string>{"Cili"});
    EXPECT_EQ(cards().size(), 3u);
    EXPECT_TRUE(sync().report.nothingChanged());
}

TEST_F(CardDavSync, AForgottenTokenFallsBackToComparingETagsWithoutDoublingAnything) {
    savePartner(person("Anna", "anna@example.hu"));
    ASSERT_FALSE(sync().failure);
    SyncMap map = *state_->readSyncMap();
    map.syncToken =
        "http://radicale.org/ns/sync/0000000000000000000000000000000000000000000000000000000000000000";
    state_->writeSyncMap(map);
    putCard(QStringLiteral("b.vcf"), card("b", "Bea"));

    SyncRun run = sync();
    ASSERT_FALSE(run.failure);
    EXPECT_EQ(run.report.local.created, 1u);
    EXPECT_EQ(run.report.server, (SyncReport::Counts{}));
    EXPECT_EQ(partners().size(), 2u);
    EXPECT_EQ(cards().size(), 2u);
    EXPECT_NE(state_->readSyncMap()->syncToken, map.syncToken);
}

TEST_F(CardDavSync, ACardChangedBetweenTheListingAndTheUploadIsReadAndMergedAgain) {
    savePartner(person("Anna", "anna@example.hu"));
    ASSERT_FALSE(sync().failure);
    const QString file = fileNamed("Anna");
    const PartnerLookup found = state_->findPartner("Anna");
    PartnerRecord here = *found.record;
    here.phone = "222";
    state_->savePartner(here, found.index);

    bool raced = false;
    SyncRun run = sync({}, {QStringLiteral("anna"), QStringLiteral("titok")},
                       [&](gui::AddressBookSync&, int done, int) {
                           if (raced || done != 0) return;
                           // Uploads start: another client gets in first (412 for ours).
                           raced = true;
                           QByteArray other = cards()[file];
                           other.replace("END:VCARD", "TEL;TYPE=CELL:333\r\nEND:VCARD");
                           putCard(file, other);
                       });
    ASSERT_FALSE(run.failure);
    EXPECT_TRUE(raced);
    EXPECT_EQ(run.report.postponed, 0u);
    EXPECT_EQ(partnerNamed("Anna")->mobile, "333");
    const QByteArray now = cards()[file];
    EXPECT_TRUE(now.contains(":222\r\n")) << now.data();
    EXPECT_TRUE(now.contains(":333\r\n")) << now.data();
}

TEST_F(CardDavSync, AWrongPasswordOrAServerThatStopsLeavesTheFilesAndTheNextSyncConverges) {
    savePartner(person("Anna"));
    const std::string partnerFile = readFile(paths_.partners());
    SyncRun wrong = sync({}, {QStringLiteral("anna"), QStringLiteral("rossz")});
    EXPECT_EQ(wrong.failure.kind, Kind::Network);
    EXPECT_EQ(wrong.failure.network.kind, gui::DavError::Kind::Unauthorized);
    EXPECT_LE(wrong.requests, 2);
    EXPECT_FALSE(std::filesystem::exists(paths_.syncMap()));

    // A card comes down, two partners go up: the server stops as the uploads begin.
    putCard(QStringLiteral("c.vcf"), card("c", "Cili"));
    savePartner(person("Bea"));
    SyncRun stopped = sync({}, {QStringLiteral("anna"), QStringLiteral("titok")},
                           [&](gui::AddressBookSync&, int done, int total) {
                               if (done == 0 && total == 2 && server_.isRunning()) server_.stop();
                           });
    EXPECT_EQ(stopped.failure.kind, Kind::Network);
    EXPECT_EQ(stopped.failure.network.kind, gui::DavError::Kind::Offline);
    EXPECT_TRUE(partnerNamed("Cili")); // what came down stays
    ASSERT_TRUE(server_.restart());
    SyncRun again = sync();
    ASSERT_FALSE(again.failure);
    EXPECT_EQ(partners().size(), 3u);
    EXPECT_EQ(cards().size(), 3u);
    EXPECT_TRUE(sync().report.nothingChanged());
    (void)partnerFile;
}
