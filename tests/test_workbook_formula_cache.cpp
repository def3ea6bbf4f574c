// The stored formula results, read from workbook streams built record by record here: the record
// forms a spreadsheet application writes, and the broken and hostile ones it must survive.
#include "estimate/XlsFormulaCache.h"
#include "estimate/XlsWorkbook.h"

#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-memory.h>
#include <gsf/gsf-utils.h>

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

#include <cstring>

namespace {

constexpr quint16 kFormula = 0x0006;
constexpr quint16 kEof = 0x000A;
constexpr quint16 kFilePass = 0x002F;
constexpr quint16 kContinue = 0x003C;
constexpr quint16 kBoundSheet = 0x0085;
constexpr quint16 kDimension = 0x0200;
constexpr quint16 kNumber = 0x0203;
constexpr quint16 kBoolErr = 0x0205;
constexpr quint16 kString = 0x0207;
constexpr quint16 kSharedFormula = 0x04BC;
constexpr quint16 kBof = 0x0809;

QByteArray le16(quint32 value)
{
    QByteArray bytes;
    bytes.append(char(value & 0xFF)).append(char((value >> 8) & 0xFF));
    return bytes;
}

QByteArray le32(quint32 value)
{
    return le16(value & 0xFFFF) + le16(value >> 16);
}

QByteArray le64(double value)
{
    quint64 bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return le32(quint32(bits)) + le32(quint32(bits >> 32));
}

QByteArray record(quint16 type, const QByteArray &data)
{
    return le16(type) + le16(quint32(data.size())) + data;
}

QByteArray cellHead(int row, int column)
{
    return le16(quint32(row)) + le16(quint32(column)) + le16(15);
}

// A FORMULA record with a number result (the token bytes do not matter to the reader).
QByteArray numberFormula(int row, int column, double value)
{
    return record(kFormula, cellHead(row, column) + le64(value) + le16(0) + le32(0) + le16(3) + QByteArray("\x1E\x01\x00", 3));
}

// A FORMULA record with a marker result: kind 0 text (a STRING record follows), 1 boolean, 2 error, 3 empty text.
QByteArray markerFormula(int row, int column, int kind, int value = 0)
{
    QByteArray result;
    result.append(char(kind)).append('\0').append(char(value)).append(3, '\0').append(le16(0xFFFF));
    return record(kFormula, cellHead(row, column) + result + le16(0) + le32(0) + le16(0));
}

// Characters of a text segment: option byte, then one or two bytes a character.
QByteArray characters(const QString &text, bool wide)
{
    QByteArray bytes(1, wide ? '\x01' : '\x00');
    for (const QChar c : text) {
        if (wide)
            bytes.append(le16(c.unicode()));
        else
            bytes.append(char(c.unicode()));
    }
    return bytes;
}

// A STRING record holding the whole text.
QByteArray stringRecord(const QString &text, bool wide = false)
{
    return record(kString, le16(quint32(text.size())) + characters(text, wide));
}

QByteArray boolErr(int row, int column, int value, bool error)
{
    return record(kBoolErr, cellHead(row, column) + QByteArray(1, char(value)) + QByteArray(1, error ? '\x01' : '\x00'));
}

QByteArray bof(quint16 version, quint16 kind)
{
    return record(kBof, le16(version) + le16(kind) + le16(0x0DBB) + le16(0x07CC) + le32(0) + le32(0x0206));
}

QByteArray dimension(int rows, int columns)
{
    return record(kDimension, le32(0) + le32(quint32(rows)) + le16(0) + le16(quint32(columns)) + le16(0));
}

// A whole workbook stream: globals with one BOUNDSHEET per worksheet body, then the bodies, each
// between its BOF and EOF. boundSheetOrder lists, for each BOUNDSHEET, which body it points at.
QByteArray workbookStream(const QList<QByteArray> &bodies, const QByteArray &globalsExtra = {},
                          quint16 version = 0x0600, QList<int> boundSheetOrder = {})
{
    if (boundSheetOrder.isEmpty()) {
        for (int i = 0; i < bodies.size(); ++i)
            boundSheetOrder << i;
    }
    const auto boundSheet = [&](quint32 offset, int i) {
        const QByteArray name = "Foglio" + QByteArray::number(i);
        QByteArray data = le32(offset) + QByteArray(2, '\0') + QByteArray(1, char(name.size()));
        if (version == 0x0600)
            data.append('\0');
        return record(kBoundSheet, data + name);
    };
    // Sizes first, then the real offsets.
    QByteArray globals = bof(version, 0x0005) + globalsExtra;
    qsizetype boundSheetBytes = 0;
    for (int i = 0; i < boundSheetOrder.size(); ++i)
        boundSheetBytes += boundSheet(0, i).size();
    QList<quint32> offsets;
    qsizetype at = globals.size() + boundSheetBytes + 4;
    for (const QByteArray &body : bodies) {
        offsets << quint32(at);
        at += bof(version, 0x0010).size() + body.size() + 4;
    }
    for (int i = 0; i < boundSheetOrder.size(); ++i)
        globals += boundSheet(offsets[boundSheetOrder[i]], i);
    globals += record(kEof, {});
    QByteArray stream = globals;
    for (const QByteArray &body : bodies)
        stream += bof(version, 0x0010) + body + record(kEof, {});
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

QString describe(const XlsFormulaCache::Entry *entry)
{
    if (!entry)
        return QStringLiteral("<no entry>");
    if (!entry->readable)
        return QStringLiteral("<unreadable>");
    switch (entry->value.kind()) {
    case CellValue::Kind::Empty: return QStringLiteral("<empty>");
    case CellValue::Kind::Number: return QStringLiteral("number ") + QString::number(entry->value.toNumber());
    case CellValue::Kind::Text: return QStringLiteral("text '") + entry->value.toText() + QLatin1Char('\'');
    }
    return {};
}

} // namespace

class WorkbookFormulaCacheTest : public QObject
{
    Q_OBJECT

private slots:
    void oneWorksheet_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("expected"); // what describe() gives for the cell B3 of sheet 1

