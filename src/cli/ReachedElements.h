#pragma once

#include "cli/BatchEstimate.h"
#include "elements/ElementLayer.h"
#include "elements/ElementsReached.h"
#include "map/Georeference.h"

#include <QPointF>
#include <QStringList>

#include <optional>

class DrivePaths;

// The vulnerable elements of --elements that an estimate's damage areas reach: the layer read over
// the part of the ground its largest area covers, with some room around it.
struct ElementsRun
{
    std::optional<BatchFailure> failure; // a data error: the layer cannot be read or used
    QStringList warnings; // the layer's, for standard error
    elements::ElementLayer layer;
    elements::ElementsReached reached;
};

[[nodiscard]] ElementsRun reachedElements(const DrivePaths &drives, const EstimateRequest &request,
                                          const Estimate &estimate, QPointF ground,
                                          const map::CoordinateSystem &system);
