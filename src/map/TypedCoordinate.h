#pragma once

#include <QString>

#include <optional>

namespace map {

// A ground coordinate as an analyst types it: an optional sign, digits with at most one decimal
// separator, a point or a comma alike ("480420,5" is "480420.5"), blanks around it, and after degrees
// their sign ("45,5°"). Nothing for any other text, thousands separators ("480.420,5", "480 420") and
// exponents included: a number read otherwise than it was meant would place the incident elsewhere.
// Read alike whatever the locale.
[[nodiscard]] std::optional<double> typedCoordinate(const QString &text);

} // namespace map
