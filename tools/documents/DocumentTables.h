#pragma once

#include <QString>

// The generated parts of the help documents, as HTML fragments.
namespace DocumentTables {

// The catalogue: number, name and CAS number of every substance, in catalogue order.
[[nodiscard]] QString substancesAlphabetical();

// The eleven hazard classes: list code, report label, description, kind and workbook.
[[nodiscard]] QString classList();

// The substances of every class as the class workbooks in workbookFolder list them (flammable
// classes: worksheet 6, CAS in A and name in B; toxic classes: worksheet 1 from row 4, zone in A,
// name in B, CAS in C). An unreadable workbook is an error: *error says which.
[[nodiscard]] QString substancesByClass(const QString &workbookFolder, QString *error);

} // namespace DocumentTables
