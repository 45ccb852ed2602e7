// Publishing the dates to a CalDAV calendar on this machine (Radicale, started for the benchmark on the
// loopback address): the first publish of N name days and birthdays into an empty calendar, against the
// same events uploaded with plain PUTs one after the other; and a publish where nothing changed with
// 100,000 reminders (goal: one request). Uploading 100,000 events through Radicale would take hours,
// so that calendar is written straight into the storage of the stopped server and the map made from
// one listing, as the program would have left it. The local part of such a publish, the events read
// from the tables and the plan, is timed apart.
#include "bench_data.h"
#include "core/app/paths.h"
#include "core/calendar/calendar_export.h"
#include "core/calendar/calendar_map.h"
#include "core/calendar/calendar_plan.h"
#include "core/partners/partner_record.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "core/text/datetime.h"
#include "dav_bench.h"
#include "goal_reporter.h"
#include "gui/state/app_state.h"
#include "gui/sync/calendar_sync.h"
#include "gui/sync/dav_client.h"
#include "gui/sync/dav_xml.h"
#include "gui/sync/multistatus.h"
#include "support/radicale_server.h"
#include "support/settable_clock.h"
#include "support/test_util.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QTimer>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace {

using namespace zel;
using bench::Clk;
using bench::fail;
using bench::median;
using bench::msSince;
using bench::processCpuMs;

// The first publish of 10,000 events takes most of an hour on Radicale; far beyond that something hangs.
constexpr int kPublishTimeoutMs = 3 * 60 * 60 * 1000;
constexpr std::size_t kReminders = 100'000;

// Records sorted by day, as the files keep them; a stable sort keeps the order within a day.
std::string eventFile(EventKind kind, std::vector<EventRecord> records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const EventRecord& a, const EventRecord& b) { return a.date < b.date; });
    std::string bytes;
    bytes.reserve(records.size() * recordSize(kind));
    for (const EventRecord& r : records)
        bytes += encodeEvent(kind, r);
    return bytes;
}

// N/2 generated partners, each with a name day and a birthday.
struct Dates {
    std::string partners, nameDays, birthdays;
};
Dates datesOf(std::size_t events) {
    const std::vector<PartnerRecord> partners = bench::generatedPartners(events / 2);
    Dates out;
    std::vector<EventRecord> nameDays, birthdays;
    for (std::size_t k = 0; k < partners.size(); ++k) {
        out.partners += encodePartner(partners[k]);
        const int i = static_cast<int>(k);
        EventRecord nameDay;
        nameDay.text = partners[k].name;
        nameDay.date = static_cast<double>(dayNumber(2026, 1 + i * 5 % 12, 1 + i * 11 % 28));
        nameDays.push_back(nameDay);
        EventRecord birthday;
        birthday.text = partners[k].name;
        birthday.date = static_cast<double>(dayNumber(1950 + i * 7 % 50, 1 + i % 12, 1 + i * 13 % 28));
        birthdays.push_back(birthday);
    }
    out.nameDays = eventFile(EventKind::NameDay, std::move(nameDays));
    out.birthdays = eventFile(EventKind::Birthday, std::move(birthdays));
    return out;
}

// Active reminders, twenty a day from 2020 on at times that vary by the minute, their texts everyday
// errands of different lengths told apart by a number; every 25th recurs, daily, weekly, monthly and
// yearly in turn (the monthly ones on every day of the month, the 29th to the 31st too).
std::string reminderFile(std::size_t count) {
    static const char* const errands[] = {
        "Fogorvos",
        "Számla befizetése: villany, gáz",
        "Hívd fel Ágnest a születésnapja miatt",
        "Szülői értekezlet az iskolában, 2. emelet",
        "Autó műszaki vizsga",
        "Gyógyszer kiváltása a patikában",
        "Edzés",
        "Bevásárlás: kenyér, tej, tojás, őszibarack",
        "Határidő: a negyedéves jelentés leadása a könyvelőnek, a mellékletekkel együtt",
        "Kutya oltása",
        "Értekezlet – tervezés",
    };
    constexpr Recurrence kInTurn[] = {Recurrence::Daily, Recurrence::Weekly, Recurrence::Monthly,
                                      Recurrence::Yearly};
    std::string bytes;
    bytes.reserve(count * recordSize(EventKind::Reminder));
    for (std::size_t k = 0; k < count; ++k) {
        EventRecord r;
        r.date = static_cast<double>(bench::firstDay() + static_cast<DayNumber>(k / bench::kEventsPerDay));
        // 45 minutes apart from 6:00 and a few minutes more, so every day's times stay in order.
        r.time = storedFromMinute(6 * 60 + static_cast<int>(k % bench::kEventsPerDay) * 45 +
                                  static_cast<int>(k % 7));
        r.text = utf8ToCp1250(std::string(errands[k % std::size(errands)]) + " (" + std::to_string(k) + ")");
        if (k % 25 == 0) r.recurrence = kInTurn[k / 25 % 4];
        bytes += encodeEvent(EventKind::Reminder, r);
    }
    return bytes;
}

