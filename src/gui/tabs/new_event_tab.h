#pragma once

#include "core/events/event_record.h"

#include <QWidget>
#include <memory>

class QDate;

namespace Ui {
class NewEventTab;
}

namespace zel::gui {

class AppState;
class Dialogs;
class Shell;

// "Új esemény": enters one event of any of the four kinds.
class NewEventTab : public QWidget {
    Q_OBJECT

  public:
    NewEventTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent = nullptr);
    ~NewEventTab() override;

    // The tab became the current one: today's date and the time now, the partners afresh.
    void onShown();
    // Chooses a kind as the user would, with the same checks.
    void selectKind(EventKind kind);
    // "Ekkor:" with this date text ("YYYY.MM.DD."); a text that is no date throws and leaves the
    // picker as it was.
    void chooseDate(const QString& dateText);
    // Fills the partner choice from the partner list, first name selected.
    void reloadPartners();

  signals:
    // "Felvesz" beside "Új személy:" asks for a new partner of this name (a space before it).
    void newPartnerRequested(const QString& name);
    void eventAdded();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void connectControls();
    void keepRoomForLongestCaption();
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

    std::unique_ptr<Ui::NewEventTab> ui_;
};

} // namespace zel::gui
