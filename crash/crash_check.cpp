#include "crash/crash_check.h"

#include "core/app/last_watched.h"
#include "core/app/paths.h"
#include "core/events/event_table.h"
#include "core/exchange/partner_import.h"
#include "core/settings/settings_record.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <iterator>
#include <random>
#include <set>
#include <spawn.h>
#include <sstream>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace zel::crash {
namespace fs = std::filesystem;

Replay replayJournal(const FolderState& start, const std::string& journal) {
    Replay replay;
    replay.settled = start;
    std::size_t from = 0;
    // A last line without its end was cut by the kill before the write began.
    for (std::size_t end; (end = journal.find('\n', from)) != std::string::npos; from = end + 1) {
        const std::string line = journal.substr(from, end - from);
        if (line.rfind("op ", 0) == 0) {
            const std::size_t space = line.find(' ', 3);
            auto op = space == std::string::npos ? std::nullopt : parseOperation(line.substr(space + 1));
            if (!op || replay.inFlight) {
                replay.problem = "journal line not understood: " + line.substr(0, 60);
                return replay;
            }
            replay.inFlight = std::move(op);
        } else if (line.rfind("done ", 0) == 0 && replay.inFlight) {
            replay.settled = statesOf(replay.settled, *replay.inFlight).back();
            replay.inFlight.reset();
            ++replay.finished;
        } else {
            replay.problem = "journal line not understood: " + line.substr(0, 60);
            return replay;
        }
    }
    return replay;
}

namespace {

std::string loadFolder(const fs::path& appFolder) {
    try {
        const AppPaths paths{appFolder};
        for (EventKind kind : kAllEventKinds)
            loadEventTable(paths.events(kind), kind);
        readAllPartners(paths.partners());
        if (const auto bytes = readSettingsFile(paths.settings()))
            decodeSettings(*bytes, [](const std::string&) { return true; });
        // A damaged file would read as nothing known, and the missed events would go unlisted.
        if (fs::exists(paths.lastWatched()) && !readLastWatched(paths.lastWatched()))
            return "the moment last watched does not read";
        return {};
    } catch (const std::exception& e) {
        return e.what();
    }
}

// Files beside the data files: a replacement's temporary is named after its file plus ".tmp-".
void findLeftovers(const fs::path& appFolder, KillCheck& check) {
    std::set<std::string> expected{"Data", kSettingsFileName};
    for (std::size_t f = 0; f < kFileCount; ++f)
        expected.insert(fs::relative(filePath(appFolder, f), appFolder).string());
    for (const fs::path& folder : {appFolder, appFolder / "Data"}) {
        for (const auto& entry : fs::directory_iterator(folder)) {
            const std::string name = fs::relative(entry.path(), appFolder).string();
            if (expected.count(name)) continue;
            (name.find(".tmp-") != std::string::npos ? check.temporaries : check.strays).push_back(name);
        }
    }
}

} // namespace

KillCheck checkKilledFolder(const fs::path& appFolder, const FolderState& start, const std::string& journal) {
    KillCheck check;
    const Replay replay = replayJournal(start, journal);
    check.problem = replay.problem;
    const FolderState actual = readFolder(appFolder);
    const std::vector<FolderState> states =
        replay.inFlight ? statesOf(replay.settled, *replay.inFlight) : std::vector{replay.settled};
    check.inFlight = replay.inFlight.has_value();
    check.write = replay.inFlight;
    check.straddling = check.inFlight && rewritesStraddlingRecord(replay.settled, *replay.inFlight);
    const FolderState &before = states.front(), &after = states.back();
    bool allOldOrNew = true;
    for (std::size_t f = 0; f < kFileCount; ++f) {
        Verdict& v = check.files[f];
        if (before[f] == after[f])
            v = actual[f] == before[f] ? Verdict::Untouched : Verdict::Torn;
        else
            v = actual[f] == before[f] ? Verdict::Old : actual[f] == after[f] ? Verdict::New : Verdict::Torn;
        allOldOrNew = allOldOrNew && v != Verdict::Torn;
    }
    const auto reached = std::find(states.begin(), states.end(), actual);
    check.outOfOrder = allOldOrNew && reached == states.end();
    check.partway = reached != states.end() && actual != before && actual != after;
    findLeftovers(appFolder, check);
    check.loadError = loadFolder(appFolder);
    return check;
}

std::size_t Figures::torn() const {
    std::size_t n = 0;
    for (const FileFigures& f : files)
        n += f.torn;
    return n;
}

bool Figures::clean() const {
    return torn() == 0 && outOfOrder == 0 && unloadable == 0 && strays == 0 && problems.empty();
}

