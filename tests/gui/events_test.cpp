#include "core/events/event_record.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "gui/alert/alert_window.h"
#include "gui/tabs/events_tab.h"
#include "gui/tabs/partners_tab.h"
#include "gui/widgets/listing_model.h"
#include "gui/widgets/month_calendar.h"
#include "gui/widgets/summary_box.h"
#include "support/app_fixture.h"
#include "support/gui_util.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTableWidget>
#include <QTest>
#include <QTimeEdit>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::readFile;
using zel::test::Start;

namespace {

EventRecord ev(int y, int mo, int d, int h, int mi, const char* text, std::uint8_t recurrence = 0) {
    EventRecord r;
    r.text = utf8ToCp1250(text);
    r.recurrence = recurrence;
    r.date = static_cast<double>(dayNumber(y, mo, d));
    r.time = storedFromMinute(h * 60 + mi);
    return r;
}

void store(const Start& s, EventKind k, const std::vector<EventRecord>& recs) {
    std::string bytes;
    for (const auto& r : recs)
        bytes += encodeEvent(k, r);
    std::filesystem::create_directories(s.dir.path() / "Data");
    replaceFile(s.data(eventFileName(k)), bytes);
}

std::vector<std::string> fileTexts(const Start& s, EventKind k) {
    std::vector<std::string> out;
    for (const auto& r : loadEventTable(s.data(eventFileName(k)), k).rows)
        out.push_back(cp1250ToUtf8(r.text) + "@" + dateText(*r.day).substr(5) + timeText(r.minute));
    return out;
}

struct Tab {
    Start s;
    std::unique_ptr<MainWindow> w;
    EventsTab* t = nullptr;
    explicit Tab(Moment now = Moment::at(2024, 3, 5, 9, 5, 7)) { s.clock.set(now); }
    void open() {
        w = s.open();
        w->show();
        t = w->eventsTab();
    }
    // The grid's text column, row by row.
    std::vector<std::string> listed() const {
        std::vector<std::string> out;
        for (int r = 0; r < static_cast<int>(t->model()->listedCount()); ++r)
            out.push_back(cp1250ToUtf8(t->model()->cellText(r, 4)));
        return out;
    }
    template <class W> W* get(const char* name) const { return zel::test::child<W>(t, name); }
    QTableView* grid() const { return get<QTableView>("eventGrid"); }
    QGroupBox* editor() const { return get<QGroupBox>("editGroup"); }
    void select(int row, int column) { grid()->setCurrentIndex(t->model()->index(row, column)); }
    void openEditor() const { QTest::keyClick(grid(), Qt::Key_Return); }
    void closeEditor() const { QTest::keyClick(get<QWidget>("editDate"), Qt::Key_Escape); }
    void apply() const { get<QPushButton>("applyButton")->click(); }
    void chooseKind(EventKind kind) const {
        auto* choice = get<QComboBox>("listingKindChoice");
        choice->setCurrentIndex(static_cast<int>(kindIndex(kind)));
        emit choice->activated(choice->currentIndex());
    }
    void showPast(bool on) {
        Settings st = defaultSettings();
        st.pastEvents = on;
        writeSettingsFile(s.dir.path() / kSettingsFileName, encodeSettings(st, SettingsBytes{}));
    }
};

using Rows = std::vector<std::string>;

} // namespace

