#include "estimate/ToxicSubclassLookup.h"

#include "catalogue/HazardClass.h"
#include "estimate/DistanceCell.h"
#include "estimate/EstimateErrors.h"
#include "estimate/NumberText.h"
#include "xls/CellAddress.h"

#include <QHash>

#include <cmath>

namespace {

constexpr int kMaxUsedRows = 4;
constexpr int kMaxZone = 72; // zone column up to BY

std::size_t slotOf(int threshold, bool f2)
{
    return std::size_t(threshold - 1) + (f2 ? 4 : 0);
}

bool isLastOfFamily(const QString &code)
{
    return code.endsWith(QLatin1Char('6'));
}

// A cell as a message quotes it.
QString shown(const CellValue &cell)
{
    if (cell.isText())
        return QLatin1Char('"') + cell.toText() + QLatin1Char('"');
    if (cell.isEmpty())
        return QStringLiteral("(vuota)");
    return SignedNumberText(cell).trimmed();
}

// The column pair of a sub-class worksheet that holds the range of a lower bound: the first pair of
// row 1 that holds a range with that lower bound. An empty cell equals 0, so a later pair left empty
// (or 0) must not count, or a lower bound of 0 that the first pair misses would read its empty
// distances as 0 m. Every lower bound is read, and one written as text refused.
Outcome<std::optional<int>> rangePairOf(const Workbook &book, int sheet, double lowerBound)
{
    const CellValue wanted = CellValue::number(lowerBound);
    std::optional<int> found;
    for (int pair = 0; pair < kRangePairs; ++pair) {
        const QString address = rangeTableAddress(0, 2 * pair);
        const Outcome<CellValue> bound = book.readCell(sheet, address);
        if (!bound.ok())
            return bound.error();
        if (const Status sound = checkRangeBound(bound.value(), book.name(), sheet, address); !sound.ok())
            return sound.error();
        if (!found && pairHoldsRange(pair, bound.value()) && bound.value() == wanted)
            found = pair;
    }
    return found;
}

// The distance of threshold 1 or 3 under one weather case in a sub-class workbook; nullopt when the
// workbook has no column for the range.
Outcome<std::optional<double>> readDistance(const WorkbookOpener &opener, const ToxicLookupInput &input,
                                            const QString &code, int threshold, bool f2)
{
    const Outcome<WorkbookHandle> opened = opener.open(subclassWorkbookPath(code));
    if (!opened.ok())
        return opened.error();
    const Workbook &book = *opened.value();
    const int sheet = worksheetOf(input.containment);

    int pair = 0; // tankers and ships: columns C and D
    if (rangeKindOf(input.containment) != RangeKind::None) {
        const Outcome<std::optional<int>> found = rangePairOf(book, sheet, input.lowerBound);
        if (!found.ok())
            return found.error();
        if (!found.value())
            return std::optional<double>();
        pair = *found.value();
    }
    const QString address = rangeTableAddress(distanceRow(input.hypothesis, threshold) - 1, 2 * pair + (f2 ? 1 : 0));
    const Outcome<CellValue> cell = book.readCell(sheet, address);
    if (!cell.ok())
        return cell.error();
    const Outcome<double> metres = distanceOfCell(cell.value(), book.name(), sheet, address);
    if (!metres.ok())
        return metres.error();
    return std::optional<double>(metres.value());
}

} // namespace

const QStringList &subclassCodes()
{
    static const QStringList codes = [] {
        QStringList all;
        for (const QString family : {"4", "51", "52", "53"}) {
            for (int k = 1; k <= 6; ++k)
                all << family + QString::number(k);
        }
        return all;
    }();
    return codes;
}

QString subclassWorkbookPath(const QString &code)
{
    return kDataFolder + code + QStringLiteral(".xls");
}

Status checkZoneIndex(const CellValue &zone)
{
    const double index = zone.toNumber();
    if (zone.isNumber() && index == std::floor(index) && index >= 1 && index <= kMaxZone)
        return Done{};
    Error error = estimateError(Error::Kind::BadZoneIndex);
    error.detail = zone.isText() ? shown(zone) : SignedNumberText(zone).trimmed();
    return error;
}

Outcome<SubclassLabel> subclassLabelOfCell(const CellValue &cell, const QString &book, const QString &address)
{
    if (const std::optional<SubclassLabel> label = cell.isText() ? normaliseSubclassLabel(cell.toText()) : std::nullopt)
        return *label;
    Error error = estimateError(Error::Kind::UnknownSubclass);
    error.file = book;
    error.sheet = kMatrixSheet;
    error.cell = address;
    error.detail = shown(cell);
    return error;
}

