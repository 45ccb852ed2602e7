// Whole-process start-up time and peak memory: the program starts itself as a child, once on an empty
// program folder (a first start) and once on a full one (10,000 partners, 100,000 events of each kind),
// several times each, and compares the medians. Goals: full start ≤ 1.5× the empty one; full peak ≤
// empty peak + 1.5 × the bytes of the data files.
#include "bench_data.h"
#include "core/app/paths.h"
#include "core/partners/partner_record.h"
#include "core/settings/settings_record.h"
#include "core/storage/record_file.h"
#include "gui/main_window.h"
#include "gui/start/startup.h"
#include "gui/state/watch.h"
#include "quiet_dialogs.h"
#include "support/fakes.h"
#include "support/settable_clock.h"

#include <QApplication>
#include <QWindow>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <optional>
#include <spawn.h>
#include <sstream>
#include <string>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

using namespace zel;
namespace fs = std::filesystem;
using Clk = std::chrono::steady_clock;

constexpr int kDefaultRuns = 7;
constexpr const char* kChildMode = "--child";

// ---- the child: one start of the program ----

double msSince(Clk::time_point t0) {
    return std::chrono::duration<double, std::milli>(Clk::now() - t0).count();
}

// Milliseconds since the kernel created this process (the parent's spawn), so the loading of the
// libraries and the static initialisers count too. Resolution: one clock tick (usually 10 ms).
std::optional<double> msSinceProcessStart() {
    std::ifstream in("/proc/self/stat");
    const std::string stat{std::istreambuf_iterator<char>(in), {}};
    // Field 2 (the command) may hold spaces; the fields after its closing bracket are plain.
    const auto close = stat.rfind(')');
    if (close == std::string::npos) return std::nullopt;
    std::istringstream rest(stat.substr(close + 2));
    std::string field;
    // Fields 3 … 21, then starttime (22).
    for (int i = 3; i < 22; ++i)
        if (!(rest >> field)) return std::nullopt;
    unsigned long long start = 0;
    if (!(rest >> start)) return std::nullopt;
    timespec boot{};
    if (::clock_gettime(CLOCK_BOOTTIME, &boot) != 0) return std::nullopt;
    const double nowMs = static_cast<double>(boot.tv_sec) * 1e3 + static_cast<double>(boot.tv_nsec) / 1e6;
    return nowMs - static_cast<double>(start) * 1e3 / static_cast<double>(::sysconf(_SC_CLK_TCK));
}

// The peak resident size of this program image (VmHWM). ru_maxrss is the cross-check: Linux carries
// the peak of the image that exec replaced into it, so it is right only while the parent stays small.
long peakSinceExecKb() {
    std::ifstream in("/proc/self/status");
    for (std::string line; std::getline(in, line);)
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    return -1;
}

// Counts the paints of the main window: "shown" means its first frame is drawn.
class PaintWatch : public QObject {
  public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// The same steps as the program's main(), with recording platform services so no dialog, sound or
// autostart entry reaches the desktop, and a fixed clock so every run lists the same rows.
int runChild(int argc, char** argv, Clk::time_point t0, const fs::path& folder) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Zelmoran"));
    QApplication::setApplicationDisplayName(QString::fromUtf8(kAppTitle));
    QApplication::setQuitOnLastWindowClosed(false);
    const double tApp = msSince(t0);

