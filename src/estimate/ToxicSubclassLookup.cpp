#include "estimate/ToxicSubclassLookup.h"

#include "app/ProgramState.h"
#include "catalogue/HazardClass.h"
#include "estimate/CellAddress.h"
#include "estimate/NumberText.h"

#include <cmath>

namespace {

constexpr int kMatrixSheet = 2;
constexpr int kFirstMatrixRow = 5;
constexpr int kLastMatrixRow = 204;
constexpr int kMaxUsedRows = 4;
constexpr int kMaxZone = 72; // zone column up to BY

// Slot of damageDistance and index of the greater-than mark for threshold 1 or 3 under weather 1
// (D5) or 2 (F2).
int slotOf(int threshold, int weather)
{
    return (threshold - 1) + (weather == 2 ? 4 : 0);
}
int markOf(int threshold, int weather)
{
    return (threshold == 3 ? 1 : 0) + (weather == 2 ? 2 : 0);
}

bool isLastOfFamily(const QString &code)
{
    return code.endsWith(QLatin1Char('6'));
}

QString notANumber(const Workbook &book, int sheet, const QString &cell)
{
    return QStringLiteral("Il valore della distanza non è un numero:\n%1\nfoglio %2, cella %3")
        .arg(book.name())
        .arg(sheet)
        .arg(cell);
}

struct DistanceRead
{
    QString problem;                    // non-empty: stop the estimate
    std::optional<double> distance;     // nullopt: the workbook has no column for the range
};

// Binds the sub-class workbook of the code and reads the distance of threshold t under weather w.
DistanceRead readDistance(ProgramState &state, const WorkbookOpener &opener, const QString &code, int threshold,
                          int weather, double lowerBound)
{
    const Outcome<WorkbookHandle> opened = opener.open(kDataFolder + code + QStringLiteral(".xls"));
    if (!opened.ok())
        return {opened.error().message(), std::nullopt};
    state.subclassWorkbook = opened.value();
    const Workbook &book = *state.subclassWorkbook;
    const int sheet = state.containmentCode;
    const int row = (state.hypothesisCode == 1 ? 3 : 7) + (threshold - 1);

    int column = 0; // 1-based spreadsheet column
    if (state.containmentCode == 3 || state.containmentCode == 4) {
        column = weather == 1 ? 3 : 4;
    } else {
        const CellValue wanted = CellValue::number(lowerBound);
        for (int first = 3; first <= 17; first += 2) {
            const Outcome<CellValue> bound = book.readCell(sheet, cellAddress(columnLetters(first), 1));
            if (!bound.ok())
                return {bound.error().message(), std::nullopt};
            if (bound.value() == wanted) {
                column = weather == 1 ? first : first + 1;
                break;
            }
        }
        if (column == 0)
            return {};
    }
    const QString address = cellAddress(columnLetters(column), row);
    const Outcome<CellValue> cell = book.readCell(sheet, address);
    if (!cell.ok())
        return {cell.error().message(), std::nullopt};
    if (cell.value().isText())
        return {notANumber(book, sheet, address), std::nullopt};
    const auto slot = static_cast<std::size_t>(slotOf(threshold, weather));
    state.result.damageDistance[slot] = cell.value();
    state.result.notAvailable[slot] = false;
    return {{}, cell.value().toNumber()};
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

double ChosenLowerBound(int containmentCode, const ToxicLookupInput &input)
{
    QString text;
    if (containmentCode == 1 || containmentCode == 2)
        text = input.quantity;
    else if (containmentCode == 5)
        text = input.diameter;
    text = text.left(10);
    const qsizetype dash = text.indexOf(QLatin1Char('-'));
    if (dash >= 0)
        text = text.left(dash);
    return LeadingNumber(text);
}

QString LookupToxicSubclasses(ProgramState &state, const WorkbookOpener &opener, const ToxicLookupInput &input)
{
    ResultSet &result = state.result;
    for (int threshold : {1, 3}) {
        for (int weather : {1, 2}) {
            result.notAvailable[static_cast<std::size_t>(slotOf(threshold, weather))] = true;
            result.greaterThan[static_cast<std::size_t>(markOf(threshold, weather))] = false;
        }
    }
    result.subclassName.fill(QString());
    result.classLabel.clear();

    const double lowerBound = ChosenLowerBound(state.containmentCode, input);
    const bool likely = input.hypothesis == QStringLiteral("Ipotesi più probabile");
    // A pair code left from an earlier estimate must not be used for this one.
    state.pairCode = CellValue();
    bool pairFound = false;
    for (int k = 0; k < state.toxicRangeCount && k < kMaxPairRows; ++k) {
        const PairRow &row = state.pairTable[static_cast<std::size_t>(k)];
        if (row.lowerBound == CellValue::number(lowerBound)) {
            state.hypothesisCode = likely ? 1 : 2;
            state.pairCode = likely ? row.pairCodeLikely : row.pairCodeAverage;
            pairFound = true;
            break;
        }
    }
    if (!pairFound)
        return {}; // no row of the correspondence: every toxic distance stays not available

    const double zone = state.toxicZone.toNumber();
    if (!state.toxicZone.isNumber() || zone != std::floor(zone) || zone < 1 || zone > kMaxZone) {
        const QString shown = state.toxicZone.isText() ? QLatin1Char('"') + state.toxicZone.toText() + QLatin1Char('"')
                                                       : SignedNumberText(state.toxicZone).trimmed();
        return QStringLiteral("Indice di zona non valido per la sostanza scelta: %1\n"
                              "(deve essere un numero intero da 1 a %2, colonna A della tabella della classe)")
            .arg(shown)
            .arg(kMaxZone);
    }
    if (!state.classWorkbook)
        return QStringLiteral("La tabella della classe non è stata letta: ripetere la scelta della tipologia di detenzione.");
    const Workbook &matrix = *state.classWorkbook;
    const QString zoneColumn = columnLetters(static_cast<int>(zone) + 5);
    const CellValue group = CellValue::number(state.containmentGroup);

    int used = 0;
    for (int row = kFirstMatrixRow; row <= kLastMatrixRow && used < kMaxUsedRows; ++row) {
        std::array<CellValue, 4> cells; // A, B, C, D
        const char *columns[] = {"A", "B", "C", "D"};
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const Outcome<CellValue> cell = matrix.readCell(kMatrixSheet, cellAddress(QString::fromLatin1(columns[i]), row));
            if (!cell.ok())
                return cell.error().message();
            cells[i] = cell.value();
        }
        if (!(cells[1] == state.pairCode) || !(cells[0] == group))
            continue;
        int threshold = 0;
        int weather = 0;
        for (int t : {1, 3}) {
            for (int w : {1, 2}) {
                if (cells[2] == CellValue::number(t) && cells[3] == CellValue::number(w)) {
                    threshold = t;
                    weather = w;
                }
            }
        }
        if (threshold == 0)
            continue;

        const QString labelAddress = cellAddress(zoneColumn, row);
        const Outcome<CellValue> labelCell = matrix.readCell(kMatrixSheet, labelAddress);
        if (!labelCell.ok())
            return labelCell.error().message();
        const std::optional<SubclassLabel> label =
            labelCell.value().isText() ? NormaliseSubclassLabel(labelCell.value().toText()) : std::nullopt;
        if (!label) {
            const CellValue &raw = labelCell.value();
            const QString shown = raw.isText() ? QLatin1Char('"') + raw.toText() + QLatin1Char('"')
                                : raw.isEmpty() ? QStringLiteral("(vuota)")
                                                : SignedNumberText(raw).trimmed();
            return QStringLiteral("Sottoclasse tossica sconosciuta %1:\n%2\nfoglio %3, cella %4")
                .arg(shown, matrix.name())
                .arg(kMatrixSheet)
                .arg(labelAddress);
        }
        result.classLabel = label->label;
        ++used;
        result.subclassName[static_cast<std::size_t>(used - 1)] = QStringLiteral("classe ") + label->label;

        DistanceRead read = readDistance(state, opener, label->code, threshold, weather, lowerBound);
        if (!read.problem.isEmpty())
            return read.problem;
        // The last workbook of a family holds 0 where its distance is beyond the table: the one
        // below it gives a lower bound of the distance.
        if (isLastOfFamily(label->code) && read.distance && *read.distance == 0.0) {
            result.greaterThan[static_cast<std::size_t>(markOf(threshold, weather))] = true;
            QString lower = label->code;
            lower.back() = QLatin1Char('5');
            read = readDistance(state, opener, lower, threshold, weather, lowerBound);
            if (!read.problem.isEmpty())
                return read.problem;
        }
    }
    return {};
}
