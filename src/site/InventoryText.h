#pragma once

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

// The plain-text side of reading an inventory: a CSV file's bytes made UTF-8 for GDAL, the rows a
// spreadsheet shows its records on, and the analyst's texts and figures compared and read leniently.
namespace site {

// A CSV file's text in UTF-8 without a byte-order mark, and the encoding it was found in.
struct CsvText
{
    QByteArray utf8;
    QString encoding; // "UTF-8", "UTF-8 con BOM", "Windows-1252" or "Latin-1"
};

// Valid UTF-8 (with or without a byte-order mark) is taken as it is; anything else is what an Italian
// spreadsheet program saves by default: Windows-1252, or Latin-1 where Qt offers no such decoder.
[[nodiscard]] CsvText csvTextOf(const QByteArray &bytes);

// The spreadsheet row (the header is row 1) of every record after the header that GDAL's CSV driver
// reads as a feature, in file order. A record ends at a line break outside double quotes, so a quoted
// field may hold line breaks and stays one row; an empty line is a row to a spreadsheet but no
// feature to GDAL, so it moves the rows after it on without a record of its own.
[[nodiscard]] std::vector<int> csvRecordRows(const QByteArray &utf8);

} // namespace site
