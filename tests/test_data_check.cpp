// The contents of the data tables: the data check lists every cell an estimate would refuse and no
// other; cells of the bundled tables changed as an analyst editing them might are refused whenever
// the rules can tell the change, and the data check flags exactly the changes the estimates refuse.
#include "estimate/DataCheck.h"
#include "estimate/ToxicSubclassLookup.h"
#include "support/EstimateWorkbooks.h"
#include "xls/XlsErrors.h"
#include "xls/XlsWorkbookOpener.h"

#include <QDate>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QtTest>

#include <map>
#include <set>

namespace {

using CellKey = std::tuple<QString, int, QString>; // system path, worksheet, address

// The bundled workbooks, each read once, with at most one cell changed (also in workbooks opened
// before the change); the cells read are recorded while `reads` is set, and only the workbook `only`
// opens while it is set.
class ChangingOpener final : public WorkbookOpener
{
public:
    std::optional<std::pair<CellKey, CellValue>> change;
    mutable std::set<CellKey> *reads = nullptr;
    QString only;

    Outcome<WorkbookHandle> open(const QString &systemPath) const override
    {
        auto it = m_books.find(systemPath);
        if (it == m_books.end())
            it = m_books.emplace(systemPath, m_files.open(systemPath)).first;
        if (!it->second.ok() || (!only.isEmpty() && systemPath != only))
            return xlsError(Error::Kind::MissingWorkbook);
        return WorkbookHandle(std::make_shared<Changed>(it->second.value(), *this));
    }
    [[nodiscard]] CellValue original(const CellKey &cell) const
    {
        return m_books.at(std::get<0>(cell)).value()->readCell(std::get<1>(cell), std::get<2>(cell)).value();
    }

private:
    struct Changed final : Workbook
    {
        Changed(WorkbookHandle book, const ChangingOpener &opener)
            : base(std::move(book))
            , by(opener)
        { }
        QString name() const override { return base->name(); }
        int sheetCount() const override { return base->sheetCount(); }
        Outcome<CellValue> readCell(int sheet, const QString &address) const override
        {
            if (by.reads)
                by.reads->insert({file, sheet, address});
            if (by.change && by.change->first == CellKey{file, sheet, address})
                return by.change->second;
            return base->readCell(sheet, address);
        }
        WorkbookHandle base;
        const ChangingOpener &by;
        QString file = base->name();
    };
    XlsWorkbookOpener m_files{DrivePaths(QStringLiteral(ZEFRO_BUNDLED_TREE))};
    mutable std::map<QString, Outcome<WorkbookHandle>> m_books;
};

// An estimate on a chain whose class lookup is done (its workbooks see later changes), and what it
// gave: the entries offered, the eight distances with their marks and sub-classes and the class
// label; or the refusal. A class lookup alone gives the number of classes found.
struct Request
{
    std::shared_ptr<EstimateChain> chain;
    const HazardClass *hazard = nullptr;
    Hypothesis hypothesis = Hypothesis::MostLikely;
    Containment containment = Containment::BundedStorage;
    std::size_t entry = 0;
};
struct Result
{
    std::optional<Error> refusal;
    QString figures;
    std::size_t offered = 0;
};

Result lookUp(const ChangingOpener &opener, const Substance &substance)
{
    const auto found = EstimateChain(opener).lookUpClasses(substance);
    return {found.ok() ? std::nullopt : std::optional(found.error()),
            QString::number(found.ok() ? found.value().size() : 0)};
}

// `reads` gets the cells read; of a flammable range table, read whole, the cells used: the bounds of
// the entries offered and the distances of the one chosen.
Result run(const ChangingOpener &opener, const Request &request, std::set<CellKey> *reads = nullptr)
{
    EstimateChain &chain = *request.chain;
    chain.chooseClass(*request.hazard);
    opener.reads = reads;
    const auto offered = chain.chooseContainment(request.hypothesis, request.containment);
    const auto estimate = offered.ok() ? chain.estimate(request.entry) : offered.error();
    opener.reads = nullptr;
    if (!estimate.ok())
        return {estimate.error().isNotice() && offered.ok() ? std::nullopt : std::optional(estimate.error()), "notice"};
    Result result{std::nullopt, estimate.value().classLabel, offered.value().size()};
    const QString file = kDataFolder + request.hazard->workbookFile;
    const int sheet = worksheetOf(request.containment),
              pair = estimate.value().range ? estimate.value().range->pair : 0;
    if (reads && !request.hazard->isToxic()) {
        reads->clear();
        for (const RangeEntry &entry : offered.value())
            reads->insert({{file, sheet, rangeTableAddress(0, 2 * entry.pair)},
                           {file, sheet, rangeTableAddress(0, 2 * entry.pair + 1)}});
        for (int threshold = 1; threshold <= 4; ++threshold)
            for (const int column : {2 * pair, 2 * pair + 1})
                reads->insert({file, sheet, rangeTableAddress(distanceRow(request.hypothesis, threshold) - 1, column)});
    }
    for (const RangeEntry &entry : offered.value())
        result.figures += entry.text();
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        result.figures
            += distanceText(estimate.value().distances[slot], slot) + estimate.value().distances[slot].subclass;
    return result;
}

// What a cell is to the estimates, and an analyst's slips in it.
enum class Role { Distance, Bound, Cas, Matrix, Label, ClassCode, PairCell };
enum class Slip {
    AsText,
    AsDate,
    Negated,
    Times1000,
    Thousandth,
    Denormal,
    Emptied,
    PlusFive,
    NextLabel,
    Blank,
    Swapped,
    Changed
};

Role roleOf(const CellKey &cell)
{
    const auto &[path, sheet, address] = cell;
    const CellPosition at = *parseCellAddress(address);
    for (const HazardClass &hazard : hazardClasses()) {
        if (kDataFolder + hazard.workbookFile == path)
            return sheet == hazard.worksheet ? Role::Cas
                : !hazard.isToxic()          ? (at.row == 0 ? Role::Bound : Role::Distance)
                : at.column < 4              ? Role::Matrix
                                             : Role::Label;
    }
    if (path == kDataFolder + kRangeCorrespondenceFile)
        return at.column == 0 ? Role::ClassCode : Role::PairCell;
    return at.row == 0 ? Role::Bound : Role::Distance;
}

CellValue slipped(const CellValue &cell, Slip slip, QRandomGenerator &random)
{
    const double x = cell.toNumber();
    QString text = cell.toText();
    const qsizetype at = random.bounded(std::max<qsizetype>(text.size() - 1, 1)); // a character, not the last
    switch (slip) {
    case Slip::AsText: return CellValue::text(QString::number(x, 'g', 17));
    case Slip::AsDate: return CellValue::text(QDate(1899, 12, 30).addDays(qint64(x)).toString(Qt::ISODate));
    case Slip::Negated: return CellValue::number(-x);
    case Slip::Times1000: return CellValue::number(x * 1000);
    case Slip::Thousandth: return CellValue::number(x / 1000);
    case Slip::Denormal: return CellValue::number(std::numeric_limits<double>::denorm_min());
    case Slip::Emptied: return CellValue();
    case Slip::PlusFive: return CellValue::number(x + 5);
    case Slip::NextLabel: text.back() = text.back() == u'6' ? u'5' : QChar(text.back().unicode() + 1); break;
    case Slip::Blank: text += QLatin1Char(' '); break;
    case Slip::Swapped: std::swap(text[at], text[at + 1]); break; // a hyphen moved changes the form
    case Slip::Changed:
        if (text.at(at).isDigit())
            text[at] = QChar(u'0' + (text.at(at).digitValue() + 1 + int(random.bounded(9))) % 10);
        break;
    }
    return CellValue::text(text);
}

// Whether the rules can tell the changed cell from a sound one, from their statement.
bool detectable(Role role, const CellValue &value)
{
    const double x = value.toNumber();
    QString text = value.toText();
    bool number = false;
    text.trimmed().toDouble(&number);
    static const QRegularExpression label(QStringLiteral("^(4\\.[1-6]|5\\.[1-3]\\.[1-6])$"));
    static const QRegularExpression cas(QStringLiteral("^\\d{2,7}-\\d{2}-\\d$"));
    switch (role) {
    case Role::Distance: return value.isText() || !std::isfinite(x) || x < 0 || x > 10001 || (x > 0 && x < 1);
    case Role::Bound:
    case Role::PairCell: return value.isText();
    case Role::ClassCode: return value.isText() && number;
    case Role::Label: return !value.isText() || !label.match(text).hasMatch();
    case Role::Matrix: return false;
    case Role::Cas: {
        if (!value.isText() || !cas.match(text).hasMatch())
            return false;
        text.remove(QLatin1Char('-'));
        int sum = 0;
        for (int i = 1; i < text.size(); ++i) // from the right, the check digit left out
            sum += i * text.at(text.size() - 1 - i).digitValue();
        return sum % 10 != text.back().digitValue();
    }
    }
    return false;
}

} // namespace

