#pragma once

#include "core/app/paths.h"
#include "core/sync/address_book_plan.h"

#include <cstddef>
#include <vector>

namespace zel {

// Makes a sync's writes to the partner file in one rewrite, then to the name-day file and the
// birthday file in one each, every one all or nothing. Each write lands where the program's own
// would: a new or changed partner at its ordered place, a birthday among those of its date. A
// partner deleted or renamed loses its name days and birthdays, as the program's own delete and
// rename take them; a birthday set changes the day of the name's first birthday record, or adds
// one. An update or delete of a name the file no longer holds is left out. Returns how many partner
// writes were made.
std::size_t applyLocalWrites(const AppPaths& paths, const std::vector<LocalWrite>& writes);

} // namespace zel
