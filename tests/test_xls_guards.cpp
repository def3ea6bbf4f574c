#include "estimate/CompoundFileCheck.h"
#include "estimate/XlsFormulaCache.h"
#include "estimate/XlsWorkbook.h"

#include <QDirIterator>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// values.xls: 512-byte sectors, one allocation table sector, the directory in sector 9.
QByteArray values()
{
    return contents(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/values.xls"));
}

qsizetype sectorOffset(quint32 sector)
{
    return (qsizetype(sector) + 1) * 512;
}

void put16(QByteArray &bytes, qsizetype at, quint16 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

void put32(QByteArray &bytes, qsizetype at, quint32 value)
{
    qToLittleEndian(value, bytes.data() + at);
}

quint32 get32(const QByteArray &bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}

// The workbook stream of values.xls lies in one piece right after the header; its records are
// found by walking it. Returns the file offset of the n-th record of a type (0-based).
qsizetype recordOffset(const QByteArray &file, quint16 type, int n)
{
    for (qsizetype at = 512; at + 4 <= 512 + 4096;) {
        const quint16 found = qFromLittleEndian<quint16>(file.constData() + at);
        const quint16 length = qFromLittleEndian<quint16>(file.constData() + at + 2);
        if (found == type && n-- == 0)
            return at;
        at += 4 + length;
    }
    return -1;
}

constexpr quint16 kDimension = 0x0200;
constexpr quint16 kNumber = 0x0203;

// values.xls with the first worksheet's DIMENSION set to these bounds (row end, column end).
QByteArray withDimension(quint32 firstRow, quint32 rowEnd, quint16 firstColumn, quint16 columnEnd)
{
    QByteArray bytes = values();
    const qsizetype at = recordOffset(bytes, kDimension, 0);
    put32(bytes, at + 4, firstRow);
    put32(bytes, at + 8, rowEnd);
    put16(bytes, at + 12, firstColumn);
    put16(bytes, at + 14, columnEnd);
    return bytes;
}

// values.xls with its first NUMBER record (14 bytes, like a DIMENSION) turned into a second DIMENSION.
QByteArray withSecondDimension(quint32 rowEnd, quint16 columnEnd)
{
    QByteArray bytes = values();
    const qsizetype at = recordOffset(bytes, kNumber, 0);
    put16(bytes, at, kDimension);
    put32(bytes, at + 4, 0);
    put32(bytes, at + 8, rowEnd);
    put16(bytes, at + 12, 0);
    put16(bytes, at + 14, columnEnd);
    return bytes;
}

QByteArray directoryEntryNameLength(quint16 length, int entry)
{
    QByteArray bytes = values();
    put16(bytes, sectorOffset(get32(bytes, 0x30)) + 128 * entry + 0x40, length);
    return bytes;
}

} // namespace

class XlsGuardsTest : public QObject
{
    Q_OBJECT

private slots:
    void soundWorkbooksPass()
    {
        int checked = 0;
        for (const QString &folder : {QStringLiteral(ZEFRO_BUNDLED_TREE), QStringLiteral(ZEFRO_TEST_DATA)}) {
            QDirIterator it(folder, {QStringLiteral("*.xls")}, QDir::Files, QDirIterator::Subdirectories);
            while (it.hasNext()) {
                const QString path = it.next();
                QVERIFY2(compoundDirectoryProblem(contents(path)).isEmpty(), qPrintable(path));
                ++checked;
            }
        }
        QVERIFY(checked > 40);
    }

    void damagedDirectoriesAreRefused_data()
    {
        QTest::addColumn<QByteArray>("bytes");

        QTest::newRow("name length beyond its field") << directoryEntryNameLength(66, 1);
        QTest::newRow("name length 65535") << directoryEntryNameLength(0xFFFF, 0);
        QTest::newRow("odd name length") << directoryEntryNameLength(7, 1);
        QTest::newRow("unused entry with a long name") << directoryEntryNameLength(200, 3);

        QByteArray treeLink = values();
        put32(treeLink, sectorOffset(get32(treeLink, 0x30)) + 0x4C, 4000); // the root's child
        QTest::newRow("directory tree link past the last entry") << treeLink;

        QByteArray loop = values();
        const quint32 directory = get32(loop, 0x30);
        put32(loop, sectorOffset(get32(loop, 0x4C)) + 4 * directory, directory); // the sector follows itself
        QTest::newRow("directory chain loops") << loop;

        QByteArray outside = values();
        put32(outside, 0x30, 5000);
        QTest::newRow("directory beyond the file") << outside;

        QByteArray fatOutside = values();
        put32(fatOutside, 0x4C, 5000);
        QTest::newRow("allocation table beyond the file") << fatOutside;

        QByteArray tooManyFat = values();
        put32(tooManyFat, 0x2C, 100000);
        QTest::newRow("allocation table larger than the file") << tooManyFat;

        QByteArray badShift = values();
        put16(badShift, 0x1E, 10);
        QTest::newRow("sector size 1024") << badShift;

        QTest::newRow("header cut short") << values().left(300);
    }

    void damagedDirectoriesAreRefused()
    {
        QFETCH(QByteArray, bytes);
        QVERIFY(!compoundDirectoryProblem(bytes).isEmpty());
    }

    void worksheetBoundsAreChecked_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<bool>("sound");
        QTest::newRow("as written") << withDimension(0, 20, 0, 77) << true;
        QTest::newRow("every row") << withDimension(0, 65536, 0, 77) << true;
        QTest::newRow("every column") << withDimension(0, 20, 0, 256) << true;
        QTest::newRow("rows beyond 65536") << withDimension(0, 0x10000000, 0, 77) << false;
        QTest::newRow("columns beyond 256") << withDimension(0, 20, 0, 300) << false;
        QTest::newRow("first row after the end") << withDimension(30, 20, 0, 77) << false;
        QTest::newRow("first column after the end") << withDimension(0, 20, 80, 77) << false;
        QTest::newRow("second, smaller bounds") << withSecondDimension(3, 3) << false;
        QTest::newRow("second, huge bounds") << withSecondDimension(0x9FF40013, 0xEC11) << false;
    }

    void worksheetBoundsAreChecked()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(bool, sound);
        QVERIFY(recordOffset(values(), kDimension, 0) > 0);
        const XlsFormulaCache cache = XlsFormulaCache::fromFileBytes(bytes);
        QCOMPARE(cache.failure() == XlsFormulaCache::Failure::None, sound);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("values.xls"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        file.close();
        const auto opened = openXlsWorkbook(path, QStringLiteral("c:\\dati\\41.xls"));
        QCOMPARE(opened.ok(), sound);
        if (!sound)
            QCOMPARE(opened.error().kind, WorkbookError::Kind::Damaged);
    }

    // Inputs with which fuzzing made FreeXL read past a directory entry's name, and free a pointer
    // it never allocated after a second DIMENSION record.
    void fuzzedWorkbooksNeverReachFreeXl_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("directory name") << QStringLiteral("directory-name-length-overread.xls");
        QTest::newRow("second dimension") << QStringLiteral("second-dimension-record.xls");
    }

    void fuzzedWorkbooksNeverReachFreeXl()
    {
        QFETCH(QString, name);
        const QString path = QStringLiteral(ZEFRO_SOURCE_DIR "/tests/fuzz/regressions/workbook/") + name;
        QVERIFY(QFile::exists(path));
        const auto opened = openXlsWorkbook(path, QStringLiteral("c:\\dati\\111.xls"));
        QVERIFY(!opened.ok());
        QCOMPARE(opened.error().kind, WorkbookError::Kind::Damaged);
        QVERIFY(opened.error().message().contains(QStringLiteral("111.xls")));
    }

    void damagedDirectoryIsReportedAsDamagedWorkbook()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("12.xls"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(directoryEntryNameLength(0xFFFF, 1));
        file.close();
        const auto opened = openXlsWorkbook(path, QStringLiteral("c:\\dati\\12.xls"));
        QVERIFY(!opened.ok());
        QCOMPARE(opened.error().kind, WorkbookError::Kind::Damaged);
        QVERIFY(opened.error().detail.contains(QStringLiteral("directory")));
    }
};

QTEST_GUILESS_MAIN(XlsGuardsTest)
#include "test_xls_guards.moc"
