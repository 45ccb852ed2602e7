#include "gui/tabs/actions_tab.h"

#include "core/events/month_grid.h"
#include "core/namedays/namedays.h"
#include "gui/platform/dialogs.h"
#include "gui/state/app_state.h"
#include "gui/tabs/export_panel.h"
#include "gui/tabs/import_panel.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "ui_actions_tab.h"

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

} // namespace

ActionsTab::ActionsTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), ui_(std::make_unique<Ui::ActionsTab>()) {
    ui_->setupUi(this);
    // Below the search group, each taking its place when chosen.
    importPanel_ = new ImportPanel(state_, dialogs_, this);
    exportPanel_ = new ExportPanel(state_, dialogs_, shell, this);
    ui_->pageLayout->addWidget(importPanel_);
    ui_->pageLayout->addWidget(exportPanel_);
    importPanel_->hide();
    exportPanel_->hide();
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
    connect(ui_->exportButton, &QPushButton::clicked, this, run(&ActionsTab::showExport));
    connect(ui_->syncButton, &QPushButton::clicked, this, &ActionsTab::syncRequested);
    // As tall as the line beside it, so the tab does not move when a run starts.
    ui_->syncProgress->setMaximumHeight(ui_->syncStatus->sizeHint().height());
    setSyncStatus({}, {});
    setSyncRunning(false);
    ui_->nameBox->installEventFilter(this);
    ui_->nameBox->lineEdit()->installEventFilter(this);
    ui_->dayList->installEventFilter(this);
}

ActionsTab::~ActionsTab() = default;

void ActionsTab::setSyncStatus(const QString& text, const QString& tip) {
    ui_->syncStatus->setText(text);
    ui_->syncStatus->setToolTip(tip);
    ui_->syncStatus->setVisible(!text.isEmpty());
}

void ActionsTab::setSyncRunning(bool running) {
    ui_->syncButton->setEnabled(!running);
    ui_->syncProgress->setVisible(running);
    if (running) setSyncProgress(0, 0);
}

void ActionsTab::setSyncProgress(int done, int total) {
    ui_->syncProgress->setRange(0, total);
    ui_->syncProgress->setValue(done);
}

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
    importPanel_->setVisible(false);
    exportPanel_->setVisible(false);
    QWidget* shown = ui_->nameDaySearchGroup;
    if (group == Group::Import) shown = importPanel_;
    if (group == Group::Export) shown = exportPanel_;
    shown->setVisible(true);
}

void ActionsTab::showImport() {
    showGroup(Group::Import);
}

void ActionsTab::showExport() {
    showGroup(Group::Export);
    exportPanel_->reload();
}

void ActionsTab::onShown() {
    if (!exportPanel_->isHidden()) exportPanel_->reload();
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