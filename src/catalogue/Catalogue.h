#pragma once

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

struct HazardClass;

// One substance of the built-in catalogue.
struct Substance
{
    QString name;
    QString cas; // e.g. "7664-41-7"

    bool operator==(const Substance &other) const = default;
};

// The 253 substances in catalogue order (alphabetical under the name list's collation), and the
// CAS lists of the flammable-class quick pick. Both come from tables/*.tsv, which the sample-data
// generator reads too.
namespace Catalogue {

[[nodiscard]] const std::vector<Substance> &substances();

// The substance of a name, or of a CAS number: the last catalogue row that holds it exactly.
[[nodiscard]] std::optional<Substance> findByName(const QString &name);
[[nodiscard]] std::optional<Substance> findByCas(const QString &cas);

// The quick-pick CAS list of a flammable class, in list order (a number may be missing from the
// catalogue); empty for a toxic class.
[[nodiscard]] QStringList quickPickCas(const HazardClass &hazard);
// The catalogue's substances whose CAS number is on that list, in catalogue order.
[[nodiscard]] std::vector<Substance> quickPickSubstances(const HazardClass &hazard);

} // namespace Catalogue
