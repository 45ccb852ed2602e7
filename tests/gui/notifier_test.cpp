#include "gui/platform/dbus_notifier.h"
#include "support/test_util.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>
#include <vector>

using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::TempDir;

namespace {

const QString notificationsName = u"org.freedesktop.Notifications"_s;
const QString notificationsPath = u"/org/freedesktop/Notifications"_s;

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
        names_ << u"zel-notifier-test-%1"_s.arg(++count);
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
    QStringList GetCapabilities() { return {u"actions"_s, u"body"_s}; }
    QString GetServerInformation(QString& vendor, QString& version, QString& specVersion) {
        vendor = u"Zelmoran tests"_s;
        version = u"1"_s;
        specVersion = u"1.2"_s;
        return u"stand-in"_s;
    }

  signals:
    void ActionInvoked(uint id, const QString& actionKey);

  private:
    QDBusConnection bus_;
    bool registered_ = false;
    uint lastId_ = 40;
    std::vector<QDBusMessage> held_;
};

bool waitFor(const std::function<bool()>& done) {
    return QTest::qWaitFor(done, 5000);
}

QStringList printed;
void recordMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    printed << text;
}

#define ZEL_REQUIRE_BUS(bus)                                                                                 \
    if (!(bus).running()) GTEST_SKIP() << "dbus-daemon could not be started (Debian: dbus-daemon)"

} // namespace

TEST(GuiDBusNotifier, PostsOneCriticalLastingNotificationThatTheNextPostReplaces) {
    PrivateBus bus;
    ZEL_REQUIRE_BUS(bus);
    StandInNotifications server(bus.connect());
    ASSERT_TRUE(server.registered());
    DBusNotifier notifier(bus.connect());

    notifier.post(u"Emlékeztető"_s, u"Fogorvos – 14:30"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server.posted.size() == 1; }));
    const auto& first = server.posted[0];
    EXPECT_EQ(first.signature, u"susssasa{sv}i"_s);
    EXPECT_EQ(first.appName, u"Zelmoran"_s);
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.appIcon, u"org.example.Zelmoran"_s);
    EXPECT_EQ(first.summary, u"Emlékeztető"_s);
    EXPECT_EQ(first.body, u"Fogorvos – 14:30"_s);
    EXPECT_EQ(first.actions, (QStringList{u"default"_s, u"Megnyitás"_s}));
    EXPECT_EQ(first.hints.keys(), (QStringList{u"desktop-entry"_s, u"urgency"_s}));
    EXPECT_EQ(first.hints.value(u"desktop-entry"_s), QVariant(u"org.example.Zelmoran"_s));
    // The urgency is a byte on the wire; any other type is ignored by servers.
    EXPECT_EQ(first.hints.value(u"urgency"_s).metaType(), QMetaType::fromType<uchar>());
    EXPECT_EQ(first.hints.value(u"urgency"_s).value<uchar>(), 2);
    EXPECT_EQ(first.expireTimeout, 0);

    // The second replaces the first; without a label it offers no action.
    notifier.post(u"Emlékeztető"_s, u"Posta"_s, QString());
    ASSERT_TRUE(waitFor([&] { return server.posted.size() == 2; }));
    EXPECT_EQ(server.posted[1].replacesId, 41u);
    EXPECT_EQ(server.posted[1].body, u"Posta"_s);
    EXPECT_TRUE(server.posted[1].actions.isEmpty());
    EXPECT_TRUE(server.closed.empty());
}

TEST(GuiDBusNotifier, APostMadeWhileTheLastIsUnansweredWaitsAndReplacesIt) {
    PrivateBus bus;
    ZEL_REQUIRE_BUS(bus);
    StandInNotifications server(bus.connect());
    ASSERT_TRUE(server.registered());
    DBusNotifier notifier(bus.connect());

    server.holdAnswers = true;
    notifier.post(u"Emlékeztető"_s, u"Első"_s, u"Megnyitás"_s);
    // post() returned although the server has not even been asked yet.
    EXPECT_TRUE(server.posted.empty());
    notifier.post(u"Emlékeztető"_s, u"Második"_s, u"Megnyitás"_s);
    notifier.post(u"Emlékeztető"_s, u"Harmadik"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server.posted.size() == 1; }));

    server.holdAnswers = false;
    server.answerHeld(7);
    // Only the latest goes out, in place of the first.
    ASSERT_TRUE(waitFor([&] { return server.posted.size() == 2; }));
    EXPECT_EQ(server.posted[1].body, u"Harmadik"_s);
    EXPECT_EQ(server.posted[1].replacesId, 7u);

    // A withdrawal while unanswered closes what the answer names, and drops a waiting post.
    server.holdAnswers = true;
    notifier.post(u"Emlékeztető"_s, u"Negyedik"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server.posted.size() == 3; }));
    notifier.post(u"Emlékeztető"_s, u"Ötödik"_s, u"Megnyitás"_s);
    notifier.withdraw();
    server.answerHeld(7);
    ASSERT_TRUE(waitFor([&] { return server.closed.size() == 1; }));
    EXPECT_EQ(server.closed[0], 7u);
    EXPECT_EQ(server.posted.size(), 3u);
}

