#include "core/exchange/partner_import.h"
#include "gui/tabs/export_panel.h"
#include "gui/tabs/import_panel.h"
#include "gui/text/qt_text.h"
#include "gui/widgets/contact_table_model.h"
#include "support/app_fixture.h"

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::q;
using zel::test::readFile;
using Kind = Dialogs::Kind;
namespace fs = std::filesystem;

namespace {

const QString kSeparatorPrompt =
    u"Adja meg, hogy melyik karakter választja el az egyes adatokat egymástól."_s;
const QString kImportFailed = u"Az importálás nem sikerült! (Valószínűleg nem szabványos a forrás fájl)\n"
                              u"Próbáljon más fájlformátumot, illetve exportálja ki még egyszer\n"
                              u"a levelező programjából a címjegyzéket,majd próbálja újra!"_s;
const QString kLeftInList =
    u"A listában maradt nevekkel már szerepelnek felvett partnerek, így mégegyszer nem "
    u"kerültek rögzítésre!"_s;
const QString kNameless =
    u"A név nélküli és a kettőspontot tartalmazó nevű sorok nem kerültek rögzítésre, a listában maradtak."_s;

struct Exchange : test::App {
    explicit Exchange(const std::vector<PartnerRecord>& partners = {}) {
        quiet();
        if (!partners.empty()) storePartners(partners);
        show(MainWindow::TabActions);
    }
    ContactTableModel& importList() const { return w->actionsTab()->importPanel().list(); }
    ContactTableModel& exportList() const { return w->actionsTab()->exportPanel().list(); }
    QTableView* exportView() const { return get<QTableView>("exportView"); }
    fs::path file(const char* name, const std::string& bytes) const {
        test::writeFile(dir.path() / name, bytes);
        return dir.path() / name;
    }
    bool shown(const char* name) const { return get(name)->isVisible(); }
    QStringList partnerFileNames() const {
        QStringList out;
        for (const PartnerRecord& p : readAllPartners(data("partnerek.dat")))
            out << fromCp(p.name);
        return out;
    }
    void runExportTask(int task) const { emit get<QComboBox>("exportTaskBox")->activated(task); }
};

PartnerRecord contact(std::string_view name, std::string_view email = {}, std::string_view address = {},
                      std::string_view note = {}) {
    PartnerRecord p;
    p.name = test::cp(name);
    p.email = test::cp(email);
    p.address = test::cp(address);
    p.note = test::cp(note);
    return p;
}

} // namespace

