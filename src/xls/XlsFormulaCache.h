#pragma once

#include "xls/CellValue.h"

#include <QByteArrayView>
#include <QHash>
#include <QString>

// The values that a spreadsheet application stored with the formula cells of an .xls workbook,
// taken from the BIFF records of the workbook stream. FreeXL reads formula cells as empty, which
// would turn a computed distance into "not applicable" without a word, so the reader asks here
// for every cell that FreeXL gives as empty. Constant error cells (#DIV/0! and the like) are kept
// too: FreeXL gives them as small whole numbers.
//
// How stored results become cell values:
//  - a number stays a number, a text stays a text (an empty text result is the empty text);
//  - TRUE and FALSE become the numbers 1 and 0, as FreeXL gives constant boolean cells;
//  - an error value, computed or constant, becomes an empty cell: it carries no number to compare;
//  - a number result shown in a date format stays a number (constant date cells, which FreeXL
//    turns into text, are the only dates in text form; the tables hold no dates);
//  - a text result whose text record is missing or cut short is unreadable, never silently empty.
//
// Every length read from the file is checked against the bytes that are really there.
class XlsFormulaCache
{
public:
    enum class Failure {
        None,
        NoContainer, // the bytes are not an OLE2 compound file
        NoWorkbookStream, // a compound file without a "Workbook" or "Book" stream
        Encrypted, // the workbook is protected by a password
        Damaged // the stream ends inside a worksheet's records, or a worksheet's
                // bounds (DIMENSION) are repeated or impossible
    };

    struct Entry
    {
        bool readable = true;
        CellValue value;
    };

    // Reads the cached results from the bytes of an .xls file (its OLE2 container).
    [[nodiscard]] static XlsFormulaCache fromFileBytes(QByteArrayView fileBytes);
    // Reads them from a BIFF5/BIFF8 workbook stream (the records from the first BOF on).
    [[nodiscard]] static XlsFormulaCache fromWorkbookStream(QByteArrayView stream);

    [[nodiscard]] Failure failure() const { return m_failure; }
    [[nodiscard]] bool ok() const { return m_failure == Failure::None; }
    // A few Italian words on what went wrong, empty when nothing did.
    [[nodiscard]] const QString &problem() const { return m_problem; }

    // The stored value of a cell (0-based worksheet position, row and column), or nullptr when the
    // cell holds neither a formula nor a constant error.
    [[nodiscard]] const Entry *find(int sheet, int row, int column) const;
    [[nodiscard]] qsizetype size() const { return m_entries.size(); }
    // Worksheet positions as the workbook's sheet list gives them.
    [[nodiscard]] int sheetCount() const { return m_sheetCount; }

private:
    class Parser;

    void fail(Failure failure, QString problem);

    QHash<quint64, Entry> m_entries;
    int m_sheetCount = 0;
    Failure m_failure = Failure::None;
    QString m_problem;
};
