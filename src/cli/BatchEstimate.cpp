#include "cli/BatchEstimate.h"

#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "estimate/EstimateChain.h"
#include "platform/Configuration.h"
#include "platform/DrivePaths.h"

namespace {

BatchOutcome failed(BatchFailure::Kind kind, const QString &message)
{
    BatchOutcome outcome;
    outcome.failure = BatchFailure{kind, message};
    return outcome;
}

BatchOutcome usage(const QString &message)
{
    return failed(BatchFailure::Kind::Usage, message);
}

BatchOutcome dataError(const QString &message)
{
    return failed(BatchFailure::Kind::Data, message);
}

// "1 = " 0 -  10"; 2 = ...": the entries of a list as --range numbers them.
QString numberedEntries(const std::vector<RangeEntry> &entries)
{
    QStringList numbered;
    for (std::size_t i = 0; i < entries.size(); ++i)
        numbered << QStringLiteral("%1 = \"%2\"").arg(i + 1).arg(entries[i].text());
    return numbered.join(QStringLiteral("; "));
}

// The class to estimate for among those found: the one asked for, or the only one.
BatchOutcome inNoClass(const Substance &substance)
{
    return dataError(QStringLiteral("La sostanza %1 (CAS %2) non compare in nessuna tabella delle classi: "
                                    "nessuna stima è possibile.")
                         .arg(substance.name, substance.cas));
}

std::variant<const HazardClass *, BatchOutcome> chooseClass(const std::vector<const HazardClass *> &found,
                                                            const EstimateRequest &request, const Substance &substance)
{
    std::vector<const HazardClass *> distinct;
    QStringList codes;
    for (const HazardClass *hazard : found) {
        if (std::find(distinct.begin(), distinct.end(), hazard) == distinct.end()) {
            distinct.push_back(hazard);
            codes << hazard->listCode;
        }
    }
    if (distinct.empty())
        return inNoClass(substance);
    if (!request.classCode.isEmpty()) {
        const HazardClass *wanted = findHazardClass(request.classCode);
        if (std::find(distinct.begin(), distinct.end(), wanted) == distinct.end())
            return usage(QStringLiteral("--class %1: la sostanza non è stata trovata in questa classe "
                                        "(classi trovate: %2)")
                             .arg(request.classCode, codes.join(QStringLiteral(", "))));
        return wanted;
    }
    if (distinct.size() == 1)
        return distinct.front();
    return usage(QStringLiteral("la sostanza appartiene a più classi: indicare --class fra %1")
                     .arg(codes.join(QStringLiteral(", "))));
}

} // namespace

BatchOutcome runBatchEstimate(const DrivePaths &drives, const WorkbookOpener &opener, const EstimateRequest &request)
{
    const Outcome<Configuration> configuration = loadConfigurationFile(drives);
    if (!configuration.ok())
        return dataError(configuration.error().message());

    std::optional<Substance> substance;
    const HazardClass *quickPicked = nullptr;
    switch (request.by) {
    case EstimateRequest::SubstanceBy::Name:
        substance = Catalogue::findByName(request.substance);
        if (!substance)
            return usage(QStringLiteral("la sostanza \"%1\" non è nel catalogo (il nome va scritto come "
                                        "nell'elenco dei nomi, maiuscole e spazi compresi)")
                             .arg(request.substance));
        break;
    case EstimateRequest::SubstanceBy::Cas:
        substance = Catalogue::findByCas(request.substance);
        if (!substance)
            return usage(QStringLiteral("il CAS \"%1\" non è nel catalogo").arg(request.substance));
        break;
    case EstimateRequest::SubstanceBy::QuickPick: quickPicked = findHazardClass(request.substance); break;
    }

    EstimateChain chain(opener);
    const Outcome<std::vector<const HazardClass *>> found = chain.lookUpClasses(substance);
    if (!found.ok())
        return dataError(found.error().message());
    if (request.listClasses) {
        // A substance of no class is the same failure as for an estimate, not an empty list.
        if (found.value().empty() && substance)
            return inNoClass(*substance);
        BatchOutcome outcome;
        for (const HazardClass *hazard : found.value())
            outcome.classEntries << hazard->listEntry;
        return outcome;
    }

    const HazardClass *hazard = quickPicked;
    if (!hazard) {
        auto chosen = chooseClass(found.value(), request, *substance);
        if (auto *refused = std::get_if<BatchOutcome>(&chosen))
            return *refused;
        hazard = std::get<const HazardClass *>(chosen);
    }
    chain.chooseClass(*hazard);

    const Containment containment = kContainments[std::size_t(request.containment - 1)];
    const Hypothesis hypothesis = request.hypothesis == 1 ? Hypothesis::MostLikely : Hypothesis::Average;
    const Outcome<std::vector<RangeEntry>> offered = chain.chooseContainment(hypothesis, containment);
    if (!offered.ok())
        return dataError(offered.error().message());

    std::optional<std::size_t> entry;
    if (const RangeKind kind = rangeKindOf(containment); kind != RangeKind::None) {
        const std::vector<RangeEntry> &entries = offered.value();
        if (request.range < 1 || std::size_t(request.range) > entries.size())
            return usage(QStringLiteral("--range %1: l'elenco %2 offre %3 voci: %4")
                             .arg(request.range)
                             .arg(kind == RangeKind::Quantity ? QStringLiteral("delle quantità")
                                                              : QStringLiteral("dei diametri"))
                             .arg(entries.size())
                             .arg(numberedEntries(entries)));
        entry = std::size_t(request.range - 1);
    }

    const Outcome<Estimate> estimate = chain.estimate(entry);
    if (!estimate.ok())
        return dataError(estimate.error().message());
    BatchOutcome outcome;
    outcome.outputPrefix = configuration.value().outputPrefix();
    outcome.estimate = estimate.value();
    return outcome;
}
