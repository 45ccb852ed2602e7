#include "gui/alert/missed_window.h"
#include "gui/theme/icons.h"
#include "support/app_fixture.h"

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::event;
using zel::test::q;
using zel::test::readFile;
using zel::test::Ticking;
using Kind = Dialogs::Kind;
using Files = std::vector<std::string>;

namespace {

Files filesUnder(const std::filesystem::path& root) {
    Files out;
    for (const auto& e : std::filesystem::recursive_directory_iterator(root))
        out.push_back(std::filesystem::relative(e.path(), root).string());
    std::sort(out.begin(), out.end());
    return out;
}

std::string defaults() {
    const SettingsBytes b = encodeSettings(defaultSettings(), SettingsBytes{});
    return {b.begin(), b.end()};
}

// A first run, then a reminder of noon added as a later run would have left it.
void withReminder(test::Start& s) {
    s.open();
    insertEventOrdered(s.data("emlekeztetok.dat").string(), EventKind::Reminder,
                       test::event(dayNumber(2024, 3, 5), 12, 0, "Fogorvos"));
}

const DayNumber kDay = dayNumber(2024, 3, 5);

Moment at(int h, int m, int s, int ms = 2) {
    return Moment::at(2024, 3, 5, h, m, s, ms);
}

} // namespace

TEST(GuiStartup, FirstStartInAnEmptyFolderCreatesExactlyTheDataFiles) {
    test::Start s;
    auto w = s.open();
    EXPECT_EQ(filesUnder(s.dir.path()),
              (Files{"Data", "Data/emlekeztetok.dat", "Data/nevnapok.dat", "Data/partnerek.dat",
                     "Data/programok.dat", "Data/szuletesnapok.dat", "beallitasok.cfg"}));
    EXPECT_EQ(readFile(s.data("partnerek.dat")), encodePartner(makerCard())); // the others are empty
    EXPECT_EQ(readFile(s.data("emlekeztetok.dat")) + readFile(s.data("programok.dat")) +
                  readFile(s.data("nevnapok.dat")) + readFile(s.data("szuletesnapok.dat")) + s.cfg(),
              defaults());
    EXPECT_EQ(w->windowTitle() + u'|' + w->clockDisplay()->text(), u"Zelmoran ( Aktív mód )|9:05:07  "_s);
    EXPECT_TRUE(w->pages()->currentIndex() == MainWindow::TabEvents && !w->startHidden());
    // The list of all names follows the locale, not the bytes.
    const auto& names = w->allNames();
    EXPECT_EQ(names.size(), 2911u);
    const auto at = [&](const char* utf8) {
        return std::find(names.begin(), names.end(), test::cp(utf8)) - names.begin();
    };
    EXPECT_LT(at("Ábel"), at("Anna")); // Á differs from A only after the letters that follow
    EXPECT_TRUE(at("Anna") < at("Bálint") && at("Ödön") < at("Péter") &&
                at("Péter") < static_cast<long>(names.size()));
}

TEST(GuiStartup, TheTabsNotShownAtStartAreBuiltWhenFirstWantedAsIfBuiltAtOnce) {
    test::App x;
    Settings custom = defaultSettings();
    custom.colors = kThemeBlackAndWhite;
    x.writeSettings(custom);
    x.storePartners({test::partner("Antal Ede"), test::partner("Kovács Béla")});
    x.show();
    MainWindow& w = *x.w;
    for (const char* name : {"partnerChoice", "nameList", "nameBox"})
        EXPECT_FALSE(w.findChild<QWidget*>(QString::fromLatin1(name)))
            << name << " built before it was wanted";
    EXPECT_TRUE(test::child<QTextEdit>(&w, "helpText")->toPlainText().isEmpty());

    // A partner saved before the list was first wanted takes its place in it.
    w.state().savePartner(test::partner("Bodnár Ágnes"), std::nullopt);
    w.pages()->setCurrentIndex(MainWindow::TabPartners);
    auto* names = test::child<QListView>(&w, "nameList");
    QStringList listed;
    for (int row = 0; row < names->model()->rowCount(); ++row)
        listed << names->model()->index(row, 0).data().toString();
    EXPECT_EQ(listed, (QStringList{u"Antal Ede"_s, u"Bodnár Ágnes"_s, u"Kovács Béla"_s}));
    EXPECT_TRUE(names->isVisible());
    // On the first partner with its details, in the window's colours.
    EXPECT_EQ(names->currentIndex().row(), 0);
    EXPECT_EQ(test::child<QWidget>(&w, "partnersPage")->palette().color(QPalette::Window),
              colorOf(kThemeBlackAndWhite[0]));
    // Its controls come before the help tab's and the summary in the focus chain, as the captions go.
    QList<QWidget*> chain;
    for (QWidget* f = w.nextInFocusChain(); f != &w; f = f->nextInFocusChain())
        chain << f;
    EXPECT_LT(chain.indexOf(names), chain.indexOf(test::child<QWidget>(&w, "helpText")));
    EXPECT_LT(chain.indexOf(test::child<QWidget>(&w, "helpText")), chain.indexOf(w.summaryBox()));

    // The name-day search's box holds every name of the extended calendar.
    w.pages()->setCurrentIndex(MainWindow::TabActions);
    EXPECT_EQ(test::child<QComboBox>(&w, "nameBox")->count(), 2911);
    w.pages()->setCurrentIndex(MainWindow::TabHelp);
    EXPECT_TRUE(test::child<QTextEdit>(&w, "helpText")->toPlainText().contains(u"Zelmoran"_s));
    // The new-event tab, asked for by another tab, is built the same way.
    w.pages()->setCurrentIndex(MainWindow::TabPartners);
    EXPECT_EQ(test::items(test::child<QComboBox>(w.newEventTab(), "partnerChoice")),
              (QStringList{u"Antal Ede"_s, u"Bodnár Ágnes"_s, u"Kovács Béla"_s}));
}

