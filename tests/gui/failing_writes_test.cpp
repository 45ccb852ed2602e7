#include "gui/tabs/import_panel.h"
#include "gui/text/qt_text.h"
#include "gui/widgets/contact_table_model.h"
#include "support/app_fixture.h"
#include "support/write_limits.h"

#include <map>
#include <sys/resource.h>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::FileSizeCap;
using zel::test::q;
using zel::test::readFile;
using Kind = Dialogs::Kind;
namespace fs = std::filesystem;

namespace {

// Small enough for every write below to start and then fail halfway.
constexpr rlim_t kCap = 64;

// The error box of a write stopped by the cap: the number, its cause, and the data file (never the
// temporary written beside it).
QString diskFull(const fs::path& file) {
    return u"I/O error 27.\nAz állomány nagyobb lenne, mint amekkorát a lemez vagy a rendszer megenged.\n"_s +
           q(file);
}

// Every file under the folder, by its relative path.
std::map<std::string, std::string> filesUnder(const fs::path& root) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).string()] = readFile(entry.path());
    return files;
}

// The names that were added, removed or changed between two looks at a folder.
std::vector<std::string> changed(const std::map<std::string, std::string>& before,
                                 const std::map<std::string, std::string>& after) {
    std::vector<std::string> names;
    for (const auto& [name, bytes] : after)
        if (!before.contains(name) || before.at(name) != bytes) names.push_back(name);
    for (const auto& [name, bytes] : before)
        if (!after.contains(name)) names.push_back(name + " (gone)");
    return names;
}

EventRecord ev(int day, int h, const char* text) {
    return test::event(dayNumber(2024, 5, day), h, 0, text);
}

struct Book : test::App {
    Book() {
        quiet();
        store(EventKind::Reminder, {ev(1, 9, "egy"), ev(2, 9, "kettő"), ev(3, 9, "három")});
        storePartners({test::partner("Antal Ede", "ede@antal.hu"), test::partner("Zsoldos Pál")});
    }
    // Runs the action with the cap on; the boxes said beforehand must come, and no file under the
    // program folder may change, none be added and none go.
    void failsWholly(const std::function<void()>& action) const {
        const auto before = filesUnder(dir.path());
        {
            FileSizeCap cap(kCap);
            action();
        }
        EXPECT_EQ(changed(before, filesUnder(dir.path())), std::vector<std::string>{});
    }
    std::vector<std::string> listed() const {
        std::vector<std::string> out;
        const auto* m = w->eventsTab()->model();
        for (int r = 0; r < static_cast<int>(m->listedCount()); ++r)
            out.push_back(cp1250ToUtf8(m->cellText(r, 4)));
        return out;
    }
    QStringList partnerNames() const {
        QStringList out;
        for (const std::string& name : w->partnerNames())
            out << fromCp(name);
        return out;
    }
    void editCell(int row, int column) const {
        auto* grid = get<QTableView>("eventGrid");
        grid->setCurrentIndex(w->eventsTab()->model()->index(row, column));
        QTest::keyClick(grid, Qt::Key_Return);
    }
    void selectPartner(int row) const {
        auto* names = get<QListView>("nameList");
        names->setCurrentIndex(QModelIndex());
        names->setCurrentIndex(names->model()->index(row, 0));
    }
    // The clock moves on a minute and the window takes the tick.
    void tick() {
        clock.set(Moment::at(2024, 3, 5, 9, 6, 0));
        w->watch().tick();
    }
};

const QString kRenameQuestion =
    u"Ha partnere nevét megváltoztatja, akkor annak név-, és születésnapja is törlődik!\n\n"
    u"Meg szeretné tartani a partnere régi nevét?"_s;

} // namespace

