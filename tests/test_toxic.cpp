#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/DistanceLookup.h"
#include "estimate/ToxicSubclassLookup.h"
#include "support/EstimateWorkbooks.h"

#include <QtTest>

namespace {

const QString kLikely = QStringLiteral("Ipotesi più probabile");
const QString kAverage = QStringLiteral("Ipotesi media");
const QString kCas = QStringLiteral("7782-50-5");

const HazardClass &classOf(const QString &code)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == code)
            return hazard;
    }
    qFatal("no class");
}

struct MatrixRow
{
    double group;
    double pair;
    double threshold;
    double weather;
    CellValue label;
};

// A toxic substance of one class with its zone, its matrix rows, the range correspondence and
// whichever sub-class workbooks a test adds; run() goes through lookup, class, containment and
// estimate as the windows do.
struct ToxicCase
{
    EstimateWorkbooks data;
    ProgramState state;
    QString classCode;
    std::shared_ptr<MemoryWorkbook> pairs;
    int matrixRow = 5;

    ToxicCase(const QString &code, const CellValue &zone) : classCode(code)
    {
        data.book(code).set(1, "A4", zone).set(1, "C4", CellValue::text(kCas));
        pairs = data.addPairs();
    }
    // Zone column of a whole zone index (zone + 5).
    QString zoneColumn() const { return columnName(int(state.toxicZone.toNumber()) + 5); }
    static QString columnName(int n)
    {
        QString letters;
        for (; n > 0; n = (n - 1) / 26)
            letters.prepend(QChar('A' + (n - 1) % 26));
        return letters;
    }
    void addMatrixRow(const MatrixRow &row, const QString &column)
    {
        MemoryWorkbook &book = data.book(classCode);
        book.set(2, QStringLiteral("A%1").arg(matrixRow), row.group)
            .set(2, QStringLiteral("B%1").arg(matrixRow), row.pair)
            .set(2, QStringLiteral("C%1").arg(matrixRow), row.threshold)
            .set(2, QStringLiteral("D%1").arg(matrixRow), row.weather)
            .set(2, column + QString::number(matrixRow), row.label);
        ++matrixRow;
    }
    // A correspondence row on one worksheet.
    void addPair(int sheet, int row, double lower, double upper, double likely, double average)
    {
        const double code = classOf(classCode).classCode;
        pairs->set(sheet, QStringLiteral("A%1").arg(row), code)
            .set(sheet, QStringLiteral("B%1").arg(row), lower)
            .set(sheet, QStringLiteral("C%1").arg(row), upper)
            .set(sheet, QStringLiteral("D%1").arg(row), likely)
            .set(sheet, QStringLiteral("E%1").arg(row), average);
    }
    // A sub-class workbook whose worksheet holds, for the range pair starting at `firstColumn`
    // (C, E, ...), the four threshold 1 and 3 distances of both hypotheses: likely 1 D5 = base,
    // 1 F2 = base + 1, 3 D5 = base + 2, 3 F2 = base + 3; media adds 500.
    std::shared_ptr<MemoryWorkbook> addSubclass(const QString &code, int sheet, const QList<double> &bounds,
                                                QChar firstColumn, double base)
    {
        auto book = data.opener.add(kDataFolder + code + QStringLiteral(".xls"), 5);
        for (int i = 0; i < bounds.size(); ++i)
            book->set(sheet, QStringLiteral("%1%2").arg(QChar('C' + i)).arg(1), bounds[i]);
        const QChar f2(firstColumn.unicode() + 1);
        for (int h = 0; h < 2; ++h) {
            const int row = h == 0 ? 3 : 7;
            const double shift = 500 * h;
            book->set(sheet, QStringLiteral("%1%2").arg(firstColumn).arg(row), base + shift);
            book->set(sheet, QStringLiteral("%1%2").arg(f2).arg(row), base + 1 + shift);
            book->set(sheet, QStringLiteral("%1%2").arg(firstColumn).arg(row + 2), base + 2 + shift);
            book->set(sheet, QStringLiteral("%1%2").arg(f2).arg(row + 2), base + 3 + shift);
        }
        return book;
    }

    ContainmentOutcome containment;
    EstimateInput input;

