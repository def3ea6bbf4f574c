#pragma once

#include <QString>

// The orders of the main window's sorted substance lists. The name list sorts case-insensitively
// with hyphens ignored, which leaves the names exactly in catalogue order; the CAS list sorts in
// plain ascending string order.
namespace ListCollation {

[[nodiscard]] bool nameLess(const QString &left, const QString &right);
[[nodiscard]] bool casLess(const QString &left, const QString &right);

} // namespace ListCollation
