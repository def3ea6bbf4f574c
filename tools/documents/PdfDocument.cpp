#include "PdfDocument.h"

#include <QFile>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTextDocument>

namespace {

constexpr int kResolution = 300; // dots per inch of the PDF's page coordinates

} // namespace

QString writePdfDocument(const QString &path, const QString &title, const QString &html)
{
    QFile::remove(path);
    QPdfWriter writer(path);
    writer.setResolution(kResolution);
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("ZEFRO"));
    writer.setPageLayout(
        QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait, QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter));

    QTextDocument document;
    QFont font(QStringLiteral("DejaVu Sans"), 10);
    font.setStyleHint(QFont::SansSerif);
    // No ligatures: a search for "fluoruro" in the PDF must find the plain letters.
    font.setStyleStrategy(QFont::PreferNoShaping);
    document.setDefaultFont(font);
    document.setDefaultStyleSheet(QStringLiteral("h1 { font-size: 18pt; color: #1f3b63; }"
                                                 "h2 { font-size: 13pt; color: #1f3b63; }"
                                                 "h3 { font-size: 11pt; color: #1f3b63; }"
                                                 "th { background-color: #dfe6ef; }"
                                                 "p.note { color: #7a1f1f; }"
                                                 "p.small { font-size: 8pt; color: #555555; }"));
    document.setHtml(html);

    // Without a page size of its own the document is laid out on the writer's pages, inside a margin
    // of 2 cm that it keeps itself (hence no margins on the writer), and gets its page numbers at the foot.
    QPainter painter;
    if (!painter.begin(&writer))
        return QStringLiteral("cannot write %1").arg(path);
    painter.end();
    document.print(&writer);
    if (!QFile::exists(path))
        return QStringLiteral("nothing written to %1").arg(path);
    return {};
}
