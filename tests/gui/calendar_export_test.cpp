// The events out as an iCalendar file: the export panel's task and "zelmoran --export FILE.ics", each
// file read back by Python's icalendar package, which shares no code with the writer.

#include "gui/tabs/export_panel.h"
#include "support/app_fixture.h"
#include "support/ics_reader.h"
#include "support/write_limits.h"

#include <QProcess>
#include <algorithm>
#include <map>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::q;
using zel::test::readFile;
using Kind = Dialogs::Kind;
namespace fs = std::filesystem;

namespace {

const QString kTask = u"Események exportálása iCalendar állományba (.ics)"_s;

// A small folder's events in the program's folder: what a calendar shows of them and what it must not.
void storeSample(const fs::path& folder) {
    const auto store = [&](EventKind kind, const std::vector<EventRecord>& records) {
        test::writeEvents(folder / "Data" / eventFileName(kind), kind, records);
    };
    store(EventKind::Reminder,
          {test::event(dayNumber(2024, 3, 10), 8, 0, "Fogorvos – Ágnes"),
           test::event(dayNumber(2024, 3, 12), 10, 0, "Kikapcsolt", false),
           test::event(dayNumber(2024, 4, 2), 18, 15, "Úszás; uszoda", true, Recurrence::Weekly)});
    store(EventKind::Program,
          {test::event(dayNumber(2024, 3, 6), 7, 0, "/usr/bin/true", true, Recurrence::Daily)});
    store(EventKind::NameDay, {test::event(dayNumber(2024, 1, 21), 0, 0, "Kovács Ágnes")});
    store(EventKind::Birthday, {test::event(dayNumber(1985, 7, 15), 0, 0, "Tóth Éva")});
}

// The alarm time of name days and birthdays, as the settings file beside the data keeps it.
void setAlarmTime(const fs::path& folder, const char* time) {
    test::writeFile(folder / "beallitasok-tovabbi.ini", std::string("calendar-alarm-time=") + time + "\n");
}

const std::string kZone = "VTIMEZONE | /freeassociation.sourceforge.net/Europe/Budapest | Europe/Budapest";
const std::string kAt = " TZID=/freeassociation.sourceforge.net/Europe/Budapest";

// The sample as the reader prints it, identifiers aside; a celebration's alarm `alarm` after midnight.
std::vector<std::string> sampleRead(const std::string& alarm) {
    return {"CALENDAR | -//Zelmoran//Zelmoran//HU | 2.0",
            kZone,
            "\"Fogorvos – Ágnes\" | 2024-03-10T08:00:00+01:00" + kAt +
                " | - | no end | DISPLAY TRIGGER;RELATED=START:P0D \"Fogorvos – Ágnes\"",
            "\"Úszás; uszoda\" | 2024-04-02T18:15:00+02:00" + kAt +
                " | FREQ=WEEKLY | no end | DISPLAY TRIGGER;RELATED=START:P0D \"Úszás; uszoda\"",
            "\"Névnap: Kovács Ágnes\" | 2024-01-21 | FREQ=YEARLY | no end | DISPLAY TRIGGER;RELATED=START:" +
                alarm + " \"Névnap: Kovács Ágnes\"",
            "\"Születésnap: Tóth Éva\" | 1985-07-15 | FREQ=YEARLY | no end | DISPLAY TRIGGER;RELATED=START:" +
                alarm + " \"Születésnap: Tóth Éva\""};
}

struct CalendarExport : test::App {
    CalendarExport() {
        quiet();
        storeSample(dir.path());
        setAlarmTime(dir.path(), "7:30");
        // 08:05:07 UTC, an hour behind Budapest's winter time.
        clock.set(Moment::at(2024, 3, 5, 9, 5, 7), 60);
        show(MainWindow::TabActions);
        click("exportButton");
    }
    QComboBox* tasks() const { return get<QComboBox>("exportTaskBox"); }
    void runTask() const { emit tasks()->activated(tasks()->findText(kTask)); }
    QString written(const fs::path& file, std::size_t n) const {
        return u"Az exportálás sikeres volt.\n%1 esemény került a következő állományba:\n"_s.arg(n) + q(file);
    }
    // Every name in the program's folder, the data folder's included.
    std::vector<fs::path> files() const {
        std::vector<fs::path> out;
        for (const auto& entry : fs::recursive_directory_iterator(dir.path()))
            out.push_back(entry.path());
        std::sort(out.begin(), out.end());
        return out;
    }
};

} // namespace

