#include "gui/platform/dbus_notifier.h"
#include "support/notification_service.h"
#include "support/test_util.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <optional>

using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::PrivateBus;
using zel::test::StandInNotifications;
using zel::test::waitFor;

namespace {

QStringList printed;
void recordMessage(QtMsgType, const QMessageLogContext&, const QString& text) {
    printed << text;
}

#define ZEL_REQUIRE_BUS(bus)                                                                                 \
    if (!(bus).running()) GTEST_SKIP() << "dbus-daemon could not be started (Debian: dbus-daemon)"

} // namespace

// A private bus with the stand-in server and a notifier on it; skipped where no daemon starts.
class GuiDBusNotifier : public ::testing::Test {
  protected:
    void SetUp() override {
        ZEL_REQUIRE_BUS(bus);
        server.emplace(bus.connect());
        ASSERT_TRUE(server->registered());
        notifier.emplace(bus.connect());
    }
    PrivateBus bus;
    std::optional<StandInNotifications> server;
    std::optional<DBusNotifier> notifier;
};

TEST_F(GuiDBusNotifier, PostsOneCriticalLastingEscapedNotificationThatTheNextPostReplaces) {
    server->capabilities << u"body-markup"_s; // the text is escaped for a server that reads markup
    notifier->post(u"Emlékeztető – 9:06"_s, u"<b>Fogorvos</b> & posta"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server->posted.size() == 1; }));
    const auto& first = server->posted[0];
    EXPECT_EQ(first.signature + u'|' + first.appName + u'|' + first.appIcon + u'|' + first.summary + u'|' +
                  first.body,
              u"susssasa{sv}i|Zelmoran|org.example.Zelmoran|Emlékeztető – 9:06|"
              u"&lt;b&gt;Fogorvos&lt;/b&gt; &amp; posta"_s);
    EXPECT_EQ(first.replacesId, 0u);
    EXPECT_EQ(first.actions, (QStringList{u"default"_s, u"Megnyitás"_s}));
    EXPECT_EQ(first.hints.keys(), (QStringList{u"desktop-entry"_s, u"urgency"_s}));
    EXPECT_EQ(first.hints.value(u"desktop-entry"_s), QVariant(u"org.example.Zelmoran"_s));
    // The urgency is a byte on the wire; any other type is ignored by servers.
    EXPECT_EQ(first.hints.value(u"urgency"_s).metaType(), QMetaType::fromType<uchar>());
    EXPECT_EQ(first.hints.value(u"urgency"_s).value<uchar>(), 2);
    EXPECT_EQ(first.expireTimeout, 0);

    // The second replaces the first; without a label it offers no action.
    notifier->post(u"Emlékeztető"_s, u"Posta"_s, QString());
    ASSERT_TRUE(waitFor([&] { return server->posted.size() == 2; }));
    EXPECT_EQ(server->posted[1].replacesId, 41u);
    EXPECT_EQ(server->posted[1].body, u"Posta"_s);
    EXPECT_TRUE(server->posted[1].actions.isEmpty());
    EXPECT_TRUE(server->closed.empty());
}

