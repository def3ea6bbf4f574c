// Structural damage to real workbooks, made with a fixed seed: a record's length changed, a 512-byte
// block zeroed, two blocks swapped, single bytes changed. Every mutant is either refused (damaged;
// not a workbook when the signature or the directory was hit; protected when a password record
// appeared) or it reads exactly as the original: same worksheets, same cells, no cell more.
//
// A byte changed inside what a cell stores cannot be told from another valid value by any reader: its
// number, text, shared-string index, position or cell format, the stored result of a formula, the
// shared-string table's characters, the number formats. Single-byte changes there are not made
// (they are counted as excluded); the lengths and counts around them are changed all the same.
//
// How many mutants of each kind are refused, read identical and excluded is stated for each workbook, a
// little below what was measured, so that a reader that stops refusing fails here.
#include "xls/CellAddress.h"
#include "xls/CompoundFile.h"
#include "xls/XlsWorkbook.h"
#include "support/TestDrive.h"

#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

namespace {

struct Record
{
    qsizetype at; // in the workbook stream
    quint16 type, length;
};

QList<Record> records(QByteArrayView stream)
{
    QList<Record> list;
    for (qsizetype at = 0; at + 4 <= stream.size() && qFromLittleEndian<quint16>(stream.data() + at) != 0;) {
        const quint16 length = qFromLittleEndian<quint16>(stream.data() + at + 2);
        list.append({at, qFromLittleEndian<quint16>(stream.data() + at), length});
        at += 4 + length;
    }
    return list;
}

// The bytes (from, to; from the record's type) of a record that hold what its cells store. A cell
// record's type is among them: changed into a type the format does not use, the record is skipped
// as records of unknown types must be, and its cell is gone without a trace.
std::pair<int, int> storedBytes(const Record &r)
{
    static const QList<quint16> cells{0x00BD, 0x00D6, 0x00FD, 0x0203, 0x0204, 0x0205, 0x0207, 0x027E};
    if (r.type == 0x0006) // FORMULA: position, format, result; its tokens are never read
        return {0, 4 + 14};
    if (r.type == 0x00E0) // XF: the number format
        return {4 + 2, 4 + 4};
    if (r.type == 0x00FC || r.type == 0x003C || r.type == 0x041E) // shared strings, number formats
        return {4, 4 + r.length};
    return {0, cells.contains(r.type) ? 4 + r.length : 0};
}

QStringList cellsOf(const Outcome<WorkbookHandle> &opened, QByteArrayView file)
{
    QStringList cells{QString::number(opened.value()->sheetCount())};
    for (const auto &[key, value] : readWorkbookContents(readWorkbookStream(file).bytes).cells)
        cells << QStringLiteral("%1 %2%3 %4 %5")
                     .arg(key >> 32)
                     .arg(columnLetters(int(key & 0xFFFF) + 1))
                     .arg((key >> 16 & 0xFFFF) + 1)
                     .arg(int(value.kind()))
                     .arg(value.isNumber() ? QString::number(value.toNumber(), 'g', 17) : value.toText());
    return cells;
}

} // namespace

