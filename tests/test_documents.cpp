#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "estimate/XlsWorkbook.h"

#include <QDir>
#include <QProcess>
#include <QRegularExpression>
#include <QtTest>

#ifndef ZEFRO_DOCUMENTS_DIR
#error "the build passes the folder of the generated documents"
#endif

namespace {

const QString kDocumentsDir = QStringLiteral(ZEFRO_DOCUMENTS_DIR);
const QString kWorkbooksDir = QStringLiteral(ZEFRO_CLASS_WORKBOOKS);

QString documentPath(const QString &name)
{
    return QDir(kDocumentsDir).filePath(name + QStringLiteral(".pdf"));
}

// Runs a poppler tool and returns its standard output; fails the test when it cannot run.
QString run(const QString &program, const QStringList &arguments, bool *ok)
{
    QProcess process;
    process.start(program, arguments);
    *ok = process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text of a document, one table row per line, with ligatures written out.
QString documentText(const QString &name, bool *ok)
{
    return run(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), documentPath(name), QStringLiteral("-")}, ok)
        .normalized(QString::NormalizationForm_KC);
}

} // namespace

class DocumentsTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        if (QStandardPaths::findExecutable(QStringLiteral("pdfinfo")).isEmpty()
            || QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty())
            QFAIL("pdfinfo and pdftotext (poppler-utils, see scripts/setup.sh) are needed");
    }

    void documentsAreValidPdf_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("minimumPages");
        QTest::addColumn<QString>("title");
        QTest::newRow("introduzione") << "ms_hlp" << 2 << "Introduzione al metodo Quillaro";
        QTest::newRow("alfabetico") << "ms_hlp2" << 5 << "Lista delle sostanze in ordine alfabetico";
        QTest::newRow("per classe") << "ms_hlp3" << 11 << "Lista delle sostanze suddivise per classe";
        QTest::newRow("manuale I") << "ms_hlp4" << 3 << "Manuale Utente, Parte I";
        QTest::newRow("manuale II") << "ms_hlp5" << 2 << "Manuale Utente, Parte II";
        QTest::newRow("soglie") << "ms_hlp6" << 3 << "Soglie di danno, classi e scenari incidentali";
    }
    void documentsAreValidPdf()
    {
        QFETCH(QString, name);
        QFETCH(int, minimumPages);
        QFETCH(QString, title);
        QVERIFY2(QFileInfo::exists(documentPath(name)), qPrintable(documentPath(name)));

        bool ok = false;
        const QString info = run(QStringLiteral("pdfinfo"), {documentPath(name)}, &ok);
        QVERIFY2(ok, qPrintable(info));
        const QRegularExpressionMatch pages =
            QRegularExpression(QStringLiteral("^Pages:\\s+(\\d+)$"), QRegularExpression::MultilineOption).match(info);
        QVERIFY2(pages.hasMatch(), qPrintable(info));
        QVERIFY2(pages.captured(1).toInt() >= minimumPages, qPrintable(info));
        QVERIFY2(info.contains(QStringLiteral("Title:") ) && info.contains(title), qPrintable(info));

        // The last page is readable too: the file is complete.
        const QString lastPage = run(QStringLiteral("pdftotext"),
                                     {QStringLiteral("-f"), pages.captured(1), QStringLiteral("-l"), pages.captured(1),
                                      documentPath(name), QStringLiteral("-")},
                                     &ok);
        QVERIFY(ok);
        QVERIFY(!lastPage.trimmed().isEmpty());
    }

    void alphabeticalListHoldsTheWholeCatalogue()
    {
        bool ok = false;
        const QString text = documentText(QStringLiteral("ms_hlp2"), &ok);
        QVERIFY(ok);
        int number = 0;
        for (const Substance &substance : Catalogue::substances()) {
            ++number;
            // Number, name and CAS number on one row of the table.
            const QRegularExpression rowPattern(QStringLiteral("^\\s*%1\\s+%2\\s+%3\\s*$")
                                                    .arg(number)
                                                    .arg(QRegularExpression::escape(substance.name),
                                                         QRegularExpression::escape(substance.cas)),
                                                QRegularExpression::MultilineOption);
            QVERIFY2(rowPattern.match(text).hasMatch(), qPrintable(substance.name));
        }
        QCOMPARE(number, 253);
        QVERIFY(text.contains(QStringLiteral("253 sostanze")));
    }

    void classListFollowsTheClassWorkbooks()
    {
        bool ok = false;
        const QString text = documentText(QStringLiteral("ms_hlp3"), &ok);
        QVERIFY(ok);
        qsizetype previousHeading = -1;
        for (const HazardClass &hazardClass : hazardClasses()) {
            const qsizetype heading = text.indexOf(QStringLiteral("Classe %1 ").arg(hazardClass.listCode), previousHeading + 1);
            QVERIFY2(heading > previousHeading, qPrintable(hazardClass.listCode));
            previousHeading = heading;

            const Outcome<WorkbookHandle> workbook =
                openXlsWorkbook(QDir(kWorkbooksDir).filePath(hazardClass.workbookFile), hazardClass.workbookFile);
            QVERIFY2(workbook.ok(), qPrintable(hazardClass.workbookFile));
            int listed = 0;
            for (int row = hazardClass.firstRow; row <= hazardClass.lastRow; ++row) {
                const Outcome<CellValue> cas =
                    workbook.value()->readCell(hazardClass.worksheet, hazardClass.casColumn + QString::number(row));
                QVERIFY(cas.ok());
                if (!cas.value().isText())
                    continue;
                ++listed;
                QVERIFY2(QRegularExpression(QStringLiteral("\\s%1(\\s|$)").arg(QRegularExpression::escape(cas.value().toText())))
                             .match(text, heading)
                             .hasMatch(),
                         qPrintable(hazardClass.listCode + QLatin1Char(' ') + cas.value().toText()));
            }
            QVERIFY2(listed > 0, qPrintable(hazardClass.workbookFile));
        }
    }

    void thresholdDocumentSaysWhatTheTablesAre()
    {
        bool ok = false;
        const QString text = documentText(QStringLiteral("ms_hlp6"), &ok).simplified();
        QVERIFY(ok);
        for (const QString &expected :
             {QStringLiteral("non valori ufficiali"), QStringLiteral("D5"), QStringLiteral("F2"),
              QStringLiteral("Pool Fire"), QStringLiteral("Flash Fire"), QStringLiteral("VCE"),
              QStringLiteral("Nube Tossica"), QStringLiteral("12,5 kW/m"), QStringLiteral("0,14 bar"),
              QStringLiteral("LC50"), QStringLiteral("IDLH"), QStringLiteral("10001")})
            QVERIFY2(text.contains(expected), qPrintable(expected));
    }

    void documentsNameNoOtherSoftware_data()
    {
        QTest::addColumn<QString>("name");
        for (const char *name : {"ms_hlp", "ms_hlp2", "ms_hlp3", "ms_hlp4", "ms_hlp5", "ms_hlp6"})
            QTest::newRow(name) << QString::fromLatin1(name);
    }
    void documentsNameNoOtherSoftware()
    {
        QFETCH(QString, name);
        bool ok = false;
        const QString text = documentText(name, &ok);
        QVERIFY(ok);
        static const QRegularExpression products(
            QStringLiteral("\\b(excel|acrobat|adobe|microsoft|windows|linux|debian|libreoffice|openoffice|notepad|"
                           "blocco note|qt|poppler|freexl|xdg)\\b"),
            QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch found = products.match(text);
        QVERIFY2(!found.hasMatch(), qPrintable(found.captured(0)));
    }
};

QTEST_GUILESS_MAIN(DocumentsTest)
#include "test_documents.moc"