        QTest::newRow("number") << numberFormula(2, 1, 12.5) << "number 12.5";
        QTest::newRow("zero") << numberFormula(2, 1, 0.0) << "number 0";
        QTest::newRow("TRUE") << markerFormula(2, 1, 1, 1) << "number 1";
        QTest::newRow("FALSE") << markerFormula(2, 1, 1, 0) << "number 0";
        QTest::newRow("error") << markerFormula(2, 1, 2, 0x07) << "<empty>";
        QTest::newRow("empty text") << markerFormula(2, 1, 3) << "text ''";
        QTest::newRow("unknown marker") << markerFormula(2, 1, 9) << "<unreadable>";
        QTest::newRow("not a number")
            << record(kFormula, cellHead(2, 1) + le32(0) + le32(0x7FF80000) + le16(0) + le32(0) + le16(0)) << "<unreadable>";
        QTest::newRow("text") << markerFormula(2, 1, 0) + stringRecord(QStringLiteral("4.3")) << "text '4.3'";
        QTest::newRow("two-byte text") << markerFormula(2, 1, 0) + stringRecord(QStringLiteral("Città €"), true)
                                       << QStringLiteral("text 'Città €'");
        QTest::newRow("text after a shared formula")
            << markerFormula(2, 1, 0) + record(kSharedFormula, QByteArray(10, '\0')) + stringRecord(QStringLiteral("5.2.1"))
            << "text '5.2.1'";
        QTest::newRow("text after an array formula")
            << markerFormula(2, 1, 0) + record(0x0221, QByteArray(14, '\0')) + stringRecord(QStringLiteral("AB"))
            << "text 'AB'";
        QTest::newRow("text continued, one byte then two")
            << markerFormula(2, 1, 0) + record(kString, le16(4) + characters(QStringLiteral("ab"), false))
                   + record(kContinue, characters(QStringLiteral("€è"), true))
            << QStringLiteral("text 'ab€è'");
        QTest::newRow("text continued twice")
            << markerFormula(2, 1, 0) + record(kString, le16(3) + characters(QStringLiteral("x"), true))
                   + record(kContinue, characters(QStringLiteral("y"), false))
                   + record(kContinue, characters(QStringLiteral("z"), false))
            << "text 'xyz'";
        QTest::newRow("text record missing")
            << markerFormula(2, 1, 0) + record(kNumber, cellHead(3, 0) + le64(1.0)) << "<unreadable>";
        QTest::newRow("text record missing at the end of the sheet") << markerFormula(2, 1, 0) << "<unreadable>";
        QTest::newRow("text shorter than its count")
            << markerFormula(2, 1, 0) + record(kString, le16(10) + characters(QStringLiteral("abc"), false)) << "<unreadable>";
        QTest::newRow("continuation shorter than the count")
            << markerFormula(2, 1, 0) + record(kString, le16(10) + characters(QStringLiteral("abc"), false))
                   + record(kContinue, characters(QStringLiteral("de"), false))
            << "<unreadable>";
        QTest::newRow("empty continuation")
            << markerFormula(2, 1, 0) + record(kString, le16(5) + characters(QStringLiteral("abc"), false))
                   + record(kContinue, {})
            << "<unreadable>";
        QTest::newRow("text record of one byte") << markerFormula(2, 1, 0) + record(kString, QByteArray(1, '\x03')) << "<unreadable>";
        QTest::newRow("two-byte text with an odd byte count")
            << markerFormula(2, 1, 0) + record(kString, le16(2) + QByteArray("\x01\x41\x00\x42", 4)) << "<unreadable>";
        QTest::newRow("constant error") << boolErr(2, 1, 0x2A, true) << "<empty>";
        QTest::newRow("constant boolean has no entry") << boolErr(2, 1, 1, false) << "<no entry>";
        QTest::newRow("formula record too short") << record(kFormula, cellHead(2, 1) + le32(0)) << "<no entry>";
        QTest::newRow("formula elsewhere") << numberFormula(1, 2, 5.0) << "<no entry>";
        QTest::newRow("later formula wins") << numberFormula(2, 1, 1.0) + numberFormula(2, 1, 2.0) << "number 2";
        QTest::newRow("formula inside an embedded chart is not the sheet's")
            << bof(0x0600, 0x0020) + numberFormula(2, 1, 9.0) + record(kEof, {}) << "<no entry>";
        QTest::newRow("formula after an embedded chart")
            << bof(0x0600, 0x0020) + record(kEof, {}) + numberFormula(2, 1, 8.0) << "number 8";
    }
    void oneWorksheet()
    {
        QFETCH(QByteArray, body);
        QFETCH(QString, expected);
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(workbookStream({dimension(10, 5) + body}));
        QVERIFY2(cache.ok(), qPrintable(cache.problem()));
        QCOMPARE(cache.sheetCount(), 1);
        QCOMPARE(describe(cache.find(0, 2, 1)), expected);
        QCOMPARE(describe(cache.find(1, 2, 1)), QStringLiteral("<no entry>"));
    }

