#include "core/app/command_split.h"
#include "core/app/instance_identity.h"
#include "core/errors.h"
#include "core/namedays/namedays.h"
#include "core/settings/settings_record.h"
#include "core/text/cp1250.h"
#include "core/text/datetime.h"
#include "support/test_util.h"

#include <algorithm>
#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <limits>
#include <set>
#include <sstream>
#include <sys/resource.h>

using namespace zel;

namespace {

// "program|arg|arg" for a program, "open:text" when no prefix names a file.
std::string split(const std::string& text, std::set<std::string> files) {
    const auto s = splitCommand(text, [&](const std::string& p) { return files.count(p) > 0; });
    std::string out = (s.isProgram ? "" : "open:") + s.program;
    for (const auto& a : s.arguments)
        out += "|" + a;
    return out;
}

std::string args(const std::string& text) {
    std::string out;
    for (const auto& a : splitArguments(text))
        out += "[" + a + "]";
    return out;
}

NameDayCalendar load(const char* file) {
    std::ifstream in(std::string(ZEL_NAMEDAYS_DIR) + "/" + file, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return NameDayCalendar::fromText(utf8ToCp1250(bytes.str()));
}

const NameDayCalendar common = load("common.txt"), extended = load("extended.txt");

// The strings in UTF-8, joined with spaces.
std::string joined(const std::vector<std::string>& list) {
    std::string out;
    for (const auto& s : list)
        out.append(out.empty() ? "" : " ").append(cp1250ToUtf8(s));
    return out;
}

std::string days(const NameDayCalendar& cal, const char* utf8) {
    return joined(daysOfName(cal, utf8ToCp1250(utf8)));
}

// Stands in for the GUI's collator: case-insensitive for A-Z, byte order otherwise.
bool caseInsensitiveLess(const std::string& a, const std::string& b) {
    auto lower = [](char c) { return static_cast<unsigned char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c); };
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [&](char x, char y) { return lower(x) < lower(y); });
}

auto exists = [](const std::string&) { return true; };

} // namespace

TEST(CoreText, Cp1250KeepsEveryCodeAndMarksWhatItCannotHold) {
    EXPECT_EQ(utf8ToCp1250("ÁÉÍÓÖŐÚÜŰáéíóöőúüű"),
              "\xC1\xC9\xCD\xD3\xD6\xD5\xDA\xDC\xDB\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB");
    EXPECT_EQ(cp1250ToUtf8("\x80\x8A") + utf8ToCp1250("a😀b日本"), "€Ša?b??");
    EXPECT_EQ(utf8ToCp1250("x\xC3"), "x?");         // cut sequence
    EXPECT_EQ(utf8ToCp1250("\xFF\xFE!"), "?\x3F!"); // not UTF-8 at all
    EXPECT_EQ(utf8ToCp1250("\xE0\x82\xAC"), "?");   // an overlong form of a code-page character
}

TEST(CoreDates, DayNumbersTextsAndStoredValues) {
    EXPECT_TRUE(dayNumber(1899, 12, 30) == 0 && dayNumber(2024, 3, 5) == 45356);
    EXPECT_TRUE(ymdOf(kFirstDay) == (Ymd{1, 1, 1}) && ymdOf(kLastDay) == (Ymd{9999, 12, 31}));
    EXPECT_EQ(dateText(45356), "2024.03.05.");
    EXPECT_EQ(timeText(545) + " " + timeText(0) + " " + clockTimeText(9, 5, 7), "9:05 0:00 9:05:07");
    EXPECT_EQ(weekdayOf(dayNumber(2026, 12, 6)), 6); // a Sunday
    EXPECT_TRUE(!isLeapYear(1900) && isLeapYear(2000) && dayFromStored(45356.75) == 45356);
    for (double bad : {std::nan(""), std::numeric_limits<double>::infinity(), 1e300, -1e7})
        EXPECT_FALSE(dayFromStored(bad).has_value()) << bad;
    EXPECT_EQ(minuteFromStored(545.0 / 1440.0 - 1e-12), 545);    // float noise is not a minute less
    EXPECT_EQ(minuteFromStored((545 * 60 + 59) / 86400.0), 545); // seconds are dropped
    EXPECT_TRUE(minuteFromStored(0.99999999999) == 1439 && !minuteFromStored(std::nan("")));
    for (int m = 0; m < 1440; ++m)
        ASSERT_EQ(minuteFromStored(storedFromMinute(m)), m);
}

