// The classification and the estimate on the bundled example data, through the real workbook
// reader: one class lookup (eleven workbooks opened, 424 table rows read) and one toxic estimate
// (the Command1 step: correspondence, zone matrix, sub-class workbooks, texts).
#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "catalogue/HazardClass.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/DistanceLookup.h"
#include "estimate/XlsWorkbookOpener.h"

#include <benchmark/benchmark.h>

namespace {

const QString kLikely = QStringLiteral("Ipotesi più probabile");
const QString kAverage = QStringLiteral("Ipotesi media");

XlsWorkbookOpener bundledOpener()
{
    return XlsWorkbookOpener{DrivePaths(QStringLiteral(ZEFRO_BUNDLED_TREE))};
}

void BM_ClassLookup(benchmark::State &state)
{
    const XlsWorkbookOpener opener = bundledOpener();
    ProgramState program;
    int entries = 0;
    for (auto _ : state) {
        const ClassLookupResult result = LookupSubstanceClasses(program, opener, QStringLiteral("7664-41-7"));
        if (result.error) {
            state.SkipWithError(qPrintable(result.error->message()));
            return;
        }
        entries = int(result.entries.size());
        benchmark::DoNotOptimize(entries);
    }
    state.counters["classes_found"] = entries;
}
BENCHMARK(BM_ClassLookup)->Unit(benchmark::kMillisecond);

// Phosgene (class 51, zone 20) in a fixed storage without bund, 200-1000 t, "Ipotesi media": the
// most toxic sub-class of its family, so the estimate also falls back to the one below it.
void BM_ToxicEstimate(benchmark::State &state)
{
    const XlsWorkbookOpener opener = bundledOpener();
    ProgramState program;
    const QString cas = QStringLiteral("75-44-5");
    (void)LookupSubstanceClasses(program, opener, cas);
    const QString classEntry = QStringLiteral("51 Gas tossici liquefatti per compressione");
    ChooseSubstanceClass(program, classEntry);
    const QString type = containmentTypes()[1];
    const ContainmentOutcome containment = ChooseContainment(program, opener, {type, classEntry, QString(), kAverage});
    if (!containment.quantityEntries || containment.quantityEntries->size() < 5) {
        state.SkipWithError(qPrintable(QStringLiteral("no quantity list: ") + containment.message));
        return;
    }
    const EstimateInput input{QStringLiteral("Fosgene"),
                              cas,
                              classEntry,
                              type,
                              QStringList(containmentTypes().cbegin(), containmentTypes().cend()),
                              kAverage,
                              containment.quantityEntries->at(4),
                              *containment.quantityEntries,
                              QStringLiteral("diametro della condotta"),
                              {}};
    for (auto _ : state) {
        const EstimateOutcome out = RunEstimate(program, opener, input);
        if (!out.completed) {
            state.SkipWithError(qPrintable(out.message));
            return;
        }
        benchmark::DoNotOptimize(program.result.damageDistance);
    }
    state.counters["marks"] = std::count(program.result.greaterThan.begin(), program.result.greaterThan.end(), true);
}
BENCHMARK(BM_ToxicEstimate)->Unit(benchmark::kMillisecond);

// Ammonia as a flammable liquefied gas (class 2_1_2) in a fixed storage without bund, the fourth
// quantity range, "Ipotesi più probabile": the range table and the eight distances of one row.
void BM_FlammableEstimate(benchmark::State &state)
{
    const XlsWorkbookOpener opener = bundledOpener();
    ProgramState program;
    const QString cas = QStringLiteral("7664-41-7");
    (void)LookupSubstanceClasses(program, opener, cas);
    QString classEntry;
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == QLatin1String("2_1_2"))
            classEntry = hazard.listEntry;
    }
    ChooseSubstanceClass(program, classEntry);
    const QString type = containmentTypes()[1];
    const ContainmentOutcome containment = ChooseContainment(program, opener, {type, classEntry, QString(), kLikely});
    if (!containment.quantityEntries || containment.quantityEntries->size() < 4) {
        state.SkipWithError(qPrintable(QStringLiteral("no quantity list: ") + containment.message));
        return;
    }
    const EstimateInput input{QStringLiteral("Ammoniaca"),
                              cas,
                              classEntry,
                              type,
                              QStringList(containmentTypes().cbegin(), containmentTypes().cend()),
                              kLikely,
                              containment.quantityEntries->at(3),
                              *containment.quantityEntries,
                              QStringLiteral("diametro della condotta"),
                              {}};
    for (auto _ : state) {
        const EstimateOutcome out = RunEstimate(program, opener, input);
        if (!out.completed) {
            state.SkipWithError(qPrintable(out.message));
            return;
        }
        benchmark::DoNotOptimize(program.result.damageDistance);
    }
}
BENCHMARK(BM_FlammableEstimate)->Unit(benchmark::kMillisecond);

} // namespace