TEST(GuiExchange, ImportReadsTheChosenFilesInOrderUntilASeparatorIsRefusedAndRowRemovalEmptiesTheList) {
    Exchange x;
    const QSize windowSize = x.w->size();
    EXPECT_TRUE(x.shown("nameDaySearchGroup") && !x.shown("importGroup") && !x.shown("exportGroup"));
    x.click("importButton");
    EXPECT_TRUE(!x.shown("nameDaySearchGroup") && x.shown("importGroup") && !x.shown("exportGroup"));
    EXPECT_TRUE(!x.shown("removeRowButton") && !x.shown("takeListButton"));

    const fs::path vcf =
        x.file("telefon.vcf", "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Tóth Tímea\r\n"
                              "EMAIL;TYPE=INTERNET:timea@pelda.hu\r\nTEL;TYPE=CELL:+36 30 111 2222\r\n"
                              "NOTE:első sor\\nmásodik sor\r\nEND:VCARD\r\n"
                              "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:Csonka Card\r\n");
    const fs::path txt = x.file("jegyzet.txt", "Valaki;valaki@pelda.hu\r\n");
    const fs::path csv = x.file("tabla.csv", "Név;E-mail cím;Telefon;Mobilszám;Honlap\r\n"
                                             "Kiss Éva;eva@pelda.hu;+36 1 234 5678;;\r\n");
    const fs::path ldif = x.file("thunderbird.ldif", "dn: cn=Nagy Ödön,mail=odon@pelda.hu\n"
                                                     "cn: Nagy Ödön\nmail: odon@pelda.hu\n\n");
    const QString csvPrompt = kSeparatorPrompt + u"\n\nSegítségül az importálandó fájl első adatsora:\n"_s +
                              u"Kiss Éva;eva@pelda.hu;+36 1 234 5678;;"_s;
    const fs::path folder = x.dir.path() / "mappa.vcf"; // no plain file: never read
    fs::create_directories(folder);
    // NUL bytes make it no text: refused before any separator question.
    const fs::path binary = x.file("bin.csv", std::string("Név;E-mail\r\nKis") + '\0' + "Imre;k@p.hu\r\n");
    x.dialogs.answerFiles({q(vcf), q(txt), q(folder), q(binary), q(csv), q(ldif)});
    x.dialogs.expect(Kind::Information,
                     u"Az állomány 1 bejegyzését nem sikerült hiánytalanul beolvasni, ezek kimaradtak:\n"_s +
                         q(vcf));
    x.dialogs.expect(Kind::Error, kImportFailed);
    x.dialogs.expect(Kind::Error, kImportFailed);
    x.dialogs.expect(Kind::Error, kImportFailed);
    x.dialogs.expectInput(csvPrompt, u";x"_s); // the first character counts
    x.click("addFilesButton");
    ASSERT_EQ(x.dialogs.fileCalls.size(), 1u);
    EXPECT_EQ(x.dialogs.fileCalls[0].caption,
              u"Adatok betöltése a levelezőprogramok exportált címjegyzékéből"_s);
    EXPECT_EQ(x.dialogs.fileCalls[0].folder, q(x.dir.path()));
    // Every format the reading knows comes first, in one entry.
    EXPECT_EQ(
        x.dialogs.fileCalls[0].filter,
        u"Minden támogatott címjegyzék (*.vcf *.vcard *.csv *.ldif *.ldi)|*.vcf;*.vcard;*.csv;*.ldif;*.ldi|"
        u"Pontosvesszővel tagolt szöveg (.csv)|*.csv|Netscape címjegyzék (.ldif)|*.ldif|"
        u"OutLook Express 5  VCard fájl (.vcf)|*.vcf"_s);

    // In alphabetical order, whichever file they came from.
    const QAbstractItemModel& view = *x.get<QTableView>("importView")->model();
    ASSERT_EQ(view.rowCount(), 3);
    // Each field in its column; a note shows on one line and is edited on its own lines.
    EXPECT_EQ(test::cells(view, 2).join(u'|'),
              u"Tóth Tímea|timea@pelda.hu||+36 30 111 2222|||első sor második sor"_s);
    EXPECT_EQ(view.index(2, ContactTableModel::NoteColumn).data(Qt::EditRole), u"első sor\nmásodik sor"_s);
    EXPECT_EQ(test::cells(view, 0).join(u'|'), u"Kiss Éva|eva@pelda.hu|+36 1 234 5678||||"_s);
    EXPECT_EQ(test::items(view).value(1), u"Nagy Ödön"_s);
    EXPECT_EQ(view.headerData(6, Qt::Horizontal), u"Megjegyzés"_s);
    EXPECT_TRUE(x.shown("removeRowButton") && x.shown("takeListButton"));

    // A refused separator ends the reading: the vCard after it is not read.
    x.dialogs.answerFiles({q(csv), q(vcf)});
    x.dialogs.expectInput(csvPrompt, std::nullopt);
    x.click("addFilesButton");
    EXPECT_EQ(view.rowCount(), 3);

    auto* grid = x.get<QTableView>("importView");
    grid->setCurrentIndex(view.index(1, 2));
    x.click("removeRowButton");
    EXPECT_EQ(test::items(view), (QStringList{u"Kiss Éva"_s, u"Tóth Tímea"_s}));
    for (int left = 2; left > 0; --left) {
        EXPECT_TRUE(x.shown("removeRowButton") && x.shown("takeListButton"));
        grid->setCurrentIndex(view.index(left - 1, 0));
        x.click("removeRowButton");
    }
    EXPECT_EQ(view.rowCount(), 0);
    EXPECT_TRUE(!x.shown("removeRowButton") && !x.shown("takeListButton"));
    EXPECT_EQ(x.w->size(), windowSize);
}

