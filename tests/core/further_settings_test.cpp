#include "core/app/last_watched.h"
#include "core/app/paths.h"
#include "core/errors.h"
#include "core/settings/further_settings.h"
#include "support/test_util.h"

#include <cerrno>
#include <functional>
#include <gtest/gtest.h>

using namespace zel;
using zel::test::readFile;
using zel::test::TempDir;
using zel::test::writeFile;

namespace {

const std::string kHeader = "# Zelmoran: beállítások, amelyeknek a beallitasok.cfg-ben nincs helye\n";
// The keys of a settings without an account, in the order a new file gets them.
const std::string kNoAccount =
    "sync-server=\nsync-user=\nsync-address-book=\nsync-address-book-name=\nsync-every-minutes=0\n"
    "sync-calendar=\nsync-calendar-name=\ncalendar-alarm-time=9:00\n";
// The keys appended after the notifications by every rewrite of a file that lacks them.
const std::string kLaunches = "run-missed-launches=off\n" + kNoAccount;

Settings notifications(bool on) {
    Settings s = defaultSettings();
    s.desktopNotifications = on;
    return s;
}

// The text after the program set the settings' keys in it.
std::string rewritten(std::string_view bytes, const Settings& s) {
    FurtherSettingsText text = FurtherSettingsText::parse(bytes);
    text.set(s);
    return text.bytes();
}

bool readsOn(std::string_view bytes) {
    return FurtherSettingsText::parse(bytes).applyTo(defaultSettings()).desktopNotifications;
}

// What op throws; error number 0 when it goes through.
IoError errorOf(const std::function<void()>& op) {
    try {
        op();
    } catch (const IoError& e) {
        return e;
    }
    return IoError(0, {});
}

} // namespace

TEST(CoreFurtherSettings, ANewFileHoldsTheHeaderAndEveryKeyAndTheRecordNeverHoldsThem) {
    TempDir dir;
    const AppPaths paths{dir.path()};
    EXPECT_FALSE(readFurtherSettingsFile(paths.furtherSettings()).has_value()); // missing: the defaults
    EXPECT_FALSE(holdsData(paths));

    FurtherSettingsText text = FurtherSettingsText::created();
    text.set(notifications(false));
    writeFurtherSettingsFile(paths.furtherSettings(), text);
    EXPECT_EQ(readFile(paths.furtherSettings()), kHeader + "desktop-notifications=off\n" + kLaunches);
    const std::optional<FurtherSettingsText> read = readFurtherSettingsFile(paths.furtherSettings());
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->applyTo(defaultSettings()), notifications(false));
    EXPECT_EQ(rewritten(read->bytes(), defaultSettings()),
              kHeader + "desktop-notifications=on\n" + kLaunches);
    // A folder with only this file holds data of its own.
    EXPECT_TRUE(holdsData(paths));

    // The record's bytes are the same whatever the setting, and reading a record gives the default.
    const SettingsBytes record = encodeSettings(defaultSettings(), SettingsBytes{});
    EXPECT_EQ(encodeSettings(notifications(false), SettingsBytes{}), record);
    EXPECT_TRUE(decodeSettings(record, [](const std::string&) { return true; }).desktopNotifications);
}