class DataCheckTest : public QObject
{
    Q_OBJECT

private slots:
    void everyFaultListed();
    void contentMutations();
};

// In-memory tables, sound but for the slips planted: each listed in table order, and nothing that no
// estimate reads (the cells marked "no").
void DataCheckTest::everyFaultListed()
{
    EstimateWorkbooks data;
    const auto pairs = data.opener.add(kDataFolder + kRangeCorrespondenceFile, 5);
    std::map<QString, std::shared_ptr<MemoryWorkbook>> subclasses;
    for (const QString &code : subclassCodes()) {
        if (code != "536") // missing
            subclasses[code] = data.opener.add(subclassWorkbookPath(code), code == "535" ? 4 : 5);
    }
    data.put("1_1_1", 2, 0, "7664-41-8");
    data.put("1_1_1", 81, 0, "7664-41-8"); // no: below the searched rows
    data.put("51", 4, 2, "7664-41-7");
    data.put("51", 5, "9", "7782-50-5");
    data.put("51", 6, 0.5, "12345-67-4"); // no: not a catalogue substance, whose zone is never read
    data.book("51") // the matrix, whose one sound zone is 2 (column G)
        .setRow(2, "A5", {1, 1, 1, 1, "", "", "5.1.7", "no: zone 3"})
        .setRow(2, "A6", {3, 1, 1, 1, "", "", "no: group 3"})
        .setRow(2, "A7", {1, 1, 2, 1, "", "", "no: threshold 2"})
        .setRow(2, "A204", {1, 9, 3, 1});
    data.book("1_1_1").setRow(1, "C1", {0, "10", 10, 50, 0}).set(1, "C3", -75).set(1, "F10", "n.d.");
    data.book("1_1_1")
        .set(1, "G3", "no: G1 is 0")
        .set(1, "A12", "no: a note")
        .set(5, "J3", 2e6)
        .set(5, "K3", "no: gases");
    data.book("2_1_1").set(5, "K3", 2e6);
    data.book("2_3").set(1, "C3", "no: a compressed gas is never in a bund").set(2, "C3", 0.25);
    data.book("1_2").set(3, "D4", 1e-310).set(3, "E3", "no: tankers read C and D");
    pairs->setRow(1, "A3", {"51"}).setRow(1, "A4", {"no: a heading"}).setRow(1, "A5", {53, "no: 53 in a bund"});
    pairs->setRow(1, "A6", {51, "0"}).setRow(5, "A7", {52, 0, 2, 1, "2"});
    for (int row = 3; row <= 13; ++row)
        pairs->setRow(2, QStringLiteral("A%1").arg(row), {4, row, row + 1, 1, 2});
    subclasses["513"]->setRow(1, "C1", {"0", 1, 10, 50}).set(1, "E3", -75).set(1, "M3", "no: M1 is empty");
    subclasses["513"]->setRow(2, "C1", {0, 1, 0, 5, 50}).set(2, "E3", "no: E1 is 0").set(2, "G9", "x");
    subclasses["513"]->set(2, "G4", "no: threshold 2").set(3, "C5", "n.d.").set(3, "E5", "no: tankers");

    QStringList found;
    for (const Error &fault : checkDataTables(data.opener))
        found << QStringLiteral("%1|").arg(int(fault.kind)) + whereOf(fault).remove(kDataFolder);
    using K = Error::Kind;
    const auto at = [](K kind, const QString &where) { return QStringLiteral("%1|").arg(int(kind)) + where; };
    const QString zones = classOf("51").workbookFile, correspondence = kRangeCorrespondenceFile;
    QCOMPARE(found,
             QStringList({at(K::BadCasNumber, "111.xls|6|A2|7664-41-8"),
                          at(K::RangeBoundNotANumber, "111.xls|1|D1|"),
                          at(K::DistanceOutOfRange, "111.xls|1|C3|-75"),
                          at(K::DistanceNotANumber, "111.xls|1|F10|"),
                          at(K::DistanceOutOfRange, "111.xls|5|J3|2000000"),
                          at(K::DistanceOutOfRange, "12.xls|3|D4|1e-310"),
                          at(K::DistanceOutOfRange, "211.xls|5|K3|2000000"),
                          at(K::DistanceOutOfRange, "23.xls|2|C3|0.25"),
                          at(K::BadZoneIndex, zones + "|1|A5|\"9\""),
                          at(K::UnknownSubclass, zones + "|2|G5|\"5.1.7\""),
                          at(K::UnknownSubclass, zones + "|2|G204|(vuota)"),
                          at(K::ClassCodeAsText, correspondence + "|1|A3|51"),
                          at(K::RangeBoundNotANumber, correspondence + "|1|B6|"),
                          at(K::TooManyCorrespondenceRows, correspondence + "|2||4"),
                          at(K::RangeBoundNotANumber, correspondence + "|5|E7|"),
                          at(K::RangeBoundNotANumber, "513.xls|1|C1|"),
                          at(K::DistanceOutOfRange, "513.xls|1|E3|-75"),
                          at(K::DistanceNotANumber, "513.xls|2|G9|"),
                          at(K::DistanceNotANumber, "513.xls|3|C5|"),
                          at(K::NoSuchSheet, "535.xls|5|C1|"),
                          at(K::MissingWorkbook, "536.xls|0||")}));
    QCOMPARE(dataWorkbookFiles().size(), 36);
}

