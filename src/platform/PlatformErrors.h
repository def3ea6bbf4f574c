#pragma once

#include "platform/Error.h"

// The platform's errors: files, the configuration file, launching programs, the user's drive root.
[[nodiscard]] Error platformError(Error::Kind kind);

// The words of the platform's kinds. A kind no layer words is told as an operation that failed,
// with its file and detail, never as nothing.
[[nodiscard]] QString platformErrorText(const Error &error);
