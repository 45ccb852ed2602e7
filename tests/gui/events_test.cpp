#include "core/text/cp1250.h"
#include "support/app_fixture.h"

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::event;
using zel::test::readFile;
using Kind = Dialogs::Kind;
using Rows = std::vector<std::string>;

namespace {

EventRecord ev(int mo, int d, int h, int mi, const char* text, Recurrence recurrence = Recurrence::Never) {
    return test::event(dayNumber(2024, mo, d), h, mi, text, true, recurrence);
}

const QString kDeleteQuestion = u"Valóban törölni szeretné azt a sort amiben áll?"_s;

struct Tab : test::App {
    using App::App;
    EventsTab* t() const { return w->eventsTab(); }
    // The grid's text column, row by row.
    Rows listed() const {
        Rows out;
        for (int r = 0; r < static_cast<int>(t()->model()->listedCount()); ++r)
            out.push_back(cp1250ToUtf8(t()->model()->cellText(r, 4)));
        return out;
    }
    // The file's records as "text@MM.DD.H:MM".
    Rows file(EventKind k) const {
        Rows out;
        const EventTable t = loadEventTable(data(eventFileName(k)), k);
        for (const auto& r : t.rows)
            out.push_back(cp1250ToUtf8(std::string(t.text(r))) + "@" + dateText(*r.day).substr(5) +
                          timeText(r.minute));
        return out;
    }
    QTableView* grid() const { return get<QTableView>("eventGrid"); }
    QWidget* editor() const { return get("editGroup"); }
    QPlainTextEdit* editText() const { return get<QPlainTextEdit>("editReminderText"); }
    QDateEdit* date(const char* name) const { return get<QDateEdit>(name); }
    QString editLabel() const { return get<QLabel>("editLabel")->text(); }
    void select(int row, int column) { grid()->setCurrentIndex(t()->model()->index(row, column)); }
    void edit(int row, int column) {
        select(row, column);
        QTest::keyClick(grid(), Qt::Key_Return);
    }
    void chooseKind(EventKind kind) const {
        auto* choice = get<QComboBox>("listingKindChoice");
        choice->setCurrentIndex(static_cast<int>(kindIndex(kind)));
        emit choice->activated(choice->currentIndex());
    }
};

const DayNumber kDay = dayNumber(2024, 3, 5);

struct NewEvent : test::App {
    // Early in the morning, so the minutes the tests add lie ahead.
    NewEvent() : App(Moment::at(2024, 3, 5, 7, 0, 30)) {}
    NewEventTab* t() const { return w->newEventTab(); }
    QPlainTextEdit* text() const { return get<QPlainTextEdit>("reminderText"); }
    void add(int h, int m, int sec = 0) const {
        get<QTimeEdit>("timePicker")->setTime(QTime(h, m, sec));
        click("addButton");
    }
    void reminder(const QString& content, int h, int m, int sec = 0) {
        t()->selectKind(EventKind::Reminder);
        text()->setPlainText(content);
        add(h, m, sec);
    }
    void program(const QString& file, const QString& parameters, int h, int m) {
        t()->selectKind(EventKind::Program);
        setText("programFile", file);
        setText("programParameters", parameters);
        add(h, m);
    }
};

} // namespace

TEST(GuiListing, TheFiltersARangeThatStaysInOrderAndTheNameDaysOfItsFirstDay) {
    Tab x(Moment::at(2024, 3, 5, 9, 5, 7));
    x.store(EventKind::Reminder, {ev(3, 4, 20, 0, "tegnap"), ev(3, 5, 9, 0, "reggel"),
                                  ev(3, 5, 10, 0, "később", Recurrence::Yearly), ev(3, 6, 8, 0, "holnap")});
    x.show();
    EXPECT_EQ(x.listed(), (Rows{"később", "holnap"})); // "Mind" at start, without the past
    Settings past = defaultSettings();
    past.pastEvents = true;
    x.writeSettings(past);
    x.show();
    x.click("todayFilter");
    EXPECT_EQ(x.listed(), (Rows{"reggel", "később"}));
    // An empty range: a disabled grid with one blank row; an end before the start is raised to it.
    x.date("rangeFrom")->setDate(QDate(2030, 1, 1));
    EXPECT_TRUE(x.checked("rangeFilter"));
    EXPECT_TRUE(x.t()->model()->isEmpty() && x.t()->model()->rowCount() == 1 && !x.grid()->isEnabled());
    x.date("rangeFrom")->setDate(QDate(2024, 3, 5));
    x.date("rangeTo")->setDate(QDate(2024, 3, 1));
    EXPECT_EQ(x.date("rangeTo")->date(), QDate(2024, 3, 5));
    x.date("rangeTo")->setDate(QDate(2024, 3, 6));
    EXPECT_EQ(x.listed(), (Rows{"reggel", "később", "holnap"}));
    // 12.31 of the common calendar, whose line has no trailing space; a name starts a new partner.
    x.date("rangeFrom")->setDate(QDate(2026, 12, 31));
    auto* names = x.get<QComboBox>("nameDayList");
    EXPECT_EQ(test::items(names), (QStringList{u"12.31 névnapjai:"_s, u"Szilveszter"_s}));
    emit names->activated(1);
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabPartners);
    EXPECT_TRUE(x.get<QLineEdit>("nameField")->text() == u" Szilveszter"_s && names->currentIndex() == 0);
}

