#include "core/exchange/vcard_text.h"

#include "core/exchange/exchange_text.h"

#include <algorithm>

namespace zel::exchange {

std::string upper(std::string_view s) {
    std::string out(s);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

std::vector<std::string_view> splitOutsideQuotes(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    bool quoted = false;
    std::size_t start = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const char c = s[i];
        if (c == '"' && (quoted || i == 0 || s[i - 1] == '=' || s[i - 1] == ',' || s[i - 1] == sep)) {
            quoted = !quoted;
        } else if (c == sep && !quoted) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    parts.push_back(s.substr(start));
    return parts;
}

std::string_view unquoted(std::string_view s) {
    s = trimmed(s);
    if (s.size() >= 2 && s.front() == '"' && s.back() == '"') s = s.substr(1, s.size() - 2);
    return s;
}

bool isCardBoundary(std::string_view line) {
    line = trimmed(line);
    return equalsNoCase(line, "BEGIN:VCARD") || equalsNoCase(line, "END:VCARD");
}

std::string quotedPrintableDecoded(std::string_view v) {
    std::string out;
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] == '=' && i + 2 < v.size() && hexDigit(v[i + 1]) >= 0 && hexDigit(v[i + 2]) >= 0) {
            out += static_cast<char>(hexDigit(v[i + 1]) * 16 + hexDigit(v[i + 2]));
            i += 2;
        } else {
            out += v[i];
        }
    }
    return out;
}

std::string unescaped(std::string_view v) {
    std::string out;
    out.reserve(v.size());
    for (std::size_t i = 0; i < v.size(); ++i) {
        if (v[i] != '\\' || i + 1 == v.size()) {
            out += v[i];
            continue;
        }
        const char c = v[++i];
        if (c == 'n' || c == 'N')
            out += "\r\n";
        else
            out += c;
    }
    return out;
}

std::vector<std::string> components(std::string_view v, bool escapes, bool valueLists) {
    std::vector<std::string> parts(1);
    for (std::size_t i = 0; i < v.size(); ++i) {
        const char c = v[i];
        if (c == '\\' && i + 1 < v.size()) {
            const char e = v[i + 1];
            if (escapes) {
                parts.back() += (e == 'n' || e == 'N') ? std::string("\r\n") : std::string(1, e);
                ++i;
            } else if (e == ';') {
                parts.back() += ';';
                ++i;
            } else {
                parts.back() += c;
            }
        } else if (c == ';') {
            parts.emplace_back();
        } else if (c == ',' && valueLists && escapes) {
            parts.back() += ' ';
        } else {
            parts.back() += c;
        }
    }
    for (auto& p : parts)
        p = withCrLf(p);
    return parts;
}

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

const std::array<char16_t, 96> kLatin2UpperHalf = {
    0x00A0, 0x0104, 0x02D8, 0x0141, 0x00A4, 0x013D, 0x015A, 0x00A7, 0x00A8, 0x0160, 0x015E, 0x0164,
    0x0179, 0x00AD, 0x017D, 0x017B, 0x00B0, 0x0105, 0x02DB, 0x0142, 0x00B4, 0x013E, 0x015B, 0x02C7,
    0x00B8, 0x0161, 0x015F, 0x0165, 0x017A, 0x02DD, 0x017E, 0x017C, 0x0154, 0x00C1, 0x00C2, 0x0102,
    0x00C4, 0x0139, 0x0106, 0x00C7, 0x010C, 0x00C9, 0x0118, 0x00CB, 0x011A, 0x00CD, 0x00CE, 0x010E,
    0x0110, 0x0143, 0x0147, 0x00D3, 0x00D4, 0x0150, 0x00D6, 0x00D7, 0x0158, 0x016E, 0x00DA, 0x0170,
    0x00DC, 0x00DD, 0x0162, 0x00DF, 0x0155, 0x00E1, 0x00E2, 0x0103, 0x00E4, 0x013A, 0x0107, 0x00E7,
    0x010D, 0x00E9, 0x0119, 0x00EB, 0x011B, 0x00ED, 0x00EE, 0x010F, 0x0111, 0x0144, 0x0148, 0x00F3,
    0x00F4, 0x0151, 0x00F6, 0x00F7, 0x0159, 0x016F, 0x00FA, 0x0171, 0x00FC, 0x00FD, 0x0163, 0x02D9,
};

bool ContentHeader::hasType(std::string_view t) const {
    return std::find(types.begin(), types.end(), t) != types.end();
}

ContentHeader parseContentHeader(std::string_view header) {
    ContentHeader line;
    const auto parts = splitOutsideQuotes(header, ';');
    std::string_view name = trimmed(parts[0]);
    if (const auto dot = name.rfind('.'); dot != std::string_view::npos) {
        line.group = std::string(name.substr(0, dot));
        name.remove_prefix(dot + 1);
    }
    line.name = upper(name);
    for (std::size_t i = 1; i < parts.size(); ++i) {
        const auto eq = parts[i].find('=');
        const std::string key = upper(trimmed(parts[i].substr(0, eq)));
        if (eq == std::string_view::npos) {
            // vCard 2.1's bare parameters: an encoding, or a type such as CELL, HOME, PREF.
            if (key == "QUOTED-PRINTABLE")
                line.encoding = ValueEncoding::QuotedPrintable;
            else if (key == "BASE64" || key == "B")
                line.encoding = ValueEncoding::Base64;
            else if (!key.empty())
                line.types.push_back(key);
            continue;
        }
        // 4.0 quotes a list: TYPE="cell,voice".
        const std::string values = upper(unquoted(parts[i].substr(eq + 1)));
        for (std::string_view v : splitOutsideQuotes(values, ',')) {
            const std::string value = upper(unquoted(v));
            if (key == "TYPE") {
                line.types.push_back(value);
            } else if (key == "ENCODING") {
                if (value == "QUOTED-PRINTABLE") line.encoding = ValueEncoding::QuotedPrintable;
                if (value == "BASE64" || value == "B") line.encoding = ValueEncoding::Base64;
            } else if (key == "CHARSET") {
                line.charset = value;
            } else if (key == "PREF") {
                int rank = 0;
                for (char c : value) {
                    if (c < '0' || c > '9' || rank > 100) break;
                    rank = rank * 10 + (c - '0');
                }
                line.prefRank = std::min(line.prefRank, std::clamp(rank, 1, 100));
            } else if (key == "VALUE") {
                line.uriValue = value == "URI";
            }
        }
    }
    if (line.hasType("PREF")) line.prefRank = std::min(line.prefRank, 1);
    return line;
}

} // namespace zel::exchange
