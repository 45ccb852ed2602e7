#include "gui/tabs/actions_tab.h"

#include "core/errors.h"
#include "core/events/month_grid.h"
#include "core/exchange/contacts.h"
#include "core/namedays/namedays.h"
#include "gui/error_box.h"
#include "gui/platform/dialogs.h"
#include "gui/platform/shell.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/texts.h"
#include "gui/widgets/contact_table_model.h"
#include "gui/widgets/widget_util.h"
#include "ui_actions_tab.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <cstdlib>

namespace zel::gui {

namespace {

// "01.03" → "Január 3."; a key that names no month gives nothing.
QString dayEntry(const std::string& key) {
    const int month = std::atoi(key.substr(0, 2).c_str()), day = std::atoi(key.substr(3, 2).c_str());
    if (month < 1 || month > 12) return {};
    return fromCp(monthName(month)) + QLatin1Char(' ') + QString::number(day) + QLatin1Char('.');
}

bool isEnter(QEvent* event) {
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    return key == Qt::Key_Return || key == Qt::Key_Enter;
}

QString lines(std::initializer_list<const char*> utf8) {
    QStringList out;
    for (const char* line : utf8)
        out << QString::fromUtf8(line);
    return out.join(kNl);
}

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

const QString kSeparatorCaption = QStringLiteral("Elemelválasztó karakter megadása");
const QString kSeparatorPrompt =
    QStringLiteral("Adja meg, hogy melyik karakter választja el az egyes adatokat egymástól.");
// The most added names a report lists one by one.
constexpr std::size_t kListedNames = 30;

} // namespace

ActionsTab::ActionsTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), shell_(shell),
      ui_(std::make_unique<Ui::ActionsTab>()) {
    ui_->setupUi(this);
    importList_ = new ContactTableModel(this);
    exportList_ = new ContactTableModel(this);
    setUpView(ui_->importView, importList_);
    setUpView(ui_->exportView, exportList_);
    ui_->importGroup->hide();
    ui_->exportGroup->hide();
    updateImportButtons();
    auto run = [this](void (ActionsTab::*handler)()) {
        return [this, handler] { guarded(dialogs_, [this, handler] { (this->*handler)(); }); };
    };
    connect(ui_->nameDaySearchButton, &QPushButton::clicked, this, &ActionsTab::showNameDaySearch);
    connect(ui_->searchButton, &QPushButton::clicked, this, run(&ActionsTab::search));
    connect(ui_->commonChoice, &QRadioButton::clicked, this, run(&ActionsTab::search));
    connect(ui_->extendedChoice, &QRadioButton::clicked, this, run(&ActionsTab::search));
    connect(ui_->jumpButton, &QPushButton::clicked, this, run(&ActionsTab::jumpToDay));
    connect(ui_->addPartnerButton, &QPushButton::clicked, this, &ActionsTab::takeAsPartner);
    connect(ui_->dayNamesButton, &QPushButton::clicked, this, run(&ActionsTab::showDayNames));
    connect(ui_->importButton, &QPushButton::clicked, this, &ActionsTab::showImport);
    connect(ui_->addFilesButton, &QPushButton::clicked, this, run(&ActionsTab::addFiles));
    connect(ui_->removeRowButton, &QPushButton::clicked, this, &ActionsTab::removeCurrentRow);
    connect(ui_->takeListButton, &QPushButton::clicked, this, run(&ActionsTab::takeList));
    connect(ui_->importInfoButton, &QPushButton::clicked, this, &ActionsTab::showImportInfo);
    connect(ui_->exportButton, &QPushButton::clicked, this, run(&ActionsTab::showExport));
    connect(ui_->exportTaskBox, &QComboBox::activated, this,
            [this](int task) { guarded(dialogs_, [this, task] { runExportTask(task); }); });
    connect(ui_->exportInfoButton, &QPushButton::clicked, this, &ActionsTab::showExportInfo);
    ui_->nameBox->installEventFilter(this);
    ui_->nameBox->lineEdit()->installEventFilter(this);
    ui_->dayList->installEventFilter(this);
}

ActionsTab::~ActionsTab() = default;

void ActionsTab::setNames(const std::vector<std::string>& names) {
    QStringList list;
    list.reserve(static_cast<qsizetype>(names.size()));
    for (const std::string& n : names)
        list << fromCp(n);
    const QString typed = ui_->nameBox->currentText();
    ui_->nameBox->clear();
    ui_->nameBox->addItems(list);
    ui_->nameBox->setEditText(typed);
}

