#include "gui/tabs/export_panel.h"
#include "gui/tabs/import_panel.h"
#include "gui/widgets/contact_table_model.h"
#include "gui/widgets/event_table_model.h"
#include "gui/widgets/partner_names_model.h"
#include "support/app_fixture.h"

#include <QAbstractItemModelTester>
#include <cstring>
#include <memory>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::partner;
using zel::test::q;
using Kind = Dialogs::Kind;

namespace {

// Puts models under Qt's model tester while the test drives the program; every complaint the tester
// makes fails the test. It also checks what the tester cannot: a model that announces a change still
// shows the old cells, so the views never read new data through the rows they still hold.
class ModelWatch {
  public:
    ModelWatch() { previous_ = qInstallMessageHandler(&ModelWatch::handle); }
    ~ModelWatch() { qInstallMessageHandler(previous_); }
    ModelWatch(const ModelWatch&) = delete;
    ModelWatch& operator=(const ModelWatch&) = delete;

    // The tester lives as long as the model and checks it at once, then at every change it announces.
    void watch(QAbstractItemModel* model) const {
        ASSERT_NE(model, nullptr);
        new QAbstractItemModelTester(model, QAbstractItemModelTester::FailureReportingMode::Warning, model);
        // Until a change is announced, the model shows what it showed after the last one.
        auto shown = std::make_shared<QStringList>(cellsOf(*model));
        const auto take = [model, shown] { *shown = cellsOf(*model); };
        const auto unchanged = [model, shown] {
            EXPECT_EQ(cellsOf(*model), *shown)
                << "changed before it said so: " << model->metaObject()->className();
        };
        QObject::connect(model, &QAbstractItemModel::modelReset, model, take);
        QObject::connect(model, &QAbstractItemModel::rowsInserted, model, take);
        QObject::connect(model, &QAbstractItemModel::rowsRemoved, model, take);
        QObject::connect(model, &QAbstractItemModel::layoutChanged, model, take);
        QObject::connect(model, &QAbstractItemModel::dataChanged, model, take);
        QObject::connect(model, &QAbstractItemModel::modelAboutToBeReset, model, unchanged);
        QObject::connect(model, &QAbstractItemModel::rowsAboutToBeInserted, model, unchanged);
        QObject::connect(model, &QAbstractItemModel::rowsAboutToBeRemoved, model, unchanged);
        QObject::connect(model, &QAbstractItemModel::layoutAboutToBeChanged, model, unchanged);
    }

  private:
    static QStringList cellsOf(const QAbstractItemModel& m) {
        QStringList out{QString::number(m.rowCount())};
        for (int r = 0; r < m.rowCount(); ++r)
            for (int c = 0; c < m.columnCount(); ++c)
                out << m.index(r, c).data().toString();
        return out;
    }
    static void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
        if (context.category && std::strcmp(context.category, "qt.modeltest") == 0 && type == QtWarningMsg)
            ADD_FAILURE() << "model tester: " << message.toStdString();
        else if (previous_)
            previous_(type, context, message);
    }
    static inline QtMessageHandler previous_ = nullptr;
};

EventRecord ev(int mo, int d, int h, int mi, const char* text, Recurrence recurrence = Recurrence::Never) {
    return test::event(dayNumber(2024, mo, d), h, mi, text, true, recurrence);
}

std::string vcard(std::initializer_list<std::pair<const char*, const char*>> people) {
    std::string out;
    for (const auto& [name, email] : people)
        out += std::string("BEGIN:VCARD\r\nVERSION:3.0\r\nFN:") + name + "\r\nEMAIL:" + email +
               "\r\nEND:VCARD\r\n";
    return out;
}

// Deletes the partner selected in the partners tab, saying yes to the question.
void deletionConfirmed(test::App& x, const QString& name) {
    x.dialogs.expect(Kind::Confirmation,
                     u"Valóban töröli \""_s + name +
                         u"\"-t a partnerei közül?\n(A partner név-, és születésnapja is törlődik!)"_s,
                     Dialogs::Yes);
    x.click("deletePartnerButton");
}

} // namespace

