#pragma once

#include "app/CoordinatesDialog.h"
#include "app/ScaledPaperDialog.h"
#include "elements/MapElements.h"
#include "estimate/Estimate.h"
#include "map/DamageCircles.h"
#include "map/DistanceMeasure.h"
#include "map/MapPicture.h"
#include "map/MapOpening.h"
#include "map/MapScale.h"
#include "map/SheetLegend.h"

#include <QPointF>
#include <QWidget>

#include <functional>
#include <memory>
#include <optional>

class ElementsDialog;
class MapFileLists;
class MapSurface;
class MapViewTools;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
struct Platform;

// The map window ("map"). The main window creates it for an estimate: beginEstimate() hides the
// report buttons and opens the raster folder, showEstimate() writes the report into `output2` and
// the panels `Label3`, `Label4`, `Label5` and offers "Salva report su file", which appends the
// report of the estimate shown to the report file.
//
// Data flow: the analyst picks a map in the file lists, a scale in `Combo2` (an entry, a typed
// "1:N", or the user-defined entry with "1:N" in `Text1`), and "Mostra mappa" loads the bitmap into
// the scrolling surface `Picture1` and sets the scale factor from what `Combo2` shows, so the scale
// shown is always the scale used. A left press on the map draws the eight damage areas of the
// estimate shown around that point and brings it out from under the panels; during a manual rescale
// a press starts a segment instead, the drag draws it as an inverted rubber-band line and "Riscala"
// turns its length and the metres typed in `Text2` into a new scale factor, which `Combo2` then
// shows. A pending rescale ends, unapplied, at "Cambia mappa", "Mostra mappa", a new estimate and
// when the window closes. All lengths on the surface are in drawing units (one centimetre of the
// map sheet, from the bitmap's resolution); the arithmetic lives in src/map. The scale factor
// belongs to the main window; this window deletes itself when closed.
//
// A georeferenced map (a GeoTIFF, or a raster with a world file and a .prj) needs no scale: when it
// is chosen `Combo2` shows the true scale 1:N of the sheet's middle at the sheet's resolution, and at
// that scale the areas are drawn as they lie on the ground (the rings the GIS export writes, through
// the georeference) unless another scale is chosen (said once a map, since circles at another scale
// differ from the ground and from the export). On such a map `Label6` shows the ground coordinates
// under the mouse and of the incident, and "Esporta aree di danno (GIS)" writes the drawn areas to a
// GeoPackage, GeoJSON or KML file. While a map is shown `Label7` says the scale the areas are drawn
// at, so that a saved or printed window says it too.
//
// The view tools (MapViewTools, at the top right) zoom the view, measure distances and, on a
// georeferenced map, place the incident at typed coordinates exactly as a press on that pixel does;
// zooming changes the view only. After a press draws, the view shows the incident and its areas.
// The tools are left out of the saved and printed window, which at the natural size is the one it
// has always been, with a small cross marking the incident.
//
// "Elementi vulnerabili…" (`elementsButton`, made after every other control) chooses a planner's
// layer of vulnerable elements, remembered in the user's settings from one run to the next and
// shared with the inventory dialog (ElementsLayerChoice.h); the file's first layer. On a
// georeferenced map the layer is read around the sheet once for the map and drawn over it; the
// elements the areas drawn on the ground reach take their zone's colour, and the dialog
// "Elementi vulnerabili" lists them. A map without georeference cannot place the layer: the
// button says so. The button is left out of the saved and printed window.
//
// "Stampa in scala" (`Command15`, beside "Stampa mappa" and shown with it) prints the sheet around the
// incident at the scale shown, 1:N on paper, on A4 or A3 (ScaledPage.h, ScaledPrint.h); it too is left
// out of the saved and printed window.
class MapWindow : public QWidget
{
    Q_OBJECT

public:
    MapWindow(Platform &platform, map::ScaleState &scale, QWidget *parent = nullptr);
    ~MapWindow() override;

