#include "cli/BatchEstimate.h"

#include "app/CatalogueSelection.h"
#include "app/Configuration.h"
#include "app/MainWindowTexts.h"
#include "app/ProgramState.h"
#include "catalogue/ClassLookup.h"
#include "catalogue/HazardClass.h"
#include "catalogue/QuickPick.h"
#include "estimate/ContainmentChoice.h"
#include "estimate/Report.h"
#include "platform/DrivePaths.h"

namespace {

BatchOutcome failed(BatchFailure::Kind kind, const QString &message)
{
    BatchOutcome outcome;
    outcome.failure = BatchFailure{kind, message};
    return outcome;
}

BatchOutcome usage(const QString &message)
{
    return failed(BatchFailure::Kind::Usage, message);
}

BatchOutcome dataError(const QString &message)
{
    return failed(BatchFailure::Kind::Data, message);
}

const HazardClass *classOfEntry(const QString &entry)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listEntry == entry)
            return &hazard;
    }
    return nullptr;
}

const HazardClass *classOfCode(const QString &code)
{
    for (const HazardClass &hazard : hazardClasses()) {
        if (hazard.listCode == code)
            return &hazard;
    }
    return nullptr;
}

QString quickPickEntryOf(const QString &code)
{
    for (const QString &entry : quickPickEntries()) {
        if (QuickPickClassCode(entry) == code)
            return entry;
    }
    return {};
}

// "1 = " 0 -  10"; 2 = ...": the entries of a list as --range numbers them.
QString numberedEntries(const QStringList &entries)
{
    QStringList numbered;
    for (qsizetype i = 0; i < entries.size(); ++i)
        numbered << QStringLiteral("%1 = \"%2\"").arg(i + 1).arg(entries.at(i));
    return numbered.join(QStringLiteral("; "));
}

} // namespace

QStringList BatchEstimateResult::reportLines() const
{
    return ReportBoxLines(estimate.report, result, estimate.toxic);
}

