#include "core/settings/settings_record.h"
#include "core/text/cp1250.h"
#include "core/text/field.h"
#include "gui/alert/alert_window.h"
#include "gui/tabs/settings_tab.h"
#include "support/app_fixture.h"
#include "support/gui_util.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QGroupBox>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::readFile;
using zel::test::Start;
using zel::test::writeFile;

namespace {

QString exe() {
    return QCoreApplication::applicationFilePath();
}

SettingsBytes defaultsRecord() {
    return encodeSettings(defaultSettings(), SettingsBytes{});
}

void writeRecord(const Start& s, const SettingsBytes& b) {
    writeSettingsFile(s.dir.path() / "beallitasok.cfg", b);
}

std::string savedRecord(const Start& s) {
    return readFile(s.dir.path() / "beallitasok.cfg");
}

std::string field(const std::string& record, std::size_t at) {
    return getField(reinterpret_cast<const std::uint8_t*>(record.data()) + at, 255);
}

// The pointer comes over a control.
void hover(QWidget* w) {
    QEvent enter(QEvent::Enter);
    QCoreApplication::sendEvent(w, &enter);
}

QString q(const std::filesystem::path& p) {
    return QString::fromStdString(p.string());
}

} // namespace

TEST(SettingsTab, TheFirstStartShowsTheDefaultsAndRemovesTheAutostartEntry) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    const SettingsBytes defaults = defaultsRecord();
    EXPECT_EQ(savedRecord(s), std::string(defaults.begin(), defaults.end()));
    EXPECT_EQ(w->settings(), defaultSettings());

    const QStringList items = {QStringLiteral("Figyelmeztető ablakok megjelenítése  (Ajánlott)"),
                               QStringLiteral("Névnapok listája az összes előfordulás alapján"),
                               QStringLiteral("Az elmúlt eseményeket is megjelenítse listázáskor"),
                               QStringLiteral("Segítő megjegyzések a téma felett a beállításoknál"),
                               QStringLiteral("Névnapok megjelenítése induláskor egy buborékban")};
    ASSERT_EQ(zel::test::child<QListWidget>(t, "optionList")->count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(zel::test::child<QListWidget>(t, "optionList")->item(i)->text(), items[i]);
    EXPECT_EQ(zel::test::child<QRadioButton>(t, "startActiveChoice")->text(),
              QStringLiteral("Indítás aktív módban "));
    EXPECT_EQ(zel::test::child<QGroupBox>(t, "colorGroup")->title(),
              QStringLiteral(" A program &színeinek testreszabása "));
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "closeEndsChoice")->isChecked());
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "noStartChoice")->isChecked());
    EXPECT_FALSE(zel::test::child<QCheckBox>(t, "startInTrayBox")->isEnabled());
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "defaultSoundChoice")->isChecked());
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "blueGreenPreset")->isChecked());
    EXPECT_TRUE(zel::test::child<QSpinBox>(t, "noticeDaysSpin")->isEnabled());
    // "Ne induljon a program" takes the entry away at once, and Mentés once more.
    EXPECT_EQ(s.autostart.calls, (QStringList{QStringLiteral("off"), QStringLiteral("off")}));
    EXPECT_TRUE(s.sound.calls.isEmpty());
    EXPECT_TRUE(s.dialogs.boxes.empty());
}

