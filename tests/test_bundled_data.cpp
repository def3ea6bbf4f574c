// Consistency of the bundled data workbooks, read through the program's own workbook reader: the
// rules the class search, the containment choice, the distance lookup and the toxic sub-class lookup
// rely on. Each test gathers every violation it finds and reports them together. Set
// ZEFRO_CHECK_DRIVE_ROOT to a drive root holding other workbooks (real ones) to check those.

#include "app/ProgramState.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ClassLookup.h"
#include "catalogue/HazardClass.h"
#include "estimate/CellAddress.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/DistanceLookup.h"
#include "estimate/XlsWorkbookOpener.h"
#include "platform/DrivePaths.h"

#include <QHash>
#include <QSet>
#include <QtTest>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <vector>

namespace {

const QString kCorrespondence = QStringLiteral("corrispondenza coppie tossici.xls");
constexpr int kLastSubclass = 6;
constexpr int kLastZoneColumn = 77; // BY

// The toxic classes, whose families of sub-class workbooks are named after their class codes.
QList<const HazardClass *> toxicClasses()
{
    QList<const HazardClass *> classes;
    for (const HazardClass &c : hazardClasses())
        if (c.isToxic())
            classes << &c;
    return classes;
}

QString subclassFile(const HazardClass &c, int k) { return c.listCode + QString::number(k) + QStringLiteral(".xls"); }

// "4.1" .. "4.6" for class 4, "5.1.1" .. "5.1.6" for class 51, and so on: texts, exactly.
bool isFamilyLabel(const HazardClass &c, const CellValue &label)
{
    const QString prefix = c.listCode.split(QString(), Qt::SkipEmptyParts).join(QLatin1Char('.')) + QLatin1Char('.');
    for (int k = 1; k <= kLastSubclass; ++k)
        if (label == CellValue::text(prefix + QString::number(k)))
            return true;
    return false;
}

QHash<QString, QString> catalogueNames()
{
    QHash<QString, QString> names;
    for (const Substance &s : Catalogue::substances())
        names.insert(s.cas, s.name);
    return names;
}

// The checked workbooks, each opened once; whatever cannot be read is recorded as a problem.
struct Data
{
    QStringList problems;
    XlsWorkbookOpener opener{DrivePaths(qEnvironmentVariable("ZEFRO_CHECK_DRIVE_ROOT", QStringLiteral(ZEFRO_BUNDLED_TREE)))};
    std::map<QString, WorkbookHandle> books;

    WorkbookHandle open(const QString &file)
    {
        if (const auto it = books.find(file); it != books.end())
            return it->second;
        const Outcome<WorkbookHandle> opened = opener.open(kDataFolder + file);
        if (!opened.ok())
            problems << opened.error().message();
        return books[file] = opened.ok() ? opened.value() : nullptr;
    }
    // Column and row from 1.
    CellValue cell(const QString &file, int sheet, int column, int row)
    {
        const WorkbookHandle book = open(file);
        const Outcome<CellValue> value = book ? book->readCell(sheet, cellAddress(columnLetters(column), row)) : CellValue();
        if (!value.ok())
            problems << value.error().message();
        return value.ok() ? value.value() : CellValue();
    }
    double number(const QString &file, int sheet, int column, int row)
    {
        const CellValue value = cell(file, sheet, column, row);
        if (!value.isNumber())
            problems << QStringLiteral("%1 sheet %2 %3%4: not a number").arg(file).arg(sheet).arg(columnLetters(column)).arg(row);
        return value.toNumber();
    }
    [[nodiscard]] QString report() const
    {
        return QStringLiteral("%1 problem(s):\n").arg(problems.size()) + problems.mid(0, 40).join(QLatin1Char('\n'));
    }
};

using Bounds = QList<QPair<double, double>>;

// The rows of one class in a correspondence worksheet (rows 3 to 24): lower, upper, pair codes.
QList<std::array<double, 4>> correspondence(Data &data, int sheet, int classCode)
{
    QList<std::array<double, 4>> rows;
    for (int row = 3; row <= 24; ++row)
        if (data.cell(kCorrespondence, sheet, 1, row) == CellValue::number(classCode))
            rows.append({data.number(kCorrespondence, sheet, 2, row), data.number(kCorrespondence, sheet, 3, row),
                         data.number(kCorrespondence, sheet, 4, row), data.number(kCorrespondence, sheet, 5, row)});
    return rows;
}

// The ranges a containment offers, each following on from the one before, the first from 0:
// tankers and ships (sheets 3 and 4) one case, pipelines (sheet 5) four diameters for liquids and
// five for gases, fixed storage up to eight ranges.
void checkRanges(const Bounds &bounds, int sheet, bool gas, const QString &what, QStringList &problems)
{
    const int expected = sheet == 3 || sheet == 4 ? 1 : sheet == 5 ? (gas ? 5 : 4) : std::clamp(int(bounds.size()), 1, 8);
    if (bounds.size() != expected)
        problems << what + QStringLiteral(": %1 ranges instead of %2").arg(bounds.size()).arg(expected);
    for (int i = 0; i < bounds.size(); ++i)
        if (bounds[i].first != (i == 0 ? 0 : bounds[i - 1].second) || !(bounds[i].first < bounds[i].second))
            problems << what + QStringLiteral(": range %1 does not follow on").arg(i + 1);
}

// Rows 1 to 10, columns C to R of a distance sheet: row 1 the ranges, rows 3-6 and 7-10 the
// thresholds 1 to 4 under the two hypotheses, a pair of columns (D5, F2) for each range.
struct DistanceSheet
{
    QString name;
    std::array<std::array<CellValue, 16>, 10> cells;

