#pragma once

#include <QString>
#include <QStringView>

// Constant number cells shown in a date or time format come back as text, "2006-12-04",
// "2006-12-04 09:05:30" or "09:05:30"; all other numbers stay numbers.
enum class DateKind { None, Date, Time, DateTime };

// The built-in formats by index (14-22 and 45-47 show dates and times).
[[nodiscard]] DateKind builtInDateKind(int formatIndex);
// A format string shows a date when it has day, month or year codes, a time when it has hours or
// seconds ("m" beside them is minutes); quoted text, escaped characters and colours do not count.
[[nodiscard]] DateKind dateKindOfFormat(QStringView format);
// The text of a serial day number, from 1900-01-01 as day 1 (with the spreadsheets' 29 February
// 1900 as day 60) or, in the 1904 system, from 1904-01-01 as day 0. Empty when out of range.
[[nodiscard]] QString dateText(double serial, DateKind kind, bool from1904);
