#include "app/command_line.h"

#include "core/app/instance_identity.h"
#include "core/app/paths.h"
#include "core/errors.h"
#include "core/exchange/contacts.h"
#include "core/exchange/partner_import.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "gui/platform/instance_guard.h"
#include "gui/startup.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <cstdio>
#include <optional>

namespace zel::app {

namespace {

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
    "A --separator a CSV elemelválasztó karaktere (\"tab\": tabulátor). Alapértelmezése importnál\n"
    "a fejlécsorból kikövetkeztetett karakter, exportnál a \";\".\n"
    "Az adatok a program mellett lévő Data könyvtárban vannak. Amíg a program fut, a parancssor\n"
    "nem ír bele és nem olvas belőle: előbb lépjen ki a programból.\n"
    "Kilépési kód: 0 siker, 1 hiba, 2 hibás paraméterezés, 3 a program fut.\n";

void say(FILE* to, const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), to);
    std::fputc('\n', to);
}
int fail(Status status, const QString& text) {
    say(stderr, QStringLiteral("zelmoran: ") + text);
    return status;
}

struct Request {
    bool help = false;
    QString mode; // "--import" or "--export"
    QStringList files;
    std::optional<char> separator;
};

// nullopt with a message on stderr for arguments that make no request.
std::optional<Request> parse(const QStringList& args) {
    Request r;
    for (qsizetype i = 1; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a == QLatin1String("--help") || a == QLatin1String("-h")) {
            r.help = true;
        } else if (a == QLatin1String("--import") || a == QLatin1String("--export")) {
            if (!r.mode.isEmpty() && r.mode != a) {
                fail(Usage, QStringLiteral("az --import és az --export nem adható meg együtt."));
                return std::nullopt;
            }
            r.mode = a;
        } else if (a == QLatin1String("--separator")) {
            if (++i == args.size() || args[i].isEmpty()) {
                fail(Usage, QStringLiteral("a --separator után meg kell adni egy karaktert."));
                return std::nullopt;
            }
            const QString s = args[i];
            if (s.compare(QLatin1String("tab"), Qt::CaseInsensitive) == 0 || s == QLatin1String("\\t"))
                r.separator = '\t';
            else
                r.separator = utf8ToCp1250(s.left(1).toStdString()).front();
        } else if (a.startsWith(QLatin1String("--"))) {
            fail(Usage,
                 QStringLiteral("ismeretlen kapcsoló: ") + a + QStringLiteral(" (súgó: zelmoran --help)"));
            return std::nullopt;
        } else {
            r.files << a;
        }
    }
    if (r.help) return r;
    if (r.mode.isEmpty() || r.files.isEmpty() ||
        (r.mode == QLatin1String("--export") && r.files.size() != 1)) {
        fail(Usage, r.mode == QLatin1String("--export")
                        ? QStringLiteral("az --export után pontosan egy állománynevet kell megadni.")
                        : QStringLiteral("az --import után legalább egy állománynevet kell megadni."));
        return std::nullopt;
    }
    return r;
}

// The character that splits the header line most often, quoted parts aside; ';' when none does.
char guessSeparator(const std::string& text) {
    const std::string candidates = ";,\t|";
    std::size_t counts[4] = {};
    bool quoted = false;
    for (char c : text) {
        if (c == '\n' && !quoted) break;
        if (c == '"') quoted = !quoted;
        if (const auto at = candidates.find(c); !quoted && at != std::string::npos) ++counts[at];
    }
    std::size_t best = 0;
    for (std::size_t i = 1; i < 4; ++i)
        if (counts[i] > counts[best]) best = i;
    return counts[best] > 0 ? candidates[best] : ';';
}

