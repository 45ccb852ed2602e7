// The dates published to a Radicale calendar: what goes up, what a sync with nothing changed costs,
// and how changes here, changes there and a publish cut off end.

#include "core/calendar/calendar_plan.h"
#include "gui/sync/calendar_sync.h"
#include "support/ics_reader.h"
#include "support/sync_fixture.h"

#include <QDir>
#include <set>

using namespace zel;
using namespace zel::test;

namespace {

class CalendarPublish : public SyncFixture {
  protected:
    void SetUp() override {
        SyncFixture::SetUp();
        ASSERT_EQ(send("MKCALENDAR", "/anna/naptar/").status, 201);
    }

    QUrl calendar() const { return server_.baseUrl().resolved(QUrl(QStringLiteral("/anna/naptar/"))); }

    struct Publish {
        SyncReport::Calendar report;
        gui::SyncFailure failure;
        int requests = 0;
    };
    // One publish; `stopAfter` answers, the client is cut off as a killed program's would be.
    Publish publish(int stopAfter = -1) {
        gui::DavClient client({QStringLiteral("anna"), QStringLiteral("titok")});
        gui::CalendarSync run(*state_, client);
        Publish result;
        bool finished = false, cut = false;
        QObject::connect(&run, &gui::CalendarSync::finished,
                         [&](const SyncReport::Calendar& report, const gui::SyncFailure& failure) {
                             result.report = report;
                             result.failure = failure;
                             finished = true;
                         });
        QObject::connect(&run, &gui::CalendarSync::progress, [&](int done, int) {
            if (done == stopAfter && !cut) {
                cut = true;
                client.cancel();
            }
        });
        run.start(calendar());
        EXPECT_TRUE(QTest::qWaitFor([&] { return finished || cut; }, 60000)) << "the publish never ended";
        result.requests = client.requestsSent();
        return result;
    }

    // The calendar's objects as the server's storage holds them, by file name.
    std::map<QString, std::filesystem::path> objects() const {
        std::map<QString, std::filesystem::path> out;
        QDir dir(server_.storagePath() + QStringLiteral("/collection-root/anna/naptar"));
        for (const QString& name : dir.entryList({QStringLiteral("*.ics")}, QDir::Files))
            out[name] = dir.filePath(name).toStdString();
        return out;
    }
    // Every event in the calendar as the independent reader takes it, sorted.
    std::multiset<std::string> eventsRead() const {
        std::multiset<std::string> out;
        for (const auto& [name, file] : objects())
            for (const std::string& line : icsLinesOf(file))
                if (!line.starts_with("CALENDAR | ") && !line.starts_with("VTIMEZONE | ")) out.insert(line);
        return out;
    }
    // The events' summaries and starts, without identifiers and alarms, sorted.
    std::multiset<std::string> summaries() const {
        std::multiset<std::string> out;
        for (const std::string& line : eventsRead()) {
            const std::size_t from = line.find(" | ") + 3;
            std::size_t to = line.find(" | ", from);
            to = line.find(" | ", to + 3);
            out.insert(line.substr(from, to - from));
        }
        return out;
    }
    std::string mapBytes() const { return readFile(paths_.calendarMap()); }

    void addReminder(DayNumber day, int h, int m, std::string_view text, Recurrence r = Recurrence::Never,
                     bool active = true) {
        state_->addEvent(EventKind::Reminder, event(day, h, m, text, active, r));
    }
    void addCelebration(EventKind kind, DayNumber day, std::string_view name) {
        state_->addEvent(kind, {true, {}, cp(name), double(day), 0});
    }
};

} // namespace

