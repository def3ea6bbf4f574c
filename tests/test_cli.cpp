// zefro-estimate run as a program: its usage errors, its data and file errors with the windows'
// messages, the JSON object against the report text, the class list, the default drive root, and
// that a failed run leaves every file as it was.
#include "app/Configuration.h"
#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "catalogue/HazardClass.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/NumberText.h"
#include "estimate/XlsWorkbookOpener.h"
#include "test_cli_process.h"

#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

namespace {

const QString kHint = QStringLiteral("Uso: zefro-estimate [--drive-root DIR] (--name NOME | --cas CAS | --quick-pick CODICE) "
                                     "--hypothesis 1|2 --containment 1..5 [--range N] [...]; "
                                     "zefro-estimate --help per tutte le opzioni");

QString entryOf(const QString &code)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == code)
            return hazard.listEntry;
    }
    return {};
}

QStringList withRoot(const TestDrive &drive, const QStringList &arguments)
{
    return QStringList{QStringLiteral("--drive-root"), drive.root()} + arguments;
}

// A small white map of 400 x 300 pixels at 100 pixels per centimetre of the sheet.
QString writeMap(const QString &folder)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(Qt::white);
    image.setDotsPerMeterX(10000);
    image.setDotsPerMeterY(10000);
    const QString path = folder + QStringLiteral("/piccola.bmp");
    return image.save(path, "BMP") ? path : QString();
}

} // namespace

class CliTest : public QObject
{
    Q_OBJECT

private slots:
    void usageErrors_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("message"); // the first line of standard error, after "zefro-estimate: "

