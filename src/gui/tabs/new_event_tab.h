#pragma once

#include "core/events/event_record.h"

#include <QWidget>

class QCheckBox;
class QComboBox;
class QDate;
class QDateEdit;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QTimeEdit;

namespace zel::gui {

class AppState;
class Dialogs;
class Shell;

// "Új esemény": enters one event of any of the four kinds.
class NewEventTab : public QWidget {
    Q_OBJECT

  public:
    NewEventTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent = nullptr);

    // The tab became the current one: today's date and the time now, the partners afresh.
    void onShown();
    // Chooses a kind as the user would, with the same checks.
    void selectKind(EventKind kind);
    // Fills the partner choice from the partner list, first name selected.
    void reloadPartners();

  signals:
    // "Felvesz" beside "Új személy:" asks for a new partner of this name (a space before it).
    void newPartnerRequested(const QString& name);
    void eventAdded();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void onKindChanged();
    void addEvent();
    void chooseProgramFile();
    void testProgram();
    void explainSeveralPrograms();
    void requestNewPartner();
    void setPickedDate(const QDate& date);
    void setTimeToNow();
    EventKind chosenKind() const;

    AppState& state_;
    Dialogs& dialogs_;
    Shell& shell_;
    bool settingDate_ = false;

    QComboBox* kindChoice_ = nullptr;
    QCheckBox* activeBox_ = nullptr;
    QPushButton* addButton_ = nullptr;
    QGroupBox* timingGroup_ = nullptr;
    QRadioButton* todayChoice_ = nullptr;
    QRadioButton* tomorrowChoice_ = nullptr;
    QRadioButton* dateChoice_ = nullptr;
    QDateEdit* datePicker_ = nullptr;
    QGroupBox* timeGroup_ = nullptr;
    QTimeEdit* timePicker_ = nullptr;
    QGroupBox* reminderGroup_ = nullptr;
    QPlainTextEdit* reminderText_ = nullptr;
    QGroupBox* programGroup_ = nullptr;
    QLineEdit* programFile_ = nullptr;
    QLineEdit* programParameters_ = nullptr;
    QGroupBox* partnerGroup_ = nullptr;
    QRadioButton* existingPartnerChoice_ = nullptr;
    QComboBox* partnerChoice_ = nullptr;
    QRadioButton* newPartnerChoice_ = nullptr;
    QLineEdit* newPartnerName_ = nullptr;
    QComboBox* recurrenceChoice_ = nullptr;
};

} // namespace zel::gui
