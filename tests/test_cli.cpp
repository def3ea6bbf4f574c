// zefro-estimate run as a program: usage and data errors, which write nothing; the report lines and
// the JSON object; the class list and the default drive root; the report file and the map it draws.
#include "catalogue/HazardClass.h"
#include "cli/BatchEstimate.h"
#include "estimate/NumberText.h"
#include "estimate/OutputFileName.h"
#include "estimate/Report.h"
#include "map/MapFiles.h"
#include "platform/Configuration.h"
#include "platform/DataSeal.h"
#include "platform/TextFile.h"
#include "support/ListEntries.h"
#include "support/MainWindowDriver.h"
#include "support/RasterFixtures.h"
#include "xls/XlsWorkbookOpener.h"

#include <QBuffer>
#include <QDirIterator>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QtTest>

#include <sys/stat.h>
#include <unistd.h>

namespace {

struct Run
{
    int exitCode = -1;
    QString out, err;
};

// The program, with ZEFRO_DRIVE_ROOT as given here (never as in the caller's environment), standard
// output read or sent to a file, "fsize=N" in place of a file: under a limit of N bytes per file written.
Run run(QStringList arguments, const QString &driveRootVariable = {}, QString outputFile = {})
{
    QString program = ZEFRO_ESTIMATE_PROGRAM;
    if (outputFile.startsWith("fsize=")) {
        arguments.prepend(program);
        arguments.prepend("--" + outputFile);
        program = "prlimit";
        outputFile.clear();
    }
    QProcess process;
    int closedPipe[2] = {-1, -1}; // "closed pipe": standard output a pipe whose reader is gone
    if (outputFile == "closed pipe" && ::pipe(closedPipe) == 0) {
        ::close(closedPipe[0]);
        process.setChildProcessModifier([fd = closedPipe[1]] { ::dup2(fd, STDOUT_FILENO); });
    } else if (!outputFile.isEmpty()) {
        process.setStandardOutputFile(outputFile);
    }
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove("ZEFRO_DRIVE_ROOT");
    environment.remove("ZEFRO_DEBUG");
    if (!driveRootVariable.isEmpty())
        environment.insert("ZEFRO_DRIVE_ROOT", driveRootVariable);
    process.setProcessEnvironment(environment);
    process.start(program, arguments);
    const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
    if (closedPipe[1] >= 0)
        ::close(closedPipe[1]);
    return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError())};
}

// Every file under a folder with its size, to see that nothing was written.
QStringList filesUnder(const QString &folder)
{
    QStringList files;
    for (QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories); it.hasNext();) {
        const QString path = it.next();
        files << path + ' ' + QString::number(it.fileInfo().size());
    }
    files.sort();
    return files;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)");
}

// 1500 x 1100 pixels at 4724 pixels per metre: 31.75 x 23.29 cm of sheet.
const QString kSampleMap
    = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster\\esempio 1-5000.bmp");
// The same district georeferenced: 1 m of ground per pixel, 5000 pixels per metre of sheet (1:5000),
// top-left corner at E 480000, N 5030000 (UTM 32N).
const QString kGeoreferencedMap
    = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster\\esempio georiferito 1-5000.bmp");
const QStringList kAcetic{"--name", "Acido acetico", "--hypothesis", "1"}; // on the tiny drive: class 1_1_1 only

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDrive> m_tiny = testDriveWith("tiny");
    std::unique_ptr<TestDrive> m_bundled = testDriveWith();
    const QString m_map = m_bundled->local(kSampleMap);

    QStringList on(const TestDrive &drive, const QStringList &arguments) const
    {
        return QStringList{"--drive-root", drive.root()} + arguments;
    }

