#include "site/InventoryReader.h"

#include "map/GdalSession.h"
#include "map/OgrHandles.h"
#include "platform/SystemFile.h"
#include "site/InventoryRow.h"
#include "site/InventoryText.h"
#include "site/SiteErrors.h"

#include <cpl_conv.h>
#include <cpl_string.h>
#include <cpl_vsi.h>
#include <ogr_spatialref.h>
#include <ogrsf_frmts.h>

#include <QFileInfo>
#include <QHash>
#include <QUuid>

#include <algorithm>
#include <memory>

// Row numbers: what a spreadsheet shows, the header being row 1.
// - CSV: GDAL numbers the records it reads from 1 and skips empty lines, which a spreadsheet shows as
//   rows; a quoted field with line breaks is one record and one row. The rows come from the records'
//   places in the text (csvRecordRows); should that count ever disagree with GDAL's, the record
//   number plus one is used.
// - XLSX and ODS: GDAL's feature number is the sheet's row number, blank rows between included.
// - Other layers (GeoPackage, GeoJSON, shapefile): features count from 2 in the order GDAL reads them.

namespace site {

namespace {

// Large enough for any plant's inventory; a larger file is no inventory.
constexpr qint64 kMaxCsvBytes = qint64(32) * 1024 * 1024;

using Dataset = map::OgrDataset;
using Feature = map::OgrFeature;


// A CSV text handed to GDAL as a file of its in-memory file system, removed with this object.
class MemoryCsv
{
public:
    explicit MemoryCsv(QByteArray utf8)
        : m_bytes(std::move(utf8))
        , m_path("/vsimem/zefro-inventario-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8()
                 + "/inventario.csv")
    {
        VSIFCloseL(VSIFileFromMemBuffer(m_path.constData(), reinterpret_cast<GByte *>(m_bytes.data()),
                                        static_cast<vsi_l_offset>(m_bytes.size()), FALSE));
    }
    ~MemoryCsv() { VSIUnlink(m_path.constData()); }
    MemoryCsv(const MemoryCsv &) = delete;
    MemoryCsv &operator=(const MemoryCsv &) = delete;

    [[nodiscard]] const QByteArray &path() const { return m_path; }

private:
    QByteArray m_bytes; // GDAL reads it in place
    QByteArray m_path;
};

Error unreadable(const QString &localPath, const QString &detail)
{
    Error error = siteError(Error::Kind::InventoryUnreadable);
    error.file = localPath;
    error.detail = detail;
    return error;
}

Error malformed(const QString &localPath, const QString &detail)
{
    Error error = siteError(Error::Kind::InventoryMalformed);
    error.file = localPath;
    error.detail = detail;
    return error;
}

// A row as read, before it is understood.
struct ReadRow
{
    GIntBig fid = 0;
    RowCells cells;
    bool blank = true;
};

struct LayerColumns
{
    std::array<int, kColumnCount> field; // the layer's field of each column, -1 when missing
    ColumnHeaders headers;

