#pragma once

#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "xls/Workbook.h"

#include <array>
#include <functional>
#include <optional>
#include <vector>

// One row of a class table that lists the substance.
struct ClassMatch
{
    const HazardClass *hazard = nullptr;
    CellValue zone; // toxic classes: the row's zone index (column A) as read; empty otherwise
};

// What the class membership lookup found, and the eleven class workbooks it opened (the later
// steps of the estimate read the chosen class's tables from them).
struct ClassLookup
{
    std::vector<ClassMatch> matches; // in table order; a class that lists the substance twice comes twice
    std::array<WorkbookHandle, kHazardClassCount> workbooks;

    // The last row of a class that lists the substance; nullptr when no row does.
    [[nodiscard]] const ClassMatch *lastMatchOf(const HazardClass &hazard) const;
};

// Called with 1 .. 11 just before each class table is opened and searched.
using ClassLookupProgress = std::function<void(int table)>;

// Opens the eleven class workbooks in table order and searches every row of their tables for the
// substance's CAS number, compared as exact text (a cell holding it as a number, or with a blank
// more, does not match; an empty CAS number matches nothing). A quick pick names no substance: the
// workbooks are opened and nothing is found. The first workbook or cell that cannot be read stops
// the lookup with its error, and so does a mistyped CAS number in any table (checkCasCell): the
// substance it stands for would silently miss that class.
[[nodiscard]] Outcome<ClassLookup> lookUpSubstanceClasses(const WorkbookOpener &opener,
                                                          const std::optional<Substance> &substance,
                                                          const ClassLookupProgress &progress = {});

// A CAS cell of a class table: refused (BadCasNumber, naming the cell) when it holds a text in CAS
// form whose check digit is wrong.
[[nodiscard]] Status checkCasCell(const CellValue &cell, const QString &book, int sheet, const QString &address);
