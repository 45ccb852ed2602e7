#pragma once

#include "gui/platform/tray.h"

#include <QObject>
#include <functional>
#include <optional>

class QAction;
class QMenu;
class QSystemTrayIcon;

namespace zel::gui {

// The notification-area icon with the day of the month, its hint, the start-up balloon and its
// menu. Where the desktop has no tray nothing is shown and isShown() says so.
class QtTray : public QObject, public Tray {
    Q_OBJECT

  public:
    explicit QtTray(QObject* parent = nullptr);
    ~QtTray() override;

    void setHint(const QString& hint) override;
    void setDay(int day) override;
    void showBalloon(const QString& title, const QString& text, int seconds) override;
    bool isShown() const override;

    // Makes the icon and its menu, and shows the icon where a tray exists, with a balloon asked for
    // before. Until then the day, the hint and the balloon only wait: the icon and its menu cost a
    // start some milliseconds.
    void show();
    QMenu* menu();
    QString hint() const;

    // Asked each time the menu opens: whether the main window is visible, whether events are being
    // watched, and the "Ma: …" / "Holnap: …" captions.
    std::function<bool()> windowVisible;
    std::function<bool()> watching;
    std::function<QString(bool tomorrow)> dayCaption;

  signals:
    // A click on the icon or on the balloon, a double-click, or the first menu item.
    void windowToggleRequested();
    void dayItemChosen(const QString& caption);
    void nameDaySearchChosen();
    void dayNamesChosen();
    void modeSwitchChosen();
    void newEventChosen();
    void syncChosen();
    void exitChosen();

  private:
    void build();
    void prepareMenu();

    struct Balloon {
        QString title, text;
        int seconds = 0;
    };
    std::optional<Balloon> waitingBalloon_;
    QString hint_;

    QSystemTrayIcon* icon_ = nullptr;
    QMenu* menu_ = nullptr;
    QAction* windowItem_ = nullptr;
    QAction* todayItem_ = nullptr;
    QAction* tomorrowItem_ = nullptr;
    QAction* watchingItem_ = nullptr;
    int day_ = 0;
};

} // namespace zel::gui