TEST(GuiListing, TabLeavesTheGridAndCtrlTabTurnsThePage) {
    Tab x(Moment::at(2024, 3, 1, 8));
    x.store(EventKind::Reminder, {ev(3, 5, 9, 0, "a"), ev(3, 6, 9, 0, "b")});
    x.show();
    QTableView* grid = x.grid();
    x.select(0, 0); // the keys skip the recurrence column
    QTest::keyClick(grid, Qt::Key_Right);
    EXPECT_EQ(grid->currentIndex().column(), 2);
    QTest::keyClick(grid, Qt::Key_Left);
    EXPECT_EQ(grid->currentIndex().column(), 0);
    for (auto [key, modifiers] :
         {std::pair{Qt::Key_Tab, Qt::NoModifier}, {Qt::Key_Backtab, Qt::ShiftModifier}}) {
        grid->setFocus();
        x.select(0, 2);
        QTest::keyClick(grid, key, modifiers);
        EXPECT_TRUE(x.w->focusWidget() != grid && grid->currentIndex() == x.t()->model()->index(0, 2));
    }
    grid->setFocus();
    QTest::keyClick(grid, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabPartners);
}

TEST(GuiModification, DatesMoveTimesAreCheckedAndTextsStayInPlace) {
    Tab x(Moment::at(2024, 4, 1, 8));
    x.store(EventKind::Reminder, {ev(5, 1, 11, 0, "a"), ev(5, 2, 10, 0, "b"), ev(5, 3, 12, 0, "c")});
    x.show();
    x.edit(0, 2);
    EXPECT_EQ(x.editLabel(), u"Dátum"_s);
    x.date("editDate")->setDate(QDate(2024, 5, 2));
    QTest::keyClick(x.get("editDate"), Qt::Key_Return);
    EXPECT_EQ(x.file(EventKind::Reminder), (Rows{"b@05.02.10:00", "a@05.02.11:00", "c@05.03.12:00"}));
    EXPECT_EQ(x.grid()->currentIndex(), x.t()->model()->index(0, 2)); // the noted cell again
    // A taken minute, and an unchanged one, are refused.
    const std::string before = readFile(x.data("emlekeztetok.dat"));
    x.dialogs.expect(Kind::Information, minuteTakenMessage(true));
    x.dialogs.expect(Kind::Information, minuteTakenMessage(true));
    x.edit(1, 3);
    EXPECT_EQ(x.editLabel(), u"Idő"_s);
    x.get<QTimeEdit>("editTime")->setTime(QTime(10, 0));
    x.click("applyButton");
    x.edit(1, 3);
    x.click("applyButton");
    EXPECT_EQ(readFile(x.data("emlekeztetok.dat")), before);
    // The text of the middle row, saved with Ctrl and the keypad's Enter, in place.
    x.edit(1, 4);
    x.editText()->setPlainText(u"két\nsor"_s);
    QTest::keyClick(x.editText(), Qt::Key_Enter, Qt::ControlModifier | Qt::KeypadModifier);
    EXPECT_EQ(x.file(EventKind::Reminder),
              (Rows{"b@05.02.10:00", "két\r\nsor@05.02.11:00", "c@05.03.12:00"}));
    // A file changed underneath writes nothing.
    x.store(EventKind::Reminder, {ev(5, 9, 9, 0, "más")});
    x.dialogs.expect(Kind::Warning,
                     u"Az esemény időközben megváltozott, ezért nem írtam át. Kérem, nézze meg újra "
                     u"a listát."_s);
    x.edit(1, 4);
    x.editText()->setPlainText(u"új"_s);
    x.click("applyButton");
    EXPECT_EQ(x.file(EventKind::Reminder), Rows{"más@05.09.9:00"});
}

