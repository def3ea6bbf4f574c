#include "cli/EstimateCommandLine.h"

#include "catalogue/HazardClass.h"
#include "gis/DamageAreaExport.h"
#include "map/MapScale.h"

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
        "                 [--map MAPPA (--point X,Y | --at E,N) [--scale N | --segment X1,Y1,X2,Y2,METRI]\n"
        "                  [--out FILE.bmp|FILE.tif [--legend]] [--export FILE.gpkg|.geojson|.kml]]\n"
        "                 [--at E,N --crs EPSG:NNNN --export FILE.gpkg|.geojson|.kml]\n"
        "                 [--elements FILE [--layer NOME]]\n"
        "  zefro-estimate [--drive-root DIR] --classes (--name NOME | --cas CAS)\n"
        "  zefro-estimate [--drive-root DIR] (--seal-data | --check-data)\n"
        "  zefro-estimate [--drive-root DIR] --inventory FILE [--map MAPPA [--scale N]] [--crs EPSG:NNNN]\n"
        "                 [--elements FILE [--layer NOME]] --out-dir CARTELLA [--overwrite]\n"
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
        "  --map MAPPA          mappa su cui disegnare le aree di danno: BMP, TIFF/GeoTIFF, JPEG o PNG,\n"
        "                       georiferita se ha un file mondo (.tfw, .jgw, .pgw, .bpw, .wld) e un .prj\n"
        "                       o se è un GeoTIFF\n"
        "  --point X,Y          punto dell'incidente, in centimetri del foglio della mappa\n"
        "  --at E,N             punto dell'incidente in coordinate del terreno (est, nord), nel sistema\n"
        "                       di riferimento della mappa georiferita o in quello di --crs\n"
        "  --scale N            scala della mappa 1:N, N intero (10000, 10.000, 10 000 o 1:10000); per\n"
        "                       una mappa georiferita, senza --scale né --segment, vale la scala della\n"
        "                       sua georeferenziazione\n"
        "  --segment X1,Y1,X2,Y2,METRI  riscalatura: segmento sulla mappa e sua lunghezza reale in metri\n"
        "  --out FILE.bmp       dove salvare la mappa con le aree di danno: un BMP, o un TIFF se il nome\n"
        "                       finisce in .tif o .tiff; su una mappa georiferita il TIFF è un GeoTIFF e\n"
        "                       accanto a un BMP si scrivono file mondo, .prj e .aux.xml. Il foglio intero;\n"
        "                       di un foglio oltre 1 GB di pixel, la parte intorno alle aree di danno\n"
        "  --legend             con --out: la legenda sulla mappa salvata (sostanza, scenario, ipotesi, le\n"
        "                       otto distanze con i loro colori, scala, data e ora, coordinate\n"
        "                       dell'incidente), nell'angolo che copre meno le aree di danno\n"
        "  --export FILE        le aree di danno per un GIS: GeoPackage (.gpkg, nel sistema della mappa),\n"
        "                       GeoJSON (.geojson) o KML (.kml), in WGS 84\n"
        "  --crs EPSG:NNNN      senza --map: il sistema di riferimento di --at\n"
        "  --elements FILE      strato degli elementi vulnerabili (scuole, ospedali, abitazioni; attributi\n"
        "                       nome, categoria, tipo, persone), in un formato vettoriale che GDAL legge:\n"
        "                       dopo il report, gli elementi che ogni zona del piano di emergenza\n"
        "                       raggiunge (con --json, la chiave \"elementi\"); con --export, lo strato\n"
        "                       elementi_coinvolti (non in GeoJSON). Vuole l'incidente sul terreno:\n"
        "                       una mappa georiferita con --point o --at, oppure --at con --crs.\n"
        "                       Con --inventory, gli elementi che le voci raggiungono: elementi.csv,\n"
        "                       una pagina per zona in riepilogo.pdf, lo strato elementi_coinvolti in\n"
        "                       aree.gpkg; vuole un sistema di riferimento (mappa georiferita, --crs o\n"
        "                       strato di punti)\n"
        "  --layer NOME         lo strato di --elements da leggere; senza, il primo del file\n"
        "  --classes            elenca le classi trovate per la sostanza, una per riga\n"
        "  --seal-data          controlla il contenuto delle tabelle di dati come --check-data e, se non ci\n"
        "                       sono celle non valide, le sigilla: nome, byte e somma SHA-256 di ciascuna in\n"
        "                       sigillo.txt, nella loro cartella; da allora ogni stima le confronta con il sigillo\n"
        "  --check-data         controlla il contenuto delle tabelle di dati con le regole delle stime (numeri\n"
        "                       CAS, indici di zona, sottoclassi, limiti dei range, distanze), elenca ogni\n"
        "                       cella non valida e confronta le tabelle con il loro sigillo\n"
        "  --inventory FILE     inventario di un sito, una stima per riga: CSV (separato da ; o da ,),\n"
        "                       .xlsx, .ods, o uno strato di punti (GeoPackage, GeoJSON, Shapefile);\n"
        "                       colonne id, sostanza o cas o classe, ipotesi, detenzione,\n"
        "                       quantita_t o diametro_in, e x_cm,y_cm o est,nord\n"
        "  --out-dir CARTELLA   dove l'inventario scrive risultati.csv, risultati.json, riepilogo.pdf,\n"
        "                       con una mappa mappa.png, con un sistema di riferimento aree.gpkg,\n"
        "                       con --elements elementi.csv\n"
        "  --overwrite          sostituisce il contenuto di --out-dir, se ne ha\n"
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

