#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

// The workbook stream of an OLE2 compound file: "Workbook" (Excel 97 and later) or "Book" (Excel 5
// and 95), a child of the root storage. The container is checked as it is read: the byte-order mark;
// the allocation table and every sector chain followed (directory, small-block table and stream, the
// workbook stream) stay inside the file, end properly, never loop and never share a sector, neither
// with each other nor with the allocation table's own sectors and their list; the file holds
// every sector that its allocation table marks as used; the directory's names and tree links are
// sound; the stream's chain holds exactly its size.
struct CompoundStream
{
    enum class Failure {
        None,
        Damaged, // problem: a few Italian words on what is wrong
        NoWorkbookStream // a sound compound file without a workbook stream
    };

    Failure failure = Failure::None;
    QString problem;
    QByteArray bytes;
};

// fileBytes starts with the compound-file signature. A stream stored in one piece is not copied:
// its bytes then share fileBytes' memory, which must outlive them.
[[nodiscard]] CompoundStream readWorkbookStream(QByteArrayView fileBytes);