TEST(GuiFailingWrites, EventInsertKeepsTheFileAndTheTypedText) {
    Book x;
    x.show(MainWindow::TabNewEvent);
    x.w->newEventTab()->selectKind(EventKind::Reminder);
    x.get<QPlainTextEdit>("reminderText")->setPlainText(u"új emlékeztető"_s);
    x.get<QTimeEdit>("timePicker")->setTime(QTime(10, 0));
    x.dialogs.expect(Kind::Stop, diskFull(x.data("emlekeztetok.dat")));
    x.failsWholly([&] { x.click("addButton"); });
    EXPECT_EQ(x.get<QPlainTextEdit>("reminderText")->toPlainText(), u"új emlékeztető"_s);
    x.tick();
    x.click("addButton");
    EXPECT_EQ(x.w->events().table(EventKind::Reminder).rows.size(), 4u);
    EXPECT_EQ(test::readEvents(x.data("emlekeztetok.dat"), EventKind::Reminder)[0].text,
              test::cp("új emlékeztető"));
}

TEST(GuiFailingWrites, EventModificationAndDeletionKeepTheFileTheOpenEditorAndTheRow) {
    Book x;
    x.writeSettings(defaultSettings()); // a deletion asks only with the warnings on
    x.show(MainWindow::TabEvents);
    x.editCell(1, 4);
    x.get<QPlainTextEdit>("editReminderText")->setPlainText(u"más"_s);
    x.dialogs.expect(Kind::Stop, diskFull(x.data("emlekeztetok.dat")));
    x.failsWholly([&] { x.click("applyButton"); });
    EXPECT_TRUE(x.get("editGroup")->isVisible());
    EXPECT_EQ(x.listed(), (std::vector<std::string>{"egy", "kettő", "három"}));
    x.click("applyButton");
    EXPECT_EQ(x.listed(), (std::vector<std::string>{"egy", "más", "három"}));
    EXPECT_EQ(test::readEvents(x.data("emlekeztetok.dat"), EventKind::Reminder)[1].text, test::cp("más"));

    const QString question = u"Valóban törölni szeretné azt a sort amiben áll?"_s;
    x.get<QTableView>("eventGrid")->setCurrentIndex(x.w->eventsTab()->model()->index(0, 2));
    x.dialogs.expect(Kind::Confirmation, question, Dialogs::Yes);
    x.dialogs.expect(Kind::Stop, diskFull(x.data("emlekeztetok.dat")));
    x.failsWholly([&] { x.click("deleteButton"); });
    EXPECT_EQ(x.listed(), (std::vector<std::string>{"egy", "más", "három"}));
    x.dialogs.expect(Kind::Confirmation, question, Dialogs::Yes);
    x.click("deleteButton");
    EXPECT_EQ(x.listed(), (std::vector<std::string>{"más", "három"}));
    EXPECT_EQ(test::readEvents(x.data("emlekeztetok.dat"), EventKind::Reminder).size(), 2u);
}

TEST(GuiFailingWrites, PartnerSaveKeepsTheFileAndTheOpenPanel) {
    Book x;
    x.show(MainWindow::TabPartners);
    x.click("newPartnerListButton");
    x.setText("nameField", u"Kovács Béla"_s);
    x.dialogs.expect(Kind::Stop, diskFull(x.data("partnerek.dat")));
    x.failsWholly([&] { x.click("saveButton"); });
    EXPECT_TRUE(x.get("partnerEditor")->isVisible() &&
                x.get<QLineEdit>("nameField")->text() == u"Kovács Béla"_s);
    EXPECT_EQ(x.partnerNames(), (QStringList{u"Antal Ede"_s, u"Zsoldos Pál"_s}));
    x.click("saveButton");
    EXPECT_EQ(x.partnerNames(), (QStringList{u"Antal Ede"_s, u"Kovács Béla"_s, u"Zsoldos Pál"_s}));
}

