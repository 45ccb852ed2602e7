// "zelmoran --sync" as a script runs it: the real program in a folder of its own against Radicale,
// without a desktop session (so no secret store), its exit status, its words and what it wrote.

#include "core/app/last_watched.h"
#include "core/app/paths.h"
#include "core/exchange/partner_import.h"
#include "gui/state/app_state.h"
#include "support/gui_util.h"
#include "support/radicale_server.h"
#include "support/settable_clock.h"
#include "support/test_util.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QProcess>
#include <QTest>
#include <algorithm>
#include <filesystem>
#include <map>

using namespace zel;
using namespace zel::test;
using namespace Qt::StringLiterals;
namespace fs = std::filesystem;

namespace {

const QString kWrongPassword =
    u"zelmoran: A kiszolgáló nem fogadta el a felhasználónevet vagy a jelszót.\n"_s;

QByteArray card(const QByteArray& uid, const QByteArray& fn) {
    return "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:" + uid + "\r\nFN:" + fn + "\r\nN:;;;;\r\nEND:VCARD\r\n";
}

struct Outcome {
    int status = -1;
    QString out, err;
};

class SyncCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.start());
        fs::create_directories(app_);
        fs::copy_file(ZEL_PROGRAM, app_ / "zelmoran");
        fs::create_directory(dir_.path() / "runtime");
        fs::permissions(dir_.path() / "runtime", fs::perms::owner_all);
        writeFile(password_, "titok\n");
    }

    std::string path(const char* name) const { return (dir_.path() / name).string(); }
    QString arg(const std::string& s) const { return QString::fromStdString(s); }
    QString url() const { return server_.baseUrl().toString(); }
    AppPaths paths() const { return AppPaths{app_}; }

    // The program in its folder, with no desktop session: no display, and a session bus that is not
    // there, so the secret store answers at once that it cannot be asked.
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, arg((dir_.path() / "runtime").string()));
        env.insert(u"XDG_DATA_HOME"_s, arg((dir_.path() / "share").string()));
        env.insert(u"XDG_CONFIG_HOME"_s, arg((dir_.path() / "config").string()));
        env.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + arg((dir_.path() / "no-bus").string()));
        env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
        return env;
    }
    QString program() const { return arg((app_ / "zelmoran").string()); }

    Outcome run(const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(program(), args);
        Outcome r;
        if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << "zelmoran " << args.join(u' ').toStdString() << " did not end normally";
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.status = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }
    Outcome sync(QStringList more = {}) { return run(QStringList{u"--sync"_s} + more); }
    Outcome syncAs(const QString& user, const std::string& passwordFile, QStringList more = {}) {
        return sync(
            QStringList{u"--server"_s, url(), u"--user"_s, user, u"--password-file"_s, arg(passwordFile)} +
            more);
    }

    // Partners put in with the program's own import (beside the maker's card a first start writes).
    void importPartners(const QByteArrayList& names) {
        QByteArray vcf;
        for (const QByteArray& n : names)
            vcf += "BEGIN:VCARD\r\nFN:" + n + "\r\nEND:VCARD\r\n";
        writeFile(path("import.vcf"), vcf.toStdString());
        const Outcome r = run({u"--import"_s, arg(path("import.vcf"))});
        ASSERT_EQ(r.status, 0) << r.err.toStdString();
    }
    std::vector<std::string> partnerNames() const {
        std::vector<std::string> names;
        for (const PartnerRecord& p : readAllPartners(paths().partners()))
            names.push_back(cp1250ToUtf8(p.name));
        return names;
    }
    SyncAccount account() const {
        SettableClock clock{Moment::at(2026, 12, 8, 10, 0, 0)};
        gui::AppState state(paths(), clock);
        state.loadSettings();
        return state.settings().account;
    }
    // Every file beside the program (the program aside) and its bytes.
    std::map<fs::path, std::string> folderBytes() const {
        std::map<fs::path, std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(app_))
            if (entry.is_regular_file() && entry.path() != app_ / "zelmoran")
                out[entry.path()] = readFile(entry.path());
        return out;
    }

    // Another client's request, as anna.
    HttpReply send(const QByteArray& verb, const QString& at, const QByteArray& body = {},
                   const QByteArray& type = "text/vcard; charset=utf-8") {
        return sendHttp(
            network_, verb, server_.baseUrl().resolved(QUrl(at)),
            {{"Authorization", basicAuthorization(u"anna"_s, u"titok"_s)}, {"Content-Type", type}}, body);
    }
    void makeBook(const QString& at, const QByteArray& name) {
        const HttpReply r = send("MKCOL", at, addressBookMkcol(name), "application/xml; charset=utf-8");
        ASSERT_EQ(r.status, 201) << r.body.data();
    }
    // The cards of one of a user's books, as the server's storage holds them.
    std::map<QString, QByteArray> cards(const QString& userAndBook) const {
        std::map<QString, QByteArray> out;
        QDir dir(server_.storagePath() + u"/collection-root/"_s + userAndBook);
        for (const QString& name : dir.entryList({u"*.vcf"_s}, QDir::Files)) {
            QFile f(dir.filePath(name));
            if (f.open(QIODevice::ReadOnly)) out[name] = f.readAll();
        }
        return out;
    }

    RadicaleServer server_{{{u"bela"_s, u"jelszo"_s}}};
    TempDir dir_;
    fs::path app_ = dir_.path() / "app";
    std::string password_ = path("jelszo.txt");
    QNetworkAccessManager network_;
};

} // namespace

