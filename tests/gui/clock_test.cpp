#include "core/events/event_record.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "gui/alert/alert_window.h"
#include "gui/widgets/summary_box.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>
#include <QTextEdit>
#include <QToolButton>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::Start;

namespace {

const DayNumber kDay = dayNumber(2024, 3, 5);

void store(const Start& s, EventKind k, std::vector<EventRecord> recs) {
    std::string bytes;
    for (const auto& r : recs)
        bytes += encodeEvent(k, r);
    std::filesystem::create_directories(s.dir.path() / "Data");
    replaceFile(s.data(eventFileName(k)), bytes);
}

EventRecord at(int h, int m, const char* text, bool active = true) {
    EventRecord r;
    r.active = active;
    r.text = utf8ToCp1250(text);
    r.date = static_cast<double>(kDay);
    r.time = storedFromMinute(h * 60 + m);
    return r;
}

// Ticks once a second, `ms` after each whole second, from..to inclusive; returns the seconds at which
// an alert was raised (the default sound started looping).
std::vector<std::string> tickThrough(Start& s, MainWindow& w, Moment from, Moment to, int ms = 3) {
    std::vector<std::string> fired;
    for (Moment t = from.plusMs(ms); t <= to.plusMs(ms); t = t.plusMs(1000)) {
        s.clock.set(t);
        s.sound.take();
        w.onClockTick();
        if (s.sound.take().contains(QStringLiteral("default loop")))
            fired.push_back(clockTimeText(t.hour(), t.minute(), t.second()));
    }
    return fired;
}

} // namespace

