#pragma once

#include "estimate/CellValue.h"
#include "estimate/ResultSet.h"
#include "estimate/Workbook.h"

#include <QPointF>
#include <QString>

#include <array>
#include <optional>

// One row of the toxic range correspondence: bounds of a quantity (or diameter) range and the
// pair codes under the two incident hypotheses.
struct PairRow
{
    CellValue lowerBound;
    CellValue upperBound;
    CellValue pairCodeLikely;  // "Ipotesi più probabile"
    CellValue pairCodeAverage; // "Ipotesi media"
};

inline constexpr int kRangeTableRows = 10;
inline constexpr int kRangeTableColumns = 16; // spreadsheet columns C..R
using RangeTable = std::array<std::array<CellValue, kRangeTableColumns>, kRangeTableRows>;

inline constexpr int kCatalogueTableSize = 401;
inline constexpr int kHazardClassCount = 11;
inline constexpr int kMaxPairRows = 10;

// The values that more than one window needs, under the names the system has always used. One
// object, owned by main() (or a test) and handed to every window; each step overwrites its own part.
struct ProgramState
{
    // Configuration: entry 8, the prefix of every output file name.
    QString outputPrefix;

    // Catalogue, rebuilt at every start and reset.
    std::array<QString, kCatalogueTableSize> savedCatalogueNames{};
    std::array<QString, kCatalogueTableSize> savedCatalogueCas{};
    int savedNameCount = 0;
    int savedCasCount = 0;
    // 1 = substance chosen by name, 2 = flammable-class quick pick; unset until one of them runs.
    std::optional<int> selectionMode;

    // Class membership lookup.
    std::array<WorkbookHandle, kHazardClassCount> classWorkbooks{};
    bool toxicClassFound = false;
    int classCode = 0;
    CellValue toxicZone;
    bool gasClass = false;

    // Containment and quantity choice.
    int containmentCode = 0;
    int containmentGroup = 0;
    int hypothesisCode = 0;
    WorkbookHandle classWorkbook;
    RangeTable rangeTable{};
    WorkbookHandle pairWorkbook;
    std::array<PairRow, kMaxPairRows> pairTable{};
    int toxicRangeCount = 0;

    // Toxic sub-class lookup.
    CellValue pairCode;
    WorkbookHandle subclassWorkbook;

    // The last estimate (its classLabel is also the one the containment choice sets).
    ResultSet result;

    // Map scale state.
    double scaleFactor = 0.0; // drawing units per ground centimetre (1/N for a scale 1:N)
    bool rescaleMode = false;
    QPointF segmentStart;
    QPointF segmentEnd;
};
