#pragma once

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace zel::gui {

// Where the account's password is kept. Every call answers through its callback on the event loop (a
// desktop's store may first ask the user to unlock it); a password never goes to a file of ours.
class SecretStore {
  public:
    // `storeAnswered` false: no store could be asked (none running, access refused, an error); the
    // password, when there is one, is then only the one kept for this run.
    using ReadDone = std::function<void(std::optional<QString> password, bool storeAnswered)>;
    using WriteDone = std::function<void(bool stored)>;

    virtual ~SecretStore() = default;
    virtual void read(const QString& key, ReadDone done) = 0;
    virtual void write(const QString& key, const QString& password, WriteDone done) = 0;
    virtual void remove(const QString& key) = 0;
};

// The key of an account's password: "carddav:" user "@" server.
QString passwordKey(const QString& user, const QString& server);

// The desktop's secret store through QtKeychain (the Secret Service or KWallet), under the service
// name "Zelmoran". Without one it fails; it never falls back to a file.
class KeychainSecretStore : public QObject, public SecretStore {
    Q_OBJECT

  public:
    explicit KeychainSecretStore(QObject* parent = nullptr);

    void read(const QString& key, ReadDone done) override;
    void write(const QString& key, const QString& password, WriteDone done) override;
    void remove(const QString& key) override;
};

// No store at all: nothing is kept beyond the run (the window's tests, a program given none).
class NoSecretStore : public SecretStore {
  public:
    void read(const QString&, ReadDone done) override { done(std::nullopt, false); }
    void write(const QString&, const QString&, WriteDone done) override { done(false); }
    void remove(const QString&) override {}
};

// A store over another that keeps in memory, for this run only, what the other could not keep. A read
// the other does not answer with a password gives the kept one, or nothing: then the caller asks the
// user once and writes the answer here. It must outlive the calls it passes on.
class SessionSecretStore : public SecretStore {
  public:
    explicit SessionSecretStore(SecretStore& store) : store_(store) {}

    void read(const QString& key, ReadDone done) override;
    void write(const QString& key, const QString& password, WriteDone done) override;
    void remove(const QString& key) override;

  private:
    SecretStore& store_;
    QHash<QString, QString> kept_;
};

} // namespace zel::gui