    DistanceSheet(Data &data, const QString &file, int sheet) : name(QStringLiteral("%1 sheet %2").arg(file).arg(sheet))
    {
        for (int row = 1; row <= 10; ++row)
            for (int column = 0; column < 16; ++column)
                cells[row - 1][column] = data.cell(file, sheet, column + 3, row);
    }
    [[nodiscard]] const CellValue &at(int row, int pair, int weather) const { return cells[row - 1][2 * pair + weather]; }
    [[nodiscard]] double x(int row, int pair, int weather) const { return at(row, pair, weather).toNumber(); }
    [[nodiscard]] QString where(int row, int pair, int weather) const
    {
        return name + QLatin1Char(' ') + columnLetters(3 + 2 * pair + weather) + QString::number(row);
    }
    // Row 1 as the containment choice reads it: the first pair, then every later pair until one
    // whose lower bound is 0.
    [[nodiscard]] Bounds offeredBounds() const
    {
        Bounds bounds;
        for (int pair = 0; pair < 8 && (pair == 0 || !(at(1, pair, 0) == CellValue::number(0))); ++pair)
            bounds.append({x(1, pair, 0), x(1, pair, 1)});
        return bounds;
    }

    // The value rules over the used pairs. applies(row): a non-zero distance is due; zeroAllowed
    // exempts cells that fall back on another sub-class; dispersion: F2 reaches at least as far as D5.
    template <typename Applies, typename ZeroAllowed>
    void check(int pairs, bool dispersion, Applies applies, ZeroAllowed zeroAllowed, QStringList &problems) const
    {
        // The last non-zero value before (row, pair) along the thresholds or along the ranges.
        const auto before = [&](int row, int pair, int w, bool alongRanges) {
            const int first = alongRanges ? 0 : row < 7 ? 3 : 7;
            for (int i = (alongRanges ? pair : row) - 1; i >= first; --i)
                if (const double v = alongRanges ? x(row, i, w) : x(i, pair, w); v != 0)
                    return v;
            return 0.0;
        };
        for (int row = 3; row <= 10; ++row)
            for (int pair = 0; pair < 8; ++pair)
                for (int w = 0; w < 2; ++w) {
                    const double v = x(row, pair, w);
                    const auto fail = [&](const char *why) { problems << where(row, pair, w) + QLatin1String(why); };
                    if (pair >= pairs) {
                        if (!at(row, pair, w).isEmpty())
                            fail(": a distance outside the offered ranges");
                    } else if (!at(row, pair, w).isNumber() || !(v == 0 || v == 10001 || (v >= 5 && v <= 10000 && std::fmod(v, 5.0) == 0)))
                        fail(": not a table distance");
                    else if (v == 0 && applies(row) && !zeroAllowed(row, pair, w))
                        fail(": 0 where the threshold applies");
                    else if (v != 0 && !applies(row))
                        fail(": a distance where the threshold does not apply");
                    if (v == 0 || pair >= pairs)
                        continue;
                    if (v < before(row, pair, w, false))
                        fail(": shorter than for a stricter threshold");
                    if (v < before(row, pair, w, true))
                        fail(": shorter than for a smaller range");
                    if (dispersion && w == 1 && v < x(row, pair, 0))
                        fail(": F2 shorter than D5");
                }
    }
};

} // namespace

