#pragma once

// A partner folder and a Radicale address book, and one sync between them at a time.

#include "core/app/paths.h"
#include "core/partners/partner_record.h"
#include "gui/state/app_state.h"
#include "gui/sync/address_book_sync.h"
#include "gui/sync/dav_client.h"
#include "support/radicale_server.h"
#include "support/settable_clock.h"
#include "support/test_util.h"

#include <QNetworkAccessManager>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

namespace zel::test {

struct SyncRun {
    SyncReport report;
    gui::SyncFailure failure;
    int requests = 0;
    bool finished = false;
};

class SyncFixture : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.start());
        std::filesystem::create_directories(paths_.dataDir());
        writeFile(paths_.partners(), {});
        state_ = std::make_unique<gui::AppState>(paths_, clock_);
        state_->reloadPartners();
        for (EventKind k : kAllEventKinds)
            state_->reloadEvents(k);
        ASSERT_EQ(send("MKCOL", "/anna/partnerek/", {{"Content-Type", "application/xml; charset=utf-8"}},
                       addressBookMkcol())
                      .status,
                  201);
    }

    QUrl book() const { return server_.baseUrl().resolved(QUrl(QStringLiteral("/anna/partnerek/"))); }

    // Another client's request.
    HttpReply send(const QByteArray& verb, const QString& path,
                   QList<QPair<QByteArray, QByteArray>> headers = {}, const QByteArray& body = {}) {
        headers.append(
            {"Authorization", basicAuthorization(QStringLiteral("anna"), QStringLiteral("titok"))});
        return sendHttp(network_, verb, server_.baseUrl().resolved(QUrl(path)), headers, body);
    }
    HttpReply send(const QByteArray& verb, const char* path,
                   QList<QPair<QByteArray, QByteArray>> headers = {}, const QByteArray& body = {}) {
        return send(verb, QString::fromUtf8(path), std::move(headers), body);
    }
    // Puts a card as another client would, new or over what is there.
    void putCard(const QString& name, const QByteArray& card) {
        const HttpReply r = send("PUT", QStringLiteral("/anna/partnerek/") + name,
                                 {{"Content-Type", "text/vcard; charset=utf-8"}}, card);
        ASSERT_TRUE(r.status == 201 || r.status == 204) << r.status << r.body.data();
    }
    // The hrefs and bytes of the cards in the book, as the server's storage holds them.
    std::map<QString, QByteArray> cards() const {
        std::map<QString, QByteArray> out;
        QDir dir(server_.storagePath() + QStringLiteral("/collection-root/anna/partnerek"));
        for (const QString& name : dir.entryList({QStringLiteral("*.vcf")}, QDir::Files)) {
            QFile f(dir.filePath(name));
            if (f.open(QIODevice::ReadOnly)) out[name] = f.readAll();
        }
        return out;
    }
    QByteArray cardNamed(const QByteArray& fn) const { return cards()[fileNamed(fn)]; }
    QString fileNamed(const QByteArray& fn) const {
        for (const auto& [name, bytes] : cards())
            if (bytes.contains(QByteArray("\r\nFN:" + fn + "\r\n"))) return name;
        return {};
    }

    SyncRun sync(gui::AddressBookSync::ConfirmDeletions confirm = {},
                 gui::DavCredentials credentials = {QStringLiteral("anna"), QStringLiteral("titok")},
                 const std::function<void(gui::AddressBookSync&, int, int)>& onProgress = {}) {
        gui::DavClient client(credentials);
        gui::AddressBookSync run(*state_, client);
        SyncRun result;
        QObject::connect(&run, &gui::AddressBookSync::finished,
                         [&](const SyncReport& report, const gui::SyncFailure& failure) {
                             result.report = report;
                             result.failure = failure;
                             result.finished = true;
                         });
        if (onProgress)
            QObject::connect(&run, &gui::AddressBookSync::progress,
                             [&](int done, int total) { onProgress(run, done, total); });
        run.start(book(), std::move(confirm));
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.finished; }, 60000)) << "the sync never ended";
        result.requests = client.requestsSent();
        return result;
    }

    void savePartner(const PartnerRecord& p) { state_->savePartner(p, std::nullopt); }
    std::vector<PartnerRecord> partners() const { return readAllPartners(paths_.partners()); }
    std::optional<PartnerRecord> partnerNamed(std::string_view utf8) const {
        for (const PartnerRecord& p : partners())
            if (p.name == cp(utf8)) return p;
        return std::nullopt;
    }

    RadicaleServer server_;
    TempDir dir_;
    AppPaths paths_{dir_.path()};
    SettableClock clock_{Moment::at(2026, 12, 8, 10, 0, 0)};
    std::unique_ptr<gui::AppState> state_;
    QNetworkAccessManager network_;
};

} // namespace zel::test
