#include "map/GdalSession.h"

#include <cpl_conv.h>
#include <cpl_error.h>
#include <gdal.h>
#include <ogr_srs_api.h>

#include <QtGlobal>

#include <mutex>

namespace map {

namespace {

// Enough blocks for a maximised window's worth of a tiled raster many times over.
constexpr GIntBig kBlockCacheBytes = GIntBig(128) * 1024 * 1024;

} // namespace

struct GdalErrorsHandler
{
    static void CPL_STDCALL receive(CPLErr kind, CPLErrorNum number, const char *message)
    {
        auto *errors = static_cast<GdalErrors *>(CPLGetErrorHandlerUserData());
        if (errors->m_echo)
            CPLDefaultErrorHandler(kind, number, message);
        errors->receive(kind >= CE_Failure, message);
    }
};

void startGdal()
{
    static std::once_flag started;
    std::call_once(started, [] {
        GDALAllRegister();
        GDALSetCacheMax64(kBlockCacheBytes);
        OSRSetPROJEnableNetwork(FALSE);
    });
}

GdalErrors::GdalErrors()
    : m_echo(!qEnvironmentVariableIsEmpty("ZEFRO_DEBUG"))
{
    CPLPushErrorHandlerEx(&GdalErrorsHandler::receive, this);
}

GdalErrors::~GdalErrors()
{
    CPLPopErrorHandler();
}

void GdalErrors::receive(bool failure, const char *message)
{
    if (failure && !m_failure)
        m_failure = std::string(message ? message : "");
}

QString GdalErrors::withReason(const QString &detail) const
{
    QString reason = m_failure ? QString::fromUtf8(m_failure->c_str()).trimmed() : QString();
    while (reason.endsWith(QLatin1Char('.'))) // the message that quotes it ends its own sentence
        reason.chop(1);
    return reason.isEmpty() ? detail : detail + QStringLiteral("; GDAL: ") + reason;
}

GdalOption::GdalOption(const char *key, const char *value)
    : m_key(key)
{
    if (const char *const previous = CPLGetThreadLocalConfigOption(key, nullptr))
        m_previous = QByteArray(previous);
    CPLSetThreadLocalConfigOption(key, value);
}

GdalOption::~GdalOption()
{
    CPLSetThreadLocalConfigOption(m_key, m_previous ? m_previous->constData() : nullptr);
}

} // namespace map
