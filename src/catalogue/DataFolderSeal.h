#pragma once

#include "platform/DataSeal.h"
#include "platform/DrivePaths.h"

#include <optional>

// The seal of the data folder under the drive root: nullopt when it has none; an error when the seal
// cannot be read.
[[nodiscard]] Outcome<std::optional<DataSeal::Seal>> dataFolderSeal(const DrivePaths &drives);

// One line for the windows on how the data folder stands: sealed (when, how many tables), not sealed
// (so nothing checks that the tables are the approved ones), or its seal unreadable.
[[nodiscard]] QString dataFolderSealLine(const Outcome<std::optional<DataSeal::Seal>> &seal);
