#include "app/CatalogueSelection.h"

#include "app/ProgramState.h"
#include "catalogue/Catalogue.h"

namespace CatalogueSelection {

namespace {

QString collationKey(const QString &text)
{
    QString key = text.toCaseFolded();
    key.remove(QLatin1Char('-'));
    return key;
}

QString itemOrEmpty(const QStringList &items, int position)
{
    // Reading one past the end of a list yields the empty string.
    return position >= 0 && position < items.size() ? items.at(position) : QString();
}

} // namespace

bool nameLess(const QString &left, const QString &right)
{
    const int byKey = QString::compare(collationKey(left), collationKey(right), Qt::CaseSensitive);
    if (byKey != 0)
        return byKey < 0;
    return left < right; // a fixed order for texts that differ only in case or hyphens
}

bool casLess(const QString &left, const QString &right)
{
    return left < right;
}

QStringList names()
{
    QStringList result;
    for (const Substance &substance : Catalogue::substances())
        result << substance.name;
    return result;
}

QStringList casNumbers()
{
    QStringList result;
    for (const Substance &substance : Catalogue::substances())
        result << substance.cas;
    return result;
}

void storeTables(ProgramState &state, const QStringList &nameItems, const QStringList &casRowItems)
{
    const auto fill = [](auto &table, const QStringList &items) {
        for (int i = 0; i < int(table.size()); ++i)
            table[std::size_t(i)] = i <= items.size() ? itemOrEmpty(items, i) : QString();
    };
    fill(state.savedCatalogueNames, nameItems);
    fill(state.savedCatalogueCas, casRowItems);
    state.savedNameCount = int(nameItems.size());
    state.savedCasCount = int(casRowItems.size());
}

std::optional<QString> casOfName(const QStringList &nameItems, const QStringList &casRowItems,
                                 const QString &name)
{
    std::optional<QString> found;
    for (int i = 0; i <= nameItems.size(); ++i) {
        if (itemOrEmpty(nameItems, i) == name)
            found = itemOrEmpty(casRowItems, i);
    }
    return found;
}

std::optional<QString> nameOfCas(const ProgramState &state, const QString &cas)
{
    std::optional<QString> found;
    const int last = std::min(state.savedCasCount, kCatalogueTableSize - 1);
    for (int i = 0; i <= last; ++i) {
        if (state.savedCatalogueCas[std::size_t(i)] == cas)
            found = state.savedCatalogueNames[std::size_t(i)];
    }
    return found;
}

} // namespace CatalogueSelection
