#include "cli/DataTasks.h"

#include "catalogue/HazardClass.h"
#include "estimate/DataCheck.h"
#include "platform/DataSeal.h"
#include "xls/XlsWorkbookOpener.h"

#include <QDateTime>
#include <QDir>

namespace {

QString problems(std::size_t count)
{
    return count == 1 ? QStringLiteral("1 problema") : QStringLiteral("%1 problemi").arg(count);
}

// Each problem's message, a blank line between them.
QString listed(const std::vector<Error> &faults)
{
    QStringList messages;
    for (const Error &fault : faults)
        messages << fault.message();
    return messages.join(QStringLiteral("\n\n"));
}

// The seal's part of --check-data: its date and every workbook that differs from it.
DataTaskReport sealState(const QString &folder)
{
    const Outcome<std::optional<DataSeal::Seal>> seal = DataSeal::readSeal(folder);
    if (!seal.ok())
        return {{}, seal.error().message(), false};
    if (!seal.value())
        return {QStringLiteral("Le tabelle di dati in %1 non sono sigillate.\n").arg(folder), {}, true};
    const Outcome<std::vector<DataSeal::Breach>> breaches = DataSeal::checkFolder(folder, *seal.value());
    if (!breaches.ok())
        return {{}, breaches.error().message(), false};
    QString text = QStringLiteral("Sigillo %1 del %2: %3 tabelle sigillate")
                       .arg(QDir(folder).filePath(QLatin1String(DataSeal::kFileName)),
                            seal.value()->sealedAt.toString(QStringLiteral("dd/MM/yyyy HH:mm:ss")))
                       .arg(seal.value()->files.size());
    text += breaches.value().empty() ? QStringLiteral(", tutte conformi.\n") : QStringLiteral(".\n");
    for (const DataSeal::Breach &breach : breaches.value()) {
        static const QStringList kinds{QStringLiteral("modificata dopo il sigillo"),
                                       QStringLiteral("sigillata ma mancante"),
                                       QStringLiteral("aggiunta dopo il sigillo")};
        text += breach.name + QStringLiteral(": ") + kinds.at(int(breach.kind)) + QLatin1Char('\n');
    }
    return {text, {}, breaches.value().empty()};
}

} // namespace

DataTaskReport runDataTask(const DrivePaths &drives, EstimateRequest::DataTask task)
{
    const QString folder = drives.toLocal(kDataFolder);
    // The contents as they are, whatever the seal says: a seal that no longer fits would refuse every
    // workbook before its cells could be judged.
    const std::vector<Error> faults = checkDataTables(XlsWorkbookOpener(drives));

    if (task == EstimateRequest::DataTask::Seal) {
        if (!faults.empty())
            return {{},
                    QStringLiteral("Tabelle di dati non sigillate: %1 nel contenuto.\n\n").arg(problems(faults.size()))
                        + listed(faults)
                        + QStringLiteral("\n\nCorreggere le tabelle e sigillarle di nuovo con zefro-estimate "
                                         "--seal-data."),
                    false};
        const Outcome<DataSeal::Seal> sealed = DataSeal::sealFolder(folder, QDateTime::currentDateTime());
        if (!sealed.ok())
            return {{}, sealed.error().message(), false};
        return {QStringLiteral("Sigillate %1 tabelle di dati in %2\n")
                    .arg(sealed.value().files.size())
                    .arg(QDir(folder).filePath(QLatin1String(DataSeal::kFileName))),
                {},
                true};
    }

    QString contents = QStringLiteral("Contenuto delle tabelle di dati in %1: %2 cartelle di lavoro controllate, ")
                           .arg(folder)
                           .arg(dataWorkbookFiles().size());
    contents += faults.empty()
        ? QStringLiteral("nessun problema.\n")
        : problems(faults.size()) + QStringLiteral(":\n\n") + listed(faults) + QStringLiteral("\n\n");
    DataTaskReport report = sealState(folder);
    report.output.prepend(contents);
    report.fit = report.fit && faults.empty();
    return report;
}
