#pragma once

#include "core/events/event_record.h"

#include <QComboBox>
#include <optional>
#include <string>
#include <vector>

namespace zel::gui {

class AppState;

// The nearest-events box: one line per kind's next event, the first shown while closed. It fills its
// lines when it drops down and is left alone while it is open; a line chosen from the open list asks
// for its event in the listing.
class SummaryBox : public QComboBox {
    Q_OBJECT

  public:
    explicit SummaryBox(QWidget* parent = nullptr);
    // Follows the state's next rows from now on.
    void attach(const AppState& state);

    const std::vector<std::string>& lines() const { return lines_; }
    bool isDropped() const { return dropped_; }
    // Back on the first line, as after every second of active mode and every answered alert.
    void resetSelection();
    // After a new event: the first line as it stands now.
    void showFirstLine();
    void rebuild();

    void showPopup() override;
    void hidePopup() override;

  signals:
    // A line was chosen: its kind, date and time texts.
    void eventChosen(std::optional<zel::EventKind> kind, const QString& date, const QString& time);

  protected:
    // Only a line chosen from the open list opens its event: the closed box would open one for every
    // key typed or wheel turn.
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void choose();

    const AppState* state_ = nullptr;
    std::vector<std::string> lines_;
    bool dropped_ = false;
    bool stale_ = false;
};

} // namespace zel::gui
