#pragma once

#include <QPointF>
#include <QString>
#include <QStringList>

#include <optional>

// What zefro-estimate was asked to do, read from its command line. Only the form of the arguments
// is checked here; whether a name, a class or a range is on offer depends on the catalogue and the
// workbooks and is checked while the estimate runs.
struct EstimateRequest
{
    enum class SubstanceBy { Name, Cas, QuickPick };

    QString driveRoot; // empty: the windows' default drive root
    SubstanceBy by = SubstanceBy::Name;
    QString substance; // a name, a CAS number or a quick-pick list code ("1_1_1" ... "2_3")

    bool listClasses = false; // --classes: only the class-list entries the lookup finds

    // --seal-data / --check-data: seal the data workbooks, or report how they stand against their
    // seal, instead of an estimate.
    enum class DataTask { None, Seal, Check };
    DataTask dataTask = DataTask::None;

    QString classCode; // --class list code, empty when not given
    int hypothesis = 0; // 1 "Ipotesi più probabile", 2 "Ipotesi media"
    int containment = 0; // 1..5 in the containment list's order
    int range = 0; // 1-based entry of the quantity or diameter list; 0 when not given
    bool json = false;
    bool reportFile = false;

    // Drawing the damage areas on a map: the point and the scale are in the map window's drawing
    // units (centimetres of the map sheet). On a georeferenced map the point may be given on the
    // ground instead (--at), and the scale may be left to the georeference.
    struct Segment
    {
        QPointF start;
        QPointF end;
        double metres = 0.0;
    };
    struct MapDrawing
    {
        QString mapFile; // local path, or a path with a drive letter (through the drive root)
        std::optional<QPointF> point; // --point X,Y; none when --at places the incident
        std::optional<double> scaleDenominator; // --scale N
        std::optional<Segment> segment; // --segment X1,Y1,X2,Y2,METRES
        QString outFile; // empty when only the GIS file is asked for
        bool legend = false; // --legend: the saved map carries a legend panel
    };
    std::optional<MapDrawing> map;

    // --at E,N: the incident in ground coordinates, in the map's reference system or, without a
    // map, in the one --crs names.
    std::optional<QPointF> ground;
    QString crs; // --crs, only without --map
    QString exportFile; // --export FILE.gpkg|.geojson|.kml: the damage areas for a GIS

    // --elements FILE [--layer NAME]: the vulnerable elements the damage areas reach, which needs the
    // incident on the ground (a georeferenced map, or --at with --crs).
    QString elementsFile;
    QString elementsLayer; // empty: the file's first layer

    // --inventory: every item of a site inventory estimated in one run, the outputs in a folder.
    struct InventoryRun
    {
        QString file;
        QString outDir;
        bool overwrite = false;
        QString mapFile; // empty: no map
        std::optional<double> scaleDenominator;
        QString crs; // empty: none given
        QString elementsFile; // --elements: empty, none
        QString elementsLayer; // --layer: empty, the file's first layer
    };
    std::optional<InventoryRun> inventory;
};

// The result of reading the command line: a request, the help text to print, or a usage error.
struct CommandLineOutcome
{
    std::optional<EstimateRequest> request;
    QString helpText; // --help was asked for: print it and end with status 0
    QString usageError; // one Italian line saying what is wrong
};

// Reads the arguments (the program name first, as QCoreApplication::arguments() gives them).
[[nodiscard]] CommandLineOutcome parseEstimateCommandLine(const QStringList &arguments);

// The one-line hint printed after every usage error.
[[nodiscard]] QString estimateUsageHint();
