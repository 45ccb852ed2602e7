#include "core/app/clock.h"
#include "core/events/event_record.h"
#include "core/partners/partner_record.h"
#include "core/settings/settings_record.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "gui/main_window.h"
#include "gui/startup.h"
#include "gui/tabs/settings_tab.h"
#include "support/app_fixture.h"
#include "support/gui_util.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

#include <QLabel>
#include <QTabWidget>
#include <QTableView>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::readFile;
using zel::test::ScriptedDialogs;
using zel::test::Start;
using zel::test::TempDir;

namespace {

std::vector<std::string> filesUnder(const std::filesystem::path& root) {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        out.push_back(std::filesystem::relative(e.path(), root).string());
    std::sort(out.begin(), out.end());
    return out;
}

} // namespace

TEST(Startup, FirstStartInAnEmptyFolderCreatesExactlyTheDataFiles) {
    Start s;
    auto w = s.open();
    EXPECT_TRUE(s.dialogs.boxes.empty());
    EXPECT_EQ(
        filesUnder(s.dir.path()),
        (std::vector<std::string>{"Data", "Data/emlekeztetok.dat", "Data/nevnapok.dat", "Data/partnerek.dat",
                                  "Data/programok.dat", "Data/szuletesnapok.dat", "beallitasok.cfg"}));
    const std::string partners = readFile(s.dir.path() / "Data/partnerek.dat");
    ASSERT_EQ(partners.size(), 537u);
    EXPECT_EQ(decodePartner(reinterpret_cast<const std::uint8_t*>(partners.data())), makerCard());
    for (const char* f : {"emlekeztetok.dat", "programok.dat", "nevnapok.dat", "szuletesnapok.dat"})
        EXPECT_EQ(readFile(s.dir.path() / "Data" / f).size(), 0u) << f;

    const std::string cfg = readFile(s.dir.path() / "beallitasok.cfg");
    ASSERT_EQ(cfg.size(), 1064u);
    SettingsBytes expected = encodeSettings(defaultSettings(), SettingsBytes{});
    EXPECT_EQ(cfg, std::string(expected.begin(), expected.end()));
    EXPECT_EQ(cfg.substr(21, 11), "01030110101");
    EXPECT_EQ(cfg[292], 1);
    EXPECT_EQ(cfg[293], 3);

    EXPECT_EQ(w->windowTitle(), QStringLiteral("Zelmoran ( Aktív mód )"));
    EXPECT_EQ(w->size(), QSize(495, 321));
    EXPECT_EQ(w->minimumSize(), w->maximumSize());
    EXPECT_EQ(w->clockDisplay()->text(), QStringLiteral("9:05:07  "));
    ASSERT_EQ(w->pages()->count(), 6);
    const QStringList captions = {QStringLiteral("Új esemény"),  QStringLiteral("Események"),
                                  QStringLiteral("Partnerek"),   QStringLiteral("Műveletek"),
                                  QStringLiteral("Beállítások"), QStringLiteral("Segítség")};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(w->pages()->tabText(i), captions[i]);
    EXPECT_EQ(w->pages()->currentIndex(), 1);
    EXPECT_EQ(w->partnerNames(), std::vector<std::string>{makerCard().Name});
    EXPECT_FALSE(w->startHidden());
    EXPECT_EQ(w->allNames().size(), 2911u);
}

TEST(Startup, TheListOfAllNamesFollowsTheLocaleNotTheBytes) {
    Start s;
    auto w = s.open();
    const auto& names = w->allNames();
    auto at = [&](const char* utf8) {
        const auto it = std::find(names.begin(), names.end(), utf8ToCp1250(utf8));
        return it == names.end() ? -1 : static_cast<int>(it - names.begin());
    };
    ASSERT_GE(at("Ábel"), 0);
    EXPECT_LT(at("Ábel"), at("Bálint")); // by bytes Á would follow every Latin letter
    EXPECT_LT(at("Ödön"), at("Péter"));
    EXPECT_LT(at("Ábel"), at("Anna")); // Á differs from A only after the letters that follow
    EXPECT_EQ(std::count(names.begin(), names.end(), utf8ToCp1250("Mária")), 1);
    const auto today = todayAndTomorrowNames(w->commonCalendar(), dayNumber(2026, 1, 3));
    EXPECT_EQ(cp1250ToUtf8(today.today), "Genovéva és Benjámin");
}