// The options of the map and the GIS file.
struct MapOptions
{
    QCommandLineOption map{QStringLiteral("map"), QString(), QStringLiteral("MAPPA")};
    QCommandLineOption point{QStringLiteral("point"), QString(), QStringLiteral("X,Y")};
    QCommandLineOption at{QStringLiteral("at"), QString(), QStringLiteral("E,N")};
    QCommandLineOption scale{QStringLiteral("scale"), QString(), QStringLiteral("N")};
    QCommandLineOption segment{QStringLiteral("segment"), QString(), QStringLiteral("X1,Y1,X2,Y2,METRI")};
    QCommandLineOption out{QStringLiteral("out"), QString(), QStringLiteral("FILE.bmp")};
    QCommandLineOption exportFile{QStringLiteral("export"), QString(), QStringLiteral("FILE")};
    QCommandLineOption crs{QStringLiteral("crs"), QString(), QStringLiteral("EPSG:NNNN")};
    QCommandLineOption elements{QStringLiteral("elements"), QString(), QStringLiteral("FILE")};
    QCommandLineOption layer{QStringLiteral("layer"), QString(), QStringLiteral("NOME")};
    QCommandLineOption legend{QStringLiteral("legend")};

    [[nodiscard]] QList<QCommandLineOption> all() const
    {
        return valued() << legend;
    }
    // Those that take a value.
    [[nodiscard]] QList<QCommandLineOption> valued() const
    {
        return {map, point, at, scale, segment, out, exportFile, crs, elements, layer};
    }
};

QString givenEmpty(const QCommandLineParser &parser, const QList<QCommandLineOption> &options)
{
    for (const QCommandLineOption &option : options) {
        if (parser.isSet(option) && parser.value(option).trimmed().isEmpty())
            return QStringLiteral("--%1 vuoto").arg(option.names().last());
    }
    return {};
}

