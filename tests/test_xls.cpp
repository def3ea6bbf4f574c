// The .xls reader on the workbooks of tools/fixtures (xlwt; LibreOffice Calc with formulas; Gnumeric
// with a chart sheet, in Excel 97 and in Excel 95 form), damaged containers, and workbook streams built
// record by record here.
#include "xls/CellAddress.h"
#include "xls/WorkbookStream.h"
#include "xls/XlsErrors.h"
#include "xls/XlsWorkbookOpener.h"
#include "support/ErrorWording.h"
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

// Little-endian fields and BIFF records: BOF, EOF, and cell records at B3 (row 2, column 1) unless
// told otherwise, in cell format 15; a FORMULA's 8-byte result is a number, or a marker: kind 0
// text in a STRING record to follow, 1 boolean, 2 error, 3 empty text.
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
    return rec(0x0809, le(version, 2) + le(kind, 2) + le(0x07CC0DBB, 4) + (version == 0x0600 ? le(0x0206, 8) : ""));
}
const QByteArray kEof = rec(0x000A, {});
QByteArray cell(quint16 type, const QByteArray &rest, int row = 2, int column = 1)
{
    return rec(type, le(row, 2) + le(column, 2) + le(15, 2) + rest);
}
QByteArray formula(const QByteArray &result)
{
    return cell(0x0006, result + le(0, 8));
}
QByteArray number(double value)
{
    return le(std::bit_cast<quint64>(value), 8);
}
QByteArray marker(int kind, int value = 0)
{
    return le(kind, 1) + le(0, 1) + le(value, 1) + le(0, 3) + le(0xFFFF, 2);
}
// A segment of text: option byte, then one or two bytes a character; with its count in front, a string.
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
QByteArray sst(int unique, const QByteArray &strings)
{
    return rec(0x00FC, le(unique, 4) + le(unique, 4) + strings);
}
// First row, row after the last, first column, column after the last (BIFF8; BIFF5 rows take 2 bytes).
QByteArray dimension(int rowEnd, int columnEnd, quint16 version = 0x0600)
{
    const int rowBytes = version == 0x0600 ? 4 : 2;
    return rec(0x0200, le(0, rowBytes) + le(rowEnd, rowBytes) + le(0, 2) + le(columnEnd, 2) + le(0, 2));
}

// A workbook stream of one worksheet: the globals (16 cell formats, the given records, then the sheet
// list), then its bounds and body.
QByteArray workbookStream(const QByteArray &body, const QByteArray &globals = {}, quint16 version = 0x0600,
                          const QByteArray &bounds = {})
{
    const QByteArray head
        = bof(0x0005, version) + rec(0x00E0, QByteArray(version == 0x0600 ? 20 : 16, '\0')).repeated(16) + globals;
    const QByteArray name = QByteArray(version == 0x0600, '\0') + "Foglio";
    return head + rec(0x0085, le(quint64(head.size()) + 15 + name.size(), 4) + le(0, 2) + le(6, 1) + name) + kEof
        + bof(0x0010, version) + (bounds.isEmpty() ? dimension(10, 5, version) : bounds) + body + kEof;
}

// A chart sheet (its substream given) first in the sheet list, then a worksheet of workbookStream()'s kind.
QByteArray chartThenWorksheet(const QByteArray &chart, const QByteArray &body)
{
    const QByteArray head = bof(0x0005) + rec(0x00E0, QByteArray(20, '\0')).repeated(16);
    const QByteArray name = QByteArray(1, '\0') + "Foglio";
    const auto entry = [&](qsizetype offset, int type) {
        return rec(0x0085, le(quint64(offset), 4) + le(0, 1) + le(type, 1) + le(6, 1) + name);
    };
    const qsizetype first = head.size() + 2 * (4 + 7 + name.size()) + kEof.size();
    return head + entry(first, 2) + entry(first + chart.size(), 0) + kEof + chart + bof(0x0010) + dimension(10, 5)
        + body + kEof;
}

