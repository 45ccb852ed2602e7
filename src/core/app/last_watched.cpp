#include "core/app/last_watched.h"

#include "core/errors.h"
#include "core/storage/record_file.h"

#include <cstdio>

namespace zel {

std::string encodeLastWatched(Moment moment) {
    char time[16];
    std::snprintf(time, sizeof time, " %02d:%02d:%02d\n", moment.hour(), moment.minute(), moment.second());
    return dateText(moment.day) + time;
}

std::optional<Moment> decodeLastWatched(std::string_view text) {
    if (!text.empty() && text.back() == '\n') text.remove_suffix(1);
    // "YYYY.MM.DD. HH:MM:SS"
    if (text.size() != 20 || text[11] != ' ' || text[14] != ':' || text[17] != ':') return std::nullopt;
    const std::optional<DayNumber> day = tryParseDateText(text.substr(0, 11));
    if (!day || dateText(*day) != text.substr(0, 11)) return std::nullopt;
    int parts[3];
    for (int i = 0; i < 3; ++i) {
        const char hi = text[12 + i * 3], lo = text[13 + i * 3];
        if (hi < '0' || hi > '9' || lo < '0' || lo > '9') return std::nullopt;
        parts[i] = (hi - '0') * 10 + (lo - '0');
    }
    if (parts[0] > 23 || parts[1] > 59 || parts[2] > 59) return std::nullopt;
    return Moment{*day, ((parts[0] * 60LL + parts[1]) * 60 + parts[2]) * 1000};
}

std::optional<Moment> readLastWatched(const std::filesystem::path& path) {
    try {
        // A few bytes at most; anything longer is not this file.
        const std::string text = readFirstBytes(path, 65);
        return text.size() > 64 ? std::nullopt : decodeLastWatched(text);
    } catch (const IoError&) {
        return std::nullopt;
    }
}

void writeLastWatched(const std::filesystem::path& path, Moment moment) {
    replaceFile(path, encodeLastWatched(moment));
}

} // namespace zel