TEST(SettingsTab, SoundModeDecidesOverSoundFlagAndAMissingFileFallsBackToTheDefault) {
    {
        Start s;
        SettingsBytes b = defaultsRecord();
        b[26] = '1';
        b[292] = 3;
        putField(b.data() + 36, 255, (s.dir.path() / "csengo.wav").string());
        writeRecord(s, b);
        auto w = s.open();
        EXPECT_TRUE(zel::test::child<QRadioButton>(w->settingsTab(), "noSoundChoice")->isChecked());
        EXPECT_EQ(w->soundChoice(), SoundChoice::None);
        EXPECT_TRUE(zel::test::child<QLabel>(w->settingsTab(), "soundFilePanel")->text().isEmpty());
    }
    Start s;
    const auto gone = s.dir.path() / "hangok" / "csengo.szep.wav";
    SettingsBytes b = defaultsRecord();
    b[26] = '2';
    b[292] = 2;
    putField(b.data() + 36, 255, gone.string());
    writeRecord(s, b);
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "defaultSoundChoice")->isChecked());
    EXPECT_EQ(zel::test::child<QLabel>(t, "soundFilePanel")->text(), QStringLiteral("csengo"));
    EXPECT_EQ(w->ownSoundFile(), q(gone));
    EXPECT_TRUE(s.sound.calls.isEmpty()); // applying plays nothing
    EXPECT_TRUE(s.autostart.calls.isEmpty());

    zel::test::child<QPushButton>(t, "saveSettingsButton")->click();
    const std::string saved = savedRecord(s);
    EXPECT_EQ(saved[26], '1');
    EXPECT_EQ(saved[292], 1);
    EXPECT_EQ(field(saved, 36), gone.string()); // the path stays for a later start
}

TEST(SettingsTab, MentesWritesTheControlsOverTheRecordReadAndSetsTheAutostartEntry) {
    Start s;
    SettingsBytes b = defaultsRecord();
    for (std::size_t i : {32u, 33u, 34u, 35u, 1062u, 1063u})
        b[i] = static_cast<std::uint8_t>(0xA0 + i % 7);
    b[20] = 0x33;
    writeRecord(s, b);
    auto w = s.open();
    SettingsTab* t = w->settingsTab();

    zel::test::child<QRadioButton>(t, "closeToTrayChoice")->click();
    zel::test::child<QRadioButton>(t, "startActiveChoice")->click();
    EXPECT_TRUE(zel::test::child<QCheckBox>(t, "startInTrayBox")->isEnabled());
    zel::test::child<QCheckBox>(t, "startInTrayBox")->click();
    zel::test::child<QListWidget>(t, "optionList")->item(2)->setCheckState(Qt::Checked);
    zel::test::child<QSpinBox>(t, "noticeDaysSpin")->setValue(7);
    EXPECT_TRUE(s.autostart.calls.isEmpty()); // the active start waits for Mentés
    EXPECT_EQ(savedRecord(s), std::string(b.begin(), b.end()));

    zel::test::child<QPushButton>(t, "saveSettingsButton")->click();
    const std::string saved = savedRecord(s);
    ASSERT_EQ(saved.size(), 1064u);
    EXPECT_EQ(saved[20], 0);
    EXPECT_EQ(saved.substr(21, 11), "11110110111");
    EXPECT_EQ(saved[293], 7);
    for (std::size_t i : {32u, 33u, 34u, 35u, 1062u, 1063u})
        EXPECT_EQ(static_cast<std::uint8_t>(saved[i]), b[i]) << i;
    EXPECT_EQ(field(saved, 294), "https://www.openstreetmap.org/");
    EXPECT_EQ(s.autostart.calls, QStringList{QStringLiteral("on ") + exe()});

    // Choosing "Ne induljon a program" removes the entry at once; the file waits for Mentés.
    zel::test::child<QRadioButton>(t, "noStartChoice")->click();
    EXPECT_EQ(s.autostart.calls.last(), QStringLiteral("off"));
    EXPECT_FALSE(zel::test::child<QCheckBox>(t, "startInTrayBox")->isChecked());
    EXPECT_FALSE(zel::test::child<QCheckBox>(t, "startInTrayBox")->isEnabled());
    EXPECT_EQ(savedRecord(s), saved);
    zel::test::child<QRadioButton>(t, "startPassiveChoice")->click();
    EXPECT_TRUE(zel::test::child<QCheckBox>(t, "startInTrayBox")->isEnabled());
    EXPECT_EQ(s.autostart.calls.size(), 2);
    zel::test::child<QPushButton>(t, "saveSettingsButton")->click();
    EXPECT_EQ(savedRecord(s)[24], '2');
    EXPECT_EQ(s.autostart.calls.last(), QStringLiteral("on ") + exe());
    EXPECT_TRUE(s.dialogs.boxes.empty());
}