TEST(GuiStartup, ARestartReadsWhatExistsAndChangesNothing) {
    test::Start s;
    withReminder(s);
    Settings custom = defaultSettings();
    custom.startInTray = true;
    custom.start = StartChoice::Active;
    SettingsBytes b = encodeSettings(custom, SettingsBytes{});
    b[33] = 0x5A; // a byte the program never sets
    writeSettingsFile(s.cfgPath(), b);
    insertRecordAt(s.data("partnerek.dat"), 537, 0, encodePartner(test::partner("Antal Ede")));
    const auto before = filesUnder(s.dir.path());
    const std::string cfg = s.cfg(), partners = readFile(s.data("partnerek.dat"));
    auto w = s.open();
    EXPECT_EQ(filesUnder(s.dir.path()), before);
    EXPECT_EQ(s.cfg() + readFile(s.data("partnerek.dat")), cfg + partners);
    EXPECT_TRUE(w->settings() == custom && w->startHidden());
    EXPECT_EQ(w->partnerNames(), (std::vector<std::string>{"Antal Ede", makerCard().name}));
    EXPECT_EQ(w->events().next(EventKind::Reminder).value().text, "Fogorvos");
}

TEST(GuiStartup, TheServiceViewListsTheWorkingTablesOnlyWhenItsMarkerIsThere) {
    test::Start s;
    withReminder(s);
    // Without the marker the view's parts are never made.
    EXPECT_EQ(s.open()->findChild<QTableView*>(u"reminderTable"_s), nullptr);
    test::writeFile(s.dir.path() / "szervizmod", "");
    auto w = s.open();
    const QAbstractItemModel* m = test::child<QTableView>(w.get(), "reminderTable")->model();
    ASSERT_NE(m, nullptr);
    const auto row = [m](int r) { return test::cells(*m, r).join(u'|'); };
    EXPECT_EQ(m->rowCount(), 1);
    EXPECT_EQ(row(0), u"   *|2024.03.05.|12:00|Fogorvos|0"_s);
    // It follows the table as the program writes it.
    w->state().addEvent(EventKind::Reminder, test::event(dayNumber(2024, 3, 5), 10, 0, "Posta", false));
    EXPECT_EQ(m->rowCount(), 2);
    EXPECT_EQ(row(0) + u'/' + row(1), u"|2024.03.05.|10:00|Posta|0/   *|2024.03.05.|12:00|Fogorvos|0"_s);
    // Hungarian captions, and dates and times shown whole; a name day has no time to show.
    auto* tables = test::child<QTabWidget>(w.get(), "workTables");
    QStringList captions{test::child<QLabel>(w.get(), "nextReminderLabel")->text()};
    for (int i = 0; i < tables->count(); ++i)
        captions << tables->tabText(i);
    for (int c = 0; c < m->columnCount(); ++c)
        captions << m->headerData(c, Qt::Horizontal).toString();
    EXPECT_EQ(captions.join(u','), u"Következő emlékeztető,Emlékeztetők,Programfuttatások,Névnapok,"
                                   u"Születésnapok,Aktív,Dátum,Óra,Szöveg,Ismétlődés"_s);
    for (const char* name : {"reminderTable", "nextReminder"}) {
        auto* view = test::child<QTableView>(w.get(), name);
        EXPECT_GE(view->columnWidth(1), view->fontMetrics().horizontalAdvance(u"2024.03.05."_s)) << name;
        EXPECT_GE(view->columnWidth(2), view->fontMetrics().horizontalAdvance(u"12:00"_s)) << name;
    }
    EXPECT_TRUE(test::child<QTableView>(w.get(), "nameDayTable")->isColumnHidden(2));
}

