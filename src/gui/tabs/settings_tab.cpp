#include "gui/tabs/settings_tab.h"
#include "gui/widgets/widget_util.h"

#include "gui/alert/alert_window.h"
#include "gui/error_box.h"
#include "gui/main_window.h"
#include "gui/platform/autostart.h"
#include "gui/qt_text.h"
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
    if (quiet_ == 0) guarded(main_.dialogs(), std::forward<F>(handler));
}

SettingsTab::SettingsTab(MainWindow& main, QWidget* parent) : QWidget(parent), main_(main) {
    setObjectName(QStringLiteral("pBeallitasok"));
    build();
    connectAll();
}

void SettingsTab::build() {
    // Many controls share one tab page: one point smaller than the rest of the window.
    QFont small = font();
    if (small.pointSizeF() > 0) small.setPointSizeF(small.pointSizeF() - 1.0);
    setFont(small);

    // Left column: the check list, the start choices and the colours.
    gEgyeb = named(new QGroupBox(QStringLiteral(" Általános "), this), "gEgyeb");
    gEgyeb->setGeometry(4, 0, 324, 115);
    cBeall = named(new QListWidget(gEgyeb), "cBeall");
    cBeall->setItemDelegate(new RowHeightDelegate(14, cBeall));
    // All five options in sight, in rows tall enough for their accents; the button takes the rest.
    const int listHeight = 5 * std::max(14, accentSafeRowHeight(cBeall->font())) + 2 * cBeall->frameWidth();
    cBeall->setGeometry(3, 16, 318, listHeight);
    cBeall->setUniformItemSizes(true);
    cBeall->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    cBeall->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    for (const char* text :
         {"Figyelmeztető ablakok megjelenítése  (Ajánlott)", "Névnapok listája az összes előfordulás alapján",
          "Az elmúlt eseményeket is megjelenítse listázáskor",
          "Segítő megjegyzések a téma felett a beállításoknál",
          "Névnapok megjelenítése induláskor egy buborékban"}) {
        auto* item = new QListWidgetItem(QString::fromUtf8(text), cBeall);
        item->setFlags(Qt::ItemIsUserCheckable | Qt::ItemIsEnabled | Qt::ItemIsSelectable);
        item->setCheckState(Qt::Unchecked);
    }
    button_webaddress =
        named(new QPushButton(QStringLiteral("Az elérhetőségi webcímek módosítása (Pl: térkép)"), gEgyeb),
              "button_webaddress");
    button_webaddress->setGeometry(3, 18 + listHeight, 318, std::min(21, 115 - 20 - listHeight));

    gWindows = named(new QGroupBox(QStringLiteral(" Indítás a rendszerrel "), this), "gWindows");
    gWindows->setGeometry(4, 117, 324, 68);
    rIndAktiv = named(new QRadioButton(QStringLiteral("Indítás aktív módban "), gWindows), "rIndAktiv");
    rIndAktiv->setGeometry(8, 16, 140, 16);
    rIndPassziv = named(new QRadioButton(QStringLiteral("Indítás passzív módban"), gWindows), "rIndPassziv");
    rIndPassziv->setGeometry(8, 32, 160, 16);
    rIndNe = named(new QRadioButton(QStringLiteral("Ne induljon a program"), gWindows), "rIndNe");
    rIndNe->setGeometry(8, 48, 160, 16);
    cIkonNezet = named(new QCheckBox(QStringLiteral("Kezdetben ikonméret(Tray)"), gWindows), "cIkonNezet");
    cIkonNezet->setGeometry(150, 16, 172, 16);

    gSzinek = named(new QGroupBox(QStringLiteral(" A program &színeinek testreszabása "), this), "gSzinek");
    gSzinek->setGeometry(4, 187, 324, 60);
    const struct {
        const char* name;
        const char* caption;
        const char* hint;
        int width;
    } swatches[] = {{"p11", "Háttér", "Háttérszín", 50},
                    {"p13", "Felíratok", "Felíratok színe", 58},
                    {"p14", "Szövegháttér", "Szövegháttér szín", 80},
                    {"p15", "Szöveg", "Szövegszín", 50},
                    {"p16", "Variációk", "Lehetőségek színei", 58}};
    QLabel** targets[] = {&p11, &p13, &p14, &p15, &p16};
    int x = 6;
    for (std::size_t i = 0; i < 5; ++i) {
        QLabel* p = panel(gSzinek, swatches[i].name, QString::fromUtf8(swatches[i].caption));
        p->setFrameStyle(QFrame::Panel | QFrame::Raised);
        p->setGeometry(x, 17, swatches[i].width, 18);
        x += swatches[i].width + 4;
        setHint(p, QString::fromUtf8(swatches[i].hint));
        *targets[i] = p;
    }
    rkekes = named(new QRadioButton(QStringLiteral("Kékes-zöld"), gSzinek), "rkekes");
    rkekes->setGeometry(8, 39, 90, 17);
    rSzurke = named(new QRadioButton(QStringLiteral("Fekete-fehér"), gSzinek), "rSzurke");
    rSzurke->setGeometry(104, 39, 100, 17);
    rBolondos = named(new QRadioButton(QStringLiteral("Bolondos"), gSzinek), "rBolondos");
    rBolondos->setGeometry(212, 39, 90, 17);
    setHint(rkekes, QStringLiteral("A program színeiben a kék és a zöld színek dominálnak"));
    setHint(rSzurke, QStringLiteral("A program szürkés-ezüstös kinézetű lesz"));

    // Right column: closing, sound, the name-day notice and the two commands.
    gBezar = named(new QGroupBox(QStringLiteral(" Bezárás gomb "), this), "gBezar");
    gBezar->setGeometry(331, 0, 154, 52);
    rBezarIkon = named(new QRadioButton(QStringLiteral("Ikonállapot (ajánlott)"), gBezar), "rBezarIkon");
    rBezarIkon->setGeometry(5, 16, 146, 16);
    rBezarLeall = named(new QRadioButton(QStringLiteral("A program leálítása"), gBezar), "rBezarLeall");
    rBezarLeall->setGeometry(5, 32, 146, 16);

    gHang = named(new QGroupBox(QStringLiteral(" Hangjelzés "), this), "gHang");
    gHang->setGeometry(331, 54, 154, 70);
    rAlapHang = named(new QRadioButton(QStringLiteral("Alapértelmezett hang"), gHang), "rAlapHang");
    rAlapHang->setGeometry(5, 16, 146, 16);
    rHang = named(new QRadioButton(QStringLiteral("Hangfájl:"), gHang), "rHang");
    rHang->setGeometry(5, 33, 72, 16);
    pHang = panel(gHang, "pHang", QString());
    pHang->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    pHang->setGeometry(78, 32, 70, 18);
    pHang->setMouseTracking(true);
    rNemHang = named(new QRadioButton(QStringLiteral("Nem kérek hangjelzést"), gHang), "rNemHang");
    rNemHang->setGeometry(5, 50, 146, 16);

    gNevSzulFigy = named(new QGroupBox(QStringLiteral(" Név- és születésnapok "), this), "gNevSzulFigy");
    gNevSzulFigy->setGeometry(331, 126, 154, 86);
    gNevSzulFigyMikor =
        named(new QGroupBox(QStringLiteral(" Figyelmeztetés "), gNevSzulFigy), "gNevSzulFigyMikor");
    gNevSzulFigyMikor->setGeometry(5, 15, 144, 36);
    cNevSzulFigyIndul = named(new QCheckBox(QStringLiteral("Indul"), gNevSzulFigyMikor), "cNevSzulFigyIndul");
    cNevSzulFigyIndul->setGeometry(8, 16, 64, 16);
    cNevSzulFigyLeall = named(new QCheckBox(QStringLiteral("Leáll"), gNevSzulFigyMikor), "cNevSzulFigyLeall");
    cNevSzulFigyLeall->setGeometry(78, 16, 64, 16);
    sNevSzulFigy = named(new QSpinBox(gNevSzulFigy), "sNevSzulFigy");
    sNevSzulFigy->setRange(1, 10);
    sNevSzulFigy->setGeometry(5, 55, 42, 22);
    auto* days = new QLabel(QStringLiteral("nappal előtte, futtatáskor"), gNevSzulFigy);
    days->setWordWrap(true);
    days->setGeometry(51, 52, 100, 30);

    Panel21 = named(new QPushButton(QStringLiteral("Mentés"), this), "Panel21");
    Panel21->setGeometry(331, 216, 54, 28);
    Panel22 = named(new QPushButton(QStringLiteral("Alap-beállítások"), this), "Panel22");
    Panel22->setGeometry(388, 216, 97, 28);
    QFont bold = Panel21->font();
    bold.setBold(true);
    Panel21->setFont(bold);

    setHint(rBezarIkon,
            QStringLiteral("Bezáráskor a program ikonként fut tovább, és figyeli az eseményeket"));
    setHint(rBezarLeall, QStringLiteral("Bezáráskor a program leáll, így az eseményeket sem figyeli tovább"));
    setHint(rIndAktiv, QStringLiteral("Bejelentkezéskor a program elindul, és figyeli az eseményeket"));
    setHint(rIndPassziv,
            QStringLiteral("Bejelentkezéskor a program elindul, de az eseményeket csak kérésre figyeli"));
    setHint(rIndNe, QStringLiteral("A program csak akkor indul, ha Ön elindítja"));
    setHint(cIkonNezet, QStringLiteral("Induláskor a program nem nyit ablakot, csak az ikonja jelenik meg"));
    setHint(rAlapHang, QStringLiteral("Az események a program saját hangjával szólnak"));
    setHint(rHang, QStringLiteral("Az események a megadott hangfájllal szólnak"));
    setHint(rNemHang, QStringLiteral("Az események hangjelzés nélkül jelennek meg"));
    setHint(sNevSzulFigy, QStringLiteral("Hány nappal előre jelezze a program a név- és születésnapokat"));
    setHint(cNevSzulFigyIndul,
            QStringLiteral("A program indulásakor jelzi a közelgő név- és születésnapokat"));
    setHint(cNevSzulFigyLeall,
            QStringLiteral("A program leállásakor jelzi a közelgő név- és születésnapokat"));
    setHint(Panel21, QStringLiteral("A beállítások mentése"));
    setHint(Panel22, QStringLiteral("Az alapértelmezett beállítások visszaállítása"));
    pHangMouseMove();

    for (QWidget* w : std::initializer_list<QWidget*>{pHang, p11, p13, p14, p15, p16})
        w->installEventFilter(this);
}