TEST(Startup, ARestartReadsWhatExistsAndChangesNothing) {
    Start s;
    s.open();
    // The user's own data and settings, written as a later run would have left them.
    EventRecord r;
    r.text = "Fogorvos";
    r.date = static_cast<double>(dayNumber(2024, 3, 5));
    r.time = storedFromMinute(12 * 60);
    insertEventOrdered((s.dir.path() / "Data/emlekeztetok.dat").string(), EventKind::Reminder, r);
    Settings custom = defaultSettings();
    custom.startInTray = true;
    custom.start = StartChoice::Active;
    SettingsBytes b = encodeSettings(custom, SettingsBytes{});
    b[33] = 0x5A; // a byte the program never sets
    writeSettingsFile(s.dir.path() / "beallitasok.cfg", b);
    PartnerRecord p;
    p.Name = "Antal Ede";
    insertRecordAt(s.dir.path() / "Data/partnerek.dat", 537, 0, encodePartner(p));
    const auto before = filesUnder(s.dir.path());
    const std::string cfgBefore = readFile(s.dir.path() / "beallitasok.cfg");

    auto w = s.open();
    EXPECT_TRUE(s.dialogs.boxes.empty());
    EXPECT_EQ(filesUnder(s.dir.path()), before);
    EXPECT_EQ(readFile(s.dir.path() / "beallitasok.cfg"), cfgBefore);
    EXPECT_EQ(w->settings(), custom);
    EXPECT_TRUE(w->startHidden());
    EXPECT_EQ(w->partnerNames(), (std::vector<std::string>{"Antal Ede", makerCard().Name}));
    ASSERT_TRUE(w->events().next(EventKind::Reminder));
    EXPECT_EQ(w->events().next(EventKind::Reminder)->text, "Fogorvos");
}

TEST(Startup, AnUnreadablePartnerFileIsReportedAndKept) {
    Start s;
    // A folder where the partner file should be: it opens but cannot be read.
    std::filesystem::create_directories(s.dir.path() / "Data/partnerek.dat");
    auto w = s.open();
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Stop);
    EXPECT_EQ(s.dialogs.boxes[0].caption, QStringLiteral("Zelmoran v1.6.1"));
    EXPECT_EQ(s.dialogs.boxes[0].text, QStringLiteral("I/O error 21."));
    EXPECT_EQ(s.dialogs.boxes[0].buttons, Dialogs::Ok);
    EXPECT_TRUE(std::filesystem::is_directory(s.dir.path() / "Data/partnerek.dat"));
    EXPECT_FALSE(std::filesystem::exists(s.dir.path() / "beallitasok.cfg")); // start-up ended there
}

TEST(Startup, AShortSettingsFileIsReportedKeptAndWrittenOnlyOnSave) {
    Start s;
    s.open();
    EventRecord r;
    r.text = "Fogorvos";
    r.date = static_cast<double>(dayNumber(2024, 3, 5));
    r.time = storedFromMinute(12 * 60);
    insertEventOrdered((s.dir.path() / "Data/emlekeztetok.dat").string(), EventKind::Reminder, r);
    const std::string damaged = readFile(s.dir.path() / "beallitasok.cfg").substr(0, 500);
    zel::test::writeFile(s.dir.path() / "beallitasok.cfg", damaged);
    s.dialogs.boxes.clear();

    auto w = s.open();
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Stop);
    EXPECT_EQ(s.dialogs.boxes[0].caption, QStringLiteral("Zelmoran v1.6.1"));
    EXPECT_EQ(s.dialogs.boxes[0].text, QStringLiteral("I/O error 100."));
    EXPECT_EQ(readFile(s.dir.path() / "beallitasok.cfg"), damaged);
    EXPECT_EQ(w->settings(), defaultSettings());
    // The rest of the start went on.
    ASSERT_TRUE(w->events().next(EventKind::Reminder));
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Zelmoran ( Aktív mód )"));

    w->settingsTab()->save();
    EXPECT_EQ(readFile(s.dir.path() / "beallitasok.cfg").size(), 1064u);
}

