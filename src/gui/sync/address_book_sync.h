#pragma once

#include "core/errors.h"
#include "core/sync/address_book_plan.h"
#include "core/sync/sync_report.h"
#include "gui/sync/dav_client.h"

#include <QObject>
#include <QUrl>
#include <functional>
#include <optional>

namespace zel::gui {

class AppState;

// Why a sync stopped. Before the local writes nothing was changed; after them, the map holds what was
// agreed so far and the next sync goes on from there.
struct SyncFailure {
    enum class Kind {
        None,
        Network,          // `network` says why
        MapDamaged,       // the map file is not one the program wrote: nothing is synchronised from it
        LocalWrite,       // a data file could not be written (`io`)
        DeletionsRefused, // the user (or the command line) did not allow the deletions
    };
    Kind kind = Kind::None;
    DavError network;
    std::optional<IoError> io;
    std::size_t mapLine = 0;   // MapDamaged
    std::size_t deletions = 0; // DeletionsRefused
    explicit operator bool() const { return kind != Kind::None; }
};

// One synchronisation of the partners with one address book: list what changed on the server, read
// the cards needed, plan, write here (the partner and day files, then the map), then upload. Every step
// answers on the event loop; the local writes happen in one turn, right after the partners are read.
class AddressBookSync : public QObject {
    Q_OBJECT

  public:
    AddressBookSync(AppState& state, DavClient& client, QObject* parent = nullptr);

    // Asked when the sync would delete more partners than may go unasked; false stops it before
    // anything is written.
    using ConfirmDeletions = std::function<bool(std::size_t deletions, std::size_t partners)>;
    void start(const QUrl& book, ConfirmDeletions confirm);
    bool running() const { return running_; }

  signals:
    // Cards read and written so far of those this step has, for a progress bar.
    void progress(int done, int total);
    void finished(const zel::SyncReport& report, const zel::gui::SyncFailure& failure);

  private:
    void listed(const CollectionChanges& changes);
    void fetched(const std::vector<FetchedCard>& cards);
    void upload(std::size_t index);
    void uploadsDone();
    // Writes the map unless the file already holds it: a sync where nothing changed writes nothing.
    void saveMap(const SyncMap& map);
    void fail(SyncFailure failure);

    AppState& state_;
    DavClient& client_;
    QUrl book_;
    ConfirmDeletions confirm_;
    bool running_ = false;
    int pass_ = 0;
    SyncMap map_;
    std::optional<SyncMap> stored_; // as the map file holds it; nothing when there is none
    ServerListing listing_;
    SyncPlan plan_;
    SyncReport report_;
    std::size_t uploadsLeft_ = 0, uploadsDone_ = 0, refused_ = 0;
    bool uploadFailed_ = false;
    DavError uploadError_;
};

} // namespace zel::gui
