#include "app/Configuration.h"
#include "platform/DrivePaths.h"
#include "support/TestDrive.h"

#include <QDir>
#include <QtTest>

namespace {

const QString kConfig = Configuration::filePath();

} // namespace

class ConfigurationTest : public QObject
{
    Q_OBJECT

private slots:
    void aLineIsOneEntry_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<QString>("entry");
        QTest::newRow("comma kept") << "c:\\dati\\manuale, parte 1.pdf" << "c:\\dati\\manuale, parte 1.pdf";
        QTest::newRow("blanks kept") << "   c:\\zefro\\ " << "   c:\\zefro\\ ";
        QTest::newRow("accents") << "c:\\documenti\\perché è così.pdf" << "c:\\documenti\\perché è così.pdf";
        QTest::newRow("quoted line with comma") << "\"c:\\a b,c.pdf\"" << "c:\\a b,c.pdf";
        QTest::newRow("quote at one end only") << "\"c:\\a.pdf" << "\"c:\\a.pdf";
        QTest::newRow("lone quote") << "\"" << "\"";
        QTest::newRow("empty quotes") << "\"\"" << "";
        QTest::newRow("entry in quotes") << "\"\"c:\\q.pdf\"\"" << "\"c:\\q.pdf\"";
        QTest::newRow("empty line") << "" << "";
    }
    void aLineIsOneEntry()
    {
        QFETCH(QString, line);
        QFETCH(QString, entry);
        QCOMPARE(Configuration::entryFromLine(line), entry);
        // and every entry written reads back unchanged
        QCOMPARE(Configuration::entryFromLine(Configuration::lineFromEntry(entry)), entry);
        QCOMPARE(Configuration::entryFromLine(Configuration::lineFromEntry(line)), line);
    }

    void loadReadsTheFixedFile_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("entry5");
        QTest::addColumn<QString>("entry8");
        QTest::newRow("CR LF") << crlfLines({"r", "2", "3", "4", "five, with comma", "6", "7", "c:\\out\\"})
                               << "five, with comma" << "c:\\out\\";
        QTest::newRow("LF only") << QByteArray("r\n2\n3\n4\n5\n6\n7\nc:\\out\\\n") << "5" << "c:\\out\\";
        QTest::newRow("no final line end") << QByteArray("r\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\nlast") << "5" << "last";
        QTest::newRow("extra lines ignored") << crlfLines({"r", "2", "3", "4", "5", "6", "7", "8", "nine"}) << "5" << "8";
        QTest::newRow("Latin-1 bytes") << crlfLines({"r", "2", "3", "4", "c:\\perch\xe9.pdf", "6", "7", "8"})
                                       << QStringLiteral("c:\\perché.pdf") << "8";
    }
    void loadReadsTheFixedFile()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, entry5);
        QFETCH(QString, entry8);
        const TestDrive drive(TestDrive::Contents::Empty);
        drive.writeFile(kConfig, bytes);
        const ConfigurationLoad load = loadConfigurationFile(DrivePaths(drive.root()));
        QVERIFY(load.configuration.has_value());
        QCOMPARE(load.configuration->entry(1), QStringLiteral("r"));
        QCOMPARE(load.configuration->field(6), entry5);
        QCOMPARE(load.configuration->outputPrefix(), entry8);
    }

    void loadFailures_data()
    {
        QTest::addColumn<QString>("present"); // "nothing", "folder", "file"
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("kind");
        QTest::addColumn<int>("lineCount");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "nothing" << QByteArray() << int(ConfigurationError::Kind::Unreadable) << 0
                                        << "Percorso non trovato";
        QTest::newRow("missing file") << "folder" << QByteArray() << int(ConfigurationError::Kind::Unreadable) << 0
                                      << "File non trovato";
        QTest::newRow("seven lines") << "file" << crlfLines({"1", "2", "3", "4", "5", "6", "7"})
                                     << int(ConfigurationError::Kind::TooShort) << 7 << "contiene 7 righe";
    }
    void loadFailures()
    {
        QFETCH(QString, present);
        QFETCH(QByteArray, bytes);
        QFETCH(int, kind);
        QFETCH(int, lineCount);
        QFETCH(QString, reason);
        const TestDrive drive(TestDrive::Contents::Empty);
        if (present != QStringLiteral("nothing"))
            QVERIFY(QDir().mkpath(QFileInfo(drive.local(kConfig)).path()));
        if (present == QStringLiteral("file"))
            drive.writeFile(kConfig, bytes);
        const ConfigurationLoad load = loadConfigurationFile(DrivePaths(drive.root()));
        QVERIFY(!load.configuration.has_value());
        QCOMPARE(int(load.error.kind), kind);
        QCOMPARE(load.error.lineCount, lineCount);
        const QString message = load.error.message();
        QVERIFY2(message.contains(kConfig) && message.contains(reason), qPrintable(message));
        QVERIFY2(message.contains(QStringLiteral("Il programma verrà chiuso")), qPrintable(message));
    }

    void saveWritesLatin1LinesWithCrLfInFileOrder()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        QVERIFY(QDir().mkpath(QFileInfo(drive.local(kConfig)).path()));
        Configuration configuration;
        for (int n = 1; n <= 8; ++n)
            configuration.setField(n, QStringLiteral("T%1").arg(n));
        configuration.setField(2, QStringLiteral("c:\\città, è.pdf"));
        configuration.setField(3, QStringLiteral("\"quoted\""));
        QVERIFY(!saveConfigurationFile(DrivePaths(drive.root()), configuration).has_value());
        QCOMPARE(drive.readFile(kConfig),
                 crlfLines({"T1", "c:\\citt\xe0, \xe8.pdf", "\"\"quoted\"\"", "T4", "T6", "T7", "T5", "T8"}));
        const ConfigurationLoad load = loadConfigurationFile(DrivePaths(drive.root()));
        QVERIFY(load.configuration.has_value());
        QCOMPARE(*load.configuration, configuration);
    }

    void failedSavesKeepTheFile()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        const auto noFolder = saveConfigurationFile(DrivePaths(drive.root()), Configuration::initial());
        QVERIFY(noFolder.has_value());
        QCOMPARE(noFolder->kind, ConfigurationError::Kind::Unwritable);
        QVERIFY(noFolder->message().contains(kConfig) && noFolder->message().contains(QStringLiteral("Percorso non trovato")));
        QVERIFY(!QFileInfo::exists(drive.local(kConfig)));

        const QByteArray before = crlfLines({"1", "2", "3", "4", "5", "6", "7", "8"});
        drive.writeFile(kConfig, before);
        for (const QString &text : {QStringLiteral("c:\\costi €.pdf"), QStringLiteral("c:\\a\nb.pdf"), QStringLiteral("c:\\a\rb.pdf")}) {
            Configuration configuration = *Configuration::fromLines({"1", "2", "3", "4", "5", "6", "7", "8"});
            configuration.setField(7, text);
            const auto problem = saveConfigurationFile(DrivePaths(drive.root()), configuration);
            QVERIFY(problem.has_value());
            QCOMPARE(problem->kind, ConfigurationError::Kind::NotStorable);
            QCOMPARE(problem->field, 7);
            QCOMPARE(drive.readFile(kConfig), before);
        }
    }
};

QTEST_MAIN(ConfigurationTest)
#include "test_configuration.moc"
