#include "core/events/event_record.h"
#include "core/events/event_table.h"
#include "core/partners/partner_file.h"
#include "core/storage/record_file.h"
#include "core/text/cp1250.h"
#include "gui/alert/alert_window.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/partners_tab.h"
#include "support/app_fixture.h"
#include "support/gui_util.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStringListModel>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::readFile;
using zel::test::Start;
using zel::test::writeFile;

namespace {

using Box = test::ScriptedDialogs::Box;

std::string cp(const char* utf8) {
    return utf8ToCp1250(utf8);
}

PartnerRecord partner(const char* name, const char* email = "", const char* mobile = "") {
    PartnerRecord p;
    p.Name = cp(name);
    p.Email = email;
    p.Mobile = mobile;
    return p;
}

std::string event(EventKind k, const char* name, double date) {
    EventRecord r;
    r.text = cp(name);
    r.date = date;
    return encodeEvent(k, r);
}

const QString kDuplicate = QStringLiteral("Ilyen névvel már szerepel partner. Kérem válasszon másik nevet!");

// A program folder whose partner file holds the given partners, opened on the partners tab.
struct Book {
    Start s;
    std::unique_ptr<MainWindow> w;
    PartnersTab* t = nullptr;

    explicit Book(std::initializer_list<PartnerRecord> partners, bool warnings = true) {
        std::filesystem::create_directories(s.dir.path() / "Data");
        std::string bytes;
        for (const auto& p : partners)
            bytes += encodePartner(p);
        writeFile(s.data("partnerek.dat"), bytes);
        if (!warnings) {
            Settings quiet = defaultSettings();
            quiet.warnings = false;
            writeSettingsFile(s.dir.path() / kSettingsFileName, encodeSettings(quiet, SettingsBytes{}));
        }
        w = s.open();
        w->pages()->setCurrentIndex(MainWindow::TabPartners);
        t = w->partnersTab();
    }
    std::string file() const { return readFile(s.data("partnerek.dat")); }
    std::vector<PartnerRecord> stored() const {
        const std::string bytes = file();
        std::vector<PartnerRecord> out;
        for (std::size_t at = 0; at + kPartnerRecordSize <= bytes.size(); at += kPartnerRecordSize)
            out.push_back(decodePartner(reinterpret_cast<const std::uint8_t*>(bytes.data() + at)));
        return out;
    }
    template <class W> W* get(const char* name) const { return zel::test::child<W>(t, name); }
    QListView* names() const { return get<QListView>("nameList"); }
    QListWidget* contacts() const { return get<QListWidget>("contactList"); }
    PartnerEditor* editor() const { return get<PartnerEditor>("partnerEditor"); }
    QLineEdit* field(const char* name) const { return get<QLineEdit>(name); }
    QStringList listed() const { return static_cast<QStringListModel*>(names()->model())->stringList(); }
    QStringList kinek() const {
        QStringList out;
        for (int i = 0; i < zel::test::child<QComboBox>(w->newEventTab(), "partnerChoice")->count(); ++i)
            out << zel::test::child<QComboBox>(w->newEventTab(), "partnerChoice")->itemText(i);
        return out;
    }
    QStringList contactLines() const {
        QStringList out;
        for (int i = 0; i < contacts()->count(); ++i)
            out << contacts()->item(i)->text();
        return out;
    }
    void select(int row) {
        // A move onto the row shows its details, also for the row that was current.
        names()->setCurrentIndex(QModelIndex());
        names()->setCurrentIndex(names()->model()->index(row, 0));
    }
    void newPartner(const QString& name) {
        get<QPushButton>("newPartnerListButton")->click();
        field("nameField")->setText(name);
    }
    void modify(int row, const QString& name) {
        select(row);
        get<QPushButton>("modifyButton")->click();
        field("nameField")->setText(name);
    }
    void save() { get<QPushButton>("saveButton")->click(); }
    std::vector<Box>& boxes() { return s.dialogs.boxes; }
};

void expectWarning(const Box& box, const QString& text) {
    EXPECT_EQ(box.kind, Dialogs::Kind::Warning);
    EXPECT_EQ(box.caption, QStringLiteral("Figyelem!"));
    EXPECT_EQ(box.buttons, Dialogs::Ok);
    EXPECT_EQ(box.text, text);
}

} // namespace

