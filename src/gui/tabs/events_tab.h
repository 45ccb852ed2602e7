#pragma once

#include "core/events/event_record.h"
#include "core/text/datetime.h"

#include <QWidget>
#include <memory>

namespace Ui {
class EventsTab;
}

namespace zel::gui {

class AppState;
class Dialogs;
class ListingModel;
class Shell;

// "Események": the listing of one kind of event with its time filters, and deletion; the editor
// below it changes one field of a listed event.
class EventsTab : public QWidget {
    Q_OBJECT

  public:
    EventsTab(AppState& state, Dialogs& dialogs, Shell& shell, QWidget* parent = nullptr);
    ~EventsTab() override;

    // The tab became the current one: the chosen filter lists again.
    void onShown();
    // After a write: the chosen filter again, the grid back on the cell it was on (the write reset
    // the listing, so the cell is given).
    void relist(int row, int column);
    // Opens the listed event of this kind with this date text and, for reminders and programs, time
    // text, as the "Mind" listing shows it; withPast lists the past too for this one search. False
    // when it is not listed.
    bool openEvent(std::optional<EventKind> kind, const QString& date, const QString& time,
                   bool withPast = false);

    ListingModel* model() const { return model_; }

  signals:
    // The tab wants to be the current page.
    void pageRequested();
    // A name of the day's name days was chosen: a new partner of that name (a space before it).
    void newPartnerRequested(const QString& name);
    // "Havi" shows this month on the month calendar.
    void monthListed(DayNumber day);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void build();
    void list(bool rangeMode, DayNumber from, DayNumber to, bool withPast = false);
    void listAll();
    void listToday();
    void listTomorrow();
    void listWeek();
    void listMonth();
    void chooseRange();
    void onRangeFromChanged();
    void onRangeToChanged();
    void onKindChanged();
    void onNameDayChosen(int index);
    void runChosenFilter();
    void openEditor();
    void closeEditor();
    void applyEdit();
    void chooseProgramFile();
    void deleteCurrent();
    void setPickers(DayNumber from, DayNumber to);
    void checkRange();
    void showRange(bool on);
    void keepEditedRowInSight();
    EventKind chosenKind() const;

    AppState& state_;
    Dialogs& dialogs_;
    Shell& shell_;
    ListingModel* model_ = nullptr;
    bool quiet_ = false;  // pickers set by the program, not the user
    int gridMinimum_ = 0; // the header and one row
    int editorRoom_ = 0;  // the open editor's height with the spacing above it
    std::unique_ptr<Ui::EventsTab> ui_;
};

} // namespace zel::gui
