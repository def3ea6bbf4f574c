#include "site/SummaryPdf.h"

#include "estimate/Report.h"
#include "site/SiteErrors.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>
#include <vector>

namespace site {
namespace {

using Orientation = QPageLayout::Orientation;

constexpr int kResolution = 300; // dots per inch: the map stays sharp, the fonts are measured finely
constexpr qreal kMarginMm = 15.0;
constexpr qreal kFooterPoints = 18.0; // the bottom of every page's printable area holds the page number
constexpr int kItemColumns = 7; // id ... scenario, before the eight distances

const QString kTitle = QStringLiteral("Riepilogo dell'inventario del sito");
const QString kExampleWarning = QStringLiteral("DATI DI ESEMPIO: le distanze non sono valori ufficiali e non "
                                               "vanno usate per una valutazione reale.");

QPageLayout pageLayout(Orientation orientation)
{
    return {QPageSize(QPageSize::A4), orientation, QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
            QPageLayout::Millimeter};
}

qreal pixelsOfPoints(qreal points)
{
    return points * kResolution / 72.0;
}

// Where a page's contents go, in device pixels from the printable area's top-left corner.
QSizeF bodySize(Orientation orientation)
{
    const QRect printable = pageLayout(orientation).paintRectPixels(kResolution);
    return {qreal(printable.width()), printable.height() - pixelsOfPoints(kFooterPoints)};
}

// Without shaping Latin text has no ligatures: "ffi" is copied and searched in the PDF as three letters.
QFont textFont(qreal points, bool bold = false)
{
    QFont font = QGuiApplication::font();
    font.setPointSizeF(points);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QFont fixedFont(qreal points)
{
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSizeF(points);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

QTextCharFormat charFormat(const QFont &font, const QColor &colour = Qt::black)
{
    QTextCharFormat format;
    format.setFont(font);
    format.setForeground(colour);
    return format;
}

// A paragraph at the cursor; the document's first one takes the empty block a document starts with.
void addParagraph(QTextCursor &cursor, const QString &text, const QTextCharFormat &format,
                  const QTextBlockFormat &block = {})
{
    if (cursor.atStart() && cursor.block().length() == 1)
        cursor.setBlockFormat(block);
    else
        cursor.insertBlock(block);
    cursor.insertText(text, format);
}

// Block margins are device pixels to the layout (unlike a table's, which it scales): given here in points.
QTextBlockFormat spacedBlock(qreal bottomPoints)
{
    QTextBlockFormat block;
    block.setBottomMargin(pixelsOfPoints(bottomPoints));
    return block;
}

struct Section
{
    std::unique_ptr<QTextDocument> document;
    Orientation orientation = Orientation::Portrait;
};

// A document laid out in pages of the PDF, measured by the writer so that what is laid out is what
// is drawn.
Section newSection(QPdfWriter &writer, Orientation orientation)
{
    Section section{std::make_unique<QTextDocument>(), orientation};
    section.document->documentLayout()->setPaintDevice(&writer);
    section.document->setDocumentMargin(0);
    section.document->setDefaultFont(textFont(10));
    section.document->setPageSize(bodySize(orientation));
    return section;
}

QString runTime(const QDateTime &when)
{
    return QLocale(QLocale::Italian, QLocale::Italy).toString(when, QStringLiteral("d MMMM yyyy, 'ore' HH:mm:ss"));
}

// The inventory's file name without its folders, whichever separator the analyst's path uses.
QString fileNameOf(const QString &path)
{
    return path.mid(int(path.lastIndexOf(QRegularExpression(QStringLiteral("[/\\\\]")))) + 1);
}

QString failureText(const ItemOutcome &outcome)
{
    return outcome.failure.isEmpty() ? outcome.item.problem : outcome.failure;
}

void addFacts(QTextCursor &cursor, const std::vector<std::pair<QString, QString>> &facts)
{
    QTextTableFormat format;
    format.setBorder(0);
    format.setCellPadding(3);
    format.setCellSpacing(0);
    format.setColumnWidthConstraints(
        {QTextLength(QTextLength::PercentageLength, 32), QTextLength(QTextLength::PercentageLength, 68)});
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QTextTable *table = cursor.insertTable(int(facts.size()), 2, format);
    for (int row = 0; row < int(facts.size()); ++row) {
        table->cellAt(row, 0).firstCursorPosition().insertText(facts[row].first, charFormat(textFont(10.5, true)));
        table->cellAt(row, 1).firstCursorPosition().insertText(facts[row].second, charFormat(textFont(10.5)));
    }
    cursor.movePosition(QTextCursor::End);
}

void addExampleWarning(QTextCursor &cursor)
{
    QTextTableFormat format;
    format.setBorder(2);
    format.setBorderBrush(QColor(0xA0, 0x10, 0x10));
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setCellPadding(10);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    format.setBackground(QColor(0xFD, 0xE8, 0xE8));
    format.setBottomMargin(18);
    QTextTable *box = cursor.insertTable(1, 1, format);
    box->cellAt(0, 0).firstCursorPosition().insertText(kExampleWarning,
                                                       charFormat(textFont(13, true), QColor(0xA0, 0x10, 0x10)));
    cursor.movePosition(QTextCursor::End);
}

Section titlePage(QPdfWriter &writer, const SiteRun &run, bool withMap)
{
    Section section = newSection(writer, Orientation::Portrait);
    QTextCursor cursor(section.document.get());
    addParagraph(cursor, QStringLiteral("ZEFRO"), charFormat(textFont(11, true), Qt::darkGray), spacedBlock(4));
    addParagraph(cursor, kTitle, charFormat(textFont(22, true)), spacedBlock(18));
    if (run.exampleData)
        addExampleWarning(cursor);

    const int failed = run.failedCount();
    std::vector<std::pair<QString, QString>> facts{{QStringLiteral("Inventario"), run.inventoryFile}};
    if (!run.mapFile.isEmpty())
        facts.emplace_back(QStringLiteral("Mappa"), run.mapFile);
    if (run.scaleDenominator)
        facts.emplace_back(QStringLiteral("Scala della mappa"),
                           QStringLiteral("1:%1").arg(qRound64(*run.scaleDenominator)));
    if (run.system) {
        const bool named = !run.system->name.isEmpty() && run.system->name != run.system->label();
        facts.emplace_back(QStringLiteral("Sistema di riferimento"),
                           named ? run.system->label() + QStringLiteral(" – ") + run.system->name
                                 : run.system->label());
    }
    if (run.elements) {
        const QString layer = run.elements->layer.layerName;
        facts.emplace_back(QStringLiteral("Elementi vulnerabili"),
                           layer.isEmpty() ? run.elements->layer.file
                                           : QStringLiteral("%1 (strato %2)").arg(run.elements->layer.file, layer));
    }
    facts.emplace_back(QStringLiteral("Data e ora"), runTime(run.when));
    facts.emplace_back(QStringLiteral("Versione del programma"), run.programVersion);
    facts.emplace_back(QStringLiteral("Voci"), QString::number(run.items.size()));
    facts.emplace_back(QStringLiteral("Voci stimate"), QString::number(int(run.items.size()) - failed));
    facts.emplace_back(QStringLiteral("Voci non stimate"), QString::number(failed));
    addFacts(cursor, facts);

    QString contents = QStringLiteral("Contenuto: l'elenco delle voci con le otto distanze di danno, una pagina "
                                      "per ogni voce stimata con il suo rapporto");
    if (failed > 0)
        contents += QStringLiteral(", le voci non stimate con il motivo");
    if (run.elements)
        contents += QStringLiteral(", gli elementi vulnerabili raggiunti in ogni zona");
    if (withMap)
        contents += QStringLiteral(", la mappa del sito");
    QTextBlockFormat block;
    block.setTopMargin(pixelsOfPoints(18));
    addParagraph(cursor, contents + QLatin1Char('.'), charFormat(textFont(10), Qt::darkGray), block);
    return section;
}

QString shortHypothesis(Hypothesis hypothesis)
{
    return hypothesis == Hypothesis::Average ? QStringLiteral("media") : QStringLiteral("più probabile");
}

QString rangeText(const Estimate &estimate)
{
    switch (rangeKindOf(estimate.containment)) {
    case RangeKind::Quantity:
        return estimate.range ? estimate.range->text().simplified() + QStringLiteral(" t") : QString();
    case RangeKind::Diameter:
        return estimate.range ? estimate.range->text().simplified() + QStringLiteral(" in") : QString();
    case RangeKind::None: break;
    }
    return QStringLiteral("–");
}

QString classText(const Estimate &estimate)
{
    const QString label = estimate.classLabel.trimmed();
    return label.isEmpty() && estimate.hazardClass ? estimate.hazardClass->dottedLabel() : label;
}

// The seven cells before the distances: what was estimated, or for a failed item what it asked for.
QStringList itemCells(const ItemOutcome &outcome)
{
    if (outcome.estimate) {
        const Estimate &estimate = *outcome.estimate;
        return {outcome.item.id,
                reportedSubstanceName(estimate),
                classText(estimate),
                shortHypothesis(estimate.hypothesis),
                containmentName(estimate.containment),
                rangeText(estimate),
                estimate.scenario};
    }
    if (!outcome.item.order)
        return {outcome.item.id, {}, {}, {}, {}, {}, {}};
    const EstimateOrder &order = *outcome.item.order;
    return {outcome.item.id,
            order.substance,
            QString(order.classCode).replace(QLatin1Char('_'), QLatin1Char('.')),
            shortHypothesis(order.hypothesis),
            containmentName(order.containment),
            {},
            {}};
}

// The table of all items, in landscape pages (its fifteen columns do not fit a portrait page at a
// readable size), painted cell by cell: laying out a document of a thousand rows takes seconds. Two
// heading rows on every page: the item's columns span both, the distances sit under their weather.
class ItemTable
{
public:
    ItemTable(QPaintDevice &device, const SiteRun &run)
        : m_padding(pixelsOfPoints(2))
    {
        const QSizeF body = bodySize(Orientation::Landscape);
        qreal left = 0;
        m_columnLeft.push_back(left);
        // The distances take half the width: "applicabile" and "10000 > m" fit on a line of their own.
        for (const qreal percent : {6.0, 10.0, 4.5, 6.0, 11.5, 6.0, 6.0})
            m_columnLeft.push_back(left += body.width() * percent / 100.0);
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            m_columnLeft.push_back(left += body.width() * 0.5 / kDistanceSlots);

        const QStringList names{QStringLiteral("Id"),      QStringLiteral("Sostanza"),   QStringLiteral("Classe"),
                                QStringLiteral("Ipotesi"), QStringLiteral("Detenzione"), QStringLiteral("Range"),
                                QStringLiteral("Scenario")};
        for (int column = 0; column < kItemColumns; ++column)
            m_heading[0].cells.push_back({names[column], m_bold, Qt::black, column, 1, 2});
        for (const int first : {kItemColumns, kItemColumns + 4})
            m_heading[0].cells.push_back({QStringLiteral("Distanze di danno, meteo %1")
                                              .arg(first == kItemColumns ? QStringLiteral("D5") : QStringLiteral("F2")),
                                          m_bold, Qt::black, first, 4, 1});
        for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
            m_heading[1].cells.push_back(
                {QStringLiteral("Soglia %1").arg(thresholdOf(slot)), m_bold, Qt::black, kItemColumns + int(slot), 1, 1});
        for (Row &row : m_heading)
            measure(device, row);
        // A cell spanning both heading rows must fit in them.
        m_heading[1].height = std::max(m_heading[1].height, tallestSpanning(device) - m_heading[0].height);

        for (const ItemOutcome &outcome : run.items)
            m_rows.push_back(itemRow(device, outcome));

        const QFontMetricsF title(titleFont(), &device), note(noteFont(), &device);
        m_titleHeight = title.height() + pixelsOfPoints(3) + note.height() + pixelsOfPoints(6);
        const qreal headingHeight = m_heading[0].height + m_heading[1].height;
        qreal room = body.height() - m_titleHeight - headingHeight;
        m_pageStarts.push_back(0);
        for (std::size_t index = 0; index < m_rows.size(); ++index) {
            if (m_rows[index].height > room && index > m_pageStarts.back()) {
                m_pageStarts.push_back(index);
                room = body.height() - headingHeight;
            }
            room -= m_rows[index].height;
        }
    }

    [[nodiscard]] int pageCount() const { return int(m_pageStarts.size()); }

    // One page's contents, from the body's top-left corner.
    void paint(QPainter &painter, int page) const
    {
        qreal top = 0;
        if (page == 0) {
            painter.setFont(titleFont());
            const QFontMetricsF title(titleFont(), painter.device());
            painter.drawText(QPointF(0, title.ascent()), QStringLiteral("Elenco delle voci"));
            painter.setFont(noteFont());
            painter.setPen(Qt::darkGray);
            painter.drawText(QPointF(0, title.height() + pixelsOfPoints(3)
                                            + QFontMetricsF(noteFont(), painter.device()).ascent()),
                             QStringLiteral("Una riga per voce, nell'ordine dell'inventario; per le voci non stimate "
                                            "il motivo al posto delle distanze."));
            top = m_titleHeight;
        }
        const qreal headingTop = top;
        const qreal headingHeight = m_heading[0].height + m_heading[1].height;
        painter.fillRect(QRectF(0, top, m_columnLeft.back(), headingHeight), QColor(0xE4, 0xE4, 0xE4));
        paintRow(painter, m_heading[0], top, m_heading[1].height);
        paintRow(painter, m_heading[1], top + m_heading[0].height, 0);
        top = headingTop + headingHeight;
        const std::size_t end = page + 1 < pageCount() ? m_pageStarts[std::size_t(page) + 1] : m_rows.size();
        for (std::size_t index = m_pageStarts[std::size_t(page)]; index < end; ++index) {
            paintRow(painter, m_rows[index], top, 0);
            top += m_rows[index].height;
        }
    }

private:
    struct Cell
    {
        QString text;
        QFont font;
        QColor colour;
        int firstColumn = 0;
        int columns = 1;
        int rows = 1; // a heading cell may span both heading rows
    };
    struct Row
    {
        std::vector<Cell> cells;
        qreal height = 0;
    };

    static QFont titleFont() { return textFont(14, true); }
    static QFont noteFont() { return textFont(9); }

    [[nodiscard]] QRectF textRect(const Cell &cell, qreal top, qreal height) const
    {
        const qreal left = m_columnLeft[std::size_t(cell.firstColumn)];
        const qreal right = m_columnLeft[std::size_t(cell.firstColumn + cell.columns)];
        return QRectF(left, top, right - left, height);
    }

    [[nodiscard]] qreal textHeight(QPaintDevice &device, const Cell &cell) const
    {
        const QRectF room = textRect(cell, 0, 1e6).adjusted(m_padding, m_padding, -m_padding, -m_padding);
        return QFontMetricsF(cell.font, &device).boundingRect(room, kCellFlags, cell.text).height() + 2 * m_padding;
    }

    void measure(QPaintDevice &device, Row &row) const
    {
        for (const Cell &cell : row.cells)
            if (cell.rows == 1)
                row.height = std::max(row.height, textHeight(device, cell));
    }

    [[nodiscard]] qreal tallestSpanning(QPaintDevice &device) const
    {
        qreal tallest = 0;
        for (const Cell &cell : m_heading[0].cells)
            if (cell.rows == 2)
                tallest = std::max(tallest, textHeight(device, cell));
        return tallest;
    }

    [[nodiscard]] Row itemRow(QPaintDevice &device, const ItemOutcome &outcome) const
    {
        Row row;
        const QStringList cells = itemCells(outcome);
        for (int column = 0; column < kItemColumns; ++column)
            row.cells.push_back({cells[column], column == 0 ? m_bold : m_plain, Qt::black, column, 1, 1});
        if (!outcome.estimate) {
            row.cells.push_back({failureText(outcome), m_plain, QColor(0xA0, 0x10, 0x10), kItemColumns,
                                 int(kDistanceSlots), 1});
        } else {
            for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
                row.cells.push_back({distanceText(outcome.estimate->distances[slot], slot).trimmed(), m_plain,
                                     Qt::black, kItemColumns + int(slot), 1, 1});
        }
        measure(device, row);
        return row;
    }

    // `below`: the height of the row under this one, for cells that span it too.
    void paintRow(QPainter &painter, const Row &row, qreal top, qreal below) const
    {
        for (const Cell &cell : row.cells) {
            const QRectF rect = textRect(cell, top, row.height + (cell.rows == 2 ? below : 0));
            painter.setPen(QPen(Qt::gray, pixelsOfPoints(0.5)));
            painter.drawRect(rect);
            painter.setPen(cell.colour);
            painter.setFont(cell.font);
            painter.drawText(rect.adjusted(m_padding, m_padding, -m_padding, -m_padding), kCellFlags, cell.text);
        }
    }

    static constexpr int kCellFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const qreal m_padding;
    const QFont m_plain = textFont(7);
    const QFont m_bold = textFont(7, true);
    std::vector<qreal> m_columnLeft; // the left edge of each column, then the table's right edge
    std::array<Row, 2> m_heading;
    std::vector<Row> m_rows;
    qreal m_titleHeight = 0;
    std::vector<std::size_t> m_pageStarts; // the first item row of each page
};

// One estimated item's report as the report file has it, in fixed-pitch lines under a heading: drawn
// straight on its pages, which for a thousand items is many times quicker than a laid-out document.
struct ReportPages
{
    QString heading;
    QStringList lines;
    QFont headingFont = textFont(14, true);
    QFont lineFont = fixedFont(9);

    // How many lines fit below the heading on the first page, and on each page after it.
    [[nodiscard]] std::pair<int, int> linesPerPage(QPaintDevice &device) const
    {
        const qreal height = bodySize(Orientation::Portrait).height();
        const qreal spacing = QFontMetricsF(lineFont, &device).lineSpacing();
        const qreal below = QFontMetricsF(headingFont, &device).height() + pixelsOfPoints(10);
        return {std::max(1, int((height - below) / spacing)), std::max(1, int(height / spacing))};
    }
    [[nodiscard]] int pageCount(QPaintDevice &device) const
    {
        const auto [first, other] = linesPerPage(device);
        return 1 + (std::max(0, int(lines.size()) - first) + other - 1) / other;
    }
};

ReportPages itemReport(const ItemOutcome &outcome)
{
    return {QStringLiteral("Voce %1 (riga %2)").arg(outcome.item.id).arg(outcome.item.row),
            reportFileLines(*outcome.estimate)};
}

Section failedItems(QPdfWriter &writer, const SiteRun &run)
{
    Section section = newSection(writer, Orientation::Portrait);
    QTextCursor cursor(section.document.get());
    addParagraph(cursor, QStringLiteral("Voci non stimate"), charFormat(textFont(14, true)), spacedBlock(10));
    for (const ItemOutcome &outcome : run.items) {
        if (outcome.estimated())
            continue;
        addParagraph(cursor, QStringLiteral("riga %1 (%2): ").arg(outcome.item.row).arg(outcome.item.id),
                     charFormat(textFont(10, true)), spacedBlock(4));
        cursor.insertText(failureText(outcome), charFormat(textFont(10)));
    }
    return section;
}

QString peopleText(double people)
{
    return QLocale(QLocale::Italian, QLocale::Italy)
        .toString(people, 'f', std::abs(people - std::round(people)) < 1e-9 ? 0 : 1);
}

// One zone of the site on pages of its own: the totals, then its elements nearest first, each with the
// nearest item that reaches it there. The table's heading repeats on every page.
Section zonePages(QPdfWriter &writer, const SiteElements &site, elements::PlanZone zone,
                  const elements::ZoneReach &reach)
{
    Section section = newSection(writer, Orientation::Portrait);
    QTextCursor cursor(section.document.get());
    QString title = elements::zoneName(zone);
    title[0] = title[0].toUpper();
    addParagraph(cursor,
                 QStringLiteral("%1 (soglia %2): elementi vulnerabili").arg(title).arg(elements::zoneThreshold(zone)),
                 charFormat(textFont(14, true)), spacedBlock(10));
    addFacts(cursor,
             {{QStringLiteral("Elementi"), QString::number(reach.elements.size())},
              {QStringLiteral("Persone"), peopleText(reach.people)},
              {QStringLiteral("Persone non note"),
                       reach.peopleUnknown == 1 ? QStringLiteral("1 elemento")
                                                : QStringLiteral("%1 elementi").arg(reach.peopleUnknown)}});
    if (reach.elements.empty()) {
        addParagraph(cursor, QStringLiteral("Nessun elemento dello strato in questa zona."), charFormat(textFont(10)),
                     spacedBlock(4));
        return section;
    }
    addParagraph(cursor, QString(), charFormat(textFont(4)));
    QTextTableFormat format;
    format.setBorder(0.5);
    format.setBorderBrush(Qt::gray);
    format.setBorderCollapse(true);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setHeaderRowCount(1);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> widths;
    for (const qreal percent : {34.0, 10.0, 18.0, 10.0, 13.0, 15.0})
        widths << QTextLength(QTextLength::PercentageLength, percent);
    format.setColumnWidthConstraints(widths);
    QTextTable *table = cursor.insertTable(int(reach.elements.size()) + 1, 6, format);
    const QStringList heading{QStringLiteral("Nome"),         QStringLiteral("Categoria"),
                              QStringLiteral("Tipo"),         QStringLiteral("Persone"),
                              QStringLiteral("Distanza (m)"), QStringLiteral("Voce più vicina")};
    QTextTableCellFormat shaded;
    shaded.setBackground(QColor(0xE4, 0xE4, 0xE4));
    for (int column = 0; column < heading.size(); ++column) {
        table->cellAt(0, column).setFormat(shaded);
        table->cellAt(0, column).firstCursorPosition().insertText(heading[column], charFormat(textFont(8, true)));
    }
    for (int row = 0; row < int(reach.elements.size()); ++row) {
        const elements::ElementReach &element = reach.elements[std::size_t(row)];
        const elements::VulnerableElement &known = site.layer.elements[element.element];
        const QStringList cells{known.name,
                                known.category,
                                known.type,
                                known.people ? peopleText(*known.people) : QStringLiteral("non note"),
                                QString::number(std::round(element.distance_m), 'f', 0),
                                site.sourceIds[element.source]};
        for (int column = 0; column < cells.size(); ++column)
            table->cellAt(row + 1, column).firstCursorPosition().insertText(cells[column], charFormat(textFont(8)));
    }
    cursor.movePosition(QTextCursor::End);
    return section;
}

// Draws the sections and the map page by page, each page numbered at its foot.
class PageWriter
{
public:
    PageWriter(QPdfWriter &writer, QPainter &painter, int pageCount, QString footer)
        : m_writer(writer)
        , m_painter(painter)
        , m_pageCount(pageCount)
        , m_footer(std::move(footer))
    { }

    void paintSection(const Section &section)
    {
        QTextDocument &document = *section.document;
        const qreal height = document.pageSize().height();
        for (int page = 0; page < document.pageCount(); ++page) {
            startPage(section.orientation);
            m_painter.save();
            m_painter.translate(0, -page * height);
            document.drawContents(&m_painter, QRectF(QPointF(0, page * height), document.pageSize()));
            m_painter.restore();
        }
    }

    void paintTable(const ItemTable &table)
    {
        for (int page = 0; page < table.pageCount(); ++page) {
            startPage(Orientation::Landscape);
            m_painter.save();
            table.paint(m_painter, page);
            m_painter.restore();
        }
    }

    void paintReport(const ReportPages &report)
    {
        const auto [first, other] = report.linesPerPage(m_writer);
        const QFontMetricsF heading(report.headingFont, &m_writer), line(report.lineFont, &m_writer);
        startPage(Orientation::Portrait);
        m_painter.setFont(report.headingFont);
        m_painter.drawText(QPointF(0, heading.ascent()), report.heading);
        qreal top = heading.height() + pixelsOfPoints(10);
        int room = first;
        m_painter.setFont(report.lineFont);
        for (const QString &text : report.lines) {
            if (room-- == 0) {
                startPage(Orientation::Portrait);
                top = 0;
                room = other - 1;
            }
            m_painter.drawText(QPointF(0, top + line.ascent()), text);
            top += line.lineSpacing();
        }
    }

    // The map fitted below its heading, its aspect kept, on a page turned as the map is.
    void paintMap(const QImage &map, const QString &mapFile)
    {
        const Orientation orientation = map.width() > map.height() ? Orientation::Landscape : Orientation::Portrait;
        startPage(orientation);
        const QSizeF body = bodySize(orientation);
        m_painter.setFont(textFont(14, true));
        QRectF heading;
        const QString title
            = mapFile.isEmpty() ? QStringLiteral("Mappa del sito") : QStringLiteral("Mappa del sito: %1").arg(mapFile);
        m_painter.drawText(QRectF(QPointF(0, 0), body), Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, title,
                           &heading);
        const qreal top = heading.bottom() + pixelsOfPoints(10);
        const QSizeF fitted = QSizeF(map.size()).scaled(QSizeF(body.width(), body.height() - top), Qt::KeepAspectRatio);
        m_painter.drawImage(QRectF(QPointF((body.width() - fitted.width()) / 2, top), fitted), map);
    }

private:
    void startPage(Orientation orientation)
    {
        if (m_pageNumber > 0) {
            m_writer.setPageOrientation(orientation);
            m_writer.newPage();
        }
        ++m_pageNumber;
        paintFooter(orientation);
    }

    void paintFooter(Orientation orientation)
    {
        const QSizeF body = bodySize(orientation);
        const QRectF foot(0, body.height(), body.width(), pixelsOfPoints(kFooterPoints));
        m_painter.save();
        m_painter.setFont(textFont(7));
        m_painter.setPen(Qt::darkGray);
        m_painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, m_footer);
        m_painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                           QStringLiteral("pagina %1 di %2").arg(m_pageNumber).arg(m_pageCount));
        m_painter.restore();
    }

    QPdfWriter &m_writer;
    QPainter &m_painter;
    const int m_pageCount;
    const QString m_footer;
    int m_pageNumber = 0;
};

Error notMade(const SiteRun &run, const QString &why)
{
    Error error = siteError(Error::Kind::SiteSummaryNotMade);
    error.file = run.inventoryFile;
    error.detail = why;
    return error;
}

} // namespace

Outcome<QByteArray> summaryPdf(const SiteRun &run, const QImage &siteMap)
{
    if (!qobject_cast<QGuiApplication *>(QCoreApplication::instance()))
        return notMade(run, QStringLiteral("i caratteri del PDF richiedono un'applicazione grafica"));

    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(kResolution);
    writer.setPageLayout(pageLayout(Orientation::Portrait)); // the title page
    writer.setTitle(kTitle + QStringLiteral(" ") + fileNameOf(run.inventoryFile));
    writer.setCreator(QStringLiteral("ZEFRO ") + run.programVersion);

    const Section title = titlePage(writer, run, !siteMap.isNull());
    const ItemTable table(writer, run);
    std::vector<ReportPages> reports;
    for (const ItemOutcome &outcome : run.items)
        if (outcome.estimated())
            reports.push_back(itemReport(outcome));
    std::optional<Section> failed;
    if (run.failedCount() > 0)
        failed = failedItems(writer, run);
    std::vector<Section> zones;
    if (run.elements) {
        for (const elements::PlanZone zone : elements::kPlanZones)
            if (const auto &reach = run.elements->reached.zones[std::size_t(zone)])
                zones.push_back(zonePages(writer, *run.elements, zone, *reach));
    }
    int pageCount = (siteMap.isNull() ? 0 : 1) + title.document->pageCount() + table.pageCount()
        + (failed ? failed->document->pageCount() : 0);
    for (const Section &zone : zones)
        pageCount += zone.document->pageCount();
    for (const ReportPages &report : reports)
        pageCount += report.pageCount(writer);

    QPainter painter;
    if (!painter.begin(&writer))
        return notMade(run, QStringLiteral("non è stato possibile iniziare il disegno del PDF"));
    PageWriter pages(writer, painter, pageCount, kTitle + QStringLiteral(" – ") + fileNameOf(run.inventoryFile));
    pages.paintSection(title);
    pages.paintTable(table);
    for (const ReportPages &report : reports)
        pages.paintReport(report);
    if (failed)
        pages.paintSection(*failed);
    for (const Section &zone : zones)
        pages.paintSection(zone);
    if (!siteMap.isNull())
        pages.paintMap(siteMap, run.mapFile);
    if (!painter.end() || buffer.data().isEmpty())
        return notMade(run, QStringLiteral("il PDF risultante è vuoto"));
    return buffer.data();
}

} // namespace site
