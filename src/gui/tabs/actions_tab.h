#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class QTableView;

namespace Ui {
class ActionsTab;
}

namespace zel::gui {

class AppState;
class ContactTableModel;
class Dialogs;
class Shell;

// "Műveletek": the name-day search (a name's days, a day's names) with the way on to a name-day
// event or a new partner; contacts from other programs' address books into a list and on to the
// partners; the partners out to a delimited or vCard file, and the data files to another folder.
// One of the three groups shows at a time.
class ActionsTab : public QWidget {
    Q_OBJECT

  public:
    ActionsTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent = nullptr);
    ~ActionsTab() override;

    // Every name of both calendars, sorted, for the name box.
    void setNames(const std::vector<std::string>& names);
    // "Névnap keresés": the search group, the name box focused.
    void showNameDaySearch();
    // Puts a name into the name box and, when it is not empty, searches it.
    void searchFor(const QString& name);
    void search();
    void jumpToDay();
    void takeAsPartner();
    // "Keresés adott napra": the names of a typed day, asked again while the user wants.
    void showDayNames();

    // "Adat-importálás": the import group with its list as it was left.
    void showImport();
    // "Hozzáadás": chosen files read into the list.
    void addFiles();
    // "Törlés": the current row out of the list.
    void removeCurrentRow();
    // "A lista adatainak felvétele a partnerek közé".
    void takeList();
    void showImportInfo();

    // "Adat-exportálás": the export group over a fresh preview of the partners.
    void showExport();
    // The task chosen in the export group's drop-down list; the list goes back to its first item.
    void runExportTask(int task);
    void exportPartners();
    void copyDataFiles();
    void showExportInfo();

    // The tab became the current one.
    void onShown();

    ContactTableModel& importList() const { return *importList_; }
    ContactTableModel& exportList() const { return *exportList_; }

  signals:
    // "Ugrás": a name-day event for this date text ("YYYY.MM.DD.").
    void nameDayEventRequested(const QString& dateText);
    // "Felvesz": a new partner of this name (a space before it).
    void newPartnerRequested(const QString& name);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    enum class Group { NameDaySearch, Import, Export };
    void showGroup(Group group);
    void setUpView(QTableView* view, ContactTableModel* model);
    // Törlés and the taking over show only while the list holds rows.
    void updateImportButtons();
    QString exeFolder() const;

    AppState& state_;
    Dialogs& dialogs_;
    Shell& shell_;
    std::unique_ptr<Ui::ActionsTab> ui_;
    QString rememberedDay_;
    ContactTableModel* importList_ = nullptr;
    ContactTableModel* exportList_ = nullptr;
};

} // namespace zel::gui
