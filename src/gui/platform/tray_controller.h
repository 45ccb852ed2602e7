#pragma once

#include <QObject>
#include <QString>
#include <functional>

namespace zel {
class Clock;
}

namespace zel::gui {

class AppState;
class QtTray;
class Watch;

// What the tray menu shows that the program knows: today's and tomorrow's names from the calendar,
// whether the watch is on, whether the window is in sight; a chosen day item becomes a request for a
// new partner of that day's first name.
class TrayController : public QObject {
    Q_OBJECT

  public:
    TrayController(QtTray& tray, const AppState& state, const Clock& clock, const Watch& watch,
                   std::function<bool()> windowInSight, QObject* parent = nullptr);

    // "Ma: …" or "Holnap: …" with the day's names.
    QString dayCaption(bool tomorrow) const;

  signals:
    // The name starts with a space, before which the caret waits for a family name.
    void newPartnerRequested(const QString& name);

  private:
    void chooseDay(const QString& caption);

    const AppState& state_;
    const Clock& clock_;
};

} // namespace zel::gui
