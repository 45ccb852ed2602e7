#pragma once

// The WebDAV multistatus answer (PROPFIND, sync-collection, addressbook-multiget) as plain data.

#include <QByteArray>
#include <QString>
#include <optional>
#include <vector>

namespace zel::gui::dav {

// One <propstat>: its status and the properties this client asks for. A property the server did not
// send stays empty.
struct PropStat {
    int status = 0; // from "HTTP/1.1 200 OK"; 0 when missing or unreadable
    QByteArray etag;
    // The card as the XML text gave it. The XML parser turns every CR LF (and lone CR) into LF, so a
    // card sent with raw CR LF arrives with LF line ends; one sent with "&#13;" keeps its CRs.
    QByteArray addressData;
    bool hasAddressData = false;
    QString displayName;
    bool isCollection = false;
    bool isAddressBook = false;
    bool isCalendar = false;
    QString currentUserPrincipal; // its <href>
    QString addressBookHomeSet;   // its first <href>
    QString calendarHomeSet;      // its first <href>
    // CalDAV's supported-calendar-component-set: the names of its <comp>s. A calendar without the
    // property takes every kind of component.
    bool hasCalendarComponents = false;
    std::vector<QString> calendarComponents;
    QString syncToken; // DAV:sync-token as a property
};

// One <response>.
struct Response {
    std::vector<QString> hrefs; // as the server wrote them (percent-encoded), trimmed
    int status = 0;             // the response-level <status> (404 for a member gone), else 0
    std::vector<PropStat> propStats;

    // The first propstat of status 200, or null.
    const PropStat* found() const;
    QString href() const { return hrefs.empty() ? QString() : hrefs.front(); }
};

struct Multistatus {
    std::vector<Response> responses;
    QString syncToken; // the top-level <sync-token> of a sync-collection answer
};

// Reads a DAV:multistatus document. Anything else (not XML, another root element, a document type
// declaration, nesting deeper than any answer needs) gives nullopt. Unknown elements are skipped.
std::optional<Multistatus> readMultistatus(const QByteArray& xml);

// The code of an HTTP status line ("HTTP/1.1 404 Not Found" → 404), 0 when there is none.
int statusCode(QStringView statusLine);

} // namespace zel::gui::dav
