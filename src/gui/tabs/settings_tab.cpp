#include "gui/tabs/settings_tab.h"
#include "gui/widgets/widget_util.h"

#include "core/errors.h"
#include "gui/platform/autostart.h"
#include "gui/state/app_state.h"
#include "gui/sync/account_dialog.h"
#include "gui/text/error_box.h"
#include "gui/text/qt_text.h"
#include "gui/text/texts.h"
#include "gui/theme/theme.h"
#include "ui_settings_tab.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <algorithm>
#include <memory>
#include <utility>

namespace zel::gui {

namespace {

constexpr std::size_t kTextCapacity = 255;

const QString kWebCaption = QStringLiteral("Webcím megadása");

struct Quiet {
    explicit Quiet(int& n) : n_(n) { ++n_; }
    ~Quiet() { --n_; }
    Quiet(const Quiet&) = delete;
    Quiet& operator=(const Quiet&) = delete;

  private:
    int& n_;
};

std::string cut(std::string text) {
    if (text.size() > kTextCapacity) text.resize(kTextCapacity);
    return text;
}

// The file name without its folder, up to its first ".".
QString soundName(const QString& path) {
    const qsizetype slash = std::max(path.lastIndexOf(QLatin1Char('/')), path.lastIndexOf(QLatin1Char('\\')));
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

// Checks one radio button of a group, or none: an auto-exclusive group does not let its last
// checked button go by itself.
void checkOnly(std::initializer_list<QRadioButton*> group, QRadioButton* which) {
    for (QRadioButton* r : group) {
        if (r == which || !r->isChecked()) continue;
        r->setAutoExclusive(false);
        r->setChecked(false);
        r->setAutoExclusive(true);
    }
    if (which) which->setChecked(true);
}

} // namespace

template <class F> void SettingsTab::user(F&& handler) {
    if (quiet_ == 0) guarded(dialogs_, std::forward<F>(handler));
}

SettingsTab::SettingsTab(AppState& state, Dialogs& dialogs, Autostart& autostart, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), autostart_(autostart),
      ui_(std::make_unique<Ui::SettingsTab>()) {
    ui_->setupUi(this);
    ui_->optionList->setItemDelegate(new RowHeightDelegate(14, ui_->optionList));
    fitToFont();
    // The form gives the hints; the hints option shows or hides them.
    for (QWidget* w : findChildren<QWidget*>())
        if (!w->toolTip().isEmpty()) hints_.insert(w, w->toolTip());
    updateSoundPanelHint();
    ui_->syncAccountButton->setEnabled(false);
    ui_->soundFilePanel->installEventFilter(this);
    for (std::size_t slot = 0; slot < 5; ++slot)
        swatch(slot)->installEventFilter(this);
    connectAll();
}

SettingsTab::~SettingsTab() = default;

void SettingsTab::fitToFont() {
    QListWidget* list = ui_->optionList;
    // All five options in sight, in rows tall enough for their accents, and each text whole.
    list->setFixedHeight(5 * std::max(14, accentSafeRowHeight(list->font())) + 2 * list->frameWidth());
    list->setMinimumWidth(list->sizeHintForColumn(0) + 2 * list->frameWidth());
    // The swatches keep a size of their own: their caption with a little room around it.
    for (std::size_t slot = 0; slot < 5; ++slot) {
        QLabel* s = swatch(slot);
        const QFontMetrics fm(s->font());
        const int frame = 2 * s->frameWidth();
        s->setFixedSize(fm.horizontalAdvance(s->text()) + fm.height() * 3 / 4 + frame,
                        fm.height() + 4 + frame);
    }
}

void SettingsTab::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) fitToFont();
    QWidget::changeEvent(event);
}

