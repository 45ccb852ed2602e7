#include "gui/alert/missed_window.h"
#include "support/app_fixture.h"

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::event;
using zel::test::readFile;
using zel::test::Ticking;
using enum zel::Recurrence;

namespace {

const DayNumber kDay = dayNumber(2024, 3, 5); // a Tuesday

Moment at(int h, int m, int s, int ms = 3, DayNumber day = kDay) {
    return Moment{day, ((h * 60LL + m) * 60 + s) * 1000 + ms};
}

// The records of a kind as "text@YYYY.MM.DD.H:MM", in file order.
std::string order(const test::Start& s, EventKind k) {
    std::string out;
    for (const EventRecord& r : test::readEvents(s.data(eventFileName(k)), k))
        out += cp1250ToUtf8(r.text) + "@" + dateText(static_cast<DayNumber>(r.date)) + " " +
               timeText(static_cast<int>(std::lround(r.time * 1440))) + " ";
    return out;
}

// A window with the warnings and the start-up notice off, over the given events.
struct Quiet : Ticking {
    explicit Quiet(Moment now, bool catchUp = false) : Ticking(now) {
        Settings s = defaultSettings();
        s.warnings = false;
        s.noticeAtStart = false;
        s.catchUpLaunches = catchUp;
        writeSettings(s);
        if (catchUp) test::writeFile(dir.path() / "beallitasok-tovabbi.ini", "run-missed-launches=on\n");
    }
    MissedWindow* missed() const { return w->missedWindow(); }
    std::string lastWatched() const { return readFile(data("utoljara-figyelve.txt")); }
};

} // namespace

TEST(GuiRecurrence, ARecurringEventFiresThenMovesOnAndEveryViewSeesItsNextDayAtOnce) {
    Quiet a(at(9, 4, 50));
    a.store(EventKind::Reminder,
            {event(kDay, 9, 5, "Heti megbeszélés", true, Weekly), event(kDay + 1, 8, 0, "Egyszeri")});
    a.store(EventKind::Program, {event(kDay, 9, 5, "/bin/true napi", true, Daily)});
    a.w = a.open();
    // The alert's key is where the record now stands, so "Esemény szerkesztése" finds it.
    EXPECT_EQ(a.tickThrough(at(9, 4, 51), at(9, 5, 2)), QStringList{u"Heti megbeszélés@2024.03.12.|9:05"_s});
    EXPECT_EQ(a.shell.calls.size(), 1u);
    EXPECT_EQ(order(a, EventKind::Reminder), "Egyszeri@2024.03.06. 8:00 Heti megbeszélés@2024.03.12. 9:05 ");
    EXPECT_EQ(order(a, EventKind::Program), "/bin/true napi@2024.03.06. 9:05 ");
    // Recurrence, activity, the time and the text went with it.
    const EventRecord moved = test::readEvents(a.data("emlekeztetok.dat"), EventKind::Reminder)[1];
    EXPECT_TRUE(moved.active && moved.recurrence == Weekly);
    EXPECT_EQ(a.w->state().next(EventKind::Reminder)->text, test::cp("Egyszeri"));
    EXPECT_EQ(a.w->state().next(EventKind::Program)->day, kDay + 1);
    a.w->summaryBox()->showPopup(); // the other lines are put in when the list opens
    EXPECT_EQ(test::items(a.w->summaryBox()),
              (QStringList{u"Emlékeztető | 2024.03.06. |  8:00 | Egyszeri"_s,
                           u"Program     | 2024.03.06. |  9:05 | /bin/true napi"_s}));
    a.w->summaryBox()->hidePopup();
    // The listing of next week finds it there, in the "Ismétel" column's words.
    const EventTable& reminders = a.w->state().table(EventKind::Reminder);
    EXPECT_EQ(listedRows(reminders, true, kDay + 7, kDay + 13, false, a.clock.now()),
              std::vector<std::size_t>{1});

    // A month's last day: the 31st of January falls on 29 February in a leap year, then stays on the 29th.
    Quiet m(at(23, 59, 58, 3, dayNumber(2024, 1, 31)));
    m.store(EventKind::Reminder, {event(dayNumber(2024, 1, 31), 23, 59, "Havi zárás", true, Monthly)});
    m.w = m.open();
    m.tick({at(23, 59, 59, 3, dayNumber(2024, 1, 31))});
    EXPECT_EQ(order(m, EventKind::Reminder), "Havi zárás@2024.02.29. 23:59 ");
    m.tickThrough(at(23, 59, 58, 3, dayNumber(2024, 2, 29)), at(23, 59, 59, 3, dayNumber(2024, 2, 29)));
    EXPECT_EQ(order(m, EventKind::Reminder), "Havi zárás@2024.03.29. 23:59 ");
}