// Reads the options of the map and the GIS file into `request`; the usage error, or nothing.
QString readMapOptions(const QCommandLineParser &parser, const MapOptions &options, EstimateRequest &request)
{
    if (QString empty = givenEmpty(parser, options.valued()); !empty.isEmpty())
        return empty;
    const bool onMap = parser.isSet(options.map);
    for (const QCommandLineOption &option : {options.point, options.scale, options.segment, options.out}) {
        if (parser.isSet(option) && !onMap)
            return QStringLiteral("--%1 vale solo con --map").arg(option.names().last());
    }
    if (parser.isSet(options.legend) && !parser.isSet(options.out))
        return QStringLiteral("--legend vale solo con --out: è la legenda della mappa salvata");
    if (parser.isSet(options.crs) && onMap)
        return QStringLiteral("--crs vale solo senza --map: il sistema di riferimento è quello della mappa");
    if (parser.isSet(options.layer) && !parser.isSet(options.elements))
        return QStringLiteral("--layer vale solo con --elements");

    if (parser.isSet(options.at)) {
        const QString text = parser.value(options.at);
        const std::optional<QList<double>> numbers = parseNumbers(text, 2);
        if (!numbers)
            return QStringLiteral("--at %1: scrivere E,N (numeri, punto decimale)").arg(text);
        request.ground = QPointF(numbers->at(0), numbers->at(1));
    }
    if (parser.isSet(options.exportFile)) {
        request.exportFile = parser.value(options.exportFile);
        if (!gis::exportFormatFor(request.exportFile))
            return QStringLiteral("--export %1: il nome deve finire in .gpkg, .geojson o .kml").arg(request.exportFile);
    }
    if (parser.isSet(options.elements)) {
        request.elementsFile = parser.value(options.elements);
        request.elementsLayer = parser.value(options.layer);
        const bool onGround = onMap ? parser.isSet(options.point) || parser.isSet(options.at)
                                    : request.ground && parser.isSet(options.crs);
        if (!onGround)
            return QStringLiteral("--elements vuole l'incidente sul terreno: una mappa georiferita --map MAPPA con "
                                  "--point X,Y o --at E,N, oppure --at E,N con --crs EPSG:NNNN");
        if (gis::exportFormatFor(request.exportFile) == gis::ExportFormat::GeoJson)
            return QStringLiteral("--export %1: un file GeoJSON ha un solo strato; con --elements usare un "
                                  "GeoPackage (.gpkg) o un KML (.kml)")
                .arg(request.exportFile);
    }

    if (!onMap) {
        if (!request.exportFile.isEmpty() && (!request.ground || !parser.isSet(options.crs)))
            return QStringLiteral("senza --map, --export vuole il punto --at E,N e il suo sistema --crs EPSG:NNNN");
        if (request.exportFile.isEmpty() && request.elementsFile.isEmpty()
            && (request.ground || parser.isSet(options.crs)))
            return QStringLiteral("--at e --crs servono a --map, a --export o a --elements");
        request.crs = parser.value(options.crs);
        return {};
    }

    EstimateRequest::MapDrawing drawing;
    drawing.mapFile = parser.value(options.map);
    drawing.outFile = parser.value(options.out);
    drawing.legend = parser.isSet(options.legend);
    if (parser.isSet(options.point) == parser.isSet(options.at))
        return QStringLiteral("per disegnare su una mappa serve il punto dell'incidente: una fra --point X,Y e "
                              "--at E,N");
    if (drawing.outFile.isEmpty() && request.exportFile.isEmpty() && request.elementsFile.isEmpty())
        return QStringLiteral("per disegnare su una mappa serve --out FILE.bmp, --export FILE o entrambi");
    if (parser.isSet(options.scale) && parser.isSet(options.segment))
        return QStringLiteral("la scala si dà con una sola fra --scale e --segment");

    if (parser.isSet(options.point)) {
        const QString text = parser.value(options.point);
        const std::optional<QList<double>> at = parseNumbers(text, 2);
        if (!at)
            return QStringLiteral("--point %1: scrivere X,Y (numeri, punto decimale)").arg(text);
        if (!onSomeSheet(*at))
            return QStringLiteral("--point %1: coordinate fuori misura (al massimo %2 cm)")
                .arg(text)
                .arg(kFarthestCentimetre, 0, 'f', 0);
        drawing.point = QPointF(at->at(0), at->at(1));
    }
    if (parser.isSet(options.scale)) {
        const QString text = parser.value(options.scale);
        const Outcome<double> denominator = map::writtenScaleDenominator(text);
        if (!denominator.ok())
            return denominator.error().kind == Error::Kind::ScaleWithDecimals
                ? QStringLiteral("--scale %1: il denominatore N di 1:N è un numero intero, senza parte decimale "
                                 "(10000, 10.000, 10 000 o 1:10000)")
                      .arg(text)
                : QStringLiteral("--scale %1: il denominatore N di 1:N, un numero intero maggiore di 0 (10000, "
                                 "10.000, 10 000 o 1:10000)")
                      .arg(text);
        drawing.scaleDenominator = denominator.value();
    } else if (parser.isSet(options.segment)) {
        const QString text = parser.value(options.segment);
        const std::optional<QList<double>> numbers = parseNumbers(text, 5);
        if (!numbers)
            return QStringLiteral("--segment %1: scrivere X1,Y1,X2,Y2,METRI").arg(text);
        if (!onSomeSheet(numbers->mid(0, 4)))
            return QStringLiteral("--segment %1: coordinate fuori misura (al massimo %2 cm)")
                .arg(text)
                .arg(kFarthestCentimetre, 0, 'f', 0);
        EstimateRequest::Segment drawn{QPointF(numbers->at(0), numbers->at(1)), QPointF(numbers->at(2), numbers->at(3)),
                                       numbers->at(4)};
        if (drawn.metres <= 0.0)
            return QStringLiteral("--segment: la lunghezza reale in metri deve essere maggiore di 0");
        if (drawn.start == drawn.end)
            return QStringLiteral("--segment: il segmento ha lunghezza nulla");
        drawing.segment = drawn;
    }
    request.map = drawing;
    return {};
}

