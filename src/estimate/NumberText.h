#pragma once

#include "xls/CellValue.h"

#include <QString>

// The two number conversions behind every number the estimate shows or reads back from a list.

// The shortest decimal text of a number, with one blank in front of a number that is not
// negative (a minus sign otherwise): 350 -> " 350", 0 -> " 0", -2.5 -> "-2.5".
[[nodiscard]] QString SignedNumberText(double value);

// The same for a cell value; an empty cell counts as 0. Callers check that the value is not a
// text before they format it (a text would show as 0).
[[nodiscard]] QString SignedNumberText(const CellValue &value);

// The value of the number at the start of a text: blanks before it are skipped, reading stops at
// the first character that cannot continue the number, and a text without a number gives 0
// (" 10 " -> 10, " 0 -  10" -> 0, "abc" -> 0, "2.5e3t" -> 2500).
[[nodiscard]] double LeadingNumber(const QString &text);
