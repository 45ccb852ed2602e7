#include "core/text/field.h"
#include "gui/text/qt_text.h"
#include "support/app_fixture.h"

#include <QCalendarWidget>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::q;
using Kind = Dialogs::Kind;

namespace {

QString on() {
    return u"on "_s + QCoreApplication::applicationFilePath();
}

struct Tab : test::App {
    // A record of the defaults with these bytes changed, and the sound file's name at 36.
    void writeRecord(std::initializer_list<std::pair<std::size_t, std::uint8_t>> bytes,
                     const std::string& file = {}) {
        SettingsBytes b = encodeSettings(defaultSettings(), SettingsBytes{});
        for (auto [at, value] : bytes)
            b[at] = value;
        putField(b.data() + 36, 255, file);
        writeSettingsFile(cfgPath(), b);
    }
    std::string field(std::size_t at) const {
        return getField(reinterpret_cast<const std::uint8_t*>(cfg().data()) + at, 255);
    }
    void save() const { click("saveSettingsButton"); }
    QLabel* panel() const { return get<QLabel>("soundFilePanel"); }
    std::filesystem::path furtherPath() const { return dir.path() / "beallitasok-tovabbi.ini"; }
    std::string further() const { return test::readFile(furtherPath()); }
    QCheckBox* notificationsBox() const { return get<QCheckBox>("desktopNotificationsBox"); }
};

const std::string kFurtherHeader = "# Zelmoran: beállítások, amelyeknek a beallitasok.cfg-ben nincs helye\n";
// The synchronisation account's keys when there is none.
const std::string kNoAccount =
    "sync-server=\nsync-user=\nsync-address-book=\nsync-address-book-name=\nsync-every-minutes=0\n"
    "sync-calendar=\nsync-calendar-name=\ncalendar-alarm-time=9:00\n";

} // namespace

TEST(GuiSettingsTab, SaveWritesTheControlsOverTheRecordReadAndSetsTheAutostartEntry) {
    Tab x;
    x.show();
    EXPECT_TRUE(x.checked("noStartChoice") && !x.get("startInTrayBox")->isEnabled());
    // A first start saves the defaults: "Ne induljon a program" takes the entry away at once, and Mentés
    // again.
    EXPECT_EQ(x.autostart.calls, (QStringList{u"off"_s, u"off"_s}));
    x.writeRecord({{20, 0x33}, {32, 0xA1}, {33, 0xA2}, {34, 0xA3}, {35, 0xA4}, {1062, 0xA5}, {1063, 0xA6}});
    std::string expected = x.cfg();
    x.autostart.calls.clear();
    x.show();
    x.click("closeToTrayChoice");
    x.click("startActiveChoice");
    x.click("startInTrayBox");
    x.get<QListWidget>("optionList")->item(2)->setCheckState(Qt::Checked);
    x.get<QSpinBox>("noticeDaysSpin")->setValue(7);
    EXPECT_TRUE(x.autostart.calls.isEmpty()); // the active start waits for Mentés
    EXPECT_EQ(x.cfg(), expected);
    x.save();
    expected.replace(20, 12, std::string(1, '\0') + "11110110111");
    expected[293] = 7;
    EXPECT_TRUE(x.cfg() == expected && x.autostart.calls == QStringList{on()});
    // Choosing "Ne induljon a program" removes the entry at once; the file waits for Mentés.
    x.click("noStartChoice");
    EXPECT_FALSE(x.checked("startInTrayBox") || x.get("startInTrayBox")->isEnabled());
    EXPECT_EQ(x.cfg(), expected);
    x.click("startPassiveChoice");
    x.save();
    EXPECT_EQ(x.cfg().substr(24, 7), "2011010");
    EXPECT_EQ(x.autostart.calls, (QStringList{on(), u"off"_s, on()}));
}

