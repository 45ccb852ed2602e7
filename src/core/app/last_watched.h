#pragma once

#include "core/app/clock.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zel {

// The moment last watched, as its file holds it: one line "2024.03.05. 09:05:07", local time.
std::string encodeLastWatched(Moment moment);
// Nothing for anything else, so a damaged file counts as no file.
std::optional<Moment> decodeLastWatched(std::string_view text);

// Nothing when the file is missing, unreadable or damaged: then nothing is known to have been missed.
std::optional<Moment> readLastWatched(const std::filesystem::path& path);
// Written beside and renamed, like every data file.
void writeLastWatched(const std::filesystem::path& path, Moment moment);

} // namespace zel