// --inventory FILE --out-dir DIR [--overwrite] [--map MAP [--scale N]] [--crs EPSG:N]
// [--elements FILE [--layer NAME]]; nothing else.
QString readInventoryOptions(const QCommandLineParser &parser, const QList<QCommandLineOption> &all,
                             const QList<QCommandLineOption> &own, const MapOptions &options, EstimateRequest &request)
{
    const QCommandLineOption &inventory = own.at(1), &outDir = own.at(2), &overwrite = own.at(3);
    const QList<QCommandLineOption> allowed
        = own + QList<QCommandLineOption>{options.map, options.scale, options.crs, options.elements, options.layer};
    for (const QCommandLineOption &option : all) {
        const bool isAllowed = std::any_of(allowed.begin(), allowed.end(), [&option](const QCommandLineOption &known) {
            return known.names() == option.names();
        });
        if (!isAllowed && parser.isSet(option))
            return QStringLiteral("--inventory non si combina con --%1").arg(option.names().last());
    }
    if (!parser.isSet(inventory))
        return QStringLiteral("--out-dir e --overwrite servono a --inventory");
    if (!parser.isSet(outDir))
        return QStringLiteral("--inventory vuole la cartella dei risultati --out-dir CARTELLA");
    if (const QString empty = givenEmpty(
            parser, {inventory, outDir, options.map, options.scale, options.crs, options.elements, options.layer});
        !empty.isEmpty())
        return empty;
    if (parser.isSet(options.layer) && !parser.isSet(options.elements))
        return QStringLiteral("--layer vale solo con --elements");
    if (parser.isSet(options.scale) && !parser.isSet(options.map))
        return QStringLiteral("--scale vale solo con --map");
    if (parser.isSet(options.crs) && parser.isSet(options.map))
        return QStringLiteral("--crs vale solo senza --map: il sistema di riferimento è quello della mappa");

    EstimateRequest::InventoryRun run;
    run.file = parser.value(inventory);
    run.outDir = parser.value(outDir);
    run.overwrite = parser.isSet(overwrite);
    run.mapFile = parser.value(options.map);
    run.crs = parser.value(options.crs);
    run.elementsFile = parser.value(options.elements);
    run.elementsLayer = parser.value(options.layer);
    if (parser.isSet(options.scale)) {
        const QString text = parser.value(options.scale);
        const Outcome<double> denominator = map::writtenScaleDenominator(text);
        if (!denominator.ok())
            return QStringLiteral("--scale %1: il denominatore N di 1:N, un numero intero maggiore di 0 (10000, "
                                  "10.000, 10 000 o 1:10000)")
                .arg(text);
        run.scaleDenominator = denominator.value();
    }
    request.inventory = run;
    return {};
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
    const MapOptions options;
    const QCommandLineOption sealData(QStringLiteral("seal-data"));
    const QCommandLineOption checkData(QStringLiteral("check-data"));
    const QCommandLineOption inventory(QStringLiteral("inventory"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption outDir(QStringLiteral("out-dir"), QString(), QStringLiteral("CARTELLA"));
    const QCommandLineOption overwrite(QStringLiteral("overwrite"));
    const QList<QCommandLineOption> all
        = QList<QCommandLineOption>{help,       driveRoot,   name,  cas,  quickPick,  classes,  classOption,
                                    hypothesis, containment, range, json, reportFile, sealData, checkData,
                                    inventory,  outDir,      overwrite}
        + options.all();
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

    if (parser.isSet(inventory) || parser.isSet(outDir) || parser.isSet(overwrite)) {
        if (const QString problem = readInventoryOptions(parser, all, {driveRoot, inventory, outDir, overwrite},
                                                         options, request);
            !problem.isEmpty())
            return usage(problem);
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

    if (parser.isSet(classes)) {
        if (request.by == EstimateRequest::SubstanceBy::QuickPick)
            return usage(QStringLiteral("--classes vuole --name o --cas"));
        for (const QCommandLineOption &option :
             QList<QCommandLineOption>{classOption, hypothesis, containment, range, json, reportFile} + options.all()) {
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

    if (const QString problem = readMapOptions(parser, options, request); !problem.isEmpty())
        return usage(problem);
    outcome.request = request;
    return outcome;
}
