// The six help documents generated at build time, read back with poppler's pdfinfo and pdftotext.
#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "xls/XlsWorkbook.h"

#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

namespace {

// What pdfinfo says of a document, or its text by pdftotext (one table row per line); empty when the tool fails.
QString read(const char *tool, const QString &name)
{
    QProcess process;
    const QString path = QStringLiteral(ZEFRO_DOCUMENTS_DIR "/") + name + ".pdf";
    process.start(tool, tool == QLatin1String("pdfinfo") ? QStringList{path} : QStringList{"-layout", path, "-"});
    const bool ok
        = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return ok ? QString::fromUtf8(process.readAllStandardOutput()).normalized(QString::NormalizationForm_KC)
              : QString();
}

QString escaped(const QString &text)
{
    return QRegularExpression::escape(text);
}

} // namespace

class DocumentsTest : public QObject
{
    Q_OBJECT

private slots:
    void documents_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minimumPages");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("sequence");
        QTest::addColumn<QStringList>("phrases"); // lines found in this order; phrases
        // Their count, then number, name and CAS number of every substance on one row.
        QStringList catalogue{QString::number(Catalogue::substances().size()) + " sostanze"};
        for (const Substance &s : Catalogue::substances())
            catalogue << QStringLiteral("^\\s*%1\\s+%2\\s+%3\\s*$")
                             .arg(catalogue.size())
                             .arg(escaped(s.name), escaped(s.cas));
        // Each class heading in class order, then every CAS number its table lists, in table order.
        QStringList byClass;
        for (const HazardClass &c : hazardClasses()) {
            byClass << "Classe " + c.listCode + ' ';
            const Outcome<WorkbookHandle> book
                = openXlsWorkbook(QStringLiteral(ZEFRO_CLASS_WORKBOOKS "/") + c.workbookFile, c.workbookFile);
            if (!book.ok()) // a pattern that fails the test with the reason
                byClass << escaped(book.error().message());
            for (int row = c.firstRow; book.ok() && row <= c.lastRow; ++row) {
                const Outcome<CellValue> cas = book.value()->readCell(c.worksheet, c.casColumn + QString::number(row));
                if (!cas.ok() || cas.value().isText())
                    byClass << "\\s" + escaped(cas.ok() ? cas.value().toText() : cas.error().message()) + "(\\s|$)";
            }
        }
        QTest::newRow("introduzione") << "ms_hlp" << 2 << "Introduzione al metodo Quillaro" << QStringList()
                                      << QStringList();
        QTest::newRow("alfabetico") << "ms_hlp2" << 5 << "Lista delle sostanze in ordine alfabetico" << catalogue
                                    << QStringList();
        QTest::newRow("per classe") << "ms_hlp3" << 11 << "Lista delle sostanze suddivise per classe" << byClass
                                    << QStringList();
        QTest::newRow("manuale I") << "ms_hlp4" << 3 << "Manuale Utente, Parte I" << QStringList() << QStringList();
        QTest::newRow("manuale II") << "ms_hlp5" << 2 << "Manuale Utente, Parte II" << QStringList() << QStringList();
        QTest::newRow("soglie")
            << "ms_hlp6" << 3 << "Soglie di danno, classi e scenari incidentali" << QStringList()
            << QStringList{"non valori ufficiali", "D5",        "F2",       "Pool Fire", "Flash Fire", "VCE",
                           "Nube Tossica",         "12,5 kW/m", "0,14 bar", "LC50",      "IDLH",       "10001"};
    }
    void documents()
    {
        QFETCH(QString, name);
        QFETCH(int, minimumPages);
        QFETCH(QString, title);
        QFETCH(QStringList, sequence);
        QFETCH(QStringList, phrases);
        const QString info = read("pdfinfo", name), text = read("pdftotext", name);
        const QRegularExpressionMatch pages
            = QRegularExpression("^Pages:\\s+(\\d+)$", QRegularExpression::MultilineOption).match(info);
        QVERIFY2(pages.hasMatch() && pages.captured(1).toInt() >= minimumPages, qPrintable(name + '\n' + info));
        QVERIFY2(info.contains(QRegularExpression("^Title:\\s+ZEFRO - " + escaped(title) + "$",
                                                  QRegularExpression::MultilineOption)),
                 qPrintable(info));
        qsizetype at = 0;
        for (const QString &pattern : sequence) {
            const QRegularExpressionMatch found
                = QRegularExpression(pattern, QRegularExpression::MultilineOption).match(text, at);
            QVERIFY2(found.hasMatch(), qPrintable(pattern));
            at = found.capturedEnd();
        }
        for (const QString &phrase : phrases)
            QVERIFY2(text.simplified().contains(phrase), qPrintable(phrase));
        const QRegularExpressionMatch product
            = QRegularExpression(
                  "\\b(excel|acrobat|adobe|microsoft|windows|linux|debian|libreoffice|openoffice|notepad|"
                  "blocco note|qt|poppler|freexl|xdg)\\b",
                  QRegularExpression::CaseInsensitiveOption)
                  .match(text.simplified());
        QVERIFY2(!text.isEmpty() && !product.hasMatch(), qPrintable(product.captured(0)));
    }
};

QTEST_GUILESS_MAIN(DocumentsTest)
#include "test_documents.moc"
