// zefro-estimate --inventory as an analyst runs it: the sample inventory's figures against separate runs of
// each item, rows that fail beside rows that do not, and runs that write nothing at all.
#include "catalogue/HazardClass.h"
#include "estimate/Choices.h"
#include "support/TestDrive.h"

#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#include <algorithm>

namespace {

struct Run
{
    int exitCode = -1;
    QString out, err;
};

Run run(const QStringList &arguments, const QString &limit = {})
{
    QProcess process;
    if (limit.isEmpty())
        process.start(ZEFRO_ESTIMATE_PROGRAM, arguments);
    else
        process.start("prlimit", QStringList{"--" + limit, ZEFRO_ESTIMATE_PROGRAM} + arguments);
    const bool ended = process.waitForFinished(300000) && process.exitStatus() == QProcess::NormalExit;
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

const QString kInventoryFolder = QStringLiteral("c:\\revisione metodo speditivo\\dati\\inventario\\");
const QString kSampleElements = QStringLiteral("c:\\revisione metodo speditivo\\dati\\elementi\\elementi esempio.gpkg");
const QString kGeoreferencedMap
    = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster\\esempio georiferito 1-5000.tif");

} // namespace

class SiteCliTest : public QObject
{
    Q_OBJECT

    TestDrive m_drive;

    QStringList on(const QStringList &arguments) const { return QStringList{"--drive-root", m_drive.root()} + arguments; }

    // A separate run of an estimate's choices, with the entry of its list whose text the estimate shows.
    QJsonObject singleRun(const QJsonObject &chosen, const QStringList &more = {}) const
    {
        const HazardClass *hazard = findHazardClass(chosen["class"].toString());
        const bool quickPicked = !hazard->quickPickEntry.isEmpty() && chosen["classEntry"] == hazard->quickPickEntry;
        int containment = 1;
        while (containment < 5 && containmentName(kContainments[containment - 1]) != chosen["containment"].toString())
            ++containment;
        const QStringList arguments
            = QStringList{"--json", "--hypothesis", chosen["hypothesis"] == "Ipotesi media" ? "2" : "1", "--containment",
                          QString::number(containment)}
            + (quickPicked ? QStringList{"--quick-pick", hazard->listCode}
                           : QStringList{"--name", chosen["substance"].toString(), "--class", hazard->listCode});
        for (int range = chosen["range"].isNull() ? 0 : 1; range <= 8; ++range) {
            const Run single
                = run(on(arguments + more + (range ? QStringList{"--range", QString::number(range)} : QStringList())));
            const QJsonObject estimate = QJsonDocument::fromJson(single.out.toUtf8()).object();
            if (single.exitCode != 0 || estimate["range"] == chosen["range"])
                return estimate;
        }
        return {};
    }

private slots:
    // The sample inventory, as a Latin-1 CSV and as a Calc workbook, on the georeferenced sample map: every item
    // estimated, each with the distances a separate run of it gives, every output in the folder.
    void sampleInventoryMatchesSeparateRuns_data()
    {
        QTest::addColumn<QString>("file");
        QTest::newRow("csv") << "inventario esempio.csv";
        QTest::newRow("ods") << "inventario esempio.ods";
    }
    void sampleInventoryMatchesSeparateRuns()
    {
        QFETCH(QString, file);
        QTemporaryDir out;
        const QString folder = out.filePath("sito");
        const Run site = run(on({"--inventory", kInventoryFolder + file, "--map", kGeoreferencedMap, "--out-dir", folder}));
        QVERIFY2(site.exitCode == 0, qPrintable(site.err));
        QCOMPARE(entriesOf(folder),
                 QStringList({"aree.gpkg", "mappa.png", "riepilogo.pdf", "risultati.csv", "risultati.json"}));

        const QJsonArray items
            = QJsonDocument::fromJson(fileBytes(folder + "/risultati.json")).object()["items"].toArray();
        QVERIFY(items.size() >= 10);
        for (const QJsonValue &item : items) {
            const QJsonObject estimate = item["estimate"].toObject();
            QVERIFY2(!estimate.isEmpty(), qPrintable(item["error"].toString()));
            QVERIFY(item["sheet"].isObject() && item["ground"].isObject());
            const QJsonObject single = singleRun(estimate);
            QVERIFY2(!single.isEmpty(), qPrintable(item["id"].toString()));
            QCOMPARE(estimate["distances"], single["distances"]);
            QCOMPARE(estimate["scenario"], single["scenario"]);
        }
        // The table carries the same figures as the JSON, row for row.
        const QStringList rows = QString::fromUtf8(fileBytes(folder + "/risultati.csv").mid(3)).split("\r\n");
        QCOMPARE(rows.size(), items.size() + 2);
        for (int i = 0; i < items.size(); ++i) {
            const QStringList fields = rows[i + 1].split(';');
            const QJsonValue first = items[i]["estimate"]["distances"].toArray()[0].toObject()["distance"];
            QCOMPARE(fields[1], items[i]["id"].toString());
            QCOMPARE(fields[13], QString::number(first.toDouble(), 'f', 0));
        }
    }

