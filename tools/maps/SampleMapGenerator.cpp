// Draws the sample raster maps bundled with ZEFRO: one imaginary industrial district (tank farms,
// plants, roads, a rail line, a river, a village) rendered on four sheets, at 1:5000 and 1:10000.
// Each sheet is an 8-bit indexed BMP whose header states the resolution it was drawn at, so that one
// centimetre of the sheet is one drawing unit in the map window and the scale bar measures true.
// The last two sheets are also georeferenced, at made-up UTM 32N coordinates: a GeoTIFF of the same
// picture, and beside its BMP the world file and the .prj a GIS program would write.
// Everything is drawn from fixed numbers: running the tool again gives the same maps (on the same
// fonts and the same GDAL).
//
//   zefro_mapgen <output folder>
#include <QDir>
#include <QFile>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <QVector>

#include <gdal_priv.h>
#include <ogr_spatialref.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// One sheet: scale, resolution and the ground window it shows.
struct Sheet
{
    const char *fileName;
    int denominator;
    int pixelsPerMetre; // of the sheet, as the BMP header states it
    double groundLeft; // metres, world coordinates of the top-left corner
    double groundTop;
    int width;
    int height;
    double scaleBarMetres;
    bool georeferenced = false; // placed by utmAt(); a pixel is then a round number of metres on the ground
    double scaleBarTop = 680.0; // pixels: inside the map window's first view, over open fields
};

const Sheet kSheets[] = {
    {"esempio 1-5000.bmp", 5000, 4724, 600.0, 500.0, 1500, 1100, 500.0},
    {"esempio 1-10000.bmp", 10000, 3780, 0.0, 0.0, 1500, 1100, 1000.0},
    // 5000 pixels per metre of the sheet (127 dpi): one pixel per metre on the ground at 1:5000, two at
    // 1:10000. The 1:5000 sheet shows the plants; the 1:10000 one the whole district with the village
    // and the farmhouses south of the river. Their corners fall on round UTM coordinates.
    {"esempio georiferito 1-5000.bmp", 5000, 5000, 650.0, 480.0, 1500, 1100, 500.0, true},
    // Its scale bar goes under the title: lower down it would hide the rail line by the district.
    {"esempio georiferito 1-10000.bmp", 10000, 5000, 150.0, -20.0, 2000, 1500, 500.0, true, 180.0},
};

// Where the district lies in WGS 84 / UTM zone 32N: in the Po plain, made up like the district (the
// titles say so). Ground x grows eastwards, y southwards.
constexpr int kUtm32nEpsg = 32632;
constexpr double kEastingOfGroundZero = 479350.0;
constexpr double kNorthingOfGroundZero = 5030480.0;

QPointF utmAt(double x, double y)
{
    return {kEastingOfGroundZero + x, kNorthingOfGroundZero - y};
}

double metresPerPixel(const Sheet &sheet)
{
    return double(sheet.denominator) / sheet.pixelsPerMetre;
}

// Colours of the map; the palette of the indexed BMP is built from them.
const QColor kFields(232, 240, 214);
const QColor kIndustrialGround(226, 222, 214);
const QColor kVillageGround(243, 230, 208);
const QColor kWater(150, 196, 232);
const QColor kWaterEdge(60, 120, 190);
const QColor kRoadCasing(110, 110, 110);
const QColor kRoad(255, 255, 255);
const QColor kMainRoad(250, 214, 120);
const QColor kRail(30, 30, 30);
const QColor kBuilding(170, 120, 110);
const QColor kPlant(150, 150, 160);
const QColor kTank(245, 245, 245);
const QColor kTankEdge(40, 40, 40);
const QColor kBund(120, 80, 40);
const QColor kTrees(176, 208, 150);
const QColor kText(20, 20, 20);
const QColor kTitleBack(255, 255, 255);

