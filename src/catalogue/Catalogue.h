#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One substance of the built-in catalogue.
struct Substance
{
    QString name;
    QString cas; // e.g. "7664-41-7"
};

// The 253 substances in catalogue order (alphabetical under the name list's collation), and the
// CAS lists of the flammable-class quick pick. Both come from tables/*.tsv, which the sample-data
// generator reads too.
namespace Catalogue {

[[nodiscard]] const std::vector<Substance> &substances();

// The quick-pick CAS list of a flammable list code ("1_1_1" ... "2_3"), in list order; empty for
// any other code.
[[nodiscard]] QStringList quickPickCas(const QString &listCode);

} // namespace Catalogue
