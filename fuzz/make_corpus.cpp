// Writes a starting corpus for each harness into <folder>/<harness>/.
#include "core/events/event_record.h"
#include "core/partners/partner_record.h"
#include "core/settings/settings_record.h"
#include "core/text/cp1250.h"
#include "core/text/datetime.h"

#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <limits>
#include <string>
#include <vector>

namespace {

using namespace zel;
namespace fs = std::filesystem;

void put(const fs::path& dir, const std::string& name, const std::string& bytes) {
    fs::create_directories(dir);
    std::ofstream(dir / name, std::ios::binary) << bytes;
}

std::string timed(EventKind kind, DayNumber day, int minute, const std::string& text, bool active = true) {
    EventRecord r;
    r.active = active;
    r.text = text;
    r.date = static_cast<double>(day);
    r.time = hasTime(kind) ? storedFromMinute(minute) : 0;
    return encodeEvent(kind, r);
}

// The harness takes its choices from the input's end; these bytes stand in for them.
const std::string kChoices(40, '\x01');

void eventCorpus(const fs::path& dir) {
    const DayNumber d = dayNumber(2024, 3, 5);
    put(dir, "empty", kChoices);
    for (EventKind k : {EventKind::Reminder, EventKind::NameDay}) {
        const std::string tag = k == EventKind::Reminder ? "timed_" : "day_";
        put(dir, tag + "three",
            timed(k, d, 8 * 60, "abc") + timed(k, d, 10 * 60, "def") + timed(k, d + 1, 14 * 60, "ghi") +
                kChoices);
        std::string many;
        for (int i = 0; i < 12; ++i)
            many += timed(k, d + i / 4, 6 * 60 + (i % 4) * 90, "e" + std::to_string(i), i % 3);
        put(dir, tag + "many", many + kChoices);
        put(dir, tag + "unordered", timed(k, d + 1, 9 * 60, "b") + timed(k, d, 9 * 60, "a") + kChoices);
        EventRecord bad;
        bad.text = utf8ToCp1250("hibás");
        bad.date = std::numeric_limits<double>::quiet_NaN();
        bad.time = std::numeric_limits<double>::infinity();
        put(dir, tag + "undated", encodeEvent(k, bad) + timed(k, d, 12 * 60, "x") + kChoices);
        put(dir, tag + "partial", timed(k, d, 60, "p") + std::string(100, '\x07') + kChoices);
    }
}

void settingsCorpus(const fs::path& dir) {
    const SettingsBytes zeros{};
    const auto bytes = [](const SettingsBytes& b) { return std::string(b.begin(), b.end()); };
    put(dir, "defaults", bytes(encodeSettings(defaultSettings(), zeros)));
    Settings s = defaultSettings();
    s.sound = SoundChoice::File;
    s.soundFile = s.soundDialogFile = "/home/anna/hang.wav";
    s.start = StartChoice::Passive;
    s.noticeDays = 10;
    SettingsBytes base{};
    base[32] = 0x11, base[35] = 0x22, base[1062] = 0x33, base[1063] = 0x44;
    put(dir, "own_sound", bytes(encodeSettings(s, base)) + '\x01');
    put(dir, "short", std::string(100, '1'));
}

void partnerCorpus(const fs::path& dir) {
    put(dir, "maker", encodePartner(makerCard()));
    PartnerRecord full;
    full.Name = std::string(60, 'N');
    full.Address = std::string(60, 'A');
    full.WebAddress = std::string(120, 'W');
    full.Email = std::string(40, 'E');
    full.Mobile = std::string(30, 'M');
    full.Phone = std::string(30, 'P');
    full.Note = std::string(300, 'n');
    put(dir, "full_two", encodePartner(full) + encodePartner(makerCard()));
    put(dir, "lengths_255", std::string(537, '\xff'));
}

void cp1250Corpus(const fs::path& dir) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    put(dir, "all_bytes", all);
    put(dir, "hungarian_utf8", "Árvíztűrő tükörfúrógép – „idézet” €");
    put(dir, "broken_utf8", "a\xC3\x28\xE2\x82\xF0\x9F\x98\x80\xED\xA0\x80\xC0\x80z");
}

void datetimeCorpus(const fs::path& dir) {
    for (const char* t : {"2024.03.05.", "2024.3.5", "1.01.01", "9999.12.31.", "2024.02.29", "2023.02.29."})
        put(dir, std::string("text_") + t, t);
    std::string doubles;
    for (double v : {45356.75, 0.378472222222222, -693593.0, 2958465.99, 1e300, -0.0}) {
        char b[8];
        std::memcpy(b, &v, 8);
        doubles.append(b, 8);
    }
    put(dir, "doubles", doubles);
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const fs::path root = argv[1];
    eventCorpus(root / "fuzz_event_file");
    settingsCorpus(root / "fuzz_settings");
    partnerCorpus(root / "fuzz_partner");
    cp1250Corpus(root / "fuzz_cp1250");
    datetimeCorpus(root / "fuzz_datetime");
    return 0;
}
