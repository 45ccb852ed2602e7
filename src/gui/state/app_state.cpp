#include "gui/state/app_state.h"

#include "core/errors.h"
#include "core/events/firing.h"
#include "core/events/listing.h"
#include "core/exchange/contacts.h"
#include "core/partners/partner_file.h"
#include "core/storage/record_file.h"
#include "gui/text/collation.h"
#include "gui/text/qt_text.h"

#include <QFile>

namespace zel::gui {

AppState::AppState(AppPaths paths, const Clock& clock, QObject* parent)
    : QObject(parent), paths_(std::move(paths)), clock_(clock) {}

void AppState::reloadEvents(EventKind kind) {
    emit eventsAboutToChange(kind);
    try {
        events_.refresh(kind, paths_.dataDir());
    } catch (...) {
        emit eventsChanged(kind);
        throw;
    }
    emit eventsChanged(kind);
    updateNext(kind);
}

void AppState::updateNext(std::optional<EventKind> kind) {
    events_.updateNext(kind, clock_.now());
    emit nextEventsChanged();
}

bool AppState::minuteTaken(EventKind kind, DayNumber day, int minute) const {
    return zel::minuteTaken(events_.table(kind), day, minute);
}

void AppState::addEvent(EventKind kind, const EventRecord& record) {
    insertEventOrdered(paths_.events(kind).string(), kind, record);
    reloadEvents(kind);
}

bool AppState::modifyEvent(EventKind kind, const EventRow& row, const EventRecord& changed) {
    const bool written = zel::modifyEvent(paths_.events(kind), kind, row, changed);
    reloadEvents(kind);
    return written;
}

bool AppState::removeEvent(EventKind kind, const EventRow& row) {
    const bool removed = deleteEvent(paths_.events(kind), kind, row);
    reloadEvents(kind);
    return removed;
}

void AppState::reloadPartners() {
    PartnerNames read = readPartnerNames(paths_.partners());
    emit partnersAboutToChange();
    partnerNames_ = std::move(read.names);
    partnerOrder_ =
        alphabeticalOrder(partnerNames_.size(), [this](std::size_t i) { return fromCp(partnerNames_[i]); });
    damagedPartners_ = read.damaged;
    emit partnersChanged();
}

std::vector<std::string> AppState::partnerNamesAlphabetical() const {
    std::vector<std::string> names;
    names.reserve(partnerOrder_.size());
    for (std::size_t i : partnerOrder_)
        names.push_back(partnerNames_[i]);
    return names;
}

std::size_t AppState::savePartner(const PartnerRecord& partner, std::optional<std::size_t> replacing) {
    const std::size_t at = zel::savePartner(paths_.partners(), partner, replacing);
    reloadPartners();
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

void AppState::deletePartner(std::size_t index) {
    deletePartnerAt(paths_.partners(), index);
    reloadPartners();
}

void AppState::removePartnerEvents(const std::string& name) {
    for (EventKind kind : {EventKind::NameDay, EventKind::Birthday}) {
        zel::removePartnerEvents(paths_.events(kind), kind, name);
        reloadEvents(kind);
    }
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
