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

} // namespace

class TutorialTextTest : public QObject
{
    Q_OBJECT

private slots:
    void usageTextByteForByte()
    {
        // Line by line, so a failure names the line; joined again, the lines are the whole text.
        QCOMPARE(tutorialUsageText().split(QStringLiteral("\r\n")),
                 QString::fromUtf8(kExpectedUsageText).split(QStringLiteral("\r\n")));
    }

    void sysInfoProgramSearch_data()
    {
        QTest::addColumn<QStringList>("registry"); // "key|value=data"
        QTest::addColumn<QStringList>("existingFiles");
        QTest::addColumn<QStringList>("onPath");
        QTest::addColumn<QString>("expected");
        const QString path = kSysInfoKey + QStringLiteral("|PATH=");
        const QString location = kSysInfoLocationKey + QStringLiteral("|MSINFO=");
        QTest::newRow("registry path wins")
            << QStringList{path + "C:\\Tools\\msinfo32.exe", location + "C:\\Shared"} << QStringList{}
            << QStringList{"hardinfo"} << "C:\\Tools\\msinfo32.exe";
        QTest::newRow("tools folder with the program")
            << QStringList{location + "C:\\Shared\\MSInfo"} << QStringList{"C:\\Shared\\MSInfo\\MSINFO32.EXE"}
            << QStringList{} << "C:\\Shared\\MSInfo\\MSINFO32.EXE";
        QTest::newRow("tools folder without the program falls through")
            << QStringList{location + "C:\\Shared\\MSInfo"} << QStringList{} << QStringList{"ksysguard"}
            << "/usr/bin/ksysguard";
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
        QMap<QString, QString> values;
        for (const QString &entry : registry)
            values.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
        SysInfoEnvironment environment;
        environment.readRegistry = [&](RegistryRoot, const QString &key, const QString &value) {
            const auto found = values.constFind(key + QLatin1Char('|') + value);
            return found == values.constEnd() ? RegistryValue{} : RegistryValue{true, *found};
        };
        environment.fileExists = [&](const QString &file) { return existingFiles.contains(file); };
        environment.findExecutable = [&](const QString &name) {
            return onPath.contains(name) ? QStringLiteral("/usr/bin/") + name : QString();
        };
        environment.desktopPrograms = knownSysInfoPrograms();
        QCOMPARE(findSysInfoProgram(environment), expected);
    }
};

QTEST_GUILESS_MAIN(TutorialTextTest)
#include "test_tutorial_text.moc"
