#include "core/sync/card.h"

#include "core/exchange/contacts.h"
#include "core/exchange/exchange_text.h"
#include "core/exchange/vcard_text.h"
#include "core/text/cp1250.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <utility>

namespace zel {

using namespace exchange;

namespace {

// How a partner field's text maps to its record member and capacity.
struct FieldSlot {
    std::string PartnerFields::*fields;
    std::string PartnerRecord::*record;
    std::size_t capacity;
};
constexpr FieldSlot kSlots[] = {
    {&PartnerFields::name, &PartnerRecord::name, 41},
    {&PartnerFields::address, &PartnerRecord::address, 52},
    {&PartnerFields::webAddress, &PartnerRecord::webAddress, 100},
    {&PartnerFields::email, &PartnerRecord::email, 33},
    {&PartnerFields::mobile, &PartnerRecord::mobile, 24},
    {&PartnerFields::phone, &PartnerRecord::phone, 25},
    {&PartnerFields::note, &PartnerRecord::note, 255},
};
constexpr std::size_t kFieldCount = std::size(kSlots);

std::size_t slotOf(PartnerField f) {
    return static_cast<std::size_t>(f);
}

// A physical line and the line end that follows it (CR LF, LF, CR or none at the end).
struct Physical {
    std::string_view text, eol;
};

std::vector<Physical> physicalLines(std::string_view in) {
    std::vector<Physical> out;
    std::size_t at = 0;
    while (at < in.size()) {
        std::size_t end = at;
        while (end < in.size() && in[end] != '\r' && in[end] != '\n')
            ++end;
        std::size_t next = end;
        if (next < in.size() && in[next] == '\r') ++next;
        if (next < in.size() && in[next] == '\n') ++next;
        out.push_back({in.substr(at, end - at), in.substr(end, next - end)});
        at = next;
    }
    return out;
}

void appendUtf8(std::string& out, char32_t u) {
    if (u < 0x80) {
        out += static_cast<char>(u);
    } else if (u < 0x800) {
        out += static_cast<char>(0xC0 | (u >> 6));
        out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (u >> 12));
        out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (u & 0x3F));
    }
}

// A single-byte code page's bytes to UTF-8, as far as Windows-1250 holds them: the partner file can
// keep no more, and the importer reads such cards the same way.
std::string viaCp1250(std::string_view bytes, bool latin2) {
    std::string utf8;
    for (char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        appendUtf8(utf8, b < 0xA0 ? char32_t{b}
                         : latin2 ? char32_t{kLatin2UpperHalf[b - 0xA0]}
                                  : char32_t{b});
    }
    return cp1250ToUtf8(utf8ToCp1250(utf8));
}

// A value's bytes to UTF-8, by the importer's rules: plain bytes of a card that is UTF-8 as a whole are
// UTF-8 whatever it claims; decoded bytes follow their CHARSET, else the card's encoding.
std::string valueToUtf8(std::string_view bytes, std::string_view charset, bool encoded, bool cardUtf8) {
    const auto asUtf8 = [&] {
        const std::string_view text = withoutBom(bytes);
        if (isUtf8(text)) return std::string(text);
        return cp1250ToUtf8(importTextToCp1250(bytes));
    };
    if (!encoded && cardUtf8) return std::string(bytes);
    if (charset == "UTF-8" || charset == "UTF8") return asUtf8();
    if (charset == "WINDOWS-1250" || charset == "CP1250" || charset == "US-ASCII" || charset == "ASCII")
        return cp1250ToUtf8(bytes);
    if (charset == "ISO-8859-2" || charset == "ISO8859-2" || charset == "LATIN2")
        return viaCp1250(bytes, true);
    if (charset == "ISO-8859-1" || charset == "ISO8859-1" || charset == "LATIN1")
        return viaCp1250(bytes, false);
    return cardUtf8 ? asUtf8() : cp1250ToUtf8(bytes);
}

// A content line folded at 75 octets without splitting a UTF-8 character, each piece ended by `eol`.
std::string folded(std::string_view line, std::string_view eol) {
    std::string out;
    std::size_t at = 0, room = 75;
    while (line.size() - at > room) {
        std::size_t cut = at + room;
        while (cut > at + 1 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line, at, cut - at);
        out += eol;
        out += ' ';
        at = cut;
        room = 74;
    }
    out.append(line, at);
    out += eol;
    return out;
}

