#include "site/SiteErrors.h"
#include "site/SummaryPdf.h"
#include "support/ToolOutput.h"
#include "support/SampleEstimates.h"
#include "support/ErrorWording.h"

#include <QRegularExpression>
#include <QtTest>

// The PDF is read back by poppler's programs (pdfinfo, pdffonts, pdftotext, pdftoppm), not by Qt.

namespace {

using testing::toolOutput;

using sample::kFlammable;
using sample::kToxic;
const QString kFailure = QStringLiteral("la sostanza \"Xenon\" non è nel catalogo");

site::ItemOutcome outcome(const QString &id, int row, const std::optional<Estimate> &estimate)
{
    site::ItemOutcome outcome;
    outcome.item.id = id;
    outcome.item.row = row;
    outcome.estimate = estimate;
    outcome.failure = estimate ? QString() : kFailure;
    return outcome;
}

// A map of one colour, to find on the rendered page.
QImage plainMap(int width, int height)
{
    QImage map(width, height, QImage::Format_RGB32);
    map.fill(QColor(200, 0, 0));
    return map;
}

struct Pdf
{
    QTemporaryDir dir;
    QString path;

    Pdf(const site::SiteRun &siteRun, const QImage &map)
        : path(dir.filePath(QStringLiteral("riepilogo.pdf")))
    {
        const Outcome<QByteArray> pdf = site::summaryPdf(siteRun, map);
        QFile file(path);
        if (!pdf.ok())
            qWarning() << pdf.error().message();
        else if (file.open(QIODevice::WriteOnly))
            file.write(pdf.value());
    }
    // Every page's size in points as pdfinfo gives it: "595 x 842" for a portrait A4 page.
    [[nodiscard]] QStringList pageSizes() const
    {
        const QString info = QString::fromUtf8(toolOutput("pdfinfo", {"-f", "1", "-l", "100000", path}));
        QStringList sizes;
        for (const auto &match : QRegularExpression(QStringLiteral("size:\\s+(\\S+ x \\S+) pts")).globalMatch(info))
            sizes << match.captured(1);
        return sizes;
    }
    // The page's text, its runs of blanks made one: in reading order (a table cell's lines follow each
    // other), or laid out as on the page (a label and its value on one line).
    [[nodiscard]] QString text(int page, bool layout = false) const
    {
        const QString number = QString::number(page);
        QStringList arguments{"-f", number, "-l", number, path, "-"};
        if (layout)
            arguments.prepend("-layout");
        return QString::fromUtf8(toolOutput("pdftotext", arguments)).simplified();
    }
};

const QString kPortrait = QStringLiteral("595 x 842"), kLandscape = QStringLiteral("842 x 595");
const QString kTableHeading = QStringLiteral("Distanze di danno, meteo D5");

} // namespace

class SummaryPdfTest : public QObject
{
    Q_OBJECT

private slots:
    void pagesOfARun_data()
    {
        QTest::addColumn<bool>("exampleData");
        QTest::addColumn<bool>("withFailure");
        QTest::addColumn<QImage>("map");
        QTest::addColumn<QStringList>("pageSizes");
        // title, table, one page per estimated item, the failed items, the map turned as the map is
        QTest::newRow("example data, a failed item, a wide map")
            << true << true << plainMap(600, 200)
            << QStringList{kPortrait, kLandscape, kPortrait, kPortrait, kPortrait, kLandscape};
        QTest::newRow("official data, a tall map")
            << false << false << plainMap(200, 500)
            << QStringList{kPortrait, kLandscape, kPortrait, kPortrait, kPortrait};
        QTest::newRow("no map") << false << false << QImage()
                                << QStringList{kPortrait, kLandscape, kPortrait, kPortrait};
    }
    void pagesOfARun()
    {
        QFETCH(bool, exampleData);
        QFETCH(bool, withFailure);
        QFETCH(QImage, map);
        QFETCH(QStringList, pageSizes);
        site::SiteRun siteRun;
        siteRun.inventoryFile = QStringLiteral("/dati/impianto nord.csv");
        siteRun.when = QDateTime(QDate(2006, 12, 4), QTime(9, 5, 30));
        siteRun.programVersion = QStringLiteral("2.0.b");
        siteRun.exampleData = exampleData;
        if (!map.isNull()) {
            siteRun.mapFile = QStringLiteral("/dati/planimetria.tif");
            siteRun.system = map::CoordinateSystem{{}, "EPSG:32632", "WGS 84 / UTM zone 32N", false};
            siteRun.scaleDenominator = 5000;
        }
        siteRun.items = {outcome("SERB-01", 2, kFlammable), outcome("TK 7", 3, kToxic)};
        if (withFailure)
            siteRun.items.push_back(outcome("X-9", 4, std::nullopt));
        const Pdf pdf(siteRun, map);
        QCOMPARE(pdf.pageSizes(), pageSizes);
        const QStringList fonts = QString::fromUtf8(toolOutput("pdffonts", {pdf.path})).split('\n', Qt::SkipEmptyParts);
        QVERIFY(fonts.size() > 2); // after the heading and its dashes, a font a line: emb, sub, uni, object
        QCOMPARE(fonts.filter(QRegularExpression(" yes +(yes|no) +(yes|no) +\\d+ +\\d+$")).size(), fonts.size() - 2);

        const QString title = pdf.text(1, true);
        for (const char *expected :
             {"/dati/impianto nord.csv", "4 dicembre 2006, ore 09:05:30", "2.0.b", "Voci stimate 2", "pagina 1 di"})
            QVERIFY2(title.contains(expected), qPrintable(QString(expected) + " not in: " + title));
        QCOMPARE(title.contains("Voci non stimate 1"), withFailure);
        QCOMPARE(title.contains("/dati/planimetria.tif") && title.contains("1:5000")
                     && title.contains("EPSG:32632 – WGS 84 / UTM zone 32N"),
                 !map.isNull());
        QCOMPARE(title.contains("DATI DI ESEMPIO: le distanze non sono valori ufficiali"), exampleData);

        const QString table = pdf.text(2);
        for (const char *expected : {"SERB-01 Propano 2.1.2 media Autobotti/Ferrocisterne", "10000 > m", "895 m",
                                     "TK 7", "10 - 50 t", "289 > m", "Non disponibile", "Nube Tossica"})
            QVERIFY2(table.contains(expected), qPrintable(QString(expected) + " not in: " + table));
        QCOMPARE(table.contains("X-9"), withFailure);
        QCOMPARE(table.contains(kFailure), withFailure);
        // An item's page: its heading, then the report file's lines
        QVERIFY(pdf.text(3).contains("Voce SERB-01 (riga 2) ZEFRO"));
        QVERIFY(pdf.text(4, true).contains("Voce TK 7 (riga 3) ZEFRO ver. 2.0.b"));
        QVERIFY(pdf.text(4, true).contains(
            "Scenario incidentale: Nube Tossica SOGLIA METEO CLASSE DISTANZA DI DANNO 1 D5 4.3 49 m"));
        if (withFailure)
            QVERIFY(pdf.text(5).contains("riga 4 (X-9): " + kFailure));
        if (!map.isNull())
            checkMapPage(pdf, pageSizes.size(), map.size());
    }