void SettingsTab::connectAll() {
    // Every change of a control reaches the live settings at once, by the user or by the program.
    connect(cBeall, &QListWidget::itemChanged, this, &SettingsTab::publish);
    for (QRadioButton* r : findChildren<QRadioButton*>())
        connect(r, &QRadioButton::toggled, this, &SettingsTab::publish);
    for (QCheckBox* c : findChildren<QCheckBox*>())
        connect(c, &QCheckBox::toggled, this, &SettingsTab::publish);
    connect(sNevSzulFigy, &QSpinBox::valueChanged, this, &SettingsTab::publish);
    connect(cBeall, &QListWidget::itemChanged, this, [this] { user([this] { cBeallClickCheck(); }); });
    connect(cBeall, &QListWidget::itemDoubleClicked, this, [this] { user([this] { cBeallDblClick(); }); });
    connect(button_webaddress, &QPushButton::clicked, this,
            [this] { user([this] { button_webaddressClick(); }); });
    connect(Panel21, &QPushButton::clicked, this, [this] { user([this] { Panel21Click(); }); });
    connect(Panel22, &QPushButton::clicked, this, [this] { user([this] { Panel22Click(); }); });
    // A choice's handler runs when it becomes selected, not when it is clicked again.
    const auto onSelect = [this](QRadioButton* r, void (SettingsTab::*handler)()) {
        connect(r, &QRadioButton::toggled, this, [this, handler](bool on) {
            if (on) user([this, handler] { (this->*handler)(); });
        });
    };
    onSelect(rIndAktiv, &SettingsTab::rIndAktivClick);
    onSelect(rIndPassziv, &SettingsTab::rIndAktivClick);
    onSelect(rIndNe, &SettingsTab::rIndNeClick);
    onSelect(rAlapHang, &SettingsTab::rAlapHangClick);
    onSelect(rHang, &SettingsTab::rHangClick);
    // A preset applies again on every click, also after a swatch changed one of its colours.
    connect(rkekes, &QRadioButton::clicked, this, [this] { user([this] { rkekesClick(); }); });
    connect(rSzurke, &QRadioButton::clicked, this, [this] { user([this] { rSzurkeClick(); }); });
    connect(rBolondos, &QRadioButton::clicked, this, [this] { user([this] { rBolondosClick(); }); });
    connect(cNevSzulFigyIndul, &QCheckBox::clicked, this,
            [this] { user([this] { cNevSzulFigyIndulClick(); }); });
    connect(cNevSzulFigyLeall, &QCheckBox::clicked, this,
            [this] { user([this] { cNevSzulFigyIndulClick(); }); });
}

