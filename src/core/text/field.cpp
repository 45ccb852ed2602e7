#include "core/text/field.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace zel {

void putField(std::uint8_t* field, std::size_t capacity, std::string_view text) {
    const std::size_t n = std::min({text.size(), capacity, std::size_t{255}});
    field[0] = static_cast<std::uint8_t>(n);
    std::memcpy(field + 1, text.data(), n);
}

std::string getField(const std::uint8_t* field, std::size_t capacity) {
    const std::size_t n = std::min<std::size_t>(field[0], capacity);
    return std::string(reinterpret_cast<const char*>(field + 1), n);
}

void putDouble(std::uint8_t* at, double value) {
    const auto bits = std::bit_cast<std::uint64_t>(value);
    for (int i = 0; i < 8; ++i)
        at[i] = static_cast<std::uint8_t>(bits >> (8 * i));
}

double getDouble(const std::uint8_t* at) {
    std::uint64_t bits = 0;
    for (int i = 0; i < 8; ++i)
        bits |= std::uint64_t{at[i]} << (8 * i);
    return std::bit_cast<double>(bits);
}

void putU32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

std::uint32_t getU32(const std::uint8_t* at) {
    std::uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= std::uint32_t{at[i]} << (8 * i);
    return v;
}

} // namespace zel
