// The platform layer: error texts, drive paths and the drive root, the user's own drive root,
// command lines, text files, the configuration file, and report files that cannot be written.
#include "estimate/OutputFileName.h"
#include "estimate/Report.h"
#include "map/MapErrors.h"
#include "platform/Configuration.h"
#include "platform/DataSeal.h"
#include "platform/InstalledRecord.h"
#include "platform/Parallel.h"
#include "platform/PlatformErrors.h"
#include "platform/ProgramLauncher.h"
#include "platform/SystemFile.h"
#include "platform/TextFile.h"
#include "platform/UserDrive.h"
#include "support/ErrorWording.h"
#include "support/FakePlatform.h"
#include "support/TestDrive.h"

#include <QtTest>

#include <atomic>
#include <csignal>
#include <thread>
#include <sys/resource.h>
#include <sys/stat.h>

Q_DECLARE_METATYPE(Error)

namespace {

const QString kConfig = Configuration::filePath(), kOutput = QStringLiteral("c:\\zefro\\output\\");
const QDateTime kWhen(QDate(2006, 12, 4), QTime(9, 5, 30));
const QByteArray kEightLines = crlfLines({"1", "2", "3", "4", "5", "6", "7", "8"});
const QString kNoFolder = QStringLiteral("Percorso non trovato: la cartella non esiste."),
              kFolder = QStringLiteral("Al posto del file c'è una cartella."),
              kNotAFile = QStringLiteral("Non è un file normale (è un dispositivo, una FIFO o un socket).");

// Made as the map layer makes its errors: its words are those of its kinds and of the layers' below it.
Error error(Error::Kind kind, const QString &file, const QString &detail, int sheet = 0, const QString &cell = {})
{
    Error made = map::mapError(kind);
    std::tie(made.file, made.detail, made.sheet, made.cell, made.localPath) = std::tie(file, detail, sheet, cell, file);
    return made;
}

Error workbookError(Error::Kind kind, const QString &file, const QString &detail, int sheet, const QString &cell)
{
    Error made = error(kind, file, detail, sheet, cell);
    made.localPath.clear(); // the reader names a workbook by its system path only
    return made;
}

QString shown(const Error &error) // a configuration error in short
{
    return QStringList{"unreadable", "too short", "unwritable", "not storable"}.value(
               int(error.kind) - int(Error::Kind::ConfigurationUnreadable))
        + ": " + error.detail;
}

// An installed tree, its files read only as a package leaves them: the configuration, three
// workbooks and their seal, the output folder.
QString installedTree(const QTemporaryDir &prefix)
{
    const QString tree = prefix.path() + QStringLiteral("/tree");
    QDir().mkpath(tree + QStringLiteral("/c/zefro/output"));
    for (const QString &file : {DrivePaths(tree).toLocal(kConfig), tree + "/c/dati/111.xls", tree + "/c/dati/112.xls",
                                tree + "/c/dati/12.xls", tree + "/c/dati/sigillo.txt"}) {
        writeBytes(file, "installato");
        QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadOther);
    }
    return tree;
}

// An upgrade's new version of an installed file (bytes, or only a later time).
bool upgrade(const QString &file, const QByteArray &bytes)
{
    QFile opened(file);
    if (bytes.isEmpty())
        return opened.open(QIODevice::ReadOnly)
            && opened.setFileTime(QDateTime::currentDateTime().addSecs(3600), QFileDevice::FileModificationTime);
    return QFile::remove(file) && writeBytes(file, bytes);
}

Outcome<QString> appendReport(const DrivePaths &drives, const QString &prefix, const QString &substance)
{
    Estimate estimate;
    estimate.substance = Substance{substance, QStringLiteral("7664-41-7")};
    return appendReportFile(prefix, drives, kWhen, estimate);
}

// The real launcher, counting the watches it has told.
struct CountingLauncher final : ProgramLauncher
{
    explicit CountingLauncher(ProgramLauncher &launcher)
        : real(launcher)
    { }
    Status start(const QString &commandLine, LaunchWatch watch) override
    {
        return real.start(commandLine, [this, watch](const LaunchResult &result) {
            watch(result);
            ++told;
        });
    }
    ProgramLauncher &real;
    int told = 0;
};

} // namespace

