#include "gui/sync/calendar_sync.h"

#include "gui/state/app_state.h"

#include <algorithm>

namespace zel::gui {

namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

// A second pass takes the events changed elsewhere between the listing and the upload.
constexpr int kPasses = 2;

SyncFailure networkFailure(const DavError& error) {
    return {SyncFailure::Kind::Network, error, std::nullopt, 0, 0};
}

SyncFailure localFailure(const IoError& error) {
    return {SyncFailure::Kind::LocalWrite, {}, error, 0, 0};
}

} // namespace

CalendarSync::CalendarSync(AppState& state, DavClient& client, QObject* parent)
    : QObject(parent), state_(state), client_(client) {}

void CalendarSync::start(const QUrl& calendar) {
    if (running_) return;
    running_ = true;
    calendar_ = calendar;
    pass_ = 0;
    report_ = {};
    try {
        stored_ = state_.readCalendarMap();
        map_ = stored_.value_or(CalendarMap{});
    } catch (const SyncMapDamaged& e) {
        return fail({SyncFailure::Kind::MapDamaged, {}, std::nullopt, e.line(), 0});
    } catch (const IoError& e) {
        return fail(localFailure(e));
    }
    // Another calendar: nothing of this one is known, so it is listed whole.
    if (map_.collectionUrl != text(calendar.toString()))
        map_ = CalendarMap{text(calendar.toString()), {}, {}};
    stampMs_ = state_.instantMs();
    list();
}

void CalendarSync::list() {
    ++pass_;
    client_.changes(calendar_, QString::fromStdString(map_.syncToken),
                    [this](CollectionChanges changes, DavError error) {
                        if (error) return fail(networkFailure(error));
                        listed(changes);
                    });
}

void CalendarSync::listed(const CollectionChanges& changes) {
    ServerListing listing;
    listing.complete = changes.complete;
    token_ = text(changes.token);
    for (const CardState& c : changes.changed)
        listing.changed.push_back({text(c.href), c.etag.toStdString()});
    for (const QString& href : changes.removed)
        listing.removed.push_back(text(href));
    try {
        events_ = state_.calendarEvents();
    } catch (const IoError& e) {
        return fail(localFailure(e));
    }
    plan_ = planCalendar(map_, events_, listing, text(calendar_.path(QUrl::FullyEncoded)));
    map_ = plan_.map;
    if (pass_ == 1) report_.foreign = plan_.foreign;
    uploadsLeft_ = plan_.uploads.size();
    uploadsDone_ = 0;
    refused_ = 0;
    uploadFailed_ = false;
    if (plan_.uploads.empty()) return uploadsDone();
    emit progress(0, static_cast<int>(plan_.uploads.size()));
    for (std::size_t i = 0; i < plan_.uploads.size(); ++i)
        upload(i);
}

void CalendarSync::upload(std::size_t index) {
    const EventUpload& u = plan_.uploads[index];
    const auto finish = [this] {
        ++uploadsDone_;
        emit progress(static_cast<int>(uploadsDone_), static_cast<int>(plan_.uploads.size()));
        if (--uploadsLeft_ == 0) uploadsDone();
    };
    const auto failed = [this](const DavError& error) {
        if (!uploadFailed_) uploadError_ = error;
        uploadFailed_ = true;
    };
    const auto dropLink = [this](const std::string& href) {
        std::erase_if(map_.links, [&](const CalendarLink& l) { return l.href == href; });
    };
    const QString href = QString::fromStdString(u.href);
    if (u.kind == EventUpload::Kind::Delete) {
        client_.remove(calendar_, href, QByteArray::fromStdString(u.ifMatch),
                       [this, index, finish, failed, dropLink](bool refused, DavError error) {
                           const EventUpload& done = plan_.uploads[index];
                           if (error) {
                               failed(error);
                           } else if (refused) {
                               ++refused_;
                           } else {
                               dropLink(done.href);
                               ++report_.events.deleted;
                           }
                           finish();
                       });
        return;
    }
    const CalendarEvent& event = events_[u.event];
    const QByteArray body = QByteArray::fromStdString(icsText({event}, stampMs_));
    const std::optional<QByteArray> ifMatch =
        u.kind == EventUpload::Kind::Update ? std::optional<QByteArray>(QByteArray::fromStdString(u.ifMatch))
                                            : std::nullopt;
    client_.put(
        calendar_, href, body, ifMatch,
        [this, index, finish, failed, dropLink](PutResult result, DavError error) {
            const EventUpload& done = plan_.uploads[index];
            if (error) {
                failed(error);
            } else if (result.preconditionFailed) {
                ++refused_;
            } else {
                const CalendarEvent& sent = events_[done.event];
                dropLink(done.href);
                // Without an ETag the next listing's is taken as this event's.
                map_.links.push_back({result.href.isEmpty() ? done.href : text(result.href),
                                      result.etag.toStdString(), sent.uid, eventDigest(sent)});
                if (done.restore)
                    ++report_.restored;
                else
                    ++(done.kind == EventUpload::Kind::Create ? report_.events.created
                                                              : report_.events.changed);
            }
            finish();
        },
        DavClient::kEventType);
}

void CalendarSync::uploadsDone() {
    // The listing's token: what changed after it, the uploads too, is listed next time and known by its
    // ETag. A failed upload keeps the old one, so the next listing shows the same differences again.
    if (!uploadFailed_) map_.syncToken = token_;
    // In the order of the addresses, whatever order the answers came in: the same events, the same file.
    std::sort(map_.links.begin(), map_.links.end(),
              [](const CalendarLink& a, const CalendarLink& b) { return a.href < b.href; });
    try {
        saveMap(map_);
    } catch (const IoError& e) {
        return fail(localFailure(e));
    }
    if (uploadFailed_) return fail(networkFailure(uploadError_));
    if (refused_ > 0 && pass_ < kPasses) return list();
    report_.postponed = refused_;
    running_ = false;
    emit finished(report_, SyncFailure{});
}

void CalendarSync::saveMap(const CalendarMap& map) {
    if (stored_ == map) return;
    state_.writeCalendarMap(map);
    stored_ = map;
}

void CalendarSync::fail(SyncFailure failure) {
    running_ = false;
    emit finished(report_, failure);
}

} // namespace zel::gui