    // An estimate starts: the window comes to the front with the map clean (the circles of the last
    // estimate gone, saving and printing hidden until new ones are drawn), the report buttons and the
    // legend are hidden until it completes, and the file lists open the folder, given as the system names it
    // ("c:\revisione metodo speditivo\dati\cartografia\raster"). Saved maps are named after
    // `substanceName`.
    void beginEstimate(const QString &systemFolder, const QString &substanceName);
    // A completed estimate: its report and panels, "Salva report su file", and the areas a press draws.
    void showEstimate(const Estimate &estimate);
    // Reset in the main window: the areas a press draws become eight of radius 0, as after a reset
    // the distances are; the report shown can still be saved.
    void clearDamageAreas();
    // The prefix of every output file name (configuration entry 8).
    void setOutputPrefix(const QString &prefix);

    // The current printer; the default asks the system and gives nothing when none is installed.
    void setPrinterSource(std::function<std::unique_ptr<QPrinter>()> source);
    // The paper of "Stampa in scala"; nothing when the analyst cancels. The default asks in a dialog.
    void setScaledPaperChooser(std::function<std::optional<ScaledPaper>()> chooser);
    // Where "Esporta aree di danno (GIS)" writes: the local path chosen for a suggested one, empty when
    // the analyst cancels. The default asks with a file dialog.
    void setExportFileChooser(std::function<QString(const QString &suggested)> chooser);
    // Where "Elementi vulnerabili…" takes a layer from: a local path, the one used before given (empty
    // at first), empty when the analyst cancels. The default asks with a file dialog.
    void setElementsFileChooser(std::function<QString(const QString &current)> chooser);
    // What "Incidente alle coordinate…" is told; nothing when the analyst cancels. The default asks
    // with a dialog.
    void setCoordinatesAsker(std::function<std::optional<TypedCoordinates>(const CoordinatesQuestion &)> asker);

private:
    void buildControls();
    void fileChosen();
    void offerGroundScale();
    void scaleChosen(int index);
    void scaleTyped();
    [[nodiscard]] bool isScaleOnOffer(const QString &text) const;
    [[nodiscard]] std::optional<double> shownScaleFactor() const;
    [[nodiscard]] QString refusedScaleText() const;
    bool refuseMisreadUserScale();
    void stepUserScale(int step);
    bool showMap();
    void changeMap();
    void dropUnreadableMap();
    void quit();
    void surfacePressed(QPointF position, Qt::MouseButton button);
    // Draws the areas around a point of the sheet (drawing units, on the sheet), as a left press there does.
    void placeIncident(QPointF position);
    void placeIncidentAtCoordinates();
    [[nodiscard]] std::optional<map::DistanceMeasure> distanceMeasure();
    void surfaceMoved(QPointF position, Qt::MouseButtons buttons);
    void surfaceReleased();
    void startRescale();
    void applyRescale();
    void saveReport();
    void saveMap();
    void saveWholeMap();
    void savePicture(const map::Picture &picture, const QString &systemName);
    void endRescale();
    [[nodiscard]] QRect roomBesideControls() const;
    void printMap();
    void printInScale();
    // The printer for a print, or a PDF page in the output folder when none is installed and the
    // analyst wants one (`pageName` then says its system name); nothing when there is no page.
    [[nodiscard]] std::unique_ptr<QPrinter> printerOrPdf(const QString &title, const QString &pdfName,
                                                         QString &pageName);
    void sayPrinted(const QPrinter &printer, const QString &pageName, bool printed);
    // The legend of the areas drawn last, as the saved sheet and the print in scale carry it.
    [[nodiscard]] std::optional<map::SheetLegend> drawnLegend(const QDateTime &when) const;
    void exportAreas();
    // Label6: the map's system, the ground under the cursor (when given) and under the incident.
    void showGroundPosition(std::optional<QPointF> cursor);
    void showAreasDrawnControls();
    // Label7: the scale the circles are drawn at, and on a georeferenced map whether it is the
    // georeference's; the first scale of a map that is not is also said in a notice.
    void showScaleInUse();
    [[nodiscard]] bool scaleOffTheGround() const;
    void elementsClicked();
    void chooseElementsLayer();
    // Reads the layer for the map shown, unless read for it already; a failure is said.
    bool loadElements(const QString &file);
    // The elements' marks and the dialog after the areas drawn changed.
    void updateElementsReached();
    void openElementsDialog();
    void fillElementsDialog();
    [[nodiscard]] map::Picture grabWindow();
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    Platform &m_platform;
    map::ScaleState &m_scale;
    std::function<std::unique_ptr<QPrinter>()> m_printer;
    std::function<std::optional<ScaledPaper>()> m_choosePaper;
    std::function<QString(const QString &)> m_chooseExportFile;
    std::function<QString(const QString &)> m_chooseElementsFile;
    std::function<std::optional<TypedCoordinates>(const CoordinatesQuestion &)> m_askCoordinates;
    TypedCoordinates m_typedCoordinates; // offered at the next question
    QString m_outputPrefix;
    QString m_substanceName; // for the names of saved maps and pages
    std::optional<Estimate> m_estimate; // the estimate whose report is shown, for the report file
    map::DamageAreas m_areas{}; // what a press on the map draws

