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

#include <algorithm>
#include <optional>

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

// Chooses the substance, its class and a fixed storage without bund as the main window does, and
// returns the estimate's input for the given quantity entry; nullopt (with the reason) when the
// bundled data offers no such entry.
std::optional<EstimateInput> fixedStorageEstimate(ProgramState &program, const WorkbookOpener &opener,
                                                  const QString &name, const QString &cas,
                                                  const QString &classEntry, const QString &hypothesis,
                                                  int quantityEntry, QString *reason)
{
    (void)LookupSubstanceClasses(program, opener, cas);
    ChooseSubstanceClass(program, classEntry);
    const QString type = containmentTypes()[1];
    const ContainmentOutcome containment = ChooseContainment(program, opener, {type, classEntry, QString(), hypothesis});
    if (!containment.quantityEntries || containment.quantityEntries->size() <= quantityEntry) {
        *reason = QStringLiteral("no quantity list: ") + containment.message;
        return std::nullopt;
    }
    return EstimateInput{name,
                         cas,
                         classEntry,
                         type,
                         QStringList(containmentTypes().cbegin(), containmentTypes().cend()),
                         hypothesis,
                         containment.quantityEntries->at(quantityEntry),
                         *containment.quantityEntries,
                         QStringLiteral("diametro della condotta"),
                         {}};
}

// Runs the estimate once per iteration.
void runEstimates(benchmark::State &state, ProgramState &program, const WorkbookOpener &opener,
                  const EstimateInput &input)
{
    for (auto _ : state) {
        const EstimateOutcome out = RunEstimate(program, opener, input);
        if (!out.completed) {
            state.SkipWithError(qPrintable(out.message));
            return;
        }
        benchmark::DoNotOptimize(program.result.damageDistance);
    }
}

// Phosgene (class 51, zone 20) in a fixed storage without bund, 200-1000 t, "Ipotesi media": the
// most toxic sub-class of its family, so the estimate also falls back to the one below it.
void BM_ToxicEstimate(benchmark::State &state)
{
    const XlsWorkbookOpener opener = bundledOpener();
    ProgramState program;
    QString reason;
    const std::optional<EstimateInput> input = fixedStorageEstimate(
        program, opener, QStringLiteral("Fosgene"), QStringLiteral("75-44-5"),
        QStringLiteral("51 Gas tossici liquefatti per compressione"), kAverage, 4, &reason);
    if (!input) {
        state.SkipWithError(qPrintable(reason));
        return;
    }
    runEstimates(state, program, opener, *input);
    state.counters["marks"] = std::count(program.result.greaterThan.begin(), program.result.greaterThan.end(), true);
}
BENCHMARK(BM_ToxicEstimate)->Unit(benchmark::kMillisecond);

// Ammonia as a flammable liquefied gas (class 2_1_2) in a fixed storage without bund, the fourth
// quantity range, "Ipotesi più probabile": the range table and the eight distances of one row.
void BM_FlammableEstimate(benchmark::State &state)
{
    const XlsWorkbookOpener opener = bundledOpener();
    ProgramState program;
    QString classEntry;
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == QLatin1String("2_1_2"))
            classEntry = hazard.listEntry;
    }
    QString reason;
    const std::optional<EstimateInput> input = fixedStorageEstimate(
        program, opener, QStringLiteral("Ammoniaca"), QStringLiteral("7664-41-7"), classEntry, kLikely, 3, &reason);
    if (!input) {
        state.SkipWithError(qPrintable(reason));
        return;
    }
    runEstimates(state, program, opener, *input);
}
BENCHMARK(BM_FlammableEstimate)->Unit(benchmark::kMillisecond);

} // namespace