TEST(Listing, TodayWithAndWithoutThePast) {
    Tab x;
    store(x.s, EventKind::Reminder,
          {ev(2024, 3, 4, 20, 0, "tegnap"), ev(2024, 3, 5, 9, 0, "reggel"), ev(2024, 3, 5, 9, 5, "most", 1),
           ev(2024, 3, 5, 10, 0, "később", 4), ev(2024, 3, 6, 8, 0, "holnap")});
    x.open();
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabEvents);
    EXPECT_EQ(x.listed(), (Rows{"később", "holnap"})); // "Mind" at start
    EXPECT_FALSE(x.get<QDateEdit>("rangeFrom")->isVisible() && x.get<QGroupBox>("nameDayGroup")->isVisible());
    x.get<QRadioButton>("todayFilter")->click();
    EXPECT_EQ(x.listed(), Rows{"később"});
    EXPECT_EQ(cp1250ToUtf8(x.t->model()->cellText(0, 1)), "Évente");
    EXPECT_EQ(x.t->model()->cellText(0, 0), "   *");
    EXPECT_EQ(x.t->model()->cellText(0, 2), "2024.03.05.");
    EXPECT_EQ(x.t->model()->cellText(0, 3), "10:00");
    x.get<QRadioButton>("tomorrowFilter")->click();
    EXPECT_EQ(x.listed(), Rows{"holnap"});

    x.showPast(true);
    x.open();
    x.get<QRadioButton>("todayFilter")->click();
    EXPECT_EQ(x.listed(), (Rows{"reggel", "most", "később"}));
    x.get<QRadioButton>("allFilter")->click();
    EXPECT_EQ(x.listed().size(), 5u);

    // An empty window: a disabled grid with one blank row.
    x.get<QDateEdit>("rangeFrom")->setDate(QDate(2030, 1, 1));
    EXPECT_TRUE(x.get<QRadioButton>("rangeFilter")->isChecked());
    EXPECT_TRUE(x.t->model()->isEmpty());
    EXPECT_EQ(x.t->model()->rowCount(), 1);
    EXPECT_FALSE(x.grid()->isEnabled());
    x.get<QDateEdit>("rangeFrom")->setDate(QDate(2024, 3, 5));
    EXPECT_EQ(x.get<QDateEdit>("rangeTo")->date(), QDate(2024, 3, 5));
    x.get<QDateEdit>("rangeTo")->setDate(QDate(2024, 3, 6));
    EXPECT_EQ(x.listed(), (Rows{"reggel", "most", "később", "holnap"}));
    x.get<QDateEdit>("rangeTo")->setDate(QDate(2024, 3, 1)); // raised back to the first day
    EXPECT_EQ(x.get<QDateEdit>("rangeTo")->date(), QDate(2024, 3, 5));
}

TEST(Listing, WeekAndMonthAndTheNameDaysOfTheFirstDay) {
    Tab sunday(Moment::at(2026, 12, 6, 12));
    store(sunday.s, EventKind::NameDay,
          {ev(2026, 11, 29, 0, 0, "előtte"), ev(2026, 11, 30, 0, 0, "hétfő"),
           ev(2026, 12, 6, 0, 0, "vasárnap"), ev(2026, 12, 7, 0, 0, "jövő hét"),
           ev(2026, 12, 31, 0, 0, "szilveszter"), ev(2027, 1, 1, 0, 0, "újév")});
    sunday.showPast(true);
    sunday.open();
    sunday.chooseKind(EventKind::NameDay);
    sunday.get<QRadioButton>("weekFilter")->click();
    EXPECT_EQ(sunday.listed(), (Rows{"hétfő", "vasárnap"}));
    EXPECT_EQ(sunday.get<QDateEdit>("rangeFrom")->date(), QDate(2026, 11, 30));
    EXPECT_EQ(sunday.get<QDateEdit>("rangeTo")->date(), QDate(2026, 12, 6));
    EXPECT_TRUE(sunday.grid()->isColumnHidden(1));
    EXPECT_TRUE(sunday.grid()->isColumnHidden(3));
    EXPECT_EQ(sunday.t->model()->headerData(4, Qt::Horizontal, Qt::DisplayRole).toString(),
              QStringLiteral("Névnap"));
    sunday.get<QRadioButton>("monthFilter")->click();
    EXPECT_EQ(sunday.listed(), (Rows{"vasárnap", "jövő hét", "szilveszter"}));
    EXPECT_EQ(sunday.get<QDateEdit>("rangeTo")->date(), QDate(2026, 12, 31));
    EXPECT_EQ(sunday.w->monthCalendar()->shownDate(), (Ymd{2026, 12, 6}));

    Tab monday(Moment::at(2026, 12, 7, 12));
    monday.open();
    monday.get<QRadioButton>("weekFilter")->click();
    EXPECT_EQ(monday.get<QDateEdit>("rangeFrom")->date(), QDate(2026, 12, 7));
    EXPECT_EQ(monday.get<QDateEdit>("rangeTo")->date(), QDate(2026, 12, 13));

    // 12.31 of the common calendar, whose line has no trailing space.
    monday.get<QDateEdit>("rangeFrom")->setDate(QDate(2026, 12, 31));
    ASSERT_EQ(monday.get<QComboBox>("nameDayList")->count(), 2);
    EXPECT_EQ(monday.get<QComboBox>("nameDayList")->itemText(0), QStringLiteral("12.31 névnapjai:"));
    EXPECT_EQ(monday.get<QComboBox>("nameDayList")->itemText(1), QStringLiteral("Szilveszter"));
    emit monday.get<QComboBox>("nameDayList")->activated(1);
    EXPECT_EQ(monday.w->pages()->currentIndex(), MainWindow::TabPartners);
    EXPECT_EQ(zel::test::child<QLineEdit>(monday.w->partnersTab(), "nameField")->text(),
              QStringLiteral(" Szilveszter"));
    EXPECT_EQ(zel::test::child<QLineEdit>(monday.w->partnersTab(), "nameField")->cursorPosition(), 0);
    EXPECT_EQ(monday.get<QComboBox>("nameDayList")->currentIndex(), 0);
}