    void resultsBelongToTheirWorksheet()
    {
        // The sheet list names the substreams by offset; here it lists them in reverse order.
        const QByteArray stream = workbookStream({numberFormula(0, 0, 1.0), numberFormula(0, 0, 2.0) + numberFormula(0, 1, 3.0),
                                                  markerFormula(0, 0, 0) + stringRecord(QStringLiteral("terzo"))},
                                                 {}, 0x0600, {2, 1, 0});
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(stream);
        QVERIFY(cache.ok());
        QCOMPARE(cache.sheetCount(), 3);
        QCOMPARE(describe(cache.find(0, 0, 0)), QStringLiteral("text 'terzo'"));
        QCOMPARE(describe(cache.find(1, 0, 0)), QStringLiteral("number 2"));
        QCOMPARE(describe(cache.find(1, 0, 1)), QStringLiteral("number 3"));
        QCOMPARE(describe(cache.find(2, 0, 0)), QStringLiteral("number 1"));
        QCOMPARE(describe(cache.find(2, 0, 1)), QStringLiteral("<no entry>"));
        QCOMPARE(cache.size(), 4);
    }

    void substreamNotInTheSheetListIsIgnored()
    {
        QByteArray stream = workbookStream({numberFormula(0, 0, 1.0)});
        stream += bof(0x0600, 0x0010) + numberFormula(0, 0, 7.0) + record(kEof, {});
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(stream);
        QVERIFY(cache.ok());
        QCOMPARE(cache.size(), 1);
        QCOMPARE(describe(cache.find(0, 0, 0)), QStringLiteral("number 1"));
    }

    void excel95Texts()
    {
        // BIFF5: no option byte, one byte a character in the Windows Western code page.
        const QByteArray body = markerFormula(1, 1, 0) + record(kString, le16(3) + QByteArray("\x80\xE8\x41", 3));
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(workbookStream({body}, {}, 0x0500));
        QVERIFY(cache.ok());
        QCOMPARE(describe(cache.find(0, 1, 1)), QStringLiteral("text '€èA'"));
    }

