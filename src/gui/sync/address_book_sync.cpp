#include "gui/sync/address_book_sync.h"

#include "core/sync/merge.h"
#include "gui/state/app_state.h"

#include <QUuid>
#include <algorithm>

namespace zel::gui {

namespace {

std::string text(const QString& s) {
    return s.toStdString();
}

std::string bytes(const QByteArray& b) {
    return b.toStdString();
}

QByteArray qbytes(const std::string& s) {
    return QByteArray::fromStdString(s);
}

std::string newUid() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString();
}

// A second pass takes the cards another client changed between the listing and the upload.
constexpr int kPasses = 2;

} // namespace

AddressBookSync::AddressBookSync(AppState& state, DavClient& client, QObject* parent)
    : QObject(parent), state_(state), client_(client) {}

void AddressBookSync::start(const QUrl& book, ConfirmDeletions confirm) {
    if (running_) return;
    running_ = true;
    book_ = book;
    confirm_ = std::move(confirm);
    pass_ = 0;
    report_ = {};
    try {
        stored_ = state_.readSyncMap();
        map_ = stored_.value_or(SyncMap{});
    } catch (const SyncMapDamaged& e) {
        fail({SyncFailure::Kind::MapDamaged, {}, std::nullopt, e.line(), 0});
        return;
    } catch (const IoError& e) {
        fail({SyncFailure::Kind::LocalWrite, {}, e, 0, 0});
        return;
    }
    // Another address book: its links say nothing about this one, whose cards are linked by name.
    if (map_.collectionUrl != text(book.toString())) map_ = SyncMap{text(book.toString()), {}, {}};
    ++pass_;
    client_.changes(book_, QString::fromStdString(map_.syncToken),
                    [this](CollectionChanges changes, DavError error) {
                        if (error) return fail({SyncFailure::Kind::Network, error, std::nullopt, 0, 0});
                        listed(changes);
                    });
}

void AddressBookSync::listed(const CollectionChanges& changes) {
    listing_ = {};
    listing_.complete = changes.complete;
    listing_.token = text(changes.token);
    for (const CardState& c : changes.changed)
        listing_.changed.push_back({text(c.href), bytes(c.etag)});
    for (const QString& href : changes.removed)
        listing_.removed.push_back(text(href));
    std::vector<std::string> wanted;
    try {
        wanted = cardsToFetch(map_, state_.syncPartners(), listing_);
    } catch (const IoError& e) {
        return fail({SyncFailure::Kind::LocalWrite, {}, e, 0, 0});
    }
    if (wanted.empty()) return fetched({});
    std::vector<QString> hrefs;
    hrefs.reserve(wanted.size());
    for (const std::string& h : wanted)
        hrefs.push_back(QString::fromStdString(h));
    emit progress(0, static_cast<int>(hrefs.size()));
    client_.fetch(book_, hrefs, [this](std::vector<FetchedCard> cards, DavError error) {
        if (error) return fail({SyncFailure::Kind::Network, error, std::nullopt, 0, 0});
        fetched(cards);
    });
}

void AddressBookSync::fetched(const std::vector<FetchedCard>& cards) {
    std::vector<ServerCard> server;
    server.reserve(cards.size());
    for (const FetchedCard& c : cards)
        server.push_back({text(c.href), bytes(c.etag), bytes(c.data)});
    // Read, planned and written in this one turn: nothing the user saves can come between.
    std::vector<LocalPartner> local;
    try {
        local = state_.syncPartners();
    } catch (const IoError& e) {
        return fail({SyncFailure::Kind::LocalWrite, {}, e, 0, 0});
    }
    plan_ = planSync(map_, local, listing_, server, state_.now().day, newUid);
    if (needsDeletionConfirmation(plan_.deletions, local.size()) &&
        (!confirm_ || !confirm_(plan_.deletions, local.size())))
        return fail({SyncFailure::Kind::DeletionsRefused, {}, std::nullopt, 0, plan_.deletions});
    try {
        state_.applySyncWrites(plan_.local);
        saveMap(plan_.map);
    } catch (const IoError& e) {
        return fail({SyncFailure::Kind::LocalWrite, {}, e, 0, 0});
    }
    map_ = plan_.map;
    const SyncReport& r = plan_.report;
    report_.local.created += r.local.created;
    report_.local.changed += r.local.changed;
    report_.local.deleted += r.local.deleted;
    // A second pass reports its own conflicts and skips; the first pass's stand.
    if (pass_ == 1) {
        report_.conflicts = r.conflicts;
        report_.skipped = r.skipped;
        report_.kept = r.kept;
    } else {
        report_.conflicts.insert(report_.conflicts.end(), r.conflicts.begin(), r.conflicts.end());
        report_.kept.insert(report_.kept.end(), r.kept.begin(), r.kept.end());
    }
    uploadsLeft_ = plan_.uploads.size();
    uploadsDone_ = 0;
    refused_ = 0;
    uploadFailed_ = false;
    if (plan_.uploads.empty()) return uploadsDone();
    emit progress(0, static_cast<int>(plan_.uploads.size()));
    for (std::size_t i = 0; i < plan_.uploads.size(); ++i)
        upload(i);
}

