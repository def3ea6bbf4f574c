// The print in scale: where the sheet, scale bar and grid lie on the page, and a page printed to PDF
// measured by poppler as a reader would with a ruler.
#include "map/MapSource.h"
#include "map/ScaledPage.h"
#include "map/ScaledPrint.h"
#include "support/SampleEstimates.h"
#include "support/ToolOutput.h"

#include <QPainter>
#include <QPdfWriter>
#include <QtTest>

#include <cmath>

using namespace map;
using testing::toolOutput;

namespace {

// 100 pixels a centimetre of sheet: a pixel is 0.1 mm of paper, 0.5 m of ground at 1:5000.
const MapUnits kUnits(10000, 10000);

// Black, not the dark grey of the eighth circle nor the blue of the second.
bool black(QRgb pixel)
{
    return qRed(pixel) < 40 && qGreen(pixel) < 40 && qBlue(pixel) < 40;
}

// The black runs of a row of a rendering: each run's first column.
QList<int> darkRuns(const QImage &image, int y, int from, int to)
{
    QList<int> starts;
    bool dark = false;
    for (int x = from; x < to; ++x) {
        const bool now = black(image.pixel(x, y));
        if (now && !dark)
            starts << x;
        dark = now;
    }
    return starts;
}

// The paper pdfinfo names for a one-page PDF, and whether it is wider than tall.
QString pageSize(const QString &pdf)
{
    const QRegularExpressionMatch size = QRegularExpression(R"(Page size:\s+([\d.]+) x ([\d.]+) pts \((\w+)\))")
                                             .match(QString::fromUtf8(toolOutput("pdfinfo", {pdf})));
    if (!size.hasMatch())
        return {};
    return size.captured(3)
        + (size.captured(1).toDouble() > size.captured(2).toDouble() ? QStringLiteral(" landscape")
                                                                       : QStringLiteral(" portrait"));
}

} // namespace

class ScaledPrintTest : public QObject
{
    Q_OBJECT

private slots:
    void roundSteps()
    {
        for (const auto &[atMost, step] : {std::pair(331.25, 200.0), std::pair(1.0, 1.0), std::pair(0.99, 0.5),
                                           std::pair(19.99, 10.0), std::pair(50.0, 50.0), std::pair(0.0042, 0.002)})
            QCOMPARE(roundStep(atMost), step);
    }

    // On an A4 landscape printable area the frame shows as many sheet pixels as its millimetres hold,
    // centred on the incident where the sheet allows it, and the bar's 200 m are 40 mm at 1:5000.
    void layouts()
    {
        const QSizeF a4(277, 190);
        const ScaledLayout middle = scaledLayout(a4, kUnits, QSize(6000, 4000), QPointF(30, 20), 1.0 / 5000);
        QCOMPARE(middle.frame, QRectF(6, 14, 265, 170));
        QCOMPARE(middle.part, QRectF(3000 - 1325, 2000 - 850, 2650, 1700));
        QCOMPARE(middle.barMetres, 200.0);
        QCOMPARE(middle.barMillimetres, 40.0);
        // Near a corner the part stays on the sheet; a sheet smaller than the frame is centred in it.
        QCOMPARE(scaledLayout(a4, kUnits, QSize(6000, 4000), QPointF(1, 1), 1.0 / 5000).part.topLeft(), QPointF(0, 0));
        QCOMPARE(scaledLayout(a4, kUnits, QSize(1000, 800), QPointF(5, 4), 1.0 / 5000).part.topLeft(),
                 QPointF(500 - 1325, 400 - 850));
        // At 1:25000 on a 96 dpi sheet: 1 km is 40 mm.
        const ScaledLayout coarse = scaledLayout(a4, MapUnits(3780, 3780), QSize(900, 700), QPointF(5, 5), 1.0 / 25000);
        QVERIFY(coarse.barMetres == 1000.0 && std::abs(coarse.barMillimetres - 40.0) < 1e-9);
        QVERIFY(std::abs(coarse.mmPerPixel.width() - 1000.0 / 3780) < 1e-12);
    }

    // Grid lines at round ground coordinates where those lie on the frame; degrees with the decimals
    // the step needs.
    void grids()
    {
        const ScaledLayout layout = scaledLayout({277, 190}, kUnits, QSize(6000, 4000), QPointF(30, 20), 1.0 / 5000);
        const Georeference utm{500000, 5000000, 0.5, -0.5, {QString(), "EPSG:32632", "WGS 84 / UTM zone 32N", false}};
        const std::vector<GridLine> lines = gridLines(utm, layout);
        QStringList labels;
        for (const GridLine &line : lines)
            labels << line.label;
        // The part spans E 500837.5 to 502162.5 and N 4998575 to 4999425: a 200 m step.
        QCOMPARE(labels.join(' '), QStringLiteral("E 501000 E 501200 E 501400 E 501600 E 501800 E 502000 N 4998600 "
                                                  "N 4998800 N 4999000 N 4999200 N 4999400"));
        QVERIFY(lines.front().vertical && !lines.back().vertical);
        QCOMPARE(lines.front().at, 6 + (2000 - 1675) * 0.1); // E 501000 is the sheet's pixel 2000
        QCOMPARE(lines.back().at, 14 + (1200 - 1150) * 0.1); // N 4999400 its row 1200
        QCOMPARE(lines[1].at - lines[0].at, 40.0); // 200 m at 1:5000

        const Georeference degrees{9.17, 45.47, 1e-5, -1e-5, {QString(), "EPSG:4326", "WGS 84", true}};
        const std::vector<GridLine> geographic = gridLines(degrees, layout);
        QVERIFY(!geographic.empty());
        QCOMPARE(geographic.front().label, QStringLiteral("9.190°")); // a 0.005° step from 9.18675°
    }

