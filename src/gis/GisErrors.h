#pragma once

#include "platform/Error.h"

namespace gis {

// The GIS export's errors: damage areas that cannot be written to a GIS file.
[[nodiscard]] Error gisError(Error::Kind kind);

// The words of the GIS export's kinds, and of the layers' below it.
[[nodiscard]] QString gisErrorText(const Error &error);

} // namespace gis
