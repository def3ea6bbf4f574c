#pragma once

#include "map/SheetLegend.h"
#include "map/SheetPicture.h"
#include "platform/SystemFile.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QRectF>
#include <QSize>
#include <QStringList>

#include <memory>
#include <vector>

namespace map {

// "Salva la mappa intera" and zefro-estimate --out: the drawn sheet as a picture file, with its legend
// burned in and, on a georeferenced sheet, its place on the ground kept.

// The part of a sheet a saved picture shows: the whole sheet when it fits in one picture
// (fitsInOnePicture()); on a larger one, the drawn areas' box (sheet pixels) with a margin of a tenth
// of its side (at least 50 pixels), at least 2000 pixels a side where the sheet has them. Empty when
// nothing is drawn on a larger sheet, or that part does not fit in one picture either.
[[nodiscard]] QRect savedPart(QSize sheet, const QRectF &areasBox);

// A legend panel ready to burn into a picture of `part` of a sheet: its text about 2.5 mm high on the
// sheet, in the corner that covers least of the drawn areas' box (sheet pixels).
struct PlacedLegend
{
    QImage image;
    QPoint at; // in the part's pixels
};
[[nodiscard]] PlacedLegend placedLegend(const SheetLegend &legend, const MapUnits &units, const QRect &part,
                                        const QRectF &areasBox);

// A saved picture and its side files written aside, not yet in place. commit() renames the side files
// and then the picture into place, and removes the side files a save before left beside a picture of
// the same name that this one does not have (they would place it where it is not): its world file and
// .aux.xml, not the .prj, which goes by the base name alone. Going away without commit() removes what
// was written.
class StagedSheet
{
public:
    StagedSheet(std::vector<std::shared_ptr<SystemFile::Replacement>> files, QStringList stale);
    [[nodiscard]] Status commit();

private:
    std::vector<std::shared_ptr<SystemFile::Replacement>> m_files; // the picture last
    QStringList m_stale;
};

// Writes the picture (writeSheetPicture(), in the format its name asks for) and, on a georeferenced
// sheet, beside a BMP its world file, .prj and .aux.xml (georeferenceFiles()), each into a temporary
// file beside its target. Errors: the source's, or MapNotSaved naming the file that failed.
[[nodiscard]] Outcome<std::unique_ptr<StagedSheet>> stageSheetPicture(const MapSource &source,
                                                                      const SheetDrawings &drawings,
                                                                      const SheetPicture &picture,
                                                                      const QString &localPath);

// The side files a picture saved at `localPath` may replace or remove (georeferenceFileNames()).
[[nodiscard]] QStringList sheetSideFiles(const QString &localPath);

} // namespace map
