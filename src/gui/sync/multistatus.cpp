#include "gui/sync/multistatus.h"

#include <QXmlStreamReader>
#include <array>

namespace zel::gui::dav {

namespace {

// An answer nests some ten elements deep; far deeper input is hostile, and refusing it keeps the
// stack of open elements small.
constexpr qsizetype kMaxDepth = 64;

enum class Tag {
    Other,
    Multistatus,
    Response,
    Href,
    Status,
    PropStat,
    Prop,
    GetEtag,
    AddressData,
    DisplayName,
    ResourceType,
    Collection,
    AddressBook,
    CurrentUserPrincipal,
    AddressBookHomeSet,
    SyncToken,
    Calendar,
    CalendarHomeSet,
    SupportedCalendarComponentSet,
    Comp,
};

enum class Ns { Dav, CardDav, CalDav };

Tag tagOf(QStringView ns, QStringView name) {
    struct Known {
        Ns ns;
        const char16_t* name;
        Tag tag;
    };
    static constexpr std::array<Known, 19> known{{
        {Ns::Dav, u"multistatus", Tag::Multistatus},
        {Ns::Dav, u"response", Tag::Response},
        {Ns::Dav, u"href", Tag::Href},
        {Ns::Dav, u"status", Tag::Status},
        {Ns::Dav, u"propstat", Tag::PropStat},
        {Ns::Dav, u"prop", Tag::Prop},
        {Ns::Dav, u"getetag", Tag::GetEtag},
        {Ns::CardDav, u"address-data", Tag::AddressData},
        {Ns::Dav, u"displayname", Tag::DisplayName},
        {Ns::Dav, u"resourcetype", Tag::ResourceType},
        {Ns::Dav, u"collection", Tag::Collection},
        {Ns::CardDav, u"addressbook", Tag::AddressBook},
        {Ns::Dav, u"current-user-principal", Tag::CurrentUserPrincipal},
        {Ns::CardDav, u"addressbook-home-set", Tag::AddressBookHomeSet},
        {Ns::Dav, u"sync-token", Tag::SyncToken},
        {Ns::CalDav, u"calendar", Tag::Calendar},
        {Ns::CalDav, u"calendar-home-set", Tag::CalendarHomeSet},
        {Ns::CalDav, u"supported-calendar-component-set", Tag::SupportedCalendarComponentSet},
        {Ns::CalDav, u"comp", Tag::Comp},
    }};
    Ns space;
    if (ns == u"DAV:")
        space = Ns::Dav;
    else if (ns == u"urn:ietf:params:xml:ns:carddav")
        space = Ns::CardDav;
    else if (ns == u"urn:ietf:params:xml:ns:caldav")
        space = Ns::CalDav;
    else
        return Tag::Other;
    for (const auto& k : known)
        if (k.ns == space && name == QStringView(k.name)) return k.tag;
    return Tag::Other;
}

class Reader {
  public:
    explicit Reader(const QByteArray& xml) : xml_(xml) {}

    std::optional<Multistatus> read() {
        while (!xml_.atEnd()) {
            switch (xml_.readNext()) {
            case QXmlStreamReader::DTD:
                // Entities declared in a DTD could expand far beyond the input: no answer has one.
                return std::nullopt;
            case QXmlStreamReader::StartElement:
                if (!start()) return std::nullopt;
                break;
            case QXmlStreamReader::EndElement:
                end();
                break;
            case QXmlStreamReader::Characters:
                text_ += xml_.text();
                break;
            default:
                break;
            }
        }
        if (xml_.hasError() || !sawRoot_) return std::nullopt;
        return std::move(result_);
    }

  private:
    // The open elements from the root: [Multistatus, Response, PropStat, Prop, property, ...].
    bool under(std::initializer_list<Tag> path) const {
        if (stack_.size() != static_cast<qsizetype>(path.size())) return false;
        qsizetype i = 0;
        for (Tag t : path)
            if (stack_[i++] != t) return false;
        return true;
    }
    bool inProp() const {
        return stack_.size() >= 5 && stack_[1] == Tag::Response && stack_[2] == Tag::PropStat &&
               stack_[3] == Tag::Prop;
    }
    PropStat& propStat() { return result_.responses.back().propStats.back(); }