TEST(CoreFurtherSettings, ARewriteChangesTheKeysLineInPlaceAndKeepsEveryOtherLineVerbatim) {
    // Comments, blank lines, an unknown key, malformed lines, Windows-1250 bytes, CRLF ends, a later
    // duplicate of the key and a last line without its LF.
    const std::string before = "# kézzel írt megjegyzés\r\n"
                               "\n"
                               "  \t\n"
                               "catch-up-launches=on\n"
                               "no equals sign\n"
                               "=nameless\n"
                               "; \xE1rv\xEDzt\xFBr\xF5 t\xFCk\xF6rf\xFAr\xF3g\xE9p\n"
                               "desktop-notifications=off\r\n"
                               "\xFF\xFE=\x80\n"
                               "desktop-notifications=on\n"
                               "# desktop-notifications=on\n"
                               "future-key=1 2 3";
    // The first line of the key counts; its CR end does not hide it.
    EXPECT_FALSE(readsOn(before));
    std::string after = before;
    after.replace(after.find("desktop-notifications=off"), 25, "desktop-notifications=on");
    EXPECT_EQ(rewritten(before, defaultSettings()), after + "\n" + kLaunches);
    EXPECT_EQ(rewritten(before, notifications(false)), before + "\n" + kLaunches);
    // Nothing set, nothing changed.
    EXPECT_EQ(FurtherSettingsText::parse(before).bytes(), before);

    // A missing key is appended after the last line, which gets the LF it lacked.
    EXPECT_EQ(rewritten("# mine\nfoo=bar", notifications(false)),
              "# mine\nfoo=bar\ndesktop-notifications=off\n" + kLaunches);
    EXPECT_EQ(rewritten("# mine\r\n\r\n", defaultSettings()),
              "# mine\r\n\r\ndesktop-notifications=on\n" + kLaunches);
    // An existing empty file is the user's: no header is put in.
    EXPECT_EQ(rewritten("", defaultSettings()), "desktop-notifications=on\n" + kLaunches);
    // Blanks around the key and the value and a byte order mark are an editor's; the mark stays.
    EXPECT_FALSE(readsOn(" desktop-notifications =\toff \n"));
    const std::string bom = "\xEF\xBB\xBF";
    EXPECT_EQ(rewritten(bom + "desktop-notifications=off\nx\n", defaultSettings()),
              bom + "desktop-notifications=on\nx\n" + kLaunches);
}

TEST(CoreFurtherSettings, AValueNotUnderstoodReadsAsTheDefaultAndStaysUntilTheKeyIsSet) {
    for (const char* value : {"maybe", "ON", "Off", "1", "", "on off"}) {
        const std::string bytes =
            std::string("a=b\ndesktop-notifications=") + value + "\ndesktop-notifications=off\n";
        EXPECT_TRUE(readsOn(bytes)) << value;
        EXPECT_EQ(FurtherSettingsText::parse(bytes).bytes(), bytes);
        EXPECT_EQ(rewritten(bytes, notifications(false)),
                  "a=b\ndesktop-notifications=off\ndesktop-notifications=off\n" + kLaunches)
            << value;
    }
    // Over settings that are not the defaults, such a value keeps theirs.
    EXPECT_FALSE(FurtherSettingsText::parse("desktop-notifications=maybe\n")
                     .applyTo(notifications(false))
                     .desktopNotifications);
    // Another key's name is not this one's.
    EXPECT_TRUE(
        readsOn("Desktop-Notifications=off\ndesktop-notifications-x=off\ndesktop notifications=off\n"));
}

TEST(CoreFurtherSettings, AFolderAtTheNameOrAnOversizeFileIsAnErrorAndStaysAsItIs) {
    TempDir dir;
    const AppPaths paths{dir.path()};
    std::filesystem::create_directories(paths.furtherSettings());
    EXPECT_EQ(errorOf([&] { readFurtherSettingsFile(paths.furtherSettings()); }).code(), EISDIR);
    FurtherSettingsText text = FurtherSettingsText::created();
    text.set(defaultSettings());
    EXPECT_NE(errorOf([&] { writeFurtherSettingsFile(paths.furtherSettings(), text); }).code(), 0);
    EXPECT_TRUE(std::filesystem::is_directory(paths.furtherSettings()));
    std::filesystem::remove(paths.furtherSettings());

    // 64 KiB is the most a file of ours holds.
    std::string most = "desktop-notifications=off\n";
    most += std::string(kFurtherSettingsMaxSize - most.size() - 1, '#') + '\n';
    writeFile(paths.furtherSettings(), most);
    EXPECT_FALSE(
        readFurtherSettingsFile(paths.furtherSettings())->applyTo(defaultSettings()).desktopNotifications);
    writeFile(paths.furtherSettings(), most + 'x');
    const IoError oversize = errorOf([&] { readFurtherSettingsFile(paths.furtherSettings()); });
    EXPECT_EQ(oversize.code(), EFBIG);
    EXPECT_EQ(oversize.path(), paths.furtherSettings().string());
    EXPECT_EQ(readFile(paths.furtherSettings()), most + 'x');
}