TEST(GuiStartup, LeftForTheFirstFrameTheTablesItDoesNotShowAreReadAfterItAsIfReadAtOnce) {
    test::Start s;
    s.open();
    const auto store = [&](bool reminderActive) {
        s.store(EventKind::Reminder, {test::event(kDay, 12, 0, "Fogorvos", reminderActive)});
        s.store(EventKind::Program, {test::event(kDay, 13, 0, "/usr/bin/true")});
        s.store(EventKind::NameDay, {test::event(kDay + 1, 0, 0, "Névnap: Minta Anna")});
        // A partial record: the box that reports it waits for the rest of the start.
        test::writeFile(
            s.data("szuletesnapok.dat"),
            encodeEvent(EventKind::Birthday, test::event(kDay + 2, 0, 0, "Születésnap: Kis Béla")) +
                std::string(100, 'x'));
    };
    const auto startLater = [&] {
        auto w = std::make_unique<MainWindow>(AppPaths{s.dir.path()},
                                              Services{s.dialogs, s.clock, s.shell, s.sound, s.tray,
                                                       s.autostart, s.alertNotifier, s.runningNotifier});
        w->start(MainWindow::StartNotice::Later);
        return w;
    };
    const auto rows = [](const MainWindow& w) {
        QString out;
        for (EventKind k : kAllEventKinds)
            out += QString::number(w.events().table(k).rows.size());
        return out;
    };
    const auto lines = [](MainWindow& w) {
        w.summaryBox()->showPopup();
        const int n = w.summaryBox()->count();
        w.summaryBox()->hidePopup();
        return n;
    };
    const QString box = u"A következő adatállományokban sérült bejegyzések vannak:\n"_s +
                        q(s.data("szuletesnapok.dat")) + u" (1 sérült bejegyzés)\n\n"_s +
                        u"A program a sérült bejegyzéseket a lehető legjobban olvassa be, az "
                        u"állományokat nem javítja ki."_s;
    store(true);
    auto w = startLater();
    // The first frame: the reminders' list and the summary's line, which is the next reminder's.
    EXPECT_EQ(rows(*w), u"1000"_s);
    EXPECT_EQ(lines(*w), 1);
    EXPECT_EQ(w->summaryBox()->itemText(0), u"Emlékeztető | 2024.03.05. | 12:00 | Fogorvos"_s);
    s.dialogs.expect(Kind::Warning, box);
    w->finishStart();
    EXPECT_EQ(rows(*w), u"1111"_s);
    EXPECT_EQ(lines(*w), 4);
    EXPECT_EQ(w->summaryBox()->itemText(0), u"Emlékeztető | 2024.03.05. | 12:00 | Fogorvos"_s);
    w.reset();

    // With no reminder to show, the line is the next program's: its table is read within the start.
    store(false);
    w = startLater();
    EXPECT_EQ(rows(*w), u"1100"_s);
    EXPECT_EQ(w->summaryBox()->itemText(0), u"Program     | 2024.03.05. | 13:00 | /usr/bin/true"_s);
    s.dialogs.expect(Kind::Warning, box);
    w->finishStart();
    EXPECT_EQ(rows(*w), u"1111"_s);
    // A window closed before its start was finished ends at once, its reader with it.
    store(true);
    startLater().reset();
    // The program's reader started before the Data folder was known is taken only for that folder.
    test::Start other;
    other.open();
    other.store(EventKind::Reminder, {test::event(kDay, 12, 0, "Posta")});
    for (const test::Start* read : {&other, &s}) {
        MainWindow x(AppPaths{s.dir.path()},
                     Services{s.dialogs, s.clock, s.shell, s.sound, s.tray, s.autostart, s.alertNotifier,
                              s.runningNotifier},
                     nullptr, std::make_unique<DataReader>(read->dir.path() / "Data"));
        s.dialogs.expect(Kind::Warning, box);
        x.start();
        EXPECT_EQ(x.events().next(EventKind::Reminder).value().text, "Fogorvos");
    }
}

TEST(GuiStartup, AnUnreadablePartnerFileIsReportedAndKept) {
    test::Start s;
    std::filesystem::create_directories(s.data("partnerek.dat")); // opens but cannot be read
    // The error number as always, its cause, and on the next line the file to fix.
    s.dialogs.expect(Kind::Stop,
                     u"I/O error 21.\nAz állomány helyén egy mappa van.\n"_s + q(s.data("partnerek.dat")),
                     Dialogs::Ok, Dialogs::Ok);
    auto w = s.open();
    EXPECT_TRUE(std::filesystem::is_directory(s.data("partnerek.dat")));
    EXPECT_FALSE(std::filesystem::exists(s.cfgPath())); // start-up ended there
}

