#pragma once

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class ActionsTab;
}

namespace zel::gui {

class AppState;
class Dialogs;
class ExportPanel;
class ImportPanel;
class Shell;

// "Műveletek": the name-day search (a name's days, a day's names) with the way on to a name-day
// event or a new partner, and the import and the export panel. One of the three groups shows at a
// time.
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
    // "Adat-exportálás": the export group over a fresh preview of the partners.
    void showExport();

    // The tab became the current one.
    void onShown();

    // The sync's line below the tasks: its words (empty hides the line) and, for the reason of a
    // failure, a tip.
    void setSyncStatus(const QString& text, const QString& tip);
    // A run under way: the button waits and the bar shows `done` of `total` (total 0: busy, no count).
    void setSyncRunning(bool running);
    void setSyncProgress(int done, int total);

    ImportPanel& importPanel() const { return *importPanel_; }
    ExportPanel& exportPanel() const { return *exportPanel_; }

  signals:
    // "Ugrás": a name-day event for this date text ("YYYY.MM.DD.").
    void nameDayEventRequested(const QString& dateText);
    // "Felvesz": a new partner of this name (a space before it).
    void newPartnerRequested(const QString& name);
    // "Szinkronizálás".
    void syncRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    enum class Group { NameDaySearch, Import, Export };
    void showGroup(Group group);

    AppState& state_;
    Dialogs& dialogs_;
    std::unique_ptr<Ui::ActionsTab> ui_;
    QString rememberedDay_;
    ImportPanel* importPanel_ = nullptr;
    ExportPanel* exportPanel_ = nullptr;
};

} // namespace zel::gui