TEST(GuiRecurrence, AnOccurrenceMovedOntoATakenMinuteFiresWithTheOtherInOneAlert) {
    Quiet a(at(9, 4, 59));
    a.store(EventKind::Reminder,
            {event(kDay, 9, 5, "Napi gyógyszer", true, Daily), event(kDay + 1, 9, 5, "Orvos")});
    a.w = a.open();
    EXPECT_EQ(a.tick({at(9, 5, 0)}), QStringList{u"Napi gyógyszer@2024.03.06.|9:05"_s});
    // Entered by hand one minute holds one reminder; moved there it joins the one there, after it.
    EXPECT_EQ(order(a, EventKind::Reminder), "Orvos@2024.03.06. 9:05 Napi gyógyszer@2024.03.06. 9:05 ");
    a.tick({at(9, 4, 59, 3, kDay + 1)});
    EXPECT_EQ(a.tick({at(9, 5, 0, 3, kDay + 1)}), QStringList{u"Orvos\n\nNapi gyógyszer@2024.03.06.|9:05"_s});
    EXPECT_EQ(order(a, EventKind::Reminder), "Orvos@2024.03.06. 9:05 Napi gyógyszer@2024.03.07. 9:05 ");
}

TEST(GuiRecurrence, DaylightSavingChangesInBudapestFireTheSkippedHourAtThreeAndTheRepeatedHourOnce) {
    // 31 March 2024, 2:00 CET → 3:00 CEST: 2:30 does not exist that day.
    const DayNumber spring = dayNumber(2024, 3, 31);
    Quiet a(at(1, 59, 58, 3, spring));
    a.offset = 60;
    a.clock.set(a.clock.now(), 60);
    a.store(EventKind::Reminder,
            {event(spring, 2, 30, "Tavaszi", true, Daily), event(spring, 2, 45, "Egyszer")});
    a.w = a.open();
    EXPECT_EQ(a.tick({at(1, 59, 59, 3, spring)}), QStringList());
    a.offset = 120;
    EXPECT_EQ(a.tick({at(3, 0, 0, 3, spring)}), QStringList{u"Tavaszi\n\nEgyszer@2024.04.01.|2:30"_s});
    EXPECT_FALSE(a.missed()->isVisible());
    EXPECT_EQ(order(a, EventKind::Reminder), "Egyszer@2024.03.31. 2:45 Tavaszi@2024.04.01. 2:30 ");

    // 27 October 2024, 3:00 CEST → 2:00 CET: the hour from 2:00 is lived twice, its reminders fire once.
    const DayNumber autumn = dayNumber(2024, 10, 27);
    Quiet b(at(2, 29, 58, 3, autumn));
    b.offset = 120;
    b.clock.set(b.clock.now(), 120);
    b.store(EventKind::Reminder, {event(autumn, 2, 30, "Őszi"), event(autumn, 2, 40, "Napi", true, Daily)});
    b.w = b.open();
    EXPECT_EQ(b.tickThrough(at(2, 29, 59, 3, autumn), at(2, 59, 59, 3, autumn)).size(), 2);
    b.offset = 60;
    EXPECT_EQ(b.tickThrough(at(2, 0, 0, 3, autumn), at(3, 0, 5, 3, autumn)), QStringList());
    EXPECT_FALSE(b.missed()->isVisible());
    EXPECT_EQ(order(b, EventKind::Reminder), "Őszi@2024.10.27. 2:30 Napi@2024.10.28. 2:40 ");
}

