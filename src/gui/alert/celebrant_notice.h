#pragma once

#include <QObject>
#include <functional>
#include <optional>

namespace zel {
class Clock;
}

namespace zel::gui {

class AlertWindow;
class AppState;
enum class AlertAction;

// The notice of the coming name days and birthdays, in the alert's window: at start, and on the way
// out when the settings ask for it. An alert on screen is answered first, never hidden unseen.
class CelebrantNotice : public QObject {
    Q_OBJECT

  public:
    enum class Mode { Shutdown, TrayExit, StartUp };
    // `window` gives the alert's window, made when first asked for: a start with nobody to greet
    // makes none.
    CelebrantNotice(std::function<AlertWindow&()> window, const AppState& state, const Clock& clock,
                    QObject* parent = nullptr);

    // Shows the notice; with nobody to greet, leaving (exitIfNothing) simply ends the program.
    void show(Mode mode, bool exitIfNothing, bool withSound);

  signals:
    void exitRequested();

  private:
    // A notice asked for while an alert waits for its answer comes after that answer.
    void showWaiting(AlertAction answer);

    AlertWindow& window();

    std::function<AlertWindow&()> window_;
    bool connected_ = false;
    const AppState& state_;
    const Clock& clock_;
    struct Request {
        Mode mode;
        bool exitIfNothing, withSound;
    };
    std::optional<Request> waiting_;
};

} // namespace zel::gui