std::optional<MatrixSlot> matrixSlotOf(const CellValue &threshold, const CellValue &weather)
{
    for (const int t : {1, 3}) {
        for (const int w : {1, 2}) {
            if (threshold == CellValue::number(t) && weather == CellValue::number(w))
                return MatrixSlot{t, w == 2};
        }
    }
    return std::nullopt;
}

std::optional<SubclassLabel> normaliseSubclassLabel(const QString &label)
{
    // Built once: the matrix labels of every estimate and of the data check are looked up here.
    static const QHash<QString, SubclassLabel> labels = [] {
        QHash<QString, SubclassLabel> all;
        for (int k = 1; k <= 6; ++k) {
            all.insert(QStringLiteral("4.%1").arg(k), {QStringLiteral("4.%1  ").arg(k), QStringLiteral("4%1").arg(k)});
            for (int family = 1; family <= 3; ++family) {
                const QString dotted = QStringLiteral("5.%1.%2").arg(family).arg(k);
                all.insert(dotted, {dotted, QStringLiteral("5%1%2").arg(family).arg(k)});
            }
        }
        return all;
    }();
    const auto found = labels.constFind(label);
    return found == labels.cend() ? std::nullopt : std::optional<SubclassLabel>(*found);
}

Outcome<ToxicDistances> lookUpToxicDistances(const WorkbookOpener &opener, const ToxicLookupInput &input)
{
    ToxicDistances found;
    for (const int threshold : {1, 3}) {
        for (const bool f2 : {false, true})
            found.distances[slotOf(threshold, f2)].notAvailable = true;
    }

    // The pair code of the first correspondence row of the chosen range.
    const CellValue lowerBound = CellValue::number(input.lowerBound);
    const PairRow *pair = nullptr;
    for (const PairRow &row : input.pairs) {
        if (row.lowerBound == lowerBound) {
            pair = &row;
            break;
        }
    }
    if (!pair)
        return found; // no row of the correspondence: every toxic distance stays not available
    const CellValue pairCode
        = input.hypothesis == Hypothesis::MostLikely ? pair->pairCodeMostLikely : pair->pairCodeAverage;

    if (const Status zone = checkZoneIndex(input.zone); !zone.ok())
        return zone.error();
    const Workbook &matrix = input.zoneWorkbook;
    const QString zoneColumn = columnLetters(static_cast<int>(input.zone.toNumber()) + 5);
    const CellValue group = CellValue::number(input.containmentGroup);

    int used = 0;
    for (int row = kFirstMatrixRow; row <= kLastMatrixRow && used < kMaxUsedRows; ++row) {
        std::array<CellValue, 4> cells; // group, pair code, threshold, weather (A .. D)
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const Outcome<CellValue> cell
                = matrix.readCell(kMatrixSheet, cellAddress(QString(QLatin1Char(char('A' + i))), row));
            if (!cell.ok())
                return cell.error();
            cells[i] = cell.value();
        }
        if (!(cells[1] == pairCode) || !(cells[0] == group))
            continue;
        const std::optional<MatrixSlot> slot = matrixSlotOf(cells[2], cells[3]);
        if (!slot)
            continue;
        const auto [threshold, f2] = *slot;

        const QString labelAddress = cellAddress(zoneColumn, row);
        const Outcome<CellValue> labelCell = matrix.readCell(kMatrixSheet, labelAddress);
        if (!labelCell.ok())
            return labelCell.error();
        const Outcome<SubclassLabel> label = subclassLabelOfCell(labelCell.value(), matrix.name(), labelAddress);
        if (!label.ok())
            return label.error();
        ++used;
        found.lastSubclass = label.value().label;
        DamageDistance &distance = found.distances[slotOf(threshold, f2)];
        distance.subclass = label.value().label;

        Outcome<std::optional<double>> read = readDistance(opener, input, label.value().code, threshold, f2);
        if (!read.ok())
            return read.error();
        if (!read.value())
            continue;
        distance.metres = *read.value();
        distance.notAvailable = false;
        // The last workbook of a family holds 0 where its distance is beyond the table: the one
        // below it gives a lower bound of the distance.
        if (isLastOfFamily(label.value().code) && distance.metres == 0.0) {
            distance.lowerBound = true;
            QString lower = label.value().code;
            lower.back() = QLatin1Char('5');
            read = readDistance(opener, input, lower, threshold, f2);
            if (!read.ok())
                return read.error();
            if (read.value())
                distance.metres = *read.value();
        }
    }
    return found;
}
