// zefro-estimate run as a program: its usage errors, its data and file errors with the windows'
// messages, the JSON object against the report text, the class list, the default drive root, the
// damage areas drawn on a map, and that a failed run leaves every file as it was.
#include "app/Configuration.h"
#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "catalogue/HazardClass.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/NumberText.h"
#include "estimate/XlsWorkbookOpener.h"
#include "support/ListEntries.h"
#include "test_cli_process.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

#include <cmath>

namespace {

const QString kHint = QStringLiteral("Uso: zefro-estimate [--drive-root DIR] (--name NOME | --cas CAS | --quick-pick CODICE) "
                                     "--hypothesis 1|2 --containment 1..5 [--range N] [...]; "
                                     "zefro-estimate --help per tutte le opzioni");
// Acido acetico on the tiny drive, no bund, 10-50 t, "Ipotesi più probabile": 60, 75, 85 and 110 m
// under both weathers.
const QStringList kAcetic{"--name", "Acido acetico", "--hypothesis", "1", "--containment", "2", "--range", "2"};

QStringList withRoot(const TestDrive &drive, const QStringList &arguments)
{
    return QStringList{QStringLiteral("--drive-root"), drive.root()} + arguments;
}

// A white map of 400 x 300 pixels; dotsPerMetre 0 writes a header that states no resolution.
bool writeMap(const QString &path, int dotsPerMetre = 10000)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(std::max(dotsPerMetre, 1));
    image.setDotsPerMeterY(std::max(dotsPerMetre, 1));
    if (!image.save(path, "BMP"))
        return false;
    QFile file(path);
    if (dotsPerMetre > 0 || !file.open(QIODevice::ReadWrite))
        return dotsPerMetre > 0;
    file.seek(38);
    return file.write(QByteArray(8, '\0')) == 8;
}

