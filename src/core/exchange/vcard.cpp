#include "core/exchange/contacts.h"
#include "core/exchange/exchange_text.h"
#include "core/text/cp1250.h"

namespace zel {
namespace {

using namespace exchange;

// A text value of vCard 3.0: backslash, comma, semicolon and line breaks escaped.
std::string escapedText(std::string_view text, bool separatorsToo) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r' || c == '\n') {
            out += "\\n";
            if (c == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\\' || (separatorsToo && (c == ',' || c == ';'))) {
            out += '\\';
            out += c;
        } else {
            out += c;
        }
    }
    return out;
}

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

} // namespace

ContactsRead readVCard(std::string_view) {
    return {};
}

std::string writeVCard(const std::vector<PartnerRecord>& rows) {
    std::string out;
    for (const PartnerRecord& r : rows) {
        if (r == PartnerRecord{}) continue; // an empty grid row is no contact
        out += "BEGIN:VCARD\r\nVERSION:3.0\r\n";
        appendLine(out, "FN:" + escapedText(r.Name, true));
        // Hungarian order: the family name comes first.
        const std::string_view name = trimmed(r.Name);
        const auto space = name.find(' ');
        const std::string_view family = name.substr(0, space);
        const std::string_view given =
            space == std::string_view::npos ? std::string_view{} : trimmed(name.substr(space));
        appendLine(out, "N:" + escapedText(family, true) + ";" + escapedText(given, true) + ";;;");
        if (!r.Email.empty()) appendLine(out, "EMAIL;TYPE=INTERNET:" + escapedText(r.Email, true));
        if (!r.Phone.empty()) appendLine(out, "TEL;TYPE=VOICE:" + escapedText(r.Phone, true));
        if (!r.Mobile.empty()) appendLine(out, "TEL;TYPE=CELL:" + escapedText(r.Mobile, true));
        // A URL keeps its commas and semicolons; only backslashes and line breaks are escaped.
        if (!r.WebAddress.empty()) appendLine(out, "URL:" + escapedText(r.WebAddress, false));
        if (!r.Address.empty()) appendLine(out, "ADR;TYPE=HOME:;;" + escapedText(r.Address, true) + ";;;;");
        if (!r.Note.empty()) appendLine(out, "NOTE:" + escapedText(r.Note, true));
        out += "END:VCARD\r\n";
    }
    return out;
}

} // namespace zel