TEST(SettingsTab, AFailedSaveIsReportedAndLeavesTheAutostartEntryAlone) {
    Start s;
    auto w = s.open();
    s.autostart.calls.clear();
    std::filesystem::remove(s.dir.path() / "beallitasok.cfg");
    std::filesystem::create_directory(s.dir.path() / "beallitasok.cfg");
    zel::test::child<QPushButton>(w->settingsTab(), "saveSettingsButton")->click();
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Stop);
    EXPECT_TRUE(s.autostart.calls.isEmpty());
}

TEST(SettingsTab, AlapBeallitasokAsksFirstAndChangesOnlyTheControls) {
    Start s;
    Settings custom = defaultSettings();
    custom.closeToTray = true;
    custom.start = StartChoice::Active;
    custom.colors = kThemeBolondos;
    custom.noticeDays = 9;
    custom.warnings = false;
    custom.mapPage = "https://terkep.example/";
    writeRecord(s, encodeSettings(custom, SettingsBytes{}));
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    const std::string before = savedRecord(s);
    ASSERT_EQ(w->settings(), custom);

    zel::test::child<QPushButton>(t, "defaultsButton")->click();
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Confirmation);
    EXPECT_EQ(s.dialogs.boxes[0].caption, QStringLiteral("Megerősítés"));
    EXPECT_EQ(s.dialogs.boxes[0].text,
              QStringLiteral("Valóban visszaállítja az alapértelmezett beállításokat?"));
    EXPECT_EQ(s.dialogs.boxes[0].buttons, Dialogs::Yes | Dialogs::No);
    EXPECT_EQ(w->settings(), custom);
    EXPECT_TRUE(s.autostart.calls.isEmpty());

    s.dialogs.answers.push_back(Dialogs::Yes);
    zel::test::child<QPushButton>(t, "defaultsButton")->click();
    EXPECT_EQ(w->settings(), defaultSettings());
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "blueGreenPreset")->isChecked());
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "noStartChoice")->isChecked());
    EXPECT_EQ(s.autostart.calls, QStringList{QStringLiteral("off")});
    EXPECT_EQ(savedRecord(s), before);
    EXPECT_TRUE(s.sound.calls.isEmpty());
}

TEST(SettingsTab, AlapBeallitasokKeepsTheSoundDialogsFileName) {
    Start s;
    const auto file = s.dir.path() / "dal.wav";
    writeFile(file, "RIFF");
    SettingsBytes b = defaultsRecord();
    b[26] = '2';
    b[292] = 2;
    putField(b.data() + 36, 255, file.string());
    writeRecord(s, b);
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "soundFileChoice")->isChecked());
    s.dialogs.answers.push_back(Dialogs::Yes);
    zel::test::child<QPushButton>(t, "defaultsButton")->click();
    EXPECT_TRUE(w->settings().soundFile.empty());
    EXPECT_EQ(w->settings().soundDialogFile, file.string());
    zel::test::child<QPushButton>(t, "saveSettingsButton")->click();
    EXPECT_EQ(field(savedRecord(s), 36), file.string());
    EXPECT_EQ(savedRecord(s)[292], 1);
}

