#include "estimate/RangeTable.h"

#include "estimate/EstimateErrors.h"
#include "estimate/NumberText.h"
#include "xls/CellAddress.h"

namespace {

constexpr int kDiameterPairs = 4;

Error inCell(Error::Kind kind, const QString &book, int sheet, const QString &cell)
{
    Error error = estimateError(kind);
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

int distanceRow(Hypothesis hypothesis, int threshold)
{
    return (hypothesis == Hypothesis::MostLikely ? 3 : 7) + threshold - 1;
}

bool pairHoldsRange(int pair, const CellValue &lowerBound)
{
    return pair == 0 || lowerBound.isText() || lowerBound.toNumber() != 0.0;
}

Status checkRangeBound(const CellValue &cell, const QString &book, int sheet, const QString &address)
{
    if (cell.isText())
        return inCell(Error::Kind::RangeBoundNotANumber, book, sheet, address);
    return Done{};
}

Status checkClassCodeCell(const CellValue &cell, const QString &book, int sheet, const QString &address)
{
    if (!cell.isText())
        return Done{};
    bool number = false;
    cell.toText().trimmed().toDouble(&number);
    if (!number)
        return Done{}; // a heading or a note, which no class code could be mistaken for
    Error error = inCell(Error::Kind::ClassCodeAsText, book, sheet, address);
    error.detail = cell.toText();
    return error;
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
    for (int row = kFirstCorrespondenceRow; row <= kLastCorrespondenceRow; ++row) {
        const QString codeAddress = cellAddress(QStringLiteral("A"), row);
        const Outcome<CellValue> code = book.readCell(sheet, codeAddress);
        if (!code.ok())
            return code.error();
        if (const Status sound = checkClassCodeCell(code.value(), book.name(), sheet, codeAddress); !sound.ok())
            return sound.error();
        if (!(code.value() == wanted))
            continue;
        if (rows.size() == kMaxCorrespondenceRows) {
            Error error = estimateError(Error::Kind::TooManyCorrespondenceRows);
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
            // A pair code typed as text would never match either.
            if (const Status sound = checkRangeBound(cell.value(), book.name(), sheet, address); !sound.ok())
                return sound.error();
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

std::vector<int> offeredPairs(const RangeTable &table, Containment containment, bool gasClass)
{
    std::vector<int> pairs;
    switch (rangeKindOf(containment)) {
    case RangeKind::Quantity:
        for (int pair = 0; pair < kRangePairs; ++pair) {
            if (pairHoldsRange(pair, table[0][std::size_t(2 * pair)]))
                pairs.push_back(pair);
        }
        break;
    case RangeKind::Diameter:
        for (int pair = 0; pair < kDiameterPairs + (gasClass ? 1 : 0); ++pair)
            pairs.push_back(pair);
        break;
    case RangeKind::None: break;
    }
    return pairs;
}

Outcome<std::vector<RangeEntry>> offeredRanges(const RangeTable &table, Containment containment, bool gasClass,
                                               const QString &book, int sheet)
{
    const auto &bounds = table[0];
    std::vector<RangeEntry> entries;
    for (const int pair : offeredPairs(table, containment, gasClass)) {
        for (const int column : {2 * pair, 2 * pair + 1}) {
            const Status sound
                = checkRangeBound(bounds[std::size_t(column)], book, sheet, rangeTableAddress(0, column));
            if (!sound.ok())
                return sound.error();
        }
        entries.push_back({bounds[std::size_t(2 * pair)], bounds[std::size_t(2 * pair + 1)], pair});
    }
    return entries;
}
