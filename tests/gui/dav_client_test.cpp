// The CardDAV and CalDAV client against a real server (Radicale on the loopback address): discovery,
// creating a book or a calendar, conditional writes, changes since a token, fetching cards, and every way
// a request can fail.

#include "gui/sync/dav_client.h"
#include "support/radicale_server.h"

#include <QNetworkAccessManager>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

using zel::gui::AddressBookInfo;
using zel::gui::CalendarInfo;
using zel::gui::CollectionChanges;
using zel::gui::DavClient;
using zel::gui::DavCredentials;
using zel::gui::DavError;
using zel::gui::FetchedCard;
using zel::gui::PutResult;
using zel::test::basicAuthorization;
using zel::test::calendarMkcalendar;
using zel::test::HttpReply;
using zel::test::RadicaleServer;
using zel::test::sendHttp;

struct Discovered {
    std::vector<AddressBookInfo> books;
    QUrl home;
    DavError error;
};
struct Created {
    AddressBookInfo book;
    DavError error;
};
struct CalendarsFound {
    std::vector<CalendarInfo> calendars;
    QUrl home;
    DavError error;
};
struct CalendarCreated {
    CalendarInfo calendar;
    DavError error;
};
struct Changes {
    CollectionChanges changes;
    DavError error;
};
struct Fetched {
    std::vector<FetchedCard> cards;
    DavError error;
};
struct Put {
    PutResult result;
    DavError error;
};
struct Removed {
    bool preconditionFailed;
    DavError error;
};

// Starts a call and runs the event loop until its callback came (a generous minute at most; the
// server is local). A call that never answers fails the test and is cancelled.
template <typename Result, typename Start> Result await(DavClient& client, Start start) {
    std::optional<Result> result;
    start([&result](auto... args) { result.emplace(Result{std::move(args)...}); });
    if (!QTest::qWaitFor([&result] { return result.has_value(); }, 60000)) {
        client.cancel();
        ADD_FAILURE() << "no answer within a minute";
        return Result{};
    }
    return std::move(*result);
}

const QByteArray kBookBody =
    R"(<?xml version="1.0" encoding="utf-8"?>)"
    R"(<D:mkcol xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:carddav"><D:set><D:prop>)"
    R"(<D:resourcetype><D:collection/><C:addressbook/></D:resourcetype>)"
    R"(<D:displayname>%1</D:displayname></D:prop></D:set></D:mkcol>)";

// A card in the server's own form, so it comes back byte for byte.
QByteArray cardOf(const char* uid, const char* name) {
    return QByteArray("BEGIN:VCARD\r\nVERSION:3.0\r\nUID:") + uid + "\r\nFN:" + name + "\r\nN:" + name +
           ";;;;\r\nEND:VCARD\r\n";
}

class DavClientTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.start());
        ASSERT_EQ(makeBook("/anna/partnerek/", "Partnerek").status, 201);
        ASSERT_EQ(makeBook("/anna/munka/", "Munka és más").status, 201);
    }

    QUrl url(const QString& path) const { return server_.baseUrl().resolved(QUrl(path)); }
    QUrl book() const { return url(QStringLiteral("/anna/partnerek/")); }

    // Another client of the same account, speaking HTTP directly.
    HttpReply other(const QByteArray& verb, const QString& path,
                    QList<QPair<QByteArray, QByteArray>> headers = {}, const QByteArray& body = {}) {
        headers.append({"Authorization", basicAuthorization(server_.user(), server_.password())});
        return sendHttp(network_, verb, QUrl::fromEncoded(url(path).toEncoded()), headers, body);
    }
    HttpReply makeBook(const char* path, const char* name) {
        return other("MKCOL", QString::fromUtf8(path), {{"Content-Type", "application/xml"}},
                     QString::fromUtf8(kBookBody).arg(QString::fromUtf8(name)).toUtf8());
    }

    Put put(const QString& href, const QByteArray& card, std::optional<QByteArray> ifMatch = {}) {
        return await<Put>(client_, [&](auto done) { client_.put(book(), href, card, ifMatch, done); });
    }
    Changes changes(const QString& token) {
        return await<Changes>(client_, [&](auto done) { client_.changes(book(), token, done); });
    }

    RadicaleServer server_;
    QNetworkAccessManager network_;
    DavClient client_{DavCredentials{QStringLiteral("anna"), QStringLiteral("titok")}};
};