TEST_F(SyncCommand, AFirstSyncWithAServerCreatesTheBookAndSetsUpTheAccountThatAPlainSyncFollows) {
    importPartners({"Kiss Anna", "Nagy Béla"});

    // No book on the server yet: "Zelmoran" is made, everyone goes up.
    Outcome first = syncAs(u"anna"_s, password_);
    EXPECT_EQ(first.status, 0) << first.err.toStdString();
    EXPECT_EQ(first.err, QString());
    EXPECT_EQ(first.out, u"Ezen a gépen: 0 új, 0 módosított, 0 törölt partner\n"
                         u"A kiszolgálón: 3 új, 0 módosított, 0 törölt névjegy\n"_s);
    const auto up = cards(u"anna/zelmoran"_s);
    ASSERT_EQ(up.size(), 3u);
    EXPECT_TRUE(
        std::any_of(up.begin(), up.end(), [](const auto& c) { return c.second.contains("FN:Nagy Béla"); }));
    // The window's status line will say it succeeded.
    EXPECT_TRUE(readLastWatched(paths().lastSync()).has_value());
    const SyncAccount saved = account();
    EXPECT_EQ(saved.server, url().toStdString());
    EXPECT_EQ(saved.user, "anna");
    EXPECT_EQ(saved.addressBook, url().toStdString() + "anna/zelmoran/");
    EXPECT_EQ(saved.addressBookName, "Zelmoran");
    EXPECT_EQ(saved.everyMinutes, 0);
    // The password stays in the file it was given in.
    for (const auto& [file, bytes] : folderBytes())
        EXPECT_EQ(bytes.find("titok"), std::string::npos) << file;

    // Another client adds a card; the account's book is synchronised with the password file alone.
    ASSERT_EQ(send("PUT", u"/anna/zelmoran/ida.vcf"_s, card("ida", "Szabó Ida")).status, 201);
    Outcome plain = sync({u"--password-file"_s, arg(password_)});
    EXPECT_EQ(plain.status, 0) << plain.err.toStdString();
    EXPECT_EQ(plain.out, u"Ezen a gépen: 1 új, 0 módosított, 0 törölt partner\n"
                         u"A kiszolgálón: 0 új, 0 módosított, 0 törölt névjegy\n"_s);
    EXPECT_EQ(partnerNames(), (std::vector<std::string>{"Kiss Anna", "Nagy Béla", "Szabó Ida", "Zelmoran"}));

    // The account's server and user again: its book, though the server now offers two.
    makeBook(u"/anna/munka/"_s, "Munka");
    Outcome again = syncAs(u"anna"_s, password_);
    EXPECT_EQ(again.status, 0) << again.err.toStdString();
    EXPECT_EQ(again.out, u"Nem történt változás.\n"_s);

    // Without a password file the secret store is asked; without one there is no password.
    const auto before = folderBytes();
    Outcome noPassword = sync();
    EXPECT_EQ(noPassword.status, 1);
    EXPECT_TRUE(noPassword.err.startsWith(u"zelmoran: "_s)) << noPassword.err.toStdString();
    EXPECT_TRUE(noPassword.err.contains(u"--password-file"_s)) << noPassword.err.toStdString();
    EXPECT_EQ(noPassword.err.count(u'\n'), 1) << noPassword.err.toStdString();
    EXPECT_EQ(noPassword.out, QString());
    EXPECT_EQ(folderBytes(), before);

    // Another user's server: synchronised, but the account set up stays anna's.
    writeFile(path("bela.txt"), "jelszo\r\n");
    Outcome other = syncAs(u"bela"_s, path("bela.txt"));
    EXPECT_EQ(other.status, 0) << other.err.toStdString();
    EXPECT_EQ(cards(u"bela/zelmoran"_s).size(), 4u);
    EXPECT_EQ(account(), saved);
}