TEST(GuiMissed, ASuspendOfThreeHoursListsWhatFellDueOnceAndMovesTheRecurringOnes) {
    Quiet a(at(9, 0, 0));
    a.wayland = true;
    a.store(EventKind::Reminder,
            {event(kDay, 10, 0, "Ülés"), event(kDay, 11, 0, "Séta\r\nparkban", true, Daily),
             event(kDay, 12, 5, "Ebéd")});
    a.store(EventKind::Program, {event(kDay, 10, 30, "/bin/true mentés")});
    a.w = a.open();
    a.tick({at(9, 0, 1)});
    EXPECT_FALSE(a.missed()->isVisible());
    // Back three hours later, within 12:05: that one is on time, the rest was missed.
    EXPECT_EQ(a.tick({at(12, 5, 20)}), QStringList{u"Ebéd@2024.03.05.|12:05"_s});
    ASSERT_TRUE(a.missed()->isVisible());
    EXPECT_EQ(a.missed()->windowTitle(), u"Elmulasztott emlékeztetők"_s);
    EXPECT_EQ(
        a.missed()->lines(),
        (QStringList{u"2024.03.05. 10:00 | Ülés | Soha | 1 alkalommal"_s,
                     u"2024.03.05. 10:30 | Program: /bin/true mentés (nem indult el) | Soha | 1 alkalommal"_s,
                     u"2024.03.05. 11:00 | Séta parkban | Naponta | 1 alkalommal"_s}));
    EXPECT_TRUE(a.shell.calls.empty());
    EXPECT_TRUE(test::child<QLabel>(a.missed(), "launchNote")->isVisible());
    EXPECT_EQ(a.alertNotifier.calls.back(),
              u"Elmulasztott emlékeztetők|3 esemény járt le, amíg a Zelmoran nem figyelhetett.|Megnyitás"_s);
    EXPECT_EQ(order(a, EventKind::Reminder),
              "Ülés@2024.03.05. 10:00 Ebéd@2024.03.05. 12:05 Séta\r\nparkban@2024.03.06. 11:00 ");
    // Said once: the next looks add nothing, and the moment is kept for the next run at once.
    a.tickThrough(at(12, 5, 21), at(12, 5, 30));
    EXPECT_EQ(a.missed()->count(), 3);
    EXPECT_EQ(a.lastWatched(), "2024.03.05. 12:05:20\n");

    // Two days asleep: a daily one counts every occurrence it missed, and a second miss joins the list.
    a.tick({at(11, 0, 30, 3, kDay + 3)});
    EXPECT_EQ(a.missed()->lines().mid(3),
              QStringList{u"2024.03.06. 11:00 | Séta parkban | Naponta | 3 alkalommal"_s});
    EXPECT_EQ(order(a, EventKind::Reminder),
              "Ülés@2024.03.05. 10:00 Ebéd@2024.03.05. 12:05 Séta\r\nparkban@2024.03.09. 11:00 ");
    // "Bezár" empties the window.
    auto* close = test::child<QPushButton>(a.missed(), "closeMissedButton");
    EXPECT_EQ(close->text(), u"Bezár"_s);
    close->click();
    EXPECT_TRUE(!a.missed()->isVisible() && a.missed()->count() == 0);
}

TEST(GuiMissed, MissedLaunchesRunLateOnlyWhenTheSettingAsks) {
    Quiet a(at(9, 0, 0), true);
    a.store(EventKind::Program,
            {event(kDay, 10, 30, "/bin/true mentés"), event(kDay, 11, 0, "/bin/true heti", true, Weekly)});
    a.w = a.open();
    ASSERT_TRUE(a.w->settings().catchUpLaunches);
    a.tick({at(9, 0, 1), at(12, 0, 1)});
    EXPECT_EQ(a.shell.calls, (std::vector<test::RecordingShell::Call>{{u"/bin/true mentés"_s, {}},
                                                                      {u"/bin/true heti"_s, {}}}));
    EXPECT_EQ(
        a.missed()->lines(),
        (QStringList{
            u"2024.03.05. 10:30 | Program: /bin/true mentés (most elindult) | Soha | 1 alkalommal"_s,
            u"2024.03.05. 11:00 | Program: /bin/true heti (most elindult) | Hetente | 1 alkalommal"_s}));
    EXPECT_EQ(order(a, EventKind::Program),
              "/bin/true mentés@2024.03.05. 10:30 /bin/true heti@2024.03.12. 11:00 ");
}

TEST(GuiMissed, PassiveTimeIsAChoiceNotAMiss) {
    Quiet a(at(9, 0, 0));
    a.store(EventKind::Reminder, {event(kDay, 10, 0, "Ülés"), event(kDay, 11, 0, "Séta", true, Daily)});
    a.w = a.open();
    a.w->onModeButtonClicked();
    ASSERT_FALSE(a.w->watch().active());
    EXPECT_EQ(a.tick({at(9, 0, 1), at(12, 0, 1)}), QStringList());
    a.w->onModeButtonClicked();
    EXPECT_EQ(a.tick({at(12, 0, 2)}), QStringList());
    EXPECT_FALSE(a.missed()->isVisible());
    // The recurring one still moved on, quietly, so it comes again tomorrow.
    EXPECT_EQ(order(a, EventKind::Reminder), "Ülés@2024.03.05. 10:00 Séta@2024.03.06. 11:00 ");
}

