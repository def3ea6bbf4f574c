#pragma once

#include "platform/Error.h"

namespace site {

// The site inventory's errors: an inventory that cannot be read, or is no inventory.
[[nodiscard]] Error siteError(Error::Kind kind);

// The words of the inventory's kinds, and of the layers' below it.
[[nodiscard]] QString siteErrorText(const Error &error);

} // namespace site
