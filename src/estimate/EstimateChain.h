#pragma once

#include "catalogue/ClassLookup.h"
#include "estimate/Choices.h"
#include "estimate/Estimate.h"
#include "estimate/RangeTable.h"

#include <optional>
#include <vector>

// The steps of one estimate and what must live between them: the class workbooks opened by the class
// lookup, the chosen class, and the range table (for a toxic class, the range correspondence) read
// for the chosen containment. Whoever runs the chain owns the object: the main window makes a new one
// for every substance (and at Reset), zefro-estimate one per run.
//
// Life cycle, each step replacing what the steps after it had set:
//   1. lookUpClasses      opens the eleven class workbooks and finds the classes of the substance;
//   2. chooseClass        one of them (or the class of a quick pick, which names no substance);
//   3. chooseContainment  the hypothesis and the containment: reads the tables and offers the
//                         quantity ranges or pipe diameters (nothing for tankers and ships);
//   4. estimate           the eight distances for one offered entry; may be repeated.
// A step taken before the one it needs is refused with a notice (ClassNotChosen,
// ContainmentNotChosen); a failed step leaves the chain where the step before it left it.
class EstimateChain
{
public:
    explicit EstimateChain(const WorkbookOpener &workbooks);

    // The classes whose tables list the substance, one for each table row, in table order.
    [[nodiscard]] Outcome<std::vector<const HazardClass *>> lookUpClasses(const std::optional<Substance> &substance,
                                                                          const ClassLookupProgress &progress = {});

    void chooseClass(const HazardClass &hazard);
    [[nodiscard]] const HazardClass *chosenClass() const { return m_class; }

    // Refused with CompressedGasInBund for class 2_3 or 53 in a bund.
    [[nodiscard]] Outcome<std::vector<RangeEntry>> chooseContainment(Hypothesis hypothesis, Containment containment);

    // `entry` is a position in the offered list; it is ignored for tankers and ships, and missing
    // or beyond the list it is refused (QuantityNotOffered, DiameterNotOffered).
    [[nodiscard]] Outcome<Estimate> estimate(std::optional<std::size_t> entry) const;

private:
    struct Tables
    {
        Hypothesis hypothesis;
        Containment containment;
        int group; // containment group of the toxic sub-class matrix: 1 or 2
        WorkbookHandle classWorkbook;
        RangeTable rangeTable; // flammable classes
        std::vector<PairRow> pairs; // toxic classes: the range correspondence
        std::vector<RangeEntry> offered;
    };

    [[nodiscard]] Status readFlammableDistances(const Tables &tables, int pair, Estimate &estimate) const;

    const WorkbookOpener &m_workbooks;
    std::optional<Substance> m_substance;
    std::optional<ClassLookup> m_lookup;
    const HazardClass *m_class = nullptr;
    std::optional<Tables> m_tables;
};
