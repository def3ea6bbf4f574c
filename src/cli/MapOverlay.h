#pragma once

#include "cli/EstimateCommandLine.h"
#include "map/DamageCircles.h"

#include <QByteArray>
#include <QString>

class DrivePaths;

// The damage areas of an estimate drawn on a map as the map window draws them: the map read as the
// window reads it (its drawing unit is a centimetre of the map sheet, from the bitmap's resolution),
// the scale 1:N or the one a manual rescale sets, the eight circles around the point. Only the
// map with its circles is kept, not the window around it.
struct MapOverlay
{
    QByteArray bmp; // the finished map as a BMP file, ready to be written
    int circles = 0; // circles drawn (areas that are not applicable have radius 0 and count)
    double scaleFactor = 0.0;
    QString error; // Italian; empty on success
    bool usageError = false; // the point lies off the map

    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

[[nodiscard]] MapOverlay DrawMapOverlay(const DrivePaths &drives, const EstimateRequest::MapDrawing &drawing,
                                        const map::DamageAreas &areas);
