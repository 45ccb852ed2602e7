#include "app/command_line.h"

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
#include "gui/text/error_box.h"

#include <QCoreApplication>
#include <QStandardPaths>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel::app {

namespace {

namespace fs = std::filesystem;

enum Status { Success = 0, Failure = 1, Usage = 2, Running = 3 };

const char* const kHelp =
    "Használat:\n"
    "  zelmoran\n"
    "      a program indítása\n"
    "  zelmoran --import ÁLLOMÁNY... [--separator K]\n"
    "      partnerek felvétele vCard (.vcf), CSV (.csv) vagy LDIF (.ldif) állományból; a meglévő\n"
    "      nevek (kis- és nagybetűtől függetlenül) és a név nélküli bejegyzések kimaradnak\n"
    "  zelmoran --export ÁLLOMÁNY [--separator K]\n"
    "      a partnerek kiírása CSV állományba, \".vcf\" végű név esetén vCard 3.0 formában;\n"
    "      a meglévő állomány felülíródik\n"
    "  zelmoran --help\n"
    "      ez a leírás\n"
    "\n"
    "A --separator a CSV elemelválasztó karaktere (\"tab\": tabulátor); importnál minden CSV\n"
    "állományra érvényes. Ha nincs megadva, importnál minden CSV állomány elválasztója a\n"
    "fejlécsorából derül ki (; , tabulátor vagy |), exportnál \";\". Az a CSV állomány, amelynek\n"
    "fejlécsora nem bontható legalább két oszlopra, nem címjegyzék, és az importálás semmit sem ír.\n"
    "A -- utáni paraméterek mind állománynevek (kötőjellel kezdődő nevekhez).\n"
    "Az adatok a program mellett lévő Data könyvtárban vannak. Amíg a program fut, a parancssor\n"
    "nem ír bele és nem olvas belőle: előbb lépjen ki a programból.\n"
    "Kilépési kód: 0 siker, 1 hiba, 2 hibás paraméterezés, 3 a program fut.\n"
    "Szkriptek a kilépési kódot vizsgálják, ne a kiírt szöveget.\n";

void say(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}
// A line that holds file names as the user gave them, byte for byte; the rest is UTF-8.
void sayBytes(FILE* to, const std::string& line) {
    std::fwrite(line.data(), 1, line.size(), to);
    std::fputc('\n', to);
}
int fail(Status status, const QString& text) {
    say(stderr, QStringLiteral("zelmoran: ") + text);
    return status;
}
// The message, then the name the user gave.
int failOn(Status status, const QString& text, const std::string& name) {
    sayBytes(stderr, QString(QStringLiteral("zelmoran: ") + text).toStdString() + name);
    return status;
}
// The error box's words on one line: what failed, the file, the error number and its cause.
int failIo(const QString& what, const IoError& e) {
    std::string line =
        QString(QStringLiteral("zelmoran: ") + what).toStdString() + e.path() + " (" + e.what() + ")";
    if (const QString cause = gui::ioErrorCause(e.code()); !cause.isEmpty())
        line += ". " + cause.toStdString();
    sayBytes(stderr, line);
    return Failure;
}

struct Request {
    bool help = false;
    std::string_view mode; // "--import" or "--export"
    // The names as the arguments hold them: a name that is no UTF-8 still reaches its own file.
    std::vector<std::string> files;
    std::optional<char> separator;
};

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
        } else if (a == "--import" || a == "--export") {
            if (!r.mode.empty() && r.mode != a) {
                fail(Usage, QStringLiteral("az --import és az --export nem adható meg együtt."));
                return std::nullopt;
            }
            r.mode = a;
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
        fail(Usage, QStringLiteral("meg kell adni az --import vagy az --export kapcsolót."));
        return std::nullopt;
    }
    if (r.files.empty() || (r.mode == "--export" && r.files.size() != 1)) {
        fail(Usage, r.mode == "--export"
                        ? QStringLiteral("az --export után pontosan egy állománynevet kell megadni.")
                        : QStringLiteral("az --import után legalább egy állománynevet kell megadni."));
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
    gui::InstanceGuard guard(identityOfFile(QCoreApplication::applicationFilePath().toStdString()),
                             QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
                             storedFromMoment(gui::SystemClock().now()));
    if (!guard.claim())
        return fail(Running, QStringLiteral("a program fut ezen az adatállományon, ezért a parancssor nem "
                                            "ír bele. Lépjen ki a programból, majd próbálja újra."));
    const AppPaths paths{gui::dataFolderFor(QCoreApplication::applicationDirPath().toStdString())};
    if (const int error = writeTestError(paths))
        return fail(Failure, gui::writeTestMessage(gui::folderText(paths), error));
    try {
        // Another build, the window of one included, may be using the same data.
        const auto dataLock = takeDataLock(paths);
        if (!dataLock) return fail(Running, gui::dataInUseMessage());
        return request->mode == "--import" ? importFiles(paths, *request) : exportFile(paths, *request);
    } catch (const IoError& e) {
        return failIo(QStringLiteral("nem sikerült: "), e);
    }
}

} // namespace zel::app