Settings withAccount() {
    Settings s = defaultSettings();
    s.account = {"https://cloud.example.hu", "anna.kovács", "https://cloud.example.hu/dav/anna/névjegyek/",
                 "Névjegyek", 15, {}, {}};
    return s;
}

TEST(CoreFurtherSettings, TheAccountRoundTripsInItsOwnLinesAndABadValueKeepsWhatWasThere) {
    const std::string account = "sync-server=https://cloud.example.hu\n"
                                "sync-user=anna.kovács\n"
                                "sync-address-book=https://cloud.example.hu/dav/anna/névjegyek/\n"
                                "sync-address-book-name=Névjegyek\n"
                                "sync-every-minutes=15\n"
                                "sync-calendar=\nsync-calendar-name=\ncalendar-alarm-time=9:00\n";
    FurtherSettingsText text = FurtherSettingsText::created();
    text.set(withAccount());
    EXPECT_EQ(text.bytes(), kHeader + "desktop-notifications=on\nrun-missed-launches=off\n" + account);
    EXPECT_EQ(FurtherSettingsText::parse(text.bytes()).applyTo(defaultSettings()), withAccount());
    // No account: every key empty, and the interval 0.
    EXPECT_EQ(rewritten(text.bytes(), defaultSettings()), kHeader + "desktop-notifications=on\n" + kLaunches);

    // In a file of the user's, only the account's lines change; a key set twice changes at its first line.
    const std::string mine = "# saját\r\nsync-every-minutes=5\r\nx=y\nsync-server = https://old.example \n"
                             "sync-server=https://other.example\n";
    EXPECT_EQ(FurtherSettingsText::parse(mine).applyTo(defaultSettings()).account.server,
              "https://old.example");
    EXPECT_EQ(rewritten(mine, withAccount()),
              "# saját\r\nsync-every-minutes=15\r\nx=y\nsync-server=https://cloud.example.hu\n"
              "sync-server=https://other.example\n"
              "desktop-notifications=on\nrun-missed-launches=off\nsync-user=anna.kovács\n"
              "sync-address-book=https://cloud.example.hu/dav/anna/névjegyek/\n"
              "sync-address-book-name=Névjegyek\n"
              "sync-calendar=\nsync-calendar-name=\ncalendar-alarm-time=9:00\n");

    // Values not understood keep what the settings held: minutes beyond a day, not digits, a sign, a
    // text that is not UTF-8 or holds a control character. The line stays until the key is set.
    for (const char* bad :
         {"sync-every-minutes=1441", "sync-every-minutes=-5", "sync-every-minutes=5 perc",
          "sync-every-minutes=", "sync-every-minutes=0x10", "sync-every-minutes=99999999999",
          "sync-user=anna\xE1", "sync-user=an\x01na", "sync-address-book-name=\xC3"}) {
        const std::string bytes = std::string(bad) + "\n";
        EXPECT_EQ(FurtherSettingsText::parse(bytes).applyTo(withAccount()), withAccount()) << bad;
        EXPECT_EQ(FurtherSettingsText::parse(bytes).bytes(), bytes) << bad;
    }
    // The limits, a leading zero and an empty text are understood.
    const auto minutes = [](const char* v) {
        return FurtherSettingsText::parse(std::string("sync-every-minutes=") + v)
            .applyTo(withAccount())
            .account.everyMinutes;
    };
    EXPECT_EQ(minutes("0"), 0);
    EXPECT_EQ(minutes("1440"), 1440);
    EXPECT_EQ(minutes("0015"), 15);
    EXPECT_EQ(FurtherSettingsText::parse("sync-user=\n").applyTo(withAccount()).account.user, "");

    // What the program writes stays one line and reads back: control characters are left out, blanks at
    // the ends do not count, an interval out of range is written at its limit.
    Settings odd = withAccount();
    odd.account.user = " anna\r\nsync-server=evil\t ";
    odd.account.everyMinutes = 5000;
    const std::string oddBytes = rewritten("", odd);
    EXPECT_NE(oddBytes.find("\nsync-user=annasync-server=evil\n"), std::string::npos) << oddBytes;
    EXPECT_NE(oddBytes.find("\nsync-every-minutes=1440\n"), std::string::npos) << oddBytes;
    EXPECT_EQ(FurtherSettingsText::parse(oddBytes).applyTo(defaultSettings()).account.server,
              "https://cloud.example.hu");
}