    void brokenStreams_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<int>("failure");
        QTest::addColumn<int>("entries");
        const QByteArray good = workbookStream({numberFormula(0, 0, 1.0) + numberFormula(5, 5, 2.0)});
        const auto failure = [](XlsFormulaCache::Failure f) { return int(f); };

        QTest::newRow("whole") << good << failure(XlsFormulaCache::Failure::None) << 2;
        QTest::newRow("zeros after the last worksheet") << good + QByteArray(300, '\0') << failure(XlsFormulaCache::Failure::None) << 2;
        QTest::newRow("cut record after the last worksheet")
            << good + le16(kFormula) + le16(500) + QByteArray(10, '\x7F') << failure(XlsFormulaCache::Failure::None) << 2;
        QTest::newRow("cut inside a worksheet") << good.left(good.size() - 10) << failure(XlsFormulaCache::Failure::Damaged) << 0;
        QTest::newRow("record longer than the stream")
            << good.left(good.size() - 4) + le16(kFormula) + le16(0xFFFF) + QByteArray(20, '\0')
            << failure(XlsFormulaCache::Failure::Damaged) << 0;
        QTest::newRow("password") << workbookStream({numberFormula(0, 0, 1.0)}, record(kFilePass, QByteArray(54, '\x11')))
                                  << failure(XlsFormulaCache::Failure::Encrypted) << 0;
        QByteArray nested = bof(0x0600, 0x0005);
        for (int i = 0; i < 20; ++i)
            nested += bof(0x0600, 0x0020);
        QTest::newRow("endless nesting") << nested << failure(XlsFormulaCache::Failure::Damaged) << 0;
        QTest::newRow("empty") << QByteArray() << failure(XlsFormulaCache::Failure::None) << 0;
        QTest::newRow("three bytes") << QByteArray("\x09\x08\x10", 3) << failure(XlsFormulaCache::Failure::None) << 0;
    }
    void brokenStreams()
    {
        QFETCH(QByteArray, stream);
        QFETCH(int, failure);
        QFETCH(int, entries);
        const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(stream);
        QCOMPARE(int(cache.failure()), failure);
        QCOMPARE(cache.ok(), failure == int(XlsFormulaCache::Failure::None));
        QCOMPARE(cache.problem().isEmpty(), cache.ok());
        QCOMPARE(int(cache.size()), entries);
    }

    void hostileStreamsAreSurvived()
    {
        // Random damage to a good stream: lengths, types and contents. Run under AddressSanitizer
        // this shows any read past the bytes; here it must end with a known outcome.
        QByteArray body;
        for (int i = 0; i < 20; ++i)
            body += markerFormula(i, 1, 0) + record(kString, le16(6) + characters(QStringLiteral("abc"), false))
                  + record(kContinue, characters(QStringLiteral("def"), true)) + numberFormula(i, 2, i);
        const QByteArray good = workbookStream({body, boolErr(1, 1, 7, true)});
        QCOMPARE(XlsFormulaCache::fromWorkbookStream(good).size(), 41);
        QRandomGenerator random(334);
        for (int round = 0; round < 3000; ++round) {
            QByteArray damaged = good;
            const int changes = 1 + int(random.bounded(8));
            for (int c = 0; c < changes; ++c)
                damaged[qsizetype(random.bounded(quint32(damaged.size())))] = char(random.bounded(256));
            if (round % 3 == 0)
                damaged.truncate(qsizetype(random.bounded(quint32(damaged.size()))));
            const XlsFormulaCache cache = XlsFormulaCache::fromWorkbookStream(damaged);
            QVERIFY(cache.failure() == XlsFormulaCache::Failure::None || cache.failure() == XlsFormulaCache::Failure::Damaged
                    || cache.failure() == XlsFormulaCache::Failure::Encrypted);
            // Never more results than FORMULA and BOOLERR records could give.
            QVERIFY(cache.size() <= damaged.size() / 12);
        }
    }

    void damagedContainersAreSurvived()
    {
        // Random bytes changed anywhere in a file saved by Calc: header, allocation tables,
        // directory or records. Whatever the damage, the outcome is a value.
        QFile file(QStringLiteral(ZEFRO_TEST_DATA "/workbooks/formulas.xls"));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray good = file.readAll();
        QCOMPARE(XlsFormulaCache::fromFileBytes(good).failure(), XlsFormulaCache::Failure::None);
        QRandomGenerator random(1999);
        int refused = 0;
        for (int round = 0; round < 600; ++round) {
            QByteArray damaged = good;
            // Half of the rounds hit the first sectors, where the container's tables live.
            const quint32 span = round % 2 ? quint32(damaged.size()) : 1536;
            for (int c = 0; c < 1 + round % 6; ++c)
                damaged[qsizetype(random.bounded(span))] = char(random.bounded(256));
            const XlsFormulaCache cache = XlsFormulaCache::fromFileBytes(damaged);
            if (!cache.ok())
                ++refused;
            QCOMPARE(cache.problem().isEmpty(), cache.ok());
        }
        QVERIFY(refused > 0);
    }

    void containers()
    {
        const QByteArray stream = workbookStream({markerFormula(0, 0, 0) + stringRecord(QStringLiteral("dentro"))});
        const XlsFormulaCache inWorkbook = XlsFormulaCache::fromFileBytes(compoundFile("Workbook", stream));
        QVERIFY2(inWorkbook.ok(), qPrintable(inWorkbook.problem()));
        QCOMPARE(describe(inWorkbook.find(0, 0, 0)), QStringLiteral("text 'dentro'"));

        const XlsFormulaCache inBook = XlsFormulaCache::fromFileBytes(compoundFile("BOOK", stream));
        QVERIFY(inBook.ok());
        QCOMPARE(describe(inBook.find(0, 0, 0)), QStringLiteral("text 'dentro'"));

        const XlsFormulaCache other = XlsFormulaCache::fromFileBytes(compoundFile("WordDocument", stream));
        QCOMPARE(other.failure(), XlsFormulaCache::Failure::NoWorkbookStream);

        QCOMPARE(XlsFormulaCache::fromFileBytes(stream).failure(), XlsFormulaCache::Failure::NoContainer);
        QCOMPARE(XlsFormulaCache::fromFileBytes(QByteArray()).failure(), XlsFormulaCache::Failure::NoContainer);

        // A big stream lives in whole sectors; losing the last one loses part of the workbook.
        QByteArray big = stream;
        for (int i = 0; i < 400; ++i)
            big.insert(big.size() - 4, numberFormula(i + 1, 0, i));
        const QByteArray file = compoundFile("Workbook", big);
        QCOMPARE(XlsFormulaCache::fromFileBytes(file).size(), 401);
        for (const qsizetype cut : {qsizetype(600), file.size() / 2, file.size() - 512, file.size() - 1})
            QCOMPARE(XlsFormulaCache::fromFileBytes(file.left(cut)).failure(), XlsFormulaCache::Failure::Damaged);
    }

    void readerReportsAnUnreadableResult()
    {
        // The reader, end to end, on a workbook written here: a text result without its text
        // record is an unreadable cell, not an empty one.
        const QByteArray body = dimension(4, 3) + numberFormula(0, 0, 4.5) + markerFormula(1, 1, 0)
                              + record(kNumber, cellHead(2, 2) + le64(6.0)) + markerFormula(3, 0, 0)
                              + stringRecord(QStringLiteral("ok"));
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("fatto a mano.xls"));
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(compoundFile("Workbook", workbookStream({body})));
        file.close();

        const auto opened = openXlsWorkbook(path, QStringLiteral("c:\\dati\\fatto a mano.xls"));
        QVERIFY2(opened.ok(), opened.ok() ? "" : qPrintable(opened.error().message()));
        const WorkbookHandle book = opened.value();
        const auto cell = [&](const char *address) {
            const auto read = book->readCell(1, QString::fromLatin1(address));
            return read.ok() ? read.value().toText() + QString::number(read.value().toNumber()) : QStringLiteral("<error>");
        };
        QCOMPARE(cell("A1"), QStringLiteral("4.5"));
        QCOMPARE(cell("C3"), QStringLiteral("6"));
        QCOMPARE(cell("A4"), QStringLiteral("ok0"));
        const auto unreadable = book->readCell(1, QStringLiteral("B2"));
        QVERIFY(!unreadable.ok());
        QCOMPARE(unreadable.error().kind, WorkbookError::Kind::UnreadableCell);
        QCOMPARE(unreadable.error().cell, QStringLiteral("B2"));
        QCOMPARE(unreadable.error().sheet, 1);
        QVERIFY(unreadable.error().message().contains(QStringLiteral("c:\\dati\\fatto a mano.xls")));
    }
};

QTEST_GUILESS_MAIN(WorkbookFormulaCacheTest)
#include "test_workbook_formula_cache.moc"
