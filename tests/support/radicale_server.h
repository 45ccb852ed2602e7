#pragma once

// A real CardDAV and CalDAV server for the synchronisation tests: Radicale on the loopback address, with its
// storage, user file and log in a temporary folder of its own. Nothing leaves this machine.

#include <QByteArray>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QFile>
#include <QList>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QPair>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QTemporaryDir>
#include <QUrl>
#include <gtest/gtest.h>

namespace zel::test {

// What one HTTP exchange gave: the status (0 when no answer came), Qt's error, headers and body.
struct HttpReply {
    int status = 0;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;
    QByteArray body;
    QList<QNetworkReply::RawHeaderPair> headers;

    QByteArray header(const QByteArray& name) const {
        for (const auto& [key, value] : headers)
            if (key.compare(name, Qt::CaseInsensitive) == 0) return value;
        return {};
    }
};

// Sends one request and waits for its end. Redirects are not followed, so a test sees what the server
// said; credentials go in the request itself, so a wrong password ends in 401 instead of a prompt.
inline HttpReply sendHttp(QNetworkAccessManager& network, const QByteArray& verb, const QUrl& url,
                          const QList<QPair<QByteArray, QByteArray>>& headers = {},
                          const QByteArray& body = {}) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(10000);
    for (const auto& [name, value] : headers)
        request.setRawHeader(name, value);
    QNetworkReply* reply = network.sendCustomRequest(request, verb, body);
    QEventLoop loop;
    QObject::connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) loop.exec();
    HttpReply result;
    result.status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    result.error = reply->error();
    result.errorText = reply->errorString();
    result.body = reply->readAll();
    result.headers = reply->rawHeaderPairs();
    reply->deleteLater();
    return result;
}

// The body of an MKCOL that makes an address book, with a display name when one is given.
inline QByteArray addressBookMkcol(const QByteArray& displayName = {}) {
    QByteArray body = R"(<?xml version="1.0" encoding="utf-8"?>)"
                      R"(<D:mkcol xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop>)"
                      R"(<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>)";
    if (!displayName.isEmpty()) body += "<D:displayname>" + displayName + "</D:displayname>";
    return body + "</D:prop></D:set></D:mkcol>";
}

// The body of an MKCALENDAR that makes a calendar taking these components (none named: the property is
// left out, and the server's default holds), with a display name when one is given.
inline QByteArray calendarMkcalendar(const QByteArray& displayName = {},
                                     const QList<QByteArray>& components = {"VEVENT"}) {
    QByteArray body =
        R"(<?xml version="1.0" encoding="utf-8"?>)"
        R"(<C:mkcalendar xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav"><D:set><D:prop>)";
    if (!displayName.isEmpty()) body += "<D:displayname>" + displayName + "</D:displayname>";
    if (!components.isEmpty()) {
        body += "<C:supported-calendar-component-set>";
        for (const QByteArray& c : components)
            body += "<C:comp name=\"" + c + "\"/>";
        body += "</C:supported-calendar-component-set>";
    }
    return body + "</D:prop></D:set></C:mkcalendar>";
}

inline QByteArray basicAuthorization(const QString& user, const QString& password) {
    const QString credentials = user + u':' + password;
    return QByteArray("Basic ") + credentials.toUtf8().toBase64();
}

class RadicaleServer {
  public:
    struct Account {
        QString user;
        QString password;
    };

    // "anna" with "titok" always; further accounts for tests of what one user may not see.
    explicit RadicaleServer(QList<Account> moreAccounts = {}) {
        accounts_.append({QStringLiteral("anna"), QStringLiteral("titok")});
        accounts_.append(moreAccounts);
    }
    RadicaleServer(const RadicaleServer&) = delete;
    RadicaleServer& operator=(const RadicaleServer&) = delete;
    ~RadicaleServer() { stop(); }

    // Starts the server on a port the system picks and waits until it answers. Use it as
    // ASSERT_TRUE(server.start()): a server that cannot come up fails the test with its log.
    [[nodiscard]] ::testing::AssertionResult start() { return launch(0); }

    // After stop(): the same port, the same storage, as a server that comes back after going down.
    [[nodiscard]] ::testing::AssertionResult restart() {
        stop();
        if (port_ == 0) return ::testing::AssertionFailure() << "Radicale was never started";
        return launch(port_);
    }

    // The server ends at once (SIGTERM, then SIGKILL if it lingers): later requests find no one.
    void stop() {
        if (process_.state() == QProcess::NotRunning) return;
        process_.terminate();
        if (!process_.waitForFinished(5000)) {
            process_.kill();
            process_.waitForFinished(5000);
        }
    }