void ActionsTab::showNameDaySearch() {
    showGroup(Group::NameDaySearch);
    ui_->nameBox->setFocus();
}

void ActionsTab::showGroup(Group group) {
    // Hidden first, so the page never needs the room of two groups.
    ui_->nameDaySearchGroup->setVisible(false);
    ui_->importGroup->setVisible(false);
    ui_->exportGroup->setVisible(false);
    QWidget* shown = group == Group::Import   ? ui_->importGroup
                     : group == Group::Export ? ui_->exportGroup
                                              : ui_->nameDaySearchGroup;
    shown->setVisible(true);
}

void ActionsTab::setUpView(QTableView* view, ContactTableModel* model) {
    view->setModel(model);
    view->setItemDelegate(new ContactCellDelegate(view));
    const int rowHeight = std::max(17, accentSafeRowHeight(view->font()));
    view->verticalHeader()->setMinimumSectionSize(rowHeight);
    view->verticalHeader()->setDefaultSectionSize(rowHeight);
    QHeaderView* header = view->horizontalHeader();
    header->setFixedHeight(std::max(19, accentSafeRowHeight(header->font()) + 2));
    header->setStretchLastSection(false);
    for (int c = 0; c < ContactTableModel::kColumnCount; ++c)
        view->setColumnWidth(c, ContactTableModel::kColumnWidths[c]);
    // A click on a header sorts by that column, always ascending.
    header->setSectionsClickable(true);
    header->setSortIndicatorShown(true);
    header->setSortIndicator(-1, Qt::AscendingOrder);
    connect(header, &QHeaderView::sectionClicked, view,
            [view](int column) { view->sortByColumn(column, Qt::AscendingOrder); });
}

namespace {
// A spreadsheet's long first line would stretch the question beyond the screen and hide its buttons.
QString shownLine(const QString& line) {
    constexpr qsizetype kShown = 100;
    return line.size() <= kShown ? line : line.left(kShown) + QStringLiteral("…");
}
} // namespace

QString ActionsTab::exeFolder() const {
    return QString::fromStdString(state_.paths().exeDir.string());
}

void ActionsTab::showImport() {
    showGroup(Group::Import);
}

void ActionsTab::updateImportButtons() {
    const bool rows = !importList_->isEmpty();
    ui_->removeRowButton->setVisible(rows);
    ui_->takeListButton->setVisible(rows);
    ui_->importView->setEnabled(rows);
}

void ActionsTab::addFiles() {
    const QString failed =
        QStringLiteral("Az importálás nem sikerült! (Valószínűleg nem szabványos a forrás fájl)") + kNl +
        QStringLiteral("Próbáljon más fájlformátumot, illetve exportálja ki még egyszer") + kNl +
        QStringLiteral("a levelező programjából a címjegyzéket,majd próbálja újra!");
    const QStringList files = dialogs_.openFiles(
        QStringLiteral("Adatok betöltése a levelezőprogramok exportált címjegyzékéből"), exeFolder(),
        QStringLiteral("Pontosvesszővel tagolt szöveg (.csv)|*.csv|Netscape címjegyzék "
                       "(.ldif)|*.ldif|OutLook Express 5  VCard fájl (.vcf)|*.vcf"));
    for (const QString& path : files) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly)) {
            dialogs_.error(failed);
            continue;
        }
        const QByteArray read = file.readAll();
        if (file.error() != QFileDevice::NoError) {
            dialogs_.error(failed);
            continue;
        }
        const std::string_view bytes(read.constData(), static_cast<std::size_t>(read.size()));
        ContactsRead contacts;
        switch (formatOfFileName(QFileInfo(path).fileName().toStdString())) {
        case ExchangeFormat::VCard:
            contacts = readVCard(bytes);
            break;
        case ExchangeFormat::Ldif:
            contacts = readLdif(bytes);
            break;
        case ExchangeFormat::Csv: {
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
            const std::string separator = toCp(answer.left(1));
            contacts = readCsv(bytes, separator.empty() ? ';' : separator[0]);
            break;
        }
        case ExchangeFormat::Unknown:
            break;
        }
        if (contacts.contacts.empty()) {
            dialogs_.error(failed);
            continue;
        }
        importList_->appendRows(contacts.contacts);
        if (contacts.damaged > 0)
            dialogs_.information(QStringLiteral("Az állomány ") + QString::number(contacts.damaged) +
                                 QStringLiteral(" bejegyzését nem sikerült hiánytalanul beolvasni, ezek "
                                                "kimaradtak:") +
                                 kNl + QDir::toNativeSeparators(path));
    }
    updateImportButtons();
}

