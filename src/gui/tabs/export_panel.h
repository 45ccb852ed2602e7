#pragma once

#include <QGroupBox>
#include <memory>

namespace Ui {
class ExportPanel;
}

namespace zel::gui {

class AppState;
class ContactTableModel;
class Dialogs;
class Shell;

// "Adatok exportálása": the partners out to a delimited or vCard file over an editable preview, the
// data files copied to another folder, and the events out to an iCalendar file for other calendars.
class ExportPanel : public QGroupBox {
    Q_OBJECT

  public:
    ExportPanel(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent = nullptr);
    ~ExportPanel() override;

    // A fresh preview of the partners, the task list back on its first item.
    void reload();
    // The task chosen in the drop-down list; the list goes back to its first item.
    void runExportTask(int task);
    void exportPartners();
    void copyDataFiles();
    void exportCalendar();
    void showExportInfo();

    ContactTableModel& list() const { return *list_; }

  private:
    AppState& state_;
    Dialogs& dialogs_;
    Shell& shell_;
    std::unique_ptr<Ui::ExportPanel> ui_;
    ContactTableModel* list_ = nullptr;
};

} // namespace zel::gui
