// The .xls reader on real files: plain workbooks written by xlwt (tools/fixtures/make_test_workbooks.py),
// a workbook with formulas saved by LibreOffice Calc (tools/fixtures/make_formula_workbook.sh), and
// broken files made on the fly.
#include "estimate/XlsWorkbook.h"
#include "estimate/XlsWorkbookOpener.h"
#include "support/TestDrive.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

Q_DECLARE_METATYPE(CellValue)
Q_DECLARE_METATYPE(WorkbookError::Kind)

namespace {

QString fixture(const QString &name)
{
    return QStringLiteral(ZEFRO_TEST_DATA "/workbooks/") + name;
}

QByteArray fileBytes(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

CellValue num(double value) { return CellValue::number(value); }
CellValue txt(const QString &value) { return CellValue::text(value); }

const char *kindName(CellValue::Kind kind)
{
    switch (kind) {
    case CellValue::Kind::Empty: return "empty";
    case CellValue::Kind::Number: return "number";
    case CellValue::Kind::Text: return "text";
    }
    return "?";
}

int openFileDescriptors()
{
    return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size());
}

} // namespace

class WorkbookTest : public QObject
{
    Q_OBJECT

private:
    // Opens a fixture, failing the test when it does not open.
    WorkbookHandle open(const QString &name)
    {
        const auto opened = openXlsWorkbook(fixture(name), QStringLiteral("c:\\dati\\") + name);
        if (!opened.ok())
            qWarning("%s", qPrintable(opened.error().message()));
        return opened.ok() ? opened.value() : nullptr;
    }

    // Compares a read value with the expected one by kind and content, not by the lenient
    // table comparison (which would let empty pass for 0).
    static void verifySame(const Outcome<CellValue> &read, const CellValue &expected)
    {
        QVERIFY2(read.ok(), read.ok() ? "" : qPrintable(read.error().message()));
        const CellValue &value = read.value();
        QCOMPARE(kindName(value.kind()), kindName(expected.kind()));
        QCOMPARE(value.toNumber(), expected.toNumber());
        QCOMPARE(value.toText(), expected.toText());
    }

    void addCellRows()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("address");
        QTest::addColumn<CellValue>("expected");
    }

