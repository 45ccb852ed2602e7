#include "gui/text/qt_text.h"
#include "support/app_fixture.h"

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;
using zel::test::items;
using Kind = Dialogs::Kind;

namespace {

// The state the window reads, and what it asks of the program, one line per request.
struct RecordingHost {
    test::TempDir dir;
    test::SettableClock clock{Moment::at(2024, 3, 5, 9, 5, 0)};
    AppState state{AppPaths{dir.path()}, clock};
    QStringList calls;

    std::filesystem::path partners() const { return dir.path() / "Data" / "partnerek.dat"; }
    template <class F> void set(F&& change) {
        Settings s = state.settings();
        change(s);
        state.setSettings(s);
    }
    void listen(AlertWindow& w) {
        const auto record = [this, &w](auto signal, QString line) {
            QObject::connect(&w, signal, [this, line] { calls << line; });
        };
        record(&AlertWindow::defaultSoundSelected, u"selectDefaultSound"_s);
        record(&AlertWindow::soundFileRequested, u"chooseSoundFile"_s);
        record(&AlertWindow::newEventRequested, u"newEvent"_s);
        record(&AlertWindow::suspendWatchingRequested, u"suspendWatching"_s);
        record(&AlertWindow::answered, u"reset"_s);
        record(&AlertWindow::backToProgramRequested, u"backToProgram"_s);
        record(&AlertWindow::exitRequested, u"exitProgram"_s);
        QObject::connect(&w, &AlertWindow::editEventRequested,
                         [this](const QString& key) { calls << u"editEvent "_s + key; });
        QObject::connect(&w, &AlertWindow::contactActionRequested,
                         [this](ContactLine line, const QString& text) {
                             calls << u"contactAction %1 "_s.arg(static_cast<int>(line)) + text;
                         });
    }
    QStringList take() { return std::exchange(calls, {}); }
};

const QString kKey = u"2024.03.05.|9:05"_s;
const QStringList kStop{u"stop"_s};

struct Alert {
    RecordingHost host;
    test::RecordingSound sound;
    test::ScriptedDialogs dialogs;
    AlertWindow w{host.state, sound, dialogs};
    Alert() { host.listen(w); }
    template <class T = QWidget> T* get(const char* name) { return test::child<T>(&w, name); }
    QComboBox* actions() { return get<QComboBox>("actionList"); }
    QListWidget* names() { return get<QListWidget>("celebrantList"); }
    QListWidget* contacts() { return get<QListWidget>("celebrantContacts"); }
    QString text() { return get<QTextEdit>("reminderDisplay")->toPlainText(); }
    void raise(const QString& text = u"Fogorvos, 10 órakor"_s, const QString& key = kKey) {
        w.showAlert(u"Zelmoran ( Aktív mód )"_s, text, key);
    }
    void raiseQuietly() {
        raise();
        sound.take();
        host.take();
    }
};

void key(QWidget* target, int k) {
    QKeyEvent e(QEvent::KeyPress, k, Qt::NoModifier);
    QApplication::sendEvent(target, &e);
}

// A left click in the middle, also on a panel that is not shown.
void click(QWidget* target) {
    const QPointF at(target->width() / 2, target->height() / 2);
    for (auto [type, buttons] : {std::pair{QEvent::MouseButtonPress, Qt::LeftButton},
                                 std::pair{QEvent::MouseButtonRelease, Qt::NoButton}}) {
        QMouseEvent e(type, at, target->mapToGlobal(at), Qt::LeftButton, buttons, Qt::NoModifier);
        QApplication::sendEvent(target, &e);
    }
}

} // namespace