// Cells that the estimates read, changed one at a time (fixed seed) with an analyst's slips; each mutant
// runs a few of the estimates that read the cell (for a CAS number, the lookups of the substances it
// named before and after) and the data check. It is refused, gives the same figures, or other ones.
void DataCheckTest::contentMutations()
{
    ChangingOpener opener;
    QVERIFY(checkDataTables(opener).empty());

    // Every estimate the tables allow (a flammable class by quick pick, a toxic one for a substance of
    // each of its zones) and the cells it reads; the CAS cells of the catalogue substances.
    std::vector<Request> requests;
    std::vector<QString> before;
    std::map<CellKey, std::vector<std::size_t>> readers;
    std::map<CellKey, Substance> casCells;
    for (const HazardClass &hazard : hazardClasses()) {
        std::map<double, std::optional<Substance>> ofZone{{0, std::nullopt}}; // a quick pick for a flammable class
        for (int row = hazard.firstRow; row <= hazard.lastRow; ++row) {
            const CellKey cell{kDataFolder + hazard.workbookFile, hazard.worksheet, cellAddress(hazard.casColumn, row)};
            (void)opener.open(std::get<0>(cell));
            if (const auto substance = Catalogue::findByCas(opener.original(cell).toText())) {
                casCells[cell] = *substance;
                if (hazard.isToxic())
                    ofZone.emplace(
                        opener.original({std::get<0>(cell), 1, cellAddress(hazard.zoneColumn, row)}).toNumber(),
                        substance);
            }
        }
        if (hazard.isToxic())
            ofZone.erase(0);
        for (const auto &[zone, substance] : ofZone) {
            const auto chain = std::make_shared<EstimateChain>(opener);
            QVERIFY(chain->lookUpClasses(substance).ok());
            for (const Hypothesis hypothesis : {Hypothesis::MostLikely, Hypothesis::Average})
                for (const Containment containment : kContainments)
                    for (std::size_t entry = 0;; ++entry) {
                        std::set<CellKey> reads;
                        const Request request{chain, &hazard, hypothesis, containment, entry};
                        const Result result = run(opener, request, &reads);
                        if (result.refusal) // a compressed gas in a bund
                            break;
                        for (const CellKey &cell : reads)
                            readers[cell].push_back(requests.size());
                        requests.push_back(request);
                        before.push_back(result.figures);
                        if (entry + 1 >= result.offered)
                            break;
                    }
        }
    }
    std::vector<CellKey> cells;
    for (const auto &[cell, by] : readers)
        if (!opener.original(cell).isEmpty())
            cells.push_back(cell);
    for (const auto &[cell, substance] : casCells)
        cells.push_back(cell);

    constexpr int kMutants = 1400;
    QRandomGenerator random(20261208);
    std::set<std::pair<CellKey, Slip>> tried;
    int refused = 0, same = 0, other = 0, detectableOnes = 0;
    QStringList escaped;
    while (refused + same + other < kMutants) {
        const CellKey cell = cells.at(random.bounded(quint32(cells.size())));
        const Role role = roleOf(cell);
        using S = Slip;
        const std::vector<Slip> slips = role == Role::Cas ? std::vector{S::Swapped, S::Changed, S::Blank, S::Emptied}
            : role == Role::Label                         ? std::vector{S::NextLabel, S::Blank, S::Emptied}
                                  : std::vector{S::AsText,     S::AsDate,   S::Negated, S::Times1000,
                                                S::Thousandth, S::Denormal, S::Emptied, S::PlusFive};
        const Slip slip = slips.at(random.bounded(quint32(slips.size())));
        const CellValue original = opener.original(cell), value = slipped(original, slip, random);
        if ((value.kind() == original.kind() && value.toNumber() == original.toNumber()
             && value.toText() == original.toText())
            || !tried.insert({cell, slip}).second)
            continue;

        std::vector<Substance> named; // for a CAS number, before and after the change
        for (const QString &cas : {original.toText(), value.toText()})
            if (const auto substance = Catalogue::findByCas(cas); substance && role == Role::Cas)
                named.push_back(*substance);
        std::vector<QString> lookedUp;
        for (const Substance &substance : named)
            lookedUp.push_back(lookUp(opener, substance).figures);
        const std::vector<std::size_t> &by = role == Role::Cas ? std::vector<std::size_t>() : readers.at(cell);
        const std::size_t count = std::min<std::size_t>(by.size(), 4);

        opener.change = {cell, value};
        std::optional<Error> refusal;
        bool changed = false;
        for (std::size_t k = 0; k < named.size() + count && !refusal; ++k) {
            const std::size_t i = k < named.size() ? 0 : by[(k - named.size()) * by.size() / count];
            const Result after = k < named.size() ? lookUp(opener, named[k]) : run(opener, requests[i]);
            refusal = after.refusal;
            changed = changed || after.figures != (k < named.size() ? lookedUp[k] : before[i]);
        }
        opener.only = std::get<0>(cell); // the other workbooks, unchanged, have nothing to flag
        const std::vector<Error> faults = checkDataTables(opener);
        const bool flagged = std::any_of(faults.cbegin(), faults.cend(), [&](const Error &fault) {
            return fault.kind != Error::Kind::MissingWorkbook;
        });
        opener.only.clear();
        opener.change.reset();

        const QString what = QStringLiteral("%1 sheet %2 %3, slip %4 to \"%5\"")
                                 .arg(std::get<0>(cell).mid(kDataFolder.size()))
                                 .arg(std::get<1>(cell))
                                 .arg(std::get<2>(cell))
                                 .arg(int(slip))
                                 .arg(value.isText() ? value.toText() : QString::number(value.toNumber()));
        const bool canTell = detectable(role, value);
        detectableOnes += canTell;
        ++(refusal ? refused : changed ? other : same);
        if (canTell && !refusal)
            escaped << what + (changed ? ": other figures" : ": not refused");
        if (refusal.has_value() != flagged)
            escaped << what + (flagged ? ": flagged by the data check only" : ": not flagged by the data check");
        if (refusal && !refusal->cell.isEmpty()
            && (refusal->file != std::get<0>(cell) || refusal->cell != std::get<2>(cell)))
            escaped << what + ": refused naming " + whereOf(*refusal);
    }
    const QString figures = QStringLiteral("%1 refused, %2 same figures, %3 other figures; %4 of a kind the rules tell")
                                .arg(refused)
                                .arg(same)
                                .arg(other)
                                .arg(detectableOnes);
    QVERIFY2(escaped.isEmpty(), qPrintable(figures + '\n' + escaped.mid(0, 30).join('\n')));
    QVERIFY2(refused >= 820 && detectableOnes >= 820, qPrintable(figures));
}

QTEST_GUILESS_MAIN(DataCheckTest)
#include "test_data_check.moc"
