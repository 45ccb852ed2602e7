#include "core/exchange/partner_import.h"

namespace zel {

std::string foldedName(std::string_view cp1250) {
    return std::string(cp1250);
}
PartnerImport importPartners(const std::filesystem::path&, const std::vector<PartnerRecord>&) {
    return {};
}
std::vector<PartnerRecord> readAllPartners(const std::filesystem::path&) {
    return {};
}
std::vector<std::filesystem::path> dataFilesToCopy(const AppPaths&) {
    return {};
}
DataCopy copyDataFiles(const AppPaths&, const std::filesystem::path&) {
    return {};
}

} // namespace zel
