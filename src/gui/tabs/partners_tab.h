#pragma once

#include "gui/tabs/partner_editor.h"

#include <QWidget>
#include <cstddef>
#include <memory>
#include <string>
#include <vector>

namespace Ui {
class PartnersTab;
}

namespace zel::gui {

class AppState;
class PartnerNamesModel;
class Dialogs;
class Shell;

// "Partnerek": the partner list with one partner's contact lines and note; the editor takes its
// place while a partner is entered or changed.
class PartnersTab : public QWidget {
    Q_OBJECT

  public:
    PartnersTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent = nullptr);
    ~PartnersTab() override;

    // Opens the editor for a new partner with this name typed in, the caret before it.
    void startNewPartner(const QString& name);
    // An empty list: nothing to show, modify or delete.
    void showEmpty();
    // The list filled from the partners read, on its first row; the details wait for the tab.
    void showPartners();
    // The file position of the partner whose details are shown.
    std::size_t currentPartnerIndex() const { return currentIndex_; }

  signals:
    // After saving with "Születésnap": a birthday for the partner just saved.
    void birthdayRequested();
    // After saving with "Névnap": the name-day search for the partner's given name.
    void nameDaySearchRequested(const QString& givenName);
    // A right click on the contact lines: the web pages the lines open.
    void webAddressesRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

  private:
    void build();
    void showDetails();
    void openNew();
    void openSelected();
    void deleteSelected();
    void onSaved(const std::string& name, PartnerEditor::FollowUp followUp);
    void onEditorClosed();
    void onContactLineChosen();
    void showContactHint();
    // Selects a row without showing its details.
    void selectRow(int row);
    int selectedRow() const;

    AppState& state_;
    Dialogs& dialogs_;
    Shell& shell_;
    PartnerNamesModel* names_ = nullptr;
    std::size_t currentIndex_ = 0;
    // The row whose details are shown; a click on it again reads nothing.
    int shownRow_ = -1;
    bool selecting_ = false;

    std::unique_ptr<Ui::PartnersTab> ui_;
    PartnerEditor* editor_ = nullptr;
};

} // namespace zel::gui
