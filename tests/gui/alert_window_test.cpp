#include "core/partners/partner_record.h"
#include "core/text/cp1250.h"
#include "gui/alert/alert_window.h"
#include "gui/texts.h"
#include "support/recording_sound.h"
#include "support/scripted_dialogs.h"
#include "support/test_util.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QTest>
#include <QTextEdit>
#include <QWheelEvent>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::RecordingSound;
using zel::test::ScriptedDialogs;
using zel::test::TempDir;

namespace {

// Records what the window asks of the main window, one line per call.
class RecordingHost : public AlertHost {
  public:
    SoundChoice choice = SoundChoice::Default;
    QString ownFile;
    bool tray = false;
    ThemeColors colors = kThemeKekesZold;
    std::filesystem::path partners;
    bool mainHidden = false;
    QStringList calls;

    SoundChoice soundChoice() const override { return choice; }
    void selectDefaultSound() override {
        calls << QStringLiteral("selectDefaultSound");
        choice = SoundChoice::Default;
    }
    QString ownSoundFile() const override { return ownFile; }
    bool startInTray() const override { return tray; }
    ThemeColors themeColors() const override { return colors; }
    std::filesystem::path partnerFile() const override { return partners; }
    void editEvent(const QString& key) override { calls << QStringLiteral("editEvent ") + key; }
    void newEvent() override { calls << QStringLiteral("newEvent"); }
    void suspendWatching() override { calls << QStringLiteral("suspendWatching"); }
    void resetSummarySelection() override { calls << QStringLiteral("resetSummarySelection"); }
    bool mainWindowHidden() const override { return mainHidden; }
    void showMainWindow() override { calls << QStringLiteral("showMainWindow"); }
    void exitProgram() override { calls << QStringLiteral("exitProgram"); }
    void chooseSoundFile() override { calls << QStringLiteral("chooseSoundFile"); }
    void contactAction(ContactLine line, const QString& text) override {
        calls << QStringLiteral("contactAction %1 ").arg(static_cast<int>(line)) + text;
    }

    QStringList take() {
        QStringList out;
        out.swap(calls);
        return out;
    }
};

const QString kKey = QStringLiteral("2024.03.05.|9:05");

struct Alert {
    RecordingHost host;
    RecordingSound sound;
    ScriptedDialogs dialogs;
    AlertWindow w{host, sound, dialogs};

