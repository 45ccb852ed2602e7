#include "gui/tabs/settings_tab.h"
#include "gui/widgets/widget_util.h"

#include "gui/error_box.h"
#include "gui/platform/autostart.h"
#include "gui/qt_text.h"
#include "gui/state/app_state.h"
#include "gui/texts.h"
#include "gui/theme/theme.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <algorithm>
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

QLabel* panel(QWidget* parent, const char* name, const QString& caption) {
    auto* p = named(new QLabel(caption, parent), name);
    p->setAlignment(Qt::AlignCenter);
    p->setAutoFillBackground(true);
    p->setCursor(Qt::PointingHandCursor);
    return p;
}

} // namespace

template <class F> void SettingsTab::user(F&& handler) {
    if (quiet_ == 0) guarded(dialogs_, std::forward<F>(handler));
}

SettingsTab::SettingsTab(AppState& state, Dialogs& dialogs, Autostart& autostart, QWidget* parent)
    : QWidget(parent), state_(state), dialogs_(dialogs), autostart_(autostart) {
    setObjectName(QStringLiteral("settingsPage"));
    build();
    connectAll();
}

void SettingsTab::build() {
    // Many controls share one tab page: one point smaller than the rest of the window.
    QFont small = font();
    if (small.pointSizeF() > 0) small.setPointSizeF(small.pointSizeF() - 1.0);
    setFont(small);

    // Left column: the check list, the start choices and the colours.
    generalGroup_ = named(new QGroupBox(QStringLiteral(" Általános "), this), "generalGroup");
    generalGroup_->setGeometry(4, 0, 324, 115);
    optionList_ = named(new QListWidget(generalGroup_), "optionList");
    optionList_->setItemDelegate(new RowHeightDelegate(14, optionList_));
    // All five options in sight, in rows tall enough for their accents; the button takes the rest.
    const int listHeight =
        5 * std::max(14, accentSafeRowHeight(optionList_->font())) + 2 * optionList_->frameWidth();
    optionList_->setGeometry(3, 16, 318, listHeight);
    optionList_->setUniformItemSizes(true);
    optionList_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    optionList_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const char* text :
         {"Figyelmeztető ablakok megjelenítése  (Ajánlott)", "Névnapok listája az összes előfordulás alapján",
          "Az elmúlt eseményeket is megjelenítse listázáskor",
          "Segítő megjegyzések a téma felett a beállításoknál",
          "Névnapok megjelenítése induláskor egy buborékban"}) {
        auto* item = new QListWidgetItem(QString::fromUtf8(text), optionList_);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    webAddressesButton_ = named(
        new QPushButton(QStringLiteral("Az elérhetőségi webcímek módosítása (Pl: térkép)"), generalGroup_),
        "webAddressesButton");
    webAddressesButton_->setGeometry(3, 18 + listHeight, 318, std::min(21, 115 - 20 - listHeight));

    startGroup_ = named(new QGroupBox(QStringLiteral(" Indítás a rendszerrel "), this), "startGroup");
    startGroup_->setGeometry(4, 117, 324, 68);
    startActiveChoice_ =
        named(new QRadioButton(QStringLiteral("Indítás aktív módban "), startGroup_), "startActiveChoice");
    startActiveChoice_->setGeometry(8, 16, 140, 16);
    startPassiveChoice_ =
        named(new QRadioButton(QStringLiteral("Indítás passzív módban"), startGroup_), "startPassiveChoice");
    startPassiveChoice_->setGeometry(8, 32, 160, 16);
    noStartChoice_ =
        named(new QRadioButton(QStringLiteral("Ne induljon a program"), startGroup_), "noStartChoice");
    noStartChoice_->setGeometry(8, 48, 160, 16);
    startInTrayBox_ =
        named(new QCheckBox(QStringLiteral("Kezdetben ikonméret(Tray)"), startGroup_), "startInTrayBox");
    startInTrayBox_->setGeometry(150, 16, 172, 16);

    colorGroup_ =
        named(new QGroupBox(QStringLiteral(" A program &színeinek testreszabása "), this), "colorGroup");
    colorGroup_->setGeometry(4, 187, 324, 60);
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        int width;
    } swatches[] = {{"backgroundSwatch", "Háttér", "Háttérszín", 50},
                    {"captionsSwatch", "Felíratok", "Felíratok színe", 58},
                    {"textBackgroundSwatch", "Szövegháttér", "Szövegháttér szín", 80},
                    {"textSwatch", "Szöveg", "Szövegszín", 50},
                    {"variationsSwatch", "Variációk", "Lehetőségek színei", 58}};
    QLabel** targets[] = {&backgroundSwatch_, &captionsSwatch_, &textBackgroundSwatch_, &textSwatch_,
                          &variationsSwatch_};
    int x = 6;
    for (std::size_t i = 0; i < 5; ++i) {
        QLabel* p = panel(colorGroup_, swatches[i].name, QString::fromUtf8(swatches[i].caption));
        p->setFrameStyle(QFrame::Panel | QFrame::Raised);
        p->setGeometry(x, 17, swatches[i].width, 18);
        x += swatches[i].width + 4;
        setHint(p, QString::fromUtf8(swatches[i].hint));
        *targets[i] = p;
    }
    blueGreenPreset_ = named(new QRadioButton(QStringLiteral("Kékes-zöld"), colorGroup_), "blueGreenPreset");
    blueGreenPreset_->setGeometry(8, 39, 90, 17);
    blackWhitePreset_ =
        named(new QRadioButton(QStringLiteral("Fekete-fehér"), colorGroup_), "blackWhitePreset");
    blackWhitePreset_->setGeometry(104, 39, 100, 17);
    playfulPreset_ = named(new QRadioButton(QStringLiteral("Bolondos"), colorGroup_), "playfulPreset");
    playfulPreset_->setGeometry(212, 39, 90, 17);
    setHint(blueGreenPreset_, QStringLiteral("A program színeiben a kék és a zöld színek dominálnak"));
    setHint(blackWhitePreset_, QStringLiteral("A program szürkés-ezüstös kinézetű lesz"));

    // Right column: closing, sound, the name-day notice and the two commands.
    closeGroup_ = named(new QGroupBox(QStringLiteral(" Bezárás gomb "), this), "closeGroup");
    closeGroup_->setGeometry(331, 0, 154, 52);
    closeToTrayChoice_ =
        named(new QRadioButton(QStringLiteral("Ikonállapot (ajánlott)"), closeGroup_), "closeToTrayChoice");
    closeToTrayChoice_->setGeometry(5, 16, 146, 16);
    closeEndsChoice_ =
        named(new QRadioButton(QStringLiteral("A program leálítása"), closeGroup_), "closeEndsChoice");
    closeEndsChoice_->setGeometry(5, 32, 146, 16);

    soundGroup_ = named(new QGroupBox(QStringLiteral(" Hangjelzés "), this), "soundGroup");
    soundGroup_->setGeometry(331, 54, 154, 70);
    defaultSoundChoice_ =
        named(new QRadioButton(QStringLiteral("Alapértelmezett hang"), soundGroup_), "defaultSoundChoice");
    defaultSoundChoice_->setGeometry(5, 16, 146, 16);
    soundFileChoice_ = named(new QRadioButton(QStringLiteral("Hangfájl:"), soundGroup_), "soundFileChoice");
    soundFileChoice_->setGeometry(5, 33, 72, 16);
    soundFilePanel_ = panel(soundGroup_, "soundFilePanel", QString());
    soundFilePanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    soundFilePanel_->setGeometry(78, 32, 70, 18);
    soundFilePanel_->setMouseTracking(true);
    noSoundChoice_ =
        named(new QRadioButton(QStringLiteral("Nem kérek hangjelzést"), soundGroup_), "noSoundChoice");
    noSoundChoice_->setGeometry(5, 50, 146, 16);

    noticeGroup_ = named(new QGroupBox(QStringLiteral(" Név- és születésnapok "), this), "noticeGroup");
    noticeGroup_->setGeometry(331, 126, 154, 86);
    noticeWhenGroup_ =
        named(new QGroupBox(QStringLiteral(" Figyelmeztetés "), noticeGroup_), "noticeWhenGroup");
    noticeWhenGroup_->setGeometry(5, 15, 144, 36);
    noticeAtStartBox_ = named(new QCheckBox(QStringLiteral("Indul"), noticeWhenGroup_), "noticeAtStartBox");
    noticeAtStartBox_->setGeometry(8, 16, 64, 16);
    noticeAtExitBox_ = named(new QCheckBox(QStringLiteral("Leáll"), noticeWhenGroup_), "noticeAtExitBox");
    noticeAtExitBox_->setGeometry(78, 16, 64, 16);
    noticeDaysSpin_ = named(new QSpinBox(noticeGroup_), "noticeDaysSpin");
    noticeDaysSpin_->setRange(1, 10);
    noticeDaysSpin_->setGeometry(5, 55, 42, 22);
    auto* days = new QLabel(QStringLiteral("nappal előtte, futtatáskor"), noticeGroup_);
    days->setWordWrap(true);
    days->setGeometry(51, 52, 100, 30);

    saveSettingsButton_ = named(new QPushButton(QStringLiteral("Mentés"), this), "saveSettingsButton");
    saveSettingsButton_->setGeometry(331, 216, 54, 28);
    defaultsButton_ = named(new QPushButton(QStringLiteral("Alap-beállítások"), this), "defaultsButton");
    defaultsButton_->setGeometry(388, 216, 97, 28);
    QFont bold = saveSettingsButton_->font();
    bold.setBold(true);
    saveSettingsButton_->setFont(bold);

    setHint(closeToTrayChoice_,
            QStringLiteral("Bezáráskor a program ikonként fut tovább, és figyeli az eseményeket"));
    setHint(closeEndsChoice_,
            QStringLiteral("Bezáráskor a program leáll, így az eseményeket sem figyeli tovább"));
    setHint(startActiveChoice_,
            QStringLiteral("Bejelentkezéskor a program elindul, és figyeli az eseményeket"));
    setHint(startPassiveChoice_,
            QStringLiteral("Bejelentkezéskor a program elindul, de az eseményeket csak kérésre figyeli"));
    setHint(noStartChoice_, QStringLiteral("A program csak akkor indul, ha Ön elindítja"));
    setHint(startInTrayBox_,
            QStringLiteral("Induláskor a program nem nyit ablakot, csak az ikonja jelenik meg"));
    setHint(defaultSoundChoice_, QStringLiteral("Az események a program saját hangjával szólnak"));
    setHint(soundFileChoice_, QStringLiteral("Az események a megadott hangfájllal szólnak"));
    setHint(noSoundChoice_, QStringLiteral("Az események hangjelzés nélkül jelennek meg"));
    setHint(noticeDaysSpin_, QStringLiteral("Hány nappal előre jelezze a program a név- és születésnapokat"));
    setHint(noticeAtStartBox_,
            QStringLiteral("A program indulásakor jelzi a közelgő név- és születésnapokat"));
    setHint(noticeAtExitBox_,
            QStringLiteral("A program leállásakor jelzi a közelgő név- és születésnapokat"));
    setHint(saveSettingsButton_, QStringLiteral("A beállítások mentése"));
    setHint(defaultsButton_, QStringLiteral("Az alapértelmezett beállítások visszaállítása"));
    updateSoundPanelHint();

    for (QWidget* w : std::initializer_list<QWidget*>{soundFilePanel_, backgroundSwatch_, captionsSwatch_,
                                                      textBackgroundSwatch_, textSwatch_, variationsSwatch_})
        w->installEventFilter(this);
}