TEST(GuiSettingsTab, RestoringTheDefaultsAsksFirstAndChangesOnlyTheControls) {
    Tab x;
    const auto file = x.dir.path() / "dal.wav";
    test::writeFile(file, "RIFF");
    x.writeRecord({{22, '1'}, {24, '1'}, {293, 9}, {0, 0x12}}, file.string());
    x.show();
    const Settings custom = x.w->settings();
    const std::string before = x.cfg();
    const QString question = u"Valóban visszaállítja az alapértelmezett beállításokat?"_s;
    x.dialogs.expect(Kind::Confirmation, question, Dialogs::No, Dialogs::Yes | Dialogs::No);
    x.click("defaultsButton");
    EXPECT_EQ(x.w->settings(), custom);
    x.dialogs.expect(Kind::Confirmation, question, Dialogs::Yes);
    x.click("defaultsButton");
    Settings defaults = defaultSettings();
    defaults.soundDialogFile = file.string(); // the sound dialog keeps its file
    EXPECT_EQ(x.w->settings(), defaults);
    EXPECT_TRUE(x.checked("blueGreenPreset") && x.checked("noStartChoice"));
    EXPECT_TRUE(x.autostart.calls == QStringList{u"off"_s} && x.cfg() == before);
    x.save();
    EXPECT_EQ(x.field(36) + x.cfg()[292], file.string() + '\1');
}

TEST(GuiSettingsTab, TheWebAddressesStopAtAnEmptyAnswerAndKeepTheirsOnCancel) {
    Tab x;
    x.show();
    const Settings before = x.w->settings();
    const QString prompts[] = {
        u"Adja meg a postai cím kereséséhez használni kívánt Internetes térképoldal teljes címét:"_s,
        u"Gépelje be az SMS küldéshez használni kívánt Internetes oldal teljes címét:"_s,
        u"Kérem a vezetékes telefonszámhoz kapcsolható Internetes oldal teljes címét:"_s};
    x.dialogs.expectInput(prompts[0], u"https://térkép.example/"_s);
    x.dialogs.expectInput(prompts[1], QString());
    x.click("webAddressesButton");
    EXPECT_EQ(x.w->settings().mapPage, test::cp("https://térkép.example/"));
    EXPECT_EQ(x.w->settings().smsPage, before.smsPage);
    x.dialogs.expectInput(prompts[0], u"https://a.example/"_s);
    x.dialogs.expectInput(prompts[1], std::nullopt);
    x.dialogs.expectInput(prompts[2], QString(300, u'x'));
    x.dialogs.expect(
        Kind::Information,
        u"Ezen beállítások is a Mentés gombra történő kattinttással érvényesülnek véglegesen."_s);
    x.click("webAddressesButton");
    EXPECT_EQ(x.w->settings().smsPage, before.smsPage);
    EXPECT_EQ(x.field(806), before.phonePage); // until Mentés
    x.save();
    EXPECT_EQ(x.field(294) + x.field(806), "https://a.example/" + std::string(255, 'x'));
}

TEST(GuiSettingsTab, TheSoundPanelChoosesAndPreviews) {
    Tab x;
    x.show(MainWindow::TabSettings);
    const auto first = x.dir.path() / "csengo.szep.wav", second = x.dir.path() / "gong.mid";
    test::writeFile(first, "RIFF");
    test::writeFile(second, "MThd");
    x.dialogs.answerFile(q(first));
    QTest::mouseClick(x.panel(), Qt::LeftButton);
    EXPECT_EQ(x.dialogs.fileCalls.at(0).folder, QString::fromStdString(x.dir.path().string()));
    EXPECT_EQ(x.dialogs.fileCalls.at(0).filter, u"Wav fájlok (.wav)|*.wav|MIDI fájlok (.mid)|*.mid"_s);
    EXPECT_TRUE(x.checked("soundFileChoice"));
    EXPECT_EQ(x.panel()->text() + gui::fromCp(x.w->settings().soundFile), u"csengo"_s + q(first));
    EXPECT_TRUE(x.sound.calls.isEmpty()); // the panel showed no name before
    QTest::mouseClick(x.panel(), Qt::RightButton);
    EXPECT_EQ(x.sound.take(), QStringList{u"file "_s + q(first) + u" once"_s});
    x.dialogs.answerFile(q(second)); // while "Hangfájl:" is chosen: no preview of the old one
    QTest::mouseClick(x.panel(), Qt::LeftButton);
    // Choosing a sound previews it; selecting the default from the alert does not.
    x.click("defaultSoundChoice");
    x.click("soundFileChoice");
    x.click("noSoundChoice");
    x.w->settingsTab()->selectDefaultSound();
    EXPECT_TRUE(x.checked("defaultSoundChoice"));
    EXPECT_EQ(x.sound.take(), (QStringList{u"default once"_s, u"file "_s + q(second) + u" once"_s}));
    x.save();
    EXPECT_EQ(x.cfg()[26] + x.field(36), '1' + second.string());
}

