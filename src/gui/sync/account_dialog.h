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

namespace zel::gui {

class AppState;
class Dialogs;
class SecretStore;

// "Szinkronizálás beállítása": the server, the user, the password and the address book the partners
// are synchronised with, and how often. "Mentés" saves the account at once (it is not one of the
// settings tab's controls) and the password in the secret store.
class AccountDialog : public QDialog {
    Q_OBJECT

  public:
    // The server's side of the dialog, given by the caller (a DavClient in the program, a script in
    // tests). Each answers once through its callback, at once or later.
    struct Discovery {
        using Found = std::function<void(std::vector<AddressBookInfo> books, QUrl home, DavError)>;
        using Created = std::function<void(AddressBookInfo book, DavError)>;
        std::function<void(QUrl server, DavCredentials, Found)> discover;
        std::function<void(QUrl home, DavCredentials, QString name, Created)> create;
    };
    // The address book the dialog offers to create.
    static constexpr const char16_t* kNewBookName = u"Zelmoran";

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
    // "Címjegyzékek keresése": the books the server offers fill the choice.
    void findAddressBooks();
    // "Mentés": a found book is taken, or the new one is created first (after a discovery for its
    // home set when none was made); then the password and the account. All fields empty: no account.
    void onSaveClicked();
    // The fields checked: the server address, else nothing (a box said why).
    QUrl checkedServer();
    DavCredentials credentials() const;
    // Runs discovery, then `then` with what it found; a failure is shown in a box.
    void discover(const QUrl& server, std::function<void()> then);
    void fillBooks(const std::vector<AddressBookInfo>& books, const QString& preferredUrl);
    // Writes the password (kept for this run when the store cannot), then finishes.
    void storePasswordThenSave();
    // Saves the account and closes; a failed save is shown and the dialog stays.
    void finish(const SyncAccount& account);
    // The live settings get the account and are saved, both files, as "Mentés" saves them.
    void saveAccount(const SyncAccount& account);
    // The server and the user the fields name, to tell whether the books found are theirs.
    QString fieldsKey() const;
    // The choice's books are the server's for these fields; a change of server or user drops them.
    void forgetBooks();
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
    // After Mentés or Mégse no late answer of the server or the store acts any more.
    bool closed_ = false;

    QLineEdit* serverEdit_ = nullptr;
    QLineEdit* userEdit_ = nullptr;
    QLineEdit* passwordEdit_ = nullptr;
    QPushButton* findBooksButton_ = nullptr;
    QComboBox* bookChoice_ = nullptr;
    QSpinBox* intervalSpin_ = nullptr;
    QLabel* sessionNote_ = nullptr;
    QDialogButtonBox* buttons_ = nullptr;
};

} // namespace zel::gui