TEST(Partners, ANewPartnerIsSavedInOrderAndSelected) {
    Book b({partner("Antal Ede"), partner("Zsoldos Pál")});
    EXPECT_EQ(b.kinek(), (QStringList{QStringLiteral("Antal Ede"), QStringLiteral("Zsoldos Pál")}));
    b.newPartner(QStringLiteral("Kovács Béla"));
    EXPECT_FALSE(b.editor()->isHidden());
    EXPECT_EQ(b.get<QLabel>("editorTitle")->text(), QStringLiteral("        Új személy felvitele"));
    EXPECT_EQ(b.field("webField")->text(), QStringLiteral("http://"));
    EXPECT_EQ(b.get<QComboBox>("followUpChoice")->currentText(), QStringLiteral("Nincs megadva"));
    b.field("addressField")->setText(QString(70, QLatin1Char('c'))); // the field takes 60, the file keeps 52
    EXPECT_EQ(b.field("addressField")->text().size(), 60);
    b.field("emailField")->setText(QStringLiteral("bela@kovacs.hu"));
    b.field("mobileField")->setText(QStringLiteral("+36 30 123 4567"));
    b.field("phoneField")->setText(QStringLiteral("06 1 234 5678"));
    b.get<QPlainTextEdit>("noteField")->setPlainText(QStringLiteral("Első sor\nmásodik"));
    b.save();

    EXPECT_TRUE(b.boxes().empty());
    PartnerRecord kovacs;
    kovacs.Name = cp("Kovács Béla");
    kovacs.Address = std::string(52, 'c');
    kovacs.Email = "bela@kovacs.hu";
    kovacs.Mobile = "+36 30 123 4567";
    kovacs.Phone = "06 1 234 5678";
    kovacs.Note = cp("Első sor\r\nmásodik");
    EXPECT_EQ(b.file(), encodePartner(partner("Antal Ede")) + encodePartner(kovacs) +
                            encodePartner(partner("Zsoldos Pál")));

    EXPECT_TRUE(b.editor()->isHidden());
    EXPECT_EQ(b.listed(), (QStringList{QStringLiteral("Antal Ede"), QStringLiteral("Kovács Béla"),
                                       QStringLiteral("Zsoldos Pál")}));
    EXPECT_EQ(b.kinek(), b.listed());
    EXPECT_EQ(b.names()->currentIndex().row(), 1);
    EXPECT_EQ(b.t->currentPartnerIndex(), 1u);
    EXPECT_EQ(b.contactLines(),
              (QStringList{QStringLiteral("bela@kovacs.hu"), QString(), QString(52, QLatin1Char('c')),
                           QStringLiteral("+36 30 123 4567"), QStringLiteral("06 1 234 5678")}));
    EXPECT_EQ(b.get<QPlainTextEdit>("noteView")->toPlainText(), QStringLiteral("Első sor\nmásodik"));
    EXPECT_TRUE(b.get<QPlainTextEdit>("noteView")->isReadOnly());
    EXPECT_EQ(b.names()->toolTip(), QStringLiteral("Kovács Béla"));

    // Á sorts after every Latin letter; one leading space goes, a second one stays.
    b.newPartner(QStringLiteral(" Ábel"));
    b.save();
    b.newPartner(QStringLiteral("  Cecil"));
    b.save();
    EXPECT_EQ(b.listed(), (QStringList{QStringLiteral(" Cecil"), QStringLiteral("Antal Ede"),
                                       QStringLiteral("Kovács Béla"), QStringLiteral("Zsoldos Pál"),
                                       QStringLiteral("Ábel")}));
    EXPECT_EQ(b.stored()[4].Name, cp("Ábel"));
}

