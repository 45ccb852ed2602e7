#pragma once

#include "core/settings/settings_record.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// A larger file is not one the program wrote.
constexpr std::size_t kFurtherSettingsMaxSize = 64 * 1024;

// The settings the record has no field for, in a text file beside it (AppPaths::furtherSettings()): UTF-8, LF
// line ends, one "key=value" a line. The text is kept line by line as it was read, so a rewrite changes only
// the lines of the keys the program sets, and whatever a person or a later version put there stays where it
// was: comments, blank lines, unknown keys, lines that are not understood, bytes that are not UTF-8.
class FurtherSettingsText {
  public:
    // The text of a file the program creates: the header comment alone.
    static FurtherSettingsText created();
    // Any bytes; nothing in them is an error.
    static FurtherSettingsText parse(std::string_view bytes);

    // The settings over `base`: a key that is missing, or whose value is not understood, keeps base's.
    // The first line of a key counts.
    Settings applyTo(Settings base) const;
    // Writes every key's value: the key's first line is replaced where it stands (later ones are left
    // alone), a missing key is appended.
    void set(const Settings& s);
    std::string bytes() const;

  private:
    // The text split at LF: joined with LF again they give its bytes back, so after a final LF
    // comes an empty piece.
    std::vector<std::string> lines_;
};

// Nothing when the file is missing. Every other failure throws IoError, and so does a file larger than
// kFurtherSettingsMaxSize (EFBIG).
std::optional<FurtherSettingsText> readFurtherSettingsFile(const std::filesystem::path& path);
// All or nothing, as every data file.
void writeFurtherSettingsFile(const std::filesystem::path& path, const FurtherSettingsText& text);

} // namespace zel