    // A row that cannot be estimated says why on standard error and in the table; the others go on; exit 1.
    // Only the items with a position have areas in the GIS file.
    void failedRowsBesideGoodOnes()
    {
        QTemporaryDir out;
        const QString inventory = out.filePath("inventario.csv");
        QVERIFY(writeBytes(inventory, "id;sostanza;classe;ipotesi;detenzione;quantita_t;est;nord\n"
                                      "S1;Propano;2_1_2;2;1;12,5;480420;5029480\n"
                                      "S2;Sostanza inventata;;1;1;5;;\n"
                                      "S3;;2_1_2;1;1;25000;;\n"
                                      "S4;;1_1_1;Ipotesi media;Stoccaggi fissi senza bacino di contenimento;50;;\n"));
        const Run site = run(on({"--inventory", inventory, "--crs", "EPSG:32632", "--out-dir", out.filePath("sito")}));
        QCOMPARE(site.exitCode, 1);
        QVERIFY2(site.err.contains("riga 3 (S2): sostanza \"Sostanza inventata\": non è nel catalogo"), qPrintable(site.err));
        QVERIFY2(site.err.contains("riga 4 (S3): quantita_t 25000: oltre l'ultima voce"), qPrintable(site.err));
        const QJsonArray items
            = QJsonDocument::fromJson(fileBytes(out.filePath("sito/risultati.json"))).object()["items"].toArray();
        QCOMPARE(items.size(), 4);
        QCOMPARE(items[0]["estimate"]["range"].toString(), " 10 -  50");
        QVERIFY(items[1]["estimate"].isNull() && items[2]["estimate"].isNull());
        // 50 t is the bound 10-50 and 50-200 share: the later entry.
        QCOMPARE(items[3]["estimate"]["range"].toString(), " 50 -  200");
        QCOMPARE(entriesOf(out.filePath("sito")),
                 QStringList({"aree.gpkg", "riepilogo.pdf", "risultati.csv", "risultati.json"}));
        QProcess ogrinfo;
        ogrinfo.start("ogrinfo", {"-q", "-sql", "SELECT DISTINCT id FROM aree_di_danno", out.filePath("sito/aree.gpkg")});
        QVERIFY(ogrinfo.waitForFinished(60000) && ogrinfo.exitCode() == 0);
        const QString ids = QString::fromUtf8(ogrinfo.readAllStandardOutput());
        QVERIFY2(ids.contains("id (String) = S1") && ids.count("id (String)") == 1, qPrintable(ids));
    }

