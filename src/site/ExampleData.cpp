#include "site/ExampleData.h"

#include "catalogue/HazardClass.h"

#include <set>

namespace site {

bool estimatedFromExampleData(const WorkbookOpener &opener, const std::vector<ItemOutcome> &items)
{
    std::set<const HazardClass *> classes;
    for (const ItemOutcome &outcome : items) {
        if (outcome.estimate)
            classes.insert(outcome.estimate->hazardClass);
    }
    for (const HazardClass *hazard : classes) {
        const Outcome<WorkbookHandle> book = opener.open(kDataFolder + hazard->workbookFile);
        if (!book.ok())
            continue;
        const Outcome<CellValue> note
            = book.value()->readCell(1, hazard->isToxic() ? QStringLiteral("E1") : QStringLiteral("A12"));
        if (note.ok() && note.value().toText().startsWith(QLatin1String("DATI DI ESEMPIO / EXAMPLE DATA")))
            return true;
    }
    return false;
}

} // namespace site
