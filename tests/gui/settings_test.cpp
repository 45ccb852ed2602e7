#include "core/settings/settings_record.h"
#include "core/text/cp1250.h"
#include "core/text/field.h"
#include "gui/alert/alert_window.h"
#include "gui/tabs/settings_tab.h"
#include "support/app_fixture.h"

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
    EXPECT_EQ(t->current(), defaultSettings());

    const QStringList items = {QStringLiteral("Figyelmeztető ablakok megjelenítése  (Ajánlott)"),
                               QStringLiteral("Névnapok listája az összes előfordulás alapján"),
                               QStringLiteral("Az elmúlt eseményeket is megjelenítse listázáskor"),
                               QStringLiteral("Segítő megjegyzések a téma felett a beállításoknál"),
                               QStringLiteral("Névnapok megjelenítése induláskor egy buborékban")};
    ASSERT_EQ(t->cBeall->count(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(t->cBeall->item(i)->text(), items[i]);
    EXPECT_EQ(t->rIndAktiv->text(), QStringLiteral("Indítás aktív módban "));
    EXPECT_EQ(t->gSzinek->title(), QStringLiteral(" A program &színeinek testreszabása "));
    EXPECT_TRUE(t->rBezarLeall->isChecked());
    EXPECT_TRUE(t->rIndNe->isChecked());
    EXPECT_FALSE(t->cIkonNezet->isEnabled());
    EXPECT_TRUE(t->rAlapHang->isChecked());
    EXPECT_TRUE(t->rkekes->isChecked());
    EXPECT_TRUE(t->sNevSzulFigy->isEnabled());
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
        EXPECT_TRUE(w->settingsTab()->rNemHang->isChecked());
        EXPECT_EQ(w->soundChoice(), SoundChoice::None);
        EXPECT_TRUE(w->settingsTab()->pHang->text().isEmpty());
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
    EXPECT_TRUE(t->rAlapHang->isChecked());
    EXPECT_EQ(t->pHang->text(), QStringLiteral("csengo"));
    EXPECT_EQ(w->ownSoundFile(), q(gone));
    EXPECT_TRUE(s.sound.calls.isEmpty()); // applying plays nothing
    EXPECT_TRUE(s.autostart.calls.isEmpty());

    t->Panel21->click();
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

    t->rBezarIkon->click();
    t->rIndAktiv->click();
    EXPECT_TRUE(t->cIkonNezet->isEnabled());
    t->cIkonNezet->click();
    t->cBeall->item(SettingsTab::PastEvents)->setCheckState(Qt::Checked);
    t->sNevSzulFigy->setValue(7);
    EXPECT_TRUE(s.autostart.calls.isEmpty()); // the active start waits for Mentés
    EXPECT_EQ(savedRecord(s), std::string(b.begin(), b.end()));

    t->Panel21->click();
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
    t->rIndNe->click();
    EXPECT_EQ(s.autostart.calls.last(), QStringLiteral("off"));
    EXPECT_FALSE(t->cIkonNezet->isChecked());
    EXPECT_FALSE(t->cIkonNezet->isEnabled());
    EXPECT_EQ(savedRecord(s), saved);
    t->rIndPassziv->click();
    EXPECT_TRUE(t->cIkonNezet->isEnabled());
    EXPECT_EQ(s.autostart.calls.size(), 2);
    t->Panel21->click();
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
    w->settingsTab()->Panel21->click();
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
    ASSERT_EQ(t->current(), custom);

    t->Panel22->click();
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Confirmation);
    EXPECT_EQ(s.dialogs.boxes[0].caption, QStringLiteral("Megerősítés"));
    EXPECT_EQ(s.dialogs.boxes[0].text,
              QStringLiteral("Valóban visszaállítja az alapértelmezett beállításokat?"));
    EXPECT_EQ(s.dialogs.boxes[0].buttons, Dialogs::Yes | Dialogs::No);
    EXPECT_EQ(t->current(), custom);
    EXPECT_TRUE(s.autostart.calls.isEmpty());

    s.dialogs.answers.push_back(Dialogs::Yes);
    t->Panel22->click();
    EXPECT_EQ(t->current(), defaultSettings());
    EXPECT_TRUE(t->rkekes->isChecked());
    EXPECT_TRUE(t->rIndNe->isChecked());
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
    EXPECT_TRUE(t->rHang->isChecked());
    s.dialogs.answers.push_back(Dialogs::Yes);
    t->Panel22->click();
    EXPECT_TRUE(t->current().soundFile.empty());
    EXPECT_EQ(t->current().soundDialogFile, file.string());
    t->Panel21->click();
    EXPECT_EQ(field(savedRecord(s), 36), file.string());
    EXPECT_EQ(savedRecord(s)[292], 1);
}

