#include "map/SavedSheet.h"

#include "map/GeoreferenceFiles.h"
#include "map/MapErrors.h"
#include "map/MapOpening.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace map {

namespace {

constexpr int kLeastMargin = 50;
constexpr int kLeastSide = 2000;

Error notSaved(const Error &written)
{
    if (written.kind != Error::Kind::FileUnwritable)
        return written;
    Error error = mapError(Error::Kind::MapNotSaved);
    error.file = written.file;
    error.detail = written.detail;
    return error;
}

// [from, from + length) grown to at least `least`, kept within [0, limit).
std::pair<int, int> widened(int from, int length, int least, int limit)
{
    const int wanted = std::min(std::max(length, least), limit);
    const int start = std::clamp(from - (wanted - length) / 2, 0, limit - wanted);
    return {start, wanted};
}

} // namespace

QRect savedPart(QSize sheet, const QRectF &areasBox)
{
    const QRect whole(QPoint(0, 0), sheet);
    if (fitsInOnePicture(sheet))
        return whole;
    if (areasBox.isNull())
        return {};
    const double margin = std::max<double>(kLeastMargin, 0.1 * std::max(areasBox.width(), areasBox.height()));
    const QRect around = areasBox.adjusted(-margin, -margin, margin, margin).toAlignedRect().intersected(whole);
    if (around.isEmpty())
        return {};
    const auto [left, width] = widened(around.left(), around.width(), kLeastSide, sheet.width());
    const auto [top, height] = widened(around.top(), around.height(), kLeastSide, sheet.height());
    const QRect part(left, top, width, height);
    return fitsInOnePicture(part.size()) ? part : QRect();
}

PlacedLegend placedLegend(const SheetLegend &legend, const MapUnits &units, const QRect &part, const QRectF &areasBox)
{
    const int font = legendFontPixels(legend, units.pixelsPerUnitY(), part.size());
    const QSize panel = legendPanelSize(legend, font);
    const int margin = font;
    const QRectF box = areasBox.isNull() ? QRectF() : areasBox.translated(-QPointF(part.topLeft()));
    const QRect place = legendRect(part.size(), panel, margin, legendCorner(part.size(), panel, margin, box));
    QImage image(panel, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    paintLegend(painter, image.rect(), legend, font);
    painter.end();
    return {std::move(image), place.topLeft()};
}

StagedSheet::StagedSheet(std::vector<std::shared_ptr<SystemFile::Replacement>> files, QStringList stale)
    : m_files(std::move(files))
    , m_stale(std::move(stale))
{ }

Status StagedSheet::commit()
{
    for (const std::shared_ptr<SystemFile::Replacement> &file : m_files)
        if (const Status committed = file->commit(); !committed.ok())
            return notSaved(committed.error());
    for (const QString &stale : m_stale) {
        if (QFileInfo::exists(stale) && !QFile::remove(stale)) {
            Error error = mapError(Error::Kind::MapNotSaved);
            error.file = stale;
            error.detail = QStringLiteral("non si può togliere il file di georeferenziazione di un salvataggio "
                                          "precedente, che metterebbe la mappa salvata nel posto sbagliato");
            return error;
        }
    }
    return Done{};
}

QStringList sheetSideFiles(const QString &localPath)
{
    return georeferenceFileNames(localPath);
}

Outcome<std::unique_ptr<StagedSheet>> stageSheetPicture(const MapSource &source, const SheetDrawings &drawings,
                                                        const SheetPicture &picture, const QString &localPath)
{
    const PictureFormat format = pictureFormatFor(localPath);
    std::vector<std::shared_ptr<SystemFile::Replacement>> files;
    // A world file or notes left beside a picture of this name would place it where it is not; the
    // .prj goes by the base name alone, which other pictures may share, and places nothing by itself.
    QStringList stale = georeferenceFileNames(localPath);
    stale.removeAt(1);
    if (picture.georeference && format == PictureFormat::Bmp) {
        const Outcome<std::vector<SideFile>> sides
            = georeferenceFiles(localPath, georeferenceOfPart(*picture.georeference, picture.part.topLeft()));
        if (!sides.ok())
            return sides.error();
        for (const SideFile &side : sides.value()) {
            Outcome<std::shared_ptr<SystemFile::Replacement>> staged
                = SystemFile::Replacement::prepare(side.path, side.bytes);
            if (!staged.ok())
                return notSaved(staged.error());
            files.push_back(std::move(staged.value()));
        }
        stale.clear();
    }
    Outcome<std::shared_ptr<SystemFile::Replacement>> staged
        = SystemFile::Replacement::prepareWritten(localPath, [&](const QString &temporaryPath) {
              const Status written = writeSheetPicture(source, drawings, picture, format, temporaryPath);
              if (written.ok() || written.error().kind != Error::Kind::MapNotSaved)
                  return written;
              Error error = written.error(); // named as the file it is to be, not the one written aside
              error.file = localPath;
              return Status(error);
          });
    if (!staged.ok())
        return notSaved(staged.error());
    files.push_back(std::move(staged.value()));
    return std::make_unique<StagedSheet>(std::move(files), std::move(stale));
}

} // namespace map
