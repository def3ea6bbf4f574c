#include "catalogue/CasNumber.h"
#include "catalogue/CatalogueErrors.h"
#include "catalogue/DataFolderSeal.h"
#include "catalogue/SealedWorkbookOpener.h"
#include "support/ErrorWording.h"
#include "support/EstimateWorkbooks.h"
#include "support/TestDrive.h"

#include <QtTest>

class CatalogueTest : public QObject
{
    Q_OBJECT

private slots:
    void catalogueWordsItsKinds()
    {
        QCOMPARE(wording::unworded(catalogueError, {{Error::Kind::DataNotAsSealed, wording::kFileHere},
                                                    {Error::Kind::BadCasNumber, wording::kFileHere}}),
                 QString());
    }

    // The bundled data ship sealed. A workbook is judged by the very bytes that are parsed: one edited
    // in place, its size and modification time kept, is refused when it is opened, and from then on
    // every workbook of the folder is. Without the seal nothing is checked, and the windows say so.
    void sealedWorkbooks()
    {
        const TestDrive drive;
        const DrivePaths drives(drive.root());
        const QString table = kDataFolder + "513.xls";
        QCOMPARE(dataFolderSealLine(dataFolderSeal(drives)),
                 "Tabelle di dati sigillate il " + dataFolderSeal(drives).value()->sealedAt.toString("dd/MM/yyyy HH:mm")
                     + " (36 tabelle)");
        const SealedWorkbookOpener opener(drives);
        QVERIFY(opener.open(table).ok() && opener.open(kDataFolder + "111.xls").ok());

        QByteArray bytes = drive.readFile(table);
        QVERIFY(bytes.contains("questo file")); // a note any reader takes as it is
        bytes.replace("questo file", "questo filo");
        const QDateTime modified = QFileInfo(drive.local(table)).lastModified();
        drive.writeFile(table, bytes);
        QFile file(drive.local(table));
        QVERIFY(file.open(QIODevice::ReadWrite) && file.setFileTime(modified, QFileDevice::FileModificationTime));
        file.close();
        for (const QString &opened : {table, kDataFolder + "111.xls"}) {
            const Outcome<WorkbookHandle> refused = opener.open(opened);
            QVERIFY(!refused.ok());
            QCOMPARE(QStringList({refused.error().file, refused.error().detail}),
                     QStringList({table, "modificato dopo il sigillo"}));
        }
        // Every breach of the folder is named at once, and the opener says where the files are.
        QVERIFY(QFile::remove(drive.local(kDataFolder + "516.xls")));
        const Error both = opener.open(table).error();
        QCOMPARE(both.detail, "modificato dopo il sigillo; inoltre 516.xls: sigillato ma mancante");
        QVERIFY(opener.located(both).message().contains("(su questo computer: " + drive.local(table) + ")"));

        QVERIFY(QFile::remove(drives.toLocal(kDataFolder + "sigillo.txt")));
        QVERIFY(SealedWorkbookOpener(drives).open(table).ok());
        QCOMPARE(dataFolderSealLine(dataFolderSeal(drives)),
                 "Tabelle di dati non sigillate: nessun controllo che siano quelle approvate");
    }

    void substances()
    {
        const auto &rows = Catalogue::substances();
        QCOMPARE(rows.size(), std::size_t(253));
        QCOMPARE(rows.front(), (Substance{"Acetaldeide", "75-07-0"}));
        QCOMPARE(rows.at(192), (Substance{"Metil-terz-butil etere", "1634-04-4"}));
        QCOMPARE(rows.back(), (Substance{"Zolfo cloruro", "10025-67-9"}));
        QVERIFY(Catalogue::findByName("Acetilene") == Substance({"Acetilene", "74-86-2"})
                && Catalogue::findByCas("10025-67-9") == rows.back());
        for (const QString text :
             {"Acetilene ", "acetilene", " 74-86-2", "74-86-2 ", "127-19-5", ""}) // neither a name nor a CAS number
            QVERIFY2(!Catalogue::findByName(text) && !Catalogue::findByCas(text), qPrintable(text));
    }

    void quickPick()
    {
        const QStringList cas = Catalogue::quickPickCas(classOf("1_1_1"));
        const std::vector<Substance> picked = Catalogue::quickPickSubstances(classOf("1_1_1"));
        QCOMPARE(QStringList({QString::number(cas.size()), cas.first(), cas.last()}),
                 QStringList({"70", "64-19-7", "106-42-3"}));
        // 127-19-5 has no catalogue row; the names come in catalogue order.
        QCOMPARE(QStringList({QString::number(picked.size()), picked.front().name, picked.back().name}),
                 QStringList({"69", "Acido acetico", "Xilene(p-)"}));
        auto previous = Catalogue::substances().begin();
        for (const Substance &substance : picked) {
            previous = std::find(previous, Catalogue::substances().end(), substance);
            QVERIFY2(previous != Catalogue::substances().end() && cas.contains(substance.cas),
                     qPrintable(substance.name));
        }
        QVERIFY(Catalogue::quickPickCas(classOf("2_2")).size() == 36
                && Catalogue::quickPickSubstances(classOf("2_2")).size() == 36);
        QVERIFY(Catalogue::quickPickCas(classOf("51")).isEmpty()
                && Catalogue::quickPickSubstances(classOf("51")).empty());
    }