TEST(GuiModels, TheContactListsStayConsistentThroughImportEditSortRemovalAndExport) {
    ModelWatch watch;
    test::App x;
    x.quiet();
    x.storePartners({partner("Antal Ede"), partner("Zsoldos Pál")});
    x.show(MainWindow::TabActions);
    ContactTableModel& imported = x.w->actionsTab()->importPanel().list();
    ContactTableModel& exported = x.w->actionsTab()->exportPanel().list();
    watch.watch(&imported);
    watch.watch(&exported);
    auto* importView = x.get<QTableView>("importView");

    // Two files: the second one's rows fall among the first one's.
    x.click("importButton");
    const auto file = [&](const char* name, const std::string& bytes) {
        test::writeFile(x.dir.path() / name, bytes);
        return q(x.dir.path() / name);
    };
    x.dialogs.answerFiles({file("a.vcf", vcard({{"Kovács Béla", "b@p.hu"}, {"Antal Ede", "e@p.hu"}}))});
    x.click("addFilesButton");
    x.dialogs.answerFiles({file("b.vcf", vcard({{"Zoltán", "z@p.hu"}, {"Ágnes", "a@p.hu"}, {"Bori", ""}}))});
    x.click("addFilesButton");
    ASSERT_EQ(imported.rowCount(), 5);

    // The current cell follows its row through a sort by another column and through an edit.
    importView->setCurrentIndex(imported.index(3, 0)); // Kovács Béla, between Bori and Zoltán
    importView->horizontalHeader()->sectionClicked(ContactTableModel::EmailColumn);
    EXPECT_EQ(importView->currentIndex().row(), 2);
    EXPECT_EQ(importView->currentIndex().data().toString(), u"Kovács Béla"_s);
    EXPECT_TRUE(
        imported.setData(imported.index(0, ContactTableModel::EmailColumn), u"x@p.hu"_s, Qt::EditRole));
    EXPECT_FALSE(imported.setData(imported.index(0, ContactTableModel::kColumnCount), u"-"_s, Qt::EditRole));
    importView->horizontalHeader()->sectionClicked(ContactTableModel::NameColumn);
    EXPECT_EQ(importView->currentIndex().data().toString(), u"Kovács Béla"_s);

    // One row removed, then the list taken: the partners already in the file stay in it.
    x.click("removeRowButton");
    x.dialogs.allowAny();
    x.click("takeListButton");
    EXPECT_EQ(test::items(importView), QStringList{u"Antal Ede"_s});

    // The export's list is filled afresh each time it is shown; rows given twice or beyond the end are
    // removed once or not at all.
    x.click("exportButton");
    exported.removeRowsAt({4, 0, 4, 17});
    EXPECT_EQ(exported.rowCount(), 3);
    exported.appendRows({});
    x.click("exportButton");
    EXPECT_EQ(exported.rowCount(), 5);
}

