#include "core/exchange/contacts.h"
#include "core/exchange/exchange_text.h"
#include "core/exchange/vcard_text.h"
#include "core/text/cp1250.h"

#include <algorithm>
#include <array>
#include <optional>

namespace zel {
namespace {

using namespace exchange;

// One content line: UTF-8, folded at 75 octets without splitting a character, CR LF at its end.
void appendLine(std::string& out, std::string_view cp1250Line) {
    const std::string line = cp1250ToUtf8(cp1250Line);
    std::size_t at = 0, room = 75;
    while (line.size() - at > room) {
        std::size_t cut = at + room;
        while ((static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut;
        out.append(line, at, cut - at);
        out += "\r\n ";
        at = cut;
        room = 74;
    }
    out.append(line, at);
    out += "\r\n";
}

// ---- Reading ----

using Encoding = ValueEncoding;

// A content line: "[group.]NAME;PARAM=VALUE;…:value", unfolded, its value still encoded.
struct ContentLine : ContentHeader {
    std::string value;
};

void parseHeader(std::string_view header, ContentLine& line) {
    static_cast<ContentHeader&>(line) = parseContentHeader(header);
}

// The file's physical lines, ended by CR LF, LF or CR.
class PhysicalLines {
  public:
    explicit PhysicalLines(std::string_view text) : text_(text) {}

    bool atEnd() const { return at_ >= text_.size(); }
    std::string_view peek() const {
        std::size_t next;
        return lineAt(next);
    }
    std::string_view take() {
        std::size_t next;
        const std::string_view line = lineAt(next);
        at_ = next;
        return line;
    }

  private:
    std::string_view lineAt(std::size_t& next) const {
        std::size_t end = at_;
        while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n')
            ++end;
        next = end;
        if (next < text_.size() && text_[next] == '\r') ++next;
        if (next < text_.size() && text_[next] == '\n') ++next;
        return text_.substr(at_, end - at_);
    }

    std::string_view text_;
    std::size_t at_ = 0;
};

// Reads the next content line: folded lines unfolded (2.1 keeps the white space that starts a folded
// line, later versions drop it), a quoted-printable value joined over its soft line breaks, and
// 2.1's base64 block taken up to the blank line or the next property. False when the line has no
// ':' and so is no content line. `cutOff` says that a quoted-printable value ended with the file or
// ran into a card's boundary.
bool readContentLine(PhysicalLines& lines, bool keepFoldSpace, ContentLine& out, bool& cutOff) {
    std::string line(lines.take());
    std::size_t colon = std::string::npos, scanned = 0;
    bool quoted = false, headerRead = false;
    cutOff = false;
    for (;;) {
        for (; colon == std::string::npos && scanned < line.size(); ++scanned) {
            const char c = line[scanned];
            if (c == '"' && (quoted || (scanned > 0 && line[scanned - 1] == '=')))
                quoted = !quoted;
            else if (c == ':' && !quoted)
                colon = scanned;
        }
        if (colon != std::string::npos && !headerRead) {
            parseHeader(std::string_view(line).substr(0, colon), out);
            headerRead = true;
        }
        if (colon != std::string::npos && out.encoding == Encoding::QuotedPrintable) {
            const auto last = line.find_last_not_of(" \t");
            if (last != std::string::npos && last > colon && line[last] == '=') {
                line.resize(last);
                if (lines.atEnd() || isCardBoundary(lines.peek())) {
                    cutOff = true;
                    break;
                }
                line += lines.take();
                continue;
            }
        }
        if (!lines.atEnd()) {
            const std::string_view next = lines.peek();
            if (!next.empty() && (next[0] == ' ' || next[0] == '\t')) {
                lines.take();
                line.append(keepFoldSpace ? next : next.substr(1));
                continue;
            }
        }
        break;
    }
    if (colon == std::string::npos || colon == 0) return false;
    if (out.encoding == Encoding::Base64) {
        while (!lines.atEnd()) {
            const std::string_view next = lines.peek();
            if (trimmed(next).empty()) {
                lines.take();
                break;
            }
            if (next.find(':') != std::string_view::npos) break;
            line.append(lines.take());
        }
    }
    out.value = line.substr(colon + 1);
    return true;
}

// Byte tables of the single-byte code pages a card may name, to Windows-1250 ('?' where it has none).
using ByteTable = std::array<char, 256>;

ByteTable tableFromUnicode(const std::array<char16_t, 96>& upperHalf) {
    ByteTable t{};
    for (int b = 0; b < 256; ++b) {
        const char32_t u =
            b < 0xA0 ? static_cast<char32_t>(b) : upperHalf[static_cast<std::size_t>(b - 0xA0)];
        t[static_cast<std::size_t>(b)] = '?';
        for (int x = 0; x < 256; ++x) {
            if (cp1250ToUnicode(static_cast<unsigned char>(x)) == u) {
                t[static_cast<std::size_t>(b)] = static_cast<char>(x);
                break;
            }
        }
    }
    return t;
}

const ByteTable& latin2Table() {
    static const ByteTable t = tableFromUnicode(kLatin2UpperHalf);
    return t;
}

const ByteTable& latin1Table() {
    static const ByteTable t = [] {
        std::array<char16_t, 96> half{};
        for (std::size_t i = 0; i < half.size(); ++i)
            half[i] = static_cast<char16_t>(0xA0 + i);
        return tableFromUnicode(half);
    }();
    return t;
}

std::string mapped(std::string_view bytes, const ByteTable& table) {
    std::string out(bytes);
    for (char& c : out)
        c = table[static_cast<unsigned char>(c)];
    return out;
}

// A value's bytes to Windows-1250. Plain bytes of a file that is UTF-8 as a whole are UTF-8 whatever
// the card claims; decoded bytes follow their CHARSET, else the file's encoding.
std::string valueToCp1250(std::string_view bytes, std::string_view charset, bool encoded, bool fileUtf8) {
    if (!encoded && fileUtf8) return utf8ToCp1250(bytes);
    if (charset == "UTF-8" || charset == "UTF8") return importTextToCp1250(bytes);
    if (charset == "WINDOWS-1250" || charset == "CP1250" || charset == "US-ASCII" || charset == "ASCII")
        return std::string(bytes);
    if (charset == "ISO-8859-2" || charset == "ISO8859-2" || charset == "LATIN2")
        return mapped(bytes, latin2Table());
    if (charset == "ISO-8859-1" || charset == "ISO8859-1" || charset == "LATIN1")
        return mapped(bytes, latin1Table());
    return fileUtf8 ? importTextToCp1250(bytes) : std::string(bytes);
}

struct Pick {
    std::string text;
    int rank = kNotPreferred + 1;

    void offer(std::string t, int r) {
        if (!t.empty() && r < rank) text = std::move(t), rank = r;
    }
};

struct Card {
    bool v21 = false;
    bool cutOff = false;
    std::string formattedName, structuredName, label, note;
    Pick email, phone, mobile, url, address;

    void take(const ContentLine& line, bool fileUtf8) {
        const std::string& n = line.name;
        if (n == "VERSION") {
            v21 = trimmed(line.value).starts_with("2.") || trimmed(line.value).starts_with("1.");
            return;
        }
        if (n != "FN" && n != "N" && n != "EMAIL" && n != "TEL" && n != "URL" && n != "ADR" && n != "LABEL" &&
            n != "NOTE")
            return;
        std::string bytes;
        if (line.encoding == Encoding::QuotedPrintable) {
            bytes = quotedPrintableDecoded(line.value);
        } else if (line.encoding == Encoding::Base64) {
            auto decoded = decodeBase64(line.value);
            if (!decoded) return;
            bytes = std::move(*decoded);
        } else {
            bytes = line.value;
        }
        const std::string value =
            valueToCp1250(bytes, line.charset, line.encoding != Encoding::None, fileUtf8);
        const auto text = [&] { return withCrLf(v21 ? value : unescaped(value)); };

        if (n == "FN") {
            if (formattedName.empty()) formattedName = text();
        } else if (n == "N") {
            if (!structuredName.empty()) return;
            auto c = components(value, !v21, true);
            c.resize(5);
            for (auto& part : c)
                part = std::string(trimmed(part));
            // Hungarian order: prefix, family, given, additional, suffix.
            structuredName = joinNonEmpty({c[3], c[0], c[1], c[2], c[4]}, " ");
        } else if (n == "EMAIL") {
            email.offer(text(), line.prefRank);
        } else if (n == "TEL") {
            std::string t = text();
            if (line.uriValue && t.size() >= 4 && equalsNoCase(std::string_view(t).substr(0, 4), "tel:"))
                t.erase(0, 4);
            (line.hasType("CELL") ? mobile : phone).offer(std::move(t), line.prefRank);
        } else if (n == "URL") {
            url.offer(text(), line.prefRank);
        } else if (n == "ADR") {
            auto c = components(value, !v21, false);
            c.resize(7);
            // pobox;ext;street;locality;region;code;country
            const std::string street = joinNonEmpty({c[2], c[1], c[0]}, " ");
            address.offer(hungarianAddress(c[5], c[3], street, c[4], c[6]), line.prefRank);
        } else if (n == "LABEL") {
            if (label.empty()) label = linesJoined(text());
        } else if (n == "NOTE") {
            if (note.empty()) note = text();
        }
    }

    PartnerRecord contact() const {
        PartnerRecord r;
        r.name = formattedName.empty() ? structuredName : formattedName;
        r.email = email.text;
        r.phone = phone.text;
        r.mobile = mobile.text;
        r.webAddress = url.text;
        r.address = address.text.empty() ? label : address.text;
        r.note = note;
        return r;
    }
};

} // namespace

ContactsRead readVCard(std::string_view bytes) {
    const std::string_view text = withoutBom(bytes);
    const bool fileUtf8 = isUtf8(text);
    PhysicalLines lines(text);
    ContactsRead out;
    std::optional<Card> card;
    int nested = 0;           // depth inside a 2.1 AGENT's card, which is skipped
    bool agentBefore = false; // the last property was an AGENT with its card to follow
    while (!lines.atEnd()) {
        ContentLine line;
        bool cutOff = false;
        if (!readContentLine(lines, card && card->v21, line, cutOff)) continue;
        if (cutOff && card) card->cutOff = true;
        const bool begin = line.name == "BEGIN" && equalsNoCase(trimmed(line.value), "VCARD");
        const bool end = line.name == "END" && equalsNoCase(trimmed(line.value), "VCARD");
        if (begin) {
            if (card && agentBefore) {
                ++nested;
            } else {
                // A card begun inside another: the one before was cut off.
                if (card) ++out.damaged;
                card.emplace();
                nested = 0;
            }
        } else if (end) {
            if (nested > 0) {
                --nested;
            } else if (card) {
                PartnerRecord r = card->contact();
                if (card->cutOff)
                    ++out.damaged;
                else if (!(r == PartnerRecord{}))
                    out.contacts.push_back(std::move(r));
                card.reset();
            }
        } else if (card && nested == 0) {
            card->take(line, fileUtf8);
        }
        agentBefore = line.name == "AGENT" && trimmed(line.value).empty();
    }
    if (card) ++out.damaged;
    return out;
}

std::string writeVCard(const std::vector<PartnerRecord>& rows) {
    std::string out;
    for (const PartnerRecord& r : rows) {
        if (r == PartnerRecord{}) continue; // an empty grid row is no contact
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        appendLine(out, "FN:" + escapedText(r.name, true));
        // Hungarian order: the family name comes first.
        const std::string_view name = trimmed(r.name);
        const auto space = name.find(' ');
        const std::string_view family = name.substr(0, space);
        const std::string_view given =
            space == std::string_view::npos ? std::string_view{} : trimmed(name.substr(space));
        appendLine(out, "N:" + escapedText(family, true) + ";" + escapedText(given, true) + ";;;");
        if (!r.email.empty()) appendLine(out, "EMAIL;TYPE=INTERNET:" + escapedText(r.email, true));
        if (!r.phone.empty()) appendLine(out, "TEL;TYPE=VOICE:" + escapedText(r.phone, true));
        if (!r.mobile.empty()) appendLine(out, "TEL;TYPE=CELL:" + escapedText(r.mobile, true));
        // A URL keeps its commas and semicolons; only backslashes and line breaks are escaped.
        if (!r.webAddress.empty()) appendLine(out, "URL:" + escapedText(r.webAddress, false));
        if (!r.address.empty()) appendLine(out, "ADR;TYPE=HOME:;;" + escapedText(r.address, true) + ";;;;");
        if (!r.note.empty()) appendLine(out, "NOTE:" + escapedText(r.note, true));
        out += "END:VCARD\r\n";
    }
    return out;
}

} // namespace zel