bool SettingsTab::eventFilter(QObject* watched, QEvent* event) {
    auto* w = static_cast<QWidget*>(watched);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        if (w == pHang) {
            const Qt::MouseButton b = static_cast<QMouseEvent*>(event)->button();
            user([this, b] { pHangMouseDown(b); });
        }
        return true;
    case QEvent::MouseButtonRelease: {
        const auto* e = static_cast<QMouseEvent*>(event);
        if (e->button() != Qt::LeftButton || !w->rect().contains(e->position().toPoint())) return true;
        if (w == pHang) user([this] { pHangClick(); });
        for (std::size_t slot = 0; slot < 5; ++slot)
            if (w == swatch(slot)) user([this, slot] { swatchClick(slot); });
        return true;
    }
    case QEvent::MouseMove:
    case QEvent::Enter:
        if (w == pHang) pHangMouseMove();
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}

QLabel* SettingsTab::swatch(std::size_t slot) const {
    QLabel* const all[] = {p11, p13, p14, p15, p16};
    return slot < 5 ? all[slot] : nullptr;
}

void SettingsTab::setHint(QWidget* w, const QString& hint) {
    hints_.insert(w, hint);
    w->setToolTip(showHints_ ? hint : QString());
}

bool SettingsTab::itemChecked(Item item) const {
    return cBeall->item(item)->checkState() == Qt::Checked;
}

