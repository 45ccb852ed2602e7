#include "gui/sync/sync_report_text.h"
#include "gui/sync/sync_report_window.h"
#include "support/gui_util.h"

#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;

namespace {

SyncReport sample() {
    SyncReport r;
    r.local = {2, 1, 0};
    r.server = {1, 3, 1};
    r.conflicts = {{"Kovács Anna", PartnerField::Phone, "+36 1 234 5678", "+36 1 999 0000", true},
                   {"Nagy Béla", PartnerField::Note, "első sor\r\nmásodik sor", "", false},
                   {"Őri Ödön", PartnerField::WebAddress, "https://a.example", "https://b.example", true}};
    r.skipped = {{"/dav/a.vcf", "", SyncReport::Skipped::Reason::EmptyName},
                 {"/dav/b.vcf", "Kiss: Ferenc", SyncReport::Skipped::Reason::Colon},
                 {"/dav/c.vcf", "Kovács Anna", SyncReport::Skipped::Reason::NameTaken},
                 {"/dav/d.vcf", "", SyncReport::Skipped::Reason::Unreadable}};
    r.kept = {"Szabó Éva"};
    r.postponed = 2;
    return r;
}

QStringList column(const QTableWidget* t, int c) {
    QStringList out;
    for (int r = 0; r < t->rowCount(); ++r)
        out << t->item(r, c)->text();
    return out;
}

} // namespace

TEST(GuiSyncReport, TheTextNamesEveryChangeConflictAndSkippedCardInWords) {
    EXPECT_EQ(reportText(sample()),
              u"Ezen a gépen: 2 új, 1 módosított, 0 törölt partner\n"
              u"A kiszolgálón: 1 új, 3 módosított, 1 törölt névjegy\n"
              u"Ütközések:\n"
              u"  Kovács Anna, Telefon: ezen a gépen „+36 1 234 5678”, a kiszolgálón „+36 1 999 0000”; "
              u"megmaradt: kiszolgálóé\n"
              u"  Nagy Béla, Megjegyzés: ezen a gépen „első sor második sor”, a kiszolgálón „(üres)”; "
              u"megmaradt: helyi\n"
              u"  Őri Ödön, Honlap: ezen a gépen „https://a.example”, a kiszolgálón „https://b.example”; "
              u"megmaradt: kiszolgálóé\n"
              u"Kihagyott névjegyek (a kiszolgálón változatlanul maradtak):\n"
              u"  /dav/a.vcf: nincs neve\n"
              u"  Kiss: Ferenc: a neve kettőspontot tartalmaz\n"
              u"  Kovács Anna: ilyen nevű partner már van\n"
              u"  /dav/d.vcf: nem olvasható névjegy\n"
              u"Nem törölt partnerek:\n"
              u"  Szabó Éva: megmaradt, mert a másik oldalon módosult\n"
              u"2 névjegy feltöltése a következő szinkronizálásra maradt, mert a kiszolgálón közben ismét "
              u"módosult.\n"_s);
    EXPECT_EQ(reportText(SyncReport{}), u"Nem történt változás.\n"_s);
    // Counts alone: only the two summary lines.
    SyncReport counts;
    counts.server.deleted = 4;
    EXPECT_EQ(reportText(counts), u"Ezen a gépen: 0 új, 0 módosított, 0 törölt partner\n"
                                  u"A kiszolgálón: 0 új, 0 módosított, 4 törölt névjegy\n"_s);
    // Every field by the partner editor's caption.
    QStringList captions;
    for (PartnerField f : kPartnerFields)
        captions << fieldCaption(f);
    EXPECT_EQ(captions, (QStringList{u"Név"_s, u"Cím"_s, u"Honlap"_s, u"E-mail"_s, u"Mobil"_s, u"Telefon"_s,
                                     u"Megjegyzés"_s}));
}

