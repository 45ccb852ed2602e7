#pragma once

#include "gui/state/watch.h"

#include <QDialog>
#include <vector>

class QLabel;
class QPushButton;
class QTreeWidget;

namespace zel::gui {

// "Elmulasztott emlékeztetők": the reminders and program launches whose minute passed while nobody
// watched, one line each, in one window however many looks found them; "Bezár" empties it.
class MissedWindow : public QDialog {
    Q_OBJECT

  public:
    explicit MissedWindow(QWidget* parent = nullptr);
    // A clock set years back and then right again could bring tens of thousands: the list keeps
    // this many and counts the rest.
    static constexpr int kMaxLines = 500;

    // Adds the events below those already listed and shows the window in front.
    void add(const std::vector<MissedEvent>& events);
    // Brought forward from its desktop notice, with the compositor's token.
    void bringForward(const QString& activationToken, bool onWayland);
    // The lines as shown, their cells joined by " | ", for the tests and the desktop notice.
    QStringList lines() const;
    // Every event it was given since it was last emptied, listed or only counted.
    int count() const;

  private:
    void empty();

    QLabel* intro_;
    QTreeWidget* list_;
    QLabel* launchNote_;
    QLabel* overflowNote_;
    // Lines past the list's room, counted only.
    std::size_t overflow_ = 0;
    QPushButton* closeButton_;
};

} // namespace zel::gui
