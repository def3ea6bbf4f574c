#pragma once

#include "xls/Workbook.h"
#include "xls/WorkbookStream.h"

#include <QString>

// An .xls workbook read whole when it is opened (see WorkbookStream.h for how cells become values
// and what makes a workbook damaged); reading a cell is a lookup. A cell beyond a worksheet's
// used range is empty. Safe to read from several threads.
class XlsWorkbook final : public Workbook
{
public:
    XlsWorkbook(QString name, WorkbookContents contents);

    [[nodiscard]] QString name() const override { return m_name; }
    [[nodiscard]] int sheetCount() const override { return m_contents.sheetCount; }
    [[nodiscard]] Outcome<CellValue> readCell(int sheet, const QString &address) const override;

private:
    QString m_name;
    WorkbookContents m_contents;
};

// Errors name the workbook as systemName (the path the system uses, such as "c:\...\111.xls"),
// which also becomes the workbook's name().

// The bytes of the .xls file at a local path, looked at before they are read: a missing file or a
// folder in its place is MissingWorkbook; a FIFO, a device or a file over 64 MB FileUnreadable.
[[nodiscard]] Outcome<QByteArray> readXlsFile(const QString &localPath, const QString &systemName);

// The workbook these bytes of a file hold, read whole (nothing refers to the bytes afterwards). Not a
// compound file, or one without a workbook stream: NotAWorkbook; a password: EncryptedWorkbook; texts
// in a code page not read: UnsupportedWorkbook; anything inconsistent in the container or the
// records: DamagedWorkbook.
[[nodiscard]] Outcome<WorkbookHandle> parseXlsWorkbook(QByteArrayView fileBytes, const QString &systemName);

// readXlsFile, then parseXlsWorkbook: the file is read once.
[[nodiscard]] Outcome<WorkbookHandle> openXlsWorkbook(const QString &localPath, const QString &systemName);