template <class Info> std::vector<QString> namesOf(const std::vector<Info>& collections) {
    std::vector<QString> names;
    for (const auto& c : collections)
        names.push_back(c.name + u' ' + c.url.path());
    std::sort(names.begin(), names.end());
    return names;
}

TEST_F(DavClientTest, DiscoversTheBooksFromTheServerThePrincipalOrABookAndCreatesOne) {
    const std::vector<QString> both{QStringLiteral("Munka és más /anna/munka/"),
                                    QStringLiteral("Partnerek /anna/partnerek/")};
    // The bare server: .well-known redirects to "/", which names the principal.
    const auto bare =
        await<Discovered>(client_, [&](auto done) { client_.discover(server_.baseUrl(), done); });
    ASSERT_FALSE(bare.error) << bare.error.detail.toStdString();
    EXPECT_EQ(namesOf(bare.books), both);
    EXPECT_EQ(bare.home, url(QStringLiteral("/anna/")));

    const auto principal =
        await<Discovered>(client_, [&](auto done) { client_.discover(url(QStringLiteral("/anna/")), done); });
    EXPECT_EQ(namesOf(principal.books), both);
    EXPECT_EQ(principal.home, url(QStringLiteral("/anna/")));
    const auto wellKnown = await<Discovered>(
        client_, [&](auto done) { client_.discover(url(QStringLiteral("/.well-known/carddav")), done); });
    EXPECT_EQ(namesOf(wellKnown.books), both);
    // A book's own address, without its slash: still the whole home set.
    const auto typedBook = await<Discovered>(
        client_, [&](auto done) { client_.discover(url(QStringLiteral("/anna/partnerek")), done); });
    EXPECT_EQ(namesOf(typedBook.books), both);

    // A new book by its name; the name taken, the next free one.
    const auto created = await<Created>(
        client_, [&](auto done) { client_.createAddressBook(bare.home, QStringLiteral("Zelmoran"), done); });
    ASSERT_FALSE(created.error) << created.error.detail.toStdString();
    EXPECT_EQ(created.book.url, url(QStringLiteral("/anna/zelmoran/")));
    EXPECT_EQ(created.book.name, QStringLiteral("Zelmoran"));
    const auto again = await<Created>(
        client_, [&](auto done) { client_.createAddressBook(bare.home, QStringLiteral("Zelmorán"), done); });
    EXPECT_EQ(again.book.url, url(QStringLiteral("/anna/zelmoran-2/")));
    const auto after =
        await<Discovered>(client_, [&](auto done) { client_.discover(server_.baseUrl(), done); });
    EXPECT_EQ(namesOf(after.books).size(), 4u);
    EXPECT_TRUE(std::ranges::count(namesOf(after.books), QStringLiteral("Zelmorán /anna/zelmoran-2/")) == 1);
}

