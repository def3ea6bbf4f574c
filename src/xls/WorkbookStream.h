#pragma once

#include "xls/CellValue.h"

#include <QByteArrayView>
#include <QString>

#include <utility>
#include <vector>

// The cells of a BIFF8 (Excel 97 and later) or BIFF5/7 (Excel 5 and 95) workbook stream, read in
// one pass and kept sparse: only the cells present, sorted by position.
//
// Worksheets are numbered among themselves: charts, macro sheets and modules in the sheet list hold no
// cells and take no number.
//
// How cells become values: numbers are numbers, except constant numbers in a date or time format,
// which become text (see DateFormats.h); BIFF5 texts are read in the code page the workbook names
// (see CodePage.h), BIFF8 texts are Unicode; a formula
// cell yields its stored result: a number, a text, TRUE/FALSE as 1/0, an error value as empty;
// constant booleans are 1/0 and constant errors empty.
//
// The stream is refused as damaged at the first record that does not fit the format: a record
// beyond the stream or longer than any record may be, a record of type 0 or of the cell records of Excel 2 to 4, a
// fixed-size record of another size, a text longer or shorter than its record, a shared-string table whose strings do
// not fill it exactly, a string index beyond it, a cell before or outside its worksheet's bounds
// (DIMENSION, which every worksheet declares) or given twice, a number that is not finite, a worksheet that does not
// start exactly where the sheet list says or does not end in its EOF, nested sections out of balance, a sheet list
// without sheets, anything but zeros after the last sheet. A chart, macro sheet or module is read from the start the
// sheet list gives it up to the next entry's (the last one up to the padding), and must end in an EOF; what lies
// between is not judged (Gnumeric opens its chart sheets with two BOFs and one EOF). Records of other types are
// skipped. A password (FILEPASS in the globals) is reported before anything else; a BIFF5 code page this reader does
// not decode is Unsupported.
struct WorkbookContents
{
    enum class Failure { None, Encrypted, Damaged, Unsupported };

    Failure failure = Failure::None;
    QString problem; // a few Italian words on what is wrong
    int sheetCount = 0; // the worksheets of the sheet list
    std::vector<std::pair<quint64, CellValue>> cells; // by cellKey()

    // The cell at a 0-based worksheet position (among the worksheets), row and column; nullptr when it is
    // not there.
    [[nodiscard]] const CellValue *find(int sheet, int row, int column) const;
};

[[nodiscard]] constexpr quint64 cellKey(quint32 sheet, quint16 row, quint16 column)
{
    return (quint64(sheet) << 32) | (quint64(row) << 16) | column;
}

[[nodiscard]] WorkbookContents readWorkbookContents(QByteArrayView stream);