TEST(CoreDates, ParsingTheProgramsOwnPattern) {
    EXPECT_TRUE(parseDateText("2024.03.05.") == 45356 && parseDateText("2024.3.5") == 45356);
    EXPECT_EQ(parseDateText("2024.02.29."), dayNumber(2024, 2, 29));
    for (const char* bad : {"", "2023.02.29.", "2024-03-05", "2024.13.01.", "24.03.05.x", "abc"})
        EXPECT_FALSE(tryParseDateText(bad).has_value()) << bad;
    EXPECT_EQ(errorBoxText(IoError(13, "x").what()) + errorBoxText("kész."), "I/O error 13.kész.");
}

TEST(CoreCommandSplit, TheLongestPrefixNamingAFileIsTheProgram) {
    const std::set<std::string> files = {"/usr/bin/x", "C:\\Progs\\backup.exe", "/opt/My",
                                         "/opt/My Tools/run.sh", "/opt/a b"};
    EXPECT_EQ(split("/usr/bin/x --full -v", files), "/usr/bin/x|--full|-v");
    EXPECT_EQ(split("C:\\Progs\\backup.exe /full", files), "C:\\Progs\\backup.exe|/full");
    EXPECT_EQ(split("/usr/bin/x ", files), "/usr/bin/x"); // a trailing space: no arguments
    EXPECT_EQ(split("/usr/bin/x", files), "/usr/bin/x");
    EXPECT_EQ(split("/opt/My Tools/run.sh a 'b c'", files), "/opt/My Tools/run.sh|a|b c");
    EXPECT_EQ(split("/opt/My Other", files), "/opt/My|Other");
    EXPECT_EQ(split("/opt/a b c d", files), "/opt/a b|c|d");
    for (const std::string text : {"https://example.hu/a b", "/no/such/file x", "", " ", "mailto:a@b.hu"})
        EXPECT_EQ(split(text, {}), "open:" + text);
    EXPECT_EQ(split(" x", {""}), "open: x"); // an empty prefix never counts
}

TEST(CoreCommandSplit, ArgumentsSplitAsAShellWould) {
    EXPECT_EQ(args(" \t ") + args("  a\tb  c "), "[a][b][c]");
    EXPECT_EQ(args("'b c' \"d e\" '' \"\""), "[b c][d e][][]");
    EXPECT_EQ(args("'a\\b' \"q\\\"r\\\\s\\t\""), "[a\\b][q\"r\\s\\t]");
    EXPECT_EQ(args("a\\ b c\\'d \\\\"), "[a b][c'd][\\]");
    EXPECT_EQ(args("pre'mid dle'post \"x\"'y'"), "[premid dlepost][xy]");
    EXPECT_EQ(args("'unclosed here"), "[unclosed here]");
    EXPECT_EQ(args("\"unclosed \\\" too") + args("trailing\\"), "[unclosed \" too][trailing\\]");
    EXPECT_EQ(args("árvíztűrő 'tükör fúrógép'"), "[árvíztűrő][tükör fúrógép]");
}

