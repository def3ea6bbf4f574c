#include "FuzzTargets.h"

#include "platform/Configuration.h"
#include "xls/XlsFormulaCache.h"
#include "xls/XlsWorkbook.h"
#include "map/MapFiles.h"
#include "map/MapUnits.h"
#include "platform/DrivePaths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>

namespace fuzz {

namespace {

// One private folder per process, reused by every input.
const QString &scratch()
{
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zefro-fuzz-XXXXXX"));
    static const QString path = dir.path();
    return path;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

bool finitePositive(double value)
{
    return std::isfinite(value) && value > 0.0;
}

} // namespace

QString workbookInput(const QByteArray &bytes)
{
    // The program's own reader of the stored formula results sees every file, FreeXL or not.
    const XlsFormulaCache cache = XlsFormulaCache::fromFileBytes(bytes);
    if (!cache.ok() && cache.problem().isEmpty())
        return QStringLiteral("formula cache failed without a reason");

    const QString path = scratch() + QStringLiteral("/input.xls");
    if (!writeFile(path, bytes))
        return {}; // the machine, not the reader
    const auto opened = openXlsWorkbook(path, QStringLiteral("c:\\fuzz\\input.xls"));
    if (!opened.ok())
        return opened.error().message().isEmpty() ? QStringLiteral("open failed without a message") : QString();

    const WorkbookHandle &workbook = opened.value();
    if (workbook->sheetCount() < 0)
        return QStringLiteral("negative worksheet count");
    static const QStringList addresses = {QStringLiteral("A1"),  QStringLiteral("C4"),   QStringLiteral("H12"),
                                          QStringLiteral("AA12"), QStringLiteral("BY200"), QStringLiteral("IV3"),
                                          QStringLiteral("IW1"), QStringLiteral("A65536"), QStringLiteral("ZZ99999")};
    const int lastSheet = std::min(workbook->sheetCount(), 4) + 1; // one beyond the count too
    for (int sheet = 0; sheet <= lastSheet; ++sheet) {
        for (const QString &address : addresses) {
            const Outcome<CellValue> cell = workbook->readCell(sheet, address);
            if (!cell.ok() && cell.error().message().isEmpty())
                return QStringLiteral("cell error without a message");
            if (cell.ok() && (sheet < 1 || sheet > workbook->sheetCount()))
                return QStringLiteral("a cell was read on worksheet %1 of %2").arg(sheet).arg(workbook->sheetCount());
        }
    }
    return {};
}

QString configurationInput(const QByteArray &bytes)
{
    const QString root = scratch() + QStringLiteral("/drive");
    const DrivePaths drives(root);
    const QString path = drives.toLocal(Configuration::filePath());
    if (!writeFile(path, bytes))
        return {};

    const Outcome<Configuration> load = loadConfigurationFile(drives);
    if (!load.ok())
        return load.error().message().isEmpty() ? QStringLiteral("refused without a message") : QString();
    const Configuration &read = load.value();

    // A file written by the box reads back as exactly what was written. A lone carriage return
    // inside a line is read as text and then refused on writing, with its message.
    const Status written = saveConfigurationFile(drives, read);
    if (read.unstorableField())
        return written.ok() || written.error().message().isEmpty() ? QStringLiteral("refused to write without a message")
                                                                     : QString();
    if (!written.ok())
        return QStringLiteral("writing failed: ") + written.error().message();
    const Outcome<Configuration> again = loadConfigurationFile(drives);
    if (!again.ok())
        return QStringLiteral("the written file does not read back");
    if (!(again.value() == read))
        return QStringLiteral("the written file reads back differently");
    for (int entry = 1; entry <= Configuration::kEntryCount; ++entry) {
        const QString text = read.entry(entry);
        if (Configuration::entryFromLine(Configuration::lineFromEntry(text)) != text)
            return QStringLiteral("entry %1 does not survive its own line").arg(entry);
    }
    return {};
}

QString bitmapInput(const QByteArray &bytes)
{
    if (const auto stated = map::bmpHeaderResolution(bytes)) {
        const map::MapUnits units = map::MapUnits::fromResolution(*stated);
        if (!finitePositive(units.pixelsPerUnitX()) || !finitePositive(units.pixelsPerUnitY()))
            return QStringLiteral("drawing unit from the header is not a positive number");
    }

    const QString path = scratch() + QStringLiteral("/input.bmp");
    if (!writeFile(path, bytes))
        return {};
    const Outcome<map::MapBitmap> loaded = map::loadMapBitmap(path);
    if (!loaded.ok())
        return {};
    const map::MapBitmap &bitmap = loaded.value();
    if (bitmap.image.isNull() || bitmap.image.width() <= 0 || bitmap.image.height() <= 0)
        return QStringLiteral("a map was loaded without pixels");
    if (!finitePositive(bitmap.units.pixelsPerUnitX()) || !finitePositive(bitmap.units.pixelsPerUnitY()))
        return QStringLiteral("drawing unit is not a positive number");
    // The far corner maps to a pixel and back onto the map.
    const QPointF corner = bitmap.units.toUnits(QPointF(bitmap.image.width() - 1, bitmap.image.height() - 1));
    const QPoint pixel = bitmap.units.toPixel(corner);
    if (!bitmap.image.rect().contains(pixel))
        return QStringLiteral("the last pixel maps outside the map");
    return {};
}

} // namespace fuzz
