#pragma once

// Splits a fuzz input into typed choices, taking them the way libFuzzer's FuzzedDataProvider does
// (numbers from the input's end, strings from its front), so a kept input means the same choices in
// the libFuzzer build and in the replay built with any compiler.
#include <climits>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <type_traits>

namespace zel::fuzz {

class ByteSource {
  public:
    ByteSource(const std::uint8_t* data, std::size_t size) : data_(data), remaining_(size) {}

    std::size_t remaining_bytes() const { return remaining_; }

    // Big-endian from the last unused bytes, as few as the range needs; zeros when none are left.
    template <typename T> T ConsumeIntegralInRange(T min, T max) {
        static_assert(std::is_integral_v<T>);
        const auto range = static_cast<std::uint64_t>(max) - static_cast<std::uint64_t>(min);
        std::uint64_t result = 0;
        std::size_t offset = 0;
        while (offset < sizeof(T) * CHAR_BIT && (range >> offset) > 0 && remaining_ != 0) {
            --remaining_;
            result = (result << CHAR_BIT) | data_[remaining_];
            offset += CHAR_BIT;
        }
        if (range != std::numeric_limits<std::uint64_t>::max()) result %= range + 1;
        return static_cast<T>(static_cast<std::uint64_t>(min) + result);
    }

    template <typename T> T ConsumeIntegral() {
        return ConsumeIntegralInRange(std::numeric_limits<T>::min(), std::numeric_limits<T>::max());
    }

    bool ConsumeBool() { return (ConsumeIntegral<std::uint8_t>() & 1) != 0; }

    template <typename T> T ConsumeProbability() {
        using Whole = std::conditional_t<(sizeof(T) <= sizeof(std::uint32_t)), std::uint32_t, std::uint64_t>;
        return static_cast<T>(ConsumeIntegral<Whole>()) / static_cast<T>(std::numeric_limits<Whole>::max());
    }

    // Any finite value of T, the halves of a range too wide to subtract chosen by one more byte.
    template <typename T> T ConsumeFloatingPoint() {
        const T min = std::numeric_limits<T>::lowest();
        const T max = std::numeric_limits<T>::max();
        T result = min;
        const T range = max / 2 - min / 2;
        if (ConsumeBool()) result += range;
        return result + range * ConsumeProbability<T>();
    }

    // Up to maxLength bytes from the front; a backslash escapes a backslash, any other after one ends it.
    std::string ConsumeRandomLengthString(std::size_t maxLength) {
        std::string result;
        for (std::size_t i = 0; i < maxLength && remaining_ != 0; ++i) {
            char next = static_cast<char>(take());
            if (next == '\\' && remaining_ != 0) {
                next = static_cast<char>(take());
                if (next != '\\') break;
            }
            result += next;
        }
        return result;
    }

    std::string ConsumeRemainingBytesAsString() {
        std::string result(reinterpret_cast<const char*>(data_), remaining_);
        data_ += remaining_;
        remaining_ = 0;
        return result;
    }

  private:
    std::uint8_t take() {
        --remaining_;
        return *data_++;
    }

    const std::uint8_t* data_;
    std::size_t remaining_;
};

} // namespace zel::fuzz