TEST_F(DavClientTest, DiscoversTheCalendarsThatTakeEventsAndCreatesOne) {
    const auto mkcalendar = [&](const char* path, const QByteArray& body) {
        return other("MKCALENDAR", QString::fromUtf8(path), {{"Content-Type", "application/xml"}}, body)
            .status;
    };
    ASSERT_EQ(mkcalendar("/anna/naptar/", calendarMkcalendar("Naptár és más")), 201);
    ASSERT_EQ(mkcalendar("/anna/teendok/", calendarMkcalendar("Teendők", {"VTODO"})), 201);
    // Without the property the server takes every component, events too.
    ASSERT_EQ(mkcalendar("/anna/minden/", calendarMkcalendar("Minden", {})), 201);
    ASSERT_EQ(mkcalendar("/anna/esemenyek/", calendarMkcalendar({}, {"VTODO", "VEVENT"})), 201);

    auto calendars = [&](const QUrl& server) {
        return await<CalendarsFound>(client_, [&](auto done) { client_.discoverCalendars(server, done); });
    };
    const auto bare = calendars(server_.baseUrl());
    ASSERT_FALSE(bare.error) << bare.error.detail.toStdString();
    // Not the to-do list, nor the address books; a calendar without a display name goes by Radicale's.
    const std::vector<QString> three{QStringLiteral("Minden /anna/minden/"),
                                     QStringLiteral("Naptár és más /anna/naptar/"),
                                     QStringLiteral("anna/esemenyek /anna/esemenyek/")};
    EXPECT_EQ(namesOf(bare.calendars), three);
    EXPECT_EQ(bare.home, url(QStringLiteral("/anna/")));
    EXPECT_EQ(namesOf(calendars(url(QStringLiteral("/anna/"))).calendars), three);
    EXPECT_EQ(namesOf(calendars(url(QStringLiteral("/.well-known/caldav"))).calendars), three);
    // And no calendar is taken for an address book.
    const auto books =
        await<Discovered>(client_, [&](auto done) { client_.discover(server_.baseUrl(), done); });
    EXPECT_EQ(namesOf(books.books), (std::vector<QString>{QStringLiteral("Munka és más /anna/munka/"),
                                                          QStringLiteral("Partnerek /anna/partnerek/")}));

    auto create = [&](const QString& name) {
        return await<CalendarCreated>(client_,
                                      [&](auto done) { client_.createCalendar(bare.home, name, done); });
    };
    const auto created = create(QStringLiteral("Zelmoran"));
    ASSERT_FALSE(created.error) << created.error.detail.toStdString();
    EXPECT_EQ(created.calendar.url, url(QStringLiteral("/anna/zelmoran/")));
    EXPECT_EQ(created.calendar.name, QStringLiteral("Zelmoran"));
    // Taken by the calendar just made, or by an address book: the next free name.
    EXPECT_EQ(create(QStringLiteral("Zelmorán")).calendar.url, url(QStringLiteral("/anna/zelmoran-2/")));
    EXPECT_EQ(create(QStringLiteral("Partnerek")).calendar.url, url(QStringLiteral("/anna/partnerek-2/")));
    const auto after = calendars(server_.baseUrl());
    EXPECT_EQ(after.calendars.size(), 6u);
    EXPECT_EQ(std::ranges::count(namesOf(after.calendars), QStringLiteral("Zelmorán /anna/zelmoran-2/")), 1);
    // Made to take events only.
    const HttpReply made = other(
        "PROPFIND", QStringLiteral("/anna/zelmoran/"), {{"Depth", "0"}, {"Content-Type", "application/xml"}},
        R"(<D:propfind xmlns:D="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav"><D:prop>)"
        R"(<C:supported-calendar-component-set/></D:prop></D:propfind>)");
    EXPECT_EQ(made.body.count("comp name="), 1) << made.body.data();
    EXPECT_TRUE(made.body.contains(R"(<C:comp name="VEVENT" />)") ||
                made.body.contains(R"(<C:comp name="VEVENT"/>)"))
        << made.body.data();
}

