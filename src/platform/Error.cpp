#include "platform/Error.h"

#include "platform/PlatformErrors.h"

Error::Error()
    : m_wording(&platformErrorText)
{ }

QString whereOnThisComputer(const QString &named, const QString &localPath)
{
    if (localPath.isEmpty() || localPath == named)
        return {};
    return QStringLiteral("\n(su questo computer: %1)").arg(localPath);
}

Error namedBySystem(Error error, const QString &systemName)
{
    error.localPath = error.file;
    error.file = systemName;
    return error;
}

bool Error::isNotice() const
{
    switch (kind) {
    case Kind::CompressedGasInBund:
    case Kind::ClassNotChosen:
    case Kind::ContainmentNotChosen:
    case Kind::QuantityNotOffered:
    case Kind::DiameterNotOffered:
    case Kind::ScaleNotValid:
    case Kind::ScaleWithDecimals: return true;
    default: return false;
    }
}