private slots:
    // A usage error (status 2: what is wrong, then the hint) or a data error (status 1: the windows'
    // message), met with --report-file and a map to draw to see that a late failure writes nothing.
    void failuresWriteNothing_data()
    {
        QTest::addColumn<QString>("damage");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // of a usage error, after "zefro-estimate: "; a data error's own
        const QStringList chlorine{"--name", "Cloro", "--hypothesis", "1", "--containment", "3"},
            tanker = kAcetic + QStringList{"--containment", "3"};
        const QStringList onMap = tanker + QStringList{"--map", m_map, "--out", "o.bmp"},
                          stored = chlorine.mid(0, 5) + QStringList{"1", "--range", "1"};
        const QString offMap = ": il punto è fuori dalla mappa, che misura 31.75 x 23.29 cm",
                      oneSubstance = "indicare la sostanza con una sola fra --name, --cas e --quick-pick";
        const auto row = [](const char *name, const QStringList &arguments, const QString &message) {
            QTest::newRow(name) << QString() << arguments << 2 << message;
        };
        row("unknown option", chlorine + QStringList{"--colour", "red"}, "opzione sconosciuta: colour");
        row("value missing", {"--name"}, "argomenti non validi (Missing value after '--name'.)");
        row("option twice", chlorine + QStringList{"--hypothesis", "2"},
            "l'opzione --hypothesis è data più di una volta");
        row("no substance", chlorine.mid(2), oneSubstance);
        row("two substances", chlorine + QStringList{"--cas", "7782-50-5"}, oneSubstance);
        row("no hypothesis", {"--name", "Cloro", "--containment", "3"}, "manca --hypothesis 1|2");
        row("no quantity", kAcetic + QStringList{"--containment", "1"},
            "manca --range N: la tipologia 1 chiede la quantità");
        row("range for a tanker", tanker + QStringList{"--range", "1"},
            "--range non si usa con --containment 3: autobotti e navi non chiedono la quantità");
        row("range 0", kAcetic + QStringList{"--containment", "2", "--range", "0"},
            "--range 0: un numero intero da 1 in su");
        row("unknown class", chlorine + QStringList{"--class", "5"},
            "--class 5: codice sconosciuto (codici: 1_1_1 1_1_2 1_2 2_1_1 2_1_2 2_2 2_3 4 51 52 53)");
        row("unknown quick pick", {"--quick-pick", "4"},
            "--quick-pick 4: codice sconosciuto (codici: 1_1_1 1_1_2 1_2 2_1_1 2_1_2 2_2 2_3)");
        row("class with a quick pick", {"--quick-pick", "2_2", "--class", "2_2"},
            "--class non si usa con --quick-pick: la classe è quella scelta");
        row("classes of a quick pick", {"--classes", "--quick-pick", "2_2"}, "--classes vuole --name o --cas");
        row("classes and a hypothesis", {"--classes", "--name", "Cloro", "--hypothesis", "1"},
            "--classes non si combina con --hypothesis");
        row("map without point", onMap + QStringList{"--scale", "5000"},
            "per disegnare su una mappa serve il punto dell'incidente: una fra --point X,Y e --at E,N");
        row("plain map without scale", onMap + QStringList{"--point", "1,2"},
            "per disegnare su una mappa non georiferita serve una fra --scale e --segment");
        row("ground point on a plain map", onMap + QStringList{"--at", "480000,5030000", "--scale", "5000"},
            "--at: la mappa " + m_map + " non è georiferita; indicare il punto con --point X,Y");
        row("GIS file of a plain map", onMap + QStringList{"--point", "1,2", "--scale", "5000", "--export", "a.kml"},
            "--export: la mappa " + m_map + " non è georiferita (servono un file mondo e un .prj, o un GeoTIFF)");
        row("GIS file without a system", tanker + QStringList{"--at", "1,2", "--export", "a.gpkg"},
            "senza --map, --export vuole il punto --at E,N e il suo sistema --crs EPSG:NNNN");
        row("unknown system", tanker + QStringList{"--at", "1,2", "--crs", "EPSG:1", "--export", "a.gpkg"},
            "--crs EPSG:1: sistema di riferimento sconosciuto (scrivere ad esempio EPSG:32632)");
        const QString groundNeeded = "--elements vuole l'incidente sul terreno: una mappa georiferita --map MAPPA con "
                                     "--point X,Y o --at E,N, oppure --at E,N con --crs EPSG:NNNN";
        row("layer without elements", tanker + QStringList{"--layer", "elementi"}, "--layer vale solo con --elements");
        row("elements without the incident on the ground", tanker + QStringList{"--elements", "e.gpkg"}, groundNeeded);
        row("elements with --at but no system", tanker + QStringList{"--at", "1,2", "--elements", "e.gpkg"},
            groundNeeded);
        row("elements in a GIS file of one layer",
            tanker + QStringList{"--at", "1,2", "--crs", "EPSG:32632", "--elements", "e.gpkg", "--export", "a.geojson"},
            "--export a.geojson: un file GeoJSON ha un solo strato; con --elements usare un GeoPackage (.gpkg) o un "
            "KML (.kml)");
        row("elements on a plain map", onMap + QStringList{"--point", "1,2", "--scale", "5000", "--elements", "e.gpkg"},
            "--elements: la mappa " + m_map + " non è georiferita (servono un file mondo e un .prj, o un GeoTIFF)");
        row("point not X,Y", onMap + QStringList{"--point", "1;2", "--scale", "5000"},
            "--point 1;2: scrivere X,Y (numeri, punto decimale)");
        row("scale 0", onMap + QStringList{"--point", "1,2", "--scale", "0"},
            "--scale 0: il denominatore N di 1:N, un numero intero maggiore di 0 (10000, 10.000, 10 000 o 1:10000)");
        row("scale with a decimal part", onMap + QStringList{"--point", "1,2", "--scale", "7500,5"},
            "--scale 7500,5: il denominatore N di 1:N è un numero intero, senza parte decimale (10000, 10.000, "
            "10 000 o 1:10000)");
        row("segment of 0 m", onMap + QStringList{"--point", "1,2", "--segment", "0,0,1,1,0"},
            "--segment: la lunghezza reale in metri deve essere maggiore di 0");
        row("segment of no length", onMap + QStringList{"--point", "1,2", "--segment", "2,3,2,3,50"},
            "--segment: il segmento ha lunghezza nulla");
        row("name not in the catalogue", {"--name", "cloro", "--hypothesis", "1", "--containment", "3"},
            "la sostanza \"cloro\" non è nel catalogo (il nome va scritto come nell'elenco dei nomi, maiuscole e spazi "
            "compresi)");
        row("CAS not in the catalogue", {"--cas", "7782-50-5 ", "--hypothesis", "1", "--containment", "3"},
            "il CAS \"7782-50-5 \" non è nel catalogo");
        row("several classes, none chosen", {"--name", "Ammoniaca", "--hypothesis", "1", "--containment", "3"},
            "la sostanza appartiene a più classi: indicare --class fra 2_1_2, 2_3, 51");
        row("class not found", tanker + QStringList{"--class", "4"},
            "--class 4: la sostanza non è stata trovata in questa classe (classi trovate: 1_1_1)");
        row("quantity beyond the list", kAcetic + QStringList{"--containment", "2", "--range", "4"},
            "--range 4: l'elenco delle quantità offre 3 voci: 1 = \" 0 -  10\"; 2 = \" 10 -  50\"; 3 = \" 50 -  200\"");
        row("point right of the map", onMap + QStringList{"--point", "31.76,1", "--scale", "5000", "--report-file"},
            "--point 31.76,1" + offMap);
        row("legend without a saved map", onMap.mid(0, onMap.size() - 2) + QStringList{"--point", "1,2", "--legend"},
            "--legend vale solo con --out: è la legenda della mappa salvata");
        const QString besideTheMap = QFileInfo(m_map).path() + "/esempio 1-5000.png";
        row("out beside the map, sharing its side files",
            tanker + QStringList{"--map", m_map, "--out", besideTheMap, "--point", "1,1", "--scale", "5000"},
            "--out " + besideTheMap + ": accanto alla mappa salvata andrebbe il file \"esempio 1-5000.pgw\", che è "
            "della mappa di partenza; scegliere un altro nome");
        const QString mapAgain = QFileInfo(m_map).path() + "/./" + QFileInfo(m_map).fileName();
        row("out on the map, spelt otherwise",
            tanker + QStringList{"--map", m_map, "--out", mapAgain, "--point", "1,1", "--scale", "5000"},
            "--out " + mapAgain + ": è la mappa di partenza, che non viene mai sostituita");
        row("point beyond any sheet", onMap + QStringList{"--point", "1e308,1", "--scale", "5000"},
            "--point 1e308,1: coordinate fuori misura (al massimo 100000 cm)");
        // The tables, their seal, the configuration and the map are never replaced, whatever the name.
        const QString data = "c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO 200605\\";
        const QStringList drawn = tanker + QStringList{"--map", m_map, "--point", "1,1", "--scale", "5000", "--out"},
                          placed = tanker + QStringList{"--at", "480000,5030000", "--crs", "EPSG:32632", "--export"};
        row("out on a data table", drawn + QStringList{data + "212.xls"},
            "--out " + data + "212.xls: è il file di dati \"212.xls\", che non viene mai sostituito");
        QTest::newRow("out on the seal")
            << "sealed" << drawn + QStringList{data + "sigillo.txt"} << 2
            << "--out " + data + "sigillo.txt: è il sigillo delle tabelle di dati, che non viene mai sostituito";
        row("out on the configuration", drawn + QStringList{"c:\\revisione metodo speditivo\\ms&zefro\\config.txt"},
            "--out c:\\revisione metodo speditivo\\ms&zefro\\config.txt: è il file di configurazione, che non "
            "viene mai sostituito");
        row("GIS file into the data folder", placed + QStringList{data + "aree.gpkg"},
            "--export " + data + "aree.gpkg: è nella cartella delle tabelle di dati, dove nessuna uscita viene mai "
            "scritta");
        QTest::newRow("out on a hard link to a data table")
            << "link" << drawn + QStringList{"c:\\collegamento.bmp"} << 2
            << "--out c:\\collegamento.bmp: è il file di dati \"212.xls\", che non viene mai sostituito";
        // Data errors: the configuration read first, the class search's own, the map, the report file.
        QTest::newRow("configuration missing") << "config.txt" << stored << 1 << QString();
        QTest::newRow("substance in no class table")
            << "" << QStringList{"--cas", "67-64-1", "--hypothesis", "2", "--containment", "3"} << 1
            << "La sostanza Acetone (CAS 67-64-1) non compare in nessuna tabella delle classi: nessuna stima è "
               "possibile.";
        QTest::newRow("map a PNG cut short, whose library complains") << "png.bmp" << stored << 1 << QString();
        QTest::newRow("map a run-length BMP cut short") << "runs.bmp" << stored << 1 << QString();
        QTest::newRow("map a raster read as shown, a tile damaged") << "tile.tif" << stored << 1 << QString();
        QTest::newRow("map onto a FIFO") << "fifo" << stored << 1 << QString();
        // A file-size limit fails a write half way, as a full disk does.
        QTest::newRow("map cut short") << "fsize=3000" << stored << 1 << QString();
        QTest::newRow("report file cut short") << "fsize=100" << stored << 1 << QString();
        QTest::newRow("standard output on a full disk") << "/dev/full" << stored << 1
                                                        << "Impossibile scrivere sullo standard output: spazio "
                                                           "esaurito sul disco.";
        // A reader that goes away (`| head`): said like any other failure, and the map's temporary file gone.
        QTest::newRow("standard output closed by its reader")
            << "closed pipe" << stored << 1
            << "Impossibile scrivere sullo standard output: il programma che ne riceveva il testo l'ha chiuso.";
    }
    void failuresWriteNothing()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, arguments);
        QFETCH(int, status);
        QFETCH(QString, message);
        const auto drive = testDriveWith("tiny");
        const QString map = damage.endsWith(".bmp") ? drive->local("c:\\piccola.bmp")
            : damage.endsWith(".tif")               ? drive->local("c:\\grande.tif")
                                                    : m_map;
        QString expected = status == 2 ? "zefro-estimate: " + message + '\n' + estimateUsageHint() + '\n' : message;
        if (damage == "config.txt" && QFile::remove(drive->local(Configuration::filePath())))
            expected = loadConfigurationFile(DrivePaths(drive->root())).error().message();
        else if (damage == "png.bmp") {
            QImage picture(64, 64, QImage::Format_RGB32);
            picture.fill(Qt::darkGreen);
            QByteArray png;
            QBuffer buffer(&png);
            if (buffer.open(QIODevice::WriteOnly) && picture.save(&buffer, "PNG") && writeBytes(map, png.left(60)))
                expected = map::loadMapBitmap(map).error().message() + '\n'; // and nothing from libpng
        } else if (damage == "runs.bmp") { // 2 x 2, one colour: a run of 2 and the line's end, then nothing
            QByteArray bytes;
            QDataStream out(&bytes, QIODevice::WriteOnly);
            out.setByteOrder(QDataStream::LittleEndian);
            out << quint16(0x4D42) << quint64(0) << 58 << 40 << 2 << 2 << quint16(1) << quint16(8) << 1 << quint64(0)
                << 0 << 1 << 0 << quint32(0x336699) << quint32(0x00000002);
            const Outcome<map::MapBitmap> loaded = map::loadMapBitmap(writeBytes(map, bytes) ? map : QString());
            if (!loaded.ok() && loaded.error().detail == "file troncato")
                expected = loaded.error().message();
        } else if (damage == "tile.tif" && writeGeoTiffWithDamagedTile(map, {4200, 4200}, {16, 16}))
            expected = "Il file \"grande.tif\" non è una mappa bitmap leggibile (dati dell'immagine non validi o "
                       "incompleti; GDAL: ";
        else if (damage == "fsize=3000")
            expected = "Impossibile salvare la mappa \"" + drive->local("c:\\con aree.bmp")
                + "\": file troppo grande per il sistema.";
        else if (damage == "fsize=100")
            expected = "Impossibile scrivere il file\n" + kTestOutputFolder + "ZEFRO  run ";
        else if (damage == "fifo"
                 && ::mkfifo(QFile::encodeName(drive->local("c:\\con aree.bmp")).constData(), 0600) == 0)
            expected
                = "Impossibile salvare la mappa \"" + drive->local("c:\\con aree.bmp") + "\": non è un file normale";
        if (damage == "sealed")
            QVERIFY(DataSeal::sealFolder(drive->local(kDataFolder), QDateTime::currentDateTime()).ok());
        if (damage == "link")
            QCOMPARE(::link(QFile::encodeName(drive->local("c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO "
                                                           "200605\\212.xls")),
                            QFile::encodeName(drive->local("c:\\collegamento.bmp"))),
                     0);
        QVERIFY(!expected.isEmpty()); // the damage was done
        if (damage == "fsize=100") // the report file, alone, crosses the limit
            arguments << "--report-file";
        else if (status == 1)
            arguments << QStringList{"--report-file", "--map", map,     "--point",         "2,1.5",
                                     "--scale",       "10000", "--out", "c:\\con aree.bmp"};
        const QStringList before = filesUnder(drive->root());
        const Run result
            = run(on(*drive, arguments), {},
                  damage.startsWith("/dev/") || damage.startsWith("fsize") || damage == "closed pipe" ? damage
                                                                                                     : QString());
        QCOMPARE(result.exitCode, status);
        QVERIFY2(status == 1 && damage != "png.bmp" ? result.err.startsWith(expected) : result.err == expected,
                 qPrintable(result.err));
        // Standard output is written before the report file, so only that failure comes after it.
        QCOMPARE(result.out.isEmpty(), damage != "fsize=100");
        QCOMPARE(filesUnder(drive->root()), before);
        if (damage == "fifo")
            QVERIFY(QFileInfo(drive->local("c:\\con aree.bmp")).isFile() == false
                    && QFileInfo::exists(drive->local("c:\\con aree.bmp")));
    }

    // Without a map, --at and --crs place the incident: the GIS file holds a polygon for each distance
    // the JSON gives and the incident; one that cannot be written leaves nothing.
    void gisFileWithoutMap()
    {
        const QTemporaryDir folder;
        const QString file = folder.filePath("aree.kml");
        const QStringList arguments = on(*m_tiny,
                                         kAcetic
                                             + QStringList{"--containment", "3", "--at", "480755.5,5029456.5", "--crs",
                                                           "EPSG:32632", "--json", "--export"});
        const Run written = run(arguments + QStringList{file});
        QCOMPARE(written.exitCode, 0);
        int distances = 0;
        for (const QJsonValue entry : QJsonDocument::fromJson(written.out.toUtf8())["distances"].toArray())
            distances += entry["distance"].toDouble() > 0.0 ? 1 : 0;
        QVERIFY(distances > 0);
        QProcess ogrinfo;
        ogrinfo.start("ogrinfo", {"-ro", "-al", "-so", file});
        QVERIFY(ogrinfo.waitForFinished(60000));
        const QString summary = QString::fromUtf8(ogrinfo.readAllStandardOutput());
        QVERIFY2(summary.contains(QRegularExpression(
                     QStringLiteral("Layer name: aree_di_danno\n[^L]*Feature Count: %1\n").arg(distances))),
                 qPrintable(summary));
        QVERIFY2(summary.contains(QRegularExpression("Layer name: sorgenti\n[^L]*Feature Count: 1\n")),
                 qPrintable(summary));

        const Run refused = run(arguments + QStringList{folder.filePath("manca/aree.kml")});
        QCOMPARE(refused.exitCode, 1);
        QVERIFY2(refused.err.startsWith("Impossibile esportare le aree di danno nel file"), qPrintable(refused.err));
        QCOMPARE(refused.out, QString());
        QCOMPARE(filesUnder(folder.path()).size(), 1);
    }

    // The sample layer around the sample inventory's first item: the table follows the report, which
    // stays as it is, the JSON gains "elementi"; a layer that cannot be read is a data error that
    // writes nothing.
    void vulnerableElements()
    {
        const QString layer
            = m_bundled->local("c:\\revisione metodo speditivo\\dati\\elementi\\elementi esempio.gpkg");
        const QStringList estimate = on(*m_bundled, {"--quick-pick", "2_1_2", "--hypothesis", "2", "--containment", "2",
                                                     "--range", "2"}),
                          placed = estimate + QStringList{"--at", "480420,5029480", "--crs", "EPSG:32632"};
        const Run report = run(estimate), table = run(placed + QStringList{"--elements", layer, "--layer", "elementi"});
        QVERIFY2(report.exitCode == 0 && table.exitCode == 0, qPrintable(table.err));
        QCOMPARE(table.err, QString());
        const QString heading = "\nElementi vulnerabili raggiunti (elementi esempio.gpkg, strato \"elementi\")\n";
        QVERIFY2(table.out.startsWith(report.out + heading), qPrintable(table.out));
        const QStringList lines = table.out.mid(report.out.size() + heading.size()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 8);
        QCOMPARE(lines[0], QStringLiteral("Prima zona (soglia 1): 4 elementi, 227 persone"));
        QVERIFY(lines[1].startsWith("  Uffici Alfa Chimica ") && lines[1].endsWith(" 244 m"));
        QCOMPARE(lines[5], QStringLiteral("Seconda zona (soglia 3): nessun elemento"));
        QCOMPARE(lines[6], QStringLiteral("Terza zona (soglia 4): 1 elemento, 0 persone (1 elemento con persone non note)"));
        QVERIFY(lines[7].contains(" non note ") && lines[1].indexOf(" 244 m") == lines[7].indexOf(" 811 m"));

        const Run json = run(placed + QStringList{"--elements", layer, "--json"}),
                  plainJson = run(estimate + QStringList{"--json"});
        QCOMPARE(json.exitCode, 0);
        QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
        const QJsonArray zones = object.take("elementi").toArray();
        QCOMPARE(object, QJsonDocument::fromJson(plainJson.out.toUtf8()).object());
        QCOMPARE(zones.size(), 3);
        QCOMPARE(zones[0]["count"].toInt(), 4);
        QCOMPARE(zones[0]["people"].toDouble(), 227.0);
        QCOMPARE(zones[0]["elements"][0]["name"].toString(), QStringLiteral("Uffici Alfa Chimica"));
        QCOMPARE(zones[0]["elements"][0]["distance_m"].toDouble(), 244.2);
        QCOMPARE(zones[2]["people_unknown"].toInt(), 1);
        QVERIFY(zones[2]["elements"][0]["people"].isNull());

        const QStringList before = filesUnder(m_bundled->root());
        const Run unreadable = run(placed + QStringList{"--elements", m_bundled->local("c:\\manca.gpkg"), "--report-file"});
        QCOMPARE(unreadable.exitCode, 1);
        QCOMPARE(unreadable.err, "Impossibile leggere gli elementi vulnerabili di \"" + m_bundled->local("c:\\manca.gpkg")
                                     + "\": il file o la cartella non esiste\n");
        QCOMPARE(unreadable.out, QString());
        QCOMPARE(filesUnder(m_bundled->root()), before);
    }

    // A scale a thousand times off draws nothing that can be seen: said on standard error, and the
    // run goes on (at 1:10 every circle is larger than the 31.75 x 23.29 cm sheet).
    void unseenCircles()
    {
        const QTemporaryDir folder;
        const Run drawn = run(on(*m_tiny, kAcetic + QStringList{"--containment", "3", "--map", m_map, "--point", "16,11.5",
                                                              "--scale", "10", "--out", folder.filePath("a.bmp")}));
        QCOMPARE(drawn.exitCode, 0);
        QCOMPARE(drawn.err, "Alla scala 1:10 ogni cerchio di danno è più grande della mappa e la racchiude tutta: sulla "
                            "mappa non si vede nessuna area di danno. Controllare la scala.\n");
    }

    // A real full disk, where the machine lets a test mount a small file system of its own (user and
    // mount namespaces): the map and the report file are whole or not there at all.
    void fullDiskLeavesNothing_data()
    {
        QTest::addColumn<QString>("folder"); // where the small file system goes, filled up first
        QTest::addColumn<QString>("message");
        QTest::newRow("map") << "c:\\pieno\\"
                             << "\": spazio esaurito sul disco.";
        QTest::newRow("report file") << QString(kTestOutputFolder) << "(spazio esaurito sul disco)";
    }
    void fullDiskLeavesNothing()
    {
        QFETCH(QString, folder);
        QFETCH(QString, message);
        const auto drive = testDriveWith("tiny");
        const QString full = drive->local(folder);
        QVERIFY(QDir().mkpath(full));
        const QTemporaryDir aside;
        const QString listing = aside.filePath("listing");
        const QString script = "dir=$1; listing=$2; shift 2; mount -t tmpfs -o size=64k zefro \"$dir\" || exit 77; "
                               "head -c 65536 /dev/zero > \"$dir/riempito\" 2>/dev/null; \"$@\"; status=$?; ls -A "
                               "\"$dir\" > \"$listing\"; exit $status";
        QStringList arguments = on(*drive, kAcetic + QStringList{"--containment", "3", "--report-file"});
        if (QTest::currentDataTag() == QByteArray("map"))
            arguments << QStringList{"--map",   m_map,   "--point", "2,1.5",
                                     "--scale", "10000", "--out",   folder + "con aree.bmp"};
        const QStringList before = filesUnder(drive->root());
        QProcess process;
        process.start("unshare",
                      QStringList{"-rm", "sh", "-c", script, "sh", full, listing, ZEFRO_ESTIMATE_PROGRAM} + arguments);
        QVERIFY(process.waitForFinished(120000));
        const QString err = QString::fromUtf8(process.readAllStandardError());
        if (process.exitCode() == 77 || err.startsWith("unshare:"))
            QSKIP("no small file system can be mounted here; the file-size limit rows stand in for it");
        QCOMPARE(process.exitCode(), 1);
        QVERIFY2(err.contains(message), qPrintable(err));
        QCOMPARE(contents(listing), QByteArray("riempito\n")); // nothing new on the full disk
        QCOMPARE(filesUnder(drive->root()), before);
    }

    // Report lines that the choices decide, and the JSON object against the report.
    void reportAndJson_data()
    {
        QTest::addColumn<bool>("tiny");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QStringList>("shown"); // lines of the report
        QTest::newRow("toxic, above 10000 m")
            << false << QStringList{"--name", "Ammoniaca",     "--class", "51",      "--hypothesis",
                                    "2",      "--containment", "1",       "--range", "3"}
            << QStringList{"Ipotesi media", "Range di quantità  [t]:  10 -  50",
                           "soglia 1 D5 classe 5.1.3  distanza di danno =  515 m",
                           "soglia 3 F2 classe 5.1.3  distanza di danno =  10000 > m"};
        QTest::newRow("quick pick, flash fire")
            << false << QStringList{"--quick-pick", "2_2", "--hypothesis", "1", "--containment", "3"}
            << QStringList{"Sostanza prescelta: inserire nome sostanza",
                           "Tipologia di detenzione: Autobotti/Ferrocisterne",
                           "soglia 3 D5  distanza di danno =  Non applicabile"};
        QTest::newRow("gas pipeline, by CAS")
            << false << QStringList{"--cas", "74-98-6",       "--class", "2_3",     "--hypothesis",
                                    "2",     "--containment", "5",       "--range", "5"}
            << QStringList{"#CAS: 74-98-6", "Classe: 2.3", "Diametro condotta [in]:  24 -  48",
                           "soglia 4 F2  distanza di danno =  1080 m"};
        QTest::newRow("toxic, not available")
            << true << QStringList{"--name", "Acrilonitrile", "--hypothesis", "1", "--containment", "3"}
            << QStringList{"soglia 1 D5               distanza di danno =  Non disponibile"};
        QTest::newRow("toxic, a lower bound")
            << true << QStringList{"--name", "Cloro", "--hypothesis", "1", "--containment", "1", "--range", "1"}
            << QStringList{"soglia 3 F2 classe 5.1.6  distanza di danno =  7785 > m"};
    }
    void reportAndJson()
    {
        QFETCH(bool, tiny);
        QFETCH(QStringList, arguments);
        QFETCH(QStringList, shown);
        arguments = on(tiny ? *m_tiny : *m_bundled, arguments);
        const Run plain = run(arguments), json = run(arguments + QStringList{"--json"});
        QVERIFY(plain.exitCode == 0 && json.exitCode == 0);
        const QStringList report = plain.out.split('\n', Qt::SkipEmptyParts);
        QCOMPARE(report.size(), 16);
        for (const QString &line : shown)
            QVERIFY2(report.contains(line), qPrintable(line + "\n" + plain.out));
        const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8()).object();
        const auto field = [&object](const char *name) { return object.value(QLatin1String(name)).toString(); };
        const HazardClass *hazard = findHazardClass(field("class"));
        QVERIFY(hazard && object.value("toxic").toBool() == hazard->isToxic());
        QCOMPARE(field("classEntry"), arguments.contains("--quick-pick") ? hazard->quickPickEntry : hazard->listEntry);
        const QStringList fields{"substance",  "cas",      "classLabel", "containment",
                                 "hypothesis", "quantity", "diameter",   "scenario"};
        for (int i = 0; i < 8; ++i) // each line ends with the choice it names; a toxic class is named by sub-class
            QVERIFY2(
                report[i].endsWith(i == 2 && hazard->isToxic() ? QString("Classe: ") : field(qPrintable(fields[i]))),
                qPrintable(report[i]));
        const QJsonArray distances = object.value("distances").toArray();
        QCOMPARE(distances.size(), 8);
        for (int slot = 0; slot < 8; ++slot) {
            const QJsonObject entry = distances.at(slot).toObject();
            const QString text = entry.value("text").toString(),
                          start = QStringLiteral("soglia %1 %2 ").arg(slot % 4 + 1).arg(slot < 4 ? "D5" : "F2");
            const QJsonValue distance = entry.value("distance"), subclass = entry.value("subclass");
            const bool greaterThan = entry.value("greaterThan").toBool();
            QCOMPARE(start,
                     QStringLiteral("soglia %1 %2 ")
                         .arg(entry.value("threshold").toInt())
                         .arg(entry.value("weather").toString()));
            QVERIFY(report[8 + slot].startsWith(start) && report[8 + slot].endsWith("distanza di danno = " + text));
            if (text == kNotApplicable || text == kNotAvailable)
                QVERIFY(distance.isNull() && !greaterThan);
            else
                QCOMPARE(SignedNumberText(distance.toDouble()) + (greaterThan ? " > m" : " m"), text);
            // The sub-class the report names on the line, only for the toxic thresholds 1 and 3.
            QCOMPARE(subclass.isNull(), !hazard->isToxic() || slot % 2 == 1 || text == kNotAvailable);
            QVERIFY(subclass.isNull() || report[8 + slot].startsWith(start + "classe " + subclass.toString() + ' '));
        }
    }

    // The bundled data ship sealed: a table changed afterwards stops every estimate, by name, until the
    // data are sealed again; --check-data says how they stand.
    void sealedData()
    {
        const auto drive = testDriveWith();
        const QStringList ammonia{"--name", "Ammoniaca", "--class", "51", "--hypothesis", "1", "--containment", "3"};
        const QString table = kDataFolder + "513.xls", sealFile = drive->local(kDataFolder + "sigillo.txt");
        const QString contents = "Contenuto delle tabelle di dati in " + drive->local(kDataFolder)
            + ": 36 cartelle di lavoro controllate, nessun problema.\nSigillo ";
        const Run sound = run(on(*drive, {"--check-data"}));
        QVERIFY2(sound.exitCode == 0 && sound.out.startsWith(contents)
                     && sound.out.endsWith(": 36 tabelle sigillate, tutte conformi.\n"),
                 qPrintable(sound.out));
        QVERIFY(writeBytes(drive->local(table), fileBytes(drive->local(table)) + "x"));
        const Run refused = run(on(*drive, ammonia)), checked = run(on(*drive, {"--check-data"}));
        QCOMPARE(refused.exitCode, 1);
        QCOMPARE(refused.err,
                 "Le tabelle di dati non sono quelle sigillate (sigillo.txt):\n" + table
                     + "\n(su questo computer: " + drive->local(table)
                     + ")\n(modificato dopo il sigillo)\n\nRimettere le tabelle approvate, oppure sigillare di nuovo "
                       "quelle presenti con zefro-estimate --seal-data.\n");
        QCOMPARE(checked.exitCode, 1);
        QVERIFY2(checked.out.endsWith(": 36 tabelle sigillate.\n513.xls: modificata dopo il sigillo\n"),
                 qPrintable(checked.out));
        QCOMPARE(run(on(*drive, {"--seal-data"})).out, "Sigillate 36 tabelle di dati in " + sealFile + '\n');
        QCOMPARE(run(on(*drive, ammonia)).exitCode, 0);
    }

    // An analyst's slips in 513.xls (its first lower bound typed as text, four distances that are none):
    // --check-data lists every one before the seal's state, and --seal-data writes nothing.
    void slipsInATable()
    {
        const auto drive = testDriveWith();
        QVERIFY(copyTree(QStringLiteral(ZEFRO_TEST_DATA "/drives/slips"), drive->root()));
        const QString table = kDataFolder + "513.xls", sealFile = drive->local(kDataFolder + "sigillo.txt");
        const QByteArray seal = fileBytes(sealFile);
        const QString first = "Il limite di un range non è un numero:\n" + table
            + "\nfoglio 1, cella C1\n\nIl valore -75 "
              "non è una distanza:\n"
            + table
            + "\nfoglio 1, cella E3\n(una distanza vale 0 = non applicabile, da 1 a "
              "10000 m, oppure 10001 = oltre 10000 m; una cella vuota vale 0)\n\n";
        const Run sealing = run(on(*drive, {"--seal-data"})), checked = run(on(*drive, {"--check-data"}));
        QVERIFY2(sealing.exitCode == 1 && sealing.out.isEmpty() && fileBytes(sealFile) == seal
                     && sealing.err.startsWith("Tabelle di dati non sigillate: 5 problemi nel contenuto.\n\n" + first)
                     && sealing.err.endsWith("cella K9\n\nCorreggere le tabelle e sigillarle di nuovo con "
                                             "zefro-estimate --seal-data.\n"),
                 qPrintable(sealing.err));
        QVERIFY2(checked.exitCode == 1
                     && checked.out.startsWith("Contenuto delle tabelle di dati in " + drive->local(kDataFolder)
                                               + ": 36 cartelle di lavoro controllate, 5 problemi:\n\n" + first)
                     && checked.out.contains("cella K9\n\nSigillo ")
                     && checked.out.endsWith(": 36 tabelle sigillate.\n513.xls: modificata dopo il sigillo\n"),
                 qPrintable(checked.out));
    }

    // The answers without an estimate: the help, before anything else; the class-list entries in table
    // order (none: a failure), on the windows' drive root: $ZEFRO_DRIVE_ROOT (the tiny drive), else the build tree's drive.
    void helpAndClassListOnTheDefaultDriveRoot()
    {
        const QStringList arguments{"--classes", "--name", "Ammoniaca"};
        const Run help = run(arguments + QStringList{"--help"}), byDefault = run(arguments),
                  byVariable = run(arguments, m_tiny->root());
        QVERIFY(help.exitCode == 0 && help.err.isEmpty()
                && help.out.startsWith("Uso:\n  zefro-estimate [--drive-root DIR]"));
        QCOMPARE(byDefault.exitCode, 0);
        QCOMPARE(byDefault.out.split('\n', Qt::SkipEmptyParts),
                 QStringList({entryOf("2_1_2"), entryOf("2_2"), entryOf("2_3"), entryOf("51"), entryOf("52")}));
        QCOMPARE(byVariable.out.split('\n', Qt::SkipEmptyParts),
                 QStringList({entryOf("2_1_2"), entryOf("2_3"), entryOf("51")}));
        // A substance of no class fails as an estimate of it does, rather than listing nothing.
        const Run none = run({"--classes", "--cas", "67-64-1"}, m_tiny->root());
        QCOMPARE(none.exitCode, 1);
        QVERIFY2(none.out.isEmpty() && none.err.startsWith("La sostanza Acetone (CAS 67-64-1) non compare"),
                 qPrintable(none.err));
    }

    // The README's example: 75, 100, 120 and 155 m on the 1:5000 sample map (4724 pixels per metre),
    // and on its georeferenced twin placed by ground coordinates.
    // The report file gets what "Salva report su file" appends, and its path goes to standard error;
    // when --out cannot take the map (a non-empty folder), the report file is left as it was.
    void reportFileAndMap_data()
    {
        QTest::addColumn<bool>("existing");
        QTest::addColumn<QString>("kind"); // of --out: "file", a non-empty "folder", the "report" file
        QTest::addColumn<QString>("map");
        QTest::addColumn<QStringList>("placing"); // the point and the scale
        QTest::addColumn<int>("dotsPerMetre"); // of the map sheet
        QTest::addColumn<double>("pixelsPerMetre"); // of ground distance
        const QStringList point{"--point", "16,11.5"}, scale{"--scale", "5000"}; // 75 m = 1.5 cm = 71 px
        QTest::newRow("1:5000, report appended")
            << true << "file" << kSampleMap << point + scale << 4724 << 0.02 * 47.24;
        QTest::newRow("1:5.000 as Italians write it")
            << false << "file" << kSampleMap << point + QStringList{"--scale", "1:5.000"} << 4724 << 0.02 * 47.24;
        QTest::newRow("segment 3 cm = 100 m, new report")
            << false << "file" << kSampleMap << point + QStringList{"--segment", "1,1,1,4,100"} << 4724 << 0.03 * 47.24;
        QTest::newRow("map refused, no report") << false << "folder" << kSampleMap << point + scale << 4724 << 0.0;
        QTest::newRow("map on the report file") << true << "report" << kSampleMap << point + scale << 4724 << 0.0;
        // The centre of pixel (755, 543), and no scale: the georeference gives it.
        QTest::newRow("georeferenced, placed on the ground")
            << false << "file" << kGeoreferencedMap << QStringList{"--at", "480755.5,5029456.5"} << 5000 << 1.0;
    }
    void reportFileAndMap()
    {
        QFETCH(bool, existing);
        QFETCH(QString, kind);
        QFETCH(QString, map);
        QFETCH(QStringList, placing);
        QFETCH(int, dotsPerMetre);
        QFETCH(double, pixelsPerMetre);
        const auto drive = testDriveWith();
        QTemporaryDir folder;
        while (QTime::currentTime().second() >= 55) // the run is to end within the minute its report file names
            QTest::qWait(500);
        const QString path
            = drive->local(reportFileName(kTestOutputFolder, QDateTime::currentDateTime(), "inserire nome sostanza"));
        const QString out = kind == "report" ? QFileInfo(path).path() + "/./" + QFileInfo(path).fileName()
                                             : folder.filePath("incendio.bmp");
        if (kind == "folder")
            QVERIFY(QDir().mkpath(out) && TextFile::appendLines(out + "/altro.txt", {"x"}).ok());
        if (existing)
            QVERIFY(TextFile::appendLines(path, {"earlier"}).ok());
        const QByteArray before = contents(path);
        const QStringList arguments
            = on(*drive, {"--quick-pick", "1_1_2", "--hypothesis", "2", "--containment", "2", "--range", "4"});
        const Run result = run(arguments + QStringList{"--report-file", "--map", map, "--out", out} + placing);
        if (kind != "file") {
            QCOMPARE(result.exitCode, 1);
            QVERIFY2(result.err.startsWith("Impossibile salvare la mappa \"" + out + '"'), qPrintable(result.err));
            QCOMPARE(result.out, QString());
            QCOMPARE(contents(path), before);
            QCOMPARE(filesUnder(folder.path()), kind == "folder" ? QStringList{out + "/altro.txt 3"} : QStringList());
            return;
        }
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, path + '\n');
        const BatchOutcome batch
            = runBatchEstimate(DrivePaths(drive->root()), XlsWorkbookOpener(DrivePaths(drive->root())),
                               *parseEstimateCommandLine(QStringList{"zefro-estimate"} + arguments).request);
        QCOMPARE(contents(path),
                 (existing ? before : QByteArray()) + TextFile::encodeLines(reportFileLines(*batch.estimate)));

        const QImage original(drive->local(map)), drawn(out);
        QCOMPARE(drawn.size(), original.size());
        QCOMPARE(drawn.dotsPerMeterX(), dotsPerMetre);
        // Along the row through the point (pixel 755, 543) only pixels of the circles changed, on both sides.
        QList<double> metres;
        for (int x = 0; x < drawn.width(); ++x) {
            const double offset = x - 755, onGround = std::round(std::abs(offset) / pixelsPerMetre / 5) * 5;
            if (drawn.pixel(x, 543) == original.pixel(x, 543))
                continue;
            QVERIFY2(std::abs(std::abs(offset) - onGround * pixelsPerMetre) <= 1.0
                         && QList<double>({75, 100, 120, 155}).contains(onGround),
                     qPrintable(QStringLiteral("pixel changed at %1").arg(offset)));
            metres << std::copysign(onGround, offset);
        }
        for (const double m : {75.0, 100.0, 120.0, 155.0})
            QVERIFY2(metres.contains(m) && metres.contains(-m), qPrintable(QString::number(m)));
    }

    // --legend burns a legend panel into one corner of the saved map, clear of the areas; the rest of
    // the map is what --out writes without it. On a georeferenced map a BMP gets its world file, .prj
    // and .aux.xml beside it, a .tif none (its tags place it).
    void legendAndPlaceOfTheSavedMap()
    {
        const QTemporaryDir folder;
        const QStringList drawn = on(*m_bundled, {"--quick-pick", "1_1_2", "--hypothesis", "2", "--containment", "2",
                                                  "--range", "4", "--map", kGeoreferencedMap, "--at",
                                                  "480755.5,5029456.5", "--out"});
        for (const QString name : {"senza.bmp", "con.bmp", "con.tif"}) {
            const Run result = run(drawn + QStringList{folder.filePath(name)}
                                   + (name.startsWith("con") ? QStringList{"--legend"} : QStringList()));
            QVERIFY2(result.exitCode == 0, qPrintable(result.err));
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files),
                 QStringList({"con.bmp", "con.bmp.aux.xml", "con.bpw", "con.prj", "con.tif", "senza.bmp",
                              "senza.bmp.aux.xml", "senza.bpw", "senza.prj"}));
        QCOMPARE(contents(folder.filePath("con.tif")).left(4), QByteArray("II*\0", 4));
        QCOMPARE(contents(folder.filePath("con.bpw")), contents(folder.filePath("senza.bpw")));

        const QImage plain(folder.filePath("senza.bmp")), withLegend(folder.filePath("con.bmp"));
        QCOMPARE(withLegend.size(), plain.size());
        // With the legend the incident is marked by its cross, as in the map window; without, the
        // picture is the one it has always been.
        QVERIFY(plain.pixel(755, 543) != withLegend.pixel(755, 543));
        QCOMPARE(withLegend.pixel(755, 543), qRgb(0, 0, 0));
        const QRect cross(755 - 8, 543 - 8, 17, 17);
        QRect changed;
        for (int y = 0; y < plain.height(); ++y)
            for (int x = 0; x < plain.width(); ++x)
                if (plain.pixel(x, y) != withLegend.pixel(x, y) && !cross.contains(x, y))
                    changed |= QRect(x, y, 1, 1);
        // In a corner, a few pixels from its edges; the areas (155 m around pixel 755, 543) left clear.
        const QRect sheet = plain.rect();
        QVERIFY2(changed.width() > 150 && changed.height() > 150, qPrintable(QString::number(changed.width())));
        QVERIFY(std::min(changed.left(), sheet.right() - changed.right()) < 30
                && std::min(changed.top(), sheet.bottom() - changed.bottom()) < 30);
        QVERIFY(!changed.intersects(QRect(755 - 160, 543 - 160, 320, 320)));
        QCOMPARE(withLegend.pixel(changed.topLeft()), qRgb(0, 0, 0)); // its frame
    }

    // --at is held against its system's area of use: a little outside it (Trieste in UTM 32N) the run
    // goes on with a warning naming the area; far outside it (easting and northing swapped) or off the
    // Earth it is a usage error naming the area, with a map as without. An area the system cannot show
    // around the point (the pole, in degrees) is refused as an export that cannot be made. Only a run
    // that succeeds writes.
    void groundPointAgainstAreaOfUse_data()
    {
        QTest::addColumn<QStringList>("placing");
        QTest::addColumn<int>("status");
        QTest::addColumn<QStringList>("said"); // on standard error, in this order
        const QString utm = "\"Between 6°E and 12°E, northern hemisphere between equator and 84°N, onshore and "
                            "offshore\" (lon da 6.00° a 12.00°, lat da 0.00° a 84.00°)";
        const QString world = "la cui area d'uso è \"World\" (lon da -180.00° a 180.00°, lat da -90.00° a 90.00°)";
        const QString far = "è lontano dall'area d'uso del sistema di riferimento EPSG:32632, ";
        const QStringList inUtm{"--crs", "EPSG:32632"}, inDegrees{"--crs", "EPSG:4326"};
        QTest::newRow("Milan in UTM 32N") << QStringList{"--at", "514854.6,5034070.2"} + inUtm << 0 << QStringList();
        QTest::newRow("Trieste in UTM 32N")
            << QStringList{"--at", "871664.5,5066237"} + inUtm << 0
            << QStringList{"zefro-estimate: attenzione: --at 871664.5,5066237: il punto (lon 13.77°, lat 45.65°) è "
                           "1.77° fuori dall'area d'uso del sistema di riferimento EPSG:32632, "
                           + utm + "; le aree di danno sono calcolate lo stesso\n"};
        QTest::newRow("easting and northing swapped") << QStringList{"--at", "5034070.2,514854.6"}
                + inUtm << 2 << QStringList{"zefro-estimate: --at 5034070.2,514854.6: il punto (lon ", far + utm};
        QTest::newRow("swapped on a georeferenced map")
            << QStringList{"--map", kGeoreferencedMap, "--at", "5029456.5,480755.5"} << 2
            << QStringList{"zefro-estimate: --at 5029456.5,480755.5: il punto (lon ", far + utm};
        QTest::newRow("latitude 91") << QStringList{"--at", "9.19,91"} + inDegrees << 2
                                     << QStringList{"zefro-estimate: --at 9.19,91: il punto non è sulla Terra nel "
                                                    "sistema di riferimento EPSG:4326, "
                                                    + world};
        QTest::newRow("longitude 1e308") << QStringList{"--at", "1e308,45"}
                + inDegrees << 2 << QStringList{"zefro-estimate: --at 1e+308,45: il punto non è sulla Terra", world};
        QTest::newRow("at the pole") << QStringList{"--at", "0,89.99999"} + inDegrees << 1
                                     << QStringList{"Impossibile esportare le aree di danno nel file",
                                                    "esce dalla parte della Terra"};
    }
    void groundPointAgainstAreaOfUse()
    {
        QFETCH(QStringList, placing);
        QFETCH(int, status);
        QFETCH(QStringList, said);
        const QTemporaryDir folder;
        const QString file = folder.filePath("aree.geojson");
        const Run result = run(
            on(*m_bundled,
               {"--quick-pick", "1_1_2", "--hypothesis", "2", "--containment", "2", "--range", "4", "--export", file})
            + placing);
        QCOMPARE(result.exitCode, status);
        qsizetype from = 0;
        for (const QString &part : said) {
            from = result.err.indexOf(part, from);
            QVERIFY2(from >= 0, qPrintable(result.err));
        }
        if (said.isEmpty())
            QCOMPARE(result.err, QString());
        QCOMPARE(QFileInfo::exists(file), status == 0);
        QCOMPARE(result.out.isEmpty(), status != 0);
    }
};

QTEST_MAIN(CliTest)
#include "test_cli.moc"
