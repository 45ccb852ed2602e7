#include "gui/sync/account_dialog.h"
#include "gui/sync/secret_store.h"
#include "support/app_fixture.h"

#include <QSignalSpy>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using Kind = Dialogs::Kind;

namespace {

const QString kServer = u"https://cloud.example.hu"_s;
const QString kHome = u"https://cloud.example.hu/dav/addressbooks/anna/"_s;
const QString kCalendarHome = u"https://cloud.example.hu/dav/calendars/anna/"_s;
const QString kKey = u"carddav:anna@https://cloud.example.hu"_s;
const QString kSessionNote =
    u"A jelszót a rendszer jelszótára nem tudta megőrizni; a program csak a mostani futás idejére jegyzi meg."_s;

const QString kNoCalendar = u"Nincs naptár (a dátumok csak ezen a gépen)"_s;
const QString kNewCalendar = u"Új naptár: Zelmoran"_s;

AddressBookInfo book(const char* path, const QString& name) {
    return {QUrl(kHome + QString::fromLatin1(path)), name};
}

CalendarInfo calendar(const char* path, const QString& name) {
    return {QUrl(kCalendarHome + QString::fromLatin1(path)), name};
}

// The server as the dialog sees it: what it was asked, and the answers the test gave beforehand.
struct ScriptedServer {
    // "discover URL USER PASSWORD", "create HOME USER NAME", "calendars URL USER PASSWORD",
    // "create calendar HOME USER NAME"
    QStringList calls;
    std::vector<AddressBookInfo> books;
    DavError error;
    AddressBookInfo created = book("zelmoran/", u"Zelmoran"_s);
    DavError createError;
    std::vector<CalendarInfo> calendars;
    DavError calendarError;
    CalendarInfo createdCalendar = calendar("zelmoran/", u"Zelmoran"_s);
    DavError createCalendarError;

    AccountDialog::Discovery discovery() {
        return {[this](QUrl server, DavCredentials c, AccountDialog::Discovery::Found done) {
                    calls << u"discover "_s + server.toString() + u' ' + c.user + u' ' + c.password;
                    done(books, error ? QUrl() : QUrl(kHome), error);
                },
                [this](QUrl home, DavCredentials c, QString name, AccountDialog::Discovery::Created done) {
                    calls << u"create "_s + home.toString() + u' ' + c.user + u' ' + name;
                    done(createError ? AddressBookInfo{} : created, createError);
                },
                [this](QUrl server, DavCredentials c, AccountDialog::Discovery::CalendarsFound done) {
                    calls << u"calendars "_s + server.toString() + u' ' + c.user + u' ' + c.password;
                    done(calendarError ? std::vector<CalendarInfo>{} : calendars,
                         calendarError ? QUrl() : QUrl(kCalendarHome), calendarError);
                },
                [this](QUrl home, DavCredentials c, QString name,
                       AccountDialog::Discovery::CalendarCreated done) {
                    calls << u"create calendar "_s + home.toString() + u' ' + c.user + u' ' + name;
                    done(createCalendarError ? CalendarInfo{} : createdCalendar, createCalendarError);
                }};
    }
};

// The settings tab with an account dialog open over it.
struct Account : test::App {
    test::FakeSecretStore keychain;
    SessionSecretStore secrets{keychain};
    ScriptedServer server;
    QPointer<AccountDialog> dialog;
    std::unique_ptr<QSignalSpy> changed;

