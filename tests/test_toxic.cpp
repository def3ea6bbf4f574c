#include "estimate/ToxicSubclassLookup.h"
#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

using L = QStringList;

const QString kNone = kNotAvailable + QLatin1Char('|');

QString failure(Error::Kind kind, const QString &where)
{
    return QStringLiteral("error %1|").arg(int(kind)) + where;
}

// Sub-class workbooks whose distances are code + (100 * pair + 10 * hypothesis + slot) / 1000 metres
// (513.11 is 513.xls, pair 1, most likely, threshold 1 D5), the lower bounds 0, 10, 50 ... 700 in
// C1 .. Q1 of the worksheets of fixed storage and pipelines; then `cells` ("46:C3=0", "524:C3=n.d.",
// "513:C1='0" a text, "513:M1=" emptied) set on worksheet 2.
void addSubclasses(MemoryWorkbookOpener &opener, const L &cells)
{
    for (const char *code : {"41", "42", "45", "46", "511", "512", "513", "514", "515", "516", "521", "522", "523",
                             "524", "526", "531", "532", "533", "536"}) {
        auto book = opener.add(kDataFolder + code + QStringLiteral(".xls"), 5);
        for (int sheet = 1; sheet <= 5; ++sheet) {
            fillDistances(*book, sheet, QString::fromLatin1(code).toInt() * 1000, 1000);
            if (rangeKindOf(Containment(sheet)) != RangeKind::None)
                book->setRow(sheet, "C1", {0, 10, 10, 50, 50, 100, 100, 200, 200, 300, 300, 500, 500, 700, 700, 900});
        }
        for (const QString &cell : cells) {
            const L parts = cell.split(QRegularExpression(QStringLiteral("[:=]")));
            bool number = false;
            const double value = parts[2].toDouble(&number);
            if (parts[0] == QLatin1String(code))
                book->set(2, parts[1],
                          parts[2].isEmpty()              ? TestCell(CellValue())
                              : parts[2].startsWith('\'') ? TestCell(parts[2].mid(1))
                              : number                    ? TestCell(value)
                                                          : TestCell(parts[2]));
        }
    }
}

} // namespace

class ToxicTest : public QObject
{
    Q_OBJECT

private slots:
    void correspondence_data()
    {
        QTest::addColumn<L>("rows"); // "row: code lower upper likely average" of worksheet 2
        QTest::addColumn<L>("found"); // the bounds and pair codes of the class's rows, or the error
        L ten;
        for (int row = 3; row <= 12; ++row)
            ten << QStringLiteral("%1: 51 %1 %2 1 1").arg(row).arg(row + 1);
        const QString file = kDataFolder + kRangeCorrespondenceFile + "|2|";
        QTest::newRow("rows 3 to 24 of the class") << L{"2: 51 1 2 0 0",   "3: 51 0 10 3 4",    "4: 4 10 20 5 5",
                                                        "5: 51 10 50 5 6", "24: 51 50 200 7 8", "25: 51 200 300 9 9"}
                                                   << L{" 0 -  10 3 4", " 10 -  50 5 6", " 50 -  200 7 8"};
        QTest::newRow("an eleventh row") << ten + L{"24: 51 0 0 1 1"}
                                         << L{failure(Error::Kind::TooManyCorrespondenceRows, file + "|51")};
        QTest::newRow("a pair code as text")
            << L{"3: 51 0 10 3 x"} << L{failure(Error::Kind::RangeBoundNotANumber, file + "E3|")};
        QTest::newRow("a class code as text, which would drop its ranges") // 'x: the text x
            << L{"3: '4 0 10 3 4", "4: 51 0 10 3 4"} << L{failure(Error::Kind::ClassCodeAsText, file + "A3|4")};
    }
    void correspondence()
    {
        QFETCH(L, rows);
        QFETCH(L, found);
        MemoryWorkbook book(kDataFolder + kRangeCorrespondenceFile, 5);
        for (const QString &row : rows) {
            QList<TestCell> cells;
            for (const QString &cell : row.section(QStringLiteral(": "), 1).split(QLatin1Char(' ')))
                cells << (cell.startsWith(QLatin1Char('\''))                       ? TestCell(cell.mid(1))
                              : cell.toDouble() != 0 || cell == QLatin1String("0") ? TestCell(cell.toDouble())
                                                                                   : TestCell(cell));
            book.setRow(2, QStringLiteral("A") + row.section(QLatin1Char(':'), 0, 0), cells);
        }
        const auto pairs = readRangeCorrespondence(book, 2, 51);
        L rowsFound;
        for (const PairRow &pair : pairs.ok() ? pairs.value() : std::vector<PairRow>())
            rowsFound << RangeEntry{pair.lowerBound, pair.upperBound}.text()
                    + QStringLiteral(" %1 %2")
                          .arg(pair.pairCodeMostLikely.toNumber())
                          .arg(pair.pairCodeAverage.toNumber());
        QCOMPARE(pairs.ok() ? rowsFound : L{failure(pairs.error().kind, whereOf(pairs.error()))}, found);
    }

