#include "gis/GisErrors.h"

#include "map/MapErrors.h"

namespace gis {

Error gisError(Error::Kind kind)
{
    return Error(kind, &gisErrorText);
}

QString gisErrorText(const Error &error)
{
    switch (error.kind) {
    case Error::Kind::AreasNotExported:
        return QStringLiteral("Impossibile esportare le aree di danno nel file \"%1\": %2.").arg(error.file, error.detail);
    default: return map::mapErrorText(error);
    }
}

} // namespace gis