    // The sample inventory with the sample layer. elementi.csv gives the first item the elements and distances a
    // separate run of it finds; the GIS file has a feature for each envelope and element it meets; the summary a
    // page per zone with as many elements as the table has with that zone as their innermost.
    void vulnerableElementsOfTheSite()
    {
        QTemporaryDir out;
        const QString folder = out.filePath("sito");
        const Run site = run(on({"--inventory", kInventoryFolder + "inventario esempio.csv", "--crs", "EPSG:32632",
                                 "--elements", kSampleElements, "--out-dir", folder}));
        QVERIFY2(site.exitCode == 0, qPrintable(site.err));
        QCOMPARE(entriesOf(folder),
                 QStringList({"aree.gpkg", "elementi.csv", "riepilogo.pdf", "risultati.csv", "risultati.json"}));

        const QByteArray csv = fileBytes(folder + "/elementi.csv");
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n", Qt::SkipEmptyParts);
        QCOMPARE(lines.takeFirst(), "id;zona;soglia;nome;categoria;tipo;persone;distanza_m");
        QMap<QString, int> innermost; // each element's innermost threshold over every item
        QStringList firstItem;
        for (const QString &line : lines) {
            const QStringList fields = line.split(';');
            QCOMPARE(fields.size(), 8);
            innermost[fields[3]] = std::min(innermost.value(fields[3], 9), fields[2].toInt());
            if (fields[0] == "S1 serbatoio città")
                firstItem << QStringList{fields[2], fields[3], fields[7]}.join(';');
        }
        const QJsonObject estimates = QJsonDocument::fromJson(fileBytes(folder + "/risultati.json")).object();
        const QJsonObject single
            = singleRun(estimates["items"][0]["estimate"].toObject(),
                        {"--at", "480420,5029480", "--crs", "EPSG:32632", "--elements", kSampleElements});
        QStringList expected;
        for (const QJsonValue &zone : single["elementi"].toArray())
            for (const QJsonValue &element : zone["elements"].toArray())
                expected << QStringList{QString::number(zone["threshold"].toInt()), element["name"].toString(),
                                        QString::number(element["distance_m"].toDouble(), 'f', 1).replace('.', ',')}
                                .join(';');
        QVERIFY(expected.size() >= 4);
        QCOMPARE(firstItem, expected);

        // The layer copied beside the envelopes, for SpatiaLite to say which elements each one meets.
        const QString copy = out.filePath("confronto.gpkg");
        QVERIFY(QFile::copy(folder + "/aree.gpkg", copy));
        QProcess append;
        append.start("ogr2ogr",
                     {"-update", "-preserve_fid", "-nln", "strato", copy, m_drive.local(kSampleElements), "elementi"});
        QVERIFY(append.waitForFinished(60000) && append.exitCode() == 0);
        const auto values = [&copy](const QString &sql) {
            QProcess ogrinfo;
            ogrinfo.start("ogrinfo", {"-ro", "-q", "-dialect", "sqlite", "-sql", sql, copy});
            ogrinfo.waitForFinished(60000);
            return QString::fromUtf8(ogrinfo.readAllStandardOutput()).split('\n').filter("n (String) =");
        };
        const auto grouped = [&values](const QString &from) {
            return values("SELECT threshold || ' ' || weather || ' ' || COUNT(*) AS n FROM " + from
                          + " GROUP BY threshold, weather ORDER BY threshold, weather");
        };
        const QStringList written = grouped("elementi_coinvolti");
        QVERIFY2(written.size() >= 4, qPrintable(written.join('\n')));
        QCOMPARE(written, grouped("inviluppi i JOIN strato e ON ST_Intersects(i.geom, e.geom)"));
        // Each feature's item has an area of that threshold and weather that meets the element (one without a
        // name is named after its feature id).
        QCOMPARE(values("SELECT 'x' || COUNT(*) AS n FROM elementi_coinvolti c WHERE NOT EXISTS (SELECT 1 FROM "
                        "aree_di_danno a JOIN strato e ON ST_Intersects(a.geom, e.geom) WHERE a.id = c.id AND "
                        "a.threshold = c.threshold AND a.weather = c.weather "
                        "AND COALESCE(e.nome, 'elemento ' || e.fid) = c.nome)"),
                 QStringList{"  n (String) = x0"});

        QProcess text;
        text.start("pdftotext", {folder + "/riepilogo.pdf", "-"});
        QVERIFY(text.waitForFinished(60000) && text.exitCode() == 0);
        const QString pdf = QString::fromUtf8(text.readAllStandardOutput());
        const QStringList zones{"Prima zona (soglia 1)", "Seconda zona (soglia 3)", "Terza zona (soglia 4)"};
        for (int zone = 0; zone < 3; ++zone) {
            const qsizetype at = pdf.indexOf(zones[zone] + ": elementi vulnerabili");
            QVERIFY2(at >= 0, qPrintable(zones[zone]));
            const QRegularExpressionMatch count = QRegularExpression("Elementi\\s+(\\d+)").match(pdf, at);
            QVERIFY(count.hasMatch());
            QCOMPARE(count.captured(1).toInt(), int(innermost.values().count(QList<int>{1, 3, 4}[zone])));
        }
    }

