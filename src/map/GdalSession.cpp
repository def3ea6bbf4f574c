#include "map/GdalSession.h"

#include <cpl_error.h>
#include <gdal.h>

#include <QtGlobal>

#include <mutex>

namespace map {

namespace {

// Enough blocks for a maximised window's worth of a tiled raster many times over.
constexpr GIntBig kBlockCacheBytes = GIntBig(128) * 1024 * 1024;

} // namespace

void startGdal()
{
    static std::once_flag started;
    std::call_once(started, [] {
        GDALAllRegister();
        GDALSetCacheMax64(kBlockCacheBytes);
        if (qEnvironmentVariableIsEmpty("ZEFRO_DEBUG"))
            CPLSetErrorHandler(CPLQuietErrorHandler);
    });
}

QString gdalLastError()
{
    return QString::fromUtf8(CPLGetLastErrorMsg()).trimmed();
}

} // namespace map