// A small deterministic generator (the standard distributions differ between libraries).
class Lcg
{
public:
    explicit Lcg(quint32 seed)
        : m_state(seed)
    { }
    double next()
    {
        m_state = m_state * 1664525u + 1013904223u;
        return (m_state >> 8) / double(1u << 24);
    }

private:
    quint32 m_state;
};

class SheetPainter
{
public:
    SheetPainter(QPainter &painter, const Sheet &sheet)
        : p(painter)
        , s(sheet)
        , pixelsPerGroundMetre(double(sheet.pixelsPerMetre) / sheet.denominator)
    { }

    [[nodiscard]] QPointF at(double x, double y) const
    {
        return {(x - s.groundLeft) * pixelsPerGroundMetre, (y - s.groundTop) * pixelsPerGroundMetre};
    }
    [[nodiscard]] double len(double metres) const { return metres * pixelsPerGroundMetre; }
    [[nodiscard]] QRectF rect(double x, double y, double w, double h) const
    {
        return {at(x, y), QSizeF(len(w), len(h))};
    }

    void area(const QVector<QPointF> &ground, const QColor &colour)
    {
        QPolygonF polygon;
        for (const QPointF &g : ground)
            polygon << at(g.x(), g.y());
        p.setPen(Qt::NoPen);
        p.setBrush(colour);
        p.drawPolygon(polygon);
    }

    [[nodiscard]] QPainterPath line(const QVector<QPointF> &ground) const
    {
        QPainterPath path(at(ground.first().x(), ground.first().y()));
        for (qsizetype i = 1; i < ground.size(); ++i)
            path.lineTo(at(ground[i].x(), ground[i].y()));
        return path;
    }