TEST(Modification, DatesMoveTimesAreCheckedAndTextsStayInPlace) {
    Tab x(Moment::at(2024, 4, 1, 8));
    store(x.s, EventKind::Reminder,
          {ev(2024, 5, 1, 11, 0, "a"), ev(2024, 5, 2, 10, 0, "b"), ev(2024, 5, 3, 12, 0, "c")});
    x.open();
    x.select(0, 2);
    QTest::keyClick(x.grid(), Qt::Key_Return);
    ASSERT_TRUE(x.editor()->isVisible());
    EXPECT_EQ(x.get<QLabel>("editLabel")->text(), QStringLiteral("Dátum"));
    EXPECT_EQ(x.get<QPushButton>("todayButton")->text(), QStringLiteral("2024.04.01."));
    x.get<QDateEdit>("editDate")->setDate(QDate(2024, 5, 2));
    QTest::keyClick(x.get<QDateEdit>("editDate"), Qt::Key_Return);
    EXPECT_EQ(fileTexts(x.s, EventKind::Reminder), (Rows{"b@05.02.10:00", "a@05.02.11:00", "c@05.03.12:00"}));
    EXPECT_FALSE(x.editor()->isVisible());
    EXPECT_EQ(x.grid()->currentIndex(), x.t->model()->index(0, 2)); // the noted cell again

    // A taken minute, and an unchanged one, are refused.
    const std::string before = readFile(x.s.data("emlekeztetok.dat"));
    x.select(1, 3);
    x.openEditor();
    EXPECT_EQ(x.get<QLabel>("editLabel")->text(), QStringLiteral("Idő"));
    x.get<QTimeEdit>("editTime")->setTime(QTime(10, 0));
    x.apply();
    x.select(1, 3);
    x.openEditor();
    x.apply();
    ASSERT_EQ(x.s.dialogs.boxes.size(), 2u);
    for (const auto& box : x.s.dialogs.boxes) {
        EXPECT_EQ(box.kind, Dialogs::Kind::Information);
        EXPECT_TRUE(
            box.text.startsWith(QStringLiteral("A megadott napra és órára már felvett emlékeztetőt.\n\n")));
    }
    EXPECT_EQ(readFile(x.s.data("emlekeztetok.dat")), before);
    // Space in the time editor puts the current time in.
    QTest::keyClick(x.get<QTimeEdit>("editTime"), Qt::Key_Space);
    EXPECT_EQ(x.get<QTimeEdit>("editTime")->time(), QTime(8, 0));

    // The text of the middle row, in place: the neighbours' bytes stay.
    x.select(1, 4);
    x.openEditor();
    EXPECT_TRUE(x.get<QPlainTextEdit>("editReminderText")->isVisible());
    EXPECT_EQ(x.editor()->height(), 51);
    x.get<QPlainTextEdit>("editReminderText")->setPlainText(QStringLiteral("két\nsor"));
    QTest::keyClick(x.get<QPlainTextEdit>("editReminderText"), Qt::Key_Enter,
                    Qt::ControlModifier | Qt::KeypadModifier);
    const std::string after = readFile(x.s.data("emlekeztetok.dat"));
    EXPECT_EQ(after.substr(0, 280), before.substr(0, 280));
    EXPECT_EQ(after.substr(560), before.substr(560));
    EXPECT_EQ(fileTexts(x.s, EventKind::Reminder)[1], "két\r\nsor@05.02.11:00");
}