    void lookup_data()
    {
        QTest::addColumn<QString>("rows"); // "class:row[:zone]": the table rows holding `cell`
        QTest::addColumn<CellValue>("cell");
        QTest::addColumn<QString>("searched"); // "-": a quick pick, which names no substance
        QTest::addColumn<QString>("found"); // the class of each row found, with the zone index of a toxic one
        const CellValue cas = CellValue::text("50-00-0");
        QTest::newRow("table order, a class twice") << "52:9:14 2_1_2:2 51:5:2 1_2:23 51:25:7" << cas << "50-00-0"
                                                    << "1_2 2_1_2 51:2 51:7 52:14";
        QTest::newRow("first and last searched rows")
            << "1_1_1:1 1_1_1:80 1_1_2:72 1_2:23 2_1_1:12 2_1_2:20 2_2:36 2_3:37 4:4:1 4:75:2 51:25:3 52:28:4 53:4:5 "
               "53:28:6"
            << cas << "50-00-0"
            << "1_1_1 1_1_1 1_1_2 1_2 2_1_1 2_1_2 2_2 2_3 4:1 4:2 51:3 52:4 53:5 53:6";
        QTest::newRow("rows outside the searched ones")
            << "1_1_1:81 1_1_2:73 1_2:24 2_1_1:13 2_1_2:21 2_2:37 2_3:38 4:3 4:76 51:26 52:29 53:3 53:29" << cas
            << "50-00-0"
            << "";
        QTest::newRow("blank more in the cell") << "1_1_2:10 53:10" << CellValue::text("50-00-0 ") << "50-00-0"
                                                << "";
        QTest::newRow("CAS held as a number") << "1_1_2:10 53:10" << CellValue::number(50000) << "50000"
                                              << "";
        QTest::newRow("empty CAS, empty cells") << "1_1_2:10 53:10" << CellValue() << ""
                                                << "";
        QTest::newRow("quick pick, cell \"CAS\"") << "1_1_2:10 53:10" << CellValue::text("CAS") << "-"
                                                  << "";
    }
    void lookup()
    {
        QFETCH(QString, rows);
        QFETCH(CellValue, cell);
        QFETCH(QString, searched);
        QFETCH(QString, found);
        EstimateWorkbooks data;
        for (const QString &row : rows.split(QLatin1Char(' '))) {
            const QStringList parts = row.split(QLatin1Char(':'));
            data.put(parts[0], parts[1].toInt(), parts.value(2, QStringLiteral("1")).toInt(), cell);
        }
        QList<int> progress; // each number given before its table is opened
        const auto lookup = lookUpSubstanceClasses(
            data.opener, searched == "-" ? std::nullopt : std::optional(Substance{"Formaldeide", searched}),
            [&](int table) { progress << table - int(data.opener.opened().size()); });
        QStringList classes;
        for (const ClassMatch &match : lookup.value().matches)
            classes << match.hazard->listCode
                    + (match.hazard->isToxic() ? QStringLiteral(":%1").arg(match.zone.toNumber()) : QString());
        QCOMPARE(classes.join(QLatin1Char(' ')), found);
        QCOMPARE(progress, QList<int>(11, 1));
        for (const HazardClass &hazard : hazardClasses()) // in table order
            QCOMPARE(data.opener.opened().at(int(hazard.index())), kDataFolder + hazard.workbookFile);
        QCOMPARE(data.totalReads(),
                 280 + 2 * 144); // each CAS cell of the flammable tables, CAS and zone of the toxic ones
    }

    // A CAS number's check digit: every catalogue number passes, a digit typed wrong or two swapped do
    // not; a text that is no CAS number is not judged. In a table, a mistyped one stops the lookup of a
    // substance, naming its cell; a quick pick looks for none.
    void mistypedCasNumbers()
    {
        for (const Substance &substance : Catalogue::substances())
            QVERIFY2(!isMistypedCasNumber(substance.cas), qPrintable(substance.cas));
        for (const QString text : {"7664-41-8", "7664-14-7", "6764-41-7", "1234567-89-4", "10-00-0"})
            QVERIFY2(isMistypedCasNumber(text), qPrintable(text));
        for (const QString text : {"1234567-89-5", "n.d.", "", "7664-41-8 ", "7-41-8", "12345678-41-8", "7664-418",
                                   "7664--41-8", "7664-4a-8", "\u0667\u0666\u0666\u0664-41-8"})
            QVERIFY2(!isMistypedCasNumber(text), qPrintable(text));
        EstimateWorkbooks data;
        data.put("52", 28, 1, "7664-41-8");
        data.put("52", 29, 1, "7664-41-9"); // below the searched rows
        const Error error = lookUpSubstanceClasses(data.opener, kTestSubstance).error();
        QCOMPARE(int(error.kind), int(Error::Kind::BadCasNumber));
        QCOMPARE(whereOf(error), kDataFolder + classOf("52").workbookFile + "|1|C28|7664-41-8");
        QVERIFY(lookUpSubstanceClasses(data.opener, std::nullopt).ok());
    }

    void failureStopsTheLookup()
    {
        EstimateWorkbooks data;
        data.opener.add(kDataFolder + classOf("51").workbookFile, 0); // no worksheet to search
        int last = 0;
        const auto lookup = lookUpSubstanceClasses(data.opener, kTestSubstance, [&](int table) { last = table; });
        QCOMPARE(lookup.error().kind, Error::Kind::NoSuchSheet);
        QCOMPARE(whereOf(lookup.error()), kDataFolder + classOf("51").workbookFile + "|1|C4|");
        QCOMPARE(last, 9);
    }
};

QTEST_MAIN(CatalogueTest)
#include "test_catalogue.moc"
