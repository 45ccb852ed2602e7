#include "gui/state/app_state.h"

#include "core/app/last_watched.h"
#include "core/calendar/calendar_export.h"
#include "core/errors.h"
#include "core/events/firing.h"
#include "core/events/listing.h"
#include "core/exchange/contacts.h"
#include "core/partners/partner_file.h"
#include "core/storage/record_file.h"
#include "core/sync/local_writes.h"
#include "core/text/cp1250.h"
#include "gui/text/collation.h"
#include "gui/text/qt_text.h"

#include <QFile>
#include <unordered_map>

namespace zel::gui {

AppState::AppState(AppPaths paths, const Clock& clock, QObject* parent)
    : QObject(parent), paths_(std::move(paths)), clock_(clock) {}

bool AppState::unchanged(const std::filesystem::path& path, const std::optional<os::FileStamp>& known) {
    return known && os::stampOf(path) == known;
}

void AppState::readAhead(std::unique_ptr<DataReader> started) {
    std::error_code ec;
    if (started && std::filesystem::equivalent(started->folder(), paths_.dataDir(), ec))
        ahead_ = std::move(started);
    else
        ahead_ = std::make_unique<DataReader>(paths_.dataDir());
}

void AppState::reloadEvents(EventKind kind) {
    emit eventsAboutToChange(kind);
    readEvents(kind);
}

void AppState::readEvents(EventKind kind) {
    // Stamped before reading: a change while it is read makes the next write read it again.
    eventStamps_[kindIndex(kind)] = os::stampOf(paths_.events(kind));
    try {
        events_.refresh(kind, paths_.dataDir(), ahead_.get());
    } catch (...) {
        eventStamps_[kindIndex(kind)].reset();
        emit eventsChanged(kind);
        throw;
    }
    emit eventsChanged(kind);
    updateNext(kind);
}

void AppState::updateNext(std::optional<EventKind> kind) {
    // Asked every second: only a change is news.
    if (events_.updateNext(kind, clock_.now())) emit nextEventsChanged();
}

bool AppState::minuteTaken(EventKind kind, DayNumber day, int minute) const {
    return zel::minuteTaken(events_.table(kind), day, minute);
}

void AppState::followEvents(EventKind kind, bool following, const EventFileChange& change) {
    emit eventsAboutToChange(kind);
    if (!following || !applyChange(events_.table(kind), change)) {
        readEvents(kind);
        return;
    }
    eventStamps_[kindIndex(kind)] = os::stampOf(paths_.events(kind));
    emit eventsChanged(kind);
    updateNext(kind);
}

void AppState::addEvent(EventKind kind, const EventRecord& record) {
    const bool following = unchanged(paths_.events(kind), eventStamps_[kindIndex(kind)]);
    const std::size_t at = insertEventOrdered(paths_.events(kind).string(), kind, record);
    followEvents(kind, following, {std::nullopt, at, encodeEvent(kind, record)});
}

bool AppState::modifyEvent(EventKind kind, const EventRow& row, const EventRecord& changed) {
    const bool following = unchanged(paths_.events(kind), eventStamps_[kindIndex(kind)]);
    const std::optional<EventFileChange> written = zel::modifyEvent(paths_.events(kind), kind, row, changed);
    // Nothing written: the file no longer holds the row, so it is read again to show what it holds.
    followEvents(kind, following && written, written.value_or(EventFileChange{}));
    return written.has_value();
}

bool AppState::removeEvent(EventKind kind, const EventRow& row) {
    const bool following = unchanged(paths_.events(kind), eventStamps_[kindIndex(kind)]);
    const bool removed = deleteEvent(paths_.events(kind), kind, row);
    followEvents(kind, following && removed, {row.position, std::nullopt, {}});
    return removed;
}

std::size_t AppState::moveEvents(EventKind kind, const std::vector<EventMove>& moves) {
    if (moves.empty()) return 0;
    const bool following = unchanged(paths_.events(kind), eventStamps_[kindIndex(kind)]);
    const MovesWritten written = zel::moveEvents(paths_.events(kind), kind, moves);
    // Several at once: the table is read again rather than followed move by move.
    followEvents(kind, following && written.change, written.change.value_or(EventFileChange{}));
    return written.moved;
}

std::optional<Moment> AppState::readLastWatched() const {
    return zel::readLastWatched(paths_.lastWatched());
}

void AppState::writeLastWatched(Moment moment) {
    zel::writeLastWatched(paths_.lastWatched(), moment);
}

void AppState::reloadPartners() {
    std::optional<PartnerNames> ahead = ahead_ ? ahead_->takePartnerNames() : std::nullopt;
    partnerStamp_ = os::stampOf(paths_.partners());
    PartnerNames read = ahead ? std::move(*ahead) : readPartnerNames(paths_.partners());
    emit partnersAboutToChange();
    partnerNames_ = std::move(read.names);
    partnerOrder_.clear();
    partnersOrdered_ = false;
    damagedPartners_ = read.damaged;
    // A file that did not open reads as empty: the next write reads again what it wrote.
    if (partnerNames_.empty()) partnerStamp_.reset();
    emit partnersChanged();
}

const std::vector<std::size_t>& AppState::partnerOrder() const {
    if (!partnersOrdered_) {
        partnerOrder_ = alphabeticalOrder(partnerNames_.size(),
                                          [this](std::size_t i) { return fromCp(partnerNames_[i]); });
        partnersOrdered_ = true;
    }
    return partnerOrder_;
}

std::vector<std::string> AppState::partnerNamesAlphabetical() const {
    std::vector<std::string> names;
    names.reserve(partnerOrder().size());
    for (std::size_t i : partnerOrder_)
        names.push_back(partnerNames_[i]);
    return names;
}

PartnerLookup AppState::findPartner(const std::string& name, std::optional<std::size_t> likely) const {
    return zel::findPartner(paths_.partners(), name, likely);
}

PartnerRecord AppState::partnerAt(std::size_t index) const {
    return readPartnerAt(paths_.partners(), index);
}

NameCheck AppState::checkPartnerName(const std::string& name, bool modification) const {
    return zel::checkPartnerName(paths_.partners(), name, modification);
}

void AppState::partnerLeft(std::size_t index) {
    partnerNames_.erase(partnerNames_.begin() + static_cast<std::ptrdiff_t>(index));
    if (!partnersOrdered_) return;
    std::erase(partnerOrder_, index);
    for (std::size_t& i : partnerOrder_)
        if (i > index) --i;
}

void AppState::partnerCame(std::size_t index, std::string name) {
    if (!partnersOrdered_) {
        partnerNames_.insert(partnerNames_.begin() + static_cast<std::ptrdiff_t>(index), std::move(name));
        return;
    }
    for (std::size_t& i : partnerOrder_)
        if (i >= index) ++i;
    partnerNames_.insert(partnerNames_.begin() + static_cast<std::ptrdiff_t>(index), std::move(name));
    insertAlphabetical(partnerOrder_, index, [this](std::size_t i) { return fromCp(partnerNames_[i]); });
}

std::size_t AppState::savePartner(const PartnerRecord& partner, std::optional<std::size_t> replacing) {
    // A file with damaged records is read again: its damage is counted, not placed.
    const bool following = damagedPartners_ == 0 && unchanged(paths_.partners(), partnerStamp_);
    const std::string formerName =
        replacing && *replacing < partnerNames_.size() ? partnerNames_[*replacing] : std::string();
    const std::size_t at = zel::savePartner(paths_.partners(), partner, replacing);
    if (replacing) {
        const std::string record = encodePartner(partner);
        const std::string name = decodePartner(reinterpret_cast<const std::uint8_t*>(record.data())).name;
        if (!formerName.empty() && name != formerName) followRename(formerName, name);
    }
    if (!following) {
        reloadPartners();
        return at;
    }
    emit partnersAboutToChange();
    if (replacing) partnerLeft(*replacing);
    // The name as stored, cut to its room.
    const std::string record = encodePartner(partner);
    partnerCame(at, decodePartner(reinterpret_cast<const std::uint8_t*>(record.data())).name);
    partnerStamp_ = os::stampOf(paths_.partners());
    emit partnersChanged();
    return at;
}

std::vector<AppState::DamagedFile> AppState::damagedFiles() const {
    std::vector<DamagedFile> damaged;
    if (damagedPartners_ > 0) damaged.push_back({paths_.partners(), damagedPartners_});
    for (EventKind kind : kAllEventKinds)
        if (const std::size_t n = table(kind).damaged; n > 0) damaged.push_back({paths_.events(kind), n});
    return damaged;
}

PartnerImport AppState::importPartners(const std::vector<PartnerRecord>& rows) {
    PartnerImport result = zel::importPartners(paths_.partners(), rows);
    if (!result.added.empty()) reloadPartners();
    return result;
}

std::vector<PartnerRecord> AppState::allPartners() const {
    return readAllPartners(paths_.partners());
}

void AppState::exportPartners(const std::filesystem::path& file, const std::vector<PartnerRecord>& rows,
                              ExportFormat format, char separator) {
    replaceFile(file, format == ExportFormat::VCard ? writeVCard(rows) : writeCsv(rows, separator));
}

DataCopy AppState::copyDataFiles(const std::filesystem::path& folder) const {
    return zel::copyDataFiles(paths_, folder);
}

std::size_t AppState::exportCalendar(const std::filesystem::path& file) {
    const std::vector<CalendarEvent> events = calendarEvents();
    writeIcsFile(file, icsText(events, clock_.instantMs()));
    return events.size();
}

void AppState::deletePartner(std::size_t index) {
    const bool following = damagedPartners_ == 0 && unchanged(paths_.partners(), partnerStamp_);
    deletePartnerAt(paths_.partners(), index);
    if (!following) {
        reloadPartners();
        return;
    }
    emit partnersAboutToChange();
    partnerLeft(index);
    partnerStamp_ = os::stampOf(paths_.partners());
    emit partnersChanged();
}

void AppState::removePartnerEvents(const std::string& name) {
    for (EventKind kind : {EventKind::NameDay, EventKind::Birthday}) {
        zel::removePartnerEvents(paths_.events(kind), kind, name);
        reloadEvents(kind);
    }
}

void AppState::followRename(const std::string& from, const std::string& to) {
    try {
        auto map = zel::readSyncMap(paths_.syncMap());
        if (!map) return;
        const std::string fromUtf8 = cp1250ToUtf8(from), toUtf8 = cp1250ToUtf8(to);
        bool found = false;
        for (SyncLink& link : map->links)
            if (link.localName == fromUtf8) {
                link.localName = toUtf8;
                found = true;
                break;
            }
        if (found) zel::writeSyncMap(paths_.syncMap(), *map);
    } catch (const std::exception& e) {
        // The partner is saved; the next sync sees the old card's partner gone and a new one.
        qWarning("zelmoran: the sync map could not follow a rename: %s", e.what());
    }
}

std::vector<LocalPartner> AppState::syncPartners() const {
    const std::vector<PartnerRecord> records = allPartners();
    // The first birthday of each name in the file's order.
    std::unordered_map<std::string_view, DayNumber> birthdays;
    const EventTable& table = this->table(EventKind::Birthday);
    for (const TableRow& row : table.rows)
        if (row.day) birthdays.emplace(table.text(row), *row.day);
    std::vector<LocalPartner> out;
    out.reserve(records.size());
    for (const PartnerRecord& r : records) {
        LocalPartner p{fieldsOfRecord(r), std::nullopt};
        if (const auto b = birthdays.find(r.name); b != birthdays.end()) p.birthday = b->second;
        out.push_back(std::move(p));
    }
    return out;
}

void AppState::applySyncWrites(const std::vector<LocalWrite>& writes) {
    if (writes.empty()) return;
    const auto reload = [this] {
        reloadPartners();
        reloadEvents(EventKind::NameDay);
        reloadEvents(EventKind::Birthday);
    };
    try {
        applyLocalWrites(paths_, writes);
    } catch (const IoError&) {
        // What was written before the failure shows.
        reload();
        throw;
    }
    reload();
}

std::optional<SyncMap> AppState::readSyncMap() const {
    return zel::readSyncMap(paths_.syncMap());
}

void AppState::writeSyncMap(const SyncMap& map) {
    zel::writeSyncMap(paths_.syncMap(), map);
}

std::vector<CalendarEvent> AppState::calendarEvents() {
    // What is held may fall short of the files: a table never read (the command line), one whose read
    // failed at start (held empty), one changed from outside since. An empty calendar must mean no events.
    for (const EventKind kind : {EventKind::Reminder, EventKind::NameDay, EventKind::Birthday})
        if (!unchanged(paths_.events(kind), eventStamps_[kindIndex(kind)])) reloadEvents(kind);
    return zel::calendarEvents(events_, CalendarOptions{settings_.celebrationAlarmMinute});
}

std::optional<CalendarMap> AppState::readCalendarMap() const {
    return zel::readCalendarMap(paths_.calendarMap());
}

void AppState::writeCalendarMap(const CalendarMap& map) {
    zel::writeCalendarMap(paths_.calendarMap(), map);
}

std::optional<Moment> AppState::lastSyncSuccess() const {
    return zel::readLastWatched(paths_.lastSync());
}

void AppState::recordSyncSuccess(Moment moment) {
    zel::writeLastWatched(paths_.lastSync(), moment);
}

void AppState::setSettings(const Settings& settings) {
    if (settings == settings_) return;
    settings_ = settings;
    emit settingsChanged();
}

bool AppState::loadSettings() {
    // The further file first: its lines are kept for the next save whatever the settings file holds.
    furtherError_.reset();
    try {
        furtherText_ =
            readFurtherSettingsFile(paths_.furtherSettings()).value_or(FurtherSettingsText::created());
    } catch (const IoError& e) {
        furtherError_ = e;
        furtherText_ = FurtherSettingsText::created();
    }
    const auto bytes = readSettingsFile(paths_.settings());
    if (!bytes) return false;
    savedBytes_ = *bytes;
    // A missing own sound file falls back to the default sound.
    const Settings record = decodeSettings(
        *bytes, [](const std::string& path) { return !path.empty() && QFile::exists(fromCp(path)); });
    setSettings(furtherText_.applyTo(record));
    return true;
}

void AppState::saveSettings(SettingsFiles files) {
    const SettingsBytes record = encodeSettings(settings_, savedBytes_);
    writeSettingsFile(paths_.settings(), record);
    savedBytes_ = record;
    if (files == SettingsFiles::RecordOnly) return;
    FurtherSettingsText text = furtherText_;
    text.set(settings_);
    writeFurtherSettingsFile(paths_.furtherSettings(), text);
    furtherText_ = std::move(text);
}

void AppState::setCalendars(NameDayCalendar common, NameDayCalendar extended) {
    common_ = std::move(common);
    extended_ = std::move(extended);
}

} // namespace zel::gui
