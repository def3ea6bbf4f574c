// A site run's outputs: the results table an Italian spreadsheet opens, and the output folder that is put in
// place whole or not at all.
#include "catalogue/HazardClass.h"
#include "site/OutputFolder.h"
#include "site/ResultsTable.h"
#include "site/SiteRun.h"
#include "support/TestDrive.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

QStringList entriesOf(const QString &folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

site::SiteRun sampleRun()
{
    Estimate propane{std::nullopt,
                     findHazardClass("2_1_2"),
                     Hypothesis::Average,
                     Containment::BundedStorage,
                     RangeEntry{CellValue::number(10), CellValue::number(50), 1},
                     {},
                     "2.1.2",
                     "VCE"};
    propane.distances = {{{120, false, false, {}},
                          {150, false, false, {}},
                          {210, false, false, {}},
                          {10001, false, false, {}},
                          {430, false, false, {}},
                          {0, false, false, {}},
                          {0, false, false, {}},
                          {0, false, false, {}}}};
    site::SiteRun run;
    run.inventoryFile = "inventario.csv";
    run.items.resize(2);
    run.items[0].item = {2, "S1 serbatoio città", {}, {}, {}};
    run.items[0].estimate = propane;
    run.items[0].ground = QPointF(480100.5, 5029500.25);
    run.items[1].item = {4, "B2; baia \"nord\"", {}, {}, {}};
    run.items[1].failure = "cas \"1-1-1\": non è nel catalogo\n(seconda riga)";
    return run;
}

} // namespace

class SiteOutputsTest : public QObject
{
    Q_OBJECT

private slots:
    // UTF-8 with a byte-order mark, `;` between fields, decimal commas, a field holding `;`, quotes or a line break
    // quoted; an estimated row has its figures, a failed one its message and no distances.
    void resultsTableOpensInAnItalianSpreadsheet()
    {
        const QByteArray csv = site::resultsCsv(sampleRun());
        QVERIFY(csv.startsWith("\xEF\xBB\xBF"));
        const QStringList lines = QString::fromUtf8(csv.mid(3)).split("\r\n");
        QCOMPARE(lines.size(), 4); // heading, two items (the second one's message spans a line), a final empty line
        const QStringList heading = lines[0].split(';');
        QCOMPARE(heading.size(), 13 + 8 * 4 + 1);
        QCOMPARE(heading.mid(0, 3), QStringList({"riga", "id", "sostanza"}));
        QCOMPARE(heading.mid(13, 4),
                 QStringList({"soglia1_D5_m", "soglia1_D5_oltre", "soglia1_D5_testo", "soglia1_D5_sottoclasse"}));

        const QStringList estimated = lines[1].split(';');
        QCOMPARE(estimated.size(), heading.size());
        QCOMPARE(estimated.mid(0, 2), QStringList({"2", "S1 serbatoio città"}));
        QCOMPARE(estimated.mid(4, 5), QStringList({"2_1_2", "Ipotesi media", estimated[6], "10 -  50", "VCE"}));
        QCOMPARE(estimated.mid(9, 4), QStringList({"480100,50", "5029500,25", "", ""}));
        QCOMPARE(estimated.mid(13 + 3 * 4, 4), QStringList({"10000", "sì", "10000 > m", ""}));
        QCOMPARE(estimated.mid(13 + 5 * 4, 3), QStringList({"", "", "Non applicabile"}));
        QCOMPARE(estimated.last(), QString());

        QVERIFY(lines[2].startsWith("4;\"B2; baia \"\"nord\"\"\";;"));
        QVERIFY(lines[2].endsWith(";\"cas \"\"1-1-1\"\": non è nel catalogo\n(seconda riga)\""));
    }

