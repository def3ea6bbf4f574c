#pragma once

#include "cli/EstimateCommandLine.h"

class DrivePaths;
class WorkbookOpener;

// The outcome of zefro-estimate --inventory, for the exit status.
enum class InventoryCommandStatus {
    AllDone, // every item estimated, the folder written
    SomeFailed, // the folder written, some items failed (each said on standard error)
    DataError, // the tables, the map, the elements or the folder could not be used: nothing written
    UsageError, // the inventory is unreadable or malformed, the folder not to be replaced: nothing written
};

// Runs a site inventory: every item estimated on the tables `opener` reads, each failed item said on
// standard error as "riga N (id): message", progress ("elemento N di M") on standard error when it is
// a terminal and there are more than 20 items, and the outputs written in the folder all at once.
[[nodiscard]] InventoryCommandStatus runInventoryCommand(const DrivePaths &drives, const WorkbookOpener &opener,
                                                         const EstimateRequest::InventoryRun &run);