TEST(CoreNameDays, LinesTheNamesOfADayAndTheDaysOfAName) {
    EXPECT_EQ(NameDayCalendar::fromText("01.01 A \r\n\r\n\n01.02 B\n01.03 C").lines(),
              (std::vector<std::string>{"01.01 A ", "01.02 B", "01.03 C"}));
    EXPECT_EQ(common.lines().size() + extended.lines().size(), 366u + 365u);
    EXPECT_EQ(joined(namesOfDay(extended, "02.29")) + "|" + joined(namesOfDay(common, "02.29")), "|Szökőnap");
    EXPECT_EQ(joined(namesOfDay(common, "01.03")), "Genovéva Benjámin");
    for (const char* notAKey : {"1.23", "01-23", "13.01", "01.231", "", "01.23 "})
        EXPECT_TRUE(namesOfDay(common, notAKey).empty()) << notAKey;
    // The delivered last line has no trailing space; a line with one reads the same.
    EXPECT_EQ(joined(namesOfDay(common, "12.31")) +
                  joined(namesOfDay(NameDayCalendar::fromText("12.31 X "), "12.31")),
              "SzilveszterX");
    // The first line with the key wins; a line with no names gives none.
    const auto cal = NameDayCalendar::fromText("05.05 Elso \n05.05 Masodik \n05.06 \n05.07");
    EXPECT_EQ(joined(namesOfDay(cal, "05.05")) + "|" + joined(namesOfDay(cal, "05.06")), "Elso|");
    // The days of a whole name, folding only A to Z.
    EXPECT_EQ(days(common, "ANNA"), "07.26");
    EXPECT_EQ(days(common, "ábel") + days(common, "Ábel"), "01.02"); // accented capitals as they stand
    EXPECT_EQ(days(common, "Pál"), "01.25 06.26 06.29 06.30");
    EXPECT_EQ(days(common, "szilveszter"), "12.31"); // the end of the line ends the last name
    EXPECT_EQ(days(common, "Genovéva Benjámin"), "01.03");
    EXPECT_EQ(days(common, "Benjámin Genovéva") + days(common, "") + days(common, " "), "");
    EXPECT_EQ(days(extended, "aglája algernon"), "01.01");
    // A line that holds the name twice is one day; the date itself is no name.
    const auto twice = NameDayCalendar::fromText("03.04 Anna Ubul Anna \r\n03.05 Annamária \n03.06 Anna");
    EXPECT_EQ(days(twice, "anna") + "|" + days(twice, "03.04"), "03.04 03.06|");
}

TEST(CoreNameDays, TodayAndTomorrowAcrossYearsAndLeapDaysAndTheListOfAllNames) {
    std::string all;
    for (const Ymd d :
         {Ymd{2026, 1, 3}, {2025, 12, 31}, {2025, 2, 28}, {2024, 2, 28}, {2024, 2, 29}, {2100, 2, 28}}) {
        const auto n = todayAndTomorrowNames(common, dayNumber(d.year, d.month, d.day));
        all += cp1250ToUtf8(n.today) + "/" + cp1250ToUtf8(n.tomorrow) + "; ";
    }
    EXPECT_EQ(all,
              "Genovéva és Benjámin/Titusz és Leona; Szilveszter/Fruzsina; Elemér/Albin; Elemér/Szökőnap; "
              "Szökőnap/Albin; Elemér/Albin; ");
    const auto n = todayAndTomorrowNames(NameDayCalendar::fromText("06.01 A B C \n"), dayNumber(2026, 5, 31));
    EXPECT_EQ(n.today + "/" + cp1250ToUtf8(n.tomorrow), "/A és B és C");
    // The list of all names drops only byte-equal neighbours.
    const auto list = allNamesSorted(extended, caseInsensitiveLess);
    EXPECT_EQ(std::set<std::string>(list.begin(), list.end()).size(), 2911u); // each name once
    EXPECT_TRUE(list.size() == 2911u && std::is_sorted(list.begin(), list.end(), caseInsensitiveLess));
    // Equal-ranking names keep calendar order.
    const auto cal = NameDayCalendar::fromText("01.01 anna Bea \n01.02 Anna Bea \n01.03 anna ");
    EXPECT_EQ(joined(allNamesSorted(cal, caseInsensitiveLess)), "anna Anna anna Bea");
}

