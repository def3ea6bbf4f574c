#pragma once

// In-memory data workbooks for the tests of the classification and the estimate: the eleven class
// workbooks, the range correspondence and the toxic sub-class workbooks, registered under their
// system paths and empty until a test sets the cells it cares about.

#include "catalogue/HazardClass.h"
#include "support/MemoryWorkbook.h"

#include <array>
#include <memory>

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

    // The class workbook of a list code ("1_1_1" ... "53").
    MemoryWorkbook &book(const QString &listCode)
    {
        for (std::size_t i = 0; i < classBooks.size(); ++i) {
            if (hazardClasses()[i].listCode == listCode)
                return *classBooks[i];
        }
        qFatal("no class %s", qPrintable(listCode));
    }

    std::shared_ptr<MemoryWorkbook> addPairs() { return opener.add(kDataFolder + QStringLiteral("corrispondenza coppie tossici.xls"), 5); }
    std::shared_ptr<MemoryWorkbook> addSubclass(const QString &code)
    {
        return opener.add(kDataFolder + code + QStringLiteral(".xls"), 5);
    }

    [[nodiscard]] int totalReads() const
    {
        int reads = 0;
        for (const auto &book : classBooks)
            reads += book->reads();
        return reads;
    }
};
