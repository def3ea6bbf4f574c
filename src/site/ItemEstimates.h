#pragma once

#include "site/SiteRun.h"
#include "xls/Workbook.h"

#include <functional>
#include <optional>
#include <vector>

namespace site {

// Told before each item with how many are done and how many there are; answers false to stop the run.
using ItemProgress = std::function<bool(int done, int total)>;

// Every item of an inventory estimated on the same chain as the windows (with a CachingWorkbookOpener,
// each workbook is opened once for the whole run). A row the reader could not understand, a refused order or a data error fails that
// item alone, with its message; the other items go on. Nothing when the progress stopped the run.
[[nodiscard]] std::optional<std::vector<ItemOutcome>> estimateItems(const WorkbookOpener &opener,
                                                                    const Inventory &inventory,
                                                                    const ItemProgress &progress = {});

// A refused order in the inventory's terms (its columns), for an item's failure.
[[nodiscard]] QString refusalText(const OrderRefusal &refusal, const EstimateOrder &order);

// "riga 7 (S3 serbatoio propano): <message>": how a failed item is named on standard error.
[[nodiscard]] QString itemLine(const InventoryItem &item, const QString &message);

// "12 voci stimate, 1 non stimata": how a run's end tells its counts, in the windows and on the terminal.
[[nodiscard]] QString countsText(const SiteRun &run);

} // namespace site
