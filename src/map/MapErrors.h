#pragma once

#include "platform/Error.h"

namespace map {

// The map layer's errors: a scale written by the analyst, a map file that cannot be opened, read,
// georeferenced or saved, damage areas that cannot be drawn on it.
[[nodiscard]] Error mapError(Error::Kind kind);

// The words of the map layer's kinds, and of the layers' below it.
[[nodiscard]] QString mapErrorText(const Error &error);

} // namespace map
