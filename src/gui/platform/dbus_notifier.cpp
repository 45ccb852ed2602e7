#include "gui/platform/dbus_notifier.h"

#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QVariantMap>
#include <utility>

using namespace Qt::StringLiterals;

namespace zel::gui {

namespace {

const QString service = u"org.freedesktop.Notifications"_s;
const QString path = u"/org/freedesktop/Notifications"_s;
const QString interface = u"org.freedesktop.Notifications"_s;
const QString desktopName = u"org.example.Zelmoran"_s;
const QString defaultAction = u"default"_s;

} // namespace

DBusNotifier::DBusNotifier(const QDBusConnection& bus, QObject* parent)
    : DBusNotifier([bus] { return bus; }, parent) {
    connectBus();
}

DBusNotifier::DBusNotifier(std::function<QDBusConnection()> connect, QObject* parent)
    : Notifier(parent), connect_(std::move(connect)) {}

void DBusNotifier::connectBus() {
    if (bus_) return;
    bus_ = connect_();
    if (!bus_->isConnected()) return;
    bus_->connect(service, path, interface, u"ActionInvoked"_s, this, SLOT(onActionInvoked(uint, QString)));
    bus_->connect(service, path, interface, u"ActivationToken"_s, this,
                  SLOT(onActivationToken(uint, QString)));
}

QDBusConnection& DBusNotifier::bus() {
    connectBus();
    return *bus_;
}

void DBusNotifier::post(const QString& summary, const QString& body, const QString& actionLabel) {
    if (!bus().isConnected()) return;
    Message message{summary, body, actionLabel};
    if (posting_) {
        waiting_ = std::move(message);
        withdrawWaiting_ = false;
        return;
    }
    if (!capabilitiesKnown_) {
        // Asked before the first post, not at start: the desktop's server may start after the program.
        waiting_ = std::move(message);
        askCapabilities();
        return;
    }
    send(message);
}

void DBusNotifier::askCapabilities() {
    QDBusMessage ask = QDBusMessage::createMethodCall(service, path, interface, u"GetCapabilities"_s);
    posting_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus().asyncCall(ask), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this](QDBusPendingCallWatcher* w) {
        w->deleteLater();
        const QDBusPendingReply<QStringList> reply = *w;
        if (!reply.isError()) {
            capabilitiesKnown_ = true;
            bodyMarkup_ = reply.value().contains(u"body-markup"_s);
        }
        settle();
    });
}

void DBusNotifier::send(const Message& message) {
    QStringList actions;
    if (!message.actionLabel.isEmpty()) actions << defaultAction << message.actionLabel;
    const QVariantMap hints{
        {u"desktop-entry"_s, desktopName},
        // Critical: the server keeps it until it is answered.
        {u"urgency"_s, QVariant::fromValue(uchar{2})},
    };
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, u"Notify"_s);
    const QString body = bodyMarkup_ ? message.body.toHtmlEscaped() : message.body;
    call << u"Zelmoran"_s << shownId_ << desktopName << message.summary << body << actions << hints << 0;
    activationToken_.clear();
    posting_ = true;
    auto* watcher = new QDBusPendingCallWatcher(bus().asyncCall(call), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, &DBusNotifier::onPosted);
}

void DBusNotifier::onPosted(QDBusPendingCallWatcher* watcher) {
    watcher->deleteLater();
    const QDBusPendingReply<uint> reply = *watcher;
    // An error (no service, no answer) leaves nothing new on screen.
    if (!reply.isError()) shownId_ = reply.value();
    settle();
}

void DBusNotifier::settle() {
    posting_ = false;
    if (waiting_) {
        const Message next = std::move(*waiting_);
        waiting_.reset();
        send(next);
    } else if (withdrawWaiting_) {
        withdrawWaiting_ = false;
        withdraw();
    }
}

void DBusNotifier::withdraw() {
    if (posting_) {
        waiting_.reset();
        withdrawWaiting_ = true;
        return;
    }
    if (shownId_ == 0) return;
    close(shownId_);
    shownId_ = 0;
}

void DBusNotifier::close(uint id) {
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, interface, u"CloseNotification"_s);
    call << id;
    // No answer is awaited: there is nothing to do about a notification that could not be closed.
    call.setAutoStartService(false);
    bus().send(call);
}

void DBusNotifier::onActivationToken(uint id, const QString& token) {
    if (id != 0 && id == shownId_) activationToken_ = token;
}

void DBusNotifier::onActionInvoked(uint id, const QString& actionKey) {
    if (id == 0 || id != shownId_ || actionKey != defaultAction) return;
    emit activated(std::exchange(activationToken_, {}));
}

} // namespace zel::gui
