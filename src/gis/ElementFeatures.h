#pragma once

#include "gis/AreaFeatures.h"
#include "gis/DamageAreaExport.h"

namespace gis {

// The layer of the vulnerable elements the damage areas reach, made in `dataset` beside the areas:
// one feature per element and damage area (for a site: envelope) that reaches it, measured from the
// nearest source that does; each element's geometry moved to WGS 84 when the file is in it (`toWgs84` given), kept
// otherwise.
[[nodiscard]] std::optional<Error> writeReachedElements(GDALDataset &dataset, OGRSpatialReference &system,
                                                        OGRCoordinateTransformation *toWgs84,
                                                        const ReachedElements &reached, const map::GdalErrors &gdal);

} // namespace gis