TEST(GuiTheme, SwatchesAndPresetsChangeTheLiveColoursAndTheFileOnlyOnSave) {
    Tab x;
    x.writeRecord({{0, 0xB5}, {1, 0x17}, {2, 0x76}}); // a background of no preset
    x.show(MainWindow::TabSettings);
    for (const char* name : {"blueGreenPreset", "blackWhitePreset", "playfulPreset"})
        EXPECT_FALSE(x.checked(name)) << name;
    const auto background = [&] { return x.get("newEventPage")->palette().color(QPalette::Window); };
    EXPECT_EQ(background(), QColor(0xB5, 0x17, 0x76));
    const std::string before = x.cfg();
    x.dialogs.answerColor(std::nullopt); // cancelled: nothing changes
    x.dialogs.answerColor(QColor(10, 20, 30));
    QTest::mouseClick(x.get("backgroundSwatch"), Qt::LeftButton);
    EXPECT_EQ(background(), QColor(0xB5, 0x17, 0x76));
    QTest::mouseClick(x.get("backgroundSwatch"), Qt::LeftButton);
    EXPECT_TRUE(background() == QColor(10, 20, 30) && x.cfg() == before); // the file waits for Mentés
    x.save();
    EXPECT_EQ(x.cfg(), std::string("\x0A\x14\x1E", 3) + before.substr(3));
    x.click("blackWhitePreset");
    EXPECT_TRUE(x.w->settings().colors == kThemeBlackAndWhite && background() == QColor(0x7E, 0x7E, 0x7E));
}

namespace {

// The input controls and captions a user sees on the tabs and in the alert, by name; the help text and
// the service view are not themed.
QList<QWidget*> themable(QWidget* window) {
    QList<QWidget*> out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        const QString name = w->objectName();
        if (w->window() != window || name.isEmpty() || name.startsWith(u"qt_"_s) || name == u"helpText"_s ||
            qobject_cast<QTabBar*>(w->parentWidget()))
            continue;
        bool service = false;
        for (QWidget* p = w; p && !service; p = p->parentWidget())
            service = p->objectName() == u"serviceNext"_s || p->objectName() == u"workTables"_s;
        if (service) continue;
        if (qobject_cast<QLineEdit*>(w) || qobject_cast<QComboBox*>(w) ||
            qobject_cast<QAbstractSpinBox*>(w) || qobject_cast<QAbstractItemView*>(w) ||
            qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QTextEdit*>(w) ||
            qobject_cast<QAbstractButton*>(w) || qobject_cast<QGroupBox*>(w))
            out << w;
    }
    return out;
}

} // namespace

