#pragma once

// Byte-level helpers the import readers share.

#include <optional>
#include <string>
#include <string_view>

namespace zel::exchange {

// Strict UTF-8: no overlong forms, no surrogates, nothing past U+10FFFF.
bool isUtf8(std::string_view bytes);

// The bytes without a leading UTF-8 byte order mark.
std::string_view withoutBom(std::string_view bytes);

// Base64 with or without padding; ASCII white space is ignored. nullopt for any other byte or a
// length that cannot be whole.
std::optional<std::string> decodeBase64(std::string_view text);

// Every line break (CR LF, a lone CR or a lone LF) as CR LF, as the partner file keeps them.
std::string withCrLf(std::string_view text);

// The lines of a text joined by ", ", each trimmed, empty ones left out: for addresses that other
// programs keep on several lines.
std::string linesJoined(std::string_view text);

// The value of a hexadecimal digit of either case; -1 for any other byte.
int hexDigit(char c);

char asciiLower(char c);
bool equalsNoCase(std::string_view a, std::string_view b);
std::string_view trimmed(std::string_view s);

// Non-empty pieces joined by `glue`.
std::string joinNonEmpty(std::initializer_list<std::string_view> pieces, std::string_view glue);

// "code locality, street, region, country" with the empty pieces and their separators left out.
std::string hungarianAddress(std::string_view code, std::string_view locality, std::string_view street,
                             std::string_view region, std::string_view country);

} // namespace zel::exchange
