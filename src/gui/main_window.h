#pragma once

#include "app/clock.h"
#include "app/paths.h"
#include "events/event_table.h"
#include "namedays/namedays.h"
#include "platform/dialogs.h"
#include "settings/settings_record.h"

#include <QWidget>
#include <array>
#include <functional>
#include <string>
#include <vector>

class QLabel;
class QTabWidget;
class QToolButton;
class QTableView;
class QCloseEvent;

namespace zel::gui {

class EventTableModel;

// What the main window needs from the platform; tests hand in scripted ones.
struct Services {
    Dialogs& dialogs;
    Clock& clock;
};

// The main window owns the program's state: the partner names, the four event tables with their
// next-event rows, the settings and the calendars.
class MainWindow : public QWidget {
  public:
    enum Tab { TabNewEvent = 0, TabEvents, TabPartners, TabActions, TabSettings, TabHelp };

    MainWindow(AppPaths paths, Services services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Start-up: paths, the Data folder, the first files, settings, tables and the window's state.
    // A failure ends it where it happened and shows the error box; the window still opens.
    void FormCreate();

    // Rebuild one table from its file, then its next-event row. relist re-runs the event listing.
    void EmTartalyFrissit(QObject* sender, int relist) { tableRefresh(EventKind::Reminder, sender, relist); }
    void PrgTartalyFrissit(QObject* sender, int relist) { tableRefresh(EventKind::Program, sender, relist); }
    void NevnapTartalyFrissit(QObject* sender, int relist) {
        tableRefresh(EventKind::NameDay, sender, relist);
    }
    void SznapTartalyFrissit(QObject* sender, int relist) {
        tableRefresh(EventKind::Birthday, sender, relist);
    }
    // Next-event rows of one kind (1 to 4) or of all (0).
    void KovFrissit(int kind);

    void PartnerekBetolt();

    // Ends the program. Every way out leads here; nothing is written.
    void Kilepes();
    // Called by Kilepes once the window is hidden; tests replace it.
    void setExitHandler(std::function<void()> handler) { exitHandler_ = std::move(handler); }

    // Whether the window should appear when the event loop starts.
    bool startHidden() const { return startHidden_; }
    bool serviceView() const { return serviceView_; }

    const AppPaths& paths() const { return paths_; }
    const EventBook& events() const { return events_; }
    const Settings& settings() const { return settings_; }
    const std::vector<std::string>& partnerNames() const { return partnerNames_; }
    const NameDayCalendar& commonCalendar() const { return common_; }
    const NameDayCalendar& extendedCalendar() const { return extended_; }
    const std::vector<std::string>& allNames() const { return allNames_; }
    Moment startMoment() const { return start_; }
    QString modeText() const { return modeText_; }

    QTabWidget* pLapok() const { return pLapok_; }
    QLabel* pIdo() const { return pIdo_; }

  protected:
    void closeEvent(QCloseEvent* event) override;

  private:
    void buildWindow();
    void buildServiceView();
    void loadCalendars();
    void applyOrCreateSettings();
    void tableRefresh(EventKind kind, QObject* sender, int relist);
    void refreshServiceView();
    // Hides into the tray, or minimises where there is no tray to come back from.
    void hideToTray();
    // The name-day and birthday notice; until it exists, leaving simply ends the program.
    void NevSzulFigyelmeztet(int mode, bool exitIfNothing, bool withSound);

    AppPaths paths_;
    Services services_;
    EventBook events_;
    Settings settings_;
    SettingsBytes settingsBuffer_{};
    NameDayCalendar common_;
    NameDayCalendar extended_;
    std::vector<std::string> allNames_;
    std::vector<std::string> partnerNames_;
    Moment start_;
    QString modeText_;
    bool startHidden_ = false;
    bool serviceView_ = false;
    std::function<void()> exitHandler_;

    QTabWidget* pLapok_ = nullptr;
    QLabel* pIdo_ = nullptr;
    QToolButton* passziv_ = nullptr;
    std::array<EventTableModel*, 4> tableModels_{};
    std::array<EventTableModel*, 4> nextModels_{};
};

} // namespace zel::gui
