#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

namespace zel {

constexpr std::size_t kSettingsRecordSize = 1064;
constexpr const char* kSettingsFileName = "beallitasok.cfg";
using SettingsBytes = std::array<std::uint8_t, kSettingsRecordSize>;

// Windows colour values, 0x00BBGGRR: background, captions, text background, text, variations.
using ThemeColors = std::array<std::uint32_t, 5>;
// The three ready colour sets: "Kékes-zöld" (the default), "Fekete-fehér" and "Bolondos".
constexpr ThemeColors kThemeBluishGreen = {0x00550000, 0x0040FF00, 0x00800040, 0x00FFFF00, 0x00FFC6E2};
constexpr ThemeColors kThemeBlackAndWhite = {0x007E7E7E, 0x00FFFFFF, 0x00616161, 0x00D5D3D2, 0x00292525};
constexpr ThemeColors kThemeMadcap = {0x007617B5, 0x00A4EF65, 0x008A1D8D, 0x00D5FFFF, 0x004FF2FB};

// The close choices, the start choices and the sound choices of the settings tab.
enum class StartChoice : char { None = '0', Active = '1', Passive = '2', No = '3' };
enum class SoundChoice { Default = 1, File = 2, None = 3 };

// The address book on a server the partners are synchronised with. UTF-8 texts; no server: no account.
// The password is never here: it lives in the desktop's secret store or, for one run, in memory.
struct SyncAccount {
    std::string server;          // as the user gave it, e.g. "https://cloud.example.hu"
    std::string user;            // the user name on the server
    std::string addressBook;     // the chosen collection's URL
    std::string addressBookName; // its display name, as the server gave it
    // Minutes between automatic runs, 0 to kSyncEveryMinutesMax; 0: only by hand, else also at start.
    int everyMinutes = 0;
    // The calendar the dates are published to, Zelmoran's own; empty when they are not published.
    std::string calendar;
    std::string calendarName; // its display name, as the server gave it

    // A server and an address book: enough to synchronise.
    bool configured() const { return !server.empty() && !addressBook.empty(); }
    bool operator==(const SyncAccount&) const = default;
};
constexpr int kSyncEveryMinutesMax = 24 * 60;

// Every user setting, as the settings tab holds it.
struct Settings {
    ThemeColors colors = kThemeBluishGreen;
    // The "Általános" options, in their order on the settings tab.
    bool warnings = true;        // warning windows, e.g. on the way to passive mode
    bool allOccurrences = false; // name-day lists from every day a name has, not its main day only
    bool pastEvents = false;     // the listing shows past events too
    bool hints = true;           // hints over the settings tab's controls
    bool balloon = true;         // the tray balloon with today's and tomorrow's name days at start
    bool closeToTray = false;
    StartChoice start = StartChoice::No;
    SoundChoice sound = SoundChoice::Default;
    // The chosen own sound file, and the name the sound file dialog last held; "Alap-beállítások"
    // clears only the first. Windows-1250, at most 255 bytes each.
    std::string soundFile;
    std::string soundDialogFile;
    int noticeDays = 3; // 1 to 10
    bool noticeAtStart = true;
    bool noticeAtExit = false;
    bool startInTray = false;
    std::string mapPage;
    std::string smsPage;
    std::string phonePage;
    // Beyond the record: kept in the further settings file beside it, never in the record's bytes.
    // Alerts are also posted to the desktop's notification list.
    bool desktopNotifications = true;
    // Program launches whose minute passed unwatched (a suspend, the computer off) run when it is noticed.
    bool catchUpLaunches = false;
    // When a published or exported name day or birthday alerts on its day, in minutes after midnight.
    int celebrationAlarmMinute = 9 * 60;
    // Set in its own dialog; "Alap-beállítások" leaves it as it is.
    SyncAccount account;

    bool operator==(const Settings&) const = default;
};

// The defaults of a first start and of "Alap-beállítások".
Settings defaultSettings();

// Reads a record into settings, in the order the program applies it: SoundFlag first, then SoundMode
// over it (an unknown SoundMode leaves the SoundFlag choice). soundFileExists decides the fallback to
// the default sound for a missing own file.
Settings decodeSettings(const SettingsBytes& bytes,
                        const std::function<bool(const std::string&)>& soundFileExists);

// Builds the record over `base` (the last record read, zeros for a new file), so bytes the program
// does not set keep their values.
SettingsBytes encodeSettings(const Settings& s, const SettingsBytes& base);

// The settings file: nullopt when it is missing. A file shorter than one record throws IoError
// (kReadPastEnd), as does every other failure.
std::optional<SettingsBytes> readSettingsFile(const std::filesystem::path& path);
void writeSettingsFile(const std::filesystem::path& path, const SettingsBytes& bytes);

} // namespace zel
