#pragma once

#include "core/app/clock.h"

#include <QObject>
#include <QString>

class QLabel;
class QToolButton;

namespace zel::gui {

class AppState;
class Dialogs;
class Tray;
class Watch;

// What active and passive mode show: the mode button, the clock beside it, the window's title and
// the tray's hint and day. The watch holds the mode; this switches it and shows it.
class ModeSwitch : public QObject {
    Q_OBJECT

  public:
    // Who asked for the switch: the message on the way to passive mode names it.
    enum class Source { StartUp, TrayMenu, ModeButton };

    ModeSwitch(QToolButton& button, QLabel& clock, Watch& watch, const AppState& state, Tray& tray,
               Dialogs& dialogs, QObject* parent = nullptr);

    void switchMode(Source source);
    // The active title and the clock at `now`, as a start shows them.
    void showActive(Moment now);
    const QString& title() const { return title_; }

  signals:
    void titleChanged(const QString& title);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void onTicked(Moment now);
    void setTitle(const QString& title);
    void showClock(Moment now);

    QToolButton& button_;
    QLabel& clock_;
    Watch& watch_;
    const AppState& state_;
    Tray& tray_;
    Dialogs& dialogs_;
    QString title_;
};

} // namespace zel::gui
