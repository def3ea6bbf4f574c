#pragma once

#include "map/Georeference.h"

#include <QPointF>
#include <QString>

// Whether an incident placed by ground coordinates (--at E,N) lies where its reference system is meant
// for, by the system's area of use as PROJ knows it. Analysts use a zone's system a little beyond its
// official area (UTM 32N across all of northern Italy): up to kAreaOfUseMargin degrees outside it the
// point is taken with a warning; farther (easting and northing swapped land in another continent), off
// the Earth, it is a usage error. Both name the area.
inline constexpr double kAreaOfUseMargin = 3.0; // degrees of longitude or latitude

struct GroundPointCheck
{
    QString usageError; // empty: the point is taken
    QString warning; // the point is taken, a little outside the area of use
};

[[nodiscard]] GroundPointCheck checkGroundPoint(const map::CoordinateSystem &system, QPointF ground);