TEST_F(GuiDBusNotifier, APostMadeWhileTheLastIsUnansweredWaitsAndReplacesItAndAWithdrawalClosesOnce) {
    notifier->withdraw(); // nothing on screen: nothing to close
    // The server's capabilities are asked before the first post; a post made meanwhile waits too.
    notifier->post(u"Emlékeztető"_s, u"Nulladik"_s, u"Megnyitás"_s);
    notifier->post(u"Emlékeztető"_s, u"Első"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server->posted.size() == 1; }));
    EXPECT_EQ(server->posted[0].body, u"Első"_s);
    // Its answer is in once the withdrawal can name it; a second withdrawal has nothing to close.
    notifier->withdraw();
    notifier->withdraw();
    ASSERT_TRUE(waitFor([&] { return server->closed.size() == 1; }));
    EXPECT_EQ(server->closed[0], 41u);
    server->posted.clear();
    server->closed.clear();

    server->holdAnswers = true;
    notifier->post(u"Emlékeztető"_s, u"Első"_s, u"Megnyitás"_s);
    // post() returned although the server has not even been asked yet.
    EXPECT_TRUE(server->posted.empty());
    notifier->post(u"Emlékeztető"_s, u"Második"_s, u"Megnyitás"_s);
    notifier->post(u"Emlékeztető"_s, u"Harmadik"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server->posted.size() == 1; }));
    EXPECT_EQ(server->posted[0].replacesId, 0u) << "the one closed is not replaced";

    server->holdAnswers = false;
    server->answerHeld(7);
    // Only the latest goes out, in place of the first.
    ASSERT_TRUE(waitFor([&] { return server->posted.size() == 2; }));
    EXPECT_EQ(server->posted[1].body, u"Harmadik"_s);
    EXPECT_EQ(server->posted[1].replacesId, 7u);

    // A withdrawal while unanswered closes what the answer names, and drops a waiting post.
    server->holdAnswers = true;
    notifier->post(u"Emlékeztető"_s, u"Negyedik"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server->posted.size() == 3; }));
    notifier->post(u"Emlékeztető"_s, u"Ötödik"_s, u"Megnyitás"_s);
    notifier->withdraw();
    server->answerHeld(7);
    ASSERT_TRUE(waitFor([&] { return server->closed.size() == 1; }));
    EXPECT_EQ(server->closed[0], 7u);
    EXPECT_EQ(server->posted.size(), 3u);
}

TEST_F(GuiDBusNotifier, OnlyTheDefaultActionOfItsOwnNotificationActivatesAndHandsOnItsToken) {
    QSignalSpy activated(&*notifier, &DBusNotifier::activated);
    // Nothing posted yet: not ours.
    emit server->ActionInvoked(41, u"default"_s);
    notifier->post(u"Emlékeztető"_s, u"Fogorvos"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server->posted.size() == 1; }));
    // Another program's notification and token, and another action; the bus keeps the order, so the
    // last, which counts, arrives after them. A newer server names the click's token first.
    emit server->ActivationToken(99, u"other_TIME1"_s);
    emit server->ActionInvoked(42, u"default"_s);
    emit server->ActionInvoked(41, u"snooze"_s);
    emit server->ActivationToken(41, u"ours_TIME2"_s);
    emit server->ActionInvoked(41, u"default"_s);
    ASSERT_TRUE(waitFor([&] { return activated.size() >= 1; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(activated.size(), 1);
    EXPECT_EQ(activated[0][0].toString(), u"ours_TIME2"_s);
    // The token is spent: an older server's click carries none.
    emit server->ActionInvoked(41, u"default"_s);
    ASSERT_TRUE(waitFor([&] { return activated.size() == 2; }));
    EXPECT_EQ(activated[1][0].toString(), QString());
}

TEST_F(GuiDBusNotifier, ALaterConnectionIsMadeAtTheFirstPostAndStillHearsItsClicks) {
    notifier.reset();
    int connections = 0;
    DBusNotifier later([&] {
        ++connections;
        return bus.connect();
    });
    QSignalSpy activated(&later, &DBusNotifier::activated);
    later.withdraw(); // nothing shown: the bus is not needed yet
    EXPECT_EQ(connections, 0);
    later.post(u"Emlékeztető"_s, u"Fogorvos"_s, u"Megnyitás"_s);
    ASSERT_TRUE(waitFor([&] { return server->posted.size() == 1; }));
    later.connectBus();
    EXPECT_EQ(connections, 1);
    emit server->ActionInvoked(41, u"default"_s);
    ASSERT_TRUE(waitFor([&] { return activated.size() == 1; }));
}

TEST(GuiDBusNotifierAlone, WithoutTheServiceOrABusNothingIsPostedOrPrinted) {
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