TEST(GuiModification, TheEditorNeverCoversItsRowAndTheTextStopsAtItsField) {
    Tab x(Moment::at(2024, 4, 1, 8));
    std::vector<EventRecord> many;
    for (int d = 1; d <= 12; ++d)
        many.push_back(ev(5, d, 9, 0, "nap"));
    x.store(EventKind::Reminder, many);
    x.show();
    QTableView* grid = x.grid();
    const int fullHeight = grid->height();
    for (int row : {0, 3, 5, 11}) {
        for (int column : {2, 4}) {
            x.edit(row, column);
            const QRect cell = grid->visualRect(grid->currentIndex());
            EXPECT_GE(cell.top(), 0) << row;
            EXPECT_LT(grid->viewport()->mapTo(x.t(), cell.bottomLeft()).y(), x.editor()->y())
                << row << "," << column;
            EXPECT_LT(grid->height(), fullHeight); // the editor takes its room from the grid
            QTest::keyClick(x.get("editDate"), Qt::Key_Escape);
        }
    }
    EXPECT_TRUE(x.editor()->isHidden());
    // The whole place again, above the delete button.
    EXPECT_EQ(grid->height(), fullHeight);
    EXPECT_LT(grid->geometry().bottom(), x.get("deleteButton")->geometry().top());
    // Typing stops at the 255 bytes of the field; a line break takes two of them.
    x.edit(0, 4);
    x.editText()->clear();
    QTest::keyClicks(x.editText(), QString(250, u'a'));
    QTest::keyClick(x.editText(), Qt::Key_Return);
    QTest::keyClicks(x.editText(), u"bcdefgh"_s);
    const QString full = QString(250, u'a') + u"\nbcd"_s;
    EXPECT_EQ(x.editText()->toPlainText(), full);
    x.editText()->moveCursor(QTextCursor::Start);
    x.editText()->insertPlainText(u"Ő"_s);
    EXPECT_EQ(x.editText()->toPlainText(), full);
    QTest::keyClick(x.editText(), Qt::Key_Return, Qt::ControlModifier);
    EXPECT_EQ(x.file(EventKind::Reminder)[0], std::string(250, 'a') + "\r\nbcd@05.01.9:00");
}

TEST(GuiModification, AHiddenEarlierEventOfTheSameDayDoesNotShiftTheRow) {
    Tab x(Moment::at(2024, 3, 5, 12));
    x.store(EventKind::Reminder,
            {ev(3, 5, 9, 0, "reggel"), ev(3, 5, 14, 0, "délután"), ev(3, 5, 18, 0, "este")});
    x.show();
    x.click("todayFilter");
    ASSERT_EQ(x.listed(), (Rows{"délután", "este"}));
    x.edit(1, 0);
    x.get<QCheckBox>("editActive")->setChecked(false);
    x.click("applyButton");
    const auto t = loadEventTable(x.data("emlekeztetok.dat"), EventKind::Reminder);
    EXPECT_TRUE(t.rows[0].active && t.rows[1].active && !t.rows[2].active);
    x.select(0, 0);
    x.dialogs.expect(Kind::Confirmation, kDeleteQuestion, Dialogs::Yes);
    QTest::keyClick(x.grid(), Qt::Key_Delete);
    EXPECT_EQ(x.file(EventKind::Reminder), (Rows{"reggel@03.05.9:00", "este@03.05.18:00"}));
}

TEST(GuiModification, AMissingProgramIsQuestionedAndADateMoveKeepsTheMinuteRule) {
    Tab x(Moment::at(2024, 3, 1, 8));
    x.store(EventKind::Program, {ev(3, 5, 9, 0, "/nincs/ilyen --x"), ev(3, 6, 9, 0, "/bin/sh ")});
    x.show();
    x.chooseKind(EventKind::Program);
    x.edit(0, 4);
    EXPECT_EQ(x.editLabel(), u"Fájl"_s);
    QTest::keyClick(x.get("editProgramFile"), Qt::Key_Space); // no spaces typed into the command line
    EXPECT_EQ(x.get<QLineEdit>("editProgramFile")->text(), u"/nincs/ilyen --x"_s);
    x.dialogs.expect(Kind::Warning,
                     u"A megadott futtatandó állomány nem található!\nSzeretne egy újat megadni?"_s,
                     Dialogs::Yes, Dialogs::Yes | Dialogs::No);
    x.click("applyButton"); // Yes: another one is given, nothing written
    x.get<QLineEdit>("editProgramFile")->setText(u"/bin/sh -c true"_s);
    x.click("applyButton"); // exists: no question
    EXPECT_EQ(x.file(EventKind::Program), (Rows{"/bin/sh -c true@03.05.9:00", "/bin/sh @03.06.9:00"}));
    // Moving the first program onto the second one's minute is refused.
    x.dialogs.expect(Kind::Information, minuteTakenMessage(false));
    x.edit(0, 2);
    x.date("editDate")->setDate(QDate(2024, 3, 6));
    x.click("applyButton");
    EXPECT_EQ(x.file(EventKind::Program).size(), 2u);
}