    EstimateOutcome run(int containmentCode, const QString &hypothesis, int entry = 0)
    {
        (void)LookupSubstanceClasses(state, data.opener, kCas);
        const QString classEntry = classOf(classCode).listEntry;
        ChooseSubstanceClass(state, classEntry);
        const QString type = containmentTypes()[std::size_t(containmentCode - 1)];
        containment = ChooseContainment(state, data.opener, {type, classEntry, QString(), hypothesis});
        if (!containment.message.isEmpty())
            qWarning() << containment.message;
        input = EstimateInput{QStringLiteral("Cloro"), kCas, classEntry, type,
                              QStringList(containmentTypes().cbegin(), containmentTypes().cend()), hypothesis,
                              QStringLiteral("quantità stoccata "), {}, QStringLiteral("diametro della condotta"), {}};
        if (containment.quantityEntries) {
            input.quantityEntries = *containment.quantityEntries;
            input.quantity = input.quantityEntries.value(entry);
        }
        if (containment.diameterEntries) {
            input.diameterEntries = *containment.diameterEntries;
            input.diameter = input.diameterEntries.value(entry);
        }
        return RunEstimate(state, data.opener, input);
    }
    [[nodiscard]] QStringList texts() const
    {
        return QStringList(state.result.distanceText.cbegin(), state.result.distanceText.cend());
    }
};

} // namespace

class ToxicTest : public QObject
{
    Q_OBJECT

private slots:
    void labels_data()
    {
        QTest::addColumn<QString>("label");
        QTest::addColumn<QString>("normalised");
        QTest::addColumn<QString>("code");
        QTest::newRow("4.1") << "4.1" << "4.1  " << "41";
        QTest::newRow("4.6") << "4.6" << "4.6  " << "46";
        QTest::newRow("5.1.1") << "5.1.1" << "5.1.1" << "511";
        QTest::newRow("5.2.6") << "5.2.6" << "5.2.6" << "526";
        QTest::newRow("5.3.4") << "5.3.4" << "5.3.4" << "534";
        QTest::newRow("4.7") << "4.7" << "" << "";
        QTest::newRow("4.0") << "4.0" << "" << "";
        QTest::newRow("5.4.1") << "5.4.1" << "" << "";
        QTest::newRow("trailing blank") << "4.3 " << "" << "";
        QTest::newRow("already padded") << "4.3  " << "" << "";
        QTest::newRow("comma") << "4,3" << "" << "";
        QTest::newRow("empty") << "" << "" << "";
    }
    void labels()
    {
        QFETCH(QString, label);
        QFETCH(QString, normalised);
        QFETCH(QString, code);
        const auto result = NormaliseSubclassLabel(label);
        QCOMPARE(result.has_value(), !code.isEmpty());
        if (result) {
            QCOMPARE(result->label, normalised);
            QCOMPARE(result->code, code);
        }
    }

    void lowerBound_data()
    {
        QTest::addColumn<int>("containment");
        QTest::addColumn<QString>("quantity");
        QTest::addColumn<QString>("diameter");
        QTest::addColumn<double>("bound");
        QTest::newRow("quantity") << 1 << " 10 -  50" << " 2 -  6" << 10.0;
        QTest::newRow("no bund") << 2 << " 0.5 -  1" << "" << 0.5;
        QTest::newRow("pipeline") << 5 << " 10 -  50" << " 2 -  6" << 2.0;
        QTest::newRow("tanker") << 3 << " 10 -  50" << " 2 -  6" << 0.0;
        QTest::newRow("ship") << 4 << " 10 -  50" << "" << 0.0;
        QTest::newRow("dash beyond ten characters") << 1 << " 123456789 -  999" << "" << 123456789.0;
        QTest::newRow("no dash") << 1 << "42" << "" << 42.0;
        QTest::newRow("prompt") << 1 << "scelta della quantità [t]" << "" << 0.0;
    }
    void lowerBound()
    {
        QFETCH(int, containment);
        QFETCH(QString, quantity);
        QFETCH(QString, diameter);
        QFETCH(double, bound);
        QCOMPARE(ChosenLowerBound(containment, {quantity, diameter, kLikely}), bound);
    }