    Account() {
        quiet();
        show(MainWindow::TabSettings);
        auto* tab = w->findChild<SettingsTab*>();
        changed = std::make_unique<QSignalSpy>(tab, &SettingsTab::accountChanged);
        tab->setAccountServices(secrets, server.discovery());
    }
    AccountDialog* open() {
        click("syncAccountButton");
        // Closed ones wait for their deletion.
        dialog = nullptr;
        for (AccountDialog* d : w->findChildren<AccountDialog*>())
            if (d->isVisible()) dialog = d;
        EXPECT_TRUE(dialog && dialog->isVisible());
        return dialog;
    }
    template <class W = QWidget> W* field(const char* name) const {
        return test::child<W>(dialog.data(), name);
    }
    void type(const char* name, const QString& text) const {
        field<QLineEdit>(name)->setText(text);
        Q_EMIT field<QLineEdit>(name)->textEdited(text);
    }
    void fill(const QString& address, const QString& user, const QString& password) const {
        type("serverEdit", address);
        type("userEdit", user);
        type("passwordEdit", password);
    }
    void press(const char* name) const { field<QAbstractButton>(name)->click(); }
    QComboBox* choice() const { return field<QComboBox>("addressBookChoice"); }
    QComboBox* calendars() const { return field<QComboBox>("calendarChoice"); }
    bool closed() const { return !dialog || !dialog->isVisible(); }
    const SyncAccount& account() const { return w->state().settings().account; }
    std::string further() const { return test::readFile(dir.path() / "beallitasok-tovabbi.ini"); }
    bool furtherExists() const { return std::filesystem::exists(dir.path() / "beallitasok-tovabbi.ini"); }
};

} // namespace

TEST(GuiSyncAccount, DiscoveryFillsTheChoiceAndMentesSavesTheAccountAndStoresThePassword) {
    Account x;
    EXPECT_EQ(x.get<QPushButton>("syncAccountButton")->text(), u"Szinkronizálás…"_s);
    x.open();
    EXPECT_EQ(x.dialog->windowTitle(), u"Szinkronizálás beállítása"_s);
    QStringList labels;
    for (const QLabel* l : x.dialog->findChildren<QLabel*>())
        if (l->buddy()) labels << l->text();
    EXPECT_EQ(labels, (QStringList{u"Kiszolgáló címe:"_s, u"Felhasználónév:"_s, u"Jelszó:"_s,
                                   u"Címjegyzék:"_s, u"Naptár:"_s, u"Névnapok és születésnapok jelzése:"_s,
                                   u"Automatikus szinkronizálás:"_s}));
    EXPECT_EQ(x.field<QLineEdit>("passwordEdit")->echoMode(), QLineEdit::Password);
    EXPECT_EQ(x.field<QPushButton>("searchButton")->text(), u"Címjegyzékek és naptárak keresése"_s);
    EXPECT_EQ(x.field<QPushButton>("saveButton")->text(), u"Mentés"_s);
    EXPECT_EQ(x.field<QPushButton>("cancelButton")->text(), u"Mégse"_s);
    EXPECT_EQ(x.field<QSpinBox>("syncIntervalSpin")->text(), u"ki"_s);
    EXPECT_EQ(test::items(x.choice()), QStringList{u"Új címjegyzék: Zelmoran"_s});
    EXPECT_TRUE(x.field("sessionPasswordNote")->isHidden());
    EXPECT_TRUE(x.keychain.calls.isEmpty()); // no account, nothing to read

    // "https://" goes before an address without a scheme.
    x.server.books = {book("contacts/", u"Névjegyek"_s), book("work/", u"Munka"_s)};
    x.fill(u" cloud.example.hu "_s, u"anna"_s, u"titok"_s);
    x.press("searchButton");
    EXPECT_EQ(x.server.calls, (QStringList{u"discover https://cloud.example.hu anna titok"_s,
                                           u"calendars https://cloud.example.hu anna titok"_s}));
    EXPECT_EQ(test::items(x.choice()),
              (QStringList{u"Névjegyek"_s, u"Munka"_s, u"Új címjegyzék: Zelmoran"_s}));
    EXPECT_EQ(x.choice()->currentIndex(), 0);
    x.choice()->setCurrentIndex(1);
    x.field<QSpinBox>("syncIntervalSpin")->setValue(30);
    EXPECT_EQ(x.field<QSpinBox>("syncIntervalSpin")->text(), u"30 percenként"_s);
    EXPECT_FALSE(x.furtherExists());
    x.press("saveButton");
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.changed->count(), 1);
    EXPECT_EQ(x.keychain.calls, QStringList{u"write "_s + kKey + u" titok"_s});
    const SyncAccount saved{
        kServer.toStdString(), "anna", QString(kHome + u"work/"_s).toStdString(), "Munka", 30, {}, {}};
    EXPECT_EQ(x.account(), saved);
    // Saved at once, beside the record; the password in no file.
    const std::string accountLines =
        "sync-server=https://cloud.example.hu\nsync-user=anna\nsync-address-book=" +
        QString(kHome + u"work/"_s).toStdString() + "\nsync-address-book-name=Munka\nsync-every-minutes=30\n";
    EXPECT_NE(x.further().find(accountLines), std::string::npos) << x.further();
    EXPECT_EQ(x.further().find("titok"), std::string::npos);

    // Opened again: the account and the stored password, and the saved book without asking the server.
    x.keychain.calls.clear();
    x.open();
    EXPECT_EQ(x.keychain.calls, QStringList{u"read "_s + kKey});
    EXPECT_EQ(x.field<QLineEdit>("serverEdit")->text(), kServer);
    EXPECT_EQ(x.field<QLineEdit>("passwordEdit")->text(), u"titok"_s);
    EXPECT_EQ(test::items(x.choice()), (QStringList{u"Munka"_s, u"Új címjegyzék: Zelmoran"_s}));
    EXPECT_EQ(x.field<QSpinBox>("syncIntervalSpin")->value(), 30);
    // Another user drops the books of the first; Mégse keeps everything as it was.
    x.type("userEdit", u"bela"_s);
    EXPECT_EQ(test::items(x.choice()), QStringList{u"Új címjegyzék: Zelmoran"_s});
    x.press("cancelButton");
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.account(), saved);
    EXPECT_EQ(x.changed->count(), 1);

    // "Alap-beállítások" and the tab's Mentés keep the account: it is not one of the tab's settings.
    x.dialogs.expect(Kind::Confirmation, u"Valóban visszaállítja az alapértelmezett beállításokat?"_s,
                     Dialogs::Yes);
    x.click("defaultsButton");
    EXPECT_EQ(x.account(), saved);
    x.click("saveSettingsButton");
    EXPECT_NE(x.further().find(accountLines), std::string::npos);
    x.show(MainWindow::TabSettings);
    EXPECT_EQ(x.w->settings().account, saved);

    // No server and no user: no account, and its password leaves the store.
    x.w->findChild<SettingsTab*>()->setAccountServices(x.secrets, x.server.discovery());
    x.open();
    x.keychain.calls.clear();
    x.fill({}, {}, {});
    x.press("saveButton");
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.keychain.calls, QStringList{u"remove "_s + kKey});
    EXPECT_EQ(x.account(), SyncAccount{});
    EXPECT_TRUE(x.keychain.passwords.isEmpty());
}

