#pragma once

#include "core/app/instance_identity.h"
#include "core/os/file.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QLocalServer;
class QLocalSocket;

namespace zel::gui {

// One running copy per user and build. The first start takes a lock in the user's runtime folder and
// listens on a socket beside it, both named by the build's identity; a later start of the same build
// finds the lock taken and asks the running copy to show its window. The lock is the system's, held
// by the open file, so a killed copy leaves nothing that counts: neither its lock file nor its socket.
class InstanceGuard : public QObject {
    Q_OBJECT

  public:
    // `folder` is the user's runtime folder; `startTime` is days since 1899-12-30.
    InstanceGuard(const ExeIdentity& identity, QString folder, double startTime, QObject* parent = nullptr);
    ~InstanceGuard() override;

    // True when this process is the running copy now, answering enquiries. Also true when the lock
    // cannot be had at all (the runtime folder takes no file): the copy then runs unguarded, and the
    // lock on the data folder still keeps a second copy off the data.
    // With `listenNow` false the lock is taken but enquiries are answered only from listen() on: a
    // later start waits for the socket as long as it waits for an answer.
    bool claim(bool listenNow = true);
    // Starts answering enquiries, once this process holds the lock.
    void listen();
    // The process that holds the lock, as it noted itself there; none when that is not known.
    std::optional<qint64> holder() const;
    // Asks the running copy, waiting at most `timeoutMs`; its record, or none when it did not answer.
    // An activation passes on the token the desktop gave this start (see activationRequested).
    // Blocks: call it from a process (or thread) that is not the running copy's.
    std::optional<InstanceRecord> ask(InstanceRequest request, int timeoutMs = 1000,
                                      const QString& activationToken = {}) const;

    // The running copies of this build, this one included, by start time: the one that answers here
    // (when this process is not it) and this process.
    std::vector<InstanceRecord> instances(int timeoutMs = 1000) const;

    QString socketPath() const;
    QString lockPath() const;
    // The main window's id for the record; 0 until it exists.
    std::function<std::uint32_t()> mainWindowId;

  signals:
    // A later start asked this copy to show, restore and raise its main window. `activationToken` is
    // what the desktop gave that start to hand on (on Wayland, the compositor only lets a window come
    // forward with one); empty when it had none.
    void activationRequested(const QString& activationToken);

  private:
    void serve(QLocalSocket* client);
    InstanceRecord ownRecord() const;

    ExeIdentity identity_;
    QString folder_;
    double startTime_;
    std::optional<os::FileLock> lock_;
    bool unguarded_ = false;
    QLocalServer* server_ = nullptr;
    // What each connection sent so far.
    QHash<QLocalSocket*, QByteArray> pending_;
};

// The socket's and lock's name part for a build: "zelmoran-" and the identity in hexadecimal.
QString instanceName(const ExeIdentity& identity);

} // namespace zel::gui
