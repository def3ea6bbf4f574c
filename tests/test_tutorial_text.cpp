#include "app/OpenDocument.h"
#include "app/SysInfo.h"
#include "app/TutorialWindowText.h"

#include <QMap>
#include <QtTest>

namespace {

// The usage text written out in full, blanks typed as they stand, in UTF-8.
const char kExpectedUsageText[] =
    "     \r\n"
    "Il programma attiva automaticamente le opzioni selezionabili secondo due sequenze logiche:\r\n"
    "     \r\n"
    "1) per tutte le sostanze infiammabili e/o tossiche:\r\n"
    "    - scegliere la sostanza o, in alternativa, il CAS;\r\n"
    "    - visionare le classi cui pu\xc3\xb2 appartenere la sostanza e scegliere quella desiderata;\r\n"
    "    - scegliere una delle ipotesi incidentali (ipotesi pi\xc3\xb9 probabile o ipotesi media);\r\n"
    "    - inserire la tipologia di detenzione (ad es.: stoccaggio, autobotte etc.);\r\n"
    "    - selezionare la quantit\xc3\xa0 stoccata oppure il diametro della condotta;\r\n"
    "    - lanciare il run del programma premendo il bottone in basso a sinistra: viene visualizzata"
    "          la maschera dei risultati;\r\n"
    "    - se desiderato effettuare il salvataggio su file\r\n"
    "    - se desiderato visualizzare i cerchi di danno sulla mappa da file immagine; \xc3\xa8 possibile"
    "                stampare la mappa \r\n"
    "     \r\n"
    "2) per le sostanze infiammabili \xc3\xa8 possibile anche selezionare direttamente una classe di interesse "
    "(ad esempio: 2.2 - gas infiammabili liquefatti per refrigerazione); successivamente procedere come "
    "indicato precedentemente a partire dalla scelta dell'ipotesi incidentale.\r\n"
    "     \r\n"
    "N.B.: in qualsiasi momento \xc3\xa8 possibile tornare alla finestra principale e, premendo il bottone RESET, "
    "effettuare il calcolo delle distanze di danno per un nuovo caso. ";

// A registry held in a map, keyed "key|value".
struct FakeRegistry
{
    QMap<QString, QString> values;
    mutable QStringList reads;

    RegistryValue operator()(RegistryRoot, const QString &key, const QString &value) const
    {
        reads << key + QLatin1Char('|') + value;
        const auto found = values.constFind(key + QLatin1Char('|') + value);
        if (found == values.constEnd())
            return {};
        return {true, found.value()};
    }
};

} // namespace

class TutorialTextTest : public QObject
{
    Q_OBJECT

private slots:
    void usageTextByteForByte()
    {
        const QByteArray actual = tutorialUsageText().toUtf8();
        const QByteArray expected(kExpectedUsageText);
        // Find the first difference, so a failure says where.
        qsizetype at = 0;
        while (at < actual.size() && at < expected.size() && actual.at(at) == expected.at(at))
            ++at;
        if (at != actual.size() || at != expected.size())
            QFAIL(qPrintable(QStringLiteral("differs at byte %1: ...%2... against ...%3...")
                                 .arg(at)
                                 .arg(QString::fromUtf8(actual.mid(qMax<qsizetype>(0, at - 20), 40)))
                                 .arg(QString::fromUtf8(expected.mid(qMax<qsizetype>(0, at - 20), 40)))));
        QCOMPARE(actual, expected);
    }