class PlatformTest : public QObject
{
    Q_OBJECT

private slots:
    void errorMessages_data()
    {
        QTest::addColumn<Error>("error");
        QTest::addColumn<QStringList>("pieces"); // all in the message, the last one ending it
        using K = Error::Kind;
        QTest::newRow("sheet, cell, detail")
            << error(K::NoSuchSheet, "c:\\d\\41.xls", "ha 4 fogli", 5, "BY12")
            << QStringList{
                   "Il foglio di lavoro richiesto non esiste:\nc:\\d\\41.xls\nfoglio 5, cella BY12\n(ha 4 fogli)"};
        QTest::newRow("file only") << error(K::MissingWorkbook, "c:\\d\\1.xls", {})
                                   << QStringList{"Il file di dati non esiste:\nc:\\d\\1.xls"};
        QTest::newRow("where on this computer")
            << DrivePaths(QStringLiteral("/r")).locate(workbookError(K::DamagedWorkbook, "c:\\d\\1.xls", "x", 2, "A1"))
            << QStringList{"danneggiato o incompleto:\nc:\\d\\1.xls\n(su questo computer: /r/c/d/1.xls)\nfoglio 2, "
                           "cella A1\n(x)"};
        QTest::newRow("detail in the words")
            << error(K::TooManyCorrespondenceRows, "c:\\d\\c.xls", "41", 1)
            << QStringList{"più di 10 righe per la classe 41:\nc:\\d\\c.xls\nfoglio 1"};
        QTest::newRow("label in the words") << error(K::UnknownSubclass, "c:\\d\\41.xls", "9.9", 1, "B7")
                                            << QStringList{"sconosciuta 9.9:\nc:\\d\\41.xls\nfoglio 1, cella B7"};
        QTest::newRow("configuration") << error(K::ConfigurationTooShort, {}, "7")
                                       << QStringList{kConfig + "\ncontiene 7 righe: ne servono 8", "chiuso."};
        QTest::newRow("map") << error(K::MapUnreadable, "a.bmp", "troncato")
                             << QStringList{"\"a.bmp\" non è una mappa bitmap leggibile (troncato)."};
        Error kept = error(K::OwnFilesKeptOnUpgrade, "c:\\d\\1.xls", "/usr/drive/c/d/1.xls");
        kept.localPath = "/r/c/d/1.xls";
        QTest::newRow("own file kept") << kept
                                       << QStringList{"versione del file\nc:\\d\\1.xls\n(su questo computer: /r/c/d/1.xls)\n",
                                                      "installata è\n/usr/drive/c/d/1.xls\n", "al prossimo avvio."};
        std::tie(kept.file, kept.localPath, kept.detail) = std::tuple("c:\\d\\1.xls\nc:\\d\\2.xls", "/r", "/usr/drive");
        QTest::newRow("own files kept")
            << kept
            << QStringList{"file:\nc:\\d\\1.xls\nc:\\d\\2.xls\n(su questo computer sotto /r)\n", "sotto\n/usr/drive\n",
                           "al prossimo avvio."};
        QTest::newRow("notice") << error(K::ContainmentNotChosen, {}, {})
                                << QStringList{"campo vuoto: scegliere tipologia di detenzione dalla combo box"};
    }
    void errorMessages()
    {
        QFETCH(Error, error);
        QFETCH(QStringList, pieces);
        for (const QString &piece : pieces)
            QVERIFY2(error.message().contains(piece), qPrintable(error.message()));
        QVERIFY2(error.message().endsWith(pieces.last()), qPrintable(error.message()));
        QCOMPARE(error.isNotice(),
                 QTest::currentDataTag() == QByteArray("notice")); // the answer to a choice, not a failure
    }

    // Files, the configuration file among them, are named as the system names them, then where they
    // are on this computer. An error that says nothing more still says something.
    void platformWordsItsKinds()
    {
        using K = Error::Kind;
        const QString &file = wording::kFileHere;
        const QString config = kConfig + "\n(su questo computer: " + wording::kLocalPath + ')';
        QCOMPARE(wording::unworded(platformError, {{K::FileUnreadable, file}, {K::FileUnwritable, file},
                                                   {K::ConfigurationUnreadable, config},
                                                   {K::ConfigurationTooShort, config},
                                                   {K::ConfigurationUnwritable, config},
                                                   {K::ConfigurationNotStorable, {}}, {K::LaunchFailed, {}},
                                                   {K::DriveRootNotPrepared, wording::kFile},
                                                   {K::DriveRootNotUpdated, wording::kFile},
                                                   {K::OwnFilesKeptOnUpgrade, wording::kFile}}),
                 QString());
        QCOMPARE(Error().message(), QStringLiteral("Operazione non riuscita."));
    }

    void systemPathsMapUnderTheRoot()
    {
        const DrivePaths drives(QStringLiteral("/r"));
        QCOMPARE(drives.toLocal(QStringLiteral("C:\\Revisione metodo\\ms&zefro\\a.txt")),
                 QStringLiteral("/r/c/Revisione metodo/ms&zefro/a.txt"));
        QCOMPARE(drives.toLocal(QStringLiteral("d:")) + ' ' + drives.toLocal(QStringLiteral("c:zefro")),
                 QStringLiteral("/r/d/ /r/c/zefro"));
        for (const QString &unchanged :
             {QStringLiteral("xdg-open"), QStringLiteral("1:\\a"), QStringLiteral("è:\\a")}) // no drive letter
            QCOMPARE(drives.toLocal(unchanged), unchanged);
    }