private slots:
    void plainValues_data()
    {
        addCellRows();
        // Numbers: whole ones come from FreeXL as integers, others as doubles; both are numbers.
        QTest::newRow("whole") << 1 << "A1" << num(12);
        QTest::newRow("whole written as 12.0") << 1 << "A2" << num(12);
        QTest::newRow("fraction") << 1 << "A3" << num(3.25);
        QTest::newRow("negative") << 1 << "A4" << num(-7);
        QTest::newRow("large") << 1 << "A5" << num(123456789012.0);
        QTest::newRow("tenth") << 1 << "A6" << num(0.1);
        QTest::newRow("zero") << 1 << "A7" << num(0);
        QTest::newRow("more than 10000 m") << 1 << "A8" << num(10001);
        // Texts exactly as written: blanks, accents, texts that look like numbers.
        QTest::newRow("text") << 1 << "B1" << txt("Acido solforico");
        QTest::newRow("blanks kept") << 1 << "B2" << txt("  Perossido di idrogeno  ");
        QTest::newRow("accents") << 1 << "B3" << txt(QStringLiteral("Città è più già"));
        QTest::newRow("number-like text") << 1 << "B4" << txt("4.3");
        QTest::newRow("CAS") << 1 << "B5" << txt("7664-41-7");
        QTest::newRow("text zero") << 1 << "B6" << txt("0");
        QTest::newRow("trailing blank") << 1 << "B7" << txt("5.2.1 ");
        // Dates and times come back as text.
        QTest::newRow("date") << 1 << "C1" << txt("2006-12-04");
        QTest::newRow("date and time") << 1 << "C2" << txt("2006-12-04 09:05:30");
        QTest::newRow("time") << 1 << "C3" << txt("09:05:30");
        // Booleans are 1 and 0; error values carry no number and read as empty.
        QTest::newRow("TRUE") << 1 << "D1" << num(1);
        QTest::newRow("FALSE") << 1 << "D2" << num(0);
        QTest::newRow("#DIV/0!") << 1 << "D3" << CellValue();
        QTest::newRow("#N/A") << 1 << "D4" << CellValue();
        // Empty cells inside the used range.
        QTest::newRow("formatted blank") << 1 << "E1" << CellValue();
        QTest::newRow("never written") << 1 << "F5" << CellValue();
        // Far columns.
        QTest::newRow("Z") << 1 << "Z1" << txt("Z");
        QTest::newRow("AA") << 1 << "AA1" << txt("AA");
        QTest::newRow("AZ") << 1 << "AZ1" << num(47);
        QTest::newRow("BA") << 1 << "BA1" << num(48);
        QTest::newRow("BY") << 1 << "BY1" << txt("BY");
        QTest::newRow("BX2") << 1 << "BX2" << num(2.5);
        QTest::newRow("last row") << 1 << "A20" << txt("ultima riga");
        // Beyond the used range: empty, not an error.
        QTest::newRow("below last row") << 1 << "A21" << CellValue();
        QTest::newRow("right of last column") << 1 << "BZ1" << CellValue();
        QTest::newRow("last cell of the format") << 1 << "IV65536" << CellValue();
        QTest::newRow("beyond the format") << 1 << "XFD1048576" << CellValue();
        // Other worksheets.
        QTest::newRow("sheet 2") << 2 << "A1" << txt("foglio 2");
        QTest::newRow("sheet 3") << 3 << "C4" << num(300);
        QTest::newRow("empty sheet") << 4 << "A1" << CellValue();
        QTest::newRow("empty sheet far") << 4 << "BY200" << CellValue();
    }
    void plainValues()
    {
        QFETCH(int, sheet);
        QFETCH(QString, address);
        QFETCH(CellValue, expected);
        const WorkbookHandle book = open(QStringLiteral("values.xls"));
        QVERIFY(book);
        QCOMPARE(book->sheetCount(), 4);
        verifySame(book->readCell(sheet, address), expected);
    }

    void worksheetIsChosenForEveryRead()
    {
        const WorkbookHandle book = open(QStringLiteral("values.xls"));
        QVERIFY(book);
        // Straight after opening FreeXL points at the last worksheet; the first read must not see it.
        verifySame(book->readCell(1, QStringLiteral("A1")), num(12));
        const QList<int> order{3, 1, 2, 3, 3, 1, 4, 2, 1};
        for (const int sheet : order) {
            const CellValue expected = sheet == 1 ? num(12) : sheet == 4 ? CellValue() : txt(QStringLiteral("foglio %1").arg(sheet));
            verifySame(book->readCell(sheet, QStringLiteral("A1")), expected);
            verifySame(book->readCell(sheet, QStringLiteral("B1")),
                       sheet == 1 ? txt("Acido solforico") : sheet == 4 ? CellValue() : num(sheet));
        }
    }

    void readValuesCompareAsTheTablesNeed()
    {
        const WorkbookHandle book = open(QStringLiteral("values.xls"));
        QVERIFY(book);
        const auto cell = [&](const char *address) {
            const auto read = book->readCell(1, QString::fromLatin1(address));
            return read.ok() ? read.value() : txt("<unreadable>");
        };
        QVERIFY(cell("A1") == num(12));
        QVERIFY(cell("A1") == cell("A2"));            // 12 and 12.0
        QVERIFY(cell("A3") != num(3.2));
        QVERIFY(cell("B4") == txt("4.3"));
        QVERIFY(cell("B4") != num(4.3));              // a text never equals a number
        QVERIFY(cell("B7") != txt("5.2.1"));          // no trimming
        QVERIFY(cell("B1") != txt("acido solforico")); // case counts
        QVERIFY(cell("B3") == txt(QStringLiteral("Città è più già")));
        QVERIFY(cell("F5") == num(0));                // empty equals 0 ...
        QVERIFY(cell("F5") == txt(QString()));        // ... and the empty text
        QVERIFY(cell("A7") == cell("F5"));
        QVERIFY(cell("B6") != num(0));                // the text "0" is neither 0 ...
        QVERIFY(cell("B6") != cell("F5"));            // ... nor empty
        QVERIFY(cell("D3") == num(0));                // an error value reads as empty
        QVERIFY(cell("D1") == num(1));
    }

    void formulaResults_data()
    {
        addCellRows();
        QTest::newRow("constant next to formulas") << 1 << "A1" << num(21);
        QTest::newRow("=A1*2") << 1 << "B1" << num(42);
        QTest::newRow("=SUM(A1:A2)") << 1 << "B2" << num(25.5);
        QTest::newRow("=CONCATENATE") << 1 << "B3" << txt("4.3");
        QTest::newRow("text join") << 1 << "B4" << txt("4.3");
        QTest::newRow("TRUE result") << 1 << "B5" << num(1);
        QTest::newRow("=1/0") << 1 << "B6" << CellValue();
        QTest::newRow("empty text result") << 1 << "B7" << txt(QString());
        QTest::newRow("one-byte text over several records") << 1 << "B8" << txt(QString(9000, QChar(0x00E8)));
        QTest::newRow("FALSE result") << 1 << "B9" << num(0);
        QTest::newRow("text from a cell") << 1 << "B10" << txt("Ammoniaca anidra");
        QTest::newRow("two-byte text over several records") << 1 << "B11" << txt(QString(5000, QChar(0x20AC)));
        // C1:C6 hold one formula filled down, which Calc stores as a shared formula.
        QTest::newRow("shared formula first") << 1 << "C1" << num(10);
        QTest::newRow("shared formula middle") << 1 << "C3" << num(30);
        QTest::newRow("shared formula last") << 1 << "C6" << num(60);
        QTest::newRow("array formula first cell") << 1 << "D1" << num(42);
        QTest::newRow("array formula second cell") << 1 << "D2" << num(9);
        QTest::newRow("far column AB") << 1 << "AB3" << num(25.5);
        QTest::newRow("far column BY") << 1 << "BY10" << num(10.5);
        QTest::newRow("empty cell among formulas") << 1 << "C7" << CellValue();
        QTest::newRow("second sheet number") << 2 << "B2" << num(22);
        QTest::newRow("second sheet text") << 2 << "C3" << txt(QStringLiteral("CLORO ÀÈ"));
        QTest::newRow("second sheet constant") << 2 << "D4" << num(7);
        QTest::newRow("second sheet empty") << 2 << "B1" << CellValue();
        QTest::newRow("third sheet") << 3 << "A1" << num(220);
        QTest::newRow("third sheet constant") << 3 << "A2" << num(3);
    }
    void formulaResults()
    {
        QFETCH(int, sheet);
        QFETCH(QString, address);
        QFETCH(CellValue, expected);
        const WorkbookHandle book = open(QStringLiteral("formulas.xls"));
        QVERIFY(book);
        QCOMPARE(book->sheetCount(), 3);
        // Read another worksheet first, so that a result stored under the wrong sheet shows.
        QVERIFY(book->readCell(sheet == 1 ? 2 : 1, QStringLiteral("B2")).ok());
        verifySame(book->readCell(sheet, address), expected);
    }

    void cellFailures_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("address");
        QTest::addColumn<WorkbookError::Kind>("kind");
        QTest::newRow("sheet 0") << 0 << "A1" << WorkbookError::Kind::NoSuchSheet;
        QTest::newRow("sheet beyond the count") << 5 << "A1" << WorkbookError::Kind::NoSuchSheet;
        QTest::newRow("negative sheet") << -1 << "C3" << WorkbookError::Kind::NoSuchSheet;
        QTest::newRow("empty address") << 1 << "" << WorkbookError::Kind::BadAddress;
        QTest::newRow("lower case") << 1 << "a1" << WorkbookError::Kind::BadAddress;
        QTest::newRow("row 0") << 2 << "A0" << WorkbookError::Kind::BadAddress;
        QTest::newRow("digits first") << 3 << "1A" << WorkbookError::Kind::BadAddress;
        QTest::newRow("blank inside") << 1 << "A 1" << WorkbookError::Kind::BadAddress;
        QTest::newRow("column beyond XFD") << 1 << "XFE1" << WorkbookError::Kind::BadAddress;
    }
    void cellFailures()
    {
        QFETCH(int, sheet);
        QFETCH(QString, address);
        QFETCH(WorkbookError::Kind, kind);
        const WorkbookHandle book = open(QStringLiteral("values.xls"));
        QVERIFY(book);
        const auto read = book->readCell(sheet, address);
        QVERIFY(!read.ok());
        const WorkbookError &error = read.error();
        QCOMPARE(error.kind, kind);
        QCOMPARE(error.file, QStringLiteral("c:\\dati\\values.xls"));
        QCOMPARE(error.sheet, sheet);
        QCOMPARE(error.cell, address);
        const QString message = error.message();
        QVERIFY2(message.contains(QStringLiteral("c:\\dati\\values.xls")), qPrintable(message));
        if (sheet > 0)
            QVERIFY2(message.contains(QStringLiteral("foglio %1").arg(sheet)), qPrintable(message));
        if (!address.isEmpty())
            QVERIFY2(message.contains(QStringLiteral("cella ") + address), qPrintable(message));
        // A failed read leaves the workbook usable.
        verifySame(book->readCell(1, QStringLiteral("A1")), num(12));
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<WorkbookError::Kind>("kind");
        const QByteArray good = fileBytes(fixture(QStringLiteral("formulas.xls")));
        QVERIFY(good.size() > 8192);
        const QByteArray signature = good.left(8);
        QRandomGenerator random(20061204);
        QByteArray noise(6144, Qt::Uninitialized);
        random.fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);

        QTest::newRow("empty file") << QByteArray() << WorkbookError::Kind::NotAWorkbook;
        QTest::newRow("text renamed .xls")
            << QByteArray("CAS;nome\r\n7664-41-7;Ammoniaca\r\n").repeated(40) << WorkbookError::Kind::NotAWorkbook;
        QTest::newRow("zip archive") << QByteArray("PK\x03\x04").append(noise) << WorkbookError::Kind::NotAWorkbook;
        QTest::newRow("random bytes") << noise << WorkbookError::Kind::NotAWorkbook;
        QTest::newRow("signature then random bytes") << QByteArray(signature).append(noise) << WorkbookError::Kind::Damaged;
        for (const qsizetype length : {qsizetype(8), qsizetype(100), qsizetype(511), qsizetype(512), qsizetype(1024),
                                       qsizetype(2048), qsizetype(4096), good.size() / 2, good.size() - 512, good.size() - 1}) {
            QTest::addRow("truncated to %lld bytes", qlonglong(length)) << good.left(length) << WorkbookError::Kind::Damaged;
        }
    }
    void brokenFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(WorkbookError::Kind, kind);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("111.xls"));
        QVERIFY(writeBytes(path, bytes));
        const QString systemName = QStringLiteral("c:\\revisione metodo speditivo\\dati\\111.xls");
        const auto opened = openXlsWorkbook(path, systemName);
        QVERIFY(!opened.ok());
        QCOMPARE(opened.error().kind, kind);
        QCOMPARE(opened.error().file, systemName);
        QVERIFY(opened.error().message().contains(systemName));
    }

    void truncatedAtEveryLengthIsRefused()
    {
        // Every 509th length (a prime, so the cuts fall everywhere within the sectors).
        const QByteArray good = fileBytes(fixture(QStringLiteral("formulas.xls")));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("cut.xls"));
        for (qsizetype length = 8; length < good.size(); length += 509) {
            QVERIFY(writeBytes(path, good.left(length)));
            const auto opened = openXlsWorkbook(path, path);
            QVERIFY2(!opened.ok(), qPrintable(QStringLiteral("opened when cut to %1 bytes").arg(length)));
            QCOMPARE(opened.error().kind, WorkbookError::Kind::Damaged);
        }
    }

    void missingFileAndFolder()
    {
        QTemporaryDir dir;
        const auto missing = openXlsWorkbook(dir.filePath(QStringLiteral("nessuno.xls")), QStringLiteral("c:\\x\\nessuno.xls"));
        QVERIFY(!missing.ok());
        QCOMPARE(missing.error().kind, WorkbookError::Kind::MissingFile);
        QCOMPARE(missing.error().file, QStringLiteral("c:\\x\\nessuno.xls"));
        QCOMPARE(missing.error().sheet, 0);
        QVERIFY(missing.error().cell.isEmpty());

        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("cartella.xls")));
        const auto folder = openXlsWorkbook(dir.filePath(QStringLiteral("cartella.xls")), QStringLiteral("c:\\x\\cartella.xls"));
        QVERIFY(!folder.ok());
        QCOMPARE(folder.error().kind, WorkbookError::Kind::MissingFile);
    }

    void openerMapsTheSystemPath()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        const QString folder = QStringLiteral("c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO 200605\\");
        drive.writeFile(folder + QStringLiteral("classe 4 tabelle nomi e indicazione zona.xls"),
                        fileBytes(fixture(QStringLiteral("values.xls"))));
        const XlsWorkbookOpener opener{DrivePaths(drive.root())};

        const QString present = folder + QStringLiteral("classe 4 tabelle nomi e indicazione zona.xls");
        const auto opened = opener.open(present);
        QVERIFY2(opened.ok(), opened.ok() ? "" : qPrintable(opened.error().message()));
        QCOMPARE(opened.value()->name(), present);
        verifySame(opened.value()->readCell(3, QStringLiteral("C4")), num(300));
        const auto failed = opened.value()->readCell(9, QStringLiteral("A1"));
        QVERIFY(!failed.ok());
        QCOMPARE(failed.error().file, present);

        const QString absent = folder + QStringLiteral("classe 51 tabelle nomi e indicazione zone.xls");
        const auto missing = opener.open(absent);
        QVERIFY(!missing.ok());
        QCOMPARE(missing.error().kind, WorkbookError::Kind::MissingFile);
        QCOMPARE(missing.error().file, absent);
        QVERIFY(missing.error().message().contains(absent));
    }

    void handlesAreReleased()
    {
        // FreeXL keeps the file open in its handle, also after a failed open: both must be closed.
        QTemporaryDir dir;
        const QString broken = dir.filePath(QStringLiteral("rotto.xls"));
        QVERIFY(writeBytes(broken, fileBytes(fixture(QStringLiteral("formulas.xls"))).left(4096)));
        const int before = openFileDescriptors();
        for (int i = 0; i < 40; ++i) {
            const auto good = openXlsWorkbook(fixture(QStringLiteral("values.xls")), QStringLiteral("v"));
            QVERIFY(good.ok());
            QVERIFY(good.value()->readCell(1, QStringLiteral("A1")).ok());
            QVERIFY(!openXlsWorkbook(broken, QStringLiteral("r")).ok());
            QVERIFY(!openXlsWorkbook(dir.filePath(QStringLiteral("assente.xls")), QStringLiteral("a")).ok());
        }
        QCOMPARE(openFileDescriptors(), before);
    }

    void workbooksStayReadableTogether()
    {
        // The class lookup keeps eleven workbooks open and reads them in turn.
        QList<WorkbookHandle> books;
        for (int i = 0; i < 11; ++i) {
            books << open(i % 2 ? QStringLiteral("values.xls") : QStringLiteral("formulas.xls"));
            QVERIFY(books.last());
        }
        for (int round = 0; round < 3; ++round) {
            for (int i = 0; i < books.size(); ++i)
                verifySame(books[i]->readCell(1, QStringLiteral("B1")), i % 2 ? txt("Acido solforico") : num(42));
            for (int i = 0; i < books.size(); ++i)
                verifySame(books[i]->readCell(1, QStringLiteral("A1")), i % 2 ? num(12) : num(21));
        }
    }
};

QTEST_GUILESS_MAIN(WorkbookTest)
#include "test_workbook.moc"
