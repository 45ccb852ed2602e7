#include "gui/sync/dav_xml.h"

#include <QXmlStreamWriter>
#include <algorithm>

namespace zel::gui::dav {

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");
const QString kCalDav = QStringLiteral("urn:ietf:params:xml:ns:caldav");

bool isCalDav(Prop p) {
    return p == Prop::CalendarHomeSet || p == Prop::SupportedCalendarComponentSet;
}

class Body {
  public:
    // CalDAV's namespace is declared only in the bodies that use it.
    explicit Body(const QString& ns, const QString& root, bool calDav = false) : xml_(&bytes_) {
        xml_.writeStartDocument();
        xml_.writeNamespace(kDav, QStringLiteral("D"));
        xml_.writeNamespace(kCardDav, QStringLiteral("C"));
        if (calDav) xml_.writeNamespace(kCalDav, QStringLiteral("CAL"));
        xml_.writeStartElement(ns, root);
    }
    QXmlStreamWriter& xml() { return xml_; }
    QByteArray done() {
        xml_.writeEndDocument();
        return bytes_;
    }
    void props(const std::vector<Prop>& props) {
        xml_.writeStartElement(kDav, QStringLiteral("prop"));
        for (Prop p : props) {
            switch (p) {
            case Prop::GetEtag:
                xml_.writeEmptyElement(kDav, QStringLiteral("getetag"));
                break;
            case Prop::AddressData:
                xml_.writeEmptyElement(kCardDav, QStringLiteral("address-data"));
                break;
            case Prop::DisplayName:
                xml_.writeEmptyElement(kDav, QStringLiteral("displayname"));
                break;
            case Prop::ResourceType:
                xml_.writeEmptyElement(kDav, QStringLiteral("resourcetype"));
                break;
            case Prop::CurrentUserPrincipal:
                xml_.writeEmptyElement(kDav, QStringLiteral("current-user-principal"));
                break;
            case Prop::AddressBookHomeSet:
                xml_.writeEmptyElement(kCardDav, QStringLiteral("addressbook-home-set"));
                break;
            case Prop::SyncToken:
                xml_.writeEmptyElement(kDav, QStringLiteral("sync-token"));
                break;
            case Prop::CalendarHomeSet:
                xml_.writeEmptyElement(kCalDav, QStringLiteral("calendar-home-set"));
                break;
            case Prop::SupportedCalendarComponentSet:
                xml_.writeEmptyElement(kCalDav, QStringLiteral("supported-calendar-component-set"));
                break;
            }
        }
        xml_.writeEndElement();
    }

  private:
    QByteArray bytes_;
    QXmlStreamWriter xml_;
};

} // namespace

QByteArray propfindBody(const std::vector<Prop>& props) {
    Body body(kDav, QStringLiteral("propfind"), std::any_of(props.begin(), props.end(), isCalDav));
    body.props(props);
    return body.done();
}

QByteArray syncCollectionBody(const QString& token) {
    Body body(kDav, QStringLiteral("sync-collection"));
    body.xml().writeTextElement(kDav, QStringLiteral("sync-token"), token);
    body.xml().writeTextElement(kDav, QStringLiteral("sync-level"), QStringLiteral("1"));
    body.props({Prop::GetEtag});
    return body.done();
}

QByteArray multigetBody(const std::vector<QString>& hrefs) {
    Body body(kCardDav, QStringLiteral("addressbook-multiget"));
    body.props({Prop::GetEtag, Prop::AddressData});
    for (const QString& href : hrefs)
        body.xml().writeTextElement(kDav, QStringLiteral("href"), href);
    return body.done();
}

QByteArray mkcolBody(const QString& displayName) {
    Body body(kDav, QStringLiteral("mkcol"));
    QXmlStreamWriter& xml = body.xml();
    xml.writeStartElement(kDav, QStringLiteral("set"));
    xml.writeStartElement(kDav, QStringLiteral("prop"));
    xml.writeStartElement(kDav, QStringLiteral("resourcetype"));
    xml.writeEmptyElement(kDav, QStringLiteral("collection"));
    xml.writeEmptyElement(kCardDav, QStringLiteral("addressbook"));
    xml.writeEndElement();
    xml.writeTextElement(kDav, QStringLiteral("displayname"), displayName);
    xml.writeEndElement();
    xml.writeEndElement();
    return body.done();
}

QByteArray mkcalendarBody(const QString& displayName) {
    Body body(kCalDav, QStringLiteral("mkcalendar"), true);
    QXmlStreamWriter& xml = body.xml();
    xml.writeStartElement(kDav, QStringLiteral("set"));
    xml.writeStartElement(kDav, QStringLiteral("prop"));
    xml.writeTextElement(kDav, QStringLiteral("displayname"), displayName);
    xml.writeStartElement(kCalDav, QStringLiteral("supported-calendar-component-set"));
    xml.writeEmptyElement(kCalDav, QStringLiteral("comp"));
    xml.writeAttribute(QStringLiteral("name"), QStringLiteral("VEVENT"));
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndElement();
    return body.done();
}

QUrl resolveHref(const QUrl& base, const QString& href) {
    // Tolerant: a raw space or UTF-8 letter is encoded, an existing %XX kept as it is.
    return base.resolved(QUrl::fromEncoded(href.toUtf8(), QUrl::TolerantMode));
}

bool samePath(const QUrl& a, const QUrl& b) {
    QString pa = a.path(QUrl::FullyDecoded), pb = b.path(QUrl::FullyDecoded);
    while (pa.endsWith(u'/'))
        pa.chop(1);
    while (pb.endsWith(u'/'))
        pb.chop(1);
    return pa == pb && a.host() == b.host() && a.port() == b.port();
}

QUrl asCollection(QUrl url) {
    const QString path = url.path(QUrl::FullyEncoded);
    if (!path.endsWith(u'/')) url.setPath(path + u'/', QUrl::TolerantMode);
    return url;
}

QString slugOf(const QString& displayName, const QString& fallback) {
    QString slug;
    for (const QChar c : displayName.normalized(QString::NormalizationForm_D)) {
        if (c.isMark()) continue;
        const char16_t u = c.toLower().unicode();
        if ((u >= u'a' && u <= u'z') || (u >= u'0' && u <= u'9'))
            slug += QChar(u);
        else if (!slug.isEmpty() && !slug.endsWith(u'-'))
            slug += u'-';
    }
    while (slug.endsWith(u'-'))
        slug.chop(1);
    return slug.isEmpty() ? fallback : slug;
}

} // namespace zel::gui::dav