    void manyItemsPaginate()
    {
        site::SiteRun siteRun;
        for (int index = 1; index <= 200; ++index) {
            const QString id = QStringLiteral("V%1").arg(index, 3, 10, QLatin1Char('0'));
            const Estimate &estimate = index % 2 ? kFlammable : kToxic;
            siteRun.items.push_back(outcome(id, index + 1, index % 50 ? std::optional(estimate) : std::nullopt));
        }
        const Pdf pdf(siteRun, QImage());

        // The table runs from page 2 for as long as its heading is repeated; every row is on one of its
        // pages once, none lost or doubled at a page break.
        int tablePages = 0;
        QStringList ids;
        for (QString text = pdf.text(2); text.contains(kTableHeading); text = pdf.text(2 + tablePages)) {
            ++tablePages;
            for (const auto &match : QRegularExpression(QStringLiteral("\\bV\\d{3}\\b")).globalMatch(text))
                ids << match.captured();
        }
        QVERIFY(tablePages >= 3);
        QCOMPARE(ids.size(), 200);
        ids.removeDuplicates();
        QCOMPARE(ids.size(), 200);
        const int pages = int(pdf.pageSizes().size());
        QCOMPARE(pages, 1 + tablePages + 196 + 1);
        QVERIFY(pdf.text(1 + tablePages + 1).contains("Voce V001 (riga 2)"));
        QVERIFY(pdf.text(pages).contains("riga 201 (V200): " + kFailure));
    }

    void errorWording()
    {
        QCOMPARE(wording::unworded(site::siteError, {{Error::Kind::SiteSummaryNotMade, wording::kFile}}), QString());
    }

private:
    // Rendered at 72 dpi (a pixel a point), the map's red is a centred box with the map's aspect, as wide
    // as the page within its 15 mm margins, or reaching down to the foot that holds the page number.
    static void checkMapPage(const Pdf &pdf, qsizetype page, QSize map)
    {
        QVERIFY(pdf.text(int(page)).contains("Mappa del sito: /dati/planimetria.tif"));
        toolOutput("pdftoppm",
            {"-r", "72", "-png", "-f", QString::number(page), "-singlefile", pdf.path, pdf.dir.filePath("map")});
        const QImage rendered(pdf.dir.filePath("map.png"));
        QRect red;
        for (int y = 0; y < rendered.height(); ++y)
            for (int x = 0; x < rendered.width(); ++x)
                if (rendered.pixelColor(x, y) == QColor(200, 0, 0))
                    red |= QRect(x, y, 1, 1);
        QVERIFY(!red.isEmpty());
        QVERIFY2(qAbs(qreal(red.width()) / red.height() - qreal(map.width()) / map.height()) < 0.03,
                 qPrintable(QStringLiteral("%1 x %2").arg(red.width()).arg(red.height())));
        const qreal margin = 15 / 25.4 * 72, footer = 18;
        if (map.width() > map.height())
            QVERIFY(qAbs(red.width() - (rendered.width() - 2 * margin)) <= 2);
        else
            QVERIFY(qAbs(red.bottom() + 1 - (rendered.height() - margin - footer)) <= 2);
        QVERIFY(qAbs(red.left() - (rendered.width() - 1 - red.right())) <= 2); // centred
    }
};

QTEST_MAIN(SummaryPdfTest)
#include "test_summary_pdf.moc"
