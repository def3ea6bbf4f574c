#include "estimate/CellAddress.h"
#include "estimate/ToxicSubclassLookup.h"
#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

using Marks = std::array<bool, 4>;

// A toxic substance of one class with its zone matrix rows, its range correspondence and whichever
// sub-class workbooks a test adds.
struct ToxicCase : EstimateCase
{
    std::shared_ptr<MemoryWorkbook> pairs = data.addPairs();
    int matrixRow = 5;

    ToxicCase(const QString &listCode, const TestCell &zone) : EstimateCase(listCode, zone) {}

    // A sub-class matrix row: containment group, pair code, threshold, weather, and the label in
    // the zone column.
    void addMatrixRow(const QString &column, int group, int pair, int threshold, int weather, const TestCell &label)
    {
        book().setRow(2, QStringLiteral("A%1").arg(matrixRow), {group, pair, threshold, weather});
        book().set(2, column + QString::number(matrixRow++), label);
    }
    // A range correspondence row: class code, bounds, pair codes of the likely and the average hypothesis.
    void addPair(int sheet, int row, double lower, double upper, int likely, int average)
    {
        pairs->setRow(sheet, QStringLiteral("A%1").arg(row), {classOf(code).classCode, lower, upper, likely, average});
    }
    // A sub-class workbook whose worksheet holds, for the range pair starting at firstColumn, the
    // threshold 1 and 3 distances: likely 1 D5 = base, 1 F2 = base + 1, 3 D5 = base + 2,
    // 3 F2 = base + 3; the average hypothesis adds 500.
    std::shared_ptr<MemoryWorkbook> addSubclass(const QString &subclass, int sheet, const QList<double> &bounds,
                                                QChar firstColumn, double base)
    {
        auto book = data.opener.add(kDataFolder + subclass + QStringLiteral(".xls"), 5);
        for (int i = 0; i < bounds.size(); ++i)
            book->set(sheet, QStringLiteral("%1%2").arg(QChar('C' + i)).arg(1), bounds[i]);
        for (int h = 0; h < 2; ++h) {
            const double value = base + 500 * h;
            book->setRow(sheet, QStringLiteral("%1%2").arg(firstColumn).arg(3 + 4 * h), {value, value + 1});
            book->setRow(sheet, QStringLiteral("%1%2").arg(firstColumn).arg(5 + 4 * h), {value + 2, value + 3});
        }
        return book;
    }
};

} // namespace

class ToxicTest : public QObject
{
    Q_OBJECT

private slots:
    void lowerBoundOfTheChosenRange()
    {
        QCOMPARE(ChosenLowerBound(2, {QStringLiteral(" 0.5 -  1"), QString(), kLikely}), 0.5);
        QCOMPARE(ChosenLowerBound(5, {QStringLiteral(" 10 -  50"), QStringLiteral(" 2 -  6"), kLikely}), 2.0);
        QCOMPARE(ChosenLowerBound(4, {QStringLiteral(" 10 -  50"), QString(), kLikely}), 0.0);
        QCOMPARE(ChosenLowerBound(1, {QStringLiteral(" 123456789 -  999"), QString(), kLikely}), 123456789.0);
        QCOMPARE(ChosenLowerBound(1, {QStringLiteral("42"), QString(), kLikely}), 42.0);
        QCOMPARE(ChosenLowerBound(1, {QStringLiteral("scelta della quantità [t]"), QString(), kLikely}), 0.0);
    }

