#pragma once

#include <QString>
#include <QStringList>

#include <optional>

struct ProgramState;

// The catalogue as the main window's lists carry it, and the name/CAS pairing between them.
// The name list is sorted under the list collation (case-insensitive, hyphens ignored), which
// leaves the names exactly in catalogue order: position i of the name list and position i of the
// unsorted CAS list belong to the same substance. The visible CAS list is sorted in plain ascending
// string order, so its positions say nothing about the rows.
namespace CatalogueSelection {

// The order of the sorted name list.
[[nodiscard]] bool nameLess(const QString &left, const QString &right);
// The order of the sorted CAS list.
[[nodiscard]] bool casLess(const QString &left, const QString &right);

// The catalogue's names and CAS numbers, in catalogue row order.
[[nodiscard]] QStringList names();
[[nodiscard]] QStringList casNumbers();

// Builds savedCatalogueNames, savedCatalogueCas, savedNameCount and savedCasCount from the items of
// the name list and of the unsorted CAS list. Positions 0 to the count inclusive are written (the one
// at the count gets the empty string), positions above are cleared; items past the table end are
// left out.
void storeTables(ProgramState &state, const QStringList &nameItems, const QStringList &casRowItems);

// The CAS number paired with a name: the unsorted CAS list's item at the position where the name
// list holds exactly `name` (the last such position). Nothing when no item matches.
[[nodiscard]] std::optional<QString> casOfName(const QStringList &nameItems, const QStringList &casRowItems,
                                               const QString &name);

// The name paired with a CAS number, from the saved tables (the last matching position).
[[nodiscard]] std::optional<QString> nameOfCas(const ProgramState &state, const QString &cas);

} // namespace CatalogueSelection