    template <class T> T* child(const char* name) {
        T* c = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QComboBox* cMuv() { return child<QComboBox>("actionList"); }
    QWidget* pNevnap() { return child<QWidget>("noticeLayer"); }
    QListWidget* names() { return child<QListWidget>("celebrantList"); }
    QListWidget* contacts() { return child<QListWidget>("celebrantContacts"); }

    void raise() {
        w.showAlert(QStringLiteral("Zelmoran ( Aktív mód )"), QStringLiteral("Fogorvos, 10 órakor"), kKey);
        sound.take();
        host.take();
    }
    void choose(int entry) {
        cMuv()->setCurrentIndex(entry);
        emit cMuv()->activated(entry);
    }
};

void mouseMove(QWidget* target, QPoint at, Qt::MouseButtons buttons = Qt::NoButton) {
    QMouseEvent e(QEvent::MouseMove, at, target->mapToGlobal(at), Qt::NoButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

void key(QWidget* target, int k) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

void click(QWidget* target) {
    const QPoint at(target->width() / 2, target->height() / 2);
    QMouseEvent press(QEvent::MouseButtonPress, at, target->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent release(QEvent::MouseButtonRelease, at, target->mapToGlobal(at), Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QApplication::sendEvent(target, &release);
}

QStringList items(const QListWidget* l) {
    QStringList out;
    for (int i = 0; i < l->count(); ++i)
        out << l->item(i)->text();
    return out;
}

QColor rgb(std::uint32_t bgr) {
    return QColor(int(bgr & 0xFF), int((bgr >> 8) & 0xFF), int((bgr >> 16) & 0xFF));
}

PartnerRecord partner(const char* name, const char* email, const char* web, const char* address,
                      const char* mobile, const char* phone) {
    PartnerRecord p;
    p.Name = utf8ToCp1250(name);
    p.Email = utf8ToCp1250(email);
    p.WebAddress = utf8ToCp1250(web);
    p.Address = utf8ToCp1250(address);
    p.Mobile = utf8ToCp1250(mobile);
    p.Phone = utf8ToCp1250(phone);
    return p;
}

} // namespace

TEST(AlertWindow, AnAlertShowsTheTextKeepsTheKeyAndLoopsTheDefaultSound) {
    Alert a;
    EXPECT_EQ(a.cMuv()->currentIndex(), 0);
    ASSERT_EQ(a.cMuv()->count(), 5);
    const QStringList entries = {QStringLiteral("Válasszon műveletet:"), QStringLiteral("Rendben"),
                                 QStringLiteral("Esemény szerkesztése"),
                                 QStringLiteral("Új esemény felvitele"),
                                 QStringLiteral("Zelmoran használatának felfüggesztése")};
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(a.cMuv()->itemText(i), entries[i]);
    EXPECT_EQ(a.w.size(), QSize(397, 125));

    a.host.choice = SoundChoice(0); // no choice made yet
    a.w.showAlert(QStringLiteral("Zelmoran ( Aktív mód )"), QStringLiteral("Fogorvos, 10 órakor"), kKey);
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("default loop")});
    EXPECT_EQ(a.host.take(), QStringList{QStringLiteral("selectDefaultSound")});
    EXPECT_EQ(a.host.choice, SoundChoice::Default);

    EXPECT_TRUE(a.w.isVisible());
    EXPECT_FALSE(a.w.isModal());
    EXPECT_TRUE(a.w.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(a.w.windowTitle(), QStringLiteral("Zelmoran ( Aktív mód )"));
    EXPECT_EQ(a.child<QTextEdit>("reminderDisplay")->toPlainText(), QStringLiteral("Fogorvos, 10 órakor"));
    EXPECT_TRUE(a.child<QTextEdit>("reminderDisplay")->isReadOnly());
    EXPECT_EQ(a.w.occurrenceKey(), kKey);
    EXPECT_TRUE(a.child<QTextEdit>("reminderDisplay")->toolTip().isEmpty());
    EXPECT_EQ(a.w.size(), QSize(382, 156));
    EXPECT_EQ(a.w.minimumSize(), a.w.maximumSize());
    EXPECT_TRUE(a.pNevnap()->isHidden());
    EXPECT_EQ(a.w.focusWidget(), a.cMuv());

    // A second alert reuses the window and replaces text and key.
    a.w.showAlert(QStringLiteral("Zelmoran ( Aktív mód )"), QStringLiteral("Posta"),
                  QStringLiteral("2024.03.05.|9:06"));
    EXPECT_EQ(a.child<QTextEdit>("reminderDisplay")->toPlainText(), QStringLiteral("Posta"));
    EXPECT_EQ(a.w.occurrenceKey(), QStringLiteral("2024.03.05.|9:06"));

    // Closing stops the sound.
    a.sound.take();
    a.w.close();
    EXPECT_FALSE(a.w.isVisible());
    EXPECT_TRUE(a.sound.take().contains(QStringLiteral("stop")));
}

TEST(AlertWindow, EachActionHidesTheAlertStopsTheSoundAndRunsItsWork) {
    const QStringList expected[] = {
        {},
        {QStringLiteral("resetSummarySelection")},
        {QStringLiteral("editEvent ") + kKey, QStringLiteral("resetSummarySelection")},
        {QStringLiteral("newEvent"), QStringLiteral("resetSummarySelection")},
        {QStringLiteral("suspendWatching"), QStringLiteral("resetSummarySelection")},
    };
    Alert a;
    for (int entry = 0; entry < 5; ++entry) {
        a.raise();
        a.choose(entry);
        EXPECT_FALSE(a.w.isVisible()) << entry;
        EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("stop")}) << entry;
        EXPECT_EQ(a.host.take(), expected[entry]) << entry;
        EXPECT_EQ(a.cMuv()->currentIndex(), entry);
    }
    // The same entry chosen again acts again.
    a.raise();
    a.choose(4);
    EXPECT_EQ(a.host.take(), expected[4]);
}

TEST(AlertWindow, BrowsingTheActionsWithKeysRunsNothingUntilEnter) {
    Alert a;
    a.raise();
    a.sound.take();
    QTest::keyClick(a.cMuv(), Qt::Key_Down);
    QTest::keyClick(a.cMuv(), Qt::Key_Down);
    QTest::keyClick(a.cMuv(), Qt::Key_Up);
    QTest::keyClick(a.cMuv(), Qt::Key_End);
    QTest::keyClick(a.cMuv(), Qt::Key_Home);
    QTest::keyClick(a.cMuv(), Qt::Key_PageDown);
    QTest::keyClicks(a.cMuv(), QStringLiteral("eR"));
    QWheelEvent wheel({5, 5}, a.cMuv()->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(a.cMuv(), &wheel);
    EXPECT_TRUE(a.w.isVisible());
    EXPECT_EQ(a.sound.take(), QStringList());
    EXPECT_EQ(a.host.take(), QStringList());
    EXPECT_EQ(a.cMuv()->currentIndex(), 1); // "e" found "Esemény szerkesztése", "R" then "Rendben"

    QTest::keyClick(a.cMuv(), Qt::Key_Down);
    QTest::keyClick(a.cMuv(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_FALSE(a.w.isVisible());
    EXPECT_EQ(a.host.take(),
              (QStringList{QStringLiteral("editEvent ") + kKey, QStringLiteral("resetSummarySelection")}));
}

TEST(AlertWindow, MovingTheMouseOverTheTitleOrTheWindowSilencesIt) {
    Alert a;
    a.raise();
    mouseMove(a.child<QLabel>("alertTitle"), {5, 5});
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("stop")});
    mouseMove(&a.w, {a.w.width() - 4, a.w.height() - 4});
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("stop")});
    EXPECT_TRUE(a.w.isVisible());