TEST(GuiDBusNotifier, OnlyTheDefaultActionOfItsOwnNotificationActivates) {
    PrivateBus bus;
    ZEL_REQUIRE_BUS(bus);
    StandInNotifications server(bus.connect());
    ASSERT_TRUE(server.registered());
    DBusNotifier notifier(bus.connect());
    QSignalSpy activated(&notifier, &DBusNotifier::activated);

    // Nothing posted yet: not ours.
    emit server.ActionInvoked(41, u"default"_s);
    notifier.post(u"Emlékeztető"_s, u"Fogorvos"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server.posted.size() == 1; }));
    emit server.ActionInvoked(41, u"default"_s);
    ASSERT_TRUE(waitFor([&] { return activated.size() == 1; }));

    // Another program's notification and another action; the bus keeps the order, so the last,
    // which counts, arrives after them.
    emit server.ActionInvoked(42, u"default"_s);
    emit server.ActionInvoked(41, u"snooze"_s);
    emit server.ActionInvoked(41, u"default"_s);
    ASSERT_TRUE(waitFor([&] { return activated.size() >= 2; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(activated.size(), 2);
}

TEST(GuiDBusNotifier, WithdrawClosesTheOneOnScreenOnce) {
    PrivateBus bus;
    ZEL_REQUIRE_BUS(bus);
    StandInNotifications server(bus.connect());
    ASSERT_TRUE(server.registered());
    DBusNotifier notifier(bus.connect());

    notifier.withdraw();
    notifier.post(u"Emlékeztető"_s, u"Fogorvos"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server.posted.size() == 1; }));
    notifier.withdraw();
    notifier.withdraw();
    ASSERT_TRUE(waitFor([&] { return server.closed.size() == 1; }));
    EXPECT_EQ(server.closed[0], 41u);

    // The next one is new, not a replacement of the closed one.
    notifier.post(u"Emlékeztető"_s, u"Posta"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server.posted.size() == 2; }));
    EXPECT_EQ(server.posted[1].replacesId, 0u);
    EXPECT_EQ(server.closed.size(), 1u);
}

TEST(GuiDBusNotifier, WithoutTheServiceOrABusNothingIsPostedOrPrinted) {
    PrivateBus bus;
    ZEL_REQUIRE_BUS(bus);
    printed.clear();
    const QtMessageHandler previous = qInstallMessageHandler(recordMessage);
    {
        // Nobody owns the name: the daemon answers at once and the notifier stays usable.
        DBusNotifier notifier(bus.connect());
        notifier.post(u"Emlékeztető"_s, u"Fogorvos"_s, u"Megnyitás"_s);
        notifier.withdraw();
        StandInNotifications server(bus.connect());
        ASSERT_TRUE(server.registered());
        notifier.post(u"Emlékeztető"_s, u"Posta"_s, u"Megnyitás"_s);
        ASSERT_TRUE(waitFor([&] { return server.posted.size() == 1; }));
        EXPECT_EQ(server.posted[0].body, u"Posta"_s);
        EXPECT_EQ(server.posted[0].replacesId, 0u);
        EXPECT_TRUE(server.closed.empty());

        // No bus at all.
        DBusNotifier unconnected(
            QDBusConnection::connectToBus(u"unix:path=/nonexistent/bus"_s, u"zel-none"_s));
        unconnected.post(u"Emlékeztető"_s, u"Fogorvos"_s, u"Megnyitás"_s);
        unconnected.withdraw();
        QCoreApplication::processEvents();
    }
    QDBusConnection::disconnectFromBus(u"zel-none"_s);
    qInstallMessageHandler(previous);
    EXPECT_EQ(printed, QStringList());
}

#include "notifier_test.moc"
