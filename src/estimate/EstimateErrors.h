#pragma once

#include "platform/Error.h"

// The estimate's errors: a table holding what the estimate cannot use, and the notices that answer
// choices of the analyst the estimate cannot take.
[[nodiscard]] Error estimateError(Error::Kind kind);

// The words of the estimate's kinds, and of the layers' below it.
[[nodiscard]] QString estimateErrorText(const Error &error);
