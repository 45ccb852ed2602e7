// A publish of the dates killed at any moment, followed by two more, leaves the calendar holding
// exactly the events of the records, each once, beside what others put there, and a map that knows
// them: the second publish after the kill sends one request and changes nothing. Each kill starts
// from a copy of a scenario, in a folder and a calendar of its own; what the publishes after it leave
// must be what one publish left without a kill.

#include "core/app/paths.h"
#include "core/calendar/calendar_map.h"
#include "driver_run.h"
#include "gui/state/app_state.h"
#include "support/radicale_server.h"
#include "support/settable_clock.h"
#include "support/test_util.h"

#include <QNetworkAccessManager>
#include <gtest/gtest.h>

#include <map>
#include <random>
#include <set>
#include <sstream>

namespace zel::test {
namespace {
namespace fs = std::filesystem;

// An event as the server's storage holds it, read without the program's code: the VEVENT's UID, its
// SUMMARY unescaped, and the value of its DTSTART (a date, or a local time in the zone).
struct StoredEvent {
    std::string uid, summary, start;
    auto operator<=>(const StoredEvent&) const = default;
};

std::vector<std::string> unfoldedLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!lines.empty() && !line.empty() && (line[0] == ' ' || line[0] == '\t'))
            lines.back() += line.substr(1);
        else
            lines.push_back(line);
    }
    return lines;
}

std::string unescaped(std::string_view value) {
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] != '\\' || i + 1 == value.size()) {
            out += value[i];
            continue;
        }
        const char c = value[++i];
        out += c == 'n' || c == 'N' ? '\n' : c;
    }
    return out;
}

// The object's VEVENTs, their own properties only (not those of their alarms).
std::vector<StoredEvent> eventsOf(const std::string& ics) {
    std::vector<StoredEvent> out;
    bool inEvent = false;
    int nested = 0;
    for (const std::string& line : unfoldedLines(ics)) {
        if (line == "BEGIN:VEVENT") {
            inEvent = true;
            nested = 0;
            out.emplace_back();
        } else if (!inEvent) {
            continue;
        } else if (line.starts_with("BEGIN:")) {
            ++nested;
        } else if (line.starts_with("END:")) {
            if (nested-- == 0) inEvent = false;
        } else if (nested == 0) {
            const std::size_t colon = line.find(':');
            const std::string name = line.substr(0, std::min(colon, line.find(';')));
            const std::string value = colon == std::string::npos ? std::string() : line.substr(colon + 1);
            if (name == "UID") out.back().uid = value;
            if (name == "SUMMARY") out.back().summary = unescaped(value);
            if (name == "DTSTART") out.back().start = value;
        }
    }
    return out;
}

// What a calendar holds once the publishes are over.
struct Outcome {
    std::multiset<StoredEvent> events;         // of the program's objects
    std::map<std::string, std::string> files;  // the program's objects: file name → UID
    std::map<std::string, std::string> others; // others' objects: file name → bytes
    std::vector<std::string> unreadable;       // program objects without exactly one VEVENT
};

std::string describe(const Outcome& o) {
    std::ostringstream out;
    for (const StoredEvent& e : o.events)
        out << "  " << e.uid << " | " << e.summary << " | " << e.start << "\n";
    for (const auto& [name, bytes] : o.others)
        out << "  another's: " << name << "\n";
    for (const std::string& name : o.unreadable)
        out << "  unreadable: " << name << "\n";
    return out.str();
}

std::multiset<std::pair<std::string, std::string>> summariesOf(const Outcome& o) {
    std::multiset<std::pair<std::string, std::string>> out;
    for (const StoredEvent& e : o.events)
        out.emplace(e.summary, e.start);
    return out;
}

std::string twoDigits(int n) {
    return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10);
}
std::string dateValue(int y, int m, int d) {
    return std::to_string(y) + twoDigits(m) + twoDigits(d);
}

