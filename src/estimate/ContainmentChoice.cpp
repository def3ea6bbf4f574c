#include "estimate/ContainmentChoice.h"

#include "app/ProgramState.h"
#include "catalogue/HazardClass.h"
#include "estimate/CellAddress.h"
#include "estimate/NumberText.h"

namespace {

constexpr int kFirstPairRow = 3;
constexpr int kLastPairRow = 24;
constexpr int kRangeOffers = 8;

// Spreadsheet column letter of range-table column index 0..15 (C..R).
QString rangeColumnLetters(int index)
{
    return columnLetters(3 + index);
}

QString notANumberMessage(const QString &file, int sheet, const QString &cell)
{
    return QStringLiteral("Il limite di un range non è un numero:\n%1\nfoglio %2, cella %3")
        .arg(file)
        .arg(sheet)
        .arg(cell);
}

// The class index (0..10) named by the start of a class-list or quick-pick text, testing the codes
// in table order ("1_2" before "2_1_1", "4" before "51").
std::optional<std::size_t> classIndexOf(const QString &text)
{
    const auto &classes = hazardClasses();
    for (std::size_t i = 0; i < classes.size(); ++i) {
        if (text.startsWith(classes[i].listCode))
            return i;
    }
    return std::nullopt;
}

// Reads rows 1..10, columns C..R of the class workbook's containment worksheet.
QString readRangeTable(ProgramState &state)
{
    const Workbook &book = *state.classWorkbook;
    for (int row = 1; row <= kRangeTableRows; ++row) {
        for (int column = 0; column < kRangeTableColumns; ++column) {
            const Outcome<CellValue> cell =
                book.readCell(state.containmentCode, cellAddress(rangeColumnLetters(column), row));
            if (!cell.ok())
                return cell.error().message();
            state.rangeTable[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column)] = cell.value();
        }
    }
    return {};
}

// Reads the rows of the class's code from the correspondence worksheet into pairTable.
QString readPairTable(ProgramState &state, const WorkbookOpener &opener)
{
    const Outcome<WorkbookHandle> opened = opener.open(kDataFolder + kRangeCorrespondenceFile);
    if (!opened.ok())
        return opened.error().message();
    state.pairWorkbook = opened.value();
    state.toxicRangeCount = 0;
    state.pairTable.fill(PairRow{});

    const Workbook &book = *state.pairWorkbook;
    const int sheet = state.containmentCode;
    const CellValue classCode = CellValue::number(state.classCode);
    for (int row = kFirstPairRow; row <= kLastPairRow; ++row) {
        const Outcome<CellValue> code = book.readCell(sheet, cellAddress(QStringLiteral("A"), row));
        if (!code.ok())
            return code.error().message();
        if (!(code.value() == classCode))
            continue;
        if (state.toxicRangeCount == kMaxPairRows) {
            return QStringLiteral("La tabella di corrispondenza dei range ha più di %1 righe per la classe %2:\n%3\nfoglio %4")
                .arg(kMaxPairRows)
                .arg(state.classCode)
                .arg(book.name())
                .arg(sheet);
        }
        std::array<CellValue, 4> cells;
        const char *columns[] = {"B", "C", "D", "E"};
        for (std::size_t i = 0; i < cells.size(); ++i) {
            const QString address = cellAddress(QString::fromLatin1(columns[i]), row);
            const Outcome<CellValue> cell = book.readCell(sheet, address);
            if (!cell.ok())
                return cell.error().message();
            // A bound or a pair code typed as text would never match: say which cell it is.
            if (cell.value().isText())
                return notANumberMessage(book.name(), sheet, address);
            cells[i] = cell.value();
        }
        state.pairTable[static_cast<std::size_t>(state.toxicRangeCount)] = {cells[0], cells[1], cells[2], cells[3]};
        ++state.toxicRangeCount;
    }
    return {};
}

} // namespace

const std::array<QString, 5> &containmentTypes()
{
    static const std::array<QString, 5> types{
        QStringLiteral("Stoccaggi fissi con bacino di contenimento"),
        QStringLiteral("Stoccaggi fissi senza bacino di contenimento"),
        QStringLiteral("Autobotti/Ferrocisterne"),
        QStringLiteral("Navi"),
        QStringLiteral("Condotte"),
    };
    return types;
}

QString RangeEntryText(const CellValue &lower, const CellValue &upper)
{
    return SignedNumberText(lower) + QStringLiteral(" - ") + SignedNumberText(upper);
}