TEST(GuiAlertWindow, BrowsingTheActionsWithKeysRunsNothingUntilEnter) {
    Alert a;
    a.raiseQuietly();
    for (auto k : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_End, Qt::Key_Home, Qt::Key_PageDown})
        QTest::keyClick(a.actions(), k);
    QTest::keyClicks(a.actions(), u"eR"_s);
    QWheelEvent wheel({5, 5}, a.actions()->mapToGlobal(QPointF(5, 5)), {}, {0, -120}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(a.actions(), &wheel);
    EXPECT_TRUE(a.w.isVisible() && a.sound.take().isEmpty() && a.host.take().isEmpty());
    EXPECT_EQ(a.actions()->currentIndex(), 1); // "e" found "Esemény szerkesztése", "R" then "Rendben"
    QTest::keyClick(a.actions(), Qt::Key_Down);
    QTest::keyClick(a.actions(), Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(!a.w.isVisible() && a.host.take() == QStringList({u"editEvent "_s + kKey, u"reset"_s}));
    // Esc only acknowledges, from the list or elsewhere in the window, whatever entry the keys passed over.
    for (QWidget* target :
         {static_cast<QWidget*>(a.actions()), a.get("reminderDisplay"), static_cast<QWidget*>(&a.w)}) {
        a.raiseQuietly();
        QTest::keyClick(a.actions(), Qt::Key_End);
        key(target, Qt::Key_Escape);
        EXPECT_TRUE(!a.w.isVisible() && a.host.take() == QStringList{u"reset"_s})
            << target->objectName().toStdString();
    }
}

TEST(GuiAlertWindow, AnAlertLoopsTheSoundEachActionStopsItAndRunsItsWorkAndTheNextStartsOnThePrompt) {
    Alert a;
    QList<AlertAction> ended;
    QObject::connect(&a.w, &AlertWindow::alertEnded, [&](AlertAction action) { ended << action; });
    a.host.set([](Settings& s) { s.sound = SoundChoice(0); }); // no choice made yet
    a.raise();
    EXPECT_EQ(a.sound.take(), QStringList{u"default loop"_s});
    EXPECT_EQ(a.host.take(), QStringList{u"selectDefaultSound"_s});
    EXPECT_TRUE(a.w.isVisible() && !a.w.isModal() && (a.w.windowFlags() & Qt::WindowStaysOnTopHint));
    EXPECT_EQ(a.w.windowTitle() + u'|' + a.text() + u'|' + a.w.occurrenceKey(),
              u"Zelmoran ( Aktív mód )|Fogorvos, 10 órakor|"_s + kKey);
    EXPECT_EQ(a.w.focusWidget(), a.actions());
    // Each entry in turn answers an alert (the prompt by the mouse, the others from the keyboard): the
    // window hides, the sound stops and the entry's work runs. The next alert, in the same window with
    // a new text and key, starts on the prompt, where Enter only acknowledges.
    const QStringList work[] = {{},
                                {u"reset"_s},
                                {u"editEvent "_s + kKey, u"reset"_s},
                                {u"newEvent"_s, u"reset"_s},
                                {u"suspendWatching"_s, u"reset"_s}};
    for (int entry = 0; entry <= 4; ++entry) {
        if (entry == 0) {
            emit a.actions()->activated(0);
        } else {
            for (int i = 0; i < entry; ++i)
                QTest::keyClick(a.actions(), Qt::Key_Down);
            QTest::keyClick(a.actions(), Qt::Key_Return);
        }
        EXPECT_FALSE(a.w.isVisible()) << entry;
        EXPECT_EQ(a.sound.take(), kStop) << entry;
        EXPECT_EQ(a.host.take(), work[entry]) << entry;
        a.raise(u"Posta"_s, u"2024.03.05.|9:06"_s);
        EXPECT_EQ(a.actions()->currentIndex(), 0) << entry;
        EXPECT_EQ(a.actions()->currentText(), u"Válasszon műveletet:"_s);
        QTest::keyClick(a.actions(), Qt::Key_Return);
        EXPECT_FALSE(a.w.isVisible()) << entry;
        EXPECT_EQ(a.sound.take(), (QStringList{u"default loop"_s, u"stop"_s})) << entry;
        EXPECT_EQ(a.host.take(), (QStringList{u"selectDefaultSound"_s, u"reset"_s})) << entry;
        a.raiseQuietly();
    }
    QTest::keyClick(a.actions(), Qt::Key_End);
    a.w.close();
    EXPECT_EQ(a.sound.take() + a.host.take(), kStop + kStop); // closed and hidden
    // A notice also starts its window's list on the prompt, and its end is no alert's.
    a.w.prepareNotice({u"Minta Anna  Névnapja: 03.05."_s}, false, false, true);
    EXPECT_EQ(a.actions()->currentIndex(), 0);
    a.w.show();
    a.w.closeNotice();
    // Each alert's end is told once, after its work, with the entry that ended it.
    QCoreApplication::processEvents();
    using enum AlertAction;
    EXPECT_EQ(ended,
              (QList<AlertAction>{Prompt, Acknowledge, Acknowledge, Acknowledge, EditEvent, Acknowledge,
                                  NewEvent, Acknowledge, SuspendWatching, Acknowledge, Closed}));
}

TEST(GuiAlertWindow, TheSoundFollowsTheChoiceAndAMissingFilesPreviewOffersAnother) {
    test::TempDir dir;
    const QString own = test::q(dir.path() / "csengo.wav"), missing = own + u"x"_s;
    Alert a;
    a.w.play(AlertWindow::PlayMode::Preview);
    a.host.set([](Settings& s) { s.sound = SoundChoice::None; });
    a.w.play(AlertWindow::PlayMode::Alarm);
    // A missing own file: silence, no message, no fallback to the default sound.
    a.host.set([](Settings& s) { s.sound = SoundChoice::File; });
    for (const QString& file : {own, QString()}) {
        a.host.set([&](Settings& s) { s.soundFile = zel::gui::toCp(file); });
        a.w.play(AlertWindow::PlayMode::Alarm);
    }
    zel::test::writeFile(dir.path() / "csengo.wav", "RIFF");
    a.host.set([&](Settings& s) { s.soundFile = zel::gui::toCp(own); });
    a.w.play(AlertWindow::PlayMode::Preview); // the own file loops in the preview too
    a.w.previewFile(QString());
    a.w.previewFile(own);
    const QString question = u"A lejátszandó állomány nem található!\n"_s + missing +
                             u"\n\nSzeretne megadni egy másik hangállományt?"_s;
    a.dialogs.expect(Kind::Warning, question, Dialogs::No, Dialogs::Yes | Dialogs::No);
    a.dialogs.expect(Kind::Warning, question, Dialogs::Yes);
    a.w.previewFile(missing);
    a.w.previewFile(missing);
    EXPECT_EQ(a.sound.take(),
              (QStringList{u"default once"_s, u"file "_s + own + u" loop"_s, u"file "_s + own + u" once"_s}));
    EXPECT_EQ(a.host.take(), (QStringList{u"selectDefaultSound"_s, u"chooseSoundFile"_s}));
}

TEST(GuiAlertWindow, TheNoticeLooksUpTheSelectedCelebrantAndItsKeysAndButtonsLeave) {
    Alert a;
    std::filesystem::create_directories(a.host.partners().parent_path());
    zel::test::writeFile(
        a.host.partners(),
        test::partnerBytes(
            {makerCard(),
             {test::cp("Minta Anna"), test::cp("Győr"), "anna.example.hu", "", "", "96/1", ""},
             {test::cp("Kovács Béla"), test::cp("Pécs"), "", "bela@example.hu", "", "72/1", ""},
             test::partner("Minta", "rossz@example.hu")}));
    const QStringList lines = {u"Minta Anna  Névnapja: 03.05."_s, u"Kovács Béla  Születésnapja: 03.06."_s,
                               u"Törölt Tódor  Névnapja: 03.07."_s, u"kovács béla  Névnapja: 03.08."_s,
                               u"Minta  Névnapja: 03.09."_s};
    a.w.prepareNotice(lines, false, false, true);
    EXPECT_EQ(a.w.windowTitle(), u"Zelmoran - Név-, illetve születésnap emlékeztető"_s);
    EXPECT_EQ(items(a.names()), lines);
    a.w.show();
    EXPECT_EQ(a.w.focusWidget(), a.names());
    EXPECT_EQ(items(a.contacts()).join(u'|'), u"|anna.example.hu|Győr||96/1"_s);
    EXPECT_EQ(a.get<QLabel>("closeNoticeButton")->text(), u"Belépés a programba"_s);
    // A double click with no contact line selected does nothing; on an empty line it still acts.
    a.w.runContactLine();
    a.contacts()->setCurrentRow(0);
    QTest::mouseDClick(a.contacts()->viewport(), Qt::LeftButton, {}, {10, 5});
    a.contacts()->setCurrentRow(1);
    a.w.runContactLine();
    EXPECT_EQ(a.host.take(), (QStringList{u"contactAction 0 "_s, u"contactAction 1 anna.example.hu"_s}));
    // An accented name matches byte for byte; an empty field is an empty line without a hint.
    a.names()->setCurrentRow(1);
    EXPECT_EQ(items(a.contacts()).join(u'|'), u"bela@example.hu||Pécs||72/1"_s);
    a.contacts()->setCurrentRow(1);
    EXPECT_EQ(a.contacts()->toolTip(), QString());
    // A deleted partner and a name in other case give an empty list; the name ends before its last space.
    for (int row : {2, 1, 3})
        a.names()->setCurrentRow(row);
    EXPECT_EQ(a.contacts()->count(), 0);
    a.names()->setCurrentRow(4);
    EXPECT_EQ(items(a.contacts()).value(0), u"rossz@example.hu"_s);
    // A partner file that does not open leaves the list as it was; the hint still follows.
    std::filesystem::remove(a.host.partners());
    a.names()->setCurrentRow(0);
    EXPECT_EQ(items(a.contacts()).value(0) + a.names()->toolTip(), u"rossz@example.hu"_s + lines[0]);
    // At start-up Esc, Enter and Return enter the program; at shutdown they exit, and Enter on a panel
    // reached with Tab runs that panel.
    const QStringList none, exit{u"exitProgram"_s}, back{u"backToProgram"_s};
    const struct {
        bool atShutdown;
        QWidget* target;
        int key;
        const QStringList& asked;
    } keys[] = {{false, a.names(), Qt::Key_Escape, none}, {false, a.contacts(), Qt::Key_Return, none},
                {false, &a.w, Qt::Key_Enter, none},       {true, a.names(), Qt::Key_Escape, exit},
                {true, &a.w, Qt::Key_Enter, exit},        {true, a.get("backButton"), Qt::Key_Return, back}};
    for (const auto& k : keys) {
        a.w.prepareNotice(lines, k.atShutdown, k.atShutdown, !k.atShutdown);
        a.w.show();
        k.target->setFocus();
        key(k.target, k.key);
        EXPECT_FALSE(a.w.isVisible()) << k.target->objectName().toStdString();
        EXPECT_EQ(a.host.take(), k.asked) << k.target->objectName().toStdString();
    }
    // The buttons close, go back into the program and exit; a tray start hides instead of entering.
    a.w.prepareNotice(lines, false, false, true);
    for (const char* name : {"closeNoticeButton", "backButton", "exitButton"}) {
        a.w.show();
        click(a.get(name));
    }
    EXPECT_FALSE(a.w.isVisible());
    EXPECT_EQ(a.host.take(), (QStringList{u"backToProgram"_s, u"exitProgram"_s}));
    a.host.set([](Settings& s) { s.startInTray = true; });
    a.w.show();
    EXPECT_EQ(a.get<QLabel>("closeNoticeButton")->text(), u"Ablak elrejtése"_s);
}