void SettingsTab::connectAll() {
    // Every change of a control reaches the live settings at once, by the user or by the program.
    connect(optionList_, &QListWidget::itemChanged, this, &SettingsTab::publish);
    for (QRadioButton* r : findChildren<QRadioButton*>())
        connect(r, &QRadioButton::toggled, this, &SettingsTab::publish);
    for (QCheckBox* c : findChildren<QCheckBox*>())
        connect(c, &QCheckBox::toggled, this, &SettingsTab::publish);
    connect(noticeDaysSpin_, &QSpinBox::valueChanged, this, &SettingsTab::publish);
    connect(optionList_, &QListWidget::itemChanged, this, [this] { user([this] { applyHintsOption(); }); });
    connect(optionList_, &QListWidget::itemDoubleClicked, this,
            [this] { user([this] { toggleCurrentOption(); }); });
    connect(webAddressesButton_, &QPushButton::clicked, this,
            [this] { user([this] { editWebAddresses(); }); });
    connect(saveSettingsButton_, &QPushButton::clicked, this, [this] { user([this] { save(); }); });
    connect(defaultsButton_, &QPushButton::clicked, this, [this] { user([this] { askResetToDefaults(); }); });
    // A choice's handler runs when it becomes selected, not when it is clicked again.
    const auto onSelect = [this](QRadioButton* r, void (SettingsTab::*handler)()) {
        connect(r, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on) user([this, handler] { (this->*handler)(); });
        });
    };
    onSelect(startActiveChoice_, &SettingsTab::onStartChosen);
    onSelect(startPassiveChoice_, &SettingsTab::onStartChosen);
    onSelect(noStartChoice_, &SettingsTab::onNoStartChosen);
    onSelect(defaultSoundChoice_, &SettingsTab::previewDefaultSound);
    onSelect(soundFileChoice_, &SettingsTab::previewSoundFile);
    // A preset applies again on every click, also after a swatch changed one of its colours.
    connect(blueGreenPreset_, &QRadioButton::clicked, this,
            [this] { user([this] { preset(kThemeKekesZold); }); });
    connect(blackWhitePreset_, &QRadioButton::clicked, this,
            [this] { user([this] { preset(kThemeFeketeFeher); }); });
    connect(playfulPreset_, &QRadioButton::clicked, this,
            [this] { user([this] { preset(kThemeBolondos); }); });
    connect(noticeAtStartBox_, &QCheckBox::clicked, this, [this] { user([this] { onNoticeBoxClicked(); }); });
    connect(noticeAtExitBox_, &QCheckBox::clicked, this, [this] { user([this] { onNoticeBoxClicked(); }); });
}

