#pragma once

// A session bus of a test's own, with a stand-in for the desktop's notification server on it.
#include "support/test_util.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QTest>
#include <functional>
#include <vector>

namespace zel::test {

using namespace Qt::StringLiterals;

inline const QString notificationsName = QStringLiteral("org.freedesktop.Notifications");
inline const QString notificationsPath = QStringLiteral("/org/freedesktop/Notifications");

// A bus daemon of the test's own, so no desktop's notification service sees the test and no test
// depends on one. It knows no activatable services: a name nobody owns is answered at once.
class PrivateBus {
  public:
    PrivateBus() {
        const QString folder = QString::fromStdString(dir_.path().string());
        QFile config(folder + u"/bus.conf"_s);
        if (!config.open(QIODevice::WriteOnly)) return;
        config.write(
            QStringLiteral(
                "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                "<busconfig><type>session</type><listen>unix:path=%1/bus</listen>"
                "<auth>EXTERNAL</auth><policy context=\"default\">"
                "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/>"
                "<allow own=\"*\"/></policy></busconfig>\n")
                .arg(folder)
                .toUtf8());
        config.close();
        daemon_.start(u"dbus-daemon"_s,
                      {u"--config-file="_s + config.fileName(), u"--nofork"_s, u"--print-address=1"_s});
        if (!daemon_.waitForStarted(5000)) return;
        while (!daemon_.canReadLine())
            if (!daemon_.waitForReadyRead(5000)) return;
        address_ = QString::fromUtf8(daemon_.readLine()).trimmed();
    }
    ~PrivateBus() {
        for (const QString& name : names_)
            QDBusConnection::disconnectFromBus(name);
        daemon_.kill();
        daemon_.waitForFinished();
    }
    bool running() const { return !address_.isEmpty(); }

    QDBusConnection connect() {
        static int count = 0;
        names_ << QStringLiteral("zel-notifier-test-%1").arg(++count);
        return QDBusConnection::connectToBus(address_, names_.last());
    }

  private:
    TempDir dir_;
    QProcess daemon_;
    QString address_;
    QStringList names_;
};

// Stands in for the desktop's notification server on a connection of its own, so every call goes
// through the daemon and back as it would on a desktop.
class StandInNotifications : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

  public:
    struct Posted {
        QString signature;
        QString appName;
        uint replacesId;
        QString appIcon;
        QString summary;
        QString body;
        QStringList actions;
        QVariantMap hints;
        int expireTimeout;
    };
    std::vector<Posted> posted;
    std::vector<uint> closed;
    QStringList capabilities{QStringLiteral("actions"), QStringLiteral("body")};
    // While set, Notify is not answered until answerHeld().
    bool holdAnswers = false;

    explicit StandInNotifications(QDBusConnection bus) : bus_(bus) {
        bus_.registerObject(notificationsPath, this,
                            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals);
        registered_ = bus_.registerService(notificationsName);
    }
    bool registered() const { return registered_; }

    void answerHeld(uint id) {
        for (const QDBusMessage& call : held_)
            bus_.send(call.createReply(QVariant::fromValue(id)));
        held_.clear();
    }

  public slots:
    uint Notify(const QString& appName, uint replacesId, const QString& appIcon, const QString& summary,
                const QString& body, const QStringList& actions, const QVariantMap& hints,
                int expireTimeout) {
        posted.push_back({message().signature(), appName, replacesId, appIcon, summary, body, actions, hints,
                          expireTimeout});
        if (holdAnswers) {
            setDelayedReply(true);
            held_.push_back(message());
            return 0;
        }
        // As a server does: a replacement keeps its id, a new one gets the next.
        return replacesId != 0 ? replacesId : ++lastId_;
    }
    void CloseNotification(uint id) { closed.push_back(id); }
    QStringList GetCapabilities() { return capabilities; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = u"Zelmoran tests"_s;
        version = u"1"_s;
        specVersion = u"1.2"_s;
        return u"stand-in"_s;
    }

  signals:
    void ActionInvoked(uint id, const QString& actionKey);
    void ActivationToken(uint id, const QString& activationToken);

  private:
    QDBusConnection bus_;
    bool registered_ = false;
    uint lastId_ = 40;
    std::vector<QDBusMessage> held_;
};

inline bool waitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 5000);
}

} // namespace zel::test