void SettingsTab::connectAll() {
    // Every change of a control reaches the live settings at once, by the user or by the program.
    connect(ui_->optionList, &QListWidget::itemChanged, this, &SettingsTab::publish);
    for (QRadioButton* r : findChildren<QRadioButton*>())
        connect(r, &QRadioButton::toggled, this, &SettingsTab::publish);
    for (QCheckBox* c : findChildren<QCheckBox*>())
        connect(c, &QCheckBox::toggled, this, &SettingsTab::publish);
    connect(ui_->noticeDaysSpin, &QSpinBox::valueChanged, this, &SettingsTab::publish);
    connect(ui_->optionList, &QListWidget::itemChanged, this,
            [this] { user([this] { applyHintsOption(); }); });
    connect(ui_->optionList, &QListWidget::itemDoubleClicked, this,
            [this] { user([this] { toggleCurrentOption(); }); });
    connect(ui_->webAddressesButton, &QPushButton::clicked, this,
            [this] { user([this] { editWebAddresses(); }); });
    connect(ui_->saveSettingsButton, &QPushButton::clicked, this, [this] { user([this] { save(); }); });
    connect(ui_->defaultsButton, &QPushButton::clicked, this,
            [this] { user([this] { askResetToDefaults(); }); });
    connect(ui_->syncAccountButton, &QPushButton::clicked, this,
            [this] { user([this] { openAccountDialog(); }); });
    // A choice's handler runs when it becomes selected, not when it is clicked again.
    const auto onSelect = [this](QRadioButton* r, void (SettingsTab::*handler)()) {
        connect(r, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on) user([this, handler] { (this->*handler)(); });
        });
    };
    onSelect(ui_->startActiveChoice, &SettingsTab::onStartChosen);
    onSelect(ui_->startPassiveChoice, &SettingsTab::onStartChosen);
    onSelect(ui_->noStartChoice, &SettingsTab::onNoStartChosen);
    onSelect(ui_->defaultSoundChoice, &SettingsTab::previewDefaultSound);
    onSelect(ui_->soundFileChoice, &SettingsTab::previewSoundFile);
    // A preset applies again on every click, also after a swatch changed one of its colours.
    connect(ui_->blueGreenPreset, &QRadioButton::clicked, this,
            [this] { user([this] { preset(kThemeBluishGreen); }); });
    connect(ui_->blackWhitePreset, &QRadioButton::clicked, this,
            [this] { user([this] { preset(kThemeBlackAndWhite); }); });
    connect(ui_->playfulPreset, &QRadioButton::clicked, this,
            [this] { user([this] { preset(kThemeMadcap); }); });
    connect(ui_->noticeAtStartBox, &QCheckBox::clicked, this,
            [this] { user([this] { onNoticeBoxClicked(); }); });
    connect(ui_->noticeAtExitBox, &QCheckBox::clicked, this,
            [this] { user([this] { onNoticeBoxClicked(); }); });
}

bool SettingsTab::eventFilter(QObject* watched, QEvent* event) {
    auto* w = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (w == ui_->soundFilePanel) {
            const Qt::MouseButton b = static_cast<QMouseEvent*>(event)->button();
            user([this, b] { onSoundPanelPressed(b); });
        }
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || !w->rect().contains(e->position().toPoint())) return true;
        if (w == ui_->soundFilePanel) user([this] { chooseSoundFile(); });
        for (std::size_t slot = 0; slot < 5; ++slot)
            if (w == swatch(slot)) user([this, slot] { chooseColor(slot); });
        return true;
    }
    case QEvent::MouseMove:
    case QEvent::Enter:
        if (w == ui_->soundFilePanel) updateSoundPanelHint();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QLabel* SettingsTab::swatch(std::size_t slot) const {
    QLabel* const all[] = {ui_->backgroundSwatch, ui_->captionsSwatch, ui_->textBackgroundSwatch,
                           ui_->textSwatch, ui_->variationsSwatch};
    return slot < 5 ? all[slot] : nullptr;
}

void SettingsTab::setHint(QWidget* w, const QString& hint) {
    hints_.insert(w, hint);
    w->setToolTip(showHints_ ? hint : QString());
}

bool SettingsTab::optionChecked(Item item) const {
    return ui_->optionList->item(item)->checkState() == Qt::Checked;
}

