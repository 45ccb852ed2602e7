#pragma once

#include <QWidget>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListView;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QStringListModel;

namespace zel::gui {

class MainWindow;

// "Partnerek": the partner list with one partner's details, and the editing panel that covers the
// list while a partner is being entered or changed.
class PartnersTab : public QWidget {
  public:
    PartnersTab(MainWindow& main, QWidget* parent = nullptr);

    // Reads the names from the file into lNevek and hands them to the main window.
    void PartnerekBetolt();
    void PartnerListaTilt(bool empty);
    // The selected partner's contact lines and note.
    void lNevekClick();
    // Opens the editing panel for a new partner.
    void Panel5Click();
    // Opens the editing panel for the current partner.
    void Panel1Click();
    // Closes the editing panel; nothing is written.
    void Panel3Click();
    void Panel4Click() { NevMent(); }
    void NevMent();
    void Panel6Click();
    // Removes every name day and birthday of the name, then refreshes their tables.
    void NevSznapTorles(const std::string& name);

    void lElerClick();
    void lElerDblClick();
    // A right click leads to the editing of the contact web pages in the settings.
    void lElerMouseDown();
    // A contact line's action: 0 e-mail, 1 web, 2 postal address, 3 mobile, 4 landline.
    void Contact(int index, const QString& text);

    // The editing panel is modifying exactly when its title begins with "S".
    bool modifying() const;
    std::size_t currentPartnerIndex() const { return currentIndex_; }

    // After saving with "Névnap": the name-day search, given the partner's given name.
    std::function<void(const QString& givenName)> onNameDaySearch;

    QListView* lNevek = nullptr;
    QListWidget* lEler = nullptr;
    QPlainTextEdit* rMegj1 = nullptr;
    QPushButton* Panel5 = nullptr;
    QPushButton* Panel1 = nullptr;
    QPushButton* Panel6 = nullptr;

    QWidget* pUjnev = nullptr;
    QLabel* lSzemely = nullptr;
    QLineEdit* eNev = nullptr;
    QLineEdit* eCim = nullptr;
    QLineEdit* eWeb = nullptr;
    QLineEdit* eEmail = nullptr;
    QLineEdit* eMobil = nullptr;
    QLineEdit* eTel = nullptr;
    QPlainTextEdit* mMegj = nullptr;
    QPushButton* Panel4 = nullptr;
    QPushButton* Panel3 = nullptr;
    QGroupBox* gUjNevNap = nullptr;
    QComboBox* cUjNevNapok = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

  private:
    void build();
    void buildEditor();
    void showNames(const std::vector<std::string>& names);
    // The partner list was read again: shown from the top, the first selected.
    void showPartners();
    // Selects a row without running the details display.
    void selectRow(int row);
    int selectedRow() const;
    void limitNote();
    void onNamesCurrentChanged();

    MainWindow& main_;
    QStringListModel* names_ = nullptr;
    std::size_t currentIndex_ = 0;
    // The row whose details are shown; a click on it again reads nothing.
    int shownRow_ = -1;
    bool selecting_ = false;
    std::string formerName_;
};

} // namespace zel::gui
