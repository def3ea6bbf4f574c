// A site inventory of 1,000 items made from the catalogue (every class, containment and entry offered, each
// substance in turn), run as zefro-estimate --inventory runs it: the estimates with the results table only, and
// the whole run with the summary PDF and the GIS file with the site's envelopes.
#include "catalogue/SealedWorkbookOpener.h"
#include "estimate/EstimateChain.h"
#include "site/ItemEstimates.h"
#include "site/InventoryReader.h"
#include "site/ResultsTable.h"
#include "site/SiteInventoryRun.h"
#include "xls/CachingWorkbookOpener.h"

#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <set>

namespace {

constexpr int kItems = 1000;

QString figureText(const RangeEntry &entry)
{
    // The middle of the entry, with a decimal comma as an Italian spreadsheet writes it.
    return QString::number((entry.lower.toNumber() + entry.upper.toNumber()) / 2.0, 'f', 1).replace('.', ',');
}

// One row per substance, class, hypothesis, containment and entry, in catalogue order, until there are enough;
// every item placed on the georeferenced sample sheet (E 480000-481500, N 5028900-5030000).
QByteArray largeInventory(const WorkbookOpener &opener)
{
    // "voce" (not an inventory column, the reader passes it by) numbers the chosen entry as zefro-estimate's
    // --range does, for tools/bench/compare_inventory.sh's separate runs of the same items.
    QStringList rows{"id;sostanza;classe;ipotesi;detenzione;quantita_t;diametro_in;est;nord;voce"};
    for (int pass = 0; rows.size() <= kItems; ++pass) {
        for (const Substance &substance : Catalogue::substances()) {
            EstimateChain chain(opener);
            const auto found = chain.lookUpClasses(substance);
            if (!found.ok())
                return {};
            for (const HazardClass *hazard : std::set<const HazardClass *>(found.value().begin(), found.value().end())) {
                chain.chooseClass(*hazard);
                const Hypothesis hypothesis = (rows.size() + pass) % 2 ? Hypothesis::Average : Hypothesis::MostLikely;
                const Containment containment = kContainments[std::size_t(rows.size() + pass) % kContainments.size()];
                const auto offered = chain.chooseContainment(hypothesis, containment);
                if (!offered.ok())
                    continue;
                const std::vector<RangeEntry> &entries = offered.value();
                const std::size_t entry = entries.empty() ? 0 : std::size_t(rows.size()) % entries.size();
                const QString figure = entries.empty() ? QString() : figureText(entries[entry]);
                const bool pipe = rangeKindOf(containment) == RangeKind::Diameter;
                rows << QStringLiteral("I%1;%2;%3;%4;%5;%6;%7;%8;%9;%10")
                            .arg(rows.size(), 4, 10, QLatin1Char('0'))
                            .arg(substance.name, hazard->listCode)
                            .arg(int(hypothesis))
                            .arg(int(containment))
                            .arg(pipe ? QString() : figure, pipe ? figure : QString())
                            .arg(480100 + (rows.size() * 37) % 1300)
                            .arg(5029000 + (rows.size() * 53) % 900)
                            .arg(entries.empty() ? QString() : QString::number(entry + 1));
                if (rows.size() > kItems)
                    break;
            }
            if (rows.size() > kItems)
                break;
        }
    }
    return rows.join('\n').toUtf8() + '\n';
}

struct LargeInventory
{
    QTemporaryDir folder;
    const DrivePaths drives{QStringLiteral(ZEFRO_BUNDLED_TREE)};
    const SealedWorkbookOpener opener{drives};
    QString path = folder.filePath(QStringLiteral("inventario.csv"));
    bool made = false;

    LargeInventory()
    {
        const QByteArray csv = largeInventory(opener);
        const auto write = [&csv](const QString &where) {
            QFile file(where);
            return !csv.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(csv) == csv.size();
        };
        made = write(path);
        // A copy for the comparison with separate runs, when it asks for one.
        if (const QString copy = qEnvironmentVariable("ZEFRO_BENCH_INVENTORY_COPY"); made && !copy.isEmpty())
            made = write(copy);
    }
};

// Reading the inventory, every estimate, risultati.csv and risultati.json.
void BM_SiteInventoryEstimates(benchmark::State &bench)
{
    const LargeInventory inventory;
    for (auto _ : bench) {
        const Outcome<site::Inventory> read = site::readInventory(inventory.path);
        if (!inventory.made || !read.ok() || int(read.value().items.size()) != kItems) {
            bench.SkipWithError("the inventory was not made or not read whole");
            break;
        }
        const CachingWorkbookOpener workbooks(inventory.opener);
        site::SiteRun run;
        run.items = *site::estimateItems(workbooks, read.value());
        if (run.failedCount() > 0) {
            bench.SkipWithError("an item failed");
            break;
        }
        benchmark::DoNotOptimize(site::resultsCsv(run));
        benchmark::DoNotOptimize(site::resultsJson(run));
    }
}

// The whole run: with the summary PDF and, in the sample sheet's system, the GIS file with the envelopes.
void BM_SiteInventoryWithPdfAndGis(benchmark::State &bench)
{
    const LargeInventory inventory;
    site::SiteRunRequest request;
    request.inventoryName = request.inventoryPath = inventory.path;
    request.crs = map::coordinateSystemFrom(QStringLiteral("EPSG:32632"), QStringLiteral("--crs")).value();
    request.when = QDateTime::currentDateTime();
    for (auto _ : bench) {
        const site::SiteRunOutcome outcome = site::runSiteInventory(inventory.opener, request);
        if (!inventory.made || outcome.error || outcome.run.failedCount() > 0 || outcome.files.size() != 4) {
            bench.SkipWithError("the run did not make every output");
            break;
        }
        benchmark::DoNotOptimize(outcome.files);
    }
}

} // namespace

BENCHMARK(BM_SiteInventoryEstimates)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_SiteInventoryWithPdfAndGis)->Unit(benchmark::kMillisecond)->Iterations(2);