    // Printed to PDF on A4 landscape at 1:5000, a sheet with a line every 2 cm (100 m of ground) shows
    // them 20 mm apart on paper, and the scale bar's 200 m are 40 mm; A3 portrait is A3 portrait. A
    // sheet scanned finer than 300 dpi is printed at 300 dpi, to the same measure.
    void pagesMeasureOneToN_data()
    {
        QTest::addColumn<double>("pixelsPerCentimetre");
        QTest::newRow("254 dpi, as read") << 100.0;
        QTest::newRow("508 dpi, at 300 dpi") << 200.0;
    }
    void pagesMeasureOneToN()
    {
        QFETCH(double, pixelsPerCentimetre);
        const QTemporaryDir dir;
        const MapUnits units(100 * pixelsPerCentimetre, 100 * pixelsPerCentimetre);
        const int lineEvery = int(2 * pixelsPerCentimetre);
        QImage sheet(4000, 3000, QImage::Format_RGB32);
        sheet.fill(Qt::white);
        for (int x = 0; x < sheet.width(); x += lineEvery)
            for (int y = 0; y < sheet.height(); ++y)
                for (int across = 0; across < lineEvery / 100; ++across) // 0.2 mm of paper
                    sheet.setPixel(x + across, y, qRgb(0, 0, 0));
        const DecodedMapSource source({sheet, units});
        SheetDrawings drawings;
        DamageAreas areas{};
        for (std::size_t slot = 0; slot < areas.size(); ++slot)
            areas[slot] = sample::kFlammable.distances[slot];
        const QPointF incident(2050 / pixelsPerCentimetre, 1550 / pixelsPerCentimetre);
        drawings.addAreas({incident, areas, 1.0 / 5000});

        const auto print = [&](const QString &name, QPageSize::PageSizeId size, QPageLayout::Orientation orientation) {
            const QString path = dir.filePath(name);
            QPdfWriter pdf(path);
            pdf.setResolution(1200);
            pdf.setPageLayout(QPageLayout(QPageSize(size), orientation, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
            QPainter painter(&pdf);
            painter.scale(1200 / 25.4, 1200 / 25.4);
            const ScaledLayout layout = scaledLayout(pdf.pageLayout().paintRect(QPageLayout::Millimeter).size(), units,
                                                     source.size(), incident, 1.0 / 5000);
            const Status painted = paintScaledPage(painter, layout, source, drawings,
                                                   {QStringLiteral("Prova in scala"), 1.0 / 5000, std::nullopt,
                                                    std::nullopt});
            return std::pair(painted.ok() ? path : QString(), layout);
        };
        const auto [a4, layout] = print("a4.pdf", QPageSize::A4, QPageLayout::Landscape);
        QVERIFY(!a4.isEmpty());
        QCOMPARE(pageSize(a4), QStringLiteral("A4 landscape"));
        // 254 dpi: ten pixels a millimetre of paper, counted from the page's corner (10 mm margins).
        toolOutput("pdftoppm", {"-r", "254", "-singlefile", a4, dir.filePath("a4")});
        const QImage page(dir.filePath("a4.ppm"));
        QVERIFY(std::abs(page.width() - 2970) <= 1 && std::abs(page.height() - 2100) <= 1);
        const auto pixel = [](double mm) { return int(std::lround((10.0 + mm) * 10.0)); };
        // Across the frame's middle, left of the legend: every line of the sheet, 200 pixels apart.
        const QList<int> lines = darkRuns(page, pixel(layout.frame.center().y()), pixel(layout.frame.left()) + 5,
                                          pixel(layout.frame.center().x()));
        QVERIFY2(lines.size() >= 5, qPrintable(QString::number(lines.size())));
        const double spacing = double(lines.back() - lines.front()) / double(lines.size() - 1);
        QVERIFY2(std::abs(spacing / 200.0 - 1.0) < 0.005, qPrintable(QString::number(spacing)));
        // The scale bar, 9 mm above the frame's foot: its outline from end to end.
        const double barLeft = layout.frame.left() + 7.0;
        const QList<int> bar = darkRuns(page, pixel(layout.frame.bottom() - 9.0), pixel(barLeft) - 20,
                                        pixel(barLeft + layout.barMillimetres) + 20);
        // The first quarter is black throughout: 100 pixels, where the sheet's lines are two.
        QVERIFY(!bar.isEmpty());
        int quarter = bar.front();
        while (black(page.pixel(quarter, pixel(layout.frame.bottom() - 9.0))))
            ++quarter;
        QVERIFY2(std::abs(quarter - bar.front() - 100) <= 2, qPrintable(QString::number(quarter - bar.front())));
        int end = pixel(barLeft + layout.barMillimetres) + 20;
        while (end > bar.front() && !black(page.pixel(end, pixel(layout.frame.bottom() - 9.0))))
            --end;
        const double barPixels = end - bar.front() + 1;
        QVERIFY2(std::abs(barPixels / 400.0 - 1.0) < 0.005, qPrintable(QString::number(barPixels)));

        const auto [a3, tall] = print("a3.pdf", QPageSize::A3, QPageLayout::Portrait);
        QCOMPARE(pageSize(a3), QStringLiteral("A3 portrait"));
        QCOMPARE(tall.frame.size(), QSizeF(297 - 20 - 12, 420 - 20 - 8 - 12));
    }
};

QTEST_MAIN(ScaledPrintTest)
#include "test_scaled_print.moc"
