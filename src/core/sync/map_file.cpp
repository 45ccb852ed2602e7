#include "core/sync/map_file.h"

#include "core/errors.h"
#include "core/storage/record_file.h"

#include <cerrno>

namespace zel {

void putMapValue(std::string& out, std::string_view value) {
    for (char c : value) {
        switch (c) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            out += c;
        }
    }
}

std::optional<std::vector<std::string>> mapValues(std::string_view line) {
    std::vector<std::string> values(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (c == '\t') {
            values.emplace_back();
            continue;
        }
        if (c == '\r') return std::nullopt;
        if (c != '\\') {
            values.back() += c;
            continue;
        }
        if (++i == line.size()) return std::nullopt;
        switch (line[i]) {
        case '\\':
            values.back() += '\\';
            break;
        case 't':
            values.back() += '\t';
            break;
        case 'n':
            values.back() += '\n';
            break;
        case 'r':
            values.back() += '\r';
            break;
        default:
            return std::nullopt;
        }
    }
    return values;
}

std::vector<std::string_view> mapLines(std::string_view bytes) {
    std::vector<std::string_view> lines;
    while (!bytes.empty()) {
        const std::size_t lf = bytes.find('\n');
        // A last line without its LF is a file cut short.
        if (lf == std::string_view::npos) throw SyncMapDamaged(lines.size() + 1);
        lines.push_back(bytes.substr(0, lf));
        bytes.remove_prefix(lf + 1);
    }
    return lines;
}

std::string mapSingleValue(const std::vector<std::string_view>& lines, std::size_t index,
                           std::string_view key) {
    if (index >= lines.size()) throw SyncMapDamaged(index + 1);
    const auto values = mapValues(lines[index]);
    if (!values || values->size() != 2 || (*values)[0] != key) throw SyncMapDamaged(index + 1);
    return (*values)[1];
}

std::optional<std::string> readMapFile(const std::filesystem::path& path) {
    std::error_code ec;
    if (!std::filesystem::exists(path, ec) && !ec) return std::nullopt;
    // The size first, so a file far too large is neither read nor given a buffer of its size.
    const std::uintmax_t size = std::filesystem::file_size(path, ec);
    if (ec) throw IoError(ec.value(), path.string());
    if (size > kSyncMapMaxSize) throw IoError(EFBIG, path.string());
    // A byte more than its size, so a file that grew meanwhile reads as cut short, never as whole.
    std::string bytes = readFirstBytes(path, static_cast<std::size_t>(size) + 1);
    if (bytes.size() > kSyncMapMaxSize) throw IoError(EFBIG, path.string());
    return bytes;
}

} // namespace zel