TEST(Partners, RefusedNamesWriteNothingAndKeepThePanelOpen) {
    Book b({partner("Antal Ede"), partner("x:y")});
    const std::string before = b.file();
    b.newPartner(QStringLiteral("Antal Ede"));
    b.save();
    ASSERT_EQ(b.boxes().size(), 1u);
    expectWarning(b.boxes()[0], kDuplicate);
    EXPECT_FALSE(b.editor()->isHidden());
    EXPECT_EQ(b.field("nameField")->text(), QStringLiteral("Antal Ede"));
    EXPECT_EQ(b.file(), before);

    // Several refusals, one box after the other.
    b.field("nameField")->setText(QStringLiteral(" x:y"));
    b.save();
    ASSERT_EQ(b.boxes().size(), 3u);
    expectWarning(b.boxes()[1], kDuplicate);
    expectWarning(b.boxes()[2], QStringLiteral("A név nem tartalmazhatja a \":\" karaktert!"));
    EXPECT_EQ(b.field("nameField")->text(), QStringLiteral("x:y"));
    b.field("nameField")->setText(QStringLiteral(" "));
    b.save();
    ASSERT_EQ(b.boxes().size(), 4u);
    expectWarning(b.boxes()[3], QStringLiteral("Kérem adjon meg egy nevet új partnerének!"));
    EXPECT_EQ(b.file(), before);

    // With the warnings off the same refusals are silent.
    Book q({partner("Antal Ede")}, false);
    const std::string quietBefore = q.file();
    for (const char* name : {"Antal Ede", "", "a:b"}) {
        q.newPartner(QString::fromUtf8(name));
        q.save();
        EXPECT_FALSE(q.editor()->isHidden());
    }
    EXPECT_TRUE(q.boxes().empty());
    EXPECT_EQ(q.file(), quietBefore);
}

