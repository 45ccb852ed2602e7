#include "core/events/event_record.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/partners_tab.h"
#include "gui/texts.h"
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
#include <QTest>
#include <QTimeEdit>

#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::child;
using zel::test::readFile;
using zel::test::Start;

namespace {

const DayNumber kDay = dayNumber(2024, 3, 5);

std::vector<EventRecord> stored(const Start& s, EventKind k) {
    const std::string bytes = readRecords(s.data(eventFileName(k)), recordSize(k));
    std::vector<EventRecord> out;
    for (std::size_t i = 0; i < bytes.size(); i += recordSize(k))
        out.push_back(decodeEvent(k, reinterpret_cast<const std::uint8_t*>(bytes.data() + i)));
    return out;
}

struct Tab {
    Start s;
    std::unique_ptr<MainWindow> w;
    NewEventTab* t = nullptr;
    Tab() {
        w = s.open();
        w->pages()->setCurrentIndex(MainWindow::TabNewEvent);
        t = w->newEventTab();
    }
    template <class W> W* get(const char* name) const { return child<W>(t, name); }
    QPlainTextEdit* text() const { return get<QPlainTextEdit>("reminderText"); }
    QLineEdit* file() const { return get<QLineEdit>("programFile"); }
    QLineEdit* parameters() const { return get<QLineEdit>("programParameters"); }
    QComboBox* kind() const { return get<QComboBox>("kindChoice"); }
    void add() const { get<QPushButton>("addButton")->click(); }
    void when(int h, int m, int sec = 0) { get<QTimeEdit>("timePicker")->setTime(QTime(h, m, sec)); }
    void reminder(const QString& content, int h, int m, int sec = 0) {
        t->selectKind(EventKind::Reminder);
        text()->setPlainText(content);
        when(h, m, sec);
        add();
    }
};

} // namespace

TEST(NewEvent, ATakenMinuteIsRefusedAndNothingIsWritten) {
    Tab x;
    x.reminder(QStringLiteral("Fogorvos"), 9, 5);
    x.reminder(QStringLiteral("Ebéd"), 14, 30);
    ASSERT_EQ(stored(x.s, EventKind::Reminder).size(), 2u);
    EXPECT_TRUE(x.text()->toPlainText().isEmpty());
    EXPECT_EQ(x.kind()->currentIndex(), 0);
    const std::string before = readFile(x.s.data("emlekeztetok.dat"));

    x.reminder(QStringLiteral("Még egy"), 9, 5, 41);
    ASSERT_EQ(x.s.dialogs.boxes.size(), 1u);
    EXPECT_EQ(x.s.dialogs.boxes[0].kind, Dialogs::Kind::Information);
    EXPECT_EQ(x.s.dialogs.boxes[0].caption, QStringLiteral("Információ"));
    EXPECT_EQ(x.s.dialogs.boxes[0].buttons, Dialogs::Ok);
    EXPECT_EQ(x.s.dialogs.boxes[0].text,
              QStringLiteral(
                  "A megadott napra és órára már felvett emlékeztetőt.\n\nEgy időpillanathoz(nap, óra és "
                  "perc) csak egy emlékeztetőt vehet fel ezért kérem, vagy a most megadott dátumot, vagy "
                  "a már meglévő emlékeztető dátumát módosítsa."));
    EXPECT_EQ(readFile(x.s.data("emlekeztetok.dat")), before);
    EXPECT_EQ(x.text()->toPlainText(), QStringLiteral("Még egy"));

    x.add(); // 9:06 is free: between the two
    x.when(9, 6);
    x.add();
    const auto recs = stored(x.s, EventKind::Reminder);
    ASSERT_EQ(recs.size(), 3u);
    EXPECT_EQ(recs[1].text, utf8ToCp1250("Még egy"));
    EXPECT_EQ(recs[1].time, storedFromMinute(9 * 60 + 6));
    EXPECT_EQ(recs[1].date, static_cast<double>(kDay));
    EXPECT_EQ(recs[1].recurrence, 0);
    EXPECT_TRUE(recs[1].active);
}