bool SettingsTab::eventFilter(QObject* watched, QEvent* event) {
    auto* w = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (w == soundFilePanel_) {
            const Qt::MouseButton b = static_cast<QMouseEvent*>(event)->button();
            user([this, b] { onSoundPanelPressed(b); });
        }
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || !w->rect().contains(e->position().toPoint())) return true;
        if (w == soundFilePanel_) user([this] { chooseSoundFile(); });
        for (std::size_t slot = 0; slot < 5; ++slot)
            if (w == swatch(slot)) user([this, slot] { chooseColor(slot); });
        return true;
    }
    case QEvent::MouseMove:
    case QEvent::Enter:
        if (w == soundFilePanel_) updateSoundPanelHint();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QLabel* SettingsTab::swatch(std::size_t slot) const {
    QLabel* const all[] = {backgroundSwatch_, captionsSwatch_, textBackgroundSwatch_, textSwatch_,
                           variationsSwatch_};
    return slot < 5 ? all[slot] : nullptr;
}

void SettingsTab::setHint(QWidget* w, const QString& hint) {
    hints_.insert(w, hint);
    w->setToolTip(showHints_ ? hint : QString());
}

bool SettingsTab::optionChecked(Item item) const {
    return optionList_->item(item)->checkState() == Qt::Checked;
}