TEST(GuiSyncAccount, TheNewAddressBookIsCreatedInTheHomeSetOnMentes) {
    Account x;
    x.open();
    // Without a search first: Mentés looks for the home set, then creates the book there.
    x.fill(kServer, u"anna"_s, u"titok"_s);
    x.press("saveButton");
    EXPECT_EQ(x.server.calls, (QStringList{u"discover https://cloud.example.hu anna titok"_s,
                                           u"create "_s + kHome + u" anna Zelmoran"_s}));
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.account().addressBook, QString(kHome + u"zelmoran/"_s).toStdString());
    EXPECT_EQ(x.account().addressBookName, "Zelmoran");

    // A book of that name already there is chosen, and nothing is created.
    x.server.calls.clear();
    x.server.books = {book("contacts/", u"Névjegyek"_s), book("zelmoran/", u"Zelmoran"_s)};
    x.open();
    x.press("searchButton");
    EXPECT_EQ(test::items(x.choice()), (QStringList{u"Névjegyek"_s, u"Zelmoran"_s}));
    EXPECT_EQ(x.choice()->currentText(), u"Zelmoran"_s);
    x.press("saveButton");
    EXPECT_EQ(x.server.calls, (QStringList{u"discover https://cloud.example.hu anna titok"_s,
                                           u"calendars https://cloud.example.hu anna titok"_s}));
    EXPECT_TRUE(x.closed());

    // A creation the server refuses is shown, and the dialog stays with nothing saved.
    x.server.books.clear();
    x.server.createError = {DavError::Kind::Server, 403, u"cloud.example.hu"_s, u"Forbidden"_s};
    x.open();
    x.type("serverEdit", u"https://other.example.hu"_s);
    x.server.calls.clear();
    x.dialogs.expect(Kind::Error,
                     u"A kiszolgáló (cloud.example.hu) váratlan választ adott (HTTP 403): Forbidden"_s);
    x.press("saveButton");
    EXPECT_EQ(x.server.calls.size(), 2);
    EXPECT_FALSE(x.closed());
    EXPECT_EQ(x.account().server, kServer.toStdString());
    EXPECT_TRUE(x.field("saveButton")->isEnabled());
}

