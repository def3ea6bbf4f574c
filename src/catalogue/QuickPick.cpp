#include "catalogue/QuickPick.h"

#include "app/ProgramState.h"
#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"

#include <QSet>

QString QuickPickClassCode(const QString &entry)
{
    for (std::size_t i = 0; i < kFlammableClassCount; ++i) {
        const QString &code = hazardClasses()[i].listCode;
        if (entry.left(code.size()) == code)
            return code;
    }
    return {};
}

QuickPickResult FlammableClassQuickPick(ProgramState &state, const QString &entry)
{
    state.selectionMode = 1;
    QuickPickResult result;
    result.listCode = QuickPickClassCode(entry);
    if (result.listCode.isEmpty())
        return result;

    state.selectionMode = 2;
    result.casList = Catalogue::quickPickCas(result.listCode);
    const QSet<QString> wanted(result.casList.cbegin(), result.casList.cend());
    const int count = std::min(state.savedCasCount, kCatalogueTableSize);
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        const QString &name = state.savedCatalogueNames[at];
        if (!name.isEmpty() && wanted.contains(state.savedCatalogueCas[at]))
            result.nameList << name;
    }
    return result;
}