TEST_F(CalendarPublish, TheFirstPublishPutsEveryActiveDateAndANothingChangedSyncIsOneRequest) {
    if (!icsReaderAvailable()) GTEST_SKIP() << "python3-icalendar is missing";
    addReminder(dayNumber(2026, 12, 9), 8, 30, "Fogorvos – Ágnes");
    addReminder(dayNumber(2026, 12, 14), 18, 0, "Heti edzés", Recurrence::Weekly);
    addReminder(dayNumber(2026, 12, 31), 7, 0, "Havi zárás", Recurrence::Monthly);
    addReminder(dayNumber(2026, 12, 10), 9, 0, "Kikapcsolt", Recurrence::Never, false);
    state_->addEvent(EventKind::Program, event(dayNumber(2026, 12, 9), 7, 0, "/usr/bin/true"));
    addCelebration(EventKind::NameDay, dayNumber(2026, 1, 21), "Kovács Ágnes");
    addCelebration(EventKind::Birthday, dayNumber(2027, 2, 28), "Tóth Éva");

    const Publish first = publish();
    ASSERT_FALSE(first.failure) << first.failure.network.detail.toStdString();
    EXPECT_EQ(first.report.events, (SyncReport::Counts{5, 0, 0}));
    EXPECT_EQ(first.report.restored + first.report.foreign + first.report.postponed, 0u);
    ASSERT_EQ(objects().size(), 5u);
    for (const auto& [name, file] : objects())
        EXPECT_TRUE(isProgramEvent(name.toStdString())) << name.toStdString();

    // Read back from the server's storage by a reader that shares no code with the writer: every date,
    // its zone, rule and alarm (the server writes a zero trigger as P0D).
    std::multiset<std::string> read;
    for (std::string line : eventsRead())
        read.insert(line.erase(0, line.find(" | ") + 3));
    const std::string zone = " TZID=/freeassociation.sourceforge.net/Europe/Budapest";
    EXPECT_EQ(read, (std::multiset<std::string>{
                        "\"Fogorvos – Ágnes\" | 2026-12-09T08:30:00+01:00" + zone +
                            " | - | no end | DISPLAY TRIGGER;RELATED=START:P0D \"Fogorvos – Ágnes\"",
                        "\"Heti edzés\" | 2026-12-14T18:00:00+01:00" + zone +
                            " | FREQ=WEEKLY | no end | DISPLAY TRIGGER;RELATED=START:P0D \"Heti edzés\"",
                        "\"Havi zárás\" | 2026-12-31T07:00:00+01:00" + zone +
                            " | FREQ=MONTHLY;BYMONTHDAY=28,29,30,31;BYSETPOS=-1 | no end | DISPLAY "
                            "TRIGGER;RELATED=START:P0D \"Havi zárás\"",
                        "\"Névnap: Kovács Ágnes\" | 2026-01-21 | FREQ=YEARLY | no end | DISPLAY "
                        "TRIGGER;RELATED=START:PT9H \"Névnap: Kovács Ágnes\"",
                        "\"Születésnap: Tóth Éva\" | 2027-02-28 | FREQ=YEARLY | no end | DISPLAY "
                        "TRIGGER;RELATED=START:PT9H \"Születésnap: Tóth Éva\"",
                    }));

    // Nothing changed: one listing, no upload. The first such run keeps the token of a calendar that
    // holds the uploads; after it the map is not written again.
    const Publish settle = publish();
    EXPECT_EQ(settle.requests, 1);
    EXPECT_EQ(settle.report, SyncReport::Calendar{});
    const std::string map = mapBytes();
    const auto stamp = std::filesystem::last_write_time(paths_.calendarMap());
    for (int i = 0; i < 2; ++i) {
        const Publish again = publish();
        ASSERT_FALSE(again.failure);
        EXPECT_EQ(again.requests, 1);
        EXPECT_EQ(again.report, SyncReport::Calendar{});
    }
    EXPECT_EQ(mapBytes(), map);
    EXPECT_EQ(std::filesystem::last_write_time(paths_.calendarMap()), stamp);
}

