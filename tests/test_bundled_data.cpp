// The bundled example data: the workbooks through the program's own reader and estimate chain, each check listing
// every problem (ZEFRO_CHECK_DRIVE_ROOT points them at other, real, workbooks, where the note check rightly fails),
// the georeferenced sample maps against an independent reader, and the sample elements on them.
#include "elements/ElementLayer.h"
#include "elements/ElementShapes.h"
#include "estimate/EstimateChain.h"
#include "map/MapOpening.h"
#include "xls/CellAddress.h"
#include "xls/XlsWorkbookOpener.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <map>
#include <set>

namespace {

const QString kCorrespondence = QStringLiteral("corrispondenza coppie tossici.xls");
const QString kRaster = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/cartografia/raster/");
const QString kElements
    = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/elementi/elementi esempio.gpkg");

QString subclassFile(const HazardClass &c, int k)
{
    return c.listCode + QString::number(k) + ".xls";
}

// The checked data folder, each workbook opened once (also for the estimate chain), and its problems.
class Data final : public WorkbookOpener
{
public:
    mutable QStringList problems;

    Outcome<WorkbookHandle> open(const QString &systemPath) const override
    {
        auto it = m_books.find(systemPath);
        if (it == m_books.end())
            it = m_books.emplace(systemPath, m_opener.open(systemPath)).first;
        return it->second;
    }
    // Column and row from 1; an empty cell where the workbook cannot be read.
    CellValue cell(const QString &file, int sheet, int column, int row) const
    {
        const Outcome<WorkbookHandle> book = open(kDataFolder + file);
        const Outcome<CellValue> value
            = book.ok() ? book.value()->readCell(sheet, cellAddress(columnLetters(column), row)) : book.error();
        if (!value.ok())
            problems << value.error().message();
        return value.ok() ? value.value() : CellValue();
    }
    QString report() const
    {
        return QString::number(problems.size()) + " problem(s):\n" + problems.mid(0, 40).join('\n');
    }

private:
    XlsWorkbookOpener m_opener{DrivePaths(qEnvironmentVariable("ZEFRO_CHECK_DRIVE_ROOT", ZEFRO_BUNDLED_TREE))};
    mutable std::map<QString, Outcome<WorkbookHandle>> m_books;
};

} // namespace

class BundledDataTest : public QObject
{
    Q_OBJECT

private slots:
    // The 36 workbooks with the worksheets the program reads, the first saying that it holds example data.
    void everyWorkbookSaysItHoldsExampleData()
    {
        const Data data;
        QList<std::tuple<QString, int, QPoint>> books{
            {kCorrespondence, 5, {8, 1}}}; // file, worksheets, note (column, row)
        for (const HazardClass &c : hazardClasses()) {
            books.append({c.workbookFile, c.isToxic() ? 2 : 6, c.isToxic() ? QPoint(5, 1) : QPoint(1, 12)});
            for (int k = 1; k <= 6 && c.isToxic(); ++k)
                books.append({subclassFile(c, k), 5, {1, 12}});
        }
        for (const auto &[file, sheets, at] : books) {
            const Outcome<WorkbookHandle> book = data.open(kDataFolder + file);
            const QString note = data.cell(file, 1, at.x(), at.y()).toText(),
                          how = data.cell(file, 1, at.x(), at.y() + 1).toText();
            if (!book.ok() || book.value()->sheetCount() != sheets)
                data.problems << file + ": not the worksheets the program reads";
            else if (!note.startsWith("DATI DI ESEMPIO / EXAMPLE DATA") || !note.contains("NOT official values")
                     || !how.contains("replace"))
                data.problems << file + ": no example-data note";
        }
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
    }

    // A flammable table lists from row 1 the quick-pick CAS numbers in order, with their catalogue names
    // (any name for a number the catalogue lacks); a toxic one catalogue substances with a whole zone index
    // from 1 to 72 (columns F to BY). Nothing lies outside the rows searched, nor below row 24 of the correspondence.
    void tablesListWhatTheLookupsFind()
    {
        const Data data;
        for (const HazardClass &c : hazardClasses()) {
            const QStringList quickPick = Catalogue::quickPickCas(c);
            if (quickPick.size() > c.lastRow || c.isToxic() != quickPick.isEmpty())
                data.problems << c.listCode + ": quick-pick list against the searched rows";
            for (int row = 1; row <= c.lastRow + 5; ++row) {
                const CellValue cas = data.cell(c.workbookFile, c.worksheet, c.isToxic() ? 3 : 1, row),
                                name = data.cell(c.workbookFile, c.worksheet, 2, row);
                const CellValue zone = c.isToxic() ? data.cell(c.workbookFile, 1, 1, row) : CellValue();
                const std::optional<Substance> known = Catalogue::findByCas(cas.toText());
                const bool named
                    = known ? name == CellValue::text(known->name) : name.isText() && !name.toText().isEmpty();
                const double z = zone.toNumber();
                bool fits = false;
                if (!c.isToxic())
                    fits = cas == CellValue::text(quickPick.value(row - 1)) && (cas.isEmpty() ? name.isEmpty() : named);
                else if (row < c.firstRow || row > c.lastRow)
                    fits = !known && !zone.isNumber();
                else
                    fits = (cas.isEmpty() && zone.isEmpty())
                        || (known && named && zone.isNumber() && z == std::floor(z) && z >= 1 && z <= 72);
                if (!fits)
                    data.problems << QStringLiteral("%1 row %2: ").arg(c.workbookFile).arg(row) + cas.toText() + ' '
                            + name.toText() + " zone " + QString::number(z);
            }
        }
        for (int sheet = 1; sheet <= 5; ++sheet)
            for (int row = 25; row <= 30; ++row)
                if (!data.cell(kCorrespondence, sheet, 1, row).isEmpty())
                    data.problems
                        << QStringLiteral("correspondence sheet %1 row %2: below the rows read").arg(sheet).arg(row);
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
    }

