#pragma once

#include "cli/EstimateCommandLine.h"
#include "estimate/Estimate.h"
#include "map/Georeference.h"
#include "map/SheetDrawings.h"
#include "map/SheetPicture.h"

#include <QDateTime>
#include <QPointF>
#include <QString>

#include <memory>
#include <optional>

class DrivePaths;

// The damage areas of an estimate drawn on a map as the map window draws them: the map read as the
// window reads it (its drawing unit is a centimetre of the map sheet), the incident placed by a
// point of the sheet or, on a georeferenced map, by ground coordinates, the scale 1:N, the one a
// manual rescale sets or the georeference's, the eight circles around the point; at the
// georeference's own scale, the areas as they lie on the ground (map::sheetRings()). Only the map
// with its areas is kept, not the window around it; it is written later, band by band (map::SavedSheet).
struct MapOverlay
{
    // What --out writes: the sheet with its drawings, the part of it shown and its legend; no source
    // when no picture was asked for.
    std::shared_ptr<const map::MapSource> source;
    map::SheetDrawings drawings;
    map::SheetPicture picture;
    double scaleFactor = 0.0;
    bool onGround = false; // at the georeference's own scale
    // Where the incident is on the ground, when the map is georeferenced.
    std::optional<QPointF> ground;
    std::optional<map::CoordinateSystem> system;
    QString notice; // from the map's reading, or circles unseen at the scale (Italian); empty when nothing
    QString warning; // the incident lies a little outside its system's area of use (Italian)
    QString error; // Italian; empty on success
    bool usageError = false; // the point lies off the map, or the options do not suit the map

    [[nodiscard]] bool ok() const { return error.isEmpty(); }
};

[[nodiscard]] MapOverlay drawMapOverlay(const DrivePaths &drives, const EstimateRequest::MapDrawing &drawing,
                                        const std::optional<QPointF> &ground, const Estimate &estimate,
                                        const QDateTime &now);
