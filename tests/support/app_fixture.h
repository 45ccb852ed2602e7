#pragma once

#include "core/app/clock.h"
#include "core/settings/settings_record.h"
#include "gui/alert/alert_window.h"
#include "gui/main_window.h"
#include "gui/platform/qt_tray.h"
#include "gui/start/startup.h"
#include "gui/state/watch.h"
#include "gui/tabs/actions_tab.h"
#include "gui/tabs/events_tab.h"
#include "gui/tabs/new_event_tab.h"
#include "gui/tabs/partners_tab.h"
#include "gui/tabs/settings_tab.h"
#include "gui/text/texts.h"
#include "gui/theme/theme.h"
#include "gui/widgets/listing_model.h"
#include "gui/widgets/month_calendar.h"
#include "gui/widgets/summary_box.h"
#include "support/fakes.h"
#include "support/gui_util.h"
#include "support/scripted_dialogs.h"
#include "support/settable_clock.h"
#include "support/test_util.h"

#include <QTest>
#include <QtWidgets>
#include <memory>

namespace zel::test {

// The warning on the way to passive mode, laid out line by line; the word naming what was clicked ends it.
inline const QString kPassiveWarning =
    QStringLiteral("                             Ön passzív módba kapcsolta a programot.\n"
                   "        A program így nem tud szólni Önnek, ha egy esemény bekövetkezik,\n"
                   "            illetve nem tudnak frissülni a program naprakész elemei sem!\n"
                   "   Az aktív mód visszakapcsolásához kattinton mégegyszer erre a ");

// A program folder in a temp dir with scripted dialogs, a settable clock and recording platform.
struct Start {
    TempDir dir;
    ScriptedDialogs dialogs;
    SettableClock clock{Moment::at(2024, 3, 5, 9, 5, 7)};
    RecordingShell shell;
    RecordingSound sound;
    RecordingTray tray;
    RecordingAutostart autostart;
    RecordingNotifier alertNotifier, runningNotifier;
    // Windows as a Wayland compositor treats them, for the choices that follow from it.
    bool wayland = false;
    // The desktop's password store; none keeps passwords for the run only.
    gui::SecretStore* secrets = nullptr;
    int exits = 0;

    std::unique_ptr<gui::MainWindow> open() {
        auto w = std::make_unique<gui::MainWindow>(
            AppPaths{dir.path()}, gui::Services{dialogs, clock, shell, sound, tray, autostart, alertNotifier,
                                                runningNotifier, wayland, secrets});
        w->setExitHandler([this] { ++exits; });
        w->start();
        return w;
    }
    std::filesystem::path data(const char* name) const { return dir.path() / "Data" / name; }
    std::filesystem::path cfgPath() const { return dir.path() / kSettingsFileName; }
    std::string cfg() const { return readFile(cfgPath()); }
    void store(EventKind k, const std::vector<EventRecord>& recs) const {
        writeEvents(data(eventFileName(k)), k, recs);
    }
    void storePartners(const std::vector<PartnerRecord>& partners) const {
        std::filesystem::create_directories(dir.path() / "Data");
        writeFile(data("partnerek.dat"), partnerBytes(partners));
    }
    void writeSettings(const Settings& s) const { writeSettingsFile(cfgPath(), encodeSettings(s, {})); }
    // The settings with the warning windows off.
    void quiet() const {
        Settings s = defaultSettings();
        s.warnings = false;
        writeSettings(s);
    }
};

// A main window started over Start's folder, its widgets found by name.
struct App : Start {
    std::unique_ptr<gui::MainWindow> w;
    explicit App(Moment now = Moment::at(2024, 3, 5, 9, 5, 7)) { clock.set(now); }
    void show(int page = -1) {
        w = open();
        w->show();
        if (page >= 0) w->pages()->setCurrentIndex(page);
    }
    // A widget of a tab not built yet is found once every tab is built.
    template <class W = QWidget> W* get(const char* name) const {
        if (!w->findChild<W*>(QString::fromLatin1(name))) {
            w->newEventTab();
            w->partnersTab();
            w->actionsTab();
        }
        return child<W>(w.get(), name);
    }
    void click(const char* name) const { get<QAbstractButton>(name)->click(); }
    bool checked(const char* name) const { return get<QAbstractButton>(name)->isChecked(); }
    void setText(const char* name, const QString& text) const { get<QLineEdit>(name)->setText(text); }
};

// A started window whose clock the test moves, tick by tick.
struct Ticking : App {
    using App::App;
    // The local time's offset from UTC in minutes, for the clock changes of a zone.
    int offset = 0;
    // Ticks at each moment; returns the alerts raised meanwhile, as "text@key".
    QStringList tick(std::initializer_list<Moment> moments) {
        QStringList raised;
        for (Moment m : moments) {
            clock.set(m, offset);
            sound.take();
            w->watch().tick();
            if (sound.take().contains(QStringLiteral("default loop")))
                raised << child<QTextEdit>(w->alertWindow(), "reminderDisplay")->toPlainText() + u'@' +
                              w->alertWindow()->occurrenceKey();
        }
        return raised;
    }
    // Ticks once a second, 3 ms after each whole second, from..to inclusive.
    QStringList tickThrough(Moment from, Moment to) {
        QStringList raised;
        for (Moment t = from; t <= to; t = t.plusMs(1000))
            raised += tick({t});
        return raised;
    }
};

} // namespace zel::test
