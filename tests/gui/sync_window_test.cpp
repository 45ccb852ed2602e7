// The synchronisation as the window runs it: the button, the tray item, the password asked once, the
// status line, the report, what a failure shows, and the account dialog with the program's own client.

#include "core/settings/further_settings.h"
#include "gui/platform/qt_tray.h"
#include "gui/sync/account_dialog.h"
#include "gui/sync/sync_controller.h"
#include "gui/sync/sync_report_window.h"
#include "support/app_fixture.h"
#include "support/fakes.h"
#include "support/sync_fixture.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPointer>
#include <QProgressBar>
#include <QTimer>

namespace zel::test {
namespace {

using namespace Qt::StringLiterals;
using Kind = gui::Dialogs::Kind;

const QString kWrongPassword = u"A kiszolgáló nem fogadta el a felhasználónevet vagy a jelszót.\n\n"
                               u"A jelszót a Beállítások fül „Szinkronizálás…” gombjával javíthatja."_s;

class SyncWindow : public SyncFixture {
  protected:
    App app_{Moment::at(2026, 12, 8, 10, 15, 0)};

    // The account in the settings, as the account dialog saves it.
    void account(int everyMinutes = 0, QUrl server = {}, const QString& calendar = {}) {
        if (server.isEmpty()) server = server_.baseUrl();
        Settings s = defaultSettings();
        s.warnings = false;
        app_.writeSettings(s);
        s.account = {server.toString().toStdString(),
                     "anna",
                     server.resolved(QUrl(u"/anna/partnerek/"_s)).toString().toStdString(),
                     "partnerek",
                     everyMinutes,
                     calendar.isEmpty() ? std::string()
                                        : server.resolved(QUrl(calendar)).toString().toStdString(),
                     calendar.isEmpty() ? std::string() : "naptár"};
        FurtherSettingsText text = FurtherSettingsText::created();
        text.set(s);
        writeFurtherSettingsFile(app_.dir.path() / "beallitasok-tovabbi.ini", text);
    }
    QString prompt(const QUrl& server = {}) const {
        return u"Adja meg a jelszót a szinkronizáláshoz.\n\nKiszolgáló: %1\nFelhasználó: anna"_s.arg(
            (server.isEmpty() ? server_.baseUrl() : server).toString());
    }
    gui::SyncController& sync() const { return *app_.w->syncController(); }
    // Runs `start` and waits for the run it begins to end.
    template <class F> void runAndWait(F start) {
        bool ended = false;
        const auto c = QObject::connect(&sync(), &gui::SyncController::finished, [&] { ended = true; });
        start();
        EXPECT_TRUE(QTest::qWaitFor([&] { return ended; }, 60000)) << "the sync never ended";
        QObject::disconnect(c);
    }
    void press() {
        app_.w->pages()->setCurrentIndex(gui::MainWindow::TabActions);
        runAndWait([this] { app_.click("syncButton"); });
    }
    QString status() const {
        QLabel* l = app_.get<QLabel>("syncStatus");
        return l->isVisibleTo(app_.w.get()) ? l->text() : QString();
    }
    std::string partnerFile() const { return readFile(app_.data("partnerek.dat")); }
};

TEST_F(SyncWindow, TheButtonAsksThePasswordOnceSyncsBothWaysAndTellsWhen) {
    app_.storePartners({partner("Kovács Anna", "anna@example.hu")});
    account();
    app_.show(gui::MainWindow::TabActions);
    EXPECT_EQ(status(), u"Még nem volt sikeres szinkronizálás."_s);
    EXPECT_FALSE(app_.get<QProgressBar>("syncProgress")->isVisibleTo(app_.w.get()));
    EXPECT_FALSE(sync().timer()->isActive()) << "no interval: only by hand";

    app_.dialogs.expectInput(prompt(), u"titok"_s);
    bool sawBar = false;
    QObject::connect(&sync(), &gui::SyncController::runningChanged, [&](bool on) {
        if (on) sawBar = app_.get<QProgressBar>("syncProgress")->isVisibleTo(app_.w.get());
    });
    press();
    EXPECT_TRUE(sawBar);
    EXPECT_FALSE(app_.get<QProgressBar>("syncProgress")->isVisibleTo(app_.w.get()));
    EXPECT_TRUE(app_.get("syncButton")->isEnabled());
    EXPECT_FALSE(fileNamed("Kovács Anna").isEmpty()) << "the partner went up";
    EXPECT_EQ(status(), u"Utolsó sikeres szinkronizálás: 2026.12.08. 10:15"_s);
    EXPECT_EQ(readFile(app_.data("szinkron-utoljara.txt")), "2026.12.08. 10:15:00\n");
    ASSERT_NE(sync().reportWindow(), nullptr);
    EXPECT_TRUE(sync().reportWindow()->isVisible()) << "asked by the user: the report shows";
    EXPECT_EQ(sync().reportWindow()->windowTitle(), u"Szinkronizálás eredménye"_s);

    // A card another client added comes down through the tray's item; the password is not asked again.
    putCard(u"bela.vcf"_s, "BEGIN:VCARD\r\nVERSION:3.0\r\nUID:bela-1\r\nFN:Szabó Béla\r\nN:Szabó;Béla;;;\r\n"
                           "TEL:+36 1 555 1234\r\nEND:VCARD\r\n");
    gui::QtTray tray;
    app_.w->attachTray(tray);
    QAction* item = tray.menu()->findChild<QAction*>(u"syncItem"_s);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->text(), u"Szinkronizálás"_s);
    app_.clock.set(Moment::at(2026, 12, 8, 11, 2, 0));
    runAndWait([&] { item->trigger(); });
    ASSERT_EQ(readAllPartners(app_.data("partnerek.dat")).size(), 2u);
    EXPECT_EQ(readAllPartners(app_.data("partnerek.dat"))[1].name, cp("Szabó Béla"));
    EXPECT_EQ(status(), u"Utolsó sikeres szinkronizálás: 2026.12.08. 11:02"_s);

