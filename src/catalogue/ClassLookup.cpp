#include "catalogue/ClassLookup.h"

#include "catalogue/CasNumber.h"
#include "catalogue/CatalogueErrors.h"
#include "xls/CellAddress.h"

const ClassMatch *ClassLookup::lastMatchOf(const HazardClass &hazard) const
{
    const ClassMatch *last = nullptr;
    for (const ClassMatch &match : matches) {
        if (match.hazard->listCode == hazard.listCode)
            last = &match;
    }
    return last;
}

Outcome<ClassLookup> lookUpSubstanceClasses(const WorkbookOpener &opener, const std::optional<Substance> &substance,
                                            const ClassLookupProgress &progress)
{
    const QString cas = substance ? substance->cas : QString();
    const CellValue wanted = CellValue::text(cas);
    ClassLookup found;
    int table = 0;
    for (const HazardClass &hazard : hazardClasses()) {
        ++table;
        if (progress)
            progress(table);

        const Outcome<WorkbookHandle> opened = opener.open(kDataFolder + hazard.workbookFile);
        if (!opened.ok())
            return opened.error();
        const Workbook &book = *opened.value();
        found.workbooks[hazard.index()] = opened.value();

        for (int row = hazard.firstRow; row <= hazard.lastRow; ++row) {
            const QString casAddress = cellAddress(hazard.casColumn, row);
            const Outcome<CellValue> casCell = book.readCell(hazard.worksheet, casAddress);
            if (!casCell.ok())
                return casCell.error();
            // A quick pick looks for no substance, so no table row can hide one from it.
            if (!cas.isEmpty()) {
                if (const Status sound = checkCasCell(casCell.value(), book.name(), hazard.worksheet, casAddress);
                    !sound.ok())
                    return sound.error();
            }
            CellValue zone;
            if (hazard.isToxic()) {
                const Outcome<CellValue> zoneCell
                    = book.readCell(hazard.worksheet, cellAddress(hazard.zoneColumn, row));
                if (!zoneCell.ok())
                    return zoneCell.error();
                zone = zoneCell.value();
            }
            // An empty cell equals the empty text: an empty CAS number must not match the blank rows.
            if (!cas.isEmpty() && casCell.value() == wanted)
                found.matches.push_back({&hazard, zone});
        }
    }
    return found;
}

Status checkCasCell(const CellValue &cell, const QString &book, int sheet, const QString &address)
{
    if (!cell.isText() || !isMistypedCasNumber(cell.toText()))
        return Done{};
    Error error = catalogueError(Error::Kind::BadCasNumber);
    error.file = book;
    error.sheet = sheet;
    error.cell = address;
    error.detail = cell.toText();
    return error;
}
