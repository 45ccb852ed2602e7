#include "app/sync_command.h"

#include "app/console.h"
#include "core/events/event_record.h"
#include "core/settings/settings_record.h"
#include "gui/platform/system_clock.h"
#include "gui/state/app_state.h"
#include "gui/sync/account_dialog.h"
#include "gui/sync/address_book_sync.h"
#include "gui/sync/calendar_sync.h"
#include "gui/sync/dav_client.h"
#include "gui/sync/dav_error_text.h"
#include "gui/sync/secret_store.h"
#include "gui/sync/sync_controller.h"
#include "gui/sync/sync_report_text.h"

#include <QEventLoop>
#include <QUrl>
#include <cerrno>
#include <cstdio>
#include <utility>
#include <vector>

namespace zel::app {

namespace {

// No password is longer; a file without a line break (a device, say) is not read on and on.
constexpr qsizetype kMaxPasswordBytes = 64 * 1024;

const QString kNoAccount =
    QStringLiteral("nincs beállítva szinkronizálási fiók. Állítsa be a „Beállítások” fül „Szinkronizálás…” "
                   "gombjával, vagy adja meg a --server, a --user és a --password-file kapcsolót.");
const QString kNotInStore =
    QStringLiteral("a rendszer jelszótára nem őrzi a fiók jelszavát. Adja meg a jelszót egy állomány első "
                   "sorában a --password-file kapcsolóval, vagy mentse el a „Beállítások” fül "
                   "„Szinkronizálás…” gombjával.");
const QString kNoStore =
    QStringLiteral("a rendszer jelszótára nem érhető el, ezért a fiók jelszava sem. Adja meg a jelszót egy "
                   "állomány első sorában a --password-file kapcsolóval.");

QString bookName() {
    return QString::fromUtf16(gui::AccountDialog::kNewBookName);
}

// The first line of the file, without its line end (LF or CR LF). Throws IoError naming the file.
QByteArray firstLine(const std::string& name) {
    std::FILE* file = std::fopen(name.c_str(), "rb");
    if (!file) throw IoError(errno, name);
    QByteArray line;
    int c = 0;
    while (line.size() < kMaxPasswordBytes && (c = std::getc(file)) != EOF && c != '\n')
        line.append(static_cast<char>(c));
    const int error = std::ferror(file) ? (errno != 0 ? errno : EIO) : 0;
    std::fclose(file);
    if (error != 0) throw IoError(error, name);
    if (line.endsWith('\r')) line.chop(1);
    return line;
}

// Runs the event loop until `start` has handed its answer to the function it was given.
template <class Answer, class Start> Answer await(Start start) {
    std::optional<Answer> answer;
    QEventLoop loop;
    start([&answer, &loop](Answer a) {
        answer = std::move(a);
        loop.quit();
    });
    // An answer given at once came before the loop could take it.
    if (!answer) loop.exec();
    return std::move(*answer);
}

struct StoreAnswer {
    std::optional<QString> password;
    bool answered = false;
};
struct Discovered {
    std::vector<gui::AddressBookInfo> books;
    QUrl home;
    gui::DavError error;
};
struct Created {
    gui::AddressBookInfo book;
    gui::DavError error;
};
struct Ended {
    SyncReport report;
    gui::SyncFailure failure;
};
struct Published {
    SyncReport::Calendar report;
    gui::SyncFailure failure;
};

bool hasAccount(const SyncAccount& a) {
    return !a.server.empty() && !a.addressBook.empty();
}

// Whether the account is this server's and user's; its own book is then the one to take.
bool isAccountOf(const SyncAccount& a, const QString& server, const QString& user) {
    const auto key = [](const QString& s) { return QUrl(s).adjusted(QUrl::StripTrailingSlash); };
    return hasAccount(a) && key(QString::fromStdString(a.server)) == key(server) &&
           QString::fromStdString(a.user) == user;
}

// Of the books a server offers, the only one, else the one named as the program names its own.
std::optional<gui::AddressBookInfo> chooseBook(const std::vector<gui::AddressBookInfo>& books) {
    if (books.size() == 1) return books.front();
    for (const gui::AddressBookInfo& b : books)
        if (b.name == bookName()) return b;
    return std::nullopt;
}

int severalBooks(const std::vector<gui::AddressBookInfo>& books) {
    QString text = QStringLiteral("a kiszolgálón több címjegyzék van, és egyiknek sem „%1” a neve, ezért a "
                                  "program nem választ közülük. Válasszon a „Beállítások” fül "
                                  "„Szinkronizálás…” gombjával:")
                       .arg(bookName());
    for (const gui::AddressBookInfo& b : books)
        text += QStringLiteral("\n  %1  %2").arg(b.name, b.url.toString());
    return fail(Failure, text);
}

// The account's password from the desktop's secret store; none, having said why.
std::optional<QString> storedPassword(const SyncAccount& account) {
    gui::KeychainSecretStore store;
    const QString key =
        gui::passwordKey(QString::fromStdString(account.user), QString::fromStdString(account.server));
    const auto [password, answered] = await<StoreAnswer>([&](auto done) {
        store.read(key, [done](std::optional<QString> p, bool a) { done(StoreAnswer{std::move(p), a}); });
    });
    if (password && !password->isEmpty()) return password;
    fail(Failure, answered ? kNotInStore : kNoStore);
    return std::nullopt;
}

// The failure in the words the program uses for it.
int failed(const gui::SyncFailure& f, const AppPaths& paths, const QString& host) {
    switch (f.kind) {
    case gui::SyncFailure::Kind::None:
        break;
    case gui::SyncFailure::Kind::Network:
        return fail(Failure, gui::davErrorText(f.network, host));
    case gui::SyncFailure::Kind::MapDamaged:
        return failOn(
            Failure,
            QStringLiteral("a szinkronizálás nyilvántartása sérült (a %1. sorában), ezért a program "
                           "nem szinkronizál. Ha törli, a következő szinkronizálás név szerint "
                           "párosítja a partnereket és a névjegyeket: ")
                .arg(f.mapLine),
            paths.syncMap().string());
    case gui::SyncFailure::Kind::LocalWrite:
        if (f.io) return failIo(QStringLiteral("nem sikerült: "), *f.io);
        return fail(Failure, QStringLiteral("nem sikerült egy adatállomány írása."));
    case gui::SyncFailure::Kind::DeletionsRefused:
        return fail(Failure, QStringLiteral("a szinkronizálás %1 partnert törölne (ezen a gépen vagy a "
                                            "kiszolgálón), ezért semmit sem írt. Ha a törlés szándékos, adja "
                                            "meg az --allow-deletions kapcsolót is.")
                                 .arg(f.deletions));
    }
    return Success;
}

} // namespace

int runSync(const AppPaths& paths, const SyncOptions& options) {
    gui::SystemClock clock;
    gui::AppState state(paths, clock);
    state.loadSettings();
    const SyncAccount account = state.settings().account;
    const bool given = !options.server.isEmpty();
    if (!given) {
        // The account is kept in the further settings file.
        if (const std::optional<IoError>& e = state.furtherSettingsError())
            return failIo(QStringLiteral("nem olvasható: "), *e);
        if (!hasAccount(account)) return fail(Failure, kNoAccount);
    }
    const QString server = given ? options.server : QString::fromStdString(account.server);
    const QString user = given ? options.user : QString::fromStdString(account.user);
    const QString host = QUrl(server).host();

    QString password;
    if (options.passwordFile) {
        try {
            password = QString::fromUtf8(firstLine(*options.passwordFile));
        } catch (const IoError& e) {
            return failIo(QStringLiteral("a jelszóállomány nem olvasható: "), e);
        }
        if (password.isEmpty())
            return failOn(Failure, QStringLiteral("a jelszóállomány első sora üres: "),
                          *options.passwordFile);
    } else {
        const std::optional<QString> stored = storedPassword(account);
        if (!stored) return Failure;
        password = *stored;
    }

    gui::DavClient client({user, password});
    gui::AddressBookInfo book{QUrl(QString::fromStdString(account.addressBook)),
                              QString::fromStdString(account.addressBookName)};
    if (given && !isAccountOf(account, server, user)) {
        const Discovered found = await<Discovered>([&](auto done) {
            client.discover(QUrl(server),
                            [done](std::vector<gui::AddressBookInfo> books, QUrl home, gui::DavError error) {
                                done(Discovered{std::move(books), std::move(home), std::move(error)});
                            });
        });
        if (found.error) return fail(Failure, gui::davErrorText(found.error, host));
        if (found.books.empty()) {
            const Created created = await<Created>([&](auto done) {
                client.createAddressBook(found.home, bookName(),
                                         [done](gui::AddressBookInfo b, gui::DavError e) {
                                             done(Created{std::move(b), std::move(e)});
                                         });
            });
            if (created.error) return fail(Failure, gui::davErrorText(created.error, host));
            book = created.book;
        } else if (const std::optional<gui::AddressBookInfo> chosen = chooseBook(found.books)) {
            book = *chosen;
        } else {
            return severalBooks(found.books);
        }
    }

    // The data as the window reads it at start.
    preparePartnerFile(paths);
    state.reloadPartners();
    for (EventKind kind : kAllEventKinds)
        state.reloadEvents(kind);

    gui::AddressBookSync sync(state, client);
    const Ended ended = await<Ended>([&](auto done) {
        QObject::connect(&sync, &gui::AddressBookSync::finished,
                         [done](const SyncReport& report, const gui::SyncFailure& failure) {
                             done(Ended{report, failure});
                         });
        // The command line asks nobody: the switch answers.
        sync.start(book.url, [allow = options.allowDeletions](std::size_t, std::size_t) { return allow; });
    });
    SyncReport report = ended.report;

    // The dates go to the account's calendar, as in the window: also after a failure the server had no
    // part in, never instead of the address book.
    std::optional<Published> published;
    const bool ownAccount = !given || isAccountOf(account, server, user);
    if (ownAccount && !account.calendar.empty() && ended.failure.kind != gui::SyncFailure::Kind::Network) {
        gui::CalendarSync publish(state, client);
        published = await<Published>([&](auto done) {
            QObject::connect(&publish, &gui::CalendarSync::finished,
                             [done](const SyncReport::Calendar& r, const gui::SyncFailure& f) {
                                 done(Published{r, f});
                             });
            publish.start(QUrl(QString::fromStdString(account.calendar)));
        });
        // A failed publish is told on its own line, not as counts of what it got through.
        if (!published->failure) report.calendar = published->report;
    }
    if (ended.failure) {
        if (report.calendar) {
            const QString calendar = gui::calendarSummary(report), notes = gui::calendarNotes(report);
            for (const QString& line : {calendar, notes})
                if (!line.isEmpty()) std::fputs((line + u'\n').toUtf8().constData(), stdout);
        }
        return failed(ended.failure, paths, host);
    }
    std::fputs(gui::reportText(report).toUtf8().constData(), stdout);
    if (published && published->failure)
        return fail(Failure, QStringLiteral("a naptár frissítése nem sikerült: ") +
                                 gui::calendarFailureText(published->failure, host).simplified());
    // The window's status line tells of this success too.
    state.recordSyncSuccess(clock.now());

    // A first account comes from the command line too, so that a plain --sync follows it; one set up
    // already stays. A further settings file that could not be read is not written over.
    if (given && !hasAccount(account) && !state.furtherSettingsError()) {
        Settings s = state.settings();
        s.account = SyncAccount{server.toStdString(),
                                user.toStdString(),
                                book.url.toString().toStdString(),
                                book.name.toStdString(),
                                0,
                                {},
                                {}};
        state.setSettings(s);
        state.saveSettings();
    }
    return Success;
}

} // namespace zel::app
