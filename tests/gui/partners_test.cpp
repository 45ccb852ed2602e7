#include "support/app_fixture.h"

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::partner;
using zel::test::readFile;
using Kind = Dialogs::Kind;

namespace {

std::string days(EventKind k, std::initializer_list<const char*> names) {
    std::string bytes;
    for (const char* name : names)
        bytes += encodeEvent(k, test::event(45000, 0, 0, name));
    return bytes;
}

// A program folder whose partner file holds the given partners, opened on the partners tab.
struct Book : test::App {
    explicit Book(const std::vector<PartnerRecord>& partners, bool warnings = true) {
        storePartners(partners);
        if (!warnings) quiet();
        show(MainWindow::TabPartners);
    }
    std::string file() const { return readFile(data("partnerek.dat")); }
    PartnerRecord stored(std::size_t i) const {
        return decodePartner(
            reinterpret_cast<const std::uint8_t*>(file().substr(i * kPartnerRecordSize).data()));
    }
    QListView* names() const { return get<QListView>("nameList"); }
    QListWidget* contacts() const { return get<QListWidget>("contactList"); }
    QWidget* editor() const { return get("partnerEditor"); }
    QString text(const char* name) const { return get<QLineEdit>(name)->text(); }
    // The names listed, also by the partner choice of the new-event tab, which must list the same.
    QString listed() const {
        const QStringList here = test::items(names());
        EXPECT_EQ(here, test::items(get<QComboBox>("partnerChoice")));
        return here.join(u',');
    }
    void select(int row) {
        // A move onto the row shows its details, also for the row that was current.
        names()->setCurrentIndex(QModelIndex());
        names()->setCurrentIndex(names()->model()->index(row, 0));
    }
    void newPartner(const QString& name) {
        click("newPartnerListButton");
        setText("nameField", name);
    }
    void modify(int row, const QString& name) {
        select(row);
        click("modifyButton");
        setText("nameField", name);
    }
};

} // namespace

TEST(GuiPartners, ANewPartnerIsSavedInOrderAndSelected) {
    Book b({partner("Antal Ede"), partner("Zsoldos Pál")});
    b.newPartner(u"Kovács Béla"_s);
    b.setText("addressField", QString(70, u'c')); // the field takes 60, the file keeps 52
    EXPECT_EQ(b.text("addressField").size(), 60);
    b.setText("emailField", u"bela@kovacs.hu"_s);
    b.setText("mobileField", u"+36 30 123 4567"_s);
    b.setText("phoneField", u"06 1 234 5678"_s);
    b.get<QPlainTextEdit>("noteField")->setPlainText(u"Első sor\nmásodik"_s);
    b.click("saveButton");
    PartnerRecord kovacs = partner("Kovács Béla", "bela@kovacs.hu", "+36 30 123 4567");
    kovacs.address = std::string(52, 'c');
    kovacs.phone = "06 1 234 5678";
    kovacs.note = test::cp("Első sor\r\nmásodik");
    EXPECT_EQ(b.file(), test::partnerBytes({partner("Antal Ede"), kovacs, partner("Zsoldos Pál")}));
    EXPECT_TRUE(b.editor()->isHidden() && b.listed() == u"Antal Ede,Kovács Béla,Zsoldos Pál"_s);
    EXPECT_EQ(b.names()->currentIndex().row(), 1); // selected and shown
    EXPECT_EQ(test::items(b.contacts()).join(u'|') + b.get<QPlainTextEdit>("noteView")->toPlainText(),
              u"bela@kovacs.hu||"_s + QString(52, u'c') +
                  u"|+36 30 123 4567|06 1 234 5678Első sor\nmásodik"_s);
}