TEST(GuiDeletion, AnAnswerAFileChangedUnderneathAndTheWarningsDecide) {
    Tab x(Moment::at(2024, 3, 1, 8));
    x.store(EventKind::Birthday,
            {ev(3, 5, 0, 0, "első"), ev(3, 5, 0, 0, "második"), ev(3, 5, 0, 0, "harmadik")});
    x.show();
    x.chooseKind(EventKind::Birthday);
    x.dialogs.expect(Kind::Confirmation, kDeleteQuestion, Dialogs::No, Dialogs::Yes | Dialogs::No);
    x.dialogs.expect(Kind::Confirmation, kDeleteQuestion, Dialogs::Yes);
    for (int i = 0; i < 2; ++i) {
        x.select(1, 2);
        x.click("deleteButton");
    }
    EXPECT_EQ(x.file(EventKind::Birthday), (Rows{"első@03.05.0:00", "harmadik@03.05.0:00"}));
    x.store(EventKind::Birthday, {ev(3, 9, 0, 0, "más")});
    x.dialogs.expect(Kind::Confirmation, kDeleteQuestion, Dialogs::Yes);
    x.dialogs.expect(Kind::Warning,
                     u"Az esemény időközben megváltozott, ezért nem töröltem. Kérem, nézze meg "
                     u"újra a listát."_s);
    x.select(0, 2);
    x.click("deleteButton");
    EXPECT_EQ(x.file(EventKind::Birthday), Rows{"más@03.09.0:00"});
}

TEST(GuiOpening, TheAlertAndTheSummaryOpenTheirEvent) {
    // Past events hidden (the default) and name days listed, with one on the reminder's day.
    Tab x(Moment::at(2024, 3, 5, 14, 29, 58));
    x.store(EventKind::Reminder,
            {ev(3, 5, 9, 0, "Reggel"), ev(3, 5, 14, 30, "Fogorvos"), ev(3, 6, 8, 0, "Holnap")});
    x.store(EventKind::Program, {ev(3, 5, 14, 30, "/bin/true ")});
    x.store(EventKind::NameDay, {ev(3, 5, 0, 0, "Minta Anna"), ev(3, 9, 0, 0, "Minta Béla")});
    x.show();
    x.chooseKind(EventKind::NameDay);
    x.w->pages()->setCurrentIndex(MainWindow::TabNewEvent);
    x.clock.set(Moment::at(2024, 3, 5, 14, 30, 0, 5));
    x.w->watch().tick();
    AlertWindow* alert = x.w->alertWindow();
    ASSERT_TRUE(alert->isVisible());
    x.clock.set(Moment::at(2024, 3, 5, 14, 30, 4));
    test::child<QComboBox>(alert, "actionList")->setCurrentIndex(2);
    alert->runChosenAction();
    EXPECT_TRUE(!alert->isVisible() && x.w->pages()->currentIndex() == MainWindow::TabEvents);
    EXPECT_EQ(x.get<QComboBox>("listingKindChoice")->currentIndex(), 0);
    ASSERT_TRUE(x.editor()->isVisible());
    EXPECT_EQ(x.grid()->currentIndex().column(), 3);
    EXPECT_EQ(cp1250ToUtf8(x.t()->model()->cellText(x.grid()->currentIndex().row(), 4)), "Fogorvos");
    EXPECT_EQ(x.editLabel(), u"Idő"_s);
    Tab y(Moment::at(2024, 3, 5, 10));
    y.store(EventKind::Program, {ev(3, 5, 14, 30, "/bin/true ")});
    y.show();
    y.w->summaryBox()->showPopup();
    y.w->summaryBox()->hidePopup();
    y.w->summaryBox()->setCurrentIndex(0);
    emit y.w->summaryBox()->activated(0);
    EXPECT_EQ(y.get<QComboBox>("listingKindChoice")->currentIndex(), 1);
    EXPECT_TRUE(y.checked("allFilter") && y.editor()->isVisible() && y.editLabel() == u"Idő"_s);
}