    void whereTheRootIs()
    {
        const QTemporaryDir prefix;
        const QString bin = prefix.path() + "/bin", user = prefix.path() + "/home/drive",
                      tree = prefix.path() + "/share/zefro/drive";
        const auto found = [&] {
            return DrivePaths::locateRootForProgramIn(bin, user).root + '|'
                + DrivePaths::locateRootForProgramIn(bin, user).installedTree;
        };
        QVERIFY(QDir().mkpath(bin));
        QCOMPARE(found(), tree + QLatin1Char('|')); // nothing installed
        QVERIFY(QDir().mkpath(tree));
        QCOMPARE(found(), user + QLatin1Char('|') + tree);
        QVERIFY(QDir().mkpath(bin + QStringLiteral("/drive")));
        QCOMPARE(found(), bin + QStringLiteral("/drive|")); // a build tree
        QVERIFY(!QFileInfo::exists(prefix.path() + QStringLiteral("/home"))); // locating creates nothing
        QVERIFY(QDir().mkpath(prefix.path() + "/d") && QDir().mkpath(prefix.path() + "/c")
                && QDir().mkpath(prefix.path() + "/B"));
        // Not "bin" nor "share", nor "B": "b:\" is looked for in the folder "b".
        QCOMPARE(DrivePaths(prefix.path()).driveLetters(), QStringList({"c", "d"}));
    }

    void firstAndLaterStartsOfAUserDrive()
    {
        const QTemporaryDir prefix;
        const QString tree = installedTree(prefix), root = prefix.path() + QStringLiteral("/home/drive");
        const UserDrive::StartUp first = UserDrive::setUp({root, tree});
        QVERIFY(first.root == root && first.warnings.empty());
        const QFileInfo config(DrivePaths(root).toLocal(kConfig)), workbook(root + QStringLiteral("/c/dati/111.xls"));
        QVERIFY(config.isFile() && !config.isSymLink() && config.permission(QFile::WriteOwner));
        QCOMPARE(workbook.symLinkTarget() + QFileInfo(root + QStringLiteral("/c/dati/sigillo.txt")).symLinkTarget(),
                 tree + QStringLiteral("/c/dati/111.xls") + tree + QStringLiteral("/c/dati/sigillo.txt"));
        QVERIFY(QFileInfo(root + QStringLiteral("/c/zefro/output")).isDir()
                && QFileInfo(root).permission(QFile::ExeOther));
        QCOMPARE(QDir(prefix.path() + QStringLiteral("/home"))
                     .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{"drive"});

        // What the user changed stays so at later starts, and the installation is untouched; a seal
        // written in place of the link (--seal-data) replaces the link, never the installed seal.
        QVERIFY(TextFile::writeLines(config.filePath(), {QStringLiteral("mio")}).ok());
        QVERIFY(QFile::remove(workbook.filePath()) && writeBytes(workbook.filePath(), "mia"));
        QVERIFY(DataSeal::sealFolder(root + QStringLiteral("/c/dati"), kWhen).ok());
        QVERIFY(UserDrive::setUp({root, tree}).warnings.empty()
                && UserDrive::prepare(prefix.path() + QStringLiteral("/nowhere"), root).ok());
        QCOMPARE(fileBytes(config.filePath()) + fileBytes(workbook.filePath()) + fileBytes(DrivePaths(tree).toLocal(kConfig))
                     + fileBytes(tree + QStringLiteral("/c/dati/sigillo.txt")),
                 QByteArray("mio\r\nmiainstallatoinstallato"));
        QVERIFY(!QFileInfo(root + QStringLiteral("/c/dati/sigillo.txt")).isSymLink()
                && DataSeal::readSeal(root + QStringLiteral("/c/dati")).value()->files.size() == 3);
    }

