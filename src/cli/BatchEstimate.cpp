#include "cli/BatchEstimate.h"

#include "estimate/EstimateOrder.h"
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

EstimateOrder orderOf(const EstimateRequest &request)
{
    EstimateOrder order;
    switch (request.by) {
    case EstimateRequest::SubstanceBy::Name: order.by = EstimateOrder::SubstanceBy::Name; break;
    case EstimateRequest::SubstanceBy::Cas: order.by = EstimateOrder::SubstanceBy::Cas; break;
    case EstimateRequest::SubstanceBy::QuickPick: order.by = EstimateOrder::SubstanceBy::QuickPick; break;
    }
    order.substance = request.substance;
    order.classCode = request.classCode;
    order.hypothesis = request.hypothesis == 1 ? Hypothesis::MostLikely : Hypothesis::Average;
    if (request.containment >= 1 && request.containment <= int(kContainments.size()))
        order.containment = kContainments[std::size_t(request.containment - 1)];
    order.entry = request.range; // 0 when not given: refused with the list, as any number beyond it
    return order;
}

// A refused order in the words of the options that asked for it.
BatchOutcome refused(const OrderRefusal &refusal, const EstimateRequest &request)
{
    using Why = OrderRefusal::Why;
    const QString codes = refusal.foundCodes.join(QStringLiteral(", "));
    switch (refusal.why) {
    case Why::UnknownName:
        return usage(QStringLiteral("la sostanza \"%1\" non è nel catalogo (il nome va scritto come "
                                    "nell'elenco dei nomi, maiuscole e spazi compresi)")
                         .arg(request.substance));
    case Why::UnknownCas: return usage(QStringLiteral("il CAS \"%1\" non è nel catalogo").arg(request.substance));
    case Why::UnknownQuickPick:
        return usage(QStringLiteral("--quick-pick %1: non è una classe di infiammabili").arg(request.substance));
    case Why::InNoClass:
        return dataError(QStringLiteral("La sostanza %1 (CAS %2) non compare in nessuna tabella delle classi: "
                                        "nessuna stima è possibile.")
                             .arg(refusal.substance->name, refusal.substance->cas));
    case Why::NotInClass:
        return usage(QStringLiteral("--class %1: la sostanza non è stata trovata in questa classe "
                                    "(classi trovate: %2)")
                         .arg(request.classCode, codes));
    case Why::SeveralClasses:
        return usage(QStringLiteral("la sostanza appartiene a più classi: indicare --class fra %1").arg(codes));
    case Why::EntryMissing:
    case Why::EntryBeyondList:
    case Why::FigureOfOtherKind:
    case Why::FigureBeyondList: break;
    }
    return usage(QStringLiteral("--range %1: l'elenco %2 offre %3 voci: %4")
                     .arg(request.range)
                     .arg(refusal.rangeKind == RangeKind::Quantity ? QStringLiteral("delle quantità")
                                                                   : QStringLiteral("dei diametri"))
                     .arg(refusal.offered.size())
                     .arg(numberedEntries(refusal.offered)));
}

} // namespace

BatchOutcome runBatchEstimate(const DrivePaths &drives, const WorkbookOpener &opener, const EstimateRequest &request)
{
    const Outcome<Configuration> configuration = loadConfigurationFile(drives);
    if (!configuration.ok())
        return dataError(configuration.error().message());

    const EstimateOrder order = orderOf(request);
    if (request.listClasses) {
        const ClassListOutcome listed = listOrderClasses(opener, order);
        if (listed.refusal)
            return refused(*listed.refusal, request);
        if (listed.error)
            return dataError(listed.error->message());
        BatchOutcome outcome;
        outcome.classEntries = listed.entries;
        return outcome;
    }

    OrderOutcome carried = carryOutOrder(opener, order);
    if (carried.refusal)
        return refused(*carried.refusal, request);
    if (carried.error)
        return dataError(carried.error->message());
    BatchOutcome outcome;
    outcome.outputPrefix = configuration.value().outputPrefix();
    outcome.estimate = std::move(carried.estimate);
    return outcome;
}