    void gasOfClass51ThroughTheZoneMatrix()
    {
        ToxicCase c(QStringLiteral("51"), 22); // zone column AA
        c.addPair(2, 3, 0, 10, 4, 14);
        c.addPair(2, 4, 10, 50, 5, 15);
        c.addMatrixRow("AA", 1, 5, 1, 1, "5.1.6"); // other group: not used
        c.addMatrixRow("AA", 2, 6, 1, 1, "5.1.6"); // other pair: not used
        c.addMatrixRow("AA", 2, 5, 2, 1, "5.1.6"); // threshold 2: not used
        c.addMatrixRow("AA", 2, 5, 1, 1, "5.1.2");
        c.addMatrixRow("AA", 2, 5, 3, 1, "5.1.3");
        c.addMatrixRow("AA", 2, 5, 1, 2, "5.1.3");
        c.addMatrixRow("AA", 2, 5, 3, 2, "5.1.4");
        c.book().set(2, "Z8", "5.1.6"); // the zone next to it is never read
        c.addSubclass("512", 2, {0, 10, 10, 50}, 'E', 100);
        c.addSubclass("513", 2, {0, 10, 10, 50}, 'E', 200);
        auto last = c.addSubclass("514", 2, {0, 10, 10, 50}, 'E', 300);

        const EstimateOutcome out = c.run(2, kLikely, 1);

        QVERIFY2(out.completed, qPrintable(out.message));
        QVERIFY(out.toxic);
        QCOMPARE(c.state.pairCode, CellValue::number(5));
        QCOMPARE(c.texts(), QStringList({" 100 m", " Non applicabile", " 202 m", " Non applicabile", " 201 m",
                                         " Non applicabile", " 303 m", " Non applicabile"}));
        QCOMPARE(c.state.result.subclassName,
                 (std::array<QString, 4>{"classe 5.1.2", "classe 5.1.3", "classe 5.1.3", "classe 5.1.4"}));
        QCOMPARE(c.state.result.classLabel, QStringLiteral("5.1.4"));
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("Nube Tossica"));
        QCOMPARE(c.state.subclassWorkbook.get(), last.get());
        QCOMPARE(c.state.result.greaterThan, Marks{});
        QCOMPARE(out.diameterText, kNotApplicable);
        QCOMPARE(out.quantityText, QStringLiteral(" 10 -  50"));
    }

    void averageHypothesisUsesItsPairCode()
    {
        ToxicCase c(QStringLiteral("52"), 1); // zone column F
        c.addPair(1, 3, 0, 5, 4, 14);
        c.addMatrixRow("F", 1, 4, 1, 1, "5.2.1"); // pair code of the likely hypothesis
        c.addMatrixRow("F", 1, 14, 1, 1, "5.2.2");
        c.addSubclass("521", 1, {0, 5}, 'C', 10);
        c.addSubclass("522", 1, {0, 5}, 'C', 20);
        QVERIFY(c.run(1, kAverage).completed);
        QCOMPARE(c.state.pairCode, CellValue::number(14));
        QCOMPARE(c.state.result.damageDistance[0], CellValue::number(520));
        QCOMPARE(c.state.result.subclassName[0], QStringLiteral("classe 5.2.2"));
    }

    void lastSubclassFallsBackWithTheMark()
    {
        ToxicCase c(QStringLiteral("4"), 3); // zone column H
        c.addPair(2, 3, 0, 10, 1, 2);
        c.addMatrixRow("H", 2, 1, 1, 1, "4.6");
        c.addMatrixRow("H", 2, 1, 3, 1, "4.6");
        auto top = c.addSubclass("46", 2, {0, 10}, 'C', 0);
        top->set(2, "C3", 0).set(2, "C5", 900);
        c.addSubclass("45", 2, {0, 10}, 'C', 400);

        QVERIFY(c.run(2).completed);

        QCOMPARE(c.state.result.greaterThan, (Marks{true, false, false, false}));
        QCOMPARE(c.texts(), QStringList({" 400 > m", " Non applicabile", " 900 m", " Non applicabile",
                                         " Non disponibile", " Non applicabile", " Non disponibile", " Non applicabile"}));
        QCOMPARE(c.state.result.classLabel, QStringLiteral("4.6  "));
        QCOMPARE(c.state.subclassWorkbook.get(), top.get());
        QVERIFY(c.state.result.notAvailable[4] && c.state.result.damageDistance[4].isEmpty());
    }

    void fallbackConcernsOnlyTheRowItsWorkbookFailed()
    {
        // 4.5 gives 0 at threshold 1 D5 (not the last sub-class: no fallback); 4.6 has a real
        // threshold 3 distance and marks nothing.
        ToxicCase c(QStringLiteral("4"), 3);
        c.addPair(2, 3, 0, 10, 1, 2);
        c.addMatrixRow("H", 2, 1, 1, 1, "4.5");
        c.addMatrixRow("H", 2, 1, 3, 1, "4.6");
        c.addSubclass("45", 2, {0, 10}, 'C', 60)->set(2, "C3", 0).set(2, "C5", 50);
        c.addSubclass("46", 2, {0, 10}, 'C', 100)->set(2, "C5", 120);
        QVERIFY(c.run(2).completed);
        QCOMPARE(c.state.result.greaterThan, Marks{});
        QCOMPARE(c.texts().mid(0, 3), QStringList({" 0 m", " Non applicabile", " 120 m"}));
    }

    void tankerUsesLowerBoundZeroAndColumnsCAndD()
    {
        ToxicCase c(QStringLiteral("53"), 4); // zone column I
        c.addPair(3, 10, 0, 0, 9, 19);
        c.addMatrixRow("I", 2, 9, 1, 1, "5.3.4");
        c.addMatrixRow("I", 2, 9, 1, 2, "5.3.4");
        c.addSubclass("534", 3, {}, 'C', 70)->set(3, "E3", 5000); // beyond C and D: never read
        const EstimateOutcome out = c.run(3);
        QVERIFY2(out.completed, qPrintable(out.message));
        QCOMPARE(c.state.result.damageDistance[0], CellValue::number(70));
        QCOMPARE(c.state.result.damageDistance[4], CellValue::number(71));
        QCOMPARE(out.quantityText, kNotApplicable);
        QCOMPARE(out.diameterText, kNotApplicable);
    }

    void pipelineTakesTheDiameterBound()
    {
        ToxicCase c(QStringLiteral("52"), 5); // zone column J
        c.addPair(5, 3, 0, 2, 1, 1);
        c.addPair(5, 4, 2, 6, 2, 2);
        c.addMatrixRow("J", 2, 2, 3, 2, "5.2.3");
        c.addSubclass("523", 5, {0, 2, 2, 6}, 'E', 830);
        const EstimateOutcome out = c.run(5, kLikely, 1);
        QVERIFY(out.completed);
        QCOMPARE(c.input.diameter, QStringLiteral(" 2 -  6"));
        QCOMPARE(c.state.result.damageDistance[6], CellValue::number(833));
        QCOMPARE(out.quantityText, kNotApplicable);
    }

    void stopsAfterFourUsedRows()
    {
        ToxicCase c(QStringLiteral("51"), 1);
        c.addPair(2, 3, 0, 10, 3, 3);
        c.addMatrixRow("F", 2, 3, 1, 1, "5.1.1");
        c.addMatrixRow("F", 2, 3, 1, 1, "5.1.2"); // the same pair again
        c.addMatrixRow("F", 2, 3, 3, 1, "5.1.2");
        c.addMatrixRow("F", 2, 3, 1, 2, "5.1.3");
        c.addMatrixRow("F", 2, 3, 3, 2, "nonsense"); // a fifth row would stop with a message
        c.addSubclass("511", 2, {0, 10}, 'C', 10);
        c.addSubclass("512", 2, {0, 10}, 'C', 20);
        c.addSubclass("513", 2, {0, 10}, 'C', 30);
        const EstimateOutcome out = c.run(2);
        QVERIFY2(out.completed, qPrintable(out.message));
        QCOMPARE(c.state.result.damageDistance[0], CellValue::number(20)); // the later of the two rows
        QCOMPARE(c.state.result.subclassName[3], QStringLiteral("classe 5.1.3"));
        QCOMPARE(c.texts().at(6), kNotAvailable);
        QCOMPARE(c.state.result.classLabel, QStringLiteral("5.1.3"));
    }

    void rangeMissingFromTheSubclassWorkbookIsNotAvailable()
    {
        ToxicCase c(QStringLiteral("51"), 1);
        c.addPair(1, 3, 50, 200, 3, 3);
        c.addMatrixRow("F", 1, 3, 1, 1, "5.1.1");
        c.addSubclass("511", 1, {0, 10, 10, 50}, 'C', 10);
        QVERIFY(c.run(1).completed);
        QCOMPARE(c.texts().at(0), kNotAvailable);
        QCOMPARE(c.state.result.subclassName[0], QStringLiteral("classe 5.1.1"));
    }

    void pairCodeFromAnEarlierEstimateIsNotUsed()
    {
        ToxicCase c(QStringLiteral("51"), 1);
        c.addPair(3, 3, 5, 10, 3, 3); // a tanker row whose lower bound is not 0
        c.addMatrixRow("F", 1, 3, 1, 1, "5.1.1");
        c.addMatrixRow("F", 1, 8, 1, 1, "5.1.2");
        c.addSubclass("511", 3, {}, 'C', 10);
        c.addSubclass("512", 3, {}, 'C', 20);
        c.state.pairCode = CellValue::number(8);
        QVERIFY(c.run(3).completed);
        QVERIFY(c.state.pairCode.isEmpty());
        QCOMPARE(c.texts(), QStringList({" Non disponibile", " Non applicabile", " Non disponibile", " Non applicabile",
                                         " Non disponibile", " Non applicabile", " Non disponibile", " Non applicabile"}));
    }

    void rangeRowIsRefilledFromTheCorrespondence()
    {
        ToxicCase c(QStringLiteral("52"), 1);
        c.addPair(2, 3, 0, 10, 1, 1);
        c.addPair(2, 4, 10, 50, 2, 2);
        (void)c.run(2);
        c.state.rangeTable[0][2] = CellValue::number(-1);
        QVERIFY(RunEstimate(c.state, c.data.opener, c.input).completed);
        QCOMPARE(c.state.rangeTable[0][2], CellValue::number(10));
        QCOMPARE(c.state.rangeTable[0][3], CellValue::number(50));
    }

    void zoneIndex_data()
    {
        QTest::addColumn<CellValue>("zone");
        QTest::addColumn<bool>("usable");
        QTest::newRow("1") << CellValue::number(1) << true;
        QTest::newRow("72, column BY") << CellValue::number(72) << true;
        QTest::newRow("73") << CellValue::number(73) << false;
        QTest::newRow("0") << CellValue::number(0) << false;
        QTest::newRow("2.5") << CellValue::number(2.5) << false;
        QTest::newRow("text") << CellValue::text("3") << false;
    }
    void zoneIndex()
    {
        QFETCH(CellValue, zone);
        QFETCH(bool, usable);
        ToxicCase c(QStringLiteral("51"), zone);
        c.addPair(2, 3, 0, 10, 3, 3);
        c.addMatrixRow(usable ? columnLetters(int(zone.toNumber()) + 5) : QStringLiteral("F"), 2, 3, 1, 1, "5.1.1");
        c.addSubclass("511", 2, {0, 10}, 'C', 10);
        const EstimateOutcome out = c.run(2);
        QCOMPARE(out.completed, usable);
        if (usable)
            QCOMPARE(c.state.result.damageDistance[0], CellValue::number(10));
        else
            QVERIFY(out.message.startsWith(QStringLiteral("Indice di zona non valido")));
    }

    void unknownLabelStopsTheEstimate_data()
    {
        QTest::addColumn<CellValue>("label");
        for (const char *label : {"4.7", "4.0", "5.4.1", "5.1.7", "5.1.1 ", "4.3  ", "4,3"})
            QTest::newRow(label) << CellValue::text(QString::fromLatin1(label));
        QTest::newRow("number") << CellValue::number(4.3);
        QTest::newRow("empty") << CellValue();
    }
    void unknownLabelStopsTheEstimate()
    {
        QFETCH(CellValue, label);
        ToxicCase c(QStringLiteral("4"), 47); // zone column AZ
        c.addPair(2, 3, 0, 10, 3, 3);
        c.addMatrixRow("AZ", 2, 3, 1, 1, "4.1");
        c.book().set(2, "BA5", "4.9"); // the next zone's column is not read
        c.addMatrixRow("AZ", 2, 3, 3, 1, label);
        c.addSubclass("41", 2, {0, 10}, 'C', 10);
        const EstimateOutcome out = c.run(2);
        QVERIFY(!out.completed);
        QVERIFY2(out.message.startsWith(QStringLiteral("Sottoclasse tossica sconosciuta")), qPrintable(out.message));
        QVERIFY(out.message.contains(QStringLiteral("foglio 2, cella AZ6")));
    }

    void missingSubclassWorkbookIsReported()
    {
        ToxicCase c(QStringLiteral("52"), 1);
        c.addPair(2, 3, 0, 10, 3, 3);
        c.addMatrixRow("F", 2, 3, 1, 1, "5.2.4");
        const EstimateOutcome out = c.run(2);
        QVERIFY(!out.completed);
        QVERIFY(out.message.contains(QStringLiteral("524.xls")));
    }
};

QTEST_MAIN(ToxicTest)
#include "test_toxic.moc"
