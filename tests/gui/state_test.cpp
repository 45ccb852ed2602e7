#include "core/events/listing.h"
#include "gui/state/app_state.h"
#include "support/settable_clock.h"
#include "support/test_util.h"

#include <QSignalSpy>
#include <gtest/gtest.h>

using namespace zel;
using namespace zel::gui;
using zel::test::cp;
using zel::test::event;
using zel::test::partner;

namespace {

const DayNumber kToday = dayNumber(2024, 3, 5);

// A program folder and the state the window keeps over it, with its signals counted.
struct Folder {
    test::TempDir dir;
    test::SettableClock clock{Moment::at(2024, 3, 5, 9, 5, 7)};
    AppState state{AppPaths{dir.path()}, clock};
    QSignalSpy tables{&state, &AppState::eventsChanged};
    QSignalSpy nextRows{&state, &AppState::nextEventsChanged};
    QSignalSpy partnerLists{&state, &AppState::partnersChanged};

    std::filesystem::path file(EventKind kind) const { return state.paths().events(kind); }
    // Every row of the table with its damage count, order flag and next row, one line a row.
    static std::string held(const AppState& s, EventKind kind) {
        const EventTable& t = s.table(kind);
        std::string out = "damaged " + std::to_string(t.damaged) + (t.ordered ? ", ordered" : ", unordered");
        const auto line = [&](const EventRow& r) {
            return "\n" + std::to_string(r.position) + (r.active ? " * " : "   ") +
                   (r.day ? dateText(*r.day) : std::string("-")) + " " + timeText(r.minute) + " " +
                   std::to_string(static_cast<int>(r.recurrence)) + " " + r.text;
        };
        for (std::size_t i = 0; i < t.rows.size(); ++i)
            out += line(t.row(i));
        return out + "\nnext:" + (s.next(kind) ? line(*s.next(kind)) : std::string(" none"));
    }
    // What a state that reads the files now holds.
    std::string reread(EventKind kind) const {
        AppState fresh{state.paths(), clock};
        fresh.reloadEvents(kind);
        return held(fresh, kind);
    }
    static std::string partnersHeld(const AppState& s) {
        std::string out;
        for (const std::string& name : s.partnerNamesAlphabetical())
            out += name + "|";
        out += "\n";
        for (const std::string& name : s.partnerNames())
            out += name + "|";
        return out + "\ndamaged files " + std::to_string(s.damagedFiles().size());
    }
    std::string rereadPartners() const {
        AppState fresh{state.paths(), clock};
        fresh.reloadPartners();
        return partnersHeld(fresh);
    }
    // The signals since the last call: tables rebuilt, next rows, partner lists.
    std::string signalsTaken() {
        std::string out = std::to_string(tables.size()) + " " + std::to_string(nextRows.size()) + " " +
                          std::to_string(partnerLists.size());
        tables.clear();
        nextRows.clear();
        partnerLists.clear();
        return out;
    }
};

} // namespace