// The scenario's records: ten reminders (four recurring, one text with a comma, a semicolon and a
// line break), ten name days and ten birthdays.
struct Reminder {
    int day, hour, minute;
    std::string text;
    Recurrence recurrence;
};
const std::vector<Reminder> kReminders = {
    {10, 7, 0, "Gyógyszer", Recurrence::Daily},
    {11, 18, 30, "Úszás", Recurrence::Weekly},
    {12, 9, 0, "Havi zárás", Recurrence::Monthly},
    {13, 12, 0, "Évforduló", Recurrence::Yearly},
    {14, 8, 15, "Fogorvos – Ágnes", Recurrence::Never},
    {15, 10, 0, "Szülői értekezlet", Recurrence::Never},
    {16, 16, 45, "Számla: villany, gáz; víz\r\nhatáridő péntek", Recurrence::Never},
    {17, 6, 30, "Autó szerviz", Recurrence::Never},
    {18, 20, 0, "Színház", Recurrence::Never},
    {19, 11, 5, "Könyvtár", Recurrence::Never},
};
std::string partner(int i) {
    return "Partner " + std::to_string(i);
}

// The server, the scenarios and the runs without a kill, made once for every case: each case starts
// from copies of them.
class Scenarios {
  public:
    void build() {
        ASSERT_TRUE(server_.start());
        ASSERT_NO_FATAL_FAILURE(buildScenarios());
        built = true;
    }
    bool built = false;

    fs::path storageOf(const std::string& calendar) const {
        return fs::path(server_.storagePath().toStdString()) / "collection-root" / "anna" / calendar;
    }
    QUrl calendarUrl(const std::string& name) const {
        return server_.baseUrl().resolved(QUrl(QString::fromStdString("/anna/" + name + "/")));
    }

    // Another client's request.
    HttpReply send(const QByteArray& verb, const std::string& path,
                   QList<QPair<QByteArray, QByteArray>> headers = {}, const QByteArray& body = {}) {
        headers.append({"Authorization", basicAuthorization(server_.user(), server_.password())});
        return sendHttp(network_, verb, server_.baseUrl().resolved(QUrl(QString::fromStdString(path))),
                        headers, body);
    }

    DriverRun publish(const std::string& name, const QStringList& kill = {},
                      std::optional<std::chrono::microseconds> killAfter = std::nullopt) {
        return runDriver(QStringLiteral(ZEL_SYNC_CRASH_DRIVER),
                         QStringList{QStringLiteral("--calendar"),
                                     QString::fromStdString((work_.path() / name).string()),
                                     calendarUrl(name).toString(), server_.user(), server_.password()} +
                             kill,
                         killAfter);
    }

    // "elso": the thirty dates, never published. "vegyes" (buildChanged): the same published once, then
    // changed on both sides: here the four recurring reminders moved on (the same events, a new start), a
    // text changed (another event), a reminder switched off, three birthdays deleted and three name days
    // added; there another client put an event of its own, changed one of the program's and deleted
    // another.
    void buildScenarios() {
        const AppPaths paths{work_.path() / "elso"};
        fs::create_directories(paths.dataDir());
        writeFile(paths.partners(), {});
        {
            gui::AppState state(paths, clock_);
            for (EventKind k : kAllEventKinds)
                state.reloadEvents(k);
            for (const Reminder& r : kReminders)
                state.addEvent(EventKind::Reminder, event(dayNumber(2026, 12, r.day), r.hour, r.minute,
                                                          r.text, true, r.recurrence));
            for (int i = 0; i < 10; ++i) {
                state.addEvent(EventKind::NameDay,
                               {true, {}, cp(partner(i)), double(dayNumber(2026, 1 + i, 10 + i)), 0});
                state.addEvent(EventKind::Birthday,
                               {true, {}, cp(partner(i)), double(dayNumber(1970 + i, 1 + i, 5 + i)), 0});
            }
        }
    }