TEST(GuiSyncReport, TheWindowShowsTheSectionsThatHoldSomethingEachTableWhole) {
    SyncReportWindow w;
    w.showReport(sample());
    w.show();
    EXPECT_EQ(w.windowTitle(), u"Szinkronizálás eredménye"_s);
    EXPECT_FALSE(w.isModal());
    EXPECT_EQ(test::child<QLabel>(&w, "syncSummary")->text(),
              u"Ezen a gépen: 2 új, 1 módosított, 0 törölt partner\n"
              u"A kiszolgálón: 1 új, 3 módosított, 1 törölt névjegy"_s);
    auto* conflicts = test::child<QTableWidget>(&w, "conflictTable");
    QStringList headers;
    for (int c = 0; c < conflicts->columnCount(); ++c)
        headers << conflicts->horizontalHeaderItem(c)->text();
    EXPECT_EQ(headers,
              (QStringList{u"Partner"_s, u"Mező"_s, u"Ezen a gépen"_s, u"A kiszolgálón"_s, u"Megmaradt"_s}));
    EXPECT_EQ(
        test::cells(*conflicts->model(), 1),
        (QStringList{u"Nagy Béla"_s, u"Megjegyzés"_s, u"első sor második sor"_s, u"(üres)"_s, u"helyi"_s}));
    EXPECT_EQ(column(conflicts, 4), (QStringList{u"kiszolgálóé"_s, u"helyi"_s, u"kiszolgálóé"_s}));
    auto* skipped = test::child<QTableWidget>(&w, "skippedTable");
    EXPECT_EQ(column(skipped, 0),
              (QStringList{u"/dav/a.vcf"_s, u"Kiss: Ferenc"_s, u"Kovács Anna"_s, u"/dav/d.vcf"_s}));
    EXPECT_EQ(column(skipped, 1), (QStringList{u"nincs neve"_s, u"a neve kettőspontot tartalmaz"_s,
                                               u"ilyen nevű partner már van"_s, u"nem olvasható névjegy"_s}));
    auto* kept = test::child<QTableWidget>(&w, "keptTable");
    EXPECT_EQ(test::cells(*kept->model(), 0),
              (QStringList{u"Szabó Éva"_s, u"megmaradt, mert a másik oldalon módosult"_s}));
    EXPECT_TRUE(test::child<QLabel>(&w, "postponedLine")->isVisible());
    EXPECT_EQ(test::child<QPushButton>(&w, "closeButton")->text(), u"Bezár"_s);

    // Fits: no table scrolls or cuts a column, and the summary is whole.
    for (const QTableWidget* t : {conflicts, skipped, kept}) {
        EXPECT_TRUE(t->isVisible());
        EXPECT_EQ(t->horizontalScrollBar()->maximum(), 0) << t->objectName().toStdString();
        EXPECT_EQ(t->verticalScrollBar()->maximum(), 0) << t->objectName().toStdString();
        for (int r = 0; r < t->rowCount(); ++r)
            for (int c = 0; c < t->columnCount(); ++c)
                EXPECT_GT(t->columnWidth(c), t->fontMetrics().horizontalAdvance(t->item(r, c)->text()))
                    << t->item(r, c)->text().toStdString();
    }
    const QLabel* summary = test::child<QLabel>(&w, "syncSummary");
    EXPECT_GE(summary->width(), summary->sizeHint().width());

    // Nothing changed: the line alone, no empty tables.
    w.showReport(SyncReport{});
    EXPECT_EQ(test::child<QLabel>(&w, "syncSummary")->text(), u"Nem történt változás."_s);
    for (const QTableWidget* t : {conflicts, skipped, kept})
        EXPECT_FALSE(t->isVisible());
    EXPECT_FALSE(test::child<QLabel>(&w, "postponedLine")->isVisible());
    test::child<QPushButton>(&w, "closeButton")->click();
    EXPECT_FALSE(w.isVisible());
}

TEST(GuiSyncReport, TheCalendarsLinesFollowThePartnersAndAFailureReplacesItsCounts) {
    SyncReport r;
    r.calendar = SyncReport::Calendar{{3, 1, 2}, 2, 5, 1, {}};
    EXPECT_EQ(reportText(r), u"Ezen a gépen: 0 új, 0 módosított, 0 törölt partner\n"
                             u"A kiszolgálón: 0 új, 0 módosított, 0 törölt névjegy\n"
                             u"A naptárban: 3 új, 1 módosított, 2 törölt esemény\n"
                             u"2 eseményt máshol módosítottak vagy töröltek a naptárban; a Zelmoran "
                             u"visszaállította őket.\n"
                             u"1 esemény feltöltése a következő szinkronizálásra maradt, mert a kiszolgálón "
                             u"közben ismét módosult.\n"
                             u"A naptárban 5 más programtól származó esemény is van; ezekhez a Zelmoran nem "
                             u"nyúlt.\n"_s);
    // Others' events alone are no change.
    r.calendar = SyncReport::Calendar{{}, 0, 5, 0, {}};
    EXPECT_EQ(reportText(r), u"Nem történt változás.\nA naptárban 5 más programtól származó esemény is van; "
                             u"ezekhez a Zelmoran nem nyúlt.\n"_s);
    r.calendar = SyncReport::Calendar{{}, 0, 0, 0, "A kiszolgáló nem érhető el.\n\nRészletek"};
    EXPECT_EQ(reportText(r), u"Ezen a gépen: 0 új, 0 módosított, 0 törölt partner\n"
                             u"A kiszolgálón: 0 új, 0 módosított, 0 törölt névjegy\n"
                             u"A naptár frissítése nem sikerült: A kiszolgáló nem érhető el. Részletek\n"_s);
}
