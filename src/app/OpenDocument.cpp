#include "app/OpenDocument.h"

#include "platform/Platform.h"

QString documentCommandLine(const QString &reader, const QString &documentPath)
{
    return reader + QLatin1Char(' ') + documentPath;
}

bool OpenDocument(Platform &platform, const QString &reader, const QString &documentPath)
{
    // Platform::launch maps the drive-letter pieces and turns a failed start, or a reader that fails
    // at once, into a message; the message names the whole document, which the reader may get in pieces.
    return platform.launch(documentCommandLine(reader, documentPath), documentPath);
}

bool OpenDocument(Platform &platform, const ConfigurationField &field, int documentField)
{
    return OpenDocument(platform, field(kReaderField), field(documentField));
}