    AppPaths paths{folder};
    bench::QuietDialogs dialogs;
    if (!gui::runWriteTest(paths, dialogs)) return 1;
    const EventRecord mid = bench::generatedRecord(EventKind::Reminder, bench::kRecordsPerFile / 2);
    zel::test::SettableClock clock{
        {static_cast<DayNumber>(mid.date), std::int64_t{*minuteFromStored(mid.time)} * 60'000}};
    test::RecordingShell shell;
    test::RecordingSound sound;
    test::RecordingTray tray;
    test::RecordingAutostart autostart;
    test::RecordingNotifier alertNotifier, runningNotifier;
    gui::MainWindow window(paths,
                           {dialogs, clock, shell, sound, tray, autostart, alertNotifier, runningNotifier});
    const double tCtor = msSince(t0);
    window.start(gui::MainWindow::StartNotice::Later);
    const double tCreate = msSince(t0);
    if (window.startHidden()) {
        std::fprintf(stderr, "the settings start the window hidden\n");
        return 1;
    }
    PaintWatch watch;
    window.installEventFilter(&watch);
    window.show();
    const auto deadline = Clk::now() + std::chrono::seconds(20);
    while (!(window.windowHandle() && window.windowHandle()->isExposed() && watch.paints > 0)) {
        if (Clk::now() > deadline) {
            std::fprintf(stderr, "the window was not shown within 20 s\n");
            return 1;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    const double tShown = msSince(t0);
    // As the program does once its window is drawn; not timed.
    window.finishStart();
    window.watch().start();
    const std::optional<double> fromStart = msSinceProcessStart();
    rusage use{};
    ::getrusage(RUSAGE_SELF, &use);
    const long hwm = peakSinceExecKb();
    if (!dialogs.boxes.empty()) {
        std::fprintf(stderr, "unexpected message box: %s\n", dialogs.boxes.front().toUtf8().constData());
        return 1;
    }
    std::printf(
        "app=%.3f ctor=%.3f create=%.3f shown=%.3f proc=%.1f hwm=%ld maxrss=%ld faults=%ld partners=%zu "
        "reminders=%zu\n",
        tApp, tCtor, tCreate, tShown, fromStart.value_or(-1.0), hwm, use.ru_maxrss, use.ru_minflt,
        window.partnerNames().size(), window.events().table(EventKind::Reminder).rows.size());
    return 0;
}

// What the first touch of a fresh 4 KiB page costs: on some virtual machines many times a native one,
// and the full start touches far more memory than the empty one.
double usPerFreshPage() {
    constexpr std::size_t kBytes = std::size_t{64} << 20;
    const auto t = Clk::now();
    void* p = ::mmap(nullptr, kBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (p == MAP_FAILED) return -1;
    auto* bytes = static_cast<volatile char*>(p);
    for (std::size_t i = 0; i < kBytes; i += 4096)
        bytes[i] = 1;
    const double us = std::chrono::duration<double, std::micro>(Clk::now() - t).count();
    ::munmap(p, kBytes);
    return us / static_cast<double>(kBytes / 4096);
}

// ---- the parent: the two folders, the runs, the figures ----

std::uintmax_t folderBytes(const fs::path& folder) {
    std::uintmax_t sum = 0;
    for (const auto& e : fs::recursive_directory_iterator(folder))
        if (e.is_regular_file()) sum += e.file_size();
    return sum;
}

struct Run {
    double app = 0, ctor = 0, create = 0, shown = 0, proc = 0;
    long hwmKb = 0, maxrssKb = 0, faults = 0;
    std::size_t partners = 0, reminders = 0;
};

// Starts this program with the arguments and returns what it wrote to stdout; a failure throws.
std::string runSelf(const fs::path& self, std::vector<std::string> args) {
    int out[2];
    if (::pipe(out) != 0) throw std::system_error(errno, std::generic_category(), "pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, out[1]);
    std::string exe = self.string();
    std::vector<char*> argv{exe.data()};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, exe.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    if (rc != 0) {
        ::close(out[0]);
        throw std::system_error(rc, std::generic_category(), "posix_spawn");
    }
    std::string text;
    char buf[4096];
    for (ssize_t n; (n = ::read(out[0], buf, sizeof buf)) != 0;) {
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) break;
        text.append(buf, static_cast<std::size_t>(n));
    }
    ::close(out[0]);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error(exe + " " + args.front() + " failed: " + text);
    return text;
}

// One start on the folder, and its line of figures.
Run runOnce(const fs::path& self, const fs::path& folder) {
    const std::string text = runSelf(self, {kChildMode, folder.string()});
    Run r;
    if (std::sscanf(
            text.c_str(),
            "app=%lf ctor=%lf create=%lf shown=%lf proc=%lf hwm=%ld maxrss=%ld faults=%ld partners=%zu "
            "reminders=%zu",
            &r.app, &r.ctor, &r.create, &r.shown, &r.proc, &r.hwmKb, &r.maxrssKb, &r.faults, &r.partners,
            &r.reminders) != 10)
        throw std::runtime_error("unexpected figures from the start on " + folder.string() + ": " + text);
    return r;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

template <class F> double medianOf(const std::vector<Run>& runs, F field) {
    std::vector<double> v;
    for (const Run& r : runs)
        v.push_back(static_cast<double>(field(r)));
    return median(v);
}

double mib(long kb) {
    return static_cast<double>(kb) / 1024.0;
}

void printRun(const char* what, int i, const Run& r) {
    std::printf("%-5s %2d  QApplication %5.1f  window %5.1f  start %6.1f  shown %6.1f ms (from fork %4.0f)"
                "  peak %6.1f MiB (ru_maxrss %6.1f)  faults %6ld  partners %5zu  reminders %6zu\n",
                what, i, r.app, r.ctor, r.create, r.shown, r.proc, mib(r.hwmKb), mib(r.maxrssKb), r.faults,
                r.partners, r.reminders);
    std::fflush(stdout);
}

int runParent(int runs) {
    // Children inherit these: nothing must need a display, and Qt wants a private runtime folder.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    const fs::path self = fs::read_symlink("/proc/self/exe");
    bench::TempDir root("zel-startup-bench");
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const fs::path runtime = root.path() / "runtime";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    const fs::path empty = root.path() / "empty";
    const fs::path full = root.path() / "full";
    const fs::path work = root.path() / "run";
    fs::create_directories(empty);
    std::printf("preparing %s ...\n", full.c_str());
    std::fflush(stdout);
    // Both in children, so this process stays small and every child's ru_maxrss stays its own.
    runSelf(self, {"--prepare", full.string()});
    const std::string pageCost = runSelf(self, {"--page-cost"});
    const std::uintmax_t dataBytes = folderBytes(full);
    const double dataMiB = static_cast<double>(dataBytes) / (1024.0 * 1024.0);
    std::printf("data files: %.1f MiB (%ju bytes); first touch of a fresh 4 KiB page: %s us\n\n", dataMiB,
                dataBytes, pageCost.c_str());

    // Every start gets a fresh copy, so no run sees what another one wrote.
    const auto startOn = [&](const fs::path& prepared) {
        fs::remove_all(work);
        fs::copy(prepared, work, fs::copy_options::recursive);
        // Flushed now, so the copy's write-back does not overlap the timed start.
        ::sync();
        Run r = runOnce(self, work);
        fs::remove_all(work);
        return r;
    };
    // One untimed pair first: the libraries and fonts come into the page cache.
    startOn(empty);
    startOn(full);
    std::vector<Run> e, f;
    for (int i = 0; i < runs; ++i) {
        e.push_back(startOn(empty));
        printRun("empty", i + 1, e.back());
        f.push_back(startOn(full));
        printRun("full", i + 1, f.back());
    }

    const auto row = [&](const char* what, auto field, const char* format) {
        std::printf("  %-24s", what);
        std::printf(format, medianOf(e, field));
        std::printf(format, medianOf(f, field));
        std::printf("\n");
    };
    std::printf("\nmedians of %d runs each         empty      full\n", runs);
    row(
        "QApplication (ms)", [](const Run& r) { return r.app; }, "%10.1f");
    row(
        "window built (ms)", [](const Run& r) { return r.ctor; }, "%10.1f");
    row(
        "start done (ms)", [](const Run& r) { return r.create; }, "%10.1f");
    row(
        "window shown (ms)", [](const Run& r) { return r.shown; }, "%10.1f");
    row(
        "shown, from fork (ms)", [](const Run& r) { return r.proc; }, "%10.0f");
    row(
        "peak RSS, VmHWM (MiB)", [](const Run& r) { return mib(r.hwmKb); }, "%10.1f");
    row(
        "ru_maxrss (MiB)", [](const Run& r) { return mib(r.maxrssKb); }, "%10.1f");
    row(
        "page faults", [](const Run& r) { return r.faults; }, "%10.0f");

    const double eShown = medianOf(e, [](const Run& r) { return r.shown; });
    const double fShown = medianOf(f, [](const Run& r) { return r.shown; });
    const double eProc = medianOf(e, [](const Run& r) { return r.proc; });
    const double fProc = medianOf(f, [](const Run& r) { return r.proc; });
    const double ePeak = medianOf(e, [](const Run& r) { return mib(r.hwmKb); });
    const double fPeak = medianOf(f, [](const Run& r) { return mib(r.hwmKb); });
    const double bound = ePeak + 1.5 * dataMiB;
    const bool p3 = fShown <= 1.5 * eShown;
    const bool p6 = fPeak <= bound;
    std::printf("\nP3 start-up: full %.1f ms / empty %.1f ms = %.2fx (from fork: %.2fx); goal <= 1.5x: %s\n",
                fShown, eShown, fShown / eShown, fProc / eProc, p3 ? "met" : "MISSED");
    std::printf("P6 peak memory: full %.1f MiB; goal <= %.1f + 1.5 x %.1f = %.1f MiB: %s\n", fPeak, ePeak,
                dataMiB, bound, p6 ? "met" : "MISSED");
    return p3 && p6 ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    const Clk::time_point t0 = Clk::now();
    try {
        if (argc == 3 && std::strcmp(argv[1], kChildMode) == 0) return runChild(argc, argv, t0, argv[2]);
        // The full folder alone, for profiling one start with a tool of one's choice.
        if (argc == 3 && std::strcmp(argv[1], "--prepare") == 0) {
            bench::prepareFullFolder(argv[2]);
            return 0;
        }
        if (argc == 2 && std::strcmp(argv[1], "--page-cost") == 0) {
            std::printf("%.2f", usPerFreshPage());
            return 0;
        }
        int runs = kDefaultRuns;
        if (argc == 3 && std::strcmp(argv[1], "--runs") == 0)
            runs = std::max(1, std::atoi(argv[2]));
        else if (argc != 1) {
            std::fprintf(stderr, "usage: %s [--runs N] | --prepare FOLDER | --child FOLDER | --page-cost\n",
                         argv[0]);
            return 64;
        }
        return runParent(runs);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "%s\n", ex.what());
        return 1;
    }
}