TEST(Partners, WebAndEmailRefusalsAreShownEvenWithWarningsOff) {
    for (const bool warnings : {true, false}) {
        Book b({partner("Antal Ede")}, warnings);
        const std::string before = b.file();
        b.newPartner(QStringLiteral("Béla"));
        b.field("webField")->setText(QStringLiteral("abcdefgh"));
        b.save();
        ASSERT_EQ(b.boxes().size(), 1u);
        expectWarning(b.boxes()[0], QStringLiteral("A megadott Internet cím érvénytelen. Kérem, javítsa."));
        b.field("webField")->setText(QStringLiteral("abc.def"));
        for (const char* bad : {"@", "a.@b.hu", "a@.b", "ab", "a@b"}) {
            b.field("emailField")->setText(QString::fromLatin1(bad));
            b.save();
            expectWarning(b.boxes().back(),
                          QStringLiteral("A megadott e-mail cím érvénytelen. Kérem, javítsa."));
        }
        EXPECT_EQ(b.boxes().size(), 6u);
        EXPECT_FALSE(b.editor()->isHidden());
        EXPECT_EQ(b.file(), before);
    }

    // What is stored of the typed web address; an empty field gets "http://" back.
    Book b({});
    const struct {
        const char* typed;
        const char* stored;
    } webs[] = {{"http://", ""}, {"", ""}, {"a.b", ""}, {"abcd.efg", "abcd.efg"}};
    int n = 0;
    for (const auto& w : webs) {
        b.newPartner(QStringLiteral("P%1").arg(n++));
        b.field("webField")->setText(QString::fromLatin1(w.typed));
        b.field("emailField")->setText(n == 1 ? QStringLiteral("a@b.hu") : QString());
        b.save();
        EXPECT_TRUE(b.editor()->isHidden()) << w.typed;
    }
    EXPECT_TRUE(b.boxes().empty());
    EXPECT_EQ(b.field("webField")->text(), QStringLiteral("abcd.efg"));
    const auto recs = b.stored();
    ASSERT_EQ(recs.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(recs[i].WebAddress, webs[i].stored);
    EXPECT_EQ(recs[0].Email, "a@b.hu");
}

TEST(Partners, RenamingRemovesTheOldNamesDaysAndBirthdays) {
    Book b({partner("Minta Anna", "anna@minta.hu"), partner("Zsoldos Pál")});
    writeFile(b.s.data("nevnapok.dat"), event(EventKind::NameDay, "Minta Anna", 45000) +
                                            event(EventKind::NameDay, "Zsoldos Pál", 45001) +
                                            event(EventKind::NameDay, "Minta Anna", 45002));
    writeFile(b.s.data("szuletesnapok.dat"), event(EventKind::Birthday, "Zsoldos Pál", 30000) +
                                                 event(EventKind::Birthday, "Minta Anna", 30001));

    // Yes keeps the old name: nothing is written, the panel stays open.
    b.modify(0, QStringLiteral("Minta Anni"));
    EXPECT_EQ(b.get<QLabel>("editorTitle")->text(), QStringLiteral("Személyi adatok módosítása"));
    EXPECT_EQ(b.field("emailField")->text(), QStringLiteral("anna@minta.hu"));
    const std::string before = b.file();
    b.s.dialogs.answers.push_back(Dialogs::Yes);
    b.save();
    ASSERT_EQ(b.boxes().size(), 1u);
    EXPECT_EQ(b.boxes()[0].kind, Dialogs::Kind::Warning);
    EXPECT_EQ(b.boxes()[0].caption, QStringLiteral("Figyelem!"));
    EXPECT_EQ(b.boxes()[0].buttons, Dialogs::Yes | Dialogs::No);
    EXPECT_EQ(b.boxes()[0].text, QStringLiteral("Ha partnere nevét megváltoztatja, akkor annak név-, és "
                                                "születésnapja is törlődik!\n\nMeg szeretné tartani a "
                                                "partnere régi nevét?"));
    EXPECT_FALSE(b.editor()->isHidden());
    EXPECT_EQ(b.file(), before);

    // No: the new name is stored and the old name's days go, the last records of the files included.
    b.save();
    ASSERT_EQ(b.boxes().size(), 3u);
    EXPECT_EQ(b.boxes()[2].kind, Dialogs::Kind::Information);
    EXPECT_EQ(b.boxes()[2].text,
              QStringLiteral("A partnerének megváltoztatta a nevét.\nÍgy a rögzített régi név- "
                             "és születésnapok időpontja törlődik!"));
    const auto recs = b.stored();
    ASSERT_EQ(recs.size(), 2u);
    EXPECT_EQ(recs[0].Name, "Minta Anni");
    EXPECT_EQ(recs[0].Email, "anna@minta.hu");
    EXPECT_EQ(readFile(b.s.data("nevnapok.dat")), event(EventKind::NameDay, "Zsoldos Pál", 45001));
    EXPECT_EQ(readFile(b.s.data("szuletesnapok.dat")), event(EventKind::Birthday, "Zsoldos Pál", 30000));
    EXPECT_EQ(b.w->events().table(EventKind::NameDay).rows.size(), 1u);
    EXPECT_EQ(b.w->events().table(EventKind::Birthday).rows.size(), 1u);

    // A modification may take another partner's name; keeping one's own name asks nothing.
    b.modify(1, QStringLiteral("Minta Anni"));
    b.save();
    EXPECT_EQ(b.listed(), (QStringList{QStringLiteral("Minta Anni"), QStringLiteral("Minta Anni")}));
    EXPECT_EQ(b.stored()[0].Email, "anna@minta.hu"); // the first one stays first
    EXPECT_TRUE(b.stored()[1].Email.empty());
    const std::size_t shown = b.boxes().size();
    b.modify(0, QStringLiteral("Minta Anni"));
    b.field("phoneField")->setText(QStringLiteral("123"));
    b.save();
    EXPECT_EQ(b.boxes().size(), shown);
    // Put back after the equal name, as any save is.
    EXPECT_EQ(b.stored()[1].Phone, "123");
    EXPECT_EQ(b.stored()[1].Email, "anna@minta.hu");
    EXPECT_EQ(b.names()->currentIndex().row(), 0);
}

TEST(Partners, DeletingAsksAndKeepsTheListInStep) {
    Book b({partner("Antal Ede"), partner("Béla", "b@c.hu"), partner("Cecil")});
    writeFile(b.s.data("nevnapok.dat"),
              event(EventKind::NameDay, "Cecil", 45000) + event(EventKind::NameDay, "Béla", 45000));
    b.select(2);
    b.s.dialogs.answers.push_back(Dialogs::No);
    b.get<QPushButton>("deletePartnerButton")->click();
    ASSERT_EQ(b.boxes().size(), 1u);
    EXPECT_EQ(b.boxes()[0].kind, Dialogs::Kind::Confirmation);
    EXPECT_EQ(b.boxes()[0].caption, QStringLiteral("Megerősítés"));
    EXPECT_EQ(b.boxes()[0].buttons, Dialogs::Yes | Dialogs::No);
    EXPECT_EQ(b.boxes()[0].text, QStringLiteral("Valóban töröli \"Cecil\"-t a partnerei közül?\n(A partner "
                                                "név-, és születésnapja is törlődik!)"));
    EXPECT_EQ(b.stored().size(), 3u);

    // The last partner goes: the new last one is selected and shown.
    b.s.dialogs.answers.push_back(Dialogs::Yes);
    b.get<QPushButton>("deletePartnerButton")->click();
    EXPECT_EQ(b.listed(), (QStringList{QStringLiteral("Antal Ede"), QStringLiteral("Béla")}));
    EXPECT_EQ(b.kinek(), b.listed());
    EXPECT_EQ(b.names()->currentIndex().row(), 1);
    EXPECT_EQ(b.contactLines().value(0), QStringLiteral("b@c.hu"));
    EXPECT_EQ(readFile(b.s.data("nevnapok.dat")), event(EventKind::NameDay, "Béla", 45000));

    // The Delete key in the list asks the same.
    b.select(0);
    b.s.dialogs.answers.push_back(Dialogs::Yes);
    QTest::keyClick(b.names(), Qt::Key_Delete);
    EXPECT_EQ(b.listed(), (QStringList{QStringLiteral("Béla")}));
    EXPECT_EQ(b.names()->currentIndex().row(), 0);

    // The only partner goes: an empty file, the list views off, modify and delete gone.
    b.s.dialogs.answers.push_back(Dialogs::Yes);
    b.get<QPushButton>("deletePartnerButton")->click();
    EXPECT_EQ(b.file().size(), 0u);
    EXPECT_TRUE(b.listed().isEmpty());
    EXPECT_TRUE(b.kinek().isEmpty());
    EXPECT_FALSE(b.names()->isEnabled());
    EXPECT_FALSE(b.contacts()->isEnabled());
    EXPECT_EQ(b.contacts()->count(), 0);
    EXPECT_TRUE(b.get<QPushButton>("modifyButton")->isHidden());
    EXPECT_TRUE(b.get<QPushButton>("deletePartnerButton")->isHidden());
    EXPECT_EQ(readFile(b.s.data("nevnapok.dat")).size(), 0u);

    // Without the warnings nothing is asked and nothing deleted.
    Book q({partner("Antal Ede"), partner("Béla")}, false);
    const std::string before = q.file();
    q.select(1);
    q.get<QPushButton>("deletePartnerButton")->click();
    EXPECT_TRUE(q.boxes().empty());
    EXPECT_EQ(q.file(), before);
}

TEST(Partners, AnEmptyFileHidesModifyAndDeleteFromTheStart) {
    Book b({});
    EXPECT_TRUE(b.get<QPushButton>("modifyButton")->isHidden());
    EXPECT_TRUE(b.get<QPushButton>("deletePartnerButton")->isHidden());
    EXPECT_FALSE(b.get<QPushButton>("newPartnerListButton")->isHidden());
    EXPECT_FALSE(b.names()->isEnabled());
    b.newPartner(QStringLiteral("Első"));
    b.save();
    EXPECT_FALSE(b.get<QPushButton>("modifyButton")->isHidden());
    EXPECT_FALSE(b.get<QPushButton>("deletePartnerButton")->isHidden());
    EXPECT_TRUE(b.names()->isEnabled());
    EXPECT_EQ(b.kinek(), QStringList{QStringLiteral("Első")});
}

TEST(Partners, TheFollowUpChoiceLeadsToTheBirthdayOrTheNameDay) {
    Book b({partner("Antal Ede")});
    b.newPartner(QStringLiteral("Kovács Béla"));
    b.get<QComboBox>("followUpChoice")->setCurrentIndex(1);
    b.save();
    EXPECT_EQ(b.w->pages()->currentIndex(), MainWindow::TabNewEvent);
    EXPECT_EQ(zel::test::child<QComboBox>(b.w->newEventTab(), "kindChoice")->currentIndex(),
              int(kindIndex(EventKind::Birthday)));
    EXPECT_EQ(zel::test::child<QComboBox>(b.w->newEventTab(), "partnerChoice")->currentText(),
              QStringLiteral("Kovács Béla"));
    EXPECT_EQ(b.w->lastSavedPartner(), cp("Kovács Béla"));
    EXPECT_EQ(b.get<QComboBox>("followUpChoice")->currentIndex(), 1); // kept for the next partner

    QStringList searched;
    QObject::connect(b.t, &PartnersTab::nameDaySearchRequested,
                     [&](const QString& given) { searched << given; });
    b.w->pages()->setCurrentIndex(MainWindow::TabPartners);
    b.newPartner(QStringLiteral("Minta Anna"));
    b.get<QComboBox>("followUpChoice")->setCurrentIndex(0);
    b.save();
    EXPECT_EQ(searched, QStringList{QStringLiteral("Anna")});
    EXPECT_EQ(b.w->lastSavedPartner(), "Minta Anna");

    b.newPartner(QStringLiteral("Nemes Nóra"));
    b.get<QComboBox>("followUpChoice")->setCurrentIndex(2);
    b.save();
    EXPECT_EQ(searched.size(), 1);
    EXPECT_EQ(b.w->lastSavedPartner(), "Minta Anna");
    EXPECT_EQ(b.w->pages()->currentIndex(), MainWindow::TabPartners);
}

TEST(Partners, KeysAndTheDetailsOfAPartner) {
    Book b({partner("Antal Ede", "ede@antal.hu", "+36 30 1"), partner("Béla")});
    b.w->show();
    b.w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(b.w.get()));

    // Insert opens a new partner; Escape closes it without saving, from any field.
    QTest::keyClick(b.names(), Qt::Key_Insert);
    ASSERT_FALSE(b.editor()->isHidden());
    b.field("nameField")->setText(QStringLiteral("Cecil"));
    QTest::keyClick(b.field("addressField"), Qt::Key_Escape);
    EXPECT_TRUE(b.editor()->isHidden());
    EXPECT_EQ(b.stored().size(), 2u);

    // Enter in a one-line field saves; Enter in the list modifies.
    QTest::keyClick(b.names(), Qt::Key_Insert);
    b.field("nameField")->setText(QStringLiteral("Cecil"));
    QTest::keyClick(b.field("phoneField"), Qt::Key_Return);
    EXPECT_TRUE(b.editor()->isHidden());
    EXPECT_EQ(b.listed().value(2), QStringLiteral("Cecil"));
    b.select(0);
    QTest::keyClick(b.names(), Qt::Key_Return);
    EXPECT_TRUE(b.editor()->modifying());
    EXPECT_EQ(b.field("nameField")->text(), QStringLiteral("Antal Ede"));
    QTest::keyClick(b.get<QPlainTextEdit>("noteField"), Qt::Key_Escape);
    EXPECT_TRUE(b.editor()->isHidden());

    // The contact lines: a hint per line, an empty line none.
    b.select(0);
    EXPECT_EQ(b.contactLines(), (QStringList{QStringLiteral("ede@antal.hu"), QString(), QString(),
                                             QStringLiteral("+36 30 1"), QString()}));
    b.contacts()->setCurrentRow(0);
    EXPECT_EQ(b.contacts()->toolTip(), QStringLiteral("E-mail cím: ede@antal.hu"));
    b.contacts()->setCurrentRow(3);
    EXPECT_EQ(b.contacts()->toolTip(), QStringLiteral("Mobiltelefon szám: +36 30 1"));
    b.contacts()->setCurrentRow(4);
    EXPECT_TRUE(b.contacts()->toolTip().isEmpty());

    // Double-clicks: the mobile line offers the clipboard, then opens the SMS page.
    QApplication::clipboard()->setText(QStringLiteral("régi"));
    const auto dclick = [&](int row) {
        const QRect r = b.contacts()->visualItemRect(b.contacts()->item(row));
        QTest::mouseClick(b.contacts()->viewport(), Qt::LeftButton, {}, r.center());
        QTest::mouseDClick(b.contacts()->viewport(), Qt::LeftButton, {}, r.center());
    };
    dclick(3);
    ASSERT_EQ(b.boxes().size(), 1u);
    EXPECT_EQ(b.boxes()[0].kind, Dialogs::Kind::Information);
    EXPECT_EQ(b.boxes()[0].buttons, Dialogs::Yes | Dialogs::No);
    EXPECT_EQ(b.boxes()[0].text,
              QStringLiteral("Szeretné a kijelölt sort (+36 30 1) kimásolni a Vágólapra?\n(A "
                             "Vágólap régi tartalma elvész!)"));
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("régi"));
    b.s.dialogs.answers.push_back(Dialogs::Yes);
    dclick(3);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("+36 30 1"));
    dclick(0);
    dclick(1); // empty: nothing
    EXPECT_EQ(b.s.shell.addresses, (QStringList{QStringLiteral("https://www.afreesms.com/intl/hungary"),
                                                QStringLiteral("https://www.afreesms.com/intl/hungary"),
                                                QStringLiteral("mailto:ede@antal.hu")}));

    // A double-click on a name modifies it.
    const QRect second = b.names()->visualRect(b.names()->model()->index(1, 0));
    QTest::mouseClick(b.names()->viewport(), Qt::LeftButton, {}, second.center());
    QTest::mouseDClick(b.names()->viewport(), Qt::LeftButton, {}, second.center());
    EXPECT_FALSE(b.editor()->isHidden());
    EXPECT_EQ(b.field("nameField")->text(), QStringLiteral("Béla"));
    EXPECT_EQ(b.t->currentPartnerIndex(), 1u);
}