// N from a name in Hungarian order: the first word is the family name, the rest the given names.
std::string structuredName(std::string_view name) {
    name = trimmed(name);
    const auto space = name.find(' ');
    const std::string_view family = name.substr(0, space);
    const std::string_view given =
        space == std::string_view::npos ? std::string_view{} : trimmed(name.substr(space));
    return escapedText(family, true) + ";" + escapedText(given, true) + ";;;";
}

struct Pick {
    std::string text;
    int rank = kNotPreferred + 1;
    int line = -1;

    void offer(std::string t, int r, int at) {
        if (!t.empty() && r < rank) text = std::move(t), rank = r, line = at;
    }
};

} // namespace

namespace {

// Reads the header's name and the parameters the mapping needs, as the importer does.
void parseHeader(std::string_view header, exchange::ContentHeader& line) {
    line = parseContentHeader(header);
}

} // namespace

std::optional<VCard> VCard::parse(std::string_view in) {
    const std::vector<Physical> phys = physicalLines(in);
    VCard card;
    std::size_t i = 0;
    // A byte order mark and blank lines may come before the card.
    const std::string_view bom = in.starts_with("\xEF\xBB\xBF") ? in.substr(0, 3) : std::string_view{};
    for (; i < phys.size(); ++i) {
        std::string_view t = phys[i].text;
        if (i == 0) t.remove_prefix(bom.size());
        if (!trimmed(t).empty()) break;
        card.prefix_.append(phys[i].text).append(phys[i].eol);
    }
    int depth = 0;
    bool v21 = false, closed = false, agentBefore = false;
    while (i < phys.size() && !closed) {
        Line line;
        line.v21 = v21;
        // The logical line: its first physical line, then quoted-printable soft breaks and folds.
        std::string text(phys[i].text);
        if (i == 0) text.erase(0, bom.size());
        line.raw.append(phys[i].text).append(phys[i].eol);
        line.eol = std::string(phys[i].eol);
        ++i;
        std::size_t colon = std::string::npos, scanned = 0;
        bool quoted = false, headerRead = false;
        for (;;) {
            for (; colon == std::string::npos && scanned < text.size(); ++scanned) {
                const char c = text[scanned];
                if (c == '"' && (quoted || (scanned > 0 && text[scanned - 1] == '=')))
                    quoted = !quoted;
                else if (c == ':' && !quoted)
                    colon = scanned;
            }
            if (colon != std::string::npos && colon > 0 && !headerRead) {
                parseHeader(std::string_view(text).substr(0, colon), line);
                headerRead = true;
            }
            if (headerRead && line.encoding == Encoding::QuotedPrintable) {
                const auto last = text.find_last_not_of(" \t");
                if (last != std::string::npos && last > colon && text[last] == '=' && i < phys.size() &&
                    !isCardBoundary(phys[i].text)) {
                    text.resize(last);
                    text += phys[i].text;
                    line.raw.append(phys[i].text).append(phys[i].eol);
                    line.eol = std::string(phys[i].eol);
                    ++i;
                    continue;
                }
            }
            if (i < phys.size() && line.eol.size() > 0) {
                const std::string_view next = phys[i].text;
                if (!next.empty() && (next[0] == ' ' || next[0] == '\t')) {
                    text.append(v21 ? next : next.substr(1));
                    line.raw.append(next).append(phys[i].eol);
                    line.eol = std::string(phys[i].eol);
                    ++i;
                    continue;
                }
            }
            break;
        }
        line.content = headerRead;
        if (headerRead) {
            line.header = text.substr(0, colon);
            line.value = text.substr(colon + 1);
        }
        const bool begin = line.content && line.name == "BEGIN" && equalsNoCase(trimmed(line.value), "VCARD");
        const bool end = line.content && line.name == "END" && equalsNoCase(trimmed(line.value), "VCARD");
        if (card.lines_.empty()) {
            // The first line must open the card.
            if (!begin) return std::nullopt;
            depth = 1;
            if (!line.eol.empty()) card.eol_ = line.eol;
        } else if (begin) {
            // Only a 2.1 AGENT's card may come inside this one.
            if (!agentBefore) return std::nullopt;
            ++depth;
        } else if (end) {
            if (--depth == 0) closed = true;
        }
        line.nested = depth > 1 || (end && !closed);
        if (line.content && !line.nested && line.name == "VERSION") {
            const std::string_view v = trimmed(line.value);
            v21 = v.starts_with("2.") || v.starts_with("1.");
        }
        agentBefore = line.content && line.name == "AGENT" && trimmed(line.value).empty();
        card.lines_.push_back(std::move(line));
    }
    if (!closed) return std::nullopt;
    // Only blank lines may follow the card.
    for (; i < phys.size(); ++i) {
        if (!trimmed(phys[i].text).empty()) return std::nullopt;
        card.suffix_.append(phys[i].text).append(phys[i].eol);
    }
    return card;
}