TEST(SettingsTab, TheWebAddressesStopAtAnEmptyAnswerAndKeepTheirsOnCancel) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    const Settings before = t->current();
    const QStringList prompts = {
        QStringLiteral(
            "Adja meg a postai cím kereséséhez használni kívánt Internetes térképoldal teljes címét:"),
        QStringLiteral("Gépelje be az SMS küldéshez használni kívánt Internetes oldal teljes címét:"),
        QStringLiteral("Kérem a vezetékes telefonszámhoz kapcsolható Internetes oldal teljes címét:")};

    s.dialogs.inputAnswers = {QStringLiteral("https://térkép.example/"), QString(), QStringLiteral("unused")};
    t->button_webaddress->click();
    EXPECT_EQ(s.dialogs.inputPrompts, (std::vector<QString>{prompts[0], prompts[1]}));
    EXPECT_EQ(t->current().mapPage, utf8ToCp1250("https://térkép.example/"));
    EXPECT_EQ(t->current().smsPage, before.smsPage);
    EXPECT_EQ(t->current().phonePage, before.phonePage);
    EXPECT_TRUE(s.dialogs.boxes.empty());

    s.dialogs.inputPrompts.clear();
    s.dialogs.inputAnswers = {QStringLiteral("https://a.example/"), std::nullopt,
                              QString(300, QLatin1Char('x'))};
    t->button_webaddress->click();
    EXPECT_EQ(s.dialogs.inputPrompts, (std::vector<QString>{prompts[0], prompts[1], prompts[2]}));
    EXPECT_EQ(t->current().mapPage, "https://a.example/");
    EXPECT_EQ(t->current().smsPage, before.smsPage);
    EXPECT_EQ(t->current().phonePage, std::string(255, 'x'));
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Information);
    EXPECT_EQ(s.dialogs.boxes[0].text,
              QStringLiteral(
                  "Ezen beállítások is a Mentés gombra történő kattinttással érvényesülnek véglegesen."));
    EXPECT_EQ(field(savedRecord(s), 806), before.phonePage); // until Mentés
    t->Panel21->click();
    EXPECT_EQ(field(savedRecord(s), 806), std::string(255, 'x'));
}

TEST(SettingsTab, TurningOffBothNoticesWarnsOnTheSettingsTabAndDisablesTheDays) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    t->cNevSzulFigyIndul->click(); // off, on another tab: no warning
    EXPECT_FALSE(t->sNevSzulFigy->isEnabled());
    EXPECT_TRUE(s.dialogs.boxes.empty());
    t->cNevSzulFigyLeall->click();
    EXPECT_TRUE(t->sNevSzulFigy->isEnabled());

    w->pLapok()->setCurrentIndex(MainWindow::TabSettings);
    t->cNevSzulFigyLeall->click();
    EXPECT_FALSE(t->sNevSzulFigy->isEnabled());
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Warning);
    EXPECT_EQ(s.dialogs.boxes[0].caption, QStringLiteral("Figyelem!"));
    EXPECT_EQ(s.dialogs.boxes[0].text, QStringLiteral("Kikapcsolta a név-, és születésnap jelzését!\n"
                                                      "Így nem kap értesítést ezekről!"));
    EXPECT_EQ(s.dialogs.boxes[0].buttons, Dialogs::Ok);

    t->cBeall->item(SettingsTab::Warnings)->setCheckState(Qt::Unchecked);
    t->cNevSzulFigyIndul->click();
    t->cNevSzulFigyIndul->click();
    EXPECT_EQ(s.dialogs.boxes.size(), 1u); // warnings are off
}