TEST(GuiStartup, DamagedRecordsAreReportedOnceWithTheirFilesAndLeftAsTheyAre) {
    test::Start s;
    withReminder(s);
    std::string partners = encodePartner(test::partner("Antal Ede")) + encodePartner(makerCard());
    partners[0] = 60;                  // a name longer than its field
    partners += std::string(100, 'x'); // a partial record
    test::writeFile(s.data("partnerek.dat"), partners);
    EventRecord noDate = test::event(dayNumber(2024, 3, 6), 8, 0, "Nincs dátum");
    noDate.date = std::numeric_limits<double>::quiet_NaN();
    std::string reminders = readFile(s.data("emlekeztetok.dat")) + encodeEvent(EventKind::Reminder, noDate);
    reminders += encodeEvent(EventKind::Reminder, test::event(dayNumber(2024, 3, 7), 8, 0, "Zászló"));
    reminders[reminders.size() - 280] = 7; // an active flag no version writes
    test::writeFile(s.data("emlekeztetok.dat"), reminders);
    s.dialogs.expect(Kind::Warning, u"A következő adatállományokban sérült bejegyzések vannak:\n"_s +
                                        q(s.data("partnerek.dat")) + u" (2 sérült bejegyzés)\n"_s +
                                        q(s.data("emlekeztetok.dat")) + u" (2 sérült bejegyzés)\n\n"_s +
                                        u"A program a sérült bejegyzéseket a lehető legjobban olvassa be, az "
                                        u"állományokat nem javítja ki."_s);
    auto w = s.open();
    EXPECT_EQ(readFile(s.data("partnerek.dat")) + readFile(s.data("emlekeztetok.dat")), partners + reminders);
    EXPECT_EQ(w->events().next(EventKind::Reminder).value().text, "Fogorvos"); // the rest is read
    EXPECT_EQ(w->partnerNames().size(), 2u);
}

TEST(GuiStartup, AShortSettingsFileIsReportedKeptAndWrittenOnlyOnSave) {
    test::Start s;
    withReminder(s);
    const std::string damaged = s.cfg().substr(0, 500);
    test::writeFile(s.cfgPath(), damaged);
    s.dialogs.expect(
        Kind::Stop,
        u"I/O error 100.\nAz állomány rövidebb egy teljes bejegyzésnél, valószínűleg sérült.\n"_s +
            q(s.cfgPath()),
        Dialogs::Ok, Dialogs::Ok);
    auto w = s.open();
    EXPECT_TRUE(s.cfg() == damaged && w->settings() == defaultSettings());
    EXPECT_TRUE(w->events().next(EventKind::Reminder).has_value()); // the rest of the start went on
    w->settingsTab()->save();
    EXPECT_EQ(s.cfg(), defaults());
}

TEST(GuiClock, AnActiveReminderFiresAtSecondZeroOfItsMinuteOnceAndAProgramGoesToTheShell) {
    Ticking a(at(9, 4, 50));
    a.store(EventKind::Reminder, {event(kDay, 9, 5, "Fogorvos")});
    a.store(EventKind::Program, {event(kDay, 9, 5, "/opt/Saját mentés/backup --full ")});
    a.w = a.open();
    EXPECT_EQ(a.tickThrough(at(9, 4, 51, 3), at(9, 8, 10, 3)), QStringList{u"Fogorvos@2024.03.05.|9:05"_s});
    EXPECT_TRUE(a.w->alertWindow()->isVisible());
    EXPECT_EQ(a.w->alertWindow()->windowTitle() + a.w->clockDisplay()->text(),
              u"Zelmoran  ( Aktív mód )9:08:10  "_s);
    EXPECT_TRUE(a.tray.hints.back() == u"Zelmoran  ( Aktív mód )"_s && a.tray.days.back() == 5);
    EXPECT_EQ(a.shell.calls,
              (std::vector<test::RecordingShell::Call>{{u"/opt/Saját mentés/backup --full "_s, {}}}));
}

TEST(GuiClock, AReminderDueInTheFirstSecondFiresThoughTheAlertsWindowIsMadeOnlyThen) {
    const auto windows = [] {
        std::pair<int, int> n;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            n.first += qobject_cast<AlertWindow*>(w) != nullptr;
            n.second += qobject_cast<MissedWindow*>(w) != nullptr;
        }
        return n;
    };
    const auto alertWindows = [&] { return windows().first; };
    const auto before = windows();
    Ticking a(at(9, 4, 59, 900));
    a.store(EventKind::Reminder, {event(kDay, 9, 5, "Fogorvos")});
    a.w = a.open();
    a.w->show();
    EXPECT_EQ(windows(), before) << "a start with nothing to greet or catch up made the alert's or the "
                                    "missed reminders' window";
    a.clock.set(at(9, 5, 0, 3));
    a.w->watch().tick();
    EXPECT_EQ(alertWindows(), before.first + 1);
    EXPECT_TRUE(a.w->alertWindow()->isVisible());
    EXPECT_EQ(test::child<QTextEdit>(a.w->alertWindow(), "reminderDisplay")->toPlainText(), u"Fogorvos"_s);
    EXPECT_EQ(a.sound.take(), QStringList{u"default loop"_s});
}