void SettingsTab::setItem(Item item, bool on) {
    const Quiet q(quiet_);
    cBeall->item(item)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
}

void SettingsTab::selectStart(StartChoice choice) {
    const Quiet q(quiet_);
    checkOnly({rIndAktiv, rIndPassziv, rIndNe}, choice == StartChoice::Active    ? rIndAktiv
                                                : choice == StartChoice::Passive ? rIndPassziv
                                                : choice == StartChoice::No      ? rIndNe
                                                                                 : nullptr);
    // What the two handlers do to the tray choice, without their side effects.
    if (choice == StartChoice::No) cIkonNezet->setChecked(false);
    cIkonNezet->setEnabled(choice != StartChoice::No);
}

void SettingsTab::selectSound(SoundChoice choice) {
    const Quiet q(quiet_);
    checkOnly({rAlapHang, rHang, rNemHang}, choice == SoundChoice::File   ? rHang
                                            : choice == SoundChoice::None ? rNemHang
                                                                          : rAlapHang);
}

void SettingsTab::updateNoticeSpin() {
    sNevSzulFigy->setEnabled(cNevSzulFigyIndul->isChecked() || cNevSzulFigyLeall->isChecked());
}

void SettingsTab::showSoundName(const std::string& path) {
    pHang->setText(soundName(fromCp(path)));
}

