#pragma once

// The text of vCard content lines, as both the importer and the address-book cards read and write it.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace zel::exchange {

// ASCII letters in upper case: property and parameter names compare so.
std::string upper(std::string_view s);

// Splits at `sep` outside double quotes; a quote opens only at the start of a parameter value.
std::vector<std::string_view> splitOutsideQuotes(std::string_view s, char sep);

// A parameter value without the double quotes around it.
std::string_view unquoted(std::string_view s);

// A BEGIN:VCARD or END:VCARD line, which no folded value may swallow.
bool isCardBoundary(std::string_view line);

// Quoted-printable "=XX" escapes decoded; every other byte kept as it is.
std::string quotedPrintableDecoded(std::string_view v);

// 3.0 and 4.0 escapes: \\ \, \; \: and \n or \N for a line break.
std::string unescaped(std::string_view v);

// The components of N or ADR, split at unescaped ';'. 2.1 only escapes ';' itself. With
// `valueLists`, an unescaped ',' between several values of a component becomes a space.
std::vector<std::string> components(std::string_view v, bool escapes, bool valueLists);

// A text value of vCard 3.0: backslash, comma, semicolon and line breaks escaped.
std::string escapedText(std::string_view text, bool separatorsToo);

// A PREF rank no parameter gives.
constexpr int kNotPreferred = 1000;

enum class ValueEncoding { None, QuotedPrintable, Base64 };

// What the header of a content line ("[group.]NAME;PARAM=VALUE;…") says about its value.
struct ContentHeader {
    std::string group, name; // the name in upper case, without its group
    ValueEncoding encoding = ValueEncoding::None;
    std::string charset;            // upper case
    std::vector<std::string> types; // upper case, 2.1's bare parameters included
    int prefRank = kNotPreferred;   // 1 is the most preferred
    bool uriValue = false;

    bool hasType(std::string_view t) const;
};

ContentHeader parseContentHeader(std::string_view header);

// ISO 8859-2 from 0xA0 on, as Unicode.
extern const std::array<char16_t, 96> kLatin2UpperHalf;

} // namespace zel::exchange
