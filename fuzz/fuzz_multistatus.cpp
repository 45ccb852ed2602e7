// A WebDAV multistatus answer as a server, a proxy or an attacker may send it: read without a crash,
// and what was read, written back as XML, reads back the same.
#include "fuzz_util.h"

#include "gui/sync/multistatus.h"

#include <QXmlStreamWriter>
#include <cstdint>

namespace {

using namespace zel::gui::dav;

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

// Text with its CRs as character references: the writer puts them raw, and a reader makes a raw CR an LF.
void writeText(QXmlStreamWriter& xml, const QString& ns, const QString& name, const QString& text) {
    xml.writeStartElement(ns, name);
    const auto pieces = text.split(u'\r');
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) xml.writeEntityReference(QStringLiteral("#13"));
        xml.writeCharacters(pieces[i]);
    }
    xml.writeEndElement();
}

void writeStatus(QXmlStreamWriter& xml, int code) {
    if (code != 0)
        writeText(xml, kDav, QStringLiteral("status"),
                  QStringLiteral("HTTP/1.1 %1 X").arg(code, 3, 10, QLatin1Char('0')));
}

void writeHref(QXmlStreamWriter& xml, const QString& parent, const QString& ns, const QString& href) {
    if (href.isEmpty()) return;
    xml.writeStartElement(ns, parent);
    writeText(xml, kDav, QStringLiteral("href"), href);
    xml.writeEndElement();
}

QByteArray write(const Multistatus& ms) {
    QByteArray out;
    QXmlStreamWriter xml(&out);
    xml.writeStartDocument();
    xml.writeNamespace(kDav, QStringLiteral("d"));
    xml.writeNamespace(kCardDav, QStringLiteral("c"));
    xml.writeNamespace(kCalDav, QStringLiteral("cal"));
    xml.writeStartElement(kDav, QStringLiteral("multistatus"));
    for (const Response& r : ms.responses) {
        xml.writeStartElement(kDav, QStringLiteral("response"));
        for (const QString& href : r.hrefs)
            writeText(xml, kDav, QStringLiteral("href"), href);
        writeStatus(xml, r.status);
        for (const PropStat& p : r.propStats) {
            xml.writeStartElement(kDav, QStringLiteral("propstat"));
            xml.writeStartElement(kDav, QStringLiteral("prop"));
            writeText(xml, kDav, QStringLiteral("getetag"), QString::fromUtf8(p.etag));
            if (p.hasAddressData)
                writeText(xml, kCardDav, QStringLiteral("address-data"), QString::fromUtf8(p.addressData));
            writeText(xml, kDav, QStringLiteral("displayname"), p.displayName);
            xml.writeStartElement(kDav, QStringLiteral("resourcetype"));
            if (p.isCollection) xml.writeEmptyElement(kDav, QStringLiteral("collection"));
            if (p.isAddressBook) xml.writeEmptyElement(kCardDav, QStringLiteral("addressbook"));
            if (p.isCalendar) xml.writeEmptyElement(kCalDav, QStringLiteral("calendar"));
            xml.writeEndElement();
            writeHref(xml, QStringLiteral("current-user-principal"), kDav, p.currentUserPrincipal);
            writeHref(xml, QStringLiteral("addressbook-home-set"), kCardDav, p.addressBookHomeSet);
            writeHref(xml, QStringLiteral("calendar-home-set"), kCalDav, p.calendarHomeSet);
            if (p.hasCalendarComponents) {
                xml.writeStartElement(kCalDav, QStringLiteral("supported-calendar-component-set"));
                for (const QString& c : p.calendarComponents) {
                    xml.writeEmptyElement(kCalDav, QStringLiteral("comp"));
                    xml.writeAttribute(QStringLiteral("name"), c);
                }
                xml.writeEndElement();
            }
            writeText(xml, kDav, QStringLiteral("sync-token"), p.syncToken);
            xml.writeEndElement();
            writeStatus(xml, p.status);
            xml.writeEndElement();
        }
        xml.writeEndElement();
    }
    writeText(xml, kDav, QStringLiteral("sync-token"), ms.syncToken);
    xml.writeEndDocument();
    return out;
}

bool samePropStat(const PropStat& a, const PropStat& b) {
    return a.status == b.status && a.etag == b.etag && a.addressData == b.addressData &&
           a.hasAddressData == b.hasAddressData && a.displayName == b.displayName &&
           a.isCollection == b.isCollection && a.isAddressBook == b.isAddressBook &&
           a.isCalendar == b.isCalendar && a.currentUserPrincipal == b.currentUserPrincipal &&
           a.addressBookHomeSet == b.addressBookHomeSet && a.calendarHomeSet == b.calendarHomeSet &&
           a.hasCalendarComponents == b.hasCalendarComponents &&
           a.calendarComponents == b.calendarComponents && a.syncToken == b.syncToken;
}

bool same(const Multistatus& a, const Multistatus& b) {
    if (a.syncToken != b.syncToken || a.responses.size() != b.responses.size()) return false;
    for (std::size_t i = 0; i < a.responses.size(); ++i) {
        const Response &x = a.responses[i], &y = b.responses[i];
        if (x.hrefs != y.hrefs || x.status != y.status || x.propStats.size() != y.propStats.size())
            return false;
        for (std::size_t j = 0; j < x.propStats.size(); ++j)
            if (!samePropStat(x.propStats[j], y.propStats[j])) return false;
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray in =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    const auto ms = readMultistatus(in);
    if (!ms) return 0;
    for (const Response& r : ms->responses) {
        ZEL_CHECK(r.status >= 0 && r.status <= 999);
        for (const QString& href : r.hrefs)
            ZEL_CHECK(href == href.trimmed());
        if (const PropStat* p = r.found()) ZEL_CHECK(p->status == 200);
    }
    // Everything read is written back as XML and reads back the same.
    const auto back = readMultistatus(write(*ms));
    ZEL_CHECK(back.has_value());
    ZEL_CHECK(same(*ms, *back));
    return 0;
}
