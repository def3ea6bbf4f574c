#include "estimate/EstimateOrder.h"

#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "estimate/EstimateChain.h"
#include "xls/CellValue.h"

#include <algorithm>
#include <cmath>
#include <variant>

namespace {

OrderRefusal refusal(OrderRefusal::Why why)
{
    OrderRefusal refused;
    refused.why = why;
    return refused;
}

OrderRefusal inNoClass(const Substance &substance)
{
    OrderRefusal refused = refusal(OrderRefusal::Why::InNoClass);
    refused.substance = substance;
    return refused;
}

// The substance of an order, none for a quick pick; or the refusal of a name or number not listed.
std::variant<std::optional<Substance>, OrderRefusal> substanceOf(const EstimateOrder &order)
{
    switch (order.by) {
    case EstimateOrder::SubstanceBy::Name:
        if (std::optional<Substance> found = Catalogue::findByName(order.substance))
            return found;
        return refusal(OrderRefusal::Why::UnknownName);
    case EstimateOrder::SubstanceBy::Cas:
        if (std::optional<Substance> found = Catalogue::findByCas(order.substance))
            return found;
        return refusal(OrderRefusal::Why::UnknownCas);
    case EstimateOrder::SubstanceBy::QuickPick:
        if (const HazardClass *picked = findHazardClass(order.substance); picked && !picked->isToxic())
            return std::optional<Substance>();
        return refusal(OrderRefusal::Why::UnknownQuickPick);
    }
    return refusal(OrderRefusal::Why::UnknownName);
}

// The class to estimate for among those found: the one asked for, or the only one.
std::variant<const HazardClass *, OrderRefusal> chooseClass(const std::vector<const HazardClass *> &found,
                                                            const EstimateOrder &order, const Substance &substance)
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
    if (!order.classCode.isEmpty()) {
        const HazardClass *wanted = findHazardClass(order.classCode);
        if (std::find(distinct.begin(), distinct.end(), wanted) == distinct.end()) {
            OrderRefusal refused = refusal(OrderRefusal::Why::NotInClass);
            refused.foundCodes = codes;
            return refused;
        }
        return wanted;
    }
    if (distinct.size() == 1)
        return distinct.front();
    OrderRefusal refused = refusal(OrderRefusal::Why::SeveralClasses);
    refused.foundCodes = codes;
    return refused;
}

// The entry of the offered list the order asks for, by number or by figure.
std::variant<std::size_t, OrderRefusal> chooseEntry(const std::vector<RangeEntry> &offered, RangeKind kind,
                                                    const EstimateOrder &order)
{
    const auto refused = [&](OrderRefusal::Why why) {
        OrderRefusal refusedEntry = refusal(why);
        refusedEntry.rangeKind = kind;
        refusedEntry.offered = offered;
        return refusedEntry;
    };
    if (order.entry) {
        if (*order.entry < 1 || std::size_t(*order.entry) > offered.size())
            return refused(OrderRefusal::Why::EntryBeyondList);
        return std::size_t(*order.entry - 1);
    }
    if (order.figure) {
        if (order.figure->kind != kind)
            return refused(OrderRefusal::Why::FigureOfOtherKind);
        if (const std::optional<std::size_t> holding = entryHolding(offered, order.figure->value))
            return *holding;
        return refused(OrderRefusal::Why::FigureBeyondList);
    }
    return refused(OrderRefusal::Why::EntryMissing);
}

} // namespace

OrderOutcome carryOutOrder(const WorkbookOpener &opener, const EstimateOrder &order)
{
    OrderOutcome outcome;
    auto substance = substanceOf(order);
    if (auto *refused = std::get_if<OrderRefusal>(&substance)) {
        outcome.refusal = *refused;
        return outcome;
    }
    const std::optional<Substance> &named = std::get<std::optional<Substance>>(substance);

    EstimateChain chain(opener);
    const Outcome<std::vector<const HazardClass *>> found = chain.lookUpClasses(named);
    if (!found.ok()) {
        outcome.error = found.error();
        return outcome;
    }
    const HazardClass *hazard = named ? nullptr : findHazardClass(order.substance);
    if (!hazard) {
        auto chosen = chooseClass(found.value(), order, *named);
        if (auto *refused = std::get_if<OrderRefusal>(&chosen)) {
            outcome.refusal = *refused;
            return outcome;
        }
        hazard = std::get<const HazardClass *>(chosen);
    }
    chain.chooseClass(*hazard);

    const Outcome<std::vector<RangeEntry>> offered = chain.chooseContainment(order.hypothesis, order.containment);
    if (!offered.ok()) {
        outcome.error = offered.error();
        return outcome;
    }
    std::optional<std::size_t> entry;
    if (const RangeKind kind = rangeKindOf(order.containment); kind != RangeKind::None) {
        auto chosen = chooseEntry(offered.value(), kind, order);
        if (auto *refused = std::get_if<OrderRefusal>(&chosen)) {
            outcome.refusal = *refused;
            return outcome;
        }
        entry = std::get<std::size_t>(chosen);
    }

    Outcome<Estimate> estimate = chain.estimate(entry);
    if (!estimate.ok())
        outcome.error = estimate.error();
    else
        outcome.estimate = std::move(estimate.value());
    return outcome;
}

ClassListOutcome listOrderClasses(const WorkbookOpener &opener, const EstimateOrder &order)
{
    ClassListOutcome outcome;
    auto substance = substanceOf(order);
    if (auto *refused = std::get_if<OrderRefusal>(&substance)) {
        outcome.refusal = *refused;
        return outcome;
    }
    const std::optional<Substance> &named = std::get<std::optional<Substance>>(substance);
    EstimateChain chain(opener);
    const Outcome<std::vector<const HazardClass *>> found = chain.lookUpClasses(named);
    if (!found.ok()) {
        outcome.error = found.error();
        return outcome;
    }
    if (found.value().empty() && named) {
        outcome.refusal = inNoClass(*named);
        return outcome;
    }
    for (const HazardClass *hazard : found.value())
        outcome.entries << hazard->listEntry;
    return outcome;
}

std::optional<std::size_t> entryHolding(const std::vector<RangeEntry> &offered, double figure)
{
    if (offered.empty() || !std::isfinite(figure))
        return std::nullopt;
    // The bounds have been checked to be numbers when the list was offered.
    const auto bound = [](const CellValue &cell) { return cell.toNumber(); };
    std::size_t holding = 0;
    for (std::size_t i = 0; i < offered.size(); ++i) {
        if (bound(offered[i].lower) <= figure)
            holding = i;
    }
    if (figure <= bound(offered[holding].upper))
        return holding;
    // Between two entries that do not meet, the higher one; beyond the last, none.
    if (holding + 1 < offered.size())
        return holding + 1;
    return std::nullopt;
}
