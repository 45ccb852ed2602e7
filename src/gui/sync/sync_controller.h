#pragma once

#include "core/app/clock.h"
#include "core/sync/sync_report.h"
#include "gui/sync/account_dialog.h"
#include "gui/sync/address_book_sync.h"
#include "gui/sync/calendar_sync.h"
#include "gui/sync/secret_store.h"

#include <QObject>
#include <QSet>
#include <QString>
#include <memory>
#include <optional>

class QTimer;
class QWidget;

namespace zel::gui {

class AppState;
class Dialogs;
class SyncReportWindow;

// When and how the window synchronises the partners (and publishes the dates, when a calendar is set): asked
// by the user (the button, the tray menu), at start and every few minutes when the account says so. One run
// at a time; the network work answers on the event loop, so the window and the clock never wait for it.
class SyncController : public QObject {
    Q_OBJECT

  public:
    // `store` is the desktop's secret store; what it cannot keep is kept here for the run.
    SyncController(AppState& state, Dialogs& dialogs, Clock& clock, SecretStore& store, QWidget* window,
                   QObject* parent = nullptr);
    ~SyncController() override;

    // What the account dialog and the runs share.
    SecretStore& secrets() { return session_; }
    // The account dialog's server side, over a client of its own.
    AccountDialog::Discovery discovery();

    // Asked by the user: without an account it asks for one; a failure gets its box and the report
    // shows at the end. Nothing while a run is under way.
    void syncNow();
    // At start: a run soon after the window is up, then every few minutes when the account says so.
    void startAutomatic();
    // A run that starts by itself, as the timer's does.
    void syncAutomatically();
    // The account was saved: its password may be right again, and its interval is new.
    void accountChanged();

    bool running() const { return starting_ || sync_ != nullptr || calendarSync_ != nullptr; }
    // Whether automatic runs wait for the user after a failure only they can mend.
    bool automaticHeld() const { return held_; }
    QString statusText() const { return status_; }
    QString statusTip() const { return tip_; }
    QTimer* timer() const { return timer_; }
    SyncReportWindow* reportWindow() const { return reportWindow_; }

    // The status line's words after a success at `moment`.
    static QString successText(Moment moment);

  signals:
    // "Szinkronizálás" with no account: the account dialog should open.
    void accountSetupRequested();
    void statusChanged(const QString& text, const QString& tip);
    void runningChanged(bool running);
    void progress(int done, int total);
    // A run ended, with or without success.
    void finished();

  private:
    enum class Trigger { User, Automatic };
    void run(Trigger trigger);
    void begin(Trigger trigger, const QString& password);
    // The address book's part ended: the calendar's follows unless the server could not be reached.
    void addressBookDone(Trigger trigger, const SyncReport& report, const SyncFailure& failure);
    void end(Trigger trigger, const SyncReport& report, const SyncFailure& failure);
    // A box for the user, or for every run when the failure needs the user to mend it.
    void reportFailure(Trigger trigger, const SyncFailure& failure);
    void showReport(Trigger trigger, const SyncReport& report);
    void setStatus(const QString& text, const QString& tip = {});
    // " Utolsó sikeres: …" or " Még nem volt sikeres szinkronizálás.", after a failure's words.
    QString lastSuccessText() const;
    // The line for the account as it stands: nothing without one.
    void showIdleStatus();
    void restartTimer();

    AppState& state_;
    Dialogs& dialogs_;
    Clock& clock_;
    SessionSecretStore session_;
    QWidget* window_;
    QTimer* timer_;
    std::unique_ptr<DavClient> client_;
    QString clientUser_, clientPassword_;
    AddressBookSync* sync_ = nullptr;
    CalendarSync* calendarSync_ = nullptr;
    SyncReportWindow* reportWindow_ = nullptr;
    // A client for the account dialog's discovery, replaced for each.
    std::unique_ptr<DavClient> discoveryClient_;
    bool held_ = false;
    // The password is being read (the store may first ask the user to unlock it).
    bool starting_ = false;
    // Asked once per run of the program when no store has the password; a cancel holds the runs.
    bool passwordAsked_ = false;
    // The password of the run under way was typed, not read from the store.
    bool typed_ = false;
    // The cards an automatic report last listed as skipped, so it does not show them again and again.
    QSet<QString> skippedShown_;
    QString status_, tip_;
};

// The words for a sync that stopped, naming the server; empty for a local write, whose error box
// says it.
QString syncFailureText(const SyncFailure& failure, const QString& server);
// The words for a publish to the calendar that stopped, a local failure too.
QString calendarFailureText(const SyncFailure& failure, const QString& server);

} // namespace zel::gui
