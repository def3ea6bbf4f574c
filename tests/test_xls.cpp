// The .xls reader on the workbooks of tools/fixtures (xlwt; LibreOffice Calc with formulas), damaged
// files and the checks that keep them from FreeXL, and workbook streams built record by record here.
#include "xls/CellAddress.h"
#include "xls/CompoundFileCheck.h"
#include "xls/XlsFormulaCache.h"
#include "xls/XlsWorkbookOpener.h"
#include "support/TestDrive.h"

#include <QtEndian>
#include <QtTest>

#include <bit>
#include <cmath>

namespace {

const QString kSystemPath = QStringLiteral("c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO 200605\\111.xls");

QByteArray fixture(const QString &name)
{
    return fileBytes(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/") + name);
}

// Kind and content, so that empty never passes for 0 as it does in the table comparison.
QString shown(const CellValue &value)
{
    return value.isEmpty() ? "empty"
        : value.isNumber() ? "number " + QString::number(value.toNumber(), 'g', 17)
                           : "text '" + value.toText() + "'";
}

// Little-endian fields and BIFF records: BOF, EOF, and a FORMULA record at B3 (row 2, column 1)
// unless told otherwise, with its 8-byte result (a number, or a marker: kind 0 text in a STRING
// record to follow, 1 boolean, 2 error, 3 empty text).
QByteArray le(quint64 value, int bytes)
{
    value = qToLittleEndian(value);
    return QByteArray(reinterpret_cast<const char *>(&value), bytes);
}
QByteArray rec(quint16 type, const QByteArray &data)
{
    return le(type, 2) + le(quint64(data.size()), 2) + data;
}
QByteArray bof(quint16 kind, quint16 version = 0x0600)
{
    return rec(0x0809, le(version, 2) + le(kind, 2) + le(0x07CC0DBB, 4) + le(0x0206, 8));
}
const QByteArray kEof = rec(0x000A, {});
QByteArray formula(const QByteArray &result, int row = 2, int column = 1)
{
    return rec(0x0006, le(row, 2) + le(column, 2) + le(15, 2) + result + le(0, 8));
}
QByteArray number(double value)
{
    return le(std::bit_cast<quint64>(value), 8);
}
QByteArray marker(int kind, int value = 0)
{
    return le(kind, 1) + le(0, 1) + le(value, 1) + le(0, 3) + le(0xFFFF, 2);
}
// A STRING record with a count of characters and a segment of text (option byte, then one or two bytes a character).
QByteArray chars(const QString &text, bool wide = false)
{
    return le(wide, 1)
        + (wide ? QByteArray(reinterpret_cast<const char *>(text.utf16()), text.size() * 2)
                : text.toLatin1()); // x86-64, ARM
}
QByteArray string(int count, const QByteArray &segment)
{
    return rec(0x0207, le(count, 2) + segment);
}

// A workbook stream of one worksheet: the globals (their first records, then the sheet list), then its body.
QByteArray workbookStream(const QByteArray &body, const QByteArray &globals = {}, quint16 version = 0x0600)
{
    const QByteArray head = bof(0x0005, version) + globals, name = QByteArray(version == 0x0600, '\0') + "Foglio";
    return head + rec(0x0085, le(quint64(head.size()) + 15 + name.size(), 4) + le(0, 2) + le(6, 1) + name) + kEof
        + bof(0x0010, version) + body + kEof;
}

// values.xls changed at a byte offset. It has 512-byte sectors, the allocation table in sector 8, the
// directory in sector 9, and the workbook stream in one piece after the header: its first
// INTERFACEHDR record at 0x214, the first worksheet's DIMENSION at 0x7D5 and first NUMBER at 0x95B.
QByteArray values(qsizetype at = 0, quint64 value = 0, int size = 0)
{
    return fixture(QStringLiteral("values.xls")).replace(at, size, le(value, size));
}
constexpr qsizetype kDirectory = 10 * 512;
// values.xls with the DIMENSION (or its first NUMBER turned into a second DIMENSION) set to these bounds.
QByteArray withDimension(quint64 firstRow, quint64 rowEnd, quint64 firstColumn, quint64 columnEnd, qsizetype at = 0x7D5)
{
    return values().replace(
        at, 18, rec(0x0200, le(firstRow, 4) + le(rowEnd, 4) + le(firstColumn, 2) + le(columnEnd, 2) + le(0, 2)));
}

} // namespace

class XlsTest : public QObject
{
    Q_OBJECT

private slots:
    void cells_data()
    {
        QTest::addColumn<QString>("cell"); // workbook, worksheet, address
        QTest::addColumn<QString>("value");
        const auto row = [](const char *name, const char *cell, const QString &value) {
            QTest::newRow(name) << QString::fromUtf8(cell) << value;
        };
        // Whole numbers come from FreeXL as integers, others as doubles; texts and dates as it gives them.
        row("whole", "values.xls 1 A1", "number 12");
        row("date", "values.xls 1 C1", "text '2006-12-04'");
        row("TRUE", "values.xls 1 D1", "number 1");
        row("#DIV/0!", "values.xls 1 D3", "empty");
        row("beyond the format", "values.xls 1 XFD1048576", "empty");
        row("last sheet, empty", "values.xls 4 A1", "empty");
        row("sheet 0", "values.xls 0 A1", "error: Il foglio di lavoro richiesto non esiste");
        row("sheet beyond the count", "values.xls 5 A1", "error: Il foglio di lavoro richiesto non esiste");
        row("bad address", "values.xls 2 a1", "error: Indirizzo di cella non valido");
        // FreeXL reads formula cells as empty; their stored results are read instead.
        row("=A1*2", "formulas.xls 1 B1", "number 42");
        row("empty cell among formulas", "formulas.xls 1 C7", "empty");
        row("second sheet", "formulas.xls 2 C3", QStringLiteral("text 'CLORO ÀÈ'"));
    }
    void cells()
    {
        QFETCH(QString, cell);
        QFETCH(QString, value);
        const QStringList where = cell.split(' ');
        const auto open = [](const QString &file) {
            return openXlsWorkbook(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/") + file, "c:\\d\\" + file).value();
        };
        const WorkbookHandle book = open(where[0]),
                             other = open(where[0] == "values.xls" ? "formulas.xls" : "values.xls");
        // FreeXL keeps the active worksheet in its handle, the last one straight after opening: read
        // another worksheet of this workbook, and one of another open workbook, first.
        QVERIFY(book->readCell(where[1] == "1" ? 2 : 1, QStringLiteral("B2")).ok()
                && other->readCell(3, QStringLiteral("A1")).ok());
        const Outcome<CellValue> read = book->readCell(where[1].toInt(), where[2]);
        QCOMPARE(read.ok() ? shown(read.value()) : "error: " + read.error().message().section(':', 0, 0), value);
        if (!read.ok()) // naming where
            QCOMPARE(read.error().file + ' ' + QString::number(read.error().sheet) + ' ' + read.error().cell,
                     "c:\\d\\" + cell);
    }

    void opening_data()
    {
        QTest::addColumn<QByteArray>("bytes"); // "none": no file; "folder": a folder in its place
        QTest::addColumn<QString>("opened"); // "opened", or the error kind and its detail when one is named
        const QByteArray good = fixture(QStringLiteral("formulas.xls"));
        QTest::newRow("missing") << QByteArray("none") << "missing";
        QTest::newRow("a folder in its place") << QByteArray("folder") << "missing: al suo posto c'è una cartella";
        QTest::newRow("empty file") << QByteArray() << "not a workbook: file vuoto";
        QTest::newRow("zip archive (.xlsx)")
            << QByteArray("PK\x03\x04\x01\x7f\xfe").repeated(900) << "not a workbook: formato .xlsx o archivio ZIP";
        QTest::newRow("header cut short") << good.left(511) << "damaged: file troncato";
        QTest::newRow("header alone") << good.left(512) << "damaged: tabella di allocazione più grande del file";
        // Every 509th length: a prime, so that the cuts fall everywhere within the sectors.
        for (qsizetype length = 1024; length < good.size(); length += 509)
            QTest::addRow("cut to %lld bytes", qlonglong(length)) << good.left(length) << "damaged";
        QTest::newRow("password") << values(0x214, 0x002F, 2) << "not a workbook: cartella protetta da password";
        QTest::newRow("no workbook stream")
            << values(kDirectory + 128, 'X', 1) << "not a workbook: nessun foglio di calcolo nel file";
        // The compound file's directory, checked before FreeXL sees it.
        const qsizetype root = kDirectory, name = kDirectory + 3 * 128 + 0x40;
        QTest::newRow("name of 64 bytes") << values(name, 64, 2) << "opened";
        QTest::newRow("name beyond its field")
            << values(name, 66, 2) << "damaged: nome di una voce della directory non valido";
        QTest::newRow("odd name length") << values(name, 7, 2)
                                         << "damaged: nome di una voce della directory non valido";
        QTest::newRow("child past the last entry")
            << values(root + 0x4C, 4, 4) << "damaged: albero della directory non valido";
        QTest::newRow("directory chain loops")
            << values((8 + 1) * 512 + 4 * 9, 9, 4) << "damaged: catena della directory chiusa su se stessa";
        QTest::newRow("directory beyond the file")
            << values(0x30, 10, 4) << "damaged: catena della directory fuori dal file";
        QTest::newRow("no directory") << values(0x30, 0xFFFFFFFE, 4) << "damaged: directory vuota";
        QTest::newRow("allocation table beyond the file")
            << values(0x4C, 10, 4) << "damaged: settore della tabella di allocazione fuori dal file";
        QTest::newRow("allocation table larger than the file")
            << values(0x2C, 11, 4) << "damaged: tabella di allocazione più grande del file";
        QTest::newRow("allocation list missing") << values(0x2C, 110, 4) + QByteArray(120 * 512, '\0')
                                                 << "damaged: elenco della tabella di allocazione interrotto";
        QTest::newRow("sector size 1024") << values(0x1E, 10, 2) << "damaged: dimensione dei settori non valida";
        QTest::newRow("sector size 4096")
            << values(0x1E, 12, 2) << "damaged: tabella di allocazione più grande del file";
        // Worksheet bounds (DIMENSION) that FreeXL would size its grid from.
        QTest::newRow("every row, every column") << withDimension(0, 65536, 0, 256) << "opened";
        QTest::newRow("first row at the end") << withDimension(20, 20, 0, 77) << "opened";
        QTest::newRow("one row too many") << withDimension(0, 65537, 0, 77) << "damaged";
        QTest::newRow("one column too many") << withDimension(0, 20, 0, 257) << "damaged";
        QTest::newRow("first row after the end") << withDimension(21, 20, 0, 77) << "damaged";
        QTest::newRow("first column after the end") << withDimension(0, 20, 78, 77) << "damaged";
        QTest::newRow("a second one") << withDimension(0, 3, 0, 3, 0x95B) << "damaged: dimensioni del foglio ripetute";
    }
    void opening()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, opened);
        const TestDrive drive(TestDrive::Contents::Empty);
        if (bytes == "folder")
            QVERIFY(QDir().mkpath(drive.local(kSystemPath)));
        else if (bytes != "none")
            drive.writeFile(kSystemPath, bytes);
        const auto open = XlsWorkbookOpener(DrivePaths(drive.root())).open(kSystemPath);
        if (!open.ok())
            QCOMPARE(open.error().file, kSystemPath);
        const QString kind
            = open.ok() ? "opened" : QStringList{"missing", "not a workbook", "damaged"}.value(int(open.error().kind));
        QCOMPARE(!open.ok() && opened.contains(':') ? kind + ": " + open.error().detail : kind, opened);
    }

