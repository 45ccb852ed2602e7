#include "core/exchange/contacts.h"
#include "core/exchange/exchange_text.h"
#include "core/text/cp1250.h"

#include <utility>

namespace zel {
namespace {

using namespace exchange;

struct Attribute {
    std::string name;  // small letters, options cut off
    std::string bytes; // base64 decoded
    bool wasBase64 = false;
};

struct Record {
    std::vector<Attribute> attributes;
    bool damaged = false;
    bool hasDn = false;

    bool empty() const { return attributes.empty() && !damaged; }
    const Attribute* find(std::string_view name) const {
        for (const auto& a : attributes)
            if (a.name == name && !a.bytes.empty()) return &a;
        return nullptr;
    }
};

// The attribute values of a DN, "cn=Kis\, Imre,mail=kis@pelda.hu": RDNs split at unescaped commas
// (or the old semicolons), "\," and "\2C" escapes and quoted values read.
std::vector<std::pair<std::string, std::string>> dnParts(std::string_view dn) {
    std::vector<std::pair<std::string, std::string>> parts;
    std::size_t i = 0;
    while (i < dn.size()) {
        const auto eq = dn.find('=', i);
        if (eq == std::string_view::npos) break;
        std::string type(trimmed(dn.substr(i, eq - i)));
        for (char& c : type)
            c = asciiLower(c);
        i = eq + 1;
        while (i < dn.size() && dn[i] == ' ')
            ++i;
        std::string value;
        std::size_t keep = 0; // length up to the last escaped or quoted byte, which trimming spares
        bool quoted = false;
        for (; i < dn.size(); ++i) {
            const char c = dn[i];
            if (c == '\\' && i + 1 < dn.size()) {
                if (i + 2 < dn.size() && hexDigit(dn[i + 1]) >= 0 && hexDigit(dn[i + 2]) >= 0) {
                    value += static_cast<char>(hexDigit(dn[i + 1]) * 16 + hexDigit(dn[i + 2]));
                    i += 2;
                } else {
                    value += dn[++i];
                }
                keep = value.size();
            } else if (c == '"') {
                quoted = !quoted;
                keep = value.size();
            } else if ((c == ',' || c == ';') && !quoted) {
                break;
            } else {
                value += c;
                if (quoted) keep = value.size();
            }
        }
        const auto last = value.find_last_not_of(' ');
        value.resize(std::max(keep, last == std::string::npos ? 0 : last + 1));
        parts.emplace_back(std::move(type), std::move(value));
        ++i; // past the separator
    }
    return parts;
}

class RecordReader {
  public:
    explicit RecordReader(bool fileUtf8) : fileUtf8_(fileUtf8) {}

    // One logical line: "attr: value", "attr:: base64" or "attr:< url".
    void line(std::string_view l, Record& rec, ContactsRead& out) {
        if (l.starts_with('#')) return;
        const auto colon = l.find(':');
        if (colon == std::string_view::npos || colon == 0) {
            rec.damaged = true;
            return;
        }
        std::string name(trimmed(l.substr(0, colon)));
        if (const auto semi = name.find(';'); semi != std::string::npos) name.resize(semi);
        for (char& c : name)
            c = asciiLower(c);
        std::string_view rest = l.substr(colon + 1);
        Attribute a;
        a.name = std::move(name);
        if (rest.starts_with(':')) {
            auto decoded = decodeBase64(rest.substr(1));
            if (!decoded) {
                rec.damaged = true;
                return;
            }
            a.bytes = std::move(*decoded);
            a.wasBase64 = true;
        } else if (rest.starts_with('<')) {
            return;
        } else {
            const auto first = rest.find_first_not_of(' ');
            a.bytes = first == std::string_view::npos ? std::string() : std::string(rest.substr(first));
        }
        // A second DN without a blank line before it starts the next record.
        if (a.name == "dn") {
            if (rec.hasDn) finish(rec, out);
            rec.hasDn = true;
        }
        rec.attributes.push_back(std::move(a));
    }

    void finish(Record& rec, ContactsRead& out) {
        if (rec.damaged) {
            ++out.damaged;
        } else if (!rec.empty() && !isList(rec)) {
            PartnerRecord c = contactOf(rec);
            if (!c.name.empty() || !c.email.empty()) out.contacts.push_back(std::move(c));
        }
        rec = Record{};
    }

  private:
    // Mailing lists come in the same file; they are no people.
    static bool isList(const Record& rec) {
        for (const auto& a : rec.attributes)
            if (a.name == "objectclass" &&
                (equalsNoCase(a.bytes, "groupOfNames") || equalsNoCase(a.bytes, "groupOfUniqueNames")))
                return true;
        return false;
    }

    std::string text(const Attribute& a) const { return withCrLf(converted(a.bytes, a.wasBase64)); }

