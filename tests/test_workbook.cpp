// The .xls reader: workbooks written by xlwt (tools/fixtures/make_test_workbooks.py), a workbook with
// formulas saved by LibreOffice Calc (tools/fixtures/make_formula_workbook.sh), broken files, and
// workbook streams built record by record here for the stored formula results.
#include "estimate/XlsFormulaCache.h"
#include "estimate/XlsWorkbook.h"
#include "estimate/XlsWorkbookOpener.h"
#include "support/TestDrive.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cmath>
#include <cstring>

using Kind = WorkbookError::Kind;
using Failure = XlsFormulaCache::Failure;
Q_DECLARE_METATYPE(CellValue)
Q_DECLARE_METATYPE(Kind)
Q_DECLARE_METATYPE(Failure)

namespace {

QString fixture(const QString &name) { return QStringLiteral(ZEFRO_TEST_DATA "/workbooks/") + name; }

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

WorkbookHandle open(const QString &name)
{
    const auto opened = openXlsWorkbook(fixture(name), QStringLiteral("c:\\dati\\") + name);
    return opened.ok() ? opened.value() : nullptr;
}

CellValue num(double value) { return CellValue::number(value); }
CellValue txt(const QString &value) { return CellValue::text(value); }

// Kind and content, so that empty never passes for 0 as it does in the table comparison.
QString shown(const Outcome<CellValue> &read)
{
    if (!read.ok())
        return QStringLiteral("error: ") + read.error().message();
    switch (read.value().kind()) {
    case CellValue::Kind::Empty: return QStringLiteral("empty");
    case CellValue::Kind::Number: return QStringLiteral("number ") + QString::number(read.value().toNumber(), 'g', 17);
    case CellValue::Kind::Text: return QStringLiteral("text '") + read.value().toText() + QLatin1Char('\'');
    }
    return {};
}

QString shown(const XlsFormulaCache::Entry *entry)
{
    return !entry ? QStringLiteral("no entry") : !entry->readable ? QStringLiteral("unreadable") : shown(entry->value);
}

int openFileDescriptors() { return int(QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::Files | QDir::System).size()); }

// BIFF records, little-endian.
constexpr quint16 kFormula = 0x0006, kContinue = 0x003C, kNumber = 0x0203, kBoolErr = 0x0205, kString = 0x0207;

QByteArray le(quint64 value, int bytes)
{
    QByteArray out;
    for (int i = 0; i < bytes; ++i)
        out.append(char((value >> (8 * i)) & 0xFF));
    return out;
}
QByteArray le16(quint32 value) { return le(value, 2); }
QByteArray le32(quint32 value) { return le(value, 4); }
QByteArray le64(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return le(bits, 8);
}
QByteArray record(quint16 type, const QByteArray &data) { return le16(type) + le16(quint32(data.size())) + data; }
QByteArray cellHead(int row, int column) { return le16(quint32(row)) + le16(quint32(column)) + le16(15); }
QByteArray eof() { return record(0x000A, {}); }
QByteArray bof(quint16 kind, quint16 version = 0x0600)
{
    return record(0x0809, le16(version) + le16(kind) + le16(0x0DBB) + le16(0x07CC) + le32(0) + le32(0x0206));
}

// A FORMULA record with a number result (the token bytes do not matter to the reader).
QByteArray numberFormula(int row, int column, double value)
{
    return record(kFormula, cellHead(row, column) + le64(value) + le16(0) + le32(0) + le16(3) + QByteArray("\x1E\x01\x00", 3));
}

// A FORMULA record with a marker result: kind 0 text (a STRING record follows), 1 boolean, 2 error, 3 empty text.
QByteArray markerFormula(int row, int column, int kind)
{
    const QByteArray result = QByteArray(1, char(kind)) + QByteArray(5, '\0') + le16(0xFFFF);
    return record(kFormula, cellHead(row, column) + result + le16(0) + le32(0) + le16(0));
}