    bool isRunning() const { return process_.state() != QProcess::NotRunning; }
    quint16 port() const { return port_; }
    QUrl baseUrl() const { return QUrl(QStringLiteral("http://127.0.0.1:%1/").arg(port_)); }
    QString user() const { return accounts_.front().user; }
    QString password() const { return accounts_.front().password; }
    const QList<Account>& accounts() const { return accounts_; }
    // Where Radicale keeps the collections: collection-root/USER/BOOK/NAME.vcf.
    QString storagePath() const { return dir_.filePath(QStringLiteral("collections")); }
    QString log() const { return QString::fromUtf8(logBytes()); }

  private:
    QString logPath() const { return dir_.filePath(QStringLiteral("radicale.log")); }
    QByteArray logBytes() const {
        QFile file(logPath());
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    ::testing::AssertionResult launch(quint16 port) {
        if (!dir_.isValid())
            return ::testing::AssertionFailure()
                   << "no temporary folder: " << dir_.errorString().toStdString();
        const QString program = QStandardPaths::findExecutable(QStringLiteral("radicale"));
        if (program.isEmpty())
            return ::testing::AssertionFailure()
                   << "the CardDAV tests need Radicale: the Debian package 'radicale' is not "
                      "installed (scripts/test installs it)";
        if (auto written = writeFiles(port); !written) return written;

        QFile logFile(logPath());
        const qint64 logStart = logFile.exists() ? logFile.size() : 0;
        // The Debian interpreter runs it; a Python of the user's own must not lend it modules.
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"PYTHONPATH", "PYTHONHOME", "PYTHONSTARTUP", "RADICALE_CONFIG"})
            env.remove(QString::fromLatin1(name));
        process_.setProcessEnvironment(env);
        process_.setStandardOutputFile(logPath(), QIODevice::Append);
        process_.setStandardErrorFile(logPath(), QIODevice::Append);
        process_.start(program, {QStringLiteral("--config"), dir_.filePath(QStringLiteral("config"))});
        if (!process_.waitForStarted(5000))
            return ::testing::AssertionFailure()
                   << "Radicale did not start: " << process_.errorString().toStdString();

        // It logs the address it bound and then that it is ready; port 0 leaves no race for a port.
        static const QRegularExpression listening(QStringLiteral(R"(Listening on '\[127\.0\.0\.1\]:(\d+)')"));
        QDeadlineTimer deadline(15000);
        while (!deadline.hasExpired()) {
            const QString text = QString::fromUtf8(logBytes().mid(logStart));
            if (text.contains(QLatin1String("Radicale server ready"))) {
                const auto match = listening.match(text);
                if (!match.hasMatch()) break;
                port_ = static_cast<quint16>(match.captured(1).toUInt());
                return ::testing::AssertionSuccess();
            }
            if (process_.waitForFinished(20)) break;
        }
        stop();
        return ::testing::AssertionFailure()
               << "Radicale did not come up on 127.0.0.1:" << port << " within 15 s. Its log:\n"
               << log().toStdString();
    }

    ::testing::AssertionResult writeFiles(quint16 port) {
        QByteArray users;
        for (const auto& account : accounts_)
            users.append(account.user.toUtf8()).append(':').append(account.password.toUtf8()).append('\n');
        const QString usersPath = dir_.filePath(QStringLiteral("users"));
        const QByteArray config = "[server]\n"
                                  "hosts = 127.0.0.1:" +
                                  QByteArray::number(port) +
                                  "\n"
                                  "[auth]\n"
                                  "type = htpasswd\n"
                                  "htpasswd_filename = " +
                                  usersPath.toUtf8() +
                                  "\n"
                                  "htpasswd_encryption = plain\n"
                                  // A wrong password is answered at once, so such tests stay fast.
                                  "delay = 0\n"
                                  "[rights]\n"
                                  "type = owner_only\n"
                                  "[storage]\n"
                                  "filesystem_folder = " +
                                  storagePath().toUtf8() +
                                  "\n"
                                  "[web]\n"
                                  "type = none\n"
                                  "[logging]\n"
                                  // Info tells the bound port and readiness; it goes to the log file only.
                                  "level = info\n";
        for (const auto& [name, bytes] :
             {std::pair{usersPath, users}, std::pair{dir_.filePath(QStringLiteral("config")), config}}) {
            QFile file(name);
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
                return ::testing::AssertionFailure() << "cannot write " << name.toStdString();
        }
        return ::testing::AssertionSuccess();
    }

    QList<Account> accounts_;
    QTemporaryDir dir_;
    QProcess process_;
    quint16 port_ = 0;
};

} // namespace zel::test
