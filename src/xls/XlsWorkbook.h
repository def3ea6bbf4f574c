#pragma once

#include "xls/Workbook.h"
#include "xls/XlsFormulaCache.h"

#include <QString>

#include <memory>

// Closes a FreeXL handle; FreeXL hands out its handles as const void *.
struct FreeXlCloser
{
    void operator()(const void *handle) const;
};
using FreeXlHandle = std::unique_ptr<const void, FreeXlCloser>;

// An .xls workbook read with FreeXL. Worksheets are selected by 1-based position before every
// read (FreeXL leaves the last worksheet active after opening); a cell beyond a worksheet's used
// range is empty; whole and fractional numbers are numbers; texts are UTF-8; date and time cells
// come back as FreeXL's texts ("2006-12-04", "2006-12-04 09:05:30", "09:05:30"). Cells that
// FreeXL gives as empty but that hold a formula yield the result stored with the formula (see
// XlsFormulaCache for booleans and errors).
//
// FreeXL keeps the active worksheet in its handle, so one workbook is read from one thread.
class XlsWorkbook final : public Workbook
{
public:
    XlsWorkbook(QString name, FreeXlHandle handle, int sheetCount, XlsFormulaCache formulas);

    [[nodiscard]] QString name() const override { return m_name; }
    [[nodiscard]] int sheetCount() const override { return m_sheetCount; }
    [[nodiscard]] Outcome<CellValue> readCell(int sheet, const QString &address) const override;

private:
    [[nodiscard]] Error error(Error::Kind kind, int sheet, const QString &address, QString detail) const;
    [[nodiscard]] Outcome<CellValue> formulaOr(CellValue plain, int sheet, int row, int column,
                                               const QString &address) const;

    QString m_name;
    FreeXlHandle m_handle;
    int m_sheetCount;
    XlsFormulaCache m_formulas;
};

// Opens the .xls file at a local path; errors name the workbook as systemName (the path the
// system uses, such as "c:\...\111.xls"), which also becomes the workbook's name().
[[nodiscard]] Outcome<WorkbookHandle> openXlsWorkbook(const QString &localPath, const QString &systemName);
