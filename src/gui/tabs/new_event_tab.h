#pragma once

#include <QWidget>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace zel::gui {

class MainWindow;

// "Új esemény": enters one event of any of the four kinds.
class NewEventTab : public QWidget {
  public:
    enum Kind { Reminder = 0, Program = 1, NameDay = 2, Birthday = 3 };

    NewEventTab(MainWindow& main, QWidget* parent = nullptr);

    // The tab became the current one.
    void pLapokChange();
    void cUjEsJellChange();
    void Panel2Click();
    void Panel24Click();
    void Panel25Click();
    void Panel37Click();
    // "Felvesz" beside "Új személy:": a new partner on the partners tab.
    void Panel31Click();
    // Fills the partner choice from the partner list, first name selected.
    void reloadPartners();
    // Selects a kind as the user would.
    void selectKind(int kind);

    QComboBox* cUjEsJell = nullptr;
    QGroupBox* gUjEsEm = nullptr;
    QPlainTextEdit* mUjEsEm = nullptr;
    QGroupBox* gProgram = nullptr;
    QLineEdit* eProgram = nullptr;
    QLineEdit* eProgramParam = nullptr;
    QPushButton* Panel24 = nullptr;
    QPushButton* Panel25 = nullptr;
    QPushButton* Panel37 = nullptr;
    QGroupBox* pUjEsKinek = nullptr;
    QRadioButton* rUjEsKinek = nullptr;
    QComboBox* cUjEsKinek = nullptr;
    QRadioButton* rUjEsKinekUj = nullptr;
    QLineEdit* eUjEsKinekUj = nullptr;
    QPushButton* Panel34 = nullptr;
    QGroupBox* gUjEsFigy = nullptr;
    QGroupBox* gUjEsNap = nullptr;
    QRadioButton* rUjEsMa = nullptr;
    QRadioButton* rUjEsHolnap = nullptr;
    QRadioButton* rUjEsEkkor = nullptr;
    QDateEdit* dUjEsNap = nullptr;
    QGroupBox* gUjEsOra = nullptr;
    QTimeEdit* dUjEsOra = nullptr;
    QCheckBox* cUjAktiv = nullptr;
    QPushButton* Panel2 = nullptr;
    QComboBox* cUjEsIsm = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void setPickedDate(const QDate& date);
    void setTimeToNow();

    MainWindow& main_;
    bool settingDate_ = false;
};

} // namespace zel::gui