    mouseMove(a.child<QTextEdit>("reminderDisplay")->viewport(), {20, 20});
    mouseMove(a.cMuv(), {20, 10});
    mouseMove(a.child<QFrame>("displayFrame"), {1, 1});
    mouseMove(a.child<QFrame>("displayFrame"), {1, 1}, Qt::LeftButton); // handed up to the window
    EXPECT_TRUE(a.sound.take().isEmpty());
    EXPECT_TRUE(a.host.take().isEmpty());

    a.w.prepareNotice({QStringLiteral("Minta Anna  Névnapja: 03.05.")}, true, true, false);
    mouseMove(a.names()->viewport(), {10, 5});
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("stop")});
    mouseMove(a.contacts()->viewport(), {10, 5});
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("stop")});
    mouseMove(a.pNevnap(), {200, 135}); // between the buttons
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("stop")});
    mouseMove(a.child<QLabel>("celebrantsLabel"), {2, 2});
    mouseMove(a.child<QLabel>("contactsLabel"), {2, 2});
    mouseMove(a.child<QWidget>("backButton"), {5, 5});
    mouseMove(a.child<QWidget>("exitButton"), {5, 5}, Qt::LeftButton);
    EXPECT_TRUE(a.sound.take().isEmpty());
}

TEST(AlertWindow, PlayFollowsTheSoundChoice) {
    TempDir dir;
    const QString own = QString::fromStdString((dir.path() / "csengo.wav").string());
    Alert a;

    a.w.play(AlertWindow::PlayMode::Stop);
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("stop")});

    a.w.play(AlertWindow::PlayMode::Preview);
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("default once")});
    EXPECT_EQ(a.host.take(), QStringList{QStringLiteral("selectDefaultSound")});

    a.host.choice = SoundChoice::None;
    a.w.play(AlertWindow::PlayMode::Alarm);
    a.w.play(AlertWindow::PlayMode::Preview);
    EXPECT_TRUE(a.sound.take().isEmpty());
    EXPECT_TRUE(a.host.take().isEmpty());

    // A missing own file: silence, no message, no fallback to the default sound.
    a.host.choice = SoundChoice::File;
    a.host.ownFile = own;
    a.w.play(AlertWindow::PlayMode::Alarm);
    a.w.play(AlertWindow::PlayMode::Preview);
    a.host.ownFile.clear();
    a.w.play(AlertWindow::PlayMode::Alarm);
    EXPECT_TRUE(a.sound.take().isEmpty());
    EXPECT_TRUE(a.host.take().isEmpty());
    EXPECT_TRUE(a.dialogs.boxes.empty());

    zel::test::writeFile(dir.path() / "csengo.wav", "RIFF");
    a.host.ownFile = own;
    a.w.play(AlertWindow::PlayMode::Alarm);
    a.w.play(AlertWindow::PlayMode::Preview);
    EXPECT_EQ(a.sound.take(), (QStringList{QStringLiteral("file ") + own + QStringLiteral(" loop"),
                                           QStringLiteral("file ") + own + QStringLiteral(" loop")}));
    EXPECT_EQ(a.host.choice, SoundChoice::File);
}