TEST(GuiClock, AReminderDueWhileTheStartWaitsForItsFirstFrameFiresAtTheFirstTick) {
    // A first start: no moment watched by an earlier run. The window is made just before the minute,
    // its first frame is drawn just after it.
    Ticking a(at(9, 4, 59, 900));
    a.store(EventKind::Reminder, {event(kDay, 9, 5, "Fogorvos")});
    a.w = std::make_unique<MainWindow>(AppPaths{a.dir.path()},
                                       Services{a.dialogs, a.clock, a.shell, a.sound, a.tray, a.autostart,
                                                a.alertNotifier, a.runningNotifier});
    a.w->start(MainWindow::StartNotice::Later);
    a.clock.set(at(9, 5, 0, 40));
    a.w->finishStart();
    a.clock.set(at(9, 5, 1, 2));
    a.w->watch().tick();
    ASSERT_TRUE(a.w->alertWindow()->isVisible());
    EXPECT_EQ(test::child<QTextEdit>(a.w->alertWindow(), "reminderDisplay")->toPlainText(), u"Fogorvos"_s);
    EXPECT_EQ(a.sound.take(), QStringList{u"default loop"_s});
    EXPECT_EQ(a.w->missedWindow()->count(), 0);
}

TEST(GuiClock, ALateTickFiresWhatARefreshMovedThePastAfterSecondZero) {
    // A window activation, a save and a long freeze between second 00 and the late tick.
    Ticking activated(at(9, 4, 50));
    activated.store(EventKind::Reminder, {event(kDay, 9, 5, "Aktiválás"), event(kDay, 9, 30, "Később")});
    activated.w = activated.open();
    activated.tick({at(9, 4, 59)});
    activated.clock.set(at(9, 5, 0, 500));
    QEvent activate(QEvent::WindowActivate);
    QCoreApplication::sendEvent(activated.w.get(), &activate);
    EXPECT_EQ(activated.tick({at(9, 5, 1)}), QStringList{u"Aktiválás@2024.03.05.|9:05"_s});
    Ticking saved(at(9, 4, 50));
    saved.store(EventKind::Program, {event(kDay, 9, 5, "/bin/true mentés")});
    saved.w = saved.open();
    saved.tick({at(9, 4, 59)});
    saved.clock.set(at(9, 5, 0, 600)); // a save ends here and rebuilds the table
    saved.w->state().reloadEvents(EventKind::Program);
    saved.tick({at(9, 5, 1), at(9, 5, 2)});
    EXPECT_EQ(saved.shell.calls,
              (std::vector<test::RecordingShell::Call>{{u"/bin/true mentés"_s, {}}})); // once
}

TEST(GuiClock, PassiveModeWarnsFiresNothingAndSwitchingBackCatchesNothingUp) {
    Ticking a(at(9, 4, 50));
    a.store(EventKind::Reminder, {event(kDay, 9, 5, "Fogorvos")});
    a.store(EventKind::Program, {event(kDay, 9, 5, "/bin/true ")});
    a.w = a.open();
    a.dialogs.expect(Dialogs::Kind::Warning, test::kPassiveWarning + u"gombra."_s, Dialogs::Ok, Dialogs::Ok);
    a.w->onModeButtonClicked();
    EXPECT_EQ(a.tickThrough(at(9, 4, 51), at(9, 5, 1)), QStringList());
    EXPECT_EQ(a.w->windowTitle() + a.w->clockDisplay()->text() + a.w->modeButton()->text(),
              u"Zelmoran - Passzív mód (Az esemény-figyelés felfüggesztve!)Aktív mód"_s);
    EXPECT_EQ(a.tray.hints.back(), a.w->windowTitle());
    a.clock.set(at(9, 5, 1, 600));
    a.w->onModeButtonClicked(); // no message when switching back
    EXPECT_TRUE(a.w->watch().active() && a.shell.calls.empty() &&
                !a.sound.take().contains(u"default loop"_s));
    EXPECT_EQ(a.w->windowTitle() + a.w->clockDisplay()->text() + a.w->modeButton()->text(),
              u"Zelmoran  ( Aktív mód )9:05:01  Passzív mód"_s);
    EXPECT_EQ(a.tray.hints.back(), u"Zelmoran - Aktív"_s);
    // From the tray menu (and the alert) the warning names the menu item.
    a.dialogs.expect(Dialogs::Kind::Warning, test::kPassiveWarning + u"menüpontra."_s);
    a.w->switchMode(MainWindow::ModeSource::TrayMenu);
    EXPECT_EQ(a.tray.hints.back(), u"Zelmoran - Passzív mód (Nincs figyelmeztetés!!)"_s);
    // With the warning windows off, or from start-up, nothing is shown.
    a.quiet();
    a.w = a.open();
    a.w->onModeButtonClicked();
    a.w->switchMode(MainWindow::ModeSource::TrayMenu);
    Settings passive = defaultSettings();
    passive.start = StartChoice::Passive;
    a.writeSettings(passive);
    EXPECT_FALSE(a.open()->watch().active());
}

