#include "estimate/DistanceLookup.h"

#include "app/ProgramState.h"
#include "estimate/CellAddress.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/NumberText.h"
#include "estimate/ToxicSubclassLookup.h"

namespace {

// 1-based position (2j + 1) of the last entry equal to the text; 0 when none is.
int columnOfEntry(const QStringList &entries, const QString &text)
{
    int column = 0;
    for (qsizetype j = 0; j < entries.size(); ++j) {
        if (entries.at(j) == text)
            column = static_cast<int>(2 * j + 1);
    }
    return column;
}

bool isMarkedSlot(std::size_t slot, std::size_t *mark)
{
    switch (slot) {
    case 0: *mark = 0; return true;
    case 2: *mark = 1; return true;
    case 4: *mark = 2; return true;
    case 6: *mark = 3; return true;
    default: return false;
    }
}

} // namespace

void BuildDistanceTexts(ResultSet &result)
{
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
        if (result.notAvailable[slot]) {
            result.distanceText[slot] = kNotAvailable;
            continue;
        }
        const CellValue &distance = result.damageDistance[slot];
        QString text = SignedNumberText(distance);
        std::size_t mark = 0;
        if (isMarkedSlot(slot, &mark) && result.greaterThan[mark])
            text += QStringLiteral(" >");
        if (distance.toNumber() == 10001.0)
            text = SignedNumberText(10000.0) + QStringLiteral(" >");
        text += QStringLiteral(" m");
        const bool firstThreshold = slot % 4 == 0;
        if (!firstThreshold && distance.toNumber() == 0.0)
            text = kNotApplicable;
        result.distanceText[slot] = text;
    }
}

QString ScenarioName(const QString &classLabel, int hypothesisCode, bool toxic)
{
    if (classLabel == QStringLiteral("1.1.1") || classLabel == QStringLiteral("1.1.2") || classLabel == QStringLiteral("1.2"))
        return QStringLiteral("Pool Fire");
    for (const char *prefix : {"5.1", "5.2", "5.3", "4"}) {
        if (classLabel.startsWith(QLatin1String(prefix)))
            return QStringLiteral("Nube Tossica");
    }
    // A toxic estimate whose matrix gave no sub-class still describes a toxic cloud.
    if (toxic)
        return QStringLiteral("Nube Tossica");
    return hypothesisCode == 1 ? QStringLiteral("Flash Fire") : QStringLiteral("VCE");
}

EstimateOutcome RunEstimate(ProgramState &state, const WorkbookOpener &opener, const EstimateInput &input)
{
    EstimateOutcome out;
    out.quantityText = input.quantity;
    out.diameterText = input.diameter;
    out.report = {input.substanceName, input.cas, input.classText, input.containment,
                  input.hypothesis,    input.quantity, input.diameter};
    out.summary = PreliminarySummary(out.report).join(QStringLiteral("\r\n"));

    ResultSet &result = state.result;
    for (std::size_t slot : {0u, 2u, 4u, 6u})
        result.damageDistance[slot] = CellValue::number(1);
    result.greaterThan.fill(false);
    result.notAvailable.fill(false);

    if (input.containment == kContainmentListPrompt || input.containment.isEmpty()) {
        out.message = kEmptyContainment;
        return out;
    }

    RangeTable distanceTable = state.rangeTable;
    const int quantityColumn = columnOfEntry(input.quantityEntries, input.quantity);
    const int diameterColumn = columnOfEntry(input.diameterEntries, input.diameter);
    for (qsizetype j = 0; j < input.containmentEntries.size(); ++j) {
        if (input.containmentEntries.at(j) == input.containment)
            state.containmentCode = static_cast<int>(j) + 1;
    }
    int rangeColumn = 0;
    switch (state.containmentCode) {
    case 1:
    case 2:
        rangeColumn = quantityColumn;
        if (rangeColumn == 0) {
            out.message = kUnknownQuantity;
            return out;
        }
        break;
    case 3:
    case 4: rangeColumn = 1; break;
    case 5:
        rangeColumn = diameterColumn;
        if (rangeColumn == 0) {
            out.message = kUnknownDiameter;
            return out;
        }
        break;
    default: out.message = kEmptyContainment; return out;
    }

    const bool toxic = state.toxicClassFound;
    if (!toxic) {
        const int firstRow = input.hypothesis == QStringLiteral("Ipotesi più probabile") ? 3 : 7;
        for (int threshold = 1; threshold <= 4; ++threshold) {
            const int row = firstRow + threshold - 1;
            for (int weather = 0; weather < 2; ++weather) {
                const int column = rangeColumn - 1 + weather; // 0-based in C..R
                const CellValue &value = distanceTable[static_cast<std::size_t>(row - 1)][static_cast<std::size_t>(column)];
                if (value.isText()) {
                    out.message = QStringLiteral("Il valore della distanza non è un numero:\n%1\nfoglio %2, cella %3")
                                      .arg(state.classWorkbook ? state.classWorkbook->name() : QString())
                                      .arg(state.containmentCode)
                                      .arg(cellAddress(columnLetters(3 + column), row));
                    return out;
                }
                result.damageDistance[static_cast<std::size_t>(threshold - 1 + 4 * weather)] = value;
            }
        }
    } else {
        // Thresholds 2 and 4 have no toxic distance.
        for (std::size_t slot : {1u, 3u, 5u, 7u})
            result.damageDistance[slot] = CellValue();
        const QString problem =
            LookupToxicSubclasses(state, opener, {input.quantity, input.diameter, input.hypothesis});
        if (!problem.isEmpty()) {
            out.message = problem;
            return out;
        }
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot) {
            if (result.notAvailable[slot])
                result.damageDistance[slot] = CellValue();
        }
        FillRangeRowFromPairs(state);
    }

    BuildDistanceTexts(result);

    if (input.containment == containmentTypes()[2] || input.containment == containmentTypes()[3]) {
        out.quantityText = kNotApplicable;
        out.diameterText = kNotApplicable;
    } else if (input.containment == containmentTypes()[4]) {
        out.quantityText = kNotApplicable;
    } else {
        out.diameterText = kNotApplicable;
    }
    result.scenarioName = ScenarioName(result.classLabel, state.hypothesisCode, toxic);

    out.report.quantity = out.quantityText;
    out.report.diameter = out.diameterText;
    out.toxic = toxic;
    out.completed = true;
    return out;
}