// Each write changes the table in memory by the record it wrote; the result must be what reading the
// file again gives, the next row and the damage count included, with one change signal, and one for the next
// row when it changed.
TEST(GuiState, EventWritesLeaveTheTablesAsReadingTheFilesGives) {
    for (EventKind kind : {EventKind::Reminder, EventKind::Birthday}) {
        SCOPED_TRACE(eventFileName(kind));
        Folder f;
        test::writeEvents(f.file(kind), kind,
                          {event(kToday - 1, 20, 0, "tegnap"),
                           event(kToday, 10, 0, "később", true, Recurrence::Yearly),
                           event(kToday + 1, 8, 0, "holnap")});
        f.state.reloadEvents(kind);
        f.signalsTaken();
        // The next row's signal comes only when that row changed.
        const auto nextRow = [&] {
            return Folder::held(f.state, kind).substr(Folder::held(f.state, kind).rfind("next:"));
        };
        const auto step = [&](const char* what, auto write) {
            SCOPED_TRACE(what);
            const std::string nextBefore = nextRow();
            EXPECT_TRUE(write());
            EXPECT_EQ(Folder::held(f.state, kind), f.reread(kind));
            EXPECT_EQ(f.signalsTaken(), nextRow() == nextBefore ? "1 0 0" : "1 1 0");
        };
        const auto add = [&](const EventRecord& r) {
            f.state.addEvent(kind, r);
            return true;
        };
        const auto modify = [&](std::size_t i, auto change) {
            const EventRow row = f.state.table(kind).row(i);
            EventRecord changed = recordOfRowFields(kind, row);
            change(changed);
            return f.state.modifyEvent(kind, row, changed);
        };
        step("the same moment as another", [&] { return add(event(kToday, 10, 0, "ugyanakkor")); });
        step("first", [&] { return add(event(kToday - 30, 7, 0, "régen")); });
        step("last, next", [&] { return add(event(kToday, 9, 30, "mindjárt")); });
        step("in place", [&] { return modify(2, [](EventRecord& r) { r.text = cp("más szöveg"); }); });
        step("inactive", [&] { return modify(3, [](EventRecord& r) { r.active = false; }); });
        step("moved later", [&] { return modify(1, [](EventRecord& r) { r.date += 40; }); });
        step("removed", [&] { return f.state.removeEvent(kind, f.state.table(kind).row(0)); });
        // A row the file no longer holds: nothing is written, the file is read again.
        test::writeEvents(f.file(kind), kind, {event(kToday + 2, 8, 0, "kívülről")});
        EXPECT_FALSE(f.state.removeEvent(kind, f.state.table(kind).row(0)));
        EXPECT_EQ(Folder::held(f.state, kind), f.reread(kind));
        f.signalsTaken();
        // A file changed behind the state, one with a trailing partial record, one out of order: the
        // write's result is read from the file.
        test::writeEvents(f.file(kind), kind, {event(kToday + 3, 8, 0, "kívülről is")});
        step("after a change from outside", [&] { return add(event(kToday, 11, 0, "új")); });
        test::writeFile(f.file(kind), test::readFile(f.file(kind)) + "xyz");
        f.state.reloadEvents(kind);
        f.signalsTaken();
        step("to a damaged file", [&] { return add(event(kToday, 12, 0, "újabb")); });
        test::writeEvents(f.file(kind), kind, {event(kToday + 5, 8, 0, "c"), event(kToday + 1, 8, 0, "b")});
        f.state.reloadEvents(kind);
        f.signalsTaken();
        step("to a file out of order", [&] { return add(event(kToday, 13, 0, "a")); });
        step("the row out of order removed",
             [&] { return f.state.removeEvent(kind, f.state.table(kind).row(1)); });
    }
}

// Saving and deleting partners keep the names and their alphabetical order as reading the file gives
// them: equal names in that order (case aside) stay in file order.
TEST(GuiState, PartnerWritesLeaveTheListAsReadingTheFileGives) {
    Folder f;
    std::filesystem::create_directories(f.state.paths().dataDir());
    test::writeFile(f.state.paths().partners(),
                    test::partnerBytes({partner("Csaba"), partner("anna"), partner("Ábel"), partner("Éva")}));
    f.state.reloadPartners();
    f.signalsTaken();
    const auto step = [&](const char* what, auto write) {
        SCOPED_TRACE(what);
        write();
        EXPECT_EQ(Folder::partnersHeld(f.state), f.rereadPartners());
        EXPECT_EQ(f.signalsTaken(), "0 0 1");
    };
    step("new, before an equal name",
         [&] { EXPECT_EQ(f.state.savePartner(partner("Anna"), std::nullopt), 0u); });
    step("new, after an equal name", [&] { f.state.savePartner(partner("annA"), std::nullopt); });
    step("renamed", [&] { f.state.savePartner(partner("Cecília", "c@pelda.hu"), 1); });
    step("changed in place", [&] { f.state.savePartner(partner("Cecília", "cili@pelda.hu"), 1); });
    step("a name cut to its room",
         [&] { f.state.savePartner(partner("Hosszú Nevű Partner Aki Nem Fér El A Helyén"), std::nullopt); });
    step("deleted", [&] { f.state.deletePartner(0); });
    // A file changed behind the state, and one with a trailing partial record, are read again.
    test::writeFile(f.state.paths().partners(), test::partnerBytes({partner("Zoltán")}));
    step("after a change from outside", [&] { f.state.savePartner(partner("Béla"), std::nullopt); });
    test::writeFile(f.state.paths().partners(), test::readFile(f.state.paths().partners()) + "xyz");
    f.state.reloadPartners();
    f.signalsTaken();
    step("deleted from a damaged file", [&] { f.state.deletePartner(1); });
    EXPECT_EQ(Folder::partnersHeld(f.state), cp("Béla|\nBéla|\ndamaged files 0"));
}