    // A later start reads when the last one succeeded.
    app_.w.reset();
    app_.show(gui::MainWindow::TabActions);
    EXPECT_EQ(status(), u"Utolsó sikeres szinkronizálás: 2026.12.08. 11:02"_s);
}

TEST_F(SyncWindow, AWrongPasswordGivesOneBoxAndHoldsTheRunsThatStartByThemselves) {
    app_.storePartners({partner("Kovács Anna")});
    account(15);
    app_.show(gui::MainWindow::TabActions);
    EXPECT_TRUE(sync().timer()->isActive());
    EXPECT_EQ(sync().timer()->interval(), 15 * 60 * 1000);
    const std::string before = partnerFile();

    app_.dialogs.expectInput(prompt(), u"rossz"_s);
    app_.dialogs.expect(Kind::Error, kWrongPassword);
    runAndWait([this] { sync().syncAutomatically(); });
    EXPECT_TRUE(sync().automaticHeld());
    EXPECT_EQ(status(), u"Nem sikerült (10:15). Még nem volt sikeres szinkronizálás."_s);
    EXPECT_EQ(app_.get<QLabel>("syncStatus")->toolTip(),
              u"A kiszolgáló nem fogadta el a felhasználónevet vagy a jelszót."_s);
    // The timer's next turns ask nothing and show nothing.
    sync().syncAutomatically();
    sync().syncAutomatically();
    EXPECT_FALSE(sync().running());
    EXPECT_EQ(app_.dialogs.shown.size(), 1u);
    EXPECT_EQ(partnerFile(), before);
    EXPECT_TRUE(cards().empty());
    EXPECT_FALSE(std::filesystem::exists(app_.data("szinkron-cimjegyzek.txt")));

    // The user's own press asks again, since the typed password was wrong.
    app_.dialogs.expectInput(prompt(), u"titok"_s);
    press();
    EXPECT_FALSE(sync().automaticHeld());
    EXPECT_EQ(cards().size(), 1u);
    EXPECT_EQ(status(), u"Utolsó sikeres szinkronizálás: 2026.12.08. 10:15"_s);
    ASSERT_NE(sync().reportWindow(), nullptr);
    EXPECT_TRUE(sync().reportWindow()->isVisible());
}

TEST_F(SyncWindow, AWrongPasswordFromTheStoreIsLeftThereForTheAccountDialogToCorrect) {
    FakeSecretStore store;
    store.passwords.insert(gui::passwordKey(u"anna"_s, server_.baseUrl().toString()), u"rossz"_s);
    app_.secrets = &store;
    account();
    app_.show(gui::MainWindow::TabActions);
    app_.dialogs.expect(Kind::Error, kWrongPassword);
    press();
    EXPECT_EQ(store.passwords.size(), 1) << "not the program's to delete";
    EXPECT_FALSE(store.calls.join(u' ').contains(u"remove"_s));
    // Corrected in the store (as the account dialog does), the next press goes through.
    store.passwords.insert(gui::passwordKey(u"anna"_s, server_.baseUrl().toString()), u"titok"_s);
    press();
    EXPECT_EQ(status(), u"Utolsó sikeres szinkronizálás: 2026.12.08. 10:15"_s);
}

TEST_F(SyncWindow, AServerOutOfReachOnlyTellsTheStatusLineUnlessTheUserAsked) {
    const QUrl nowhere(u"http://127.0.0.1:9/"_s);
    app_.storePartners({partner("Kovács Anna")});
    account(30, nowhere);
    app_.show(gui::MainWindow::TabActions);
    const std::string before = partnerFile();

    app_.dialogs.expectInput(prompt(nowhere), u"titok"_s);
    runAndWait([this] { sync().syncAutomatically(); });
    EXPECT_TRUE(app_.dialogs.shown.empty()) << "a run by itself tries again later, without a box";
    EXPECT_FALSE(sync().automaticHeld());
    EXPECT_EQ(status(), u"Nem sikerült (10:15). Még nem volt sikeres szinkronizálás."_s);
    EXPECT_TRUE(
        app_.get<QLabel>("syncStatus")->toolTip().startsWith(u"A kiszolgáló (127.0.0.1) nem érhető el"_s));
    EXPECT_EQ(partnerFile(), before);

    // The next turn of the timer tries again, the password kept for the run.
    app_.dialogs.allowAny();
    press();
    ASSERT_EQ(app_.dialogs.shown.size(), 1u);
    EXPECT_EQ(app_.dialogs.shown[0].kind, Kind::Error);
    EXPECT_TRUE(app_.dialogs.shown[0].text.startsWith(u"A kiszolgáló (127.0.0.1) nem érhető el"_s))
        << app_.dialogs.shown[0].text.toStdString();
    EXPECT_EQ(partnerFile(), before);
}

TEST_F(SyncWindow, WithoutAnAccountTheButtonOpensTheAccountDialog) {
    app_.quiet();
    app_.show(gui::MainWindow::TabActions);
    EXPECT_EQ(status(), QString()) << "no account: no line";
    EXPECT_FALSE(sync().timer()->isActive());
    app_.click("syncButton");
    EXPECT_EQ(app_.w->pages()->currentIndex(), gui::MainWindow::TabSettings);
    auto* dialog = app_.w->findChild<gui::AccountDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(sync().running());
    dialog->reject();
}

TEST_F(SyncWindow, TheAccountDialogFindsTheBookAndMakesTheCalendarOnTheServer) {
    FakeSecretStore store;
    app_.secrets = &store;
    app_.quiet();
    app_.show(gui::MainWindow::TabSettings);
    app_.click("syncAccountButton");
    QPointer<gui::AccountDialog> dialog = app_.w->findChild<gui::AccountDialog*>();
    ASSERT_TRUE(dialog && dialog->isVisible());
    child<QLineEdit>(dialog.data(), "serverEdit")->setText(server_.baseUrl().toString());
    child<QLineEdit>(dialog.data(), "userEdit")->setText(u"anna"_s);
    child<QLineEdit>(dialog.data(), "passwordEdit")->setText(u"titok"_s);
    auto* calendars = child<QComboBox>(dialog.data(), "calendarChoice");
    calendars->setCurrentIndex(1);
    ASSERT_EQ(calendars->currentText(), u"Új naptár: Zelmoran"_s);
    // The program's own client: the books, the calendars, then the new calendar, one question after
    // the other.
    child<QAbstractButton>(dialog.data(), "saveButton")->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !dialog || !dialog->isVisible(); }, 60000));
    const SyncAccount& saved = app_.w->settings().account;
    EXPECT_EQ(saved.addressBook, book().toString().toStdString());
    EXPECT_EQ(saved.calendar,
              server_.baseUrl().resolved(QUrl(u"/anna/zelmoran/"_s)).toString().toStdString());
    EXPECT_EQ(saved.calendarName, "Zelmoran");
    const HttpReply made =
        send("PROPFIND", "/anna/zelmoran/", {{"Depth", "0"}, {"Content-Type", "application/xml"}},
             R"(<D:propfind xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav"><D:prop>)"
             R"(<D:resourcetype/><D:displayname/></D:prop></D:propfind>)");
    EXPECT_EQ(made.status, 207);
    EXPECT_TRUE(made.body.contains("<C:calendar") && made.body.contains(">Zelmoran</")) << made.body.data();
}