    // The layer's warnings go to standard error, marked as such; the run goes on and reads the element.
    void layerWarningsOnStandardError()
    {
        QTemporaryDir out;
        QVERIFY(writeBytes(out.filePath("inventario.csv"), "id;sostanza;classe;ipotesi;detenzione;quantita_t;est;nord\n"
                                                           "S1;Propano;2_1_2;2;1;12,5;480420;5029480\n"));
        QVERIFY(writeBytes(out.filePath("elementi.csv"), "nome;persone;est;nord\nCasa;molte;480430;5029480\n"));
        const Run site = run(on({"--inventory", out.filePath("inventario.csv"), "--crs", "EPSG:32632", "--elements",
                                 out.filePath("elementi.csv"), "--out-dir", out.filePath("sito")}));
        QVERIFY2(site.exitCode == 0, qPrintable(site.err));
        QVERIFY2(site.err.contains("zefro-estimate: attenzione: lo strato non dichiara il suo sistema di riferimento")
                     && site.err.contains(QRegularExpression(
                         "zefro-estimate: attenzione: [^\\n]*persone \"molte\" non è un numero di persone")),
                 qPrintable(site.err));
        const QStringList rows = QString::fromUtf8(fileBytes(out.filePath("sito/elementi.csv")).mid(3)).split("\r\n");
        QCOMPARE(rows.mid(1), QStringList({"S1;prima zona;1;Casa;;;;10,0", ""}));
    }

    // Usage errors and an unusable inventory end with status 2; they, a full disk and a folder already holding
    // files write nothing and leave nothing behind.
    void runsThatWriteNothing_data()
    {
        QTest::addColumn<QByteArray>("inventory");
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QString>("limit");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("message");
        const QByteArray good = "id;sostanza;ipotesi;detenzione;quantita_t\nS1;Propano;2;1;12\n";
        QTest::newRow("no id column") << QByteArray("nome;sostanza;ipotesi;detenzione\nS1;Propano;2;3\n")
                                      << QStringList() << "" << 2 << "id";
        QTest::newRow("empty file") << QByteArray() << QStringList() << "" << 2 << "inventario.csv";
        QTest::newRow("with --name") << good << QStringList{"--name", "Propano"} << "" << 2 << "--name";
        QTest::newRow("scale without map") << good << QStringList{"--scale", "5000"} << "" << 2 << "--scale";
        QTest::newRow("layer without elements") << good << QStringList{"--crs", "EPSG:32632", "--layer", "elementi"}
                                                << "" << 2 << "--layer vale solo con --elements";
        QTest::newRow("elements off the ground")
            << good << QStringList{"--elements", kSampleElements} << "" << 1 << "non sono sul terreno";
        QTest::newRow("elements unreadable") << QByteArray(
            "id;sostanza;classe;ipotesi;detenzione;quantita_t;est;nord\nS1;Propano;2_1_2;2;1;12;480420;5029480\n")
                                             << QStringList{"--crs", "EPSG:32632", "--elements", "c:\\manca.gpkg"} << ""
                                             << 1 << "Impossibile leggere gli elementi vulnerabili di";
        QTest::newRow("folder holds files") << good << QStringList{"holds files"} << "" << 2 << "--overwrite";
        QTest::newRow("full disk") << good << QStringList() << "fsize=2000" << 1 << "sito";
    }
    void runsThatWriteNothing()
    {
        QFETCH(QByteArray, inventory);
        QFETCH(QStringList, options);
        QFETCH(QString, limit);
        QFETCH(int, exitCode);
        QFETCH(QString, message);
        QTemporaryDir out;
        QVERIFY(writeBytes(out.filePath("inventario.csv"), inventory));
        if (options == QStringList{"holds files"}) {
            QVERIFY(QDir().mkdir(out.filePath("sito")) && writeBytes(out.filePath("sito/mio.txt"), "mio"));
            options.clear();
        }
        const QStringList before = entriesOf(out.path()) + entriesOf(out.filePath("sito"));
        const Run site = run(on(QStringList{"--inventory", out.filePath("inventario.csv"), "--out-dir",
                                            out.filePath("sito")} + options), limit);
        QCOMPARE(site.exitCode, exitCode);
        QVERIFY2(site.err.contains(message), qPrintable(site.err));
        QCOMPARE(entriesOf(out.path()) + entriesOf(out.filePath("sito")), before);
    }
};

QTEST_GUILESS_MAIN(SiteCliTest)
#include "test_site_cli.moc"
