#include "site/SummaryPdf.h"

#include "estimate/Report.h"
#include "site/SiteErrors.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QLocale>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextTable>

#include <memory>
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

void setCell(QTextTable &table, int row, int column, const QString &text, const QTextCharFormat &format)
{
    table.cellAt(row, column).firstCursorPosition().insertText(text, format);
}

// Two heading rows: the item's columns span both, the distances sit under their weather.
void fillTableHeading(QTextTable &table)
{
    const QStringList names{QStringLiteral("Id"),      QStringLiteral("Sostanza"),   QStringLiteral("Classe"),
                            QStringLiteral("Ipotesi"), QStringLiteral("Detenzione"), QStringLiteral("Range"),
                            QStringLiteral("Scenario")};
    const QTextCharFormat bold = charFormat(textFont(7, true));
    for (int column = 0; column < kItemColumns; ++column) {
        table.mergeCells(0, column, 2, 1);
        setCell(table, 0, column, names[column], bold);
    }
    for (const int first : {kItemColumns, kItemColumns + 4}) {
        table.mergeCells(0, first, 1, 4);
        setCell(table, 0, first, QStringLiteral("Distanze di danno, meteo %1").arg(first == kItemColumns ? "D5" : "F2"),
                bold);
    }
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        setCell(table, 1, kItemColumns + int(slot), QStringLiteral("Soglia %1").arg(thresholdOf(slot)), bold);
    QTextTableCellFormat shaded;
    shaded.setBackground(QColor(0xE4, 0xE4, 0xE4));
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < table.columns(); ++column)
            table.cellAt(row, column).setFormat(shaded);
}

void fillItemRow(QTextTable &table, int row, const ItemOutcome &outcome)
{
    const QTextCharFormat plain = charFormat(textFont(7));
    const QStringList cells = itemCells(outcome);
    for (int column = 0; column < kItemColumns; ++column)
        setCell(table, row, column, cells[column], column == 0 ? charFormat(textFont(7, true)) : plain);
    if (!outcome.estimate) {
        table.mergeCells(row, kItemColumns, 1, int(kDistanceSlots));
        setCell(table, row, kItemColumns, failureText(outcome), charFormat(textFont(7), QColor(0xA0, 0x10, 0x10)));
        return;
    }
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        setCell(table, row, kItemColumns + int(slot), distanceText(outcome.estimate->distances[slot], slot).trimmed(),
                plain);
}

// Landscape: the fifteen columns do not fit a portrait page at a readable size.
Section itemTable(QPdfWriter &writer, const SiteRun &run)
{
    Section section = newSection(writer, Orientation::Landscape);
    QTextCursor cursor(section.document.get());
    addParagraph(cursor, QStringLiteral("Elenco delle voci"), charFormat(textFont(14, true)), spacedBlock(3));
    addParagraph(cursor,
                 QStringLiteral("Una riga per voce, nell'ordine dell'inventario; per le voci non stimate il motivo "
                                "al posto delle distanze."),
                 charFormat(textFont(9), Qt::darkGray), spacedBlock(6));

    QTextTableFormat format;
    format.setHeaderRowCount(2);
    format.setBorder(1);
    format.setBorderBrush(Qt::gray);
    format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
    format.setBorderCollapse(true);
    format.setCellPadding(2);
    format.setCellSpacing(0);
    format.setWidth(QTextLength(QTextLength::PercentageLength, 100));
    QList<QTextLength> widths;
    // The distances take half the width: "applicabile" and "10000 > m" fit on a line of their own.
    for (const qreal percent : {6.0, 10.0, 4.5, 6.0, 11.5, 6.0, 6.0})
        widths << QTextLength(QTextLength::PercentageLength, percent);
    for (std::size_t slot = 0; slot < kDistanceSlots; ++slot)
        widths << QTextLength(QTextLength::PercentageLength, 50.0 / kDistanceSlots);
    format.setColumnWidthConstraints(widths);

    cursor.beginEditBlock(); // laid out once filled, not after every cell
    QTextTable *table = cursor.insertTable(2 + int(run.items.size()), kItemColumns + int(kDistanceSlots), format);
    fillTableHeading(*table);
    for (std::size_t index = 0; index < run.items.size(); ++index)
        fillItemRow(*table, 2 + int(index), run.items[index]);
    cursor.endEditBlock();
    return section;
}

Section itemPage(QPdfWriter &writer, const ItemOutcome &outcome)
{
    Section section = newSection(writer, Orientation::Portrait);
    QTextCursor cursor(section.document.get());
    addParagraph(cursor, QStringLiteral("Voce %1 (riga %2)").arg(outcome.item.id).arg(outcome.item.row),
                 charFormat(textFont(14, true)), spacedBlock(10));
    const QTextCharFormat fixed = charFormat(fixedFont(9));
    for (const QString &line : reportFileLines(*outcome.estimate))
        addParagraph(cursor, line, fixed);
    return section;
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

    std::vector<Section> sections;
    sections.push_back(titlePage(writer, run, !siteMap.isNull()));
    sections.push_back(itemTable(writer, run));
    for (const ItemOutcome &outcome : run.items)
        if (outcome.estimated())
            sections.push_back(itemPage(writer, outcome));
    if (run.failedCount() > 0)
        sections.push_back(failedItems(writer, run));
    int pageCount = siteMap.isNull() ? 0 : 1;
    for (const Section &section : sections)
        pageCount += section.document->pageCount();

    QPainter painter;
    if (!painter.begin(&writer))
        return notMade(run, QStringLiteral("non è stato possibile iniziare il disegno del PDF"));
    PageWriter pages(writer, painter, pageCount, kTitle + QStringLiteral(" – ") + fileNameOf(run.inventoryFile));
    for (const Section &section : sections)
        pages.paintSection(section);
    if (!siteMap.isNull())
        pages.paintMap(siteMap, run.mapFile);
    if (!painter.end() || buffer.data().isEmpty())
        return notMade(run, QStringLiteral("il PDF risultante è vuoto"));
    return buffer.data();
}

} // namespace site
