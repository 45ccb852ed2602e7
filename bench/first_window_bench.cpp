// Whole-process start to the first window on a real X server: from the exec to the X server's
// MapNotify of the main window, for a bare Qt Widgets window of six empty tabs (this program started
// with --bare: the toolkit's floor) and for the program itself on an empty and on a full folder,
// alternated run by run. Goals: the empty start ≤ 1.5× the bare window, the full start ≤ 1.7×.
#include "bench_data.h"

#include <QApplication>
#include <QTabWidget>
#include <QVBoxLayout>
#include <QWidget>

#include <xcb/xcb.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <memory>
#include <optional>
#include <poll.h>
#include <spawn.h>
#include <stdexcept>
#include <string>
#include <sys/wait.h>
#include <system_error>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

namespace fs = std::filesystem;
using Clk = std::chrono::steady_clock;

constexpr int kDefaultRuns = 9;
// The main window's title starts so in both modes; the start-up notice's does not.
constexpr std::string_view kMainTitle = "Zelmoran (";

// The toolkit's floor: a main window of six empty tabs, the program's size and captions.
int runBare(int argc, char** argv) {
    QApplication app(argc, argv);
    QWidget window;
    window.setWindowTitle(QStringLiteral("bare"));
    auto* layout = new QVBoxLayout(&window);
    auto* tabs = new QTabWidget;
    for (const char* caption : {"Új esemény", "Események", "Partnerek", "Műveletek", "Beállítások", "Súgó"})
        tabs->addTab(new QWidget, QString::fromUtf8(caption));
    layout->addWidget(tabs);
    window.setFixedSize(495, 321);
    window.show();
    return QApplication::exec();
}

// The X connection that sees every top-level window mapped.
class MapWatch {
  public:
    MapWatch() : conn_(xcb_connect(nullptr, nullptr)) {
        if (xcb_connection_has_error(conn_)) throw std::runtime_error("cannot connect to the X server");
        root_ = xcb_setup_roots_iterator(xcb_get_setup(conn_)).data->root;
        const std::uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(conn_, root_, XCB_CW_EVENT_MASK, &mask);
        pidAtom_ = atom("_NET_WM_PID");
        nameAtom_ = atom("_NET_WM_NAME");
        utf8Atom_ = atom("UTF8_STRING");
        xcb_flush(conn_);
    }
    MapWatch(const MapWatch&) = delete;
    MapWatch& operator=(const MapWatch&) = delete;
    ~MapWatch() { xcb_disconnect(conn_); }

    // Waits for the map of a window of process `pid` whose title starts with `title` (any title when
    // empty); returns when it came, or nothing after `timeout`.
    std::optional<Clk::time_point> waitForMap(pid_t pid, std::string_view title,
                                              std::chrono::seconds timeout) {
        const auto deadline = Clk::now() + timeout;
        for (;;) {
            while (xcb_generic_event_t* raw = xcb_poll_for_event(conn_)) {
                const std::unique_ptr<xcb_generic_event_t, decltype(&std::free)> event(raw, &std::free);
                if ((event->response_type & 0x7f) != XCB_MAP_NOTIFY) continue;
                const auto at = Clk::now();
                const xcb_window_t window = reinterpret_cast<xcb_map_notify_event_t*>(raw)->window;
                if (property(window, pidAtom_, XCB_ATOM_CARDINAL) !=
                    std::string(reinterpret_cast<char*>(&pid), 4))
                    continue;
                if (title.empty() || property(window, nameAtom_, utf8Atom_).rfind(title, 0) == 0) return at;
            }
            if (xcb_connection_has_error(conn_)) throw std::runtime_error("the X connection broke");
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clk::now());
            if (left.count() <= 0) return std::nullopt;
            pollfd fd{xcb_get_file_descriptor(conn_), POLLIN, 0};
            ::poll(&fd, 1, static_cast<int>(left.count()));
        }
    }

  private:
    xcb_atom_t atom(const char* name) {
        std::unique_ptr<xcb_intern_atom_reply_t, decltype(&std::free)> reply(
            xcb_intern_atom_reply(
                conn_, xcb_intern_atom(conn_, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
                nullptr),
            &std::free);
        if (!reply) throw std::runtime_error(std::string("no atom ") + name);
        return reply->atom;
    }
    std::string property(xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        std::unique_ptr<xcb_get_property_reply_t, decltype(&std::free)> reply(
            xcb_get_property_reply(conn_, xcb_get_property(conn_, 0, window, name, type, 0, 256), nullptr),
            &std::free);
        if (!reply) return {};
        return std::string(static_cast<const char*>(xcb_get_property_value(reply.get())),
                           static_cast<std::size_t>(xcb_get_property_value_length(reply.get())));
    }

    xcb_connection_t* conn_;
    xcb_window_t root_ = 0;
    xcb_atom_t pidAtom_ = 0, nameAtom_ = 0, utf8Atom_ = 0;
};