TEST(GuiPartners, TheListsAreInHungarianOrderAndEachRowReachesItsOwnRecord) {
    // The file in its byte order, as other copies of the program keep it; two partners share a name.
    std::vector<PartnerRecord> file;
    for (const char* name : {"Abel", "Cecília", "Csaba", "Czuczor", "Dávid", "Kis Anna", "Kis Anna", "Ottó",
                             "Zelmoran", "béla", "Ábel", "Éva", "Őri", "Ödön", "Ürge"})
        file.push_back(partner(name, "p" + std::to_string(file.size()) + "@pelda.hu"));
    Book b(file);
    // Accents beside their letters, case aside, "cs" after every "c", "ö" after "o".
    EXPECT_EQ(b.listed(), u"Abel,Ábel,béla,Cecília,Czuczor,Csaba,Dávid,Éva,Kis Anna,Kis Anna,Ottó,Ödön,Őri,"
                          u"Ürge,Zelmoran"_s);
    // The tab opens on the first row with its details.
    EXPECT_EQ(b.names()->currentIndex().row(), 0);
    EXPECT_EQ(test::items(b.contacts()).value(0), u"p0@pelda.hu"_s);
    const auto shows = [&](int row) {
        b.select(row);
        return test::items(b.contacts()).value(0).toStdString() + " at " +
               std::to_string(b.w->partnersTab()->currentPartnerIndex());
    };
    EXPECT_EQ(shows(8), "p5@pelda.hu at 5");
    EXPECT_EQ(shows(9), "p6@pelda.hu at 6");
    EXPECT_EQ(shows(12), "p12@pelda.hu at 12");

    // A modification after sorting changes its own record; the list keeps its order.
    b.select(11); // Ödön
    b.click("modifyButton");
    EXPECT_EQ(b.text("nameField"), u"Ödön"_s);
    b.setText("emailField", u"odon@pelda.hu"_s);
    b.click("saveButton");
    file[13].email = "odon@pelda.hu";
    EXPECT_EQ(b.file(), test::partnerBytes(file));
    EXPECT_EQ(b.names()->currentIndex().row(), 11);
    EXPECT_EQ(test::items(b.contacts()).value(0), u"odon@pelda.hu"_s);

    // A deletion takes the record of the row, and the next name of the list takes its place.
    b.select(9); // the second one
    b.dialogs.expect(
        Kind::Confirmation,
        u"Valóban töröli \"Kis Anna\"-t a partnerei közül?\n(A partner név-, és születésnapja is "
        u"törlődik!)"_s,
        Dialogs::Yes);
    b.click("deletePartnerButton");
    file.erase(file.begin() + 6);
    EXPECT_EQ(b.file(), test::partnerBytes(file));
    EXPECT_EQ(b.names()->currentIndex().row(), 9);
    EXPECT_EQ(test::items(b.contacts()).value(0), u"p7@pelda.hu"_s); // Ottó
}

TEST(GuiPartners, RefusedNamesWebAddressesAndEmailsWriteNothingAndKeepThePanelOpen) {
    const QString duplicate = u"Ilyen névvel már szerepel partner. Kérem válasszon másik nevet!"_s;
    Book b({partner("Antal Ede"), partner("x:y")});
    const std::string before = b.file();
    b.dialogs.expect(Kind::Warning, duplicate, Dialogs::Ok, Dialogs::Ok);
    b.newPartner(u"Antal Ede"_s);
    b.click("saveButton");
    // Several refusals, one box after the other.
    b.dialogs.expect(Kind::Warning, duplicate);
    b.dialogs.expect(Kind::Warning, u"A név nem tartalmazhatja a \":\" karaktert!"_s);
    b.setText("nameField", u" x:y"_s);
    b.click("saveButton");
    EXPECT_EQ(b.text("nameField"), u"x:y"_s);
    b.dialogs.expect(Kind::Warning, u"Kérem adjon meg egy nevet új partnerének!"_s);
    b.setText("nameField", u" "_s); // the one space dropped leaves no name
    b.click("saveButton");
    EXPECT_TRUE(!b.editor()->isHidden() && b.file() == before);
    // With the warnings off the name refusals are silent; the web and email ones are shown all the same.
    Book q({partner("Antal Ede")}, false);
    for (const char* name : {"Antal Ede", "", "a:b"}) {
        q.newPartner(QString::fromUtf8(name));
        q.click("saveButton");
    }
    q.setText("nameField", u"Béla"_s);
    q.setText("webField", u"abcdefgh"_s);
    q.dialogs.expect(Kind::Warning, u"A megadott Internet cím érvénytelen. Kérem, javítsa."_s);
    q.click("saveButton");
    q.setText("webField", u"abc.def"_s);
    q.setText("emailField", u"a.@b.hu"_s);
    q.dialogs.expect(Kind::Warning, u"A megadott e-mail cím érvénytelen. Kérem, javítsa."_s);
    q.click("saveButton");
    EXPECT_TRUE(!q.editor()->isHidden() && q.file() == encodePartner(partner("Antal Ede")));
    // An empty web address is stored as none and shown as "http://" again.
    q.setText("emailField", QString());
    q.setText("webField", QString());
    q.click("saveButton");
    EXPECT_EQ(q.stored(0).webAddress + q.stored(0).name, "Antal Ede");
    EXPECT_EQ(q.stored(1).webAddress + q.stored(1).name, test::cp("Béla"));
    EXPECT_EQ(q.text("webField"), u"http://"_s);
}

