#include "gui/sync/dav_xml.h"

#include <QXmlStreamWriter>

namespace zel::gui::dav {

namespace {

const QString kDav = QStringLiteral("DAV:");
const QString kCardDav = QStringLiteral("urn:ietf:params:xml:ns:carddav");

class Body {
  public:
    explicit Body(const QString& ns, const QString& root) : xml_(&bytes_) {
        xml_.writeStartDocument();
        xml_.writeNamespace(kDav, QStringLiteral("D"));
        xml_.writeNamespace(kCardDav, QStringLiteral("C"));
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
    Body body(kDav, QStringLiteral("propfind"));
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

QString slugOf(const QString& displayName) {
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
    return slug.isEmpty() ? QStringLiteral("addressbook") : slug;
}

} // namespace zel::gui::dav
