#pragma once

#include "estimate/Choices.h"
#include "estimate/Estimate.h"
#include "estimate/RangeTable.h"
#include "platform/Error.h"
#include "xls/Workbook.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// An estimate asked for without the windows' lists: by zefro-estimate's options or by a row of a site
// inventory. It names what the windows would choose, and is carried out on the same chain.
struct EstimateOrder
{
    enum class SubstanceBy { Name, Cas, QuickPick };
    SubstanceBy by = SubstanceBy::Name;
    QString substance; // a catalogue name, a CAS number, or a quick-pick list code ("1_1_1" ... "2_3")
    QString classCode; // a list code; empty: the only class the lookup finds
    Hypothesis hypothesis = Hypothesis::MostLikely;
    Containment containment = Containment::BundedStorage;

    // The quantity range or pipe diameter: by its place in the offered list (1-based), or by a figure
    // it must hold (tonnes for fixed storage, inches for pipelines, see entryHolding()). Neither is
    // needed for tankers and ships, which always read the first range of their tables.
    std::optional<int> entry;
    struct Figure
    {
        RangeKind kind = RangeKind::Quantity;
        double value = 0.0;
    };
    std::optional<Figure> figure;
};

// Why an order cannot be carried out though the tables are sound: it asks for what the catalogue or
// the lists do not offer. Each caller words it in its own terms (an option, a column).
struct OrderRefusal
{
    enum class Why {
        UnknownName,
        UnknownCas,
        UnknownQuickPick,
        InNoClass, // the substance is in no class table: no estimate is possible
        NotInClass, // the class asked for is not among those found (foundCodes)
        SeveralClasses, // no class asked for and several found (foundCodes)
        EntryMissing, // the containment asks for a range and the order gives none
        EntryBeyondList, // the entry number is not in the offered list
        FigureOfOtherKind, // a quantity for a pipeline, a diameter for fixed storage
        FigureBeyondList, // the figure is above the last offered entry, or not a figure at all
    };
    Why why = Why::UnknownName;
    std::optional<Substance> substance; // InNoClass: the substance found in the catalogue
    QStringList foundCodes; // NotInClass, SeveralClasses: the list codes found, in table order
    RangeKind rangeKind = RangeKind::None; // the kind of list the containment offers
    std::vector<RangeEntry> offered; // the entries on offer, for the range refusals
};

// The outcome of an order: the estimate, or a refusal of the order, or an error of the data (a
// workbook, a table, a refused choice such as a compressed gas in a bund) in its own words.
struct OrderOutcome
{
    std::optional<Estimate> estimate;
    std::optional<OrderRefusal> refusal;
    std::optional<Error> error;
};

// Carries out an order on the tables `opener` reads: the substance found in the catalogue, the class
// lookup, the class, the containment with its offered list, the entry, the estimate. Nothing is
// written anywhere.
[[nodiscard]] OrderOutcome carryOutOrder(const WorkbookOpener &opener, const EstimateOrder &order);

// The class-list entries the lookup finds for the substance of an order (zefro-estimate --classes);
// a substance of no class is refused as for an estimate, not answered with an empty list.
struct ClassListOutcome
{
    QStringList entries;
    std::optional<OrderRefusal> refusal;
    std::optional<Error> error;
};
[[nodiscard]] ClassListOutcome listOrderClasses(const WorkbookOpener &opener, const EstimateOrder &order);

// The offered entry that holds a figure. Bounds are closed and consecutive entries share one (" 10 -
// 50", " 50 -  200"); a figure on a shared bound goes to the higher entry, whose distances are never
// the smaller ones (the tables do not decrease from one range to the next). A figure below the first
// entry takes the first one; one above the last entry's upper bound, or no figure at all (not
// finite), takes none.
[[nodiscard]] std::optional<std::size_t> entryHolding(const std::vector<RangeEntry> &offered, double figure);