TEST(GuiSummary, TheBoxShowsTheNextEventsOnOneLineAndOpensNothingByTypingOrTheWheel) {
    Ticking a(at(9, 5, 7));
    a.w = a.open();
    SummaryBox* box = a.w->summaryBox();
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(box->currentText(), u"Nincs soron következő bejegyzett esemény"_s);
    const auto store = [&](EventKind k, const EventRecord& r) {
        a.store(k, {r});
        a.w->state().reloadEvents(k);
    };
    store(EventKind::Reminder, event(kDay, 9, 30, "Fogorvos"));
    EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(test::items(box), QStringList{u"Emlékeztető | 2024.03.05. |  9:30 | Fogorvos"_s});
    box->showPopup(); // an open list is left alone
    store(EventKind::Program, event(kDay, 10, 0, "/bin/x "));
    EXPECT_EQ(box->count(), 1);
    box->hidePopup();
    a.w->state().updateNext();
    box->showPopup();
    EXPECT_EQ(box->itemText(1), u"Program     | 2024.03.05. | 10:00 | /bin/x "_s);
    box->hidePopup();
    box->setCurrentIndex(1);
    a.w->watch().tick();
    EXPECT_EQ(box->currentIndex(), 0);
    // Typing or turning the wheel over the closed box opens no event.
    a.w->pages()->setCurrentIndex(MainWindow::TabPartners);
    QTest::keyClicks(box, u"Pr"_s);
    QWheelEvent wheel({5, 5}, box->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    EXPECT_TRUE(a.w->pages()->currentIndex() == MainWindow::TabPartners && box->currentIndex() == 0);
    // A reminder of two lines shows on one, closed and open.
    store(EventKind::Reminder, event(kDay, 9, 30, "Fogorvos\r\nhozza a papírokat"));
    EXPECT_EQ(box->currentText(), u"Emlékeztető | 2024.03.05. |  9:30 | Fogorvos hozza a papírokat"_s);
    box->showPopup();
    EXPECT_EQ(box->itemText(0), box->currentText());
    box->hidePopup();
}

namespace {

// Today is 2024.03.05.: two celebrants within the default three days, and one just beyond them.
struct Celebrants : test::App {
    explicit Celebrants(bool atStart, bool atExit, int days = 3) {
        Settings s = defaultSettings();
        s.warnings = false;
        s.noticeAtStart = atStart;
        s.noticeAtExit = atExit;
        s.noticeDays = days;
        writeSettings(s);
        store(EventKind::NameDay, {event(dayNumber(1999, 3, 6), 0, 0, "Minta Anna"),
                                   event(dayNumber(2024, 3, 8), 0, 0, "Harmadnapi Huba")});
        store(EventKind::Birthday, {event(dayNumber(1980, 3, 7), 0, 0, "Kovács Béla")});
    }
    AlertWindow* notice() const { return w->alertWindow(); }
    bool noticeShown() const { return notice()->isVisible() && !get("noticeLayer")->isHidden(); }
    template <class W = QWidget> W* get(const char* name) const { return test::child<W>(notice(), name); }
    QStringList lines() const { return test::items(get<QListWidget>("celebrantList")); }
};

} // namespace

TEST(GuiNotice, AtStartUpItListsTheCelebrantsModallyWithTheLoopedSound) {
    Celebrants x(true, false);
    x.show();
    ASSERT_TRUE(x.noticeShown());
    EXPECT_EQ(x.notice()->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(x.notice()->size(), QSize(405, 153));
    EXPECT_EQ(x.lines(), (QStringList{u"Minta Anna  Névnapja: Március 6."_s,
                                      u"Kovács Béla  Születésnapja: Március 7."_s}));
    EXPECT_TRUE(x.sound.take().contains(u"default loop"_s));
    EXPECT_FALSE(x.get("closeNoticeButton")->isHidden());
    EXPECT_TRUE(x.get("backButton")->isHidden() && x.get("exitButton")->isHidden());
    x.notice()->closeNotice();
    EXPECT_FALSE(x.notice()->isVisible());
    EXPECT_EQ(x.exits, 0);
    // A reminder's alert afterwards holds nothing modally.
    x.notice()->showAlert(u"c"_s, u"Fogorvos"_s, u"k"_s);
    EXPECT_EQ(x.notice()->windowModality(), Qt::NonModal);
    EXPECT_EQ(x.notice()->size(), QSize(382, 156));
    EXPECT_TRUE(x.get("noticeLayer")->isHidden());
}

TEST(GuiNotice, LeftToTheFirstFrameItComesOverTheDrawnWindowWithTheSameLines) {
    const auto alertWindows = [] {
        const QWidgetList all = QApplication::topLevelWidgets();
        return std::count_if(all.begin(), all.end(),
                             [](QWidget* w) { return qobject_cast<AlertWindow*>(w); });
    };
    const auto before = alertWindows();
    Celebrants x(true, false);
    x.w = std::make_unique<MainWindow>(AppPaths{x.dir.path()},
                                       Services{x.dialogs, x.clock, x.shell, x.sound, x.tray, x.autostart,
                                                x.alertNotifier, x.runningNotifier});
    x.w->start(MainWindow::StartNotice::Later);
    EXPECT_EQ(alertWindows(), before) << "the notice came before the window";
    x.w->show();
    afterFirstFrame(*x.w, [&] { x.w->finishStart(); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return alertWindows() > before && x.noticeShown(); }, 3000));
    EXPECT_EQ(x.notice()->windowModality(), Qt::ApplicationModal);
    EXPECT_EQ(x.lines(), (QStringList{u"Minta Anna  Névnapja: Március 6."_s,
                                      u"Kovács Béla  Születésnapja: Március 7."_s}));
    EXPECT_TRUE(x.sound.take().contains(u"default loop"_s));
}

TEST(GuiNotice, AtShutdownBackKeepsTheProgramExitEndsItAndNothingToListEndsAtOnce) {
    {
        Celebrants x(false, true);
        x.show();
        EXPECT_FALSE(x.notice()->isVisible());
        x.sound.take();
        x.w->close();
        ASSERT_TRUE(x.noticeShown());
        EXPECT_EQ(x.lines().size(), 2);
        EXPECT_TRUE(x.get("closeNoticeButton")->isHidden());
        EXPECT_FALSE(x.get("backButton")->isHidden() || x.get("exitButton")->isHidden());
        for (const QString& call : x.sound.take())
            EXPECT_EQ(call, u"stop"_s); // no sound at shutdown
        x.notice()->backToProgram();
        EXPECT_TRUE(x.w->isVisible() && !x.notice()->isVisible() && x.exits == 0);
        // Closing again asks again, and so does the tray's "Kilépés"; "Kilépés >>" ends the program.
        x.w->close();
        ASSERT_TRUE(x.noticeShown());
        x.notice()->backToProgram();
        x.w->exitFromTray();
        ASSERT_TRUE(x.noticeShown());
        x.notice()->exitFromNotice();
        EXPECT_EQ(x.exits, 1);
    }
    {
        // With one day ahead nothing is ever listed: no notice at start, and the close ends at once.
        Celebrants x(true, true, 1);
        x.show();
        EXPECT_FALSE(x.notice()->isVisible());
        EXPECT_FALSE(x.sound.take().contains(u"default loop"_s));
        x.w->close();
        EXPECT_FALSE(x.notice()->isVisible());
        EXPECT_EQ(x.exits, 1);
    }
}

TEST(GuiNotice, AnAlertOnScreenIsAnsweredBeforeTheShutdownNoticeTakesItsWindow) {
    for (const bool edit : {false, true}) {
        Celebrants x(false, true);
        x.clock.set(Moment::at(2024, 3, 5, 9, 5, 59));
        x.store(EventKind::Reminder, {event(dayNumber(2024, 3, 5), 9, 6, "Fogorvos")});
        x.show();
        x.clock.set(Moment::at(2024, 3, 5, 9, 6, 0));
        x.w->watch().tick();
        ASSERT_TRUE(x.notice()->alertShown());
        x.sound.take();
        // Closing the program keeps the alert, its text and its sound.
        x.w->close();
        QCoreApplication::processEvents();
        EXPECT_TRUE(x.notice()->alertShown() && !x.noticeShown() && x.exits == 0);
        EXPECT_EQ(test::child<QTextEdit>(x.notice(), "reminderDisplay")->toPlainText(), u"Fogorvos"_s);
        EXPECT_TRUE(x.sound.take().isEmpty());
        auto* actions = x.get<QComboBox>("actionList");
        if (edit) {
            // "Esemény szerkesztése" goes back into the program: no notice follows.
            actions->setCurrentIndex(2);
            emit actions->activated(2);
            QCoreApplication::processEvents();
            EXPECT_TRUE(!x.notice()->isVisible() && x.w->isVisible() && x.exits == 0);
            EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabEvents);
            continue;
        }
        // Answered, the alert gives its window to the notice, which still offers both ways.
        QTest::keyClick(actions, Qt::Key_Return);
        QCoreApplication::processEvents();
        ASSERT_TRUE(x.noticeShown());
        EXPECT_EQ(x.lines().size(), 2);
        x.notice()->exitFromNotice();
        EXPECT_EQ(x.exits, 1);
    }
}

