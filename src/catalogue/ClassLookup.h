#pragma once

#include "estimate/Workbook.h"

#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

struct ProgramState;

// What one class membership lookup found: the class-list entries to append to the class list, in
// table order, and the failure that stopped it, if any (entries found before it stay).
struct ClassLookupResult
{
    QStringList entries;
    std::optional<WorkbookError> error;
};

// Called with 1 .. 11 just before each class table is opened and searched.
using ClassLookupProgress = std::function<void(int table)>;

// Searches the eleven class tables for the CAS text and records in the state what the later steps
// need: classWorkbooks (every handle opened anew), toxicClassFound, classCode, toxicZone, gasClass.
// Every lookup starts from a clean slate (no toxic flag, class code 0, no zone, no gas, no handles),
// so nothing of an earlier substance leaks into this one. A workbook failure stops the lookup.
[[nodiscard]] ClassLookupResult LookupSubstanceClasses(ProgramState &state, const WorkbookOpener &opener,
                                                       const QString &casText,
                                                       const ClassLookupProgress &progress = {});

// The class choice in the class list (Combo9_Click): records classCode and toxicClassFound for the
// chosen entry. The enabling of the controls is the window's.
void ChooseSubstanceClass(ProgramState &state, const QString &chosenEntry);
