#include "map/WorldFile.h"

#include "map/MapErrors.h"

#include <QDir>
#include <QFileInfo>

#include <array>
#include <cmath>

namespace map {

namespace {

constexpr int kNumbers = 6;

// A line as the analyst would recognise it in a message: blanks trimmed, long text cut.
QString shown(const QByteArray &line)
{
    constexpr int kLongest = 40;
    const QString text = QString::fromUtf8(line);
    return text.size() > kLongest ? text.left(kLongest) + QStringLiteral("…") : text;
}

} // namespace

Outcome<WorldFile> parseWorldFile(const QByteArray &text, const QString &fileName)
{
    const auto refused = [&](const QString &detail) {
        Error error = mapError(Error::Kind::MapGeoreferenceInvalid);
        error.file = fileName;
        error.detail = detail;
        return error;
    };
    QList<QByteArray> lines = text.split('\n');
    if (!lines.isEmpty() && lines.first().startsWith("\xEF\xBB\xBF")) // a byte-order mark some editors add
        lines.first().remove(0, 3);
    for (QByteArray &line : lines)
        line = line.trimmed(); // also the carriage return of a Windows line end
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();

    std::array<double, kNumbers> numbers{};
    for (int i = 0; i < std::min<qsizetype>(kNumbers, lines.size()); ++i) {
        const QString where = QStringLiteral("riga %1: ").arg(i + 1);
        if (lines[i].isEmpty())
            return refused(where + QStringLiteral("vuota, serve un numero"));
        bool ok = false;
        numbers[i] = lines[i].toDouble(&ok);
        if (!ok)
            return refused(where + QStringLiteral("\"%1\" non è un numero").arg(shown(lines[i])));
        if (!std::isfinite(numbers[i]))
            return refused(where + QStringLiteral("\"%1\" non è un numero finito").arg(shown(lines[i])));
    }
    if (lines.size() < kNumbers)
        return refused(QStringLiteral("servono 6 righe di numeri, il file ne ha %1").arg(lines.size()));
    if (lines.size() > kNumbers)
        return refused(QStringLiteral("riga 7: \"%1\" in più, un file di georeferenziazione ha 6 righe di numeri")
                           .arg(shown(lines[kNumbers])));

    const WorldFile world{numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5]};
    if (world.a == 0.0)
        return refused(QStringLiteral("riga 1: la larghezza del pixel è zero"));
    if (world.e == 0.0)
        return refused(QStringLiteral("riga 4: l'altezza del pixel è zero"));
    // The sheet's corner lies half a pixel from the centre the file gives; numbers near the largest a
    // computer holds put it beyond any place.
    if (!std::isfinite(world.c - world.a / 2 - world.b / 2) || !std::isfinite(world.f - world.d / 2 - world.e / 2))
        return refused(QStringLiteral("righe 1-6: i numeri sono troppo grandi, l'angolo della mappa non è un punto "
                                      "finito"));
    return world;
}

QString fileBeside(const QString &rasterPath, const QStringList &extensions)
{
    const QFileInfo raster(rasterPath);
    const QString base = raster.completeBaseName();
    const QStringList siblings = raster.dir().entryList(QDir::Files);
    for (const QString &extension : extensions) {
        for (const QString &sibling : siblings) {
            const QFileInfo candidate(sibling);
            if (candidate.completeBaseName() == base && candidate.suffix().compare(extension, Qt::CaseInsensitive) == 0)
                return raster.dir().filePath(sibling);
        }
    }
    return {};
}

QString worldFileBeside(const QString &rasterPath)
{
    const QString extension = QFileInfo(rasterPath).suffix().toLower();
    // GIS programs name a world file after the raster's extension: its first and last letters and a
    // "w" (".tfw"), or the whole extension and a "w" (".tifw"); ".wld" for any raster.
    QStringList wanted;
    if (!extension.isEmpty())
        wanted << QString(extension.front()) + extension.back() + QLatin1Char('w') << extension + QLatin1Char('w');
    wanted << QStringLiteral("wld");
    return fileBeside(rasterPath, wanted);
}

} // namespace map
