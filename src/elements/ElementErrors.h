#pragma once

#include "platform/Error.h"

namespace elements {

// The vulnerable elements' errors: a layer that cannot be read, or that cannot be used on the map.
[[nodiscard]] Error elementsError(Error::Kind kind);

// The words of the elements' kinds, and of the layers' below them.
[[nodiscard]] QString elementsErrorText(const Error &error);

} // namespace elements