TEST(GuiExchange, TakingTheListAddsNewNamesAtTheirPlacesAndLeavesPartnersAndNamelessRowsInTheList) {
    Exchange x({test::partner("Bodnár Béla")});
    x.click("importButton");
    x.importList().setRows({contact("Kovács Kata", "kata@pelda.hu"), contact("bodnár béla"), contact(""),
                            contact("Antal Anna"), contact("Kovács Kata")});
    x.dialogs.expect(Kind::Information,
                     u"A következő Partnerek kerültek felvételre:\nAntal Anna\nKovács Kata\n\n\n"_s +
                         kLeftInList + u"\n\n"_s + kNameless);
    x.click("takeListButton");
    EXPECT_EQ(x.partnerFileNames(), (QStringList{u"Antal Anna"_s, u"Bodnár Béla"_s, u"Kovács Kata"_s}));
    EXPECT_EQ(readAllPartners(x.data("partnerek.dat"))[2].email, "kata@pelda.hu");
    EXPECT_EQ(test::items(x.importList()), (QStringList{{}, u"bodnár béla"_s, u"Kovács Kata"_s}));
    EXPECT_TRUE(x.shown("removeRowButton") && x.shown("takeListButton"));

    const std::string before = readFile(x.data("partnerek.dat"));
    x.dialogs.expect(Kind::Information,
                     u"Az importálás sikerült, de nem került felvételre új személy.\n\n"_s + kLeftInList +
                         u"\n\n"_s + kNameless);
    x.click("takeListButton");
    EXPECT_EQ(readFile(x.data("partnerek.dat")), before);

    // A long report names thirty and counts the rest.
    std::vector<PartnerRecord> many;
    QString listed;
    for (int i = 1; i <= 32; ++i) {
        const std::string name = "Új Partner " + std::to_string(100 + i);
        many.push_back(contact(name));
        if (i <= 30) listed += QString::fromStdString(name) + u'\n';
    }
    x.importList().setRows(many);
    x.dialogs.expect(Kind::Information, u"A következő Partnerek kerültek felvételre:\n"_s + listed +
                                            u"… és további 2 partner\n"_s);
    x.click("takeListButton");
    EXPECT_EQ(x.partnerFileNames().size(), 35);
    EXPECT_TRUE(x.importList().isEmpty() && !x.shown("takeListButton"));
}

