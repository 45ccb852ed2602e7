#include "app/command_line.h"

#include "app/console.h"
#include "app/sync_command.h"
#include "core/app/instance_identity.h"
#include "core/app/paths.h"
#include "core/errors.h"
#include "core/exchange/contacts.h"
#include "core/exchange/partner_import.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "gui/platform/instance_guard.h"
#include "gui/platform/system_clock.h"
#include "gui/start/startup.h"
#include "gui/state/app_state.h"
#include "gui/sync/account_dialog.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::app {

namespace {

namespace fs = std::filesystem;

const char* const kHelp =
    "Használat:\n"
    "  zelmoran\n"
    "      a program indítása\n"
    "  zelmoran --import ÁLLOMÁNY... [--separator K]\n"
    "      partnerek felvétele vCard (.vcf), CSV (.csv) vagy LDIF (.ldif) állományból; a meglévő\n"
    "      nevek (kis- és nagybetűtől függetlenül) és a név nélküli bejegyzések kimaradnak\n"
    "  zelmoran --export ÁLLOMÁNY [--separator K]\n"
    "      a partnerek kiírása CSV állományba, \".vcf\" végű név esetén vCard 3.0 formában;\n"
    "      \".ics\" végű név esetén a partnerek helyett az aktív emlékeztetők, névnapok és\n"
    "      születésnapok kiírása iCalendar naptárként (programindítások nélkül), amelyet\n"
    "      telefonok, webes naptárak és levelezőprogramok importálni tudnak; a meglévő\n"
    "      állomány felülíródik\n"
    "  zelmoran --sync [--password-file ÁLLOMÁNY] [--allow-deletions]\n"
    "  zelmoran --sync --server CÍM --user NÉV --password-file ÁLLOMÁNY [--allow-deletions]\n"
    "      a partnerek szinkronizálása egy CardDAV címjegyzékkel, mindkét irányban, és ha a\n"
    "      fiókhoz naptár is tartozik, a dátumok közzététele benne; kiírja, mi változott ezen a\n"
    "      gépen és a kiszolgálón\n"
    "  zelmoran --help\n"
    "      ez a leírás\n"
    "\n"
    "A --separator a CSV elemelválasztó karaktere (\"tab\": tabulátor); importnál minden CSV\n"
    "állományra érvényes. Ha nincs megadva, importnál minden CSV állomány elválasztója a\n"
    "fejlécsorából derül ki (; , tabulátor vagy |), exportnál \";\". Az a CSV állomány, amelynek\n"
    "fejlécsora nem bontható legalább két oszlopra, nem címjegyzék, és az importálás semmit sem ír.\n"
    "Az iCalendar naptárhoz nem adható meg --separator. A naptárban a névnapok és a születésnapok\n"
    "emlékeztetője a beállított időpontban (alapértelmezésben 9:00-kor) szól.\n"
    "A -- utáni paraméterek mind állománynevek (kötőjellel kezdődő nevekhez).\n"
    "A --sync a \"Beállítások\" fül \"Szinkronizálás…\" gombjával beállított fiók címjegyzékével\n"
    "szinkronizál; a jelszót a rendszer jelszótárából veszi, vagy a --password-file állomány első\n"
    "sorából. A --server és a --user együtt, a --password-file kapcsolóval adható meg: ha a\n"
    "kiszolgáló és a felhasználó a fiókéval azonos, a fiók címjegyzéke, különben a kiszolgáló\n"
    "egyetlen címjegyzéke, vagy több közül a \"Zelmoran\" nevű szinkronizálódik; ha nincs\n"
    "címjegyzék, a program létrehozza a \"Zelmoran\" címjegyzéket. Ha még nincs fiók, ezek lesznek\n"
    "a fiók adatai (a jelszó nélkül). Ha a szinkronizálás sok partnert törölne, csak az\n"
    "--allow-deletions kapcsolóval fut le, nélküle semmit sem ír. A parancssor soha nem kérdez.\n"
    "A naptárat (az aktív emlékeztetők, a névnapok és a születésnapok CalDAV naptárát) a fiók\n"
    "beállításában lehet kiválasztani; a --server és --user kapcsolóval megadott más fiókhoz\n"
    "nem tartozik naptár.\n"
    "Az adatok a program mellett lévő Data könyvtárban vannak. Amíg a program fut, a parancssor\n"
    "nem ír bele és nem olvas belőle: előbb lépjen ki a programból.\n"
    "Kilépési kód: 0 siker, 1 hiba, 2 hibás paraméterezés, 3 a program fut.\n"
    "Szkriptek a kilépési kódot vizsgálják, ne a kiírt szöveget.\n";

struct Request {
    bool help = false;
    std::string_view mode; // "--import", "--export" or "--sync"
    // The names as the arguments hold them: a name that is no UTF-8 still reaches its own file.
    std::vector<std::string> files;
    std::optional<char> separator;
    SyncOptions sync;
};

// An export to a name ending in ".ics" (in any case) writes the events as a calendar.
bool isCalendarName(const std::string& name) {
    return QByteArray::fromStdString(name).toLower().endsWith(".ics");
}

// The value after an option, which must not be empty; nullopt with a message on stderr.
std::optional<std::string> valueOf(int argc, char* argv[], int& i, const QString& missing) {
    if (++i == argc || argv[i][0] == '\0') {
        fail(Usage, missing);
        return std::nullopt;
    }
    return std::string(argv[i]);
}

// The switches that belong to --sync are given with it, and in their combinations.
bool checkSync(const Request& r) {
    const SyncOptions& s = r.sync;
    const bool any = !s.server.isEmpty() || !s.user.isEmpty() || s.passwordFile || s.allowDeletions;
    if (r.mode != "--sync") {
        if (any)
            fail(Usage, QStringLiteral("a --server, a --user, a --password-file és az --allow-deletions csak "
                                       "a --sync mellett adható meg."));
        return !any;
    }
    if (!r.files.empty()) {
        failOn(Usage, QStringLiteral("a --sync mellett nem adható meg állománynév: "), r.files.front());
        return false;
    }
    if (r.separator) {
        fail(Usage, QStringLiteral("a --separator a --sync mellett nem adható meg."));
        return false;
    }
    if (s.server.isEmpty() != s.user.isEmpty() || (!s.server.isEmpty() && !s.passwordFile)) {
        fail(Usage,
             QStringLiteral("a --server és a --user csak együtt, a --password-file kapcsolóval adható meg."));
        return false;
    }
    return true;
}

// nullopt with a message on stderr for arguments that make no request.
std::optional<Request> parse(int argc, char* argv[]) {
    Request r;
    bool namesOnly = false; // after "--"
    for (int i = 1; i < argc; ++i) {
        const std::string_view a(argv[i]);
        if (namesOnly || !a.starts_with('-')) {
            r.files.emplace_back(a);
        } else if (a == "--") {
            namesOnly = true;
        } else if (a == "--help" || a == "-h") {
            r.help = true;
        } else if (a == "--import" || a == "--export" || a == "--sync") {
            if (!r.mode.empty() && r.mode != a) {
                fail(Usage,
                     a == "--sync" || r.mode == "--sync"
                         ? QStringLiteral("a --sync nem adható meg az --import vagy az --export mellett.")
                         : QStringLiteral("az --import és az --export nem adható meg együtt."));
                return std::nullopt;
            }
            r.mode = a;
        } else if (a == "--server") {
            const auto v =
                valueOf(argc, argv, i, QStringLiteral("a --server után meg kell adni a kiszolgáló címét."));
            if (!v) return std::nullopt;
            r.sync.server = gui::AccountDialog::normalizedServer(QString::fromLocal8Bit(v->c_str()));
            if (r.sync.server.isEmpty()) {
                failOn(Usage, QStringLiteral("a kiszolgáló címe nem érvényes: "), *v);
                return std::nullopt;
            }
        } else if (a == "--user") {
            const auto v =
                valueOf(argc, argv, i, QStringLiteral("a --user után meg kell adni a felhasználónevet."));
            if (!v) return std::nullopt;
            r.sync.user = QString::fromLocal8Bit(v->c_str()).trimmed();
            if (r.sync.user.isEmpty()) {
                fail(Usage, QStringLiteral("a --user után meg kell adni a felhasználónevet."));
                return std::nullopt;
            }
        } else if (a == "--password-file") {
            r.sync.passwordFile = valueOf(
                argc, argv, i, QStringLiteral("a --password-file után meg kell adni egy állománynevet."));
            if (!r.sync.passwordFile) return std::nullopt;
        } else if (a == "--allow-deletions") {
            r.sync.allowDeletions = true;
        } else if (a == "--separator") {
            if (++i == argc || argv[i][0] == '\0') {
                fail(Usage, QStringLiteral("a --separator után meg kell adni egy karaktert."));
                return std::nullopt;
            }
            const QString s = QString::fromLocal8Bit(argv[i]);
            if (s.compare(QLatin1String("tab"), Qt::CaseInsensitive) == 0 || s == QLatin1String("\\t"))
                r.separator = '\t';
            else
                r.separator = utf8ToCp1250(s.left(1).toStdString()).front();
        } else {
            failOn(Usage, QStringLiteral("ismeretlen kapcsoló: "), std::string(a));
            return std::nullopt;
        }
    }
    if (r.help) return r;
    if (r.mode.empty()) {
        fail(Usage, QStringLiteral("meg kell adni az --import, az --export vagy a --sync kapcsolót."));
        return std::nullopt;
    }
    if (!checkSync(r)) return std::nullopt;
    if (r.mode == "--sync") return r;
    if (r.files.empty() || (r.mode == "--export" && r.files.size() != 1)) {
        fail(Usage, r.mode == "--export"
                        ? QStringLiteral("az --export után pontosan egy állománynevet kell megadni.")
                        : QStringLiteral("az --import után legalább egy állománynevet kell megadni."));
        return std::nullopt;
    }
    if (r.mode == "--export" && r.separator && isCalendarName(r.files.front())) {
        fail(Usage, QStringLiteral("a --separator nem adható meg, ha az --export iCalendar (.ics) "
                                   "állományba ír."));
        return std::nullopt;
    }
    return r;
}

int importFiles(const AppPaths& paths, const Request& r) {
    // Every file is read before anything is written, so a bad one leaves the partner file as it was.
    std::vector<PartnerRecord> contacts;
    std::size_t damaged = 0;
    for (const std::string& name : r.files) {
        const fs::path path(name);
        std::error_code ec;
        if (const fs::file_status st = fs::status(path, ec);
            fs::exists(st) && (!fs::is_regular_file(st) || fs::file_size(path, ec) > kMaxImportFileBytes))
            return failOn(
                Failure,
                QStringLiteral("nem címjegyzék (nem közönséges állomány, vagy 256 MiB-nál nagyobb): "), name);
        std::string bytes;
        try {
            bytes = readRecords(path, 1);
        } catch (const IoError& e) {
            return failIo(QStringLiteral("nem olvasható állomány: "), e);
        }
        if (!isImportText(bytes))
            return failOn(Failure, QStringLiteral("nem címjegyzék (nem szöveges állomány): "), name);
        const ExchangeFormat format = formatOfFileName(name);
        if (format == ExchangeFormat::Unknown)
            return failOn(Failure,
                          QStringLiteral("ismeretlen formátum (.vcf, .csv vagy .ldif kiterjesztés kell): "),
                          name);
        char separator = ';';
        if (format == ExchangeFormat::Csv) {
            // A separator given applies to every CSV file; without one each file's header tells its own.
            const std::optional<char> found = csvSeparator(bytes, r.separator);
            if (!found)
                return failOn(Failure,
                              r.separator
                                  ? QStringLiteral("nem címjegyzék (a fejlécsora a megadott "
                                                   "elválasztóval nem bontható legalább két oszlopra): ")
                                  : QStringLiteral("nem címjegyzék (a fejlécsorát a ; , tabulátor és | "
                                                   "elválasztók egyike sem bontja legalább két oszlopra): "),
                              name);
            separator = *found;
        }
        ContactsRead read = readContacts(format, bytes, separator);
        if (read.contacts.empty())
            return failOn(Failure, QStringLiteral("egyetlen névjegy sem olvasható ki belőle: "), name);
        damaged += read.damaged;
        contacts.insert(contacts.end(), std::make_move_iterator(read.contacts.begin()),
                        std::make_move_iterator(read.contacts.end()));
    }
    preparePartnerFile(paths);
    const PartnerImport done = importPartners(paths.partners(), contacts);
    QString report =
        QStringLiteral(
            "%1 új partner felvéve, %2 kihagyva (már partner), %3 kihagyva (üres vagy kettőspontos név)")
            .arg(done.added.size())
            .arg(done.alreadyPartners)
            .arg(done.nameless);
    if (damaged > 0) report += QStringLiteral(", %1 kihagyva (sérült bejegyzés)").arg(damaged);
    say(stdout, report);
    return Success;
}

// The calendar the window's export writes, with the alarm time its settings give.
int exportCalendar(const AppPaths& paths, const std::string& name) {
    gui::SystemClock clock;
    gui::AppState state(paths, clock);
    try {
        state.loadSettings();
    } catch (const IoError&) {
        // The settings record holds nothing a calendar needs; the further file was read before it.
    }
    if (const std::optional<IoError>& e = state.furtherSettingsError())
        return failIo(QStringLiteral("nem olvasható: "), *e);
    // Without a record it could read, the further file's keys go over the defaults here.
    state.setSettings(state.withFurtherSettings(state.settings()));
    const std::size_t written = state.exportCalendar(fs::path(name));
    sayBytes(stdout, QStringLiteral("%1 esemény kiírva: ").arg(written).toStdString() + name);
    return Success;
}

int exportFile(const AppPaths& paths, const Request& r) {
    const std::string& name = r.files.front();
    const fs::path path(name);
    std::error_code ec;
    // A device, a pipe or a folder would be replaced by a plain file; a link to a plain file is written
    // at its target.
    if (const fs::file_status st = fs::status(path, ec); fs::exists(st) && !fs::is_regular_file(st))
        return failOn(Failure,
                      QStringLiteral("nem közönséges állomány (hanem például eszköz, csővezeték vagy mappa), "
                                     "ezért nem írható felül: "),
                      name);
    if (isCalendarName(name)) return exportCalendar(paths, name);
    std::vector<PartnerRecord> partners;
    if (std::filesystem::exists(paths.partners(), ec)) partners = readAllPartners(paths.partners());
    const bool vcard = QByteArray::fromStdString(name).toLower().endsWith(".vcf");
    replaceFile(path, vcard ? writeVCard(partners) : writeCsv(partners, r.separator.value_or(';')));
    sayBytes(stdout, QStringLiteral("%1 partner kiírva: ").arg(partners.size()).toStdString() + name);
    return Success;
}

// Qt's own options for the window (with one dash or, as Qt also takes them, two).
enum class WindowOption { None, Alone, WithValue };
WindowOption windowOption(std::string_view a) {
    if (a.starts_with("--")) a.remove_prefix(1);
    if (!a.starts_with('-')) return WindowOption::None;
    a.remove_prefix(1);
    static constexpr std::string_view withValue[] = {
        "platform",        "platformpluginpath", "platformtheme", "plugin",
        "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
        "display",         "geometry",           "style",         "stylesheet"};
    for (const std::string_view o : withValue)
        if (a == o) return WindowOption::WithValue;
    if (a == "reverse" || a == "widgetcount" || a.starts_with("style=") || a.starts_with("stylesheet="))
        return WindowOption::Alone;
    return WindowOption::None;
}

} // namespace

