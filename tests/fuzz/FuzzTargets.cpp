#include "FuzzTargets.h"

#include "map/MapFiles.h"
#include "map/WorldFile.h"
#include "platform/Configuration.h"
#include "platform/DrivePaths.h"
#include "xls/XlsWorkbook.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cmath>

namespace fuzz {

namespace {

QString scratch() // one private folder per process, reused by every input
{
    static const QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/zefro-fuzz-XXXXXX"));
    return dir.path();
}

// False when the input cannot be written: the machine's fault, not the reader's.
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

QString workbookInput(const QByteArray &bytes)
{
    const QString path = scratch() + QStringLiteral("/input.xls");
    if (!writeFile(path, bytes))
        return {};
    const auto opened = openXlsWorkbook(path, QStringLiteral("c:\\fuzz\\input.xls"));
    if (!opened.ok())
        return opened.error().message().isEmpty() ? QStringLiteral("open failed without a message") : QString();
    const WorkbookHandle &workbook = opened.value();
    const int lastSheet = std::min(workbook->sheetCount(), 4) + 1; // one beyond the count too
    for (int sheet = 0; sheet <= lastSheet; ++sheet) {
        for (const char *address : {"A1", "C4", "H12", "AA12", "BY200", "IV3", "IW1", "A65536", "ZZ99999"}) {
            const Outcome<CellValue> cell = workbook->readCell(sheet, QString::fromLatin1(address));
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
    const DrivePaths drives(scratch() + QStringLiteral("/drive"));
    if (!writeFile(drives.toLocal(Configuration::filePath()), bytes))
        return {};
    const Outcome<Configuration> read = loadConfigurationFile(drives);
    if (!read.ok())
        return read.error().message().isEmpty() ? QStringLiteral("refused without a message") : QString();

    // What was read is written and reads back the same; a lone carriage return in a line is refused on writing.
    const Status saved = saveConfigurationFile(drives, read.value());
    if (read.value().unstorableField())
        return saved.ok() || saved.error().message().isEmpty() ? QStringLiteral("refused to write without a message")
                                                               : QString();
    if (!saved.ok())
        return QStringLiteral("writing failed: ") + saved.error().message();
    const Outcome<Configuration> again = loadConfigurationFile(drives);
    return again.ok() && again.value() == read.value() ? QString()
                                                       : QStringLiteral("the written file reads back differently");
}

QString bitmapInput(const QByteArray &bytes)
{
    const QString path = scratch() + QStringLiteral("/input.bmp");
    if (!writeFile(path, bytes))
        return {};
    const Outcome<map::MapBitmap> loaded = map::loadMapBitmap(path);
    if (!loaded.ok())
        return {};
    const auto &[image, units] = loaded.value();
    const auto positive = [](double value) { return std::isfinite(value) && value > 0.0; };
    if (image.isNull() || !positive(units.pixelsPerUnitX()) || !positive(units.pixelsPerUnitY()))
        return QStringLiteral("a map without pixels or without a positive drawing unit");
    // The far corner maps to a pixel and back onto the map.
    if (!image.rect().contains(units.toPixel(units.toUnits(QPointF(image.width() - 1, image.height() - 1)))))
        return QStringLiteral("the last pixel maps outside the map");
    return {};
}

QString worldfileInput(const QByteArray &bytes)
{
    const Outcome<map::WorldFile> read = map::parseWorldFile(bytes, QStringLiteral("input.tfw"));
    if (!read.ok())
        return read.error().kind == Error::Kind::MapGeoreferenceInvalid && read.error().file == "input.tfw"
                && !read.error().detail.isEmpty()
            ? QString()
            : QStringLiteral("refused without naming the file and what is wrong");
    const map::WorldFile &w = read.value();
    for (const double term : {w.a, w.d, w.b, w.e, w.c, w.f, w.c - w.a / 2 - w.b / 2, w.f - w.d / 2 - w.e / 2})
        if (!std::isfinite(term))
            return QStringLiteral("a term or the sheet's corner that is not finite");
    return w.a != 0.0 && w.e != 0.0 ? QString() : QStringLiteral("a pixel without size");
}

} // namespace fuzz