namespace {

QAction* trayItem(gui::QtTray& tray, const char* name) {
    return tray.menu()->findChild<QAction*>(QString::fromLatin1(name));
}

} // namespace

TEST(GuiTray, TheDayIconTheStartUpBalloonAndTheDayFollowingAtMidnight) {
    {
        // Started in the tray on the 31st: picture 31 and a balloon of ten seconds.
        test::App x(Moment::at(2025, 1, 31, 23, 59, 59));
        Settings s = defaultSettings();
        s.warnings = false;
        s.noticeAtStart = false;
        s.startInTray = true;
        x.writeSettings(s);
        x.show();
        ASSERT_FALSE(x.tray.days.empty());
        EXPECT_EQ(x.tray.days.back(), 31);
        EXPECT_EQ(x.tray.balloons,
                  QStringList{u"Zelmoran v1.6 - Névnapemlékeztető:|Ma: Marcella  |  Holnap: Ignác|10"_s});
        // The next tick after midnight shows picture 1.
        x.clock.set(Moment::at(2025, 2, 1, 0, 0, 0, 3));
        x.w->watch().tick();
        EXPECT_EQ(x.tray.days.back(), 1);
    }
    {
        // Started normally: three seconds.
        test::App x(Moment::at(2025, 1, 3, 9));
        x.quiet();
        x.show();
        EXPECT_EQ(x.tray.balloons.value(0).section(u'|', -1), u"3"_s);
    }
}

