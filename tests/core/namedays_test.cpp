#include "core/namedays/namedays.h"

#include "core/text/cp1250.h"
#include "core/text/datetime.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using namespace zel;

namespace {

std::string cp(std::string_view utf8) {
    return utf8ToCp1250(utf8);
}

std::vector<std::string> cps(std::initializer_list<std::string_view> utf8) {
    std::vector<std::string> out;
    for (auto s : utf8)
        out.push_back(cp(s));
    return out;
}

NameDayCalendar load(const std::string& file) {
    std::ifstream in(std::string(ZEL_NAMEDAYS_DIR) + "/" + file, std::ios::binary);
    EXPECT_TRUE(in) << file;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return NameDayCalendar::fromText(cp(bytes.str()));
}

const NameDayCalendar& common() {
    static const NameDayCalendar cal = load("common.txt");
    return cal;
}

const NameDayCalendar& extended() {
    static const NameDayCalendar cal = load("extended.txt");
    return cal;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Stands in for the GUI's collator: case-insensitive for A-Z, byte order otherwise.
bool caseInsensitiveLess(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
        return static_cast<unsigned char>(asciiLower(x)) < static_cast<unsigned char>(asciiLower(y));
    });
}

} // namespace

TEST(NameDayCalendar, ReadsLinesWithEitherTerminatorAndSkipsEmptyOnes) {
    const auto cal = NameDayCalendar::fromText("01.01 A \r\n\r\n\n01.02 B\n01.03 C");
    EXPECT_EQ(cal.lines(), (std::vector<std::string>{"01.01 A ", "01.02 B", "01.03 C"}));
    EXPECT_TRUE(NameDayCalendar::fromText("").lines().empty());

    EXPECT_EQ(common().lines().size(), 366u);
    EXPECT_EQ(common().lines().back(), cp("12.31 Szilveszter"));
    EXPECT_EQ(extended().lines().size(), 365u);
}

TEST(NameDayCalendar, NamesOfADay) {
    EXPECT_TRUE(namesOfDay(extended(), "02.29").empty());
    EXPECT_EQ(namesOfDay(common(), "02.29"), cps({"Szökőnap"}));
    EXPECT_EQ(namesOfDay(common(), "01.03"), cps({"Genovéva", "Benjámin"}));
    for (const char* notAKey : {"1.23", "01-23", "13.01", "01.231", "", "01.23 "})
        EXPECT_TRUE(namesOfDay(common(), notAKey).empty()) << notAKey;

    // The delivered last line has no trailing space; a line with one reads the same.
    EXPECT_EQ(namesOfDay(common(), "12.31"), cps({"Szilveszter"}));
    EXPECT_EQ(namesOfDay(NameDayCalendar::fromText(cp("12.31 Szilveszter ")), "12.31"), cps({"Szilveszter"}));

    const auto first = namesOfDay(extended(), "01.01");
    ASSERT_EQ(first.size(), 18u);
    EXPECT_EQ(first.front(), cp("Aglája"));
    EXPECT_EQ(first.back(), cp("Álmos"));
    EXPECT_EQ(namesOfDay(extended(), "12.31").back(), "Ubul");

    // The first line with the key wins; a line with no names gives none.
    const auto cal = NameDayCalendar::fromText("05.05 Elso \n05.05 Masodik \n05.06 \n05.07");
    EXPECT_EQ(namesOfDay(cal, "05.05"), (std::vector<std::string>{"Elso"}));
    EXPECT_TRUE(namesOfDay(cal, "05.06").empty());
    EXPECT_TRUE(namesOfDay(cal, "05.07").empty());
}

TEST(NameDayCalendar, DaysOfANameInTheCommonCalendar) {
    EXPECT_EQ(daysOfName(common(), "anna"), (std::vector<std::string>{"07.26"}));
    EXPECT_EQ(daysOfName(common(), "ANNA"), (std::vector<std::string>{"07.26"}));
    // Only A-Z fold: the accented capitals must be typed as they stand.
    EXPECT_TRUE(daysOfName(common(), cp("ánna")).empty());
    EXPECT_TRUE(daysOfName(common(), cp("ábel")).empty());
    EXPECT_EQ(daysOfName(common(), cp("Ábel")), (std::vector<std::string>{"01.02"}));
    EXPECT_EQ(daysOfName(common(), cp("Pál")),
              (std::vector<std::string>{"01.25", "06.26", "06.29", "06.30"}));
    // The end of the line counts as the space after the last name.
    EXPECT_EQ(daysOfName(common(), "szilveszter"), (std::vector<std::string>{"12.31"}));
    EXPECT_EQ(daysOfName(common(), cp("Genovéva Benjámin")), (std::vector<std::string>{"01.03"}));
    EXPECT_TRUE(daysOfName(common(), cp("Benjámin Genovéva")).empty());
    EXPECT_TRUE(daysOfName(common(), "").empty());
    EXPECT_TRUE(daysOfName(common(), " ").empty());
}