    [[nodiscard]] bool has(Column column) const { return field[static_cast<std::size_t>(column)] >= 0; }
};

LayerColumns columnsOf(OGRFeatureDefn &definition)
{
    LayerColumns columns;
    columns.field.fill(-1);
    for (int index = 0; index < definition.GetFieldCount(); ++index) {
        const QString header = QString::fromUtf8(definition.GetFieldDefn(index)->GetNameRef()).trimmed();
        const std::optional<Column> column = columnNamed(header);
        if (column && !columns.has(*column)) {
            columns.field[static_cast<std::size_t>(*column)] = index;
            columns.headers[static_cast<std::size_t>(*column)] = header;
        }
    }
    return columns;
}

QString missingColumns(const LayerColumns &columns)
{
    if (!columns.has(Column::Id))
        return QStringLiteral("manca la colonna id");
    for (const Column column : {Column::Hypothesis, Column::Containment}) {
        if (!columns.has(column))
            return QStringLiteral("manca la colonna %1").arg(columnName(column));
    }
    if (!columns.has(Column::Substance) && !columns.has(Column::Cas) && !columns.has(Column::HazardClass))
        return QStringLiteral("manca la colonna della sostanza: ne serve almeno una fra sostanza, cas e classe");
    return {};
}

ReadRow readFeature(OGRFeature &feature, const LayerColumns &columns)
{
    ReadRow row;
    row.fid = feature.GetFID();
    for (int index = 0; index < feature.GetFieldCount(); ++index) {
        const QString text = feature.IsFieldSetAndNotNull(index)
            ? QString::fromUtf8(feature.GetFieldAsString(index)).trimmed()
            : QString();
        row.blank = row.blank && text.isEmpty();
        for (std::size_t column = 0; column < kColumnCount; ++column) {
            if (columns.field[column] == index)
                row.cells.text[column] = text;
        }
    }
    if (const OGRGeometry *geometry = feature.GetGeometryRef(); geometry && !geometry->IsEmpty()) {
        row.blank = false;
        if (wkbFlatten(geometry->getGeometryType()) == wkbPoint) {
            const auto *point = geometry->toPoint();
            row.cells.geometryPoint = QPointF(point->getX(), point->getY());
        } else {
            row.cells.geometryNotPoint = QString::fromUtf8(geometry->getGeometryName());
        }
    }
    return row;
}

// The system of a layer whose geometry places its items, when it has one.
Outcome<std::optional<map::CoordinateSystem>> layerSystemOf(OGRLayer &layer, const QString &localPath)
{
    const OGRSpatialReference *system = layer.GetGeomType() == wkbNone ? nullptr : layer.GetSpatialRef();
    if (!system)
        return std::optional<map::CoordinateSystem>();
    char *raw = nullptr;
    const char *const options[] = {"FORMAT=WKT2_2019", nullptr};
    const OGRErr exported = system->exportToWkt(&raw, options);
    const map::CplText wkt(raw);
    if (exported != OGRERR_NONE || !wkt)
        return unreadable(localPath,
                          QStringLiteral("il sistema di riferimento dello strato non si può scrivere in WKT"));
    Outcome<map::CoordinateSystem> coordinateSystem
        = map::coordinateSystemFrom(QString::fromUtf8(wkt.get()), QFileInfo(localPath).fileName());
    if (!coordinateSystem.ok())
        return unreadable(localPath,
                          QStringLiteral("il sistema di riferimento dello strato non è utilizzabile: ")
                              + coordinateSystem.error().detail);
    return std::optional(coordinateSystem.value());
}

// The rows' ids: none empty where the row has values, none twice (case and surrounding blanks ignored,
// as file names made from them would be on the analyst's system).
QString idProblem(const std::vector<InventoryItem> &items, const LayerColumns &columns)
{
    const QString idHeader = columns.headers[static_cast<std::size_t>(Column::Id)];
    QHash<QString, const InventoryItem *> seen;
    for (const InventoryItem &item : items) {
        if (item.id.isEmpty())
            return QStringLiteral("la riga %1 ha dei valori ma la colonna %2 è vuota").arg(item.row).arg(idHeader);
        const QString key = item.id.toCaseFolded();
        if (const auto found = seen.constFind(key); found != seen.constEnd())
            return QStringLiteral("l'id \"%1\" della riga %2 è già alla riga %3 (\"%4\"): ogni id va usato una volta "
                                  "sola")
                .arg(item.id)
                .arg(item.row)
                .arg((*found)->row)
                .arg((*found)->id);
        seen.insert(key, &item);
    }
    return {};
}

} // namespace

Outcome<Inventory> readInventory(const QString &localPath)
{
    map::startGdal();
    const QString suffix = QFileInfo(localPath).suffix().toLower();
    const bool csv = suffix == QLatin1String("csv");
    const bool workbook = suffix == QLatin1String("xlsx") || suffix == QLatin1String("ods");

    std::unique_ptr<MemoryCsv> memoryCsv;
    std::vector<int> csvRows;
    if (csv) {
        const Outcome<QByteArray> bytes = SystemFile::readRegular(localPath, kMaxCsvBytes);
        if (!bytes.ok())
            return unreadable(localPath, bytes.error().detail);
        CsvText text = csvTextOf(bytes.value());
        if (text.utf8.trimmed().isEmpty())
            return malformed(localPath, QStringLiteral("il file è vuoto: nessuna riga di dati"));
        csvRows = csvRecordRows(text.utf8);
        memoryCsv = std::make_unique<MemoryCsv>(std::move(text.utf8));
    } else if (const Status regular = SystemFile::checkRegular(localPath); !regular.ok()) {
        return unreadable(localPath, regular.error().detail);
    }

    const map::GdalErrors gdal;
    // GDAL 3.6 reads a workbook's header and cell types by these options; later versions by the open
    // options below.
    const map::GdalOption xlsxHeaders("OGR_XLSX_HEADERS", "FORCE");
    const map::GdalOption xlsxTypes("OGR_XLSX_FIELD_TYPES", "STRING");
    const map::GdalOption odsHeaders("OGR_ODS_HEADERS", "FORCE");
    const map::GdalOption odsTypes("OGR_ODS_FIELD_TYPES", "STRING");
    CPLStringList openOptions;
    if (csv) {
        openOptions.SetNameValue("HEADERS", "YES");
        openOptions.SetNameValue("AUTODETECT_TYPE", "NO");
    } else if (workbook) {
        openOptions.SetNameValue("HEADERS", "FORCE");
        openOptions.SetNameValue("FIELD_TYPES", "STRING");
    }
    const char *const drivers[] = {"CSV", "XLSX", "ODS", "GPKG", "GeoJSON", "ESRI Shapefile", nullptr};
    const QByteArray openPath = memoryCsv ? memoryCsv->path() : localPath.toUtf8();
    const Dataset dataset(GDALDataset::FromHandle(
        GDALOpenEx(openPath.constData(), GDAL_OF_VECTOR | GDAL_OF_READONLY, drivers, openOptions.List(), nullptr)));
    if (!dataset)
        return unreadable(localPath,
                          gdal.withReason(QStringLiteral("non è una tabella CSV, XLSX, ODS, GeoPackage, "
                                                         "GeoJSON o shapefile")));
    OGRLayer *layer = dataset->GetLayerCount() > 0 ? dataset->GetLayer(0) : nullptr;
    if (!layer)
        return unreadable(localPath, QStringLiteral("il file non contiene tabelle"));
    const QByteArray driver(dataset->GetDriver() ? dataset->GetDriver()->GetDescription() : "");
    const bool spreadsheet = driver == "XLSX" || driver == "ODS";

    const LayerColumns columns = columnsOf(*layer->GetLayerDefn());
    if (const QString missing = missingColumns(columns); !missing.isEmpty())
        return malformed(localPath, missing);

    std::vector<ReadRow> rows;
    layer->ResetReading();
    for (Feature feature(layer->GetNextFeature()); feature; feature.reset(layer->GetNextFeature()))
        rows.push_back(readFeature(*feature, columns));
    if (gdal.failed())
        return unreadable(localPath, gdal.withReason(QStringLiteral("la lettura si è interrotta")));

    Outcome<std::optional<map::CoordinateSystem>> system = layerSystemOf(*layer, localPath);
    if (!system.ok())
        return system.error();

    Inventory inventory;
    inventory.file = localPath;
    inventory.layerSystem = system.value();
    const bool csvRowsAgree = csv && csvRows.size() == rows.size();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const ReadRow &row = rows[index];
        if (row.blank)
            continue;
        InventoryItem item;
        item.row = csvRowsAgree  ? csvRows[index]
            : csv || spreadsheet ? static_cast<int>(row.fid + (csv ? 1 : 0))
                                 : static_cast<int>(index) + 2;
        item.id = row.cells[Column::Id];
        RowReading reading = readRow(row.cells, columns.headers);
        item.order = std::move(reading.order);
        item.problem = reading.problem;
        item.position = reading.position;
        inventory.items.push_back(std::move(item));
    }
    if (inventory.items.empty())
        return malformed(localPath, QStringLiteral("nessuna riga di dati dopo l'intestazione"));
    if (const QString problem = idProblem(inventory.items, columns); !problem.isEmpty())
        return malformed(localPath, problem);
    const bool placedByGeometry
        = std::any_of(rows.begin(), rows.end(), [](const ReadRow &row) { return row.cells.geometryPoint.has_value(); });
    if (!placedByGeometry)
        inventory.layerSystem.reset(); // the layer's system places nothing
    return inventory;
}

} // namespace site
