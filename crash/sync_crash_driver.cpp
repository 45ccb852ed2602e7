// Runs one synchronisation of a data folder's partners with an address book, or one publish of its
// dates to a calendar (--calendar), as the program does, and can kill itself in the middle of it: at
// a step of its file replacements, or right after an upload's answer came. What the kill leaves, and
// what the next run makes of it, is the test's.
//
// On stdout: "syncing" once the folder is read and the run starts (a runner's clock for a kill
// after a delay starts there), and at the end "steps S uploads U changed|nothing requests R", then
// the report. Exit status 0 when the run finished, 1 when it failed, 64 on a wrong command line.
#include "core/app/paths.h"
#include "core/os/file.h"
#include "gui/platform/system_clock.h"
#include "gui/state/app_state.h"
#include "gui/sync/address_book_sync.h"
#include "gui/sync/calendar_sync.h"
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
    // "--calendar" before the rest publishes the dates instead of synchronising the partners.
    const bool calendar = argc > 1 && std::strcmp(argv[1], "--calendar") == 0;
    const int shift = calendar ? 1 : 0;
    const auto arg = [&](int i) { return argv[i + shift]; };
    const int args = argc - shift;
    const bool afterUploads = args == 7 && std::strcmp(arg(5), "--kill-after-uploads") == 0;
    if (args != 5 && !(args == 6 && arg(5)[0] != '-') && !afterUploads) {
        std::fprintf(stderr,
                     "usage: %s [--calendar] APP_FOLDER COLLECTION_URL USER PASSWORD "
                     "[KILL_AT_STEP | --kill-after-uploads K]\n",
                     argv[0]);
        return 64;
    }
    if (args == 6) killAtStep = std::strtoull(arg(5), nullptr, 10);
    const unsigned long long killAfterUploads = afterUploads ? std::strtoull(arg(6), nullptr, 10) : 0;
    const QUrl collection(QString::fromLocal8Bit(arg(2)));

    // The folder as the program's start finds it: leftovers of a replacement cut short go, the
    // partners and every event table are read.
    const zel::AppPaths paths{std::filesystem::path(arg(1))};
    zel::removeLeftoverTemporaries(paths);
    zel::gui::SystemClock clock;
    zel::gui::AppState state(paths, clock);
    state.reloadPartners();
    for (zel::EventKind kind : zel::kAllEventKinds)
        state.reloadEvents(kind);
    zel::os::setReplaceObserver(countStep);

    zel::gui::DavClient client({QString::fromLocal8Bit(arg(3)), QString::fromLocal8Bit(arg(4))});
    unsigned long long uploadAnswers = 0;
    // Every upload's answer reports progress past zero once it is taken into the map in memory (the
    // reading of cards reports none past zero); the map reaches the disk only after the last one.
    const auto progress = [&](int done, int) {
        if (done == 0) return;
        if (++uploadAnswers == killAfterUploads) ::kill(::getpid(), SIGKILL);
    };
    int status = 1;
    const auto finished = [&](const zel::SyncReport& report, bool nothingChanged,
                              const zel::gui::SyncFailure& failure) {
        say(QStringLiteral("steps %1 uploads %2 %3 requests %4\n")
                .arg(stepsSeen)
                .arg(uploadAnswers)
                .arg(nothingChanged ? u"nothing" : u"changed")
                .arg(client.requestsSent()));
        say(zel::gui::reportText(report));
        if (failure.kind == zel::gui::SyncFailure::Kind::Network)
            say(zel::gui::davErrorText(failure.network, collection.host()) + u'\n');
        else if (failure.io)
            say(QStringLiteral("local write failed: %1 %2\n")
                    .arg(QString::fromUtf8(failure.io->what()), QString::fromStdString(failure.io->path())));
        else if (failure)
            say(QStringLiteral("failed: kind %1\n").arg(static_cast<int>(failure.kind)));
        status = failure ? 1 : 0;
        QCoreApplication::exit(status);
    };

    if (calendar) {
        zel::gui::CalendarSync publish(state, client);
        QObject::connect(&publish, &zel::gui::CalendarSync::progress, progress);
        QObject::connect(&publish, &zel::gui::CalendarSync::finished,
                         [&](const zel::SyncReport::Calendar& c, const zel::gui::SyncFailure& failure) {
                             zel::SyncReport report;
                             report.calendar = c;
                             const bool nothing =
                                 c.events == zel::SyncReport::Counts{} && c.restored == 0 && c.postponed == 0;
                             finished(report, nothing, failure);
                         });
        say(QStringLiteral("syncing\n"));
        publish.start(collection);
        // A failure at the start answers before the loop runs.
        if (publish.running()) QCoreApplication::exec();
        return status;
    }
    zel::gui::AddressBookSync sync(state, client);
    QObject::connect(&sync, &zel::gui::AddressBookSync::progress, progress);
    QObject::connect(&sync, &zel::gui::AddressBookSync::finished,
                     [&](const zel::SyncReport& report, const zel::gui::SyncFailure& failure) {
                         finished(report, report.nothingChanged(), failure);
                     });
    say(QStringLiteral("syncing\n"));
    sync.start(collection, [](std::size_t, std::size_t) { return true; });
    if (sync.running()) QCoreApplication::exec();
    return status;
}