bool wantsCommandLine(int argc, char* argv[]) {
    // The window takes Qt's own options and nothing else; any other argument is the command line's,
    // which refuses what it does not know instead of starting a window that ignores it.
    for (int i = 1; i < argc; ++i) {
        switch (windowOption(argv[i])) {
        case WindowOption::None:
            return true;
        case WindowOption::WithValue:
            if (++i == argc) return true;
            break;
        case WindowOption::Alone:
            break;
        }
    }
    return false;
}

int runCommandLine(int argc, char* argv[]) {
    const std::optional<Request> request = parse(argc, argv);
    if (!request) {
        std::fputs("\n", stderr);
        std::fputs(kHelp, stderr);
        return Usage;
    }
    if (request->help) {
        std::fputs(kHelp, stdout);
        return Success;
    }
    // The running program keeps its data in memory and would overwrite what is written under it.
    auto guard = std::make_unique<gui::InstanceGuard>(
        identityOfFile(QCoreApplication::applicationFilePath().toStdString()),
        QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
        storedFromMoment(gui::SystemClock().now()));
    if (!guard->claim())
        return fail(Running, QStringLiteral("a program fut ezen az adatállományon, ezért a parancssor nem "
                                            "ír bele. Lépjen ki a programból, majd próbálja újra."));
    const AppPaths paths{gui::dataFolderFor(QCoreApplication::applicationDirPath().toStdString())};
    if (const int error = writeTestError(paths))
        return fail(Failure, gui::writeTestMessage(gui::folderText(paths), error));
    try {
        // Another build, the window of one included, may be using the same data.
        const auto dataLock = takeDataLock(paths);
        if (!dataLock) return fail(Running, gui::dataInUseMessage());
        // From here the data lock keeps every other copy off the data. The guard would answer a window
        // started meanwhile (the sync runs an event loop), which would then end unseen; without it
        // that start says the data is in use.
        guard.reset();
        if (request->mode == "--sync") return runSync(paths, request->sync);
        return request->mode == "--import" ? importFiles(paths, *request) : exportFile(paths, *request);
    } catch (const IoError& e) {
        return failIo(QStringLiteral("nem sikerült: "), e);
    }
}

} // namespace zel::app