namespace {

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Starts the driver and waits until it has read the folder and is about to write.
pid_t startDriver(const RunOptions& options, const fs::path& app, const fs::path& journal,
                  const fs::path& errors, std::uint64_t start, std::size_t killAtStep) {
    std::vector<std::string> args{options.driver.string(), app.string(), journal.string(),
                                  std::to_string(start), "1000000"};
    if (killAtStep) args.push_back(std::to_string(killAtStep));
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    int ready[2];
    if (::pipe2(ready, O_CLOEXEC) != 0) throw std::runtime_error("cannot make a pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, ready[1], 1);
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(ready[1]);
    if (rc != 0) throw std::runtime_error("cannot start " + args[0] + ": " + std::to_string(rc));
    char signal = 0;
    while (::read(ready[0], &signal, 1) < 0 && errno == EINTR) {
    }
    ::close(ready[0]);
    return pid;
}

} // namespace

Figures runKills(const RunOptions& options) {
    Figures figures;
    const auto started = std::chrono::steady_clock::now();
    const fs::path app = options.work / "app", journal = options.work / "journal.txt",
                   errors = options.work / "driver.err";
    fs::create_directories(options.work);
    std::mt19937_64 rng(options.start);
    // Half the kills log-uniform, as many in the first tenth of a millisecond as in the last ten; half
    // uniform, so most fall in the middle of some write.
    std::uniform_real_distribution<double> logDelay(std::log(options.minDelayMs),
                                                    std::log(options.maxDelayMs));
    std::uniform_real_distribution<double> evenDelay(0, options.maxDelayMs);
    for (std::size_t k = 0; k < options.kills; ++k) {
        const std::size_t every = std::max<std::size_t>(1, options.freshEvery);
        if (k % every == 0) {
            fs::remove_all(app);
            prepareFreshFolder(app);
            if ((k / every) % 2 == 1) populateFolder(app, rng);
        }
        const FolderState start = readFolder(app);
        fs::remove(journal);
        const std::uint64_t driverStart = rng();
        const std::size_t step = options.lastStep ? 1 + rng() % options.lastStep : 0;
        const pid_t pid = startDriver(options, app, journal, errors, driverStart, step);
        if (!step) {
            std::this_thread::sleep_for(std::chrono::duration<double, std::milli>(
                (rng() & 1) ? std::exp(logDelay(rng)) : evenDelay(rng)));
            ::kill(pid, SIGKILL);
        }
        int status = 0;
        while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
        ++figures.kills;
        const std::string tag = "kill " + std::to_string(k) + ": ";
        if (WIFEXITED(status)) {
            if (WEXITSTATUS(status) != 0)
                figures.problems.push_back(tag + "the driver failed: " + readText(errors));
            else
                ++figures.driverFinished;
        }
        const KillCheck check = checkKilledFolder(app, start, readText(journal));
        if (!check.problem.empty()) figures.problems.push_back(tag + check.problem);
        (check.inFlight ? figures.inFlight : figures.betweenWrites)++;
        if (check.write && check.write->op == OpKind::Move) {
            ++figures.moves;
            if (check.write->moves.size() > 1) ++figures.severalMoves;
        }
        if (check.write && check.write->op == OpKind::Watched) ++figures.watched;
        if (check.straddling) {
            ++figures.straddling;
            for (const Verdict v : check.files)
                if (v == Verdict::New) ++figures.straddlingNew;
        }
        for (std::size_t f = 0; f < kFileCount; ++f) {
            switch (check.files[f]) {
            case Verdict::Old:
                ++figures.files[f].old;
                break;
            case Verdict::New:
                ++figures.files[f].fresh;
                break;
            case Verdict::Torn:
                ++figures.files[f].torn;
                figures.problems.push_back(tag + fileLabel(f) + " is torn");
                break;
            case Verdict::Untouched:
                break;
            }
        }
        if (check.partway) ++figures.partway;
        if (check.outOfOrder) {
            ++figures.outOfOrder;
            figures.problems.push_back(tag + "the files are no state the writes pass through");
        }
        if (!check.loadError.empty()) {
            ++figures.unloadable;
            figures.problems.push_back(tag + "the folder does not load: " + check.loadError);
        }
        figures.temporaries += check.temporaries.size();
        figures.strays += check.strays.size();
        for (const std::string& s : check.strays)
            figures.problems.push_back(tag + "unexpected file " + s);
        // Nothing reads a leftover temporary; it goes so the folder stays as a start would find it.
        for (const std::string& t : check.temporaries)
            fs::remove(app / t);
        // A torn folder is no base to carry on from.
        if (!figures.problems.empty() && k + 1 < options.kills) {
            fs::remove_all(app);
            prepareFreshFolder(app);
        }
    }
    figures.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    return figures;
}

std::string describe(const Figures& figures) {
    std::ostringstream out;
    out.setf(std::ios::fixed);
    out.precision(1);
    out << figures.kills << " kills in " << figures.seconds << " s: " << figures.inFlight
        << " during a write, " << figures.betweenWrites << " between writes";
    if (figures.driverFinished) out << ", " << figures.driverFinished << " after the driver had finished";
    out << "\n";
    out << figures.straddling << " during a rewrite of a record across a page boundary ("
        << figures.straddlingNew << " of them found it new)\n";
    out << figures.partway << " between the files of a rename or a partner's deletion\n";
    out << figures.moves << " during a move of occurrences (" << figures.severalMoves << " of several rows), "
        << figures.watched << " during a last-watched write\n";
    out << "file                     old    new   torn\n";
    for (std::size_t f = 0; f < kFileCount; ++f) {
        char line[96];
        std::snprintf(line, sizeof line, "%-22s %5zu  %5zu  %5zu\n", fileLabel(f), figures.files[f].old,
                      figures.files[f].fresh, figures.files[f].torn);
        out << line;
    }
    out << "torn " << figures.torn() << ", out of order " << figures.outOfOrder << ", unloadable "
        << figures.unloadable << ", leftover temporaries " << figures.temporaries << ", unexpected files "
        << figures.strays << "\n";
    for (const std::string& p : figures.problems)
        out << "  " << p << "\n";
    return out.str();
}

} // namespace zel::crash