TEST(GuiSyncAccount, EachProblemIsOneBoxAndTheDialogStaysWithNothingSaved) {
    Account x;
    x.open();
    // The fields first, before the server is asked.
    x.dialogs.expect(Kind::Warning, u"Adja meg a kiszolgáló címét!"_s);
    x.press("searchButton");
    x.fill(u"ftp://cloud.example.hu"_s, u"anna"_s, u"titok"_s);
    x.dialogs.expect(Kind::Warning, u"A kiszolgáló címe nem érvényes: ftp://cloud.example.hu"_s);
    x.press("saveButton");
    x.fill(u"cloud.example.hu:8443/remote.php/dav"_s, {}, u"titok"_s);
    x.dialogs.expect(Kind::Warning, u"Adja meg a felhasználónevet!"_s);
    x.press("searchButton");
    EXPECT_TRUE(x.server.calls.isEmpty());

    x.type("userEdit", u"anna"_s);
    const QString host = u"cloud.example.hu"_s;
    const std::pair<DavError, QString> cases[] = {
        {{DavError::Kind::Certificate, 0, host, u"The certificate is self-signed, and untrusted"_s},
         u"A kiszolgáló (cloud.example.hu) tanúsítványa nem megbízható: The certificate is self-signed, and "
         u"untrusted"_s},
        {{DavError::Kind::Unauthorized, 401, host, {}},
         u"A kiszolgáló nem fogadta el a felhasználónevet vagy a jelszót."_s},
        {{DavError::Kind::Offline, 0, host, u"Host cloud.example.hu not found"_s},
         u"A kiszolgáló (cloud.example.hu) nem érhető el: Host cloud.example.hu not found"_s},
        // Without a host in the error, the address typed names the server.
        {{DavError::Kind::Offline, 0, {}, {}}, u"A kiszolgáló (cloud.example.hu) nem érhető el."_s},
        {{DavError::Kind::Server, 404, host, {}},
         u"A kiszolgáló (cloud.example.hu) váratlan választ adott (HTTP 404)."_s},
        {{DavError::Kind::BadAnswer, 207, host, u"no multistatus"_s},
         u"A kiszolgáló (cloud.example.hu) válasza nem értelmezhető: no multistatus"_s},
    };
    for (const auto& [error, text] : cases) {
        x.server.error = error;
        x.dialogs.expect(Kind::Error, text);
        x.press("searchButton");
        x.dialogs.expect(Kind::Error, text);
        x.press("saveButton");
        EXPECT_FALSE(x.closed()) << text.toStdString();
        EXPECT_TRUE(x.field("searchButton")->isEnabled());
    }
    EXPECT_EQ(x.server.calls.size(), 2 * std::size(cases));
    EXPECT_EQ(x.server.calls.value(0), u"discover https://cloud.example.hu:8443/remote.php/dav anna titok"_s);

    // A server without address books: said, and the new one is offered.
    x.server.error = {};
    x.dialogs.expect(Kind::Information,
                     u"A kiszolgálón nem található címjegyzék. Mentéskor a program létrehozza "
                     u"a „Zelmoran” címjegyzéket."_s);
    x.press("searchButton");
    EXPECT_EQ(test::items(x.choice()), QStringList{u"Új címjegyzék: Zelmoran"_s});
    EXPECT_TRUE(x.keychain.calls.isEmpty());
    EXPECT_FALSE(x.furtherExists());
    EXPECT_EQ(x.account(), SyncAccount{});
    EXPECT_EQ(x.changed->count(), 0);
}