void FillRangeRowFromPairs(ProgramState &state)
{
    auto &row = state.rangeTable[0];
    for (std::size_t k = 0; k < kRangeOffers; ++k) {
        row[2 * k] = state.pairTable[k].lowerBound;
        row[2 * k + 1] = state.pairTable[k].upperBound;
    }
}

ContainmentOutcome ChooseContainment(ProgramState &state, const WorkbookOpener &opener, const ContainmentInput &input)
{
    ContainmentOutcome out;
    const bool pipeline = input.containment == containmentTypes()[4];
    out.showDiameterList = pipeline;
    out.showQuantityList = !pipeline;

    int code = 0;
    for (std::size_t i = 0; i < containmentTypes().size(); ++i) {
        if (input.containment == containmentTypes()[i])
            code = static_cast<int>(i) + 1;
    }
    if (code == 0)
        return out; // not one of the list's entries: nothing to fix

    // The class: the chosen class-list entry, or the quick-pick entry while the class list still
    // shows its prompt. Without either, nothing below could be read.
    QString classText = input.classText;
    if (classText.startsWith(QStringLiteral("visio")))
        classText = input.quickPickText;
    const std::optional<std::size_t> classIndex = classIndexOf(classText);
    if (!classIndex) {
        out.showQuantityList = out.showDiameterList = false;
        out.classChoiceOpen = true;
        out.message = kChooseClassFirst;
        return out;
    }
    if (classText != input.classText)
        out.classText = classText;
    const HazardClass &hazard = hazardClasses()[*classIndex];

    state.containmentCode = code;
    switch (code) {
    case 1: state.containmentGroup = 1; break;
    case 3: state.containmentGroup = state.classCode == 53 ? 2 : 1; break;
    default: state.containmentGroup = 2; break;
    }
    if (code == 1 && (classText.startsWith(QStringLiteral("2_3")) || classText.startsWith(QStringLiteral("53")))) {
        out.showQuantityList = out.showDiameterList = false;
        out.message = kCompressedGasRefusal;
        return out;
    }
    if (code == 3 || code == 4) {
        out.showQuantityList = false;
        out.enableEstimate = true;
    }

    if (!hazard.isToxic())
        state.result.classLabel = hazard.dottedLabel();
    WorkbookHandle book = state.classWorkbooks[*classIndex];
    if (!book) {
        // The class lookup did not get this far (it stopped on an earlier failure).
        const Outcome<WorkbookHandle> opened = opener.open(kDataFolder + hazard.workbookFile);
        if (!opened.ok()) {
            out = ContainmentOutcome{};
            out.message = opened.error().message();
            return out;
        }
        book = opened.value();
    }
    state.classWorkbook = book;
    state.hypothesisCode = input.hypothesis == QStringLiteral("Ipotesi più probabile") ? 1 : 2;

    const auto fail = [&](const QString &message) {
        ContainmentOutcome failed;
        failed.message = message;
        return failed;
    };
    if (!state.toxicClassFound) {
        if (const QString problem = readRangeTable(state); !problem.isEmpty())
            return fail(problem);
    } else {
        if (const QString problem = readPairTable(state, opener); !problem.isEmpty())
            return fail(problem);
        FillRangeRowFromPairs(state);
    }

    out.enableLists = true;
    const auto &bounds = state.rangeTable[0];
    // Entries for the pairs asked for; a bound that is not a number stops the offer.
    const auto entries = [&](const std::vector<std::size_t> &pairs, QString *problem) {
        QStringList list;
        for (std::size_t pair : pairs) {
            for (std::size_t column : {2 * pair, 2 * pair + 1}) {
                // (The correspondence bounds were checked as they were read.)
                if (bounds[column].isText()) {
                    *problem = notANumberMessage(state.classWorkbook->name(), state.containmentCode,
                                                 cellAddress(rangeColumnLetters(static_cast<int>(column)), 1));
                    return QStringList();
                }
            }
            list << RangeEntryText(bounds[2 * pair], bounds[2 * pair + 1]);
        }
        return list;
    };
    QString problem;
    if (code == 1 || code == 2) {
        std::vector<std::size_t> pairs{0};
        for (std::size_t pair = 1; pair < kRangeOffers; ++pair) {
            if (bounds[2 * pair].toNumber() != 0.0 || bounds[2 * pair].isText())
                pairs.push_back(pair);
        }
        out.quantityEntries = entries(pairs, &problem);
    } else if (code == 5) {
        std::vector<std::size_t> pairs{0, 1, 2, 3};
        if (state.gasClass)
            pairs.push_back(4);
        out.diameterEntries = entries(pairs, &problem);
    }
    if (!problem.isEmpty())
        return fail(problem);
    return out;
}
