#include "core/settings/further_settings.h"

#include "core/errors.h"
#include "core/exchange/exchange_text.h"
#include "core/storage/record_file.h"

#include <algorithm>
#include <cerrno>

namespace zel {

namespace {

constexpr std::string_view kHeader = "# Zelmoran: beállítások, amelyeknek a beallitasok.cfg-ben nincs helye";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// One key of the file. Keys are English, lowercase, with hyphens.
struct Key {
    std::string_view name;
    std::string (*value)(const Settings&);
    // False when the value is not understood; the setting is left as it was then.
    bool (*apply)(std::string_view value, Settings&);
};

std::string_view trimmed(std::string_view s) {
    constexpr std::string_view kBlanks = " \t";
    const std::size_t from = s.find_first_not_of(kBlanks);
    if (from == std::string_view::npos) return {};
    return s.substr(from, s.find_last_not_of(kBlanks) - from + 1);
}

std::string onOff(bool on) {
    return on ? "on" : "off";
}

bool readOnOff(std::string_view value, bool& into) {
    if (value != "on" && value != "off") return false;
    into = value == "on";
    return true;
}

// A text value: UTF-8 without control characters, so it always stays one line of the file. Blanks
// at its ends do not count, as around every value.
std::string text(const std::string& value) {
    std::string out;
    for (const char c : value)
        if (static_cast<unsigned char>(c) >= 0x20 && c != 0x7F) out += c;
    return std::string(trimmed(out));
}

bool readText(std::string_view value, std::string& into) {
    if (!exchange::isUtf8(value)) return false;
    for (const char c : value)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) return false;
    into = value;
    return true;
}

// Whole minutes in decimal digits, 0 to kSyncEveryMinutesMax.
bool readMinutes(std::string_view value, int& into) {
    if (value.empty()) return false;
    int n = 0;
    for (const char c : value) {
        if (c < '0' || c > '9') return false;
        n = n * 10 + (c - '0');
        if (n > kSyncEveryMinutesMax) return false;
    }
    into = n;
    return true;
}

// A time of day as "H:MM" or "HH:MM", 0:00 to 23:59.
std::string clockTime(int minute) {
    minute = std::clamp(minute, 0, 24 * 60 - 1);
    const std::string mm = std::to_string(minute % 60);
    return std::to_string(minute / 60) + ":" + (mm.size() < 2 ? "0" : "") + mm;
}

bool readClockTime(std::string_view value, int& into) {
    const std::size_t colon = value.find(':');
    if (colon == std::string_view::npos || colon < 1 || colon > 2 || value.size() != colon + 3) return false;
    int hour = 0, minute = 0;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (i == colon) continue;
        if (value[i] < '0' || value[i] > '9') return false;
        int& part = i < colon ? hour : minute;
        part = part * 10 + (value[i] - '0');
    }
    if (hour > 23 || minute > 59) return false;
    into = hour * 60 + minute;
    return true;
}

constexpr Key kKeys[] = {
    {"desktop-notifications", [](const Settings& s) { return onOff(s.desktopNotifications); },
     [](std::string_view v, Settings& s) { return readOnOff(v, s.desktopNotifications); }},
    {"run-missed-launches", [](const Settings& s) { return onOff(s.catchUpLaunches); },
     [](std::string_view v, Settings& s) { return readOnOff(v, s.catchUpLaunches); }},
    {"sync-server", [](const Settings& s) { return text(s.account.server); },
     [](std::string_view v, Settings& s) { return readText(v, s.account.server); }},
    {"sync-user", [](const Settings& s) { return text(s.account.user); },
     [](std::string_view v, Settings& s) { return readText(v, s.account.user); }},
    {"sync-address-book", [](const Settings& s) { return text(s.account.addressBook); },
     [](std::string_view v, Settings& s) { return readText(v, s.account.addressBook); }},
    {"sync-address-book-name", [](const Settings& s) { return text(s.account.addressBookName); },
     [](std::string_view v, Settings& s) { return readText(v, s.account.addressBookName); }},
    {"sync-every-minutes",
     [](const Settings& s) {
         return std::to_string(std::clamp(s.account.everyMinutes, 0, kSyncEveryMinutesMax));
     },
     [](std::string_view v, Settings& s) { return readMinutes(v, s.account.everyMinutes); }},
    {"sync-calendar", [](const Settings& s) { return text(s.account.calendar); },
     [](std::string_view v, Settings& s) { return readText(v, s.account.calendar); }},
    {"sync-calendar-name", [](const Settings& s) { return text(s.account.calendarName); },
     [](std::string_view v, Settings& s) { return readText(v, s.account.calendarName); }},
    {"calendar-alarm-time", [](const Settings& s) { return clockTime(s.celebrationAlarmMinute); },
     [](std::string_view v, Settings& s) { return readClockTime(v, s.celebrationAlarmMinute); }},
};