    // An upgrade reaches a drive at its next start: what the package adds is linked in (a link the
    // user removed comes back), links to what it removed go, and the user's own files stay; those
    // of them whose installed version really changed are said once.
    void laterStartsFollowTheInstalledTree()
    {
        const QTemporaryDir prefix;
        const QString tree = installedTree(prefix), root = prefix.path() + QStringLiteral("/drive"),
                      data = QStringLiteral("/c/dati/"), elsewhere = prefix.path() + QStringLiteral("/altrove.xls");
        QVERIFY(UserDrive::setUp({root, tree}).warnings.empty());
        QVERIFY(upgrade(root + data + "111.xls", "mio") && upgrade(root + data + "sigillo.txt", "sigillo nuovo")
                && TextFile::writeLines(DrivePaths(root).toLocal(kConfig), {QStringLiteral("mio")}).ok()
                && QFile::remove(root + data + "112.xls") && writeBytes(root + data + "mia.bmp", "mia")
                && QFile::link(elsewhere, root + data + "altrove.xls")
                && writeBytes(root + QStringLiteral("/c/zefro/output/report.doc"), "report"));
        const QStringList mine{data + "111.xls", data + "sigillo.txt", data + "mia.bmp", "/c/zefro/output/report.doc"};
        QByteArray before;
        for (const QString &file : mine)
            before += fileBytes(root + file);

        QVERIFY(upgrade(tree + data + "111.xls", "nuovo") && upgrade(tree + data + "sigillo.txt", "sigillo nuovo")
                && upgrade(DrivePaths(tree).toLocal(kConfig), {}) && QFile::remove(tree + data + "12.xls")
                && writeBytes(tree + QStringLiteral("/c/nuova/guida.pdf"), "guida"));
        const UserDrive::StartUp later = UserDrive::setUp({root, tree});
        QCOMPARE(later.warnings.size(), std::size_t(1));
        const Error &kept = later.warnings.front();
        QCOMPARE(QStringList({QString::number(int(kept.kind)), kept.file, kept.localPath, kept.detail}),
                 QStringList({QString::number(int(Error::Kind::OwnFilesKeptOnUpgrade)), "c:\\dati\\111.xls",
                              root + data + "111.xls", tree + data + "111.xls"}));
        QByteArray after;
        for (const QString &file : mine)
            after += fileBytes(root + file);
        QCOMPARE(after, before);
        QCOMPARE(fileBytes(DrivePaths(root).toLocal(kConfig)), "mio\r\n");
        QCOMPARE(QFileInfo(root + data + "112.xls").symLinkTarget() + QFileInfo(root + "/c/nuova/guida.pdf").symLinkTarget()
                     + QFileInfo(root + data + "altrove.xls").symLinkTarget(),
                 tree + data + "112.xls" + tree + "/c/nuova/guida.pdf" + elsewhere);
        QVERIFY(!QFileInfo(root + data + "12.xls").isSymLink() && !QFileInfo(root + data + "sigillo.txt").isSymLink());
        QVERIFY(UserDrive::setUp({root, tree}).warnings.empty()); // once
    }

    // Drives of earlier installations: one set up from another prefix follows the tree the program
    // now runs from; one set up before drives kept a record holds a copy of the seal, which becomes a
    // link unless the user has tables of their own there.
    void drivesOfEarlierInstallations()
    {
        const QTemporaryDir prefix;
        const QString tree = installedTree(prefix), moved = prefix.path() + QStringLiteral("/usr"),
                      data = QStringLiteral("/c/dati/"), root = prefix.path() + QStringLiteral("/a");
        QVERIFY(UserDrive::setUp({root, tree}).warnings.empty() && copyTree(tree, moved));
        QVERIFY(QDir(tree).removeRecursively() && UserDrive::setUp({root, moved}).warnings.empty());
        QCOMPARE(QFileInfo(root + data + "111.xls").symLinkTarget(), moved + data + "111.xls");

        const QString own = prefix.path() + QStringLiteral("/b");
        QVERIFY(UserDrive::setUp({own, moved}).warnings.empty() && upgrade(own + data + "111.xls", "mia"));
        for (const QString &drive : {root, own})
            QVERIFY(QFile::remove(drive + "/" + InstalledRecord::kFileName)
                    && upgrade(drive + data + "sigillo.txt", "sigillo vecchio"));
        QVERIFY(UserDrive::setUp({root, moved}).warnings.empty() && UserDrive::setUp({own, moved}).warnings.empty());
        QCOMPARE(QFileInfo(root + data + "sigillo.txt").symLinkTarget(), moved + data + "sigillo.txt");
        QCOMPARE(fileBytes(own + data + "sigillo.txt"), "sigillo vecchio");
    }

    void rootsThatCannotBePrepared()
    {
        const QTemporaryDir prefix;
        const QString tree = installedTree(prefix), blocked = DrivePaths(tree).toLocal(kConfig) + "/drive";
        const UserDrive::StartUp failed = UserDrive::setUp({blocked, tree});
        QCOMPARE(failed.root, tree);
        QCOMPARE(QStringList({QString::number(int(failed.warnings.at(0).kind)), failed.warnings.at(0).file,
                              failed.warnings.at(0).localPath}),
                 QStringList({QString::number(int(Error::Kind::DriveRootNotPrepared)), blocked, tree}));
        const QString fresh = prefix.path() + QStringLiteral("/fresh");
        QVERIFY(UserDrive::prepare(prefix.path() + QStringLiteral("/nowhere"), fresh)
                    .error()
                    .detail.contains(QStringLiteral("/nowhere")));
        QVERIFY(UserDrive::setUp({fresh, {}}).root == fresh
                && !QFileInfo::exists(fresh)); // no installed tree: taken as it is
    }