    // Base64 values are UTF-8 when they are valid UTF-8; plain ones follow the file.
    std::string converted(std::string_view bytes, bool wasBase64) const {
        if (wasBase64) return importTextToCp1250(bytes);
        return fileUtf8_ ? utf8ToCp1250(bytes) : std::string(bytes);
    }

    std::string first(const Record& rec, std::initializer_list<std::string_view> names) const {
        for (std::string_view n : names)
            if (const Attribute* a = rec.find(n)) return text(*a);
        return {};
    }

    PartnerRecord contactOf(const Record& rec) const {
        PartnerRecord c;
        c.name = first(rec, {"cn"});
        c.email = first(rec, {"mail"});
        if (const Attribute* dn = rec.find("dn"); dn && (c.name.empty() || c.email.empty())) {
            std::string dnName, dnMail;
            for (auto& [type, value] : dnParts(dn->bytes)) {
                if (type == "cn" && dnName.empty()) dnName = withCrLf(converted(value, dn->wasBase64));
                if (type == "mail" && dnMail.empty()) dnMail = withCrLf(converted(value, dn->wasBase64));
            }
            if (c.name.empty()) c.name = std::move(dnName);
            if (c.email.empty()) c.email = std::move(dnMail);
        }
        if (c.name.empty()) c.name = joinNonEmpty({first(rec, {"sn"}), first(rec, {"givenname"})}, " ");
        c.phone = first(rec, {"telephonenumber", "homephone"});
        c.mobile = first(rec, {"mobile"});
        c.webAddress = first(rec, {"mozillahomeurl", "mozillaworkurl", "workurl", "homeurl"});
        if (c.webAddress.empty()) {
            // "labeledURI: http://… label"
            const std::string uri = first(rec, {"labeleduri"});
            c.webAddress = uri.substr(0, uri.find(' '));
        }
        c.address = postalAddress(first(rec, {"homepostaladdress", "postaladdress"}));
        if (c.address.empty()) {
            // The home address when it has any piece, else the work one.
            const std::string homeStreet = first(rec, {"mozillahomestreet"}),
                              homeLocality = first(rec, {"mozillahomelocalityname"}),
                              homeCode = first(rec, {"mozillahomepostalcode"});
            if (!homeStreet.empty() || !homeLocality.empty() || !homeCode.empty())
                c.address = hungarianAddress(homeCode, homeLocality, linesJoined(homeStreet),
                                             first(rec, {"mozillahomestate"}),
                                             first(rec, {"mozillahomecountryname"}));
            else
                c.address = hungarianAddress(first(rec, {"postalcode"}), first(rec, {"l"}),
                                             linesJoined(first(rec, {"street"})), first(rec, {"st"}),
                                             first(rec, {"c"}));
        }
        c.note = first(rec, {"description"});
        return c;
    }

    // A postal address's lines are separated by '$'; "\24" and "\5C" stand for '$' and '\'.
    static std::string postalAddress(std::string_view v) {
        std::string out, line;
        const auto flush = [&] {
            const std::string_view t = trimmed(line);
            if (!t.empty()) out += (out.empty() ? "" : ", ") + std::string(t);
            line.clear();
        };
        for (std::size_t i = 0; i < v.size(); ++i) {
            if (v[i] == '$' || v[i] == '\r' || v[i] == '\n') {
                flush();
            } else if (v[i] == '\\' && i + 2 < v.size() && hexDigit(v[i + 1]) >= 0 &&
                       hexDigit(v[i + 2]) >= 0) {
                const char c = static_cast<char>(hexDigit(v[i + 1]) * 16 + hexDigit(v[i + 2]));
                // An escaped line break still ends a line.
                if (c == '\r' || c == '\n')
                    flush();
                else
                    line += c;
                i += 2;
            } else {
                line += v[i];
            }
        }
        flush();
        return out;
    }

    bool fileUtf8_;
};

} // namespace

ContactsRead readLdif(std::string_view bytes) {
    const std::string_view text = withoutBom(bytes);
    RecordReader reader(isUtf8(text));
    ContactsRead out;
    Record rec;
    std::string logical;
    bool haveLine = false;
    std::size_t at = 0;
    while (at < text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = text.substr(at, end - at);
        at = end;
        if (at < text.size() && text[at] == '\r') ++at;
        if (at < text.size() && text[at] == '\n') ++at;

        if (haveLine && line.starts_with(' ')) {
            logical.append(line.substr(1)); // a continuation line
            continue;
        }
        if (haveLine) reader.line(logical, rec, out);
        haveLine = !line.empty();
        logical.assign(line);
        if (line.empty()) reader.finish(rec, out);
    }
    if (haveLine) reader.line(logical, rec, out);
    reader.finish(rec, out);
    return out;
}

} // namespace zel