TEST(SettingsTab, TheWebAddressesStopAtAnEmptyAnswerAndKeepTheirsOnCancel) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    const Settings before = w->settings();
    const QStringList prompts = {
        QStringLiteral(
            "Adja meg a postai cím kereséséhez használni kívánt Internetes térképoldal teljes címét:"),
        QStringLiteral("Gépelje be az SMS küldéshez használni kívánt Internetes oldal teljes címét:"),
        QStringLiteral("Kérem a vezetékes telefonszámhoz kapcsolható Internetes oldal teljes címét:")};

    s.dialogs.inputAnswers = {QStringLiteral("https://térkép.example/"), QString(), QStringLiteral("unused")};
    zel::test::child<QPushButton>(t, "webAddressesButton")->click();
    EXPECT_EQ(s.dialogs.inputPrompts, (std::vector<QString>{prompts[0], prompts[1]}));
    EXPECT_EQ(w->settings().mapPage, utf8ToCp1250("https://térkép.example/"));
    EXPECT_EQ(w->settings().smsPage, before.smsPage);
    EXPECT_EQ(w->settings().phonePage, before.phonePage);
    EXPECT_TRUE(s.dialogs.boxes.empty());

    s.dialogs.inputPrompts.clear();
    s.dialogs.inputAnswers = {QStringLiteral("https://a.example/"), std::nullopt,
                              QString(300, QLatin1Char('x'))};
    zel::test::child<QPushButton>(t, "webAddressesButton")->click();
    EXPECT_EQ(s.dialogs.inputPrompts, (std::vector<QString>{prompts[0], prompts[1], prompts[2]}));
    EXPECT_EQ(w->settings().mapPage, "https://a.example/");
    EXPECT_EQ(w->settings().smsPage, before.smsPage);
    EXPECT_EQ(w->settings().phonePage, std::string(255, 'x'));
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Information);
    EXPECT_EQ(s.dialogs.boxes[0].text,
              QStringLiteral(
                  "Ezen beállítások is a Mentés gombra történő kattinttással érvényesülnek véglegesen."));
    EXPECT_EQ(field(savedRecord(s), 806), before.phonePage); // until Mentés
    zel::test::child<QPushButton>(t, "saveSettingsButton")->click();
    EXPECT_EQ(field(savedRecord(s), 806), std::string(255, 'x'));
}

TEST(SettingsTab, TurningOffBothNoticesWarnsOnTheSettingsTabAndDisablesTheDays) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    zel::test::child<QCheckBox>(t, "noticeAtStartBox")->click(); // off, on another tab: no warning
    EXPECT_FALSE(zel::test::child<QSpinBox>(t, "noticeDaysSpin")->isEnabled());
    EXPECT_TRUE(s.dialogs.boxes.empty());
    zel::test::child<QCheckBox>(t, "noticeAtExitBox")->click();
    EXPECT_TRUE(zel::test::child<QSpinBox>(t, "noticeDaysSpin")->isEnabled());

    w->pages()->setCurrentIndex(MainWindow::TabSettings);
    zel::test::child<QCheckBox>(t, "noticeAtExitBox")->click();
    EXPECT_FALSE(zel::test::child<QSpinBox>(t, "noticeDaysSpin")->isEnabled());
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Warning);
    EXPECT_EQ(s.dialogs.boxes[0].caption, QStringLiteral("Figyelem!"));
    EXPECT_EQ(s.dialogs.boxes[0].text, QStringLiteral("Kikapcsolta a név-, és születésnap jelzését!\n"
                                                      "Így nem kap értesítést ezekről!"));
    EXPECT_EQ(s.dialogs.boxes[0].buttons, Dialogs::Ok);

    zel::test::child<QListWidget>(t, "optionList")->item(0)->setCheckState(Qt::Unchecked);
    zel::test::child<QCheckBox>(t, "noticeAtStartBox")->click();
    zel::test::child<QCheckBox>(t, "noticeAtStartBox")->click();
    EXPECT_EQ(s.dialogs.boxes.size(), 1u); // warnings are off
}