TEST(GuiMissed, AStartAfterTwoDaysOffListsWhatFellDueSinceTheLastRunAndNothingWithoutItsFile) {
    const Moment start = at(9, 30, 0, 3, kDay + 2);
    const auto events = [](test::Start& s) {
        s.store(EventKind::Reminder,
                {event(kDay - 10, 8, 0, "Régi heti", true, Weekly), event(kDay, 8, 0, "Elmúlt"),
                 event(kDay, 18, 0, "Este"), event(kDay + 1, 7, 0, "Napi", true, Daily),
                 event(kDay + 3, 9, 0, "Holnap")});
    };
    for (const char* file : std::initializer_list<const char*>{"2024.03.05. 12:00:00\n", "",
                                                               "2024.13.05. 12:00:00\n", nullptr}) {
        SCOPED_TRACE(file ? file : "no file");
        Quiet a(start);
        events(a);
        std::filesystem::create_directories(a.data(""));
        if (file) test::writeFile(a.data("utoljara-figyelve.txt"), file);
        a.w = a.open();
        const bool known = file && std::string(file) == "2024.03.05. 12:00:00\n";
        EXPECT_EQ(a.missed()->isVisible(), known);
        if (known) {
            EXPECT_EQ(a.missed()->lines(),
                      (QStringList{u"2024.03.05. 18:00 | Este | Soha | 1 alkalommal"_s,
                                   u"2024.03.06. 7:00 | Napi | Naponta | 2 alkalommal"_s}));
            EXPECT_EQ(a.lastWatched(), "2024.03.07. 09:30:00\n");
        } else {
            // A damaged file is left until the next save.
            EXPECT_EQ(a.lastWatched(), file ? file : "");
        }
        // Recurring events left in the past move on either way.
        EXPECT_EQ(order(a, EventKind::Reminder),
                  "Elmúlt@2024.03.05. 8:00 Este@2024.03.05. 18:00 Napi@2024.03.08. 7:00 "
                  "Holnap@2024.03.08. 9:00 Régi heti@2024.03.09. 8:00 ");
    }
}

TEST(GuiMissed, WithTheNoticeLeftForTheFirstFrameWhatFellDueStillComesAfterIt) {
    test::App a(at(9, 30, 0, 3, kDay + 2));
    Settings s = defaultSettings();
    s.warnings = false;
    a.writeSettings(s);
    a.store(EventKind::Reminder, {event(kDay, 18, 0, "Este")});
    a.store(EventKind::NameDay, {event(dayNumber(1999, 3, 8), 0, 0, "Minta Anna")});
    std::filesystem::create_directories(a.data(""));
    test::writeFile(a.data("utoljara-figyelve.txt"), "2024.03.05. 12:00:00\n");
    a.w = std::make_unique<MainWindow>(AppPaths{a.dir.path()},
                                       Services{a.dialogs, a.clock, a.shell, a.sound, a.tray, a.autostart,
                                                a.alertNotifier, a.runningNotifier});
    a.w->start(MainWindow::StartNotice::Later);
    EXPECT_FALSE(a.w->missedWindow()->isVisible()) << "listed before the notice";
    EXPECT_TRUE(a.alertNotifier.calls.isEmpty());
    a.w->finishStart();
    EXPECT_TRUE(a.w->alertWindow()->isVisible());
    EXPECT_TRUE(a.w->missedWindow()->isVisible());
    EXPECT_EQ(a.w->missedWindow()->lines(), QStringList{u"2024.03.05. 18:00 | Este | Soha | 1 alkalommal"_s});
}

TEST(GuiMissed, TheMomentWatchedIsKeptEveryFiveMinutesAndAtExitNeverEverySecond) {
    Quiet a(at(9, 0, 0));
    a.w = a.open();
    a.tickThrough(at(9, 0, 1), at(9, 4, 59));
    EXPECT_FALSE(std::filesystem::exists(a.data("utoljara-figyelve.txt")));
    a.tick({at(9, 5, 0)});
    EXPECT_EQ(a.lastWatched(), "2024.03.05. 09:05:00\n");
    a.tick({at(9, 5, 1), at(9, 6, 30)});
    EXPECT_EQ(a.lastWatched(), "2024.03.05. 09:05:00\n");
    a.w->close();
    EXPECT_EQ(a.exits, 1);
    EXPECT_EQ(a.lastWatched(), "2024.03.05. 09:06:30\n");
}

TEST(GuiMissed, TheListKeepsItsRoomAndCountsTheRest) {
    MissedWindow window;
    std::vector<MissedEvent> many(MissedWindow::kMaxLines + 2, {EventKind::Reminder, "x", kDay, 60});
    window.add(many);
    EXPECT_EQ(window.lines().size(), MissedWindow::kMaxLines);
    EXPECT_EQ(window.count(), MissedWindow::kMaxLines + 2);
    auto* note = test::child<QLabel>(&window, "overflowNote");
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), u"További 2 elmulasztott esemény nem fér a listába."_s);
    test::child<QPushButton>(&window, "closeMissedButton")->click();
    EXPECT_TRUE(window.count() == 0 && note->isHidden());
}
