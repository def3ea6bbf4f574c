#include "map/MapFiles.h"

#include "estimate/OutputFileName.h"
#include "platform/DrivePaths.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace map {

namespace {

constexpr int kMapAllocationLimitMb = 1024;

} // namespace

QString mapFilePath(const QString &folder, const QString &fileName)
{
    if (folder.endsWith(QLatin1Char('\\')) || folder.endsWith(QLatin1Char('/')))
        return folder + fileName;
    const QChar separator = DrivePaths::hasDriveLetter(folder) ? QLatin1Char('\\') : QLatin1Char('/');
    return folder + separator + fileName;
}

QString MapFileName(const QString &outputPrefix, const QDateTime &when, const QString &substance)
{
    return mapFileName(outputPrefix, when, substance);
}

QString mapPageFileName(const QString &outputPrefix, const QDateTime &when, const QString &substance)
{
    return outputFileName(outputPrefix, QStringLiteral("map"), when, substance, QStringLiteral(".pdf"));
}

MapLoadResult loadMapBitmap(const QString &localPath)
{
    MapLoadResult result;
    const QString shown = QFileInfo(localPath).fileName();
    QFile file(localPath);
    if (!file.open(QIODevice::ReadOnly)) {
        result.error = QStringLiteral("Impossibile aprire il file mappa \"%1\": %2.").arg(shown, file.errorString());
        return result;
    }
    const QByteArray fileStart = file.peek(64);

    QImageReader reader(&file);
    reader.setAllocationLimit(kMapAllocationLimitMb);
    QImage image = reader.read();
    if (image.isNull()) {
        result.error = QStringLiteral("Il file \"%1\" non è una mappa bitmap leggibile (%2).")
                           .arg(shown, reader.errorString());
        return result;
    }
    // The surface draws in 32-bit colour: the circles keep their exact colours and the rescale
    // line inverts pixels in place.
    if (image.format() != QImage::Format_RGB32)
        image.convertTo(QImage::Format_RGB32);
    if (image.isNull()) {
        result.error = QStringLiteral("Memoria insufficiente per mostrare la mappa \"%1\".").arg(shown);
        return result;
    }

    SheetResolution stated{static_cast<double>(image.dotsPerMeterX()), static_cast<double>(image.dotsPerMeterY())};
    if (const auto header = bmpHeaderResolution(fileStart))
        stated = *header; // a BMP says itself whether it states a resolution (0 = not stated)
    result.map = MapBitmap{std::move(image), MapUnits::fromResolution(stated)};
    return result;
}

} // namespace map
