#pragma once

// The eleven class workbooks held in memory under their system paths, empty until a test sets
// cells, and what the tests of the class lookup and of the estimate share about them.

#include "catalogue/HazardClass.h"
#include "estimate/EstimateChain.h"
#include "support/MemoryWorkbook.h"

#include <numeric>

inline const Substance kTestSubstance{QStringLiteral("Ammoniaca"), QStringLiteral("7664-41-7")};

inline const HazardClass &classOf(const QString &listCode)
{
    return *findHazardClass(listCode);
}

struct EstimateWorkbooks
{
    MemoryWorkbookOpener opener;
    std::array<std::shared_ptr<MemoryWorkbook>, kHazardClassCount> classBooks;

    EstimateWorkbooks()
    {
        for (const HazardClass &hazard : hazardClasses())
            classBooks[hazard.index()] = opener.add(kDataFolder + hazard.workbookFile, hazard.isToxic() ? 2 : 6);
    }
    MemoryWorkbook &book(const QString &listCode) { return *classBooks[classOf(listCode).index()]; }

    // A CAS number (the test substance's unless told) in a row of a class table: a flammable one lists
    // them on worksheet 6, column A; a toxic one on worksheet 1, column C, with the zone index in column A.
    void put(const QString &listCode, int row, const TestCell &zone = 1, const TestCell &cas = kTestSubstance.cas)
    {
        if (!classOf(listCode).isToxic())
            book(listCode).set(6, QStringLiteral("A%1").arg(row), cas);
        else
            book(listCode).set(1, QStringLiteral("A%1").arg(row), zone).set(1, QStringLiteral("C%1").arg(row), cas);
    }
    [[nodiscard]] int totalReads() const
    {
        return std::accumulate(classBooks.cbegin(), classBooks.cend(), 0,
                               [](int sum, const auto &book) { return sum + book->reads(); });
    }
};

// Rows 3..10 of the eight range pairs of a distance worksheet: (base + 100 * pair + 10 * hypothesis
// + slot) / scale, the slot being threshold - 1 under D5 (the pair's first column) and 4 more under F2.
inline void fillDistances(MemoryWorkbook &book, int sheet, int base = 0, int scale = 1)
{
    for (int pair = 0; pair < kRangePairs; ++pair) {
        for (int row = 3; row <= 10; ++row) {
            const int value = base + 100 * pair + 10 * (row < 7 ? 1 : 2) + (row - 3) % 4;
            book.setRow(sheet, QStringLiteral("%1%2").arg(QChar('C' + 2 * pair)).arg(row),
                        {double(value) / scale, double(value + 4) / scale});
        }
    }
}

// Where an error is: "file|sheet|cell|detail".
inline QString whereOf(const Error &error)
{
    return QStringLiteral("%1|%2|%3|%4").arg(error.file).arg(error.sheet).arg(error.cell, error.detail);
}
