// Renders every tab, the alert, the notice, the missed-events window and the service view in the three colour
// presets into PNG files, over a sample program folder, for the documentation and for checking layouts by
// eye. Usage: zel_screenshots OUTDIR   (run on a real or virtual X server for the system's look)
//        zel_screenshots --sample DIR   only writes the sample program folder (data and settings, the
//                                       notice on at start and at exit) for trying the real program on
//        zel_screenshots --icons DIR    writes the program's icon in the hicolor sizes under DIR, as the
//                                       installation ships it

#include "core/app/paths.h"
#include "gui/alert/missed_window.h"
#include "gui/start/app_setup.h"
#include "gui/sync/account_dialog.h"
#include "gui/sync/sync_controller.h"
#include "gui/sync/sync_report_window.h"
#include "gui/tabs/import_panel.h"
#include "gui/text/qt_text.h"
#include "gui/theme/icons.h"
#include "gui/widgets/contact_table_model.h"
#include "support/app_fixture.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QScreen>
#include <cstdio>

using namespace zel;
using namespace zel::test;

namespace {

void settle() {
    for (int i = 0; i < 5; ++i)
        QApplication::processEvents();
}

void save(QWidget* w, const QString& file) {
    settle();
    if (!w->grab().save(file)) std::fprintf(stderr, "cannot write %s\n", qPrintable(file));
}

void fill(Start& s) {
    const DayNumber today = dayNumber(2026, 12, 6);
    s.storePartners({partner("Ábel Ágnes", "agnes@example.hu", "+36 30 123 4567"),
                     partner("Éva Őri", "eva@example.hu"), partner("Íjász Ödön"),
                     partner("Óvári Úrsula", "ursula@example.hu", "+36 20 765 4321"),
                     partner("Ürmös Űrhajós")});
    s.store(EventKind::Reminder,
            {event(today, 10, 30, "Fogorvos: Ő utána Á-val"), event(today + 1, 8, 0, "Értekezlet"),
             event(today + 3, 17, 45, "Úszás az uszodában", false)});
    s.store(EventKind::Program, {event(today, 12, 0, "/usr/bin/xterm")});
    s.store(EventKind::NameDay, {event(today + 2, 0, 0, "Ábel Ágnes"), event(today + 20, 0, 0, "Éva Őri")});
    s.store(EventKind::Birthday, {event(today + 1, 0, 0, "Íjász Ödön")});
}

struct Shooter {
    QString dir;
    Start start;
    std::unique_ptr<gui::MainWindow> w;

    Shooter(const QString& out, bool service) : dir(out) {
        start.clock.set(Moment::at(2026, 12, 6, 10, 15, 0));
        start.dialogs.allowAny();
        start.quiet();
        fill(start);
        if (service) writeFile(AppPaths{start.dir.path()}.serviceMarker(), "");
        w = start.open();
        w->show();
    }

    void preset(const ThemeColors& colors) {
        Settings s = w->state().settings();
        s.colors = colors;
        w->state().setSettings(s);
        settle();
    }

    // A spreadsheet's contacts through "Hozzáadás", as a user reads them in.
    void readSampleContacts() {
        const std::filesystem::path csv = start.dir.path() / "partnerek.csv";
        const char* first = "Kertész Klára;klara@example.hu;+36 1 222 3333;+36 70 444 5555;www.example.hu;"
                            "Szeged, Fő tér 2;Kedden";
        writeFile(csv, std::string("Név;E-mail;Telefon;Mobil;Honlap;Cím;Megjegyzés\r\n") + first +
                           "\r\nŐsz Örs;ors@example.hu;;+36 20 987 6543;;;\r\n"
                           "Zágoni Zsófia;zsofi@example.hu;+36 52 111 222;;;Debrecen, Piac utca 9;"
                           "\"Két sor:\r\nmásodik\"\r\n");
        start.dialogs.answerFiles({q(csv)});
        start.dialogs.expectInput(
            QStringLiteral("Adja meg, hogy melyik karakter választja el az egyes adatokat egymástól.") +
                gui::kNl + gui::kNl + QStringLiteral("Segítségül az importálandó fájl első adatsora:") +
                gui::kNl + QString::fromUtf8(first),
            QStringLiteral(";"));
        w->actionsTab()->importPanel().addFiles();
    }

    void shoot(const QString& name) { save(w.get(), dir + QLatin1Char('/') + name + QStringLiteral(".png")); }

