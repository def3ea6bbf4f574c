// An installed ZEFRO as its users meet it across an upgrade: the prefix that `cmake --install` filled
// (the installed_prefix fixture), copied here, started by two users, upgraded as a package does it (a
// revised table with the new seal, a map added, a map removed) and started again.
#include "platform/DataSeal.h"
#include "platform/DrivePaths.h"
#include "support/TestDrive.h"

#include <QtTest>

namespace {

const QString kDataFolder = QStringLiteral("c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO 200605\\"),
              kRaster = QStringLiteral("c:\\revisione metodo speditivo\\dati\\cartografia\\raster\\"),
              kConfig = QStringLiteral("c:\\revisione metodo speditivo\\ms&zefro\\config.txt");
const QStringList kAmmonia{"--name", "Ammoniaca", "--class", "51", "--hypothesis", "1", "--containment", "3", "--json"};

struct Run
{
    int exitCode = -1;
    QString out, err;
};

} // namespace

class InstalledUpgradeTest : public QObject
{
    Q_OBJECT

    const QTemporaryDir m_dir;

    [[nodiscard]] QString installed(const QString &systemPath) const
    {
        return DrivePaths(m_dir.filePath("prefix/share/zefro/drive")).toLocal(systemPath);
    }
    [[nodiscard]] QString own(const QString &user, const QString &systemPath) const
    {
        return DrivePaths(m_dir.filePath(user + "/zefro/drive")).toLocal(systemPath);
    }

    // The installed zefro-estimate, started by a user whose data live under <dir>/<user>.
    Run run(const QString &user, const QStringList &arguments) const
    {
        QProcess process;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("ZEFRO_DRIVE_ROOT");
        environment.remove("ZEFRO_DEBUG");
        environment.insert("XDG_DATA_HOME", m_dir.filePath(user));
        process.setProcessEnvironment(environment);
        process.start(m_dir.filePath("prefix/bin/zefro-estimate"), arguments);
        const bool ended = process.waitForFinished(120000) && process.exitStatus() == QProcess::NormalExit;
        return {ended ? process.exitCode() : -1, QString::fromUtf8(process.readAllStandardOutput()),
                QString::fromUtf8(process.readAllStandardError())};
    }

private slots:
    void upgradesReachEveryUserAndKeepWhatIsTheirs()
    {
        for (const QString &part : {QStringLiteral("bin/zefro-estimate"), QStringLiteral("share/zefro")}) {
            const QString to = m_dir.filePath("prefix/" + part.section('/', 0, 0));
            QVERIFY(QDir().mkpath(to) && QProcess::execute("cp", {"-a", ZEFRO_INSTALLED_PREFIX "/" + part, to}) == 0);
        }

        // Anna only estimates, and edits her configuration; Bruno puts a 512.xls of his own (the table
        // of ammonia's sub-class) in place of the bundled one and seals his tables.
        const Run anna = run("anna", kAmmonia);
        QVERIFY2(anna.exitCode == 0 && anna.err.isEmpty(), qPrintable(anna.err));
        const QByteArray config = fileBytes(own("anna", kConfig));
        const QByteArray edited = "c:\\mio\\lettore.exe" + config.mid(config.indexOf("\r\n"));
        QVERIFY(config.size() > 100 && writeBytes(own("anna", kConfig), edited));

        const QString table = kDataFolder + "512.xls", seal = kDataFolder + DataSeal::kFileName;
        const QByteArray installedSeal = fileBytes(installed(seal)),
                         brunoTable = fileBytes(installed(kDataFolder + "511.xls"));
        QCOMPARE(run("bruno", {"--classes", "--name", "Ammoniaca"}).exitCode, 0);
        QVERIFY(QFile::remove(own("bruno", table)) && writeBytes(own("bruno", table), brunoTable));
        QCOMPARE(run("bruno", {"--seal-data"}).exitCode, 0);
        const QByteArray brunoSeal = fileBytes(own("bruno", seal));
        QVERIFY(!QFileInfo(own("bruno", seal)).isSymLink() && brunoSeal != installedSeal);
        QCOMPARE(fileBytes(installed(seal)), installedSeal);
        const Run bruno = run("bruno", kAmmonia);
        QVERIFY2(bruno.exitCode == 0 && bruno.out != anna.out, qPrintable(bruno.err));

        // The upgrade: 512.xls revised (here: another sub-class's distances) with the new seal, a map added
        // and one removed.
        QVERIFY(QFile::remove(installed(table))
                && writeBytes(installed(table), fileBytes(installed(kDataFolder + "513.xls"))));
        QVERIFY(DataSeal::sealFolder(installed(kDataFolder), QDateTime::currentDateTime()).ok());
        QVERIFY(writeBytes(installed(kRaster + "nuova.bmp"), fileBytes(installed(kRaster + "esempio 1-5000.bmp")))
                && QFile::remove(installed(kRaster + "esempio 1-10000.bmp")));

        // Anna's estimate reads the revised table under the new seal, as on a drive that has it.
        TestDrive revised;
        QVERIFY(writeBytes(revised.local(table), fileBytes(installed(table)))
                && writeBytes(revised.local(seal), fileBytes(installed(seal))));
        const Run expected = run("anna", QStringList{"--drive-root", revised.root()} + kAmmonia);
        const Run upgraded = run("anna", kAmmonia);
        QVERIFY2(upgraded.exitCode == 0 && upgraded.err.isEmpty(), qPrintable(upgraded.err));
        QVERIFY(expected.exitCode == 0 && upgraded.out == expected.out && upgraded.out != anna.out);
        QCOMPARE(QFileInfo(own("anna", kRaster + "nuova.bmp")).symLinkTarget(), installed(kRaster + "nuova.bmp"));
        QVERIFY(!QFileInfo(own("anna", kRaster + "esempio 1-10000.bmp")).isSymLink());
        QCOMPARE(fileBytes(own("anna", kConfig)), edited);

        // Bruno goes on with his table and his seal, and is told once that the package changed both.
        const Run told = run("bruno", kAmmonia), again = run("bruno", kAmmonia);
        QCOMPARE(told.out, bruno.out);
        QVERIFY2(told.exitCode == 0
                     && told.err.startsWith("zefro-estimate: attenzione: Con l'ultimo aggiornamento di ZEFRO sono "
                                            "state installate nuove versioni di questi file:\n"
                                            + table + '\n' + seal + "\n(su questo computer sotto "
                                            + m_dir.filePath("bruno/zefro/drive") + ")\n"),
                 qPrintable(told.err));
        QVERIFY2(again.exitCode == 0 && again.err.isEmpty(), qPrintable(again.err));
        QCOMPARE(fileBytes(own("bruno", table)) + fileBytes(own("bruno", seal)), brunoTable + brunoSeal);
    }
};

QTEST_GUILESS_MAIN(InstalledUpgradeTest)
#include "test_installed_upgrade.moc"