TEST(AlertWindow, PreviewOfAMissingFileOffersAnotherOne) {
    TempDir dir;
    const QString there = QString::fromStdString((dir.path() / "van.wav").string());
    const QString missing = QString::fromStdString((dir.path() / "nincs.wav").string());
    zel::test::writeFile(dir.path() / "van.wav", "RIFF");
    Alert a;

    a.w.previewFile(QString());
    a.w.previewFile(there);
    EXPECT_EQ(a.sound.take(), QStringList{QStringLiteral("file ") + there + QStringLiteral(" once")});
    EXPECT_TRUE(a.dialogs.boxes.empty());

    a.dialogs.answers = {Dialogs::No, Dialogs::Yes};
    a.w.previewFile(missing);
    EXPECT_TRUE(a.host.take().isEmpty());
    a.w.previewFile(missing);
    EXPECT_EQ(a.host.take(), QStringList{QStringLiteral("chooseSoundFile")});
    EXPECT_TRUE(a.sound.take().isEmpty());
    ASSERT_EQ(a.dialogs.boxes.size(), 2u);
    const auto& box = a.dialogs.boxes[0];
    EXPECT_EQ(box.kind, Dialogs::Kind::Warning);
    EXPECT_EQ(box.caption, QStringLiteral("Figyelem!"));
    EXPECT_EQ(box.text, QStringLiteral("A lejátszandó állomány nem található!") + kNl + missing + kNl + kNl +
                            QStringLiteral("Szeretne megadni egy másik hangállományt?"));
    EXPECT_EQ(box.buttons, Dialogs::Yes | Dialogs::No);
}

