#include "catalogue/ClassLookup.h"

#include "app/ProgramState.h"
#include "catalogue/HazardClass.h"
#include "estimate/CellAddress.h"

ClassLookupResult LookupSubstanceClasses(ProgramState &state, const WorkbookOpener &opener, const QString &casText,
                                         const ClassLookupProgress &progress)
{
    state.toxicClassFound = false;
    state.classCode = 0;
    state.toxicZone = CellValue();
    state.gasClass = false;
    state.classWorkbooks.fill(nullptr);

    const CellValue wanted = CellValue::text(casText);
    ClassLookupResult result;
    int table = 0;
    for (const HazardClass &hazard : hazardClasses()) {
        const auto slot = static_cast<std::size_t>(table);
        ++table;
        if (progress)
            progress(table);

        const Outcome<WorkbookHandle> opened = opener.open(kDataFolder + hazard.workbookFile);
        if (!opened.ok()) {
            result.error = opened.error();
            return result;
        }
        const WorkbookHandle book = opened.value();
        state.classWorkbooks[slot] = book;

        for (int row = hazard.firstRow; row <= hazard.lastRow; ++row) {
            const Outcome<CellValue> cas = book->readCell(hazard.worksheet, cellAddress(hazard.casColumn, row));
            if (!cas.ok()) {
                result.error = cas.error();
                return result;
            }
            CellValue zone;
            if (hazard.isToxic()) {
                const Outcome<CellValue> zoneCell = book->readCell(hazard.worksheet, cellAddress(hazard.zoneColumn, row));
                if (!zoneCell.ok()) {
                    result.error = zoneCell.error();
                    return result;
                }
                zone = zoneCell.value();
            }
            // An empty cell equals the empty text: an empty CAS field must not match the blank rows.
            if (casText.isEmpty() || !(cas.value() == wanted))
                continue;
            result.entries << hazard.listEntry;
            state.gasClass = hazard.gas;
            if (hazard.classCode != 0)
                state.classCode = hazard.classCode;
            if (hazard.isToxic()) {
                state.toxicClassFound = true;
                state.toxicZone = zone;
            }
        }
    }
    return result;
}

void ChooseSubstanceClass(ProgramState &state, const QString &chosenEntry)
{
    const auto &classes = hazardClasses();
    if (state.toxicClassFound) {
        state.classCode = 0;
        bool toxicEntry = false;
        for (const HazardClass &hazard : classes) {
            if (hazard.isToxic() && chosenEntry == hazard.listEntry) {
                state.classCode = hazard.classCode;
                toxicEntry = true;
            }
        }
        if (!toxicEntry)
            state.toxicClassFound = false;
    }
    // Class 2_3 is the one flammable class with a code of its own.
    const HazardClass &compressedGas = classes[kFlammableClassCount - 1];
    if (chosenEntry == compressedGas.listEntry)
        state.classCode = compressedGas.classCode;
}
