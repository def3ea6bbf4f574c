#include "xls/XlsWorkbook.h"

#include "xls/CellAddress.h"
#include "xls/CompoundFile.h"
#include "xls/XlsErrors.h"

#include "platform/SystemFile.h"

#include <QFileInfo>

namespace {

constexpr qint64 kMaxWorkbookBytes = 64 * 1024 * 1024;
constexpr char kOle2Signature[] = "\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1";
constexpr char kZipSignature[] = "PK\x03\x04";

Error fileError(Error::Kind kind, const QString &file, QString detail = {})
{
    Error error = xlsError(kind);
    error.file = file;
    error.detail = std::move(detail);
    return error;
}

} // namespace

XlsWorkbook::XlsWorkbook(QString name, WorkbookContents contents)
    : m_name(std::move(name))
    , m_contents(std::move(contents))
{ }

Outcome<CellValue> XlsWorkbook::readCell(int sheet, const QString &address) const
{
    Error error = xlsError(Error::Kind::NoSuchSheet);
    error.file = m_name;
    error.sheet = sheet;
    error.cell = address;
    if (sheet < 1 || sheet > sheetCount()) {
        error.detail = QStringLiteral("la cartella ha %1 fogli").arg(sheetCount());
        return error;
    }
    const auto position = parseCellAddress(address);
    if (!position) {
        error.kind = Error::Kind::BadCellAddress;
        return error;
    }
    const CellValue *value = m_contents.find(sheet - 1, position->row, position->column);
    return value ? *value : CellValue();
}

Outcome<QByteArray> readXlsFile(const QString &localPath, const QString &systemName)
{
    using Kind = Error::Kind;
    const QFileInfo info(localPath);
    if (!info.exists())
        return fileError(Kind::MissingWorkbook, systemName);
    if (info.isDir())
        return fileError(Kind::MissingWorkbook, systemName, QStringLiteral("al suo posto c'è una cartella"));

    // Official tables are about 20 KB: a larger file, a FIFO or a device is looked at, not read.
    Outcome<QByteArray> read = SystemFile::readRegular(localPath, kMaxWorkbookBytes);
    if (!read.ok())
        return namedBySystem(read.error(), systemName);
    return read;
}

Outcome<WorkbookHandle> parseXlsWorkbook(QByteArrayView bytes, const QString &systemName)
{
    using Kind = Error::Kind;
    if (bytes.isEmpty())
        return fileError(Kind::NotAWorkbook, systemName, QStringLiteral("file vuoto"));
    if (bytes.startsWith(kZipSignature))
        return fileError(Kind::NotAWorkbook, systemName, QStringLiteral("formato .xlsx o archivio ZIP"));
    if (!bytes.startsWith(QByteArrayView(kOle2Signature, 8)))
        return fileError(Kind::NotAWorkbook, systemName);

    CompoundStream stream = readWorkbookStream(bytes);
    switch (stream.failure) {
    case CompoundStream::Failure::None: break;
    case CompoundStream::Failure::NoWorkbookStream: return fileError(Kind::NotAWorkbook, systemName, stream.problem);
    case CompoundStream::Failure::Damaged: return fileError(Kind::DamagedWorkbook, systemName, stream.problem);
    }
    WorkbookContents contents = readWorkbookContents(stream.bytes);
    switch (contents.failure) {
    case WorkbookContents::Failure::None: break;
    case WorkbookContents::Failure::Encrypted: return fileError(Kind::EncryptedWorkbook, systemName, contents.problem);
    case WorkbookContents::Failure::Damaged: return fileError(Kind::DamagedWorkbook, systemName, contents.problem);
    case WorkbookContents::Failure::Unsupported:
        return fileError(Kind::UnsupportedWorkbook, systemName, contents.problem);
    }
    return WorkbookHandle(std::make_shared<const XlsWorkbook>(systemName, std::move(contents)));
}

Outcome<WorkbookHandle> openXlsWorkbook(const QString &localPath, const QString &systemName)
{
    const Outcome<QByteArray> bytes = readXlsFile(localPath, systemName);
    if (!bytes.ok())
        return bytes.error();
    return parseXlsWorkbook(bytes.value(), systemName);
}