TEST(GuiExchange, ExportWritesThePreviewAsEditedAndSortedUnderTheNameRulesAndNeverOverAKeptFile) {
    Exchange x({contact("Bodnár Béla", "bela@pelda.hu"),
                contact("antal Anna", "anna@pelda.hu", "Budapest; Fő utca 1", "egy\r\nkettő"),
                contact("Ádám Ákos", "zsolt@pelda.hu")});
    x.click("exportButton");
    EXPECT_TRUE(!x.shown("nameDaySearchGroup") && !x.shown("importGroup") && x.shown("exportGroup"));
    // Hungarian alphabetical order, case aside, before any header is clicked; the file keeps its own.
    QAbstractItemModel& preview = *x.exportView()->model();
    EXPECT_EQ(test::items(preview), (QStringList{u"Ádám Ákos"_s, u"antal Anna"_s, u"Bodnár Béla"_s}));
    EXPECT_EQ(x.partnerFileNames(), (QStringList{u"Bodnár Béla"_s, u"antal Anna"_s, u"Ádám Ákos"_s}));
    EXPECT_EQ(x.get<QComboBox>("exportTaskBox")->currentText(), u"Válasszon feladatot:"_s);
    // A note edited on two lines after a double click, then a click on the e-mail header.
    const QModelIndex note = preview.index(2, ContactTableModel::NoteColumn);
    x.exportView()->scrollTo(note);
    const QPoint at = x.exportView()->visualRect(note).center();
    QTest::mouseClick(x.exportView()->viewport(), Qt::LeftButton, {}, at); // QTest's double click lacks it
    QTest::mouseDClick(x.exportView()->viewport(), Qt::LeftButton, {}, at);
    auto* editor = x.exportView()->viewport()->findChild<QPlainTextEdit*>();
    ASSERT_TRUE(editor);
    editor->setPlainText(u"hívd\nhétfőn"_s);
    QTest::keyClick(editor, Qt::Key_Tab);
    QHeaderView* header = x.exportView()->horizontalHeader();
    x.exportView()->scrollTo(preview.index(0, 0));
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(ContactTableModel::EmailColumn) + 5, 5));
    EXPECT_EQ(test::items(preview), (QStringList{u"antal Anna"_s, u"Bodnár Béla"_s, u"Ádám Ákos"_s}));

    // Cancelled, the separator question gives ";"; a name without a dot, in a folder with one, gets ".csv".
    fs::create_directories(x.dir.path() / "ki.mappa");
    const fs::path csv = x.dir.path() / "ki.mappa" / "lista.csv";
    x.dialogs.answerFile(q(x.dir.path() / "ki.mappa" / "lista"));
    x.dialogs.expectInput(kSeparatorPrompt, std::nullopt);
    x.dialogs.expect(
        Kind::Information,
        u"Az exportálás sikeres volt.\nMeg kívánja tekinteni az elkészült állományt a Jegyzettömbben?"_s,
        Dialogs::Yes, Dialogs::Yes | Dialogs::No);
    x.runExportTask(1);
    EXPECT_EQ(x.dialogs.fileCalls.back().caption, u"Partneradatok exportálása csv állományba"_s);
    EXPECT_EQ(x.dialogs.fileCalls.back().folder, q(x.dir.path()));
    EXPECT_EQ(x.dialogs.fileCalls.back().filter,
              u"Karakterrel tagolt szövegfájl (*.csv)|*.csv|vCard 3.0 névjegyfájl (*.vcf)|*.vcf|"
              u"Minden állomány (*.*)|*.*"_s);
    const std::string written = "\xEF\xBB\xBF"
                                "Név;E-mail;Telefon;Mobil;Honlap;Cím;Megjegyzés\r\n"
                                "antal Anna;anna@pelda.hu;;;;\"Budapest; Fő utca 1\";\"egy\r\nkettő\"\r\n"
                                "Bodnár Béla;bela@pelda.hu;;;;;\"hívd\r\nhétfőn\"\r\n"
                                "Ádám Ákos;zsolt@pelda.hu;;;;;\r\n";
    EXPECT_EQ(readFile(csv), written);
    EXPECT_EQ(x.shell.calls, (std::vector<test::RecordingShell::Call>{{q(csv), {}}}));
    EXPECT_EQ(x.get<QComboBox>("exportTaskBox")->currentIndex(), 0);

    // The vCard entry names a bare file ".vcf" and writes cards, with no separator to ask for; a
    // desktop with nothing to show the file says so.
    x.shell.opens = false;
    x.dialogs.answerFile(q(x.dir.path() / "nevjegyek"), 1);
    x.dialogs.expect(
        Kind::Information,
        u"Az exportálás sikeres volt.\nMeg kívánja tekinteni az elkészült állományt a Jegyzettömbben?"_s,
        Dialogs::Yes);
    x.dialogs.expect(Kind::Stop, u"Nem sikerült megnyitni:\n"_s + q(x.dir.path() / "nevjegyek.vcf"));
    x.runExportTask(1);
    const std::string card = "BEGIN:VCARD\r\nVERSION:3.0\r\nFN:antal Anna\r\n";
    EXPECT_EQ(readFile(x.dir.path() / "nevjegyek.vcf").substr(0, card.size()), card);

    // Yes to the overwrite question keeps the old file; an empty separator ends before it.
    x.dialogs.answerFile(q(csv));
    x.dialogs.expectInput(kSeparatorPrompt, u";"_s);
    x.dialogs.expect(Kind::Warning,
                     u"A választott állomány már létezik!\nHa ezen a néven exportál, akkor a régi állomány "
                     u"tartalma elvész!\n\nVálaszt egy másik nevet?"_s,
                     Dialogs::Yes, Dialogs::Yes | Dialogs::No);
    x.runExportTask(1);
    x.dialogs.answerFile(q(csv));
    x.dialogs.expectInput(kSeparatorPrompt, QString());
    x.runExportTask(1);
    EXPECT_EQ(readFile(csv), written);
    EXPECT_EQ(x.shell.calls.size(), 2u);

    // Coming back to the tab reads the partner file again: the edit is gone, the order alphabetical.
    x.w->pages()->setCurrentIndex(MainWindow::TabEvents);
    x.w->pages()->setCurrentIndex(MainWindow::TabActions);
    EXPECT_EQ(test::items(preview), (QStringList{u"Ádám Ákos"_s, u"antal Anna"_s, u"Bodnár Béla"_s}));
    EXPECT_EQ(preview.index(2, ContactTableModel::NoteColumn).data(), QString());
    EXPECT_EQ(header->sortIndicatorSection(), -1);
}