TEST(Modification, TheEditorNeverCoversItsRowAndTheTextStopsAtItsField) {
    Tab x(Moment::at(2024, 4, 1, 8));
    std::vector<EventRecord> many;
    for (int d = 1; d <= 12; ++d)
        many.push_back(ev(2024, 5, d, 9, 0, "nap"));
    store(x.s, EventKind::Reminder, many);
    x.open();
    QTableView* grid = x.grid();
    for (int row : {0, 3, 5, 11}) {
        for (int column : {2, 4}) {
            x.select(row, column);
            x.openEditor();
            ASSERT_FALSE(x.editor()->isHidden());
            const QRect cell = grid->visualRect(grid->currentIndex());
            const QPoint bottom = grid->viewport()->mapTo(x.t, cell.bottomLeft());
            EXPECT_GE(cell.top(), 0) << row;
            EXPECT_LT(bottom.y(), x.editor()->y()) << row << "," << column;
            x.closeEditor();
        }
    }
    EXPECT_TRUE(x.editor()->isHidden());
    EXPECT_EQ(grid->geometry().bottom() + 1,
              x.get<QPushButton>("deleteButton")->y() - 2); // the whole place again

    // Typing stops at the 255 bytes of the field; a line break takes two of them.
    x.select(0, 4);
    x.openEditor();
    x.get<QPlainTextEdit>("editReminderText")->clear();
    QTest::keyClicks(x.get<QPlainTextEdit>("editReminderText"), QString(250, u'a'));
    QTest::keyClick(x.get<QPlainTextEdit>("editReminderText"), Qt::Key_Return);
    QTest::keyClicks(x.get<QPlainTextEdit>("editReminderText"), QStringLiteral("bcdefgh"));
    EXPECT_EQ(x.get<QPlainTextEdit>("editReminderText")->toPlainText(),
              QString(250, u'a') + QStringLiteral("\nbcd"));
    x.get<QPlainTextEdit>("editReminderText")->insertPlainText(QStringLiteral("xyz"));
    x.get<QPlainTextEdit>("editReminderText")->moveCursor(QTextCursor::Start);
    x.get<QPlainTextEdit>("editReminderText")->insertPlainText(QStringLiteral("Ő"));
    EXPECT_EQ(x.get<QPlainTextEdit>("editReminderText")->toPlainText(),
              QString(250, u'a') + QStringLiteral("\nbcd"));
    QTest::keyClick(x.get<QPlainTextEdit>("editReminderText"), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(fileTexts(x.s, EventKind::Reminder)[0], std::string(250, 'a') + "\r\nbcd@05.01.9:00");
}

TEST(Modification, AHiddenEarlierEventOfTheSameDayDoesNotShiftTheRow) {
    Tab x(Moment::at(2024, 3, 5, 12));
    store(x.s, EventKind::Reminder,
          {ev(2024, 3, 5, 9, 0, "reggel"), ev(2024, 3, 5, 14, 0, "délután"), ev(2024, 3, 5, 18, 0, "este")});
    x.open();
    x.get<QRadioButton>("todayFilter")->click();
    ASSERT_EQ(x.listed(), (Rows{"délután", "este"}));
    x.select(1, 0);
    x.openEditor();
    x.get<QCheckBox>("editActive")->setChecked(false);
    x.apply();
    const auto t = loadEventTable(x.s.data("emlekeztetok.dat"), EventKind::Reminder);
    EXPECT_TRUE(t.rows[0].active);
    EXPECT_TRUE(t.rows[1].active);
    EXPECT_FALSE(t.rows[2].active);

    x.select(0, 0);
    x.s.dialogs.answers.push_back(Dialogs::Yes);
    QTest::keyClick(x.grid(), Qt::Key_Delete);
    EXPECT_EQ(fileTexts(x.s, EventKind::Reminder), (Rows{"reggel@03.05.9:00", "este@03.05.18:00"}));
}

TEST(Modification, AMissingProgramIsQuestionedAndADateMoveKeepsTheMinuteRule) {
    Tab x(Moment::at(2024, 3, 1, 8));
    store(x.s, EventKind::Program,
          {ev(2024, 3, 5, 9, 0, "/nincs/ilyen --x"), ev(2024, 3, 6, 9, 0, "/bin/sh ")});
    x.open();
    x.chooseKind(EventKind::Program);
    x.select(0, 4);
    x.openEditor();
    EXPECT_EQ(x.get<QLabel>("editLabel")->text(), QStringLiteral("Fájl"));
    EXPECT_TRUE(x.get<QPushButton>("editBrowseButton")->isVisible());
    QTest::keyClick(x.get<QLineEdit>("editProgramFile"), Qt::Key_Space); // no spaces in the command line
    EXPECT_EQ(x.get<QLineEdit>("editProgramFile")->text(), QStringLiteral("/nincs/ilyen --x"));
    x.s.dialogs.answers.push_back(Dialogs::Yes);
    x.apply();
    ASSERT_EQ(x.s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(x.s.dialogs.boxes[0].kind, Dialogs::Kind::Warning);
    EXPECT_EQ(x.s.dialogs.boxes[0].text,
              QStringLiteral("A megadott futtatandó állomány nem található!\nSzeretne egy újat megadni?"));
    EXPECT_EQ(x.s.dialogs.boxes[0].buttons, Dialogs::Yes | Dialogs::No);
    x.get<QLineEdit>("editProgramFile")->setText(QStringLiteral("/bin/sh -c true"));
    x.apply(); // exists: no question
    EXPECT_EQ(x.s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(fileTexts(x.s, EventKind::Program)[0], "/bin/sh -c true@03.05.9:00");

    // Moving the first program onto the second one's minute is refused.
    x.select(0, 2);
    x.openEditor();
    x.get<QDateEdit>("editDate")->setDate(QDate(2024, 3, 6));
    x.apply();
    ASSERT_EQ(x.s.dialogs.boxes.size(), 2u);
    EXPECT_TRUE(x.s.dialogs.boxes[1].text.startsWith(
        QStringLiteral("A megadott napra és órára már felvett futtatandó programot.")));
    EXPECT_EQ(fileTexts(x.s, EventKind::Program).size(), 2u);
}

TEST(Deletion, TheMiddleOfThreeTheOnlyOneAndNoAnswer) {
    Tab x(Moment::at(2024, 3, 1, 8));
    store(x.s, EventKind::Birthday,
          {ev(2024, 3, 5, 0, 0, "első"), ev(2024, 3, 5, 0, 0, "második"), ev(2024, 3, 5, 0, 0, "harmadik")});
    x.open();
    x.chooseKind(EventKind::Birthday);
    x.select(1, 2);
    x.s.dialogs.answers.push_back(Dialogs::No);
    x.get<QPushButton>("deleteButton")->click();
    EXPECT_EQ(fileTexts(x.s, EventKind::Birthday).size(), 3u);
    x.select(1, 2);
    x.s.dialogs.answers.push_back(Dialogs::Yes);
    x.get<QPushButton>("deleteButton")->click();
    ASSERT_EQ(x.s.dialogs.boxes.size(), 2u);
    EXPECT_EQ(x.s.dialogs.boxes[1].kind, Dialogs::Kind::Confirmation);
    EXPECT_EQ(x.s.dialogs.boxes[1].caption, QStringLiteral("Megerősítés"));
    EXPECT_EQ(x.s.dialogs.boxes[1].text, QStringLiteral("Valóban törölni szeretné azt a sort amiben áll?"));
    EXPECT_EQ(fileTexts(x.s, EventKind::Birthday), (Rows{"első@03.05.0:00", "harmadik@03.05.0:00"}));
    EXPECT_EQ(x.listed(), (Rows{"első", "harmadik"}));

    // With the warning windows off nothing is deleted, yet the listing is recomputed.
    Settings quiet = defaultSettings();
    quiet.warnings = false;
    writeSettingsFile(x.s.dir.path() / kSettingsFileName, encodeSettings(quiet, SettingsBytes{}));
    x.open();
    x.chooseKind(EventKind::Birthday);
    x.select(0, 2);
    x.get<QPushButton>("deleteButton")->click();
    EXPECT_EQ(fileTexts(x.s, EventKind::Birthday).size(), 2u);

    Tab one(Moment::at(2024, 3, 1, 8));
    store(one.s, EventKind::Reminder, {ev(2024, 3, 5, 9, 0, "egyetlen")});
    one.open();
    one.select(0, 4);
    one.s.dialogs.answers.push_back(Dialogs::Yes);
    one.get<QPushButton>("deleteButton")->click();
    EXPECT_EQ(readFile(one.s.data("emlekeztetok.dat")).size(), 0u);
    EXPECT_TRUE(one.t->model()->isEmpty());
    EXPECT_FALSE(one.grid()->isEnabled());
    EXPECT_TRUE(one.w->events().table(EventKind::Reminder).rows.empty());
}

TEST(Listing, KeysSkipTheRecurrenceColumn) {
    Tab x(Moment::at(2024, 3, 1, 8));
    store(x.s, EventKind::Reminder, {ev(2024, 3, 5, 9, 0, "a")});
    x.open();
    x.select(0, 0);
    QTest::keyClick(x.grid(), Qt::Key_Right);
    EXPECT_EQ(x.grid()->currentIndex().column(), 2);
    QTest::keyClick(x.grid(), Qt::Key_Left);
    EXPECT_EQ(x.grid()->currentIndex().column(), 0);
    x.select(0, 1);
    EXPECT_NE(x.grid()->currentIndex().column(), 1);
}

TEST(Listing, TabLeavesTheGridAndCtrlTabTurnsThePage) {
    Tab x(Moment::at(2024, 3, 1, 8));
    store(x.s, EventKind::Reminder, {ev(2024, 3, 5, 9, 0, "a"), ev(2024, 3, 6, 9, 0, "b")});
    x.open();
    QTableView* grid = x.grid();
    for (auto modifiers : {Qt::NoModifier, Qt::ShiftModifier}) {
        grid->setFocus();
        x.select(0, 2);
        QTest::keyClick(grid, modifiers == Qt::ShiftModifier ? Qt::Key_Backtab : Qt::Key_Tab, modifiers);
        EXPECT_NE(x.w->focusWidget(), grid);
        EXPECT_EQ(grid->currentIndex(), x.t->model()->index(0, 2));
    }
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabPartners);
}

TEST(Opening, TheAlertAndTheSummaryOpenTheirEvent) {
    // Past events hidden (the default) and name days listed, with one on the reminder's day.
    Tab x(Moment::at(2024, 3, 5, 14, 29, 58));
    store(
        x.s, EventKind::Reminder,
        {ev(2024, 3, 5, 9, 0, "Reggel"), ev(2024, 3, 5, 14, 30, "Fogorvos"), ev(2024, 3, 6, 8, 0, "Holnap")});
    store(x.s, EventKind::Program, {ev(2024, 3, 5, 14, 30, "/bin/true ")});
    store(x.s, EventKind::NameDay, {ev(2024, 3, 5, 0, 0, "Minta Anna"), ev(2024, 3, 9, 0, 0, "Minta Béla")});
    x.open();
    x.chooseKind(EventKind::NameDay);
    x.w->pages()->setCurrentIndex(MainWindow::TabNewEvent);
    x.s.clock.set(Moment::at(2024, 3, 5, 14, 30, 0, 5));
    x.w->onClockTick();
    AlertWindow* alert = x.w->alertWindow();
    ASSERT_TRUE(alert->isVisible());
    x.s.clock.set(Moment::at(2024, 3, 5, 14, 30, 4));
    alert->findChild<QComboBox*>(QStringLiteral("actionList"))->setCurrentIndex(2);
    alert->runChosenAction();
    EXPECT_FALSE(alert->isVisible());
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabEvents);
    EXPECT_EQ(x.get<QComboBox>("listingKindChoice")->currentIndex(), 0);
    ASSERT_TRUE(x.editor()->isVisible());
    EXPECT_EQ(x.grid()->currentIndex().column(), 3);
    EXPECT_EQ(cp1250ToUtf8(x.t->model()->cellText(x.grid()->currentIndex().row(), 4)), "Fogorvos");
    EXPECT_EQ(x.get<QLabel>("editLabel")->text(), QStringLiteral("Idő"));

    Tab y(Moment::at(2024, 3, 5, 10));
    store(y.s, EventKind::Program, {ev(2024, 3, 5, 14, 30, "/bin/true ")});
    y.open();
    SummaryBox* box = y.w->summaryBox();
    box->showPopup();
    box->hidePopup();
    box->setCurrentIndex(0);
    y.w->onSummaryChosen();
    EXPECT_EQ(y.get<QComboBox>("listingKindChoice")->currentIndex(), 1);
    EXPECT_TRUE(y.get<QRadioButton>("allFilter")->isChecked());
    EXPECT_TRUE(y.editor()->isVisible());
    EXPECT_EQ(y.get<QLabel>("editLabel")->text(), QStringLiteral("Idő"));
}

TEST(MonthCalendar, TheServiceViewShowsTheMonthAndPages) {
    Tab x(Moment::at(2025, 1, 31, 9));
    zel::test::writeFile(x.s.dir.path() / "szervizmod", "");
    x.open();
    MonthCalendar* c = x.w->monthCalendar();
    EXPECT_EQ(c->yearLabel->text(), QStringLiteral("2025"));
    EXPECT_EQ(c->monthLabel->text(), QStringLiteral("Január"));
    EXPECT_EQ(c->dayGrid->item(0, 2)->text(), QStringLiteral("1")); // 2025.01.01. was a Wednesday
    c->nextMonth();
    EXPECT_EQ(c->shownDate(), (Ymd{2025, 2, 28}));
    EXPECT_EQ(c->monthLabel->text(), QStringLiteral("Február"));
    c->previousMonth();
    c->previousMonth();
    EXPECT_EQ(c->shownDate(), (Ymd{2024, 12, 28}));
    EXPECT_EQ(c->yearLabel->text(), QStringLiteral("2024"));
    c->setCalendar({2025, 6, 1});
    EXPECT_EQ(c->dayGrid->item(0, 6)->text(), QStringLiteral("1"));
    EXPECT_EQ(c->dayGrid->item(0, 0)->text(), QString());
    EXPECT_EQ(c->dayGrid->item(1, 0)->text(), QStringLiteral("2"));
}
