#include "gui/tabs/import_panel.h"

#include "core/exchange/contacts.h"
#include "gui/platform/dialogs.h"
#include "gui/state/app_state.h"
#include "gui/tabs/exchange_util.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "gui/widgets/contact_table_model.h"
#include "ui_import_panel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zel::gui {

namespace {

// The most added names a report lists one by one.
constexpr std::size_t kListedNames = 30;

// A spreadsheet's long first line would stretch the question beyond the screen and hide its buttons.
QString shownLine(const QString& line) {
    constexpr qsizetype kShown = 100;
    return line.size() <= kShown ? line : line.left(kShown) + QStringLiteral("…");
}

} // namespace

ImportPanel::ImportPanel(AppState& state, Dialogs& dialogs, QWidget* parent)
    : QGroupBox(parent), state_(state), dialogs_(dialogs), ui_(std::make_unique<Ui::ImportPanel>()) {
    ui_->setupUi(this);
    list_ = new ContactTableModel(this);
    setUpContactView(ui_->importView, list_);
    updateImportButtons();
    auto run = [this](void (ImportPanel::*handler)()) {
        return [this, handler] { guarded(dialogs_, [this, handler] { (this->*handler)(); }); };
    };
    connect(ui_->addFilesButton, &QPushButton::clicked, this, run(&ImportPanel::addFiles));
    connect(ui_->removeRowButton, &QPushButton::clicked, this, &ImportPanel::removeCurrentRow);
    connect(ui_->takeListButton, &QPushButton::clicked, this, run(&ImportPanel::takeList));
    connect(ui_->importInfoButton, &QPushButton::clicked, this, &ImportPanel::showImportInfo);
}

ImportPanel::~ImportPanel() = default;

void ImportPanel::updateImportButtons() {
    const bool rows = !list_->isEmpty();
    ui_->removeRowButton->setVisible(rows);
    ui_->takeListButton->setVisible(rows);
    ui_->importView->setEnabled(rows);
}

void ImportPanel::addFiles() {
    const QString failed =
        QStringLiteral("Az importálás nem sikerült! (Valószínűleg nem szabványos a forrás fájl)") + kNl +
        QStringLiteral("Próbáljon más fájlformátumot, illetve exportálja ki még egyszer") + kNl +
        QStringLiteral("a levelező programjából a címjegyzéket,majd próbálja újra!");
    const QStringList files = dialogs_.openFiles(
        QStringLiteral("Adatok betöltése a levelezőprogramok exportált címjegyzékéből"), exeFolder(state_),
        QStringLiteral("Minden támogatott címjegyzék (*.vcf *.vcard *.csv *.ldif *.ldi)|*.vcf;*.vcard;*.csv;"
                       "*.ldif;*.ldi|Pontosvesszővel tagolt szöveg (.csv)|*.csv|Netscape címjegyzék "
                       "(.ldif)|*.ldif|OutLook Express 5  VCard fájl (.vcf)|*.vcf"));
    for (const QString& path : files) {
        QFile file(path);
        // Only a plain file of an address book's size is read; a device or a huge file never ends.
        const QFileInfo info(path);
        if (!info.isFile() || static_cast<std::uint64_t>(info.size()) > kMaxImportFileBytes ||
            !file.open(QIODevice::ReadOnly)) {
            dialogs_.error(failed);
            continue;
        }
        const QByteArray read = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            dialogs_.error(failed);
            continue;
        }
        const std::string_view bytes(read.constData(), static_cast<std::size_t>(read.size()));
        // A program or a picture chosen by mistake would only fill the list with junk.
        if (!isImportText(bytes)) {
            dialogs_.error(failed);
            continue;
        }
        const ExchangeFormat format = formatOfFileName(QFileInfo(path).fileName().toStdString());
        char separator = ';';
        if (format == ExchangeFormat::Csv) {
            const QString answer =
                dialogs_
                    .input(kSeparatorCaption,
                           kSeparatorPrompt + kNl + kNl +
                               QStringLiteral("Segítségül az importálandó fájl első adatsora:") + kNl +
                               shownLine(fromCp(csvFirstDataLine(bytes))),
                           QString())
                    .value_or(QString());
            // No separator ends the whole reading; what earlier files gave stays in the list.
            if (answer.isEmpty()) {
                updateImportButtons();
                return;
            }
            const std::string typed = toCp(answer.left(1));
            if (!typed.empty()) separator = typed[0];
        }
        const ContactsRead contacts = readContacts(format, bytes, separator);
        if (contacts.contacts.empty()) {
            dialogs_.error(failed);
            continue;
        }
        list_->appendRows(contacts.contacts);
        if (contacts.damaged > 0)
            dialogs_.information(QStringLiteral("Az állomány ") + QString::number(contacts.damaged) +
                                 QStringLiteral(" bejegyzését nem sikerült hiánytalanul beolvasni, ezek "
                                                "kimaradtak:") +
                                 kNl + QDir::toNativeSeparators(path));
    }
    updateImportButtons();
}