TEST(GuiNewEvent, ATakenMinuteIsRefusedForItsOwnKindAndNothingIsWritten) {
    NewEvent x;
    x.show(MainWindow::TabNewEvent);
    x.get<QCheckBox>("activeBox")->setChecked(false);
    x.reminder(u"Két sor\nszöveg"_s, 8, 0);
    x.get<QCheckBox>("activeBox")->setChecked(true);
    EXPECT_EQ(x.text()->toPlainText(), QString());
    const std::string before = readFile(x.data("emlekeztetok.dat"));
    EXPECT_EQ(before, encodeEvent(EventKind::Reminder, event(kDay, 8, 0, "Két sor\r\nszöveg", false)));
    // An inactive reminder holds its minute too; the seconds do not count; the text stays for another.
    x.dialogs.expect(
        Kind::Information,
        u"A megadott napra és órára már felvett emlékeztetőt.\n\nEgy időpillanathoz(nap, óra és perc) "
        u"csak egy emlékeztetőt vehet fel ezért kérem, vagy a most megadott dátumot, vagy a már "
        u"meglévő emlékeztető dátumát módosítsa."_s,
        Dialogs::Ok, Dialogs::Ok);
    x.reminder(u"Még egy"_s, 8, 0, 41);
    EXPECT_EQ(readFile(x.data("emlekeztetok.dat")), before);
    x.add(8, 1);
    EXPECT_EQ(readFile(x.data("emlekeztetok.dat")),
              before + encodeEvent(EventKind::Reminder, event(kDay, 8, 1, "Még egy")));
    // A program shares its minute with a reminder, not with another program; an empty name adds nothing.
    x.program(u"/usr/bin/mentés"_s, QString(), 8, 0);
    x.dialogs.expect(
        Kind::Information,
        u"A megadott napra és órára már felvett futtatandó programot.\n\nEgy időpillanathoz(nap, óra "
        u"és perc) csak egy programot futtathat ezért kérem, vagy a most megadott dátumot, vagy a már "
        u"meglévő programfuttatás dátumát módosítsa.\n\n(Van lehetőség egyszerre több program "
        u"futtatására, ha az indítandó programok hivatkozását elhelyezi egy .bat kiterjesztésű "
        u"állományba. Ha ez elkészült, ezt a batch állományt adja meg futtatandóként)"_s);
    x.program(u"/usr/bin/b"_s, u"--full"_s, 8, 0);
    x.add(8, 1);
    x.add(9, 0);
    EXPECT_EQ(readFile(x.data("programok.dat")),
              test::eventBytes(EventKind::Program, {event(kDay, 8, 0, "/usr/bin/mentés "),
                                                    event(kDay, 8, 1, "/usr/bin/b --full")}));
}

TEST(GuiNewEvent, AMomentGoneByIsAddedOnlyWhenTheUserSaysYes) {
    NewEvent x;
    x.show(MainWindow::TabNewEvent);
    const QString gone =
        u"A megadott időpont már elmúlt, így az esemény nem fog bekövetkezni. Mégis felveszi?"_s;
    // "Nem", the default, writes nothing and keeps the text; the minute begun counts as gone.
    x.dialogs.expect(Kind::Confirmation, gone, Dialogs::No, Dialogs::Yes | Dialogs::No);
    x.reminder(u"Reggeli"_s, 7, 0);
    EXPECT_EQ(x.dialogs.shown.back().defaultButton, Dialogs::No);
    EXPECT_EQ(readFile(x.data("emlekeztetok.dat")) + x.text()->toPlainText().toStdString(), "Reggeli");
    x.dialogs.expect(Kind::Confirmation, gone, Dialogs::Yes);
    x.add(6, 59);
    EXPECT_EQ(readFile(x.data("emlekeztetok.dat")),
              encodeEvent(EventKind::Reminder, event(kDay, 6, 59, "Reggeli")));
    x.dialogs.expect(Kind::Confirmation, gone, Dialogs::No);
    x.program(u"/usr/bin/mentés"_s, QString(), 5, 0);
    EXPECT_EQ(readFile(x.data("programok.dat")), "");
    // The next minute, and an earlier hour tomorrow, lie ahead: nothing is asked.
    x.add(7, 1);
    x.click("tomorrowChoice");
    x.program(u"/usr/bin/mentés"_s, QString(), 5, 0);
    EXPECT_EQ(readFile(x.data("programok.dat")),
              test::eventBytes(EventKind::Program, {event(kDay, 7, 1, "/usr/bin/mentés "),
                                                    event(kDay + 1, 5, 0, "/usr/bin/mentés ")}));
}

TEST(GuiNewEvent, OneClickInTheTimeOrDateBoxTypesOverTheSectionClicked) {
    NewEvent x;
    x.show(MainWindow::TabNewEvent);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(x.w.get()));
    // A click at the given caret position of the editor's text, as a user makes it.
    const auto clickAt = [](QDateTimeEdit* edit, int position) {
        auto* text = edit->findChild<QLineEdit*>();
        int pixel = 0;
        while (pixel < text->width() && text->cursorPositionAt(QPoint(pixel, text->height() / 2)) < position)
            ++pixel;
        QTest::mouseClick(text, Qt::LeftButton, {}, QPoint(pixel + 1, text->height() / 2));
    };
    auto* time = x.get<QTimeEdit>("timePicker");
    time->setTime(QTime(9, 5));
    clickAt(time, 1); // in the hour
    QTest::keyClicks(time, u"14"_s);
    clickAt(time, 4); // in the minute
    QTest::keyClicks(time, u"30"_s);
    EXPECT_EQ(time->time(), QTime(14, 30));
    auto* date = x.get<QDateEdit>("datePicker");
    clickAt(date, 6); // in the month of 2024.03.05.
    QTest::keyClicks(date, u"11"_s);
    EXPECT_EQ(date->date(), QDate(2024, 11, 5));
    // A stretch marked by dragging stays marked.
    auto* text = time->findChild<QLineEdit*>();
    text->setSelection(0, 5);
    QTest::mouseRelease(text, Qt::LeftButton, {}, QPoint(2, text->height() / 2));
    EXPECT_EQ(text->selectedText(), u"14:30"_s);
}

