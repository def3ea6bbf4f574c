#include "DocumentTables.h"

#include "catalogue/Catalogue.h"
#include "catalogue/HazardClass.h"
#include "xls/XlsWorkbook.h"

#include <QDir>

namespace {

QString cellText(const CellValue &value)
{
    if (value.isText())
        return value.toText();
    if (value.isNumber())
        return QString::number(value.toNumber(), 'g', 12);
    return {};
}

QString row(const QStringList &cells)
{
    QString html = QStringLiteral("<tr>");
    for (const QString &cell : cells)
        html += QStringLiteral("<td>%1</td>").arg(cell.toHtmlEscaped());
    return html + QStringLiteral("</tr>\n");
}

// A heading row, repeated at the top of every page the table runs onto; widths are percentages of
// the page width, one per column.
QString headingRow(const QStringList &cells, const QList<int> &widths)
{
    QString html = QStringLiteral("<thead><tr>");
    for (qsizetype i = 0; i < cells.size(); ++i)
        html += QStringLiteral("<th width=\"%1%\">%2</th>").arg(widths.value(i)).arg(cells.at(i).toHtmlEscaped());
    return html + QStringLiteral("</tr></thead>\n");
}

QString tableStart()
{
    return QStringLiteral("<table border=\"1\" cellspacing=\"0\" cellpadding=\"2\" width=\"100%\" "
                          "style=\"border-color: #8899aa; border-style: solid; border-collapse: collapse; "
                          "font-size: 9pt;\">\n");
}

// The class-list entry without its list code: "Liquidi tossici" for "4 Liquidi tossici".
QString description(const HazardClass &hazardClass)
{
    return hazardClass.listEntry.mid(hazardClass.listCode.size()).trimmed();
}

// How reports name the class: "1.1.1" for a flammable class; a toxic class by its sub-classes,
// "4.1 ... 4.6" for class 4, "5.2.1 ... 5.2.6" for class 52.
QString reportLabel(const HazardClass &hazardClass)
{
    if (!hazardClass.isToxic())
        return hazardClass.dottedLabel();
    QString family = hazardClass.listCode.left(1);
    if (hazardClass.listCode.size() > 1)
        family += QLatin1Char('.') + hazardClass.listCode.mid(1);
    return QStringLiteral("%1.1 ... %1.6").arg(family);
}

} // namespace

namespace DocumentTables {

QString substancesAlphabetical()
{
    QString html = tableStart();
    html += headingRow({QStringLiteral("N."), QStringLiteral("Sostanza"), QStringLiteral("CAS")}, {8, 67, 25});
    int number = 0;
    for (const Substance &substance : Catalogue::substances())
        html += row({QString::number(++number), substance.name, substance.cas});
    return html + QStringLiteral("</table>\n");
}

QString classList()
{
    QString html = tableStart();
    html += headingRow({QStringLiteral("Codice"), QStringLiteral("Nei report"), QStringLiteral("Descrizione"),
                        QStringLiteral("Tipo"), QStringLiteral("Tabella dati")},
                       {10, 15, 36, 17, 22});
    for (const HazardClass &hazardClass : hazardClasses()) {
        const QString kind = QStringLiteral("%1, %2").arg(
            hazardClass.isToxic() ? QStringLiteral("tossica") : QStringLiteral("infiammabile"),
            hazardClass.gas ? QStringLiteral("gas") : QStringLiteral("liquido"));
        html += row(
            {hazardClass.listCode, reportLabel(hazardClass), description(hazardClass), kind, hazardClass.workbookFile});
    }
    return html + QStringLiteral("</table>\n");
}

QString substancesByClass(const QString &workbookFolder, QString *error)
{
    QString html;
    bool first = true;
    for (const HazardClass &hazardClass : hazardClasses()) {
        const QString localPath = QDir(workbookFolder).filePath(hazardClass.workbookFile);
        const Outcome<WorkbookHandle> opened = openXlsWorkbook(localPath, kDataFolder + hazardClass.workbookFile);
        if (!opened.ok()) {
            if (error)
                *error = opened.error().message();
            return {};
        }
        const WorkbookHandle &workbook = opened.value();

        html += QStringLiteral("<h2%1>Classe %2 &ndash; %3</h2>\n")
                    .arg(first ? QString() : QStringLiteral(" style=\"page-break-before: always;\""),
                         hazardClass.listCode.toHtmlEscaped(), description(hazardClass).toHtmlEscaped());
        first = false;
        html += QStringLiteral("<p>Tabella: %1, foglio %2, righe %3&ndash;%4.</p>\n")
                    .arg(hazardClass.workbookFile.toHtmlEscaped())
                    .arg(hazardClass.worksheet)
                    .arg(hazardClass.firstRow)
                    .arg(hazardClass.lastRow);

        const QString nameColumn = QStringLiteral("B");
        QString table = tableStart();
        table += hazardClass.isToxic()
            ? headingRow(
                {QStringLiteral("N."), QStringLiteral("Sostanza"), QStringLiteral("CAS"), QStringLiteral("Zona")},
                {8, 57, 23, 12})
            : headingRow({QStringLiteral("N."), QStringLiteral("Sostanza"), QStringLiteral("CAS")}, {8, 67, 25});
        int count = 0;
        for (int rowNumber = hazardClass.firstRow; rowNumber <= hazardClass.lastRow; ++rowNumber) {
            const QString number = QString::number(rowNumber);
            const Outcome<CellValue> cas = workbook->readCell(hazardClass.worksheet, hazardClass.casColumn + number);
            const Outcome<CellValue> name = workbook->readCell(hazardClass.worksheet, nameColumn + number);
            if (!cas.ok() || !name.ok()) {
                if (error)
                    *error = (!cas.ok() ? cas.error() : name.error()).message();
                return {};
            }
            if (cas.value().isEmpty() && name.value().isEmpty())
                continue;
            QStringList cells{QString::number(++count), cellText(name.value()), cellText(cas.value())};
            if (hazardClass.isToxic()) {
                const Outcome<CellValue> zone
                    = workbook->readCell(hazardClass.worksheet, hazardClass.zoneColumn + number);
                cells << (zone.ok() ? cellText(zone.value()) : QString());
            }
            table += row(cells);
        }
        table += QStringLiteral("</table>\n");
        html += count == 0 ? QStringLiteral("<p>Nessuna sostanza elencata.</p>\n") : table;
    }
    return html;
}

} // namespace DocumentTables