TEST(GuiCalendarExport, TheTaskWritesTheActiveRemindersNameDaysAndBirthdaysWithTheSetAlarmTime) {
    if (!test::icsReaderAvailable()) GTEST_SKIP() << "reading back needs python3-icalendar";
    CalendarExport x;
    EXPECT_EQ(x.tasks()->itemText(3), kTask);

    // A name without an extension gets ".ics"; a file there is replaced whole, with no question of the
    // export's own (the save dialog asks).
    const fs::path file = x.dir.path() / "naptar.ics";
    test::writeFile(file, std::string(50'000, 'x'));
    x.dialogs.answerFile(q(x.dir.path() / "naptar"));
    x.dialogs.expect(Kind::Information, x.written(file, 4), Dialogs::Ok, Dialogs::Ok);
    x.runTask();
    EXPECT_EQ(x.dialogs.fileCalls.back().caption, u"Események exportálása iCalendar állományba"_s);
    EXPECT_EQ(x.dialogs.fileCalls.back().folder, q(x.dir.path() / "zelmoran.ics"));
    EXPECT_EQ(x.dialogs.fileCalls.back().filter, u"iCalendar (*.ics)|*.ics"_s);
    EXPECT_EQ(x.tasks()->currentIndex(), 0);
    EXPECT_EQ(test::icsLinesWithoutUids(file), sampleRead("PT7H30M"));
    // Stamped with the clock's instant, in UTC.
    const std::string ics = readFile(file);
    EXPECT_NE(ics.find("\r\nDTSTAMP:20240305T080507Z\r\n"), std::string::npos);
    EXPECT_EQ(ics.find("Kikapcsolt"), std::string::npos);
    EXPECT_EQ(ics.find("/usr/bin/true"), std::string::npos);

    // A table changed on disk since it was read goes out as the file holds it now; the alarm follows
    // the live setting.
    x.store(EventKind::Birthday, {});
    Settings s = x.w->state().settings();
    s.celebrationAlarmMinute = 18 * 60 + 5;
    x.w->state().setSettings(s);
    x.dialogs.answerFile(q(file));
    x.dialogs.expect(Kind::Information, x.written(file, 3));
    x.runTask();
    std::vector<std::string> want = sampleRead("PT18H5M");
    want.pop_back();
    EXPECT_EQ(test::icsLinesWithoutUids(file), want);
}

TEST(GuiCalendarExport,
     ACancelledChoiceWritesNothingAFailedWriteKeepsWhatWasThereAndNoEventsGiveAnEmptyCalendar) {
    CalendarExport x;
    const auto before = x.files();
    x.dialogs.answerFile(QString());
    x.runTask();
    EXPECT_EQ(x.files(), before);
    EXPECT_TRUE(x.dialogs.shown.empty());

    // A write stopped halfway, as on a full disk: the error box names the file, whose old bytes stay,
    // and no temporary is left beside it.
    const fs::path old = x.dir.path() / "regi.ics";
    test::writeFile(old, "régi naptár");
    const auto withOld = x.files();
    x.dialogs.answerFile(q(old));
    x.dialogs.expect(Kind::Stop, u"I/O error 27.\nAz állomány nagyobb lenne, mint amekkorát a lemez vagy a "
                                 u"rendszer megenged.\n"_s +
                                     q(old));
    {
        test::FileSizeCap cap(64);
        x.runTask();
    }
    EXPECT_EQ(x.files(), withOld);
    EXPECT_EQ(readFile(old), "régi naptár");

    // So does a folder where the file would go, and what it holds.
    const fs::path folder = x.dir.path() / "naptar.ics";
    fs::create_directory(folder);
    test::writeFile(folder / "bent.txt", "marad");
    const auto withFolder = x.files();
    x.dialogs.answerFile(q(folder));
    x.dialogs.expect(Kind::Stop, u"I/O error 21.\nAz állomány helyén egy mappa van.\n"_s + q(folder));
    x.runTask();
    EXPECT_EQ(x.files(), withFolder);
    EXPECT_EQ(readFile(folder / "bent.txt"), "marad");
    EXPECT_EQ(x.tasks()->currentIndex(), 0);

    // Nothing to write: a calendar all the same, and the user is told it is empty.
    for (EventKind kind : {EventKind::Reminder, EventKind::NameDay, EventKind::Birthday})
        x.store(kind, {});
    const fs::path empty = x.dir.path() / "ures.ICS";
    x.dialogs.answerFile(q(empty));
    x.dialogs.expect(
        Kind::Information,
        u"Nincs kiírható esemény (aktív emlékeztető, névnap vagy születésnap), ezért üres naptár "
        u"került a következő állományba:\n"_s +
            q(empty));
    x.runTask();
    const std::string ics = readFile(empty);
    EXPECT_TRUE(ics.starts_with("BEGIN:VCALENDAR\r\n") && ics.ends_with("END:VCALENDAR\r\n")) << ics;
    EXPECT_EQ(ics.find("BEGIN:VEVENT"), std::string::npos);
    if (test::icsReaderAvailable()) {
        EXPECT_EQ(test::icsLinesWithoutUids(empty),
                  (std::vector<std::string>{"CALENDAR | -//Zelmoran//Zelmoran//HU | 2.0", kZone}));
    }
}

namespace {

struct Outcome {
    int status = -1;
    QString out, err;
};

// The program copied into a folder of its own with the sample data, run as a script runs it.
class CalendarCommand : public ::testing::Test {
  protected:
    void SetUp() override {
        fs::create_directories(app_);
        fs::copy_file(ZEL_PROGRAM, app_ / "zelmoran");
        fs::create_directory(dir_.path() / "runtime");
        fs::permissions(dir_.path() / "runtime", fs::perms::owner_all);
        storeSample(app_);
        setAlarmTime(app_, "18:05");
    }

    QString arg(const fs::path& p) const { return QString::fromStdString(p.string()); }
    // The data files and the settings, byte for byte.
    std::map<fs::path, std::string> dataBytes() const {
        std::map<fs::path, std::string> out;
        for (const auto& entry : fs::recursive_directory_iterator(app_))
            if (entry.is_regular_file() && entry.path().filename() != ".zelmoran.lock" &&
                entry.path() != app_ / "zelmoran")
                out[entry.path()] = readFile(entry.path());
        return out;
    }
    QProcessEnvironment environment() const {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(u"XDG_RUNTIME_DIR"_s, arg(dir_.path() / "runtime"));
        env.insert(u"XDG_DATA_HOME"_s, arg(dir_.path() / "share"));
        env.insert(u"XDG_CONFIG_HOME"_s, arg(dir_.path() / "config"));
        env.insert(u"LC_ALL"_s, u"C.UTF-8"_s);
        env.remove(u"DISPLAY"_s);
        env.remove(u"WAYLAND_DISPLAY"_s);
        return env;
    }
    Outcome run(const QStringList& args) {
        QProcess p;
        p.setProcessEnvironment(environment());
        p.start(arg(app_ / "zelmoran"), args);
        Outcome r;
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit) {
            ADD_FAILURE() << "zelmoran " << args.join(u' ').toStdString() << " did not end normally";
            p.kill();
            p.waitForFinished();
            return r;
        }
        r.status = p.exitCode();
        r.out = QString::fromUtf8(p.readAllStandardOutput());
        r.err = QString::fromUtf8(p.readAllStandardError());
        return r;
    }

    test::TempDir dir_;
    fs::path app_ = dir_.path() / "app";
};

} // namespace

TEST_F(CalendarCommand, ExportToAnIcsNameWritesTheCalendarAndRefusesASeparatorAndARunningWindow) {
    const fs::path file = dir_.path() / "naptar.ICS";
    const auto data = dataBytes();
    const Outcome done = run({u"--export"_s, arg(file)});
    EXPECT_EQ(done.status, 0) << done.err.toStdString();
    EXPECT_EQ(done.out, u"4 esemény kiírva: "_s + arg(file) + u'\n');
    EXPECT_EQ(done.err, QString());
    if (test::icsReaderAvailable()) {
        EXPECT_EQ(test::icsLinesWithoutUids(file), sampleRead("PT18H5M"));
    } else {
        EXPECT_NE(readFile(file).find("SUMMARY:Születésnap: Tóth Éva\r\n"), std::string::npos);
    }
    EXPECT_EQ(dataBytes(), data); // read, never written

    // A calendar has no separator: a wrong argument, before anything is touched.
    const fs::path other = dir_.path() / "masik.ics";
    for (const QStringList& args : {QStringList{u"--export"_s, arg(other), u"--separator"_s, u";"_s},
                                    QStringList{u"--separator"_s, u"tab"_s, u"--export"_s, arg(other)}}) {
        const Outcome r = run(args);
        EXPECT_EQ(r.status, 2) << args.join(u' ').toStdString();
        EXPECT_TRUE(
            r.err.startsWith(u"zelmoran: a --separator nem adható meg, ha az --export iCalendar (.ics) "
                             u"állományba ír.\n\nHasználat:"_s))
            << r.err.toStdString();
    }
    EXPECT_FALSE(fs::exists(other));
    EXPECT_TRUE(run({u"--help"_s}).out.contains(u"\n      \".ics\" végű név esetén a partnerek helyett"_s));

    // The window holds the data: the export does not run. Its guard's lock names it once taken; the
    // lock file the runs above left goes first, so no earlier run's number can pass for the window's.
    for (const auto& entry : fs::directory_iterator(dir_.path() / "runtime"))
        if (entry.path().extension() == ".lock") fs::remove(entry.path());
    QProcess window;
    QProcessEnvironment env = environment();
    env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    window.setProcessEnvironment(env);
    window.start(arg(app_ / "zelmoran"), {});
    const std::string holder = std::to_string(window.processId()) + "\n";
    const auto guarded = [&] {
        for (const auto& entry : fs::directory_iterator(dir_.path() / "runtime"))
            if (entry.path().extension() == ".lock" && readFile(entry.path()) == holder) return true;
        return false;
    };
    ASSERT_TRUE(QTest::qWaitFor(guarded, 60000)) << "the window did not start";
    const Outcome running = run({u"--export"_s, arg(other)});
    window.kill();
    window.waitForFinished();
    EXPECT_EQ(running.status, 3);
    EXPECT_EQ(running.err, u"zelmoran: a program fut ezen az adatállományon, ezért a parancssor nem ír bele. "
                           u"Lépjen ki a programból, majd próbálja újra.\n"_s);
    EXPECT_FALSE(fs::exists(other));
}
