#include "core/settings/settings_record.h"

#include "core/errors.h"

#include "core/storage/record_file.h"
#include "core/text/field.h"

#include <algorithm>
#include <cstring>

namespace zel {

namespace {
enum Offset : std::size_t {
    kColors = 0,
    kReserved20 = 20,
    kPastEvents = 21,
    kWarnings = 22,
    kCloseToTray = 23,
    kStartup = 24,
    kAllOccurrences = 25,
    kSoundFlag = 26,
    kNoticeAtStart = 27,
    kNoticeAtExit = 28,
    kHints = 29,
    kStartInTray = 30,
    kBalloon = 31,
    kSoundFile = 36,
    kSoundMode = 292,
    kNoticeDays = 293,
    kMapPage = 294,
    kSmsPage = 550,
    kPhonePage = 806,
};
constexpr std::size_t kTextCapacity = 255;

bool flag(const SettingsBytes& b, std::size_t at) {
    return b[at] == '1';
}
std::uint8_t flagByte(bool on) {
    return on ? '1' : '0';
}
} // namespace

Settings defaultSettings() {
    Settings s;
    s.colors = kThemeBluishGreen;
    s.pastEvents = false;
    s.warnings = true;
    s.closeToTray = false;
    s.start = StartChoice::No;
    s.allOccurrences = false;
    s.noticeDays = 3;
    s.noticeAtStart = true;
    s.noticeAtExit = false;
    s.hints = true;
    s.startInTray = false;
    s.mapPage = "https://www.openstreetmap.org/";
    s.smsPage = "https://www.afreesms.com/intl/hungary";
    s.phonePage = "https://www.telefonkonyv.hu/";
    s.sound = SoundChoice::Default;
    s.soundFile.clear();
    s.balloon = true;
    return s;
}

Settings decodeSettings(const SettingsBytes& b,
                        const std::function<bool(const std::string&)>& soundFileExists) {
    Settings s;
    for (std::size_t i = 0; i < 5; ++i)
        s.colors[i] = getU32(b.data() + kColors + 4 * i);
    s.pastEvents = flag(b, kPastEvents);
    s.warnings = flag(b, kWarnings);
    s.closeToTray = flag(b, kCloseToTray);
    switch (b[kStartup]) {
    case '1':
        s.start = StartChoice::Active;
        break;
    case '2':
        s.start = StartChoice::Passive;
        break;
    case '3':
        s.start = StartChoice::No;
        break;
    default:
        s.start = StartChoice::None;
        break;
    }
    s.allOccurrences = flag(b, kAllOccurrences);
    s.sound = SoundChoice::Default;
    if (b[kSoundFlag] == '2') s.sound = SoundChoice::File;
    const std::string stored = getField(b.data() + kSoundFile, kTextCapacity);
    s.soundDialogFile = stored;
    s.noticeDays = std::clamp<int>(b[kNoticeDays], 1, 10);
    s.noticeAtStart = flag(b, kNoticeAtStart);
    s.noticeAtExit = flag(b, kNoticeAtExit);
    s.hints = flag(b, kHints);
    s.startInTray = flag(b, kStartInTray);
    s.balloon = flag(b, kBalloon);
    if (b[kSoundMode] >= 1 && b[kSoundMode] <= 3) s.sound = static_cast<SoundChoice>(b[kSoundMode]);
    s.mapPage = getField(b.data() + kMapPage, kTextCapacity);
    s.smsPage = getField(b.data() + kSmsPage, kTextCapacity);
    s.phonePage = getField(b.data() + kPhonePage, kTextCapacity);
    if (s.sound != SoundChoice::None) {
        s.soundFile = stored;
        if (!soundFileExists(stored)) s.sound = SoundChoice::Default;
    }
    return s;
}

SettingsBytes encodeSettings(const Settings& s, const SettingsBytes& base) {
    SettingsBytes b = base;
    for (std::size_t i = 0; i < 5; ++i)
        putU32(b.data() + kColors + 4 * i, s.colors[i]);
    b[kReserved20] = 0;
    b[kPastEvents] = flagByte(s.pastEvents);
    b[kWarnings] = flagByte(s.warnings);
    b[kCloseToTray] = flagByte(s.closeToTray);
    b[kStartup] = static_cast<std::uint8_t>(s.start);
    b[kAllOccurrences] = flagByte(s.allOccurrences);
    if (s.sound == SoundChoice::Default) b[kSoundFlag] = '1';
    if (s.sound == SoundChoice::File) b[kSoundFlag] = '2';
    putField(b.data() + kSoundFile, kTextCapacity, s.soundDialogFile);
    b[kNoticeDays] = static_cast<std::uint8_t>(std::clamp(s.noticeDays, 1, 10));
    b[kNoticeAtStart] = flagByte(s.noticeAtStart);
    b[kNoticeAtExit] = flagByte(s.noticeAtExit);
    b[kHints] = flagByte(s.hints);
    b[kStartInTray] = flagByte(s.startInTray);
    b[kBalloon] = flagByte(s.balloon);
    b[kSoundMode] = static_cast<std::uint8_t>(s.sound);
    putField(b.data() + kMapPage, kTextCapacity, s.mapPage);
    putField(b.data() + kSmsPage, kTextCapacity, s.smsPage);
    putField(b.data() + kPhonePage, kTextCapacity, s.phonePage);
    if (!s.soundFile.empty()) putField(b.data() + kSoundFile, kTextCapacity, s.soundFile);
    return b;
}

std::optional<SettingsBytes> readSettingsFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return std::nullopt;
    // Only the record: whatever follows it is not ours, and may be large.
    const std::string bytes = readFirstBytes(path, kSettingsRecordSize);
    // A file that holds no whole record is damaged, not missing: it is reported and kept.
    if (bytes.size() < kSettingsRecordSize) throw IoError(kReadPastEnd, path.string());
    SettingsBytes out{};
    std::memcpy(out.data(), bytes.data(), kSettingsRecordSize);
    return out;
}

void writeSettingsFile(const std::filesystem::path& path, const SettingsBytes& bytes) {
    replaceFile(path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
}

} // namespace zel