TEST_F(DavClientTest, WritesAndDeletesOnlyTheCardItsETagNames) {
    const QByteArray first = cardOf("zel-1", "Kiss Anna");
    const Put created = put(QStringLiteral("zel-1.vcf"), first);
    ASSERT_FALSE(created.error) << created.error.detail.toStdString();
    EXPECT_FALSE(created.result.preconditionFailed);
    EXPECT_EQ(created.result.href, QStringLiteral("/anna/partnerek/zel-1.vcf"));
    EXPECT_EQ(created.result.etag, other("GET", QStringLiteral("/anna/partnerek/zel-1.vcf")).header("ETag"));
    EXPECT_FALSE(created.result.etag.isEmpty());

    // A second new card on the same address is refused and changes nothing.
    const Put twice = put(QStringLiteral("/anna/partnerek/zel-1.vcf"), cardOf("zel-1", "Más Valaki"));
    EXPECT_FALSE(twice.error);
    EXPECT_TRUE(twice.result.preconditionFailed);
    EXPECT_EQ(other("GET", QStringLiteral("/anna/partnerek/zel-1.vcf")).body, first);

    const QByteArray second = cardOf("zel-1", "Kiss Anna Mária");
    const Put changed = put(QStringLiteral("zel-1.vcf"), second, created.result.etag);
    ASSERT_FALSE(changed.error);
    EXPECT_FALSE(changed.result.preconditionFailed);
    EXPECT_NE(changed.result.etag, created.result.etag);
    EXPECT_EQ(other("GET", QStringLiteral("/anna/partnerek/zel-1.vcf")).body, second);
    const Put stale = put(QStringLiteral("zel-1.vcf"), first, created.result.etag);
    EXPECT_TRUE(stale.result.preconditionFailed);
    EXPECT_EQ(other("GET", QStringLiteral("/anna/partnerek/zel-1.vcf")).body, second);

    auto remove = [&](const QByteArray& etag) {
        return await<Removed>(client_, [&](auto done) {
            client_.remove(book(), QStringLiteral("/anna/partnerek/zel-1.vcf"), etag, done);
        });
    };
    const Removed refused = remove(created.result.etag);
    EXPECT_FALSE(refused.error);
    EXPECT_TRUE(refused.preconditionFailed);
    EXPECT_EQ(other("GET", QStringLiteral("/anna/partnerek/zel-1.vcf")).status, 200);
    const Removed removed = remove(changed.result.etag);
    EXPECT_FALSE(removed.error);
    EXPECT_FALSE(removed.preconditionFailed);
    EXPECT_EQ(other("GET", QStringLiteral("/anna/partnerek/zel-1.vcf")).status, 404);
    // Gone already: done.
    const Removed gone = remove(changed.result.etag);
    EXPECT_FALSE(gone.error);
    EXPECT_FALSE(gone.preconditionFailed);
}

TEST_F(DavClientTest, ListsEveryCardFirstThenWhatAnotherClientChangedAndFallsBackOnABadToken) {
    std::map<QString, QByteArray> etags;
    for (const char* name : {"a", "b", "c"}) {
        const Put p = put(QString::fromUtf8(name) + QStringLiteral(".vcf"), cardOf(name, name));
        ASSERT_FALSE(p.error);
        etags[p.result.href] = p.result.etag;
    }
    const Changes first = changes(QString());
    ASSERT_FALSE(first.error) << first.error.detail.toStdString();
    EXPECT_TRUE(first.changes.complete);
    EXPECT_FALSE(first.changes.token.isEmpty());
    EXPECT_TRUE(first.changes.removed.empty());
    std::map<QString, QByteArray> listed;
    for (const auto& c : first.changes.changed)
        listed[c.href] = c.etag;
    EXPECT_EQ(listed, etags);

    // Nothing changed: nothing listed, in one request.
    const int before = client_.requestsSent();
    const Changes none = changes(first.changes.token);
    EXPECT_FALSE(none.changes.complete);
    EXPECT_TRUE(none.changes.changed.empty());
    EXPECT_TRUE(none.changes.removed.empty());
    EXPECT_EQ(client_.requestsSent(), before + 1);

    ASSERT_EQ(other("PUT", QStringLiteral("/anna/partnerek/b.vcf"), {{"Content-Type", "text/vcard"}},
                    cardOf("b", "B másik"))
                  .status,
              201);
    ASSERT_EQ(other("DELETE", QStringLiteral("/anna/partnerek/c.vcf")).status, 200);
    const Changes since = changes(none.changes.token);
    ASSERT_FALSE(since.error);
    EXPECT_FALSE(since.changes.complete);
    ASSERT_EQ(since.changes.changed.size(), 1u);
    EXPECT_EQ(since.changes.changed[0].href, QStringLiteral("/anna/partnerek/b.vcf"));
    EXPECT_EQ(since.changes.changed[0].etag,
              other("GET", QStringLiteral("/anna/partnerek/b.vcf")).header("ETag"));
    EXPECT_EQ(since.changes.removed, std::vector<QString>{QStringLiteral("/anna/partnerek/c.vcf")});
    EXPECT_NE(since.changes.token, none.changes.token);

    // A token the server does not know: every card, and a token to go on with.
    const Changes bogus = changes(QStringLiteral("http://radicale.org/ns/sync/no-such-token"));
    ASSERT_FALSE(bogus.error) << bogus.error.detail.toStdString();
    EXPECT_TRUE(bogus.changes.complete);
    EXPECT_EQ(bogus.changes.changed.size(), 2u);
    EXPECT_TRUE(bogus.changes.removed.empty());
    EXPECT_EQ(bogus.changes.token, since.changes.token);
}