TEST(GuiTray, TheDayAndTheHintWaitForTheIconWhichTheFirstShowMakes) {
    gui::QtTray tray;
    tray.setDay(5);
    tray.setHint(u"Zelmoran ( Aktív mód )"_s);
    tray.showBalloon(u"Zelmoran"_s, u"Ma: Etelka"_s, 3);
    EXPECT_FALSE(tray.findChild<QSystemTrayIcon*>()) << "the icon was made before it was shown";
    EXPECT_FALSE(tray.isShown());
    tray.show();
    auto* icon = tray.findChild<QSystemTrayIcon*>();
    ASSERT_TRUE(icon);
    EXPECT_EQ(icon->toolTip(), u"Zelmoran ( Aktív mód )"_s);
    EXPECT_EQ(icon->icon().pixmap(16).toImage(), gui::dayIcon(5).pixmap(16).toImage());
    EXPECT_EQ(icon->contextMenu(), tray.menu());
    tray.setDay(6);
    EXPECT_EQ(icon->icon().pixmap(16).toImage(), gui::dayIcon(6).pixmap(16).toImage());
}

TEST(GuiTray, TheMenuFollowsTheWindowAndTheDayAndEachItemDoesItsWork) {
    test::App x(Moment::at(2025, 1, 3, 9));
    x.quiet();
    x.show();
    gui::QtTray tray;
    x.w->attachTray(tray);
    emit tray.menu()->aboutToShow();
    EXPECT_EQ(trayItem(tray, "todayItem")->text(), u"Ma: Genovéva és Benjámin"_s);
    EXPECT_EQ(trayItem(tray, "tomorrowItem")->text(), u"Holnap: Titusz és Leona"_s);
    EXPECT_TRUE(trayItem(tray, "windowItem")->isChecked());
    EXPECT_TRUE(trayItem(tray, "watchingItem")->isChecked());
    EXPECT_EQ(tray.menu()->defaultAction(), trayItem(tray, "windowItem"));
    // A click hides the window (it only minimises where no tray is shown), a second one shows it.
    emit tray.windowToggleRequested();
    EXPECT_TRUE(!x.w->isVisible() || x.w->isMinimized());
    emit tray.menu()->aboutToShow();
    EXPECT_FALSE(trayItem(tray, "windowItem")->isChecked());
    trayItem(tray, "windowItem")->trigger();
    EXPECT_TRUE(x.w->isVisible() && !x.w->isMinimized());

    trayItem(tray, "todayItem")->trigger();
    EXPECT_EQ(x.get<QLineEdit>("nameField")->text(), u" Genovéva"_s);
    trayItem(tray, "nameDaySearchItem")->trigger();
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabActions);
    trayItem(tray, "newEventItem")->trigger();
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabNewEvent);
    trayItem(tray, "watchingItem")->trigger();
    EXPECT_FALSE(x.w->watch().active());
    emit tray.menu()->aboutToShow();
    EXPECT_FALSE(trayItem(tray, "watchingItem")->isChecked());
    x.dialogs.expectInput(u"Adja meg HH.NN formátumban a keresett napot:\n(pl.: 01.23 , 11.10):"_s,
                          QString());
    trayItem(tray, "dayNamesItem")->trigger();
    EXPECT_EQ(x.exits, 0);
    trayItem(tray, "exitItem")->trigger();
    EXPECT_EQ(x.exits, 1);
}
// The page's controls come before the summary below them, and Tab goes round to the mode button.
TEST(GuiMainWindow, TabVisitsThePageThenTheSummaryBelowIt) {
    test::App x(Moment::at(2024, 3, 5, 8, 0, 30));
    x.store(EventKind::Reminder, {test::event(dayNumber(2024, 3, 6), 9, 0, "holnap")});
    x.show(MainWindow::TabEvents);
    x.w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(x.w.get()));
    x.get<QWidget>("deleteButton")->setFocus();
    const auto focusAfter = [&](Qt::Key key) {
        QTest::keyClick(x.w->focusWidget(), key);
        return x.w->focusWidget()->objectName();
    };
    EXPECT_EQ(focusAfter(Qt::Key_Tab), u"summaryBox"_s);
    EXPECT_EQ(focusAfter(Qt::Key_Tab), u"modeButton"_s);
    EXPECT_EQ(focusAfter(Qt::Key_Backtab), u"summaryBox"_s);
    EXPECT_EQ(focusAfter(Qt::Key_Backtab), u"deleteButton"_s);
}