TEST(GuiNewEvent, ABirthdayIsForThePartnerChosenAndNameDaysNeedPartners) {
    NewEvent x;
    x.show(MainWindow::TabNewEvent);
    x.t()->selectKind(EventKind::Birthday);
    // A birthday for the selected partner.
    x.click("tomorrowChoice");
    x.add(0, 0);
    EXPECT_EQ(readFile(x.data("szuletesnapok.dat")),
              encodeEvent(EventKind::Birthday, event(kDay + 1, 0, 0, "Zelmoran")));
    // Without partners the kind falls back to reminders, with the message only while warnings are on.
    x.storePartners({});
    x.show(MainWindow::TabNewEvent);
    x.dialogs.expect(Kind::Information,
                     u"Nincs partnere felvéve! Név-, illetve születésnapot csak partnereknek állíthat be!"_s);
    x.t()->selectKind(EventKind::NameDay);
    EXPECT_EQ(x.get<QComboBox>("kindChoice")->currentIndex(), 0);
    x.quiet();
    x.show(MainWindow::TabNewEvent);
    x.t()->selectKind(EventKind::Birthday);
    EXPECT_EQ(x.get<QComboBox>("kindChoice")->currentIndex(), 0);
}

TEST(GuiNewEvent, TheRecurrenceChosenGoesWithTheEventAndEveryKindChangeStartsFromSoha) {
    NewEvent x;
    x.show(MainWindow::TabNewEvent);
    auto* choice = x.get<QComboBox>("recurrenceChoice");
    EXPECT_TRUE(choice->isVisible() && choice->isEnabled());
    EXPECT_EQ(test::items(choice),
              (QStringList{u"Soha"_s, u"Naponta"_s, u"Hetente"_s, u"Havonta"_s, u"Évente"_s}));
    choice->setCurrentIndex(2);
    x.text()->setPlainText(u"Heti"_s);
    x.add(8, 0);
    EXPECT_EQ(readFile(x.data("emlekeztetok.dat")),
              encodeEvent(EventKind::Reminder, event(kDay, 8, 0, "Heti", true, Recurrence::Weekly)));
    // A moment gone by is no question for a recurring one: it starts from its next occurrence.
    choice->setCurrentIndex(1);
    x.text()->setPlainText(u"Napi"_s);
    x.add(7, 0);
    x.w->watch().tick();
    EXPECT_EQ(test::readEvents(x.data("emlekeztetok.dat"), EventKind::Reminder).back(),
              event(kDay + 1, 7, 0, "Napi", true, Recurrence::Daily));
    x.t()->selectKind(EventKind::Program);
    EXPECT_EQ(choice->currentIndex(), 0);
    // Name days and birthdays come every year and store no recurrence: nothing to choose.
    x.t()->selectKind(EventKind::Birthday);
    EXPECT_FALSE(x.get<QWidget>("recurrenceGroup")->isVisible());
    x.t()->selectKind(EventKind::Reminder);
    EXPECT_TRUE(choice->isVisible() && choice->currentIndex() == 0);
}

TEST(GuiNewEvent, AReminderTextStopsAtItsFieldAlsoWhenPasted) {
    NewEvent x;
    x.show(MainWindow::TabNewEvent);
    // Counted in the file's bytes: one for "ő", two for the line break.
    x.text()->insertPlainText(u"első\n"_s + QString(300, u'x'));
    EXPECT_EQ(x.text()->toPlainText(), u"első\n"_s + QString(249, u'x'));
}