TEST(Startup, TheServiceMarkerOpensTheResizableServiceView) {
    Start s;
    zel::test::writeFile(s.dir.path() / "szervizmod", "");
    for (int run = 0; run < 2; ++run) {
        auto w = s.open();
        EXPECT_TRUE(w->serviceView());
        EXPECT_EQ(w->size(), QSize(663, 495));
        EXPECT_NE(w->minimumSize(), w->maximumSize());
        auto* table = w->findChild<QTableView*>(QStringLiteral("reminderTable"));
        ASSERT_TRUE(table);
        EXPECT_EQ(table->model()->rowCount(), 1); // the one empty row of an empty file
        EXPECT_EQ(table->editTriggers(), QAbstractItemView::NoEditTriggers);
        for (const char* name : {"programTable", "nameDayTable", "birthdayTable", "nextReminder",
                                 "nextProgram", "nextNameDay", "nextBirthday"})
            EXPECT_TRUE(w->findChild<QTableView*>(QString::fromLatin1(name))) << name;
    }
}

TEST(Startup, AFolderThatTakesNoFileStopsTheProgramWithItsName) {
    TempDir dir;
    // A "folder" below a plain file takes no file, whoever runs the test.
    zel::test::writeFile(dir.path() / "plain", "x");
    const AppPaths paths{dir.path() / "plain" / "prog"};
    ScriptedDialogs dialogs;
    EXPECT_FALSE(runWriteTest(paths, dialogs));
    ASSERT_EQ(dialogs.boxes.size(), 1u);
    const auto& box = dialogs.boxes[0];
    EXPECT_EQ(box.kind, Dialogs::Kind::Plain);
    EXPECT_EQ(box.caption, QStringLiteral("Zelmoran v1.6.1"));
    EXPECT_EQ(box.buttons, Dialogs::Ok);
    const QString folder =
        QString::fromStdString((dir.path() / "plain" / "prog").string()) + QStringLiteral("/");
    EXPECT_EQ(box.text, writeTestMessage(folder));
    EXPECT_TRUE(
        box.text.startsWith(QStringLiteral("A Zelmoran-nak -az aktuális felhasználónévvel- nincs írási")));
    EXPECT_TRUE(
        box.text.contains(QStringLiteral("\n - Szüntesse meg az írásvédettséget a munkakönyvtáron: (") +
                          folder + QStringLiteral(")\n")));
    EXPECT_TRUE(box.text.endsWith(QStringLiteral("futását.\nA kellemetlenségért elnézését kérem.")));
    EXPECT_EQ(std::vector<std::string>{"plain"}, filesUnder(dir.path()));

    ScriptedDialogs ok;
    EXPECT_TRUE(runWriteTest(AppPaths{dir.path()}, ok));
    EXPECT_TRUE(ok.boxes.empty());
    EXPECT_FALSE(std::filesystem::exists(dir.path() / "teszt.tmp"));
}

TEST(Startup, TheCloseButtonFollowsTheSettings) {
    Start s;
    auto w = s.open();
    w->show();
    w->close();
    EXPECT_EQ(s.exits, 1); // default: the close button ends the program

    Settings tray = defaultSettings();
    tray.closeToTray = true;
    writeSettingsFile(s.dir.path() / "beallitasok.cfg", encodeSettings(tray, SettingsBytes{}));
    auto w2 = s.open();
    w2->show();
    w2->close();
    EXPECT_EQ(s.exits, 1);
    EXPECT_TRUE(w2->isMinimized() || !w2->isVisible());
}
