#pragma once

#include <QString>
#include <QStringList>

struct ProgramState;

// What the flammable-class quick pick puts into the substance lists.
struct QuickPickResult
{
    QString listCode;   // "1_1_1" ... "2_3"; empty when the entry names no class
    QStringList casList;  // the class's CAS numbers, in list order (for the CAS list)
    QStringList nameList; // the catalogue names of those numbers, in catalogue order (for the name list)
};

// The list code that a quick-pick entry starts with, compared on its leading five or three
// characters in the order 1_1_1, 1_1_2, 1_2, 2_1_1, 2_1_2, 2_2, 2_3; empty when none matches.
[[nodiscard]] QString QuickPickClassCode(const QString &entry);

// Combo8_Click without the widgets: sets selectionMode to 1, then to 2 once the class is
// recognised, and builds the two lists from the class's CAS list and the catalogue pairs kept in
// the state. The caller then empties the substance lists, fills them and runs the class lookup.
[[nodiscard]] QuickPickResult FlammableClassQuickPick(ProgramState &state, const QString &entry);