// A text segment: option byte, then one or two bytes a character.
QByteArray characters(const QString &text, bool wide = false)
{
    QByteArray bytes(1, wide ? '\x01' : '\x00');
    for (const QChar c : text)
        bytes.append(wide ? le16(c.unicode()) : QByteArray(1, char(c.unicode())));
    return bytes;
}
QByteArray textFormula(int row, int column, const QString &text)
{
    return markerFormula(row, column, 0) + record(kString, le16(quint32(text.size())) + characters(text));
}

// Globals with one BOUNDSHEET per entry of sheetOrder (the body it points at; every body in
// order by default), then each body between its BOF and EOF.
QByteArray workbookStream(const QList<QByteArray> &bodies, quint16 version = 0x0600, QList<int> sheetOrder = {})
{
    for (int i = sheetOrder.isEmpty() ? 0 : int(bodies.size()); i < bodies.size(); ++i)
        sheetOrder << i;
    const auto boundSheet = [&](quint32 offset) {
        return record(0x0085, le32(offset) + QByteArray(2, '\0') + char(6) + QByteArray(version == 0x0600, '\0') + "Foglio");
    };
    QByteArray globals = bof(0x0005, version);
    QList<quint32> offsets;
    qsizetype at = globals.size() + sheetOrder.size() * boundSheet(0).size() + 4;
    for (const QByteArray &body : bodies) {
        offsets << quint32(at);
        at += bof(0x0010).size() + body.size() + 4;
    }
    for (const int body : sheetOrder)
        globals += boundSheet(offsets[body]);
    QByteArray stream = globals + eof();
    for (const QByteArray &body : bodies)
        stream += bof(0x0010, version) + body + eof();
    return stream;
}

// An OLE2 compound file holding one stream.
QByteArray compoundFile(const char *streamName, const QByteArray &stream)
{
    gsf_init();
    GsfOutput *sink = gsf_output_memory_new();
    GsfOutfile *container = gsf_outfile_msole_new(sink);
    GsfOutput *child = gsf_outfile_new_child(container, streamName, FALSE);
    gsf_output_write(child, size_t(stream.size()), reinterpret_cast<const guint8 *>(stream.constData()));
    gsf_output_close(child);
    g_object_unref(child);
    gsf_output_close(GSF_OUTPUT(container));
    g_object_unref(container);
    const QByteArray bytes(reinterpret_cast<const char *>(gsf_output_memory_get_bytes(GSF_OUTPUT_MEMORY(sink))),
                           qsizetype(gsf_output_size(sink)));
    g_object_unref(sink);
    return bytes;
}

} // namespace

class WorkbookTest : public QObject
{
    Q_OBJECT

private slots:
    void cells_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("address");
        QTest::addColumn<CellValue>("expected");
        QString file = QStringLiteral("values.xls");
        const auto row = [&](const char *name, int sheet, const char *address, const CellValue &value) {
            QTest::newRow(name) << file << sheet << QString::fromLatin1(address) << value;
        };
        // Whole numbers come from FreeXL as integers, others as doubles: both are numbers.
        row("whole", 1, "A1", num(12));
        row("fraction", 1, "A3", num(3.25));
        row("more than 10000 m", 1, "A8", num(10001));
        // Texts exactly as written: blanks, accents, texts that look like numbers; dates as text.
        row("blanks kept", 1, "B2", txt("  Perossido di idrogeno  "));
        row("accents", 1, "B3", txt(QStringLiteral("Città è più già")));
        row("number-like text", 1, "B4", txt("4.3"));
        row("text zero", 1, "B6", txt("0"));
        row("trailing blank", 1, "B7", txt("5.2.1 "));
        row("date", 1, "C2", txt("2006-12-04 09:05:30"));
        row("TRUE", 1, "D1", num(1));
        row("FALSE", 1, "D2", num(0));
        row("#DIV/0!", 1, "D3", CellValue());
        row("never written", 1, "F5", CellValue());
        row("AA", 1, "AA1", txt("AA"));
        row("AZ", 1, "AZ1", num(47));
        row("BA", 1, "BA1", num(48));
        row("BY", 1, "BY1", txt("BY"));
        // Beyond the used range: empty, not an error.
        row("below the last row", 1, "A21", CellValue());
        row("right of the last column", 1, "BZ1", CellValue());
        row("beyond the format", 1, "XFD1048576", CellValue());
        row("sheet 3", 3, "C4", num(300));
        row("empty sheet", 4, "BY200", CellValue());