// A line's key and value, as an editor on any system may have left them: a byte order mark before the
// first line, a CR before the LF and blanks around the key and the value do not count.
struct Entry {
    std::string_view key, value;
};
std::optional<Entry> entryOf(std::string_view line, bool first) {
    if (first && line.starts_with(kByteOrderMark)) line.remove_prefix(kByteOrderMark.size());
    if (line.ends_with('\r')) line.remove_suffix(1);
    line = trimmed(line);
    if (line.empty() || line.front() == '#' || line.front() == ';') return std::nullopt;
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos) return std::nullopt;
    return Entry{trimmed(line.substr(0, eq)), trimmed(line.substr(eq + 1))};
}

} // namespace

FurtherSettingsText FurtherSettingsText::created() {
    return parse(std::string(kHeader) + '\n');
}

FurtherSettingsText FurtherSettingsText::parse(std::string_view bytes) {
    FurtherSettingsText text;
    for (;;) {
        const std::size_t lf = bytes.find('\n');
        text.lines_.emplace_back(bytes.substr(0, lf));
        if (lf == std::string_view::npos) break;
        bytes.remove_prefix(lf + 1);
    }
    return text;
}

Settings FurtherSettingsText::applyTo(Settings base) const {
    for (const Key& key : kKeys) {
        for (std::size_t i = 0; i < lines_.size(); ++i) {
            const std::optional<Entry> e = entryOf(lines_[i], i == 0);
            if (!e || e->key != key.name) continue;
            key.apply(e->value, base);
            break;
        }
    }
    return base;
}

void FurtherSettingsText::set(const Settings& s) {
    for (const Key& key : kKeys) {
        std::string line = std::string(key.name) + '=' + key.value(s);
        bool replaced = false;
        for (std::size_t i = 0; i < lines_.size() && !replaced; ++i) {
            const std::optional<Entry> e = entryOf(lines_[i], i == 0);
            if (!e || e->key != key.name) continue;
            // The line keeps what framed it: the byte order mark of a first line, a CR end.
            std::string& old = lines_[i];
            if (i == 0 && old.starts_with(kByteOrderMark)) line.insert(0, kByteOrderMark);
            if (old.ends_with('\r')) line += '\r';
            old = std::move(line);
            replaced = true;
        }
        if (replaced) continue;
        // Before the empty piece a final LF leaves; a last line without its LF gets one.
        if (lines_.back().empty())
            lines_.insert(lines_.end() - 1, std::move(line));
        else
            lines_.insert(lines_.end(), {std::move(line), std::string()});
    }
}

std::string FurtherSettingsText::bytes() const {
    std::string out;
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) out += '\n';
        out += lines_[i];
    }
    return out;
}

std::optional<FurtherSettingsText> readFurtherSettingsFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return std::nullopt;
    // One byte past the limit tells a file that is too large, without reading it all.
    const std::string bytes = readFirstBytes(path, kFurtherSettingsMaxSize + 1);
    if (bytes.size() > kFurtherSettingsMaxSize) throw IoError(EFBIG, path.string());
    return FurtherSettingsText::parse(bytes);
}

void writeFurtherSettingsFile(const std::filesystem::path& path, const FurtherSettingsText& text) {
    replaceFile(path, text.bytes());
}

} // namespace zel
