// The Windows-1250 codec: every byte string survives the trip through UTF-8, and any UTF-8 the code
// page can hold comes back unchanged.
#include "fuzz_util.h"

#include "core/text/cp1250.h"

#include <optional>
#include <set>
#include <vector>

namespace {

// Strict UTF-8 (no overlong forms, no surrogates, nothing past U+10FFFF); nullopt when invalid.
std::optional<std::vector<char32_t>> decodeStrict(std::string_view s) {
    std::vector<char32_t> out;
    std::size_t i = 0;
    while (i < s.size()) {
        const auto b = static_cast<unsigned char>(s[i]);
        int extra;
        char32_t cp, min;
        if (b < 0x80)
            extra = 0, cp = b, min = 0;
        else if ((b & 0xE0) == 0xC0)
            extra = 1, cp = b & 0x1F, min = 0x80;
        else if ((b & 0xF0) == 0xE0)
            extra = 2, cp = b & 0x0F, min = 0x800;
        else if ((b & 0xF8) == 0xF0)
            extra = 3, cp = b & 0x07, min = 0x10000;
        else
            return std::nullopt;
        if (i + static_cast<std::size_t>(extra) >= s.size()) return std::nullopt;
        for (int k = 1; k <= extra; ++k) {
            const auto c = static_cast<unsigned char>(s[i + static_cast<std::size_t>(k)]);
            if ((c & 0xC0) != 0x80) return std::nullopt;
            cp = (cp << 6) | (c & 0x3F);
        }
        if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return std::nullopt;
        out.push_back(cp);
        i += static_cast<std::size_t>(extra) + 1;
    }
    return out;
}

const std::set<char32_t>& codePage() {
    static const std::set<char32_t> cps = [] {
        std::set<char32_t> s;
        for (int b = 0; b < 256; ++b)
            s.insert(zel::cp1250ToUnicode(static_cast<unsigned char>(b)));
        return s;
    }();
    return cps;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace zel;
    const std::string_view in(reinterpret_cast<const char*>(data), size);

    // The input as Windows-1250.
    const std::string utf8 = cp1250ToUtf8(in);
    const auto cps = decodeStrict(utf8);
    ZEL_CHECK(cps && cps->size() == in.size());
    for (std::size_t i = 0; i < in.size(); ++i)
        ZEL_CHECK((*cps)[i] == cp1250ToUnicode(static_cast<unsigned char>(in[i])));
    ZEL_CHECK(utf8ToCp1250(utf8) == in);

    // The input as UTF-8.
    const std::string cp = utf8ToCp1250(in);
    ZEL_CHECK(cp.size() <= in.size());
    ZEL_CHECK(utf8ToCp1250(cp1250ToUtf8(cp)) == cp);
    if (const auto decoded = decodeStrict(in)) {
        ZEL_CHECK(cp.size() == decoded->size());
        bool representable = true;
        for (std::size_t i = 0; i < decoded->size(); ++i) {
            if (codePage().count((*decoded)[i])) {
                ZEL_CHECK(cp1250ToUnicode(static_cast<unsigned char>(cp[i])) == (*decoded)[i]);
            } else {
                representable = false;
                ZEL_CHECK(cp[i] == '?');
            }
        }
        if (representable) ZEL_CHECK(cp1250ToUtf8(cp) == in);
    }
    return 0;
}