    // "vegyes", made when a case first asks for it.
    void buildChanged() {
        fs::copy(work_.path() / "elso", work_.path() / "vegyes", fs::copy_options::recursive);
        ASSERT_EQ(send("MKCALENDAR", "/anna/vegyes/").status, 201);
        const DriverRun first = publish("vegyes");
        ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
        ASSERT_EQ(first.uploads, 30) << first.out;

        gui::AppState state(AppPaths{work_.path() / "vegyes"}, clock_);
        for (EventKind k : kAllEventKinds)
            state.reloadEvents(k);
        const auto rowOf = [&](EventKind kind, std::string_view text) {
            const EventTable& table = state.table(kind);
            for (std::size_t i = 0; i < table.rows.size(); ++i)
                if (table.text(table.rows[i]) == cp(text)) return table.row(i);
            ADD_FAILURE() << "no row " << text;
            return EventRow{};
        };
        const std::vector<EventMove> moves = {
            {rowOf(EventKind::Reminder, "Gyógyszer"), dayNumber(2026, 12, 11)},
            {rowOf(EventKind::Reminder, "Úszás"), dayNumber(2026, 12, 18)},
            {rowOf(EventKind::Reminder, "Havi zárás"), dayNumber(2027, 1, 12)},
            {rowOf(EventKind::Reminder, "Évforduló"), dayNumber(2027, 12, 13)}};
        ASSERT_EQ(state.moveEvents(EventKind::Reminder, moves), 4u);
        ASSERT_TRUE(state.modifyEvent(EventKind::Reminder, rowOf(EventKind::Reminder, "Autó szerviz"),
                                      event(dayNumber(2026, 12, 17), 6, 30, "Autó szerviz és gumicsere")));
        ASSERT_TRUE(state.modifyEvent(EventKind::Reminder, rowOf(EventKind::Reminder, "Színház"),
                                      event(dayNumber(2026, 12, 18), 20, 0, "Színház", false)));
        for (int i = 0; i < 3; ++i) {
            ASSERT_TRUE(state.removeEvent(EventKind::Birthday, rowOf(EventKind::Birthday, partner(i))));
            state.addEvent(EventKind::NameDay,
                           {true, {}, cp(partner(10 + i)), double(dayNumber(2026, 5, 1 + i)), 0});
        }

        const QByteArray others = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Más//HU\r\nBEGIN:VEVENT\r\n"
                                  "UID:sajat-1\r\nDTSTAMP:20261201T100000Z\r\nDTSTART;VALUE=DATE:20261224\r\n"
                                  "SUMMARY:Karácsony\r\nEND:VEVENT\r\nEND:VCALENDAR\r\n";
        ASSERT_EQ(send("PUT", "/anna/vegyes/sajat-1.ics", {{"Content-Type", "text/calendar"}}, others).status,
                  201);
        const Outcome published = outcomeOf("vegyes");
        std::string changed, deleted;
        for (const auto& [name, uid] : published.files) {
            const std::string bytes = readFile(storageOf("vegyes") / name);
            if (bytes.find("SUMMARY:Névnap: Partner 3\r\n") != std::string::npos) changed = name;
            if (bytes.find("SUMMARY:Névnap: Partner 4\r\n") != std::string::npos) deleted = name;
        }
        ASSERT_FALSE(changed.empty() || deleted.empty()) << describe(published);
        std::string bytes = readFile(storageOf("vegyes") / changed);
        const std::string summary = "SUMMARY:Névnap: Partner 3";
        bytes.replace(bytes.find(summary), summary.size(), "SUMMARY:Átírva");
        const int put = send("PUT", "/anna/vegyes/" + changed, {{"Content-Type", "text/calendar"}},
                             QByteArray::fromStdString(bytes))
                            .status;
        ASSERT_TRUE(put == 201 || put == 204) << put;
        ASSERT_EQ(send("DELETE", "/anna/vegyes/" + deleted).status, 200);
        changedBuilt_ = true;
    }