TEST(GuiNewEvent, TheProgramButtonsAndKeys) {
    NewEvent x;
    x.show(MainWindow::TabNewEvent);
    x.t()->selectKind(EventKind::Program);
    x.dialogs.answerFile(u"/usr/bin/env"_s);
    QTest::keyClick(x.get("programFile"), Qt::Key_Return);
    EXPECT_EQ(x.dialogs.fileCalls.at(0).filter, programFileFilter());
    EXPECT_EQ(x.dialogs.fileCalls.at(0).folder, test::q(x.dir.path()));
    QTest::keyClick(x.get("programParameters"), Qt::Key_Return); // tests the program
    x.setText("programParameters", u"a b"_s);
    x.click("testButton");
    EXPECT_EQ(x.shell.calls, (std::vector<test::RecordingShell::Call>{{u"/usr/bin/env"_s, QString()},
                                                                      {u"/usr/bin/env"_s, u"a b"_s}}));
    EXPECT_EQ(readFile(x.data("programok.dat")), "");
    x.dialogs.expect(
        Kind::Information,
        u"Hogyan tudunk egy idően egyszerre több alkalmazást elindítani?\n\n1. Nyisson meg egy egyszerű "
        u"szövegszerkesztőt (például a Jegyzettömböt).\n2. Minden elindítandó programnak írjon egy külön "
        u"sort: a start szó után, idézőjelek között a program teljes elérési útját.\n3. Mentse el a fájlt "
        u"run.bat néven, például a Zelmoran mappájába.\n4. Az új programfuttatásnál ezt a run.bat fájlt adja "
        u"meg futtatandó programként.\n\nPélda, a run.bat tartalma:\nstart \"\" \"C:\\Program Files\\Mozilla "
        u"Firefox\\firefox.exe\"\nstart \"\" \"C:\\Windows\\notepad.exe\"\n\nLinuxon ugyanez egy futtatható "
        u".sh fájllal megy, soronként egy programmal, mindegyik sor végén egy & jellel."_s);
    x.click("severalProgramsButton");
}

namespace {

struct Search : test::App {
    explicit Search(Moment now) : App(now) {
        Settings s = defaultSettings();
        s.noticeAtStart = false; // warnings stay on: the search asks its question
        writeSettings(s);
        show(MainWindow::TabActions);
    }
    QComboBox* names() const { return get<QComboBox>("nameBox"); }
    QStringList days() const { return test::items(get<QComboBox>("dayList")); }
    void search(const QString& name) {
        names()->setEditText(name);
        click("searchButton");
    }
};

const QString kNotCommon = u"A név nem található a gyakori neveket tartalmazó névnap-tárban.\n"
                           u"Megvizsgáljam a nevet az általános névnap-adatbázisban?"_s;

} // namespace

TEST(GuiNameDaySearch, ANamesDaysInEitherCalendarAndTheWayOnToAnEventOrAPartner) {
    Search x(Moment::at(2024, 3, 5, 9));
    EXPECT_GT(x.names()->count(), 2000); // both calendars' names
    x.search(u"Ábel"_s);
    EXPECT_EQ(x.days(), QStringList{u"Január 2."_s});
    // Not in the common calendar: the question once, Yes searches the extended one, which asks nothing.
    x.dialogs.expect(Kind::Confirmation, kNotCommon, Dialogs::Yes, Dialogs::Yes | Dialogs::No);
    x.search(u"ábel"_s);
    EXPECT_TRUE(x.checked("extendedChoice") && x.days().isEmpty());
    x.search(u" Ábel"_s); // the name is taken as typed
    EXPECT_TRUE(x.days().isEmpty());
    // A radio button searches at once; an empty name asks in the common calendar too.
    x.names()->setEditText(u"Albin"_s);
    x.click("commonChoice");
    EXPECT_EQ(x.days(), QStringList{u"Március 1."_s});
    x.click("extendedChoice");
    EXPECT_TRUE(x.days().size() > 1 && x.days().contains(u"Március 1."_s));
    x.dialogs.expect(Kind::Confirmation, kNotCommon, Dialogs::No);
    x.names()->setEditText(QString());
    x.click("commonChoice");
    EXPECT_TRUE(x.days().isEmpty() && !x.checked("extendedChoice"));

    // Ugrás: the new-event tab with a name day prepared on that day of this year.
    x.names()->setEditText(u"Genovéva"_s);
    QTest::keyClick(x.names(), Qt::Key_Return);
    ASSERT_EQ(x.days(), QStringList{u"Január 3."_s});
    QTest::keyClick(x.get("dayList"), Qt::Key_Return);
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabNewEvent);
    EXPECT_EQ(x.get<QComboBox>("kindChoice")->currentText(), u"Névnap"_s);
    EXPECT_TRUE(x.checked("dateChoice"));
    EXPECT_EQ(x.get<QDateEdit>("datePicker")->date(), QDate(2024, 1, 3));
    // Felvesz: a new partner of the searched name, the caret before its space.
    x.w->pages()->setCurrentIndex(MainWindow::TabActions);
    x.click("addPartnerButton");
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabPartners);
    EXPECT_EQ(x.get<QLineEdit>("nameField")->text(), u" Genovéva"_s);
    EXPECT_EQ(x.get<QLineEdit>("nameField")->cursorPosition(), 0);
    // After a partner's save, "Névnap" searches the given name here.
    emit x.w->partnersTab()->nameDaySearchRequested(u"Ábel"_s);
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabActions);
    EXPECT_EQ(x.days(), QStringList{u"Január 2."_s});
}