TEST(GuiPartners, RenamingRemovesTheOldNamesDaysAndBirthdays) {
    Book b({partner("Minta Anna", "anna@minta.hu"), partner("Zsoldos Pál")});
    test::writeFile(b.data("nevnapok.dat"),
                    days(EventKind::NameDay, {"Minta Anna", "Zsoldos Pál", "Minta Anna"}));
    test::writeFile(b.data("szuletesnapok.dat"), days(EventKind::Birthday, {"Zsoldos Pál", "Minta Anna"}));
    const QString keep =
        u"Ha partnere nevét megváltoztatja, akkor annak név-, és születésnapja is törlődik!\n\n"
        u"Meg szeretné tartani a partnere régi nevét?"_s;
    const QString renamed = u"A partnerének megváltoztatta a nevét.\nÍgy a rögzített régi név- és "
                            u"születésnapok időpontja törlődik!"_s;
    // Yes keeps the old name: nothing is written, the panel stays open.
    b.modify(0, u"Minta Anni"_s);
    EXPECT_EQ(b.text("emailField"), u"anna@minta.hu"_s);
    const std::string before = b.file();
    b.dialogs.expect(Kind::Warning, keep, Dialogs::Yes, Dialogs::Yes | Dialogs::No);
    b.click("saveButton");
    EXPECT_TRUE(!b.editor()->isHidden() && b.file() == before);
    // No: the new name is stored and the old name's days go, the last records of the files included.
    b.dialogs.expect(Kind::Warning, keep, Dialogs::No);
    b.dialogs.expect(Kind::Information, renamed);
    b.click("saveButton");
    EXPECT_EQ(b.stored(0).name + b.stored(0).email, "Minta Annianna@minta.hu");
    EXPECT_EQ(readFile(b.data("nevnapok.dat")), days(EventKind::NameDay, {"Zsoldos Pál"}));
    EXPECT_EQ(readFile(b.data("szuletesnapok.dat")), days(EventKind::Birthday, {"Zsoldos Pál"}));
    EXPECT_EQ(b.w->events().table(EventKind::NameDay).rows.size(), 1u);
}

TEST(GuiPartners, DeletingAsksAndKeepsTheListInStep) {
    Book b({partner("Antal Ede"), partner("Béla", "b@c.hu"), partner("Cecil")});
    test::writeFile(b.data("nevnapok.dat"), days(EventKind::NameDay, {"Cecil", "Béla"}));
    const auto asked = [&](const char* name, Dialogs::Button answer) {
        b.dialogs.expect(Kind::Confirmation,
                         u"Valóban töröli \""_s + QString::fromUtf8(name) +
                             u"\"-t a partnerei közül?\n(A partner név-, és születésnapja is törlődik!)"_s,
                         answer, Dialogs::Yes | Dialogs::No);
    };
    b.select(2);
    asked("Cecil", Dialogs::No);
    b.click("deletePartnerButton");
    EXPECT_EQ(b.file().size(), 3 * kPartnerRecordSize);
    // The last partner goes: the new last one is selected and shown.
    asked("Cecil", Dialogs::Yes);
    b.click("deletePartnerButton");
    EXPECT_EQ(b.listed(), u"Antal Ede,Béla"_s);
    EXPECT_TRUE(b.names()->currentIndex().row() == 1 && test::items(b.contacts()).value(0) == u"b@c.hu"_s);
    EXPECT_EQ(readFile(b.data("nevnapok.dat")), days(EventKind::NameDay, {"Béla"}));
    b.select(0); // the Delete key in the list asks the same
    asked("Antal Ede", Dialogs::Yes);
    QTest::keyClick(b.names(), Qt::Key_Delete);
    EXPECT_EQ(b.listed(), u"Béla"_s);
    // The only partner goes: an empty file, the list views off, modify and delete gone.
    asked("Béla", Dialogs::Yes);
    b.click("deletePartnerButton");
    EXPECT_EQ(b.file() + readFile(b.data("nevnapok.dat")), "");
    EXPECT_EQ(b.listed() + QString::number(b.contacts()->count()), u"0"_s);
    EXPECT_FALSE(b.names()->isEnabled() || b.contacts()->isEnabled());
    EXPECT_TRUE(b.get("modifyButton")->isHidden() && b.get("deletePartnerButton")->isHidden());
    // Without the warnings nothing is asked and nothing deleted.
    Book q({partner("Antal Ede"), partner("Béla")}, false);
    q.select(1);
    q.click("deletePartnerButton");
    EXPECT_EQ(q.file().size(), 2 * kPartnerRecordSize);
}