pid_t spawnQuiet(const fs::path& exe, std::vector<std::string> args) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string path = exe.string();
    std::vector<char*> argv{path.data()};
    for (std::string& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int rc = ::posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) throw std::system_error(rc, std::generic_category(), "posix_spawn " + path);
    return pid;
}

void endChild(pid_t pid) {
    ::kill(pid, SIGKILL);
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

// One start: exec to the map of the window, in milliseconds.
double timeStart(MapWatch& watch, const fs::path& exe, std::vector<std::string> args,
                 std::string_view title) {
    const auto t0 = Clk::now();
    const pid_t pid = spawnQuiet(exe, std::move(args));
    const std::optional<Clk::time_point> mapped = watch.waitForMap(pid, title, std::chrono::seconds(30));
    endChild(pid);
    if (!mapped) throw std::runtime_error("no window of " + exe.string() + " was mapped within 30 s");
    return std::chrono::duration<double, std::milli>(*mapped - t0).count();
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    const std::size_t n = v.size();
    return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

int runParent(const fs::path& program, int runs) {
    if (qEnvironmentVariableIsEmpty("DISPLAY")) {
        std::fprintf(stderr, "needs an X server: run it under xvfb-run, or on a desktop's X display\n");
        return 77;
    }
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS"))
        std::printf("note: no session bus; a desktop has one (run under dbus-run-session)\n");
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    if (!fs::exists(program)) throw std::runtime_error("no program at " + program.string());
    const fs::path self = fs::read_symlink("/proc/self/exe");
    zel::bench::TempDir root("zel-first-window-bench");
    // Qt wants a private runtime folder, and the program's single-instance lock lives there.
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR")) {
        const fs::path runtime = root.path() / "runtime";
        fs::create_directory(runtime);
        fs::permissions(runtime, fs::perms::owner_all);
        ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    }
    const fs::path empty = root.path() / "empty", full = root.path() / "full", work = root.path() / "run";
    fs::create_directories(empty);
    std::printf("preparing %s ...\n", full.c_str());
    std::fflush(stdout);
    zel::bench::prepareFullFolder(full);

    MapWatch watch;
    const auto bare = [&] { return timeStart(watch, self, {"--bare"}, {}); };
    // The program keeps its data beside itself: each start gets a fresh copy of the folder with a
    // link to the executable, so no start sees what another one wrote.
    const auto startOn = [&](const fs::path& prepared) {
        fs::remove_all(work);
        fs::copy(prepared, work, fs::copy_options::recursive);
        fs::create_hard_link(program, work / "zelmoran");
        // Flushed now, so the copy's write-back does not overlap the timed start.
        ::sync();
        const double ms = timeStart(watch, work / "zelmoran", {}, kMainTitle);
        fs::remove_all(work);
        return ms;
    };
    // One untimed round first: the libraries and fonts come into the page cache.
    bare();
    startOn(empty);
    startOn(full);
    std::vector<double> b, e, f;
    for (int i = 0; i < runs; ++i) {
        b.push_back(bare());
        e.push_back(startOn(empty));
        f.push_back(startOn(full));
        std::printf("run %2d  bare %6.1f ms  empty %6.1f ms  full %6.1f ms\n", i + 1, b.back(), e.back(),
                    f.back());
        std::fflush(stdout);
    }
    const double mb = median(b), me = median(e), mf = median(f);
    std::printf("\nmedians of %d runs: bare %.1f ms, empty %.1f ms, full %.1f ms\n", runs, mb, me, mf);
    const bool emptyMet = me <= 1.5 * mb, fullMet = mf <= 1.7 * mb;
    std::printf("P11 empty start: %.2fx the bare window; goal <= 1.5x: %s\n", me / mb,
                emptyMet ? "met" : "MISSED");
    std::printf("P11 full start: %.2fx the bare window; goal <= 1.7x: %s\n", mf / mb,
                fullMet ? "met" : "MISSED");
    return emptyMet && fullMet ? 0 : 2;
}

} // namespace

int main(int argc, char** argv) {
    try {
        if (argc == 2 && std::strcmp(argv[1], "--bare") == 0) return runBare(argc, argv);
        // The program built beside this benchmark, unless another is named.
        fs::path program =
            fs::read_symlink("/proc/self/exe").parent_path().parent_path() / "src/app/zelmoran";
        int runs = kDefaultRuns;
        for (int i = 1; i < argc; ++i) {
            if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc)
                runs = std::max(1, std::atoi(argv[++i]));
            else if (std::strcmp(argv[i], "--program") == 0 && i + 1 < argc)
                program = argv[++i];
            else {
                std::fprintf(stderr, "usage: %s [--runs N] [--program PATH] | --bare\n", argv[0]);
                return 64;
            }
        }
        return runParent(program, runs);
    } catch (const std::exception& ex) {
        std::fprintf(stderr, "%s\n", ex.what());
        return 1;
    }
}