// A program folder with these files, and the state over it.
struct Folder {
    bench::TempDir dir{"zel-calendar-bench"};
    AppPaths paths{dir.path()};
    test::SettableClock clock{Moment::at(2026, 12, 8, 10, 0, 0)};
    std::unique_ptr<gui::AppState> state;

    Folder(const std::string& partners, const std::map<EventKind, std::string>& events) {
        std::filesystem::create_directories(paths.dataDir());
        replaceFile(paths.partners(), partners);
        for (const auto& [kind, bytes] : events)
            replaceFile(paths.events(kind), bytes);
        state = std::make_unique<gui::AppState>(paths, clock);
        state->reloadPartners();
        for (EventKind k : kAllEventKinds)
            state->reloadEvents(k);
    }
};

std::unique_ptr<Folder> datesFolder(std::size_t events) {
    const Dates d = datesOf(events);
    return std::make_unique<Folder>(d.partners,
                                    std::map<EventKind, std::string>{{EventKind::NameDay, d.nameDays},
                                                                     {EventKind::Birthday, d.birthdays}});
}

std::unique_ptr<Folder> remindersFolder(std::size_t count) {
    return std::make_unique<Folder>(
        std::string{}, std::map<EventKind, std::string>{{EventKind::Reminder, reminderFile(count)}});
}

// The benchmarks' Radicale, with calendars.
struct Server : bench::DavServer {
    // A new, empty calendar; an empty URL when the server refused it.
    QUrl newCalendar() {
        return newCollection(QStringLiteral("naptar"), "MKCALENDAR",
                             gui::dav::mkcalendarBody(QStringLiteral("Zelmoran")));
    }
};

struct PublishRun {
    SyncReport::Calendar report;
    gui::SyncFailure failure;
    bool finished = false;
    int requests = 0, mostInFlight = 0;
    double ms = 0, cpuMs = 0;
    // From the start until the uploads began: the map read, the listing, the events and the plan.
    double beforeUploadsMs = -1;

    std::string problem() const {
        if (!finished) return "the publish never ended";
        if (!failure) return {};
        return "the publish failed (" + std::to_string(static_cast<int>(failure.kind)) +
               "): " + failure.network.detail.toStdString();
    }
    bool nothingDone() const { return report == SyncReport::Calendar{}; }
};

// One publish as the program runs it, on an event loop of its own, with a client of its own (its first
// request meets the server's 401 before Qt sends the credentials) or with one kept from run to run.
PublishRun runPublish(gui::AppState& state, const QUrl& calendar, gui::DavClient* kept = nullptr) {
    PublishRun run;
    const double cpu0 = processCpuMs();
    const auto t0 = Clk::now();
    std::optional<gui::DavClient> own;
    if (!kept) own.emplace(gui::DavCredentials{QStringLiteral("anna"), QStringLiteral("titok")});
    gui::DavClient& client = kept ? *kept : *own;
    const int sentBefore = client.requestsSent();
    gui::CalendarSync publish(state, client);
    QEventLoop loop;
    QObject::connect(&publish, &gui::CalendarSync::progress, [&](int done, int) {
        if (done == 0) run.beforeUploadsMs = msSince(t0);
    });
    QObject::connect(&publish, &gui::CalendarSync::finished,
                     [&](const SyncReport::Calendar& report, const gui::SyncFailure& failure) {
                         run.ms = msSince(t0);
                         run.cpuMs = processCpuMs() - cpu0;
                         run.report = report;
                         run.failure = failure;
                         run.finished = true;
                         loop.quit();
                     });
    QTimer::singleShot(kPublishTimeoutMs, &loop, &QEventLoop::quit);
    publish.start(calendar);
    if (!run.finished) loop.exec();
    run.requests = client.requestsSent() - sentBefore;
    run.mostInFlight = client.mostInFlight();
    return run;
}

