#pragma once

#include <QObject>
#include <QString>

namespace zel::gui {

// A message in the desktop's own notification list, for where a window cannot be put on top or no
// tray exists. One at a time: each post replaces the one posted before.
class Notifier : public QObject {
    Q_OBJECT

  public:
    using QObject::QObject;
    // An empty action label offers no action.
    virtual void post(const QString& summary, const QString& body, const QString& actionLabel) = 0;
    // Takes the one on screen away, e.g. once it was answered in the window.
    virtual void withdraw() = 0;

  signals:
    // The user chose the action (or clicked the body) of the notification this object posted.
    // `activationToken` is what the desktop handed on with the click so that a window may come
    // forward; empty when it gave none.
    void activated(const QString& activationToken);
};

// Where nothing is posted.
class NoNotifier : public Notifier {
  public:
    void post(const QString&, const QString&, const QString&) override {}
    void withdraw() override {}
};

} // namespace zel::gui
