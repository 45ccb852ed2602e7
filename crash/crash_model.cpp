#include "crash/crash_model.h"

#include "core/app/last_watched.h"
#include "core/app/paths.h"
#include "core/events/event_table.h"
#include "core/events/listing.h"
#include "core/events/recurrence.h"
#include "core/exchange/partner_import.h"
#include "core/partners/partner_file.h"
#include "core/settings/settings_record.h"
#include "core/storage/record_file.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <stdexcept>

namespace zel::crash {
namespace fs = std::filesystem;

namespace {

constexpr EventKind kKindOfFile[] = {EventKind::Reminder, EventKind::Reminder, EventKind::Program,
                                     EventKind::NameDay,  EventKind::Birthday, EventKind::Reminder};

const char* const kOpWords[] = {"insert",  "remove",   "modify", "padd", "pchange", "rename",
                                "pdelete", "settings", "import", "move", "watched"};

// Both record layouts keep the date, a little-endian double, at the same offset.
constexpr std::size_t kDateOffset = 264;
constexpr std::int64_t kMsPerDay = 86'400'000;

std::string toHex(const std::string& bytes) {
    static const char* digits = "0123456789abcdef";
    std::string out;
    out.reserve(bytes.size() * 2);
    for (unsigned char c : bytes) {
        out += digits[c >> 4];
        out += digits[c & 15];
    }
    return out;
}

std::optional<std::string> fromHex(const std::string& hex) {
    if (hex.size() % 2 != 0) return std::nullopt;
    auto nibble = [](char c) -> int {
        if (c >= '0' && c <= '9') return c - '0';
        if (c >= 'a' && c <= 'f') return c - 'a' + 10;
        return -1;
    };
    std::string out;
    for (std::size_t i = 0; i < hex.size(); i += 2) {
        const int hi = nibble(hex[i]), lo = nibble(hex[i + 1]);
        if (hi < 0 || lo < 0) return std::nullopt;
        out += static_cast<char>(hi * 16 + lo);
    }
    return out;
}

const std::uint8_t* at(const std::string& bytes, std::size_t size, std::size_t index) {
    return reinterpret_cast<const std::uint8_t*>(bytes.data() + index * size);
}

std::size_t countOf(const FolderState& state, std::size_t file, std::size_t size) {
    return state[file] ? state[file]->size() / size : 0;
}

EventRecord eventAt(const FolderState& state, EventKind kind, std::size_t index) {
    return decodeEvent(kind, at(*state[fileOf(kind)], recordSize(kind), index));
}

std::string partnerNameAt(const std::string& bytes, std::size_t index) {
    return decodePartner(at(bytes, kPartnerRecordSize, index)).name;
}

PartnerRecord partnerOf(const std::string& record) {
    return decodePartner(reinterpret_cast<const std::uint8_t*>(record.data()));
}

// Partners are kept in byte order of their names; a newcomer goes after equal names.
void insertPartner(std::string& bytes, const std::string& record) {
    const std::string name = partnerOf(record).name;
    std::size_t p = 0;
    const std::size_t n = bytes.size() / kPartnerRecordSize;
    while (p < n && partnerNameAt(bytes, p) <= name)
        ++p;
    bytes.insert(p * kPartnerRecordSize, record);
}

// A new event goes before the first later one: a later day, or for timed kinds the same day and a
// time not earlier. A moved one goes after the events of its own moment.
std::size_t eventPlace(const std::string& bytes, EventKind kind, const EventRecord& rec, bool afterEqual) {
    const std::size_t size = recordSize(kind), n = bytes.size() / size;
    const double day = std::trunc(rec.date);
    for (std::size_t i = 0; i < n; ++i) {
        const EventRecord other = decodeEvent(kind, at(bytes, size, i));
        const double otherDay = std::trunc(other.date);
        if (otherDay > day) return i;
        if (hasTime(kind) && otherDay == day && (afterEqual ? other.time > rec.time : other.time >= rec.time))
            return i;
    }
    return n;
}

FolderState withoutPartnerEvents(FolderState state, EventKind kind, const std::string& name) {
    std::string& bytes = *state[fileOf(kind)];
    const std::size_t size = recordSize(kind);
    std::string kept;
    for (std::size_t i = 0; i < bytes.size() / size; ++i)
        if (decodeEvent(kind, at(bytes, size, i)).text != name) kept.append(bytes, i * size, size);
    bytes = kept;
    return state;
}

Settings settingsFromNumber(std::uint64_t start) {
    std::mt19937_64 rng(start);
    Settings s = defaultSettings();
    for (auto& c : s.colors)
        c = static_cast<std::uint32_t>(rng() & 0xFFFFFF);
    s.warnings = rng() & 1;
    s.allOccurrences = rng() & 1;
    s.pastEvents = rng() & 1;
    s.hints = rng() & 1;
    s.balloon = rng() & 1;
    s.closeToTray = rng() & 1;
    s.start = static_cast<StartChoice>('0' + rng() % 4);
    s.sound = static_cast<SoundChoice>(1 + rng() % 3);
    s.soundFile = "C:\\hangok\\cs\xF6ng" + std::to_string(rng() % 1000) + ".wav";
    s.soundDialogFile = s.soundFile;
    s.noticeDays = static_cast<int>(1 + rng() % 10);
    s.noticeAtStart = rng() & 1;
    s.noticeAtExit = rng() & 1;
    s.startInTray = rng() & 1;
    s.mapPage = "https://terkep.example.hu/?q=" + std::to_string(rng() % 100000);
    s.smsPage = "https://sms.example.hu/";
    s.phonePage = "https://telefonkonyv.example.hu/" + std::string(rng() % 120, 'x');
    return s;
}

std::string settingsBytes(const FolderState& before, std::uint64_t start) {
    SettingsBytes base{};
    if (before[SettingsFile] && before[SettingsFile]->size() >= kSettingsRecordSize)
        std::copy_n(before[SettingsFile]->begin(), kSettingsRecordSize, base.begin());
    const SettingsBytes out = encodeSettings(settingsFromNumber(start), base);
    return std::string(reinterpret_cast<const char*>(out.data()), out.size());
}

std::size_t pick(std::mt19937_64& rng, std::size_t n) {
    return static_cast<std::size_t>(rng() % n);
}

// Windows-1250 letters, the accented ones among them.
std::string randomText(std::mt19937_64& rng, std::size_t length) {
    static const std::string letters = "abcdefghijklmnopqrstuvwxyz  ABCDEFGH0123456789.,-"
                                       "\xE1\xE9\xED\xF3\xF6\xF5\xFA\xFC\xFB\xC1\xC9\xD6\xDC";
    std::string out;
    for (std::size_t i = 0; i < length; ++i)
        out += letters[pick(rng, letters.size())];
    return out;
}

std::set<std::string> foldedNames(const FolderState& state) {
    std::set<std::string> names;
    const std::string& bytes = *state[Partners];
    for (std::size_t i = 0; i < bytes.size() / kPartnerRecordSize; ++i)
        names.insert(foldedName(partnerNameAt(bytes, i)));
    return names;
}

std::string freshName(const FolderState& state, std::mt19937_64& rng) {
    static const char* const surnames[] = {"Kov\xE1"
                                           "cs",
                                           "Szab\xF3",
                                           "T\xF3th",
                                           "Nagy",
                                           "Horv\xE1th",
                                           "Kiss",
                                           "Moln\xE1r",
                                           "N\xE9meth",
                                           "Farkas",
                                           "\xC1"
                                           "brah\xE1m"};
    static const char* const given[] = {"Anna",
                                        "Bal\xE1"
                                        "zs",
                                        "Csilla",
                                        "D\xE1"
                                        "niel",
                                        "\xC9"
                                        "va",
                                        "Ferenc",
                                        "G\xE9"
                                        "za",
                                        "Ildik\xF3",
                                        "J\xF3"
                                        "zsef",
                                        "\xD6"
                                        "d\xF6n"};
    const std::set<std::string> taken = foldedNames(state);
    for (;;) {
        std::string name =
            std::string(surnames[pick(rng, std::size(surnames))]) + " " + given[pick(rng, std::size(given))];
        if (rng() & 1) name.append(" ").append(std::to_string(pick(rng, 1000)));
        if (!taken.count(foldedName(name))) return name;
    }
}

PartnerRecord randomPartner(const std::string& name, std::mt19937_64& rng) {
    PartnerRecord p;
    p.name = name;
    p.address = std::to_string(1000 + pick(rng, 9000)) + " Budapest, " + randomText(rng, pick(rng, 30));
    p.webAddress = (rng() & 1) ? "https://example.hu/" + randomText(rng, pick(rng, 40)) : "";
    p.email = (rng() & 1) ? "nev" + std::to_string(pick(rng, 999)) + "@example.hu" : "";
    p.mobile = "+36 30 " + std::to_string(1000000 + pick(rng, 8999999));
    p.phone = (rng() & 1) ? "+36 1 " + std::to_string(1000000 + pick(rng, 8999999)) : "";
    p.note = randomText(rng, pick(rng, 256));
    return p;
}

// Half the dates within a week, so moved records land on days that hold others.
double randomDate(std::mt19937_64& rng) {
    return 46000.0 + static_cast<double>(pick(rng, (rng() & 1) ? 7 : 400));
}

// Half the times on two round minutes, so records share moments and ties are met.
double randomTime(std::mt19937_64& rng) {
    const std::size_t minute = (rng() & 1) ? ((rng() & 1) ? 8 * 60 : 12 * 60) : pick(rng, 1440);
    return static_cast<double>(minute) / 1440.0;
}

EventRecord randomEvent(const FolderState& state, EventKind kind, std::mt19937_64& rng) {
    EventRecord rec;
    rec.active = pick(rng, 4) != 0;
    rec.date = randomDate(rng);
    if (hasTime(kind)) {
        rec.time = randomTime(rng);
        rec.recurrence = static_cast<Recurrence>(pick(rng, 5));
        rec.text = randomText(rng, pick(rng, 3) == 0 ? kEventTextCapacity : pick(rng, 80));
    } else {
        const std::string& partners = *state[Partners];
        const std::size_t n = partners.size() / kPartnerRecordSize;
        rec.text = n > 0 && pick(rng, 10) < 8 ? partnerNameAt(partners, pick(rng, n)) : freshName(state, rng);
    }
    return rec;
}

// Bytes no version of the program writes, after a reminder's or program's text and in the spare
// room before its date, as a file from elsewhere may hold them: a move must carry them along.
void scribbleSpareBytes(std::string& record, std::mt19937_64& rng) {
    const std::size_t textEnd = 3 + static_cast<std::uint8_t>(record[2]);
    for (std::size_t i = textEnd; i < kDateOffset; ++i)
        if (pick(rng, 4) == 0) record[i] = static_cast<char>(1 + pick(rng, 255));
}

// The record with its date set to a whole day, every other byte kept.
std::string withDay(std::string record, DayNumber day) {
    const double date = static_cast<double>(day);
    std::uint64_t bits = 0;
    std::memcpy(&bits, &date, sizeof bits);
    for (std::size_t i = 0; i < 8; ++i)
        record[kDateOffset + i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
    return record;
}

Moment momentOf(std::uint64_t ms) {
    return {static_cast<DayNumber>(ms / kMsPerDay), static_cast<std::int64_t>(ms % kMsPerDay)};
}

std::uint64_t msOf(Moment m) {
    return static_cast<std::uint64_t>(m.day * kMsPerDay + m.msOfDay);
}

// The line the last-watched file holds, to the second.
std::string lastWatchedLine(Moment m) {
    const Ymd d = ymdOf(m.day);
    char line[40];
    std::snprintf(line, sizeof line, "%04d.%02d.%02d. %02d:%02d:%02d\n", d.year, d.month, d.day, m.hour(),
                  m.minute(), m.second());
    return line;
}

// The position to change: half the time the record that straddles the first page boundary.
std::size_t aimedPosition(std::size_t count, std::size_t size, std::mt19937_64& rng) {
    const std::size_t straddling = 4096 / size;
    if (count > straddling && (4096 % size) != 0 && (rng() & 1)) return straddling;
    return pick(rng, count);
}

Operation randomEventOperation(const FolderState& state, std::mt19937_64& rng) {
    Operation op;
    op.kind = kAllEventKinds[pick(rng, 4)];
    const std::size_t size = recordSize(op.kind), n = countOf(state, fileOf(op.kind), size);
    const std::size_t roll = pick(rng, 100);
    const std::size_t inserts = n < 16 ? 70 : n > 40 ? 15 : 35;
    const std::size_t removals = n > 40 ? 50 : 20;
    if (n == 0 || roll < inserts) {
        op.op = OpKind::Insert;
        op.records = {encodeEvent(op.kind, randomEvent(state, op.kind, rng))};
    } else if (roll < inserts + removals) {
        op.op = OpKind::Remove;
        op.pos = aimedPosition(n, size, rng);
    } else {
        op.op = OpKind::Modify;
        op.pos = aimedPosition(n, size, rng);
        EventRecord changed = eventAt(state, op.kind, op.pos);
        // The straddling record is mostly changed where it stands.
        switch (pick(rng, op.pos == 4096 / size ? 3 : 4)) {
        case 0:
            changed.active = !changed.active;
            break;
        case 1:
            changed.text = randomEvent(state, op.kind, rng).text;
            break;
        case 2:
            changed.date = randomDate(rng);
            break;
        default:
            if (hasTime(op.kind))
                changed.time = randomTime(rng);
            else
                changed.date = randomDate(rng);
        }
        op.records = {encodeEvent(op.kind, changed)};
    }
    return op;
}

// Recurring reminders or programs moved on to their next occurrence, as when they fall due: one
// row stepped once, or one or several rows moved past a moment somewhat after the latest of them
// (several steps when some were missed). Rows of the same minute are sought out, so moved records
// meet each other and the records of their new moment. Now and then a row the file no longer holds
// or a row asked twice is among them.
Operation randomMoveOperation(const FolderState& state, std::mt19937_64& rng) {
    Operation op;
    op.op = OpKind::Move;
    op.kind = (rng() & 1) ? EventKind::Reminder : EventKind::Program;
    const std::string& bytes = *state[fileOf(op.kind)];
    const std::size_t size = recordSize(op.kind), n = bytes.size() / size;
    std::vector<EventRow> recurring;
    for (std::size_t i = 0; i < n; ++i) {
        const EventRow row = rowFromRecord(op.kind, eventAt(state, op.kind, i), i);
        if (row.day && recurs(row.recurrence)) recurring.push_back(row);
    }
    if (recurring.empty()) {
        Operation insert;
        insert.kind = op.kind;
        EventRecord rec = randomEvent(state, op.kind, rng);
        rec.recurrence = static_cast<Recurrence>(1 + pick(rng, 4));
        insert.records = {encodeEvent(op.kind, rec)};
        return insert;
    }
    std::shuffle(recurring.begin(), recurring.end(), rng);
    auto momentOfRow = [](const EventRow& r) { return Moment{*r.day, std::int64_t{r.minute} * 60'000}; };
    auto recordOf = [&](const EventRow& r) { return bytes.substr(r.position * size, size); };
    const bool several = recurring.size() > 1 && pick(rng, 100) < 55;
    if (!several && (rng() & 1)) {
        // Fired on time: one step on, to a moment another record holds if some row's step meets one.
        std::set<std::pair<DayNumber, int>> held;
        for (std::size_t i = 0; i < n; ++i) {
            const EventRow r = rowFromRecord(op.kind, eventAt(state, op.kind, i), i);
            if (r.day) held.insert({*r.day, r.minute});
        }
        const auto meeting = std::find_if(recurring.begin(), recurring.end(), [&](const EventRow& r) {
            return held.count({stepOnce(r.recurrence, *r.day), r.minute}) > 0;
        });
        const EventRow& row = meeting != recurring.end() ? *meeting : recurring[0];
        op.start = msOf(momentOfRow(row));
        op.moves = {{row.position, stepOnce(row.recurrence, *row.day)}};
        op.records = {recordOf(row)};
        return op;
    }
    if (several && (rng() & 1)) {
        // A row that shares its minute and recurrence with another leads, if there is one; rows of
        // its minute follow, those of its recurrence too foremost. Daily ones then meet on one day.
        auto sameBeat = [](const EventRow& a, const EventRow& b) {
            return a.minute == b.minute && a.recurrence == b.recurrence;
        };
        std::vector<std::size_t> paired;
        for (std::size_t i = 0; i < recurring.size(); ++i)
            for (std::size_t j = 0; j < recurring.size(); ++j)
                if (i != j && sameBeat(recurring[i], recurring[j])) {
                    paired.push_back(i);
                    break;
                }
        if (!paired.empty()) std::swap(recurring[0], recurring[paired[pick(rng, paired.size())]]);
        const EventRow& first = recurring[0];
        std::stable_partition(recurring.begin() + 1, recurring.end(),
                              [&](const EventRow& r) { return r.minute == first.minute; });
        std::stable_partition(recurring.begin() + 1, recurring.end(),
                              [&](const EventRow& r) { return sameBeat(r, first); });
    }
    recurring.resize(several ? std::min<std::size_t>(recurring.size(), 2 + pick(rng, 4)) : 1);
    // Mostly in the file's order, as the program asks; now and then in any.
    if (pick(rng, 4) != 0)
        std::sort(recurring.begin(), recurring.end(),
                  [](const EventRow& a, const EventRow& b) { return a.position < b.position; });
    Moment latest = momentOfRow(recurring[0]);
    for (const EventRow& r : recurring)
        latest = std::max(latest, momentOfRow(r));
    const std::int64_t lag = pick(rng, 10) < 7 ? static_cast<std::int64_t>(pick(rng, 2 * 3'600'000))
                                               : static_cast<std::int64_t>(pick(rng, 40 * kMsPerDay));
    const Moment now = latest.plusMs(lag);
    op.start = msOf(now);
    for (const EventRow& r : recurring) {
        const DayNumber next = nextOccurrenceAfter(r.recurrence, *r.day, r.minute, now).day;
        if (next == *r.day) continue;
        op.moves.push_back({r.position, next});
        op.records.push_back(recordOf(r));
    }
    if (op.moves.empty()) return op;
    const std::size_t roll = pick(rng, 12);
    if (roll == 0) {
        // A row whose record has changed since it was read.
        EventRecord stale = decodeEvent(op.kind, at(op.records[0], size, 0));
        stale.text = stale.text.size() < kEventTextCapacity ? stale.text + "!" : stale.text.substr(1);
        const std::size_t i = pick(rng, op.moves.size() + 1);
        op.moves.insert(op.moves.begin() + static_cast<std::ptrdiff_t>(i),
                        {op.moves[0].pos, op.moves[0].day + 1});
        op.records.insert(op.records.begin() + static_cast<std::ptrdiff_t>(i), encodeEvent(op.kind, stale));
        if (pick(rng, 3) == 0) {
            // Nothing held at all: nothing is written.
            op.moves = {op.moves[i]};
            op.records = {op.records[i]};
        }
    } else if (roll == 1) {
        // The same row twice: the second asking finds it already moving.
        op.moves.push_back({op.moves[0].pos, op.moves[0].day + 3});
        op.records.push_back(op.records[0]);
    }
    return op;
}

// The moment the program watched up to: mostly a little after the last one written, now and then
// before it (the clock was set back).
Operation randomWatched(const FolderState& state, std::mt19937_64& rng) {
    Operation op;
    op.op = OpKind::Watched;
    const std::optional<Moment> last =
        state[LastWatchedFile] ? decodeLastWatched(*state[LastWatchedFile]) : std::nullopt;
    Moment now{static_cast<DayNumber>(randomDate(rng)), static_cast<std::int64_t>(pick(rng, kMsPerDay))};
    if (last && pick(rng, 10) != 0) now = last->plusMs(static_cast<std::int64_t>(pick(rng, 6 * 3'600'000)));
    op.start = msOf(now);
    return op;
}

Operation randomPartnerOperation(const FolderState& state, std::mt19937_64& rng) {
    Operation op;
    const std::string& bytes = *state[Partners];
    const std::size_t n = bytes.size() / kPartnerRecordSize;
    const std::size_t roll = pick(rng, 100);
    if (n < 5 || roll < 35) {
        op.op = OpKind::PartnerAdd;
        op.records = {encodePartner(randomPartner(freshName(state, rng), rng))};
    } else if (roll < (n > 30 ? 45 : 55)) {
        op.op = OpKind::PartnerChange;
        op.pos = aimedPosition(n, kPartnerRecordSize, rng);
        PartnerRecord p = randomPartner(partnerNameAt(bytes, op.pos), rng);
        op.records = {encodePartner(p)};
    } else if (roll < (n > 30 ? 55 : 75)) {
        op.op = OpKind::PartnerRename;
        op.pos = pick(rng, n);
        op.records = {encodePartner(randomPartner(freshName(state, rng), rng))};
    } else {
        op.op = OpKind::PartnerDelete;
        op.pos = pick(rng, n);
    }
    return op;
}

Operation randomImport(const FolderState& state, std::mt19937_64& rng) {
    Operation op;
    op.op = OpKind::Import;
    const std::string& bytes = *state[Partners];
    const std::size_t n = bytes.size() / kPartnerRecordSize;
    const std::size_t rows = 1 + pick(rng, 4);
    for (std::size_t i = 0; i < rows; ++i) {
        const std::size_t roll = pick(rng, 100);
        std::string name;
        if (roll < 60 || n == 0) {
            name = freshName(state, rng);
        } else if (roll < 85) {
            // A partner's name in capitals is still that partner.
            name = partnerNameAt(bytes, pick(rng, n));
            for (char& c : name)
                if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
        }
        op.records.push_back(encodePartner(randomPartner(name, rng)));
    }
    return op;
}

} // namespace

const char* fileLabel(std::size_t file) {
    switch (file) {
    case Partners:
        return kPartnerFileName;
    case SettingsFile:
        return kSettingsFileName;
    case LastWatchedFile: {
        static const std::string name = AppPaths{}.lastWatched().filename().string();
        return name.c_str();
    }
    default:
        return eventFileName(kKindOfFile[file]);
    }
}

fs::path filePath(const fs::path& appFolder, std::size_t file) {
    const AppPaths paths{appFolder};
    switch (file) {
    case Partners:
        return paths.partners();
    case SettingsFile:
        return paths.settings();
    case LastWatchedFile:
        return paths.lastWatched();
    default:
        return paths.events(kKindOfFile[file]);
    }
}

std::size_t fileOf(EventKind kind) {
    return static_cast<std::size_t>(Reminders) + kindIndex(kind);
}

FolderState readFolder(const fs::path& appFolder) {
    FolderState state;
    for (std::size_t f = 0; f < kFileCount; ++f) {
        std::ifstream in(filePath(appFolder, f), std::ios::binary);
        if (!in) continue;
        state[f] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return state;
}

void prepareFreshFolder(const fs::path& appFolder) {
    fs::create_directories(appFolder);
    const AppPaths paths{appFolder};
    preparePartnerFile(paths);
    for (EventKind kind : kAllEventKinds)
        openOrCreate(paths.events(kind));
}

void populateFolder(const fs::path& appFolder, std::mt19937_64& rng) {
    FolderState state = readFolder(appFolder);
    for (int i = 0; i < 12; ++i) {
        Operation add;
        add.op = OpKind::PartnerAdd;
        add.records = {encodePartner(randomPartner(freshName(state, rng), rng))};
        state = statesOf(state, add).back();
    }
    for (EventKind kind : kAllEventKinds) {
        for (int i = 0; i < 20; ++i) {
            Operation insert;
            insert.kind = kind;
            insert.records = {encodeEvent(kind, randomEvent(state, kind, rng))};
            if (hasTime(kind) && pick(rng, 4) == 0) scribbleSpareBytes(insert.records[0], rng);
            state = statesOf(state, insert).back();
        }
    }
    for (std::size_t f = 0; f < kFileCount; ++f)
        if (state[f]) std::ofstream(filePath(appFolder, f), std::ios::binary | std::ios::trunc) << *state[f];
}

bool rewritesStraddlingRecord(const FolderState& before, const Operation& op) {
    if (op.op != OpKind::Modify) return false;
    const std::size_t size = recordSize(op.kind), from = op.pos * size, to = from + size;
    if (from / 4096 == (to - 1) / 4096) return false;
    const std::string& old = *before[fileOf(op.kind)];
    const std::string changed = *statesOf(before, op).back()[fileOf(op.kind)];
    return changed.size() == old.size() && changed.compare(0, from, old, 0, from) == 0 &&
           changed.compare(to, std::string::npos, old, to, std::string::npos) == 0;
}

std::string formatOperation(const Operation& op) {
    std::ostringstream out;
    out << kOpWords[static_cast<std::size_t>(op.op)] << ' ' << static_cast<int>(op.kind) << ' ' << op.pos
        << ' ' << op.start;
    for (const MoveTo& m : op.moves)
        out << " m" << m.pos << ':' << m.day;
    for (const std::string& r : op.records)
        out << ' ' << toHex(r);
    return out.str();
}

std::optional<Operation> parseOperation(const std::string& text) {
    std::istringstream in(text);
    std::string word;
    int kind = 0;
    Operation op;
    if (!(in >> word >> kind >> op.pos >> op.start) || kind < 1 || kind > 4) return std::nullopt;
    op.kind = static_cast<EventKind>(kind);
    const auto found = std::find(std::begin(kOpWords), std::end(kOpWords), word);
    if (found == std::end(kOpWords)) return std::nullopt;
    op.op = static_cast<OpKind>(found - std::begin(kOpWords));
    std::string hex;
    while (in >> hex) {
        if (hex[0] == 'm') {
            MoveTo m;
            char colon = 0;
            std::istringstream move(hex.substr(1));
            if (!(move >> m.pos >> colon >> m.day) || colon != ':' || !move.eof()) return std::nullopt;
            op.moves.push_back(m);
            continue;
        }
        auto bytes = fromHex(hex);
        if (!bytes) return std::nullopt;
        op.records.push_back(std::move(*bytes));
    }
    return op;
}

std::vector<FolderState> statesOf(const FolderState& before, const Operation& op) {
    std::vector<FolderState> states{before};
    FolderState after = before;
    const std::size_t size = recordSize(op.kind);
    switch (op.op) {
    case OpKind::Insert: {
        std::string& bytes = *after[fileOf(op.kind)];
        const EventRecord rec = decodeEvent(op.kind, at(op.records[0], size, 0));
        bytes.insert(eventPlace(bytes, op.kind, rec, false) * size, op.records[0]);
        break;
    }
    case OpKind::Remove:
        after[fileOf(op.kind)]->erase(op.pos * size, size);
        break;
    case OpKind::Modify: {
        std::string& bytes = *after[fileOf(op.kind)];
        const EventRecord old = decodeEvent(op.kind, at(bytes, size, op.pos));
        const EventRecord changed = decodeEvent(op.kind, at(op.records[0], size, 0));
        EventRecord rec = old;
        rec.active = changed.active;
        rec.text = changed.text;
        rec.date = changed.date;
        if (hasTime(op.kind)) rec.time = changed.time;
        const EventRow was = rowFromRecord(op.kind, old, op.pos), now = rowFromRecord(op.kind, rec, op.pos);
        const bool moves = was.day != now.day || (hasTime(op.kind) && was.minute != now.minute);
        const std::string encoded = encodeEvent(op.kind, rec);
        if (!moves) {
            bytes.replace(op.pos * size, size, encoded);
        } else {
            bytes.erase(op.pos * size, size);
            bytes.insert(eventPlace(bytes, op.kind, rec, true) * size, encoded);
        }
        break;
    }
    case OpKind::PartnerAdd:
        insertPartner(*after[Partners], op.records[0]);
        break;
    case OpKind::PartnerChange:
    case OpKind::PartnerRename:
    case OpKind::PartnerDelete: {
        std::string& bytes = *after[Partners];
        const std::string formerName = partnerNameAt(bytes, op.pos);
        bytes.erase(op.pos * kPartnerRecordSize, kPartnerRecordSize);
        if (op.op != OpKind::PartnerDelete) insertPartner(bytes, op.records[0]);
        if (op.op == OpKind::PartnerChange) break;
        // The partner file first, then the name days, then the birthdays: one state after each.
        states.push_back(after);
        after = withoutPartnerEvents(after, EventKind::NameDay, formerName);
        states.push_back(after);
        after = withoutPartnerEvents(after, EventKind::Birthday, formerName);
        break;
    }
    case OpKind::Settings:
        after[SettingsFile] = settingsBytes(before, op.start);
        break;
    case OpKind::Move: {
        std::string& bytes = *after[fileOf(op.kind)];
        const std::size_t n = bytes.size() / size;
        // A row counts when its position still holds its day, minute and text, once.
        std::vector<bool> leaves(n, false);
        struct Moving {
            std::string record;
            double day, time;
        };
        std::vector<Moving> moving;
        for (std::size_t i = 0; i < op.moves.size() && i < op.records.size(); ++i) {
            const std::size_t pos = op.moves[i].pos;
            if (pos >= n || leaves[pos]) continue;
            const EventRow asked =
                rowFromRecord(op.kind, decodeEvent(op.kind, at(op.records[i], size, 0)), pos);
            const EventRow held = rowFromRecord(op.kind, decodeEvent(op.kind, at(bytes, size, pos)), pos);
            if (asked.day != held.day || asked.text != held.text || asked.minute != held.minute) continue;
            leaves[pos] = true;
            std::string record = withDay(bytes.substr(pos * size, size), op.moves[i].day);
            const EventRecord rec = decodeEvent(op.kind, at(record, size, 0));
            moving.push_back({std::move(record), std::trunc(rec.date), rec.time});
        }
        if (moving.empty()) break;
        std::string rest;
        for (std::size_t i = 0; i < n; ++i)
            if (!leaves[i]) rest.append(bytes, i * size, size);
        // Earliest first, those of one moment in the order asked; each after what is already there of
        // its moment, so after the records staying and the moved ones before it.
        std::stable_sort(moving.begin(), moving.end(), [](const Moving& a, const Moving& b) {
            return a.day < b.day || (a.day == b.day && a.time < b.time);
        });
        for (const Moving& m : moving) {
            const EventRecord rec = decodeEvent(op.kind, at(m.record, size, 0));
            rest.insert(eventPlace(rest, op.kind, rec, true) * size, m.record);
        }
        bytes = rest;
        break;
    }
    case OpKind::Watched:
        after[LastWatchedFile] = lastWatchedLine(momentOf(op.start));
        break;
    case OpKind::Import: {
        std::set<std::string> taken = foldedNames(before);
        for (const std::string& row : op.records) {
            const std::string record = encodePartner(partnerOf(row));
            const std::string name = partnerOf(record).name;
            if (name.empty() || name.find(':') != std::string::npos) continue;
            if (!taken.insert(foldedName(name)).second) continue;
            insertPartner(*after[Partners], record);
        }
        break;
    }
    }
    states.push_back(after);
    return states;
}

Operation randomOperation(const FolderState& state, std::mt19937_64& rng) {
    const std::size_t roll = pick(rng, 100);
    if (roll < 56) return randomEventOperation(state, rng);
    if (roll < 68) return randomMoveOperation(state, rng);
    if (roll < 88) return randomPartnerOperation(state, rng);
    if (roll < 92) return randomImport(state, rng);
    if (roll < 95) return randomWatched(state, rng);
    Operation op;
    op.op = OpKind::Settings;
    op.start = rng();
    return op;
}

void perform(const fs::path& appFolder, const FolderState& before, const Operation& op) {
    const AppPaths paths{appFolder};
    const fs::path events = paths.events(op.kind);
    const std::size_t size = recordSize(op.kind);
    auto rowAt = [&](std::size_t pos) { return rowFromRecord(op.kind, eventAt(before, op.kind, pos), pos); };
    auto removeEventsOf = [&](const std::string& name) {
        for (EventKind kind : {EventKind::NameDay, EventKind::Birthday})
            removePartnerEvents(paths.events(kind), kind, name);
    };
    switch (op.op) {
    case OpKind::Insert:
        insertEventOrdered(events.string(), op.kind, decodeEvent(op.kind, at(op.records[0], size, 0)));
        return;
    case OpKind::Remove:
        if (!deleteEvent(events, op.kind, rowAt(op.pos))) throw std::runtime_error("the row was not found");
        return;
    case OpKind::Modify:
        if (!modifyEvent(events, op.kind, rowAt(op.pos), decodeEvent(op.kind, at(op.records[0], size, 0))))
            throw std::runtime_error("the row was not found");
        return;
    case OpKind::PartnerAdd:
        savePartner(paths.partners(), partnerOf(op.records[0]), std::nullopt);
        return;
    case OpKind::PartnerChange:
        savePartner(paths.partners(), partnerOf(op.records[0]), op.pos);
        return;
    case OpKind::PartnerRename: {
        const std::string formerName = partnerNameAt(*before[Partners], op.pos);
        savePartner(paths.partners(), partnerOf(op.records[0]), op.pos);
        removeEventsOf(formerName);
        return;
    }
    case OpKind::PartnerDelete: {
        const std::string name = partnerNameAt(*before[Partners], op.pos);
        deletePartnerAt(paths.partners(), op.pos);
        removeEventsOf(name);
        return;
    }
    case OpKind::Settings: {
        const std::string bytes = settingsBytes(before, op.start);
        SettingsBytes out{};
        std::copy(bytes.begin(), bytes.end(), out.begin());
        writeSettingsFile(paths.settings(), out);
        return;
    }
    case OpKind::Move: {
        std::vector<EventMove> moves;
        for (std::size_t i = 0; i < op.moves.size(); ++i)
            moves.push_back(
                {rowFromRecord(op.kind, decodeEvent(op.kind, at(op.records[i], size, 0)), op.moves[i].pos),
                 op.moves[i].day});
        moveEvents(events, op.kind, moves);
        return;
    }
    case OpKind::Watched:
        writeLastWatched(paths.lastWatched(), momentOf(op.start));
        return;
    case OpKind::Import: {
        std::vector<PartnerRecord> rows;
        for (const std::string& r : op.records)
            rows.push_back(partnerOf(r));
        importPartners(paths.partners(), rows);
        return;
    }
    }
}

} // namespace zel::crash
