#include "elements/ElementErrors.h"

#include "map/MapErrors.h"

namespace elements {

Error elementsError(Error::Kind kind)
{
    return Error(kind, &elementsErrorText);
}

QString elementsErrorText(const Error &error)
{
    using K = Error::Kind;
    switch (error.kind) {
    case K::ElementsUnreadable:
        return QStringLiteral("Impossibile leggere gli elementi vulnerabili di \"%1\": %2").arg(error.file, error.detail);
    case K::ElementsNotUsable:
        return QStringLiteral("Gli elementi vulnerabili di \"%1\" non sono utilizzabili: %2")
            .arg(error.file, error.detail);
    default: return map::mapErrorText(error);
    }
}

} // namespace elements
