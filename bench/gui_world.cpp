#include "gui_world.h"

#include "core/storage/record_file.h"

namespace zel::bench {

GuiWorld::GuiWorld() {
    std::filesystem::create_directories(dir.path() / "Data");
    for (EventKind k : kAllEventKinds)
        replaceFile(dir.path() / "Data" / eventFileName(k), generatedFile(k));
    const EventRecord mid = generatedRecord(EventKind::Reminder, kRecordsPerFile / 2);
    middle = {static_cast<DayNumber>(mid.date), std::int64_t{*minuteFromStored(mid.time)} * 60'000};
    // The past is listed too, so "Mind" shows every record.
    Settings all = defaultSettings();
    all.pastEvents = true;
    writeSettingsFile(dir.path() / kSettingsFileName, encodeSettings(all, SettingsBytes{}));
    clock.set(middle.plusMs(-30'000));
    window = std::make_unique<gui::MainWindow>(
        AppPaths{dir.path()},
        gui::Services{dialogs, clock, shell, sound, tray, autostart, notifier, notifier});
    window->start();
    window->show();
}

namespace {
std::unique_ptr<GuiWorld> theWorld;
} // namespace

GuiWorld& guiWorld() {
    if (!theWorld) theWorld = std::make_unique<GuiWorld>();
    return *theWorld;
}

void endGuiWorld() {
    theWorld.reset();
}

} // namespace zel::bench
