#include "core/settings/settings_record.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/settings_tab.h"
#include "gui/theme/theme.h"
#include "support/app_fixture.h"
#include "support/gui_util.h"

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::Start;

namespace {

QColor window(const QWidget* w) {
    return w->palette().color(w->backgroundRole());
}

} // namespace

TEST(Theme, ColourValuesAreBlueGreenRedAndSystemColoursComeFromThePalette) {
    EXPECT_EQ(colorOf(0x00123456), QColor(0x56, 0x34, 0x12));
    EXPECT_EQ(colorValue(QColor(0x56, 0x34, 0x12)), 0x00123456u);
    EXPECT_EQ(colorOf(0xFF00000F), QApplication::palette().color(QPalette::Button));
    EXPECT_EQ(colorOf(0xFF000005), QApplication::palette().color(QPalette::Base));
    EXPECT_EQ(colorOf(0xFF000008), QApplication::palette().color(QPalette::Text));
}

TEST(Theme, FeketeFeherPaintsThePagesTheEditBoxesAndTheirText) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    zel::test::child<QRadioButton>(t, "blackWhitePreset")->click();
    EXPECT_EQ(w->settings().colors, kThemeFeketeFeher);
    const QColor page(0x7E, 0x7E, 0x7E), edit(0x61, 0x61, 0x61), text(0xD2, 0xD3, 0xD5);
    for (QWidget* p : {static_cast<QWidget*>(w->newEventTab()), static_cast<QWidget*>(t)}) {
        EXPECT_EQ(window(p), page);
        EXPECT_TRUE(p->autoFillBackground());
    }
    NewEventTab* n = w->newEventTab();
    auto on = [n](const char* name) { return zel::test::child<QWidget>(n, name); };
    EXPECT_EQ(on("programFile")->palette().color(QPalette::Base), edit);
    EXPECT_EQ(on("programFile")->palette().color(QPalette::Text), text);
    EXPECT_EQ(on("reminderText")->palette().color(QPalette::Base), edit);
    // Captions: the group titles and the panels used as buttons, on the text background.
    EXPECT_EQ(on("timingGroup")->palette().color(QPalette::WindowText), Qt::white);
    EXPECT_EQ(on("addButton")->palette().color(QPalette::ButtonText), Qt::white);
    EXPECT_EQ(on("addButton")->palette().color(QPalette::Button), edit);
    EXPECT_EQ(zel::test::child<QLabel>(t, "soundFilePanel")->palette().color(QPalette::WindowText),
              Qt::white);
    // cUjAktiv takes the captions colour; variations go to the choices, the later colour winning.
    EXPECT_EQ(on("activeBox")->palette().color(QPalette::WindowText), Qt::white);
    EXPECT_EQ(window(on("activeBox")), edit);
    EXPECT_EQ(on("todayChoice")->palette().color(QPalette::WindowText), QColor(0x25, 0x25, 0x29));
    EXPECT_EQ(zel::test::child<QRadioButton>(t, "blackWhitePreset")->palette().color(QPalette::WindowText),
              QColor(0x25, 0x25, 0x29));
    EXPECT_EQ(zel::test::child<QListWidget>(t, "optionList")->palette().color(QPalette::Base), page);
    EXPECT_EQ(zel::test::child<QListWidget>(t, "optionList")->palette().color(QPalette::Text),
              QColor(0x25, 0x25, 0x29));
    // The main window's own colour is the text background; the clock sits on the background.
    EXPECT_EQ(w->palette().color(QPalette::Window), edit);
    EXPECT_EQ(window(w->clockDisplay()), page);
    EXPECT_EQ(window(zel::test::child<QLabel>(t, "captionsSwatch")), Qt::white);
    EXPECT_EQ(window(zel::test::child<QLabel>(t, "variationsSwatch")), QColor(0x25, 0x25, 0x29));
    // The tabs follow the theme too.
    EXPECT_TRUE(w->pages()->tabBar()->styleSheet().contains(QStringLiteral("#7e7e7e")));
    EXPECT_TRUE(s.dialogs.boxes.empty());
}

