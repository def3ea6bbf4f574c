#include "estimate/DataCheck.h"

#include "catalogue/ClassLookup.h"
#include "estimate/DistanceCell.h"
#include "estimate/EstimateErrors.h"
#include "estimate/RangeTable.h"
#include "estimate/ToxicSubclassLookup.h"
#include "xls/CellAddress.h"

#include <array>
#include <map>
#include <optional>
#include <set>

namespace {

using Faults = std::vector<Error>;

template <typename T> void note(Faults &faults, const Outcome<T> &outcome)
{
    if (!outcome.ok())
        faults.push_back(outcome.error());
}

// The cells of one worksheet; the first read that fails is listed once and ends the worksheet, so a
// missing worksheet is one fault and not one for each of its cells.
class SheetCells
{
public:
    SheetCells(const Workbook &book, int sheet, Faults &faults)
        : m_book(book)
        , m_sheet(sheet)
        , m_faults(faults)
    { }

    [[nodiscard]] std::optional<CellValue> read(const QString &address)
    {
        if (m_failed)
            return std::nullopt;
        const Outcome<CellValue> cell = m_book.readCell(m_sheet, address);
        if (cell.ok())
            return cell.value();
        m_failed = true;
        m_faults.push_back(cell.error());
        return std::nullopt;
    }
    [[nodiscard]] QString book() const { return m_book.name(); }
    [[nodiscard]] int sheet() const { return m_sheet; }

private:
    const Workbook &m_book;
    int m_sheet;
    Faults &m_faults;
    bool m_failed = false;
};

WorkbookHandle openOrNote(const WorkbookOpener &opener, const QString &file, Faults &faults)
{
    Outcome<WorkbookHandle> opened = opener.open(kDataFolder + file);
    if (opened.ok())
        return opened.value();
    faults.push_back(opened.error());
    return nullptr;
}

// The CAS cells of a class table and, for a toxic class, the zone indexes of the rows that list a
// catalogue substance; returns the zone indexes found sound.
std::set<int> checkSubstanceTable(const HazardClass &hazard, SheetCells &cells, Faults &faults)
{
    std::set<int> zones;
    for (int row = hazard.firstRow; row <= hazard.lastRow; ++row) {
        const QString casAddress = cellAddress(hazard.casColumn, row);
        const std::optional<CellValue> cas = cells.read(casAddress);
        if (!cas)
            break;
        note(faults, checkCasCell(*cas, cells.book(), cells.sheet(), casAddress));
        if (!hazard.isToxic() || !cas->isText() || !Catalogue::findByCas(cas->toText()))
            continue;
        const QString zoneAddress = cellAddress(hazard.zoneColumn, row);
        const std::optional<CellValue> zone = cells.read(zoneAddress);
        if (!zone)
            break;
        if (const Status sound = checkZoneIndex(*zone); !sound.ok()) {
            Error error = sound.error();
            error.file = cells.book();
            error.sheet = cells.sheet();
            error.cell = zoneAddress;
            faults.push_back(error);
        } else {
            zones.insert(int(zone->toNumber()));
        }
    }
    return zones;
}

void checkFlammableDistances(const HazardClass &hazard, const Workbook &book, Faults &faults)
{
    for (const Containment containment : kContainments) {
        if (containment == Containment::BundedStorage && hazard.isCompressedGas())
            continue; // refused before anything is read
        const int sheet = worksheetOf(containment);
        const Outcome<RangeTable> table = readRangeTable(book, sheet);
        if (!table.ok()) {
            faults.push_back(table.error());
            continue;
        }
        const auto checkDistances = [&](int pair) {
            for (int row = distanceRow(Hypothesis::MostLikely, 1) - 1; row < kRangeTableRows; ++row) {
                for (const int column : {2 * pair, 2 * pair + 1}) {
                    note(faults,
                         distanceOfCell(table.value()[std::size_t(row)][std::size_t(column)], book.name(), sheet,
                                        rangeTableAddress(row, column)));
                }
            }
        };
        if (rangeKindOf(containment) == RangeKind::None) { // tankers and ships: columns C and D, no bounds
            checkDistances(0);
            continue;
        }
        for (const int pair : offeredPairs(table.value(), containment, hazard.gas)) {
            for (const int column : {2 * pair, 2 * pair + 1}) {
                note(faults,
                     checkRangeBound(table.value()[0][std::size_t(column)], book.name(), sheet,
                                     rangeTableAddress(0, column)));
            }
            checkDistances(pair);
        }
    }
}

void checkSubclassMatrix(const Workbook &book, const std::set<int> &zones, Faults &faults)
{
    SheetCells cells(book, kMatrixSheet, faults);
    for (int row = kFirstMatrixRow; row <= kLastMatrixRow; ++row) {
        std::array<CellValue, 4> key; // group, pair code, threshold, weather (A .. D)
        for (std::size_t i = 0; i < key.size(); ++i) {
            const std::optional<CellValue> cell = cells.read(cellAddress(QString(QLatin1Char(char('A' + i))), row));
            if (!cell)
                return;
            key[i] = *cell;
        }
        const bool used = (key[0] == CellValue::number(1) || key[0] == CellValue::number(2))
            && matrixSlotOf(key[2], key[3]).has_value();
        for (const int zone : used ? zones : std::set<int>()) {
            const QString address = cellAddress(columnLetters(zone + 5), row);
            const std::optional<CellValue> label = cells.read(address);
            if (!label)
                return;
            const Outcome<SubclassLabel> known = subclassLabelOfCell(*label, book.name(), address);
            if (!known.ok())
                faults.push_back(known.error());
        }
    }
}

void checkCorrespondence(const Workbook &book, Faults &faults)
{
    for (const Containment containment : kContainments) {
        const int sheet = worksheetOf(containment);
        SheetCells cells(book, sheet, faults);
        std::map<int, int> rowsOfClass;
        for (int row = kFirstCorrespondenceRow; row <= kLastCorrespondenceRow; ++row) {
            const QString codeAddress = cellAddress(QStringLiteral("A"), row);
            const std::optional<CellValue> code = cells.read(codeAddress);
            if (!code)
                break;
            note(faults, checkClassCodeCell(*code, book.name(), sheet, codeAddress));
            const HazardClass *hazard = nullptr;
            for (const HazardClass &candidate : hazardClasses()) {
                if (candidate.isToxic() && *code == CellValue::number(candidate.classCode))
                    hazard = &candidate;
            }
            if (!hazard || (containment == Containment::BundedStorage && hazard->isCompressedGas()))
                continue;
            if (++rowsOfClass[hazard->classCode] == kMaxCorrespondenceRows + 1) {
                Error error = estimateError(Error::Kind::TooManyCorrespondenceRows);
                error.file = book.name();
                error.sheet = sheet;
                error.detail = QString::number(hazard->classCode);
                faults.push_back(error);
            }
            for (const QString column : {"B", "C", "D", "E"}) {
                const QString address = cellAddress(column, row);
                const std::optional<CellValue> cell = cells.read(address);
                if (!cell)
                    break;
                note(faults, checkRangeBound(*cell, book.name(), sheet, address));
            }
        }
    }
}

void checkSubclassDistances(const Workbook &book, Faults &faults)
{
    for (const Containment containment : kContainments) {
        SheetCells cells(book, worksheetOf(containment), faults);
        std::vector<int> pairs{0};
        if (rangeKindOf(containment) != RangeKind::None) {
            pairs.clear();
            for (int pair = 0; pair < kRangePairs; ++pair) {
                const QString address = rangeTableAddress(0, 2 * pair);
                const std::optional<CellValue> bound = cells.read(address);
                if (!bound)
                    return;
                note(faults, checkRangeBound(*bound, book.name(), cells.sheet(), address));
                if (pairHoldsRange(pair, *bound))
                    pairs.push_back(pair);
            }
        }
        for (const int pair : pairs) {
            for (const Hypothesis hypothesis : {Hypothesis::MostLikely, Hypothesis::Average}) {
                for (const int threshold : {1, 3}) {
                    for (const int column : {2 * pair, 2 * pair + 1}) {
                        const QString address = rangeTableAddress(distanceRow(hypothesis, threshold) - 1, column);
                        const std::optional<CellValue> cell = cells.read(address);
                        if (!cell)
                            break;
                        note(faults, distanceOfCell(*cell, book.name(), cells.sheet(), address));
                    }
                }
            }
        }
    }
}

} // namespace

QStringList dataWorkbookFiles()
{
    QStringList files;
    for (const HazardClass &hazard : hazardClasses())
        files << hazard.workbookFile;
    files << kRangeCorrespondenceFile;
    for (const QString &code : subclassCodes())
        files << code + QStringLiteral(".xls");
    return files;
}

std::vector<Error> checkDataTables(const WorkbookOpener &opener)
{
    Faults faults;
    for (const HazardClass &hazard : hazardClasses()) {
        const WorkbookHandle book = openOrNote(opener, hazard.workbookFile, faults);
        if (!book)
            continue;
        SheetCells substances(*book, hazard.worksheet, faults);
        const std::set<int> zones = checkSubstanceTable(hazard, substances, faults);
        if (hazard.isToxic())
            checkSubclassMatrix(*book, zones, faults);
        else
            checkFlammableDistances(hazard, *book, faults);
    }
    if (const WorkbookHandle book = openOrNote(opener, kRangeCorrespondenceFile, faults))
        checkCorrespondence(*book, faults);
    for (const QString &code : subclassCodes()) {
        if (const WorkbookHandle book = openOrNote(opener, code + QStringLiteral(".xls"), faults))
            checkSubclassDistances(*book, faults);
    }
    return faults;
}