    // A copy of a scenario: the folder, and for "vegyes" the calendar under a path of its own (the
    // server's storage copied whole, its sync tokens and history with it, so the map's token still
    // holds); "elso" gets an empty calendar.
    void prepareCase(const std::string& scenario, const std::string& name) {
        if (scenario == "vegyes" && !changedBuilt_) {
            ASSERT_NO_FATAL_FAILURE(buildChanged());
        }
        fs::copy(work_.path() / scenario, work_.path() / name, fs::copy_options::recursive);
        if (scenario == "elso") {
            ASSERT_EQ(send("MKCALENDAR", "/anna/" + name + "/").status, 201);
            return;
        }
        fs::copy(storageOf(scenario), storageOf(name), fs::copy_options::recursive);
        const AppPaths paths{work_.path() / name};
        CalendarMap map = *readCalendarMap(paths.calendarMap());
        map.collectionUrl = calendarUrl(name).toString().toStdString();
        const std::string from = "/anna/" + scenario + "/", to = "/anna/" + name + "/";
        for (CalendarLink& link : map.links) {
            ASSERT_TRUE(link.href.starts_with(from)) << link.href;
            link.href = to + link.href.substr(from.size());
        }
        writeCalendarMap(paths.calendarMap(), map);
    }

    Outcome outcomeOf(const std::string& calendar) const {
        Outcome o;
        for (const auto& entry : fs::directory_iterator(storageOf(calendar))) {
            const std::string name = entry.path().filename().string();
            if (!entry.is_regular_file() || name.starts_with('.')) continue;
            const std::string bytes = readFile(entry.path());
            if (!name.starts_with("zelmoran-")) {
                o.others[name] = bytes;
                continue;
            }
            const std::vector<StoredEvent> events = eventsOf(bytes);
            if (events.size() != 1) {
                o.unreadable.push_back(name);
                continue;
            }
            o.events.insert(events[0]);
            o.files[name] = events[0].uid;
        }
        return o;
    }

    // What holds after any publish that ended: every object one event, named by its UID, no UID twice;
    // the map file reads and knows exactly those objects.
    void checkConsistent(const std::string& name, const Outcome& o) const {
        EXPECT_TRUE(o.unreadable.empty());
        std::set<std::string> uids;
        for (const auto& [file, uid] : o.files) {
            EXPECT_EQ(file, uid.substr(0, uid.find('@')) + ".ics");
            EXPECT_TRUE(uids.insert(uid).second) << "twice: " << uid;
        }
        std::optional<CalendarMap> map;
        ASSERT_NO_THROW(map = readCalendarMap(AppPaths{work_.path() / name}.calendarMap()));
        ASSERT_TRUE(map);
        EXPECT_EQ(map->collectionUrl, calendarUrl(name).toString().toStdString());
        std::map<std::string, std::string> linked;
        for (const CalendarLink& link : map->links) {
            EXPECT_TRUE(link.href.starts_with("/anna/" + name + "/")) << link.href;
            EXPECT_FALSE(link.etag.empty()) << link.href;
            linked[link.href.substr(link.href.rfind('/') + 1)] = link.uid;
        }
        EXPECT_EQ(linked, o.files);
    }

    // After the kill, two publishes: the second must find nothing to do in one request, and the
    // calendar must hold what one publish without a kill left. The next publish starts once the
    // server has dealt with every request the killed one sent, as when the program starts again.
    void finishAndCheck(const std::string& name, const DriverRun& killed, const Outcome& reference) {
        SCOPED_TRACE(name + "; the killed run said:\n" + killed.out + killed.err);
        ASSERT_TRUE(awaitServerIdle(server_.port())) << "the server never finished the killed run's requests";
        const DriverRun first = publish(name);
        ASSERT_EQ(first.exitCode, 0) << first.out << first.err;
        const DriverRun second = publish(name);
        ASSERT_EQ(second.exitCode, 0) << second.out << second.err;
        EXPECT_TRUE(second.nothingChanged) << "the first publish after the kill said:\n"
                                           << first.out << "the second:\n"
                                           << second.out;
        EXPECT_EQ(second.requests, 1) << second.out;
        const Outcome o = outcomeOf(name);
        SCOPED_TRACE("after the kill:\n" + describe(o) + "without a kill:\n" + describe(reference));
        ASSERT_NO_FATAL_FAILURE(checkConsistent(name, o));
        EXPECT_EQ(o.events, reference.events);
        EXPECT_EQ(o.others, reference.others);
        for (const auto& entry : fs::directory_iterator(AppPaths{work_.path() / name}.dataDir()))
            EXPECT_EQ(entry.path().filename().string().find(".tmp-"), std::string::npos) << entry.path();
    }

