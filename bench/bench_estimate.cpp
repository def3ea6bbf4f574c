// The classification and the estimate on the bundled example data, through the real workbook
// reader: one class lookup (eleven workbooks opened, 424 table rows read) and one estimate step of
// a toxic and of a flammable class (a toxic one reads the correspondence rows, the zone matrix and
// the sub-class workbooks).
#include "catalogue/HazardClass.h"
#include "estimate/EstimateChain.h"
#include "xls/XlsWorkbookOpener.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

XlsWorkbookOpener bundledOpener()
{
    return XlsWorkbookOpener{DrivePaths(QStringLiteral(ZEFRO_BUNDLED_TREE))};
}

void BM_ClassLookup(benchmark::State &state)
{
    const XlsWorkbookOpener opener = bundledOpener();
    const std::optional<Substance> ammonia = Catalogue::findByCas(QStringLiteral("7664-41-7"));
    std::size_t found = 0;
    for (auto _ : state) {
        const Outcome<ClassLookup> lookup = lookUpSubstanceClasses(opener, ammonia);
        if (!lookup.ok()) {
            state.SkipWithError(qPrintable(lookup.error().message()));
            return;
        }
        found = lookup.value().matches.size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["classes_found"] = double(found);
}
BENCHMARK(BM_ClassLookup)->Unit(benchmark::kMillisecond);

// The substance, its class and a fixed storage without bund, then the estimate of one quantity
// entry once per iteration.
void runFixedStorageEstimates(benchmark::State &state, const QString &name, const QString &classCode,
                              Hypothesis hypothesis, std::size_t quantityEntry)
{
    const XlsWorkbookOpener opener = bundledOpener();
    EstimateChain chain(opener);
    const auto found = chain.lookUpClasses(Catalogue::findByName(name));
    const HazardClass *hazard = findHazardClass(classCode);
    if (!found.ok() || std::find(found.value().begin(), found.value().end(), hazard) == found.value().end()) {
        state.SkipWithError("the substance is not in the class");
        return;
    }
    chain.chooseClass(*hazard);
    const auto offered = chain.chooseContainment(hypothesis, Containment::UnbundedStorage);
    if (!offered.ok() || offered.value().size() <= quantityEntry) {
        state.SkipWithError("no such quantity entry");
        return;
    }
    int lowerBounds = 0;
    for (auto _ : state) {
        const Outcome<Estimate> estimate = chain.estimate(quantityEntry);
        if (!estimate.ok()) {
            state.SkipWithError(qPrintable(estimate.error().message()));
            return;
        }
        lowerBounds = int(std::count_if(estimate.value().distances.begin(), estimate.value().distances.end(),
                                        [](const DamageDistance &distance) { return distance.lowerBound; }));
        benchmark::DoNotOptimize(estimate.value().distances);
    }
    state.counters["marks"] = lowerBounds;
}

// Phosgene (class 51, zone 20), 200-1000 t, "Ipotesi media": the most toxic sub-class of its family,
// so the estimate also falls back to the one below it.
void BM_ToxicEstimate(benchmark::State &state)
{
    runFixedStorageEstimates(state, QStringLiteral("Fosgene"), QStringLiteral("51"), Hypothesis::Average, 4);
}
BENCHMARK(BM_ToxicEstimate)->Unit(benchmark::kMillisecond);

// Ammonia as a flammable liquefied gas (class 2_1_2), the fourth quantity range, "Ipotesi più
// probabile": the eight distances of one row of the range table.
void BM_FlammableEstimate(benchmark::State &state)
{
    runFixedStorageEstimates(state, QStringLiteral("Ammoniaca"), QStringLiteral("2_1_2"), Hypothesis::MostLikely, 3);
}
BENCHMARK(BM_FlammableEstimate)->Unit(benchmark::kMicrosecond);

} // namespace
