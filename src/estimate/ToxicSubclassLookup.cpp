#include "estimate/ToxicSubclassLookup.h"

#include "catalogue/HazardClass.h"
#include "estimate/NumberText.h"
#include "xls/CellAddress.h"

#include <cmath>

namespace {

constexpr int kMatrixSheet = 2;
constexpr int kFirstMatrixRow = 5;
constexpr int kLastMatrixRow = 204;
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

// The distance of threshold 1 or 3 under one weather case in a sub-class workbook; nullopt when the
// workbook has no column for the range.
Outcome<std::optional<double>> readDistance(const WorkbookOpener &opener, const ToxicLookupInput &input,
                                            const QString &code, int threshold, bool f2)
{
    const Outcome<WorkbookHandle> opened = opener.open(kDataFolder + code + QStringLiteral(".xls"));
    if (!opened.ok())
        return opened.error();
    const Workbook &book = *opened.value();
    const int sheet = worksheetOf(input.containment);
    const int row = (input.hypothesis == Hypothesis::MostLikely ? 3 : 7) + (threshold - 1);

    int column = 0; // 1-based spreadsheet column
    if (rangeKindOf(input.containment) == RangeKind::None) {
        column = f2 ? 4 : 3;
    } else {
        const CellValue wanted = CellValue::number(input.lowerBound);
        for (int first = 3; first <= 17 && column == 0; first += 2) {
            const Outcome<CellValue> bound = book.readCell(sheet, cellAddress(columnLetters(first), 1));
            if (!bound.ok())
                return bound.error();
            if (bound.value() == wanted)
                column = f2 ? first + 1 : first;
        }
        if (column == 0)
            return std::optional<double>();
    }
    const QString address = cellAddress(columnLetters(column), row);
    const Outcome<CellValue> cell = book.readCell(sheet, address);
    if (!cell.ok())
        return cell.error();
    if (cell.value().isText()) {
        Error error{Error::Kind::DistanceNotANumber};
        error.file = book.name();
        error.sheet = sheet;
        error.cell = address;
        return error;
    }
    return std::optional<double>(cell.value().toNumber());
}

} // namespace

std::optional<SubclassLabel> NormaliseSubclassLabel(const QString &label)
{
    for (int k = 1; k <= 6; ++k) {
        if (label == QStringLiteral("4.%1").arg(k))
            return SubclassLabel{label + QStringLiteral("  "), QStringLiteral("4%1").arg(k)};
        for (int family = 1; family <= 3; ++family) {
            if (label == QStringLiteral("5.%1.%2").arg(family).arg(k))
                return SubclassLabel{label, QStringLiteral("5%1%2").arg(family).arg(k)};
        }
    }
    return std::nullopt;
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

    const double zone = input.zone.toNumber();
    if (!input.zone.isNumber() || zone != std::floor(zone) || zone < 1 || zone > kMaxZone) {
        Error error{Error::Kind::BadZoneIndex};
        error.detail = input.zone.isText() ? shown(input.zone) : SignedNumberText(input.zone).trimmed();
        return error;
    }
    const Workbook &matrix = input.zoneWorkbook;
    const QString zoneColumn = columnLetters(static_cast<int>(zone) + 5);
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
        int threshold = 0;
        bool f2 = false;
        for (const int t : {1, 3}) {
            for (const int w : {1, 2}) {
                if (cells[2] == CellValue::number(t) && cells[3] == CellValue::number(w)) {
                    threshold = t;
                    f2 = w == 2;
                }
            }
        }
        if (threshold == 0)
            continue;

        const QString labelAddress = cellAddress(zoneColumn, row);
        const Outcome<CellValue> labelCell = matrix.readCell(kMatrixSheet, labelAddress);
        if (!labelCell.ok())
            return labelCell.error();
        const std::optional<SubclassLabel> label
            = labelCell.value().isText() ? NormaliseSubclassLabel(labelCell.value().toText()) : std::nullopt;
        if (!label) {
            Error error{Error::Kind::UnknownSubclass};
            error.file = matrix.name();
            error.sheet = kMatrixSheet;
            error.cell = labelAddress;
            error.detail = shown(labelCell.value());
            return error;
        }
        ++used;
        found.lastSubclass = label->label;
        DamageDistance &distance = found.distances[slotOf(threshold, f2)];
        distance.subclass = label->label;

        Outcome<std::optional<double>> read = readDistance(opener, input, label->code, threshold, f2);
        if (!read.ok())
            return read.error();
        if (!read.value())
            continue;
        distance.metres = *read.value();
        distance.notAvailable = false;
        // The last workbook of a family holds 0 where its distance is beyond the table: the one
        // below it gives a lower bound of the distance.
        if (isLastOfFamily(label->code) && distance.metres == 0.0) {
            distance.lowerBound = true;
            QString lower = label->code;
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