TEST(GuiTheme, EveryControlCarriesARoleAndPaintsByIt) {
    Tab x;
    x.show(MainWindow::TabSettings);
    for (QWidget* window : {static_cast<QWidget*>(x.w.get()), static_cast<QWidget*>(x.w->alertWindow())})
        for (QWidget* w : themable(window))
            EXPECT_TRUE(w->property(kFaceRole).isValid() || w->property(kTextRole).isValid())
                << qPrintable(w->objectName()) << " has no colour role";

    x.click("blackWhitePreset");
    const QColor page = colorOf(0x007E7E7E), captions = colorOf(0x00FFFFFF), fieldBack = colorOf(0x00616161),
                 text = colorOf(0x00D5D3D2), variations = colorOf(0x00292525);
    for (const char* name : {"newEventPage", "eventsPage", "partnersPage", "settingsPage", "clockDisplay"}) {
        EXPECT_EQ(x.get(name)->palette().color(QPalette::Window), page) << name;
        EXPECT_EQ(x.get(name)->palette().color(QPalette::WindowText), captions) << name;
    }
    // Edit boxes, lists, grids, and now the date, time and number editors as well.
    for (const char* name : {"nameField", "reminderText", "nameList", "eventGrid", "datePicker", "timePicker",
                             "noticeDaysSpin", "rangeFrom"}) {
        // An empty list is disabled: the colours of an enabled one are asked for.
        EXPECT_EQ(x.get(name)->palette().color(QPalette::Active, QPalette::Base), fieldBack) << name;
        EXPECT_EQ(x.get(name)->palette().color(QPalette::Active, QPalette::Text), text) << name;
    }
    // The arrows of the number, date and time editors: on the field's colour, in its text colour.
    for (const char* name : {"noticeDaysSpin", "timePicker"}) {
        EXPECT_EQ(x.get(name)->palette().color(QPalette::Active, QPalette::Button), fieldBack) << name;
        EXPECT_EQ(x.get(name)->palette().color(QPalette::Active, QPalette::WindowText), text) << name;
    }
    // A drop-down calendar, made when the editor is first pressed: the month on the background, the
    // days in the text colour.
    auto* picker = x.get<QDateEdit>("datePicker");
    EXPECT_FALSE(picker->findChild<QCalendarWidget*>()) << "made before it was wanted";
    QTest::mouseClick(picker, Qt::LeftButton, {}, QPoint(picker->width() - 4, picker->height() / 2));
    auto* calendar = picker->calendarWidget();
    EXPECT_EQ(calendar->palette().color(QPalette::Active, QPalette::Base), page);
    EXPECT_EQ(calendar->palette().color(QPalette::Active, QPalette::Text), text);
    EXPECT_EQ(calendar->palette().color(QPalette::Disabled, QPalette::Text), variations);
    // The swatches write their caption in black or white, whichever reads on them.
    EXPECT_EQ(x.get("captionsSwatch")->palette().color(QPalette::WindowText), QColor(Qt::black));
    EXPECT_EQ(x.get("textBackgroundSwatch")->palette().color(QPalette::WindowText), QColor(Qt::white));

    // The alert takes the colours when it is shown, not before.
    AlertWindow* alert = x.w->alertWindow();
    alert->showAlert(u"c"_s, u"t"_s, u"k"_s);
    EXPECT_EQ(alert->palette().color(QPalette::Window), page);
    x.click("playfulPreset");
    EXPECT_EQ(alert->palette().color(QPalette::Window), page);
    alert->hide();
    alert->showAlert(u"c"_s, u"t"_s, u"k"_s);
    EXPECT_EQ(alert->palette().color(QPalette::Window), colorOf(0x007617B5));
}