TEST_F(CalendarPublish, ChangesHereUpdateTheSameEventsAndARecurringReminderThatMovesNeverDoubles) {
    addReminder(dayNumber(2026, 12, 8), 9, 15, "Gyógyszer", Recurrence::Weekly);
    addReminder(dayNumber(2026, 12, 20), 10, 0, "Egyszeri");
    addReminder(dayNumber(2026, 12, 21), 11, 0, "Törlendő");
    addCelebration(EventKind::NameDay, dayNumber(2026, 3, 19), "Szabó József");
    ASSERT_FALSE(publish().failure);
    const auto before = objects();
    ASSERT_EQ(before.size(), 4u);

    // The weekly reminder fired and moved a week on; the alarm time of the days changed; one reminder
    // was deleted and one switched off.
    const auto reminder = [&](std::size_t i) { return state_->table(EventKind::Reminder).row(i); };
    ASSERT_EQ(state_->moveEvents(EventKind::Reminder, {{reminder(0), dayNumber(2026, 12, 15)}}), 1u);
    ASSERT_TRUE(state_->removeEvent(EventKind::Reminder, reminder(2)));
    ASSERT_TRUE(state_->modifyEvent(EventKind::Reminder, reminder(1),
                                    event(dayNumber(2026, 12, 20), 10, 0, "Egyszeri", false)));
    Settings s = state_->settings();
    s.celebrationAlarmMinute = 7 * 60 + 30;
    state_->setSettings(s);

    const Publish run = publish();
    ASSERT_FALSE(run.failure);
    EXPECT_EQ(run.report.events, (SyncReport::Counts{0, 2, 2}));
    const auto after = objects();
    ASSERT_EQ(after.size(), 2u);
    // The same objects, rewritten: the reminder's and the name day's.
    for (const auto& [name, file] : after)
        EXPECT_TRUE(before.contains(name)) << name.toStdString();
    EXPECT_EQ(summaries(), (std::multiset<std::string>{
                               "\"Gyógyszer\" | 2026-12-15T09:15:00+01:00 "
                               "TZID=/freeassociation.sourceforge.net/Europe/Budapest",
                               "\"Névnap: Szabó József\" | 2026-03-19",
                           }));
    bool alarm = false;
    for (const std::string& line : eventsRead())
        alarm |= line.ends_with("DISPLAY TRIGGER;RELATED=START:PT7H30M \"Névnap: Szabó József\"");
    EXPECT_TRUE(alarm);
    EXPECT_EQ(publish().report, SyncReport::Calendar{});
}

TEST_F(CalendarPublish, APartnerRenamedOnTheServerHasItsDaysInTheCalendarFollowTheRecords) {
    savePartner([] {
        PartnerRecord p;
        p.name = cp("Tóth Ödön");
        return p;
    }());
    addCelebration(EventKind::NameDay, dayNumber(2026, 11, 20), "Tóth Ödön");
    addCelebration(EventKind::Birthday, dayNumber(2026, 7, 15), "Tóth Ödön");
    ASSERT_FALSE(sync().failure);
    ASSERT_FALSE(publish().failure);

    const QString file = fileNamed("Tóth Ödön");
    QByteArray card = cards()[file];
    card.replace("FN:Tóth Ödön", "FN:Tóth Ödön Péter");
    putCard(file, card);
    ASSERT_FALSE(sync().failure);
    const Publish run = publish();
    ASSERT_FALSE(run.failure);
    // The program's rename takes the old name's name days away and renames the birthday; the calendar
    // follows the records.
    EXPECT_EQ(run.report.events, (SyncReport::Counts{1, 0, 2}));
    EXPECT_EQ(summaries(), (std::multiset<std::string>{"\"Születésnap: Tóth Ödön Péter\" | 2026-07-15"}));
}

TEST_F(CalendarPublish, EventsChangedOrDeletedElsewhereArePutBackAndOthersEventsAreLeftAlone) {
    addCelebration(EventKind::NameDay, dayNumber(2026, 1, 21), "Kovács Ágnes");
    addCelebration(EventKind::Birthday, dayNumber(2026, 5, 2), "Kovács Ágnes");
    ASSERT_FALSE(publish().failure);
    const auto objs = objects();
    ASSERT_EQ(objs.size(), 2u);
    const QString first = objs.begin()->first, second = std::next(objs.begin())->first;
    QByteArray changed = QByteArray::fromStdString(readFile(objs.begin()->second));
    changed.replace("SUMMARY:", "SUMMARY:Átírva ");
    const int replaced =
        send("PUT", QStringLiteral("/anna/naptar/") + first, {{"Content-Type", "text/calendar"}}, changed)
            .status;
    ASSERT_TRUE(replaced == 201 || replaced == 204) << replaced;
    ASSERT_EQ(send("DELETE", QStringLiteral("/anna/naptar/") + second).status, 200);
    const QByteArray mine = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Más//HU\r\nBEGIN:VEVENT\r\n"
                            "UID:sajat-1\r\nDTSTAMP:20261201T100000Z\r\nDTSTART;VALUE=DATE:20261224\r\n"
                            "SUMMARY:Karácsony\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
    ASSERT_EQ(send("PUT", "/anna/naptar/sajat-1.ics", {{"Content-Type", "text/calendar"}}, mine).status, 201);

    const Publish run = publish();
    ASSERT_FALSE(run.failure);
    EXPECT_EQ(run.report.restored, 2u);
    EXPECT_EQ(run.report.foreign, 1u);
    EXPECT_EQ(run.report.events, SyncReport::Counts{});
    EXPECT_EQ(objects().size(), 3u);
    EXPECT_EQ(summaries(), (std::multiset<std::string>{"\"Karácsony\" | 2026-12-24",
                                                       "\"Névnap: Kovács Ágnes\" | 2026-01-21",
                                                       "\"Születésnap: Kovács Ágnes\" | 2026-05-02"}));
    // Others' events are never touched, even when the records are all gone.
    ASSERT_TRUE(state_->removeEvent(EventKind::NameDay, state_->table(EventKind::NameDay).row(0)));
    ASSERT_TRUE(state_->removeEvent(EventKind::Birthday, state_->table(EventKind::Birthday).row(0)));
    ASSERT_FALSE(publish().failure);
    EXPECT_EQ(summaries(), (std::multiset<std::string>{"\"Karácsony\" | 2026-12-24"}));
}