        // FreeXL reads formula cells as empty; their stored results are read instead.
        file = QStringLiteral("formulas.xls");
        row("=A1*2", 1, "B1", num(42));
        row("=CONCATENATE", 1, "B3", txt("4.3"));
        row("TRUE result", 1, "B5", num(1));
        row("=1/0", 1, "B6", CellValue());
        row("empty text result", 1, "B7", txt(QString()));
        row("one-byte text over several records", 1, "B8", txt(QString(9000, QChar(0x00E8))));
        row("FALSE result", 1, "B9", num(0));
        row("two-byte text over several records", 1, "B11", txt(QString(5000, QChar(0x20AC))));
        row("shared formula (C1:C6 filled down)", 1, "C6", num(60));
        row("array formula second cell", 1, "D2", num(9));
        row("far column BY", 1, "BY10", num(10.5));
        row("empty cell among formulas", 1, "C7", CellValue());
        row("second sheet text", 2, "C3", txt(QStringLiteral("CLORO ÀÈ")));
        row("third sheet", 3, "A1", num(220));
    }
    void cells()
    {
        QFETCH(QString, file);
        QFETCH(int, sheet);
        QFETCH(QString, address);
        QFETCH(CellValue, expected);
        const WorkbookHandle book = open(file);
        QVERIFY(book);
        // FreeXL reads from one active worksheet, the last one straight after opening: read
        // another one first, so that a read from the wrong worksheet shows.
        QVERIFY(book->readCell(sheet == 1 ? 2 : 1, QStringLiteral("B2")).ok());
        QCOMPARE(shown(book->readCell(sheet, address)), shown(expected));
    }

    void cellFailures_data()
    {
        QTest::addColumn<int>("sheet");
        QTest::addColumn<QString>("address");
        QTest::addColumn<Kind>("kind");
        QTest::newRow("sheet 0") << 0 << "A1" << Kind::NoSuchSheet;
        QTest::newRow("sheet beyond the count") << 5 << "A1" << Kind::NoSuchSheet;
        QTest::newRow("bad address") << 2 << "a1" << Kind::BadAddress;
    }
    void cellFailures()
    {
        QFETCH(int, sheet);
        QFETCH(QString, address);
        QFETCH(Kind, kind);
        const WorkbookHandle book = open(QStringLiteral("values.xls"));
        QVERIFY(book);
        const auto read = book->readCell(sheet, address);
        QVERIFY(!read.ok());
        QCOMPARE(read.error().kind, kind);
        QCOMPARE(read.error().sheet, sheet);
        QCOMPARE(read.error().cell, address);
        const QString message = read.error().message();
        QVERIFY2(message.contains(QStringLiteral("c:\\dati\\values.xls")) && message.contains(QStringLiteral("cella ") + address)
                     && (sheet == 0 || message.contains(QStringLiteral("foglio %1").arg(sheet))),
                 qPrintable(message));
        // A failed read leaves the workbook usable.
        QCOMPARE(shown(book->readCell(1, QStringLiteral("A1"))), QStringLiteral("number 12"));
    }

    void brokenFiles_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<Kind>("kind");
        const QByteArray good = fileBytes(fixture(QStringLiteral("formulas.xls")));
        QVERIFY(good.size() > 8192);
        QByteArray noise(6144, Qt::Uninitialized);
        QRandomGenerator(20061204).fillRange(reinterpret_cast<quint32 *>(noise.data()), noise.size() / 4);

        QTest::newRow("empty file") << QByteArray() << Kind::NotAWorkbook;
        QTest::newRow("text renamed .xls") << QByteArray("CAS;nome\r\n7664-41-7;Ammoniaca\r\n").repeated(40) << Kind::NotAWorkbook;
        QTest::newRow("zip archive") << QByteArray("PK\x03\x04").append(noise) << Kind::NotAWorkbook;
        QTest::newRow("random bytes") << noise << Kind::NotAWorkbook;
        QTest::newRow("signature then random bytes") << good.left(8).append(noise) << Kind::Damaged;
        // Every 509th length (a prime, so the cuts fall everywhere within the sectors), and one byte short.
        for (qsizetype length = 8; length < good.size(); length += 509)
            QTest::addRow("cut to %lld bytes", qlonglong(length)) << good.left(length) << Kind::Damaged;
        QTest::newRow("one byte short") << good.chopped(1) << Kind::Damaged;
    }
    void brokenFiles()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(Kind, kind);
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

    void openerMapsTheSystemPath()
    {
        TestDrive drive(TestDrive::Contents::Empty);
        const QString folder = QStringLiteral("c:\\revisione metodo speditivo\\dati\\Dati input ZEFRO 200605\\");
        const QString present = folder + QStringLiteral("classe 4 tabelle nomi e indicazione zona.xls");
        drive.writeFile(present, fileBytes(fixture(QStringLiteral("values.xls"))));
        QVERIFY(QDir().mkpath(drive.local(folder + QStringLiteral("cartella.xls"))));
        const XlsWorkbookOpener opener{DrivePaths(drive.root())};

        const auto opened = opener.open(present);
        QVERIFY2(opened.ok(), opened.ok() ? "" : qPrintable(opened.error().message()));
        QCOMPARE(opened.value()->name(), present);
        QCOMPARE(shown(opened.value()->readCell(3, QStringLiteral("C4"))), QStringLiteral("number 300"));
        QVERIFY(shown(opened.value()->readCell(9, QStringLiteral("A1"))).contains(present));
        for (const QString &absent : {folder + QStringLiteral("classe 51 tabelle nomi e indicazione zone.xls"),
                                      folder + QStringLiteral("cartella.xls")}) {
            const auto missing = opener.open(absent);
            QVERIFY(!missing.ok());
            QCOMPARE(missing.error().kind, Kind::MissingFile);
            QCOMPARE(missing.error().file, absent);
            QVERIFY(missing.error().message().contains(absent));
        }
    }

    void handlesAreReleasedAndBooksStayApart()
    {
        // FreeXL keeps the file open in its handle, also after a failed open: both must be closed.
        QTemporaryDir dir;
        const QString broken = dir.filePath(QStringLiteral("rotto.xls"));
        QVERIFY(writeBytes(broken, fileBytes(fixture(QStringLiteral("formulas.xls"))).left(4096)));
        const int before = openFileDescriptors();
        for (int round = 0; round < 4; ++round) {
            // The class lookup keeps eleven workbooks open and reads them in turn.
            QList<WorkbookHandle> books;
            for (int i = 0; i < 11; ++i) {
                books << open(i % 2 ? QStringLiteral("values.xls") : QStringLiteral("formulas.xls"));
                QVERIFY(books.last());
                QVERIFY(!openXlsWorkbook(broken, QStringLiteral("r")).ok());
                QVERIFY(!openXlsWorkbook(dir.filePath(QStringLiteral("assente.xls")), QStringLiteral("a")).ok());
            }
            for (int i = 0; i < books.size(); ++i)
                QCOMPARE(shown(books[i]->readCell(1, QStringLiteral("B1"))),
                         i % 2 ? QStringLiteral("text 'Acido solforico'") : QStringLiteral("number 42"));
        }
        QCOMPARE(openFileDescriptors(), before);
    }

    // Stored results the workbook saved by Calc does not show: the rarer record forms and the
    // broken ones. Each row is the body of worksheet 1; the cell read is B3.
    void storedResults_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected");
        const QByteArray text = markerFormula(2, 1, 0);
        const auto string = [](int count, const QByteArray &segment) { return record(kString, le16(quint32(count)) + segment); };

        QTest::newRow("unknown marker") << markerFormula(2, 1, 9) << "unreadable";
        QTest::newRow("not a number") << numberFormula(2, 1, std::nan("")) << "unreadable";
        QTest::newRow("text after a shared and an array formula")
            << text + record(0x04BC, QByteArray(10, '\0')) + record(0x0221, QByteArray(14, '\0')) + string(2, characters("ok"))
            << "text 'ok'";
        QTest::newRow("text continued, one byte, two, one")
            << text + string(3, characters("a")) + record(kContinue, characters(QStringLiteral("€"), true)) + record(kContinue, characters("z"))
            << QStringLiteral("text 'a€z'");
        QTest::newRow("text record missing") << text + record(kNumber, cellHead(3, 0) + le64(1.0)) << "unreadable";
        QTest::newRow("text shorter than its count") << text + string(10, characters("abc")) << "unreadable";
        QTest::newRow("empty continuation") << text + string(5, characters("abc")) + record(kContinue, {}) << "unreadable";
        QTest::newRow("text record of one byte") << text + record(kString, QByteArray(1, '\x03')) << "unreadable";
        QTest::newRow("formula inside an embedded chart") << bof(0x0020) + numberFormula(2, 1, 9.0) + eof() << "no entry";
        QTest::newRow("formula after an embedded chart") << bof(0x0020) + eof() + numberFormula(2, 1, 8.0) << "number 8";
    }
    void storedResults()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(workbookStream({body}));
        QVERIFY2(cache.ok(), qPrintable(cache.problem()));
        QCOMPARE(shown(cache.find(0, 2, 1)), expected);
        QCOMPARE(shown(cache.find(1, 2, 1)), QStringLiteral("no entry"));
    }

    void storedResultsBelongToTheirWorksheet()
    {
        // The sheet list names the substreams by offset, here in reverse order; a substream it
        // does not name belongs to no worksheet.
        QByteArray stream = workbookStream({numberFormula(0, 0, 1.0), numberFormula(0, 1, 3.0), textFormula(0, 0, QStringLiteral("terzo"))},
                                           0x0600, {2, 1, 0});
        stream += bof(0x0010) + numberFormula(0, 2, 7.0) + eof();
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(stream);
        QCOMPARE(cache.sheetCount(), 3);
        QCOMPARE(shown(cache.find(0, 0, 0)), QStringLiteral("text 'terzo'"));
        QCOMPARE(shown(cache.find(1, 0, 1)), QStringLiteral("number 3"));
        QCOMPARE(shown(cache.find(2, 0, 0)), QStringLiteral("number 1"));
        QCOMPARE(cache.size(), 3);

        // Excel 95: no option byte, one byte a character in the Windows Western code page.
        const QByteArray body = markerFormula(1, 1, 0) + record(kString, le16(3) + QByteArray("\x80\xE8\x41", 3));
        QCOMPARE(shown(XlsFormulaCache::fromWorkbookStream(workbookStream({body}, 0x0500)).find(0, 1, 1)), QStringLiteral("text '€èA'"));
    }

    void brokenStreams_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<Failure>("failure");
        QTest::addColumn<int>("entries");
        const QByteArray good = workbookStream({numberFormula(0, 0, 1.0) + numberFormula(5, 5, 2.0)});
        QByteArray password = good, nested = bof(0x0005);
        password.insert(20, record(0x002F, QByteArray(54, '\x11'))); // after the first BOF
        for (int i = 0; i < 20; ++i)
            nested += bof(0x0020);

        // Bytes after the last worksheet are padding, even a record cut short there.
        QTest::newRow("zeros after the last worksheet") << good + QByteArray(300, '\0') << Failure::None << 2;
        QTest::newRow("cut record after the last worksheet") << good + le16(kFormula) + le16(500) + QByteArray(10, '\x7F') << Failure::None << 2;
        QTest::newRow("cut inside a worksheet") << good.chopped(10) << Failure::Damaged << 0;
        QTest::newRow("password") << password << Failure::Encrypted << 0;
        QTest::newRow("endless nesting") << nested << Failure::Damaged << 0;
    }
    void brokenStreams()
    {
        QFETCH(QByteArray, stream);
        QFETCH(Failure, failure);
        QFETCH(int, entries);
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(stream);
        QCOMPARE(cache.failure(), failure);
        QCOMPARE(cache.problem().isEmpty(), failure == Failure::None);
        QCOMPARE(int(cache.size()), entries);
    }

    void randomlyDamagedStreamsAreSurvived()
    {
        // Under AddressSanitizer this shows any read past the bytes; here every damaged stream
        // must end with a known outcome.
        QByteArray body;
        for (int i = 0; i < 20; ++i)
            body += markerFormula(i, 1, 0) + record(kString, le16(6) + characters("abc")) + record(kContinue, characters("def", true))
                  + numberFormula(i, 2, i);
        const QByteArray good = workbookStream({body, record(kBoolErr, cellHead(1, 1) + "\x07\x01")});
        QCOMPARE(XlsFormulaCache::fromWorkbookStream(good).size(), 41);
        QRandomGenerator random(334);
        for (int round = 0; round < 3000; ++round) {
            QByteArray damaged = good;
            for (int c = 0, changes = 1 + int(random.bounded(8)); c < changes; ++c)
                damaged[qsizetype(random.bounded(quint32(damaged.size())))] = char(random.bounded(256));
            if (round % 3 == 0)
                damaged.truncate(qsizetype(random.bounded(quint32(damaged.size()))));
            const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(damaged);
            QCOMPARE(cache.problem().isEmpty(), cache.ok());
            // Never more results than FORMULA and BOOLERR records could give.
            QVERIFY(cache.size() <= damaged.size() / 12);
        }
    }

    void containers()
    {
        // A text result without its text record is an unreadable cell, not an empty one.
        const QByteArray dimension = record(0x0200, le32(0) + le32(4) + le16(0) + le16(3) + le16(0));
        const QByteArray stream = workbookStream({dimension + numberFormula(0, 0, 4.5) + markerFormula(1, 1, 0)
                                                  + record(kNumber, cellHead(2, 2) + le64(6.0)) + textFormula(3, 0, QStringLiteral("ok"))});
        QCOMPARE(shown(XlsFormulaCache::fromFileBytes(compoundFile("BOOK", stream)).find(0, 3, 0)), QStringLiteral("text 'ok'"));
        QCOMPARE(XlsFormulaCache::fromFileBytes(compoundFile("WordDocument", stream)).failure(), Failure::NoWorkbookStream);
        QCOMPARE(XlsFormulaCache::fromFileBytes(stream).failure(), Failure::NoContainer);

        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fatto a mano.xls"));
        QVERIFY(writeBytes(path, compoundFile("Workbook", stream)));
        const auto opened = openXlsWorkbook(path, QStringLiteral("c:\\dati\\fatto a mano.xls"));
        QVERIFY2(opened.ok(), opened.ok() ? "" : qPrintable(opened.error().message()));
        const auto cell = [&](const char *address) { return shown(opened.value()->readCell(1, QString::fromLatin1(address))); };
        QCOMPARE(cell("A1") + cell("C3") + cell("A4"), QStringLiteral("number 4.5number 6text 'ok'"));
        const auto unreadable = opened.value()->readCell(1, QStringLiteral("B2"));
        QVERIFY(!unreadable.ok());
        QCOMPARE(unreadable.error().kind, Kind::UnreadableCell);
        QVERIFY(unreadable.error().message().contains(QStringLiteral("c:\\dati\\fatto a mano.xls")));

        // A big stream lives in whole sectors; losing the last one loses part of the workbook.
        QByteArray big;
        for (int i = 0; i < 400; ++i)
            big += numberFormula(i, 0, i);
        const QByteArray file = compoundFile("Workbook", workbookStream({big}));
        QCOMPARE(XlsFormulaCache::fromFileBytes(file).size(), 400);
        for (const qsizetype cut : {qsizetype(600), file.size() / 2, file.size() - 512, file.size() - 1})
            QCOMPARE(XlsFormulaCache::fromFileBytes(file.left(cut)).failure(), Failure::Damaged);
    }
};

QTEST_GUILESS_MAIN(WorkbookTest)
#include "test_workbook.moc"