// values.xls changed at a byte offset. It has 512-byte sectors, the allocation table in sector 8, the
// directory in sector 9, and the workbook stream in one piece after the header: its first
// INTERFACEHDR record at 0x214.
QByteArray values(qsizetype at = 0, quint64 value = 0, int size = 0)
{
    return fixture(QStringLiteral("values.xls")).replace(at, size, le(value, size));
}
constexpr qsizetype kDirectory = 10 * 512;

} // namespace

class XlsTest : public QObject
{
    Q_OBJECT

private slots:
    void xlsWordsItsKinds()
    {
        using K = Error::Kind;
        const QString &file = wording::kFileHere;
        QCOMPARE(wording::unworded(xlsError, {{K::MissingWorkbook, file}, {K::NotAWorkbook, file},
                                              {K::DamagedWorkbook, file}, {K::EncryptedWorkbook, file},
                                              {K::UnsupportedWorkbook, file}, {K::NoSuchSheet, file},
                                              {K::BadCellAddress, file}, {K::UnreadableCell, file}}),
                 QString());
    }

    void cells_data()
    {
        QTest::addColumn<QString>("cell"); // workbook, worksheet, address
        QTest::addColumn<QString>("value");
        const auto row = [](const char *name, const char *cell, const QString &value) {
            QTest::newRow(name) << QString::fromUtf8(cell) << value;
        };
        row("whole", "values.xls 1 A1", "number 12");
        row("text", "values.xls 1 B3", "text 'Città è più già'");
        row("date", "values.xls 1 C1", "text '2006-12-04'");
        row("time", "values.xls 1 C3", "text '09:05:30'");
        row("TRUE", "values.xls 1 D1", "number 1");
        row("#DIV/0!", "values.xls 1 D3", "empty");
        row("beyond the format", "values.xls 1 XFD1048576", "empty");
        row("last sheet, empty", "values.xls 4 A1", "empty");
        row("sheet 0", "values.xls 0 A1", "error: Il foglio di lavoro richiesto non esiste (la cartella ha 4 fogli)");
        row("sheet beyond the count", "values.xls 5 A1",
            "error: Il foglio di lavoro richiesto non esiste (la cartella ha 4 fogli)");
        row("bad address", "values.xls 2 a1", "error: Indirizzo di cella non valido");
        row("=A1*2", "formulas.xls 1 B1", "number 42");
        row("empty cell among formulas", "formulas.xls 1 C7", "empty");
        row("second sheet", "formulas.xls 2 C3", QStringLiteral("text 'CLORO ÀÈ'"));
        // A chart sheet first in the sheet list: worksheets are numbered without it.
        for (const char *book : {"chart-sheet.xls", "excel95-utf16.xls"}) {
            const auto bookRow = [&](const char *name, const char *at, const QString &value) {
                QTest::addRow("%s, %s", book, name) << QString::fromUtf8(book) + ' ' + at << value;
            };
            bookRow("first worksheet after a chart", "1 C3", "number 75");
            bookRow("non-ASCII text", "1 A1", QStringLiteral("text 'Città è più già'"));
            bookRow("ASCII text", "1 A2", "text 'Ammoniaca anidra'");
            bookRow("text starting with the euro sign", "1 A3", QStringLiteral("text '€ oltre 10000 m'"));
            bookRow("number in a format with the euro sign", "1 B1", "number 3.5");
            bookRow("second worksheet", "2 B2", "number 20");
            bookRow("the chart is not a worksheet", "3 A1",
                    "error: Il foglio di lavoro richiesto non esiste (la cartella ha 2 fogli)");
        }
    }
    void cells()
    {
        QFETCH(QString, cell);
        QFETCH(QString, value);
        const QStringList where = cell.split(' ');
        const auto book
            = openXlsWorkbook(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/") + where[0], "c:\\d\\" + where[0]);
        const Outcome<CellValue> read = book.value()->readCell(where[1].toInt(), where[2]);
        const QString detail = read.ok() || read.error().detail.isEmpty() ? "" : " (" + read.error().detail + ')';
        QCOMPARE(read.ok() ? shown(read.value()) : "error: " + read.error().message().section(':', 0, 0) + detail,
                 value);
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
        QTest::newRow("password") << values(0x214, 0x002F, 2) << "encrypted: cartella protetta da password";
        QTest::newRow("no workbook stream")
            << values(kDirectory + 128, 'X', 1) << "not a workbook: nessun foglio di calcolo nel file";
        // The compound file's directory and sector chains.
        const qsizetype root = kDirectory, name = kDirectory + 3 * 128 + 0x40;
        QTest::newRow("name of 64 bytes") << values(name, 64, 2) << "opened";
        QTest::newRow("name beyond its field")
            << values(name, 66, 2) << "damaged: nome di una voce della directory non valido";
        QTest::newRow("child past the last entry")
            << values(root + 0x4C, 4, 4) << "damaged: albero della directory non valido";
        QTest::newRow("directory chain loops")
            << values((8 + 1) * 512 + 4 * 9, 9, 4) << "damaged: catena di settori chiusa su se stessa";
        QTest::newRow("directory beyond the file")
            << values(0x30, 10, 4) << "damaged: catena di settori fuori dal file";
        QTest::newRow("no directory") << values(0x30, 0xFFFFFFFE, 4) << "damaged: directory senza radice";
        QTest::newRow("workbook stream one sector short")
            << values(kDirectory + 128 + 0x78, 512 * 8 + 1, 4) << "damaged: catena di settori più corta del flusso";
        QTest::newRow("allocation table beyond the file")
            << values(0x4C, 10, 4) << "damaged: settore della tabella di allocazione fuori dal file";
        QTest::newRow("allocation list missing") << values(0x2C, 110, 4) + QByteArray(120 * 512, '\0')
                                                 << "damaged: elenco della tabella di allocazione interrotto";
        QTest::newRow("sector size 1024") << values(0x1E, 10, 2) << "damaged: dimensione dei settori non valida";
        QTest::newRow("big-endian byte-order mark") << values(0x1C, 0xFEFF, 2) << "damaged: ordine dei byte non valido";
        QTest::newRow("directory in the allocation table's sector")
            << values(0x30, 8, 4) << "damaged: catena di settori su un settore già usato";
        QTest::newRow("allocation table listing its sector twice")
            << values(0x2C, 2, 4).replace(0x50, 4, le(8, 4))
            << "damaged: settore della tabella di allocazione usato due volte";
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
        const QString kind = open.ok()
            ? "opened"
            : QStringList{"missing", "not a workbook", "damaged", "encrypted"}.value(int(open.error().kind));
        QCOMPARE(!open.ok() && opened.contains(':') ? kind + ": " + open.error().detail : kind, opened);
    }

    void records_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QString>("address");
        QTest::addColumn<QString>("found"); // the value there on worksheet 1, or the failure
        const QByteArray text = formula(marker(0));
        const QByteArray good = workbookStream(formula(number(1.0)) + cell(0x0203, number(2.0), 5));
        const auto row = [&](const char *name, const QByteArray &body, const char *found) {
            QTest::newRow(name) << workbookStream(body) << "B3" << QString::fromUtf8(found);
        };
        row("number", cell(0x0203, number(2.5)), "number 2.5");
        row("number one byte short", cell(0x0203, number(2.5).left(7)), "damaged: cella di lunghezza errata");
        row("RK, a double's high half", cell(0x027E, le(0x40040000, 4)), "number 2.5");
        row("RK in a run, hundredths of a whole number",
            rec(0x00BD, le(2, 2) + le(0, 2) + le(15, 2) + le(0, 4) + le(15, 2) + le(150 << 2 | 3, 4) + le(1, 2)),
            "number 1.5");
        row("TRUE", formula(marker(1, 1)), "number 1");
        row("error", formula(marker(2, 7)), "empty");
        row("empty text", formula(marker(3)), "text ''");
        row("constant error", cell(0x0205, "\x07\x01"), "empty");
        row("constant boolean", cell(0x0205, QByteArray("\x01\x00", 2)), "number 1");
        row("constant boolean with Calc's extra byte", cell(0x0205, QByteArray("\x01\x00\x00", 3)), "number 1");
        row("constant boolean of ten bytes", cell(0x0205, QByteArray("\x01\x00\x00\x00", 4)),
            "damaged: cella di lunghezza errata");
        row("unknown marker", formula(marker(9)), "damaged: risultato di formula sconosciuto");
        row("not a number", formula(number(std::nan(""))), "damaged: numero non valido");
        row("formula record too short", cell(0x0006, number(5)), "damaged: formula di lunghezza errata");
        row("undefined cell format", rec(0x0203, le(2, 2) + le(1, 2) + le(16, 2) + number(1)),
            "damaged: formato di cella inesistente");
        row("text after a shared and an array formula",
            text + rec(0x04BC, QByteArray(10, '\0')) + rec(0x0221, QByteArray(14, '\0')) + string(2, chars("ok")),
            "text 'ok'");
        row("text continued, one byte, two, one",
            text + string(3, chars("a")) + rec(0x003C, chars("€", true)) + rec(0x003C, chars("z")), "text 'a€z'");
        row("text record missing", text + cell(0x0203, number(1), 3), "damaged: manca il testo di una formula");
        row("text shorter than its count", text + string(10, chars("abc")), "damaged: testo di una formula non valido");
        row("empty continuation", text + string(4, chars("ab")) + rec(0x003C, {}) + rec(0x003C, chars("cd")),
            "damaged: testo di una formula non valido");
        row("inside an embedded chart", bof(0x0020) + formula(number(9)) + kEof, "none");
        row("after an embedded chart", bof(0x0020) + kEof + formula(number(8)), "number 8");
        row("nine nested sections", bof(0x0020).repeated(8), "damaged: sezioni annidate oltre ogni limite");
        row("worksheet bounds given twice", dimension(4, 3) + formula(number(1)),
            "damaged: dimensioni del foglio ripetute");
        row("cell below the bounds", cell(0x0203, number(1), 10), "damaged: cella fuori dalle dimensioni del foglio");
        row("unknown record of the longest length", rec(0x1234, QByteArray(8224, '\0')) + formula(number(3)),
            "number 3");
        row("record longer than any", rec(0x1234, QByteArray(8225, '\0')),
            "damaged: record più lungo del flusso o di ogni record");
        row("record of type 0", rec(0, {}), "damaged: record di tipo estraneo al formato");
        row("password record in a worksheet", formula(number(1)) + rec(0x002F, QByteArray(54, '\x11')), "number 1");
        // The shared strings "x" and "c€", the second continued in two-byte characters.
        const QByteArray strings
            = sst(2, le(1, 2) + chars("x") + le(2, 2) + chars("c")) + rec(0x003C, chars("€", true));
        const auto globalsRow
            = [&](const char *name, const QByteArray &globals, const QByteArray &body, const char *found) {
                  QTest::newRow(name) << workbookStream(body, globals) << "B3" << QString::fromUtf8(found);
              };
        globalsRow("shared string", strings, cell(0x00FD, le(1, 4)), "text 'c€'");
        globalsRow("shared string beyond the table", strings, cell(0x00FD, le(2, 4)),
                   "damaged: testo fuori dalla tabella dei testi");
        globalsRow("fewer shared strings than counted", sst(2, le(1, 2) + chars("x")), {},
                   "damaged: tabella dei testi non valida");
        globalsRow("bytes after the last shared string", sst(1, le(1, 2) + chars("x") + "!"), {},
                   "damaged: tabella dei testi più lunga dei suoi testi");
        globalsRow("password", rec(0x002F, QByteArray(54, '\x11')) + rec(0, {}), formula(number(1)),
                   "encrypted: cartella protetta da password");
        // Excel 95 text cells in the code page the workbook names (none: Windows-1252).
        const auto excel95
            = [&](const char *name, const QByteArray &globals, const QByteArray &label, const QString &found) {
                  QTest::newRow(name) << workbookStream(cell(0x0204, le(label.size(), 2) + label), globals, 0x0500,
                                                        dimension(10, 5, 0x0500))
                                      << "B3" << found;
              };
        const auto codePage = [](int number) { return rec(0x0042, le(number, 2)); };
        excel95("Excel 95 text, no code page", {}, "\x80\xA0\x41", QStringLiteral("text '€\u00A0A'"));
        excel95("Excel 95 text, Windows-1250", codePage(1250), "\x8A\xE8", QStringLiteral("text 'Šč'"));
        excel95("Excel 95 text, 32769: Windows-1252 by its older name", codePage(32769), "\x80",
                QStringLiteral("text '€'"));
        excel95("Excel 95 text, 1200: not plain ASCII, UTF-16", codePage(1200), QByteArray("C\0\xE0\0", 4),
                QStringLiteral("text 'Cà'"));
        excel95("Excel 95 text, 1200: plain ASCII, one byte", codePage(1200), "Cl2", "text 'Cl2'");
        excel95("Excel 95 text, 1200: an odd byte", codePage(1200), QByteArray("C\xE0\0", 3),
                "damaged: testo di una cella non valido");
        excel95("Excel 95 text, byte not in the code page", codePage(1253), "\xD2",
                "damaged: testo di una cella non valido");
        excel95("Excel 95 text, Shift-JIS", codePage(932), "A",
                "unsupported: codifica dei testi non gestita: code page 932");
        excel95("Excel 95 code page record of 3 bytes", rec(0x0042, le(1252, 3)), "A",
                "damaged: codifica dei testi non valida");
        // A chart sheet holds no cells and takes no worksheet number; Gnumeric opens it with two BOFs.
        const QByteArray chartBody = bof(0x0020) + rec(0x1002, QByteArray(16, '\0'));
        QTest::newRow("a chart sheet, then the worksheet")
            << chartThenWorksheet(chartBody + kEof, formula(number(1.5))) << "B3"
            << "number 1.5";
        QTest::newRow("a chart sheet of Gnumeric's")
            << chartThenWorksheet(bof(0x0020) + chartBody + kEof, formula(number(1.5))) << "B3"
            << "number 1.5";
        QTest::newRow("a chart sheet without its EOF") << chartThenWorksheet(chartBody, formula(number(1.5))) << "B3"
                                                       << "damaged: manca la fine di un foglio";
        QTest::newRow("a cell at IV65536 in the largest bounds")
            << workbookStream(cell(0x0203, number(7), 65535, 255), {}, 0x0600, dimension(65536, 256)) << "IV65536"
            << "number 7";
        QTest::newRow("rows beyond a worksheet") << workbookStream({}, {}, 0x0600, dimension(65537, 5)) << "A1"
                                                 << "damaged: dimensioni del foglio impossibili";
        QTest::newRow("columns beyond a worksheet") << workbookStream({}, {}, 0x0600, dimension(10, 257)) << "A1"
                                                    << "damaged: dimensioni del foglio impossibili";
        QTest::newRow("no worksheet where the list says")
            << QByteArray(good).insert(good.lastIndexOf(bof(0x0010)), rec(0x1234, {})) << "B3"
            << "damaged: manca l'inizio di una sezione";
        QTest::newRow("a record after the last worksheet") << good + rec(0x1234, {}) << "B3"
                                                           << "damaged: dati dopo l'ultimo foglio";
        QTest::newRow("cut inside a worksheet") << good.chopped(10) << "B3"
                                                << "damaged: record più lungo del flusso o di ogni record";
    }
    void records()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QString, address);
        QFETCH(QString, found);
        const WorkbookContents contents = readWorkbookContents(stream);
        QCOMPARE(contents.problem.isEmpty(), contents.failure == WorkbookContents::Failure::None);
        QVERIFY(contents.cells.size() <= 2); // only the cells present, never a grid of the bounds
        const CellPosition at = parseCellAddress(address).value();
        const CellValue *value = contents.find(0, at.row, at.column);
        const QStringList failures{"", "encrypted", "damaged", "unsupported"};
        const QString failure = failures.value(int(contents.failure)) + ": " + contents.problem;
        QCOMPARE(contents.failure != WorkbookContents::Failure::None ? failure
                     : value                                         ? shown(*value)
                                                                     : QStringLiteral("none"),
                 found);
        QVERIFY(!contents.find(1, at.row, at.column) && !contents.find(0, at.row + 65536, at.column));
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