std::string VCard::bytes() const {
    std::string out = prefix_;
    for (const Line& l : lines_)
        out += l.raw;
    out += suffix_;
    return out;
}

std::string VCard::version() const {
    for (const Line& l : lines_)
        if (l.content && !l.nested && l.name == "VERSION") return std::string(trimmed(l.value));
    return {};
}

std::string VCard::uid() const {
    for (const Line& l : lines_)
        if (l.content && !l.nested && l.name == "UID") return l.v21 ? l.value : unescaped(l.value);
    return {};
}

std::vector<VCard::Property> VCard::properties() const {
    std::vector<Property> out;
    for (const Line& l : lines_) {
        if (!l.content || l.nested) continue;
        const auto semicolon = l.header.find(';');
        out.push_back({l.group, l.name,
                       semicolon == std::string::npos ? std::string() : l.header.substr(semicolon), l.value});
    }
    return out;
}

struct VCard::Mapping {
    std::array<std::string, kFieldCount> value;
    std::array<int, kFieldCount> source{-1, -1, -1, -1, -1, -1, -1};
    int fnLine = -1, nLine = -1, firstFn = -1, firstN = -1;
};

VCard::Mapping VCard::mapping() const {
    Mapping m;
    const bool cardUtf8 = isUtf8(withoutBom(bytes()));
    std::string formattedName, name, label, note;
    int labelLine = -1;
    Pick email, phone, mobile, url, address;
    for (std::size_t at = 0; at < lines_.size(); ++at) {
        const Line& line = lines_[at];
        const int index = static_cast<int>(at);
        if (!line.content || line.nested) continue;
        const std::string& n = line.name;
        if (n != "FN" && n != "N" && n != "EMAIL" && n != "TEL" && n != "URL" && n != "ADR" && n != "LABEL" &&
            n != "NOTE")
            continue;
        if (n == "FN" && m.firstFn < 0) m.firstFn = index;
        if (n == "N" && m.firstN < 0) m.firstN = index;
        std::string bytes;
        if (line.encoding == Encoding::QuotedPrintable) {
            bytes = quotedPrintableDecoded(line.value);
        } else if (line.encoding == Encoding::Base64) {
            auto decoded = decodeBase64(line.value);
            if (!decoded) continue;
            bytes = std::move(*decoded);
        } else {
            bytes = line.value;
        }
        const std::string value = valueToUtf8(bytes, line.charset, line.encoding != Encoding::None, cardUtf8);
        const auto text = [&] { return withCrLf(line.v21 ? value : unescaped(value)); };
        if (n == "FN") {
            if (formattedName.empty()) formattedName = text(), m.fnLine = index;
        } else if (n == "N") {
            if (!name.empty()) continue;
            auto c = components(value, !line.v21, true);
            c.resize(5);
            for (auto& part : c)
                part = std::string(trimmed(part));
            // Hungarian order: prefix, family, given, additional, suffix.
            name = joinNonEmpty({c[3], c[0], c[1], c[2], c[4]}, " ");
            if (!name.empty()) m.nLine = index;
        } else if (n == "EMAIL") {
            email.offer(text(), line.prefRank, index);
        } else if (n == "TEL") {
            std::string t = text();
            if (line.uriValue && t.size() >= 4 && equalsNoCase(std::string_view(t).substr(0, 4), "tel:"))
                t.erase(0, 4);
            (line.hasType("CELL") ? mobile : phone).offer(std::move(t), line.prefRank, index);
        } else if (n == "URL") {
            url.offer(text(), line.prefRank, index);
        } else if (n == "ADR") {
            auto c = components(value, !line.v21, false);
            c.resize(7);
            // pobox;ext;street;locality;region;code;country
            const std::string street = joinNonEmpty({c[2], c[1], c[0]}, " ");
            address.offer(hungarianAddress(c[5], c[3], street, c[4], c[6]), line.prefRank, index);
        } else if (n == "LABEL") {
            if (label.empty()) label = linesJoined(text()), labelLine = label.empty() ? -1 : index;
        } else if (n == "NOTE") {
            if (note.empty()) note = text(), m.source[slotOf(PartnerField::Note)] = note.empty() ? -1 : index;
        }
    }
    const auto set = [&](PartnerField f, std::string v, int line) {
        m.value[slotOf(f)] = std::move(v);
        m.source[slotOf(f)] = line;
    };
    if (!formattedName.empty())
        set(PartnerField::Name, formattedName, m.fnLine);
    else
        set(PartnerField::Name, name, m.nLine);
    set(PartnerField::Email, email.text, email.line);
    set(PartnerField::Phone, phone.text, phone.line);
    set(PartnerField::Mobile, mobile.text, mobile.line);
    set(PartnerField::WebAddress, url.text, url.line);
    if (!address.text.empty())
        set(PartnerField::Address, address.text, address.line);
    else
        set(PartnerField::Address, label, labelLine);
    m.value[slotOf(PartnerField::Note)] = note;
    return m;
}