TEST(Partners, ANameGoneFromTheFileShowsNothing) {
    Book b({partner("Antal Ede", "a@b.hu"), partner("Béla")});
    std::filesystem::remove(b.s.data("partnerek.dat"));
    writeFile(b.s.data("partnerek.dat"), encodePartner(partner("Béla")));
    b.select(0);
    EXPECT_EQ(b.contacts()->count(), 0);
    EXPECT_EQ(b.t->currentPartnerIndex(), 1u);
    EXPECT_TRUE(b.contacts()->isEnabled());
    // Modifying then has no record to read: the error box, and the panel stays closed.
    b.get<QPushButton>("modifyButton")->click();
    ASSERT_EQ(b.boxes().size(), 1u);
    EXPECT_EQ(b.boxes()[0].kind, Dialogs::Kind::Stop);
    EXPECT_TRUE(b.editor()->isHidden());
}

namespace {

// Where the ink of accented capitals starts in a row of the view: the text is centred in its row, so
// a negative value means their accents are cut off at the top.
int accentRoomAbove(const QAbstractItemView* view, int rowHeight) {
    const QFontMetrics fm(view->font());
    const QRect ink = fm.tightBoundingRect(QStringLiteral("ŐŰÁÉÍÓÖÚÜ"));
    return (rowHeight - fm.height()) / 2 + fm.ascent() + ink.top();
}

} // namespace

