#pragma once

#include "site/SiteRun.h"
#include "xls/Workbook.h"

namespace site {

// Whether the class tables the items were estimated from are the bundled example tables: each says so
// in a note cell the estimate never reads (A12 of a flammable class's first worksheet, E1 of a toxic
// one's), which official tables do not have.
[[nodiscard]] bool estimatedFromExampleData(const WorkbookOpener &opener, const std::vector<ItemOutcome> &items);

} // namespace site
