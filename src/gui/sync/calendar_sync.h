#pragma once

#include "core/calendar/calendar_plan.h"
#include "core/sync/sync_report.h"
#include "gui/sync/address_book_sync.h"
#include "gui/sync/dav_client.h"

#include <QObject>
#include <QUrl>
#include <optional>

namespace zel::gui {

class AppState;

// One publish of the dates to the calendar: list what changed there since the last one, plan against
// the records, send only what differs, then keep the map. No local data file is written; the map only
// after the server answered.
class CalendarSync : public QObject {
    Q_OBJECT

  public:
    CalendarSync(AppState& state, DavClient& client, QObject* parent = nullptr);

    void start(const QUrl& calendar);
    bool running() const { return running_; }

  signals:
    void progress(int done, int total);
    void finished(const zel::SyncReport::Calendar& report, const zel::gui::SyncFailure& failure);

  private:
    void list();
    void listed(const CollectionChanges& changes);
    void upload(std::size_t index);
    void uploadsDone();
    void saveMap(const CalendarMap& map);
    void fail(SyncFailure failure);

    AppState& state_;
    DavClient& client_;
    QUrl calendar_;
    bool running_ = false;
    int pass_ = 0;
    CalendarMap map_;
    std::optional<CalendarMap> stored_;
    std::string token_;
    std::vector<CalendarEvent> events_;
    CalendarPlan plan_;
    std::int64_t stampMs_ = 0;
    SyncReport::Calendar report_;
    std::size_t uploadsLeft_ = 0, uploadsDone_ = 0, refused_ = 0;
    bool uploadFailed_ = false;
    DavError uploadError_;
};

} // namespace zel::gui