TEST(CoreFurtherSettings, TheCalendarsAlarmTimeReadsOnlyAsAClockTimeOfTheDay) {
    const auto alarm = [](const std::string& v) {
        return FurtherSettingsText::parse("calendar-alarm-time=" + v + "\n")
            .applyTo(defaultSettings())
            .celebrationAlarmMinute;
    };
    EXPECT_EQ(alarm("7:30"), 7 * 60 + 30);
    EXPECT_EQ(alarm("07:05"), 7 * 60 + 5);
    EXPECT_EQ(alarm("0:00"), 0);
    EXPECT_EQ(alarm("23:59"), 23 * 60 + 59);
    for (const char* bad : {"24:00", "9:60", "9", "9:5", "123:00", ":30", "9.30", "-1:00", "", "9:00x"})
        EXPECT_EQ(alarm(bad), 9 * 60) << bad;
    Settings s = defaultSettings();
    s.celebrationAlarmMinute = 18 * 60 + 5;
    FurtherSettingsText text = FurtherSettingsText::created();
    text.set(s);
    EXPECT_NE(text.bytes().find("\ncalendar-alarm-time=18:05\n"), std::string::npos) << text.bytes();
    EXPECT_EQ(FurtherSettingsText::parse(text.bytes()).applyTo(defaultSettings()), s);
}

// The moment last watched: one exact line, written beside and renamed; anything else in its place
// reads as nothing known, and is never taken for a moment.
TEST(CoreLastWatched, OneExactLineAndAnythingElseReadsAsNothingKnown) {
    TempDir dir;
    const AppPaths paths{dir.path()};
    std::filesystem::create_directories(paths.dataDir());
    const auto file = paths.lastWatched();
    EXPECT_EQ(readLastWatched(file), std::nullopt);
    writeLastWatched(file, Moment::at(2024, 3, 5, 9, 5, 7, 999));
    EXPECT_EQ(readFile(file), "2024.03.05. 09:05:07\n");
    EXPECT_EQ(readLastWatched(file), Moment::at(2024, 3, 5, 9, 5, 7));
    writeLastWatched(file, Moment::at(2024, 12, 31, 23, 59, 59));
    EXPECT_EQ(readLastWatched(file), Moment::at(2024, 12, 31, 23, 59, 59));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(paths.dataDir()), {}), 1);
    EXPECT_EQ(decodeLastWatched("2024.03.05. 09:05:07"), Moment::at(2024, 3, 5, 9, 5, 7));
    for (const char* damaged :
         {"", "\n", "2024.03.05. 9:05:07\n", "2024.3.5. 09:05:07\n", "2024.02.30. 09:05:07\n",
          "2024.03.05. 24:00:00\n", "2024.03.05. 09:60:00\n", "2024.03.05.09:05:07\n",
          "2024.03.05. 09:05:07\n\n", "2024.03.05. 09:05:0x\n", "\x01\x02"}) {
        writeFile(file, damaged);
        EXPECT_EQ(readLastWatched(file), std::nullopt) << damaged;
    }
    writeFile(file, "2024.03.05. 09:05:07\n" + std::string(100, ' '));
    EXPECT_EQ(readLastWatched(file), std::nullopt);
    std::filesystem::remove(file);
    std::filesystem::create_directories(file);
    EXPECT_EQ(readLastWatched(file), std::nullopt);
}