    // One row per item and element it reaches, as the results table is written: people with a decimal comma,
    // and none when not known; the distance to a tenth of a metre.
    void elementsTableNamesTheItemOfEachRow()
    {
        site::SiteRun run = sampleRun();
        QCOMPARE(site::elementsCsv(run),
                 QByteArray("\xEF\xBB\xBFid;zona;soglia;nome;categoria;tipo;persone;distanza_m\r\n"));
        site::SiteElements &found = run.elements.emplace();
        found.layer.elements.resize(2);
        found.layer.elements[0].name = "Scuola; plesso nord";
        found.layer.elements[0].category = "A";
        found.layer.elements[0].type = "scuola";
        found.layer.elements[0].people = 12.5;
        found.layer.elements[1].name = "Case";
        found.sourceIds = {"S1", "S9"};
        found.reached.bySource = {{0, 1, elements::PlanZone::First, 244.16},
                                  {1, 0, elements::PlanZone::Third, 0.0},
                                  {1, 1, elements::PlanZone::Third, 1200.06}};
        const QStringList lines = QString::fromUtf8(site::elementsCsv(run).mid(3)).split("\r\n");
        QCOMPARE(
            lines.mid(1),
            QStringList({"S1;prima zona;1;Case;;;;244,2", "S9;terza zona;4;\"Scuola; plesso nord\";A;scuola;12,5;0,0",
                         "S9;terza zona;4;Case;;;;1200,1", ""}));
    }

    void resultsJsonHoldsEachEstimateOrItsError()
    {
        const QJsonObject document = QJsonDocument::fromJson(site::resultsJson(sampleRun())).object();
        const QJsonArray items = document["items"].toArray();
        QCOMPARE(items.size(), 2);
        QCOMPARE(document["failed"].toInt(), 1);
        QCOMPARE(items[0]["estimate"]["distances"].toArray()[3].toObject()["greaterThan"].toBool(), true);
        QCOMPARE(items[0]["ground"]["nord"].toDouble(), 5029500.25);
        QVERIFY(items[0]["error"].isNull());
        QVERIFY(items[1]["estimate"].isNull());
        QVERIFY(items[1]["error"].toString().startsWith("cas"));
    }

    // A new or empty folder is filled; one holding files is refused unless they are to be replaced, and then
    // holds the run's files only; a step that fails leaves the folder as it was and nothing beside it.
    void outputFolderIsPutInPlaceWholeOrNotAtAll()
    {
        QTemporaryDir parent;
        const QString folder = parent.filePath("risultati sito");
        const std::vector<site::FolderFile> files{{"risultati.csv", "a;b\r\n"}, {"riepilogo.pdf", "%PDF"}};

        QVERIFY(site::writeOutputFolder(folder, files, false).ok());
        QCOMPARE(entriesOf(folder), QStringList({"riepilogo.pdf", "risultati.csv"}));
        QCOMPARE(fileBytes(folder + "/risultati.csv"), QByteArray("a;b\r\n"));

        const Status refused = site::writeOutputFolder(folder, {{"altro.txt", "x"}}, false);
        QCOMPARE(refused.error().kind, Error::Kind::OutputFolderNotEmpty);
        QVERIFY(refused.error().message().contains(folder));
        QCOMPARE(site::checkOutputFolder(folder, false).error().kind, Error::Kind::OutputFolderNotEmpty);

        const Status failing = site::writeOutputFolder(folder, {{"altro.txt", "x"}, {"manca/dentro.txt", "y"}}, true);
        QCOMPARE(failing.error().kind, Error::Kind::OutputFolderNotWritten);
        QCOMPARE(entriesOf(folder), QStringList({"riepilogo.pdf", "risultati.csv"}));
        QCOMPARE(entriesOf(parent.path()), QStringList({"risultati sito"}));

        QVERIFY(site::writeOutputFolder(folder, {{"altro.txt", "x"}}, true).ok());
        QCOMPARE(entriesOf(folder), QStringList({"altro.txt"}));
        QCOMPARE(entriesOf(parent.path()), QStringList({"risultati sito"}));

        const QString empty = parent.filePath("vuota");
        QVERIFY(QDir().mkdir(empty));
        QVERIFY(site::writeOutputFolder(empty, files, false).ok());
        QCOMPARE(entriesOf(empty).size(), 2);

        QVERIFY(writeBytes(parent.filePath("un file"), "x"));
        QCOMPARE(site::checkOutputFolder(parent.filePath("un file"), true).error().kind,
                 Error::Kind::OutputFolderNotWritten);
        QCOMPARE(site::writeOutputFolder(parent.filePath("manca/sotto"), files, false).error().kind,
                 Error::Kind::OutputFolderNotWritten);
    }
};

QTEST_GUILESS_MAIN(SiteOutputsTest)
#include "test_site_outputs.moc"