    void gasOfClass51ThroughTheZoneMatrix()
    {
        ToxicCase c(QStringLiteral("51"), CellValue::number(22)); // column AA
        c.addPair(2, 3, 0, 10, 4, 14);
        c.addPair(2, 4, 10, 50, 5, 15);
        c.addMatrixRow({1, 5, 1, 1, CellValue::text("5.1.6")}, "AA"); // other group: not used
        c.addMatrixRow({2, 6, 1, 1, CellValue::text("5.1.6")}, "AA"); // other pair: not used
        c.addMatrixRow({2, 5, 2, 1, CellValue::text("5.1.6")}, "AA"); // threshold 2: not used
        c.addMatrixRow({2, 5, 1, 1, CellValue::text("5.1.2")}, "AA");
        c.addMatrixRow({2, 5, 3, 1, CellValue::text("5.1.3")}, "AA");
        c.addMatrixRow({2, 5, 1, 2, CellValue::text("5.1.3")}, "AA");
        c.addMatrixRow({2, 5, 3, 2, CellValue::text("5.1.4")}, "AA");
        c.data.book("51").set(2, "Z8", "5.1.6"); // the zone next to it is never read
        const QList<double> bounds{0, 10, 10, 50};
        c.addSubclass("512", 2, bounds, 'E', 100);
        c.addSubclass("513", 2, bounds, 'E', 200);
        auto last = c.addSubclass("514", 2, bounds, 'E', 300);

        const EstimateOutcome out = c.run(2, kLikely, 1);

        QVERIFY2(out.completed, qPrintable(out.message));
        QVERIFY(out.toxic);
        QCOMPARE(c.state.pairCode, CellValue::number(5));
        QCOMPARE(c.state.hypothesisCode, 1);
        QCOMPARE(c.texts(), QStringList({" 100 m", " Non applicabile", " 202 m", " Non applicabile", " 201 m",
                                         " Non applicabile", " 303 m", " Non applicabile"}));
        QCOMPARE(c.state.result.subclassName,
                 (std::array<QString, 4>{"classe 5.1.2", "classe 5.1.3", "classe 5.1.3", "classe 5.1.4"}));
        QCOMPARE(c.state.result.classLabel, QStringLiteral("5.1.4"));
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("Nube Tossica"));
        QCOMPARE(c.state.subclassWorkbook.get(), last.get());
        QCOMPARE(c.state.result.greaterThan, (std::array<bool, 4>{}));
        QCOMPARE(out.diameterText, QStringLiteral(" Non applicabile"));
        QCOMPARE(out.quantityText, QStringLiteral(" 10 -  50"));
    }

    void averageHypothesisUsesItsPairCodeAndRows()
    {
        ToxicCase c(QStringLiteral("52"), CellValue::number(1)); // column F
        c.addPair(1, 3, 0, 5, 4, 14);
        c.addMatrixRow({1, 4, 1, 1, CellValue::text("5.2.1")}, "F"); // pair code of "più probabile"
        c.addMatrixRow({1, 14, 1, 1, CellValue::text("5.2.2")}, "F");
        c.addSubclass("521", 1, {0, 5}, 'C', 10);
        c.addSubclass("522", 1, {0, 5}, 'C', 20);
        const EstimateOutcome out = c.run(1, kAverage);
        QVERIFY(out.completed);
        QCOMPARE(c.state.pairCode, CellValue::number(14));
        QCOMPARE(c.state.hypothesisCode, 2);
        QCOMPARE(c.state.result.damageDistance[0], CellValue::number(520));
        QCOMPARE(c.state.result.subclassName[0], QStringLiteral("classe 5.2.2"));
    }

    void lastSubclassFallsBackWithTheMark()
    {
        ToxicCase c(QStringLiteral("4"), CellValue::number(3)); // column H
        c.addPair(2, 3, 0, 10, 1, 2);
        c.addMatrixRow({2, 1, 1, 1, CellValue::text("4.6")}, "H");
        c.addMatrixRow({2, 1, 3, 1, CellValue::text("4.6")}, "H");
        auto top = c.addSubclass("46", 2, {0, 10}, 'C', 0);
        top->set(2, "C3", 0.0).set(2, "C5", 900.0);
        auto below = c.addSubclass("45", 2, {0, 10}, 'C', 400);

        const EstimateOutcome out = c.run(2, kLikely);

        QVERIFY(out.completed);
        QCOMPARE(c.state.result.damageDistance[0], CellValue::number(400));
        QCOMPARE(c.state.result.greaterThan, (std::array<bool, 4>{true, false, false, false}));
        QCOMPARE(c.state.result.damageDistance[2], CellValue::number(900)); // read from 46.xls
        QCOMPARE(c.texts().mid(0, 3), QStringList({" 400 > m", " Non applicabile", " 900 m"}));
        QCOMPARE(c.state.result.classLabel, QStringLiteral("4.6  "));
        QCOMPARE(c.state.subclassWorkbook.get(), top.get());
        // The slots no row provides.
        QCOMPARE(c.texts().at(4), QStringLiteral(" Non disponibile"));
        QCOMPARE(c.texts().at(6), QStringLiteral(" Non disponibile"));
        QVERIFY(c.state.result.notAvailable[4] && c.state.result.notAvailable[6]);
        QVERIFY(c.state.result.damageDistance[4].isEmpty());
        Q_UNUSED(below);
    }

    void fallbackConcernsOnlyTheRowItsWorkbookFailed()
    {
        // An earlier row of 4.5 gives 0 at threshold 1 D5 (not applicable there); a later row of 4.6
        // with a real threshold 3 distance keeps it and marks nothing.
        ToxicCase c(QStringLiteral("4"), CellValue::number(3));
        c.addPair(2, 3, 0, 10, 1, 2);
        c.addMatrixRow({2, 1, 1, 1, CellValue::text("4.5")}, "H");
        c.addMatrixRow({2, 1, 3, 1, CellValue::text("4.6")}, "H");
        c.addSubclass("45", 2, {0, 10}, 'C', 60)->set(2, "C3", 0.0).set(2, "C5", 50.0);
        c.addSubclass("46", 2, {0, 10}, 'C', 100)->set(2, "C5", 120.0);

        QVERIFY(c.run(2, kLikely).completed);
        QCOMPARE(c.state.result.damageDistance[0], CellValue::number(0));
        QCOMPARE(c.state.result.damageDistance[2], CellValue::number(120));
        QCOMPARE(c.state.result.greaterThan, (std::array<bool, 4>{}));
        QCOMPARE(c.texts().mid(0, 3), QStringList({" 0 m", " Non applicabile", " 120 m"}));
    }

    void fallbackToAnEmptyLowerWorkbookKeepsZeroMarked()
    {
        ToxicCase c(QStringLiteral("53"), CellValue::number(2)); // column G
        c.addPair(3, 3, 0, 0, 7, 8);
        c.addMatrixRow({2, 7, 3, 2, CellValue::text("5.3.6")}, "G");
        c.addSubclass("536", 3, {}, 'C', 0)->set(3, "D5", 0.0);
        c.addSubclass("535", 3, {}, 'C', 0)->set(3, "D5", 0.0);
        const EstimateOutcome out = c.run(3, kLikely);
        QVERIFY(out.completed);
        QCOMPARE(c.state.containmentGroup, 2); // a tanker of class 53
        QCOMPARE(c.state.result.greaterThan[3], true);
        QCOMPARE(c.texts().at(6), QStringLiteral(" Non applicabile"));
    }

    void tankerUsesLowerBoundZeroAndColumnsCAndD()
    {
        ToxicCase c(QStringLiteral("51"), CellValue::number(4)); // column I
        c.addPair(3, 10, 0, 0, 9, 19);
        c.addMatrixRow({1, 9, 1, 1, CellValue::text("5.1.1")}, "I");
        c.addMatrixRow({1, 9, 1, 2, CellValue::text("5.1.1")}, "I");
        auto book = c.addSubclass("511", 3, {}, 'C', 70);
        book->set(3, "E3", 5000.0); // beyond C and D: never read
        const EstimateOutcome out = c.run(3, kLikely);
        QVERIFY(out.completed);
        QCOMPARE(c.state.containmentGroup, 1);
        QCOMPARE(c.state.result.damageDistance[0], CellValue::number(70));
        QCOMPARE(c.state.result.damageDistance[4], CellValue::number(71));
        QCOMPARE(out.quantityText, QStringLiteral(" Non applicabile"));
        QCOMPARE(out.diameterText, QStringLiteral(" Non applicabile"));
    }

    void pipelineTakesTheDiameterBound()
    {
        ToxicCase c(QStringLiteral("52"), CellValue::number(5)); // column J
        c.addPair(5, 3, 0, 2, 1, 1);
        c.addPair(5, 4, 2, 6, 2, 2);
        c.addMatrixRow({2, 2, 3, 2, CellValue::text("5.2.3")}, "J");
        c.addSubclass("523", 5, {0, 2, 2, 6}, 'E', 830);
        const EstimateOutcome out = c.run(5, kLikely, 1);
        QVERIFY(out.completed);
        QCOMPARE(c.input.diameter, QStringLiteral(" 2 -  6"));
        QCOMPARE(c.state.result.damageDistance[6], CellValue::number(833));
        QCOMPARE(out.quantityText, QStringLiteral(" Non applicabile"));
    }

    void stopsAfterFourUsedRows()
    {
        ToxicCase c(QStringLiteral("51"), CellValue::number(1));
        c.addPair(2, 3, 0, 10, 3, 3);
        c.addMatrixRow({2, 3, 1, 1, CellValue::text("5.1.1")}, "F");
        c.addMatrixRow({2, 3, 1, 1, CellValue::text("5.1.2")}, "F"); // the same pair again
        c.addMatrixRow({2, 3, 3, 1, CellValue::text("5.1.2")}, "F");
        c.addMatrixRow({2, 3, 1, 2, CellValue::text("5.1.3")}, "F");
        c.addMatrixRow({2, 3, 3, 2, CellValue::text("nonsense")}, "F"); // a fifth row would stop with a message
        c.addSubclass("511", 2, {0, 10}, 'C', 10);
        c.addSubclass("512", 2, {0, 10}, 'C', 20);
        c.addSubclass("513", 2, {0, 10}, 'C', 30);
        const EstimateOutcome out = c.run(2, kLikely);
        QVERIFY2(out.completed, qPrintable(out.message));
        QCOMPARE(c.state.result.damageDistance[0], CellValue::number(20)); // the later of the two rows
        QCOMPARE(c.state.result.subclassName[3], QStringLiteral("classe 5.1.3"));
        QCOMPARE(c.texts().at(6), QStringLiteral(" Non disponibile"));
        QCOMPARE(c.state.result.classLabel, QStringLiteral("5.1.3"));
    }

    void rangeMissingFromTheSubclassWorkbookIsNotAvailable()
    {
        ToxicCase c(QStringLiteral("51"), CellValue::number(1));
        c.addPair(1, 3, 50, 200, 3, 3);
        c.addMatrixRow({1, 3, 1, 1, CellValue::text("5.1.1")}, "F");
        c.addSubclass("511", 1, {0, 10, 10, 50}, 'C', 10);
        QVERIFY(c.run(1, kLikely).completed);
        QCOMPARE(c.texts().at(0), QStringLiteral(" Non disponibile"));
        QCOMPARE(c.state.result.subclassName[0], QStringLiteral("classe 5.1.1"));
    }

    void pairCodeFromAnEarlierEstimateIsNotUsed()
    {
        ToxicCase c(QStringLiteral("51"), CellValue::number(1));
        c.addPair(3, 3, 5, 10, 3, 3); // a tanker row whose lower bound is not 0
        c.addMatrixRow({1, 3, 1, 1, CellValue::text("5.1.1")}, "F");
        c.addMatrixRow({1, 8, 1, 1, CellValue::text("5.1.2")}, "F");
        c.addSubclass("511", 3, {}, 'C', 10);
        c.addSubclass("512", 3, {}, 'C', 20);
        c.state.pairCode = CellValue::number(8);
        const EstimateOutcome out = c.run(3, kLikely);
        QVERIFY(out.completed);
        QVERIFY(c.state.pairCode.isEmpty());
        QCOMPARE(c.texts(), QStringList({" Non disponibile", " Non applicabile", " Non disponibile", " Non applicabile",
                                         " Non disponibile", " Non applicabile", " Non disponibile", " Non applicabile"}));
        QCOMPARE(c.state.result.scenarioName, QStringLiteral("Nube Tossica"));
    }

    void rangeRowIsRefilledFromTheCorrespondence()
    {
        ToxicCase c(QStringLiteral("52"), CellValue::number(1));
        c.addPair(2, 3, 0, 10, 1, 1);
        c.addPair(2, 4, 10, 50, 2, 2);
        (void)c.run(2, kLikely);
        c.state.rangeTable[0][2] = CellValue::number(-1);
        QVERIFY(RunEstimate(c.state, c.data.opener, c.input).completed);
        QCOMPARE(c.state.rangeTable[0][2], CellValue::number(10));
        QCOMPARE(c.state.rangeTable[0][3], CellValue::number(50));
    }

    void unusableZoneStopsTheEstimate_data()
    {
        QTest::addColumn<CellValue>("zone");
        QTest::addColumn<bool>("usable");
        QTest::newRow("1") << CellValue::number(1) << true;
        QTest::newRow("72, column BY") << CellValue::number(72) << true;
        QTest::newRow("73") << CellValue::number(73) << false;
        QTest::newRow("0") << CellValue::number(0) << false;
        QTest::newRow("empty") << CellValue() << false;
        QTest::newRow("2.5") << CellValue::number(2.5) << false;
        QTest::newRow("text") << CellValue::text("3") << false;
    }
    void unusableZoneStopsTheEstimate()
    {
        QFETCH(CellValue, zone);
        QFETCH(bool, usable);
        ToxicCase c(QStringLiteral("51"), zone);
        c.addPair(2, 3, 0, 10, 3, 3);
        c.addMatrixRow({2, 3, 1, 1, CellValue::text("5.1.1")}, usable ? c.columnName(int(zone.toNumber()) + 5) : "F");
        c.addSubclass("511", 2, {0, 10}, 'C', 10);
        const EstimateOutcome out = c.run(2, kLikely);
        QCOMPARE(out.completed, usable);
        if (usable)
            QCOMPARE(c.state.result.damageDistance[0], CellValue::number(10));
        else
            QVERIFY(out.message.startsWith(QStringLiteral("Indice di zona non valido")));
    }

    void unknownLabelStopsTheEstimate_data()
    {
        QTest::addColumn<CellValue>("label");
        QTest::newRow("4.7") << CellValue::text("4.7");
        QTest::newRow("trailing blank") << CellValue::text("5.1.1 ");
        QTest::newRow("number") << CellValue::number(4.3);
        QTest::newRow("empty") << CellValue();
    }
    void unknownLabelStopsTheEstimate()
    {
        QFETCH(CellValue, label);
        ToxicCase c(QStringLiteral("4"), CellValue::number(47)); // column AZ
        c.addPair(2, 3, 0, 10, 3, 3);
        c.addMatrixRow({2, 3, 1, 1, CellValue::text("4.1")}, "AZ");
        c.data.book("4").set(2, "BA5", "4.9"); // the next zone's column is not read
        c.addMatrixRow({2, 3, 3, 1, label}, "AZ");
        c.addSubclass("41", 2, {0, 10}, 'C', 10);
        const EstimateOutcome out = c.run(2, kLikely);
        QVERIFY(!out.completed);
        QVERIFY(out.message.startsWith(QStringLiteral("Sottoclasse tossica sconosciuta")));
        QVERIFY(out.message.contains(QStringLiteral("foglio 2, cella AZ6")));
    }

    void missingSubclassWorkbookIsReported()
    {
        ToxicCase c(QStringLiteral("52"), CellValue::number(1));
        c.addPair(2, 3, 0, 10, 3, 3);
        c.addMatrixRow({2, 3, 1, 1, CellValue::text("5.2.4")}, "F");
        const EstimateOutcome out = c.run(2, kLikely);
        QVERIFY(!out.completed);
        QVERIFY(out.message.contains(QStringLiteral("524.xls")));
    }
};

QTEST_MAIN(ToxicTest)
#include "test_toxic.moc"
