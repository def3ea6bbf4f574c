#include "estimate/EstimateChain.h"

#include "estimate/DistanceCell.h"
#include "estimate/EstimateErrors.h"
#include "estimate/ToxicSubclassLookup.h"

namespace {

Error notice(Error::Kind kind)
{
    return estimateError(kind);
}

// The containment group of the toxic sub-class matrix: 1 for a bund, and for tankers unless the
// class is 53; 2 otherwise.
int containmentGroup(Containment containment, const HazardClass &hazard)
{
    switch (containment) {
    case Containment::BundedStorage: return 1;
    case Containment::Tanker: return hazard.classCode == 53 ? 2 : 1;
    default: return 2;
    }
}

} // namespace

EstimateChain::EstimateChain(const WorkbookOpener &workbooks)
    : m_workbooks(workbooks)
{ }

Outcome<std::vector<const HazardClass *>> EstimateChain::lookUpClasses(const std::optional<Substance> &substance,
                                                                       const ClassLookupProgress &progress)
{
    m_substance = substance;
    m_lookup.reset();
    m_class = nullptr;
    m_tables.reset();
    Outcome<ClassLookup> lookup = lookUpSubstanceClasses(m_workbooks, substance, progress);
    if (!lookup.ok())
        return m_workbooks.located(lookup.error());
    m_lookup = std::move(lookup.value());
    std::vector<const HazardClass *> found;
    for (const ClassMatch &match : m_lookup->matches)
        found.push_back(match.hazard);
    return found;
}

void EstimateChain::chooseClass(const HazardClass &hazard)
{
    m_class = &hazardClasses()[hazard.index()];
    m_tables.reset();
}

Outcome<std::vector<RangeEntry>> EstimateChain::chooseContainment(Hypothesis hypothesis, Containment containment)
{
    m_tables.reset();
    if (!m_lookup || !m_class)
        return notice(Error::Kind::ClassNotChosen);
    const HazardClass &hazard = *m_class;
    if (containment == Containment::BundedStorage && hazard.isCompressedGas())
        return notice(Error::Kind::CompressedGasInBund);

    Tables tables{
        hypothesis, containment, containmentGroup(containment, hazard), m_lookup->workbooks[hazard.index()], {},
        {},         {}};
    const int sheet = worksheetOf(containment);
    if (!hazard.isToxic()) {
        Outcome<RangeTable> table = readRangeTable(*tables.classWorkbook, sheet);
        if (!table.ok())
            return m_workbooks.located(table.error());
        tables.rangeTable = table.value();
    } else {
        const Outcome<WorkbookHandle> opened = m_workbooks.open(kDataFolder + kRangeCorrespondenceFile);
        if (!opened.ok())
            return m_workbooks.located(opened.error());
        Outcome<std::vector<PairRow>> pairs = readRangeCorrespondence(*opened.value(), sheet, hazard.classCode);
        if (!pairs.ok())
            return m_workbooks.located(pairs.error());
        tables.pairs = std::move(pairs.value());
        tables.rangeTable = rangeTableOfPairs(tables.pairs);
    }
    Outcome<std::vector<RangeEntry>> offered
        = offeredRanges(tables.rangeTable, containment, hazard.gas, tables.classWorkbook->name(), sheet);
    if (!offered.ok())
        return m_workbooks.located(offered.error());
    tables.offered = offered.value();
    m_tables = std::move(tables);
    return offered;
}

Outcome<Estimate> EstimateChain::estimate(std::optional<std::size_t> entry) const
{
    if (!m_tables)
        return notice(Error::Kind::ContainmentNotChosen);
    const Tables &tables = *m_tables;
    const HazardClass &hazard = *m_class;

    Estimate estimate;
    estimate.substance = m_substance;
    estimate.hazardClass = m_class;
    estimate.hypothesis = tables.hypothesis;
    estimate.containment = tables.containment;
    const RangeKind kind = rangeKindOf(tables.containment);
    if (kind != RangeKind::None) {
        if (!entry || *entry >= tables.offered.size())
            return notice(kind == RangeKind::Quantity ? Error::Kind::QuantityNotOffered
                                                      : Error::Kind::DiameterNotOffered);
        estimate.range = tables.offered[*entry];
    }
    estimate.scenario = scenarioName(hazard, tables.hypothesis);

    if (!hazard.isToxic()) {
        estimate.classLabel = hazard.dottedLabel();
        const Status read = readFlammableDistances(tables, estimate.range ? estimate.range->pair : 0, estimate);
        if (!read.ok())
            return m_workbooks.located(read.error());
        return estimate;
    }

    const ClassMatch *match = m_lookup->lastMatchOf(hazard);
    const ToxicLookupInput input{*tables.classWorkbook,
                                 match ? match->zone : CellValue(),
                                 tables.group,
                                 tables.containment,
                                 tables.hypothesis,
                                 tables.pairs,
                                 estimate.range ? estimate.range->lower.toNumber() : 0.0};
    const Outcome<ToxicDistances> toxic = lookUpToxicDistances(m_workbooks, input);
    if (!toxic.ok())
        return m_workbooks.located(toxic.error());
    estimate.distances = toxic.value().distances;
    estimate.classLabel = toxic.value().lastSubclass;
    return estimate;
}

Status EstimateChain::readFlammableDistances(const Tables &tables, int pair, Estimate &estimate) const
{
    for (int threshold = 1; threshold <= 4; ++threshold) {
        for (const bool f2 : {false, true}) {
            const int row = distanceRow(tables.hypothesis, threshold) - 1; // 0-based in the table
            const int column = 2 * pair + (f2 ? 1 : 0);
            const CellValue &cell = tables.rangeTable[std::size_t(row)][std::size_t(column)];
            if (!holdsDistance(cell)) // the message's words are made only when it is needed
                return distanceOfCell(cell, tables.classWorkbook->name(), worksheetOf(tables.containment),
                                      rangeTableAddress(row, column))
                    .error();
            estimate.distances[std::size_t(threshold - 1) + (f2 ? 4 : 0)].metres = cell.toNumber();
        }
    }
    return Done{};
}
