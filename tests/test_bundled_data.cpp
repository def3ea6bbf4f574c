// Consistency of the bundled data workbooks, read through the program's own workbook reader: the
// rules the class search, the containment choice, the distance lookup and the toxic sub-class lookup
// rely on. Each test gathers every violation it finds and reports them together.

#include "app/ProgramState.h"
#include "catalogue/Catalogue.h"
#include "catalogue/ClassLookup.h"
#include "catalogue/HazardClass.h"
#include "estimate/CellAddress.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/DistanceLookup.h"
#include "estimate/XlsWorkbookOpener.h"
#include "platform/DrivePaths.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>
#include <QtTest>

#include <array>
#include <cmath>
#include <map>
#include <optional>

namespace {

const QString kNote = QStringLiteral("DATI DI ESEMPIO / EXAMPLE DATA");
const QStringList kFamilies{QStringLiteral("4"), QStringLiteral("51"), QStringLiteral("52"), QStringLiteral("53")};
const QHash<QString, QString> kLabelPrefix{{QStringLiteral("4"), QStringLiteral("4.")},
                                           {QStringLiteral("51"), QStringLiteral("5.1.")},
                                           {QStringLiteral("52"), QStringLiteral("5.2.")},
                                           {QStringLiteral("53"), QStringLiteral("5.3.")}};
constexpr int kLastSubclass = 6;
constexpr int kLastZoneColumn = 77; // BY
// Per worksheet: the column and row of the example-data note.
using NotePlaces = QList<QPair<int, int>>;

QString subclassFile(const QString &family, int k)
{
    return family + QString::number(k) + QStringLiteral(".xls");
}

// "4.1" .. "4.6" for class 4, "5.1.1" .. "5.1.6" for class 51, and so on: texts, exactly.
bool isFamilyLabel(const QString &family, const CellValue &label)
{
    for (int k = 1; k <= kLastSubclass; ++k)
        if (label == CellValue::text(kLabelPrefix[family] + QString::number(k)))
            return true;
    return false;
}

const HazardClass &hazardClass(const QString &listCode)
{
    for (const HazardClass &c : hazardClasses())
        if (c.listCode == listCode)
            return c;
    qFatal("no hazard class %s", qPrintable(listCode));
}

// The tree checked: the bundled one, or another drive root (real workbooks) given in
// ZEFRO_CHECK_DRIVE_ROOT.
QString checkedRoot()
{
    return qEnvironmentVariable("ZEFRO_CHECK_DRIVE_ROOT", QStringLiteral(ZEFRO_BUNDLED_TREE));
}

// Reads the checked workbooks, recording every failure as a problem instead of stopping.
class BundledReader
{
public:
    explicit BundledReader(QStringList &problems)
        : m_problems(problems), m_opener(DrivePaths(checkedRoot()))
    {
    }

    WorkbookHandle open(const QString &file)
    {
        auto it = m_books.find(file);
        if (it != m_books.end())
            return it->second;
        const Outcome<WorkbookHandle> opened = m_opener.open(kDataFolder + file);
        WorkbookHandle book;
        if (opened.ok())
            book = opened.value();
        else
            m_problems << opened.error().message();
        m_books.emplace(file, book);
        return book;
    }