TEST_F(SyncWindow, AnAccountOutlivesALostSettingsRecord) {
    account(20);
    std::filesystem::remove(app_.cfgPath());
    const std::string further = readFile(app_.dir.path() / "beallitasok-tovabbi.ini");
    app_.show(gui::MainWindow::TabActions);
    EXPECT_TRUE(app_.w->settings().account.configured());
    EXPECT_EQ(app_.w->settings().account.everyMinutes, 20);
    EXPECT_EQ(status(), u"Még nem volt sikeres szinkronizálás."_s);
    EXPECT_TRUE(std::filesystem::exists(app_.cfgPath())) << "the record is made again";
    // "Mentés" keeps the account's lines.
    app_.dialogs.allowAny();
    app_.w->pages()->setCurrentIndex(gui::MainWindow::TabSettings);
    app_.click("saveSettingsButton");
    EXPECT_EQ(readFile(app_.dir.path() / "beallitasok-tovabbi.ini"), further);
}

TEST_F(SyncWindow, DeletionsBeyondTheGuardAreAskedAndARefusalChangesNothing) {
    app_.storePartners(
        {partner("Ács Ede"), partner("Bakó Bea"), partner("Cseh Cili"), partner("Dénes Dóra")});
    account();
    app_.show(gui::MainWindow::TabActions);
    app_.dialogs.expectInput(prompt(), u"titok"_s);
    press();
    ASSERT_EQ(cards().size(), 4u);
    for (const char* name : {"Ács Ede", "Bakó Bea"}) {
        const int status = send("DELETE", u"/anna/partnerek/"_s + fileNamed(name)).status;
        ASSERT_TRUE(status == 200 || status == 204) << status;
    }
    const std::string before = partnerFile();
    const QString question =
        u"A szinkronizálás 2 partnert törölne ezen a gépen vagy a kiszolgálón (összesen 4 partner van), "
        u"mert a másik oldalon törölték őket.\n\nFolytatja a szinkronizálást?"_s;

    app_.dialogs.expect(Kind::Confirmation, question, gui::Dialogs::No, gui::Dialogs::Yes | gui::Dialogs::No);
    press();
    EXPECT_EQ(app_.dialogs.shown.back().defaultButton, gui::Dialogs::No);
    EXPECT_EQ(partnerFile(), before);
    EXPECT_TRUE(sync().automaticHeld()) << "not asked again every few minutes";
    EXPECT_EQ(app_.get<QLabel>("syncStatus")->toolTip(),
              u"A szinkronizálás nem törölt 2 partnert, ezért leállt; semmi sem változott."_s);

    app_.dialogs.expect(Kind::Confirmation, question, gui::Dialogs::Yes);
    press();
    ASSERT_EQ(readAllPartners(app_.data("partnerek.dat")).size(), 2u);
    EXPECT_EQ(readAllPartners(app_.data("partnerek.dat"))[0].name, cp("Cseh Cili"));
}