class DamagedWorkbooksTest : public QObject
{
    Q_OBJECT

private slots:
    void mutants_data()
    {
        QTest::addColumn<QString>("file");
        // At least this many refused, read identical, excluded: lengths, zeroed blocks, swapped blocks, bytes.
        QTest::addColumn<QList<int>>("atLeast");
        const QString data
            = QStringLiteral(ZEFRO_BUNDLED_TREE "/c/revisione metodo speditivo/dati/Dati input ZEFRO 200605/");
        const QString workbooks = QStringLiteral(ZEFRO_TEST_DATA "/workbooks/");
        QTest::newRow("111.xls") << data + "111.xls" << QList<int>{190, 0, 0, 32, 0, 0, 134, 0, 3, 67, 154, 252};
        QTest::newRow("513.xls") << data + "513.xls" << QList<int>{190, 0, 0, 21, 0, 0, 133, 0, 0, 140, 154, 179};
        QTest::newRow("classe 51 tabelle nomi e indicazione zone.xls")
            << data + "classe 51 tabelle nomi e indicazione zone.xls"
            << QList<int>{190, 0, 0, 36, 0, 0, 136, 0, 0, 99, 68, 306};
        QTest::newRow("test drive 212.xls") << QStringLiteral(
            ZEFRO_TEST_DATA "/drives/tiny/c/revisione metodo speditivo/dati/Dati input ZEFRO 200605/212.xls")
                                            << QList<int>{188, 0, 0, 12, 0, 0, 128, 0, 0, 239, 173, 61};
        QTest::newRow("Calc formulas.xls")
            << workbooks + "formulas.xls" << QList<int>{189, 0, 0, 47, 2, 0, 77, 0, 64, 26, 117, 330};
        QTest::newRow("Gnumeric chart-sheet.xls")
            << workbooks + "chart-sheet.xls" << QList<int>{182, 2, 0, 11, 0, 0, 129, 0, 0, 90, 339, 45};
        QTest::newRow("Gnumeric excel95-utf16.xls")
            << workbooks + "excel95-utf16.xls" << QList<int>{177, 6, 0, 11, 0, 0, 126, 0, 0, 112, 316, 46};
    }
    void mutants()
    {
        QFETCH(QString, file);
        QFETCH(QList<int>, atLeast);
        const QByteArray original = fileBytes(file);
        const QByteArray stream = readWorkbookStream(original).bytes;
        // These files keep the workbook stream in one piece: a stream offset is a file offset less base.
        const qsizetype base = original.indexOf(stream.first(64));
        QCOMPARE(original.mid(base, stream.size()), stream);
        const QStringList expected = cellsOf(openXlsWorkbook(file, file), original);
        QVERIFY(expected.size() > 5);
        const qsizetype directory = (qFromLittleEndian<quint32>(original.data() + 0x30) + 1) * 512;
        const QList<Record> walk = records(stream);
        QSet<qsizetype> stored;
        for (const Record &r : walk) {
            const auto [from, to] = storedBytes(r);
            for (int i = from; i < to; ++i)
                stored.insert(base + r.at + i);
        }
        QHash<qsizetype, int> storedInBlock; // whole blocks of stored bytes are only moved text when swapped
        for (const qsizetype at : stored)
            ++storedInBlock[at / 512];

        QRandomGenerator random(20240605);
        const QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("mutant.xls"));
        int counts[4][3] = {}; // kind: refused, read identical, excluded
        const auto check = [&](int kind, const QByteArray &mutant, QList<qsizetype> touched) {
            if (mutant == original)
                return;
            QFile out(path);
            QVERIFY(out.open(QIODevice::WriteOnly | QIODevice::Truncate) && out.write(mutant) == mutant.size());
            out.close();
            const auto opened = openXlsWorkbook(path, path);
            const auto hit = [&](qsizetype from, qsizetype to) {
                return std::any_of(touched.begin(), touched.end(), [&](qsizetype at) { return at >= from && at < to; });
            };
            if (opened.ok()) {
                QCOMPARE(cellsOf(opened, mutant), expected);
            } else if (opened.error().kind == Error::Kind::NotAWorkbook) {
                QVERIFY2(hit(0, 8) || hit(directory, directory + 512), qPrintable(opened.error().detail));
            } else if (opened.error().kind == Error::Kind::EncryptedWorkbook) {
                const QList<Record> globals = records(readWorkbookStream(mutant).bytes);
                QVERIFY(std::any_of(globals.begin(), globals.end(), [](const Record &r) { return r.type == 0x002F; }));
            } else {
                QCOMPARE(opened.error().kind, Error::Kind::DamagedWorkbook);
            }
            ++counts[kind][opened.ok() ? 1 : 0];
        };
        for (int i = 0; i < 200; ++i) { // a record's length: a little off, or anything a record may have
            const Record r = walk[random.bounded(int(walk.size()))];
            const int delta = std::array{-2, -1, 1, 2, 4, 16}[random.bounded(6)];
            const int length = i % 2 ? r.length + delta : random.bounded(8225);
            if (length >= 0)
                check(0,
                      QByteArray(original).replace(base + r.at + 2, 2, QByteArray(1, char(length)) + char(length >> 8)),
                      {base + r.at + 2});
        }
        for (qsizetype block = 0; block < original.size(); block += 512)
            check(1, QByteArray(original).replace(block, 512, QByteArray(512, '\0')), {block, block + 511});
        for (int i = 0; i < 150; ++i) {
            const qsizetype a = random.bounded(int(original.size() / 512)) * 512,
                            b = random.bounded(int(original.size() / 512)) * 512;
            if (storedInBlock.value(a / 512) == 512 && storedInBlock.value(b / 512) == 512) {
                ++counts[2][2];
                continue;
            }
            QByteArray mutant(original);
            mutant.replace(a, 512, original.mid(b, 512)).replace(b, 512, original.mid(a, 512));
            check(2, mutant, {a, a + 511, b, b + 511});
        }
        for (int i = 0; i < 500; ++i) {
            const qsizetype at = random.bounded(int(original.size()));
            if (stored.contains(at)) {
                ++counts[3][2];
                continue;
            }
            QByteArray mutant(original);
            mutant[at] = char(mutant[at] ^ (1 + random.bounded(255)));
            check(3, mutant, {at});
        }
        for (int kind = 0; kind < 4; ++kind) {
            for (int outcome = 0; outcome < 3; ++outcome) {
                const int count = counts[kind][outcome], least = atLeast[3 * kind + outcome];
                QVERIFY2(count >= least,
                         qPrintable(QStringLiteral("%1 %2: %3, below %4")
                                        .arg(QStringList{"length", "zeroed", "swapped", "byte"}[kind],
                                             QStringList{"refused", "read identical", "excluded"}[outcome])
                                        .arg(count)
                                        .arg(least)));
            }
        }
    }
};

QTEST_GUILESS_MAIN(DamagedWorkbooksTest)
#include "test_damaged_workbooks.moc"