    void commandLines_data()
    {
        QTest::addColumn<QString>("line");
        QTest::addColumn<bool>("notepadInstalled");
        QTest::addColumn<QStringList>("command");
        const QString report = QStringLiteral("notepad c:\\zefro\\ZEFRO  run 20061204 ore 09_05 Cloro.doc");
        QTest::newRow("split at blanks, no quoting") << "c:\\bin\\lettore  c:\\manuale utente.pdf" << false
                                                     << QStringList{"/r/c/bin/lettore", "/r/c/manuale", "utente.pdf"};
        QTest::newRow("no notepad: the whole file to the opener")
            << report << false << QStringList{"xdg-open", "/r/c/zefro/ZEFRO  run 20061204 ore 09_05 Cloro.doc"};
        QTest::newRow("notepad installed")
            << report << true
            << QStringList{"notepad", "/r/c/zefro/ZEFRO", "run", "20061204", "ore", "09_05", "Cloro.doc"};
        QTest::newRow("blanks only") << "   " << false << QStringList{""};
    }
    void commandLines()
    {
        QFETCH(QString, line);
        QFETCH(bool, notepadInstalled);
        QFETCH(QStringList, command);
        const LaunchCommand split = splitCommandLine(line, DrivePaths(QStringLiteral("/r")), notepadInstalled);
        QCOMPARE(QStringList{split.program} + split.arguments, command);
        if (!notepadInstalled && command.first() != "xdg-open") // nothing there to start
            QCOMPARE(DetachedLauncher(DrivePaths(QStringLiteral("/r"))).start(line, {}).error().detail, line);
    }

    // A reader that fails in its first seconds (xdg-open with no viewer) is reported, naming the
    // document; one that ends well, or still runs when the watch ends (a viewer), is not, and is left
    // running when the launcher goes.
    void programsThatFailAtOnce_data()
    {
        QTest::addColumn<QString>("script");
        QTest::addColumn<int>("watchMs");
        QTest::addColumn<QString>("said"); // in the message; empty for none
        QTest::newRow("status 3") << "touch \"$0.ran\"; exit 3" << 10'000 << "(codice di uscita 3)";
        QTest::newRow("killed") << "touch \"$0.ran\"; kill -KILL $$" << 10'000 << "si è interrotto";
        QTest::newRow("status 0") << "touch \"$0.ran\"" << 10'000 << "";
        QTest::newRow("running when the watch ends") << "sleep 1; touch \"$0.ran\"; exit 3" << 100 << "";
    }
    void programsThatFailAtOnce()
    {
        QFETCH(QString, script);
        QFETCH(int, watchMs);
        QFETCH(QString, said);
        const QTemporaryDir dir;
        const DrivePaths drives(dir.path());
        const QString reader = dir.filePath(QStringLiteral("lettore")), document = QStringLiteral("c:\\doc\\m.pdf");
        QVERIFY(writeBytes(reader, "#!/bin/sh\n" + script.toUtf8() + '\n')
                && QFile::setPermissions(reader, QFile::ReadOwner | QFile::ExeOwner));
        {
            FakeMessageBoxes messages;
            FakeExit exit;
            DetachedLauncher real(drives, std::chrono::milliseconds(watchMs));
            CountingLauncher launcher(real);
            Platform platform{drives, messages, launcher, exit};
            QVERIFY(platform.launch(reader + QLatin1Char(' ') + document));
            QTRY_COMPARE(launcher.told, 1);
            QCOMPARE(messages.shown().size(), said.isEmpty() ? 0 : 1);
            const QString text = messages.texts().value(0);
            QVERIFY2(said.isEmpty()
                         || (text.contains(said) && messages.shown().first().icon == MessageIcon::Critical
                             && text.startsWith("Impossibile aprire il file:\n" + document
                                                + "\n(su questo computer: " + drives.toLocal(document) + ")")
                             && text.contains("visualizzatore di PDF")),
                     qPrintable(text));
        }
        QTRY_VERIFY(QFile::exists(reader + ".ran"));
    }