BatchOutcome RunBatchEstimate(ProgramState &state, const DrivePaths &drives, const WorkbookOpener &opener,
                              const EstimateRequest &request)
{
    // Start-up: the configuration file, then the catalogue tables.
    const ConfigurationLoad load = loadConfigurationFile(drives);
    if (!load.configuration)
        return dataError(load.error.message());
    state.outputPrefix = load.configuration->outputPrefix();
    const QStringList names = CatalogueSelection::names();
    const QStringList casNumbers = CatalogueSelection::casNumbers();
    CatalogueSelection::storeTables(state, names, casNumbers);

    // The substance, as the name list, the CAS list or the quick pick leave the lists' texts.
    QString nameText = kNameListPrompt;
    QString casText;
    QString quickPickText = kQuickPickListPrompt;
    QString quickPickCode;
    switch (request.by) {
    case EstimateRequest::SubstanceBy::Name: {
        if (!names.contains(request.substance))
            return usage(QStringLiteral("la sostanza \"%1\" non è nel catalogo (il nome va scritto come "
                                        "nell'elenco dei nomi, maiuscole e spazi compresi)")
                             .arg(request.substance));
        nameText = request.substance;
        casText = CatalogueSelection::casOfName(names, casNumbers, nameText).value_or(QString());
        state.toxicClassFound = false;
        state.selectionMode = 1;
        break;
    }
    case EstimateRequest::SubstanceBy::Cas:
        if (!casNumbers.contains(request.substance))
            return usage(QStringLiteral("il CAS \"%1\" non è nel catalogo").arg(request.substance));
        casText = request.substance;
        if (const auto name = CatalogueSelection::nameOfCas(state, casText))
            nameText = *name;
        break;
    case EstimateRequest::SubstanceBy::QuickPick:
        quickPickText = quickPickEntryOf(request.substance);
        quickPickCode = request.substance;
        (void)FlammableClassQuickPick(state, quickPickText);
        casText = kCasListAfterQuickPick;
        break;
    }

    const ClassLookupResult lookup = LookupSubstanceClasses(state, opener, casText);
    if (lookup.error)
        return dataError(lookup.error->message());
    if (request.listClasses) {
        BatchOutcome outcome;
        outcome.classEntries = lookup.entries;
        return outcome;
    }

    // The class: after a quick pick the class list keeps its prompt (the containment choice then
    // takes the quick-pick entry); otherwise the entry of --class, or the only class found.
    QString classText = kClassChoicePrompt;
    QString classListCode = quickPickCode;
    if (request.by != EstimateRequest::SubstanceBy::QuickPick) {
        QStringList found;
        QStringList foundCodes;
        for (const QString &entry : lookup.entries) {
            if (!found.contains(entry)) {
                found << entry;
                foundCodes << classOfEntry(entry)->listCode;
            }
        }
        if (found.isEmpty())
            return dataError(QStringLiteral("La sostanza %1 (CAS %2) non compare in nessuna tabella delle classi: "
                                            "nessuna stima è possibile.")
                                 .arg(nameText, casText));
        QString chosen;
        if (!request.classCode.isEmpty()) {
            const HazardClass *wanted = classOfCode(request.classCode);
            if (!found.contains(wanted->listEntry))
                return usage(QStringLiteral("--class %1: la sostanza non è stata trovata in questa classe "
                                            "(classi trovate: %2)")
                                 .arg(request.classCode, foundCodes.join(QStringLiteral(", "))));
            chosen = wanted->listEntry;
        } else if (found.size() == 1) {
            chosen = found.first();
        } else {
            return usage(QStringLiteral("la sostanza appartiene a più classi: indicare --class fra %1")
                             .arg(foundCodes.join(QStringLiteral(", "))));
        }
        ChooseSubstanceClass(state, chosen);
        classText = chosen;
        classListCode = classOfEntry(chosen)->listCode;
    }

    // Hypothesis and containment, then the list of quantities or diameters it offers.
    const QString hypothesisText = request.hypothesis == 1 ? kLikelyHypothesis : kAverageHypothesis;
    const auto &types = containmentTypes();
    const QString containmentText = types[static_cast<std::size_t>(request.containment - 1)];
    const ContainmentOutcome containment =
        ChooseContainment(state, opener, {containmentText, classText, quickPickText, hypothesisText});
    if (!containment.message.isEmpty())
        return dataError(containment.message);
    if (containment.classText)
        classText = *containment.classText;

    EstimateInput input{nameText,       casText, classText, containmentText, QStringList(types.begin(), types.end()),
                        hypothesisText, kQuantityListLoadText, {}, kDiameterListPrompt, {}};
    std::optional<QString> rangeText;
    const auto chooseFrom = [&](const std::optional<QStringList> &entries, const QString &what, QString *text,
                                QStringList *listEntries) -> std::optional<BatchOutcome> {
        const QStringList offered = entries.value_or(QStringList());
        if (request.range < 1 || request.range > offered.size())
            return usage(QStringLiteral("--range %1: l'elenco %2 offre %3 voci: %4")
                             .arg(request.range)
                             .arg(what)
                             .arg(offered.size())
                             .arg(numberedEntries(offered)));
        *listEntries = offered;
        *text = offered.at(request.range - 1);
        rangeText = *text;
        return std::nullopt;
    };
    if (request.containment == 1 || request.containment == 2) {
        if (auto refused = chooseFrom(containment.quantityEntries, QStringLiteral("delle quantità"), &input.quantity,
                                      &input.quantityEntries))
            return *refused;
    } else if (request.containment == 5) {
        if (auto refused = chooseFrom(containment.diameterEntries, QStringLiteral("dei diametri"), &input.diameter,
                                      &input.diameterEntries))
            return *refused;
    }

    const EstimateOutcome estimate = RunEstimate(state, opener, input);
    if (!estimate.completed)
        return dataError(estimate.message);

    BatchOutcome outcome;
    outcome.estimate = BatchEstimateResult{classListCode, rangeText, estimate, state.result};
    return outcome;
}
