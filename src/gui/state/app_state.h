#pragma once

#include "core/app/clock.h"
#include "core/app/data_reader.h"
#include "core/app/paths.h"
#include "core/calendar/calendar_export.h"
#include "core/calendar/calendar_map.h"
#include "core/errors.h"
#include "core/events/event_table.h"
#include "core/events/listing.h"
#include "core/exchange/partner_import.h"
#include "core/namedays/namedays.h"
#include "core/os/file.h"
#include "core/partners/partner_file.h"
#include "core/partners/partner_record.h"
#include "core/settings/further_settings.h"
#include "core/settings/settings_record.h"
#include "core/sync/address_book_plan.h"
#include "core/sync/sync_map.h"

#include <QObject>
#include <array>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zel::gui {

// The program's data in memory: the paths, the four event tables and their next rows, the partner
// names, the live settings and the two calendars. Every write to a data file goes through here, and
// every read of a partner's record. After a write the state changes what it holds by what it wrote,
// or, when the file may hold more than it knows (a change from outside, damaged records), reads the
// file again; either way it says so, and models and tabs listen. The files are read whole at start
// and on every reload. Every write throws IoError on failure; what was read before the failure stays.
class AppState : public QObject {
    Q_OBJECT

  public:
    AppState(AppPaths paths, const Clock& clock, QObject* parent = nullptr);

    const AppPaths& paths() const { return paths_; }
    Moment now() const { return clock_.now(); }
    // The clock's moment in milliseconds since 1970, UTC.
    std::int64_t instantMs() const { return clock_.instantMs(); }

    // --- Events
    const EventBook& events() const { return events_; }
    const EventTable& table(EventKind kind) const { return events_.table(kind); }
    const std::optional<EventRow>& next(EventKind kind) const { return events_.next(kind); }
    // Rebuilds one table from its file (a missing file is created empty), then its next row.
    void reloadEvents(EventKind kind);
    // Starts reading the event files on another thread; the next reload of each kind takes what was
    // read while the file is unchanged.
    // Starts reading the Data folder's files ahead, or takes a reader already started on it.
    void readAhead(std::unique_ptr<DataReader> started = nullptr);
    // The next rows at this moment, of one kind or of all four.
    void updateNext(std::optional<EventKind> kind = std::nullopt);
    // A reminder (a program) already holds this day and minute.
    bool minuteTaken(EventKind kind, DayNumber day, int minute) const;
    // Inserts the event at its place in the file's order.
    void addEvent(EventKind kind, const EventRecord& record);
    // Writes `changed` over the row's own record, moving it when its moment changed; false when the
    // file no longer holds the row (nothing is written then).
    bool modifyEvent(EventKind kind, const EventRow& row, const EventRecord& changed);
    bool removeEvent(EventKind kind, const EventRow& row);
    // Moves rows to other days in one write (recurring events to their next occurrence); rows the
    // file no longer holds stay out. Returns how many moved.
    std::size_t moveEvents(EventKind kind, const std::vector<EventMove>& moves);
    // The moment the clock last watched up to, as its file in the data folder holds it: nothing when
    // it is missing or damaged.
    std::optional<Moment> readLastWatched() const;
    void writeLastWatched(Moment moment);

    // --- Partners
    const std::vector<std::string>& partnerNames() const { return partnerNames_; }
    // A partner's record is read from the file when asked, as the file stands then; only the names
    // are held. Each throws IoError when the file does not open.
    // The first partner of this name, the one at `likely` first; not found: the record count, no record.
    PartnerLookup findPartner(const std::string& name,
                              std::optional<std::size_t> likely = std::nullopt) const;
    // The record at a file position; one beyond the end throws IoError.
    PartnerRecord partnerAt(std::size_t index) const;
    // Whether a name may be saved; a new partner's must not be a stored one's. A file that does not
    // open holds no name.
    NameCheck checkPartnerName(const std::string& name, bool modification) const;
    // The partners' file positions in Hungarian alphabetical order, the order the lists show; the
    // file keeps its byte order. Made when first asked for after a reload (a start shows no list of
    // partners) and kept in step with every write from then on.
    const std::vector<std::size_t>& partnerOrder() const;
    // The names in that order.
    std::vector<std::string> partnerNamesAlphabetical() const;
    void reloadPartners();
    // Writes a new partner (replacing: none) or a changed one at its ordered place, and returns it.
    std::size_t savePartner(const PartnerRecord& partner, std::optional<std::size_t> replacing);
    void deletePartner(std::size_t index);
    // Removes the name days and birthdays of a partner's name.
    void removePartnerEvents(const std::string& name);
    // The partner saved last, whom the new-event tab offers first.
    const std::string& lastSavedPartner() const { return lastSavedPartner_; }
    void setLastSavedPartner(std::string name) { lastSavedPartner_ = std::move(name); }