TEST(SettingsTab, TheHintsShowExactlyWhileItemThreeIsChecked) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    EXPECT_EQ(t->Panel21->toolTip(), QStringLiteral("A beállítások mentése"));
    EXPECT_EQ(t->p11->toolTip(), QStringLiteral("Háttérszín"));
    EXPECT_EQ(t->rkekes->toolTip(), QStringLiteral("A program színeiben a kék és a zöld színek dominálnak"));
    EXPECT_TRUE(t->rBolondos->toolTip().isEmpty());

    t->cBeall->item(SettingsTab::Hints)->setCheckState(Qt::Unchecked);
    for (QWidget* c : std::initializer_list<QWidget*>{t->p11,
                                                      t->p13,
                                                      t->p14,
                                                      t->p15,
                                                      t->p16,
                                                      t->rkekes,
                                                      t->rSzurke,
                                                      t->rBezarIkon,
                                                      t->rBezarLeall,
                                                      t->rIndAktiv,
                                                      t->rIndPassziv,
                                                      t->rIndNe,
                                                      t->rAlapHang,
                                                      t->rHang,
                                                      t->rNemHang,
                                                      t->pHang,
                                                      t->sNevSzulFigy,
                                                      t->cNevSzulFigyIndul,
                                                      t->cNevSzulFigyLeall,
                                                      t->Panel21,
                                                      t->Panel22,
                                                      t->cIkonNezet})
        EXPECT_TRUE(c->toolTip().isEmpty()) << c->objectName().toStdString();
    t->pHangMouseMove();
    EXPECT_TRUE(t->pHang->toolTip().isEmpty());

    // A double click turns the item back without touching the hints.
    t->cBeall->setCurrentRow(SettingsTab::Hints);
    t->cBeallDblClick();
    EXPECT_TRUE(t->itemChecked(SettingsTab::Hints));
    EXPECT_TRUE(t->Panel21->toolTip().isEmpty());
    t->cBeallClickCheck();
    EXPECT_EQ(t->Panel21->toolTip(), QStringLiteral("A beállítások mentése"));
    EXPECT_EQ(t->Panel22->toolTip(), QStringLiteral("Az alapértelmezett beállítások visszaállítása"));
}

TEST(SettingsTab, TheSoundPanelChoosesAndPreviewsAFile) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    w->show();
    w->pLapok()->setCurrentIndex(MainWindow::TabSettings);
    std::filesystem::create_directories(s.dir.path() / "hangok");
    const auto first = s.dir.path() / "hangok" / "csengo.szep.wav";
    const auto second = s.dir.path() / "hangok" / "gong.mid";
    writeFile(first, "RIFF");
    writeFile(second, "MThd");

    s.dialogs.fileAnswers = {q(first)};
    QTest::mouseClick(t->pHang, Qt::LeftButton);
    ASSERT_EQ(s.dialogs.fileCalls.size(), 1u);
    EXPECT_EQ(s.dialogs.fileCalls[0].folder, w->exeFolder());
    EXPECT_EQ(s.dialogs.fileCalls[0].filter,
              QStringLiteral("Wav fájlok (.wav)|*.wav|MIDI fájlok (.mid)|*.mid"));
    EXPECT_TRUE(t->rHang->isChecked());
    EXPECT_EQ(t->pHang->text(), QStringLiteral("csengo"));
    EXPECT_EQ(w->ownSoundFile(), q(first));
    EXPECT_TRUE(s.sound.calls.isEmpty()); // the panel showed no name before

    QTest::mouseClick(t->pHang, Qt::RightButton);
    EXPECT_EQ(s.sound.take(), QStringList{QStringLiteral("file ") + q(first) + QStringLiteral(" once")});
    QTest::mouseMove(t->pHang);
    t->pHangMouseMove();
    EXPECT_EQ(t->pHang->toolTip(), QStringLiteral("Lejátszandó hangállomány: csengo\nBal egérgomb: Fájl "
                                                  "megadása  I  Jobb egérgomb: Hang lejátszása"));

    // Another file while "Hangfájl:" is already chosen: no preview of the old one.
    s.dialogs.fileAnswers = {q(second)};
    QTest::mouseClick(t->pHang, Qt::LeftButton);
    EXPECT_EQ(t->pHang->text(), QStringLiteral("gong"));
    EXPECT_TRUE(s.sound.calls.isEmpty());
    // Cancelling the dialog keeps the file.
    QTest::mouseClick(t->pHang, Qt::LeftButton);
    EXPECT_EQ(w->ownSoundFile(), q(second));

    // Choosing the own file again previews it; a default sound click plays the default once.
    t->rAlapHang->click();
    EXPECT_EQ(s.sound.take(), QStringList{QStringLiteral("default once")});
    t->rHang->click();
    EXPECT_EQ(s.sound.take(), QStringList{QStringLiteral("file ") + q(second) + QStringLiteral(" once")});
    t->rNemHang->click();
    t->selectDefaultSound();
    EXPECT_TRUE(t->rAlapHang->isChecked());
    EXPECT_TRUE(s.sound.calls.isEmpty());

    t->Panel21->click();
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
    t->pHangClick();
    std::filesystem::remove(file);
    t->rNemHang->click();
    s.dialogs.answers.push_back(Dialogs::No);
    t->rHang->click();
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].text, QStringLiteral("A lejátszandó állomány nem található!\n") + q(file) +
                                           QStringLiteral("\n\nSzeretne megadni egy másik hangállományt?"));
    EXPECT_EQ(s.dialogs.fileCalls.size(), 1u);
    EXPECT_TRUE(s.sound.calls.isEmpty());
}