TEST(GuiSyncAccount, WithoutASecretStoreThePasswordIsKeptForThisRunOnlyAndTheDialogSaysSo) {
    Account x;
    x.keychain.answers = false;
    x.server.books = {book("contacts/", u"Névjegyek"_s)};
    x.open();
    x.fill(kServer, u"anna"_s, u"titok"_s);
    x.press("searchButton");
    // Learnt only on Mentés: said in a box, as the dialog closes.
    x.dialogs.expect(Kind::Information, kSessionNote);
    x.press("saveButton");
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.keychain.calls, QStringList{u"write "_s + kKey + u" titok"_s});
    EXPECT_EQ(x.account().addressBookName, "Névjegyek");

    // The run keeps it: the dialog shows it again, with the line.
    x.open();
    EXPECT_EQ(x.field<QLineEdit>("passwordEdit")->text(), u"titok"_s);
    auto* note = x.field<QLabel>("sessionPasswordNote");
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), kSessionNote);
    // A new password replaces the kept one without another box: the line already says it.
    x.type("passwordEdit", u"uj-titok"_s);
    x.press("saveButton");
    EXPECT_TRUE(x.closed());
    std::optional<QString> kept;
    bool answered = true;
    x.secrets.read(kKey, [&](std::optional<QString> p, bool a) {
        kept = p;
        answered = a;
    });
    EXPECT_EQ(kept, u"uj-titok"_s);
    EXPECT_FALSE(answered);
    // Nothing of it in any file of the program.
    for (const auto& e : std::filesystem::recursive_directory_iterator(x.dir.path()))
        if (e.is_regular_file()) {
            EXPECT_EQ(test::readFile(e.path()).find("titok"), std::string::npos) << e.path();
        }

    // A store that answers again takes it, and the copy in memory goes.
    x.keychain.answers = true;
    x.open();
    x.press("saveButton");
    EXPECT_EQ(x.keychain.passwords.value(kKey), u"uj-titok"_s);
    x.keychain.answers = false;
    kept.reset();
    x.secrets.read(kKey, [&](std::optional<QString> p, bool) { kept = p; });
    EXPECT_EQ(kept, std::nullopt);
}

