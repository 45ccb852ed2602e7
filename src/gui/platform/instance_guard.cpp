#include "gui/platform/instance_guard.h"

#include "core/errors.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLocalServer>
#include <QLocalSocket>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <filesystem>
#include <string>

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

QString InstanceGuard::lockPath() const {
    return socketPath() + QStringLiteral(".lock");
}

bool InstanceGuard::claim(bool listenNow) {
    if (lock_ || unguarded_) return true;
    QDir().mkpath(folder_);
    const std::filesystem::path lockFile = lockPath().toStdString();
    std::error_code ec;
    try {
        // Only this program uses these names, in the user's own folder: a link or a folder at the
        // lock's name is in the way, not another copy's lock.
        const auto kind = std::filesystem::symlink_status(lockFile, ec).type();
        if (kind == std::filesystem::file_type::directory || kind == std::filesystem::file_type::symlink)
            std::filesystem::remove_all(lockFile, ec);
        lock_ = os::FileLock::tryTake(lockFile);
        if (!lock_) return false;
        lock_->note(std::to_string(QCoreApplication::applicationPid()) + "\n");
    } catch (const IoError&) {
        // A lock whose process id could not be noted still holds; the id only goes into a later
        // start's message. Without the lock at all this copy cannot tell whether it is alone: it runs,
        // touching no socket another copy may listen on.
        if (!lock_) {
            unguarded_ = true;
            return true;
        }
    }
    if (listenNow) listen();
    return true;
}

void InstanceGuard::listen() {
    if (!lock_ || server_) return;
    // The lock is ours, so whatever has the socket's name is in the way: a socket of a copy that is
    // gone, or a file, a link or a folder put there. Without the socket later starts could not be
    // answered.
    std::error_code ec;
    std::filesystem::remove_all(socketPath().toStdString(), ec);
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->setMaxPendingConnections(8);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection())
            serve(client);
    });
    // Without the socket this copy still runs; a later start then says that it does not answer.
    server_->listen(socketPath());
}

std::optional<qint64> InstanceGuard::holder() const {
    QFile file(lockPath());
    if (!file.open(QIODevice::ReadOnly)) return std::nullopt;
    bool ok = false;
    const qint64 process = file.read(32).trimmed().toLongLong(&ok);
    return ok && process > 0 ? std::optional(process) : std::nullopt;
}

void InstanceGuard::serve(QLocalSocket* client) {
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    QTimer::singleShot(kClientTimeoutMs, client, [client] { client->abort(); });
    connect(client, &QLocalSocket::readyRead, this, [this, client] {
        // Exactly one enquiry per connection; anything more is no enquiry.
        QByteArray& bytes = pending_[client];
        bytes +=
            client->read(static_cast<qint64>(kEnquirySize + 2 + kMaxActivationTokenSize) + 1 - bytes.size());
        const EnquiryRead read = readEnquiry(
            std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())), identity_);
        if (read.status == EnquiryRead::Status::NeedsMore) return;
        pending_.remove(client);
        if (read.status == EnquiryRead::Status::Invalid) {
            client->abort();
            return;
        }
        const auto answer = encodeRecord(ownRecord());
        client->write(reinterpret_cast<const char*>(answer.data()), static_cast<qint64>(answer.size()));
        client->flush();
        client->disconnectFromServer();
        if (read.enquiry.request == InstanceRequest::Activate)
            emit activationRequested(QString::fromStdString(read.enquiry.activationToken));
    });
    connect(client, &QObject::destroyed, this, [this, client] { pending_.remove(client); });
}

InstanceRecord InstanceGuard::ownRecord() const {
    return {static_cast<std::uint32_t>(QCoreApplication::applicationPid()), mainWindowId ? mainWindowId() : 0,
            startTime_};
}

std::vector<InstanceRecord> InstanceGuard::instances(int timeoutMs) const {
    std::vector<InstanceRecord> list;
    if (!lock_)
        if (const auto other = ask(InstanceRequest::Query, timeoutMs)) list.push_back(*other);
    list.push_back(ownRecord());
    std::stable_sort(list.begin(), list.end(), [](const InstanceRecord& a, const InstanceRecord& b) {
        return a.startTime < b.startTime;
    });
    return list;
}

std::optional<InstanceRecord> InstanceGuard::ask(InstanceRequest request, int timeoutMs,
                                                 const QString& activationToken) const {
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
    const std::string enquiry = encodeEnquiry(identity_, {request, activationToken.toStdString()});
    socket.write(enquiry.data(), static_cast<qint64>(enquiry.size()));
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