class BundledDataTest : public QObject
{
    Q_OBJECT

private slots:
    void everyWorkbookOpensAndSaysItHoldsExampleData_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QList<QPoint>>("notes"); // for each worksheet: column and row of the note
        const QList<QPoint> distance(5, {1, 12});
        for (const HazardClass &c : hazardClasses())
            QTest::newRow(qPrintable(c.workbookFile)) << c.workbookFile << (c.isToxic() ? QList<QPoint>{{5, 1}, {1, 1}} : distance + QList<QPoint>{{4, 1}});
        QTest::newRow("correspondence") << kCorrespondence << QList<QPoint>(5, {8, 1});
        for (const HazardClass *c : toxicClasses())
            for (int k = 1; k <= kLastSubclass; ++k)
                QTest::newRow(qPrintable(subclassFile(*c, k))) << subclassFile(*c, k) << distance;
    }
    void everyWorkbookOpensAndSaysItHoldsExampleData()
    {
        QFETCH(QString, file);
        QFETCH(QList<QPoint>, notes);
        Data data;
        const WorkbookHandle book = data.open(file);
        QVERIFY2(book, qPrintable(data.report()));
        QCOMPARE(book->sheetCount(), notes.size());
        if (qEnvironmentVariableIsSet("ZEFRO_CHECK_DRIVE_ROOT"))
            return; // real workbooks carry no note of ours
        for (int sheet = 1; sheet <= notes.size(); ++sheet) {
            const QPoint at = notes[sheet - 1];
            const QString note = data.cell(file, sheet, at.x(), at.y()).toText();
            if (!note.startsWith(QStringLiteral("DATI DI ESEMPIO / EXAMPLE DATA")) || !note.contains(QStringLiteral("NOT official values"))
                || !data.cell(file, sheet, at.x(), at.y() + 1).toText().contains(QStringLiteral("replace")))
                data.problems << QStringLiteral("sheet %1: no example-data note saying how to replace the data").arg(sheet);
        }
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
    }

    void flammableListsAreTheQuickPickLists()
    {
        const QHash<QString, QString> names = catalogueNames();
        Data data;
        for (int i = 0; i < kFlammableClassCount; ++i) {
            const HazardClass &c = hazardClasses()[i];
            const QStringList expected = Catalogue::quickPickCas(c.listCode);
            QVERIFY2(c.firstRow == 1 && !expected.isEmpty() && expected.size() <= c.lastRow, qPrintable(c.listCode));
            // The searched rows, and a few below them where an entry would never be found.
            for (int row = 1; row <= c.lastRow + 5; ++row) {
                const CellValue cas = data.cell(c.workbookFile, c.worksheet, 1, row), name = data.cell(c.workbookFile, c.worksheet, 2, row);
                const QString wanted = expected.value(row - 1);
                // Every listed substance has a name, also one the catalogue lacks ("127-19-5").
                const bool ok = wanted.isEmpty() ? cas.isEmpty() && name.isEmpty()
                                                 : cas == CellValue::text(wanted) && name.isText() && !name.toText().isEmpty()
                                                       && (!names.contains(wanted) || name.toText() == names.value(wanted));
                if (!ok)
                    data.problems << QStringLiteral("%1 row %2: %3 %4 instead of %5 %6")
                                         .arg(c.workbookFile).arg(row).arg(cas.toText(), name.toText(), wanted, names.value(wanted));
            }
        }
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
    }

    // Sheet 1: zone, name and CAS of the class's substances from the first searched row. Sheet 2,
    // the sub-class matrix: group, pair code, threshold, weather, then a label for each zone.
    void toxicClassWorkbooks()
    {
        const QHash<QString, QString> names = catalogueNames();
        QSet<QString> flammableGas, flammableLiquid;
        for (int i = 0; i < kFlammableClassCount; ++i)
            for (const QString &cas : Catalogue::quickPickCas(hazardClasses()[i].listCode))
                (hazardClasses()[i].gas ? flammableGas : flammableLiquid).insert(cas);
        Data data;
        int flammableAndToxic = 0;
        QHash<QString, double> zoneOf; // the class search keeps the zone of the last toxic table found
        for (const HazardClass *c : toxicClasses()) {
            const QString &file = c->workbookFile;
            QSet<int> zones;
            for (int row = 1; row <= c->lastRow + 5; ++row) {
                const CellValue zone = data.cell(file, 1, 1, row), name = data.cell(file, 1, 2, row), cas = data.cell(file, 1, 3, row);
                const QString at = QStringLiteral("%1 row %2: ").arg(file).arg(row), id = cas.toText();
                const double z = zone.toNumber();
                if (row < c->firstRow || row > c->lastRow) {
                    if (names.contains(id) || zone.isNumber())
                        data.problems << at + QStringLiteral("a substance outside the searched rows");
                    continue;
                }
                if (cas.isEmpty() && zone.isEmpty())
                    continue;
                if (!names.contains(id) || name.toText() != names.value(id))
                    data.problems << at + id + QStringLiteral(" is not a catalogue substance");
                if (!zone.isNumber() || z < 1 || z != std::floor(z) || z + 5 > kLastZoneColumn)
                    data.problems << at + QStringLiteral("zone index is not a whole number from 1 to 72");
                if (zoneOf.contains(id) && zoneOf.value(id) != z)
                    data.problems << at + QStringLiteral("another zone in an earlier toxic table");
                zoneOf.insert(id, z);
                zones.insert(int(z));
                // The gas flag of the last class found decides the diameter list.
                if (c->gas ? flammableLiquid.contains(id) : flammableGas.contains(id))
                    data.problems << at + QStringLiteral("gas in one table and liquid in another");
                if (flammableGas.contains(id) || flammableLiquid.contains(id))
                    ++flammableAndToxic;
            }
            if (zones.isEmpty())
                data.problems << file + QStringLiteral(": no substance");

            // The lookup names the sub-classes 1..4 in the order it meets the rows of a group and
            // pair code; the report puts them on threshold 1 D5, 3 D5, 1 F2, 3 F2.
            QHash<QPair<int, int>, QList<QPair<int, int>>> used; // (group, pair) -> (threshold, weather) in row order
            for (int row = 5; row <= 204; ++row) {
                if (data.cell(file, 2, 1, row).isEmpty())
                    continue;
                const int group = int(data.number(file, 2, 1, row));
                used[{group, int(data.number(file, 2, 2, row))}].append({int(data.number(file, 2, 3, row)), int(data.number(file, 2, 4, row))});
                // Every label is a sub-class of the family, and every zone in use has one.
                for (int column = 6; column <= kLastZoneColumn; ++column) {
                    const CellValue label = data.cell(file, 2, column, row);
                    if (label.isEmpty() ? zones.contains(column - 5) : !isFamilyLabel(*c, label))
                        data.problems << QStringLiteral("%1 sheet 2 %2%3: '%4' is no sub-class label of the family")
                                             .arg(file, columnLetters(column)).arg(row).arg(label.toText());
                }
            }
            QSet<int> pairs;
            for (int sheet = 1; sheet <= 5; ++sheet)
                for (const auto &r : correspondence(data, sheet, c->classCode))
                    pairs << int(r[2]) << int(r[3]);
            const QList<QPair<int, int>> order{{1, 1}, {3, 1}, {1, 2}, {3, 2}};
            for (const int pair : pairs)
                for (const int group : {1, 2})
                    if (used.value({group, pair}) != order)
                        data.problems << QStringLiteral("%1: rows of group %2 pair %3 are not 1 D5, 3 D5, 1 F2, 3 F2").arg(file).arg(group).arg(pair);
        }
        if (flammableAndToxic == 0)
            data.problems << QStringLiteral("no substance is both flammable and toxic");
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
    }

    void distanceSheets()
    {
        Data data;
        // Flammable classes: the ranges of row 1. Liquids: a pool fire under every threshold;
        // gases: a flash fire (thresholds 1 and 2), then a vapour cloud explosion, which dispersion drives.
        for (int i = 0; i < kFlammableClassCount; ++i) {
            const HazardClass &c = hazardClasses()[i];
            for (int sheet = 1; sheet <= 5; ++sheet) {
                const DistanceSheet d(data, c.workbookFile, sheet);
                const Bounds bounds = d.offeredBounds().mid(0, sheet == 5 ? (c.gas ? 5 : 4) : 8);
                checkRanges(bounds, sheet, c.gas, d.name, data.problems);
                d.check(int(bounds.size()), c.gas, [&](int row) { return !c.gas || (row != 5 && row != 6); },
                        [](int, int, int) { return false; }, data.problems);
            }
        }
        // Toxic classes: the ranges of the correspondence, for every sub-class; thresholds 1 and 3
        // (rows 3, 5, 7, 9) apply, and dispersion drives every distance.
        for (const HazardClass *c : toxicClasses()) {
            int fallbackCells = 0;
            for (int sheet = 1; sheet <= 5; ++sheet) {
                for (int row = 25; row <= 30; ++row)
                    if (!data.cell(kCorrespondence, sheet, 1, row).isEmpty())
                        data.problems << QStringLiteral("correspondence sheet %1 row %2: beyond the rows read").arg(sheet).arg(row);
                Bounds ranges;
                for (const auto &r : correspondence(data, sheet, c->classCode))
                    ranges.append({r[0], r[1]});
                checkRanges(ranges, sheet, c->gas, QStringLiteral("correspondence sheet %1 class %2").arg(sheet).arg(c->listCode), data.problems);
                const bool oneCase = sheet == 3 || sheet == 4;
                std::vector<DistanceSheet> byK;
                byK.reserve(kLastSubclass);
                for (int k = 1; k <= kLastSubclass; ++k) {
                    const DistanceSheet &d = byK.emplace_back(data, subclassFile(*c, k), sheet);
                    // Row 1 holds the ranges of the correspondence, where their lower bounds are found.
                    if (!oneCase && d.offeredBounds() != ranges)
                        data.problems << d.name + QStringLiteral(": row 1 differs from the correspondence");
                    // The last sub-class holds 0 where the lookup falls back on the one below,
                    // which must then hold a distance.
                    const auto fallback = [&](int row, int pair, int w) {
                        if (k == kLastSubclass && byK[k - 2].x(row, pair, w) == 0)
                            data.problems << d.where(row, pair, w) + QStringLiteral(": 0 with nothing to fall back on");
                        fallbackCells += k == kLastSubclass;
                        return k == kLastSubclass;
                    };
                    d.check(int(ranges.size()), true, [](int row) { return row % 2 == 1; }, fallback, data.problems);
                    // A more toxic sub-class reaches at least as far.
                    for (int row = 3; row <= 10 && k > 1; ++row)
                        for (int pair = 0; pair < ranges.size(); ++pair)
                            for (int w = 0; w < 2; ++w)
                                if (d.x(row, pair, w) != 0 && d.x(row, pair, w) < byK[k - 2].x(row, pair, w))
                                    data.problems << d.where(row, pair, w) + QStringLiteral(": shorter than the sub-class below");
                }
            }
            if (fallbackCells == 0)
                data.problems << subclassFile(*c, kLastSubclass) + QStringLiteral(": no cell falls back on the sub-class below");
        }
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
    }

    // The whole chain of an estimate, by the program's own steps on the data (class search, class
    // choice, containment choice, estimate), for one substance of every flammable class and one of
    // every zone of every toxic class, every containment, every offered range and both
    // hypotheses: every estimate completes with every distance found.
    void everyEstimateOnTheDataCompletes()
    {
        Data data;
        const QStringList containments(containmentTypes().begin(), containmentTypes().end());
        QList<QPair<QString, const HazardClass *>> cases;
        for (const HazardClass &c : hazardClasses()) {
            if (!c.isToxic())
                cases.append({Catalogue::quickPickCas(c.listCode).constFirst(), &c});
            QSet<double> zones;
            for (int row = c.firstRow; row <= c.lastRow && c.isToxic(); ++row) {
                const CellValue zone = data.cell(c.workbookFile, 1, 1, row);
                if (!zone.isEmpty() && !zones.contains(zone.toNumber()))
                    cases.append({data.cell(c.workbookFile, 1, 3, row).toText(), &c});
                zones.insert(zone.toNumber());
            }
        }

        int estimates = 0, fallbacks = 0;
        for (const auto &[cas, c] : cases) {
            for (int containment = 0; containment < 5; ++containment) {
                // A compressed gas in a bunded store is refused before any range is offered.
                if (containment == 0 && (c->listCode == QStringLiteral("2_3") || c->listCode == QStringLiteral("53")))
                    continue;
                for (const QString &hypothesis : {QStringLiteral("Ipotesi più probabile"), QStringLiteral("Ipotesi media")}) {
                    const QString what = QStringLiteral("%1 in %2, %3, %4").arg(cas, c->listCode, containments[containment], hypothesis);
                    ProgramState chosen;
                    const ClassLookupResult found = LookupSubstanceClasses(chosen, data.opener, cas);
                    if (found.error || !found.entries.contains(c->listEntry)) {
                        data.problems << what + QStringLiteral(": class not found");
                        continue;
                    }
                    ChooseSubstanceClass(chosen, c->listEntry);
                    const ContainmentOutcome offer = ChooseContainment(chosen, data.opener, {containments[containment], c->listEntry, QString(), hypothesis});
                    const bool pipeline = containment == 4, oneCase = containment == 2 || containment == 3;
                    const QStringList entries = (pipeline ? offer.diameterEntries : offer.quantityEntries).value_or(QStringList());
                    if (!offer.message.isEmpty() || (!oneCase && entries.isEmpty()))
                        data.problems << what + QStringLiteral(": no range offered ") + offer.message;
                    for (const QString &entry : oneCase ? QStringList{QString()} : entries) {
                        ProgramState state = chosen;
                        EstimateInput input;
                        input.cas = cas;
                        input.classText = c->listEntry;
                        input.containment = containments[containment];
                        input.containmentEntries = containments;
                        input.hypothesis = hypothesis;
                        (pipeline ? input.diameter : input.quantity) = entry;
                        (pipeline ? input.diameterEntries : input.quantityEntries) = entries;
                        const EstimateOutcome out = RunEstimate(state, data.opener, input);
                        ++estimates;
                        if (!out.completed || !out.message.isEmpty())
                            data.problems << what + QStringLiteral(" %1: %2").arg(entry, out.message);
                        for (int slot = 0; slot < kDistanceSlots && out.completed; ++slot) {
                            // Threshold 1 always applies; for a toxic class threshold 3 too.
                            const CellValue &distance = state.result.damageDistance[slot];
                            const bool needed = slot % 4 == 0 || (c->isToxic() && slot % 4 == 2);
                            if (state.result.notAvailable[slot] || (needed && !(distance.isNumber() && distance.toNumber() >= 5)))
                                data.problems << what + QStringLiteral(" %1: no distance in slot %2").arg(entry).arg(slot + 1);
                        }
                        fallbacks += int(std::count(state.result.greaterThan.begin(), state.result.greaterThan.end(), true));
                    }
                }
            }
        }
        qInfo("%d estimates, %d distances taken from the sub-class below the last", estimates, fallbacks);
        QVERIFY2(data.problems.isEmpty(), qPrintable(data.report()));
        QVERIFY(estimates > 1000);
        QVERIFY(fallbacks > 0);
    }
};

QTEST_GUILESS_MAIN(BundledDataTest)
#include "test_bundled_data.moc"
