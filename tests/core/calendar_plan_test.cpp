#include "core/calendar/calendar_map.h"
#include "core/calendar/calendar_plan.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {

CalendarEvent nameDay(const std::string& name, int month, int day) {
    CalendarEvent e;
    e.kind = EventKind::NameDay;
    e.uid = "zelmoran-nevnap-" + name + "@zelmoran";
    e.summary = "Névnap: " + name;
    e.day = dayNumber(2026, month, day);
    e.rrule = "FREQ=YEARLY";
    e.alarmAfterStartMinutes = 540;
    e.alarmText = e.summary;
    return e;
}

const std::string kPath = "/anna/naptar/";

CalendarLink linkOf(const CalendarEvent& e, const std::string& etag) {
    return {kPath + eventFileName(e.uid), etag, e.uid, eventDigest(e)};
}

} // namespace

TEST(CalendarMap, RoundTripsExactlyAndAnythingElseIsDamage) {
    const CalendarMap map{"https://cloud.example.hu/dav/anna/naptár/",
                          "tok\ten",
                          {{"/a/zelmoran-x.ics", "\"e1\"", "zelmoran-x@zelmoran", 0x0123456789abcdefull},
                           {"/a/zelmoran-y.ics", "", "zelmoran-y@zelmoran", 0}}};
    const std::string bytes = encodeCalendarMap(map);
    EXPECT_EQ(bytes, "zelmoran-calendar-map\t1\ncollection\thttps://cloud.example.hu/dav/anna/naptár/\n"
                     "token\ttok\\ten\n"
                     "event\t/a/zelmoran-x.ics\t\"e1\"\tzelmoran-x@zelmoran\t0123456789abcdef\n"
                     "event\t/a/zelmoran-y.ics\t\tzelmoran-y@zelmoran\t0000000000000000\n");
    EXPECT_EQ(decodeCalendarMap(bytes), map);
    const std::string head = "zelmoran-calendar-map\t1\ncollection\tc\ntoken\tt\n";
    for (const auto& [damaged, line] : std::vector<std::pair<std::string, std::size_t>>{
             {"zelmoran-sync-map\t1\n", 1},
             {head + "event\t/x.ics\te\tu\t0123\n", 4},             // a short digest
             {head + "event\t/x.ics\te\tu\t0123456789ABCDEF\n", 4}, // capitals are not written
             {head + "event\t\te\tu\t0123456789abcdef\n", 4},       // no address
             {head + "event\t/x.ics\te\tu\t0123456789abcdef\nevent\t/x.ics\te\tu\t0123456789abcdef\n", 5},
             {head + "event\t/x.ics\te\tu\t0123456789abcdef", 4}, // cut short
             {"zelmoran-calendar-map\t1\ncollection\tc\n", 3}}) {
        try {
            decodeCalendarMap(damaged);
            ADD_FAILURE() << damaged;
        } catch (const SyncMapDamaged& e) {
            EXPECT_EQ(e.line(), line) << damaged;
        }
    }
}

TEST(CalendarPlan, SendsOnlyWhatDiffersAndKeepsTheAgreedLinkUntilTheServerTakesIt) {
    const CalendarEvent anna = nameDay("anna", 7, 26), bela = nameDay("bela", 12, 22),
                        cili = nameDay("cili", 11, 22);
    const CalendarMap map{
        "c", "t1", {linkOf(anna, "\"a1\""), linkOf(bela, "\"b1\""), linkOf(cili, "\"c1\"")}};

    // Nothing listed, nothing changed: nothing to send, the map as it was.
    CalendarPlan plan = planCalendar(map, {anna, bela, cili}, ServerListing{false, {}, {}, "t2"}, kPath);
    EXPECT_TRUE(plan.uploads.empty());
    EXPECT_EQ(plan.map.links, map.links);

    // Béla's alarm moved here, Cili's record is gone, Anna's event was changed elsewhere, and a foreign
    // event came in.
    CalendarEvent later = bela;
    later.alarmAfterStartMinutes = 480;
    const ServerListing listing{
        false, {{kPath + eventFileName(anna.uid), "\"a2\""}, {kPath + "sajat.ics", "\"s\""}}, {}, "t2"};
    plan = planCalendar(map, {anna, later}, listing, kPath);
    ASSERT_EQ(plan.uploads.size(), 3u);
    EXPECT_EQ(plan.uploads[0].kind, EventUpload::Kind::Update);
    EXPECT_EQ(plan.uploads[0].ifMatch, "\"a2\"");
    EXPECT_TRUE(plan.uploads[0].restore);
    EXPECT_EQ(plan.uploads[1].kind, EventUpload::Kind::Update);
    EXPECT_EQ(plan.uploads[1].ifMatch, "\"b1\"");
    EXPECT_FALSE(plan.uploads[1].restore);
    EXPECT_EQ(plan.uploads[2].kind, EventUpload::Kind::Delete);
    EXPECT_EQ(plan.uploads[2].href, kPath + eventFileName(cili.uid));
    EXPECT_EQ(plan.foreign, 1u);
    // Until an upload goes through, the map holds what was agreed: a failure lists the same again.
    EXPECT_EQ(plan.map.links, map.links);

    // Deleted elsewhere: made again. The whole calendar listed: what is not in it is gone.
    plan = planCalendar(map, {anna, bela}, ServerListing{false, {}, {kPath + eventFileName(anna.uid)}, "t3"},
                        kPath);
    ASSERT_EQ(plan.uploads.size(), 2u);
    EXPECT_EQ(plan.uploads[0].kind, EventUpload::Kind::Create);
    EXPECT_TRUE(plan.uploads[0].restore);
    plan = planCalendar(map, {anna, bela},
                        ServerListing{true, {{kPath + eventFileName(bela.uid), "\"b1\""}}, {}, "t3"}, kPath);
    ASSERT_EQ(plan.uploads.size(), 1u);
    EXPECT_EQ(plan.uploads[0].kind, EventUpload::Kind::Create);
    EXPECT_EQ(plan.uploads[0].href, kPath + eventFileName(anna.uid));
    EXPECT_EQ(plan.map.links, std::vector<CalendarLink>{linkOf(bela, "\"b1\"")});
}

TEST(CalendarPlan, WithoutAMapTheProgramsOwnEventsAreTakenOverNeverDoubled) {
    const CalendarEvent anna = nameDay("anna", 7, 26), gone = nameDay("gone", 1, 1);
    const ServerListing listing{true,
                                {{kPath + eventFileName(anna.uid), "\"a\""},
                                 {kPath + eventFileName(gone.uid), "\"g\""},
                                 {kPath + "sajat.ics", "\"s\""}},
                                {},
                                "t"};
    const CalendarPlan plan = planCalendar(CalendarMap{"c", "", {}}, {anna}, listing, kPath);
    ASSERT_EQ(plan.uploads.size(), 2u);
    EXPECT_EQ(plan.uploads[0].kind, EventUpload::Kind::Update); // sent over, by its ETag
    EXPECT_EQ(plan.uploads[0].ifMatch, "\"a\"");
    EXPECT_EQ(plan.uploads[1].kind, EventUpload::Kind::Delete); // the program's, no record asks for it
    EXPECT_EQ(plan.uploads[1].ifMatch, "\"g\"");
    EXPECT_EQ(plan.foreign, 1u);
    EXPECT_TRUE(plan.map.links.empty());
}
