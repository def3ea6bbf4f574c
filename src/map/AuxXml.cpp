#include "map/AuxXml.h"

#include "map/MapErrors.h"

#include <QMap>
#include <QXmlStreamReader>

#include <cmath>

namespace map {

namespace {

// The TIFF tags among the items of a Metadata element (the reader on it), by key.
QMap<QString, QByteArray> tiffTags(QXmlStreamReader &reader)
{
    QMap<QString, QByteArray> tags;
    while (reader.readNextStartElement()) {
        const QString key = reader.attributes().value("key").toString();
        const QString value = reader.readElementText(QXmlStreamReader::SkipChildElements);
        if (key.startsWith(QLatin1String("TIFFTAG_")))
            tags.insert(key, value.toUtf8());
    }
    return tags;
}

} // namespace

Outcome<AuxXmlPlace> parseAuxXml(const QByteArray &text, const QString &fileName)
{
    const auto refused = [&](const QString &detail) {
        Error error = mapError(Error::Kind::MapGeoreferenceInvalid);
        error.file = fileName;
        error.detail = detail;
        return error;
    };
    QXmlStreamReader reader(text);
    if (!reader.readNextStartElement() || reader.name() != QLatin1String("PAMDataset"))
        return reader.hasError()
            ? refused(QStringLiteral("il testo XML non è valido (riga %1: %2)")
                          .arg(reader.lineNumber())
                          .arg(reader.errorString()))
            : refused(QStringLiteral("non è un file .aux.xml di GDAL (manca l'elemento PAMDataset)"));
    AuxXmlPlace place;
    while (reader.readNextStartElement()) {
        if (reader.name() == QLatin1String("SRS")) {
            place.system = reader.readElementText(QXmlStreamReader::IncludeChildElements).trimmed();
        } else if (reader.name() == QLatin1String("GeoTransform")) {
            const qint64 line = reader.lineNumber();
            const QStringList terms = reader.readElementText().split(QLatin1Char(','));
            GeoTransform transform{};
            bool numbers = terms.size() == 6;
            for (qsizetype i = 0; numbers && i < terms.size(); ++i) {
                transform[std::size_t(i)] = terms[i].trimmed().toDouble(&numbers);
                numbers = numbers && std::isfinite(transform[std::size_t(i)]);
            }
            if (!numbers)
                return refused(
                    QStringLiteral("riga %1: GeoTransform deve avere 6 numeri finiti separati da virgole").arg(line));
            place.transform = transform;
        } else if (reader.name() == QLatin1String("Metadata") && reader.attributes().value("domain").isEmpty()) {
            const QMap<QString, QByteArray> tags = tiffTags(reader);
            if (tags.contains(QStringLiteral("TIFFTAG_XRESOLUTION")))
                place.resolution = resolutionFromTiffTags(tags.value(QStringLiteral("TIFFTAG_XRESOLUTION")),
                                                          tags.value(QStringLiteral("TIFFTAG_YRESOLUTION")),
                                                          tags.value(QStringLiteral("TIFFTAG_RESOLUTIONUNIT")));
        } else {
            reader.skipCurrentElement();
        }
    }
    if (reader.hasError())
        return refused(QStringLiteral("il testo XML non è valido (riga %1: %2)")
                           .arg(reader.lineNumber())
                           .arg(reader.errorString()));
    return place;
}

} // namespace map
