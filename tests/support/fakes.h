#pragma once

#include "gui/platform/autostart.h"
#include "gui/platform/shell.h"
#include "gui/platform/sound.h"
#include "gui/platform/tray.h"

#include <QStringList>

namespace zel::test {

// Records what would have been handed to the desktop.
class RecordingShell : public gui::Shell {
  public:
    struct Call {
        QString file;
        QString parameters;
        bool operator==(const Call&) const = default;
    };
    std::vector<Call> calls;
    QStringList addresses;
    void open(const QString& file, const QString& parameters) override {
        calls.push_back({file, parameters});
    }
    void openAddress(const QString& address) override { addresses << address; }
};

class RecordingTray : public gui::Tray {
  public:
    QStringList hints;
    std::vector<int> days;
    struct Balloon {
        QString title;
        QString text;
        int seconds;
    };
    std::vector<Balloon> balloons;
    bool shown = false;
    void setHint(const QString& hint) override { hints << hint; }
    void setDay(int day) override { days.push_back(day); }
    void showBalloon(const QString& title, const QString& text, int seconds) override {
        balloons.push_back({title, text, seconds});
    }
    bool isShown() const override { return shown; }
};

class RecordingAutostart : public gui::Autostart {
  public:
    QStringList calls; // "on <path>" or "off"
    bool on = false;
    void setAutostart(bool turnOn, const QString& executable) override {
        calls << (turnOn ? QStringLiteral("on ") + executable : QStringLiteral("off"));
        on = turnOn;
    }
    bool isOn() const override { return on; }
};

} // namespace zel::test
