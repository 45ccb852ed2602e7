#include "gui/tabs/export_panel.h"

#include "core/errors.h"
#include "gui/platform/dialogs.h"
#include "gui/platform/shell.h"
#include "gui/state/app_state.h"
#include "gui/tabs/exchange_util.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "gui/widgets/contact_table_model.h"
#include "ui_export_panel.h"

#include <QDir>
#include <QFileInfo>
#include <QHeaderView>

#include <algorithm>

namespace zel::gui {

namespace {

QString nativePath(const std::filesystem::path& p) {
    return QDir::toNativeSeparators(QString::fromStdString(p.string()));
}

// Each path on a line of its own.
QString pathLines(const std::vector<std::filesystem::path>& paths) {
    QString out;
    for (const auto& p : paths)
        out += nativePath(p) + kNl;
    return out;
}

} // namespace

ExportPanel::ExportPanel(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent)
    : QGroupBox(parent), state_(state), dialogs_(dialogs), shell_(shell),
      ui_(std::make_unique<Ui::ExportPanel>()) {
    ui_->setupUi(this);
    list_ = new ContactTableModel(this);
    setUpContactView(ui_->exportView, list_);
    connect(ui_->exportTaskBox, &QComboBox::activated, this,
            [this](int task) { guarded(dialogs_, [this, task] { runExportTask(task); }); });
    connect(ui_->exportInfoButton, &QPushButton::clicked, this, &ExportPanel::showExportInfo);
}

ExportPanel::~ExportPanel() = default;

void ExportPanel::reload() {
    ui_->exportTaskBox->setCurrentIndex(0);
    // An unreadable partner file leaves the preview empty; the panel still shows. A fresh preview is
    // in alphabetical order again, whatever header was clicked before.
    list_->setRows({});
    ui_->exportView->horizontalHeader()->setSortIndicator(-1, Qt::AscendingOrder);
    list_->sort(ContactTableModel::NameColumn);
    list_->setRows(state_.allPartners());
}

void ExportPanel::runExportTask(int task) {
    ui_->exportTaskBox->setCurrentIndex(0);
    if (task == 1) exportPartners();
    if (task == 2) copyDataFiles();
    if (task == 3) exportCalendar();
}

void ExportPanel::exportPartners() {
    int chosen = 0;
    QString path =
        dialogs_.saveFile(QStringLiteral("Partneradatok exportálása csv állományba"), exeFolder(state_),
                          QStringLiteral("Karakterrel tagolt szövegfájl (*.csv)|*.csv|vCard 3.0 "
                                         "névjegyfájl (*.vcf)|*.vcf|Minden állomány (*.*)|*.*"),
                          QString(), &chosen);
    if (path.isEmpty()) return;
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path += chosen == 1 ? QStringLiteral(".vcf") : QStringLiteral(".csv");
    const auto format = path.endsWith(QStringLiteral(".vcf"), Qt::CaseInsensitive)
                            ? AppState::ExportFormat::VCard
                            : AppState::ExportFormat::Csv;
    // Only a CSV file has a separator to ask for.
    char separator = ';';
    if (format == AppState::ExportFormat::Csv) {
        const QString answer = dialogs_.input(kSeparatorCaption, kSeparatorPrompt, QStringLiteral(";"))
                                   .value_or(QStringLiteral(";"));
        if (answer.isEmpty()) return;
        const std::string sep = toCp(answer.left(1));
        if (!sep.empty()) separator = sep[0];
    }
    if (QFileInfo::exists(path) &&
        dialogs_.warning(
            QStringLiteral("A választott állomány már létezik!") + kNl +
                QStringLiteral("Ha ezen a néven exportál, akkor a régi állomány tartalma elvész!") + kNl +
                kNl + QStringLiteral("Választ egy másik nevet?"),
            Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        return;
    try {
        state_.exportPartners(path.toStdString(), list_->rows(), format, separator);
    } catch (const IoError&) {
        dialogs_.error(QStringLiteral("Nem sikerült az exportálás a következő állományba:") + kNl +
                       QDir::toNativeSeparators(path));
        return;
    }
    if (dialogs_.information(
            QStringLiteral("Az exportálás sikeres volt.") + kNl +
                QStringLiteral("Meg kívánja tekinteni az elkészült állományt a Jegyzettömbben?"),
            Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        openOrReport(shell_, dialogs_, path, QString());
}

void ExportPanel::copyDataFiles() {
    const QString folder = dialogs_.folder(
        QStringLiteral("Válasszon egy helyet, ahová az adatállományok másolatát el szeretné helyezni:"),
        exeFolder(state_));
    if (folder.isEmpty()) return;
    const DataCopy copy = state_.copyDataFiles(folder.toStdString());
    QString takeThem = QStringLiteral("Ezeket a másik Zelmoran-példány helyén lévő Data könyvtárba kell "
                                      "felmásolni ahhoz, hogy annak adatbázisa frissüljön.");
    // The settings live beside the Data folder, not in it.
    const auto copied = [&](const std::filesystem::path& file) {
        return std::any_of(copy.copied.begin(), copy.copied.end(),
                           [&](const std::filesystem::path& p) { return p.filename() == file.filename(); });
    };
    const auto name = [](const std::filesystem::path& file) {
        return QString::fromStdString(file.filename().string());
    };
    if (copied(state_.paths().settings()) && copied(state_.paths().furtherSettings()))
        takeThem += kNl + QStringLiteral("A beállításokat tartalmazó ") + name(state_.paths().settings()) +
                    QStringLiteral(" és ") + name(state_.paths().furtherSettings()) +
                    QStringLiteral(" állományokat viszont a Data könyvtár mellé, a program mappájába kell "
                                   "másolni.");
    else if (copied(state_.paths().settings()))
        takeThem += kNl + QStringLiteral("A beállításokat tartalmazó ") + name(state_.paths().settings()) +
                    QStringLiteral(" állományt viszont a Data könyvtár mellé, a program mappájába kell "
                                   "másolni.");
    QString report;
    if (copy.copied.empty()) {
        report = QStringLiteral("Egyik adatállományt sem sikerült átmásolni! Ezek a következők:") + kNl +
                 pathLines(copy.failed);
        dialogs_.information(report);
        return;
    }
    if (copy.failed.empty())
        report = QStringLiteral("Valamennyi adatállományt sikerült átmásolni, ezek a következők:") + kNl +
                 pathLines(copy.copied) + kNl + kNl + takeThem;
    else
        report = QStringLiteral("A következő adatállományokat sikerült átmásolni:") + kNl +
                 pathLines(copy.copied) + kNl + kNl + takeThem + kNl + kNl +
                 QStringLiteral("A következő állományok másolása azonban sikertelen volt:") + kNl +
                 pathLines(copy.failed);
    if (dialogs_.information(
            report + kNl + kNl +
                QStringLiteral("Szeretné megjeleníteni az imén elkészített másolatok könyvtárát?"),
            Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        openOrReport(shell_, dialogs_, folder, QString());
}

void ExportPanel::exportCalendar() {
    QString path = dialogs_.saveFile(QStringLiteral("Események exportálása iCalendar állományba"),
                                     QDir(exeFolder(state_)).filePath(QStringLiteral("zelmoran.ics")),
                                     QStringLiteral("iCalendar (*.ics)|*.ics"), QString());
    if (path.isEmpty()) return;
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.'))) path += QStringLiteral(".ics");
    // A failed write leaves the old file; the error box says why.
    const std::size_t written = state_.exportCalendar(path.toStdString());
    if (written == 0)
        dialogs_.information(
            QStringLiteral("Nincs kiírható esemény (aktív emlékeztető, névnap vagy születésnap), "
                           "ezért üres naptár került a következő állományba:") +
            kNl + QDir::toNativeSeparators(path));
    else
        dialogs_.information(QStringLiteral("Az exportálás sikeres volt.") + kNl +
                             QStringLiteral("%1 esemény került a következő állományba:").arg(written) + kNl +
                             QDir::toNativeSeparators(path));
}

void ExportPanel::showExportInfo() {
    dialogs_.information(lines({
        "Ebben a részben lehetősége van a felvett partnerek adatainak, valamint a program adatbázisának "
        "exportálására.",
        "",
        "Felvett partneradatok exportálása:",
        "Az exportálás egy meghatározott karakterrel(adatelválasztó) tagolt szövegfájlba készül, melynek "
        ".csv "
        "a kiterjesztése. Ezt a formátumot kezelni tudják többek között a táblázatkezelő programok is.",
        "Felépítése a következő: adat1<adatelválasztó>adat2<adatelválasztó>...",
        "",
        "Erősen ajánlott, hogy olyan adatelválasztó karaktert használjunk, ami nem fordul elő az adatokban!",
        "",
        "Adatbázis exportálás:",
        "A program a különféle adatokat és eseményeket külön állományokba tárolja, melyek az Data nevű "
        "könyvtárban helyezkednek el.",
        "A program lehetőséget biztosít arra, hogy egyszerűen átmásoljuk ezen állományokat a különböző "
        "adathordozókra (pl. kislemez), hogy onnan egy másik Zelmoran-t használó számítógépre "
        "átmásolhassuk, így téve összhangba a két Zelmoran-példány adatbázisát.",
    }));
}

} // namespace zel::gui
