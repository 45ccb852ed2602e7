#include "support/app_fixture.h"

#include <QTextEdit>
#include <fstream>
#include <map>
#include <unistd.h>

using namespace zel;
using namespace zel::gui;
using namespace Qt::StringLiterals;

namespace {

// Resident memory in bytes, as the system counts it.
long residentBytes() {
    long pages = 0, resident = 0;
    std::ifstream("/proc/self/statm") >> pages >> resident;
    return resident * ::sysconf(_SC_PAGESIZE);
}

} // namespace

// A week of the clock, one tick a second, over 1,000 events of each kind and two that recur.
TEST(GuiLongRun, AWeekOfTicksFiresEveryReminderAndProgramOnceAndHoldsItsMemory) {
    const Moment monday = Moment::at(2024, 3, 4);
    test::App a(monday.plusMs(3));
    constexpr int kEach = 1000;
    std::vector<EventRecord> reminders, programs, nameDays;
    std::vector<PartnerRecord> partners;
    for (int k = 0; k < kEach; ++k) {
        // Ten minutes apart over the whole week, reminders at minute 3 and programs at minute 7.
        const int reminderMinute = 10 * k + 3, programMinute = 10 * k + 7;
        reminders.push_back(test::event(monday.day + reminderMinute / 1440, reminderMinute % 1440 / 60,
                                        reminderMinute % 60, "Teendő " + std::to_string(k)));
        programs.push_back(test::event(monday.day + programMinute / 1440, programMinute % 1440 / 60,
                                       programMinute % 60, "/bin/true " + std::to_string(k)));
        const std::string name = "Partner " + std::to_string(1000 + k);
        partners.push_back(test::partner(name));
        // Spread over the week in day order, as the program keeps them; the birthdays fall on the same days.
        nameDays.push_back(test::event(monday.day + k * 7 / kEach, 0, 0, name));
    }
    // Two that recur: each fires once per occurrence, moved on after each.
    reminders.push_back(test::event(monday.day, 12, 34, "Napi", true, Recurrence::Daily));
    reminders.push_back(test::event(monday.day, 8, 0, "Heti", true, Recurrence::Weekly));
    std::stable_sort(reminders.begin(), reminders.end(), [](const EventRecord& x, const EventRecord& y) {
        return std::pair(x.date, x.time) < std::pair(y.date, y.time);
    });
    a.storePartners(partners);
    a.store(EventKind::Reminder, reminders);
    a.store(EventKind::Program, programs);
    a.store(EventKind::NameDay, nameDays);
    a.store(EventKind::Birthday, nameDays);
    a.dialogs.allowAny();
    a.show();
    a.sound.take();
    a.shell.calls.clear();

    std::map<QString, int> alerts, launches;
    long afterFirstDay = 0;
    for (int second = 1; second <= 7 * 86'400; ++second) {
        a.clock.set(monday.plusMs(second * 1000LL + 3));
        a.w->watch().tick();
        if (a.sound.take().contains(u"default loop"_s))
            ++alerts[test::child<QTextEdit>(a.w->alertWindow(), "reminderDisplay")->toPlainText()];
        for (const auto& call : a.shell.calls)
            ++launches[call.file];
        a.shell.calls.clear();
        // The recording tray keeps every hint and day it was given, the real one only the last.
        a.tray.hints.clear();
        a.tray.days.clear();
        if (second == 86'400) afterFirstDay = residentBytes();
    }

    EXPECT_EQ(alerts.size(), static_cast<std::size_t>(kEach + 2));
    EXPECT_EQ(alerts[u"Napi"_s], 7);
    EXPECT_EQ(alerts[u"Heti"_s], 1);
    EXPECT_EQ(a.w->state().next(EventKind::Reminder)->day, monday.day + 7); // both moved past the week
    EXPECT_EQ(launches.size(), static_cast<std::size_t>(kEach));
    for (int k = 0; k < kEach; ++k) {
        EXPECT_EQ(alerts[u"Teendő "_s + QString::number(k)], 1) << k;
        EXPECT_EQ(launches[u"/bin/true "_s + QString::number(k)], 1) << k;
    }
    const long grown = residentBytes() - afterFirstDay;
    std::printf("resident memory after the first day %ld KiB, grown by %ld KiB over the other six\n",
                afterFirstDay / 1024, grown / 1024);
    EXPECT_LT(grown, 512L * 1024); // none measured; room for the allocator's own moods
}