Settings SettingsTab::current() const {
    Settings s;
    s.colors = colors_;
    s.warnings = itemChecked(Warnings);
    s.allOccurrences = itemChecked(AllOccurrences);
    s.pastEvents = itemChecked(PastEvents);
    s.hints = itemChecked(Hints);
    s.balloon = itemChecked(Balloon);
    s.closeToTray = rBezarIkon->isChecked();
    s.start = rIndAktiv->isChecked()     ? StartChoice::Active
              : rIndPassziv->isChecked() ? StartChoice::Passive
              : rIndNe->isChecked()      ? StartChoice::No
                                         : StartChoice::None;
    s.sound = soundChoice();
    s.soundFile = soundFile_;
    s.soundDialogFile = soundDialogFile_;
    s.noticeDays = sNevSzulFigy->value();
    s.noticeAtStart = cNevSzulFigyIndul->isChecked();
    s.noticeAtExit = cNevSzulFigyLeall->isChecked();
    s.startInTray = cIkonNezet->isChecked();
    s.mapPage = mapPage_;
    s.smsPage = smsPage_;
    s.phonePage = phonePage_;
    return s;
}

void SettingsTab::publish() {
    main_.state().setSettings(current());
}

void SettingsTab::showSettings(Settings s) {
    const Quiet q(quiet_);
    colors_ = s.colors;
    setItem(PastEvents, s.pastEvents);
    setItem(Warnings, s.warnings);
    rBezarLeall->setChecked(true);
    if (s.closeToTray) rBezarIkon->setChecked(true);
    if (s.start != StartChoice::None) selectStart(s.start);
    setItem(AllOccurrences, s.allOccurrences);
    soundDialogFile_ = s.soundDialogFile;
    sNevSzulFigy->setValue(s.noticeDays);
    cNevSzulFigyIndul->setChecked(s.noticeAtStart);
    cNevSzulFigyLeall->setChecked(s.noticeAtExit);
    updateNoticeSpin();
    setItem(Hints, s.hints);
    cBeallClickCheck();
    cIkonNezet->setChecked(s.startInTray);
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
    checkOnly({rkekes, rSzurke, rBolondos}, colors_ == kThemeKekesZold     ? rkekes
                                            : colors_ == kThemeFeketeFeher ? rSzurke
                                            : colors_ == kThemeBolondos    ? rBolondos
                                                                           : nullptr);
    publish();
}

void SettingsTab::AlapBeallit() {
    const Settings d = defaultSettings();
    {
        const Quiet q(quiet_);
        rkekes->setChecked(true);
    }
    colors_ = d.colors;
    SzinekAlkalmaz();
    setItem(PastEvents, d.pastEvents);
    setItem(Warnings, d.warnings);
    {
        const Quiet q(quiet_);
        rBezarLeall->setChecked(true);
        checkOnly({rIndAktiv, rIndPassziv, rIndNe}, rIndNe);
    }
    // Choosing "Ne induljon a program" removes the autostart entry at once, here as well.
    rIndNeClick();
    const Quiet q(quiet_);
    setItem(AllOccurrences, d.allOccurrences);
    sNevSzulFigy->setValue(d.noticeDays);
    cNevSzulFigyIndul->setChecked(d.noticeAtStart);
    cNevSzulFigyLeall->setChecked(d.noticeAtExit);
    updateNoticeSpin();
    setItem(Hints, d.hints);
    cIkonNezet->setChecked(d.startInTray);
    mapPage_ = d.mapPage;
    smsPage_ = d.smsPage;
    phonePage_ = d.phonePage;
    selectSound(SoundChoice::Default);
    soundFile_.clear();
    setItem(Balloon, d.balloon);
    // The hints follow the list's item 3 again.
    cBeallClickCheck();
    publish();
}

void SettingsTab::Panel21Click() {
    main_.state().saveSettings();
    AutoIndit(!rIndNe->isChecked());
}

void SettingsTab::Panel22Click() {
    if (main_.dialogs().confirmation(
            QStringLiteral("Valóban visszaállítja az alapértelmezett beállításokat?")) != Dialogs::No)
        AlapBeallit();
}