    CellValue cell(const QString &file, int sheet, int column, int row)
    {
        const WorkbookHandle book = open(file);
        if (!book)
            return {};
        const QString address = cellAddress(columnLetters(column), row);
        const Outcome<CellValue> value = book->readCell(sheet, address);
        if (!value.ok()) {
            m_problems << value.error().message();
            return {};
        }
        return value.value();
    }

private:
    QStringList &m_problems;
    XlsWorkbookOpener m_opener;
    std::map<QString, WorkbookHandle> m_books;
};

// Rows 1 to 10, columns C to R of a distance sheet.
struct DistanceSheet
{
    std::array<std::array<CellValue, 16>, 10> cells;
    [[nodiscard]] const CellValue &at(int row, int pair, int weather) const { return cells[row - 1][2 * pair + weather]; }
    // Bound pairs of row 1 as the containment choice offers them: the first pair, then every later
    // pair until one whose lower bound is 0.
    [[nodiscard]] QList<QPair<double, double>> offeredBounds() const
    {
        QList<QPair<double, double>> bounds;
        for (int pair = 0; pair < 8; ++pair) {
            if (pair > 0 && at(1, pair, 0) == CellValue::number(0))
                break;
            bounds.append({at(1, pair, 0).toNumber(), at(1, pair, 1).toNumber()});
        }
        return bounds;
    }
};

DistanceSheet readDistanceSheet(BundledReader &reader, const QString &file, int sheet)
{
    DistanceSheet d;
    for (int row = 1; row <= 10; ++row)
        for (int column = 0; column < 16; ++column)
            d.cells[row - 1][column] = reader.cell(file, sheet, column + 3, row);
    return d;
}

struct CorrespondenceRow
{
    double lower;
    double upper;
    double pairLikely;
    double pairMedium;
};

// Rows 3 to 24 of one correspondence worksheet, by class code, in sheet order.
QHash<int, QList<CorrespondenceRow>> readCorrespondence(BundledReader &reader, int sheet, QStringList &problems)
{
    QHash<int, QList<CorrespondenceRow>> rows;
    const QString file = QStringLiteral("corrispondenza coppie tossici.xls");
    for (int row = 3; row <= 24; ++row) {
        const CellValue code = reader.cell(file, sheet, 1, row);
        if (code.isEmpty())
            continue;
        std::array<CellValue, 4> v;
        for (int c = 0; c < 4; ++c)
            v[c] = reader.cell(file, sheet, c + 2, row);
        bool numbers = code.isNumber();
        for (const CellValue &x : v)
            numbers = numbers && x.isNumber();
        if (!numbers) {
            problems << QStringLiteral("correspondence sheet %1 row %2: not all numbers").arg(sheet).arg(row);
            continue;
        }
        rows[int(code.toNumber())].append({v[0].toNumber(), v[1].toNumber(), v[2].toNumber(), v[3].toNumber()});
    }
    return rows;
}

bool isTableValue(const CellValue &v)
{
    if (!v.isNumber())
        return false;
    const double x = v.toNumber();
    if (x == 0 || x == 10001)
        return true;
    return x >= 5 && x <= 10000 && std::fmod(x, 5.0) == 0;
}

QString where(const QString &file, int sheet, int row, int pair, int weather)
{
    return QStringLiteral("%1 sheet %2 %3%4").arg(file).arg(sheet).arg(columnLetters(3 + 2 * pair + weather)).arg(row);
}

// The value rules every distance sheet follows, over its used pairs. needsValue(row) tells
// whether the threshold of a row applies (a non-zero value is due); dispersion says whether F2
// must reach at least as far as D5; zeroAllowed(row, pair, weather) exempts fallback cells.
template <typename NeedsValue, typename ZeroAllowed>
void checkDistanceValues(const DistanceSheet &d, int pairs, const QString &file, int sheet, bool dispersion,
                         NeedsValue needsValue, ZeroAllowed zeroAllowed, QStringList &problems)
{
    for (int row = 3; row <= 10; ++row)
        for (int pair = 0; pair < pairs; ++pair)
            for (int w = 0; w < 2; ++w) {
                const CellValue &v = d.at(row, pair, w);
                if (!isTableValue(v))
                    problems << where(file, sheet, row, pair, w) + QStringLiteral(": not a table distance");
                else if (needsValue(row) && v.toNumber() == 0 && !zeroAllowed(row, pair, w))
                    problems << where(file, sheet, row, pair, w) + QStringLiteral(": 0 where the threshold applies");
                else if (!needsValue(row) && v.toNumber() != 0)
                    problems << where(file, sheet, row, pair, w) + QStringLiteral(": a distance where the threshold does not apply");
            }
    for (int first : {3, 7}) {
        for (int pair = 0; pair < pairs; ++pair)
            for (int w = 0; w < 2; ++w) {
                double previous = 0;
                for (int row = first; row < first + 4; ++row) {
                    const double x = d.at(row, pair, w).toNumber();
                    if (x == 0)
                        continue;
                    if (x < previous)
                        problems << where(file, sheet, row, pair, w) + QStringLiteral(": shorter than a stricter threshold");
                    previous = x;
                }
            }
        for (int row = first; row < first + 4; ++row)
            for (int w = 0; w < 2; ++w) {
                double previous = 0;
                for (int pair = 0; pair < pairs; ++pair) {
                    const double x = d.at(row, pair, w).toNumber();
                    if (x == 0)
                        continue;
                    if (x < previous)
                        problems << where(file, sheet, row, pair, w) + QStringLiteral(": shorter than for a smaller range");
                    previous = x;
                }
            }
    }
    if (dispersion)
        for (int row = 3; row <= 10; ++row)
            for (int pair = 0; pair < pairs; ++pair) {
                const double d5 = d.at(row, pair, 0).toNumber(), f2 = d.at(row, pair, 1).toNumber();
                if (d5 != 0 && f2 != 0 && f2 < d5)
                    problems << where(file, sheet, row, pair, 1) + QStringLiteral(": F2 shorter than D5");
            }
}

void checkBoundsTile(const QList<QPair<double, double>> &bounds, const QString &what, QStringList &problems)
{
    for (int i = 0; i < bounds.size(); ++i) {
        if (!(bounds[i].first < bounds[i].second))
            problems << what + QStringLiteral(": range %1 is not lower < upper").arg(i + 1);
        if (i > 0 && bounds[i].first != bounds[i - 1].second)
            problems << what + QStringLiteral(": range %1 does not start where range %2 ends").arg(i + 1).arg(i);
    }
}

QString report(const QStringList &problems)
{
    const QStringList shown = problems.mid(0, 40);
    return QStringLiteral("%1 problem(s):\n").arg(problems.size()) + shown.join(QLatin1Char('\n'));
}

} // namespace

class BundledDataTest : public QObject
{
    Q_OBJECT

private slots:
    void everyWorkbookOpensAndSaysItHoldsExampleData_data();
    void everyWorkbookOpensAndSaysItHoldsExampleData();
    void flammableListsAreTheQuickPickLists();
    void toxicTablesListCatalogueSubstancesWithMappedZones();
    void subclassMatrixCoversEveryPairInReportOrder();
    void correspondenceRowsFitTheRangeChoice();
    void flammableDistanceSheets();
    void toxicSubclassSheets();
    void everyEstimateOnTheDataCompletes();
    void testDrivesHoldWhatTheirDescriptionsSay();
    void tinyDriveGivesItsDescribedToxicEstimates_data();
    void tinyDriveGivesItsDescribedToxicEstimates();
};

