#pragma once

#include "core/app/paths.h"
#include "core/partners/partner_record.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace zel {

// A name as the duplicate test sees it: Windows-1250 with every capital letter made small.
std::string foldedName(std::string_view cp1250);

// What adding a list of contacts to the partner file did.
struct PartnerImport {
    std::vector<std::string> added;     // the names as stored, in list order
    std::vector<std::size_t> takenRows; // list rows that became partners, ascending
    std::size_t alreadyPartners = 0;    // rows left: the name is a partner's already
    std::size_t nameless = 0;           // rows left: no name
};

// Adds every row whose name, cut to its capacity, is not empty and is no partner's name (nor that of
// a row added before it), without regard to case. Every field is cut to its capacity; the new
// partners go to their ordered places in one rewrite of the file. A missing file is created.
PartnerImport importPartners(const std::filesystem::path& partnerFile,
                             const std::vector<PartnerRecord>& rows);

// Every partner in file order.
std::vector<PartnerRecord> readAllPartners(const std::filesystem::path& partnerFile);

// The five data files, the settings file and the further settings file, which a copy takes in this
// order.
std::vector<std::filesystem::path> dataFilesToCopy(const AppPaths& paths);

struct DataCopy {
    std::vector<std::filesystem::path> copied, failed; // target paths
};
// Copies each data file into `folder` under its own name, replacing a file there. The further settings
// file goes with the settings file when there is one; missing, it only means defaults, and is no failure.
DataCopy copyDataFiles(const AppPaths& paths, const std::filesystem::path& folder);

} // namespace zel