    void road(const QVector<QPointF> &ground, double widthMetres, const QColor &fill)
    {
        const QPainterPath path = line(ground);
        const double w = std::max(len(widthMetres), 2.5);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kRoadCasing, w + 2.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        p.drawPath(path);
        p.setPen(QPen(fill, w, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        p.drawPath(path);
    }

    void rail(const QVector<QPointF> &ground)
    {
        const QPainterPath path = line(ground);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(kRail, 3.0, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        p.drawPath(path);
        QPen ties(Qt::white, 1.6, Qt::CustomDashLine, Qt::FlatCap);
        ties.setDashPattern({4.0, 4.0});
        p.setPen(ties);
        p.drawPath(path);
    }

    void building(double x, double y, double w, double h, const QColor &colour)
    {
        p.setPen(QPen(kTankEdge, 1.0));
        p.setBrush(colour);
        p.drawRect(rect(x, y, w, h));
    }

    void tank(double x, double y, double diameter, const QString &name)
    {
        const double r = std::max(len(diameter / 2.0), 2.5);
        p.setPen(QPen(kTankEdge, 1.2));
        p.setBrush(kTank);
        p.drawEllipse(at(x, y), r, r);
        if (r >= 6.0) {
            label(at(x, y) - QPointF(20, 6), QSizeF(40, 12), name, 9, false, Qt::AlignCenter);
        }
    }

    void bund(double x, double y, double w, double h)
    {
        p.setPen(QPen(kBund, 1.5, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect(x, y, w, h));
    }

    void label(QPointF topLeft, QSizeF size, const QString &text, int pixelSize, bool bold,
               Qt::Alignment alignment = Qt::AlignLeft | Qt::AlignVCenter, const QColor &colour = kText,
               bool italic = false)
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(pixelSize);
        font.setBold(bold);
        font.setItalic(italic);
        p.setFont(font);
        p.setPen(colour);
        p.drawText(QRectF(topLeft, size), alignment, text);
    }

    void groundLabel(double x, double y, const QString &text, int pixelSize, bool bold = false,
                     const QColor &colour = kText, bool italic = false)
    {
        label(at(x, y) - QPointF(150, pixelSize), QSizeF(300, 2 * pixelSize), text, pixelSize, bold, Qt::AlignCenter,
              colour, italic);
    }

    QPainter &p;
    const Sheet &s;
    const double pixelsPerGroundMetre;
};

double riverY(double x)
{
    return 1700.0 - 0.1 * x + 60.0 * std::sin(x / 420.0) + 30.0 * std::sin(x / 150.0 + 1.0);
}

QVector<QPointF> riverCourse()
{
    QVector<QPointF> points;
    for (int i = 0; i <= 80; ++i) {
        const double x = -100.0 + i * 55.0;
        points << QPointF(x, riverY(x));
    }
    return points;
}

void drawWorld(SheetPainter &m)
{
    QPainter &p = m.p;
    p.fillRect(QRect(0, 0, m.s.width, m.s.height), kFields);

    // Land use: the industrial district, the village, two woods.
    m.area({{700, 620}, {2050, 600}, {2100, 1300}, {1600, 1360}, {700, 1370}}, kIndustrialGround);
    m.area({{2500, 250}, {3500, 220}, {3650, 900}, {2600, 950}}, kVillageGround);
    m.area({{150, 1800}, {650, 1760}, {700, 2100}, {200, 2150}}, kTrees);
    m.area({{2300, 1550}, {2900, 1520}, {3000, 1800}, {2350, 1850}}, kTrees);

    // The river with its banks.
    const QPainterPath river = m.line(riverCourse());
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kWaterEdge, std::max(m.len(70.0), 4.0) + 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(river);
    p.setPen(QPen(kWater, std::max(m.len(70.0), 4.0), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(river);

    // Roads: the provincial road, the district's roads, the road to the village and the bridge.
    m.road({{-100, 540}, {900, 575}, {2000, 560}, {3000, 600}, {4200, 640}}, 16.0, kMainRoad);
    m.road({{1250, -100}, {1260, 560}, {1280, 1400}, {1240, 2200}, {1200, 3000}}, 12.0, kMainRoad);
    m.road({{700, 900}, {2050, 880}}, 9.0, kRoad);
    m.road({{1700, 565}, {1720, 1340}}, 8.0, kRoad);
    m.road({{3000, 600}, {3050, 900}}, 7.0, kRoad);
    m.road({{2550, 585}, {2600, 930}}, 7.0, kRoad);
    m.road({{2550, 740}, {3600, 700}}, 7.0, kRoad);

    // The rail line and its siding into the tank farm.
    m.rail({{-100, 1440}, {1000, 1400}, {2000, 1340}, {3000, 1260}, {4200, 1160}});
    m.rail({{1500, 1370}, {1400, 1310}, {1000, 1300}});

    // Alfa Chimica: plants and offices.
    m.building(760, 650, 260, 120, kPlant);
    m.building(1050, 660, 120, 180, kPlant);
    m.building(780, 800, 90, 60, kBuilding);
    m.building(900, 800, 120, 60, kBuilding);
    // Deposito Beta: the tank farm with its bunds.
    m.bund(1320, 940, 340, 330);
    const char *names[] = {"S1", "S2", "S3", "S4", "S5", "S6", "S7", "S8"};
    for (int i = 0; i < 8; ++i) {
        const double x = 1380.0 + (i % 4) * 75.0;
        const double y = 1010.0 + (i / 4) * 110.0;
        m.tank(x, y, i < 4 ? 44.0 : 36.0, QString::fromLatin1(names[i]));
    }
    m.building(1330, 1210, 80, 40, kBuilding);
    // Gamma Logistica: warehouses and a small gas depot.
    m.building(1760, 640, 240, 110, kPlant);
    m.building(1760, 780, 110, 80, kPlant);
    m.building(1900, 780, 100, 80, kBuilding);
    m.tank(1800, 1000, 24.0, QStringLiteral("G1"));
    m.tank(1860, 1000, 24.0, QStringLiteral("G2"));
    m.building(1760, 1080, 300, 140, kPlant);
    m.building(760, 960, 180, 140, kPlant);
    m.building(980, 960, 160, 90, kBuilding);
    m.building(760, 1150, 380, 120, kPlant);

    // The village: rows of houses.
    Lcg random(20061204u);
    for (int row = 0; row < 6; ++row) {
        for (int col = 0; col < 10; ++col) {
            const double x = 2640.0 + col * 88.0 + random.next() * 20.0;
            const double y = 290.0 + row * 100.0 + random.next() * 20.0;
            if (row == 2 || (col == 4 && row > 2))
                continue; // the streets
            m.building(x, y, 30.0 + random.next() * 20.0, 24.0 + random.next() * 14.0, kBuilding);
        }
    }
    // Farmhouses.
    for (int i = 0; i < 14; ++i) {
        const double x = 200.0 + random.next() * 3600.0;
        const double y = 1450.0 + random.next() * 1400.0;
        if (std::fabs(y - riverY(x)) < 120.0)
            continue; // not in the river
        m.building(x, y, 30.0, 22.0, kBuilding);
    }

    // Names.
    m.groundLabel(900, 730, QStringLiteral("Alfa Chimica"), 13, true);
    m.groundLabel(1490, 935, QStringLiteral("Deposito Beta"), 13, true);
    m.groundLabel(1900, 960, QStringLiteral("Gamma Logistica"), 13, true);
    m.groundLabel(3050, 200, QStringLiteral("Case Nuove"), 15, true);
    m.groundLabel(1100, 530, QStringLiteral("S.P. 12"), 12, false);
    {
        // Along the road, reading upwards.
        m.p.save();
        m.p.translate(m.at(1296, 800));
        m.p.rotate(-90.0);
        m.label(QPointF(-90, -2), QSizeF(180, 16), QStringLiteral("Via dell'Industria"), 12, false, Qt::AlignCenter);
        m.p.restore();
    }
    m.groundLabel(850, 1375, QStringLiteral("ferrovia"), 12, false, kText, true);
    m.groundLabel(1800, 1560, QStringLiteral("Fiume Chiaro"), 15, false, kWaterEdge, true);
    m.groundLabel(430, 1960, QStringLiteral("Bosco"), 12, false, QColor(60, 100, 40), true);
}

// The grid of a georeferenced sheet every 10 cm of the sheet (500 m at 1:5000, 1000 m at 1:10000), on
// round eastings and northings: ticks on the border labelled with them, crosses inside, so that
// coordinates read in a GIS can be checked on the sheet.
void drawCoordinateTicks(SheetPainter &m)
{
    const double step = m.s.denominator / 10.0; // metres
    const double size = metresPerPixel(m.s);
    const QPointF corner = utmAt(m.s.groundLeft, m.s.groundTop);
    QList<double> columns, rows; // pixels, with their easting and northing
    QList<double> eastings, northings;
    for (double e = (std::floor(corner.x() / step) + 1) * step; (e - corner.x()) / size < m.s.width; e += step) {
        columns << (e - corner.x()) / size;
        eastings << e;
    }
    for (double n = (std::ceil(corner.y() / step) - 1) * step; (corner.y() - n) / size < m.s.height; n -= step) {
        rows << (corner.y() - n) / size;
        northings << n;
    }
    QPainter &p = m.p;
    p.setPen(QPen(kText, 1.0));
    for (qsizetype i = 0; i < columns.size(); ++i) {
        const double x = columns[i];
        p.drawLine(QLineF(x, 0, x, 10));
        p.drawLine(QLineF(x, m.s.height - 10, x, m.s.height));
        m.label(QPointF(x + 3, 2), QSizeF(80, 14), QString::number(eastings[i], 'f', 0), 10, false);
    }
    for (qsizetype j = 0; j < rows.size(); ++j) {
        const double y = rows[j];
        p.drawLine(QLineF(0, y, 10, y));
        p.drawLine(QLineF(m.s.width - 10, y, m.s.width, y));
        m.label(QPointF(3, y + 1), QSizeF(80, 14), QString::number(northings[j], 'f', 0), 10, false);
        for (const double x : columns) {
            p.drawLine(QLineF(x - 8, y, x + 8, y));
            p.drawLine(QLineF(x, y - 8, x, y + 8));
        }
    }
}

void drawSheetFurniture(SheetPainter &m)
{
    QPainter &p = m.p;
    const Sheet &s = m.s;
    // Sheet border.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(kText, 2.0));
    p.drawRect(QRectF(1, 1, s.width - 2, s.height - 2));

    // Title block, top left (inside the part the map window shows at first).
    const QRectF title(20, 20, 360, s.georeferenced ? 82 : 64);
    p.setPen(QPen(kText, 1.0));
    p.setBrush(kTitleBack);
    p.drawRect(title);
    m.label(title.topLeft() + QPointF(8, 4), QSizeF(350, 20), QStringLiteral("Distretto industriale di esempio"), 15,
            true);
    m.label(title.topLeft() + QPointF(8, 24), QSizeF(350, 18),
            QStringLiteral("Carta immaginaria per ZEFRO - scala 1:%1").arg(s.denominator), 12, false);
    if (s.georeferenced) {
        m.label(title.topLeft() + QPointF(8, 42), QSizeF(350, 18),
                QStringLiteral("Coordinate UTM 32N (EPSG:%1) fittizie").arg(kUtm32nEpsg), 12, true);
        m.label(title.topLeft() + QPointF(8, 60), QSizeF(350, 18),
                QStringLiteral("risoluzione %1 pixel/m del foglio: 1 pixel = %2 m")
                    .arg(s.pixelsPerMetre)
                    .arg(metresPerPixel(s)),
                11, false);
        drawCoordinateTicks(m);
    } else {
        m.label(title.topLeft() + QPointF(8, 42), QSizeF(350, 18),
                QStringLiteral("risoluzione %1 pixel/m del foglio").arg(s.pixelsPerMetre), 11, false);
    }

    // North arrow, top right of the first view.
    const QPointF north(940, 60);
    QPolygonF left{north + QPointF(0, -34), north + QPointF(-13, 22), north + QPointF(0, 12)};
    QPolygonF right{north + QPointF(0, -34), north + QPointF(13, 22), north + QPointF(0, 12)};
    p.setPen(QPen(kText, 1.2));
    p.setBrush(kText);
    p.drawPolygon(left);
    p.setBrush(Qt::white);
    p.drawPolygon(right);
    m.label(north + QPointF(-10, -56), QSizeF(20, 18), QStringLiteral("N"), 16, true, Qt::AlignCenter);

    // Scale bar, left in the first view: alternating blocks, ticks every fifth of its length.
    const double barPixels = m.len(s.scaleBarMetres);
    const QPointF origin(40, s.scaleBarTop);
    p.setPen(Qt::NoPen);
    p.setBrush(kTitleBack);
    p.drawRect(QRectF(origin + QPointF(-14, -30), QSizeF(barPixels + 70, 52)));
    for (int i = 0; i < 5; ++i) {
        const QRectF block(origin + QPointF(barPixels * i / 5.0, 0), QSizeF(barPixels / 5.0, 8));
        p.setPen(QPen(kText, 1.0));
        p.setBrush(i % 2 == 0 ? kText : Qt::white);
        p.drawRect(block);
        const QString tick = QString::number(qRound(s.scaleBarMetres * i / 5.0));
        m.label(origin + QPointF(barPixels * i / 5.0 - 30, -24), QSizeF(60, 18), tick, 11, false, Qt::AlignCenter);
    }
    m.label(origin + QPointF(barPixels - 30, -24), QSizeF(90, 18), QStringLiteral("%1 m").arg(qRound(s.scaleBarMetres)),
            11, false, Qt::AlignCenter);
    m.label(origin + QPointF(0, 10), QSizeF(barPixels, 14), QStringLiteral("scala 1:%1").arg(s.denominator), 10, false,
            Qt::AlignCenter);
}

QList<QRgb> mapPalette()
{
    // The map colours, then grey and colour ramps for the smoothed edges of lines and text.
    QList<QRgb> palette;
    for (const QColor &c :
         {kFields, kIndustrialGround, kVillageGround, kWater, kWaterEdge, kRoadCasing, kRoad, kMainRoad, kRail,
          kBuilding, kPlant, kTank, kTankEdge, kBund, kTrees, kText, kTitleBack, QColor(60, 100, 40)})
        palette << c.rgb();
    for (int i = 0; i < 32; ++i) {
        const int v = i * 255 / 31;
        palette << qRgb(v, v, v);
    }
    for (const QColor &base :
         {kFields, kIndustrialGround, kVillageGround, kWater, kMainRoad, kBuilding, kPlant, kTrees}) {
        for (int i = 1; i < 8; ++i) {
            const double t = i / 8.0;
            for (const QColor &other : {kText, QColor(Qt::white), kRoadCasing, kWaterEdge, kTankEdge}) {
                palette << qRgb(int(base.red() * (1 - t) + other.red() * t),
                                int(base.green() * (1 - t) + other.green() * t),
                                int(base.blue() * (1 - t) + other.blue() * t));
            }
        }
    }
    palette.resize(std::min<qsizetype>(palette.size(), 256));
    return palette;
}

bool failed(const QString &path, const QString &problem)
{
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(problem));
    return false;
}

// The placement of a georeferenced sheet as GDAL gives it: the top-left corner and a pixel's size.
std::array<double, 6> geoTransform(const Sheet &sheet)
{
    const QPointF corner = utmAt(sheet.groundLeft, sheet.groundTop);
    const double size = metresPerPixel(sheet);
    return {corner.x(), size, 0.0, corner.y(), 0.0, -size};
}

// Beside the BMP, the world file and the .prj (ESRI's WKT) as GIS programs write them.
bool writeSideFiles(const Sheet &sheet, const QString &bmpPath, const OGRSpatialReference &system)
{
    std::array<double, 6> transform = geoTransform(sheet);
    const QString worldFile = bmpPath.chopped(3) + QStringLiteral("bpw");
    if (!GDALWriteWorldFile(bmpPath.toUtf8().constData(), "bpw", transform.data()))
        return failed(worldFile, QString::fromUtf8(CPLGetLastErrorMsg()));
    std::printf("%s\n", qPrintable(worldFile));

    const QString prjPath = bmpPath.chopped(3) + QStringLiteral("prj");
    const char *const esri[] = {"FORMAT=WKT1_ESRI", nullptr};
    char *text = nullptr;
    const OGRErr exported = system.exportToWkt(&text, esri);
    const std::unique_ptr<char, decltype(&VSIFree)> wkt(text, &VSIFree);
    if (exported != OGRERR_NONE)
        return failed(prjPath, QStringLiteral("no ESRI WKT"));
    QFile prj(prjPath);
    const qint64 length = qint64(std::strlen(wkt.get()));
    if (!prj.open(QIODevice::WriteOnly) || prj.write(wkt.get(), length) != length || !prj.flush())
        return failed(prjPath, prj.errorString());
    std::printf("%s\n", qPrintable(prjPath));
    return true;
}

// The same picture as a GeoTIFF: its palette, tiled and compressed as large scans are, with the resolution
// of the BMP in its resolution tags. GDAL stamps no date on it.
bool writeGeoTiff(const Sheet &sheet, const QImage &indexed, const QString &path, const OGRSpatialReference &system)
{
    GDALDriver *const gtiff = GetGDALDriverManager()->GetDriverByName("GTiff");
    const char *const options[] = {"COMPRESS=DEFLATE", "TILED=YES", "BLOCKXSIZE=256", "BLOCKYSIZE=256", nullptr};
    CPLErrorReset();
    GDALDatasetUniquePtr tiff(gtiff ? gtiff->Create(path.toUtf8().constData(), sheet.width, sheet.height, 1, GDT_Byte,
                                                    const_cast<char **>(options))
                                    : nullptr);
    if (!tiff)
        return failed(path, QString::fromUtf8(CPLGetLastErrorMsg()));
    std::array<double, 6> transform = geoTransform(sheet);
    tiff->SetGeoTransform(transform.data());
    tiff->SetSpatialRef(&system);
    // Pixels per centimetre: the BMP's pixels per metre exactly.
    tiff->SetMetadataItem("TIFFTAG_XRESOLUTION", QByteArray::number(sheet.pixelsPerMetre / 100).constData());
    tiff->SetMetadataItem("TIFFTAG_YRESOLUTION", QByteArray::number(sheet.pixelsPerMetre / 100).constData());
    tiff->SetMetadataItem("TIFFTAG_RESOLUTIONUNIT", "3");
    GDALRasterBand *const band = tiff->GetRasterBand(1);
    GDALColorTable palette;
    const QList<QRgb> colours = indexed.colorTable();
    for (int i = 0; i < int(colours.size()); ++i) {
        const GDALColorEntry entry{short(qRed(colours[i])), short(qGreen(colours[i])), short(qBlue(colours[i])), 255};
        palette.SetColorEntry(i, &entry);
    }
    band->SetColorTable(&palette);
    if (band->RasterIO(GF_Write, 0, 0, sheet.width, sheet.height, const_cast<uchar *>(indexed.constBits()), sheet.width,
                       sheet.height, GDT_Byte, 1, indexed.bytesPerLine(), nullptr)
        != CE_None)
        return failed(path, QString::fromUtf8(CPLGetLastErrorMsg()));
    tiff.reset(); // written out on closing
    if (CPLGetLastErrorType() == CE_Failure)
        return failed(path, QString::fromUtf8(CPLGetLastErrorMsg()));
    std::printf("%s\n", qPrintable(path));
    return true;
}

bool writeSheet(const Sheet &sheet, const QString &folder)
{
    QImage canvas(sheet.width, sheet.height, QImage::Format_RGB32);
    {
        QPainter painter(&canvas);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::TextAntialiasing);
        SheetPainter m(painter, sheet);
        drawWorld(m);
        drawSheetFurniture(m);
    }
    QImage indexed = canvas.convertToFormat(QImage::Format_Indexed8, mapPalette(), Qt::ThresholdDither);
    indexed.setDotsPerMeterX(sheet.pixelsPerMetre);
    indexed.setDotsPerMeterY(sheet.pixelsPerMetre);
    const QString path = QDir(folder).filePath(QString::fromLatin1(sheet.fileName));
    QImageWriter writer(path, "bmp");
    if (!writer.write(indexed))
        return failed(path, writer.errorString());
    std::printf("%s\n", qPrintable(path));
    if (!sheet.georeferenced)
        return true;

    OGRSpatialReference system;
    if (system.importFromEPSG(kUtm32nEpsg) != OGRERR_NONE)
        return failed(path, QStringLiteral("EPSG:%1 unknown to PROJ").arg(kUtm32nEpsg));
    return writeSideFiles(sheet, path, system)
        && writeGeoTiff(sheet, indexed, path.chopped(3) + QStringLiteral("tif"), system);
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zefro_mapgen <output folder>\n");
        return 2;
    }
    GDALAllRegister();
    const QString folder = QString::fromLocal8Bit(argv[1]);
    if (!QDir().mkpath(folder)) {
        std::fprintf(stderr, "cannot create %s\n", argv[1]);
        return 1;
    }
    bool ok = true;
    for (const Sheet &sheet : kSheets)
        ok = writeSheet(sheet, folder) && ok;
    return ok ? 0 : 1;
}