    void storedResults_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("found"); // the stored value of B3 on worksheet 1, or the failure
        const QByteArray text = formula(marker(0));
        const QByteArray good = workbookStream(formula(number(1.0)) + formula(number(2.0), 5));
        const auto row = [&](const char *name, const QByteArray &body, const char *found) {
            QTest::newRow(name) << workbookStream(body) << QString::fromUtf8(found);
        };
        row("TRUE", formula(marker(1, 1)), "number 1");
        row("error", formula(marker(2, 7)), "empty");
        row("empty text", formula(marker(3)), "text ''");
        row("constant error", rec(0x0205, le(2, 2) + le(1, 2) + le(15, 2) + "\x07\x01"), "empty");
        row("constant boolean", rec(0x0205, le(2, 2) + le(1, 2) + le(15, 2) + QByteArray("\x01\x00", 2)), "no entry");
        row("unknown marker", formula(marker(9)), "unreadable");
        row("not a number", formula(number(std::nan(""))), "unreadable");
        row("formula record too short", rec(0x0006, le(2, 2) + le(1, 2) + le(15, 2) + number(5).left(7)), "no entry");
        row("text after a shared and an array formula",
            text + rec(0x04BC, QByteArray(10, '\0')) + rec(0x0221, QByteArray(14, '\0')) + string(2, chars("ok")),
            "text 'ok'");
        row("text continued, one byte, two, one",
            text + string(3, chars("a")) + rec(0x003C, chars("€", true)) + rec(0x003C, chars("z")), "text 'a€z'");
        row("text record missing", text + rec(0x0203, le(3, 2) + le(0, 4) + number(1)), "unreadable");
        row("text shorter than its count", text + string(10, chars("abc")), "unreadable");
        // A continuation without characters ends the text, even when another one follows.
        row("empty continuation", text + string(4, chars("ab")) + rec(0x003C, {}) + rec(0x003C, chars("cd")),
            "unreadable");
        row("continuation of no characters",
            text + string(4, chars("ab")) + rec(0x003C, chars("")) + rec(0x003C, chars("cd")), "unreadable");
        row("inside an embedded chart", bof(0x0020) + formula(number(9)) + kEof, "no entry");
        row("after an embedded chart", bof(0x0020) + kEof + formula(number(8)), "number 8");
        const QByteArray bounds = rec(0x0200, le(0, 4) + le(4, 4) + le(0, 2) + le(3, 2) + le(0, 2));
        row("worksheet bounds given twice", bounds + bounds + formula(number(1)), "damaged");
        QTest::newRow("Excel 95 text, Windows code page")
            << workbookStream(formula(marker(0)) + string(3, "\x80\xA0\x41"), {}, 0x0500)
            << QStringLiteral("text '€\u00A0A'");
        // Bytes after the last worksheet are padding, even a record cut short there.
        QTest::newRow("cut record after the last worksheet")
            << good + le(0x0006, 2) + le(500, 2) + QByteArray(10, '\x7F') << "number 1";
        QTest::newRow("text result at the end") << workbookStream(text).chopped(4) << "unreadable";
        QTest::newRow("cut inside a worksheet") << good.chopped(10) << "damaged";
        QTest::newRow("password") << workbookStream(formula(number(1)), rec(0x002F, QByteArray(54, '\x11')))
                                  << "encrypted";
        QTest::newRow("password record in a worksheet")
            << workbookStream(formula(number(1)) + rec(0x002F, QByteArray(54, '\x11'))) << "number 1";
        QTest::newRow("eight nested sections") << bof(0x0005) + bof(0x0020).repeated(7) << "no entry";
        QTest::newRow("nine nested sections") << bof(0x0005) + bof(0x0020).repeated(8) << "damaged";
    }
    void storedResults()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, found);
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(stream);
        QCOMPARE(cache.problem().isEmpty(), cache.ok());
        QVERIFY(cache.ok() || cache.size() == 0); // a damaged stream gives nothing
        const XlsFormulaCache::Entry *entry = cache.find(0, 2, 1);
        const QString failure
            = QStringList{"", "no container", "no workbook stream", "encrypted", "damaged"}.value(int(cache.failure()));
        QCOMPARE(!cache.ok()            ? failure
                     : !entry           ? QStringLiteral("no entry")
                     : !entry->readable ? QStringLiteral("unreadable")
                                        : shown(entry->value),
                 found);
        QVERIFY(!cache.find(1, 2, 1) && !cache.find(0, 65536 + 2, 1)); // nothing on another worksheet or row
    }

    void cellAddresses()
    {
        for (const char *entry : {"A1 0 0", "Z9 8 25", "AA12 11 26", "BY204 203 76", "ZZ3 2 701", "AAA1 0 702",
                                  "XFD1048576 1048575 16383"}) {
            const QStringList expected = QString::fromLatin1(entry).split(' '); // address, row, column
            const CellPosition position = parseCellAddress(expected[0]).value_or(CellPosition{-1, -1});
            QCOMPARE(QStringList({cellAddress(columnLetters(expected[2].toInt() + 1), expected[1].toInt() + 1),
                                  QString::number(position.row), QString::number(position.column)}),
                     expected);
        }
        for (const char *bad : {"", "A", "12", "A0", "a1", "A1 ", " A1", "A-1", "1A", "XFE1", "A1048577", "A١"})
            QVERIFY2(!parseCellAddress(QString::fromUtf8(bad)).has_value(), bad);
        QCOMPARE(columnLetters(0), QString());
    }
};

QTEST_GUILESS_MAIN(XlsTest)
#include "test_xls.moc"