    // --- Synchronisation
    // Every partner as the sync compares them, with the day of the first birthday record of each name.
    std::vector<LocalPartner> syncPartners() const;
    // The sync's writes in one rewrite of each file, then the partners and both day tables read again.
    void applySyncWrites(const std::vector<LocalWrite>& writes);
    // Nothing when no sync was made; throws SyncMapDamaged or IoError.
    std::optional<SyncMap> readSyncMap() const;
    void writeSyncMap(const SyncMap& map);
    // The dates the calendar shows, from every table as its file holds it. A table not read, whose last
    // read failed or whose file changed is read again first, so a file that cannot be read throws
    // IoError rather than take every event of its kind off the calendar.
    std::vector<CalendarEvent> calendarEvents();
    // Nothing when nothing was published; throws SyncMapDamaged or IoError.
    std::optional<CalendarMap> readCalendarMap() const;
    void writeCalendarMap(const CalendarMap& map);
    // When the last sync succeeded; nothing when none did (or its file cannot be read).
    std::optional<Moment> lastSyncSuccess() const;
    // Throws IoError.
    void recordSyncSuccess(Moment moment);

    // --- Damage
    struct DamagedFile {
        std::filesystem::path path;
        std::size_t records = 0;
    };
    // The partner file and the event files as last read, where records could only be read as best
    // they could; the files are never changed for it.
    std::vector<DamagedFile> damagedFiles() const;

    // --- Exchange
    // Adds the rows the partner file lacks in one rewrite, then reloads the partners.
    PartnerImport importPartners(const std::vector<PartnerRecord>& rows);
    // Every partner in file order.
    std::vector<PartnerRecord> allPartners() const;
    enum class ExportFormat { Csv, VCard };
    // Writes the rows to `file` whole or not at all; `separator` is the CSV's, Windows-1250.
    void exportPartners(const std::filesystem::path& file, const std::vector<PartnerRecord>& rows,
                        ExportFormat format, char separator);
    DataCopy copyDataFiles(const std::filesystem::path& folder) const;
    // Writes the active reminders, name days and birthdays to `file` as an iCalendar, whole or not at
    // all, a celebration's alarm at the settings' time; returns how many events went in. A table not
    // read yet, whose read failed or whose file changed since is read first, so none goes out short.
    std::size_t exportCalendar(const std::filesystem::path& file);

    // --- Settings: live as the user changes them, in the file only when saved.
    const Settings& settings() const { return settings_; }
    void setSettings(const Settings& settings);
    // Reads the settings file and the further settings file beside it: false when the settings file is
    // missing. A damaged settings file throws and is left as it is. A further settings file that cannot
    // be read leaves the defaults of its keys and furtherSettingsError() for the caller to report; it is
    // left as it is until the next save.
    bool loadSettings();
    const std::optional<IoError>& furtherSettingsError() const { return furtherError_; }
    // `base` with the keys the further settings file read last holds.
    Settings withFurtherSettings(const Settings& base) const { return furtherText_.applyTo(base); }
    // "Mentés" writes both files; the settings file a first start creates is written alone.
    enum class SettingsFiles { Both, RecordOnly };
    // Writes the live settings over the bytes last read, so bytes the program does not set keep theirs;
    // then the further settings over the lines last read, so the lines it does not set keep theirs.
    void saveSettings(SettingsFiles files = SettingsFiles::Both);

    // --- Calendars
    const NameDayCalendar& commonCalendar() const { return common_; }
    const NameDayCalendar& extendedCalendar() const { return extended_; }
    void setCalendars(NameDayCalendar common, NameDayCalendar extended);

  signals:
    // The table of one kind is about to change: what it held is still there, for the last time.
    void eventsAboutToChange(zel::EventKind kind);
    // The table of one kind changed: read again from its file (also after a failed read), or
    // changed by a write.
    void eventsChanged(zel::EventKind kind);
    // A next row changed (another row, or the same one changed or moved).
    void nextEventsChanged();
    // The partner names are about to change (read again, or changed by a write).
    void partnersAboutToChange();
    void partnersChanged();
    void settingsChanged();

  private:
    // Whether the file is still the one last read or written here, so a write's result can be
    // applied to what is held instead of reading the file again.
    static bool unchanged(const std::filesystem::path& path, const std::optional<os::FileStamp>& known);
    // After a write: the change applied, or the file read again when that cannot be done.
    void followEvents(EventKind kind, bool following, const EventFileChange& change);
    // Reads the table of a kind from its file; the views were told it is about to change.
    void readEvents(EventKind kind);
    // A partner leaves the names held, or comes in at its file position; the alphabetical order
    // follows as a reload would make it.
    void partnerLeft(std::size_t index);
    void partnerCame(std::size_t index, std::string name);
    // A partner renamed here keeps its card: the map learns the new name.
    void followRename(const std::string& from, const std::string& to);

    AppPaths paths_;
    const Clock& clock_;
    EventBook events_;
    // What the start reads ahead; kept until the end, as a table it was not asked for stays unread.
    std::unique_ptr<DataReader> ahead_;
    std::array<std::optional<os::FileStamp>, 4> eventStamps_;
    std::vector<std::string> partnerNames_;
    // Empty until asked for after the partners were read; kept up to date from then on.
    mutable std::vector<std::size_t> partnerOrder_;
    mutable bool partnersOrdered_ = false;
    std::size_t damagedPartners_ = 0; // as the partner file was last read
    std::optional<os::FileStamp> partnerStamp_;
    std::string lastSavedPartner_;
    Settings settings_ = defaultSettings();
    SettingsBytes savedBytes_{};
    FurtherSettingsText furtherText_ = FurtherSettingsText::created();
    std::optional<IoError> furtherError_;
    NameDayCalendar common_;
    NameDayCalendar extended_;
};

} // namespace zel::gui
