#pragma once

#include <cpl_conv.h>
#include <ogrsf_frmts.h>

#include <memory>

// GDAL's and OGR's objects that the caller owns, each released by the call GDAL asks for, for the
// layers that read and write vector files (maps, elements, GIS files, inventories).
namespace map {

// Text GDAL and OGR hand over to the caller.
struct CplFree
{
    void operator()(char *text) const { CPLFree(text); }
};
using CplText = std::unique_ptr<char, CplFree>;

struct OgrDatasetClose
{
    void operator()(GDALDataset *dataset) const { GDALClose(GDALDataset::ToHandle(dataset)); }
};
using OgrDataset = std::unique_ptr<GDALDataset, OgrDatasetClose>;

struct OgrFeatureDestroy
{
    void operator()(OGRFeature *feature) const { OGRFeature::DestroyFeature(feature); }
};
using OgrFeature = std::unique_ptr<OGRFeature, OgrFeatureDestroy>;

struct OgrGeometryDestroy
{
    void operator()(OGRGeometry *geometry) const { OGRGeometryFactory::destroyGeometry(geometry); }
};
using OgrGeometry = std::unique_ptr<OGRGeometry, OgrGeometryDestroy>;

struct OgrTransformationDestroy
{
    void operator()(OGRCoordinateTransformation *transformation) const
    {
        OGRCoordinateTransformation::DestroyCT(transformation);
    }
};
using OgrTransformation = std::unique_ptr<OGRCoordinateTransformation, OgrTransformationDestroy>;

} // namespace map