void SettingsTab::setItem(Item item, bool on) {
    const Quiet q(quiet_);
    ui_->optionList->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void SettingsTab::selectStart(StartChoice choice) {
    const Quiet q(quiet_);
    checkOnly({ui_->startActiveChoice, ui_->startPassiveChoice, ui_->noStartChoice},
              choice == StartChoice::Active    ? ui_->startActiveChoice
              : choice == StartChoice::Passive ? ui_->startPassiveChoice
              : choice == StartChoice::No      ? ui_->noStartChoice
                                               : nullptr);
    // What the two handlers do to the tray choice, without their side effects.
    if (choice == StartChoice::No) ui_->startInTrayBox->setChecked(false);
    ui_->startInTrayBox->setEnabled(choice != StartChoice::No);
}

void SettingsTab::selectSound(SoundChoice choice) {
    const Quiet q(quiet_);
    checkOnly({ui_->defaultSoundChoice, ui_->soundFileChoice, ui_->noSoundChoice},
              choice == SoundChoice::File   ? ui_->soundFileChoice
              : choice == SoundChoice::None ? ui_->noSoundChoice
                                            : ui_->defaultSoundChoice);
}

void SettingsTab::updateNoticeSpin() {
    ui_->noticeDaysSpin->setEnabled(ui_->noticeAtStartBox->isChecked() || ui_->noticeAtExitBox->isChecked());
}

void SettingsTab::showSoundName(const std::string& path) {
    ui_->soundFilePanel->setText(soundName(fromCp(path)));
}

Settings SettingsTab::current() const {
    Settings s;
    s.colors = colors_;
    s.warnings = optionChecked(Warnings);
    s.allOccurrences = optionChecked(AllOccurrences);
    s.pastEvents = optionChecked(PastEvents);
    s.hints = optionChecked(Hints);
    s.balloon = optionChecked(Balloon);
    s.closeToTray = ui_->closeToTrayChoice->isChecked();
    s.start = ui_->startActiveChoice->isChecked()    ? StartChoice::Active
              : ui_->startPassiveChoice->isChecked() ? StartChoice::Passive
              : ui_->noStartChoice->isChecked()      ? StartChoice::No
                                                     : StartChoice::None;
    s.sound = soundChoice();
    s.soundFile = soundFile_;
    s.soundDialogFile = soundDialogFile_;
    s.noticeDays = ui_->noticeDaysSpin->value();
    s.noticeAtStart = ui_->noticeAtStartBox->isChecked();
    s.noticeAtExit = ui_->noticeAtExitBox->isChecked();
    s.startInTray = ui_->startInTrayBox->isChecked();
    s.mapPage = mapPage_;
    s.smsPage = smsPage_;
    s.phonePage = phonePage_;
    s.desktopNotifications = ui_->desktopNotificationsBox->isChecked();
    s.catchUpLaunches = ui_->catchUpLaunchesBox->isChecked();
    // The account and the calendar's alarm time have no control here: they are set in the account's
    // dialog, and neither a change of a control nor "Alap-beállítások" touches them.
    s.account = state_.settings().account;
    s.celebrationAlarmMinute = state_.settings().celebrationAlarmMinute;
    return s;
}

void SettingsTab::publish() {
    state_.setSettings(current());
}

void SettingsTab::showSettings(Settings s) {
    const Quiet q(quiet_);
    colors_ = s.colors;
    setItem(PastEvents, s.pastEvents);
    setItem(Warnings, s.warnings);
    ui_->closeEndsChoice->setChecked(true);
    if (s.closeToTray) ui_->closeToTrayChoice->setChecked(true);
    if (s.start != StartChoice::None) selectStart(s.start);
    setItem(AllOccurrences, s.allOccurrences);
    soundDialogFile_ = s.soundDialogFile;
    ui_->noticeDaysSpin->setValue(s.noticeDays);
    ui_->noticeAtStartBox->setChecked(s.noticeAtStart);
    ui_->noticeAtExitBox->setChecked(s.noticeAtExit);
    updateNoticeSpin();
    setItem(Hints, s.hints);
    applyHintsOption();
    ui_->startInTrayBox->setChecked(s.startInTray);
    setItem(Balloon, s.balloon);
    selectSound(s.sound);
    mapPage_ = s.mapPage;
    smsPage_ = s.smsPage;
    phonePage_ = s.phonePage;
    if (s.sound != SoundChoice::None) {
        soundFile_ = s.soundFile;
        showSoundName(soundFile_);
    }
    ui_->desktopNotificationsBox->setChecked(s.desktopNotifications);
    ui_->catchUpLaunchesBox->setChecked(s.catchUpLaunches);
    // Only the colours are kept; a preset that matches them shows as chosen.
    checkOnly({ui_->blueGreenPreset, ui_->blackWhitePreset, ui_->playfulPreset},
              colors_ == kThemeBluishGreen     ? ui_->blueGreenPreset
              : colors_ == kThemeBlackAndWhite ? ui_->blackWhitePreset
              : colors_ == kThemeMadcap        ? ui_->playfulPreset
                                               : nullptr);
    publish();
}

void SettingsTab::resetToDefaults() {
    const Settings d = defaultSettings();
    {
        const Quiet q(quiet_);
        ui_->blueGreenPreset->setChecked(true);
    }
    colors_ = d.colors;
    applyColors();
    setItem(PastEvents, d.pastEvents);
    setItem(Warnings, d.warnings);
    {
        const Quiet q(quiet_);
        ui_->closeEndsChoice->setChecked(true);
        checkOnly({ui_->startActiveChoice, ui_->startPassiveChoice, ui_->noStartChoice}, ui_->noStartChoice);
    }
    // Choosing "Ne induljon a program" removes the autostart entry at once, here as well.
    onNoStartChosen();
    const Quiet q(quiet_);
    setItem(AllOccurrences, d.allOccurrences);
    ui_->noticeDaysSpin->setValue(d.noticeDays);
    ui_->noticeAtStartBox->setChecked(d.noticeAtStart);
    ui_->noticeAtExitBox->setChecked(d.noticeAtExit);
    updateNoticeSpin();
    setItem(Hints, d.hints);
    ui_->startInTrayBox->setChecked(d.startInTray);
    mapPage_ = d.mapPage;
    smsPage_ = d.smsPage;
    phonePage_ = d.phonePage;
    selectSound(SoundChoice::Default);
    soundFile_.clear();
    setItem(Balloon, d.balloon);
    ui_->desktopNotificationsBox->setChecked(d.desktopNotifications);
    ui_->catchUpLaunchesBox->setChecked(d.catchUpLaunches);
    // The hints follow the hints option again.
    applyHintsOption();
    publish();
}

void SettingsTab::save() {
    state_.saveSettings();
    setAutostart(!ui_->noStartChoice->isChecked());
}

void SettingsTab::saveRecordOnly() {
    state_.saveSettings(AppState::SettingsFiles::RecordOnly);
    setAutostart(!ui_->noStartChoice->isChecked());
}

void SettingsTab::loadAtStart() {
    bool read = false, damaged = false;
    try {
        read = state_.loadSettings();
    } catch (const IoError& e) {
        if (e.code() != kReadPastEnd) throw;
        // A damaged file is reported and kept as it is; the defaults stand until the user saves.
        showErrorBox(dialogs_, e);
        damaged = true;
    }
    // So is a further settings file that cannot be read, for its own keys.
    if (const std::optional<IoError>& e = state_.furtherSettingsError()) showErrorBox(dialogs_, *e);
    if (read) {
        showSettings(state_.settings());
        return;
    }
    resetToDefaults();
    // The further file's keys still hold over the defaults: a lost record must not cost the account.
    state_.setSettings(state_.withFurtherSettings(state_.settings()));
    showSettings(state_.settings());
    // A first start creates the settings file; the further one waits for "Mentés".
    if (!damaged) saveRecordOnly();
}

void SettingsTab::askResetToDefaults() {
    if (dialogs_.confirmation(QStringLiteral("Valóban visszaállítja az alapértelmezett beállításokat?")) !=
        Dialogs::No)
        resetToDefaults();
}

void SettingsTab::setAccountServices(SecretStore& secrets, AccountDialog::Discovery discovery) {
    secrets_ = &secrets;
    discovery_ = std::move(discovery);
    ui_->syncAccountButton->setEnabled(true);
}

void SettingsTab::openAccountDialog() {
    if (!secrets_) return;
    auto* dialog = new AccountDialog(state_, dialogs_, *secrets_, discovery_, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &AccountDialog::accountSaved, this, &SettingsTab::accountChanged);
    // Window-modal without a nested event loop: the clock keeps ticking while it is open.
    dialog->open();
}

void SettingsTab::setAutostart(bool on) {
    autostart_.setAutostart(on, QCoreApplication::applicationFilePath());
}

void SettingsTab::applyHintsOption() {
    showHints_ = optionChecked(Hints);
    for (auto it = hints_.cbegin(); it != hints_.cend(); ++it)
        it.key()->setToolTip(showHints_ ? it.value() : QString());
}

void SettingsTab::toggleCurrentOption() {
    QListWidgetItem* item = ui_->optionList->currentItem();
    if (!item || !item->isSelected()) return;
    const Quiet q(quiet_);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void SettingsTab::onStartChosen() {
    ui_->startInTrayBox->setEnabled(true);
}

void SettingsTab::onNoStartChosen() {
    setAutostart(false);
    ui_->startInTrayBox->setChecked(false);
    ui_->startInTrayBox->setEnabled(false);
}

void SettingsTab::previewDefaultSound() {
    emit defaultSoundPreviewRequested();
}

void SettingsTab::previewSoundFile() {
    if (!ui_->soundFilePanel->text().isEmpty()) emit soundFilePreviewRequested(chosenSoundFile());
}

void SettingsTab::chooseSoundFile() {
    const QString file = dialogs_.openFile(
        QStringLiteral("Hangállomány kiválasztása"), QString::fromStdString(state_.paths().exeDir.string()),
        QStringLiteral("Wav fájlok (.wav)|*.wav|MIDI fájlok (.mid)|*.mid"));
    if (file.isEmpty()) return;
    // Selecting the choice previews the file shown so far, as clicking it would.
    ui_->soundFileChoice->setChecked(true);
    soundFile_ = cut(toCp(file));
    soundDialogFile_ = soundFile_;
    showSoundName(soundFile_);
    publish();
}

void SettingsTab::onSoundPanelPressed(Qt::MouseButton button) {
    if (button == Qt::RightButton) previewSoundFile();
}

void SettingsTab::updateSoundPanelHint() {
    setHint(ui_->soundFilePanel,
            QStringLiteral("Lejátszandó hangállomány: ") + ui_->soundFilePanel->text() + kNl +
                QStringLiteral("Bal egérgomb: Fájl megadása  I  Jobb egérgomb: Hang lejátszása"));
}

void SettingsTab::onNoticeBoxClicked() {
    ui_->noticeDaysSpin->setEnabled(true);
    if (ui_->noticeAtStartBox->isChecked() || ui_->noticeAtExitBox->isChecked()) return;
    ui_->noticeDaysSpin->setEnabled(false);
    if (optionChecked(Warnings) && isCurrentPage(this))
        dialogs_.warning(QStringLiteral("Kikapcsolta a név-, és születésnap jelzését!") + kNl +
                         QStringLiteral("Így nem kap értesítést ezekről!"));
}

void SettingsTab::editWebAddresses() {
    const struct {
        std::string* page;
        const char* prompt;
    } boxes[] = {
        {&mapPage_,
         "Adja meg a postai cím kereséséhez használni kívánt Internetes térképoldal teljes címét:"},
        {&smsPage_, "Gépelje be az SMS küldéshez használni kívánt Internetes oldal teljes címét:"},
        {&phonePage_, "Kérem a vezetékes telefonszámhoz kapcsolható Internetes oldal teljes címét:"},
    };
    for (const auto& box : boxes) {
        const QString start = fromCp(*box.page);
        // Cancel gives back the starting text: the address stays and the next box comes.
        const QString answer =
            dialogs_.input(kWebCaption, QString::fromUtf8(box.prompt), start).value_or(start);
        if (answer.isEmpty()) return;
        *box.page = cut(toCp(answer));
        publish();
    }
    dialogs_.information(QStringLiteral(
        "Ezen beállítások is a Mentés gombra történő kattinttással érvényesülnek véglegesen."));
}

void SettingsTab::chooseColor(std::size_t slot) {
    const std::optional<QColor> chosen = dialogs_.color(colorOf(colors_[slot]));
    if (!chosen) return;
    colors_[slot] = colorValue(*chosen);
    applyColors();
}

void SettingsTab::preset(const ThemeColors& colors) {
    colors_ = colors;
    applyColors();
}

void SettingsTab::applyColors() {
    publish();
    update();
}

SoundChoice SettingsTab::soundChoice() const {
    if (ui_->soundFileChoice->isChecked()) return SoundChoice::File;
    if (ui_->noSoundChoice->isChecked()) return SoundChoice::None;
    return SoundChoice::Default;
}

void SettingsTab::selectDefaultSound() {
    const Quiet q(quiet_);
    ui_->defaultSoundChoice->setChecked(true);
}

QString SettingsTab::chosenSoundFile() const {
    return fromCp(soundFile_);
}

} // namespace zel::gui