// ---- the first publish, and its baseline ----

void P12_first_publish(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    Server server;
    if (!server.error.empty()) return fail(state, server.error);
    const std::unique_ptr<Folder> folder = datesFolder(n);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(folder->paths.calendarMap());
        const QUrl calendar = server.newCalendar();
        if (calendar.isEmpty()) return fail(state, "no calendar");
        const qsizetype logFrom = server.logLength();
        state.ResumeTiming();

        const PublishRun run = runPublish(*folder->state, calendar);

        state.PauseTiming();
        if (!run.problem().empty()) return fail(state, run.problem());
        if (run.report.events != SyncReport::Counts{n, 0, 0} || run.report.restored != 0 ||
            run.report.foreign != 0 || run.report.postponed != 0)
            return fail(state, "the first publish did not just upload every date");
        const bench::DavServer::Answers answers = server.answersSince(logFrom);
        state.counters["server_ms"] = answers.ms;
        state.counters["answers"] = answers.count;
        state.counters["client_cpu_ms"] = run.cpuMs;
        state.counters["requests"] = run.requests;
        state.counters["in_flight"] = run.mostInFlight;
        state.counters["before_uploads_ms"] = run.beforeUploadsMs;
        // The next publish lists the events this one uploaded and knows them by their ETags.
        const PublishRun next = runPublish(*folder->state, calendar);
        if (!next.problem().empty()) return fail(state, next.problem());
        if (!next.nothingDone()) return fail(state, "the publish after the first changed something");
        state.counters["next_ms"] = next.ms;
        state.counters["next_requests"] = next.requests;
        server.removeCollection(calendar);
        state.ResumeTiming();
    }
}

// The baseline: the events the first publish uploads, each as the same text (one event with the
// zone's definition), PUT at the same address when the answer to the one before has come.
void P12_sequential_puts(benchmark::State& state) {
    const auto n = static_cast<std::size_t>(state.range(0));
    Server server;
    if (!server.error.empty()) return fail(state, server.error);
    const std::unique_ptr<Folder> folder = datesFolder(n);
    const std::vector<CalendarEvent> events = folder->state->calendarEvents();
    if (events.size() != n) return fail(state, "not every date is an event");
    std::vector<std::pair<QString, QByteArray>> objects;
    for (const CalendarEvent& e : events)
        objects.emplace_back(QString::fromStdString(eventFileName(e.uid)),
                             QByteArray::fromStdString(icsText({e}, folder->state->instantMs())));
    for (auto _ : state) {
        state.PauseTiming();
        const QUrl calendar = server.newCalendar();
        if (calendar.isEmpty()) return fail(state, "no calendar");
        const qsizetype logFrom = server.logLength();
        const double cpu0 = processCpuMs();
        state.ResumeTiming();

        for (const auto& [name, body] : objects) {
            const test::HttpReply r =
                server.send("PUT", gui::dav::resolveHref(calendar, name),
                            {{"Content-Type", gui::DavClient::kEventType}, {"If-None-Match", "*"}}, body);
            if (r.status != 201) return fail(state, "PUT answered " + std::to_string(r.status));
        }

        state.PauseTiming();
        const bench::DavServer::Answers answers = server.answersSince(logFrom);
        state.counters["server_ms"] = answers.ms;
        state.counters["answers"] = answers.count;
        state.counters["client_cpu_ms"] = processCpuMs() - cpu0;
        server.removeCollection(calendar);
        state.ResumeTiming();
    }
    state.counters["requests"] = static_cast<double>(n);
}

// ---- a publish where nothing changed ----