    bool start() {
        const Tag tag = tagOf(xml_.namespaceUri(), xml_.name());
        if (stack_.isEmpty()) {
            if (tag != Tag::Multistatus) return false;
            sawRoot_ = true;
        }
        if (stack_.size() >= kMaxDepth) return false;
        stack_.append(tag);
        text_.clear();
        if (under({Tag::Multistatus, Tag::Response}))
            result_.responses.emplace_back();
        else if (under({Tag::Multistatus, Tag::Response, Tag::PropStat}))
            result_.responses.back().propStats.emplace_back();
        else if (stack_.size() == 6 && inProp() && stack_[4] == Tag::ResourceType) {
            if (tag == Tag::Collection) propStat().isCollection = true;
            if (tag == Tag::AddressBook) propStat().isAddressBook = true;
            if (tag == Tag::Calendar) propStat().isCalendar = true;
        } else if (stack_.size() == 5 && inProp() && tag == Tag::SupportedCalendarComponentSet) {
            propStat().hasCalendarComponents = true;
        } else if (stack_.size() == 6 && inProp() && stack_[4] == Tag::SupportedCalendarComponentSet &&
                   tag == Tag::Comp) {
            propStat().calendarComponents.push_back(
                xml_.attributes().value(QLatin1StringView("name")).trimmed().toString());
        }
        return true;
    }

    void end() {
        const Tag tag = stack_.isEmpty() ? Tag::Other : stack_.back();
        if (stack_.size() == 2 && tag == Tag::SyncToken)
            result_.syncToken = text_.trimmed();
        else if (under({Tag::Multistatus, Tag::Response, Tag::Href}))
            result_.responses.back().hrefs.push_back(text_.trimmed());
        else if (under({Tag::Multistatus, Tag::Response, Tag::Status}))
            result_.responses.back().status = statusCode(text_);
        else if (under({Tag::Multistatus, Tag::Response, Tag::PropStat, Tag::Status}))
            propStat().status = statusCode(text_);
        else if (stack_.size() == 5 && inProp())
            endProperty(tag);
        else if (stack_.size() == 6 && inProp() && tag == Tag::Href) {
            if (stack_[4] == Tag::CurrentUserPrincipal && propStat().currentUserPrincipal.isEmpty())
                propStat().currentUserPrincipal = text_.trimmed();
            if (stack_[4] == Tag::AddressBookHomeSet && propStat().addressBookHomeSet.isEmpty())
                propStat().addressBookHomeSet = text_.trimmed();
            if (stack_[4] == Tag::CalendarHomeSet && propStat().calendarHomeSet.isEmpty())
                propStat().calendarHomeSet = text_.trimmed();
        }
        if (!stack_.isEmpty()) stack_.removeLast();
        text_.clear();
    }

    void endProperty(Tag tag) {
        PropStat& p = propStat();
        switch (tag) {
        case Tag::GetEtag:
            p.etag = text_.trimmed().toUtf8();
            break;
        case Tag::AddressData:
            p.addressData = text_.toUtf8();
            p.hasAddressData = true;
            break;
        case Tag::DisplayName:
            p.displayName = text_;
            break;
        case Tag::SyncToken:
            p.syncToken = text_.trimmed();
            break;
        default:
            break;
        }
    }

    QXmlStreamReader xml_;
    QList<Tag> stack_;
    QString text_; // the character data since the last start or end tag (CDATA included)
    Multistatus result_;
    bool sawRoot_ = false;
};

} // namespace

const PropStat* Response::found() const {
    for (const auto& p : propStats)
        if (p.status == 200) return &p;
    return nullptr;
}

int statusCode(QStringView statusLine) {
    // "HTTP/1.1 200 OK": the three digits after the first space.
    const QStringView line = statusLine.trimmed();
    const qsizetype space = line.indexOf(u' ');
    if (space < 0 || line.size() < space + 4) return 0;
    int code = 0;
    for (qsizetype i = space + 1; i < space + 4; ++i) {
        const QChar c = line[i];
        if (c < u'0' || c > u'9') return 0;
        code = code * 10 + (c.unicode() - u'0');
    }
    if (line.size() > space + 4 && line[space + 4] != u' ') return 0;
    return code;
}

std::optional<Multistatus> readMultistatus(const QByteArray& xml) {
    return Reader(xml).read();
}

} // namespace zel::gui::dav
