#pragma once

#include "site/SiteRun.h"

#include <QByteArray>

namespace site {

// risultati.csv: one row per item, in inventory order: the inputs as understood, the position, the
// scenario and the eight distances (metres, "more than" mark, the text of the report, the toxic
// sub-class), or the item's error. UTF-8 with a byte-order mark, `;` between fields and decimal
// commas, so that a spreadsheet program in the Italian locale opens it straight into its columns.
[[nodiscard]] QByteArray resultsCsv(const SiteRun &run);

// risultati.json: the same rows, each estimate as zefro-estimate --json gives it.
[[nodiscard]] QByteArray resultsJson(const SiteRun &run);

// elementi.csv, written as risultati.csv is: one row per vulnerable element and item that reaches it,
// by item, then zone, then distance: the item's id, the innermost zone it reaches the element with and
// that zone's threshold, the element's name, category, type and people, and its distance in metres
// from the item. Only the heading without elements.
[[nodiscard]] QByteArray elementsCsv(const SiteRun &run);

} // namespace site