TEST_F(CalendarPublish, APublishCutOffOrAMapLostEndsInTheSameCalendarWithNothingDoubled) {
    for (int d = 1; d <= 12; ++d)
        addCelebration(EventKind::NameDay, dayNumber(2026, 3, d), "Partner " + std::to_string(d));
    const auto expected = [&] {
        std::multiset<std::string> out;
        for (int d = 1; d <= 12; ++d)
            out.insert("\"Névnap: Partner " + std::to_string(d) + "\" | 2026-03-" + (d < 10 ? "0" : "") +
                       std::to_string(d));
        return out;
    };
    // Cut off after 5 of 12 uploads: the map was never written.
    publish(5);
    EXPECT_FALSE(std::filesystem::exists(paths_.calendarMap()));
    EXPECT_GE(objects().size(), 5u);
    // A record deleted meanwhile: its event, already up, goes too.
    ASSERT_TRUE(state_->removeEvent(EventKind::NameDay, state_->table(EventKind::NameDay).row(0)));
    const Publish rerun = publish();
    ASSERT_FALSE(rerun.failure);
    std::multiset<std::string> want = expected();
    want.erase(want.find("\"Névnap: Partner 1\" | 2026-03-01"));
    EXPECT_EQ(summaries(), want);
    EXPECT_EQ(objects().size(), 11u);
    EXPECT_EQ(publish().report, SyncReport::Calendar{});

    // Cut off again, in a publish with a map, then the map lost altogether.
    Settings s = state_->settings();
    s.celebrationAlarmMinute = 8 * 60;
    state_->setSettings(s);
    publish(3);
    std::filesystem::remove(paths_.calendarMap());
    const Publish lost = publish();
    ASSERT_FALSE(lost.failure);
    EXPECT_EQ(lost.report.events.created, 0u);
    EXPECT_EQ(summaries(), want);
    for (const std::string& line : eventsRead())
        EXPECT_NE(line.find("TRIGGER;RELATED=START:PT8H "), std::string::npos) << line;
    EXPECT_EQ(publish().report, SyncReport::Calendar{});
}

TEST_F(CalendarPublish, ADamagedMapOrAnUnreadableEventFileStopsItBeforeAnyChange) {
    addCelebration(EventKind::NameDay, dayNumber(2026, 1, 21), "Kovács Ágnes");
    ASSERT_FALSE(publish().failure);
    const std::string map = mapBytes();

    writeFile(paths_.calendarMap(), map + "event\tx\n");
    Publish run = publish();
    EXPECT_EQ(run.failure.kind, gui::SyncFailure::Kind::MapDamaged);
    EXPECT_EQ(run.failure.mapLine, 5u);
    EXPECT_EQ(run.requests, 0);
    EXPECT_EQ(objects().size(), 1u);

    // A name-day file that cannot be read must not empty the calendar of name days.
    writeFile(paths_.calendarMap(), map);
    std::filesystem::remove(paths_.events(EventKind::NameDay));
    std::filesystem::create_directory(paths_.events(EventKind::NameDay));
    run = publish();
    EXPECT_EQ(run.failure.kind, gui::SyncFailure::Kind::LocalWrite);
    EXPECT_EQ(objects().size(), 1u);
    EXPECT_EQ(mapBytes(), map);
}
