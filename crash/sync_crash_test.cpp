// A sync killed at any moment, followed by further syncs, leaves the partners and the address book
// equal: no partner or card lost or doubled, every change made on either side in place. Each kill
// starts from the same scenario, both sides changed since a first sync, in a folder and an address
// book of its own; what the syncs after it leave must be what one sync left without a kill.

#include "core/app/paths.h"
#include "core/exchange/partner_import.h"
#include "core/storage/record_file.h"
#include "core/sync/card.h"
#include "core/sync/sync_map.h"
#include "driver_run.h"
#include "gui/state/app_state.h"
#include "support/radicale_server.h"
#include "support/settable_clock.h"
#include "support/test_util.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkAccessManager>
#include <QProcess>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>
#include <map>
#include <random>
#include <set>
#include <sstream>
#include <thread>

namespace zel::test {
namespace {
namespace fs = std::filesystem;

// What a folder and an address book hold once the syncs are over, in a form two outcomes compare by.
struct Outcome {
    std::vector<std::string> partnerNames;            // UTF-8, in the file's order
    std::map<std::string, PartnerFields> partners;    // by name
    std::multimap<std::string, Ymd> birthdays;        // the birthday records, by text
    std::multimap<std::string, DayNumber> nameDays;   // the name-day records, by text
    std::vector<std::string> cardNames, uids;         // FN and UID of every card
    std::map<std::string, PartnerFields> cards;       // by FN
    std::map<std::string, std::string> cardBirthdays; // BDAY by FN, where there is one
    std::vector<std::string> unreadable;              // cards that are no vCard
};

std::string describe(const PartnerFields& p) {
    std::string out = p.name;
    for (PartnerField f : kPartnerFields)
        if (f != PartnerField::Name && !fieldOf(p, f).empty()) out += " | " + fieldOf(p, f);
    return out;
}

std::string describe(const Outcome& o) {
    std::ostringstream out;
    out << "partners:\n";
    for (const std::string& name : o.partnerNames)
        out << "  " << describe(o.partners.at(name)) << "\n";
    out << "birthdays:";
    for (const auto& [name, d] : o.birthdays)
        out << " " << name << " " << d.year << "-" << d.month << "-" << d.day << ";";
    out << "\nname days:";
    for (const auto& [name, d] : o.nameDays)
        out << " " << name << ";";
    out << "\ncards:\n";
    for (std::size_t i = 0; i < o.cardNames.size(); ++i) {
        const auto c = o.cards.find(o.cardNames[i]);
        out << "  " << o.uids[i] << ": " << (c == o.cards.end() ? o.cardNames[i] : describe(c->second));
        if (const auto b = o.cardBirthdays.find(o.cardNames[i]); b != o.cardBirthdays.end())
            out << " | BDAY " << b->second;
        out << "\n";
    }
    return out.str();
}

std::vector<EventRecord> eventsOf(const fs::path& file, EventKind kind) {
    const std::string bytes = readRecordsIfExists(file, recordSize(kind));
    std::vector<EventRecord> out;
    for (std::size_t at = 0; at + recordSize(kind) <= bytes.size(); at += recordSize(kind))
        out.push_back(decodeEvent(kind, reinterpret_cast<const std::uint8_t*>(bytes.data() + at)));
    return out;
}

QByteArray card(const QByteArray& uid, const QByteArray& fn, const QByteArray& more = {}) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + fn + "\r\nN:;;;;\r\n" + more +
           "END:VCARD\r\n";
}

PartnerRecord person(std::string_view name, std::string email = {}, std::string phone = {},
                     std::string mobile = {}) {
    PartnerRecord p;
    p.name = cp(name);
    p.email = std::move(email);
    p.phone = std::move(phone);
    p.mobile = std::move(mobile);
    return p;
}

EventRecord dayRecord(std::string_view name, int year, int month, int day) {
    return {true, {}, cp(name), static_cast<double>(dayNumber(year, month, day)), 0};
}

// The names a sync may leave name days or birthdays of, when a kill fell between the partner file
// and the day files of a rename or a deletion: nothing reads them, and they stay until the user
// deletes them, as after the program's own rename or deletion killed midway.
const std::set<std::string> kFormerNames = {"Szabó Ida", "Fehér Zoltán"};

class SyncCrash : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.start());
        ASSERT_NO_FATAL_FAILURE(buildScenario());
        ASSERT_NO_FATAL_FAILURE(runReference());
    }

    fs::path collectionsOf() const {
        return fs::path(server_.storagePath().toStdString()) / "collection-root" / "anna";
    }
    QUrl bookUrl(const std::string& name) const {
        return server_.baseUrl().resolved(QUrl(QString::fromStdString("/anna/" + name + "/")));
    }

    // Another client's request to the scenario's book.
    HttpReply send(const QByteArray& verb, const QString& path,
                   QList<QPair<QByteArray, QByteArray>> headers = {}, const QByteArray& body = {}) {
        headers.append({"Authorization", basicAuthorization(server_.user(), server_.password())});
        return sendHttp(network_, verb, server_.baseUrl().resolved(QUrl(path)), headers, body);
    }
    void putCard(const QString& name, const QByteArray& bytes) {
        const HttpReply r = send("PUT", QStringLiteral("/anna/kezdet/") + name,
                                 {{"Content-Type", "text/vcard; charset=utf-8"}}, bytes);
        ASSERT_TRUE(r.status == 201 || r.status == 204) << r.status << r.body.data();
    }
    // The file name and bytes of the scenario book's card of this FN.
    std::pair<QString, QByteArray> cardNamed(const QByteArray& fn) const {
        QDir dir(QString::fromStdString((collectionsOf() / "kezdet").string()));
        for (const QString& name : dir.entryList({QStringLiteral("*.vcf")}, QDir::Files)) {
            QFile f(dir.filePath(name));
            if (!f.open(QIODevice::ReadOnly)) continue;
            const QByteArray bytes = f.readAll();
            if (bytes.contains(QByteArray("\r\nFN:" + fn + "\r\n"))) return {name, bytes};
        }
        return {};
    }
    void changeCard(const QByteArray& fn, const QByteArray& from, const QByteArray& to) {
        auto [name, bytes] = cardNamed(fn);
        ASSERT_FALSE(name.isEmpty()) << fn.data();
        ASSERT_TRUE(bytes.contains(from)) << bytes.data();
        bytes.replace(from, to);
        putCard(name, bytes);
    }

    // Ten partners synchronised once; then, on this side, two new partners, two changed (one of them
    // in a field the server changed too), one renamed and one deleted; on the server two new cards
    // (one with a birthday), two changed, a birthday added to one, one renamed and one deleted.
    void buildScenario() {
        ASSERT_EQ(send("MKCOL", QStringLiteral("/anna/kezdet/"),
                       {{"Content-Type", "application/xml; charset=utf-8"}}, addressBookMkcol())
                      .status,
                  201);
        const AppPaths paths{scenario_};
        fs::create_directories(paths.dataDir());
        writeFile(paths.partners(), {});
        {
            gui::AppState state(paths, clock_);
            state.reloadPartners();
            for (EventKind k : kAllEventKinds)
                state.reloadEvents(k);
            for (const PartnerRecord& p :
                 {person("Kiss Anna", "anna@example.hu"), person("Nagy Béla", {}, "111"),
                  person("Tóth Ödön", "odon@example.hu", "333"), person("Kovács Éva", "eva@example.hu"),
                  person("Szabó Ida", "ida@example.hu"), person("Fekete Gábor", "gabor@example.hu"),
                  person("Fehér Zoltán", {}, "555"), person("Varga Piroska", "piroska@example.hu"),
                  person("Molnár Jenő", {}, {}, "+36 30 222 3333"), person("Balogh Rita", "rita@example.hu")})
                state.savePartner(p, std::nullopt);
            state.addEvent(EventKind::Birthday, dayRecord("Szabó Ida", 1971, 7, 15));
            state.addEvent(EventKind::Birthday, dayRecord("Varga Piroska", 1968, 4, 11));
            state.addEvent(EventKind::NameDay, dayRecord("Szabó Ida", 2027, 11, 19));
            state.addEvent(EventKind::NameDay, dayRecord("Fehér Zoltán", 2027, 3, 18));
            state.addEvent(EventKind::NameDay, dayRecord("Varga Piroska", 2027, 6, 22));
            state.addEvent(EventKind::NameDay, dayRecord("Kovács Éva", 2027, 12, 24));
        }
        const DriverRun first = runDriver(scenario_, bookUrl("kezdet"), {});
        ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
        ASSERT_EQ(first.uploads, 10) << first.out;

        gui::AppState state(paths, clock_);
        state.reloadPartners();
        for (EventKind k : kAllEventKinds)
            state.reloadEvents(k);
        const auto change = [&](std::string_view name, const std::function<void(PartnerRecord&)>& how) {
            const PartnerLookup found = state.findPartner(cp(name));
            ASSERT_TRUE(found.record) << name;
            PartnerRecord p = *found.record;
            how(p);
            state.savePartner(p, found.index);
            // As the partner editor does after a rename.
            if (p.name != cp(name)) state.removePartnerEvents(cp(name));
        };
        change("Kiss Anna", [](PartnerRecord& p) { p.email = "kiss.anna@example.hu"; });
        change("Tóth Ödön", [](PartnerRecord& p) {
            p.email = "odon@itt.hu";
            p.phone = "334";
        });
        change("Kovács Éva", [](PartnerRecord& p) { p.name = cp("Kovácsné Szabó Éva"); });
        state.deletePartner(state.findPartner(cp("Fekete Gábor")).index);
        state.removePartnerEvents(cp("Fekete Gábor"));
        state.savePartner(person("Lakatos Dénes", "denes@example.hu"), std::nullopt);
        state.savePartner(person("Horváth Kata", {}, {}, "+36 70 123 4567"), std::nullopt);
        state.addEvent(EventKind::Birthday, dayRecord("Horváth Kata", 1992, 1, 30));

        ASSERT_NO_FATAL_FAILURE(changeCard("Nagy Béla", ":111\r\n", ":222\r\n"));
        ASSERT_NO_FATAL_FAILURE(changeCard("Tóth Ödön", "odon@example.hu", "odon@ott.hu"));
        ASSERT_NO_FATAL_FAILURE(
            changeCard("Szabó Ida", "\r\nFN:Szabó Ida\r\n", "\r\nFN:Szabó Ida Mária\r\n"));
        ASSERT_NO_FATAL_FAILURE(changeCard("Balogh Rita", "END:VCARD", "BDAY:1979-05-21\r\nEND:VCARD"));
        const auto [feher, feherBytes] = cardNamed("Fehér Zoltán");
        ASSERT_EQ(send("DELETE", QStringLiteral("/anna/kezdet/") + feher).status, 200);
        ASSERT_NO_FATAL_FAILURE(
            putCard(QStringLiteral("papp-lili.vcf"),
                    card("papp-lili", "Papp Lili", "TEL;TYPE=CELL:+36 20 555 1234\r\nBDAY:1985-10-03\r\n")));
        ASSERT_NO_FATAL_FAILURE(putCard(QStringLiteral("sipos-mark.vcf"), card("sipos-mark", "Sipos Márk")));
    }

    // A copy of the scenario: the folder, and the book under a path of its own (the server's storage
    // copied whole, its sync tokens and history with it, so the map's token still holds).
    QUrl prepareCase(const std::string& name) {
        const fs::path app = work_.path() / name;
        fs::copy(scenario_, app, fs::copy_options::recursive);
        fs::copy(collectionsOf() / "kezdet", collectionsOf() / name, fs::copy_options::recursive);
        const AppPaths paths{app};
        SyncMap map = *readSyncMap(paths.syncMap());
        map.collectionUrl = bookUrl(name).toString().toStdString();
        // The server names its cards by path.
        const std::string from = "/anna/kezdet/", to = "/anna/" + name + "/";
        for (SyncLink& link : map.links) {
            EXPECT_TRUE(link.href.starts_with(from)) << link.href;
            link.href = to + link.href.substr(from.size());
        }
        writeSyncMap(paths.syncMap(), map);
        return bookUrl(name);
    }

    DriverRun runDriver(const fs::path& app, const QUrl& book, const QStringList& kill,
                        std::optional<std::chrono::microseconds> killAfter = std::nullopt) {
        return test::runDriver(QStringLiteral(ZEL_SYNC_CRASH_DRIVER),
                               QStringList{QString::fromStdString(app.string()), book.toString(),
                                           server_.user(), server_.password()} +
                                   kill,
                               killAfter);
    }

    Outcome outcomeOf(const fs::path& app, const std::string& book) const {
        Outcome o;
        const AppPaths paths{app};
        for (const PartnerRecord& r : readAllPartners(paths.partners())) {
            const PartnerFields f = fieldsOfRecord(r);
            o.partnerNames.push_back(f.name);
            o.partners[f.name] = f;
        }
        for (const EventRecord& r : eventsOf(paths.events(EventKind::Birthday), EventKind::Birthday))
            o.birthdays.emplace(cp1250ToUtf8(r.text), ymdOf(static_cast<DayNumber>(r.date)));
        for (const EventRecord& r : eventsOf(paths.events(EventKind::NameDay), EventKind::NameDay))
            o.nameDays.emplace(cp1250ToUtf8(r.text), static_cast<DayNumber>(r.date));
        for (const auto& entry : fs::directory_iterator(collectionsOf() / book)) {
            if (entry.path().extension() != ".vcf") continue;
            const auto parsed = VCard::parse(readFile(entry.path()));
            if (!parsed) {
                o.unreadable.push_back(entry.path().filename().string());
                continue;
            }
            const PartnerFields f = fieldsOf(*parsed);
            o.cardNames.push_back(f.name);
            o.uids.push_back(parsed->uid());
            o.cards[f.name] = f;
            if (!parsed->birthday().empty()) o.cardBirthdays[f.name] = parsed->birthday();
        }
        return o;
    }

    // One sync without a kill, and what it left, held to what the scenario asks for.
    void runReference() {
        const QUrl book = prepareCase("minta");
        const DriverRun run = runDriver(work_.path() / "minta", book, {});
        syncTime_ = run.time;
        ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
        steps_ = run.steps;
        uploads_ = run.uploads;
        reference_ = outcomeOf(work_.path() / "minta", "minta");
        const Outcome& o = reference_;
        SCOPED_TRACE(describe(o));
        ASSERT_NO_FATAL_FAILURE(checkConsistent(o));
        const std::set<std::string> names(o.partnerNames.begin(), o.partnerNames.end());
        EXPECT_EQ(names,
                  (std::set<std::string>{"Balogh Rita", "Horváth Kata", "Kiss Anna", "Kovácsné Szabó Éva",
                                         "Lakatos Dénes", "Molnár Jenő", "Nagy Béla", "Papp Lili",
                                         "Sipos Márk", "Szabó Ida Mária", "Tóth Ödön", "Varga Piroska"}));
        EXPECT_EQ(o.partners.at("Kiss Anna").email, "kiss.anna@example.hu");
        EXPECT_EQ(o.partners.at("Nagy Béla").phone, "222");
        // Both changed the e-mail: the server's stays; the phone changed here only.
        EXPECT_EQ(o.partners.at("Tóth Ödön").email, "odon@ott.hu");
        EXPECT_EQ(o.partners.at("Tóth Ödön").phone, "334");
        EXPECT_EQ(o.partners.at("Kovácsné Szabó Éva").email, "eva@example.hu");
        EXPECT_EQ(o.partners.at("Szabó Ida Mária").email, "ida@example.hu");
        EXPECT_EQ(o.partners.at("Papp Lili").mobile, "+36 20 555 1234");
        EXPECT_EQ(o.partners.at("Lakatos Dénes").email, "denes@example.hu");
        EXPECT_EQ(o.cards.at("Horváth Kata").mobile, "+36 70 123 4567");
        EXPECT_EQ(o.cardBirthdays.at("Horváth Kata"), "1992-01-30");
        EXPECT_EQ(o.cardBirthdays.at("Szabó Ida Mária"), "1971-07-15");
        EXPECT_EQ(o.cardBirthdays.at("Balogh Rita"), "1979-05-21");
        EXPECT_EQ(o.cardBirthdays.at("Papp Lili"), "1985-10-03");
        EXPECT_EQ(o.cardBirthdays.size(), 5u);
        // The birthday follows the name; the renamed and the deleted lose their name days.
        EXPECT_EQ(o.birthdays, (std::multimap<std::string, Ymd>{{"Balogh Rita", {1979, 5, 21}},
                                                                {"Horváth Kata", {1992, 1, 30}},
                                                                {"Papp Lili", {1985, 10, 3}},
                                                                {"Szabó Ida Mária", {1971, 7, 15}},
                                                                {"Varga Piroska", {1968, 4, 11}}}));
        EXPECT_EQ(o.nameDays.size(), 1u);
        EXPECT_EQ(o.nameDays.count("Varga Piroska"), 1u);
        // Uploads: two new cards, three changed (one renamed), one deleted.
        EXPECT_EQ(uploads_, 6);
        // The partner file, the name days, the birthdays and the map, then the map after the uploads.
        EXPECT_EQ(steps_, 20);
        const DriverRun again = runDriver(work_.path() / "minta", book, {});
        EXPECT_EQ(again.exitCode, 0) << again.out << again.err;
        EXPECT_TRUE(again.nothingChanged) << again.out;
    }

    // What holds after any sync that ended: one side mirrors the other, nothing twice.
    static void checkConsistent(const Outcome& o) {
        EXPECT_TRUE(o.unreadable.empty());
        const std::set<std::string> partners(o.partnerNames.begin(), o.partnerNames.end());
        const std::set<std::string> cards(o.cardNames.begin(), o.cardNames.end());
        const std::set<std::string> uids(o.uids.begin(), o.uids.end());
        EXPECT_EQ(partners.size(), o.partnerNames.size()) << "a partner twice";
        EXPECT_EQ(cards.size(), o.cardNames.size()) << "a card's name twice";
        EXPECT_EQ(uids.size(), o.uids.size()) << "a UID twice";
        EXPECT_EQ(partners, cards);
        // Every value short enough to be held whole here, both sides hold each field alike.
        EXPECT_EQ(o.partners, o.cards);
    }

    // After the kill, syncs until one finds nothing to do (the second must), and what they left is
    // what the sync without a kill left. The next sync starts once the server has dealt with every
    // request the killed one sent, as when the program starts again: an upload the server applies
    // after the next sync listed the book is not what this checks.
    void finishAndCheck(const std::string& name, const QUrl& book, const DriverRun& killed) {
        SCOPED_TRACE(name + "; the killed run said:\n" + killed.out + killed.err);
        ASSERT_TRUE(awaitServerIdle(server_.port())) << "the server never finished the killed run's requests";
        const fs::path app = work_.path() / name;
        const DriverRun first = runDriver(app, book, {});
        ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
        const DriverRun second = runDriver(app, book, {});
        ASSERT_EQ(second.exitCode, 0) << second.out << second.err;
        EXPECT_TRUE(second.nothingChanged) << "the first sync after the kill said:\n"
                                           << first.out << "the second:\n"
                                           << second.out;
        const Outcome o = outcomeOf(app, name);
        SCOPED_TRACE("after the kill:\n" + describe(o) + "\nwithout a kill:\n" + describe(reference_));
        checkConsistent(o);
        EXPECT_EQ(o.partnerNames, reference_.partnerNames);
        EXPECT_EQ(o.partners, reference_.partners);
        EXPECT_EQ(o.cards, reference_.cards);
        EXPECT_EQ(o.cardBirthdays, reference_.cardBirthdays);
        // Day records of every partner as without a kill; those of a former name a kill may leave.
        std::multimap<std::string, Ymd> birthdays;
        for (const auto& [text, day] : o.birthdays)
            if (!kFormerNames.contains(text)) birthdays.emplace(text, day);
        EXPECT_EQ(birthdays, reference_.birthdays);
        std::multimap<std::string, DayNumber> nameDays;
        for (const auto& [text, day] : o.nameDays)
            if (!kFormerNames.contains(text)) nameDays.emplace(text, day);
        EXPECT_EQ(nameDays, reference_.nameDays);
        for (const auto& entry : fs::directory_iterator(AppPaths{app}.dataDir()))
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
    }

    RadicaleServer server_;
    TempDir work_;
    fs::path scenario_ = work_.path() / "kezdet";
    SettableClock clock_{Moment::at(2026, 12, 8, 10, 0, 0)};
    QNetworkAccessManager network_;
    Outcome reference_;
    int steps_ = 0, uploads_ = 0;
    std::chrono::microseconds syncTime_{};
};

