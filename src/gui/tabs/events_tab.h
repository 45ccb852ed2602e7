#pragma once

#include "core/text/datetime.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTableView;
class QTimeEdit;

namespace zel::gui {

class ListingModel;
class MainWindow;

// "Események": the listing of one kind of event with its time filters, modification and deletion.
class EventsTab : public QWidget {
  public:
    EventsTab(MainWindow& main, QWidget* parent = nullptr);

    // Lists the chosen kind; past events as the settings say, or also when withPast is set.
    void EsemenyListaz(bool rangeMode, DayNumber from, DayNumber to, bool withPast = false);
    void rPrgMindClick();
    void rPrgMaClick();
    void rPrgHolnapClick();
    void rPrgHetClick();
    void rPrgHaviClick();
    void rPrgTartamClick();
    void dPrgMettolChange();
    void dPrgMeddigChange();
    // The tab became the current one: the checked filter lists again.
    void pLapokChange();
    void cEsemenyChange();
    void sProgramokMaClick();
    // Opens the modification group for the grid's current cell.
    void sProgramokMaDblClick();
    void Panel20Click();
    void Panel26Click();
    void pAktDatumClick();
    void pAktIdoClick();
    void pTorolClick();
    void cNevnapListaChange(int index);
    // After a table was reloaded for editing: the checked filter again, the grid keeps its cell.
    void relist();
    // Opens the listed event of this kind (0 to 3; another value keeps the chosen kind) with this date
    // text and, for reminders and programs, time text, as the "Mind" listing shows it; withPast lists
    // the past too for this one search. False when it is not listed.
    bool openEvent(int kind, const QString& date, const QString& time, bool withPast = false);

    ListingModel* model() const { return model_; }

    QComboBox* cEsemeny = nullptr;
    QComboBox* cNevnapLista = nullptr;
    QGroupBox* gNevNapok = nullptr;
    QRadioButton* rPrgMind = nullptr;
    QRadioButton* rPrgMa = nullptr;
    QRadioButton* rPrgHolnap = nullptr;
    QRadioButton* rPrgHet = nullptr;
    QRadioButton* rPrgHavi = nullptr;
    QRadioButton* rPrgTartam = nullptr;
    QDateEdit* dPrgMettol = nullptr;
    QDateEdit* dPrgMeddig = nullptr;
    QLabel* Label3 = nullptr;
    QPushButton* pTorol = nullptr;
    QTableView* sProgramokMa = nullptr;
    QGroupBox* gModosit = nullptr;
    QLabel* l3 = nullptr;
    QCheckBox* cModositAktiv = nullptr;
    QDateEdit* dModositDatum = nullptr;
    QPushButton* pAktDatum = nullptr;
    QTimeEdit* dModositIdo = nullptr;
    QPushButton* pAktIdo = nullptr;
    QPlainTextEdit* mTargyModosit = nullptr;
    QLineEdit* eModositTargy = nullptr;
    QPushButton* Panel26 = nullptr;
    QComboBox* cModositKinek = nullptr;
    QPushButton* Panel20 = nullptr;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void buildModification();
    void setPickers(DayNumber from, DayNumber to);
    void checkTartam();
    void showRange(bool on);
    void setModificationHeight(int height);
    void fitGridAboveEditor();
    void runCheckedFilter();
    int kindIndexNow() const;

    MainWindow& main_;
    ListingModel* model_ = nullptr;
    bool quiet_ = false; // pickers set by the program, not the user
    int listingBottom_ = 0;
};

} // namespace zel::gui