    void textFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("lines");
        QTest::newRow("CR LF, blank lines")
            << QByteArray("a b\r\n\r\nc,d\r\n\r\n") << QStringList{"a b", "", "c,d", ""};
        QTest::newRow("LF only, no final end") << QByteArray("a\nb\nc") << QStringList{"a", "b", "c"};
        QTest::newRow("Latin-1") << QByteArray("perch\xe9 \xff\r\n") << QStringList{QStringLiteral("perché ÿ")};
    }
    void textFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, lines);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("a.txt"));
        QVERIFY(writeBytes(path, bytes));
        QCOMPARE(TextFile::readLines(path).value(), lines);
        QVERIFY(TextFile::writeLines(path, lines).ok() && TextFile::appendLines(path, {QStringLiteral("è")}).ok());
        QCOMPARE(TextFile::readLines(path).value(), lines + QStringList{QStringLiteral("è")});
        QVERIFY(fileBytes(path).endsWith("\r\n\xe8\r\n"));
    }

    void configurationFiles_data()
    {
        // Bytes "-": no folder, "+": a folder without the file, "/": a folder in its place. Loaded: entry 5 and
        // the prefix, or the error; saved: the file after saving what was read (else eight lines), or the error.
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("loaded");
        QTest::addColumn<QString>("saved");
        const QString same = QStringLiteral("the same bytes"), eight = QString::fromLatin1(kEightLines);
        QTest::newRow("a line is one entry")
            << crlfLines({"r", "2", "3", "4", " five, with comma ", "6", "7", "c:\\o\\"})
            << " five, with comma |c:\\o\\" << same;
        // A pair of quotes around a line is taken off; an entry that has them itself is written with one more.
        QTest::newRow("quoted line") << crlfLines({"1", "2", "3", "4", "\"c:\\a b.pdf\"", "6", "7", "8"})
                                     << "c:\\a b.pdf|8" << QString(eight).replace("5", "c:\\a b.pdf");
        QTest::newRow("entry in quotes") << crlfLines({"1", "2", "3", "4", "\"\"q\"\"", "6", "7", "\""}) << "\"q\"|\""
                                         << same;
        QTest::newRow("quote at one end only")
            << crlfLines({"1", "2", "3", "4", "\"q", "6", "7", "q\""}) << "\"q|q\"" << same;
        QTest::newRow("ninth line") << QByteArray("1\n2\n3\n4\n5\n6\n7\n8\nnove") << "5|8" << eight;
        QTest::newRow("seven lines") << QByteArray("a\r\n").repeated(7) << "too short: 7" << eight;
        // A byte-order mark is dropped; a control character, a FIFO or a file of megabytes is refused unread.
        QTest::newRow("UTF-8 byte-order mark") << "\xEF\xBB\xBF" + kEightLines << "5|8" << eight;
        QTest::newRow("NUL in the prefix")
            << crlfLines({"1", "2", "3", "4", "5", "6", "7", QByteArray("c:\\o\0x", 6)})
            << "unreadable: La riga 8 contiene un carattere di controllo (non stampabile)." << eight;
        QTest::newRow("a FIFO in its place")
            << QByteArray("|") << "unreadable: " + kNotAFile << "unwritable: " + kNotAFile;
        QTest::newRow("over a megabyte") << kEightLines + QByteArray(1024 * 1024, ' ')
                                         << "unreadable: File troppo grande: 1.0 MB, al massimo 1.0 MB." << eight;
        QTest::newRow("missing folder") << QByteArray("-") << "unreadable: " + kNoFolder << "unwritable: " + kNoFolder;
        QTest::newRow("missing file") << QByteArray("+") << "unreadable: File non trovato." << eight;
        QTest::newRow("a folder in its place")
            << QByteArray("/") << "unreadable: " + kFolder << "unwritable: " + kFolder;
    }
    void configurationFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, loaded);
        QFETCH(QString, saved);
        const TestDrive drive(TestDrive::Contents::Empty);
        const DrivePaths drives(drive.root());
        if (bytes == "+" || bytes == "/" || bytes == "|")
            QVERIFY(QDir().mkpath(bytes == "/" ? drive.local(kConfig) : QFileInfo(drive.local(kConfig)).path()));
        if (bytes == "|")
            QCOMPARE(::mkfifo(QFile::encodeName(drive.local(kConfig)).constData(), 0600), 0);
        else if (bytes != "-" && bytes != "+" && bytes != "/")
            drive.writeFile(kConfig, bytes);
        const Outcome<Configuration> load = loadConfigurationFile(drives);
        QCOMPARE(load.ok() ? load.value().field(6) + QLatin1Char('|') + load.value().outputPrefix()
                           : shown(load.error()),
                 loaded);
        const Status written = saveConfigurationFile(
            drives,
            load.ok() ? load.value() : *Configuration::fromLines(QString::fromLatin1(kEightLines).split("\r\n")));
        QCOMPARE(written.ok() ? QString::fromLatin1(drive.readFile(kConfig)) : shown(written.error()),
                 saved == "the same bytes" ? QString::fromLatin1(bytes) : saved);
    }

    void textsThatCannotBeStoredKeepTheFile()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        drive.writeFile(kConfig, kEightLines);
        Configuration configuration = loadConfigurationFile(DrivePaths(drive.root())).value();
        configuration.setField(3, QStringLiteral("c:\\città ÿ \"x\""));
        QCOMPARE(configuration.unstorableField(), std::nullopt);
        for (const auto &[field, text] : {std::pair(8, QStringLiteral("Ā")), {7, "€"}, {6, "a\nb"}, {5, "a\rb"}}) {
            // Each before the one set earlier: the first field that cannot be stored is named.
            configuration.setField(field, text);
            QCOMPARE(configuration.unstorableField(), std::optional<int>(field));
            QCOMPARE(shown(saveConfigurationFile(DrivePaths(drive.root()), configuration).error()),
                     "not storable: " + text);
        }
        QCOMPARE(drive.readFile(kConfig), kEightLines);
    }

    void reportsThatCannotBeWritten()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        const DrivePaths drives(drive.root());
        const QString folder = drive.local(reportFileName(kOutput, kWhen, QStringLiteral("Cartella")));
        QVERIFY(QDir().mkpath(folder));
        // No output folder, a folder in place of the file, a name longer than the file system takes.
        for (const auto &[prefix, substance] : {std::pair(QStringLiteral("q:\\uscita\\"), QStringLiteral("Cloro")),
                                                {kOutput, "Cartella"},
                                                {kOutput, QString(300, 'x')}}) {
            const Outcome<QString> written = appendReport(drives, prefix, substance);
            QCOMPARE(written.ok() ? Error::Kind::MissingWorkbook : written.error().kind, Error::Kind::FileUnwritable);
            // Named as the system names it, then where it is on this computer.
            const QString name = reportFileName(prefix, kWhen, substance);
            QVERIFY2(written.error().message().startsWith("Impossibile scrivere il file\n" + name
                                                          + "\n(su questo computer: " + drives.toLocal(name) + ")\n("),
                     qPrintable(written.error().message()));
        }
        QCOMPARE(QDir(drive.local(kOutput)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
                 QStringList{QFileInfo(folder).fileName()});
    }

    // A sealed folder: a workbook changed (same size), removed or added is named; other files do not
    // count; the checker hashes again what changed since it last found the folder sound.
    void sealedData()
    {
        const QTemporaryDir dir;
        for (const char *name : {"a.xls", "b.XLS", "nota.txt"})
            QVERIFY(writeBytes(dir.filePath(name), name));
        QCOMPARE(DataSeal::readSeal(dir.path()).value(), std::nullopt);
        const QDateTime when(QDate(2026, 12, 7), QTime(10, 15));
        QCOMPARE(DataSeal::sealFolder(dir.path(), when).value().files.size(), std::size_t(2));
        const std::optional<DataSeal::Seal> seal = DataSeal::readSeal(dir.path()).value();
        QVERIFY(seal && seal->sealedAt == when);
        QCOMPARE(
            seal->files.front(),
            (DataSeal::SealedFile{"a.xls", 5, QCryptographicHash::hash("a.xls", QCryptographicHash::Sha256).toHex()}));
        DataSeal::Checker checker;
        QCOMPARE(checker.check(dir.path()).value(), std::vector<DataSeal::Breach>{});

        using K = DataSeal::Breach::Kind;
        QVERIFY(writeBytes(dir.filePath("a.xls"), "A.xls") && QFile::remove(dir.filePath("b.XLS"))
                && writeBytes(dir.filePath("c.xls"), "c") && writeBytes(dir.filePath("nota.txt"), "altro"));
        QFile(dir.filePath("a.xls"))
            .setFileTime(QDateTime::currentDateTime().addSecs(5), QFileDevice::FileModificationTime);
        const std::vector<DataSeal::Breach> expected{
            {K::Changed, "a.xls"}, {K::Missing, "b.XLS"}, {K::Unsealed, "c.xls"}};
        QCOMPARE(checker.check(dir.path()).value(), expected);

        QVERIFY(writeBytes(dir.filePath(DataSeal::kFileName),
                           "# ZEFRO: tabelle di dati sigillate il 2026-12-07 10:15:00\na.xls\t5\n"));
        QCOMPARE(DataSeal::readSeal(dir.path()).error().detail,
                 "riga 2: servono nome, byte e somma SHA-256 separati da tabulazioni");
    }

    // Writes cut short by the system (here a file-size limit; a full disk fails the same way): an append
    // is taken back, a new file is not left behind, a replaced file keeps its bytes and no temporary
    // file stays beside it.
    void writesCutShortLeaveFilesAsTheyWere()
    {
        const QTemporaryDir dir;
        const QString existing = dir.filePath("report.doc"), created = dir.filePath("new.doc"),
                      replaced = dir.filePath("config.txt");
        QVERIFY(writeBytes(existing, kEightLines) && writeBytes(replaced, kEightLines));
        const QStringList tooMany(40, QStringLiteral("una riga di testo"));
        const int result = runInChild(
            [&] {
                const Status appended = TextFile::appendLines(existing, tooMany);
                const Status started = TextFile::appendLines(created, tooMany);
                const Status written = TextFile::writeLines(replaced, tooMany);
                const QString why = QStringLiteral("file troppo grande per il sistema");
                return (appended.ok() || appended.error().detail != why) * 1 + started.ok() * 2 + written.ok() * 4;
            },
            [] {
                ::signal(SIGXFSZ, SIG_IGN);
                const rlimit limit{200, 200};
                return ::setrlimit(RLIMIT_FSIZE, &limit) == 0;
            });
        QCOMPARE(result, 0);
        QCOMPARE(fileBytes(existing) + fileBytes(replaced), kEightLines + kEightLines);
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"config.txt", "report.doc"}));
    }

    // An append taken back while another append to the same file waits for it: the other append is kept,
    // whether the file existed before or was made by the append taken back.
    void takingAnAppendBackKeepsOthers_data()
    {
        QTest::addColumn<QByteArray>("before"); // "-": no file
        QTest::newRow("existing file") << QByteArray("earlier\r\n");
        QTest::newRow("new file") << QByteArray("-");
    }
    void takingAnAppendBackKeepsOthers()
    {
        QFETCH(QByteArray, before);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("report.doc"));
        if (before != "-")
            QVERIFY(writeBytes(path, before));
        Outcome<std::unique_ptr<SystemFile::HeldAppend>> held = SystemFile::HeldAppend::append(path, "taken back\r\n");
        QVERIFY(held.ok());
        Status other = Error{};
        std::thread appender([&] { other = SystemFile::appendAll(path, "kept\r\n"); });
        QTest::qWait(300); // long enough for the other append to reach the file, were it not held
        held.value()->takeBack();
        held.value().reset();
        appender.join();
        QVERIFY(other.ok());
        QCOMPARE(fileBytes(path), (before == "-" ? QByteArray() : before) + "kept\r\n");
    }

    // The configuration in a folder an ordinary user cannot write to (the file itself writable), and a
    // read-only report, tried in a child process run as such a user: both keep their bytes.
    void whatTheUserMayNotChangeIsKept()
    {
        const TestDrive drive(TestDrive::Contents::Empty);
        const DrivePaths drives(drive.root());
        const QString config = drive.local(kConfig),
                      report = drive.local(reportFileName(kOutput, kWhen, QStringLiteral("Cloro")));
        QVERIFY(writeBytes(config, kEightLines) && writeBytes(report, kEightLines));
        const auto folders = [&](int permissions) {
            for (const QString &file : {config, report})
                for (QString folder = QFileInfo(file).path(); folder.size() >= drive.root().size();
                     folder = QFileInfo(folder).path())
                    QFile::setPermissions(folder, QFile::Permissions(permissions));
        };
        folders(0x5555); // r-x for everyone
        QVERIFY(QFile::setPermissions(config, QFile::Permissions(0x6606))
                && QFile::setPermissions(report, QFile::Permissions(0x4404)));
        const int result = runWithoutPrivileges([&] {
            if (!QFile(config).open(QIODevice::ReadWrite) || !QFile(report).open(QIODevice::ReadOnly))
                return 1; // the files must be within reach
            const Status saved = saveConfigurationFile(drives, Configuration::initial());
            if (saved.ok() || saved.error().detail != QStringLiteral("Permesso negato."))
                return 2;
            const Outcome<QString> appended = appendReport(drives, kOutput, QStringLiteral("Cloro"));
            return !appended.ok() && appended.error().kind == Error::Kind::FileUnwritable ? 0 : 3;
        });
        folders(0x7700);
        QCOMPARE(result, 0);
        QCOMPARE(fileBytes(config) + fileBytes(report), kEightLines + kEightLines);
    }

    // Work shared among the cores: every index done once, none left out, none done twice.
    void workSharedAmongCores()
    {
        for (const std::size_t count : {std::size_t(0), std::size_t(1), std::size_t(1001)}) {
            std::vector<std::atomic<int>> done(count);
            forEachIndexInParallel(count, [&done](std::size_t index) { ++done[index]; });
            QCOMPARE(std::count_if(done.begin(), done.end(), [](const std::atomic<int> &times) { return times == 1; }),
                     qsizetype(count));
        }
    }
};

QTEST_GUILESS_MAIN(PlatformTest)
#include "test_platform.moc"