void SettingsTab::AutoIndit(bool on) {
    main_.autostart().AutoIndit(on, QCoreApplication::applicationFilePath());
}

void SettingsTab::cBeallClickCheck() {
    showHints_ = itemChecked(Hints);
    for (auto it = hints_.cbegin(); it != hints_.cend(); ++it)
        it.key()->setToolTip(showHints_ ? it.value() : QString());
}

void SettingsTab::cBeallDblClick() {
    QListWidgetItem* item = cBeall->currentItem();
    if (!item || !item->isSelected()) return;
    const Quiet q(quiet_);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
}

void SettingsTab::rIndAktivClick() {
    cIkonNezet->setEnabled(true);
}

void SettingsTab::rIndNeClick() {
    AutoIndit(false);
    cIkonNezet->setChecked(false);
    cIkonNezet->setEnabled(false);
}

void SettingsTab::rAlapHangClick() {
    main_.fAkcio()->Play(2);
}

void SettingsTab::rHangClick() {
    if (!pHang->text().isEmpty()) main_.fAkcio()->TestPlay(chosenSoundFile());
}

void SettingsTab::pHangClick() {
    const QString file =
        main_.dialogs().openFile(QStringLiteral("Hangállomány kiválasztása"), main_.exeFolder(),
                                 QStringLiteral("Wav fájlok (.wav)|*.wav|MIDI fájlok (.mid)|*.mid"));
    if (file.isEmpty()) return;
    // Selecting the choice previews the file shown so far, as clicking it would.
    rHang->setChecked(true);
    soundFile_ = cut(toCp(file));
    soundDialogFile_ = soundFile_;
    showSoundName(soundFile_);
    publish();
}

void SettingsTab::pHangMouseDown(Qt::MouseButton button) {
    if (button == Qt::RightButton) rHangClick();
}

void SettingsTab::pHangMouseMove() {
    setHint(pHang, QStringLiteral("Lejátszandó hangállomány: ") + pHang->text() + kNl +
                       QStringLiteral("Bal egérgomb: Fájl megadása  I  Jobb egérgomb: Hang lejátszása"));
}

void SettingsTab::cNevSzulFigyIndulClick() {
    sNevSzulFigy->setEnabled(true);
    if (cNevSzulFigyIndul->isChecked() || cNevSzulFigyLeall->isChecked()) return;
    sNevSzulFigy->setEnabled(false);
    if (itemChecked(Warnings) && main_.pLapok()->currentIndex() == MainWindow::TabSettings)
        main_.dialogs().warning(QStringLiteral("Kikapcsolta a név-, és születésnap jelzését!") + kNl +
                                QStringLiteral("Így nem kap értesítést ezekről!"));
}

void SettingsTab::button_webaddressClick() {
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
            main_.dialogs().input(kWebCaption, QString::fromUtf8(box.prompt), start).value_or(start);
        if (answer.isEmpty()) return;
        *box.page = cut(toCp(answer));
        publish();
    }
    main_.dialogs().information(QStringLiteral(
        "Ezen beállítások is a Mentés gombra történő kattinttással érvényesülnek véglegesen."));
}

void SettingsTab::swatchClick(std::size_t slot) {
    const std::optional<QColor> chosen = main_.dialogs().color(colorOf(colors_[slot]));
    if (!chosen) return;
    colors_[slot] = colorValue(*chosen);
    SzinekAlkalmaz();
}

void SettingsTab::preset(const ThemeColors& colors) {
    colors_ = colors;
    SzinekAlkalmaz();
}

void SettingsTab::SzinekAlkalmaz() {
    publish();
    applyTheme(&main_, colors_);
    update();
}

SoundChoice SettingsTab::soundChoice() const {
    if (rHang->isChecked()) return SoundChoice::File;
    if (rNemHang->isChecked()) return SoundChoice::None;
    return SoundChoice::Default;
}

void SettingsTab::selectDefaultSound() {
    const Quiet q(quiet_);
    rAlapHang->setChecked(true);
}

QString SettingsTab::chosenSoundFile() const {
    return fromCp(soundFile_);
}

} // namespace zel::gui