TEST(GuiModels, TheListingAndTheServiceTablesStayConsistentThroughEveryWriteAndTick) {
    ModelWatch watch;
    test::App x(Moment::at(2024, 3, 5, 8, 0, 30));
    x.dialogs.allowAny();
    test::writeFile(x.dir.path() / "szervizmod", "");
    x.store(EventKind::Reminder,
            {ev(3, 5, 9, 0, "kilenc"), ev(3, 5, 10, 0, "tíz", Recurrence::Daily), ev(3, 6, 8, 0, "holnap")});
    x.store(EventKind::NameDay, {ev(3, 5, 0, 0, "Antal Ede")});
    x.storePartners({partner("Antal Ede")});
    x.show(MainWindow::TabNewEvent);
    ListingModel* listing = x.w->eventsTab()->model();
    watch.watch(listing);
    for (const char* name : {"reminderTable", "programTable", "nameDayTable", "birthdayTable", "nextReminder",
                             "nextProgram", "nextNameDay", "nextBirthday"})
        watch.watch(x.get<QTableView>(name)->model());
    const QAbstractItemModel& table = *x.get<QTableView>("reminderTable")->model();
    const QAbstractItemModel& next = *x.get<QTableView>("nextReminder")->model();

    // A reminder added through the new-event tab; the table and the listing take it in its place.
    x.w->newEventTab()->selectKind(EventKind::Reminder);
    x.get<QPlainTextEdit>("reminderText")->setPlainText(u"új"_s);
    x.get<QTimeEdit>("timePicker")->setTime(QTime(9, 30));
    x.click("addButton");
    EXPECT_EQ(test::cells(table, 1).value(3), u"új"_s);
    EXPECT_EQ(listing->listedCount(), 4u);
    EXPECT_EQ(test::cells(next, 0).value(3), u"kilenc"_s);

    // The filters and the kinds each list afresh, also an empty listing with its blank row.
    x.w->pages()->setCurrentIndex(MainWindow::TabEvents);
    for (const char* filter : {"todayFilter", "tomorrowFilter", "weekFilter", "monthFilter", "allFilter"})
        x.click(filter);
    auto* kinds = x.get<QComboBox>("listingKindChoice");
    for (int k : {1, 2, 3, 0}) {
        kinds->setCurrentIndex(k);
        emit kinds->activated(k);
    }
    x.get<QDateEdit>("rangeFrom")->setDate(QDate(2030, 1, 1));
    EXPECT_TRUE(listing->isEmpty() && listing->rowCount() == 1);
    x.click("allFilter");

    // A text changed in the editor, a row deleted.
    auto* grid = x.get<QTableView>("eventGrid");
    grid->setCurrentIndex(listing->index(0, 4));
    QTest::keyClick(grid, Qt::Key_Return);
    x.get<QPlainTextEdit>("editReminderText")->setPlainText(u"kilenc óra"_s);
    x.click("applyButton");
    EXPECT_EQ(test::cells(table, 0).value(3), u"kilenc óra"_s);
    grid->setCurrentIndex(listing->index(1, 2));
    x.dialogs.expect(Kind::Confirmation, u"Valóban törölni szeretné azt a sort amiben áll?"_s, Dialogs::Yes);
    x.click("deleteButton");
    EXPECT_EQ(listing->listedCount(), 3u);

    // The ticks move the next row past the reminder that fell due.
    for (int minute : {59, 60, 61}) {
        x.clock.set(Moment::at(2024, 3, 5, 8 + minute / 60, minute % 60, 0, 3));
        x.w->watch().tick();
    }
    EXPECT_EQ(test::cells(next, 0).value(3), u"tíz"_s);

    // A partner deleted takes the name day away: the name-day table falls back to its blank row.
    x.w->pages()->setCurrentIndex(MainWindow::TabPartners);
    auto* names = x.get<QListView>("nameList");
    names->setCurrentIndex(names->model()->index(0, 0));
    deletionConfirmed(x, u"Antal Ede"_s);
    EXPECT_EQ(x.get<QTableView>("nameDayTable")->model()->rowCount(), 1);
    EXPECT_EQ(test::cells(*x.get<QTableView>("nextNameDay")->model(), 0).join(QString()), QString());
}

TEST(GuiModels, ThePartnerNamesStayConsistentThroughSavesDeletionsAndImports) {
    ModelWatch watch;
    test::App x;
    x.dialogs.allowAny(); // a rename's question gets No: the new name is kept
    x.storePartners({partner("Béla"), partner("Zsoldos Pál")});
    x.show(MainWindow::TabPartners);
    auto* names = x.get<QListView>("nameList");
    watch.watch(names->model());
    watch.watch(x.get<QComboBox>("partnerChoice")->model());

    const auto save = [&](const char* button, const QString& name) {
        x.click(button);
        x.setText("nameField", name);
        x.click("saveButton");
    };
    save("newPartnerListButton", u"Ádám"_s);
    names->setCurrentIndex(names->model()->index(2, 0));
    save("modifyButton", u"Álmos"_s);
    EXPECT_EQ(test::items(x.get<QComboBox>("partnerChoice")),
              (QStringList{u"Ádám"_s, u"Álmos"_s, u"Béla"_s}));

    x.w->pages()->setCurrentIndex(MainWindow::TabActions);
    x.click("importButton");
    test::writeFile(x.dir.path() / "c.vcf", vcard({{"Cecil", "c@p.hu"}, {"Aba", "a@p.hu"}}));
    x.dialogs.answerFiles({q(x.dir.path() / "c.vcf")});
    x.click("addFilesButton");
    x.click("takeListButton");
    const QStringList all{u"Aba"_s, u"Ádám"_s, u"Álmos"_s, u"Béla"_s, u"Cecil"_s};
    EXPECT_EQ(test::items(names), all);
    // Deleted one by one down to an empty list.
    for (const QString& name : all) {
        names->setCurrentIndex(names->model()->index(0, 0));
        deletionConfirmed(x, name);
    }
    EXPECT_EQ(names->model()->rowCount(), 0);
}
