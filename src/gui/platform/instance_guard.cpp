#include "gui/platform/instance_guard.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace zel::gui {

namespace {

// A client gets this long to send its enquiry; then it is dropped.
constexpr int kClientTimeoutMs = 1000;

} // namespace

QString instanceName(const ExeIdentity& identity) {
    return QStringLiteral("zelmoran-%1-%2-%3")
        .arg(identity.size, 8, 16, QLatin1Char('0'))
        .arg(identity.sum, 8, 16, QLatin1Char('0'))
        .arg(identity.crc, 8, 16, QLatin1Char('0'));
}

InstanceGuard::InstanceGuard(const ExeIdentity& identity, QString folder, double startTime, QObject* parent)
    : QObject(parent), identity_(identity), folder_(std::move(folder)), startTime_(startTime) {}

InstanceGuard::~InstanceGuard() {
    if (server_) server_->close();
}

QString InstanceGuard::socketPath() const {
    return QDir(folder_).filePath(instanceName(identity_));
}

bool InstanceGuard::claim() {
    QDir().mkpath(folder_);
    lock_ = std::make_unique<QLockFile>(socketPath() + QStringLiteral(".lock"));
    // Never stale by age: only a lock whose process is gone is taken over.
    lock_->setStaleLockTime(0);
    if (!lock_->tryLock(0)) {
        lock_.reset();
        return false;
    }
    // The lock is ours, so a socket left here belongs to a copy that is gone.
    QLocalServer::removeServer(socketPath());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(8);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection())
            serve(client);
    });
    // Without the socket this copy still runs; later starts then find only the lock and end.
    server_->listen(socketPath());
    return true;
}

void InstanceGuard::serve(QLocalSocket* client) {
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    QTimer::singleShot(kClientTimeoutMs, client, [client] { client->abort(); });
    connect(client, &QLocalSocket::readyRead, this, [this, client] {
        if (client->bytesAvailable() < static_cast<qint64>(kEnquirySize)) return;
        // Exactly one enquiry per connection; anything more is no enquiry.
        const QByteArray bytes = client->read(static_cast<qint64>(kEnquirySize) + 1);
        const auto request = decodeEnquiry(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                           static_cast<std::size_t>(bytes.size()), identity_);
        if (!request) {
            client->abort();
            return;
        }
        const auto answer = encodeRecord(ownRecord());
        client->write(reinterpret_cast<const char*>(answer.data()), static_cast<qint64>(answer.size()));
        client->flush();
        client->disconnectFromServer();
        if (*request == InstanceRequest::Activate) emit activationRequested();
    });
}

InstanceRecord InstanceGuard::ownRecord() const {
    return {static_cast<std::uint32_t>(QCoreApplication::applicationPid()), mainWindowId ? mainWindowId() : 0,
            startTime_};
}

std::vector<InstanceRecord> InstanceGuard::instances(int timeoutMs) const {
    std::vector<InstanceRecord> list;
    if (!server_)
        if (const auto other = ask(InstanceRequest::Query, timeoutMs)) list.push_back(*other);
    list.push_back(ownRecord());
    std::stable_sort(list.begin(), list.end(), [](const InstanceRecord& a, const InstanceRecord& b) {
        return a.startTime < b.startTime;
    });
    return list;
}

std::optional<InstanceRecord> InstanceGuard::ask(InstanceRequest request, int timeoutMs) const {
    QElapsedTimer clock;
    clock.start();
    QLocalSocket socket;
    // The running copy may be between taking its lock and listening.
    for (;;) {
        socket.connectToServer(socketPath());
        if (socket.waitForConnected(std::max(1, timeoutMs - static_cast<int>(clock.elapsed())))) break;
        if (clock.elapsed() >= timeoutMs) return std::nullopt;
        QThread::msleep(20);
    }
    const auto enquiry = encodeEnquiry(identity_, request);
    socket.write(reinterpret_cast<const char*>(enquiry.data()), static_cast<qint64>(enquiry.size()));
    if (!socket.waitForBytesWritten(timeoutMs)) return std::nullopt;
    QByteArray answer;
    while (answer.size() < static_cast<qsizetype>(kRecordSize)) {
        const int left = timeoutMs - static_cast<int>(clock.elapsed());
        if (left <= 0 || (!socket.bytesAvailable() && !socket.waitForReadyRead(left))) return std::nullopt;
        answer += socket.read(static_cast<qint64>(kRecordSize) - answer.size());
    }
    return decodeRecord(reinterpret_cast<const std::uint8_t*>(answer.constData()));
}

} // namespace zel::gui