    void commandLineIsReaderBlankDocument_data()
    {
        QTest::addColumn<QString>("reader");
        QTest::addColumn<QString>("document");
        QTest::addColumn<QString>("expected");
        QTest::newRow("initial values")
            << "C:\\Programmi\\Adobe\\Acrobat 5.0\\Reader\\AcroRd32.exe" << "c:\\zefro\\ms_hlp.pdf"
            << "C:\\Programmi\\Adobe\\Acrobat 5.0\\Reader\\AcroRd32.exe c:\\zefro\\ms_hlp.pdf";
        QTest::newRow("blanks not quoted") << "xdg-open" << "c:\\zefro\\manuale utente.pdf"
                                           << "xdg-open c:\\zefro\\manuale utente.pdf";
        QTest::newRow("empty reader") << "" << "c:\\zefro\\ms_hlp6.pdf" << " c:\\zefro\\ms_hlp6.pdf";
        QTest::newRow("empty document") << "xdg-open" << "" << "xdg-open ";
    }
    void commandLineIsReaderBlankDocument()
    {
        QFETCH(QString, reader);
        QFETCH(QString, document);
        QFETCH(QString, expected);
        QCOMPARE(documentCommandLine(reader, document), expected);
    }

    void sysInfoProgramSearch_data()
    {
        QTest::addColumn<QStringList>("registry"); // "key|value=data" entries
        QTest::addColumn<QStringList>("existingFiles");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("expected");

        const QString pathEntry = kSysInfoKey + QStringLiteral("|PATH=");
        const QString locationEntry = kSysInfoLocationKey + QStringLiteral("|MSINFO=");
        QTest::newRow("registry path wins")
            << QStringList{pathEntry + "C:\\Tools\\msinfo32.exe", locationEntry + "C:\\Shared"}
            << QStringList{} << QStringList{"hardinfo"} << "C:\\Tools\\msinfo32.exe";
        QTest::newRow("tools folder with the program")
            << QStringList{locationEntry + "C:\\Shared\\MSInfo"} << QStringList{"C:\\Shared\\MSInfo\\MSINFO32.EXE"}
            << QStringList{} << "C:\\Shared\\MSInfo\\MSINFO32.EXE";
        QTest::newRow("tools folder without the program falls through")
            << QStringList{locationEntry + "C:\\Shared\\MSInfo"} << QStringList{} << QStringList{"ksysguard"}
            << "/usr/bin/ksysguard";
        QTest::newRow("empty registry path is no program")
            << QStringList{pathEntry} << QStringList{} << QStringList{} << "";
        QTest::newRow("first desktop program in order")
            << QStringList{} << QStringList{} << QStringList{"xfce4-taskmanager", "gnome-system-monitor"}
            << "/usr/bin/gnome-system-monitor";
        QTest::newRow("nothing anywhere") << QStringList{} << QStringList{} << QStringList{} << "";
    }
    void sysInfoProgramSearch()
    {
        QFETCH(QStringList, registry);
        QFETCH(QStringList, existingFiles);
        QFETCH(QStringList, onPath);
        QFETCH(QString, expected);

        FakeRegistry fake;
        for (const QString &entry : registry) {
            const qsizetype equals = entry.indexOf(QLatin1Char('='));
            fake.values.insert(entry.left(equals), entry.mid(equals + 1));
        }
        SysInfoEnvironment environment;
        environment.readRegistry = std::ref(fake);
        environment.fileExists = [&](const QString &path) { return existingFiles.contains(path); };
        environment.findExecutable = [&](const QString &name) {
            return onPath.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
        environment.desktopPrograms = knownSysInfoPrograms();
        QCOMPARE(findSysInfoProgram(environment), expected);
    }

    void registryIsAskedInOrder()
    {
        FakeRegistry fake;
        SysInfoEnvironment environment;
        environment.readRegistry = std::ref(fake);
        (void)findSysInfoProgram(environment);
        QCOMPARE(fake.reads, QStringList({"SOFTWARE\\Microsoft\\Shared Tools\\MSINFO|PATH",
                                          "SOFTWARE\\Microsoft\\Shared Tools Location|MSINFO"}));
    }

#ifndef Q_OS_WIN
    void noRegistryHere()
    {
        const RegistryValue value = GetKeyValue(RegistryRoot::LocalMachine, kSysInfoKey, kSysInfoValue);
        QVERIFY(!value.found);
        QVERIFY(value.value.isEmpty());
    }
#endif
};

QTEST_GUILESS_MAIN(TutorialTextTest)
#include "test_tutorial_text.moc"