void BundledDataTest::everyWorkbookOpensAndSaysItHoldsExampleData_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<int>("sheets");
    // The note's SHA line stands two rows below it.
    QTest::addColumn<NotePlaces>("notes");

    const QList<QPair<int, int>> distance(5, {1, 12});
    for (int i = 0; i < kFlammableClassCount; ++i) {
        const HazardClass &c = hazardClasses()[i];
        QTest::newRow(qPrintable(c.workbookFile)) << c.workbookFile << 6 << (distance + QList<QPair<int, int>>{{4, 1}});
    }
    for (int i = kFlammableClassCount; i < int(hazardClasses().size()); ++i) {
        const HazardClass &c = hazardClasses()[i];
        QTest::newRow(qPrintable(c.workbookFile)) << c.workbookFile << 2 << QList<QPair<int, int>>{{5, 1}, {1, 1}};
    }
    QTest::newRow("correspondence") << QStringLiteral("corrispondenza coppie tossici.xls") << 5
                                    << QList<QPair<int, int>>(5, {8, 1});
    for (const QString &family : kFamilies)
        for (int k = 1; k <= kLastSubclass; ++k)
            QTest::newRow(qPrintable(subclassFile(family, k))) << subclassFile(family, k) << 5 << distance;
}

void BundledDataTest::everyWorkbookOpensAndSaysItHoldsExampleData()
{
    QFETCH(QString, file);
    QFETCH(int, sheets);
    QFETCH(NotePlaces, notes);

    QFile params(QStringLiteral(ZEFRO_SOURCE_DIR "/tools/workbooks/params.json"));
    QVERIFY(params.open(QIODevice::ReadOnly));
    const QString sha = QString::fromLatin1(QCryptographicHash::hash(params.readAll(), QCryptographicHash::Sha256).toHex());

    QStringList problems;
    BundledReader reader(problems);
    const WorkbookHandle book = reader.open(file);
    QVERIFY2(book, qPrintable(report(problems)));
    QCOMPARE(book->sheetCount(), sheets);
    for (int sheet = 1; sheet <= sheets; ++sheet) {
        const auto [column, row] = notes[sheet - 1];
        const CellValue note = reader.cell(file, sheet, column, row);
        if (!note.toText().startsWith(kNote) || !note.toText().contains(QStringLiteral("NOT official values")))
            problems << QStringLiteral("%1 sheet %2: no example-data note").arg(file).arg(sheet);
        if (!reader.cell(file, sheet, column, row + 1).toText().contains(QStringLiteral("replace")))
            problems << QStringLiteral("%1 sheet %2: no word on how to replace the data").arg(file).arg(sheet);
        if (!reader.cell(file, sheet, column, row + 2).toText().endsWith(sha))
            problems << QStringLiteral("%1 sheet %2: made from other parameters than params.json (regenerate)").arg(file).arg(sheet);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
}

void BundledDataTest::flammableListsAreTheQuickPickLists()
{
    QHash<QString, QString> names;
    for (const Substance &s : Catalogue::substances())
        names.insert(s.cas, s.name);

    QStringList problems;
    BundledReader reader(problems);
    for (int i = 0; i < kFlammableClassCount; ++i) {
        const HazardClass &c = hazardClasses()[i];
        const QStringList expected = Catalogue::quickPickCas(c.listCode);
        QVERIFY(!expected.isEmpty());
        QVERIFY2(c.firstRow == 1 && expected.size() <= c.lastRow - c.firstRow + 1, qPrintable(c.listCode));
        // The searched rows, and a few below them where an entry would never be found.
        for (int row = c.firstRow; row <= c.lastRow + 5; ++row) {
            const int index = row - c.firstRow;
            const CellValue cas = reader.cell(c.workbookFile, c.worksheet, 1, row);
            const CellValue name = reader.cell(c.workbookFile, c.worksheet, 2, row);
            const QString at = QStringLiteral("%1 sheet %2 row %3").arg(c.workbookFile).arg(c.worksheet).arg(row);
            if (index >= expected.size()) {
                if (!cas.isEmpty() || !name.isEmpty())
                    problems << at + QStringLiteral(": beyond the class list");
                continue;
            }
            if (!(cas == CellValue::text(expected[index])))
                problems << at + QStringLiteral(": CAS %1 instead of %2").arg(cas.toText(), expected[index]);
            const QString expectedName = names.value(expected[index]);
            if (!name.isText() || name.toText().isEmpty() || (!expectedName.isEmpty() && name.toText() != expectedName))
                problems << at + QStringLiteral(": name %1 instead of %2").arg(name.toText(), expectedName);
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
}

void BundledDataTest::toxicTablesListCatalogueSubstancesWithMappedZones()
{
    QHash<QString, QString> names;
    for (const Substance &s : Catalogue::substances())
        names.insert(s.cas, s.name);
    QSet<QString> flammableGas, flammableLiquid;
    for (int i = 0; i < kFlammableClassCount; ++i) {
        const HazardClass &c = hazardClasses()[i];
        for (const QString &cas : Catalogue::quickPickCas(c.listCode))
            (c.gas ? flammableGas : flammableLiquid).insert(cas);
    }

    QStringList problems;
    BundledReader reader(problems);
    int flammableAndToxic = 0;
    QHash<QString, double> zoneOf; // the class search keeps the zone of the last toxic table found
    for (const QString &family : kFamilies) {
        const HazardClass &c = hazardClass(family);
        int listed = 0;
        for (int row = 1; row <= c.lastRow + 5; ++row) {
            const CellValue zone = reader.cell(c.workbookFile, 1, 1, row);
            const CellValue name = reader.cell(c.workbookFile, 1, 2, row);
            const CellValue cas = reader.cell(c.workbookFile, 1, 3, row);
            const QString at = QStringLiteral("%1 row %2").arg(c.workbookFile).arg(row);
            if (row < c.firstRow) {
                if (names.contains(cas.toText()))
                    problems << at + QStringLiteral(": a substance in the heading rows");
                continue;
            }
            if (cas.isEmpty() && zone.isEmpty())
                continue;
            if (row > c.lastRow) {
                problems << at + QStringLiteral(": beyond the searched rows");
                continue;
            }
            ++listed;
            if (!names.contains(cas.toText()) || name.toText() != names.value(cas.toText()))
                problems << at + QStringLiteral(": %1 %2 is not a catalogue substance").arg(cas.toText(), name.toText());
            const double z = zone.toNumber();
            if (!zone.isNumber() || z < 1 || z != std::floor(z) || z + 5 > kLastZoneColumn) {
                problems << at + QStringLiteral(": zone index is not a whole number from 1 to 72");
                continue;
            }
            // Every row of the matrix holds a label of the family in this zone's column.
            for (int mrow = 5; mrow <= 204; ++mrow) {
                if (reader.cell(c.workbookFile, 2, 1, mrow).isEmpty())
                    continue;
                if (!isFamilyLabel(family, reader.cell(c.workbookFile, 2, int(z) + 5, mrow)))
                    problems << QStringLiteral("%1 sheet 2 %2%3: no sub-class label for zone %4")
                                    .arg(c.workbookFile, columnLetters(int(z) + 5)).arg(mrow).arg(z);
            }
            if (zoneOf.contains(cas.toText()) && zoneOf.value(cas.toText()) != z)
                problems << at + QStringLiteral(": %1 has another zone in an earlier toxic table").arg(cas.toText());
            zoneOf.insert(cas.toText(), z);
            // The gas flag of the last class found decides the diameter list: a toxic gas must not
            // also be a flammable liquid, nor a toxic liquid a flammable gas.
            if ((c.gas && flammableLiquid.contains(cas.toText())) || (!c.gas && flammableGas.contains(cas.toText())))
                problems << at + QStringLiteral(": %1 is gas in one table and liquid in another").arg(cas.toText());
            if (flammableGas.contains(cas.toText()) || flammableLiquid.contains(cas.toText()))
                ++flammableAndToxic;
        }
        if (listed == 0)
            problems << c.workbookFile + QStringLiteral(": no substance");
    }
    if (flammableAndToxic == 0)
        problems << QStringLiteral("no substance is both flammable and toxic");
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
}

void BundledDataTest::subclassMatrixCoversEveryPairInReportOrder()
{
    QStringList problems;
    BundledReader reader(problems);
    QHash<int, QSet<int>> pairCodes; // class code -> pair codes the correspondence hands out
    for (int sheet = 1; sheet <= 5; ++sheet) {
        const auto rows = readCorrespondence(reader, sheet, problems);
        for (auto it = rows.begin(); it != rows.end(); ++it)
            for (const CorrespondenceRow &r : it.value())
                pairCodes[it.key()] << int(r.pairLikely) << int(r.pairMedium);
    }
    // The lookup names the sub-classes 1..4 in the order it meets the rows; the report puts them
    // on threshold 1 D5, 3 D5, 1 F2, 3 F2.
    const QList<QPair<int, int>> order{{1, 1}, {3, 1}, {1, 2}, {3, 2}};
    for (const QString &family : kFamilies) {
        const HazardClass &c = hazardClass(family);
        QHash<QPair<int, int>, QList<QPair<int, int>>> used; // (group, pair) -> (threshold, weather) in row order
        for (int row = 5; row <= 204; ++row) {
            std::array<CellValue, 4> v;
            for (int col = 0; col < 4; ++col)
                v[col] = reader.cell(c.workbookFile, 2, col + 1, row);
            if (v[0].isEmpty())
                continue;
            const int group = int(v[0].toNumber()), threshold = int(v[2].toNumber()), weather = int(v[3].toNumber());
            if (!(group == 1 || group == 2) || !(threshold == 1 || threshold == 3) || !(weather == 1 || weather == 2))
                problems << QStringLiteral("%1 sheet 2 row %2: group, threshold or weather out of range").arg(c.workbookFile).arg(row);
            used[{group, int(v[1].toNumber())}].append({threshold, weather});
            // Every label of the row, used zone or not, names a sub-class workbook of the family.
            for (int col = 6; col <= kLastZoneColumn; ++col) {
                const CellValue label = reader.cell(c.workbookFile, 2, col, row);
                if (!label.isEmpty() && !isFamilyLabel(family, label))
                    problems << QStringLiteral("%1 sheet 2 %2%3: %4 is no sub-class of the family")
                                    .arg(c.workbookFile, columnLetters(col)).arg(row).arg(label.toText());
            }
        }
        if (!pairCodes.contains(c.classCode))
            problems << QStringLiteral("class %1: no correspondence row").arg(family);
        for (int pair : pairCodes.value(c.classCode))
            for (int group : {1, 2})
                if (used.value({group, pair}) != order)
                    problems << QStringLiteral("%1: rows of group %2 pair %3 are not 1 D5, 3 D5, 1 F2, 3 F2")
                                    .arg(c.workbookFile).arg(group).arg(pair);
    }
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
}

void BundledDataTest::correspondenceRowsFitTheRangeChoice()
{
    QStringList problems;
    BundledReader reader(problems);
    const QString file = QStringLiteral("corrispondenza coppie tossici.xls");
    for (int sheet = 1; sheet <= 5; ++sheet) {
        for (int row = 25; row <= 30; ++row)
            if (!reader.cell(file, sheet, 1, row).isEmpty())
                problems << QStringLiteral("correspondence sheet %1 row %2: beyond the rows read").arg(sheet).arg(row);
        const auto rows = readCorrespondence(reader, sheet, problems);
        for (auto it = rows.begin(); it != rows.end(); ++it)
            if (!kFamilies.contains(QString::number(it.key())))
                problems << QStringLiteral("correspondence sheet %1: class code %2").arg(sheet).arg(it.key());
        for (const QString &family : kFamilies) {
            const HazardClass &c = hazardClass(family);
            const QList<CorrespondenceRow> mine = rows.value(c.classCode);
            const QString what = QStringLiteral("correspondence sheet %1 class %2").arg(sheet).arg(family);
            if (mine.isEmpty() || mine.size() > 10) {
                problems << what + QStringLiteral(": %1 rows").arg(mine.size());
                continue;
            }
            if (sheet == 3 || sheet == 4) {
                if (mine.size() != 1 || mine.first().lower != 0)
                    problems << what + QStringLiteral(": one row with lower bound 0 expected");
                continue;
            }
            QList<QPair<double, double>> bounds;
            for (const CorrespondenceRow &r : mine)
                bounds.append({r.lower, r.upper});
            checkBoundsTile(bounds, what, problems);
            // Pipelines offer four diameters for liquids and five for gases; fixed storage offers
            // up to eight ranges, the first from 0, the others from a non-zero lower bound.
            const int offered = sheet == 5 ? (c.gas ? 5 : 4) : std::min(int(mine.size()), 8);
            if (mine.size() != offered)
                problems << what + QStringLiteral(": %1 rows, %2 offered").arg(mine.size()).arg(offered);
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
}

void BundledDataTest::flammableDistanceSheets()
{
    QStringList problems;
    BundledReader reader(problems);
    for (int i = 0; i < kFlammableClassCount; ++i) {
        const HazardClass &c = hazardClasses()[i];
        const bool liquid = !c.gas; // pool fire under both hypotheses; gases: flash fire, then VCE
        for (int sheet = 1; sheet <= 5; ++sheet) {
            const DistanceSheet d = readDistanceSheet(reader, c.workbookFile, sheet);
            const QString what = QStringLiteral("%1 sheet %2").arg(c.workbookFile).arg(sheet);
            int pairs = 1;
            if (sheet == 3 || sheet == 4) {
                if (!(d.at(1, 0, 0) == CellValue::number(0)))
                    problems << what + QStringLiteral(": C1 is not 0");
            } else {
                QList<QPair<double, double>> bounds = d.offeredBounds();
                if (sheet == 5) {
                    const int diameters = c.gas ? 5 : 4;
                    if (bounds.size() < diameters)
                        problems << what + QStringLiteral(": fewer than %1 diameters").arg(diameters);
                    bounds = bounds.mid(0, diameters);
                }
                if (bounds.first().first != 0)
                    problems << what + QStringLiteral(": the first range does not start at 0");
                checkBoundsTile(bounds, what, problems);
                pairs = int(bounds.size());
            }
            // Nothing after the offered pairs: a value there would never be shown.
            for (int pair = pairs; pair < 8; ++pair)
                for (int row = 3; row <= 10; ++row)
                    for (int w = 0; w < 2; ++w)
                        if (!d.at(row, pair, w).isEmpty())
                            problems << where(c.workbookFile, sheet, row, pair, w) + QStringLiteral(": outside the offered ranges");
            checkDistanceValues(
                d, pairs, c.workbookFile, sheet, !liquid,
                [liquid](int row) { return liquid || !(row == 5 || row == 6); },
                [](int, int, int) { return false; }, problems);
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
}

void BundledDataTest::toxicSubclassSheets()
{
    QStringList problems;
    BundledReader reader(problems);
    std::array<QHash<int, QList<CorrespondenceRow>>, 5> correspondence;
    for (int sheet = 1; sheet <= 5; ++sheet)
        correspondence[sheet - 1] = readCorrespondence(reader, sheet, problems);

    for (const QString &family : kFamilies) {
        const HazardClass &c = hazardClass(family);
        int fallbackCells = 0;
        for (int sheet = 1; sheet <= 5; ++sheet) {
            const QList<CorrespondenceRow> rows = correspondence[sheet - 1].value(c.classCode);
            std::array<DistanceSheet, kLastSubclass> byK;
            for (int k = 1; k <= kLastSubclass; ++k)
                byK[k - 1] = readDistanceSheet(reader, subclassFile(family, k), sheet);
            const int pairs = (sheet == 3 || sheet == 4) ? 1 : std::min(int(rows.size()), 8);
            for (int k = 1; k <= kLastSubclass; ++k) {
                const QString file = subclassFile(family, k);
                const DistanceSheet &d = byK[k - 1];
                // Row 1 holds the bounds the correspondence offers, so that its lower bound is found.
                if (sheet != 3 && sheet != 4) {
                    const QList<QPair<double, double>> bounds = d.offeredBounds();
                    for (int pair = 0; pair < pairs; ++pair)
                        if (pair >= bounds.size() || bounds[pair].first != rows[pair].lower || bounds[pair].second != rows[pair].upper)
                            problems << QStringLiteral("%1 sheet %2: row 1 pair %3 differs from the correspondence").arg(file).arg(sheet).arg(pair + 1);
                    if (bounds.size() > pairs)
                        problems << QStringLiteral("%1 sheet %2: more ranges in row 1 than in the correspondence").arg(file).arg(sheet);
                }
                const auto fallbackZero = [&](int row, int pair, int w) {
                    if (k != kLastSubclass)
                        return false;
                    const CellValue &below = byK[k - 2].at(row, pair, w);
                    if (!below.isNumber() || below.toNumber() == 0) {
                        problems << where(file, sheet, row, pair, w) + QStringLiteral(": 0 with nothing to fall back on");
                        return true;
                    }
                    ++fallbackCells;
                    return true;
                };
                checkDistanceValues(
                    d, pairs, file, sheet, true, [](int row) { return row % 2 == 1; }, fallbackZero, problems);
                // A more toxic sub-class reaches at least as far.
                if (k > 1)
                    for (int row = 3; row <= 10; ++row)
                        for (int pair = 0; pair < pairs; ++pair)
                            for (int w = 0; w < 2; ++w) {
                                const double lower = byK[k - 2].at(row, pair, w).toNumber(), x = d.at(row, pair, w).toNumber();
                                if (lower != 0 && x != 0 && x < lower)
                                    problems << where(file, sheet, row, pair, w) + QStringLiteral(": shorter than the sub-class below");
                            }
            }
        }
        if (fallbackCells == 0)
            problems << subclassFile(family, kLastSubclass) + QStringLiteral(": no cell falls back on the sub-class below");
    }
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
}

// The whole chain of an estimate, run by the program's own steps on the data: class search, class
// choice, containment choice and estimate, for one substance of every flammable class and one of
// every zone of every toxic class, every containment, every offered range and both hypotheses.
// Every estimate must complete with every distance found; some toxic ones fall back on the sub-class
// below the last.
void BundledDataTest::everyEstimateOnTheDataCompletes()
{
    QStringList problems;
    BundledReader reader(problems);
    const XlsWorkbookOpener opener{DrivePaths(checkedRoot())};
    const QStringList hypotheses{QStringLiteral("Ipotesi più probabile"), QStringLiteral("Ipotesi media")};
    const QStringList containments(containmentTypes().begin(), containmentTypes().end());

    QList<QPair<QString, int>> cases; // CAS, class index
    for (int i = 0; i < int(hazardClasses().size()); ++i) {
        const HazardClass &c = hazardClasses()[i];
        if (!c.isToxic()) {
            cases.append({Catalogue::quickPickCas(c.listCode).constFirst(), i});
            continue;
        }
        QSet<double> zones;
        for (int row = c.firstRow; row <= c.lastRow; ++row) {
            const CellValue zone = reader.cell(c.workbookFile, 1, 1, row);
            if (!zone.isEmpty() && !zones.contains(zone.toNumber())) {
                zones.insert(zone.toNumber());
                cases.append({reader.cell(c.workbookFile, 1, 3, row).toText(), i});
            }
        }
    }

    int estimates = 0, fallbacks = 0;
    for (const auto &[cas, index] : cases) {
        const HazardClass &c = hazardClasses()[index];
        for (int containment = 0; containment < 5; ++containment) {
            // A compressed gas in a bunded store is refused before any range is offered.
            if (containment == 0 && (c.listCode == QStringLiteral("2_3") || c.listCode == QStringLiteral("53")))
                continue;
            for (const QString &hypothesis : hypotheses) {
                const QString what = QStringLiteral("%1 in %2, %3, %4").arg(cas, c.listCode, containments[containment], hypothesis);
                ProgramState chosen;
                const ClassLookupResult found = LookupSubstanceClasses(chosen, opener, cas);
                if (found.error || !found.entries.contains(c.listEntry)) {
                    problems << what + QStringLiteral(": class not found");
                    continue;
                }
                ChooseSubstanceClass(chosen, c.listEntry);
                const ContainmentOutcome offer = ChooseContainment(chosen, opener, {containments[containment], c.listEntry, QString(), hypothesis});
                if (!offer.message.isEmpty()) {
                    problems << what + QStringLiteral(": ") + offer.message;
                    continue;
                }
                const bool pipeline = containment == 4, fixedCase = containment == 2 || containment == 3;
                const QStringList entries = (pipeline ? offer.diameterEntries : offer.quantityEntries).value_or(QStringList());
                if (!fixedCase && entries.isEmpty())
                    problems << what + QStringLiteral(": no range offered");
                for (const QString &entry : fixedCase ? QStringList{QString()} : entries) {
                    ProgramState state = chosen;
                    EstimateInput input;
                    input.cas = cas;
                    input.classText = c.listEntry;
                    input.containment = containments[containment];
                    input.containmentEntries = containments;
                    input.hypothesis = hypothesis;
                    (pipeline ? input.diameter : input.quantity) = entry;
                    (pipeline ? input.diameterEntries : input.quantityEntries) = entries;
                    const EstimateOutcome out = RunEstimate(state, opener, input);
                    ++estimates;
                    if (!out.completed || !out.message.isEmpty()) {
                        problems << what + QStringLiteral(" %1: %2").arg(entry, out.message);
                        continue;
                    }
                    const ResultSet &r = state.result;
                    for (int slot = 0; slot < kDistanceSlots; ++slot) {
                        if (r.notAvailable[slot])
                            problems << what + QStringLiteral(" %1: slot %2 not available").arg(entry).arg(slot + 1);
                        // Threshold 1 always applies; for a toxic class threshold 3 too.
                        const bool needed = slot % 4 == 0 || (c.isToxic() && slot % 4 == 2);
                        if (needed && !(r.damageDistance[slot].isNumber() && r.damageDistance[slot].toNumber() >= 5))
                            problems << what + QStringLiteral(" %1: slot %2 holds no distance").arg(entry).arg(slot + 1);
                    }
                    for (bool mark : r.greaterThan)
                        fallbacks += mark ? 1 : 0;
                }
            }
        }
    }
    qInfo("%d estimates, %d distances taken from the sub-class below the last", estimates, fallbacks);
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));
    QVERIFY(estimates > 1000);
    QVERIFY(fallbacks > 0);
}

// The small drive trees for tests, read back through the reader: every cell a description sets
// holds that value with its kind (a text stays a text, "4.3" included), the complete cases have all
// 36 workbooks, and an unset cell is empty.
void BundledDataTest::testDrivesHoldWhatTheirDescriptionsSay()
{
    const QDir specs(QStringLiteral(ZEFRO_TEST_DATA "/workbook-specs"));
    const QStringList cases = specs.entryList({QStringLiteral("*.json")}, QDir::Files, QDir::Name);
    QVERIFY(cases.contains(QStringLiteral("tiny.json")));
    const int allFiles = 7 + 4 + 1 + 24;

    QStringList problems;
    for (const QString &caseFile : cases) {
        QFile f(specs.filePath(caseFile));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QJsonObject spec = QJsonDocument::fromJson(f.readAll()).object();
        QVERIFY2(!spec.isEmpty(), qPrintable(caseFile));
        const QString root = QStringLiteral(ZEFRO_TEST_DATA "/drives/") + QFileInfo(caseFile).completeBaseName();
        const DrivePaths drives(root);
        const XlsWorkbookOpener opener(drives);

        const QDir data(drives.toLocal(kDataFolder));
        const int files = int(data.entryList({QStringLiteral("*.xls")}, QDir::Files).size());
        if (spec.value(QStringLiteral("complete")).toBool() && files != allFiles)
            problems << QStringLiteral("%1: %2 workbooks instead of %3").arg(caseFile).arg(files).arg(allFiles);
        for (const QString &target : spec.value(QStringLiteral("copy")).toObject().keys())
            if (!QFile::exists(root + QLatin1Char('/') + target))
                problems << QStringLiteral("%1: %2 not copied").arg(caseFile, target);

        const QJsonObject books = spec.value(QStringLiteral("workbooks")).toObject();
        for (auto book = books.begin(); book != books.end(); ++book) {
            const Outcome<WorkbookHandle> opened = opener.open(kDataFolder + book.key());
            if (!opened.ok()) {
                problems << opened.error().message();
                continue;
            }
            const QJsonObject sheets = book.value().toObject().value(QStringLiteral("cells")).toObject();
            for (auto sheet = sheets.begin(); sheet != sheets.end(); ++sheet) {
                const QJsonObject cells = sheet.value().toObject();
                for (auto cell = cells.begin(); cell != cells.end(); ++cell) {
                    const std::optional<CellPosition> start = parseCellAddress(cell.key());
                    QVERIFY2(start, qPrintable(cell.key()));
                    const QJsonArray values = cell.value().isArray() ? cell.value().toArray() : QJsonArray{cell.value()};
                    for (int i = 0; i < values.size(); ++i) {
                        const QString address = cellAddress(columnLetters(start->column + 1 + i), start->row + 1);
                        const Outcome<CellValue> read = opened.value()->readCell(sheet.key().toInt(), address);
                        const CellValue expected = values[i].isString() ? CellValue::text(values[i].toString())
                                                                         : CellValue::number(values[i].toDouble());
                        if (!read.ok())
                            problems << read.error().message();
                        else if (read.value().kind() != expected.kind() || !(read.value() == expected))
                            problems << QStringLiteral("%1 %2 sheet %3 %4: not the described value")
                                            .arg(caseFile, book.key(), sheet.key(), address);
                    }
                }
            }
        }
    }
    QVERIFY2(problems.isEmpty(), qPrintable(report(problems)));

    // A cell no description sets is empty, and one beyond it too.
    const XlsWorkbookOpener opener(DrivePaths(QStringLiteral(ZEFRO_TEST_DATA "/drives/tiny")));
    const Outcome<WorkbookHandle> book = opener.open(kDataFolder + QStringLiteral("classe 51 tabelle nomi e indicazione zone.xls"));
    QVERIFY(book.ok());
    QVERIFY(book.value()->readCell(2, QStringLiteral("G5")).value().isEmpty());
    QVERIFY(book.value()->readCell(2, QStringLiteral("BY204")).value().isEmpty());
    QCOMPARE(book.value()->readCell(2, QStringLiteral("AA5")).value(), CellValue::text(QStringLiteral("5.1.2")));
}

// The tiny test drive is a usable installation: the toxic estimates its description promises come
// out of the program's steps (values from tests/data/workbook-specs/tiny.json).
void BundledDataTest::tinyDriveGivesItsDescribedToxicEstimates_data()
{
    QTest::addColumn<QString>("cas");
    QTest::addColumn<QString>("classEntry");
    QTest::addColumn<int>("containment");
    QTest::addColumn<QString>("hypothesis");
    QTest::addColumn<QString>("range");
    QTest::addColumn<QList<double>>("distances"); // threshold 1 D5, 3 D5, 1 F2, 3 F2
    QTest::addColumn<QList<bool>>("marks");
    QTest::addColumn<QString>("subclass");

    const QString likely = QStringLiteral("Ipotesi più probabile"), medium = QStringLiteral("Ipotesi media");
    const QString chlorineClass = hazardClass(QStringLiteral("51")).listEntry;
    // Chlorine, zone 1 (column F): 5.1.6, whose zeros fall back on 5.1.5.
    QTest::newRow("chlorine bunded 0-10 likely") << QStringLiteral("7782-50-5") << chlorineClass << 0 << likely << QStringLiteral(" 0 -  10")
                                                  << QList<double>{335, 2565, 1640, 7785} << QList<bool>{false, false, false, true}
                                                  << QStringLiteral("classe 5.1.6");
    QTest::newRow("chlorine bunded 10-50 medium") << QStringLiteral("7782-50-5") << chlorineClass << 0 << medium << QStringLiteral(" 10 -  50")
                                                   << QList<double>{4520, 10001, 9700, 10001} << QList<bool>{false, true, true, true}
                                                   << QStringLiteral("classe 5.1.6");
    // Ammonia, zone 22 (column AA): 5.1.2 on a tanker, columns C and D.
    QTest::newRow("ammonia tanker likely") << QStringLiteral("7664-41-7") << chlorineClass << 2 << likely << QString()
                                           << QList<double>{70, 560, 280, 2700} << QList<bool>{false, false, false, false}
                                           << QStringLiteral("classe 5.1.2");
}

void BundledDataTest::tinyDriveGivesItsDescribedToxicEstimates()
{
    QFETCH(QString, cas);
    QFETCH(QString, classEntry);
    QFETCH(int, containment);
    QFETCH(QString, hypothesis);
    QFETCH(QString, range);
    QFETCH(QList<double>, distances);
    QFETCH(QList<bool>, marks);
    QFETCH(QString, subclass);

    const XlsWorkbookOpener opener(DrivePaths(QStringLiteral(ZEFRO_TEST_DATA "/drives/tiny")));
    const QStringList containments(containmentTypes().begin(), containmentTypes().end());
    ProgramState state;
    const ClassLookupResult found = LookupSubstanceClasses(state, opener, cas);
    QVERIFY(!found.error);
    QVERIFY(found.entries.contains(classEntry));
    ChooseSubstanceClass(state, classEntry);
    const ContainmentOutcome offer = ChooseContainment(state, opener, {containments[containment], classEntry, QString(), hypothesis});
    QVERIFY2(offer.message.isEmpty(), qPrintable(offer.message));

    EstimateInput input;
    input.cas = cas;
    input.classText = classEntry;
    input.containment = containments[containment];
    input.containmentEntries = containments;
    input.hypothesis = hypothesis;
    input.quantity = range;
    input.quantityEntries = offer.quantityEntries.value_or(QStringList());
    if (!range.isEmpty())
        QVERIFY(input.quantityEntries.contains(range));
    const EstimateOutcome out = RunEstimate(state, opener, input);
    QVERIFY2(out.completed, qPrintable(out.message));
    const std::array<int, 4> slotOf{0, 2, 4, 6};
    for (int i = 0; i < 4; ++i) {
        QCOMPARE(state.result.damageDistance[slotOf[i]].toNumber(), distances[i]);
        QCOMPARE(state.result.greaterThan[i], marks[i]);
        QCOMPARE(state.result.subclassName[i], subclass);
    }
}

QTEST_GUILESS_MAIN(BundledDataTest)
#include "test_bundled_data.moc"
