#include "core/calendar/calendar_map.h"
#include "core/calendar/calendar_plan.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

using namespace zel;
using K = EventUpload::Kind;

namespace {

const std::string kPath = "/anna/naptar/";

CalendarEvent nameDay(const std::string& key, const std::string& name) {
    CalendarEvent e;
    e.kind = EventKind::NameDay;
    e.uid = "zelmoran-nevnap-" + key + "@zelmoran";
    e.summary = "Névnap: " + name;
    e.day = dayNumber(2026, 3, 19);
    e.rrule = "FREQ=YEARLY";
    e.alarmAfterStartMinutes = 9 * 60;
    e.alarmText = e.summary;
    return e;
}

std::string href(const std::string& key) {
    return kPath + "zelmoran-nevnap-" + key + ".ics";
}

CalendarLink linkOf(const CalendarEvent& e, const std::string& etag) {
    return {kPath + eventFileName(e.uid), etag, e.uid, eventDigest(e)};
}

std::string describe(const EventUpload& u) {
    const char* kind = u.kind == K::Create ? "Create" : u.kind == K::Update ? "Update" : "Delete";
    std::string out = std::string(kind) + " " + u.href + " " + u.ifMatch;
    if (u.kind != K::Delete) out += " #" + std::to_string(u.event);
    return out + (u.restore ? " restore" : "");
}

std::vector<std::string> describe(const std::vector<EventUpload>& uploads) {
    std::vector<std::string> out;
    for (const EventUpload& u : uploads)
        out.push_back(describe(u));
    return out;
}

std::set<std::string> describe(const std::vector<CalendarLink>& links) {
    std::set<std::string> out;
    for (const CalendarLink& l : links) {
        char digest[17];
        std::snprintf(digest, sizeof digest, "%016llx", static_cast<unsigned long long>(l.digest));
        out.insert(l.href + " " + l.etag + " " + l.uid + " " + digest);
    }
    return out;
}

} // namespace

TEST(CalendarPlan, SendsOnlyWhatDiffersPutsBackWhatChangedThereAndLeavesOthersEventsAlone) {
    const CalendarEvent same = nameDay("a", "Ágnes"), edited = nameDay("b", "Béla"),
                        changedThere = nameDay("c", "Cecília"), deletedThere = nameDay("d", "Dénes"),
                        cutShort = nameDay("e", "Edit"), fresh = nameDay("f", "Ferenc"),
                        listedSame = nameDay("g", "Gábor"), noEtag = nameDay("l", "Lili");
    CalendarEvent editedNow = edited;
    editedNow.alarmAfterStartMinutes = 7 * 60;
    const CalendarEvent gone = nameDay("h", "Hajnalka"), goneChangedThere = nameDay("i", "Ilona");

    CalendarMap map{"http://szerver/anna/naptar/", "tok-1", {}};
    for (const auto& [e, etag] :
         std::vector<std::pair<CalendarEvent, std::string>>{{same, "\"a1\""},
                                                            {edited, "\"b1\""},
                                                            {changedThere, "\"c1\""},
                                                            {deletedThere, "\"d1\""},
                                                            {listedSame, "\"g1\""},
                                                            {noEtag, ""},
                                                            {gone, "\"h1\""},
                                                            {goneChangedThere, "\"i1\""}})
        map.links.push_back(linkOf(e, etag));

    ServerListing listing;
    listing.changed = {{href("c"), "\"c2\""},           {href("e"), "\"e1\""}, {href("g"), "\"g1\""},
                       {href("l"), "\"l1\""},           {href("i"), "\"i2\""}, {href("j"), "\"j1\""},
                       {kPath + "sajat-1.ics", "\"x\""}};
    listing.removed = {href("d"), href("k"), kPath + "sajat-2.ics"};
    listing.token = "tok-2";

    // The new event twice: a UID is sent once.
    const std::vector<CalendarEvent> events = {same,  editedNow, changedThere, deletedThere, cutShort,
                                               fresh, fresh,     listedSame,   noEtag};
    const CalendarPlan plan = planCalendar(map, events, listing, kPath);

    EXPECT_EQ(describe(plan.uploads), (std::vector<std::string>{
                                          "Update " + href("b") + " \"b1\" #1",
                                          "Update " + href("c") + " \"c2\" #2 restore",
                                          "Create " + href("d") + "  #3 restore",
                                          "Update " + href("e") + " \"e1\" #4",
                                          "Create " + href("f") + "  #5",
                                          "Delete " + href("h") + " \"h1\"",
                                          "Delete " + href("i") + " \"i2\"",
                                          "Delete " + href("j") + " \"j1\"",
                                      }));
    EXPECT_EQ(plan.foreign, 1u);
    EXPECT_EQ(plan.map.collectionUrl, map.collectionUrl);
    EXPECT_EQ(plan.map.syncToken, "tok-1");
    // What still stands as agreed: an unchanged event with the ETag listed now, an upload's or a
    // deletion's link as it was until its answer comes. What the server lost is not in it.
    CalendarLink noEtagNow = linkOf(noEtag, "\"l1\"");
    EXPECT_EQ(describe(plan.map.links),
              describe({linkOf(same, "\"a1\""), linkOf(edited, "\"b1\""), linkOf(changedThere, "\"c1\""),
                        linkOf(listedSame, "\"g1\""), noEtagNow, linkOf(gone, "\"h1\""),
                        linkOf(goneChangedThere, "\"i1\"")}));
}

