#pragma once

#include "gui/platform/contact_action.h"
#include "gui/platform/dialogs.h"
#include "gui/platform/sound.h"

#include <QDialog>
#include <QSet>
#include <QString>
#include <QStringList>
#include <memory>

class QKeyEvent;

namespace Ui {
class AlertWindow;
}

namespace zel::gui {

class AppState;

// The alert's action list, entry by entry; Closed is an alert that left the screen otherwise.
enum class AlertAction { Closed = -1, Prompt, Acknowledge, EditEvent, NewEvent, SuspendWatching };

// The alert window: an event alert with the reminder's text and an action list, or, with the notice layer
// shown, the notice of the coming name days and birthdays. It also owns the alert sound.
class AlertWindow : public QDialog {
    Q_OBJECT

  public:
    // Reads the sound, the colours and the celebrants' contacts from the state; asks for the rest.
    AlertWindow(const AppState& state, Sound& sound, Dialogs& dialogs, QWidget* parent = nullptr);
    ~AlertWindow() override;

    // The event alert's part of firing a reminder: sound, show, caption, text, key, size, focus.
    void showAlert(const QString& caption, const QString& text, const QString& occurrenceKey);
    // Another reminder of the same minute while this one waits: one alert shows them all, and its key
    // stays the first one's.
    void addToAlert(const QString& text);
    QString displayedText() const;
    // Fills the notice; the caller then plays the sound if asked and runs exec().
    void prepareNotice(const QStringList& lines, bool showBack, bool showExit, bool showClose);

    enum class PlayMode { Stop, Alarm, Preview };
    // Stops; starts the looping alarm; or plays the default sound once, as a preview.
    void play(PlayMode mode);
    // Plays a user sound file once, as a preview.
    void previewFile(const QString& file);

    void runChosenAction();
    void showCelebrantContacts();
    void showContactHint();
    void runContactLine();
    void backToProgram();
    void closeNotice();
    void exitFromNotice();
    // Returns whether the key was consumed.
    bool noticeKey(int key);
    void silence();

    // The occurrence key of the alert, kept as the display's never-shown hint.
    QString occurrenceKey() const { return occurrenceKey_; }
    // Whether an event alert (not the notice) is on screen, waiting to be answered.
    bool alertShown() const;
    // Brings the alert on screen in front again, e.g. from its desktop notification; it stays
    // unanswered and keeps sounding.
    void bringForward(const QString& activationToken, bool onWayland);

  signals:
    // An event alert left the screen by `action`; sent after that action's work, from the event loop.
    void alertEnded(zel::gui::AlertAction action);
    // What the alert's actions ask of the program.
    // "Esemény szerkesztése": the event with this occurrence key ("2024.03.05.|9:05") in the listing.
    void editEventRequested(const QString& occurrenceKey);
    // "Új esemény felvitele": the main window on the new-event tab.
    void newEventRequested();
    // The suspend action: the tray menu's "Események figyelése".
    void suspendWatchingRequested();
    // Any action but the prompt: the nearest-events box goes back to its first line.
    void answered();
    // The sound played is the default one, which the settings have not chosen yet.
    void defaultSoundSelected();
    // The preview of a missing own sound file asks for another.
    void soundFileRequested();
    void contactActionRequested(zel::gui::ContactLine line, const QString& text);
    // The notice's way back into the program, which shows a hidden main window.
    void backToProgramRequested();
    void exitRequested();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void connectControls();
    void onShown();
    void centreOnScreen();
    // Keys on the closed action list; true when taken.
    bool browseActions(QKeyEvent* key);
    void openerSize(int width, int height);
    void runAction(AlertAction action);

    const AppState& state_;
    Sound& sound_;
    Dialogs& dialogs_;
    QString occurrenceKey_;
    // Widgets whose mouse moves silence the alarm.
    QSet<QWidget*> silencing_;
    int rowAtPress_ = -1;
    // The action that is ending the alert on screen, for alertEnded.
    AlertAction ending_ = AlertAction::Closed;
    // Taken off the screen only to be put back in front: nothing is answered, nothing stops.
    bool remapping_ = false;

    std::unique_ptr<Ui::AlertWindow> ui_;
};

} // namespace zel::gui