    MapFileLists *m_files = nullptr;
    MapSurface *m_surface = nullptr;
    QComboBox *m_scaleList = nullptr; // Combo2
    QComboBox *m_shapeList = nullptr; // Combo1
    QLineEdit *m_userScale = nullptr; // Text1
    QLineEdit *m_lengthBox = nullptr; // Text2
    QLabel *m_instructions = nullptr; // Label1
    QPlainTextEdit *m_report = nullptr; // output2
    QPushButton *m_increase = nullptr; // Command1
    QPushButton *m_decrease = nullptr; // Command2
    QPushButton *m_showMap = nullptr; // Command3
    QPushButton *m_print = nullptr; // Command4
    QPushButton *m_printInScale = nullptr; // Command15, shown with Command4
    QPushButton *m_saveReport = nullptr; // Command5
    QPushButton *m_printerSetup = nullptr; // Command6
    QPushButton *m_changeMap = nullptr; // Command7
    QPushButton *m_quit = nullptr; // Command8
    QPushButton *m_startRescale = nullptr; // Command10
    QPushButton *m_applyRescale = nullptr; // Command11
    QPushButton *m_saveMap = nullptr; // Command12
    QPushButton *m_saveWholeMap = nullptr; // Command13
    QPushButton *m_exportAreas = nullptr; // Command14
    QLabel *m_groundPosition = nullptr; // Label6: ground coordinates on a georeferenced map
    QLabel *m_scaleInUse = nullptr; // Label7: the scale of the circles, while a map is shown
    QGroupBox *m_panels[4] = {}; // Frame1..Frame4
    QLabel *m_panelLabels[4] = {}; // Label2..Label5

    // The press that started the present gesture placed the incident (drawn, or refused off the
    // sheet): its drag and release belong to it and neither draw a rubber band nor show the length box.
    bool m_gestureIsIncident = false;
    bool m_gestureIsMeasure = false; // the press measures: its drag and release too
    Qt::CursorShape m_cursorBeforeMeasure = Qt::ArrowCursor;
    bool m_rescalePending = false;
    QString m_shownMapPath; // local path of the map on the surface
    std::optional<map::Georeference> m_georeference; // of the map on the surface
    std::optional<QPointF> m_incident; // where the last areas were drawn, in drawing units
    // A georeferenced map chosen in the file list is opened at once, so that the scale list can show
    // its scale; "Mostra mappa" then shows it without reading it again.
    struct ChosenMap
    {
        QString path;
        map::OpenedMap opened;
    };
    std::optional<ChosenMap> m_chosenMap;
    // The scale of the chosen georeferenced map as the scale list shows it, and its exact factor.
    std::optional<map::ShownScale> m_groundScale;
    // The georeference's scale of the map on the surface (its true scale at the sheet's middle: at it a
    // press draws the areas as they lie on the ground), and whether the analyst has been told that the
    // circles are drawn at another one.
    std::optional<map::ShownScale> m_shownGroundScale;
    bool m_toldScaleOffTheGround = false;

    MapViewTools *m_viewTools = nullptr;
    QPushButton *m_elementsButton = nullptr;
    ElementsDialog *m_elementsDialog = nullptr; // made at first use
    std::optional<elements::MapElements> m_elements; // read for the map shown last
    std::optional<elements::ElementsReached> m_reached; // by the areas drawn on the ground
};