TEST(GuiFailingWrites, PartnerRenameKeepsEveryFileAndAHalfDoneOneIsFinishedBySavingAgain) {
    Book x;
    // More name days than the partner file holds bytes, so one cap can pass the one and stop the other.
    x.store(EventKind::NameDay, {ev(1, 0, "Antal Ede"), ev(2, 0, "Zsoldos Pál"), ev(3, 0, "Zsoldos Pál"),
                                 ev(4, 0, "Zsoldos Pál"), ev(5, 0, "Zsoldos Pál"), ev(6, 0, "Zsoldos Pál")});
    x.store(EventKind::Birthday, {ev(1, 0, "Zsoldos Pál"), ev(2, 0, "Antal Ede")});
    x.show(MainWindow::TabPartners);
    x.selectPartner(0);
    x.click("modifyButton");
    x.setText("nameField", u"Zsuzsa"_s); // sorts after the other partner
    const QString renamed = u"A partnerének megváltoztatta a nevét.\nÍgy a rögzített régi név- és "
                            u"születésnapok időpontja törlődik!"_s;
    x.dialogs.expect(Kind::Warning, kRenameQuestion, Dialogs::No);
    x.dialogs.expect(Kind::Stop, diskFull(x.data("partnerek.dat")));
    x.failsWholly([&] { x.click("saveButton"); });
    EXPECT_EQ(x.partnerNames(), (QStringList{u"Antal Ede"_s, u"Zsoldos Pál"_s}));
    EXPECT_EQ(x.w->events().table(EventKind::NameDay).rows.size(), 6u);
    // Room for the partner file but not for the name days: only the partner file changes.
    const auto before = filesUnder(x.dir.path());
    x.dialogs.expect(Kind::Warning, kRenameQuestion, Dialogs::No);
    x.dialogs.expect(Kind::Information, renamed);
    x.dialogs.expect(Kind::Stop, diskFull(x.data("nevnapok.dat")));
    {
        FileSizeCap cap(2 * kPartnerRecordSize + 100);
        x.click("saveButton");
    }
    EXPECT_EQ(changed(before, filesUnder(x.dir.path())), std::vector<std::string>{"Data/partnerek.dat"});
    EXPECT_TRUE(x.get("partnerEditor")->isVisible());
    // Saving again replaces the renamed partner where it now stands and removes the old name's days.
    x.dialogs.expect(Kind::Warning, kRenameQuestion, Dialogs::No);
    x.dialogs.expect(Kind::Information, renamed);
    x.click("saveButton");
    EXPECT_EQ(x.partnerNames(), (QStringList{u"Zsoldos Pál"_s, u"Zsuzsa"_s}));
    EXPECT_EQ(test::readEvents(x.data("nevnapok.dat"), EventKind::NameDay).size(), 5u);
    EXPECT_EQ(test::readEvents(x.data("szuletesnapok.dat"), EventKind::Birthday).size(), 1u);
}

TEST(GuiFailingWrites, SettingsSaveKeepsTheFileAndTheAutostartEntry) {
    Book x;
    x.show(MainWindow::TabSettings);
    x.get<QSpinBox>("noticeDaysSpin")->setValue(7);
    x.click("startActiveChoice");
    const QStringList entry = x.autostart.calls;
    x.dialogs.expect(Kind::Stop, diskFull(x.cfgPath()));
    x.failsWholly([&] { x.click("saveSettingsButton"); });
    EXPECT_EQ(x.autostart.calls, entry);
    x.tick();
    x.click("saveSettingsButton");
    EXPECT_EQ(static_cast<int>(x.cfg()[293]), 7);
}

TEST(GuiFailingWrites, ImportKeepsThePartnerFileAndTheList) {
    Book x;
    x.show(MainWindow::TabActions);
    x.click("importButton");
    ContactTableModel& list = x.w->actionsTab()->importPanel().list();
    list.setRows({test::partner("Kovács Kata", "kata@pelda.hu"), test::partner("Bodnár Béla")});
    x.dialogs.expect(Kind::Stop, diskFull(x.data("partnerek.dat")));
    x.failsWholly([&] { x.click("takeListButton"); });
    EXPECT_EQ(list.rows().size(), 2u);
    EXPECT_EQ(x.partnerNames(), (QStringList{u"Antal Ede"_s, u"Zsoldos Pál"_s}));
    x.dialogs.expect(Kind::Information,
                     u"A következő Partnerek kerültek felvételre:\nBodnár Béla\nKovács Kata\n"_s);
    x.click("takeListButton");
    EXPECT_EQ(x.partnerNames().size(), 4);
}