// The map the program leaves after publishing these events, from a listing of the calendar: each
// event's address and ETag there, its UID and digest. Empty when the listing and the events differ.
std::optional<CalendarMap> mapOf(const QUrl& calendar, const gui::CollectionChanges& listing,
                                 const std::vector<CalendarEvent>& events) {
    std::unordered_map<std::string, const CalendarEvent*> byName;
    for (const CalendarEvent& e : events)
        byName.emplace(eventFileName(e.uid), &e);
    CalendarMap map{calendar.toString().toStdString(), listing.token.toStdString(), {}};
    for (const gui::CardState& c : listing.changed) {
        const std::string href = c.href.toStdString();
        const auto e = byName.find(href.substr(href.rfind('/') + 1));
        if (e == byName.end()) return std::nullopt;
        map.links.push_back({href, c.etag.toStdString(), e->second->uid, eventDigest(*e->second)});
    }
    if (map.links.size() != events.size()) return std::nullopt;
    std::sort(map.links.begin(), map.links.end(),
              [](const CalendarLink& a, const CalendarLink& b) { return a.href < b.href; });
    return map;
}

// 100,000 reminders, and a calendar that holds them with the map that says so, made once.
struct FilledCalendar {
    Server server;
    std::unique_ptr<Folder> folder = remindersFolder(kReminders);
    QUrl calendar;
    std::string error;
    // Radicale's first listing of the objects written behind its back, and a whole listing after it.
    double firstListingMs = 0, wholeListingMs = 0;

    FilledCalendar() {
        error = server.error;
        if (error.empty()) error = fill();
    }

    // A whole listing (no token) through another client that waits as long as the server takes.
    std::optional<gui::CollectionChanges> listWhole(double& ms) {
        const auto t0 = Clk::now();
        const test::HttpReply r = server.sendUnbounded(
            "REPORT", calendar, {{"Depth", "0"}, {"Content-Type", "application/xml; charset=utf-8"}},
            gui::dav::syncCollectionBody({}));
        ms = msSince(t0);
        if (r.status != 207) return std::nullopt;
        const std::optional<gui::dav::Multistatus> answer = gui::dav::readMultistatus(r.body);
        if (!answer) return std::nullopt;
        gui::CollectionChanges listing;
        listing.complete = true;
        listing.token = answer->syncToken;
        for (const gui::dav::Response& response : answer->responses)
            if (const gui::dav::PropStat* found = response.found())
                listing.changed.push_back({response.href(), found->etag});
        return listing;
    }

    std::string fill() {
        calendar = server.newCalendar();
        if (calendar.isEmpty()) return "no calendar";
        const std::vector<CalendarEvent> events = folder->state->calendarEvents();
        if (events.size() != kReminders) return "not every reminder is an event";
        const std::int64_t stamp = folder->state->instantMs();
        // What the objects are made of, so a kept copy of another version's is not taken.
        std::uint64_t mark = events.size();
        for (const CalendarEvent& e : events)
            mark = mark * 1099511628211ull ^ eventDigest(e);
        mark ^= std::hash<std::string>{}(icsText({events.front()}, stamp));
        const std::string marker = std::to_string(mark);

        // Each event as the publish would send it, written where Radicale keeps its objects while it
        // is stopped; it takes the files as they are when it reads the collection. Radicale reads and
        // caches every object at its first listing, which takes most of an hour here: with
        // ZEL_CALENDAR_BENCH_KEEP=DIR the collection's folder, its cache with it, is kept in DIR
        // after that listing and taken from there by the next run.
        server.radicale.stop();
        const std::filesystem::path dir = server.collectionFolder(calendar).toStdString();
        const char* keep = std::getenv("ZEL_CALENDAR_BENCH_KEEP");
        const std::filesystem::path kept =
            keep && *keep ? std::filesystem::path(keep) / "naptar-100000" : std::filesystem::path();
        const bool reuse = !kept.empty() && std::filesystem::exists(kept / ".kesz") &&
                           test::readFile(kept / ".kesz") == marker;
        if (reuse) {
            std::filesystem::copy(kept, dir,
                                  std::filesystem::copy_options::recursive |
                                      std::filesystem::copy_options::overwrite_existing);
            std::filesystem::remove(dir / ".kesz");
        } else {
            for (const CalendarEvent& e : events) {
                std::ofstream out(dir / eventFileName(e.uid), std::ios::binary);
                out << icsText({e}, stamp);
                if (!out) return "cannot write " + (dir / eventFileName(e.uid)).string();
            }
        }
        if (const auto restarted = server.radicale.restart(); !restarted) return restarted.message();
        // The program's client gives up on an answer after a minute, so these listings go through
        // another client that waits.
        if (!listWhole(firstListingMs)) return "the first listing failed";
        if (!kept.empty() && !reuse) {
            std::filesystem::remove_all(kept);
            std::filesystem::create_directories(kept);
            std::filesystem::copy(dir, kept, std::filesystem::copy_options::recursive);
            test::writeFile(kept / ".kesz", marker);
        }
        const std::optional<gui::CollectionChanges> listing = listWhole(wholeListingMs);
        if (!listing) return "the listing failed";
        const std::optional<CalendarMap> map = mapOf(calendar, *listing, events);
        if (!map) return "the calendar does not hold exactly the events";
        folder->state->writeCalendarMap(*map);
        return {};
    }
};