TEST_F(SyncCrash, KilledBetweenAnyTwoStepsOfItsFileWritesTheNextSyncsConverge) {
    for (int step = 1; step <= steps_; ++step) {
        const std::string name = "lepes-" + std::to_string(step);
        const QUrl book = prepareCase(name);
        const DriverRun killed = runDriver(work_.path() / name, book, {QString::number(step)});
        ASSERT_TRUE(killed.killed) << "step " << step << " never came:\n" << killed.out << killed.err;
        ASSERT_NO_FATAL_FAILURE(finishAndCheck(name, book, killed));
    }
}

TEST_F(SyncCrash, KilledAfterAnyUploadsAnswerTheNextSyncsConverge) {
    for (int answers = 1; answers <= uploads_; ++answers) {
        const std::string name = "feltoltes-" + std::to_string(answers);
        const QUrl book = prepareCase(name);
        const DriverRun killed = runDriver(
            work_.path() / name, book, {QStringLiteral("--kill-after-uploads"), QString::number(answers)});
        ASSERT_TRUE(killed.killed) << "answer " << answers << " never came:\n" << killed.out << killed.err;
        ASSERT_NO_FATAL_FAILURE(finishAndCheck(name, book, killed));
    }
}

TEST_F(SyncCrash, KilledAtRandomMomentsTheNextSyncsConverge) {
    // Where a kill falls depends on the machine; what the syncs after it leave must not.
    std::mt19937_64 rng(2026);
    std::uniform_int_distribution<long long> delay(0, syncTime_.count());
    for (int i = 1; i <= 8; ++i) {
        const std::string name = "veletlen-" + std::to_string(i);
        const QUrl book = prepareCase(name);
        const DriverRun killed =
            runDriver(work_.path() / name, book, {}, std::chrono::microseconds(delay(rng)));
        ASSERT_NO_FATAL_FAILURE(finishAndCheck(name, book, killed));
    }
}

} // namespace
} // namespace zel::test

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