TEST(GuiFailingWrites, ExportToANewFileAndOverAnOldOneLeavesNeitherHalfWritten) {
    Book x;
    x.show(MainWindow::TabActions);
    x.click("exportButton");
    // The export as the user runs it, ending in the given box; an existing file is written over.
    const auto exportTo = [&](const fs::path& file, Kind kind, const QString& text) {
        x.dialogs.answerFile(q(file));
        x.dialogs.expectInput(u"Adja meg, hogy melyik karakter választja el az egyes adatokat egymástól."_s,
                              u";"_s);
        if (fs::exists(file))
            x.dialogs.expect(Kind::Warning,
                             u"A választott állomány már létezik!\nHa ezen a néven exportál, akkor a régi "
                             u"állomány tartalma elvész!\n\nVálaszt egy másik nevet?"_s,
                             Dialogs::No);
        x.dialogs.expect(kind, text, kind == Kind::Error ? Dialogs::Ok : Dialogs::No);
        emit x.get<QComboBox>("exportTaskBox")->activated(1);
    };
    const fs::path fresh = x.dir.path() / "uj.csv", old = x.dir.path() / "regi.csv";
    test::writeFile(old, "régi tartalom");
    for (const fs::path& file : {fresh, old})
        x.failsWholly([&] {
            exportTo(file, Kind::Error, u"Nem sikerült az exportálás a következő állományba:\n"_s + q(file));
        });
    for (const fs::path& file : {fresh, old}) {
        exportTo(file, Kind::Information,
                 u"Az exportálás sikeres volt.\nMeg kívánja tekinteni az elkészült állományt a "
                 u"Jegyzettömbben?"_s);
        EXPECT_TRUE(readFile(file).starts_with("\xEF\xBB\xBF"
                                               "Név;E-mail"));
    }
}

TEST(GuiFailingWrites, DataFileCopyReportsEveryFileAndKeepsAnOldCopy) {
    Book x;
    x.store(EventKind::Program, {ev(1, 9, "/bin/true ")});
    x.store(EventKind::NameDay, {ev(1, 0, "Antal Ede")});
    x.store(EventKind::Birthday, {ev(2, 0, "Zsoldos Pál")});
    x.show(MainWindow::TabActions);
    x.click("exportButton");
    const fs::path target = x.dir.path() / "masolat";
    fs::create_directories(target);
    test::writeFile(target / "partnerek.dat", "régi másolat");
    QString all;
    for (const char* f : {"partnerek.dat", "emlekeztetok.dat", "programok.dat", "nevnapok.dat",
                          "szuletesnapok.dat", "beallitasok.cfg"})
        all += q(target / f) + u'\n';
    x.dialogs.answerFile(q(target));
    x.dialogs.expect(Kind::Information,
                     u"Egyik adatállományt sem sikerült átmásolni! Ezek a következők:\n"_s + all, Dialogs::Ok,
                     Dialogs::Ok);
    x.failsWholly([&] { emit x.get<QComboBox>("exportTaskBox")->activated(2); });
    // Once there is room, the copy goes through (its report is the export's).
    x.tick();
    x.dialogs.answerFile(q(target));
    x.dialogs.allowAny();
    emit x.get<QComboBox>("exportTaskBox")->activated(2);
    EXPECT_TRUE(x.dialogs.shown.back().text.startsWith(u"Valamennyi adatállományt sikerült átmásolni"_s));
    EXPECT_EQ(readFile(target / "partnerek.dat"), readFile(x.data("partnerek.dat")));
}

TEST(GuiFailingWrites, ARecurringReminderThatCannotMoveOnStillFiresAndSaysWhy) {
    Book x;
    x.store(EventKind::Reminder,
            {test::event(dayNumber(2024, 3, 5), 9, 6, "hetente", true, Recurrence::Weekly)});
    x.show();
    x.sound.take();
    x.dialogs.expect(Kind::Stop, diskFull(x.data("emlekeztetok.dat")));
    x.failsWholly([&] { x.tick(); });
    EXPECT_TRUE(x.sound.take().contains(u"default loop"_s));
    EXPECT_EQ(test::child<QTextEdit>(x.w->alertWindow(), "reminderDisplay")->toPlainText(), u"hetente"_s);
    EXPECT_EQ(*x.w->events().table(EventKind::Reminder).rows[0].day, dayNumber(2024, 3, 5));
}