TEST(CoreSettings, DefaultsAreWrittenToTheExactBytes) {
    const SettingsBytes b = encodeSettings(defaultSettings(), SettingsBytes{});
    const std::string colors(
        "\x00\x00\x55\x00\x00\xFF\x40\x00\x40\x00\x80\x00\x00\xFF\xFF\x00\xE2\xC6\xFF\x00"
        "\x00",
        21);
    EXPECT_EQ(std::string(b.begin(), b.begin() + 21), colors);
    // PastEvents, Warnings, CloseToTray, Startup, AllOccurrences, SoundFlag, NoticeAtStart,
    // NoticeAtExit, Hints, StartInTray, Balloon; then four bytes never set and no sound file.
    EXPECT_EQ(std::string(b.begin() + 21, b.begin() + 37), std::string("01030110101\0\0\0\0\0", 16));
    EXPECT_TRUE(b[292] == 1 && b[293] == 3 && b[1062] + b[1063] == 0); // SoundMode, notice days, never set
    EXPECT_TRUE(b[294] && b[550] && b[806]);                           // the three web addresses
    EXPECT_EQ(decodeSettings(b, exists), defaultSettings());
}

TEST(CoreSettings, SavingKeepsTheBytesTheProgramDoesNotSet) {
    SettingsBytes base{};
    for (std::size_t i = 0; i < base.size(); ++i)
        base[i] = static_cast<std::uint8_t>(i * 7 + 3);
    base[26] = 'x'; // an unknown SoundFlag stays when no sound is chosen
    Settings s = defaultSettings();
    s.sound = SoundChoice::None;
    const SettingsBytes b = encodeSettings(s, base);
    for (std::size_t i : {32u, 33u, 34u, 35u, 1062u, 1063u, 400u}) // 400: beyond the map page's text
        EXPECT_EQ(b[i], base[i]) << i;
    EXPECT_TRUE(b[26] == 'x' && b[20] == 0 && b[292] == 3);
}

TEST(CoreSettings, ReadingFollowsTheApplyOrder) {
    Settings s = defaultSettings();
    s.pastEvents = s.closeToTray = true;
    s.start = StartChoice::Passive;
    s.noticeDays = 10;
    s.soundFile = s.soundDialogFile = "/home/u/csengo.wav";
    s.sound = SoundChoice::File;
    s.colors = kThemeMadcap;
    s.mapPage = "https://terkep.example/";
    SettingsBytes b = encodeSettings(s, SettingsBytes{});
    EXPECT_TRUE(b[26] == '2' && decodeSettings(b, exists) == s);
    // The own file is gone: the default sound, the name kept.
    const Settings gone = decodeSettings(b, [](const std::string&) { return false; });
    EXPECT_TRUE(gone.sound == SoundChoice::Default && gone.soundFile == s.soundFile);
    // SoundMode wins over SoundFlag; an unknown SoundMode leaves the flag's choice.
    const auto sound = [&](char flag, std::uint8_t mode) {
        b[26] = flag, b[292] = mode;
        return decodeSettings(b, exists).sound;
    };
    EXPECT_TRUE(sound('1', 3) == SoundChoice::None && sound('1', 9) == SoundChoice::Default);
    EXPECT_EQ(sound('2', 9), SoundChoice::File);
    b[24] = '7';
    EXPECT_EQ(decodeSettings(b, exists).start, StartChoice::None);
    b[293] = 0;
    EXPECT_EQ(decodeSettings(b, exists).noticeDays, 1);
}

TEST(CoreSettings, TheFileHoldsOneRecord) {
    zel::test::TempDir dir;
    const auto path = dir.path() / kSettingsFileName;
    EXPECT_FALSE(readSettingsFile(path).has_value());
    const SettingsBytes b = encodeSettings(defaultSettings(), SettingsBytes{});
    writeSettingsFile(path, b);
    EXPECT_TRUE(zel::test::readFile(path).size() == 1064u && readSettingsFile(path) == b);
    // Whatever follows the record is never read: 256 MiB after it (sparse, so no disk) leave the
    // process's peak far below their size.
    std::filesystem::resize_file(path, kSettingsRecordSize + (256u << 20));
    EXPECT_EQ(readSettingsFile(path), b);
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    EXPECT_LT(usage.ru_maxrss, 128 * 1024) << "KiB at the peak";
}