    // One publish of the scenario without a kill, and what it left, held to what the records say.
    struct Reference {
        Outcome outcome;
        int uploads = 0, steps = 0;
        std::chrono::microseconds time{};
    };
    const Reference& reference(const std::string& scenario) {
        if (const auto known = references_.find(scenario); known != references_.end()) return known->second;
        const std::string name = "minta-" + scenario;
        Reference& r = references_[scenario];
        prepareCase(scenario, name);
        if (::testing::Test::HasFatalFailure()) return r;
        const DriverRun run = publish(name);
        EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
        r.uploads = run.uploads;
        r.steps = run.steps;
        r.time = run.time;
        r.outcome = outcomeOf(name);
        checkConsistent(name, r.outcome);
        const DriverRun again = publish(name);
        EXPECT_TRUE(again.nothingChanged) << again.out;
        EXPECT_EQ(again.requests, 1) << again.out;
        return r;
    }

    // The dates as a calendar shows them: summary and start.
    static std::multiset<std::pair<std::string, std::string>> expectedFirst() {
        std::multiset<std::pair<std::string, std::string>> out;
        for (const Reminder& r : kReminders) {
            std::string text = r.text;
            if (const std::size_t crlf = text.find("\r\n"); crlf != std::string::npos)
                text.replace(crlf, 2, "\n");
            out.emplace(text,
                        dateValue(2026, 12, r.day) + "T" + twoDigits(r.hour) + twoDigits(r.minute) + "00");
        }
        for (int i = 0; i < 10; ++i) {
            out.emplace("Névnap: " + partner(i), dateValue(2026, 1 + i, 10 + i));
            out.emplace("Születésnap: " + partner(i), dateValue(1970 + i, 1 + i, 5 + i));
        }
        return out;
    }

    RadicaleServer server_;
    TempDir work_;
    SettableClock clock_{Moment::at(2026, 12, 8, 10, 0, 0)};
    QNetworkAccessManager network_;
    std::map<std::string, Reference> references_;
    bool changedBuilt_ = false;
};

class CalendarCrash : public ::testing::Test {
  protected:
    static void TearDownTestSuite() { scenarios_.reset(); }
    void SetUp() override {
        if (!scenarios_) {
            scenarios_ = std::make_unique<Scenarios>();
            ASSERT_NO_FATAL_FAILURE(scenarios_->build());
        }
        ASSERT_TRUE(scenarios_->built) << "the scenarios could not be made";
    }

    static std::unique_ptr<Scenarios> scenarios_;
};

std::unique_ptr<Scenarios> CalendarCrash::scenarios_;

TEST_F(CalendarCrash, AFirstPublishKilledAfterAnUploadsAnswerOrAroundItsMapsRenameEndsInTheRecordsEvents) {
    Scenarios& s = *scenarios_;
    const Scenarios::Reference& ref = s.reference("elso");
    ASSERT_EQ(summariesOf(ref.outcome), Scenarios::expectedFirst()) << describe(ref.outcome);
    EXPECT_EQ(ref.uploads, 30);
    // The map, once: written beside, flushed, renamed, the folder flushed.
    EXPECT_EQ(ref.steps, 4);
    for (int answers : {1, 15}) {
        const std::string name = "elso-valasz-" + std::to_string(answers);
        ASSERT_NO_FATAL_FAILURE(s.prepareCase("elso", name));
        const DriverRun killed =
            s.publish(name, {QStringLiteral("--kill-after-uploads"), QString::number(answers)});
        ASSERT_TRUE(killed.killed) << "answer " << answers << " never came:\n" << killed.out << killed.err;
        ASSERT_NO_FATAL_FAILURE(s.finishAndCheck(name, killed, ref.outcome));
    }
    // Every upload answered, the map flushed beside the old one and not renamed, or renamed and the
    // folder not flushed.
    for (int step : {2, 3}) {
        const std::string name = "elso-lepes-" + std::to_string(step);
        ASSERT_NO_FATAL_FAILURE(s.prepareCase("elso", name));
        const DriverRun killed = s.publish(name, {QString::number(step)});
        ASSERT_TRUE(killed.killed) << "step " << step << " never came:\n" << killed.out << killed.err;
        ASSERT_NO_FATAL_FAILURE(s.finishAndCheck(name, killed, ref.outcome));
    }
}