        const QStringList acetic{"--name", "Acido acetico", "--hypothesis", "1"};
        const QStringList storage{"--name", "Cloro", "--hypothesis", "1", "--containment", "1", "--range", "1"};
        QTest::newRow("no substance") << QStringList{"--hypothesis", "1", "--containment", "3"}
            << "indicare la sostanza con una sola fra --name, --cas e --quick-pick";
        QTest::newRow("unknown option") << (storage + QStringList{"--colour", "red"}) << "opzione sconosciuta: colour";
        QTest::newRow("value missing") << QStringList{"--name"} << "argomenti non validi (Missing value after '--name'.)";
        QTest::newRow("stray argument") << (storage + QStringList{"Cloro"}) << "argomento inatteso: Cloro";
        QTest::newRow("hypothesis twice") << (storage + QStringList{"--hypothesis", "2"})
            << "l'opzione --hypothesis è data più di una volta";
        QTest::newRow("switch twice") << (storage + QStringList{"--json", "--json"})
            << "l'opzione --json è data più di una volta";
        QTest::newRow("hypothesis 3") << QStringList{"--name", "Cloro", "--hypothesis", "3", "--containment", "3"}
            << "--hypothesis 3: vale 1 o 2";
        QTest::newRow("no hypothesis") << QStringList{"--name", "Cloro", "--containment", "3"} << "manca --hypothesis 1|2";
        QTest::newRow("containment 6") << (acetic + QStringList{"--containment", "6"}) << "--containment 6: vale da 1 a 5";
        QTest::newRow("no containment") << acetic << "manca --containment 1..5";
        QTest::newRow("no range for a store") << (acetic + QStringList{"--containment", "2"})
            << "manca --range N: la tipologia 2 chiede la quantità";
        QTest::newRow("no range for a pipeline") << (acetic + QStringList{"--containment", "5"})
            << "manca --range N: la tipologia 5 chiede il diametro della condotta";
        QTest::newRow("range for a tanker") << (acetic + QStringList{"--containment", "3", "--range", "1"})
            << "--range non si usa con --containment 3: autobotti e navi non chiedono la quantità";
        QTest::newRow("range 0") << (acetic + QStringList{"--containment", "1", "--range", "0"})
            << "--range 0: un numero intero da 1 in su";
        QTest::newRow("range not a number") << (acetic + QStringList{"--containment", "1", "--range", "2a"})
            << "--range 2a: un numero intero da 1 in su";
        QTest::newRow("unknown class code") << (storage + QStringList{"--class", "5"})
            << "--class 5: codice sconosciuto (codici: 1_1_1 1_1_2 1_2 2_1_1 2_1_2 2_2 2_3 4 51 52 53)";
        QTest::newRow("class with a quick pick") << QStringList{"--quick-pick", "2_2", "--class", "2_2"}
            << "--class non si usa con --quick-pick: la classe è quella scelta";
        QTest::newRow("unknown quick pick") << QStringList{"--quick-pick", "4", "--hypothesis", "1", "--containment", "3"}
            << "--quick-pick 4: codice sconosciuto (codici: 1_1_1 1_1_2 1_2 2_1_1 2_1_2 2_2 2_3)";
        QTest::newRow("classes of a quick pick") << QStringList{"--classes", "--quick-pick", "2_2"}
            << "--classes vuole --name o --cas";
        QTest::newRow("classes with an estimate option") << QStringList{"--classes", "--name", "Cloro", "--hypothesis", "1"}
            << "--classes non si combina con --hypothesis";
        QTest::newRow("map without point") << (storage + QStringList{"--map", "m.bmp", "--scale", "5000", "--out", "o.bmp"})
            << "per disegnare su una mappa servono --map, --point e --out (manca --point)";
        QTest::newRow("map without scale") << (storage + QStringList{"--map", "m.bmp", "--point", "1,2", "--out", "o.bmp"})
            << "per disegnare su una mappa serve una fra --scale e --segment";
        QTest::newRow("point not two numbers")
            << (storage + QStringList{"--map", "m.bmp", "--point", "1;2", "--out", "o.bmp", "--scale", "5000"})
            << "--point 1;2: scrivere X,Y (numeri, punto decimale)";
        QTest::newRow("scale 0")
            << (storage + QStringList{"--map", "m.bmp", "--point", "1,2", "--out", "o.bmp", "--scale", "0"})
            << "--scale 0: il denominatore N di 1:N, maggiore di 0";
        QTest::newRow("segment of 0 m")
            << (storage + QStringList{"--map", "m.bmp", "--point", "1,2", "--out", "o.bmp", "--segment", "0,0,1,1,0"})
            << "--segment: la lunghezza reale in metri deve essere maggiore di 0";
        QTest::newRow("segment of no length")
            << (storage + QStringList{"--map", "m.bmp", "--point", "1,2", "--out", "o.bmp", "--segment", "2,3,2,3,50"})
            << "--segment: il segmento ha lunghezza nulla";
        // These need the catalogue and the tables of the drive.
        QTest::newRow("name not in the catalogue") << QStringList{"--name", "cloro", "--hypothesis", "1", "--containment", "3"}
            << "la sostanza \"cloro\" non è nel catalogo (il nome va scritto come nell'elenco dei nomi, maiuscole e "
               "spazi compresi)";
        QTest::newRow("CAS not in the catalogue")
            << QStringList{"--cas", "7782-50-5 ", "--hypothesis", "1", "--containment", "3"}
            << "il CAS \"7782-50-5 \" non è nel catalogo";
        QTest::newRow("several classes, none chosen")
            << QStringList{"--name", "Ammoniaca", "--hypothesis", "1", "--containment", "3"}
            << "la sostanza appartiene a più classi: indicare --class fra 2_1_2, 2_3, 51";
        QTest::newRow("class not found") << (acetic + QStringList{"--class", "4", "--containment", "3"})
            << "--class 4: la sostanza non è stata trovata in questa classe (classi trovate: 1_1_1)";
        QTest::newRow("quantity beyond the list") << (acetic + QStringList{"--containment", "2", "--range", "4"})
            << "--range 4: l'elenco delle quantità offre 3 voci: 1 = \" 0 -  10\"; 2 = \" 10 -  50\"; 3 = \" 50 -  200\"";
        QTest::newRow("diameter beyond the list") << (acetic + QStringList{"--containment", "5", "--range", "5"})
            << "--range 5: l'elenco dei diametri offre 4 voci: 1 = \" 0 -  2\"; 2 = \" 2 -  6\"; 3 = \" 6 -  12\"; "
               "4 = \" 12 -  24\"";
    }

    void usageErrors()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, message);
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        const QStringList before = cli::filesUnder(drive->root());

        const cli::Run result = cli::run(withRoot(*drive, arguments));
        QVERIFY(!result.crashed);
        QCOMPARE(result.exitCode, 2);
        QCOMPARE(result.errLines(), QStringList({QStringLiteral("zefro-estimate: ") + message, kHint}));
        QCOMPARE(result.out, QString());
        QCOMPARE(cli::filesUnder(drive->root()), before);
    }

    void helpGoesToStandardOutput()
    {
        const cli::Run result = cli::run({QStringLiteral("--help")});
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QVERIFY(result.out.startsWith(QStringLiteral("Uso:\n  zefro-estimate [--drive-root DIR]")));
        for (const char *option : {"--name", "--cas", "--quick-pick", "--class", "--hypothesis", "--containment",
                                   "--range", "--json", "--report-file", "--map", "--point", "--scale", "--segment",
                                   "--out", "--classes"})
            QVERIFY2(result.out.contains(QLatin1String(option) + QLatin1Char(' ')), option);
    }

    void dataErrorsGiveTheWindowsMessages_data()
    {
        QTest::addColumn<QString>("damage");      // what is wrong with the tiny drive
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

        QTest::newRow("flammable liquid, no bund")
            << QStringList{"--name", "Acido acetico", "--hypothesis", "1", "--containment", "2", "--range", "2"} << "1_1_1"
            << QJsonValue(QStringLiteral(" 10 -  50"));
        QTest::newRow("toxic gas, fallback marks")
            << QStringList{"--name", "Cloro", "--hypothesis", "1", "--containment", "1", "--range", "2"} << "51"
            << QJsonValue(QStringLiteral(" 10 -  50"));
        QTest::newRow("toxic gas, tanker")
            << QStringList{"--cas", "7664-41-7", "--class", "51", "--hypothesis", "2", "--containment", "3"} << "51"
            << QJsonValue(QJsonValue::Null);
        QTest::newRow("quick pick, flash fire with thresholds not applicable")
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
        const auto drive = cli::driveWith(QStringLiteral("tiny"));

        const cli::Run text = cli::run(withRoot(*drive, arguments));
        const cli::Run json = cli::run(withRoot(*drive, arguments + QStringList{"--json"}));
        QCOMPARE(text.exitCode, 0);
        QCOMPARE(json.exitCode, 0);
        QCOMPARE(json.err, QString());
        const QStringList lines = text.outLines();
        QCOMPARE(lines.size(), 16);

        QJsonParseError error;
        const QJsonDocument document = QJsonDocument::fromJson(json.out.toUtf8(), &error);
        QCOMPARE(error.error, QJsonParseError::NoError);
        QVERIFY(document.isObject());
        const QJsonObject object = document.object();
        const bool toxic = object.value(QStringLiteral("toxic")).toBool();
        QCOMPARE(toxic, classCode == QStringLiteral("51"));

        QCOMPARE(QStringLiteral("Sostanza prescelta: ") + object.value(QStringLiteral("substance")).toString(), lines[0]);
        QCOMPARE(QStringLiteral("#CAS: ") + object.value(QStringLiteral("cas")).toString(), lines[1]);
        QCOMPARE(object.value(QStringLiteral("class")).toString(), classCode);
        if (!arguments.contains(QStringLiteral("--quick-pick")))
            QCOMPARE(object.value(QStringLiteral("classEntry")).toString(), entryOf(classCode));
        const QString label = object.value(QStringLiteral("classLabel")).toString();
        QVERIFY(!label.isEmpty());
        QCOMPARE(lines[2], QStringLiteral("Classe: ") + (toxic ? QString() : label));
        QCOMPARE(QStringLiteral("Tipologia di detenzione: ") + object.value(QStringLiteral("containment")).toString(), lines[3]);
        QCOMPARE(object.value(QStringLiteral("hypothesis")).toString(), lines[4]);
        QCOMPARE(QStringLiteral("Range di quantità  [t]: ") + object.value(QStringLiteral("quantity")).toString(), lines[5]);
        QCOMPARE(QStringLiteral("Diametro condotta [in]: ") + object.value(QStringLiteral("diameter")).toString(), lines[6]);
        QCOMPARE(object.value(QStringLiteral("range")), range);
        if (range.isString())
            QVERIFY(lines[5].endsWith(range.toString()) || lines[6].endsWith(range.toString()));
        const QString scenario = object.value(QStringLiteral("scenario")).toString();
        QVERIFY(!scenario.isEmpty());
        QVERIFY(lines[7].startsWith(QStringLiteral("Scenario incidentale: ")));
        QCOMPARE(lines[7].mid(22).trimmed(), scenario);

        const QJsonArray distances = object.value(QStringLiteral("distances")).toArray();
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
                QVERIFY(distance.isNull());
                QVERIFY(!greaterThan);
            } else {
                QVERIFY(distance.isDouble());
                QCOMPARE(textShown, SignedNumberText(distance.toDouble()) + (greaterThan ? QStringLiteral(" >") : QString())
                                        + QStringLiteral(" m"));
            }
            const QJsonValue subclass = entry.value(QStringLiteral("subclass"));
            if (toxic && threshold % 2 == 1) {
                QVERIFY(subclass.isString());
                QVERIFY(line.startsWith(QStringLiteral("soglia %1 %2 classe %3").arg(threshold).arg(weather, subclass.toString())));
            } else {
                QVERIFY(subclass.isNull());
            }
        }
    }

    void classListInListOrder_data()
    {
        QTest::addColumn<QStringList>("substance");
        QTest::addColumn<QStringList>("codes");
        QTest::newRow("ammonia by name") << QStringList{"--name", "Ammoniaca"} << QStringList{"2_1_2", "2_3", "51"};
        QTest::newRow("ammonia by CAS") << QStringList{"--cas", "7664-41-7"} << QStringList{"2_1_2", "2_3", "51"};
        QTest::newRow("acrylonitrile") << QStringList{"--name", "Acrilonitrile"} << QStringList{"4"};
        QTest::newRow("in no table") << QStringList{"--name", "Acetone"} << QStringList{};
    }

    void classListInListOrder()
    {
        QFETCH(QStringList, substance);
        QFETCH(QStringList, codes);
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        const cli::Run result = cli::run(withRoot(*drive, QStringList{"--classes"} + substance));
        QCOMPARE(result.exitCode, 0);
        QCOMPARE(result.err, QString());
        QStringList entries;
        for (const QString &code : codes)
            entries << entryOf(code);
        QCOMPARE(result.outLines(), entries);
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

    void nothingIsWrittenOnFailure_data()
    {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QString>("damage");
        QTest::addColumn<int>("status");

        const QStringList acetic{"--name", "Acido acetico", "--hypothesis", "1", "--containment", "2", "--range", "2"};
        QTest::newRow("range beyond the list")
            << QStringList{"--name", "Acido acetico", "--hypothesis", "1", "--containment", "2", "--range", "9"} << "" << 2;
        QTest::newRow("compressed gas in a bund")
            << QStringList{"--name", "Metano", "--hypothesis", "1", "--containment", "1", "--range", "1"} << "" << 1;
        QTest::newRow("point off the map") << acetic << "point off" << 2;
        QTest::newRow("map file missing") << acetic << "no map" << 1;
        QTest::newRow("report folder missing") << acetic << "no output folder" << 1;
        QTest::newRow("map folder missing") << acetic << "no out folder" << 1;
    }

    void nothingIsWrittenOnFailure()
    {
        QFETCH(QStringList, arguments);
        QFETCH(QString, damage);
        QFETCH(int, status);
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        QTemporaryDir maps;
        const QString map = writeMap(maps.path());
        QVERIFY(!map.isEmpty());
        QString out = maps.path() + QStringLiteral("/con aree.bmp");
        QString point = QStringLiteral("2,1.5");
        if (damage == QStringLiteral("point off"))
            point = QStringLiteral("4.5,1");
        if (damage == QStringLiteral("no map"))
            QVERIFY(QFile::remove(map));
        if (damage == QStringLiteral("no output folder"))
            QVERIFY(QDir(drive->local(cli::kOutputFolder)).removeRecursively());
        if (damage == QStringLiteral("no out folder"))
            out = maps.path() + QStringLiteral("/manca/con aree.bmp");
        const QStringList driveBefore = cli::filesUnder(drive->root());
        const QStringList mapsBefore = cli::filesUnder(maps.path());

        const cli::Run result = cli::run(withRoot(*drive, arguments + QStringList{"--report-file", "--json", "--map", map,
                                                                                  "--point", point, "--scale", "10000",
                                                                                  "--out", out}));
        QVERIFY(!result.crashed);
        QCOMPARE(result.exitCode, status);
        QVERIFY(!result.err.isEmpty());
        QCOMPARE(result.out, QString());
        QCOMPARE(cli::filesUnder(drive->root()), driveBefore);
        QCOMPARE(cli::filesUnder(maps.path()), mapsBefore);
    }

    void successWritesBothFiles()
    {
        // The counterpart of the test above: the same command on a sound drive writes both.
        const auto drive = cli::driveWith(QStringLiteral("tiny"));
        QTemporaryDir maps;
        const QString map = writeMap(maps.path());
        const QString out = maps.path() + QStringLiteral("/con aree.bmp");
        const cli::Run result = cli::run(withRoot(
            *drive, {"--name", "Acido acetico", "--hypothesis", "1", "--containment", "2", "--range", "2", "--report-file",
                     "--map", map, "--point", "2,1.5", "--scale", "10000", "--out", out}));
        QCOMPARE(result.exitCode, 0);
        QVERIFY(QFile::exists(out));
        QCOMPARE(cli::filesUnder(drive->local(cli::kOutputFolder)).size(), 2);
        QVERIFY(QFile::exists(result.errLines().value(0)));
    }
};

QTEST_MAIN(CliTest)
#include "test_cli.moc"
