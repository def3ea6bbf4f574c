#pragma once

#include <QString>

// CAS registry numbers as the class tables hold them: "7664-41-7", two to seven digits, two digits
// and one check digit. The check digit is the sum of the other digits, each times its place counted
// from the right (1, 2, ...), modulo 10, so a digit typed wrong or two neighbours swapped show.

// True for a text in CAS form whose check digit does not fit the other digits. Any other text (a
// heading, "n.d.", a number with a blank more) is no CAS number and not judged here.
[[nodiscard]] bool isMistypedCasNumber(const QString &text);
