#include "core/errors.h"
#include "core/settings/settings_record.h"
#include "support/test_util.h"

#include <gtest/gtest.h>

using namespace zel;

namespace {
auto exists = [](const std::string&) { return true; };
auto missing = [](const std::string&) { return false; };
} // namespace

TEST(Settings, DefaultsAreWrittenToTheExactBytes) {
    const SettingsBytes b = encodeSettings(defaultSettings(), SettingsBytes{});
    const std::uint8_t colors[20] = {0x00, 0x00, 0x55, 0x00, 0x00, 0xFF, 0x40, 0x00, 0x40, 0x00,
                                     0x80, 0x00, 0x00, 0xFF, 0xFF, 0x00, 0xE2, 0xC6, 0xFF, 0x00};
    for (int i = 0; i < 20; ++i)
        EXPECT_EQ(b[i], colors[i]) << i;
    EXPECT_EQ(b[20], 0);
    // PastEvents, Warnings, CloseToTray, Startup, AllOccurrences, SoundFlag, NoticeAtStart,
    // NoticeAtExit, Hints, StartInTray, Balloon
    EXPECT_EQ(std::string(b.begin() + 21, b.begin() + 32), "01030110101");
    for (int i = 32; i < 36; ++i)
        EXPECT_EQ(b[i], 0);
    EXPECT_EQ(b[36], 0); // no sound file
    EXPECT_EQ(b[292], 1);
    EXPECT_EQ(b[293], 3);
    EXPECT_GT(b[294], 0);
    EXPECT_GT(b[550], 0);
    EXPECT_GT(b[806], 0);
    EXPECT_EQ(b[1062], 0);
    EXPECT_EQ(b[1063], 0);
    EXPECT_EQ(decodeSettings(b, exists), defaultSettings());
}

TEST(Settings, SavingKeepsTheBytesTheProgramDoesNotSet) {
    SettingsBytes base{};
    for (std::size_t i = 0; i < base.size(); ++i)
        base[i] = static_cast<std::uint8_t>(i * 7 + 3);
    base[26] = 'x'; // an unknown SoundFlag stays when no sound is chosen
    Settings s = defaultSettings();
    s.sound = SoundChoice::None;
    const SettingsBytes b = encodeSettings(s, base);
    for (std::size_t i : {32u, 33u, 34u, 35u, 1062u, 1063u})
        EXPECT_EQ(b[i], base[i]) << i;
    EXPECT_EQ(b[26], 'x');
    EXPECT_EQ(b[20], 0);
    EXPECT_EQ(b[292], 3);
    // Beyond each text the old bytes may stay.
    EXPECT_EQ(b[300 + 100], base[400]);
}

TEST(Settings, ReadingFollowsTheApplyOrder) {
    Settings s = defaultSettings();
    s.pastEvents = true;
    s.closeToTray = true;
    s.start = StartChoice::Passive;
    s.noticeDays = 10;
    s.soundFile = "/home/u/csengo.wav";
    s.soundDialogFile = s.soundFile;
    s.sound = SoundChoice::File;
    s.colors = kThemeBolondos;
    s.mapPage = "https://terkep.example/";
    SettingsBytes b = encodeSettings(s, SettingsBytes{});
    EXPECT_EQ(b[26], '2');
    EXPECT_EQ(decodeSettings(b, exists), s);

    // The own file is gone: the default sound, the name kept.
    const Settings gone = decodeSettings(b, missing);
    EXPECT_EQ(gone.sound, SoundChoice::Default);
    EXPECT_EQ(gone.soundFile, s.soundFile);

    // SoundMode wins over SoundFlag; an unknown SoundMode leaves the flag's choice.
    b[26] = '1';
    b[292] = 3;
    EXPECT_EQ(decodeSettings(b, exists).sound, SoundChoice::None);
    b[292] = 9;
    EXPECT_EQ(decodeSettings(b, exists).sound, SoundChoice::Default);
    b[26] = '2';
    EXPECT_EQ(decodeSettings(b, exists).sound, SoundChoice::File);

    b[24] = '7';
    EXPECT_EQ(decodeSettings(b, exists).start, StartChoice::None);
    b[293] = 0;
    EXPECT_EQ(decodeSettings(b, exists).noticeDays, 1);
}

TEST(Settings, TheFileHoldsOneRecordAndAShortFileIsAnError) {
    zel::test::TempDir dir;
    const auto path = dir.path() / kSettingsFileName;
    EXPECT_FALSE(readSettingsFile(path).has_value());
    const SettingsBytes b = encodeSettings(defaultSettings(), SettingsBytes{});
    writeSettingsFile(path, b);
    EXPECT_EQ(zel::test::readFile(path).size(), 1064u);
    EXPECT_EQ(readSettingsFile(path), b);
    for (std::size_t size : {0u, 100u, 1063u}) {
        zel::test::writeFile(path, std::string(size, '1'));
        try {
            readSettingsFile(path);
            ADD_FAILURE() << size << " bytes read as a record";
        } catch (const IoError& e) {
            EXPECT_EQ(e.code(), kReadPastEnd);
            EXPECT_STREQ(e.what(), "I/O error 100");
        }
        EXPECT_EQ(zel::test::readFile(path), std::string(size, '1'));
    }
}
