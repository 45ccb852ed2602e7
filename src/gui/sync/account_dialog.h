#pragma once

#include "core/settings/settings_record.h"
#include "gui/sync/dav_client.h"

#include <QDialog>
#include <QUrl>
#include <functional>
#include <vector>

class QComboBox;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSpinBox;
class QTimeEdit;

namespace zel::gui {

class AppState;
class Dialogs;
class SecretStore;

// "Szinkronizálás beállítása": the server, the user, the password, the address book the partners
// are synchronised with, the calendar the dates are published to (or none) with the time of day the
// published name days and birthdays alert, and how often. "Mentés" saves the account at once (it is
// not one of the settings tab's controls) and the password in the secret store.
class AccountDialog : public QDialog {
    Q_OBJECT

  public:
    // The server's side of the dialog, given by the caller (a DavClient in the program, a script in
    // tests). Each answers once through its callback, at once or later.
    struct Discovery {
        using Found = std::function<void(std::vector<AddressBookInfo> books, QUrl home, DavError)>;
        using Created = std::function<void(AddressBookInfo book, DavError)>;
        using CalendarsFound = std::function<void(std::vector<CalendarInfo> calendars, QUrl home, DavError)>;
        using CalendarCreated = std::function<void(CalendarInfo calendar, DavError)>;
        std::function<void(QUrl server, DavCredentials, Found)> discover;
        std::function<void(QUrl home, DavCredentials, QString name, Created)> create;
        std::function<void(QUrl server, DavCredentials, CalendarsFound)> discoverCalendars;
        std::function<void(QUrl home, DavCredentials, QString name, CalendarCreated)> createCalendar;
    };
    // The address book and the calendar the dialog offers to create.
    static constexpr const char16_t* kNewBookName = u"Zelmoran";
    static constexpr const char16_t* kNewCalendarName = u"Zelmoran";

    AccountDialog(AppState& state, Dialogs& dialogs, SecretStore& secrets, Discovery discovery,
                  QWidget* parent = nullptr);

    // The server address as the program keeps it: trimmed, "https://" put before one without a
    // scheme. Empty when the text is not an http(s) address with a host.
    static QString normalizedServer(const QString& text);

  protected:
    void done(int result) override;

  signals:
    // The account was saved (also when it was removed).
    void accountSaved();

  private:
    void build();
    void showAccount(const SyncAccount& account);
    // "Címjegyzékek és naptárak keresése": the books and the calendars the server offers fill the choices.
    void search();
    // "Mentés": the found book and calendar are taken, or the new ones are created first (after a
    // discovery for their home sets when none was made; the book before the calendar); then the
    // password and the account. All fields empty: no account.
    void onSaveClicked();
    // Creates the new book, then the new calendar, as chosen; then the password and the account.
    void createThenSave(const QUrl& server);
    // The fields checked: the server address, else nothing (a box said why).
    QUrl checkedServer();
    DavCredentials credentials() const;
    // Looks for the address books, then runs `then`; a failure is shown in a box.
    void discover(const QUrl& server, std::function<void()> then);
    // Looks for the calendars, then runs `then`. A server without them (or a discovery that fails) is
    // no error: the choice keeps only "Nincs naptár" and a line says so.
    void discoverCalendars(const QUrl& server, std::function<void()> then);
    void fillBooks(const std::vector<AddressBookInfo>& books, const QString& preferredUrl);
    // The choice: none, the server's calendars, and the new one when it can be made. The calendar of
    // `preferredUrl` is chosen, else with `preferNew` ours (found or new), else none.
    void fillCalendars(const std::vector<CalendarInfo>& calendars, const QString& preferredUrl,
                       bool preferNew);
    // The server's calendar chosen, or null (none, or the new one).
    const CalendarInfo* chosenCalendar() const;
    bool newCalendarChosen() const;
    // Writes the password (kept for this run when the store cannot), then finishes.
    void storePasswordThenSave();
    // Saves the account and closes; a failed save is shown and the dialog stays.
    void finish(const SyncAccount& account);
    // The live settings get the account and the alarm time, and are saved, both files, as "Mentés"
    // saves them.
    void saveAccount(const SyncAccount& account);
    // The server and the user the fields name, to tell whether the books found are theirs.
    QString fieldsKey() const;
    // The choices' books and calendars are the server's for these fields; a change of server or user
    // drops them.
    void forgetCollections();
    // Taller when a line shown later needs the room.
    void growToFit();
    void setBusy(bool busy);
    void showError(const DavError& error, const QUrl& server);

    AppState& state_;
    Dialogs& dialogs_;
    SecretStore& secrets_;
    Discovery discovery_;
    // The password's key when the dialog opened: a changed account removes it.
    QString openedKey_;
    // The secret store answered the read at open (else the note line shows).
    bool storeAnswered_ = true;
    // The address-book home set of the last discovery, for creating the new book.
    QUrl home_;
    // The books in the choice, in its order (the new book's item follows them), and whose they are.
    std::vector<AddressBookInfo> books_;
    QString booksOf_;
    // The calendar home set of the last calendar discovery, and the calendars in the choice (after
    // "Nincs naptár", before the new one's item).
    QUrl calendarHome_;
    std::vector<CalendarInfo> calendars_;
    // The new calendar can be made: no calendar discovery yet, or one that found a home set.
    bool canCreateCalendar_ = true;
    // After Mentés or Mégse no late answer of the server or the store acts any more.
    bool closed_ = false;

    QLineEdit* serverEdit_ = nullptr;
    QLineEdit* userEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QPushButton* searchButton_ = nullptr;
    QComboBox* bookChoice_ = nullptr;
    QComboBox* calendarChoice_ = nullptr;
    QLabel* noCalendarNote_ = nullptr;
    QTimeEdit* alarmEdit_ = nullptr;
    QSpinBox* intervalSpin_ = nullptr;
    QLabel* sessionNote_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

} // namespace zel::gui
