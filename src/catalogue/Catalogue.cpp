#include "catalogue/Catalogue.h"

#include <QHash>

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

QStringList quickPickCas(const QString &listCode)
{
    static const QHash<QString, QStringList> lists = [] {
        QHash<QString, QStringList> byCode;
        for (const QStringList &fields : dataLines(kQuickPickTsv))
            byCode.insert(fields.value(0), fields.value(1).split(QLatin1Char(' '), Qt::SkipEmptyParts));
        return byCode;
    }();
    return lists.value(listCode);
}

} // namespace Catalogue
