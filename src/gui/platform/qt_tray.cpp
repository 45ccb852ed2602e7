#include "gui/platform/qt_tray.h"

#include "gui/theme/icons.h"

#include <QMenu>
#include <QSystemTrayIcon>
#include <QTimer>
#include <utility>

namespace zel::gui {

namespace {

QAction* item(QMenu* menu, const char* name, const QString& text) {
    QAction* a = menu->addAction(text);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}

} // namespace

QtTray::QtTray(QObject* parent) : QObject(parent) {}

void QtTray::build() {
    if (icon_) return;
    icon_ = new QSystemTrayIcon(this);
    menu_ = new QMenu;
    menu_->setObjectName(QStringLiteral("trayMenu"));
    windowItem_ = item(menu_, "windowItem", QStringLiteral("Zelmoran v1.5"));
    windowItem_->setCheckable(true);
    QFont bold = windowItem_->font();
    bold.setBold(true);
    windowItem_->setFont(bold);
    menu_->setDefaultAction(windowItem_);
    menu_->addSeparator();
    todayItem_ = item(menu_, "todayItem", QStringLiteral("Ma: "));
    tomorrowItem_ = item(menu_, "tomorrowItem", QStringLiteral("Holnap: "));
    QAction* search = item(menu_, "nameDaySearchItem", QStringLiteral("Névnapkeresés"));
    QAction* dayNames = item(menu_, "dayNamesItem", QStringLiteral("Keresés adott napra"));
    menu_->addSeparator();
    watchingItem_ = item(menu_, "watchingItem", QStringLiteral("Események figyelése"));
    watchingItem_->setCheckable(true);
    watchingItem_->setChecked(true);
    QAction* newEvent = item(menu_, "newEventItem", QStringLiteral("Új esemény"));
    QAction* sync = item(menu_, "syncItem", QStringLiteral("Szinkronizálás"));
    menu_->addSeparator();
    QAction* exit = item(menu_, "exitItem", QStringLiteral("Kilépés"));

    connect(menu_, &QMenu::aboutToShow, this, &QtTray::prepareMenu);
    connect(windowItem_, &QAction::triggered, this, &QtTray::windowToggleRequested);
    connect(todayItem_, &QAction::triggered, this, [this] { emit dayItemChosen(todayItem_->text()); });
    connect(tomorrowItem_, &QAction::triggered, this, [this] { emit dayItemChosen(tomorrowItem_->text()); });
    connect(search, &QAction::triggered, this, &QtTray::nameDaySearchChosen);
    connect(dayNames, &QAction::triggered, this, &QtTray::dayNamesChosen);
    connect(watchingItem_, &QAction::triggered, this, &QtTray::modeSwitchChosen);
    connect(newEvent, &QAction::triggered, this, &QtTray::newEventChosen);
    connect(sync, &QAction::triggered, this, &QtTray::syncChosen);
    connect(exit, &QAction::triggered, this, &QtTray::exitChosen);
    connect(icon_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        // A click toggles the window; a double-click runs the menu's default item, which does the same.
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            emit windowToggleRequested();
    });
    connect(icon_, &QSystemTrayIcon::messageClicked, this, &QtTray::windowToggleRequested);
    icon_->setContextMenu(menu_);
    icon_->setIcon(day_ > 0 ? dayIcon(day_) : appIcon());
    icon_->setToolTip(hint_);
}

QMenu* QtTray::menu() {
    build();
    return menu_;
}

QtTray::~QtTray() {
    delete menu_;
}

void QtTray::prepareMenu() {
    if (windowVisible) windowItem_->setChecked(windowVisible());
    if (watching) watchingItem_->setChecked(watching());
    if (dayCaption) {
        todayItem_->setText(dayCaption(false));
        tomorrowItem_->setText(dayCaption(true));
    }
}

void QtTray::setHint(const QString& hint) {
    // The notification area shows at most 127 characters.
    const QString shown = hint.left(127);
    if (shown == hint_) return;
    hint_ = shown;
    if (icon_) icon_->setToolTip(shown);
}

QString QtTray::hint() const {
    return hint_;
}

void QtTray::setDay(int day) {
    if (day == day_) return;
    day_ = day;
    if (icon_) icon_->setIcon(dayIcon(day));
}

void QtTray::showBalloon(const QString& title, const QString& text, int seconds) {
    // Asked for before the icon is shown, it waits for the icon.
    if (!icon_) {
        waitingBalloon_ = Balloon{title, text, seconds};
        return;
    }
    if (!isShown()) return;
    // Once the event loop runs: a tray embeds a new icon only then, and a balloon needs its place.
    QTimer::singleShot(500, this, [this, title, text, seconds] {
        icon_->showMessage(title.left(63), text.left(255), QSystemTrayIcon::Information, seconds * 1000);
    });
}

bool QtTray::isShown() const {
    return icon_ && icon_->isVisible() && QSystemTrayIcon::isSystemTrayAvailable();
}

void QtTray::show() {
    build();
    if (QSystemTrayIcon::isSystemTrayAvailable()) icon_->show();
    if (const std::optional<Balloon> b = std::exchange(waitingBalloon_, std::nullopt))
        showBalloon(b->title, b->text, b->seconds);
}

} // namespace zel::gui