TEST(GuiSettingsTab, DesktopNotificationsApplyAtOnceAndOnlySaveWritesThemBesideTheRecord) {
    Tab x;
    x.show(MainWindow::TabSettings);
    // A first start writes the record alone.
    EXPECT_FALSE(std::filesystem::exists(x.furtherPath()));
    EXPECT_TRUE(x.notificationsBox()->isChecked() && x.w->state().settings().desktopNotifications);
    EXPECT_EQ(x.notificationsBox()->text(), u"Asztali értesítés is"_s);
    const QString hint =
        u"A figyelmeztetések az asztal értesítései között is megjelennek, ha a figyelmeztető "
        u"ablak nem kerülhet minden ablak elé (Wayland), vagy a program ablaka kis méretű vagy "
        u"a tálcán van"_s;
    EXPECT_EQ(x.notificationsBox()->toolTip(), hint);
    x.get<QListWidget>("optionList")->item(3)->setCheckState(Qt::Unchecked); // "Segítő megjegyzések"
    EXPECT_EQ(x.notificationsBox()->toolTip(), QString());
    x.get<QListWidget>("optionList")->item(3)->setCheckState(Qt::Checked);
    EXPECT_EQ(x.notificationsBox()->toolTip(), hint);

    const std::string record = x.cfg();
    x.notificationsBox()->click();
    EXPECT_FALSE(x.w->state().settings().desktopNotifications);
    EXPECT_FALSE(std::filesystem::exists(x.furtherPath())); // until Mentés
    x.save();
    EXPECT_EQ(x.further(),
              kFurtherHeader + "desktop-notifications=off\nrun-missed-launches=off\n" + kNoAccount);
    EXPECT_EQ(x.cfg(), record); // the record has no place for it

    x.dialogs.expect(Kind::Confirmation, u"Valóban visszaállítja az alapértelmezett beállításokat?"_s,
                     Dialogs::Yes);
    x.click("defaultsButton");
    EXPECT_TRUE(x.notificationsBox()->isChecked() && x.w->state().settings().desktopNotifications);
    EXPECT_EQ(x.further(),
              kFurtherHeader + "desktop-notifications=off\nrun-missed-launches=off\n" + kNoAccount);
    x.save();
    EXPECT_EQ(x.further(),
              kFurtherHeader + "desktop-notifications=on\nrun-missed-launches=off\n" + kNoAccount);
    EXPECT_EQ(x.cfg(), record);

    // A file of the user's own is shown at start, which writes neither file; Mentés changes only the
    // key's line.
    const std::string mine =
        "# kézzel\r\ndesktop-notifications=off\nrun-missed-launches=on\ncatch-up-launches=off\nfoo";
    test::writeFile(x.furtherPath(), mine);
    x.show(MainWindow::TabSettings);
    EXPECT_FALSE(x.notificationsBox()->isChecked() || x.w->settings().desktopNotifications);
    auto* launches = x.get<QCheckBox>("catchUpLaunchesBox");
    EXPECT_EQ(launches->text(), u"Elmaradt programfuttatások pótlása"_s);
    EXPECT_TRUE(launches->isChecked() && x.w->settings().catchUpLaunches);
    EXPECT_EQ(x.further() + x.cfg(), mine + record);
    x.notificationsBox()->click();
    launches->click();
    x.save();
    EXPECT_EQ(x.further(),
              "# kézzel\r\ndesktop-notifications=on\nrun-missed-launches=off\ncatch-up-launches=off\nfoo\n" +
                  kNoAccount);
    EXPECT_EQ(x.cfg(), record);
}

TEST(GuiSettingsTab, AnUnreadableFurtherFileIsReportedOnceAndLeftUntilSave) {
    Tab x;
    x.writeRecord({{22, '0'}}); // warnings off: the record itself is read
    std::filesystem::create_directories(x.furtherPath());
    const QString folderError = u"I/O error 21.\nAz állomány helyén egy mappa van.\n"_s + q(x.furtherPath());
    x.dialogs.expect(Kind::Stop, folderError, Dialogs::Ok, Dialogs::Ok);
    x.show(MainWindow::TabSettings);
    EXPECT_TRUE(x.notificationsBox()->isChecked() && !x.w->settings().warnings);
    EXPECT_TRUE(std::filesystem::is_empty(x.furtherPath()));
    // Mentés writes the record, then fails on the folder and says so.
    x.notificationsBox()->click();
    x.dialogs.expect(Kind::Stop, folderError, Dialogs::Ok, Dialogs::Ok);
    x.save();
    EXPECT_TRUE(std::filesystem::is_directory(x.furtherPath()));
    EXPECT_EQ(x.cfg()[22], '0');

    // A file too large to be one of ours: reported, kept, and replaced only by Mentés.
    std::filesystem::remove(x.furtherPath());
    const std::string large = "desktop-notifications=off\n" + std::string(64 * 1024, '#');
    test::writeFile(x.furtherPath(), large);
    x.dialogs.expect(
        Kind::Stop,
        u"I/O error 27.\nAz állomány nagyobb lenne, mint amekkorát a lemez vagy a rendszer megenged.\n"_s +
            q(x.furtherPath()),
        Dialogs::Ok, Dialogs::Ok);
    x.show(MainWindow::TabSettings);
    EXPECT_TRUE(x.notificationsBox()->isChecked());
    EXPECT_EQ(x.further(), large);
    x.save();
    EXPECT_EQ(x.further(),
              kFurtherHeader + "desktop-notifications=on\nrun-missed-launches=off\n" + kNoAccount);
}