TEST(SettingsTab, TheHintsShowExactlyWhileItemThreeIsChecked) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    EXPECT_EQ(zel::test::child<QPushButton>(t, "saveSettingsButton")->toolTip(),
              QStringLiteral("A beállítások mentése"));
    EXPECT_EQ(zel::test::child<QLabel>(t, "backgroundSwatch")->toolTip(), QStringLiteral("Háttérszín"));
    EXPECT_EQ(zel::test::child<QRadioButton>(t, "blueGreenPreset")->toolTip(),
              QStringLiteral("A program színeiben a kék és a zöld színek dominálnak"));
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "playfulPreset")->toolTip().isEmpty());

    zel::test::child<QListWidget>(t, "optionList")->item(3)->setCheckState(Qt::Unchecked);
    for (QWidget* c : std::initializer_list<QWidget*>{zel::test::child<QLabel>(t, "backgroundSwatch"),
                                                      zel::test::child<QLabel>(t, "captionsSwatch"),
                                                      zel::test::child<QLabel>(t, "textBackgroundSwatch"),
                                                      zel::test::child<QLabel>(t, "textSwatch"),
                                                      zel::test::child<QLabel>(t, "variationsSwatch"),
                                                      zel::test::child<QRadioButton>(t, "blueGreenPreset"),
                                                      zel::test::child<QRadioButton>(t, "blackWhitePreset"),
                                                      zel::test::child<QRadioButton>(t, "closeToTrayChoice"),
                                                      zel::test::child<QRadioButton>(t, "closeEndsChoice"),
                                                      zel::test::child<QRadioButton>(t, "startActiveChoice"),
                                                      zel::test::child<QRadioButton>(t, "startPassiveChoice"),
                                                      zel::test::child<QRadioButton>(t, "noStartChoice"),
                                                      zel::test::child<QRadioButton>(t, "defaultSoundChoice"),
                                                      zel::test::child<QRadioButton>(t, "soundFileChoice"),
                                                      zel::test::child<QRadioButton>(t, "noSoundChoice"),
                                                      zel::test::child<QLabel>(t, "soundFilePanel"),
                                                      zel::test::child<QSpinBox>(t, "noticeDaysSpin"),
                                                      zel::test::child<QCheckBox>(t, "noticeAtStartBox"),
                                                      zel::test::child<QCheckBox>(t, "noticeAtExitBox"),
                                                      zel::test::child<QPushButton>(t, "saveSettingsButton"),
                                                      zel::test::child<QPushButton>(t, "defaultsButton"),
                                                      zel::test::child<QCheckBox>(t, "startInTrayBox")})
        EXPECT_TRUE(c->toolTip().isEmpty()) << c->objectName().toStdString();
    hover(zel::test::child<QLabel>(t, "soundFilePanel"));
    EXPECT_TRUE(zel::test::child<QLabel>(t, "soundFilePanel")->toolTip().isEmpty());

    // A double click turns the item back without touching the hints.
    auto* options = zel::test::child<QListWidget>(t, "optionList");
    options->setCurrentRow(3);
    emit options->itemDoubleClicked(options->item(3));
    EXPECT_EQ(options->item(3)->checkState(), Qt::Checked);
    EXPECT_TRUE(zel::test::child<QPushButton>(t, "saveSettingsButton")->toolTip().isEmpty());
    emit options->itemChanged(options->item(3)); // as a click on its check mark
    EXPECT_EQ(zel::test::child<QPushButton>(t, "saveSettingsButton")->toolTip(),
              QStringLiteral("A beállítások mentése"));
    EXPECT_EQ(zel::test::child<QPushButton>(t, "defaultsButton")->toolTip(),
              QStringLiteral("Az alapértelmezett beállítások visszaállítása"));
}