    void estimate_data()
    {
        QTest::addColumn<QString>(
            "choice"); // class, containment, hypothesis, entry, zone index of each row listing the substance
        QTest::addColumn<L>("rows"); // of the sub-class matrix: "group pair threshold weather label [row]"
        QTest::addColumn<L>("cells"); // of the sub-class workbooks
        QTest::addColumn<L>("found"); // slots 0, 2, 4 and 6 as "text|sub-class", the class label; or the error
        QTest::newRow("rows of the pair and group, out of slot order")
            << "51 2 1 1 1" << L{"1 4 1 1 5.1.6", "2 3 1 1 5.1.6", "2 4 2 1 5.1.6", "2 4 1 3 5.1.6",
                                 "2 4 1 2 5.1.2", "2 4 3 1 5.1.3", "2 4 1 1 5.1.3", "2 4 3 2 5.1.4"}
            << L{} << L{" 513.11 m|5.1.3", " 513.112 m|5.1.3", " 512.114 m|5.1.2", " 514.116 m|5.1.4", "5.1.4"};
        QTest::newRow("average: its pair code, rows 7 to 10")
            << "51 2 2 0 1" << L{"2 3 1 1 5.2.1", "2 13 1 1 5.2.2", "2 13 3 2 5.2.3"} << L{}
            << L{" 522.02 m|5.2.2", kNone, kNone, " 523.026 m|5.2.3", "5.2.3"};
        QTest::newRow("bund: group 1") << "51 1 1 0 1" << L{"2 3 1 1 5.1.2", "1 3 1 1 5.1.1"} << L{}
                                       << L{" 511.01 m|5.1.1", kNone, kNone, kNone, "5.1.1"};
        const L tankerRows{"1 4 1 1 5.1.3", "2 4 1 1 5.1.4", "1 3 1 1 5.1.1", "2 4 3 2 5.1.4"};
        QTest::newRow("tanker of 51: group 1, the row of bound 0")
            << "51 3 1 0 1" << tankerRows << L{} << L{" 513.01 m|5.1.3", kNone, kNone, kNone, "5.1.3"};
        QTest::newRow("tanker of 53: group 2, columns C and D")
            << "53 3 1 0 1" << tankerRows << L{} << L{" 514.01 m|5.1.4", kNone, kNone, " 514.016 m|5.1.4", "5.1.4"};
        QTest::newRow("no correspondence row")
            << "53 2 1 0 1" << L{"2 3 1 1 5.1.1"} << L{} << L{kNone, kNone, kNone, kNone, ""};
        QTest::newRow("four rows at most, the later one of a slot wins")
            << "51 2 1 0 1" << L{"2 3 1 1 5.1.1", "2 3 1 1 5.1.2", "2 3 3 1 5.1.2", "2 3 1 2 5.1.3", "2 3 3 2 nonsense"}
            << L{} << L{" 512.01 m|5.1.2", " 512.012 m|5.1.2", " 513.014 m|5.1.3", kNone, "5.1.3"};
        QTest::newRow("matrix rows 5 to 204")
            << "51 2 1 0 1" << L{"2 3 1 1 4.1 4", "2 3 3 1 4.2 204", "2 3 1 2 4.1 205"} << L{}
            << L{kNone, " 42.012 m|4.2  ", kNone, kNone, "4.2  "};
        QTest::newRow("bound of the last column pair")
            << "51 2 1 2 1" << L{"2 5 1 1 5.3.1"} << L{} << L{" 531.71 m|5.3.1", kNone, kNone, kNone, "5.3.1"};
        QTest::newRow("no column for the bound")
            << "51 2 1 3 1" << L{"2 6 1 1 5.3.2"} << L{} << L{kNone + "5.3.2", kNone, kNone, kNone, "5.3.2"};
        QTest::newRow("last sub-classes of a family fall back")
            << "51 2 1 0 1" << L{"2 3 1 1 4.6", "2 3 3 1 4.6", "2 3 1 2 4.5", "2 3 3 2 5.1.6"}
            << L{"46:C3=0", "45:D3=0", "516:D5=0"}
            << L{" 45.01 > m|4.6  ", " 46.012 m|4.6  ", " 0 m|4.5  ", " 515.016 > m|5.1.6", "5.1.6"};
        QTest::newRow("listed twice: the later zone, 72 (column BY)")
            << "51 2 1 0 3 72" << L{"2 3 1 1 5.2.4"} << L{} << L{" 524.01 m|5.2.4", kNone, kNone, kNone, "5.2.4"};
        for (const QString zone : {"0", "73", "2.5", "\"3\""})
            QTest::newRow(qPrintable("zone " + zone)) << "51 2 1 0 " + zone << L{"2 3 1 1 5.2.4"} << L{}
                                                      << L{failure(Error::Kind::BadZoneIndex, "|0||" + zone)};
        const QString matrix = kDataFolder + classOf("51").workbookFile;
        QTest::newRow("unknown label") << "51 2 1 0 1" << L{"2 3 1 1 4.7"} << L{}
                                       << L{failure(Error::Kind::UnknownSubclass, matrix + "|2|F5|\"4.7\"")};
        QTest::newRow("distance as text") << "51 2 1 0 1" << L{"2 3 1 1 5.2.4"} << L{"524:C3=n.d."}
                                          << L{failure(Error::Kind::DistanceNotANumber, kDataFolder + "524.xls|2|C3|")};
        // Row 1 of a sub-class worksheet: only its first pair can hold the range from 0.
        const L range0{"2 3 1 1 5.1.3"};
        QTest::newRow("lower bound 0 written as text, later pairs empty")
            << "51 2 1 0 1" << range0 << L{"513:C1='0", "513:M1=", "513:O1=", "513:Q1="}
            << L{failure(Error::Kind::RangeBoundNotANumber, kDataFolder + "513.xls|2|C1|")};
        QTest::newRow("an empty later pair holds no range from 0")
            << "51 2 1 0 1" << range0 << L{"513:C1=5", "513:M1="} << L{kNone + "5.1.3", kNone, kNone, kNone, "5.1.3"};
        QTest::newRow("an empty first lower bound reads as 0")
            << "51 2 1 0 1" << range0 << L{"513:C1="} << L{" 513.01 m|5.1.3", kNone, kNone, kNone, "5.1.3"};
        QTest::newRow("missing workbook below")
            << "51 2 1 0 1" << L{"2 3 1 1 5.3.6"} << L{"536:C3=0"}
            << L{failure(Error::Kind::MissingWorkbook, kDataFolder + "535.xls|0||")};
    }
    void estimate()
    {
        QFETCH(QString, choice);
        QFETCH(L, rows);
        QFETCH(L, cells);
        QFETCH(L, found);
        const L c = choice.split(QLatin1Char(' '));
        EstimateWorkbooks data;
        for (int i = 4; i < c.size(); ++i) // a zone index in quotes is a text
            data.put(c[0], i, c[i].startsWith('"') ? TestCell(c[i].mid(1, 1)) : TestCell(c[i].toDouble()));
        data.put("52", 20, 9); // another class's zone, not used
        auto pairs = data.opener.add(kDataFolder + kRangeCorrespondenceFile, 5);
        for (const int sheet : {1, 2, 4, 5})
            pairs->setRow(sheet, "A3", {51, 0, 10, 3, 13})
                .setRow(sheet, "A4", {51, 10, 50, 4, 14})
                .setRow(sheet, "A5", {51, 700, 900, 5, 15})
                .setRow(sheet, "A6", {51, 900, 999, 6, 16});
        // Tankers: the row of bound 0 comes second; class 53 has rows there only.
        pairs->setRow(3, "A3", {51, 5, 10, 3, 13})
            .setRow(3, "A4", {51, 0, 0, 4, 14})
            .setRow(3, "A5", {53, 5, 10, 3, 13})
            .setRow(3, "A6", {53, 0, 0, 4, 14});
        const int zone = c.last().toDouble() >= 1 && c.last().toDouble() <= 72 ? c.last().toInt() : 1;
        int next = 5;
        for (const QString &row : rows) { // the label in the zone's column, an "x" in the next one
            const L f = row.split(QLatin1Char(' '));
            const int at = f.size() > 5 ? f[5].toInt() : next++;
            data.book(c[0])
                .setRow(2, QStringLiteral("A%1").arg(at), {f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt()})
                .setRow(2, cellAddress(columnLetters(zone + 5), at), {f[4], "x"});
        }
        addSubclasses(data.opener, cells);
        EstimateChain chain(data.opener);
        QVERIFY(chain.lookUpClasses(kTestSubstance).ok());
        chain.chooseClass(classOf(c[0]));
        QVERIFY(chain.chooseContainment(Hypothesis(c[2].toInt()), Containment(c[1].toInt())).ok());
        const Outcome<Estimate> estimate = chain.estimate(c[3].toUInt());
        L texts;
        for (std::size_t slot = 0; estimate.ok() && slot < kDistanceSlots; ++slot) {
            const DamageDistance &distance = estimate.value().distances[slot];
            if (slot % 2 == 0)
                texts << distanceText(distance, slot) + QLatin1Char('|') + distance.subclass;
            else // thresholds 2 and 4 have no toxic distance
                QCOMPARE(distanceText(distance, slot), kNotApplicable);
        }
        QCOMPARE(estimate.ok() ? texts << estimate.value().classLabel
                               : L{failure(estimate.error().kind, whereOf(estimate.error()))},
                 found);
        if (estimate.ok())
            QCOMPARE(estimate.value().scenario, QStringLiteral("Nube Tossica"));
    }
};

QTEST_MAIN(ToxicTest)
#include "test_toxic.moc"