// The offsets from `from`, along one row or column, of the pixels that have exactly this colour.
QList<int> offsetsWithColour(const QImage &image, QPoint from, bool alongRow, QRgb colour)
{
    QList<int> offsets;
    const int length = alongRow ? image.width() : image.height();
    for (int i = 0; i < length; ++i) {
        const QPoint p = alongRow ? QPoint(i, from.y()) : QPoint(from.x(), i);
        if (image.pixel(p) == colour)
            offsets << i - (alongRow ? from.x() : from.y());
    }
    return offsets;
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestDrive> m_tiny; // shared by the cases that must write nothing

private slots:
    void initTestCase() { m_tiny = cli::driveWith(QStringLiteral("tiny")); }

    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message"); // the first line of standard error, after "zefro-estimate: "
        const QStringList acetic{"--name", "Acido acetico", "--hypothesis", "1"};
        const QStringList storage{"--name", "Cloro", "--hypothesis", "1", "--containment", "1", "--range", "1"};
        const QStringList onMap = storage + QStringList{"--map", "m.bmp", "--out", "o.bmp"};
        const auto row = [](const char *name, const QStringList &arguments, const QString &message) {
            QTest::newRow(name) << arguments << message;
        };
        row("no substance", {"--hypothesis", "1", "--containment", "3"},
            "indicare la sostanza con una sola fra --name, --cas e --quick-pick");
        row("unknown option", storage + QStringList{"--colour", "red"}, "opzione sconosciuta: colour");
        row("value missing", {"--name"}, "argomenti non validi (Missing value after '--name'.)");
        row("stray argument", storage + QStringList{"Cloro"}, "argomento inatteso: Cloro");
        row("option twice", storage + QStringList{"--hypothesis", "2"}, "l'opzione --hypothesis è data più di una volta");
        row("switch twice", storage + QStringList{"--json", "--json"}, "l'opzione --json è data più di una volta");
        row("hypothesis 3", {"--name", "Cloro", "--hypothesis", "3", "--containment", "3"}, "--hypothesis 3: vale 1 o 2");
        row("no hypothesis", {"--name", "Cloro", "--containment", "3"}, "manca --hypothesis 1|2");
        row("containment 6", acetic + QStringList{"--containment", "6"}, "--containment 6: vale da 1 a 5");
        row("no containment", acetic, "manca --containment 1..5");
        row("no range for a store", acetic + QStringList{"--containment", "2"},
            "manca --range N: la tipologia 2 chiede la quantità");
        row("no range for a pipeline", acetic + QStringList{"--containment", "5"},
            "manca --range N: la tipologia 5 chiede il diametro della condotta");
        row("range for a tanker", acetic + QStringList{"--containment", "3", "--range", "1"},
            "--range non si usa con --containment 3: autobotti e navi non chiedono la quantità");
        row("range 0", acetic + QStringList{"--containment", "1", "--range", "0"}, "--range 0: un numero intero da 1 in su");
        row("range not a number", acetic + QStringList{"--containment", "1", "--range", "2a"},
            "--range 2a: un numero intero da 1 in su");
        row("unknown class code", storage + QStringList{"--class", "5"},
            "--class 5: codice sconosciuto (codici: 1_1_1 1_1_2 1_2 2_1_1 2_1_2 2_2 2_3 4 51 52 53)");
        row("class with a quick pick", {"--quick-pick", "2_2", "--class", "2_2"},
            "--class non si usa con --quick-pick: la classe è quella scelta");
        row("unknown quick pick", {"--quick-pick", "4", "--hypothesis", "1", "--containment", "3"},
            "--quick-pick 4: codice sconosciuto (codici: 1_1_1 1_1_2 1_2 2_1_1 2_1_2 2_2 2_3)");
        row("classes of a quick pick", {"--classes", "--quick-pick", "2_2"}, "--classes vuole --name o --cas");
        row("classes with an estimate option", {"--classes", "--name", "Cloro", "--hypothesis", "1"},
            "--classes non si combina con --hypothesis");
        row("map without point", onMap + QStringList{"--scale", "5000"},
            "per disegnare su una mappa servono --map, --point e --out (manca --point)");
        row("map without scale", onMap + QStringList{"--point", "1,2"},
            "per disegnare su una mappa serve una fra --scale e --segment");
        row("point not two numbers", onMap + QStringList{"--point", "1;2", "--scale", "5000"},
            "--point 1;2: scrivere X,Y (numeri, punto decimale)");
        row("scale 0", onMap + QStringList{"--point", "1,2", "--scale", "0"},
            "--scale 0: il denominatore N di 1:N, maggiore di 0");
        row("segment of 0 m", onMap + QStringList{"--point", "1,2", "--segment", "0,0,1,1,0"},
            "--segment: la lunghezza reale in metri deve essere maggiore di 0");
        row("segment of no length", onMap + QStringList{"--point", "1,2", "--segment", "2,3,2,3,50"},
            "--segment: il segmento ha lunghezza nulla");
        // These need the catalogue and the tables of the drive.
        row("name not in the catalogue", {"--name", "cloro", "--hypothesis", "1", "--containment", "3"},
            "la sostanza \"cloro\" non è nel catalogo (il nome va scritto come nell'elenco dei nomi, maiuscole e "
            "spazi compresi)");
        row("CAS not in the catalogue", {"--cas", "7782-50-5 ", "--hypothesis", "1", "--containment", "3"},
            "il CAS \"7782-50-5 \" non è nel catalogo");
        row("several classes, none chosen", {"--name", "Ammoniaca", "--hypothesis", "1", "--containment", "3"},
            "la sostanza appartiene a più classi: indicare --class fra 2_1_2, 2_3, 51");
        row("class not found", acetic + QStringList{"--class", "4", "--containment", "3"},
            "--class 4: la sostanza non è stata trovata in questa classe (classi trovate: 1_1_1)");
        row("quantity beyond the list", acetic + QStringList{"--containment", "2", "--range", "4"},
            "--range 4: l'elenco delle quantità offre 3 voci: 1 = \" 0 -  10\"; 2 = \" 10 -  50\"; 3 = \" 50 -  200\"");
        row("diameter beyond the list", acetic + QStringList{"--containment", "5", "--range", "5"},
            "--range 5: l'elenco dei diametri offre 4 voci: 1 = \" 0 -  2\"; 2 = \" 2 -  6\"; 3 = \" 6 -  12\"; "
            "4 = \" 12 -  24\"");
    }
    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const QStringList before = cli::filesUnder(m_tiny->root());
        const cli::Run result = cli::run(withRoot(*m_tiny, arguments));
        QVERIFY(!result.crashed);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.errLines(), QStringList({QStringLiteral("zefro-estimate: ") + message, kHint}));
        QCOMPARE(result.out, QString());
        QCOMPARE(cli::filesUnder(m_tiny->root()), before);
    }

    void helpGoesToStandardOutput()
    {
        const cli::Run result = cli::run({QStringLiteral("--help")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QVERIFY(result.out.startsWith(QStringLiteral("Uso:\n  zefro-estimate [--drive-root DIR]")));
    }

    void dataErrorsGiveTheWindowsMessages_data()
    {
        QTest::addColumn<QString>("damage"); // what is wrong with the tiny drive
        QTest::addColumn<QStringList>("arguments");
        const QStringList chlorine{"--name", "Cloro", "--hypothesis", "1", "--containment", "1", "--range", "1"};
        QTest::newRow("configuration file missing") << "no configuration" << chlorine;
        QTest::newRow("configuration file too short") << "short configuration" << chlorine;
        QTest::newRow("class workbook missing") << "no 111.xls" << chlorine;
        QTest::newRow("correspondence workbook missing") << "no correspondence" << chlorine;
        QTest::newRow("class list only") << "no 111.xls" << QStringList{"--classes", "--name", "Cloro"};
        QTest::newRow("compressed gas in a bund") << ""
            << QStringList{"--name", "Metano", "--hypothesis", "2", "--containment", "1", "--range", "1"};
        QTest::newRow("substance in no class table") << ""
            << QStringList{"--cas", "67-64-1", "--hypothesis", "2", "--containment", "3"};
    }
    void dataErrorsGiveTheWindowsMessages()
    {
        QFETCH(QString, damage);
        QFETCH(QStringList, arguments);
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        const DrivePaths drives(drive->root());
        const QString config = QStringLiteral("c:\\revisione metodo speditivo\\ms&zefro\\config.txt");
        const XlsWorkbookOpener opener(drives);

        // The message the windows would show for the same damage, from the same core code.
        QString expected;
        if (damage == QStringLiteral("no configuration")) {
            QVERIFY(QFile::remove(drive->local(config)));
            expected = loadConfigurationFile(drives).error.message();
        } else if (damage == QStringLiteral("short configuration")) {
            drive->writeFile(config, "a\r\nb\r\nc\r\n");
            expected = loadConfigurationFile(drives).error.message();
            QVERIFY(expected.contains(QStringLiteral("contiene 3 righe")));
        } else if (damage == QStringLiteral("no 111.xls")) {
            QVERIFY(QFile::remove(drive->local(kDataFolder + QStringLiteral("111.xls"))));
            ProgramState state;
            const ClassLookupResult lookup = LookupSubstanceClasses(state, opener, QStringLiteral("7782-50-5"));
            QVERIFY(lookup.error);
            expected = lookup.error->message();
        } else if (damage == QStringLiteral("no correspondence")) {
            QVERIFY(QFile::remove(drive->local(kDataFolder + kRangeCorrespondenceFile)));
            expected = opener.open(kDataFolder + kRangeCorrespondenceFile).error().message();
        } else if (arguments.contains(QStringLiteral("Metano"))) {
            expected = kCompressedGasRefusal;
        } else {
            expected = QStringLiteral("La sostanza Acetone (CAS 67-64-1) non compare in nessuna tabella delle classi: "
                                      "nessuna stima è possibile.");
        }
        QVERIFY(!expected.isEmpty());
        const QStringList before = cli::filesUnder(drive->root());

        const bool estimate = !arguments.contains(QStringLiteral("--classes"));
        const cli::Run result =
            cli::run(withRoot(*drive, arguments + (estimate ? QStringList{"--report-file"} : QStringList())));
        QVERIFY(!result.crashed);
        QCOMPARE(result.exitCode, 1);
        QCOMPARE(result.err, expected + QLatin1Char('\n'));
        QCOMPARE(result.out, QString());
        QCOMPARE(cli::filesUnder(drive->root()), before);
    }

    void jsonAgreesWithTheReport_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("classCode");
        QTest::addColumn<QJsonValue>("range");
        QTest::newRow("toxic gas, sub-class fallback")
            << QStringList{"--name", "Cloro", "--hypothesis", "1", "--containment", "1", "--range", "2"} << "51"
            << QJsonValue(QStringLiteral(" 10 -  50"));
        QTest::newRow("quick pick, thresholds not applicable")
            << QStringList{"--quick-pick", "2_1_2", "--hypothesis", "1", "--containment", "4"} << "2_1_2"
            << QJsonValue(QJsonValue::Null);
        QTest::newRow("quick pick, more than 10000 m")
            << QStringList{"--quick-pick", "2_1_2", "--hypothesis", "2", "--containment", "1", "--range", "3"} << "2_1_2"
            << QJsonValue(QStringLiteral(" 50 -  200"));
        QTest::newRow("flammable gas pipeline")
            << QStringList{"--name", "Metano", "--hypothesis", "2", "--containment", "5", "--range", "5"} << "2_3"
            << QJsonValue(QStringLiteral(" 24 -  48"));
    }
    void jsonAgreesWithTheReport()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, classCode);
        QFETCH(QJsonValue, range);
        const cli::Run text = cli::run(withRoot(*m_tiny, arguments));
        const cli::Run json = cli::run(withRoot(*m_tiny, arguments + QStringList{"--json"}));
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(json.err, QString());
        const QStringList lines = text.outLines();
        QCOMPARE(lines.size(), 16);

        QJsonParseError error;
        const QJsonObject object = QJsonDocument::fromJson(json.out.toUtf8(), &error).object();
        QCOMPARE(error.error, QJsonParseError::NoError);
        const auto field = [&object](const char *name) { return object.value(QLatin1String(name)); };
        const bool toxic = field("toxic").toBool();
        QCOMPARE(toxic, classCode == QStringLiteral("51"));
        QCOMPARE(field("class").toString(), classCode);
        if (!arguments.contains(QStringLiteral("--quick-pick")))
            QCOMPARE(field("classEntry").toString(), entryOf(classCode));
        const QString label = field("classLabel").toString();
        QVERIFY(!label.isEmpty());
        QCOMPARE(field("range"), range);
        QCOMPARE(lines.mid(0, 7),
                 QStringList({"Sostanza prescelta: " + field("substance").toString(), "#CAS: " + field("cas").toString(),
                              "Classe: " + (toxic ? QString() : label),
                              "Tipologia di detenzione: " + field("containment").toString(), field("hypothesis").toString(),
                              "Range di quantità  [t]: " + field("quantity").toString(),
                              "Diametro condotta [in]: " + field("diameter").toString()}));
        if (range.isString())
            QVERIFY(lines[5].endsWith(range.toString()) || lines[6].endsWith(range.toString()));
        QVERIFY(!field("scenario").toString().isEmpty());
        QVERIFY(lines[7].startsWith(QStringLiteral("Scenario incidentale: ")));
        QCOMPARE(lines[7].mid(22).trimmed(), field("scenario").toString());

        const QJsonArray distances = field("distances").toArray();
        QCOMPARE(distances.size(), 8);
        for (int slot = 0; slot < 8; ++slot) {
            const QJsonObject entry = distances.at(slot).toObject();
            const int threshold = entry.value(QStringLiteral("threshold")).toInt();
            const QString weather = entry.value(QStringLiteral("weather")).toString();
            QCOMPARE(threshold, slot % 4 + 1);
            QCOMPARE(weather, slot < 4 ? QStringLiteral("D5") : QStringLiteral("F2"));
            const QString line = lines[8 + slot];
            QVERIFY(line.startsWith(QStringLiteral("soglia %1 %2 ").arg(threshold).arg(weather)));
            const QString textShown = line.mid(line.indexOf(QStringLiteral("distanza di danno = ")) + 20);
            QCOMPARE(entry.value(QStringLiteral("text")).toString(), textShown);

            const QJsonValue distance = entry.value(QStringLiteral("distance"));
            const bool greaterThan = entry.value(QStringLiteral("greaterThan")).toBool();
            if (textShown == QStringLiteral(" Non applicabile") || textShown == QStringLiteral(" Non disponibile")) {
                QVERIFY(distance.isNull() && !greaterThan);
            } else {
                QVERIFY(distance.isDouble());
                QCOMPARE(textShown, SignedNumberText(distance.toDouble()) + (greaterThan ? " >" : "") + " m");
            }
            const QJsonValue subclass = entry.value(QStringLiteral("subclass"));
            if (toxic && threshold % 2 == 1)
                QVERIFY(line.startsWith(QStringLiteral("soglia %1 %2 classe %3").arg(threshold).arg(weather, subclass.toString())));
            else
                QVERIFY(subclass.isNull());
        }
    }

    void classListInListOrder()
    {
        const auto classes = [this](const QStringList &substance) {
            const cli::Run result = cli::run(withRoot(*m_tiny, QStringList{"--classes"} + substance));
            return result.exitCode == 0 && result.err.isEmpty() ? result.outLines() : QStringList{"failed"};
        };
        QCOMPARE(classes({"--cas", "7664-41-7"}), QStringList({entryOf("2_1_2"), entryOf("2_3"), entryOf("51")}));
        QCOMPARE(classes({"--name", "Acrilonitrile"}), QStringList({entryOf("4")}));
        QCOMPARE(classes({"--name", "Acetone"}), QStringList());
    }

    void driveRootDefaultsAsForTheWindows()
    {
        // Without --drive-root the windows' default applies: $ZEFRO_DRIVE_ROOT here. The report file
        // goes to the output prefix of that drive's configuration file.
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        const QStringList arguments{"--name", "Acido acetico", "--hypothesis", "2", "--containment", "4", "--report-file"};
        const cli::Run byVariable = cli::run(arguments, drive->root());
        QCOMPARE(byVariable.exitCode, 0);
        QCOMPARE(byVariable.outLines().value(12), QStringLiteral("soglia 1 F2  distanza di danno =  80 m"));
        QVERIFY(byVariable.err.startsWith(drive->local(cli::kOutputFolder) + QStringLiteral("ZEFRO  run ")));

        const auto other = cli::driveWith(QStringLiteral("tiny"));
        const cli::Run byOption = cli::run(withRoot(*other, arguments.mid(0, 6)), drive->root());
        QCOMPARE(byOption.out, byVariable.out);
        QCOMPARE(cli::filesUnder(other->local(cli::kOutputFolder)), QStringList{".gitkeep"});
    }

    void filesWrittenOnlyOnSuccess_data()
    {
        QTest::addColumn<QStringList>("estimate");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("message"); // how standard error starts
        const QStringList metano{"--name", "Metano", "--hypothesis", "1", "--containment", "1", "--range", "1"};
        QTest::newRow("sound") << kAcetic << "" << 0 << "";
        QTest::newRow("range beyond the list") << (kAcetic.mid(0, 7) << "9") << "" << 2 << "zefro-estimate: --range 9";
        QTest::newRow("compressed gas in a bund") << metano << "" << 1 << kCompressedGasRefusal;
        QTest::newRow("point off the map") << kAcetic << "point off" << 2
            << "zefro-estimate: --point 4.5,1: il punto è fuori dalla mappa, che misura 4.00 x 3.00 cm";
        QTest::newRow("map not a bitmap") << kAcetic << "not a bitmap" << 1
            << "Il file \"piccola.bmp\" non è una mappa bitmap leggibile";
        QTest::newRow("map file missing") << kAcetic << "no map" << 1 << "Impossibile aprire il file mappa \"piccola.bmp\"";
        QTest::newRow("report folder missing") << kAcetic << "no output folder" << 1 << "Impossibile scrivere il file\n";
        QTest::newRow("map folder missing") << kAcetic << "no out folder" << 1 << "Impossibile salvare la mappa \"";
    }
    void filesWrittenOnlyOnSuccess()
    {
        QFETCH(QStringList, estimate);
        QFETCH(QString, damage);
        QFETCH(int, status);
        QFETCH(QString, message);
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        QTemporaryDir maps;
        const QString map = maps.filePath(QStringLiteral("piccola.bmp"));
        QVERIFY(writeMap(map));
        QString out = maps.filePath(QStringLiteral("con aree.bmp"));
        if (damage == QStringLiteral("not a bitmap"))
            QVERIFY(QFile::resize(map, 30));
        if (damage == QStringLiteral("no map"))
            QVERIFY(QFile::remove(map));
        if (damage == QStringLiteral("no output folder"))
            QVERIFY(QDir(drive->local(cli::kOutputFolder)).removeRecursively());
        if (damage == QStringLiteral("no out folder"))
            out = maps.filePath(QStringLiteral("manca/con aree.bmp"));
        const QStringList driveBefore = cli::filesUnder(drive->root());
        const QStringList mapsBefore = cli::filesUnder(maps.path());

        const QString point = damage == QStringLiteral("point off") ? QStringLiteral("4.5,1") : QStringLiteral("2,1.5");
        const cli::Run result = cli::run(withRoot(*drive, estimate + QStringList{"--report-file", "--json", "--map", map,
                                                                                 "--point", point, "--scale", "10000",
                                                                                 "--out", out}));
        QVERIFY(!result.crashed);
        QCOMPARE(result.exitCode, status);
        if (status == 0) {
            QVERIFY(QJsonDocument::fromJson(result.out.toUtf8()).isObject());
            QVERIFY(QImage(out).size() == QSize(400, 300));
            QCOMPARE(cli::filesUnder(drive->local(cli::kOutputFolder)).size(), 2);
            QVERIFY(QFile::exists(result.errLines().value(0)));
            return;
        }
        QVERIFY2(!result.err.isEmpty() && result.err.startsWith(message), qPrintable(result.err));
        QCOMPARE(result.out, QString());
        QCOMPARE(cli::filesUnder(drive->root()), driveBefore);
        QCOMPARE(cli::filesUnder(maps.path()), mapsBefore);
    }

    void circlesAtTheRadiusOfTheScale_data()
    {
        QTest::addColumn<int>("dotsPerMetre");              // of the map file, 0 = not stated
        QTest::addColumn<QStringList>("scale");             // --scale N or --segment ...
        QTest::addColumn<double>("pixelsPerMetreOnGround"); // radius in pixels of one metre of distance
        QTest::addColumn<QPoint>("centre");                 // the pixel of --point 2,1.5
        // 100 pixels per centimetre of the sheet; at 1:10000 one metre is 0.01 cm.
        QTest::newRow("scale 1:10000") << 10000 << QStringList{"--scale", "10000"} << 1.0 << QPoint(200, 150);
        // A segment of 5 cm for 250 m: 0.02 cm per metre, 2 pixels.
        QTest::newRow("segment 5 cm = 250 m") << 10000 << QStringList{"--segment", "0,0,3,4,250"} << 2.0 << QPoint(200, 150);
        // No resolution stated: 96 dpi, 37.8 pixels per centimetre.
        QTest::newRow("no resolution, scale 1:5000") << 0 << QStringList{"--scale", "5000"} << 0.02 * 3779.5276 / 100.0
                                                      << QPoint(75, 56);
    }
    void circlesAtTheRadiusOfTheScale()
    {
        QFETCH(int, dotsPerMetre);
        QFETCH(QStringList, scale);
        QFETCH(double, pixelsPerMetreOnGround);
        QFETCH(QPoint, centre);
        // The map and the output named as the system names files, through the drive root.
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        const QString mapPath = QStringLiteral("c:\\mappe\\piccola.bmp");
        const QString outPath = QStringLiteral("c:\\mappe\\con aree.bmp");
        QVERIFY(QDir().mkpath(drive->local(QStringLiteral("c:\\mappe"))));
        QVERIFY(writeMap(drive->local(mapPath), dotsPerMetre));

        const cli::Run result =
            cli::run(withRoot(*drive, kAcetic + QStringList{"--map", mapPath, "--point", "2,1.5", "--out", outPath} + scale));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QCOMPARE(result.outLines().size(), 16);

        const QImage drawn(drive->local(outPath), "BMP");
        QCOMPARE(drawn.size(), QSize(400, 300));
        QCOMPARE(drawn.dotsPerMeterX(), dotsPerMetre > 0 ? dotsPerMetre : 3780); // the sheet's drawing unit is kept
        QCOMPARE(drawn.pixel(centre), qRgb(255, 255, 255));                     // outlines, not discs

        // 60, 75, 85 and 110 m: the F2 colours, drawn last, are the ones that show.
        const QRgb colours[] = {qRgb(0, 255, 0), qRgb(255, 0, 255), qRgb(192, 192, 192), qRgb(64, 64, 64)};
        const double metres[] = {60, 75, 85, 110};
        int circlesSeen = 0;
        for (int i = 0; i < 4; ++i) {
            const double radius = metres[i] * pixelsPerMetreOnGround;
            for (const bool alongRow : {true, false}) {
                const int room = alongRow ? std::min(centre.x(), 399 - centre.x()) : std::min(centre.y(), 299 - centre.y());
                if (radius + 1 >= room)
                    continue; // the circle leaves the map on this axis
                const QList<int> offsets = offsetsWithColour(drawn, centre, alongRow, colours[i]);
                QVERIFY2(offsets.size() >= 2 && offsets.first() < 0 && offsets.last() > 0,
                         qPrintable(QStringLiteral("colour %1, radius %2").arg(i).arg(radius)));
                for (const int offset : offsets)
                    QVERIFY2(std::abs(std::abs(offset) - radius) <= 1.0,
                             qPrintable(QStringLiteral("colour %1: pixel at %2, radius %3").arg(i).arg(offset).arg(radius)));
                ++circlesSeen;
            }
        }
        QVERIFY(circlesSeen >= 4);
        // The map itself is untouched.
        const QImage original(drive->local(mapPath), "BMP");
        QCOMPARE(original.pixel(centre.x() + qRound(60 * pixelsPerMetreOnGround), centre.y()), qRgb(255, 255, 255));
    }
};

QTEST_MAIN(CliTest)
#include "test_cli.moc"