TEST(SettingsTab, TheSoundPanelChoosesAndPreviewsAFile) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    w->show();
    w->pages()->setCurrentIndex(MainWindow::TabSettings);
    std::filesystem::create_directories(s.dir.path() / "hangok");
    const auto first = s.dir.path() / "hangok" / "csengo.szep.wav";
    const auto second = s.dir.path() / "hangok" / "gong.mid";
    writeFile(first, "RIFF");
    writeFile(second, "MThd");

    s.dialogs.fileAnswers = {q(first)};
    QTest::mouseClick(zel::test::child<QLabel>(t, "soundFilePanel"), Qt::LeftButton);
    ASSERT_EQ(s.dialogs.fileCalls.size(), 1u);
    EXPECT_EQ(s.dialogs.fileCalls[0].folder, w->exeFolder());
    EXPECT_EQ(s.dialogs.fileCalls[0].filter,
              QStringLiteral("Wav fájlok (.wav)|*.wav|MIDI fájlok (.mid)|*.mid"));
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "soundFileChoice")->isChecked());
    EXPECT_EQ(zel::test::child<QLabel>(t, "soundFilePanel")->text(), QStringLiteral("csengo"));
    EXPECT_EQ(w->ownSoundFile(), q(first));
    EXPECT_TRUE(s.sound.calls.isEmpty()); // the panel showed no name before

    QTest::mouseClick(zel::test::child<QLabel>(t, "soundFilePanel"), Qt::RightButton);
    EXPECT_EQ(s.sound.take(), QStringList{QStringLiteral("file ") + q(first) + QStringLiteral(" once")});
    QTest::mouseMove(zel::test::child<QLabel>(t, "soundFilePanel"));
    hover(zel::test::child<QLabel>(t, "soundFilePanel"));
    EXPECT_EQ(zel::test::child<QLabel>(t, "soundFilePanel")->toolTip(),
              QStringLiteral("Lejátszandó hangállomány: csengo\nBal egérgomb: Fájl "
                             "megadása  I  Jobb egérgomb: Hang lejátszása"));

    // Another file while "Hangfájl:" is already chosen: no preview of the old one.
    s.dialogs.fileAnswers = {q(second)};
    QTest::mouseClick(zel::test::child<QLabel>(t, "soundFilePanel"), Qt::LeftButton);
    EXPECT_EQ(zel::test::child<QLabel>(t, "soundFilePanel")->text(), QStringLiteral("gong"));
    EXPECT_TRUE(s.sound.calls.isEmpty());
    // Cancelling the dialog keeps the file.
    QTest::mouseClick(zel::test::child<QLabel>(t, "soundFilePanel"), Qt::LeftButton);
    EXPECT_EQ(w->ownSoundFile(), q(second));

    // Choosing the own file again previews it; a default sound click plays the default once.
    zel::test::child<QRadioButton>(t, "defaultSoundChoice")->click();
    EXPECT_EQ(s.sound.take(), QStringList{QStringLiteral("default once")});
    zel::test::child<QRadioButton>(t, "soundFileChoice")->click();
    EXPECT_EQ(s.sound.take(), QStringList{QStringLiteral("file ") + q(second) + QStringLiteral(" once")});
    zel::test::child<QRadioButton>(t, "noSoundChoice")->click();
    t->selectDefaultSound();
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "defaultSoundChoice")->isChecked());
    EXPECT_TRUE(s.sound.calls.isEmpty());

    zel::test::child<QPushButton>(t, "saveSettingsButton")->click();
    const std::string saved = savedRecord(s);
    EXPECT_EQ(saved[26], '1');
    EXPECT_EQ(field(saved, 36), second.string());
}

TEST(SettingsTab, AMissingChosenFileAsksForAnother) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    const auto file = s.dir.path() / "dal.wav";
    writeFile(file, "RIFF");
    s.dialogs.fileAnswers = {q(file)};
    t->chooseSoundFile();
    std::filesystem::remove(file);
    zel::test::child<QRadioButton>(t, "noSoundChoice")->click();
    s.dialogs.answers.push_back(Dialogs::No);
    zel::test::child<QRadioButton>(t, "soundFileChoice")->click();
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].text, QStringLiteral("A lejátszandó állomány nem található!\n") + q(file) +
                                           QStringLiteral("\n\nSzeretne megadni egy másik hangállományt?"));
    EXPECT_EQ(s.dialogs.fileCalls.size(), 1u);
    EXPECT_TRUE(s.sound.calls.isEmpty());
}
