#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace zel {

// A text field of capacity N takes N + 1 bytes: a length byte, then the text.
// Storing cuts the text to N bytes; reading clamps a length byte above N, never reading past the field.
void putField(std::uint8_t* field, std::size_t capacity, std::string_view text);
std::string getField(const std::uint8_t* field, std::size_t capacity);

// Little-endian doubles as the record files hold them.
void putDouble(std::uint8_t* at, double value);
double getDouble(const std::uint8_t* at);
void putU32(std::uint8_t* at, std::uint32_t value);
std::uint32_t getU32(const std::uint8_t* at);

} // namespace zel