TEST(AlertWindow, TheNoticeLooksUpTheSelectedCelebrantInThePartnerFile) {
    TempDir dir;
    const auto file = dir.path() / "partnerek.dat";
    zel::test::writeFile(
        file, encodePartner(makerCard()) +
                  encodePartner(partner("Minta Anna", "anna@example.hu", "anna.example.hu",
                                        "Győr, Fő utca 1.", "+36 30 123 4567", "96/123-456")) +
                  encodePartner(partner("Kovács Béla", "bela@example.hu", "", "Pécs", "", "72/111-222")) +
                  encodePartner(partner("Minta", "rossz@example.hu", "", "", "", "")));
    Alert a;
    a.host.partners = file;
    const QStringList lines = {
        QStringLiteral("Minta Anna  Névnapja: 03.05."), QStringLiteral("Kovács Béla  Születésnapja: 03.06."),
        QStringLiteral("Törölt Tódor  Névnapja: 03.07."), QStringLiteral("kovács béla  Névnapja: 03.08."),
        QStringLiteral("Minta  Névnapja: 03.09.")};
    a.w.prepareNotice(lines, true, true, false);
    EXPECT_EQ(a.w.windowTitle(), QStringLiteral("Zelmoran - Név-, illetve születésnap emlékeztető"));
    EXPECT_EQ(a.w.size(), QSize(405, 153));
    EXPECT_FALSE(a.pNevnap()->isHidden());
    EXPECT_FALSE(a.child<QWidget>("backButton")->isHidden());
    EXPECT_FALSE(a.child<QWidget>("exitButton")->isHidden());
    EXPECT_TRUE(a.child<QWidget>("closeNoticeButton")->isHidden());
    EXPECT_EQ(items(a.names()), lines);

    a.w.show();
    EXPECT_EQ(a.names()->currentRow(), 0);
    EXPECT_EQ(a.w.focusWidget(), a.names());
    EXPECT_EQ(items(a.contacts()),
              (QStringList{QStringLiteral("anna@example.hu"), QStringLiteral("anna.example.hu"),
                           QStringLiteral("Győr, Fő utca 1."), QStringLiteral("+36 30 123 4567"),
                           QStringLiteral("96/123-456")}));
    EXPECT_EQ(a.names()->toolTip(), lines[0]);
    EXPECT_EQ(a.child<QLabel>("closeNoticeButton")->text(), QStringLiteral("Belépés a programba"));

    // Contact line hints.
    a.contacts()->setCurrentRow(2);
    EXPECT_EQ(a.contacts()->toolTip(), QStringLiteral("Postai cím: Győr, Fő utca 1."));
    a.contacts()->setCurrentRow(0);
    EXPECT_EQ(a.contacts()->toolTip(), QStringLiteral("E-mail cím: anna@example.hu"));
    a.contacts()->setCurrentRow(4);
    EXPECT_EQ(a.contacts()->toolTip(), QStringLiteral("Vezetékes telefonszám: 96/123-456"));

    // An accented name matches byte for byte; an empty field is an empty line without a hint.
    a.names()->setCurrentRow(1);
    EXPECT_TRUE(a.contacts()->toolTip().isEmpty());
    EXPECT_EQ(items(a.contacts()),
              (QStringList{QStringLiteral("bela@example.hu"), QString(), QStringLiteral("Pécs"), QString(),
                           QStringLiteral("72/111-222")}));
    a.contacts()->setCurrentRow(1);
    EXPECT_TRUE(a.contacts()->toolTip().isEmpty());
    a.contacts()->setCurrentRow(4);
    EXPECT_EQ(a.contacts()->toolTip(), QStringLiteral("Vezetékes telefonszám: 72/111-222"));
    a.contacts()->setCurrentRow(3);
    EXPECT_TRUE(a.contacts()->toolTip().isEmpty());
    EXPECT_EQ(a.names()->toolTip(), lines[1]);

    // A deleted partner and a name in other case give an empty list.
    a.names()->setCurrentRow(2);
    EXPECT_TRUE(items(a.contacts()).isEmpty());
    a.names()->setCurrentRow(1);
    a.names()->setCurrentRow(3);
    EXPECT_TRUE(items(a.contacts()).isEmpty());
    a.names()->setCurrentRow(4);
    EXPECT_EQ(items(a.contacts()).value(0), QStringLiteral("rossz@example.hu"));

    // A partner file that does not open leaves the contact list as it was; the hint still follows.
    a.names()->setCurrentRow(1);
    a.host.partners = dir.path() / "nincs.dat";
    a.names()->setCurrentRow(0);
    EXPECT_EQ(items(a.contacts()).size(), 5);
    EXPECT_EQ(items(a.contacts())[0], QStringLiteral("bela@example.hu"));
    EXPECT_EQ(a.names()->toolTip(), lines[0]);

    // Tray start: the close button hides instead of entering.
    a.host.tray = true;
    a.w.hide();
    a.w.show();
    EXPECT_EQ(a.child<QLabel>("closeNoticeButton")->text(), QStringLiteral("Ablak elrejtése"));
}