    // An empty cell reads as 0 m: every bound and distance of the pairs the program reads is a number.
    void distanceSheetsHoldNumbersWhereRead()
    {
        const Data data;
        for (const HazardClass &c : hazardClasses()) {
            for (int k = c.isToxic(); k <= (c.isToxic() ? 6 : 0); ++k) {
                const QString file = k > 0 ? subclassFile(c, k) : c.workbookFile;
                for (const Containment containment : kContainments) {
                    const int sheet = worksheetOf(containment);
                    const Outcome<WorkbookHandle> book = data.open(kDataFolder + file);
                    const Outcome<RangeTable> table = book.ok() ? readRangeTable(*book.value(), sheet) : book.error();
                    const auto offered
                        = table.ok() ? offeredRanges(table.value(), containment, c.gas, file, sheet) : table.error();
                    std::set<int> pairs{0};
                    for (const RangeEntry &entry : offered.ok() ? offered.value() : std::vector<RangeEntry>())
                        pairs.insert(entry.pair);
                    for (const int pair : pairs)
                        for (const int row : {0, 2, 3, 4, 5, 6, 7, 8, 9})
                            for (const int column : {2 * pair, 2 * pair + 1})
                                if (!offered.ok() || !table.value()[row][column].isNumber())
                                    data.problems << file + " sheet " + QString::number(sheet) + ' '
                                            + (offered.ok() ? rangeTableAddress(row, column)
                                                            : offered.error().message());
                }
            }
        }
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
    }

    // Every catalogue substance in every class found, hypothesis, containment and entry offered: each estimate
    // completes, no distance is missing, threshold 1 (and 3 for a toxic class) is at least 5 m, and no entry gives
    // a smaller distance than the entry before it, but for a lower bound (so a figure on their shared bound goes
    // to the later one).
    void everyEstimateOnTheDataCompletes()
    {
        const Data data;
        int estimates = 0, lowerBounds = 0;
        for (const Substance &substance : Catalogue::substances()) {
            EstimateChain chain(data);
            const auto found = chain.lookUpClasses(substance);
            QVERIFY2(found.ok(), qPrintable(found.ok() ? QString() : found.error().message()));
            for (const HazardClass *c : std::set<const HazardClass *>(found.value().begin(), found.value().end())) {
                chain.chooseClass(*c);
                for (const Hypothesis hypothesis : {Hypothesis::MostLikely, Hypothesis::Average}) {
                    for (const Containment containment : kContainments) {
                        const QString what = substance.name + " in " + c->listCode + ", " + containmentName(containment)
                            + ", " + hypothesisName(hypothesis) + ": ";
                        const auto offered = chain.chooseContainment(hypothesis, containment);
                        // A compressed gas in a bund is refused; all but tankers and ships offer entries.
                        const bool refusal = containment == Containment::BundedStorage && c->isCompressedGas();
                        if (refusal ? offered.ok() || offered.error().kind != Error::Kind::CompressedGasInBund
                                    : !offered.ok()
                                    || offered.value().empty() != (rangeKindOf(containment) == RangeKind::None))
                            data.problems << what
                                    + (offered.ok() ? "entries against the containment" : offered.error().message());
                        std::optional<Estimate> before;
                        for (std::size_t entry = 0;
                             offered.ok() && entry < std::max<std::size_t>(offered.value().size(), 1);
                             ++entry, ++estimates) {
                            const Outcome<Estimate> estimate = chain.estimate(entry);
                            if (!estimate.ok())
                                data.problems << what + estimate.error().message();
                            for (std::size_t slot = 0; slot < kDistanceSlots && estimate.ok() && before; ++slot) {
                                // A lower bound (" 4075 > m") only says the distance is at least that.
                                const DamageDistance &later = estimate.value().distances[slot];
                                if (!later.lowerBound && later.metres < before->distances[slot].metres)
                                    data.problems << what + "entry " + QString::number(entry) + " slot "
                                            + QString::number(slot) + ": smaller than the entry before";
                            }
                            if (estimate.ok())
                                before = estimate.value();
                            for (std::size_t slot = 0; slot < kDistanceSlots && estimate.ok(); ++slot) {
                                const DamageDistance &d = estimate.value().distances[slot];
                                const bool due = thresholdOf(slot) == 1 || (c->isToxic() && thresholdOf(slot) == 3);
                                if (d.notAvailable || (due && d.metres < 5))
                                    data.problems << what + "entry " + QString::number(entry) + " slot "
                                            + QString::number(slot) + ": " + QString::number(d.metres) + " m";
                                lowerBounds += d.lowerBound;
                            }
                        }
                    }
                }
            }
        }
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
        QVERIFY(estimates > 1000 && lowerBounds > 0);
    }