TEST(NewEvent, ProgramsShareMinutesWithRemindersButNotWithEachOther) {
    Tab x;
    x.get<QCheckBox>("activeBox")->setChecked(false);
    x.reminder(QStringLiteral("Két sor\nszöveg"), 8, 0);
    EXPECT_EQ(stored(x.s, EventKind::Reminder)[0].text, utf8ToCp1250("Két sor\r\nszöveg"));
    EXPECT_FALSE(stored(x.s, EventKind::Reminder)[0].active);
    x.reminder(QStringLiteral("Inaktív, mégis foglal"), 8, 0);
    EXPECT_EQ(x.s.dialogs.boxes.size(), 1u);

    x.t->selectKind(EventKind::Program);
    x.file()->setText(QStringLiteral("/usr/bin/mentés"));
    x.when(8, 0);
    x.add();
    ASSERT_EQ(stored(x.s, EventKind::Program).size(), 1u);
    EXPECT_EQ(stored(x.s, EventKind::Program)[0].text, utf8ToCp1250("/usr/bin/mentés "));
    EXPECT_TRUE(x.file()->text().isEmpty());

    x.file()->setText(QStringLiteral("/usr/bin/b"));
    x.parameters()->setText(QStringLiteral("--full"));
    x.add();
    ASSERT_EQ(x.s.dialogs.boxes.size(), 2u);
    EXPECT_TRUE(x.s.dialogs.boxes[1].text.startsWith(
        QStringLiteral("A megadott napra és órára már felvett futtatandó programot.\n\n")));
    EXPECT_TRUE(
        x.s.dialogs.boxes[1].text.endsWith(QStringLiteral("ezt a batch állományt adja meg futtatandóként)")));
    x.when(8, 1);
    x.add();
    EXPECT_EQ(stored(x.s, EventKind::Program)[1].text, "/usr/bin/b --full");

    // An empty text or file name: nothing written, nothing shown.
    x.add();
    x.reminder(QString(), 23, 0);
    EXPECT_EQ(stored(x.s, EventKind::Reminder).size(), 1u);
    EXPECT_EQ(stored(x.s, EventKind::Program).size(), 2u);
    EXPECT_EQ(x.s.dialogs.boxes.size(), 2u);
}

TEST(NewEvent, EachKindShowsItsOwnFieldsAndNameDaysNeedPartners) {
    Tab x;
    struct Expect {
        EventKind kind;
        const char* caption;
        bool em, program, kinek, ora;
    };
    const Expect expects[] = {
        {EventKind::Reminder, " A figyelmeztetés időpontja ", true, false, false, true},
        {EventKind::Program, " A futtatás kezdésének időpontja ", false, true, false, true},
        {EventKind::NameDay, " Az első (megünnepelt) névnap dátuma ", false, false, true, false},
        {EventKind::Birthday, " Az első (megünnepelt) születésnap dátuma ", false, false, true, false}};
    x.w->show();
    for (const auto& e : expects) {
        x.t->selectKind(e.kind);
        EXPECT_EQ(x.get<QGroupBox>("timingGroup")->title(), QString::fromUtf8(e.caption));
        EXPECT_EQ(x.get<QGroupBox>("reminderGroup")->isVisible(), e.em) << kindIndex(e.kind);
        EXPECT_EQ(x.get<QGroupBox>("programGroup")->isVisible(), e.program) << kindIndex(e.kind);
        EXPECT_EQ(x.get<QGroupBox>("partnerGroup")->isVisible(), e.kinek) << kindIndex(e.kind);
        EXPECT_EQ(x.get<QGroupBox>("timeGroup")->isVisible(), e.ora) << kindIndex(e.kind);
    }
    EXPECT_EQ(x.get<QComboBox>("recurrenceChoice")->currentIndex(), 4);
    EXPECT_FALSE(x.get<QComboBox>("recurrenceChoice")->isVisible());

    // A birthday for the selected partner.
    x.t->selectKind(EventKind::Birthday);
    x.get<QRadioButton>("tomorrowChoice")->click();
    x.add();
    const auto b = stored(x.s, EventKind::Birthday);
    ASSERT_EQ(b.size(), 1u);
    EXPECT_EQ(b[0].text, "Zelmoran");
    EXPECT_EQ(b[0].date, static_cast<double>(kDay + 1));
    EXPECT_EQ(readFile(x.s.data("szuletesnapok.dat")).size(), 272u);

    // Without partners the kind falls back to reminders, with or without the message.
    Start empty;
    std::filesystem::create_directories(empty.dir.path() / "Data");
    replaceFile(empty.data("partnerek.dat"), "");
    auto w = empty.open();
    w->newEventTab()->selectKind(EventKind::NameDay);
    EXPECT_EQ(child<QComboBox>(w->newEventTab(), "kindChoice")->currentIndex(), 0);
    ASSERT_EQ(empty.dialogs.boxes.size(), 1u);
    EXPECT_EQ(empty.dialogs.boxes[0].kind, Dialogs::Kind::Information);
    EXPECT_EQ(
        empty.dialogs.boxes[0].text,
        QStringLiteral("Nincs partnere felvéve! Név-, illetve születésnapot csak partnereknek állíthat be!"));
    Settings quiet = defaultSettings();
    quiet.warnings = false;
    writeSettingsFile(empty.dir.path() / kSettingsFileName, encodeSettings(quiet, SettingsBytes{}));
    auto w2 = empty.open();
    w2->newEventTab()->selectKind(EventKind::Birthday);
    EXPECT_EQ(child<QComboBox>(w2->newEventTab(), "kindChoice")->currentIndex(), 0);
    EXPECT_EQ(empty.dialogs.boxes.size(), 1u);
}

