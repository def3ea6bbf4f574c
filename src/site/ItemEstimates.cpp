#include "site/ItemEstimates.h"

namespace site {

namespace {

QString listName(RangeKind kind)
{
    return kind == RangeKind::Diameter ? QStringLiteral("dei diametri") : QStringLiteral("delle quantità");
}

QString figureColumn(RangeKind kind)
{
    return kind == RangeKind::Diameter ? QStringLiteral("diametro_in") : QStringLiteral("quantita_t");
}

QString entries(const std::vector<RangeEntry> &offered)
{
    QStringList texts;
    for (const RangeEntry &entry : offered)
        texts << QLatin1Char('"') + entry.text() + QLatin1Char('"');
    return texts.join(QStringLiteral(", "));
}

QString figureText(double value)
{
    return QString::number(value, 'g', 12).replace(QLatin1Char('.'), QLatin1Char(','));
}

} // namespace

QString refusalText(const OrderRefusal &refusal, const EstimateOrder &order)
{
    using Why = OrderRefusal::Why;
    const QString codes = refusal.foundCodes.join(QStringLiteral(", "));
    switch (refusal.why) {
    case Why::UnknownName:
        return QStringLiteral("sostanza \"%1\": non è nel catalogo (il nome va scritto come nell'elenco dei nomi)")
            .arg(order.substance);
    case Why::UnknownCas: return QStringLiteral("cas \"%1\": non è nel catalogo").arg(order.substance);
    case Why::UnknownQuickPick:
        return QStringLiteral("classe %1 senza sostanza: la scelta diretta vale solo per le classi di infiammabili "
                              "(1_1_1 ... 2_3); per i tossici indicare la sostanza o il CAS")
            .arg(order.substance);
    case Why::InNoClass:
        return QStringLiteral("la sostanza %1 (CAS %2) non compare in nessuna tabella delle classi: nessuna stima è "
                              "possibile")
            .arg(refusal.substance->name, refusal.substance->cas);
    case Why::NotInClass:
        return QStringLiteral("classe %1: la sostanza non è stata trovata in questa classe (classi trovate: %2)")
            .arg(order.classCode, codes);
    case Why::SeveralClasses:
        return QStringLiteral("la sostanza appartiene a più classi: indicare la classe fra %1").arg(codes);
    case Why::EntryMissing:
        return QStringLiteral("manca %1: la detenzione \"%2\" chiede una voce dell'elenco %3 (%4)")
            .arg(figureColumn(refusal.rangeKind), containmentName(order.containment), listName(refusal.rangeKind),
                 entries(refusal.offered));
    case Why::EntryBeyondList:
        return QStringLiteral("voce %1: l'elenco %2 ne offre %3 (%4)")
            .arg(order.entry.value_or(0))
            .arg(listName(refusal.rangeKind))
            .arg(refusal.offered.size())
            .arg(entries(refusal.offered));
    case Why::FigureOfOtherKind:
        return QStringLiteral("%1 non si usa con la detenzione \"%2\": indicare %3")
            .arg(figureColumn(order.figure->kind), containmentName(order.containment),
                 figureColumn(refusal.rangeKind));
    case Why::FigureBeyondList:
        return QStringLiteral("%1 %2: oltre l'ultima voce dell'elenco %3 (%4)")
            .arg(figureColumn(refusal.rangeKind), figureText(order.figure->value), listName(refusal.rangeKind),
                 entries(refusal.offered));
    }
    return {};
}

QString itemLine(const InventoryItem &item, const QString &message)
{
    return QStringLiteral("riga %1 (%2): %3").arg(item.row).arg(item.id, message);
}

QString countsText(const SiteRun &run)
{
    const int failed = run.failedCount();
    const int estimated = int(run.items.size()) - failed;
    return (estimated == 1 ? QStringLiteral("1 voce stimata") : QStringLiteral("%1 voci stimate").arg(estimated))
        + (failed == 1 ? QStringLiteral(", 1 non stimata") : QStringLiteral(", %1 non stimate").arg(failed));
}

std::optional<std::vector<ItemOutcome>> estimateItems(const WorkbookOpener &opener, const Inventory &inventory,
                                                      const ItemProgress &progress)
{
    std::vector<ItemOutcome> outcomes;
    outcomes.reserve(inventory.items.size());
    const int total = int(inventory.items.size());
    for (const InventoryItem &item : inventory.items) {
        if (progress && !progress(int(outcomes.size()), total))
            return std::nullopt;
        ItemOutcome outcome;
        outcome.item = item;
        if (!item.order) {
            outcome.failure = item.problem;
        } else {
            OrderOutcome carried = carryOutOrder(opener, *item.order);
            if (carried.refusal)
                outcome.failure = refusalText(*carried.refusal, *item.order);
            else if (carried.error)
                outcome.failure = carried.error->message();
            else
                outcome.estimate = std::move(carried.estimate);
        }
        outcomes.push_back(std::move(outcome));
    }
    return outcomes;
}

} // namespace site
