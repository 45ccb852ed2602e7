#pragma once

#include "gui/alert/alert_host.h"
#include "gui/platform/dialogs.h"
#include "gui/platform/sound.h"

#include <QDialog>
#include <QSet>
#include <QString>
#include <QStringList>

class QComboBox;
class QFrame;
class QKeyEvent;
class QLabel;
class QListWidget;
class QTextEdit;

namespace zel::gui {

class ClickPanel;

// The alert window: an event alert with the reminder's text and an action list, or, with `pNevnap`
// shown, the notice of the coming name days and birthdays. It also owns the alert sound.
class TfAkcio : public QDialog {
    Q_OBJECT

  public:
    TfAkcio(AlertHost& host, Sound& sound, Dialogs& dialogs, QWidget* parent = nullptr);

    // The event alert's part of firing a reminder: sound, show, caption, text, key, size, focus.
    void showAlert(const QString& caption, const QString& text, const QString& occurrenceKey);
    // Fills the notice; the caller then plays the sound if asked and runs exec().
    void prepareNotice(const QStringList& lines, bool showBack, bool showExit, bool showClose);

    // 0 stops; 1 the looping alarm; 2 the default sound once, as a preview.
    void Play(int mode);
    // Plays a user sound file once, as a preview.
    void TestPlay(const QString& file);

    void cMuvChange();
    void lNevSzulNaposokClick();
    void lUnnepeltElerClick();
    void lUnnepeltElerDblClick();
    void pVisszaClick();
    void Panel2Click();
    void Panel5Click();
    // Returns whether the key was consumed.
    bool FormKeyDown(int key);
    void Panel2MouseMove();

    // The occurrence key of the alert, kept as the display's never-shown hint.
    QString occurrenceKey() const { return occurrenceKey_; }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

  private:
    void buildWindow();
    void buildNoticeLayer();
    void FormShow();
    void applyColors();
    void centreOnScreen();
    // Keys on the closed action list; true when taken.
    bool browseActions(QKeyEvent* key);
    void openerSize(int width, int height);

    AlertHost& host_;
    Sound& sound_;
    Dialogs& dialogs_;
    QString occurrenceKey_;
    // Widgets whose mouse moves silence the alarm.
    QSet<QWidget*> silencing_;
    int rowAtPress_ = -1;

    QLabel* Label1_ = nullptr;
    QFrame* Panel1_ = nullptr;
    QTextEdit* mKijelzo_ = nullptr;
    QComboBox* cMuv_ = nullptr;
    QFrame* pNevnap_ = nullptr;
    QLabel* Label3_ = nullptr;
    QLabel* Label4_ = nullptr;
    QListWidget* lNevSzulNaposok_ = nullptr;
    QListWidget* lUnnepeltEler_ = nullptr;
    ClickPanel* pVissza_ = nullptr;
    ClickPanel* Panel5_ = nullptr;
    ClickPanel* Panel2_ = nullptr;
};

} // namespace zel::gui
