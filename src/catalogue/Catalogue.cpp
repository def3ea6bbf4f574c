#include "catalogue/Catalogue.h"

#include "catalogue/HazardClass.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace {

// Raw texts of tables/substances.tsv and tables/quickpick.tsv, embedded by the build.
#include "catalogue_tables.inc"

std::vector<QStringList> dataLines(const char *text)
{
    std::vector<QStringList> rows;
    for (const QString &line : QString::fromUtf8(text).split(QLatin1Char('\n'))) {
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        rows.push_back(line.split(QLatin1Char('\t')));
    }
    return rows;
}

template <typename Matches> std::optional<Substance> lastRowWhere(Matches matches)
{
    const auto &rows = Catalogue::substances();
    const auto found = std::find_if(rows.rbegin(), rows.rend(), matches);
    if (found == rows.rend())
        return std::nullopt;
    return *found;
}

} // namespace

namespace Catalogue {

const std::vector<Substance> &substances()
{
    static const std::vector<Substance> table = [] {
        std::vector<Substance> rows;
        for (const QStringList &fields : dataLines(kSubstancesTsv))
            rows.push_back({fields.value(1), fields.value(2)});
        return rows;
    }();
    return table;
}

std::optional<Substance> findByName(const QString &name)
{
    return lastRowWhere([&](const Substance &substance) { return substance.name == name; });
}

std::optional<Substance> findByCas(const QString &cas)
{
    return lastRowWhere([&](const Substance &substance) { return substance.cas == cas; });
}

QStringList quickPickCas(const HazardClass &hazard)
{
    static const QHash<QString, QStringList> lists = [] {
        QHash<QString, QStringList> byCode;
        for (const QStringList &fields : dataLines(kQuickPickTsv))
            byCode.insert(fields.value(0), fields.value(1).split(QLatin1Char(' '), Qt::SkipEmptyParts));
        return byCode;
    }();
    return lists.value(hazard.listCode);
}

std::vector<Substance> quickPickSubstances(const HazardClass &hazard)
{
    const QStringList cas = quickPickCas(hazard);
    const QSet<QString> wanted(cas.cbegin(), cas.cend());
    std::vector<Substance> picked;
    for (const Substance &substance : substances()) {
        if (!substance.name.isEmpty() && wanted.contains(substance.cas))
            picked.push_back(substance);
    }
    return picked;
}

} // namespace Catalogue