TEST(GuiExchange, TheCopyReportsAllSomeOrNoneCopiedAndOffersTheFolder) {
    Exchange x;
    x.click("exportButton");
    const fs::path target = x.dir.path() / "masolat";
    fs::create_directories(target);
    const char* const files[] = {"partnerek.dat", "emlekeztetok.dat",  "programok.dat",
                                 "nevnapok.dat",  "szuletesnapok.dat", "beallitasok.cfg"};
    auto listed = [&](std::initializer_list<int> which) {
        QString out;
        for (int i : which)
            out += q(target / files[i]) + u'\n';
        return out;
    };
    // What was copied, where to take it (the settings beside the Data folder, not into it), what
    // failed, and the offer to show the folder.
    const auto report = [](const QString& copied, const QString& settings, const QString& failed) -> QString {
        return copied +
               u"\n\nEzeket a másik Zelmoran-példány helyén lévő Data könyvtárba kell felmásolni ahhoz, hogy "
               u"annak adatbázisa frissüljön.\nA beállításokat tartalmazó "_s +
               settings + u" viszont a Data könyvtár mellé, a program mappájába kell másolni."_s +
               (failed.isEmpty()
                    ? QString()
                    : u"\n\nA következő állományok másolása azonban sikertelen volt:\n"_s + failed) +
               u"\n\nSzeretné megjeleníteni az imén elkészített másolatok könyvtárát?"_s;
    };
    const QString cfgAlone = u"beallitasok.cfg állományt"_s,
                  some = u"A következő adatállományokat sikerült átmásolni:\n"_s;

    x.dialogs.answerFile(q(target));
    x.dialogs.expect(Kind::Information,
                     report(u"Valamennyi adatállományt sikerült átmásolni, ezek a következők:\n"_s +
                                listed({0, 1, 2, 3, 4, 5}),
                            cfgAlone, {}),
                     Dialogs::Yes, Dialogs::Yes | Dialogs::No);
    x.runExportTask(2);
    EXPECT_EQ(x.dialogs.fileCalls.back().caption,
              u"Válasszon egy helyet, ahová az adatállományok másolatát el szeretné helyezni:"_s);
    EXPECT_EQ(x.dialogs.fileCalls.back().folder, q(x.dir.path()));
    EXPECT_EQ(x.shell.calls, (std::vector<test::RecordingShell::Call>{{q(target), {}}}));
    for (const char* f : files)
        EXPECT_EQ(readFile(target / f), readFile(f == files[5] ? x.cfgPath() : x.data(f))) << f;

    fs::remove(x.data("programok.dat"));
    x.dialogs.answerFile(q(target));
    x.dialogs.expect(Kind::Information, report(some + listed({0, 1, 3, 4, 5}), cfgAlone, listed({2})),
                     Dialogs::No);
    x.runExportTask(2);
    x.dialogs.answerFile(QString()); // cancelled: nothing more
    x.runExportTask(2);
    EXPECT_EQ(x.shell.calls.size(), 1u);

    // Once saved, the further settings go with the settings file, beside the Data folder too.
    x.w->settingsTab()->save();
    x.dialogs.answerFile(q(target));
    x.dialogs.expect(Kind::Information,
                     report(some + listed({0, 1, 3, 4, 5}) + q(target / "beallitasok-tovabbi.ini") + u'\n',
                            u"beallitasok.cfg és beallitasok-tovabbi.ini állományokat"_s, listed({2})),
                     Dialogs::No);
    x.runExportTask(2);
    EXPECT_EQ(readFile(target / "beallitasok-tovabbi.ini"),
              readFile(x.dir.path() / "beallitasok-tovabbi.ini"));
}