TEST(Theme, TheSwatchesOpenTheColourDialogAndACancelChangesNothing) {
    Start s;
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    w->show();
    w->pages()->setCurrentIndex(MainWindow::TabSettings);
    const QColor textBefore =
        zel::test::child<QLineEdit>(w->newEventTab(), "programFile")->palette().color(QPalette::Text);

    QTest::mouseClick(zel::test::child<QLabel>(t, "textSwatch"), Qt::LeftButton); // no answer: cancelled
    EXPECT_EQ(w->settings().colors, kThemeKekesZold);
    EXPECT_EQ(zel::test::child<QLineEdit>(w->newEventTab(), "programFile")->palette().color(QPalette::Text),
              textBefore);
    EXPECT_EQ(window(zel::test::child<QLabel>(t, "textSwatch")), textBefore);

    s.dialogs.colorAnswers = {QColor(10, 20, 30)};
    QTest::mouseClick(zel::test::child<QLabel>(t, "backgroundSwatch"), Qt::LeftButton);
    EXPECT_EQ(w->settings().colors[0], 0x001E140Au);
    EXPECT_EQ(window(zel::test::child<QLabel>(t, "backgroundSwatch")), QColor(10, 20, 30));
    EXPECT_EQ(window(t), QColor(10, 20, 30));
    EXPECT_EQ(window(w->newEventTab()), QColor(10, 20, 30));
    EXPECT_EQ(window(w->clockDisplay()), QColor(10, 20, 30));
    EXPECT_EQ(w->pages()->currentIndex(), MainWindow::TabSettings);

    // The colours reach the file only with Mentés.
    zel::test::child<QPushButton>(t, "saveSettingsButton")->click();
    const auto saved = readSettingsFile(s.dir.path() / "beallitasok.cfg");
    ASSERT_TRUE(saved);
    EXPECT_EQ((*saved)[0], 10);
    EXPECT_EQ((*saved)[1], 20);
    EXPECT_EQ((*saved)[2], 30);
}

TEST(Theme, TheSavedColoursArePaintedAtStart) {
    Start s;
    Settings saved = defaultSettings();
    saved.colors = kThemeBolondos;
    writeSettingsFile(s.dir.path() / "beallitasok.cfg", encodeSettings(saved, SettingsBytes{}));
    auto w = s.open();
    SettingsTab* t = w->settingsTab();
    EXPECT_TRUE(zel::test::child<QRadioButton>(t, "playfulPreset")->isChecked());
    EXPECT_EQ(window(w->newEventTab()), colorOf(0x007617B5));
    EXPECT_EQ(zel::test::child<QLineEdit>(w->newEventTab(), "programFile")->palette().color(QPalette::Text),
              colorOf(0x00D5FFFF));
    EXPECT_EQ(zel::test::child<QSpinBox>(t, "noticeDaysSpin")->palette().color(QPalette::Base),
              colorOf(0x008A1D8D));

    Settings custom = defaultSettings();
    custom.colors[4] = 0x00010203;
    Start other;
    writeSettingsFile(other.dir.path() / "beallitasok.cfg", encodeSettings(custom, SettingsBytes{}));
    auto w2 = other.open();
    for (QRadioButton* r : {zel::test::child<QRadioButton>(w2->settingsTab(), "blueGreenPreset"),
                            zel::test::child<QRadioButton>(w2->settingsTab(), "blackWhitePreset"),
                            zel::test::child<QRadioButton>(w2->settingsTab(), "playfulPreset")})
        EXPECT_FALSE(r->isChecked());
}

TEST(Theme, ControlsThatDoNotExistAreSkipped) {
    QWidget root;
    root.setObjectName(QStringLiteral("mainWindow"));
    auto* edit = new QLineEdit(&root);
    edit->setObjectName(QStringLiteral("nameField"));
    auto* loose = new QLabel(&root);
    loose->setObjectName(QStringLiteral("lValami"));
    const QColor looseBefore = loose->palette().color(QPalette::WindowText);
    applyTheme(&root, kThemeFeketeFeher);
    EXPECT_EQ(edit->palette().color(QPalette::Base), QColor(0x61, 0x61, 0x61));
    EXPECT_EQ(edit->palette().color(QPalette::Text), QColor(0xD2, 0xD3, 0xD5));
    EXPECT_EQ(root.palette().color(QPalette::Window), QColor(0x61, 0x61, 0x61));
    EXPECT_EQ(loose->palette().color(QPalette::WindowText), looseBefore);
}