std::string VCard::field(PartnerField f) const {
    return mapping().value[slotOf(f)];
}

void VCard::replaceLine(std::size_t index, std::string_view value) {
    Line& line = lines_[index];
    // The new value is plain UTF-8: an encoding or charset of the old one would misread it.
    const auto parts = splitOutsideQuotes(line.header, ';');
    std::string header(parts[0]);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const std::string key = upper(trimmed(parts[i].substr(0, parts[i].find('='))));
        if (key == "ENCODING" || key == "CHARSET" || key == "QUOTED-PRINTABLE" || key == "BASE64" ||
            key == "B" || key == "8BIT")
            continue;
        header += ';';
        header += parts[i];
    }
    std::string logical = header + ":" + std::string(value);
    Line fresh;
    fresh.eol = line.eol.empty() ? eol_ : line.eol;
    fresh.raw = folded(logical, fresh.eol);
    const auto colon = header.size();
    fresh.content = true;
    fresh.v21 = false;
    parseHeader(std::string_view(logical).substr(0, colon), fresh);
    fresh.header = header;
    fresh.value = std::string(value);
    line = std::move(fresh);
}

void VCard::insertLine(std::string_view logical) {
    // The card's own END is its last line.
    const std::size_t at = lines_.size() - 1;
    Line line;
    line.eol = eol_;
    line.raw = folded(logical, eol_);
    line.content = true;
    const auto colon = logical.find(':');
    line.header = std::string(logical.substr(0, colon));
    line.value = std::string(logical.substr(colon + 1));
    parseHeader(line.header, line);
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(at), std::move(line));
}

void VCard::setName(std::string_view utf8) {
    const std::string name = withCrLf(utf8);
    const bool v4 = version() == "4.0";
    {
        const Mapping m = mapping();
        const int fn = m.fnLine >= 0 ? m.fnLine : m.firstFn;
        if (fn >= 0)
            replaceLine(static_cast<std::size_t>(fn), escapedText(name, true));
        else
            insertLine("FN:" + escapedText(name, true));
    }
    const Mapping m = mapping();
    const int n = m.nLine >= 0 ? m.nLine : m.firstN;
    const std::string value = name.empty() ? std::string(";;;;") : structuredName(name);
    if (n >= 0)
        replaceLine(static_cast<std::size_t>(n), value);
    else if (!v4) // N is required in 3.0 only
        insertLine("N:" + value);
}