    // The export's task list opened over the window: a pop-up is a window of its own, so the screen
    // is taken where the two lie.
    void shootTaskList(const QString& name) {
        auto* tasks = child<QComboBox>(w.get(), "exportTaskBox");
        tasks->showPopup();
        settle();
        QWidget* popup = tasks->view()->window();
        const QRect area = w->frameGeometry().united(popup->frameGeometry());
        const QPixmap shot = w->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
        if (!shot.save(dir + QLatin1Char('/') + name + QStringLiteral(".png")))
            std::fprintf(stderr, "cannot write %s\n", qPrintable(name));
        tasks->hidePopup();
    }
};

// The account dialog after a search with a calendar chosen, and on a server without calendars, on a
// desktop without a secret store; and a report with a bit of everything.
void shootSync(Shooter& x, const QString& out) {
    const QString home = QStringLiteral("https://cloud.example.hu/dav/addressbooks/kovacs.agnes/");
    Settings s = x.w->state().settings();
    const QString calendars = QStringLiteral("https://cloud.example.hu/dav/calendars/kovacs.agnes/");
    s.account = {"https://cloud.example.hu",
                 "kovacs.agnes",
                 home.toStdString() + "contacts/",
                 "Névjegyek",
                 30,
                 calendars.toStdString() + "zelmoran/",
                 "Zelmoran"};
    x.w->state().setSettings(s);
    FakeSecretStore noStore;
    noStore.answers = false;
    const gui::AccountDialog::Discovery discovery{
        [home](QUrl, gui::DavCredentials, gui::AccountDialog::Discovery::Found done) {
            done({{QUrl(home + QStringLiteral("contacts/")), QStringLiteral("Névjegyek")},
                  {QUrl(home + QStringLiteral("work/")), QStringLiteral("Ügyfelek és Őrszemek")}},
                 QUrl(home), {});
        },
        {},
        [calendars](QUrl, gui::DavCredentials, gui::AccountDialog::Discovery::CalendarsFound done) {
            done({{QUrl(calendars + QStringLiteral("personal/")), QStringLiteral("Személyes")},
                  {QUrl(calendars + QStringLiteral("zelmoran/")), QStringLiteral("Zelmoran")}},
                 QUrl(calendars), {});
        },
        {}};
    gui::AccountDialog account(x.w->state(), x.start.dialogs, noStore, discovery, x.w.get());
    account.show();
    child<QLineEdit>(&account, "passwordEdit")->setText(QStringLiteral("titok"));
    child<QPushButton>(&account, "searchButton")->click();
    save(&account, out + QStringLiteral("/sync-account.png"));
    account.reject();

    // A server that offers no calendar: the choice keeps "Nincs naptár", and a line says why.
    gui::AccountDialog::Discovery noCalendars = discovery;
    noCalendars.discoverCalendars = [](QUrl, gui::DavCredentials,
                                       gui::AccountDialog::Discovery::CalendarsFound done) {
        done({}, {}, {gui::DavError::Kind::Server, 404, QStringLiteral("cloud.example.hu"), {}});
    };
    gui::AccountDialog withoutCalendars(x.w->state(), x.start.dialogs, noStore, noCalendars, x.w.get());
    withoutCalendars.show();
    child<QLineEdit>(&withoutCalendars, "passwordEdit")->setText(QStringLiteral("titok"));
    child<QPushButton>(&withoutCalendars, "searchButton")->click();
    save(&withoutCalendars, out + QStringLiteral("/sync-account-no-calendar.png"));
    withoutCalendars.reject();

    SyncReport r;
    r.local = {2, 1, 0};
    r.server = {1, 3, 1};
    r.conflicts = {{"Ábel Ágnes", PartnerField::Phone, "+36 30 123 4567", "+36 30 765 4321", true},
                   {"Éva Őri", PartnerField::Note, "Kedden hívható", "Csütörtökön hívható", false}};
    r.skipped = {{"/dav/a.vcf", "Ürmös: Űrhajós", SyncReport::Skipped::Reason::Colon},
                 {"/dav/b.vcf", "Íjász Ödön", SyncReport::Skipped::Reason::NameTaken}};
    r.kept = {"Óvári Úrsula"};
    r.postponed = 1;
    r.calendar = SyncReport::Calendar{{4, 1, 1}, 1, 0, 0, {}};
    gui::SyncReportWindow report(x.w.get());
    report.showReport(r);
    report.show();
    save(&report, out + QStringLiteral("/sync-report.png"));
    report.hide();
}

} // namespace