TEST_F(SyncCommand, WithoutAnAccountOrAPasswordOrAChoiceOfBookNothingIsWritten) {
    importPartners({"Kiss Anna"});
    const auto before = folderBytes();
    const auto expectRefused = [&](const Outcome& r, const QString& err) {
        EXPECT_EQ(r.status, 1) << r.err.toStdString();
        EXPECT_EQ(r.err, err);
        EXPECT_EQ(r.out, QString());
        EXPECT_EQ(folderBytes(), before);
    };

    expectRefused(sync({u"--password-file"_s, arg(password_)}),
                  u"zelmoran: nincs beállítva szinkronizálási fiók. Állítsa be a „Beállítások” fül "
                  u"„Szinkronizálás…” gombjával, vagy adja meg a --server, a --user és a --password-file "
                  u"kapcsolót.\n"_s);
    writeFile(path("rossz.txt"), "rossz\n");
    expectRefused(syncAs(u"anna"_s, path("rossz.txt")), kWrongPassword);
    expectRefused(syncAs(u"anna"_s, path("nincs.txt")),
                  u"zelmoran: a jelszóállomány nem olvasható: "_s + arg(path("nincs.txt")) +
                      u" (I/O error 2). Az állomány vagy a mappája nem létezik.\n"_s);
    writeFile(path("ures.txt"), "\nmasodik sor\n");
    expectRefused(syncAs(u"anna"_s, path("ures.txt")),
                  u"zelmoran: a jelszóállomány első sora üres: "_s + arg(path("ures.txt")) + u'\n');

    // Two books, neither of them named as the program names its own: it does not guess.
    makeBook(u"/anna/munka/"_s, "Munka");
    makeBook(u"/anna/csalad/"_s, "Család");
    const Outcome several = syncAs(u"anna"_s, password_);
    EXPECT_EQ(several.status, 1);
    QStringList lines = several.err.split(u'\n');
    ASSERT_EQ(lines.size(), 4) << several.err.toStdString();
    EXPECT_EQ(lines[0],
              u"zelmoran: a kiszolgálón több címjegyzék van, és egyiknek sem „Zelmoran” a neve, ezért a "
              u"program nem választ közülük. Válasszon a „Beállítások” fül „Szinkronizálás…” gombjával:"_s);
    lines = lines.mid(1, 2);
    lines.sort();
    EXPECT_EQ(lines, (QStringList{u"  Család  "_s + url() + u"anna/csalad/"_s,
                                  u"  Munka  "_s + url() + u"anna/munka/"_s}));
    EXPECT_EQ(folderBytes(), before);
    EXPECT_EQ(account(), SyncAccount{});
    EXPECT_TRUE(cards(u"anna/munka"_s).empty());
}

