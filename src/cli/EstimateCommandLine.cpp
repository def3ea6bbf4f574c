#include "cli/EstimateCommandLine.h"

#include "catalogue/HazardClass.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cmath>

namespace {

const QString kProgram = QStringLiteral("zefro-estimate");

QString helpText()
{
    return QStringLiteral(
        "Uso:\n"
        "  zefro-estimate [--drive-root DIR] (--name NOME | --cas CAS | --quick-pick CODICE)\n"
        "                 [--class CODICE] --hypothesis 1|2 --containment 1..5 [--range N]\n"
        "                 [--report-file] [--json]\n"
        "                 [--map FILE.bmp --point X,Y (--scale N | --segment X1,Y1,X2,Y2,METRI) --out FILE.bmp]\n"
        "  zefro-estimate [--drive-root DIR] --classes (--name NOME | --cas CAS)\n"
        "  zefro-estimate [--drive-root DIR] (--seal-data | --check-data)\n"
        "\n"
        "Stima le distanze di danno come il pulsante \"Stima distanza di danno e visualizzazione su mappa\"\n"
        "della finestra principale, sulle stesse tabelle, e scrive le sedici righe del report.\n"
        "\n"
        "  --drive-root DIR     radice dei dischi (DIR/c/revisione metodo speditivo/...); senza, quella\n"
        "                       del programma a finestre\n"
        "  --name NOME          sostanza per nome, come nell'elenco dei nomi\n"
        "  --cas CAS            sostanza per numero CAS, come nell'elenco dei CAS\n"
        "  --quick-pick CODICE  classe di infiammabili scelta direttamente (1_1_1 1_1_2 1_2 2_1_1 2_1_2 2_2 2_3)\n"
        "  --class CODICE       classe fra quelle trovate (1_1_1 ... 2_3, 4, 51, 52, 53); necessaria quando\n"
        "                       la sostanza appartiene a più classi\n"
        "  --hypothesis 1|2     1 \"Ipotesi più probabile\", 2 \"Ipotesi media\"\n"
        "  --containment 1..5   1 stoccaggi fissi con bacino, 2 senza bacino, 3 autobotti/ferrocisterne,\n"
        "                       4 navi, 5 condotte\n"
        "  --range N            N-esima voce (da 1) dell'elenco delle quantità o dei diametri; necessaria\n"
        "                       per le tipologie 1, 2 e 5\n"
        "  --json               un oggetto JSON invece del report\n"
        "  --report-file        aggiunge il report al file di report, come \"Salva report su file\",\n"
        "                       e ne scrive il percorso sullo standard error\n"
        "  --map FILE.bmp       mappa su cui disegnare le aree di danno\n"
        "  --point X,Y          punto dell'incidente, in centimetri del foglio della mappa\n"
        "  --scale N            scala della mappa 1:N\n"
        "  --segment X1,Y1,X2,Y2,METRI  riscalatura: segmento sulla mappa e sua lunghezza reale in metri\n"
        "  --out FILE.bmp       dove salvare la mappa con le aree di danno\n"
        "  --classes            elenca le classi trovate per la sostanza, una per riga\n"
        "  --seal-data          sigilla le tabelle di dati: nome, byte e somma SHA-256 di ciascuna in\n"
        "                       sigillo.txt, nella loro cartella; da allora ogni stima le confronta con il sigillo\n"
        "  --check-data         confronta le tabelle di dati con il loro sigillo e dice come stanno\n"
        "  -h, --help           questo aiuto\n"
        "\n"
        "Stato d'uscita: 0 riuscito, 1 errore dei dati o di un file, 2 errore d'uso.\n");
}

std::optional<double> parseNumber(const QString &text)
{
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// Centimetres of a map sheet: a kilometre of paper is far beyond any sheet, and a coordinate of that
// size still fits a pixel position at the finest resolution a map may state.
constexpr double kFarthestCentimetre = 100000.0;

bool onSomeSheet(const QList<double> &coordinates)
{
    return std::all_of(coordinates.cbegin(), coordinates.cend(),
                       [](double value) { return std::abs(value) <= kFarthestCentimetre; });
}

// "a,b,c": exactly `count` numbers separated by commas.
std::optional<QList<double>> parseNumbers(const QString &text, qsizetype count)
{
    const QStringList parts = text.split(QLatin1Char(','));
    if (parts.size() != count)
        return std::nullopt;
    QList<double> numbers;
    for (const QString &part : parts) {
        const std::optional<double> number = parseNumber(part);
        if (!number)
            return std::nullopt;
        numbers << *number;
    }
    return numbers;
}

// A whole number within [low, high], written as digits only.
std::optional<int> parseWhole(const QString &text, int low, int high)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    for (const QChar c : text) {
        if (!c.isDigit() || c.unicode() > 127)
            return std::nullopt;
    }
    const int value = text.toInt();
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

bool isClassCode(const QString &code, bool flammableOnly)
{
    const auto &classes = hazardClasses();
    const std::size_t count = flammableOnly ? kFlammableClassCount : classes.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (classes[i].listCode == code)
            return true;
    }
    return false;
}

QString classCodes(bool flammableOnly)
{
    QStringList codes;
    const auto &classes = hazardClasses();
    const std::size_t count = flammableOnly ? kFlammableClassCount : classes.size();
    for (std::size_t i = 0; i < count; ++i)
        codes << classes[i].listCode;
    return codes.join(QLatin1Char(' '));
}

} // namespace

