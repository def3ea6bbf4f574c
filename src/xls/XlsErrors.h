#pragma once

#include "platform/Error.h"

// The workbook reader's errors: a data workbook that cannot be read, a sheet or a cell it lacks.
[[nodiscard]] Error xlsError(Error::Kind kind);

// The words of the workbook kinds, and of the platform's below them.
[[nodiscard]] QString xlsErrorText(const Error &error);

// "<what>:\n<file>[\n(su questo computer: <local path>)][\nfoglio N][, cella X][\n(<detail>)]": where in
// which workbook, for the errors about a workbook's contents of this layer and the ones above it.
[[nodiscard]] QString inWorkbook(const QString &what, const Error &error, bool withDetail = true);