void ImportPanel::removeCurrentRow() {
    const QModelIndex current = ui_->importView->currentIndex();
    if (current.isValid()) list_->removeRowsAt({static_cast<std::size_t>(current.row())});
    updateImportButtons();
}

void ImportPanel::takeList() {
    if (list_->isEmpty()) return;
    const PartnerImport result = state_.importPartners(list_->rows());
    list_->removeRowsAt(result.takenRows);
    updateImportButtons();
    QString report;
    if (result.added.empty()) {
        report = QStringLiteral("Az importálás sikerült, de nem került felvételre új személy.");
    } else {
        report = QStringLiteral("A következő Partnerek kerültek felvételre:") + kNl;
        for (std::size_t i = 0; i < result.added.size() && i < kListedNames; ++i)
            report += fromCp(result.added[i]) + kNl;
        if (result.added.size() > kListedNames)
            report += QStringLiteral("… és további %1 partner").arg(result.added.size() - kListedNames) + kNl;
    }
    if (result.alreadyPartners > 0)
        report +=
            kNl + kNl +
            QStringLiteral("A listában maradt nevekkel már szerepelnek felvett partnerek, így mégegyszer "
                           "nem kerültek rögzítésre!");
    if (result.nameless > 0)
        report += kNl + kNl +
                  QStringLiteral("A név nélküli és a kettőspontot tartalmazó nevű sorok nem kerültek "
                                 "rögzítésre, a listában maradtak.");
    dialogs_.information(report);
}

void ImportPanel::showImportInfo() {
    dialogs_.information(lines({
        "Információ az exportáláshoz",
        "",
        "A Zelmoran lehetőséget biztosít más programok által készített partner-jegyzékek használatára, "
        "melynek segítségével a támogatott formátumban található külső adatok beépíthetők a program "
        "adatbázisába.",
        "",
        "A támogatott 3 formátum a következő:",
        "",
        "CSV formátum:",
        "A csv egy meghatározott karakterrel(például ;) elválasztott adatokból álló általános szövegfájl. "
        "Ilyen formátumot számos program képes elkészíteni (pl. OpenOffice Calc, Microsoft Excel).",
        "Fontos, hogy az adatok száma és sorrendje helyes legyen az Importálás előtt, mely a következő:",
        "Név;E-mail cím;Telefon;Mobilszám;Honlap",
        "A program csak az ilyen szerkezetű fájlokat képes befogadni!",
        "",
        "LDIF formátum:",
        "Ez a formátum a Netscape címjegyzékek sajátja. A Zelmoran ezen állományokból a Nevet és az E-mail "
        "címet tudja kezelni a",
        "dn: cn=Kis Imre,mail=kis.imre@pelda.hu",
        "formában.",
        "",
        "VCF formátum:",
        "Az OutLook programok által használatos VCard formátum. A program ezen állományokból szintén kezelni "
        "tudja a Nevet és az E-mail címet a következő formában:",
        "FN:Kis Imre",
        "EMAIL;PREF;INTERNET:kis.imre@pelda.hu",
        "",
        "A listában található adatokat szerkesztheti, ha a cellákba kétszer belekattint.",
    }));
}

} // namespace zel::gui
