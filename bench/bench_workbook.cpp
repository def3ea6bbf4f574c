// The workbook reader at the size of one class lookup: eleven workbooks opened and 424 table rows
// read (280 CAS cells of the flammable tables, CAS and zone cells of 144 toxic rows), as the
// lookup does on every call. tools/bench/compare_class_lookup.sh sets it beside the same reads
// done by python3-xlrd.
#include "catalogue/HazardClass.h"
#include "xls/CellAddress.h"
#include "xls/XlsWorkbookOpener.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ClassLookupReads(benchmark::State &state)
{
    // The bundled example tables hold the eleven class workbooks a lookup opens.
    const XlsWorkbookOpener opener{DrivePaths(QStringLiteral(ZEFRO_BUNDLED_TREE))};
    int rows = 0;
    for (auto _ : state) {
        rows = 0;
        for (const HazardClass &hazard : hazardClasses()) {
            const auto opened = opener.open(kDataFolder + hazard.workbookFile);
            if (!opened.ok()) {
                state.SkipWithError(qPrintable(opened.error().message()));
                return;
            }
            const Workbook &book = *opened.value();
            for (int row = hazard.firstRow; row <= hazard.lastRow; ++row, ++rows) {
                const auto cas = book.readCell(hazard.worksheet, cellAddress(hazard.casColumn, row));
                if (!cas.ok()) {
                    state.SkipWithError(qPrintable(cas.error().message()));
                    return;
                }
                benchmark::DoNotOptimize(cas.value().toText());
                if (hazard.isToxic()) {
                    const auto zone = book.readCell(hazard.worksheet, cellAddress(hazard.zoneColumn, row));
                    benchmark::DoNotOptimize(zone.ok() && zone.value().toNumber() > 0);
                }
            }
        }
    }
    state.counters["rows"] = rows;
    state.SetLabel(DrivePaths(QStringLiteral(ZEFRO_BUNDLED_TREE)).toLocal(kDataFolder).toStdString());
}
BENCHMARK(BM_ClassLookupReads)->Unit(benchmark::kMillisecond);

// Opening alone (the file read, its container and records checked, the cells kept), for the
// share of the lookup that goes to opening.
void BM_OpenClassWorkbook(benchmark::State &state)
{
    const XlsWorkbookOpener opener{DrivePaths(QStringLiteral(ZEFRO_BUNDLED_TREE))};
    const QString path = kDataFolder + hazardClasses().front().workbookFile;
    for (auto _ : state) {
        const auto opened = opener.open(path);
        if (!opened.ok()) {
            state.SkipWithError(qPrintable(opened.error().message()));
            return;
        }
        benchmark::DoNotOptimize(opened.value()->sheetCount());
    }
}
BENCHMARK(BM_OpenClassWorkbook)->Unit(benchmark::kMicrosecond);

// Cells of a LibreOffice Calc workbook, formulas among them: lookups in the cells kept at opening.
void BM_ReadFormulaCells(benchmark::State &state)
{
    const auto opened = openXlsWorkbook(QStringLiteral(ZEFRO_SOURCE_DIR "/tests/data/workbooks/formulas.xls"),
                                        QStringLiteral("formulas.xls"));
    if (!opened.ok()) {
        state.SkipWithError(qPrintable(opened.error().message()));
        return;
    }
    const QStringList cells{QStringLiteral("B1"), QStringLiteral("B3"), QStringLiteral("C4"), QStringLiteral("AB3")};
    for (auto _ : state) {
        for (const QString &cell : cells)
            benchmark::DoNotOptimize(opened.value()->readCell(1, cell).ok());
    }
    state.SetItemsProcessed(state.iterations() * cells.size());
}
BENCHMARK(BM_ReadFormulaCells);

} // namespace