std::unique_ptr<FilledCalendar> filled;

// The goal: one request, each publish with a client of its own as the program's command line makes
// one. Beside it, untimed: the same with a client kept from run to run (no 401, the connection open),
// and the sync-collection REPORT sent alone, which is what the server's answer costs. The first
// publish over the filled calendar must find nothing to do, in one request, and leave the map as it
// is.
void P12_unchanged(benchmark::State& state) {
    if (!filled) filled = std::make_unique<FilledCalendar>();
    FilledCalendar& lib = *filled;
    if (!lib.error.empty()) return fail(state, lib.error);
    gui::AppState& app = *lib.folder->state;
    state.counters["first_listing_ms"] = lib.firstListingMs;
    state.counters["whole_listing_ms"] = lib.wholeListingMs;
    const auto reportAlone = [&]() -> std::optional<double> {
        const QString token = QString::fromStdString(app.readCalendarMap()->syncToken);
        const auto t0 = Clk::now();
        const test::HttpReply r = lib.server.sendUnbounded(
            "REPORT", lib.calendar, {{"Depth", "0"}, {"Content-Type", "application/xml; charset=utf-8"}},
            gui::dav::syncCollectionBody(token));
        if (r.status != 207) return std::nullopt;
        return msSince(t0);
    };
    const std::optional<double> before = reportAlone();
    if (!before) return fail(state, "the REPORT alone failed");
    const auto written = std::filesystem::last_write_time(lib.folder->paths.calendarMap());
    gui::DavClient kept({QStringLiteral("anna"), QStringLiteral("titok")});
    if (const PublishRun first = runPublish(app, lib.calendar, &kept); !first.problem().empty())
        return fail(state, first.problem() + " after " + std::to_string(first.ms) +
                               " ms; the REPORT alone took " + std::to_string(*before) + " ms");
    else if (!first.nothingDone() || first.requests != 1)
        return fail(state, "the publish over the filled calendar did something (" +
                               std::to_string(first.requests) + " requests)");
    if (std::filesystem::last_write_time(lib.folder->paths.calendarMap()) != written)
        return fail(state, "the publish over the filled calendar wrote the map");
    int most = 0, answers = 0;
    std::vector<double> reportMs{*before}, keptMs, cpuMs, serverMs;
    for (auto _ : state) {
        state.PauseTiming();
        const qsizetype logFrom = lib.server.logLength();
        state.ResumeTiming();

        const PublishRun run = runPublish(app, lib.calendar);

        state.PauseTiming();
        if (!run.problem().empty()) return fail(state, run.problem());
        if (!run.nothingDone()) return fail(state, "a publish with nothing changed changed something");
        most = std::max(most, run.requests);
        const bench::DavServer::Answers a = lib.server.answersSince(logFrom);
        answers = std::max(answers, a.count);
        serverMs.push_back(a.ms);
        cpuMs.push_back(run.cpuMs);
        const PublishRun again = runPublish(app, lib.calendar, &kept);
        if (!again.problem().empty()) return fail(state, again.problem());
        keptMs.push_back(again.ms);
        const std::optional<double> report = reportAlone();
        if (!report) return fail(state, "the REPORT alone failed");
        reportMs.push_back(*report);
        state.ResumeTiming();
    }
    state.counters["requests"] = most;
    state.counters["answers"] = answers;
    state.counters["server_ms"] = median(serverMs);
    state.counters["client_cpu_ms"] = median(cpuMs);
    state.counters["kept_client_ms"] = median(keptMs);
    state.counters["report_alone_ms"] = median(reportMs);
}