TEST_F(DavClientTest, FetchesTheCardsAskedForInBatchesWhateverTheirNames) {
    const std::vector<QString> names{QStringLiteral("Kiss Anna.vcf"), QStringLiteral("a%20b.vcf"),
                                     QStringLiteral("Őrült Ödön.vcf"), QStringLiteral("gone.vcf")};
    std::map<QString, QByteArray> sent;
    for (const QString& name : names) {
        const QByteArray card = cardOf(name.toUtf8().left(6).constData(), "X");
        const Put p = put(name, card);
        ASSERT_FALSE(p.error) << name.toStdString();
        sent[p.result.href] = card;
    }
    EXPECT_EQ(sent.count(QStringLiteral("/anna/partnerek/Kiss%20Anna.vcf")), 1u);
    EXPECT_EQ(sent.count(QStringLiteral("/anna/partnerek/a%20b.vcf")), 1u);
    EXPECT_EQ(sent.count(QStringLiteral("/anna/partnerek/%C5%90r%C3%BClt%20%C3%96d%C3%B6n.vcf")), 1u);
    // The server names them as they were put.
    const Changes all = changes(QString());
    std::vector<QString> hrefs;
    for (const auto& c : all.changes.changed)
        hrefs.push_back(c.href);
    std::sort(hrefs.begin(), hrefs.end());
    std::vector<QString> put;
    for (const auto& [href, card] : sent)
        put.push_back(href);
    EXPECT_EQ(hrefs, put);

    ASSERT_EQ(other("DELETE", QStringLiteral("/anna/partnerek/gone.vcf")).status, 200);
    sent.erase(QStringLiteral("/anna/partnerek/gone.vcf"));
    // Past one batch: the rest are names that were never there.
    std::vector<QString> asked = hrefs;
    for (int i = 0; i < 260; ++i)
        asked.push_back(QStringLiteral("/anna/partnerek/none-%1.vcf").arg(i));
    const int before = client_.requestsSent();
    const auto fetched = await<Fetched>(client_, [&](auto done) { client_.fetch(book(), asked, done); });
    ASSERT_FALSE(fetched.error) << fetched.error.detail.toStdString();
    EXPECT_EQ(client_.requestsSent(), before + 2);
    std::map<QString, QByteArray> got;
    for (const auto& card : fetched.cards) {
        got[card.href] = card.data;
        EXPECT_FALSE(card.etag.isEmpty());
    }
    // The XML parser hands the card over with LF line ends.
    for (auto& [href, card] : sent)
        card.replace("\r\n", "\n");
    EXPECT_EQ(got, sent);

    // Deleted by the same names.
    for (const auto& card : fetched.cards) {
        const auto removed =
            await<Removed>(client_, [&](auto done) { client_.remove(book(), card.href, card.etag, done); });
        EXPECT_FALSE(removed.error || removed.preconditionFailed) << card.href.toStdString();
    }
    EXPECT_TRUE(changes(QString()).changes.changed.empty());
}

} // namespace
