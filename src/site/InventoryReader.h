#pragma once

#include "platform/Error.h"
#include "site/Inventory.h"

#include <QString>

namespace site {

// Reads a site inventory through GDAL's vector drivers: the first layer of a CSV file (";" or ","
// separated, UTF-8 or Latin-1/Windows-1252), an XLSX or ODS workbook (its first sheet, the first row
// the header), a GeoPackage, GeoJSON or shapefile (a point layer's geometry places its items).
// InventoryUnreadable when the file cannot be read as a table; InventoryMalformed when it is no
// inventory (no rows, a required column missing, a row without id, an id twice). A row whose own
// values cannot be understood is an item with a problem; the other rows are unaffected.
[[nodiscard]] Outcome<Inventory> readInventory(const QString &localPath);

} // namespace site