void SettingsTab::setItem(Item item, bool on) {
    const Quiet q(quiet_);
    optionList_->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void SettingsTab::selectStart(StartChoice choice) {
    const Quiet q(quiet_);
    checkOnly({startActiveChoice_, startPassiveChoice_, noStartChoice_},
              choice == StartChoice::Active    ? startActiveChoice_
              : choice == StartChoice::Passive ? startPassiveChoice_
              : choice == StartChoice::No      ? noStartChoice_
                                               : nullptr);
    // What the two handlers do to the tray choice, without their side effects.
    if (choice == StartChoice::No) startInTrayBox_->setChecked(false);
    startInTrayBox_->setEnabled(choice != StartChoice::No);
}

void SettingsTab::selectSound(SoundChoice choice) {
    const Quiet q(quiet_);
    checkOnly({defaultSoundChoice_, soundFileChoice_, noSoundChoice_},
              choice == SoundChoice::File   ? soundFileChoice_
              : choice == SoundChoice::None ? noSoundChoice_
                                            : defaultSoundChoice_);
}

void SettingsTab::updateNoticeSpin() {
    noticeDaysSpin_->setEnabled(noticeAtStartBox_->isChecked() || noticeAtExitBox_->isChecked());
}

void SettingsTab::showSoundName(const std::string& path) {
    soundFilePanel_->setText(soundName(fromCp(path)));
}

Settings SettingsTab::current() const {
    Settings s;
    s.colors = colors_;
    s.warnings = optionChecked(Warnings);
    s.allOccurrences = optionChecked(AllOccurrences);
    s.pastEvents = optionChecked(PastEvents);
    s.hints = optionChecked(Hints);
    s.balloon = optionChecked(Balloon);
    s.closeToTray = closeToTrayChoice_->isChecked();
    s.start = startActiveChoice_->isChecked()    ? StartChoice::Active
              : startPassiveChoice_->isChecked() ? StartChoice::Passive
              : noStartChoice_->isChecked()      ? StartChoice::No
                                                 : StartChoice::None;
    s.sound = soundChoice();
    s.soundFile = soundFile_;
    s.soundDialogFile = soundDialogFile_;
    s.noticeDays = noticeDaysSpin_->value();
    s.noticeAtStart = noticeAtStartBox_->isChecked();
    s.noticeAtExit = noticeAtExitBox_->isChecked();
    s.startInTray = startInTrayBox_->isChecked();
    s.mapPage = mapPage_;
    s.smsPage = smsPage_;
    s.phonePage = phonePage_;
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
    closeEndsChoice_->setChecked(true);
    if (s.closeToTray) closeToTrayChoice_->setChecked(true);
    if (s.start != StartChoice::None) selectStart(s.start);
    setItem(AllOccurrences, s.allOccurrences);
    soundDialogFile_ = s.soundDialogFile;
    noticeDaysSpin_->setValue(s.noticeDays);
    noticeAtStartBox_->setChecked(s.noticeAtStart);
    noticeAtExitBox_->setChecked(s.noticeAtExit);
    updateNoticeSpin();
    setItem(Hints, s.hints);
    applyHintsOption();
    startInTrayBox_->setChecked(s.startInTray);
    setItem(Balloon, s.balloon);
    selectSound(s.sound);
    mapPage_ = s.mapPage;
    smsPage_ = s.smsPage;
    phonePage_ = s.phonePage;
    if (s.sound != SoundChoice::None) {
        soundFile_ = s.soundFile;
        showSoundName(soundFile_);
    }
    // Only the colours are kept; a preset that matches them shows as chosen.
    checkOnly({blueGreenPreset_, blackWhitePreset_, playfulPreset_},
              colors_ == kThemeKekesZold     ? blueGreenPreset_
              : colors_ == kThemeFeketeFeher ? blackWhitePreset_
              : colors_ == kThemeBolondos    ? playfulPreset_
                                             : nullptr);
    publish();
}

void SettingsTab::resetToDefaults() {
    const Settings d = defaultSettings();
    {
        const Quiet q(quiet_);
        blueGreenPreset_->setChecked(true);
    }
    colors_ = d.colors;
    applyColors();
    setItem(PastEvents, d.pastEvents);
    setItem(Warnings, d.warnings);
    {
        const Quiet q(quiet_);
        closeEndsChoice_->setChecked(true);
        checkOnly({startActiveChoice_, startPassiveChoice_, noStartChoice_}, noStartChoice_);
    }
    // Choosing "Ne induljon a program" removes the autostart entry at once, here as well.
    onNoStartChosen();
    const Quiet q(quiet_);
    setItem(AllOccurrences, d.allOccurrences);
    noticeDaysSpin_->setValue(d.noticeDays);
    noticeAtStartBox_->setChecked(d.noticeAtStart);
    noticeAtExitBox_->setChecked(d.noticeAtExit);
    updateNoticeSpin();
    setItem(Hints, d.hints);
    startInTrayBox_->setChecked(d.startInTray);
    mapPage_ = d.mapPage;
    smsPage_ = d.smsPage;
    phonePage_ = d.phonePage;
    selectSound(SoundChoice::Default);
    soundFile_.clear();
    setItem(Balloon, d.balloon);
    // The hints follow the list's item 3 again.
    applyHintsOption();
    publish();
}

void SettingsTab::save() {
    state_.saveSettings();
    setAutostart(!noStartChoice_->isChecked());
}

void SettingsTab::askResetToDefaults() {
    if (dialogs_.confirmation(QStringLiteral("Valóban visszaállítja az alapértelmezett beállításokat?")) !=
        Dialogs::No)
        resetToDefaults();
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
    QListWidgetItem* item = optionList_->currentItem();
    if (!item || !item->isSelected()) return;
    const Quiet q(quiet_);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void SettingsTab::onStartChosen() {
    startInTrayBox_->setEnabled(true);
}

void SettingsTab::onNoStartChosen() {
    setAutostart(false);
    startInTrayBox_->setChecked(false);
    startInTrayBox_->setEnabled(false);
}

void SettingsTab::previewDefaultSound() {
    emit defaultSoundPreviewRequested();
}

void SettingsTab::previewSoundFile() {
    if (!soundFilePanel_->text().isEmpty()) emit soundFilePreviewRequested(chosenSoundFile());
}

void SettingsTab::chooseSoundFile() {
    const QString file = dialogs_.openFile(
        QStringLiteral("Hangállomány kiválasztása"), QString::fromStdString(state_.paths().exeDir.string()),
        QStringLiteral("Wav fájlok (.wav)|*.wav|MIDI fájlok (.mid)|*.mid"));
    if (file.isEmpty()) return;
    // Selecting the choice previews the file shown so far, as clicking it would.
    soundFileChoice_->setChecked(true);
    soundFile_ = cut(toCp(file));
    soundDialogFile_ = soundFile_;
    showSoundName(soundFile_);
    publish();
}

void SettingsTab::onSoundPanelPressed(Qt::MouseButton button) {
    if (button == Qt::RightButton) previewSoundFile();
}

void SettingsTab::updateSoundPanelHint() {
    setHint(soundFilePanel_,
            QStringLiteral("Lejátszandó hangállomány: ") + soundFilePanel_->text() + kNl +
                QStringLiteral("Bal egérgomb: Fájl megadása  I  Jobb egérgomb: Hang lejátszása"));
}

void SettingsTab::onNoticeBoxClicked() {
    noticeDaysSpin_->setEnabled(true);
    if (noticeAtStartBox_->isChecked() || noticeAtExitBox_->isChecked()) return;
    noticeDaysSpin_->setEnabled(false);
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
    if (soundFileChoice_->isChecked()) return SoundChoice::File;
    if (noSoundChoice_->isChecked()) return SoundChoice::None;
    return SoundChoice::Default;
}

void SettingsTab::selectDefaultSound() {
    const Quiet q(quiet_);
    defaultSoundChoice_->setChecked(true);
}

QString SettingsTab::chosenSoundFile() const {
    return fromCp(soundFile_);
}

} // namespace zel::gui