TEST_F(SyncCommand, ManyDeletionsStopTheSyncUnlessAllowed) {
    QByteArrayList names;
    for (int i = 10; i < 22; ++i)
        names << "Partner " + QByteArray::number(i);
    importPartners(names);
    ASSERT_EQ(syncAs(u"anna"_s, password_).status, 0);
    // Another device empties the book but two cards.
    const auto all = cards(u"anna/zelmoran"_s);
    ASSERT_EQ(all.size(), 13u);
    for (auto it = std::next(all.begin(), 2); it != all.end(); ++it)
        ASSERT_EQ(send("DELETE", u"/anna/zelmoran/"_s + it->first).status, 200);

    const auto before = folderBytes();
    const Outcome refused = sync({u"--password-file"_s, arg(password_)});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err,
              u"zelmoran: a szinkronizálás 11 partnert törölne (ezen a gépen vagy a kiszolgálón), "
              u"ezért semmit sem írt. Ha a törlés szándékos, adja meg az --allow-deletions "
              u"kapcsolót is.\n"_s);
    EXPECT_EQ(refused.out, QString());
    EXPECT_EQ(folderBytes(), before);
    // A wrong password for the account's book: one line, nothing written.
    writeFile(path("rossz.txt"), "rossz");
    const Outcome wrong = sync({u"--password-file"_s, arg(path("rossz.txt")), u"--allow-deletions"_s});
    EXPECT_EQ(wrong.status, 1);
    EXPECT_EQ(wrong.err, kWrongPassword);
    EXPECT_EQ(folderBytes(), before);

    const Outcome allowed = sync({u"--allow-deletions"_s, u"--password-file"_s, arg(password_)});
    EXPECT_EQ(allowed.status, 0) << allowed.err.toStdString();
    EXPECT_EQ(allowed.out, u"Ezen a gépen: 0 új, 0 módosított, 11 törölt partner\n"
                           u"A kiszolgálón: 0 új, 0 módosított, 0 törölt névjegy\n"_s);
    EXPECT_EQ(partnerNames().size(), 2u);
}

TEST_F(SyncCommand, WrongArgumentsAndARunningWindowAreRefusedBeforeAnythingIsTouched) {
    const QString pw = arg(password_);
    const std::pair<QStringList, QString> usage[] = {
        {{u"--sync"_s, u"--import"_s, u"a.vcf"_s},
         u"a --sync nem adható meg az --import vagy az --export mellett."_s},
        {{u"--export"_s, u"a.csv"_s, u"--sync"_s},
         u"a --sync nem adható meg az --import vagy az --export mellett."_s},
        {{u"--sync"_s, u"a.vcf"_s}, u"a --sync mellett nem adható meg állománynév: a.vcf"_s},
        {{u"--sync"_s, u"--separator"_s, u";"_s}, u"a --separator a --sync mellett nem adható meg."_s},
        {{u"--sync"_s, u"--server"_s, url()},
         u"a --server és a --user csak együtt, a --password-file kapcsolóval adható meg."_s},
        {{u"--sync"_s, u"--server"_s, url(), u"--user"_s, u"anna"_s},
         u"a --server és a --user csak együtt, a --password-file kapcsolóval adható meg."_s},
        {{u"--sync"_s, u"--user"_s, u"anna"_s, u"--password-file"_s, pw},
         u"a --server és a --user csak együtt, a --password-file kapcsolóval adható meg."_s},
        {{u"--sync"_s, u"--server"_s}, u"a --server után meg kell adni a kiszolgáló címét."_s},
        {{u"--sync"_s, u"--server"_s, u"ftp://example.hu"_s, u"--user"_s, u"anna"_s, u"--password-file"_s,
          pw},
         u"a kiszolgáló címe nem érvényes: ftp://example.hu"_s},
        {{u"--server"_s, url(), u"--user"_s, u"anna"_s, u"--password-file"_s, pw},
         u"meg kell adni az --import, az --export vagy a --sync kapcsolót."_s},
        {{u"--import"_s, u"a.vcf"_s, u"--allow-deletions"_s},
         u"a --server, a --user, a --password-file és az --allow-deletions csak a --sync mellett adható meg."_s},
    };
    for (const auto& [args, message] : usage) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(r.err.startsWith(u"zelmoran: "_s + message + u"\n\nHasználat:"_s))
            << args.join(u' ').toStdString() << "\n"
            << r.err.toStdString();
    }
    EXPECT_TRUE(
        run({u"--help"_s}).out.contains(u"\n  zelmoran --sync --server CÍM --user NÉV --password-file "_s));
    EXPECT_EQ(fs::directory_iterator(app_)->path(), app_ / "zelmoran");
    EXPECT_EQ(std::distance(fs::directory_iterator(app_), fs::directory_iterator()), 1);

    // The window of this build holds the data: the sync does not start.
    QProcess window;
    QProcessEnvironment env = environment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    window.setProcessEnvironment(env);
    window.start(program(), {});
    const fs::path lock = paths().dataLock();
    ASSERT_TRUE(QTest::qWaitFor([&] { return fs::exists(lock); }, 60000)) << "the window did not start";
    const Outcome running = syncAs(u"anna"_s, password_);
    window.kill();
    window.waitForFinished();
    EXPECT_EQ(running.status, 3);
    EXPECT_EQ(running.err, u"zelmoran: a program fut ezen az adatállományon, ezért a parancssor nem ír bele. "
                           u"Lépjen ki a programból, majd próbálja újra.\n"_s);
    EXPECT_TRUE(cards(u"anna/zelmoran"_s).empty());
}

