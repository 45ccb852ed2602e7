#pragma once

#include <string>
#include <string_view>

namespace zel {

// Every text the program stores is single-byte Windows-1250; the GUI speaks UTF-8.
// A character the code page cannot hold becomes '?'. Invalid UTF-8 bytes become '?' too.
std::string utf8ToCp1250(std::string_view utf8);
std::string cp1250ToUtf8(std::string_view cp1250);

// Unicode code point of one Windows-1250 byte.
char32_t cp1250ToUnicode(unsigned char c);

} // namespace zel