    // The georeferenced sample sheets, each as a GeoTIFF and as a BMP with its world file and .prj: their
    // pixels lie where gdalinfo puts the GeoTIFF's, in the EPSG:32632 and at the scale their titles name.
    void georeferencedMapsLieWhereGdalPutsThem_data()
    {
        QTest::addColumn<QString>("sheet");
        QTest::addColumn<QString>("extension");
        QTest::addColumn<int>("denominator");
        for (const int denominator : {5000, 10000}) {
            const QString sheet = QStringLiteral("esempio georiferito 1-%1").arg(denominator);
            QTest::addRow("1:%d GeoTIFF", denominator) << sheet << QStringLiteral(".tif") << denominator;
            QTest::addRow("1:%d BMP, world file, .prj", denominator) << sheet << QStringLiteral(".bmp") << denominator;
        }
    }
    void georeferencedMapsLieWhereGdalPutsThem()
    {
        QFETCH(QString, sheet);
        QFETCH(QString, extension);
        QFETCH(int, denominator);
        QProcess gdalinfo;
        gdalinfo.start(QStringLiteral("gdalinfo"), {QStringLiteral("-json"), kRaster + sheet + ".tif"});
        QVERIFY2(gdalinfo.waitForFinished(60000) && gdalinfo.exitCode() == 0, qPrintable(gdalinfo.errorString()));
        const QJsonObject info = QJsonDocument::fromJson(gdalinfo.readAllStandardOutput()).object();
        const QJsonArray size = info["size"].toArray(), transform = info["geoTransform"].toArray(),
                         centre = info["cornerCoordinates"].toObject()["center"].toArray();
        QVERIFY(size.size() == 2 && transform.size() == 6 && centre.size() == 2);

        const Outcome<map::OpenedMap> opened = map::openMap(kRaster + sheet + extension);
        QVERIFY2(opened.ok(), qPrintable(opened.ok() ? QString() : opened.error().message()));
        const std::optional<map::Georeference> &georeference = opened.value().georeference;
        const QSize pixels = opened.value().source->size();
        QVERIFY(georeference && pixels == QSize(size[0].toInt(), size[1].toInt()));
        const QPointF middle(pixels.width() / 2.0, pixels.height() / 2.0);
        const QPointF ground = georeference->groundAt(middle);
        QCOMPARE(ground.x(), centre[0].toDouble());
        QCOMPARE(ground.y(), centre[1].toDouble());
        QCOMPARE(QSizeF(georeference->pixelWidth, -georeference->pixelHeight),
                 QSizeF(transform[1].toDouble(), -transform[5].toDouble()));
        QCOMPARE(georeference->system.code, QStringLiteral("EPSG:32632"));
        // A pixel is a round number of metres of the UTM grid: on the ground, the title's scale up to
        // UTM's scale there (0.04 %).
        const double onGround = 1 / map::groundScaleFactor(*georeference, opened.value().source->units(), pixels);
        QVERIFY2(onGround > denominator && onGround < denominator * 1.0005, qPrintable(QString::number(onGround)));
    }

    // The sheet of the whole district shows every sample element: read as the map window reads the layer
    // for it, all fifteen lie inside the sheet.
    void sampleElementsLieOnTheDistrictSheet()
    {
        const Outcome<map::OpenedMap> opened = map::openMap(kRaster + "esempio georiferito 1-10000.tif");
        QVERIFY2(opened.ok() && opened.value().georeference,
                 qPrintable(opened.ok() ? QString() : opened.error().message()));
        const map::Georeference &georeference = *opened.value().georeference;
        const QSize pixels = opened.value().source->size();
        const Outcome<elements::ElementLayer> layer = elements::readElementLayer(
            {kElements, {}, georeference.system, elements::sheetRegion(georeference, pixels)});
        QVERIFY2(layer.ok(), qPrintable(layer.ok() ? QString() : layer.error().message()));
        QCOMPARE(layer.value().elements.size(), std::size_t(15));
        const QRectF sheet = QRectF(georeference.groundAt(QPointF(0, 0)),
                                    georeference.groundAt(QPointF(pixels.width(), pixels.height())))
                                 .normalized();
        // By corners: a point's box has no size, and Qt's rectangles contain no such box.
        for (const elements::VulnerableElement &element : layer.value().elements)
            QVERIFY2(sheet.contains(element.bounds.topLeft()) && sheet.contains(element.bounds.bottomRight()),
                     qPrintable(element.name));
    }
};

QTEST_GUILESS_MAIN(BundledDataTest)
#include "test_bundled_data.moc"