TEST(GuiNameDaySearch, TwentyNinthOfFebruaryInACommonYearIsNoDateAndTheTypedDayIsRemembered) {
    Search x(Moment::at(2023, 3, 5, 9));
    x.search(u"Szökőnap"_s);
    const QDate before = x.get<QDateEdit>("datePicker")->date();
    x.dialogs.expect(Kind::Stop, u"'2023.02.29.' is not a valid date."_s);
    x.click("jumpButton");
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabNewEvent);
    EXPECT_EQ(x.get<QComboBox>("kindChoice")->currentText(), u"Névnap"_s);
    EXPECT_EQ(x.get<QDateEdit>("datePicker")->date(), before);

    const QString prompt = u"Adja meg HH.NN formátumban a keresett napot:\n(pl.: 01.23 , 11.10):"_s;
    const QString again = u"Szeretne megadni egy másik napot?"_s;
    const QString leapDay =
        u"02.29 nap névnapjai:\n\n1. Találat a naptári névnapgyűjteményben:\nSzökőnap \n\n"
        u"2. A kibővített névnapgyűjtemény találatai: \n\n\n"_s +
        again;
    x.dialogs.expectInput(prompt, u"1.23"_s);
    x.dialogs.expect(Kind::Information,
                     u"A megadott dátum nem megfelelő formátumú!\n\nPéldák a helyes használatra:\n"
                     u" - ha január 10.-ét keresi: 01.10\n - ha például november 29-ét, akkor: 11.29\n\n"
                     u"Kérem, ügyeljen a HH.NN, vagyis a HóHó.NapNap forma helyes megadására!\n\n"_s +
                         again,
                     Dialogs::Yes, Dialogs::Yes | Dialogs::No);
    x.dialogs.expectInput(prompt, u"13.01"_s);
    x.dialogs.expect(Kind::Information, u"A megadott nap nem érvényes naptári nap!\n\n"_s + again,
                     Dialogs::Yes);
    x.dialogs.expectInput(prompt, u"02.29"_s);
    x.dialogs.expect(Kind::Information, leapDay, Dialogs::No);
    x.w->actionsTab()->showDayNames();
    // Cancelled, the prompt gives back the day remembered.
    x.dialogs.expectInput(prompt, std::nullopt);
    x.dialogs.expect(Kind::Information, leapDay, Dialogs::No);
    x.w->actionsTab()->showDayNames();
}

TEST(GuiMonthCalendar, WeeksBeginOnMondayAndPagingKeepsTheDayWhereTheMonthHasIt) {
    MonthCalendar c;
    auto* grid = test::child<QTableWidget>(&c, "dayGrid");
    // Year, month, and the grid's non-empty cells as "row,column=day" for the first and last days.
    const auto shown = [&]() -> QString {
        QStringList cells;
        for (int r = 0; r < 6; ++r)
            for (int col = 0; col < 7; ++col)
                if (const QString d = grid->item(r, col)->text(); d == u"1"_s || d.toInt() >= 28)
                    cells << u"%1,%2=%3"_s.arg(r).arg(col).arg(d);
        return test::child<QLabel>(&c, "yearLabel")->text() + u' ' +
               test::child<QLabel>(&c, "monthLabel")->text() + u": "_s + cells.join(u' ');
    };
    c.setCalendar({2024, 1, 1});
    EXPECT_EQ(shown(), u"2024 Január: 0,0=1 3,6=28 4,0=29 4,1=30 4,2=31"_s);
    c.setCalendar({2024, 1, 31});
    const std::pair<const char*, QString> steps[] = {
        {"nextMonthButton", u"2024 Február: 0,3=1 4,2=28 4,3=29"_s}, // 31 January to 29 February
        {"nextYearButton", u"2025 Február: 0,5=1 4,4=28"_s},         // 29 February to 28 February
        {"previousMonthButton", u"2025 Január: 0,2=1 4,1=28 4,2=29 4,3=30 4,4=31"_s},
        {"previousMonthButton", u"2024 December: 0,6=1 4,5=28 4,6=29 5,0=30 5,1=31"_s},
        {"previousYearButton", u"2023 December: 0,4=1 4,3=28 4,4=29 4,5=30 4,6=31"_s},
        {"nextMonthButton", u"2024 Január: 0,0=1 3,6=28 4,0=29 4,1=30 4,2=31"_s},
    };
    for (const auto& [button, expected] : steps) {
        test::child<QPushButton>(&c, button)->click();
        EXPECT_EQ(shown(), expected) << button;
    }
}