TEST_F(CalendarCrash, APublishOfChangesOnBothSidesKilledAfterAnUploadsAnswerEndsInTheRecordsEvents) {
    Scenarios& s = *scenarios_;
    const Scenarios::Reference& ref = s.reference("vegyes");
    // Four moved on, a text changed (one out, one in), one switched off, three birthdays out, three
    // name days in, and the two changed elsewhere put back.
    EXPECT_EQ(ref.uploads, 4 + 2 + 1 + 3 + 3 + 2);
    std::multiset<std::pair<std::string, std::string>> want = Scenarios::expectedFirst();
    const auto replace = [&](const std::string& summary, const std::string& start,
                             std::optional<std::pair<std::string, std::string>> now) {
        const auto it = want.find({summary, start});
        ASSERT_NE(it, want.end()) << summary;
        want.erase(it);
        if (now) want.insert(*now);
    };
    replace("Gyógyszer", "20261210T070000", std::pair{"Gyógyszer", "20261211T070000"});
    replace("Úszás", "20261211T183000", std::pair{"Úszás", "20261218T183000"});
    replace("Havi zárás", "20261212T090000", std::pair{"Havi zárás", "20270112T090000"});
    replace("Évforduló", "20261213T120000", std::pair{"Évforduló", "20271213T120000"});
    replace("Autó szerviz", "20261217T063000", std::pair{"Autó szerviz és gumicsere", "20261217T063000"});
    replace("Színház", "20261218T200000", std::nullopt);
    for (int i = 0; i < 3; ++i) {
        replace("Születésnap: " + partner(i), dateValue(1970 + i, 1 + i, 5 + i), std::nullopt);
        want.emplace("Névnap: " + partner(10 + i), dateValue(2026, 5, 1 + i));
    }
    EXPECT_EQ(summariesOf(ref.outcome), want) << describe(ref.outcome);
    EXPECT_EQ(ref.outcome.others.size(), 1u);

    for (int answers : {1, 5, 10, ref.uploads}) {
        const std::string name = "vegyes-valasz-" + std::to_string(answers);
        ASSERT_NO_FATAL_FAILURE(s.prepareCase("vegyes", name));
        const DriverRun killed =
            s.publish(name, {QStringLiteral("--kill-after-uploads"), QString::number(answers)});
        ASSERT_TRUE(killed.killed) << "answer " << answers << " never came:\n" << killed.out << killed.err;
        ASSERT_NO_FATAL_FAILURE(s.finishAndCheck(name, killed, ref.outcome));
    }
}

TEST_F(CalendarCrash, APublishKilledAtRandomMomentsEndsInTheRecordsEvents) {
    Scenarios& s = *scenarios_;
    // Where a kill falls depends on the machine; what the publishes after it leave must not.
    std::mt19937_64 rng(2026);
    for (const std::string scenario : {"elso", "vegyes"}) {
        const Scenarios::Reference& ref = s.reference(scenario);
        std::uniform_int_distribution<long long> delay(0, ref.time.count());
        for (int i = 1; i <= 2; ++i) {
            const std::string name = scenario + "-veletlen-" + std::to_string(i);
            ASSERT_NO_FATAL_FAILURE(s.prepareCase(scenario, name));
            const DriverRun killed = s.publish(name, {}, std::chrono::microseconds(delay(rng)));
            ASSERT_NO_FATAL_FAILURE(s.finishAndCheck(name, killed, ref.outcome));
        }
    }
}

} // namespace
} // namespace zel::test
