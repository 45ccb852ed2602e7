// Runs one synchronisation of a data folder's partners with an address book, as the program does,
// and can kill itself in the middle of it: at a step of its file replacements, or right after an
// upload's answer came. What the kill leaves, and what the next sync makes of it, is the test's.
//
// On stdout: "syncing" once the folder is read and the sync starts (a runner's clock for a kill
// after a delay starts there), and at the end "steps S uploads U changed|nothing", then the
// report. Exit status 0 when the sync finished, 1 when it failed, 64 on a wrong command line.
#include "core/app/paths.h"
#include "core/os/file.h"
#include "gui/platform/system_clock.h"
#include "gui/state/app_state.h"
#include "gui/sync/address_book_sync.h"
#include "gui/sync/dav_client.h"
#include "gui/sync/dav_error_text.h"
#include "gui/sync/sync_report_text.h"

#include <QCoreApplication>
#include <QUrl>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <unistd.h>

namespace {

unsigned long long stepsSeen = 0, killAtStep = 0;

void countStep(zel::os::ReplaceStep, const std::filesystem::path&) {
    if (++stepsSeen == killAtStep) ::kill(::getpid(), SIGKILL);
}

void say(const QString& text) {
    std::fputs(text.toUtf8().constData(), stdout);
    std::fflush(stdout);
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const bool afterUploads = argc == 7 && std::strcmp(argv[5], "--kill-after-uploads") == 0;
    if (argc != 5 && !(argc == 6 && argv[5][0] != '-') && !afterUploads) {
        std::fprintf(stderr,
                     "usage: %s APP_FOLDER BOOK_URL USER PASSWORD [KILL_AT_STEP | --kill-after-uploads K]\n",
                     argv[0]);
        return 64;
    }
    if (argc == 6) killAtStep = std::strtoull(argv[5], nullptr, 10);
    const unsigned long long killAfterUploads = afterUploads ? std::strtoull(argv[6], nullptr, 10) : 0;

    // The folder as the program's start finds it: leftovers of a replacement cut short go, the
    // partners and every event table are read.
    const zel::AppPaths paths{std::filesystem::path(argv[1])};
    zel::removeLeftoverTemporaries(paths);
    zel::gui::SystemClock clock;
    zel::gui::AppState state(paths, clock);
    state.reloadPartners();
    for (zel::EventKind kind : zel::kAllEventKinds)
        state.reloadEvents(kind);
    zel::os::setReplaceObserver(countStep);

    zel::gui::DavClient client({QString::fromLocal8Bit(argv[3]), QString::fromLocal8Bit(argv[4])});
    zel::gui::AddressBookSync sync(state, client);
    unsigned long long uploadAnswers = 0;
    // Every upload's answer reports progress past zero once it is taken into the map in memory (the
    // reading of cards reports none past zero); the map reaches the disk only after the last one.
    QObject::connect(&sync, &zel::gui::AddressBookSync::progress, [&](int done, int) {
        if (done == 0) return;
        if (++uploadAnswers == killAfterUploads) ::kill(::getpid(), SIGKILL);
    });
    int status = 1;
    QObject::connect(
        &sync, &zel::gui::AddressBookSync::finished,
        [&](const zel::SyncReport& report, const zel::gui::SyncFailure& failure) {
            say(QStringLiteral("steps %1 uploads %2 %3\n")
                    .arg(stepsSeen)
                    .arg(uploadAnswers)
                    .arg(report.nothingChanged() ? u"nothing" : u"changed"));
            say(zel::gui::reportText(report));
            if (failure.kind == zel::gui::SyncFailure::Kind::Network)
                say(zel::gui::davErrorText(failure.network, QUrl(QString::fromLocal8Bit(argv[2])).host()) +
                    u'\n');
            else if (failure.io)
                say(QStringLiteral("local write failed: %1 %2\n")
                        .arg(QString::fromUtf8(failure.io->what()),
                             QString::fromStdString(failure.io->path())));
            else if (failure)
                say(QStringLiteral("failed: kind %1\n").arg(static_cast<int>(failure.kind)));
            status = failure ? 1 : 0;
            QCoreApplication::exit(status);
        });
    say(QStringLiteral("syncing\n"));
    sync.start(QUrl(QString::fromLocal8Bit(argv[2])), [](std::size_t, std::size_t) { return true; });
    // A failure at the start answers before the loop runs.
    if (sync.running()) QCoreApplication::exec();
    return status;
}
