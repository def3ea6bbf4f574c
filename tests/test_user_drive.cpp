#include "app/Configuration.h"
#include "catalogue/HazardClass.h"
#include "estimate/XlsWorkbookOpener.h"
#include "platform/DrivePaths.h"
#include "platform/UserDrive.h"
#include "support/TestDrive.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <QtTest>

namespace {

const QString kConfig = QStringLiteral("c/revisione metodo speditivo/ms&zefro/config.txt");
const QString kWorkbook = QStringLiteral("c/revisione metodo speditivo/dati/Dati input ZEFRO 200605/111.xls");
const QString kMap = QStringLiteral("c/revisione metodo speditivo/dati/cartografia/raster/esempio 1-5000.bmp");
const QString kOutput = QStringLiteral("c/zefro/output");

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// An installed layout: <prefix>/bin and <prefix>/share/zefro/drive holding the bundled tree.
struct Installation
{
    QTemporaryDir prefix;
    QString bin() const { return prefix.path() + QStringLiteral("/bin"); }
    QString tree() const { return prefix.path() + QStringLiteral("/share/zefro/drive"); }
    Installation()
    {
        QDir().mkpath(bin());
        copyTree(QStringLiteral(ZEFRO_BUNDLED_TREE), tree());
    }
};

} // namespace

class UserDriveTest : public QObject
{
    Q_OBJECT

private slots:
    void firstStartLinksTheDataAndCopiesTheConfiguration()
    {
        const Installation installed;
        const QTemporaryDir home;
        const QString root = home.path() + QStringLiteral("/zefro/drive");
        QCOMPARE(UserDrive::prepare(installed.tree(), root), QString());

        const QFileInfo config(root + QLatin1Char('/') + kConfig);
        QVERIFY(config.isFile());
        QVERIFY(!config.isSymLink());
        QVERIFY(config.permission(QFile::WriteOwner));
        QCOMPARE(contents(config.filePath()), contents(installed.tree() + QLatin1Char('/') + kConfig));

        for (const QString &linked : {kWorkbook, kMap}) {
            const QFileInfo file(root + QLatin1Char('/') + linked);
            QVERIFY2(file.isSymLink(), qPrintable(linked));
            QCOMPARE(file.symLinkTarget(), installed.tree() + QLatin1Char('/') + linked);
        }
        const QFileInfo output(root + QLatin1Char('/') + kOutput);
        QVERIFY(output.isDir());
        QVERIFY(!output.isSymLink());
        // Nothing of the set-up is left beside the root.
        QCOMPARE(QDir(home.path() + QStringLiteral("/zefro")).entryList(QDir::AllEntries | QDir::Hidden
                                                                          | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("drive")});
    }

    void userRootWorksAndSavingLeavesTheInstallationAlone()
    {
        const Installation installed;
        const QTemporaryDir home;
        const QString root = home.path() + QStringLiteral("/drive");
        QCOMPARE(UserDrive::prepare(installed.tree(), root), QString());
        const DrivePaths drives(root);

        const XlsWorkbookOpener opener(drives);
        const auto workbook = opener.open(kDataFolder + QStringLiteral("111.xls"));
        QVERIFY2(workbook.ok(), qPrintable(workbook.ok() ? QString() : workbook.error().message()));
        QVERIFY(workbook.value()->sheetCount() > 0);

        const QByteArray installedConfig = contents(installed.tree() + QLatin1Char('/') + kConfig);
        ConfigurationLoad load = loadConfigurationFile(drives);
        QVERIFY(load.configuration);
        load.configuration->setEntry(1, QStringLiteral("evince"));
        QCOMPARE(saveConfigurationFile(drives, *load.configuration), std::nullopt);
        QCOMPARE(loadConfigurationFile(drives).configuration->entry(1), QStringLiteral("evince"));
        QCOMPARE(contents(installed.tree() + QLatin1Char('/') + kConfig), installedConfig);
    }

    void laterStartsKeepWhatTheUserChanged()
    {
        const Installation installed;
        const QTemporaryDir home;
        const QString root = home.path() + QStringLiteral("/drive");
        QCOMPARE(UserDrive::prepare(installed.tree(), root), QString());

        // The user's own workbook in place of the example, and an edited configuration.
        const QString workbook = root + QLatin1Char('/') + kWorkbook;
        QVERIFY(QFile::remove(workbook));
        QVERIFY(QFile::copy(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/values.xls"), workbook));
        QFile config(root + QLatin1Char('/') + kConfig);
        QVERIFY(config.open(QIODevice::Append));
        config.write("edited\r\n");
        config.close();
        const QByteArray editedConfig = contents(config.fileName());

        QCOMPARE(UserDrive::prepare(installed.tree(), root), QString());
        QVERIFY(!QFileInfo(workbook).isSymLink());
        QCOMPARE(contents(workbook), contents(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/values.xls")));
        QCOMPARE(contents(config.fileName()), editedConfig);
    }

    void defaultRootRule()
    {
        const QTemporaryDir home;
        const QString userRoot = home.path() + QStringLiteral("/zefro/drive");

        // A build tree: the drive folder next to the program wins.
        const QTemporaryDir build;
        QVERIFY(QDir().mkpath(build.path() + QStringLiteral("/drive")));
        QCOMPARE(DrivePaths::rootForProgramIn(build.path(), userRoot), build.path() + QStringLiteral("/drive"));
        QVERIFY(!QFileInfo::exists(userRoot));

        // Nothing installed: the missing installed tree is named, nothing is created for the user.
        const QTemporaryDir bare;
        QVERIFY(QDir().mkpath(bare.path() + QStringLiteral("/bin")));
        QCOMPARE(DrivePaths::rootForProgramIn(bare.path() + QStringLiteral("/bin"), userRoot),
                 bare.path() + QStringLiteral("/share/zefro/drive"));
        QVERIFY(!QFileInfo::exists(userRoot));

        // An installed program: the user's root, set up on the way.
        const Installation installed;
        QCOMPARE(DrivePaths::rootForProgramIn(installed.bin(), userRoot), userRoot);
        QVERIFY(QFileInfo(userRoot + QLatin1Char('/') + kConfig).isFile());

        // A user root that cannot be made (its parent is a file): the installed tree, read only.
        const QString blocked = home.path() + QStringLiteral("/a-file");
        QFile blocker(blocked);
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(QStringLiteral("non preparata")));
        QCOMPARE(DrivePaths::rootForProgramIn(installed.bin(), blocked + QStringLiteral("/drive")),
                 installed.tree());
    }
};

QTEST_GUILESS_MAIN(UserDriveTest)
#include "test_user_drive.moc"
