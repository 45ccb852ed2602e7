#include "gui/sync/secret_store.h"

#include <qt6keychain/keychain.h>
#include <utility>

namespace zel::gui {

namespace {

const QString kService = QStringLiteral("Zelmoran");

// A job of this store: its key set, never the file fallback, answering once. Parented to the store,
// so no answer comes after the store is gone.
template <class J> J* job(QObject* store, const QString& key) {
    auto* j = new J(kService, store);
    j->setAutoDelete(true);
    j->setInsecureFallback(false);
    j->setKey(key);
    return j;
}

} // namespace

QString passwordKey(const QString& user, const QString& server) {
    return QStringLiteral("carddav:") + user + u'@' + server;
}

KeychainSecretStore::KeychainSecretStore(QObject* parent) : QObject(parent) {}

void KeychainSecretStore::read(const QString& key, ReadDone done) {
    auto* j = job<QKeychain::ReadPasswordJob>(this, key);
    connect(j, &QKeychain::Job::finished, this, [j, done = std::move(done)] {
        switch (j->error()) {
        case QKeychain::NoError:
            done(j->textData(), true);
            return;
        case QKeychain::EntryNotFound:
            done(std::nullopt, true);
            return;
        default:
            // No store running, the user refused to unlock it, or it failed.
            done(std::nullopt, false);
        }
    });
    j->start();
}

void KeychainSecretStore::write(const QString& key, const QString& password, WriteDone done) {
    auto* j = job<QKeychain::WritePasswordJob>(this, key);
    j->setTextData(password);
    connect(j, &QKeychain::Job::finished, this,
            [j, done = std::move(done)] { done(j->error() == QKeychain::NoError); });
    j->start();
}

void KeychainSecretStore::remove(const QString& key) {
    job<QKeychain::DeletePasswordJob>(this, key)->start();
}

void SessionSecretStore::read(const QString& key, ReadDone done) {
    store_.read(key, [this, key, done = std::move(done)](std::optional<QString> password, bool answered) {
        // The store may answer again after it failed a write: the password of this run still holds.
        if (!password && kept_.contains(key)) password = kept_.value(key);
        done(std::move(password), answered);
    });
}

void SessionSecretStore::write(const QString& key, const QString& password, WriteDone done) {
    store_.write(key, password, [this, key, password, done = std::move(done)](bool stored) {
        // Once the store holds it, the copy in memory would only go stale.
        if (stored)
            kept_.remove(key);
        else
            kept_.insert(key, password);
        done(stored);
    });
}

void SessionSecretStore::remove(const QString& key) {
    kept_.remove(key);
    store_.remove(key);
}

} // namespace zel::gui