int main(int argc, char* argv[]) {
    if (argc == 3 && std::string(argv[1]) == "--sample") {
        Start sample;
        fill(sample);
        Settings s = defaultSettings();
        s.noticeAtExit = true;
        sample.writeSettings(s);
        std::filesystem::copy(sample.dir.path(), argv[2],
                              std::filesystem::copy_options::recursive |
                                  std::filesystem::copy_options::overwrite_existing);
        return 0;
    }
    QApplication app(argc, argv);
    gui::setUpApplication(app);
    if (argc == 3 && std::string(argv[1]) == "--icons") {
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256}) {
            const QString folder =
                QStringLiteral("%1/hicolor/%2x%2/apps").arg(QString::fromLocal8Bit(argv[2])).arg(size);
            QDir().mkpath(folder);
            if (!gui::listIcon(0, size).save(folder + QStringLiteral("/org.example.Zelmoran.png"))) return 1;
        }
        return 0;
    }
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s OUTDIR\n", argv[0]);
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    const struct {
        const char* name;
        ThemeColors colors;
    } presets[] = {
        {"kekes-zold", kThemeBluishGreen}, {"fekete-feher", kThemeBlackAndWhite}, {"bolondos", kThemeMadcap}};

    Shooter x(out, false);
    for (const auto& p : presets) {
        const QString name = QString::fromLatin1(p.name);
        x.preset(p.colors);
        for (int tab = 0; tab < x.w->pages()->count(); ++tab) {
            x.w->pages()->setCurrentIndex(tab);
            x.shoot(name + QStringLiteral("-tab%1").arg(tab));
        }
        // The listing in range mode, and the editor open on the first row's text.
        x.w->pages()->setCurrentIndex(gui::MainWindow::TabEvents);
        if (auto* range = x.w->findChild<QRadioButton*>(QStringLiteral("rangeFilter"))) {
            range->click();
            x.shoot(name + QStringLiteral("-range"));
        }
        x.w->eventsTab()->openEvent(EventKind::Reminder, QStringLiteral("2026.12.06."),
                                    QStringLiteral("10:30"));
        x.shoot(name + QStringLiteral("-editor"));
        x.w->pages()->setCurrentIndex(gui::MainWindow::TabPartners);
        x.w->partnersTab()->startNewPartner(QStringLiteral(" Új Ödön"));
        x.shoot(name + QStringLiteral("-partner-editor"));
        x.w->partnersTab()->showEmpty();
        x.w->pages()->setCurrentIndex(gui::MainWindow::TabActions);
        x.w->actionsTab()->showImport();
        if (x.w->actionsTab()->importPanel().list().isEmpty()) x.readSampleContacts();
        x.shoot(name + QStringLiteral("-import"));
        x.w->actionsTab()->showExport();
        x.shoot(name + QStringLiteral("-export"));
        x.shootTaskList(name + QStringLiteral("-export-tasks"));
        x.w->actionsTab()->showNameDaySearch();

        gui::AlertWindow* alert = x.w->alertWindow();
        alert->showAlert(QStringLiteral("Zelmoran - Emlékeztető (2026.12.06. 10:30)"),
                         QStringLiteral("Fogorvos: Ő utána Á-val\nÉs még egy sor."),
                         QStringLiteral("2026.12.06.|10:30"));
        save(alert, out + QLatin1Char('/') + name + QStringLiteral("-alert.png"));
        alert->prepareNotice({QStringLiteral("Ábel Ágnes  Névnapja: december 8."),
                              QStringLiteral("Íjász Ödön  Születésnapja: december 11.")},
                             true, true, false);
        save(alert, out + QLatin1Char('/') + name + QStringLiteral("-notice.png"));
        alert->hide();
        // After a night with the computer asleep.
        gui::MissedWindow* missed = x.w->missedWindow();
        missed->add(
            {{EventKind::Reminder, cp("Gyógyszer bevétele"), dayNumber(2026, 12, 5), 22 * 60,
              Recurrence::Daily, 2},
             {EventKind::Program, cp("/usr/bin/napi-mentés --teljes"), dayNumber(2026, 12, 6), 3 * 60},
             {EventKind::Reminder, cp("Ügyfél visszahívása – Őry Éva"), dayNumber(2026, 12, 6),
              7 * 60 + 45}});
        settle();
        save(missed, out + QLatin1Char('/') + name + QStringLiteral("-missed.png"));
        missed->hide();
    }
    shootSync(x, out);
    x.w->syncController()->accountChanged();
    x.preset(kThemeBluishGreen);
    x.w->pages()->setCurrentIndex(gui::MainWindow::TabActions);
    x.w->actionsTab()->setSyncStatus(gui::SyncController::successText(Moment::at(2026, 12, 6, 10, 5)), {});
    x.shoot(QStringLiteral("sync-actions"));
    x.w->actionsTab()->setSyncRunning(true);
    x.w->actionsTab()->setSyncStatus(QStringLiteral("Szinkronizálás…"), {});
    x.w->actionsTab()->setSyncProgress(120, 400);
    x.shoot(QStringLiteral("sync-running"));
    x.w->hide();

    Shooter service(out, true);
    service.shoot(QStringLiteral("service"));
    return 0;
}
