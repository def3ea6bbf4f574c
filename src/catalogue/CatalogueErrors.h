#pragma once

#include "platform/Error.h"

// The catalogue's errors: a data folder that is not as sealed, a CAS number of a class table.
[[nodiscard]] Error catalogueError(Error::Kind kind);

// The words of the catalogue's kinds, and of the layers' below it.
[[nodiscard]] QString catalogueErrorText(const Error &error);