TEST(CoreInstanceIdentity, SizeSumAndTheRegisterOfTheCrc) {
    // "123456789": the CRC-32 register without its final inversion is ~0xCBF43926.
    const ExeIdentity id = identityOf("123456789");
    EXPECT_EQ(id.size, 9u);
    EXPECT_EQ(id.sum, 477u);
    EXPECT_EQ(id.crc, ~0xCBF43926u);
    EXPECT_EQ(identityOf(""), (ExeIdentity{0, 0, 0xFFFFFFFFu}));
}

TEST(CoreInstanceIdentity, AFileReadInPiecesHasTheIdentityOfItsBytes) {
    test::TempDir dir;
    std::string bytes;
    for (int i = 0; i < 200'000; ++i) // several reads' worth, the last one partial
        bytes += static_cast<char>(i * 7 % 251);
    test::writeFile(dir.path() / "exe", bytes);
    EXPECT_EQ(identityOfFile(dir.path() / "exe"), identityOf(bytes));
    EXPECT_EQ(identityOfFile(dir.path() / "none"), ExeIdentity{});
}

TEST(CoreInstanceIdentity, AnActivationCarriesTheDesktopsTokenAndNothingElsePasses) {
    const ExeIdentity own{0x04030201u, 5u, 6u};
    const std::string query = encodeEnquiry(own, {InstanceRequest::Query, "ignored"});
    EXPECT_EQ(query, std::string("\x01\x02\x03\x04\x05\0\0\0\x06\0\0\0q", 13));
    const std::string activate = encodeEnquiry(own, {InstanceRequest::Activate, "ab_TIME9"});
    EXPECT_EQ(activate, query.substr(0, 12) + std::string("a\x08\0ab_TIME9", 11));
    EXPECT_EQ(encodeEnquiry(own, {InstanceRequest::Activate, ""}),
              query.substr(0, 12) + std::string("a\0\0", 3));

    using Status = EnquiryRead::Status;
    const auto read = [&](std::string_view bytes) { return readEnquiry(bytes, own); };
    EXPECT_EQ(read(query).status, Status::Complete);
    EXPECT_EQ(read(query).enquiry, (Enquiry{InstanceRequest::Query, ""}));
    EXPECT_EQ(read(activate).enquiry, (Enquiry{InstanceRequest::Activate, "ab_TIME9"}));
    // Every shorter piece waits for the rest; one byte more is no enquiry.
    for (std::size_t n = 0; n < activate.size(); ++n)
        EXPECT_EQ(read(activate.substr(0, n)).status, Status::NeedsMore) << n;
    EXPECT_EQ(read(activate + "x").status, Status::Invalid);
    EXPECT_EQ(read(query + "x").status, Status::Invalid);
    // Another build is turned away as soon as its identity is in.
    EXPECT_EQ(read(encodeEnquiry({1, 2, 3}, {InstanceRequest::Query, ""}).substr(0, 12)).status,
              Status::Invalid);
    std::string unknown = query;
    unknown[12] = 'x';
    EXPECT_EQ(read(unknown).status, Status::Invalid);
    // A token is a short printable name.
    EXPECT_EQ(read(encodeEnquiry(own, {InstanceRequest::Activate, "a b"})).status, Status::Invalid);
    EXPECT_EQ(read(encodeEnquiry(own, {InstanceRequest::Activate, "a\nb"})).status, Status::Invalid);
    EXPECT_EQ(read(encodeEnquiry(own, {InstanceRequest::Activate, std::string(1024, 'x')})).status,
              Status::Complete);
    EXPECT_EQ(read(encodeEnquiry(own, {InstanceRequest::Activate, std::string(1025, 'x')})).status,
              Status::Invalid);
}
