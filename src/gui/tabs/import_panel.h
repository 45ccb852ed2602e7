#pragma once

#include <QGroupBox>
#include <memory>

namespace Ui {
class ImportPanel;
}

namespace zel::gui {

class AppState;
class ContactTableModel;
class Dialogs;

// "Adatok importálása külső állományból": contacts from other programs' address books read into an
// editable list, and from there taken over as partners.
class ImportPanel : public QGroupBox {
    Q_OBJECT

  public:
    ImportPanel(AppState& state, Dialogs& dialogs, QWidget* parent = nullptr);
    ~ImportPanel() override;

    // "Hozzáadás": chosen files read into the list.
    void addFiles();
    // "Törlés": the current row out of the list.
    void removeCurrentRow();
    // "A lista adatainak felvétele a partnerek közé".
    void takeList();
    void showImportInfo();

    ContactTableModel& list() const { return *list_; }

  private:
    // Törlés and the taking over show only while the list holds rows.
    void updateImportButtons();

    AppState& state_;
    Dialogs& dialogs_;
    std::unique_ptr<Ui::ImportPanel> ui_;
    ContactTableModel* list_ = nullptr;
};

} // namespace zel::gui
