#pragma once

// Request bodies of the WebDAV, CardDAV and CalDAV methods this client sends, and the URL rules of hrefs.

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <vector>

namespace zel::gui::dav {

enum class Prop {
    GetEtag,
    AddressData,
    DisplayName,
    ResourceType,
    CurrentUserPrincipal,
    AddressBookHomeSet,
    SyncToken,
    CalendarHomeSet,
    SupportedCalendarComponentSet,
};

QByteArray propfindBody(const std::vector<Prop>& props);
// RFC 6578; an empty token asks for the first sync (every member and the current token).
QByteArray syncCollectionBody(const QString& token);
// RFC 6352 addressbook-multiget of getetag and address-data.
QByteArray multigetBody(const std::vector<QString>& hrefs);
// RFC 5689 extended MKCOL of an address book.
QByteArray mkcolBody(const QString& displayName);
// RFC 4791 MKCALENDAR of a calendar that takes events only.
QByteArray mkcalendarBody(const QString& displayName);

// A href as the server gives it (an absolute path, percent-encoded) or a name relative to `base`,
// resolved keeping its encoding: "a b.vcf", "a%20b.vcf" and "/x/a%20b.vcf" reach the same path.
QUrl resolveHref(const QUrl& base, const QString& href);
// Two URLs name the same resource: equal decoded paths, a trailing '/' aside.
bool samePath(const QUrl& a, const QUrl& b);
// A collection's URL, ending in '/'.
QUrl asCollection(QUrl url);
// A path segment for a collection named `displayName`: lower-case ASCII letters and digits, accents
// dropped, anything else one '-'; "Zelmoran" → "zelmoran". A name with none of those gives `fallback`.
QString slugOf(const QString& displayName, const QString& fallback = QStringLiteral("addressbook"));

} // namespace zel::gui::dav