QString estimateUsageHint()
{
    return QStringLiteral("Uso: zefro-estimate [--drive-root DIR] (--name NOME | --cas CAS | --quick-pick CODICE) "
                          "--hypothesis 1|2 --containment 1..5 [--range N] [...]; "
                          "zefro-estimate --help per tutte le opzioni");
}

CommandLineOutcome parseEstimateCommandLine(const QStringList &arguments)
{
    CommandLineOutcome outcome;
    const auto usage = [&outcome](const QString &message) {
        outcome.usageError = message;
        return outcome;
    };

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({QStringLiteral("h"), QStringLiteral("help")}, QString());
    const QCommandLineOption driveRoot(QStringLiteral("drive-root"), QString(), QStringLiteral("DIR"));
    const QCommandLineOption name(QStringLiteral("name"), QString(), QStringLiteral("NOME"));
    const QCommandLineOption cas(QStringLiteral("cas"), QString(), QStringLiteral("CAS"));
    const QCommandLineOption quickPick(QStringLiteral("quick-pick"), QString(), QStringLiteral("CODICE"));
    const QCommandLineOption classes(QStringLiteral("classes"));
    const QCommandLineOption classOption(QStringLiteral("class"), QString(), QStringLiteral("CODICE"));
    const QCommandLineOption hypothesis(QStringLiteral("hypothesis"), QString(), QStringLiteral("1|2"));
    const QCommandLineOption containment(QStringLiteral("containment"), QString(), QStringLiteral("1..5"));
    const QCommandLineOption range(QStringLiteral("range"), QString(), QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption reportFile(QStringLiteral("report-file"));
    const QCommandLineOption mapOption(QStringLiteral("map"), QString(), QStringLiteral("FILE.bmp"));
    const QCommandLineOption point(QStringLiteral("point"), QString(), QStringLiteral("X,Y"));
    const QCommandLineOption scale(QStringLiteral("scale"), QString(), QStringLiteral("N"));
    const QCommandLineOption segment(QStringLiteral("segment"), QString(), QStringLiteral("X1,Y1,X2,Y2,METRI"));
    const QCommandLineOption out(QStringLiteral("out"), QString(), QStringLiteral("FILE.bmp"));
    const QCommandLineOption sealData(QStringLiteral("seal-data"));
    const QCommandLineOption checkData(QStringLiteral("check-data"));
    const QList<QCommandLineOption> all{help,       driveRoot,   name,  cas,      quickPick,  classes,   classOption,
                                        hypothesis, containment, range, json,     reportFile, mapOption, point,
                                        scale,      segment,     out,   sealData, checkData};
    parser.addOptions(all);

    if (!parser.parse(arguments)) {
        if (!parser.unknownOptionNames().isEmpty())
            return usage(QStringLiteral("opzione sconosciuta: %1").arg(parser.unknownOptionNames().first()));
        // Qt's own words name the option (a value missing after it, a value given to a switch).
        return usage(QStringLiteral("argomenti non validi (%1)").arg(parser.errorText()));
    }
    if (parser.isSet(help)) {
        outcome.helpText = helpText();
        return outcome;
    }
    if (!parser.positionalArguments().isEmpty())
        return usage(QStringLiteral("argomento inatteso: %1").arg(parser.positionalArguments().first()));
    // A second value would silently replace the first: refuse it.
    const QStringList given = parser.optionNames();
    for (const QCommandLineOption &option : all) {
        qsizetype occurrences = 0;
        for (const QString &optionName : option.names())
            occurrences += given.count(optionName);
        if (occurrences > 1)
            return usage(QStringLiteral("l'opzione --%1 è data più di una volta").arg(option.names().last()));
    }

    EstimateRequest request;
    request.driveRoot = parser.value(driveRoot);
    if (parser.isSet(driveRoot) && request.driveRoot.isEmpty())
        return usage(QStringLiteral("--drive-root vuoto"));

    if (parser.isSet(sealData) || parser.isSet(checkData)) {
        const QString task = parser.isSet(sealData) ? QStringLiteral("--seal-data") : QStringLiteral("--check-data");
        for (const QCommandLineOption &option : all) {
            const bool allowed = option.names() == driveRoot.names()
                || option.names() == (parser.isSet(sealData) ? sealData : checkData).names();
            if (!allowed && parser.isSet(option))
                return usage(QStringLiteral("%1 non si combina con --%2").arg(task, option.names().last()));
        }
        request.dataTask = parser.isSet(sealData) ? EstimateRequest::DataTask::Seal : EstimateRequest::DataTask::Check;
        outcome.request = request;
        return outcome;
    }

    const int substanceOptions = int(parser.isSet(name)) + int(parser.isSet(cas)) + int(parser.isSet(quickPick));
    if (substanceOptions != 1)
        return usage(QStringLiteral("indicare la sostanza con una sola fra --name, --cas e --quick-pick"));
    if (parser.isSet(name)) {
        request.by = EstimateRequest::SubstanceBy::Name;
        request.substance = parser.value(name);
    } else if (parser.isSet(cas)) {
        request.by = EstimateRequest::SubstanceBy::Cas;
        request.substance = parser.value(cas);
    } else {
        request.by = EstimateRequest::SubstanceBy::QuickPick;
        request.substance = parser.value(quickPick);
        if (!isClassCode(request.substance, true))
            return usage(QStringLiteral("--quick-pick %1: codice sconosciuto (codici: %2)")
                             .arg(request.substance, classCodes(true)));
    }

    const QList<QCommandLineOption> mapOptions{mapOption, point, scale, segment, out};
    if (parser.isSet(classes)) {
        if (request.by == EstimateRequest::SubstanceBy::QuickPick)
            return usage(QStringLiteral("--classes vuole --name o --cas"));
        for (const QCommandLineOption &option :
             {classOption, hypothesis, containment, range, json, reportFile, mapOption, point, scale, segment, out}) {
            if (parser.isSet(option))
                return usage(QStringLiteral("--classes non si combina con --%1").arg(option.names().last()));
        }
        request.listClasses = true;
        outcome.request = request;
        return outcome;
    }

    if (parser.isSet(classOption)) {
        if (request.by == EstimateRequest::SubstanceBy::QuickPick)
            return usage(QStringLiteral("--class non si usa con --quick-pick: la classe è quella scelta"));
        request.classCode = parser.value(classOption);
        if (!isClassCode(request.classCode, false))
            return usage(QStringLiteral("--class %1: codice sconosciuto (codici: %2)")
                             .arg(request.classCode, classCodes(false)));
    }

    if (!parser.isSet(hypothesis))
        return usage(QStringLiteral("manca --hypothesis 1|2"));
    const std::optional<int> hypothesisValue = parseWhole(parser.value(hypothesis), 1, 2);
    if (!hypothesisValue)
        return usage(QStringLiteral("--hypothesis %1: vale 1 o 2").arg(parser.value(hypothesis)));
    request.hypothesis = *hypothesisValue;

    if (!parser.isSet(containment))
        return usage(QStringLiteral("manca --containment 1..5"));
    const std::optional<int> containmentValue = parseWhole(parser.value(containment), 1, 5);
    if (!containmentValue)
        return usage(QStringLiteral("--containment %1: vale da 1 a 5").arg(parser.value(containment)));
    request.containment = *containmentValue;

    const bool asksRange = request.containment == 1 || request.containment == 2 || request.containment == 5;
    if (parser.isSet(range)) {
        if (!asksRange)
            return usage(QStringLiteral("--range non si usa con --containment %1: autobotti e navi non chiedono "
                                        "la quantità")
                             .arg(request.containment));
        const std::optional<int> rangeValue = parseWhole(parser.value(range), 1, 999);
        if (!rangeValue)
            return usage(QStringLiteral("--range %1: un numero intero da 1 in su").arg(parser.value(range)));
        request.range = *rangeValue;
    } else if (asksRange) {
        return usage(QStringLiteral("manca --range N: la tipologia %1 chiede %2")
                         .arg(request.containment)
                         .arg(request.containment == 5 ? QStringLiteral("il diametro della condotta")
                                                       : QStringLiteral("la quantità")));
    }

    request.json = parser.isSet(json);
    request.reportFile = parser.isSet(reportFile);

    bool anyMapOption = false;
    for (const QCommandLineOption &option : mapOptions)
        anyMapOption = anyMapOption || parser.isSet(option);
    if (anyMapOption) {
        for (const QCommandLineOption &option : {mapOption, point, out}) {
            if (!parser.isSet(option) || parser.value(option).isEmpty())
                return usage(QStringLiteral("per disegnare su una mappa servono --map, --point e --out (manca --%1)")
                                 .arg(option.names().last()));
        }
        if (parser.isSet(scale) == parser.isSet(segment))
            return usage(QStringLiteral("per disegnare su una mappa serve una fra --scale e --segment"));

        EstimateRequest::MapDrawing drawing;
        drawing.mapFile = parser.value(mapOption);
        drawing.outFile = parser.value(out);
        const std::optional<QList<double>> at = parseNumbers(parser.value(point), 2);
        if (!at)
            return usage(QStringLiteral("--point %1: scrivere X,Y (numeri, punto decimale)").arg(parser.value(point)));
        if (!onSomeSheet(*at))
            return usage(QStringLiteral("--point %1: coordinate fuori misura (al massimo %2 cm)")
                             .arg(parser.value(point))
                             .arg(kFarthestCentimetre, 0, 'f', 0));
        drawing.point = QPointF(at->at(0), at->at(1));
        if (parser.isSet(scale)) {
            const std::optional<double> denominator = parseNumber(parser.value(scale));
            if (!denominator || *denominator <= 0.0)
                return usage(
                    QStringLiteral("--scale %1: il denominatore N di 1:N, maggiore di 0").arg(parser.value(scale)));
            drawing.scaleDenominator = *denominator;
        } else {
            const std::optional<QList<double>> numbers = parseNumbers(parser.value(segment), 5);
            if (!numbers)
                return usage(QStringLiteral("--segment %1: scrivere X1,Y1,X2,Y2,METRI").arg(parser.value(segment)));
            if (!onSomeSheet(numbers->mid(0, 4)))
                return usage(QStringLiteral("--segment %1: coordinate fuori misura (al massimo %2 cm)")
                                 .arg(parser.value(segment))
                                 .arg(kFarthestCentimetre, 0, 'f', 0));
            EstimateRequest::Segment drawn{QPointF(numbers->at(0), numbers->at(1)),
                                           QPointF(numbers->at(2), numbers->at(3)), numbers->at(4)};
            if (drawn.metres <= 0.0)
                return usage(QStringLiteral("--segment: la lunghezza reale in metri deve essere maggiore di 0"));
            if (drawn.start == drawn.end)
                return usage(QStringLiteral("--segment: il segmento ha lunghezza nulla"));
            drawing.segment = drawn;
        }
        request.map = drawing;
    }

    outcome.request = request;
    return outcome;
}