TEST(NewEvent, AReminderTextStopsAtItsFieldAlsoWhenPasted) {
    Tab x;
    x.text()->insertPlainText(QString(300, u'é'));
    EXPECT_EQ(x.text()->toPlainText(), QString(255, u'é'));
    x.text()->clear();
    x.text()->insertPlainText(QStringLiteral("első\n") + QString(300, u'x'));
    EXPECT_EQ(x.text()->toPlainText(), QStringLiteral("első\n") + QString(249, u'x'));
}

TEST(NewEvent, ProgramButtonsKeysAndTheNewPartnerShortcut) {
    Tab x;
    x.t->selectKind(EventKind::Program);
    x.s.dialogs.fileAnswers.push_back(QStringLiteral("/usr/bin/env"));
    QTest::keyClick(x.file(), Qt::Key_Return);
    ASSERT_EQ(x.s.dialogs.fileCalls.size(), 1u);
    EXPECT_EQ(x.s.dialogs.fileCalls[0].filter, programFileFilter());
    EXPECT_EQ(x.s.dialogs.fileCalls[0].folder, QString::fromStdString(x.s.dir.path().string()));
    EXPECT_EQ(x.file()->text(), QStringLiteral("/usr/bin/env"));

    QTest::keyClick(x.parameters(), Qt::Key_Return);
    ASSERT_EQ(x.s.shell.calls.size(), 1u);
    EXPECT_EQ(x.s.shell.calls[0], (test::RecordingShell::Call{QStringLiteral("/usr/bin/env"), QString()}));
    x.parameters()->setText(QStringLiteral("a b"));
    x.get<QPushButton>("testButton")->click();
    EXPECT_EQ(x.s.shell.calls[1].parameters, QStringLiteral("a b"));
    EXPECT_TRUE(stored(x.s, EventKind::Program).empty());

    x.get<QPushButton>("severalProgramsButton")->click();
    ASSERT_EQ(x.s.dialogs.boxes.size(), 1u);
    EXPECT_TRUE(x.s.dialogs.boxes[0].text.startsWith(
        QStringLiteral("Hogyan tudunk egy idően egyszerre több alkalmazást elindítani?")));
    EXPECT_TRUE(x.s.dialogs.boxes[0].text.contains(QStringLiteral("run.bat")));

    x.t->selectKind(EventKind::NameDay);
    x.get<QLineEdit>("newPartnerName")->setText(QStringLiteral("Anna"));
    QTest::keyClick(x.get<QLineEdit>("newPartnerName"), Qt::Key_Return);
    EXPECT_EQ(x.w->pages()->currentIndex(), MainWindow::TabPartners);
    EXPECT_EQ(zel::test::child<QLineEdit>(x.w->partnersTab(), "nameField")->text(), QStringLiteral(" Anna"));
    EXPECT_EQ(zel::test::child<QLineEdit>(x.w->partnersTab(), "nameField")->cursorPosition(), 0);
    EXPECT_EQ(zel::test::child<QLabel>(x.w->partnersTab(), "editorTitle")->text(),
              QStringLiteral("        Új személy felvitele"));
}

TEST(NewEvent, TheDayChoiceAndTheSummaryAfterASave) {
    Tab x;
    EXPECT_TRUE(x.get<QRadioButton>("todayChoice")->isChecked());
    EXPECT_EQ(x.get<QDateEdit>("datePicker")->date(), QDate(2024, 3, 5));
    EXPECT_EQ(x.get<QTimeEdit>("timePicker")->time(), QTime(9, 5, 7));
    x.get<QRadioButton>("tomorrowChoice")->click();
    EXPECT_EQ(x.get<QDateEdit>("datePicker")->date(), QDate(2024, 3, 6));
    x.get<QDateEdit>("datePicker")->setDate(QDate(2023, 1, 1)); // the past is allowed
    EXPECT_TRUE(x.get<QRadioButton>("dateChoice")->isChecked());
    x.get<QRadioButton>("todayChoice")->click();
    EXPECT_EQ(x.get<QDateEdit>("datePicker")->date(), QDate(2024, 3, 5));
    EXPECT_FALSE(x.w->summaryBox()->isEnabled());
    x.reminder(QStringLiteral("Fogorvos"), 9, 30);
    EXPECT_TRUE(x.w->summaryBox()->isEnabled());
    EXPECT_EQ(x.w->summaryBox()->currentText(),
              QStringLiteral("Emlékeztető | 2024.03.05. |  9:30 | Fogorvos"));
}
