#pragma once

// In-memory data workbooks for the tests of the classification and the estimate, and one substance
// taken through lookup, class choice, containment choice and estimate the way the main window does.

#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "catalogue/HazardClass.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/DistanceLookup.h"
#include "support/ListEntries.h"
#include "support/MemoryWorkbook.h"

#include <array>
#include <memory>

inline const QString kTestCas = QStringLiteral("7664-41-7");

inline std::size_t classIndex(const QString &listCode)
{
    for (std::size_t i = 0; i < hazardClasses().size(); ++i) {
        if (hazardClasses()[i].listCode == listCode)
            return i;
    }
    qFatal("no class %s", qPrintable(listCode));
}
inline const HazardClass &classOf(const QString &listCode) { return hazardClasses()[classIndex(listCode)]; }

// The eleven class workbooks under their system paths, empty until a test sets cells.
struct EstimateWorkbooks
{
    MemoryWorkbookOpener opener;
    std::array<std::shared_ptr<MemoryWorkbook>, 11> classBooks;

    EstimateWorkbooks()
    {
        for (std::size_t i = 0; i < classBooks.size(); ++i) {
            const HazardClass &hazard = hazardClasses()[i];
            classBooks[i] = opener.add(kDataFolder + hazard.workbookFile, hazard.isToxic() ? 2 : 6);
        }
    }
    MemoryWorkbook &book(const QString &listCode) { return *classBooks[classIndex(listCode)]; }

    // A CAS in a class table: a flammable one holds it on worksheet 6, column A; a toxic one on
    // worksheet 1, column C, with the zone index in column A.
    void put(const QString &listCode, int row, const QString &cas, const TestCell &zone = 1)
    {
        if (classOf(listCode).isToxic())
            book(listCode).set(1, QStringLiteral("A%1").arg(row), zone).set(1, QStringLiteral("C%1").arg(row), CellValue::text(cas));
        else
            book(listCode).set(6, QStringLiteral("A%1").arg(row), CellValue::text(cas));
    }
    std::shared_ptr<MemoryWorkbook> addPairs() { return opener.add(kDataFolder + kRangeCorrespondenceFile, 5); }

    [[nodiscard]] int totalReads() const
    {
        int reads = 0;
        for (const auto &book : classBooks)
            reads += book->reads();
        return reads;
    }
};

// One substance of one class (a toxic one with its zone index), through the main window's steps.
struct EstimateCase
{
    EstimateWorkbooks data;
    ProgramState state;
    QString code;
    ContainmentOutcome containment;
    EstimateInput input;

    explicit EstimateCase(QString listCode, const TestCell &zone = 1) : code(std::move(listCode))
    {
        data.put(code, classOf(code).isToxic() ? 4 : 1, kTestCas, zone);
    }
    MemoryWorkbook &book() { return data.book(code); }
    // Row 1 of a distance worksheet: the range bounds from column C on.
    void setBounds(int sheet, const QList<double> &bounds)
    {
        for (int i = 0; i < bounds.size(); ++i)
            book().set(sheet, QStringLiteral("%1%2").arg(QChar('C' + i)).arg(1), bounds[i]);
    }
    void lookup() { (void)LookupSubstanceClasses(state, data.opener, kTestCas); }

    // Lookup, the class chosen from the class list, then the containment.
    ContainmentOutcome choose(int containmentCode, const QString &hypothesis = kLikely)
    {
        lookup();
        const QString entry = classOf(code).listEntry;
        ChooseSubstanceClass(state, entry);
        const QString type = containmentTypes()[std::size_t(containmentCode - 1)];
        containment = ChooseContainment(state, data.opener, {type, entry, QString(), hypothesis});
        input = {QStringLiteral("Ammoniaca"), kTestCas, entry, type,
                 QStringList(containmentTypes().cbegin(), containmentTypes().cend()), hypothesis,
                 QStringLiteral("quantità stoccata "), containment.quantityEntries.value_or(QStringList()),
                 QStringLiteral("diametro della condotta"), containment.diameterEntries.value_or(QStringList())};
        return containment;
    }
    // The estimate with the entry'th offered range (or diameter) chosen.
    EstimateOutcome estimate(int entry = 0)
    {
        if (!input.quantityEntries.isEmpty())
            input.quantity = input.quantityEntries.value(entry);
        if (!input.diameterEntries.isEmpty())
            input.diameter = input.diameterEntries.value(entry);
        return RunEstimate(state, data.opener, input);
    }
    EstimateOutcome run(int containmentCode, const QString &hypothesis = kLikely, int entry = 0)
    {
        choose(containmentCode, hypothesis);
        return estimate(entry);
    }
    [[nodiscard]] QStringList texts() const
    {
        return QStringList(state.result.distanceText.cbegin(), state.result.distanceText.cend());
    }
    [[nodiscard]] QList<double> distances() const
    {
        QList<double> values;
        for (const CellValue &value : state.result.damageDistance)
            values << value.toNumber();
        return values;
    }
};