// The publish's own work over 100,000 reminders when nothing changed: the events from the tables and
// the plan against a map that knows every one of them and a listing that names none. Untimed beside
// it: reading that map from its file, which the publish does first.
void P12_local_part(benchmark::State& state) {
    const std::unique_ptr<Folder> folder = remindersFolder(kReminders);
    gui::AppState& app = *folder->state;
    const std::string path = "/anna/naptar1/";
    CalendarMap map{"http://127.0.0.1:5232" + path, "http://radicale.org/ns/sync/0", {}};
    const std::vector<CalendarEvent> events = app.calendarEvents();
    if (events.size() != kReminders) return fail(state, "not every reminder is an event");
    for (std::size_t i = 0; i < events.size(); ++i)
        map.links.push_back({path + eventFileName(events[i].uid), "\"" + std::to_string(i) + "\"",
                             events[i].uid, eventDigest(events[i])});
    std::sort(map.links.begin(), map.links.end(),
              [](const CalendarLink& a, const CalendarLink& b) { return a.href < b.href; });
    app.writeCalendarMap(map);
    const ServerListing listing{false, {}, {}, map.syncToken};
    std::vector<double> eventsMs, planMs, mapMs;
    for (auto _ : state) {
        const auto t0 = Clk::now();
        const std::vector<CalendarEvent> now = app.calendarEvents();
        const auto t1 = Clk::now();
        const CalendarPlan plan = planCalendar(map, now, listing, path);
        const auto t2 = Clk::now();

        state.PauseTiming();
        if (!plan.uploads.empty() || plan.map.links.size() != kReminders)
            return fail(state, "the plan over an unchanged calendar is not empty");
        eventsMs.push_back(std::chrono::duration<double, std::milli>(t1 - t0).count());
        planMs.push_back(std::chrono::duration<double, std::milli>(t2 - t1).count());
        const auto t3 = Clk::now();
        const std::optional<CalendarMap> read = app.readCalendarMap();
        mapMs.push_back(msSince(t3));
        if (!read || read->links.size() != kReminders) return fail(state, "the map did not read back");
        state.ResumeTiming();
    }
    state.counters["events_ms"] = median(eventsMs);
    state.counters["plan_ms"] = median(planMs);
    state.counters["map_read_ms"] = median(mapMs);
}

} // namespace

BENCHMARK(P12_sequential_puts)
    ->Name("P12/sequential_puts")
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(P12_first_publish)
    ->Name("P12/first_publish")
    ->Arg(1000)
    ->Arg(2500)
    ->Arg(10000)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(P12_local_part)
    ->Name("P12/local_part")
    ->Arg(kReminders)
    ->Iterations(10)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(P12_unchanged)
    ->Name("P12/unchanged")
    ->Arg(kReminders)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

namespace {

using zel::bench::Goal;

constexpr Goal kGoals[] = {
    {"P12 first publish, 1,000 dates", "P12/first_publish/1000", "P12/sequential_puts/1000", false, 1.2},
    {"P12 first publish, 2,500 dates", "P12/first_publish/2500", "P12/sequential_puts/2500", false, 1.2},
    {"P12 first publish, 10,000 dates", "P12/first_publish/10000", "P12/sequential_puts/10000", false, 1.2},
    // One request; its time is mostly the server's answer, so the bound is the minute the program's
    // client waits for one.
    {"P12 nothing changed, 100,000 reminders", "P12/unchanged/100000", nullptr, false, 60'000.0, "requests",
     1},
    {"P12 local part, 100,000 reminders", "P12/local_part/100000", nullptr, false, 300.0},
};

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int status = zel::bench::runWithGoals(argc, argv, kGoals);
    // The server and the state go while the application still exists.
    filled.reset();
    return status;
}