TEST(Partners, AccentedCapitalsShowWholeInEveryListAndGrid) {
    Book b({partner("Éva Ágnes", "eva@example.hu"), partner("Őri Ödönné"), partner("Ürmös Űrhajós")});
    b.w->show();
    QApplication::processEvents();
    std::vector<std::pair<const QAbstractItemView*, int>> rows;
    rows.emplace_back(b.names(), b.names()->visualRect(b.names()->model()->index(1, 0)).height());
    b.select(0);
    ASSERT_GT(b.contacts()->count(), 0);
    rows.emplace_back(b.contacts(), b.contacts()->visualItemRect(b.contacts()->item(0)).height());
    auto* grid = b.w->findChild<QTableView*>(QStringLiteral("eventGrid"));
    rows.emplace_back(grid, grid->verticalHeader()->defaultSectionSize());
    auto* options = b.w->findChild<QListWidget*>(QStringLiteral("optionList"));
    rows.emplace_back(options, options->visualItemRect(options->item(0)).height());
    auto* alert = b.w->alertWindow();
    alert->prepareNotice({QStringLiteral("Őri Ödönné  Névnapja: Március 5.")}, true, true, false);
    for (const char* name : {"celebrantList", "celebrantContacts"}) {
        auto* list = alert->findChild<QListWidget*>(QString::fromLatin1(name));
        list->addItem(QStringLiteral("Ő"));
        rows.emplace_back(list, list->visualItemRect(list->item(0)).height());
    }
    for (const auto& [view, height] : rows)
        EXPECT_GE(accentRoomAbove(view, height), 0)
            << view->objectName().toStdString() << ": rows of " << height;
}
