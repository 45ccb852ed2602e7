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
// The key appended after the notifications by every rewrite of a file that lacks it.
const std::string kLaunches = "run-missed-launches=off\n";

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
