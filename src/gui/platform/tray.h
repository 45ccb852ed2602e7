#pragma once

#include <QString>

namespace zel::gui {

// The notification-area icon as the clock and start-up use it.
class Tray {
  public:
    virtual ~Tray() = default;
    virtual void setHint(const QString& hint) = 0;
    // Shows the picture of this day of the month (1 to 31).
    virtual void setDay(int day) = 0;
    virtual void showBalloon(const QString& title, const QString& text, int seconds) = 0;
    // Whether an icon is really shown, so hiding the main window cannot lose it.
    virtual bool isShown() const = 0;
};

// Where no tray icon is shown.
class NoTray : public Tray {
  public:
    void setHint(const QString& hint) override { hint_ = hint; }
    void setDay(int) override {}
    void showBalloon(const QString&, const QString&, int) override {}
    bool isShown() const override { return false; }
    QString hint() const { return hint_; }

  private:
    QString hint_;
};

} // namespace zel::gui