TEST(Clock, AnActiveReminderFiresAtSecondZeroOfItsMinuteOnly) {
    Start s;
    s.clock.set(Moment::at(2024, 3, 5, 9, 4, 50));
    store(s, EventKind::Reminder, {at(9, 5, "Fogorvos"), at(9, 7, "Alszik", false)});
    auto w = s.open();
    EXPECT_EQ(tickThrough(s, *w, Moment::at(2024, 3, 5, 9, 4, 51), Moment::at(2024, 3, 5, 9, 8, 10)),
              std::vector<std::string>{"9:05:00"});

    AlertWindow* alert = w->alertWindow();
    EXPECT_TRUE(alert->isVisible());
    EXPECT_EQ(alert->windowTitle(), QStringLiteral("Zelmoran  ( Aktív mód )"));
    EXPECT_EQ(alert->findChild<QTextEdit*>(QStringLiteral("reminderDisplay"))->toPlainText(),
              QStringLiteral("Fogorvos"));
    EXPECT_EQ(alert->occurrenceKey(), QStringLiteral("2024.03.05.|9:05"));
    EXPECT_EQ(alert->size(), QSize(382, 156));
    EXPECT_TRUE(alert->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_FALSE(alert->isModal());
    EXPECT_EQ(w->clockDisplay()->text(), QStringLiteral("9:08:10  "));
    EXPECT_EQ(s.tray.hints.back(), QStringLiteral("Zelmoran  ( Aktív mód )"));
    EXPECT_EQ(s.tray.days.back(), 5);
    EXPECT_TRUE(s.shell.calls.empty());
}

TEST(Clock, ALateTickStillFiresOnceWithinTheMinute) {
    Start s;
    s.clock.set(Moment::at(2024, 3, 5, 9, 4, 50));
    store(s, EventKind::Reminder, {at(9, 5, "Fogorvos")});
    auto w = s.open();
    s.clock.set(Moment::at(2024, 3, 5, 9, 4, 59, 900));
    w->onClockTick();
    s.sound.take();
    s.clock.set(Moment::at(2024, 3, 5, 9, 5, 2, 400)); // the second 00 never got a tick
    w->onClockTick();
    EXPECT_TRUE(s.sound.take().contains(QStringLiteral("default loop")));
    EXPECT_EQ(w->alertWindow()->occurrenceKey(), QStringLiteral("2024.03.05.|9:05"));
    EXPECT_TRUE(tickThrough(s, *w, Moment::at(2024, 3, 5, 9, 5, 3), Moment::at(2024, 3, 5, 9, 6, 0)).empty());
}

TEST(Clock, ALateTickFiresWhatARefreshMovedThePastAfterSecondZero) {
    // A window activation, a save and a long freeze between second 00 and the late tick.
    auto raised = [](Start& s) { return s.sound.take().contains(QStringLiteral("default loop")); };
    {
        Start s;
        s.clock.set(Moment::at(2024, 3, 5, 9, 4, 50));
        store(s, EventKind::Reminder, {at(9, 5, "Aktiválás"), at(9, 30, "Később")});
        auto w = s.open();
        s.clock.set(Moment::at(2024, 3, 5, 9, 4, 59, 2));
        w->onClockTick();
        s.clock.set(Moment::at(2024, 3, 5, 9, 5, 0, 500));
        w->onActivated();
        s.clock.set(Moment::at(2024, 3, 5, 9, 5, 1, 2));
        w->onClockTick();
        EXPECT_TRUE(raised(s));
        EXPECT_EQ(w->alertWindow()->findChild<QTextEdit*>(QStringLiteral("reminderDisplay"))->toPlainText(),
                  QStringLiteral("Aktiválás"));
    }
    {
        Start s;
        s.clock.set(Moment::at(2024, 3, 5, 9, 4, 50));
        store(s, EventKind::Program, {at(9, 5, "/bin/true mentés")});
        auto w = s.open();
        s.clock.set(Moment::at(2024, 3, 5, 9, 4, 59, 2));
        w->onClockTick();
        s.clock.set(Moment::at(2024, 3, 5, 9, 5, 0, 600)); // a save ends here and rebuilds the table
        w->state().reloadEvents(EventKind::Program);
        s.clock.set(Moment::at(2024, 3, 5, 9, 5, 1, 2));
        w->onClockTick();
        ASSERT_EQ(s.shell.calls.size(), 1u);
        EXPECT_EQ(s.shell.calls[0].file, QStringLiteral("/bin/true mentés"));
        w->onClockTick();
        EXPECT_EQ(s.shell.calls.size(), 1u); // once
    }
    {
        Start s;
        s.clock.set(Moment::at(2024, 3, 5, 9, 5, 40));
        store(s, EventKind::Reminder, {at(9, 6, "Elmaradt"), at(9, 7, "Megszólal")});
        auto w = s.open();
        s.clock.set(Moment::at(2024, 3, 5, 9, 5, 50, 2));
        w->onClockTick();
        s.clock.set(Moment::at(2024, 3, 5, 9, 7, 20, 2)); // ninety seconds without a tick
        w->onClockTick();
        EXPECT_TRUE(raised(s));
        EXPECT_EQ(w->alertWindow()->findChild<QTextEdit*>(QStringLiteral("reminderDisplay"))->toPlainText(),
                  QStringLiteral("Megszólal"));
        EXPECT_EQ(w->alertWindow()->occurrenceKey(), QStringLiteral("2024.03.05.|9:07"));
    }
}

TEST(Clock, PassiveModeFiresNothingAndSwitchingBackCatchesNothingUp) {
    Start s;
    s.clock.set(Moment::at(2024, 3, 5, 9, 4, 50));
    store(s, EventKind::Reminder, {at(9, 5, "Fogorvos")});
    store(s, EventKind::Program, {at(9, 5, "/bin/true ")});
    auto w = s.open();
    w->switchMode(MainWindow::ModeSource::ModeButton);
    s.dialogs.boxes.clear();
    EXPECT_TRUE(
        tickThrough(s, *w, Moment::at(2024, 3, 5, 9, 4, 51), Moment::at(2024, 3, 5, 9, 5, 1)).empty());
    EXPECT_EQ(w->clockDisplay()->text(), QString());
    EXPECT_EQ(w->windowTitle(),
              QStringLiteral("Zelmoran - Passzív mód (Az esemény-figyelés felfüggesztve!)"));
    EXPECT_EQ(s.tray.hints.back(), w->windowTitle());

    s.clock.set(Moment::at(2024, 3, 5, 9, 5, 1, 600));
    w->switchMode(MainWindow::ModeSource::ModeButton);
    EXPECT_TRUE(w->isActive());
    EXPECT_FALSE(s.sound.take().contains(QStringLiteral("default loop")));
    EXPECT_TRUE(s.shell.calls.empty());
    EXPECT_TRUE(s.dialogs.boxes.empty()); // no message when switching back
    EXPECT_EQ(w->windowTitle(), QStringLiteral("Zelmoran  ( Aktív mód )"));
    EXPECT_EQ(w->clockDisplay()->text(), QStringLiteral("9:05:01  "));
    EXPECT_EQ(s.tray.hints.back(), QStringLiteral("Zelmoran - Aktív"));
    EXPECT_EQ(w->modeButton()->text(), QStringLiteral("Passzív mód"));
    EXPECT_EQ(w->modeButton()->width(), 66);
}

TEST(Clock, AProgramsWholeCommandGoesToTheShellAtItsMinute) {
    Start s;
    s.clock.set(Moment::at(2024, 3, 5, 14, 29, 55));
    store(s, EventKind::Program,
          {at(14, 30, "/opt/Saját mentés/backup --full "), at(14, 31, "/bin/false ", false)});
    store(s, EventKind::Reminder, {at(14, 30, "Ugyanabban a percben")});
    auto w = s.open();
    const auto fired =
        tickThrough(s, *w, Moment::at(2024, 3, 5, 14, 29, 56), Moment::at(2024, 3, 5, 14, 32, 0));
    EXPECT_EQ(fired, std::vector<std::string>{"14:30:00"}); // the reminder of the same minute
    ASSERT_EQ(s.shell.calls.size(), 1u);
    EXPECT_EQ(s.shell.calls[0].file, QStringLiteral("/opt/Saját mentés/backup --full "));
    EXPECT_EQ(s.shell.calls[0].parameters, QString());
}

TEST(Clock, SwitchingToPassiveTellsWhereToSwitchBack) {
    const QString body =
        QStringLiteral("                             Ön passzív módba kapcsolta a programot.\n"
                       "        A program így nem tud szólni Önnek, ha egy esemény bekövetkezik,\n"
                       "            illetve nem tudnak frissülni a program naprakész elemei sem!\n"
                       "   Az aktív mód visszakapcsolásához kattinton mégegyszer erre a ");
    Start s;
    auto w = s.open();
    w->suspendWatching();
    ASSERT_EQ(s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(s.dialogs.boxes[0].kind, Dialogs::Kind::Warning);
    EXPECT_EQ(s.dialogs.boxes[0].caption, QStringLiteral("Figyelem!"));
    EXPECT_EQ(s.dialogs.boxes[0].buttons, Dialogs::Ok);
    EXPECT_EQ(s.dialogs.boxes[0].text, body + QStringLiteral("menüpontra."));
    EXPECT_EQ(w->modeButton()->text(), QStringLiteral("Aktív mód"));
    EXPECT_EQ(w->modeButton()->width(), 116);
    EXPECT_EQ(s.tray.hints.back(), QStringLiteral("Zelmoran - Passzív mód (Nincs figyelmeztetés!!)"));
    w->updateModeButtonHint();
    EXPECT_EQ(w->modeButton()->toolTip(), QStringLiteral("A program visszaállítása aktív módra"));
    w->onModeButtonClicked();
    w->updateModeButtonHint();
    EXPECT_EQ(w->modeButton()->toolTip(), QStringLiteral("A program passzív módra kapcsolása"));
    w->onModeButtonClicked();
    ASSERT_EQ(s.dialogs.boxes.size(), 2u);
    EXPECT_EQ(s.dialogs.boxes[1].text, body + QStringLiteral("gombra."));

    // With the warning windows off, or from start-up, nothing is shown.
    Settings quiet = defaultSettings();
    quiet.warnings = false;
    writeSettingsFile(s.dir.path() / kSettingsFileName, encodeSettings(quiet, SettingsBytes{}));
    auto w2 = s.open();
    w2->onModeButtonClicked();
    w2->onModeButtonClicked();
    w2->suspendWatching();
    Settings passive = defaultSettings();
    passive.start = StartChoice::Passive;
    writeSettingsFile(s.dir.path() / kSettingsFileName, encodeSettings(passive, SettingsBytes{}));
    auto w3 = s.open();
    EXPECT_FALSE(w3->isActive());
    EXPECT_EQ(w3->windowTitle(),
              QStringLiteral("Zelmoran - Passzív mód (Az esemény-figyelés felfüggesztve!)"));
    EXPECT_EQ(s.dialogs.boxes.size(), 2u);
}

TEST(Summary, TheBoxShowsTheNextEventAndIsDisabledWithoutOne) {
    Start s;
    auto w = s.open();
    SummaryBox* box = w->summaryBox();
    EXPECT_FALSE(box->isEnabled());
    EXPECT_EQ(box->currentText(), QStringLiteral("Nincs soron következő bejegyzett esemény"));

    store(s, EventKind::Reminder, {at(9, 30, "Fogorvos")});
    store(s, EventKind::NameDay, {at(0, 0, "Minta Anna")}); // today's name day is never next
    w->state().reloadEvents(EventKind::Reminder);
    w->state().reloadEvents(EventKind::NameDay);
    EXPECT_TRUE(box->isEnabled());
    EXPECT_EQ(box->currentText(), QStringLiteral("Emlékeztető | 2024.03.05. |  9:30 | Fogorvos"));
    EXPECT_EQ(box->count(), 1);
    box->showPopup();
    EXPECT_EQ(box->count(), 1);
    // An open list is left alone by the clock.
    store(s, EventKind::Program, {at(10, 0, "/bin/x ")});
    w->state().reloadEvents(EventKind::Program);
    EXPECT_EQ(box->count(), 1);
    box->hidePopup();
    w->state().updateNext();
    box->showPopup();
    EXPECT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(1), QStringLiteral("Program     | 2024.03.05. | 10:00 | /bin/x "));
    box->hidePopup();
    box->setCurrentIndex(1);
    w->onClockTick();
    EXPECT_EQ(box->currentIndex(), 0);

    // Typing or turning the wheel over the closed box opens no event.
    w->pages()->setCurrentIndex(MainWindow::TabPartners);
    QTest::keyClicks(box, QStringLiteral("Pr"));
    QWheelEvent wheel({5, 5}, box->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton, Qt::NoModifier,
                      Qt::NoScrollPhase, false);
    QApplication::sendEvent(box, &wheel);
    EXPECT_EQ(w->pages()->currentIndex(), MainWindow::TabPartners);
    EXPECT_EQ(box->currentIndex(), 0);

    // A reminder of two lines shows on one.
    store(s, EventKind::Reminder, {at(9, 30, "Fogorvos\r\nhozza a papírokat")});
    w->state().reloadEvents(EventKind::Reminder);
    EXPECT_EQ(box->currentText(),
              QStringLiteral("Emlékeztető | 2024.03.05. |  9:30 | Fogorvos hozza a papírokat"));
    box->showPopup();
    EXPECT_EQ(box->itemText(0), box->currentText());
    box->hidePopup();
}