TEST(CalendarPlan, AWholeListingTakesWhatItDoesNotNameAsGone) {
    const CalendarEvent kept = nameDay("a", "Ágnes"), lost = nameDay("b", "Béla"), old = nameDay("c", "Cili");
    const CalendarMap map{"http://szerver/anna/naptar/",
                          "tok-1",
                          {linkOf(kept, "\"a1\""), linkOf(lost, "\"b1\""), linkOf(old, "\"c1\"")}};
    const ServerListing listing{true, {{href("a"), "\"a1\""}}, {}, "tok-2"};
    const CalendarPlan plan = planCalendar(map, {kept, lost}, listing, kPath);
    EXPECT_EQ(describe(plan.uploads), (std::vector<std::string>{"Create " + href("b") + "  #1"}));
    EXPECT_EQ(describe(plan.map.links), describe({linkOf(kept, "\"a1\"")}));

    // Nothing known, nothing listed: every event goes up.
    const CalendarPlan first = planCalendar({}, {kept, lost}, {true, {}, {}, "tok"}, kPath);
    EXPECT_EQ(describe(first.uploads),
              (std::vector<std::string>{"Create " + href("a") + "  #0", "Create " + href("b") + "  #1"}));
    EXPECT_TRUE(first.map.links.empty());
}

TEST(CalendarPlan, TheDigestCoversWhatAnEventSaysAndStaysFixed) {
    const CalendarEvent e = nameDay("a", "Ágnes");
    // Stored in every map: a change of the digest sends every event again.
    EXPECT_EQ(eventDigest(e), 0x78afa22e9c2b137cull);
    const auto differs = [&](auto change) {
        CalendarEvent other = e;
        change(other);
        return eventDigest(other) != eventDigest(e);
    };
    EXPECT_TRUE(differs([](CalendarEvent& x) { x.kind = EventKind::Birthday; }));
    EXPECT_TRUE(differs([](CalendarEvent& x) { x.uid += "x"; }));
    EXPECT_TRUE(differs([](CalendarEvent& x) { x.summary += "x"; }));
    EXPECT_TRUE(differs([](CalendarEvent& x) { ++x.day; }));
    EXPECT_TRUE(differs([](CalendarEvent& x) { x.minute = 0; }));
    EXPECT_TRUE(differs([](CalendarEvent& x) { x.rrule.clear(); }));
    EXPECT_TRUE(differs([](CalendarEvent& x) { x.alarmAfterStartMinutes = 0; }));
    EXPECT_TRUE(differs([](CalendarEvent& x) { x.alarmText += "x"; }));
    // Field ends count: ("ab", "c") is not ("a", "bc").
    EXPECT_TRUE(differs([](CalendarEvent& x) {
        x.summary.pop_back();
        x.rrule = "sFREQ=YEARLY";
    }));
    EXPECT_EQ(eventFileName(e.uid), "zelmoran-nevnap-a.ics");
    EXPECT_TRUE(isProgramEvent(href("a")));
    EXPECT_FALSE(isProgramEvent(kPath + "sajat-1.ics"));
}

TEST(CalendarMapFile, ReadsBackWhatItWritesAndRefusesALinkTwice) {
    CalendarMap map{"http://szerver/anna/naptár/", "http://radicale.org/ns/sync/1", {}};
    map.links.push_back({href("a"), "\"a\tb\"", "zelmoran-nevnap-a@zelmoran", 0x0123456789abcdefull});
    map.links.push_back({href("b"), "", "zelmoran-nevnap-b@zelmoran", 42});
    const std::string bytes = encodeCalendarMap(map);
    EXPECT_EQ(bytes,
              "zelmoran-calendar-map\t1\n"
              "collection\thttp://szerver/anna/naptár/\n"
              "token\thttp://radicale.org/ns/sync/1\n"
              "event\t/anna/naptar/zelmoran-nevnap-a.ics\t\"a\\tb\"\tzelmoran-nevnap-a@zelmoran\t"
              "0123456789abcdef\n"
              "event\t/anna/naptar/zelmoran-nevnap-b.ics\t\tzelmoran-nevnap-b@zelmoran\t000000000000002a\n");
    EXPECT_EQ(decodeCalendarMap(bytes), map);

    const auto damagedAt = [](const std::string& text) -> std::size_t {
        try {
            decodeCalendarMap(text);
        } catch (const SyncMapDamaged& e) {
            return e.line();
        }
        return 0;
    };
    const std::string second = "event\t" + href("b") + "\t\"2\"\tu\t000000000000002a\n";
    EXPECT_EQ(damagedAt(bytes + second), 6u);
    EXPECT_EQ(damagedAt(bytes + "event\t/x.ics\t\tu\t000000000000002A\n"), 6u);
    EXPECT_EQ(damagedAt(bytes + "event\t\t\tu\t000000000000002a\n"), 6u);
    EXPECT_EQ(damagedAt(bytes + "event\t/x.ics\t\tu\n"), 6u);
}