TEST_F(SyncWindow, OneRunSyncsThePartnersAndPublishesTheDatesAndACalendarFailureNeverHoldsThePartners) {
    ASSERT_EQ(send("MKCALENDAR", "/anna/naptar/").status, 201);
    app_.storePartners({partner("Kovács Anna")});
    app_.store(EventKind::NameDay, {{true, {}, cp("Kovács Anna"), double(dayNumber(2026, 1, 21)), 0}});
    account(0, {}, u"/anna/naptar/"_s);
    app_.show(gui::MainWindow::TabActions);
    app_.dialogs.expectInput(prompt(), u"titok"_s);
    press();
    EXPECT_FALSE(fileNamed("Kovács Anna").isEmpty());
    QDir calendar(server_.storagePath() + u"/collection-root/anna/naptar"_s);
    EXPECT_EQ(calendar.entryList({u"*.ics"_s}, QDir::Files).size(), 1);
    EXPECT_EQ(status(), u"Utolsó sikeres szinkronizálás: 2026.12.08. 10:15"_s);
    ASSERT_NE(sync().reportWindow(), nullptr);
    EXPECT_EQ(child<QLabel>(sync().reportWindow(), "syncSummary")->text(),
              u"Ezen a gépen: 0 új, 0 módosított, 0 törölt partner\n"
              u"A kiszolgálón: 1 új, 0 módosított, 0 törölt névjegy\n"
              u"A naptárban: 1 új, 0 módosított, 0 törölt esemény"_s);

    // The calendar gone from the server: the partners still go up; no box, the line and the report say it.
    ASSERT_EQ(send("DELETE", "/anna/naptar/").status, 200);
    app_.w->state().savePartner(partner("Nagy Béla"), std::nullopt);
    app_.clock.set(Moment::at(2026, 12, 8, 10, 20, 0));
    const std::size_t boxes = app_.dialogs.shown.size();
    press();
    EXPECT_FALSE(fileNamed("Nagy Béla").isEmpty());
    EXPECT_EQ(app_.dialogs.shown.size(), boxes);
    EXPECT_EQ(status(), u"A naptár frissítése nem sikerült (10:20). Utolsó sikeres: 2026.12.08. 10:15"_s);
    EXPECT_FALSE(app_.get<QLabel>("syncStatus")->toolTip().isEmpty());
    const QLabel* notes = child<QLabel>(sync().reportWindow(), "postponedLine");
    EXPECT_TRUE(notes->isVisible());
    EXPECT_TRUE(notes->text().startsWith(u"A naptár frissítése nem sikerült: "_s))
        << notes->text().toStdString();
    EXPECT_FALSE(sync().automaticHeld());
}

} // namespace
} // namespace zel::test