TEST(GuiSyncAccount, TheCalendarChoiceFillsFromTheServerAndMentesSavesItWithTheAlarmTime) {
    Account x;
    x.open();
    // Before a search: none, or ours to be made; none is chosen.
    EXPECT_EQ(test::items(x.calendars()), (QStringList{kNoCalendar, kNewCalendar}));
    EXPECT_EQ(x.calendars()->currentIndex(), 0);
    EXPECT_EQ(
        x.field<QLabel>("calendarNote")->text(),
        u"A naptár a Zelmorané: a partnerek névnapjai és születésnapjai és az aktív emlékeztetők kerülnek "
        u"bele. Ha máshol módosítják az eseményeit, a következő szinkronizálás visszaállítja őket."_s);
    EXPECT_TRUE(x.field<QLabel>("calendarNote")->wordWrap());
    EXPECT_TRUE(x.field("noCalendarNote")->isHidden());
    auto* alarm = x.field<QTimeEdit>("celebrationAlarmEdit");
    EXPECT_EQ(alarm->displayFormat(), u"H:mm"_s);
    EXPECT_EQ(alarm->text(), u"9:00"_s);

    // A calendar of the user's own is offered, never taken unasked.
    x.server.books = {book("contacts/", u"Névjegyek"_s)};
    x.server.calendars = {calendar("personal/", u"Személyes"_s), calendar("work/", u"Munka"_s)};
    x.fill(kServer, u"anna"_s, u"titok"_s);
    x.press("searchButton");
    EXPECT_EQ(test::items(x.calendars()),
              (QStringList{kNoCalendar, u"Személyes"_s, u"Munka"_s, kNewCalendar}));
    EXPECT_EQ(x.calendars()->currentIndex(), 0);
    x.calendars()->setCurrentIndex(3);
    alarm->setTime(QTime(7, 30));
    x.server.calls.clear();
    x.press("saveButton");
    EXPECT_EQ(x.server.calls, QStringList{u"create calendar "_s + kCalendarHome + u" anna Zelmoran"_s});
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.account().addressBook, QString(kHome + u"contacts/"_s).toStdString());
    EXPECT_EQ(x.account().calendar, QString(kCalendarHome + u"zelmoran/"_s).toStdString());
    EXPECT_EQ(x.account().calendarName, "Zelmoran");
    EXPECT_EQ(x.w->state().settings().celebrationAlarmMinute, 7 * 60 + 30);
    EXPECT_NE(x.further().find("\nsync-calendar=" + QString(kCalendarHome + u"zelmoran/"_s).toStdString() +
                               "\nsync-calendar-name=Zelmoran\ncalendar-alarm-time=7:30\n"),
              std::string::npos)
        << x.further();

    // Opened again: the saved calendar without asking the server, and the time; ours is not offered twice.
    x.server.calls.clear();
    x.open();
    EXPECT_EQ(test::items(x.calendars()), (QStringList{kNoCalendar, u"Zelmoran"_s}));
    EXPECT_EQ(x.calendars()->currentIndex(), 1);
    EXPECT_EQ(x.field<QTimeEdit>("celebrationAlarmEdit")->text(), u"7:30"_s);
    // A search keeps it chosen.
    x.server.calendars.push_back(calendar("zelmoran/", u"Zelmoran"_s));
    x.press("searchButton");
    EXPECT_EQ(test::items(x.calendars()),
              (QStringList{kNoCalendar, u"Személyes"_s, u"Munka"_s, u"Zelmoran"_s}));
    EXPECT_EQ(x.calendars()->currentText(), u"Zelmoran"_s);

    // "Nincs naptár": the dates stay here, and no calendar is saved.
    x.calendars()->setCurrentIndex(0);
    x.server.calls.clear();
    x.press("saveButton");
    EXPECT_TRUE(x.server.calls.isEmpty());
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.account().calendar, "");
    EXPECT_EQ(x.account().calendarName, "");
    EXPECT_EQ(x.account().addressBookName, "Névjegyek");
    EXPECT_NE(x.further().find("\nsync-calendar=\nsync-calendar-name=\ncalendar-alarm-time=7:30\n"),
              std::string::npos)
        << x.further();

    // A new calendar with a book of ours already there: found, not made again.
    x.open();
    x.calendars()->setCurrentIndex(1);
    EXPECT_EQ(x.calendars()->currentText(), kNewCalendar);
    x.press("searchButton");
    EXPECT_EQ(x.calendars()->currentText(), u"Zelmoran"_s);
    x.server.calls.clear();
    x.press("saveButton");
    EXPECT_TRUE(x.server.calls.isEmpty());
    EXPECT_EQ(x.account().calendar, QString(kCalendarHome + u"zelmoran/"_s).toStdString());
}

TEST(GuiSyncAccount, ANewBookAndANewCalendarAreMadeOnMentesTheBookFirst) {
    Account x;
    x.open();
    x.fill(kServer, u"anna"_s, u"titok"_s);
    x.calendars()->setCurrentIndex(1);
    // Both home sets first, then the book, then the calendar; a calendar the server refuses is shown
    // and the dialog stays, with the book made and chosen.
    x.server.createCalendarError = {DavError::Kind::Server, 403, u"cloud.example.hu"_s, u"Forbidden"_s};
    x.dialogs.expect(Kind::Error,
                     u"A kiszolgáló (cloud.example.hu) váratlan választ adott (HTTP 403): Forbidden"_s);
    x.press("saveButton");
    EXPECT_EQ(x.server.calls, (QStringList{u"discover https://cloud.example.hu anna titok"_s,
                                           u"calendars https://cloud.example.hu anna titok"_s,
                                           u"create "_s + kHome + u" anna Zelmoran"_s,
                                           u"create calendar "_s + kCalendarHome + u" anna Zelmoran"_s}));
    EXPECT_FALSE(x.closed());
    EXPECT_EQ(x.account(), SyncAccount{});
    EXPECT_EQ(x.choice()->currentText(), u"Zelmoran"_s);
    EXPECT_EQ(x.calendars()->currentText(), kNewCalendar);
    EXPECT_TRUE(x.field("saveButton")->isEnabled());

    // Again: only the calendar is made.
    x.server.createCalendarError = {};
    x.server.calls.clear();
    x.press("saveButton");
    EXPECT_EQ(x.server.calls, QStringList{u"create calendar "_s + kCalendarHome + u" anna Zelmoran"_s});
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.account().addressBook, QString(kHome + u"zelmoran/"_s).toStdString());
    EXPECT_EQ(x.account().calendar, QString(kCalendarHome + u"zelmoran/"_s).toStdString());
    EXPECT_EQ(x.account().calendarName, "Zelmoran");
}