void ActionsTab::removeCurrentRow() {
    const QModelIndex current = ui_->importView->currentIndex();
    if (current.isValid()) importList_->removeRowsAt({static_cast<std::size_t>(current.row())});
    updateImportButtons();
}

void ActionsTab::takeList() {
    if (importList_->isEmpty()) return;
    const PartnerImport result = state_.importPartners(importList_->rows());
    importList_->removeRowsAt(result.takenRows);
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

void ActionsTab::showImportInfo() {
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

void ActionsTab::showExport() {
    showGroup(Group::Export);
    ui_->exportTaskBox->setCurrentIndex(0);
    // An unreadable partner file leaves the preview empty; the group still shows.
    exportList_->setRows({});
    exportList_->setRows(state_.allPartners());
}

void ActionsTab::onShown() {
    if (!ui_->exportGroup->isHidden()) showExport();
}

void ActionsTab::runExportTask(int task) {
    ui_->exportTaskBox->setCurrentIndex(0);
    if (task == 1) exportPartners();
    if (task == 2) copyDataFiles();
}

void ActionsTab::exportPartners() {
    const QString answer = dialogs_.input(kSeparatorCaption, kSeparatorPrompt, QStringLiteral(";"))
                               .value_or(QStringLiteral(";"));
    if (answer.isEmpty()) return;
    const QString separator = answer.left(1);
    // The filter's own divider cannot stand in its caption.
    const QString shown = separator == QStringLiteral("|") ? QStringLiteral("¦") : separator;
    int chosen = 0;
    QString path = dialogs_.saveFile(
        QStringLiteral("Partneradatok exportálása csv állományba"), exeFolder(),
        QLatin1Char('"') + shown +
            QStringLiteral("\" karakterrel tagolt szövegfájl (*.csv)|*.csv|vCard 3.0 névjegyfájl "
                           "(*.vcf)|*.vcf|Minden állomány (*.*)|*.*"),
        QString(), &chosen);
    if (path.isEmpty()) return;
    if (!QFileInfo(path).fileName().contains(QLatin1Char('.')))
        path += chosen == 1 ? QStringLiteral(".vcf") : QStringLiteral(".csv");
    const auto format = path.endsWith(QStringLiteral(".vcf"), Qt::CaseInsensitive)
                            ? AppState::ExportFormat::VCard
                            : AppState::ExportFormat::Csv;
    if (QFileInfo::exists(path) &&
        dialogs_.warning(
            QStringLiteral("A választott állomány már létezik!") + kNl +
                QStringLiteral("Ha ezen a néven exportál, akkor a régi állomány tartalma elvész!") + kNl +
                kNl + QStringLiteral("Választ egy másik nevet?"),
            Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        return;
    const std::string sep = toCp(separator);
    try {
        state_.exportPartners(path.toStdString(), exportList_->rows(), format, sep.empty() ? ';' : sep[0]);
    } catch (const IoError&) {
        dialogs_.error(QStringLiteral("Nem sikerült az exportálás a következő állományba:") + kNl +
                       QDir::toNativeSeparators(path));
        return;
    }
    if (dialogs_.information(
            QStringLiteral("Az exportálás sikeres volt.") + kNl +
                QStringLiteral("Meg kívánja tekinteni az elkészült állományt a Jegyzettömbben?"),
            Dialogs::Yes | Dialogs::No) == Dialogs::Yes)
        shell_.open(path, QString());
}

void ActionsTab::copyDataFiles() {
    const QString folder = dialogs_.folder(
        QStringLiteral("Válasszon egy helyet, ahová az adatállományok másolatát el szeretné helyezni:"),
        exeFolder());
    if (folder.isEmpty()) return;
    const DataCopy copy = state_.copyDataFiles(folder.toStdString());
    const QString takeThem =
        QStringLiteral("Ezeket a másik Zelmoran-példány helyén lévő Data könyvtárba kell "
                       "felmásolni ahhoz, hogy annak adatbázisa frissüljön.");
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
        shell_.open(folder, QString());
}

void ActionsTab::showExportInfo() {
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

void ActionsTab::searchFor(const QString& name) {
    showNameDaySearch();
    ui_->nameBox->setEditText(name);
    if (!name.isEmpty()) search();
}

void ActionsTab::search() {
    for (;;) {
        const bool common = !ui_->extendedChoice->isChecked();
        const NameDayCalendar& calendar = common ? state_.commonCalendar() : state_.extendedCalendar();
        ui_->dayList->clear();
        for (const std::string& key : daysOfName(calendar, toCp(ui_->nameBox->currentText())))
            if (const QString entry = dayEntry(key); !entry.isEmpty()) ui_->dayList->addItem(entry);
        if (ui_->dayList->count() > 0) ui_->dayList->setCurrentIndex(0);
        if (ui_->dayList->count() == 0 && common && state_.settings().warnings &&
            dialogs_.confirmation(
                QStringLiteral("A név nem található a gyakori neveket tartalmazó névnap-tárban.") + kNl +
                QStringLiteral("Megvizsgáljam a nevet az általános névnap-adatbázisban?")) == Dialogs::Yes) {
            ui_->extendedChoice->setChecked(true);
            continue;
        }
        break;
    }
    ui_->dayList->setFocus();
}

void ActionsTab::jumpToDay() {
    const QString entry = ui_->dayList->currentText();
    if (entry.isEmpty()) return;
    const qsizetype space = entry.indexOf(QLatin1Char(' '));
    const QString monthText = entry.left(space);
    QString day = entry.mid(space + 1);
    day = day.left(day.indexOf(QLatin1Char('.')));
    if (day.size() == 1) day.prepend(QLatin1Char('0'));
    QString month;
    for (int m = 1; m <= 12; ++m)
        if (fromCp(monthName(m)) == monthText) month = QStringLiteral("%1").arg(m, 2, 10, QLatin1Char('0'));
    const QString year = QString::number(ymdOf(state_.now().day).year);
    emit nameDayEventRequested(year + QLatin1Char('.') + month + QLatin1Char('.') + day + QLatin1Char('.'));
}

void ActionsTab::takeAsPartner() {
    const QString name = ui_->nameBox->currentText();
    if (!name.isEmpty()) emit newPartnerRequested(QLatin1Char(' ') + name);
}

void ActionsTab::showDayNames() {
    const QString caption = QStringLiteral("Megadott nap névnapjai");
    for (;;) {
        const QString typed = dialogs_
                                  .input(caption,
                                         QStringLiteral("Adja meg HH.NN formátumban a keresett napot:") +
                                             kNl + QStringLiteral("(pl.: 01.23 , 11.10):"),
                                         rememberedDay_)
                                  .value_or(rememberedDay_);
        if (typed.isEmpty()) return;
        QString message;
        const std::string key = toCp(typed);
        const std::optional<std::string> common =
            typed.size() == 5 ? dayLineNames(state_.commonCalendar(), key) : std::nullopt;
        if (typed.size() != 5) {
            message =
                QStringLiteral("A megadott dátum nem megfelelő formátumú!") + kNl + kNl +
                QStringLiteral("Példák a helyes használatra:") + kNl +
                QStringLiteral(" - ha január 10.-ét keresi: 01.10") + kNl +
                QStringLiteral(" - ha például november 29-ét, akkor: 11.29") + kNl + kNl +
                QStringLiteral("Kérem, ügyeljen a HH.NN, vagyis a HóHó.NapNap forma helyes megadására!") +
                kNl + kNl + QStringLiteral("Szeretne megadni egy másik napot?");
        } else if (!common) {
            message = QStringLiteral("A megadott nap nem érvényes naptári nap!") + kNl + kNl +
                      QStringLiteral("Szeretne megadni egy másik napot?");
        } else {
            rememberedDay_ = typed;
            const std::string extended = dayLineNames(state_.extendedCalendar(), key).value_or(std::string());
            message = typed + QStringLiteral(" nap névnapjai:") + kNl + kNl +
                      QStringLiteral("1. Találat a naptári névnapgyűjteményben:") + kNl + fromCp(*common) +
                      kNl + kNl + QStringLiteral("2. A kibővített névnapgyűjtemény találatai: ") + kNl +
                      fromCp(extended) + kNl + kNl + QStringLiteral("Szeretne megadni egy másik napot?");
        }
        if (dialogs_.information(message, Dialogs::Yes | Dialogs::No) != Dialogs::Yes) return;
    }
}

bool ActionsTab::eventFilter(QObject* watched, QEvent* event) {
    if (isEnter(event)) {
        if (watched == ui_->nameBox || watched == ui_->nameBox->lineEdit()) {
            // The completed text stays, no longer selected.
            ui_->nameBox->lineEdit()->deselect();
            guarded(dialogs_, [this] { search(); });
            return true;
        }
        if (watched == ui_->dayList) {
            guarded(dialogs_, [this] { jumpToDay(); });
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void ActionsTab::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (ui_->nameDaySearchGroup->isVisible()) ui_->nameBox->setFocus();
}

} // namespace zel::gui
