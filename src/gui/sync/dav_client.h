#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QUrl>
#include <functional>
#include <optional>
#include <vector>

class QNetworkAccessManager;

namespace zel::gui {

// Why a request to the server failed. The sync stops on any of them and touches no local file.
struct DavError {
    enum class Kind {
        None,
        Offline,      // no connection: host not found, refused, timed out, closed early
        Unauthorized, // the server refused the user name and password (401 after they were given)
        Certificate,  // the server's certificate is not one the system trusts
        Server,       // any other answer the request did not expect (status in `status`)
        BadAnswer,    // an answer that could not be read (not a multistatus, no ETag where one must be)
    };
    Kind kind = Kind::None;
    int status = 0; // the HTTP status, when there was an answer
    QString host;   // the server, as the box names it
    QString detail; // the system's or the server's words, for the box and the log

    explicit operator bool() const { return kind != Kind::None; }
};

struct DavCredentials {
    QString user, password;
};

// An address book the server offers.
struct AddressBookInfo {
    QUrl url;     // the collection, ending in '/'
    QString name; // its display name, else the last segment of its path
};

// A calendar the server offers that takes events.
struct CalendarInfo {
    QUrl url;     // the collection, ending in '/'
    QString name; // its display name, else the last segment of its path
};

// A card in a collection: its address (the path as the server gave it in <href>, percent-encoded as
// given) and its ETag (quotes kept, as the server sent it).
struct CardState {
    QString href;
    QByteArray etag;
};

struct FetchedCard {
    QString href;
    QByteArray etag;
    QByteArray data; // the card's bytes as the server sent them
};

// What changed in a collection since a sync token.
struct CollectionChanges {
    // The server gave no token answer (no token given, token refused, or no sync-collection): `changed`
    // lists every card in the collection and `removed` is empty; what is not listed is gone.
    bool complete = false;
    std::vector<CardState> changed; // new or changed since the token (or every card when complete)
    std::vector<QString> removed;   // hrefs gone since the token
    QString token;                  // the collection's token now; empty when the server has none
};

struct PutResult {
    bool preconditionFailed = false; // 412: the card on the server is not the one If-Match named
    QByteArray etag;                 // the new ETag, empty when the server sent none
    QString href;                    // where the card now is (the request's path)
};

// A CardDAV and CalDAV client on Qt Network. Every call returns at once and answers through its callback on
// the event loop, never blocking the window or the clock. Basic and Digest authentication (Qt's); a
// certificate the system does not trust fails the request (Certificate), it is never accepted.
// At most four requests are in flight; more wait in order. Callbacks are not called after the client
// is destroyed or after cancel().
class DavClient : public QObject {
    Q_OBJECT

  public:
    static constexpr const char* kCardType = "text/vcard; charset=utf-8";
    static constexpr const char* kEventType = "text/calendar; charset=utf-8";

    DavClient(DavCredentials credentials, QObject* parent = nullptr);
    ~DavClient() override;

    // From the server address the user typed (with or without a path, "https://" assumed when no scheme):
    // /.well-known/carddav (following redirects), the current user principal, its address-book home
    // set, and the address books in that home set. `home` is the home set, for createAddressBook.
    void discover(const QUrl& server,
                  std::function<void(std::vector<AddressBookInfo> books, QUrl home, DavError)> done);
    // MKCOL an address book of this display name in the home set; its URL is the name's
    // path-safe form (e.g. home + "zelmoran/"). A name already taken (405) tries "zelmoran-2/" and on
    // up to "-9" before it reports the 405.
    void createAddressBook(const QUrl& home, const QString& displayName,
                           std::function<void(AddressBookInfo book, DavError)> done);

    // As discover(), for CalDAV: /.well-known/caldav, the principal, its calendar-home-set, and the
    // calendars there whose supported-calendar-component-set includes VEVENT (or that have none, so
    // take every component). `home` is the home set, for createCalendar.
    void
    discoverCalendars(const QUrl& server,
                      std::function<void(std::vector<CalendarInfo> calendars, QUrl home, DavError)> done);
    // MKCALENDAR a calendar of this display name that takes events, named as createAddressBook names
    // a book; a name taken (405, or 403/409 resource-must-be-null) tries "-2" … "-9".
    void createCalendar(const QUrl& home, const QString& displayName,
                        std::function<void(CalendarInfo calendar, DavError)> done);

    // sync-collection REPORT (RFC 6578) with the token (Depth 0, sync-level 1), getetag. An empty token
    // asks for the first sync: every card and the token, `complete`. A token the server refuses
    // (403/409 valid-sync-token) or a server without the report (400, 501, any other status) falls back
    // to one PROPFIND depth 1 of getetag and the collection's sync-token, answered `complete`.
    void changes(const QUrl& book, const QString& token,
                 std::function<void(CollectionChanges, DavError)> done);
    // addressbook-multiget of these hrefs, in batches; the cards the server has (a 404 inside the
    // multistatus leaves the card out).
    void fetch(const QUrl& book, const std::vector<QString>& hrefs,
               std::function<void(std::vector<FetchedCard>, DavError)> done);
    // PUT a card: with ifMatch, "If-Match: <etag>"; without, "If-None-Match: *" (a new card).
    // A card by default; a calendar's event goes as "text/calendar; charset=utf-8".
    void put(const QUrl& book, const QString& href, const QByteArray& card,
             const std::optional<QByteArray>& ifMatch, std::function<void(PutResult, DavError)> done,
             const QByteArray& contentType = kCardType);
    // DELETE with If-Match; a 404 counts as done. `preconditionFailed` on 412.
    void remove(const QUrl& book, const QString& href, const QByteArray& ifMatch,
                std::function<void(bool preconditionFailed, DavError)> done);

    // Aborts every request; no callback is called after it.
    void cancel();

    // How many requests were sent (for the benchmark and the tests). A request Qt sends again with the
    // credentials after a 401 counts once; each redirect followed counts as one more.
    int requestsSent() const;
    // The most requests that were in flight at once (at most four).
    int mostInFlight() const;

  private:
    // MKCOL or MKCALENDAR in the home set as `slug`, and when taken as "-2" … "-9".
    void createCollection(const QUrl& home, const QString& slug, const char* verb, QByteArray body,
                          std::function<void(QUrl url, DavError)> done);

    struct Impl;
    Impl* impl_;
};

} // namespace zel::gui