void VCard::setField(PartnerField f, std::string_view utf8) {
    const std::string text = withCrLf(utf8);
    const Mapping m = mapping();
    if (m.value[slotOf(f)] == text) return;
    if (f == PartnerField::Name) {
        setName(text);
        return;
    }
    const int source = m.source[slotOf(f)];
    if (text.empty()) {
        if (source >= 0) lines_.erase(lines_.begin() + source);
        return;
    }
    const bool v4 = version() == "4.0";
    const Line* line = source >= 0 ? &lines_[static_cast<std::size_t>(source)] : nullptr;
    std::string value;
    switch (f) {
    case PartnerField::Address:
        // The whole address goes into the street, as the export writes it.
        value =
            line && line->name == "LABEL" ? escapedText(text, true) : ";;" + escapedText(text, true) + ";;;;";
        break;
    case PartnerField::WebAddress:
        // A URL keeps its commas and semicolons.
        value = escapedText(text, false);
        break;
    case PartnerField::Mobile:
    case PartnerField::Phone:
        value = line && line->uriValue ? "tel:" + escapedText(text, false) : escapedText(text, true);
        break;
    default:
        value = escapedText(text, true);
        break;
    }
    if (line) {
        replaceLine(static_cast<std::size_t>(source), value);
        return;
    }
    std::string header;
    switch (f) {
    case PartnerField::Address:
        header = v4 ? "ADR;TYPE=home" : "ADR;TYPE=HOME";
        break;
    case PartnerField::WebAddress:
        header = "URL";
        break;
    case PartnerField::Email:
        header = v4 ? "EMAIL" : "EMAIL;TYPE=INTERNET";
        break;
    case PartnerField::Mobile:
        header = v4 ? "TEL;TYPE=cell" : "TEL;TYPE=CELL";
        break;
    case PartnerField::Phone:
        header = v4 ? "TEL;TYPE=voice" : "TEL;TYPE=VOICE";
        break;
    case PartnerField::Note:
    case PartnerField::Name:
        header = "NOTE";
        break;
    }
    insertLine(header + ":" + value);
}

std::string VCard::birthday() const {
    for (const Line& l : lines_)
        if (l.content && !l.nested && l.name == "BDAY") return std::string(trimmed(l.value));
    return {};
}

void VCard::setBirthday(std::string_view value) {
    for (std::size_t at = 0; at < lines_.size(); ++at) {
        const Line& l = lines_[at];
        if (!l.content || l.nested || l.name != "BDAY") continue;
        if (trimmed(l.value) == value) return;
        if (value.empty())
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(at));
        else
            replaceLine(at, value);
        return;
    }
    if (!value.empty()) insertLine("BDAY:" + std::string(value));
}

void VCard::applyChanges(const PartnerFields& before, const PartnerFields& after) {
    for (std::size_t i = 0; i < kFieldCount; ++i) {
        const auto f = static_cast<PartnerField>(i);
        if (before[f] != after[f]) setField(f, after[f]);
    }
}

PartnerFields fieldsOf(const VCard& card) {
    PartnerFields out;
    for (std::size_t i = 0; i < kFieldCount; ++i)
        out[static_cast<PartnerField>(i)] = card.field(static_cast<PartnerField>(i));
    return out;
}

PartnerRecord cutToPartner(const PartnerFields& fields) {
    return recordOfFields(fields);
}

PartnerRecord partnerOf(const VCard& card) {
    return cutToPartner(fieldsOf(card));
}

std::string newCard(const PartnerFields& fields, std::string_view uid, std::string_view version) {
    std::string start = "BEGIN:VCARD\r\nVERSION:" + std::string(version) + "\r\n";
    start += folded("UID:" + escapedText(uid, true), "\r\n");
    start += "FN:\r\nN:;;;;\r\nEND:VCARD\r\n";
    auto card = VCard::parse(start);
    if (!card) return {};
    for (PartnerField f : {PartnerField::Name, PartnerField::Email, PartnerField::Phone, PartnerField::Mobile,
                           PartnerField::WebAddress, PartnerField::Address, PartnerField::Note})
        card->setField(f, fields[f]);
    return card->bytes();
}

} // namespace zel
