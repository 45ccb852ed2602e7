#pragma once

#include "gui/platform/notifier.h"

#include <QDBusConnection>
#include <QObject>
#include <functional>
#include <optional>

class QDBusPendingCallWatcher;

namespace zel::gui {

// Posts through org.freedesktop.Notifications on the given bus (the program passes the session bus):
// critical urgency and no expiry, so the notification stays until answered, with the program's icon
// and desktop entry. Every call is asynchronous; without a bus or without the service nothing happens
// and nothing is reported. A post made while the previous one is still unanswered waits for its id,
// so it replaces it rather than piling up beside it. Several notifiers may share a bus: each answers
// only the clicks on its own notification.
class DBusNotifier : public Notifier {
    Q_OBJECT

  public:
    explicit DBusNotifier(const QDBusConnection& bus, QObject* parent = nullptr);
    // The bus comes from `connect` when first needed, or at connectBus(): reaching the session bus
    // takes a start about a millisecond that its first frame does not need.
    explicit DBusNotifier(std::function<QDBusConnection()> connect, QObject* parent = nullptr);

    void connectBus();

    void post(const QString& summary, const QString& body, const QString& actionLabel) override;
    void withdraw() override;

  private slots:
    // Named by the D-Bus signal hooks, which take only string slots.
    void onActionInvoked(uint id, const QString& actionKey);
    void onActivationToken(uint id, const QString& token);

  private:
    struct Message {
        QString summary;
        QString body;
        QString actionLabel;
    };
    void send(const Message& message);
    void askCapabilities();
    void onPosted(QDBusPendingCallWatcher* watcher);
    // The call on the way has been answered: sends what waited for it.
    void settle();
    void close(uint id);

    QDBusConnection& bus();

    std::function<QDBusConnection()> connect_;
    std::optional<QDBusConnection> bus_;
    uint shownId_ = 0;
    bool posting_ = false;
    std::optional<Message> waiting_;
    bool withdrawWaiting_ = false;
    // Servers that read markup in the body would take a reminder's "<" or "&" for it.
    bool bodyMarkup_ = false;
    bool capabilitiesKnown_ = false;
    // Sent by newer servers just before the click it belongs to.
    QString activationToken_;
};

} // namespace zel::gui