TEST(NameDayCalendar, DaysOfANameInTheExtendedCalendar) {
    const auto maria = daysOfName(extended(), cp("Mária"));
    ASSERT_EQ(maria.size(), 45u);
    EXPECT_EQ(maria.front(), "01.01");
    EXPECT_EQ(maria[24], "08.15");
    EXPECT_EQ(maria.back(), "12.18");
    EXPECT_TRUE(std::is_sorted(maria.begin(), maria.end()));

    // Whole names only, although many names begin with these letters.
    EXPECT_TRUE(daysOfName(extended(), "Ann").empty());
    EXPECT_EQ(daysOfName(extended(), "Anna"),
              (std::vector<std::string>{"02.19", "06.02", "06.13", "07.01", "07.26"}));
    EXPECT_EQ(daysOfName(extended(), "Szilveszter"), (std::vector<std::string>{"11.20", "11.26", "12.31"}));
    EXPECT_EQ(daysOfName(extended(), "Szilvesztra"), (std::vector<std::string>{"12.31"}));
    EXPECT_EQ(daysOfName(extended(), "Ubul"), (std::vector<std::string>{"03.07", "05.16", "12.31"}));
    EXPECT_EQ(daysOfName(extended(), cp("aglája algernon")), (std::vector<std::string>{"01.01"}));
    EXPECT_TRUE(daysOfName(extended(), cp("Algernon Aglája")).empty());

    // A line that holds the name twice is one day; the date itself is no name.
    const auto cal = NameDayCalendar::fromText("03.04 Anna Ubul Anna \r\n03.05 Annamária \n03.06 Anna");
    EXPECT_EQ(daysOfName(cal, "anna"), (std::vector<std::string>{"03.04", "03.06"}));
    EXPECT_TRUE(daysOfName(cal, "03.04").empty());
}

TEST(NameDayCalendar, TodayAndTomorrow) {
    const auto check = [](int y, int m, int d, std::string_view today, std::string_view tomorrow) {
        const auto names = todayAndTomorrowNames(common(), dayNumber(y, m, d));
        EXPECT_EQ(names.today, cp(today)) << y << "-" << m << "-" << d;
        EXPECT_EQ(names.tomorrow, cp(tomorrow)) << y << "-" << m << "-" << d;
    };
    check(2026, 1, 3, "Genovéva és Benjámin", "Titusz és Leona");
    check(2026, 1, 2, "Ábel", "Genovéva és Benjámin");
    check(2025, 12, 31, "Szilveszter", "Fruzsina");
    check(2024, 12, 31, "Szilveszter", "Fruzsina");
    check(2025, 2, 28, "Elemér", "Albin");
    check(2024, 2, 28, "Elemér", "Szökőnap");
    check(2024, 2, 29, "Szökőnap", "Albin");
    check(2000, 2, 28, "Elemér", "Szökőnap");
    check(2100, 2, 28, "Elemér", "Albin");
    check(9999, 12, 31, "Szilveszter", "Fruzsina");

    // A day without a line gives an empty text.
    const auto names =
        todayAndTomorrowNames(NameDayCalendar::fromText("06.01 A B C \n"), dayNumber(2026, 5, 31));
    EXPECT_EQ(names.today, "");
    EXPECT_EQ(names.tomorrow, cp("A és B és C"));
}

TEST(NameDayCalendar, ListOfAllNames) {
    const auto list = allNamesSorted(extended(), caseInsensitiveLess);
    std::set<std::string> distinct;
    for (const auto& line : extended().lines())
        for (const auto& name : namesOfDay(extended(), std::string_view(line).substr(0, 5)))
            distinct.insert(name);
    EXPECT_EQ(distinct.size(), 2911u);
    EXPECT_EQ(list.size(), distinct.size());
    EXPECT_EQ(std::count(list.begin(), list.end(), cp("Mária")), 1);
    EXPECT_TRUE(std::is_sorted(list.begin(), list.end(), caseInsensitiveLess));
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()), distinct);

    // Only a byte-equal neighbour is dropped, and equal-ranking names keep calendar order.
    const auto cal = NameDayCalendar::fromText("01.01 anna Bea \n01.02 Anna Bea \n01.03 anna ");
    EXPECT_EQ(allNamesSorted(cal, caseInsensitiveLess),
              (std::vector<std::string>{"anna", "Anna", "anna", "Bea"}));
    EXPECT_TRUE(allNamesSorted(NameDayCalendar::fromText(""), caseInsensitiveLess).empty());
}
