#include "estimate/RangeTable.h"

#include "estimate/NumberText.h"
#include "xls/CellAddress.h"

namespace {

constexpr int kFirstPairRow = 3;
constexpr int kLastPairRow = 24;
constexpr int kMaxPairRows = 10;
constexpr int kDiameterPairs = 4;

Error notANumber(const QString &book, int sheet, const QString &cell)
{
    Error error{Error::Kind::RangeBoundNotANumber};
    error.file = book;
    error.sheet = sheet;
    error.cell = cell;
    return error;
}

} // namespace

QString rangeTableAddress(int row, int column)
{
    return cellAddress(columnLetters(3 + column), row + 1);
}

Outcome<RangeTable> readRangeTable(const Workbook &book, int sheet)
{
    RangeTable table;
    for (int row = 0; row < kRangeTableRows; ++row) {
        for (int column = 0; column < kRangeTableColumns; ++column) {
            const Outcome<CellValue> cell = book.readCell(sheet, rangeTableAddress(row, column));
            if (!cell.ok())
                return cell.error();
            table[std::size_t(row)][std::size_t(column)] = cell.value();
        }
    }
    return table;
}

Outcome<std::vector<PairRow>> readRangeCorrespondence(const Workbook &book, int sheet, int classCode)
{
    std::vector<PairRow> rows;
    const CellValue wanted = CellValue::number(classCode);
    for (int row = kFirstPairRow; row <= kLastPairRow; ++row) {
        const Outcome<CellValue> code = book.readCell(sheet, cellAddress(QStringLiteral("A"), row));
        if (!code.ok())
            return code.error();
        // A code typed as text would never match, and its class would silently lose its ranges.
        if (code.value().isText()) {
            bool number = false;
            code.value().toText().trimmed().toDouble(&number);
            if (number) {
                Error error{Error::Kind::ClassCodeAsText};
                error.file = book.name();
                error.sheet = sheet;
                error.cell = cellAddress(QStringLiteral("A"), row);
                error.detail = code.value().toText();
                return error;
            }
        }
        if (!(code.value() == wanted))
            continue;
        if (rows.size() == kMaxPairRows) {
            Error error{Error::Kind::TooManyCorrespondenceRows};
            error.file = book.name();
            error.sheet = sheet;
            error.detail = QString::number(classCode);
            return error;
        }
        std::array<CellValue, 4> cells;
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const QString address = cellAddress(QString(QLatin1Char(char('B' + i))), row);
            const Outcome<CellValue> cell = book.readCell(sheet, address);
            if (!cell.ok())
                return cell.error();
            // A bound or a pair code typed as text would never match: say which cell it is.
            if (cell.value().isText())
                return notANumber(book.name(), sheet, address);
            cells[i] = cell.value();
        }
        rows.push_back({cells[0], cells[1], cells[2], cells[3]});
    }
    return rows;
}

RangeTable rangeTableOfPairs(const std::vector<PairRow> &pairs)
{
    RangeTable table;
    for (std::size_t k = 0; k < kRangePairs && k < pairs.size(); ++k) {
        table[0][2 * k] = pairs[k].lowerBound;
        table[0][2 * k + 1] = pairs[k].upperBound;
    }
    return table;
}

QString RangeEntry::text() const
{
    return SignedNumberText(lower) + QStringLiteral(" - ") + SignedNumberText(upper);
}

Outcome<std::vector<RangeEntry>> offeredRanges(const RangeTable &table, Containment containment, bool gasClass,
                                               const QString &book, int sheet)
{
    const auto &bounds = table[0];
    std::vector<int> pairs;
    switch (rangeKindOf(containment)) {
    case RangeKind::Quantity:
        pairs.push_back(0);
        for (int pair = 1; pair < kRangePairs; ++pair) {
            const CellValue &lower = bounds[std::size_t(2 * pair)];
            if (lower.toNumber() != 0.0 || lower.isText())
                pairs.push_back(pair);
        }
        break;
    case RangeKind::Diameter:
        for (int pair = 0; pair < kDiameterPairs + (gasClass ? 1 : 0); ++pair)
            pairs.push_back(pair);
        break;
    case RangeKind::None: break;
    }

    std::vector<RangeEntry> entries;
    for (const int pair : pairs) {
        for (const int column : {2 * pair, 2 * pair + 1}) {
            if (bounds[std::size_t(column)].isText())
                return notANumber(book, sheet, rangeTableAddress(0, column));
        }
        entries.push_back({bounds[std::size_t(2 * pair)], bounds[std::size_t(2 * pair + 1)], pair});
    }
    return entries;
}
