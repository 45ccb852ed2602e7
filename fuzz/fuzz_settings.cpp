// A settings file as it may be found on disk: decoding, encoding back over it, and reading the file.
#include "fuzz_util.h"

#include "core/errors.h"
#include "core/settings/settings_record.h"

#include <algorithm>
#include <cstring>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zel;
    SettingsBytes bytes{};
    std::memcpy(bytes.data(), data, std::min(size, bytes.size()));
    // The byte after the record answers whether the own sound file exists.
    const bool soundFileThere = size <= bytes.size() || (data[bytes.size()] & 1) != 0;
    const auto exists = [&](const std::string&) { return soundFileThere; };

    const Settings s = decodeSettings(bytes, exists);
    ZEL_CHECK(s.noticeDays >= 1 && s.noticeDays <= 10);
    for (const std::string* t : {&s.soundFile, &s.soundDialogFile, &s.mapPage, &s.smsPage, &s.phonePage})
        ZEL_CHECK(t->size() <= 255);

    const SettingsBytes encoded = encodeSettings(s, bytes);
    // Bytes the program never sets keep what the file held.
    for (std::size_t at : {32, 33, 34, 35, 1062, 1063})
        ZEL_CHECK(encoded[at] == bytes[at]);
    ZEL_CHECK(decodeSettings(encoded, exists) == s);
    ZEL_CHECK(encodeSettings(s, encoded) == encoded);

    const std::filesystem::path path = fuzz::scratchDir() / kSettingsFileName;
    fuzz::writeFile(path, std::string_view(reinterpret_cast<const char*>(data), size));
    // A file too short for a record is damaged, not missing: reported, so the program keeps it.
    if (size < kSettingsRecordSize) {
        bool reported = false;
        try {
            readSettingsFile(path);
        } catch (const IoError& e) {
            reported = e.code() == kReadPastEnd;
        }
        ZEL_CHECK(reported);
    } else {
        const auto read = readSettingsFile(path);
        ZEL_CHECK(read && *read == bytes);
    }
    return 0;
}