TEST(GuiPartners, KeysTheContactLinesAndANameGoneFromTheFile) {
    Book b({partner("Antal Ede", "ede@antal.hu", "+36 30 1"), partner("Béla")});
    b.w->activateWindow(); // the keys are shortcuts of the active window
    ASSERT_TRUE(QTest::qWaitForWindowActive(b.w.get()));
    // Insert opens a new partner, Escape closes it without saving, Enter in a one-line field saves.
    for (auto [name, key] : {std::pair{u"Dezső"_s, Qt::Key_Escape}, {u"Cecil"_s, Qt::Key_Return}}) {
        QTest::keyClick(b.names(), Qt::Key_Insert);
        b.setText("nameField", name);
        QTest::keyClick(b.get("phoneField"), key);
        EXPECT_TRUE(b.editor()->isHidden()) << name.toStdString();
    }
    EXPECT_EQ(b.listed(), u"Antal Ede,Béla,Cecil"_s);
    b.select(0);
    EXPECT_EQ(test::items(b.contacts()).join(u'|'), u"ede@antal.hu|||+36 30 1|"_s);
    b.contacts()->setCurrentRow(3);
    EXPECT_EQ(b.contacts()->toolTip(), u"Mobiltelefon szám: +36 30 1"_s);
    // Double-clicks: the mobile line offers the clipboard, then opens the SMS page.
    QApplication::clipboard()->setText(u"régi"_s);
    const auto dclick = [&](int row) {
        const QRect r = b.contacts()->visualItemRect(b.contacts()->item(row));
        QTest::mouseClick(b.contacts()->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(b.contacts()->viewport(), Qt::LeftButton, {}, r.center());
    };
    const QString copy =
        u"Szeretné a kijelölt sort (+36 30 1) kimásolni a Vágólapra?\n(A Vágólap régi tartalma elvész!)"_s;
    b.dialogs.expect(Kind::Information, copy, Dialogs::No, Dialogs::Yes | Dialogs::No);
    dclick(3);
    EXPECT_EQ(QApplication::clipboard()->text(), u"régi"_s);
    b.dialogs.expect(Kind::Information, copy, Dialogs::Yes);
    dclick(3);
    EXPECT_EQ(QApplication::clipboard()->text(), u"+36 30 1"_s);
    dclick(0);
    dclick(1); // empty: nothing
    const QString sms = u"https://www.afreesms.com/intl/hungary"_s;
    EXPECT_EQ(b.shell.addresses, (QStringList{sms, sms, u"mailto:ede@antal.hu"_s}));
    // A double-click on a name modifies it.
    const QRect second = b.names()->visualRect(b.names()->model()->index(1, 0));
    QTest::mouseClick(b.names()->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(b.names()->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_EQ(b.text("nameField"), u"Béla"_s);
    QTest::keyClick(b.get("noteField"), Qt::Key_Escape);
    // A name gone from the file shows nothing and cannot be modified.
    test::writeFile(b.data("partnerek.dat"), encodePartner(partner("Béla")));
    b.select(0);
    EXPECT_TRUE(b.contacts()->count() == 0 && b.w->partnersTab()->currentPartnerIndex() == 1u);
    b.dialogs.expect(Kind::Stop, u"I/O error 22.\n"_s + test::q(b.data("partnerek.dat")));
    b.click("modifyButton");
    EXPECT_TRUE(b.editor()->isHidden());
}

TEST(GuiPartners, AccentedCapitalsShowWholeInEveryListAndGrid) {
    Book b({partner("Éva Ágnes", "eva@example.hu"), partner("Őri Ödönné"), partner("Ürmös Űrhajós")});
    QApplication::processEvents();
    b.select(0);
    auto* grid = b.get<QTableView>("eventGrid");
    auto* options = b.get<QListWidget>("optionList");
    auto* celebrants = test::child<QListWidget>(b.w->alertWindow(), "celebrantList");
    auto* contacts = test::child<QListWidget>(b.w->alertWindow(), "celebrantContacts");
    b.w->alertWindow()->prepareNotice({u"Őri Ödönné  Névnapja: Március 5."_s}, true, true, false);
    contacts->addItem(u"Ő"_s);
    const std::pair<const QAbstractItemView*, int> rows[] = {
        {b.names(), b.names()->visualRect(b.names()->model()->index(1, 0)).height()},
        {b.contacts(), b.contacts()->visualItemRect(b.contacts()->item(0)).height()},
        {grid, grid->verticalHeader()->defaultSectionSize()},
        {options, options->visualItemRect(options->item(0)).height()},
        {celebrants, celebrants->visualItemRect(celebrants->item(0)).height()},
        {contacts, contacts->visualItemRect(contacts->item(0)).height()}};
    for (const auto& [view, height] : rows) {
        // The text is centred in its row, so a negative room means the accents are cut off at the top.
        const QFontMetrics fm(view->font());
        const int room =
            (height - fm.height()) / 2 + fm.ascent() + fm.tightBoundingRect(u"ŐŰÁÉÍÓÖÚÜ"_s).top();
        EXPECT_GE(room, 0) << view->objectName().toStdString() << ": rows of " << height;
    }
}