void AddressBookSync::upload(std::size_t index) {
    const Upload& u = plan_.uploads[index];
    const auto finish = [this] {
        ++uploadsDone_;
        emit progress(static_cast<int>(uploadsDone_), static_cast<int>(plan_.uploads.size()));
        if (--uploadsLeft_ == 0) uploadsDone();
    };
    const auto failed = [this](const DavError& error) {
        if (!uploadFailed_) uploadError_ = error;
        uploadFailed_ = true;
    };
    const QString href = QString::fromStdString(u.href);
    if (u.kind == Upload::Kind::Delete) {
        client_.remove(
            book_, href, qbytes(u.ifMatch), [this, index, finish, failed](bool refused, DavError error) {
                const Upload& done = plan_.uploads[index];
                if (error) {
                    failed(error);
                } else if (refused) {
                    ++refused_;
                } else {
                    std::erase_if(map_.links, [&](const SyncLink& l) { return l.href == done.href; });
                    ++report_.server.deleted;
                }
                finish();
            });
        return;
    }
    const std::optional<QByteArray> ifMatch =
        u.kind == Upload::Kind::Update ? std::optional<QByteArray>(qbytes(u.ifMatch)) : std::nullopt;
    client_.put(book_, href, qbytes(u.bytes), ifMatch,
                [this, index, finish, failed](PutResult result, DavError error) {
                    const Upload& done = plan_.uploads[index];
                    if (error) {
                        failed(error);
                    } else if (result.preconditionFailed) {
                        ++refused_;
                    } else {
                        SyncLink link = done.link;
                        link.href = result.href.isEmpty() ? done.href : text(result.href);
                        // Without an ETag the next sync reads the card again and finds it agreed.
                        link.etag = bytes(result.etag);
                        const auto at = std::find_if(map_.links.begin(), map_.links.end(),
                                                     [&](const SyncLink& l) { return l.href == done.href; });
                        if (done.kind == Upload::Kind::Update && at != map_.links.end())
                            *at = std::move(link);
                        else
                            map_.links.push_back(std::move(link));
                        ++(done.kind == Upload::Kind::Create ? report_.server.created
                                                             : report_.server.changed);
                    }
                    finish();
                });
}

void AddressBookSync::uploadsDone() {
    // The token of the listing: what changed after it, the uploads too, is listed next time and
    // recognised by its ETag.
    if (!uploadFailed_) map_.syncToken = listing_.token;
    try {
        saveMap(map_);
    } catch (const IoError& e) {
        return fail({SyncFailure::Kind::LocalWrite, {}, e, 0, 0});
    }
    if (uploadFailed_) return fail({SyncFailure::Kind::Network, uploadError_, std::nullopt, 0, 0});
    if (refused_ > 0 && pass_ < kPasses) {
        ++pass_;
        client_.changes(book_, QString::fromStdString(map_.syncToken),
                        [this](CollectionChanges changes, DavError error) {
                            if (error) return fail({SyncFailure::Kind::Network, error, std::nullopt, 0, 0});
                            listed(changes);
                        });
        return;
    }
    report_.postponed = refused_;
    running_ = false;
    emit finished(report_, SyncFailure{});
}

void AddressBookSync::saveMap(const SyncMap& map) {
    if (stored_ == map) return;
    state_.writeSyncMap(map);
    stored_ = map;
}

void AddressBookSync::fail(SyncFailure failure) {
    running_ = false;
    emit finished(report_, failure);
}

} // namespace zel::gui