int importFiles(const AppPaths& paths, const Request& r) {
    // Every file is read before anything is written, so a bad one leaves the partner file as it was.
    std::vector<PartnerRecord> contacts;
    std::size_t damaged = 0;
    for (const QString& name : r.files) {
        QFile file(name);
        const QFileInfo info(name);
        if (info.exists() &&
            (!info.isFile() || static_cast<std::uint64_t>(info.size()) > kMaxImportFileBytes))
            return fail(Failure, QStringLiteral("nem címjegyzék (nem közönséges állomány, vagy 256 MiB-nál "
                                                "nagyobb): ") +
                                     name);
        if (!file.open(QIODevice::ReadOnly))
            return fail(Failure, QStringLiteral("nem olvasható állomány: ") + name + QStringLiteral(" (") +
                                     file.errorString() + QLatin1Char(')'));
        const QByteArray bytes = file.readAll();
        const std::string_view view(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        ContactsRead read;
        switch (formatOfFileName(QFileInfo(name).fileName().toStdString())) {
        case ExchangeFormat::VCard:
            read = readVCard(view);
            break;
        case ExchangeFormat::Ldif:
            read = readLdif(view);
            break;
        case ExchangeFormat::Csv:
            read = readCsv(view,
                           r.separator.value_or(guessSeparator(importTextToCp1250(view.substr(0, 65536)))));
            break;
        case ExchangeFormat::Unknown:
            return fail(Failure,
                        QStringLiteral("ismeretlen formátum (.vcf, .csv vagy .ldif kiterjesztés kell): ") +
                            name);
        }
        if (read.contacts.empty())
            return fail(Failure, QStringLiteral("egyetlen névjegy sem olvasható ki belőle: ") + name);
        damaged += read.damaged;
        contacts.insert(contacts.end(), std::make_move_iterator(read.contacts.begin()),
                        std::make_move_iterator(read.contacts.end()));
    }
    preparePartnerFile(paths);
    const PartnerImport done = importPartners(paths.partners(), contacts);
    QString report = QStringLiteral("%1 new, %2 skipped (already partners), %3 skipped (no name)")
                         .arg(done.added.size())
                         .arg(done.alreadyPartners)
                         .arg(done.nameless);
    if (damaged > 0) report += QStringLiteral(", %1 skipped (damaged)").arg(damaged);
    say(stdout, report);
    return Success;
}

int exportFile(const AppPaths& paths, const Request& r) {
    const QString name = r.files.first();
    std::vector<PartnerRecord> partners;
    std::error_code ec;
    if (std::filesystem::exists(paths.partners(), ec)) partners = readAllPartners(paths.partners());
    const bool vcard = name.endsWith(QLatin1String(".vcf"), Qt::CaseInsensitive);
    replaceFile(name.toStdString(),
                vcard ? writeVCard(partners) : writeCsv(partners, r.separator.value_or(';')));
    say(stdout, QStringLiteral("%1 partners written to %2").arg(partners.size()).arg(name));
    return Success;
}

} // namespace

bool wantsCommandLine(int argc, char* argv[]) {
    // Qt's own options (-platform, -style …) still go to the window.
    for (int i = 1; i < argc; ++i) {
        const QLatin1String a(argv[i]);
        if (a == QLatin1String("--import") || a == QLatin1String("--export") ||
            a == QLatin1String("--help") || a == QLatin1String("-h") || a == QLatin1String("--separator"))
            return true;
    }
    return false;
}

int runCommandLine(const QStringList& arguments) {
    const std::optional<Request> request = parse(arguments);
    if (!request) return Usage;
    if (request->help) {
        std::fputs(kHelp, stdout);
        return Success;
    }
    // The running program keeps its data in memory and would overwrite what is written under it.
    const QDateTime now = QDateTime::currentDateTime();
    gui::InstanceGuard guard(identityOfFile(QCoreApplication::applicationFilePath().toStdString()),
                             QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation),
                             static_cast<double>(now.toMSecsSinceEpoch()) / 86'400'000.0 + 25'569.0);
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
        return request->mode == QLatin1String("--import") ? importFiles(paths, *request)
                                                          : exportFile(paths, *request);
    } catch (const IoError& e) {
        return fail(Failure, QStringLiteral("nem sikerült: ") + QString::fromStdString(e.path()) +
                                 QStringLiteral(" (I/O error %1)").arg(e.code()));
    }
}

} // namespace zel::app
