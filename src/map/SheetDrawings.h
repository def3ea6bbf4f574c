#pragma once

#include "map/DamageCircles.h"
#include "map/FeatureDrawing.h"
#include "map/MapSource.h"

#include <QImage>
#include <QPointF>
#include <QRect>
#include <QRectF>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace map {

// The damage areas one press drew: around which point of the sheet (drawing units), at which scale;
// on a georeferenced sheet at its own scale, as they lie on the ground (rings in sheet pixels).
struct DrawnAreas
{
    QPointF centre;
    DamageAreas areas{};
    double scaleFactor = 0.0;
    std::optional<AreaRings> rings{}; // none: circles of the scale factor's radius
    bool marked = true; // the incident's cross drawn at the centre
};

// A segment of the manual rescale, shown with the colours of its pixels inverted.
struct DrawnSegment
{
    QPointF from;
    QPointF to;
};

// What has been drawn on a map sheet since it was shown, in the order it was drawn. The drawings
// are kept apart from the sheet and painted over whatever region of it is shown or saved: the sheet
// is never changed, and a region looks exactly like the same region of the whole sheet.
class SheetDrawings
{
public:
    void addAreas(const DrawnAreas &areas) { m_drawings.emplace_back(areas); }
    // A rescale segment starts at a point, with no length yet; extendSegment() moves its end.
    void startSegment(QPointF at) { m_drawings.emplace_back(DrawnSegment{at, at}); }
    void extendSegment(QPointF to);
    void clear() { m_drawings.clear(); }
    // A vector layer's features, painted under everything else; they stay through clear().
    void setFeatures(std::vector<DrawnFeature> features) { m_features = std::move(features); }
    [[nodiscard]] const std::vector<DrawnFeature> &features() const { return m_features; }

    // The segment drawn last, if any since the sheet was shown.
    [[nodiscard]] std::optional<DrawnSegment> lastSegment() const;
    // The damage areas drawn since the sheet was shown, in the order they were drawn.
    [[nodiscard]] std::vector<DrawnAreas> areas() const;

    // Paints the drawings over `region.pixels`, each press's areas marked by the incident's cross unless
    // told otherwise.
    void paintOver(SheetRegion region, const MapUnits &units) const;

private:
    std::vector<std::variant<DrawnAreas, DrawnSegment>> m_drawings;
    std::vector<DrawnFeature> m_features;
};

// The box of the sheet's pixels that drawn areas cover (their largest circle or their rings, and their
// centres); a null box when none are drawn.
[[nodiscard]] QRectF areasBox(const std::vector<DrawnAreas> &drawn, const MapUnits &units);

// The part of the sheet (sheet pixels) the damage areas of one press cover, with the incident's pixel;
// the areas may reach beyond the sheet.
[[nodiscard]] QRectF areasExtent(const DrawnAreas &areas, const MapUnits &units);

// A region of a sheet (clipped to it) with the drawings painted over it; the source's error when its
// file cannot give the region.
[[nodiscard]] Outcome<QImage> drawnRegion(const MapSource &source, const SheetDrawings &drawings, const QRect &region);

// The same for a region of the sheet shown at a zoom (pixels of the zoomed sheet, clipped to it): what
// the map surface paints. The drawings are painted at the view's resolution, one-pixel lines staying
// one pixel wide; at zoom 1 it is drawnRegion().
[[nodiscard]] Outcome<QImage> drawnView(const MapSource &source, const SheetDrawings &drawings, double zoom,
                                        const QRect &region);

} // namespace map
