#include "core/exchange/contacts.h"
#include "core/exchange/exchange_text.h"
#include "core/text/cp1250.h"

#include <array>
#include <cstdint>

namespace zel {
namespace exchange {

bool isUtf8(std::string_view s) {
    const auto* p = reinterpret_cast<const unsigned char*>(s.data());
    const std::size_t n = s.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char b = p[i];
        if (b < 0x80) {
            ++i;
            continue;
        }
        std::size_t extra;
        // The second byte's range rules out overlong forms, surrogates and code points past U+10FFFF.
        unsigned char lo = 0x80, hi = 0xBF;
        if (b >= 0xC2 && b <= 0xDF) {
            extra = 1;
        } else if (b >= 0xE0 && b <= 0xEF) {
            extra = 2;
            if (b == 0xE0) lo = 0xA0;
            if (b == 0xED) hi = 0x9F;
        } else if (b >= 0xF0 && b <= 0xF4) {
            extra = 3;
            if (b == 0xF0) lo = 0x90;
            if (b == 0xF4) hi = 0x8F;
        } else {
            return false;
        }
        if (n - i <= extra) return false;
        if (p[i + 1] < lo || p[i + 1] > hi) return false;
        for (std::size_t k = 2; k <= extra; ++k)
            if ((p[i + k] & 0xC0) != 0x80) return false;
        i += extra + 1;
    }
    return true;
}

std::string_view withoutBom(std::string_view bytes) {
    if (bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
    return bytes;
}

std::optional<std::string> decodeBase64(std::string_view text) {
    static const std::array<std::int8_t, 256> values = [] {
        std::array<std::int8_t, 256> v{};
        v.fill(-1);
        const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
        for (int i = 0; i < 64; ++i)
            v[static_cast<unsigned char>(alphabet[i])] = static_cast<std::int8_t>(i);
        return v;
    }();
    std::string out;
    out.reserve(text.size() / 4 * 3 + 3);
    std::uint32_t acc = 0;
    int bits = 0, pads = 0, digits = 0;
    for (char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') {
            ++pads;
            continue;
        }
        const int v = values[static_cast<unsigned char>(c)];
        if (v < 0 || pads > 0) return std::nullopt;
        ++digits;
        acc = (acc << 6) | static_cast<std::uint32_t>(v);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out += static_cast<char>((acc >> bits) & 0xFF);
        }
    }
    // A lone sixth of a byte, or more padding than the last group can have, is no base64.
    if (digits % 4 == 1 || pads > 2 || (pads > 0 && (digits + pads) % 4 != 0)) return std::nullopt;
    return out;
}

std::string withCrLf(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            out += "\r\n";
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else if (c == '\n') {
            out += "\r\n";
        } else {
            out += c;
        }
    }
    return out;
}

std::string linesJoined(std::string_view text) {
    std::string out;
    std::size_t at = 0;
    while (at <= text.size()) {
        std::size_t end = text.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = text.size();
        const std::string_view line = trimmed(text.substr(at, end - at));
        if (!line.empty()) {
            if (!out.empty()) out += ", ";
            out += line;
        }
        at = end + 1;
    }
    return out;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

char asciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (asciiLower(a[i]) != asciiLower(b[i])) return false;
    return true;
}

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

std::string joinNonEmpty(std::initializer_list<std::string_view> pieces, std::string_view glue) {
    std::string out;
    for (std::string_view p : pieces) {
        if (p.empty()) continue;
        if (!out.empty()) out += glue;
        out += p;
    }
    return out;
}

std::string hungarianAddress(std::string_view code, std::string_view locality, std::string_view street,
                             std::string_view region, std::string_view country) {
    const std::string town = joinNonEmpty({code, locality}, " ");
    return joinNonEmpty({town, street, region, country}, ", ");
}

} // namespace exchange

ExchangeFormat formatOfFileName(std::string_view fileName) {
    const auto slash = fileName.find_last_of("/\\");
    if (slash != std::string_view::npos) fileName.remove_prefix(slash + 1);
    const auto dot = fileName.rfind('.');
    if (dot == std::string_view::npos) return ExchangeFormat::Unknown;
    const std::string_view ext = fileName.substr(dot + 1);
    using exchange::equalsNoCase;
    if (equalsNoCase(ext, "vcf") || equalsNoCase(ext, "vcard")) return ExchangeFormat::VCard;
    if (equalsNoCase(ext, "csv")) return ExchangeFormat::Csv;
    if (equalsNoCase(ext, "ldif") || equalsNoCase(ext, "ldi")) return ExchangeFormat::Ldif;
    return ExchangeFormat::Unknown;
}

ContactsRead readContacts(ExchangeFormat format, std::string_view bytes, char separator) {
    switch (format) {
    case ExchangeFormat::VCard:
        return readVCard(bytes);
    case ExchangeFormat::Csv:
        return readCsv(bytes, separator);
    case ExchangeFormat::Ldif:
        return readLdif(bytes);
    case ExchangeFormat::Unknown:
        break;
    }
    return {};
}

std::string importTextToCp1250(std::string_view bytes) {
    const std::string_view text = exchange::withoutBom(bytes);
    // A byte order mark says UTF-8 even when a stray byte spoils it: that byte alone becomes '?'.
    if (text.size() != bytes.size() || exchange::isUtf8(text)) return utf8ToCp1250(text);
    return std::string(text);
}

bool isImportText(std::string_view bytes) {
    std::string_view text = exchange::withoutBom(bytes);
    const bool utf8 = text.size() != bytes.size() || exchange::isUtf8(text);
    if (text.ends_with('\x1A')) text.remove_suffix(1); // DOS wrote it after the last line
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b < 0x20) {
            if (b != '\t' && b != '\n' && b != '\f' && b != '\r') return false;
        } else if (b == 0x7F) {
            return false;
        } else if (utf8) {
            const auto after = i + 1 < text.size() ? static_cast<unsigned char>(text[i + 1]) : 0;
            if (b == 0xC2 && after >= 0x80 && after < 0xA0) return false;
        } else if (b == 0x81 || b == 0x83 || b == 0x88 || b == 0x90 || b == 0x98) {
            return false;
        }
    }
    return true;
}

} // namespace zel