TEST(GuiSyncAccount, AServerWithoutCalendarsLeavesTheAddressBookAsItWas) {
    Account x;
    x.open();
    x.server.books = {book("contacts/", u"Névjegyek"_s)};
    x.server.calendarError = {DavError::Kind::Server, 404, u"cloud.example.hu"_s, u"Not Found"_s};
    x.fill(kServer, u"anna"_s, u"titok"_s);
    // No box: the line under the choice says it.
    x.press("searchButton");
    EXPECT_EQ(test::items(x.choice()), (QStringList{u"Névjegyek"_s, u"Új címjegyzék: Zelmoran"_s}));
    EXPECT_EQ(test::items(x.calendars()), QStringList{kNoCalendar});
    auto* note = x.field<QLabel>("noCalendarNote");
    EXPECT_TRUE(note->isVisible());
    EXPECT_EQ(note->text(), u"A kiszolgáló nem kínál naptárt."_s);
    // The dialog grows for the line: the note under it keeps every line it needs.
    QCoreApplication::processEvents();
    const auto* calendarNote = x.field<QLabel>("calendarNote");
    EXPECT_GE(calendarNote->y(), note->geometry().bottom());
    EXPECT_GE(calendarNote->height(), calendarNote->heightForWidth(calendarNote->width()));
    EXPECT_TRUE(x.field("searchButton")->isEnabled());
    EXPECT_TRUE(x.field("saveButton")->isEnabled());
    // Another server drops what this one said.
    x.type("serverEdit", u"https://other.example.hu"_s);
    EXPECT_TRUE(note->isHidden());
    EXPECT_EQ(test::items(x.calendars()), (QStringList{kNoCalendar, kNewCalendar}));
    x.type("serverEdit", kServer);
    x.press("searchButton");
    x.server.calls.clear();
    x.press("saveButton");
    EXPECT_TRUE(x.server.calls.isEmpty());
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.account().addressBook, QString(kHome + u"contacts/"_s).toStdString());
    EXPECT_EQ(x.account().calendar, "");

    // The new calendar asked for without a search: learnt on Mentés, before anything is made; the dialog
    // stays to show it, and Mentés again saves the book alone.
    x.open();
    x.type("userEdit", u"bela"_s);
    x.calendars()->setCurrentIndex(1);
    EXPECT_EQ(x.calendars()->currentText(), kNewCalendar);
    x.server.calls.clear();
    x.press("saveButton");
    EXPECT_EQ(x.server.calls, (QStringList{u"discover https://cloud.example.hu bela titok"_s,
                                           u"calendars https://cloud.example.hu bela titok"_s}));
    EXPECT_FALSE(x.closed());
    EXPECT_TRUE(x.field("noCalendarNote")->isVisible());
    EXPECT_EQ(test::items(x.calendars()), QStringList{kNoCalendar});
    EXPECT_TRUE(x.field("saveButton")->isEnabled());
    EXPECT_EQ(x.account().user, "anna");
    x.server.calls.clear();
    x.press("saveButton");
    EXPECT_TRUE(x.server.calls.isEmpty());
    EXPECT_TRUE(x.closed());
    EXPECT_EQ(x.account().user, "bela");
    EXPECT_EQ(x.account().addressBook, QString(kHome + u"contacts/"_s).toStdString());
    EXPECT_EQ(x.account().calendar, "");
}