TEST_F(SyncCommand, ThePlainSyncAlsoPublishesTheDatesToTheAccountsCalendarAndTellsWhenThatFails) {
    importPartners({"Kiss Anna"});
    ASSERT_EQ(syncAs(u"anna"_s, password_).status, 0);
    ASSERT_EQ(send("MKCALENDAR", u"/anna/naptar/"_s, {}, "application/xml").status, 201);
    {
        SettableClock clock{Moment::at(2026, 12, 8, 10, 0, 0)};
        gui::AppState state(paths(), clock);
        state.loadSettings();
        Settings s = state.settings();
        s.account.calendar = url().toStdString() + "anna/naptar/";
        s.account.calendarName = "Naptár";
        state.setSettings(s);
        state.saveSettings();
        for (EventKind kind : kAllEventKinds)
            state.reloadEvents(kind);
        state.addEvent(EventKind::NameDay, {true, {}, cp("Kiss Anna"), double(dayNumber(2026, 1, 21)), 0});
    }
    Outcome r = sync({u"--password-file"_s, arg(password_)});
    EXPECT_EQ(r.status, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, u"Ezen a gépen: 0 új, 0 módosított, 0 törölt partner\n"
                     u"A kiszolgálón: 0 új, 0 módosított, 0 törölt névjegy\n"
                     u"A naptárban: 1 új, 0 módosított, 0 törölt esemény\n"_s);
    QDir calendar(server_.storagePath() + u"/collection-root/anna/naptar"_s);
    EXPECT_EQ(calendar.entryList({u"*.ics"_s}, QDir::Files).size(), 1);
    EXPECT_EQ(sync({u"--password-file"_s, arg(password_)}).out, u"Nem történt változás.\n"_s);

    // The calendar gone from the server: the partners are still synchronised, the failure is told and
    // the moment of the last success stays.
    const std::optional<Moment> last = readLastWatched(paths().lastSync());
    ASSERT_EQ(send("DELETE", u"/anna/naptar/"_s).status, 200);
    importPartners({"Nagy Béla"});
    Outcome failed = sync({u"--password-file"_s, arg(password_)});
    EXPECT_EQ(failed.status, 1);
    EXPECT_EQ(failed.out, u"Ezen a gépen: 0 új, 0 módosított, 0 törölt partner\n"
                          u"A kiszolgálón: 1 új, 0 módosított, 0 törölt névjegy\n"_s);
    EXPECT_TRUE(failed.err.startsWith(u"zelmoran: a naptár frissítése nem sikerült: "_s))
        << failed.err.toStdString();
    EXPECT_EQ(failed.err.count(u'\n'), 1) << failed.err.toStdString();
    EXPECT_EQ(cards(u"anna/zelmoran"_s).size(), 3u);
    EXPECT_EQ(readLastWatched(paths().lastSync()), last);
}
