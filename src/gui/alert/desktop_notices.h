#pragma once

#include <QObject>
#include <QString>

class QWidget;

namespace zel::gui {

class AppState;
class Notifier;

// What the program posts to the desktop's notification list when the setting allows it: the alert,
// where its window may go unseen, and "already running", where a window asked to come forward did not.
class DesktopNotices : public QObject {
    Q_OBJECT

  public:
    DesktopNotices(Notifier& alerts, Notifier& running, const AppState& state, bool onWayland,
                   QObject* parent = nullptr);

    // On X11 the alert stays above every window; there it is only posted while the main window is out
    // of sight, so it is not announced twice.
    void postAlert(const QString& text, int minute, bool mainWindowInSight);
    void withdrawAlert();
    // The missed-events window, announced where it may go unseen, as the alert is.
    void postMissed(int count, bool mainWindowInSight);
    // On Wayland the compositor may keep a window back: one that is not active a second later is
    // announced, and the notice goes when it is.
    void watchComingForward(QWidget& window);
    void windowActivated();

  private:
    Notifier& alerts_;
    Notifier& running_;
    const AppState& state_;
    bool onWayland_;
    bool runningPosted_ = false;
};

} // namespace zel::gui
