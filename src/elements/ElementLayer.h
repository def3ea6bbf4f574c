#pragma once

#include "map/Georeference.h"
#include "platform/Error.h"

#include <QByteArray>
#include <QRectF>
#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <vector>

// A planner's layer of vulnerable elements (schools, hospitals, homes, crowded places), read from any
// vector file GDAL reads and brought into the map's reference system.
namespace elements {

// What an element's geometry is, for drawing it.
enum class ElementShape { Point, Line, Area };

struct VulnerableElement
{
    qint64 featureId = 0;
    QString name; // the `nome` attribute, or "elemento N" after the feature id
    QString category; // `categoria` as written (A to F, or free text); empty when none
    QString type; // `tipo` (scuola, ospedale, ...); empty when none
    std::optional<double> people; // `persone`; none when missing or not a number
    ElementShape shape = ElementShape::Point;
    QByteArray wkb; // the geometry in the map's reference system, ISO WKB
    QRectF bounds; // its bounding box there (for a point, a box of no size)
};

// More elements than this in the region are refused rather than read at a cost of time and memory
// that grows with them: a region-wide layer of buildings is read through its region only.
inline constexpr std::size_t kMostElements = 250'000;

// A layer read for a map: which file and layer, the map's reference system, and the part of the
// ground that matters there, in that system. No element outside the region is kept.
struct ElementRequest
{
    QString localPath;
    QString layerName; // empty: the file's first layer
    map::CoordinateSystem system;
    QRectF region;
    std::size_t mostElements = kMostElements;
};

struct ElementLayer
{
    QString file;
    QString layerName;
    std::vector<VulnerableElement> elements;
    // For the analyst, each on its own: an element whose people are not a number, one without a
    // geometry or that cannot be brought into the map's system (left out), a layer taken in the map's
    // system for want of one of its own.
    QStringList warnings;
};

// Reads the layer: the attributes `nome`, `categoria`, `tipo` and `persone` looked up by name (case,
// accents and blanks ignored), every feature reprojected by PROJ (through OGR) from the layer's
// system to the map's. A CSV places its rows by `est` and `nord` columns or a `wkt` column.
// A layer with no reference system of its own is taken in the map's system when its features lie in
// the region (coordinates plainly of the map), and refused otherwise.
// ElementsUnreadable: not vector data, no such layer, a read cut short. ElementsNotUsable: no
// features, no reference system as above, more than `mostElements` in the region.
[[nodiscard]] Outcome<ElementLayer> readElementLayer(const ElementRequest &request);

} // namespace elements