TEST(AlertWindow, NoticeButtonsKeysAndContactActions) {
    TempDir dir;
    const auto file = dir.path() / "partnerek.dat";
    zel::test::writeFile(file, encodePartner(partner("Minta Anna", "", "anna.example.hu", "", "", "")));
    Alert a;
    a.host.partners = file;
    const QStringList lines = {QStringLiteral("Minta Anna  Névnapja: 03.05.")};

    // A double click with no contact line selected does nothing; on an empty line it still acts.
    a.w.prepareNotice(lines, false, false, true);
    a.w.show();
    a.host.take();
    a.w.runContactLine();
    EXPECT_TRUE(a.host.take().isEmpty());
    a.contacts()->setCurrentRow(0);
    QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(10, 5),
                    a.contacts()->viewport()->mapToGlobal(QPointF(10, 5)), Qt::LeftButton, Qt::LeftButton,
                    Qt::NoModifier);
    QApplication::sendEvent(a.contacts()->viewport(), &dbl);
    a.contacts()->setCurrentRow(1);
    a.w.runContactLine();
    EXPECT_EQ(a.host.take(), (QStringList{QStringLiteral("contactAction 0 "),
                                          QStringLiteral("contactAction 1 anna.example.hu")}));

    // Esc exits even when the exit button is not shown.
    a.sound.take();
    key(a.names(), Qt::Key_Escape);
    EXPECT_FALSE(a.w.isVisible());
    EXPECT_EQ(a.host.take(), QStringList{QStringLiteral("exitProgram")});
    EXPECT_TRUE(a.sound.take().contains(QStringLiteral("stop")));

    a.w.show();
    key(a.contacts(), Qt::Key_Return);
    EXPECT_EQ(a.host.take(), QStringList{QStringLiteral("exitProgram")});
    a.w.show();
    key(&a.w, Qt::Key_Enter);
    EXPECT_EQ(a.host.take(), QStringList{QStringLiteral("exitProgram")});

    // The buttons.
    a.w.show();
    click(a.child<QWidget>("closeNoticeButton"));
    EXPECT_FALSE(a.w.isVisible());
    EXPECT_TRUE(a.host.take().isEmpty());
    a.w.show();
    a.host.mainHidden = false;
    click(a.child<QWidget>("backButton"));
    EXPECT_TRUE(a.host.take().isEmpty());
    a.w.show();
    a.host.mainHidden = true;
    a.w.backToProgram();
    EXPECT_EQ(a.host.take(), QStringList{QStringLiteral("showMainWindow")});
    a.w.show();
    click(a.child<QWidget>("exitButton"));
    EXPECT_FALSE(a.w.isVisible());
    EXPECT_EQ(a.host.take(), QStringList{QStringLiteral("exitProgram")});

    // In an alert Esc and Enter pass on and close nothing.
    a.raise();
    key(a.cMuv(), Qt::Key_Escape);
    key(&a.w, Qt::Key_Return);
    EXPECT_TRUE(a.w.isVisible());
    EXPECT_TRUE(a.host.take().isEmpty());
}

TEST(AlertWindow, ThemeColoursAreReadEachTimeItIsShown) {
    Alert a;
    a.host.colors = kThemeBolondos;
    a.raise();
    const auto& t = kThemeBolondos;
    EXPECT_EQ(a.w.palette().color(QPalette::Window), rgb(t[0]));
    EXPECT_EQ(a.w.palette().color(QPalette::Window), QColor(0xB5, 0x17, 0x76));
    for (const char* label : {"alertTitle", "celebrantsLabel", "contactsLabel"})
        EXPECT_EQ(a.child<QLabel>(label)->palette().color(QPalette::WindowText), rgb(t[1])) << label;
    for (const char* panel : {"backButton", "exitButton", "closeNoticeButton"}) {
        EXPECT_EQ(a.child<QWidget>(panel)->palette().color(QPalette::WindowText), rgb(t[1])) << panel;
        EXPECT_EQ(a.child<QWidget>(panel)->palette().color(QPalette::Window), rgb(t[2])) << panel;
    }
    for (QWidget* w : {static_cast<QWidget*>(a.names()), static_cast<QWidget*>(a.contacts()),
                       static_cast<QWidget*>(a.cMuv())}) {
        EXPECT_EQ(w->palette().color(QPalette::Base), rgb(t[2])) << w->objectName().toStdString();
        EXPECT_EQ(w->palette().color(QPalette::Text), rgb(t[3])) << w->objectName().toStdString();
    }
    auto* display = a.child<QTextEdit>("reminderDisplay");
    EXPECT_EQ(display->palette().color(QPalette::Base), rgb(t[2]));
    EXPECT_EQ(display->palette().color(QPalette::Text), rgb(t[4]));

    // A change while it is open waits for the next show.
    a.host.colors = kThemeFeketeFeher;
    a.raise();
    EXPECT_EQ(a.w.palette().color(QPalette::Window), rgb(t[0]));
    a.w.hide();
    a.raise();
    EXPECT_EQ(a.w.palette().color(QPalette::Window), QColor(0x7E, 0x7E, 0x7E));
    EXPECT_EQ(display->palette().color(QPalette::Text), rgb(kThemeFeketeFeher[4]));
}
