#include "app/MapWindow.h"

#include "app/ElementsDialog.h"
#include "app/ElementsLayerChoice.h"
#include "app/MapFileLists.h"
#include "app/MapSurface.h"
#include "app/MapViewTools.h"
#include "app/WindowCapture.h"
#include "app/WrappingButton.h"
#include "estimate/NumberText.h"
#include "estimate/OutputFileName.h"
#include "estimate/Report.h"
#include "elements/ReachedRows.h"
#include "gis/DamageAreaExport.h"
#include "gis/GisErrors.h"
#include "map/CircleVisibility.h"
#include "map/DistanceMeasure.h"
#include "map/GroundRing.h"
#include "map/MapFiles.h"
#include "map/MapSource.h"
#include "map/SavedSheet.h"
#include "map/TypedCoordinate.h"
#include "map/ScaledPrint.h"
#include "platform/Platform.h"
#include "platform/SystemFile.h"

#include <QComboBox>
#include <QEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStyle>

#include <cmath>
#include <utility>

namespace {

const QString kCaption = QStringLiteral("ZEFRO ver. 3.0fe : visualizzazione raggi di danno su mappa");
const QString kLengthPrompt = QStringLiteral("Inserire la lunghezza del segmento disegnato in metri");
// The controls shown beside a drawn map lie right of this line of the surface.
constexpr int kControlsLeft = 656;
// How near a feature the mouse must be, in screen pixels, for its name to show.
constexpr double kHoverTolerance = 3.0;
const QString kCredits = QStringLiteral("ZEFRO ver. 3.0fe \u2013 stima speditiva delle distanze di danno\n"
                                        "incidenti rilevanti, D.Lgs.334/99  e s.m.i.\n"
                                        "uso riservato alle pubbliche amministrazioni");

// The controls keep the sizes the window has always had; captions get the largest font (up to the
// window's own) that fits them, whatever fonts the machine offers.
void fitFontToWidth(QWidget *widget, const QString &text, int room)
{
    QFont font = widget->font();
    const int largest = QFontInfo(font).pixelSize();
    for (int pixels = largest; pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        if (QFontMetrics(font).horizontalAdvance(text) <= room)
            break;
    }
    widget->setFont(font);
}

void fitWrappedFont(QLabel *label)
{
    QFont font = label->font();
    const int largest = QFontInfo(font).pixelSize();
    for (int pixels = largest; pixels >= 8; --pixels) {
        font.setPixelSize(pixels);
        const QRect needed
            = QFontMetrics(font).boundingRect(QRect(0, 0, label->width(), 10000), Qt::TextWordWrap, label->text());
        if (needed.height() <= label->height())
            break;
    }
    label->setFont(font);
}

QPushButton *makeButton(QWidget *parent, const char *name, const QString &caption, const QString &tip, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    button->setGeometry(geometry);
    fitFontToWidth(button, caption, geometry.width() - 10);
    return button;
}

std::unique_ptr<QPrinter> systemPrinter()
{
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull()) {
        const QList<QPrinterInfo> available = QPrinterInfo::availablePrinters();
        if (available.isEmpty())
            return nullptr;
        info = available.constFirst();
    }
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

// The legend: each colour's name after a swatch of it.
QString legendWithSwatches()
{
    const QStringList names = legendLabelLines();
    QStringList lines;
    for (qsizetype i = 0; i < names.size() && i < qsizetype(map::damageAreaColours().size()); ++i)
        lines << QStringLiteral("<span style=\"color:%1\">&#9632;</span>&nbsp;%2")
                     .arg(map::damageAreaColours()[std::size_t(i)].name(), names.at(i).trimmed().toHtmlEscaped());
    return lines.join(QStringLiteral("<br>"));
}

// A ground position as GIS programs show it: metres (or the system's unit) to the tenth, degrees to
// the millionth.
QString groundText(const map::Georeference &georeference, QPointF ground)
{
    if (georeference.system.geographic)
        return QStringLiteral("Lon %1°  Lat %2°").arg(ground.x(), 0, 'f', 6).arg(ground.y(), 0, 'f', 6);
    return QStringLiteral("E %1  N %2").arg(ground.x(), 0, 'f', 1).arg(ground.y(), 0, 'f', 1);
}

// The scale a georeferenced map has at its sheet's resolution, as the scale list shows it.
map::ShownScale groundScaleOf(const map::OpenedMap &opened)
{
    const map::MapSource &source = *opened.source;
    const double factor = map::groundScaleFactor(*opened.georeference, source.units(), source.size());
    return {map::scaleText(factor), factor};
}

// The save dialog of the GIS export: the type chosen in the dialog gives a name typed without one
// its extension.
QString chooseExportFileWithDialog(QWidget *parent, const QString &suggested)
{
    QFileDialog dialog(parent, QStringLiteral("Esporta aree di danno (GIS)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    const QStringList filters{QStringLiteral("GeoPackage (*.gpkg)"), QStringLiteral("GeoJSON (*.geojson)"),
                              QStringLiteral("KML (*.kml)")};
    dialog.setNameFilters(filters);
    dialog.setDefaultSuffix(QStringLiteral("gpkg"));
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString &filter) {
        dialog.setDefaultSuffix(filter.section(QStringLiteral("*."), 1).chopped(1));
    });
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

} // namespace

MapWindow::MapWindow(Platform &platform, map::ScaleState &scale, QWidget *parent)
    : QWidget(parent, Qt::Window)
    , m_platform(platform)
    , m_scale(scale)
    , m_printer(systemPrinter)
    , m_choosePaper([this] { return askScaledPaper(this); })
    , m_chooseExportFile([this](const QString &suggested) { return chooseExportFileWithDialog(this, suggested); })
    , m_chooseElementsFile([this](const QString &current) { return chooseElementsLayerWithDialog(this, current); })
    , m_askCoordinates(
          [this](const CoordinatesQuestion &question) { return askCoordinatesWithDialog(this, question); })
{
    setObjectName(QStringLiteral("map"));
    setWindowTitle(kCaption);
    setAttribute(Qt::WA_DeleteOnClose);
    buildControls();
    // The map area keeps its 1008 x 740 pixels for the controls on it, beside the scroll bars.
    const int bars = m_surface->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, m_surface);
    resize(1016 + bars, 740 + bars);
}

MapWindow::~MapWindow() = default;

void MapWindow::buildControls()
{
    m_surface = new MapSurface(this);
    m_surface->setObjectName(QStringLiteral("Picture1"));
    m_surface->setGeometry(8, 0, 1008, 741);
    m_surface->setFocusPolicy(Qt::NoFocus);
    m_surface->setControlsLeft(kControlsLeft);
    connect(m_surface, &MapSurface::pressed, this, &MapWindow::surfacePressed);
    connect(m_surface, &MapSurface::moved, this, &MapWindow::surfaceMoved);
    m_surface->viewport()->setMouseTracking(true); // the ground coordinates follow the mouse
    connect(m_surface, &MapSurface::released, this, &MapWindow::surfaceReleased);
    connect(m_surface, &MapSurface::sheetUnreadable, this, &MapWindow::dropUnreadableMap);

    // The file lists lie on the window, above the surface.
    m_files = new MapFileLists(m_platform.drives, this);
    connect(m_files, &MapFileLists::fileChosen, this, &MapWindow::fileChosen);

    // Every other control lies on the surface's viewport, fixed while the map scrolls under it.
    QWidget *s = m_surface->viewport();
    m_scaleList = new QComboBox(s);
    m_scaleList->setObjectName(QStringLiteral("Combo2"));
    m_scaleList->setEditable(true);
    m_scaleList->setInsertPolicy(QComboBox::NoInsert);
    m_scaleList->setEditText(m_scale.shown);
    m_scaleList->setToolTip(QStringLiteral("Scegliere una scala predefinita par la mappa prescelta oppure inserire "
                                           "ed aggiustare la scala qui sotto"));
    m_scaleList->setGeometry(256, 8, 193, 21);
    connect(m_scaleList, &QComboBox::activated, this, &MapWindow::scaleChosen);
    connect(m_scaleList->lineEdit(), &QLineEdit::editingFinished, this, &MapWindow::scaleTyped);

    m_userScale = new QLineEdit(QStringLiteral("Text1"), s);
    m_userScale->setObjectName(QStringLiteral("Text1"));
    m_userScale->setGeometry(256, 56, 81, 25);

    m_increase = makeButton(s, "Command1", QStringLiteral("Aumenta la scala"),
                            QStringLiteral("Aumenta manualmente la scala di una unità"), {352, 48, 97, 25});
    m_decrease = makeButton(s, "Command2", QStringLiteral("Diminuisci la scala"),
                            QStringLiteral("Diminuisci manualmente la scala di una unità"), {352, 80, 97, 25});
    connect(m_increase, &QPushButton::clicked, this, [this] { stepUserScale(+1); });
    connect(m_decrease, &QPushButton::clicked, this, [this] { stepUserScale(-1); });

    m_shapeList = new QComboBox(s);
    m_shapeList->setObjectName(QStringLiteral("Combo1"));
    m_shapeList->setEditable(true);
    m_shapeList->addItems({QStringLiteral("Circolare"), QStringLiteral("Semicerchio"),
                           QStringLiteral("plume (y/x=costante)"), QStringLiteral("puff !")});
    m_shapeList->setEditText(QStringLiteral("Scelta della forma dell'area di danno"));
    m_shapeList->setEnabled(false); // the areas are always full circles
    m_shapeList->setGeometry(256, 112, 193, 21);
    fitFontToWidth(m_shapeList, m_shapeList->currentText(), 193 - 30);
    m_shapeList->lineEdit()->setCursorPosition(0);

    m_instructions = new QLabel(QStringLiteral("Premere \"Mostra mappa\", ingrandire la figura a tutto schermo se "
                                               "desirato e posizionare il cursore sull'origine dell'incidente"),
                                s);
    m_instructions->setObjectName(QStringLiteral("Label1"));
    m_instructions->setWordWrap(true);
    m_instructions->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_instructions->setAutoFillBackground(true);
    m_instructions->setGeometry(256, 152, 193, 57);
    fitWrappedFont(m_instructions);

    m_showMap = makeButton(s, "Command3", QStringLiteral("Mostra mappa"),
                           QStringLiteral("Mostra la mappa selezionata posizionando i cerchi di danno con la scala "
                                          "prescelta"),
                           {256, 216, 193, 33});
    connect(m_showMap, &QPushButton::clicked, this, &MapWindow::showMap);

    m_printerSetup = makeButton(s, "Command6", QStringLiteral("Setup stampante"), QString(), {256, 272, 193, 33});
    m_printerSetup->setEnabled(false);

    m_saveReport = makeButton(s, "Command5", QStringLiteral("Salva report su file"),
                              QStringLiteral("Salva i risultati su file. Successivamente si potrà editare il file "
                                             "con Notebook"),
                              {256, 320, 193, 33});
    connect(m_saveReport, &QPushButton::clicked, this, &MapWindow::saveReport);

    m_report = new QPlainTextEdit(s);
    m_report->setObjectName(QStringLiteral("output2"));
    QFont courier(QStringLiteral("Courier New"));
    courier.setStyleHint(QFont::TypeWriter);
    courier.setPointSize(9);
    m_report->setFont(courier);
    m_report->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_report->setGeometry(16, 368, 633, 361);

    m_lengthBox = new QLineEdit(kLengthPrompt, s);
    m_lengthBox->setObjectName(QStringLiteral("Text2"));
    m_lengthBox->setToolTip(QStringLiteral("Prima premere Riscalatura poi tracciare con il mouse il segmento di "
                                           "lunghezza nota e inserire qui il valore reale in metri. Poi premere "
                                           "Riscala"));
    m_lengthBox->setGeometry(728, 272, 273, 25);
    fitFontToWidth(m_lengthBox, kLengthPrompt, 273 - 12);
    m_lengthBox->setCursorPosition(0);
    m_lengthBox->installEventFilter(this);

    m_startRescale
        = makeButton(s, "Command10", QStringLiteral("Riscalatura manuale della mappa"),
                     QStringLiteral("Riscala la mappa attraverso un segmento di lunghezza nota"), {728, 304, 177, 25});
    connect(m_startRescale, &QPushButton::clicked, this, &MapWindow::startRescale);
    m_applyRescale = makeButton(s, "Command11", QStringLiteral("Riscala"),
                                QStringLiteral("Dopo avere premuto il pulsante Riscalatura ed inserito il valore "
                                               "nella casella permette di riposizionare i cerchi di danno"),
                                {920, 304, 81, 25});
    connect(m_applyRescale, &QPushButton::clicked, this, &MapWindow::applyRescale);
    m_saveMap = makeButton(s, "Command12", QStringLiteral("Salva la mappa su file"),
                           QStringLiteral("Salva la finestra come appare, con i cerchi di danno"), {728, 336, 273, 25});
    connect(m_saveMap, &QPushButton::clicked, this, &MapWindow::saveMap);
    m_saveWholeMap = makeButton(s, "Command13", QStringLiteral("Salva la mappa intera"),
                                QStringLiteral("Salva tutta la mappa con i cerchi di danno, alla risoluzione del file "
                                               "della mappa"),
                                {728, 240, 273, 25});
    connect(m_saveWholeMap, &QPushButton::clicked, this, &MapWindow::saveWholeMap);
    m_exportAreas = makeButton(s, "Command14", QStringLiteral("Esporta aree di danno (GIS)"),
                               QStringLiteral("Salva le aree di danno disegnate come file GeoPackage, GeoJSON o KML "
                                              "per un GIS"),
                               {728, 208, 273, 25});
    connect(m_exportAreas, &QPushButton::clicked, this, &MapWindow::exportAreas);
    m_groundPosition = new QLabel(s);
    m_groundPosition->setObjectName(QStringLiteral("Label6"));
    m_groundPosition->setAutoFillBackground(true);
    m_groundPosition->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_groundPosition->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_groundPosition->setGeometry(728, 152, 273, 49);
    m_scaleInUse = new QLabel(s);
    m_scaleInUse->setObjectName(QStringLiteral("Label7"));
    m_scaleInUse->setAutoFillBackground(true);
    m_scaleInUse->setWordWrap(true);
    m_scaleInUse->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_scaleInUse->setGeometry(728, 104, 273, 44);
    m_print = makeButton(s, "Command4", QStringLiteral("Stampa mappa"),
                         QStringLiteral("Stampa la mappa con i cerchi di danno su stampante"), {728, 368, 81, 25});
    connect(m_print, &QPushButton::clicked, this, &MapWindow::printMap);
    // In free room left of "Stampa mappa", above the legend panel.
    m_printInScale = new WrappingButton(QStringLiteral("Stampa in scala"), s);
    m_printInScale->setObjectName(QStringLiteral("Command15"));
    m_printInScale->setToolTip(QStringLiteral("Stampa la mappa intorno all'incidente alla scala indicata (1:N sulla "
                                              "carta), con scala grafica, legenda e, su una mappa georiferita, "
                                              "reticolo di coordinate e nord"));
    m_printInScale->setGeometry(656, 368, 65, 41);
    connect(m_printInScale, &QPushButton::clicked, this, &MapWindow::printInScale);
    m_changeMap = makeButton(s, "Command7", QStringLiteral("Cambia mappa"),
                             QStringLiteral("Permette di cambiare la mappa"), {824, 368, 81, 25});
    connect(m_changeMap, &QPushButton::clicked, this, &MapWindow::changeMap);
    m_quit = makeButton(s, "Command8", QStringLiteral("Esci"), QStringLiteral("Quit"), {920, 368, 81, 25});
    connect(m_quit, &QPushButton::clicked, this, &MapWindow::quit);

    struct PanelSpec
    {
        const char *frame;
        const char *label;
        const char *title;
        QRect geometry;
        QString text;
    };
    const PanelSpec panels[4] = {
        {"Frame1", "Label2", "", {656, 672, 345, 57}, kCredits},
        {"Frame2", "Label3", "Dati", {728, 400, 273, 135}, QString()},
        {"Frame3", "Label4", "Risultati", {728, 536, 273, 135}, QString()},
        {"Frame4", "Label5", "Legenda", {656, 536, 65, 135}, QString()},
    };
    QFont small = font();
    small.setPixelSize(10);
    for (int i = 0; i < 4; ++i) {
        auto *frame = new QGroupBox(QString::fromUtf8(panels[i].title), s);
        frame->setObjectName(QLatin1String(panels[i].frame));
        frame->setGeometry(panels[i].geometry);
        frame->setAutoFillBackground(true);
        auto *label = new QLabel(panels[i].text, frame);
        label->setObjectName(QLatin1String(panels[i].label));
        label->setFont(small);
        label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        const int top = i == 0 ? 4 : 16;
        label->setGeometry(5, top, panels[i].geometry.width() - 8, panels[i].geometry.height() - top - 3);
        frame->hide();
        m_panels[i] = frame;
        m_panelLabels[i] = label;
    }
    m_panelLabels[3]->setTextFormat(Qt::RichText);
    m_panelLabels[0]->setWordWrap(true);
    m_panelLabels[1]->setWordWrap(true); // long containment names

    // Made last, in free room above the scale panel, so that every other control keeps its place in
    // the tab order.
    m_elementsButton = makeButton(s, "elementsButton", QStringLiteral("Elementi vulnerabili…"),
                                  QStringLiteral("Sceglie uno strato di elementi vulnerabili (scuole, ospedali, "
                                                 "abitazioni) da disegnare sulla mappa georiferita e mostra quelli "
                                                 "raggiunti dalle aree di danno"),
                                  {728, 72, 273, 25});
    connect(m_elementsButton, &QPushButton::clicked, this, &MapWindow::elementsClicked);
    m_elementsButton->hide(); // until a map is shown

    m_viewTools = new MapViewTools(m_surface, this, s);
    m_viewTools->setMeasureSource([this] { return distanceMeasure(); });
    connect(m_viewTools, &MapViewTools::coordinatesAsked, this, &MapWindow::placeIncidentAtCoordinates);
    connect(m_viewTools, &MapViewTools::measureStarted, this, [this] {
        m_cursorBeforeMeasure = m_surface->cursor().shape();
        m_surface->setCursor(Qt::CrossCursor);
    });
    connect(m_viewTools, &MapViewTools::measureEnded, this, [this] { m_surface->setCursor(m_cursorBeforeMeasure); });
    m_viewTools->hide(); // until a map is shown

    // Start visibility: the file lists, the report, "Salva report su file", "Cambia mappa", "Esci".
    for (QWidget *hidden : std::initializer_list<QWidget *>{
             m_scaleList, m_userScale, m_increase, m_decrease, m_shapeList, m_instructions, m_showMap, m_printerSetup,
             m_lengthBox, m_startRescale, m_applyRescale, m_saveMap, m_saveWholeMap, m_exportAreas, m_groundPosition,
             m_scaleInUse, m_print, m_printInScale})
        hidden->hide();
    m_files->setVisible(true);
}

void MapWindow::beginEstimate(const QString &systemFolder, const QString &substanceName)
{
    // A saved or printed map must never pair the last estimate's circles with the new figures.
    endRescale();
    m_viewTools->endMeasure();
    m_surface->drawings().clear();
    m_surface->refresh();
    m_incident.reset();
    showGroundPosition(std::nullopt);
    updateElementsReached();
    for (QWidget *hidden :
         std::initializer_list<QWidget *>{m_showMap, m_saveReport, m_changeMap, m_quit, m_panelLabels[3], m_print,
                                          m_printInScale, m_saveMap, m_saveWholeMap, m_exportAreas})
        hidden->hide();
    raise();
    activateWindow();
    m_substanceName = substanceName;
    m_files->setFolder(m_platform.drives.toLocal(systemFolder));
}

void MapWindow::showEstimate(const Estimate &estimate)
{
    const QLatin1Char newline('\n');
    m_report->setPlainText(reportBoxLines(estimate).join(newline));
    m_panelLabels[1]->setText(dataLabelLines(estimate).join(newline));
    m_panelLabels[2]->setText(resultsLabelLines(estimate).join(newline));
    m_panelLabels[3]->setText(legendWithSwatches());
    m_saveReport->show();
    m_printerSetup->hide();
    m_estimate = estimate;
    m_areas = estimate.distances;
}

void MapWindow::clearDamageAreas()
{
    m_areas = map::DamageAreas{};
}

void MapWindow::setOutputPrefix(const QString &prefix)
{
    m_outputPrefix = prefix;
}

void MapWindow::setPrinterSource(std::function<std::unique_ptr<QPrinter>()> source)
{
    m_printer = std::move(source);
}

void MapWindow::setScaledPaperChooser(std::function<std::optional<ScaledPaper>()> chooser)
{
    m_choosePaper = std::move(chooser);
}

void MapWindow::setExportFileChooser(std::function<QString(const QString &)> chooser)
{
    m_chooseExportFile = std::move(chooser);
}

void MapWindow::setElementsFileChooser(std::function<QString(const QString &)> chooser)
{
    m_chooseElementsFile = std::move(chooser);
}

void MapWindow::setCoordinatesAsker(std::function<std::optional<TypedCoordinates>(const CoordinatesQuestion &)> asker)
{
    m_askCoordinates = std::move(asker);
}

void MapWindow::fileChosen()
{
    m_shapeList->show();
    m_shapeList->setEnabled(false);
    m_scaleList->show();
    for (QWidget *control : {static_cast<QWidget *>(m_userScale), static_cast<QWidget *>(m_increase),
                             static_cast<QWidget *>(m_decrease), static_cast<QWidget *>(m_showMap)})
        control->show();
    // The list is filled afresh at every map choice; the text shown stays as it was.
    const QString shown = m_scaleList->currentText();
    m_scaleList->clear();
    m_scaleList->addItems(map::scaleListEntries());
    m_scaleList->setEditText(shown);
    m_userScale->setText(QStringLiteral("1:1"));
    offerGroundScale();
}

void MapWindow::offerGroundScale()
{
    const bool groundScaleShown = m_groundScale && m_scaleList->currentText() == m_groundScale->text;
    m_chosenMap.reset();
    m_groundScale.reset();
    const QString chosen = m_files->chosenFile();
    const QString path = chosen.isEmpty() ? QString() : map::mapFilePath(m_files->folder(), chosen);
    // Only a georeferenced map is opened now (peeking reads no pixels); a map that does not open is
    // left to "Mostra mappa", which says why.
    if (map::peekGeoreference(path)) {
        Outcome<map::OpenedMap> opened = map::openMap(path);
        if (opened.ok() && opened.value().georeference) {
            m_groundScale = groundScaleOf(opened.value());
            m_scaleList->setEditText(m_groundScale->text);
            m_chosenMap = ChosenMap{path, std::move(opened.value())};
            return;
        }
    }
    // Another map than a georeferenced one gets the scale chosen before it back.
    if (groundScaleShown)
        m_scaleList->setEditText(m_scale.shown);
}

void MapWindow::scaleChosen(int index)
{
    const QString entry = m_scaleList->itemText(index);
    if (entry == map::kUserDefinedScaleEntry) {
        m_userScale->show();
        m_increase->show();
        m_decrease->show();
    }
    if (const std::optional<double> factor = map::scaleFactorForEntry(entry))
        m_scale.factor = *factor;
    m_scale.shown = entry;
    for (QWidget *control : {static_cast<QWidget *>(m_instructions), static_cast<QWidget *>(m_shapeList),
                             static_cast<QWidget *>(m_scaleList), static_cast<QWidget *>(m_showMap),
                             static_cast<QWidget *>(m_printerSetup)})
        control->show();
}

void MapWindow::stepUserScale(int step)
{
    m_userScale->setText(map::steppedUserScaleText(m_userScale->text(), step));
}

void MapWindow::scaleTyped()
{
    // A typed scale stays and is used at "Mostra mappa"; any other text gives way to the last scale,
    // and a denominator with a decimal part is said to be refused, since it looks like a scale.
    const QString typed = m_scaleList->currentText();
    if (isScaleOnOffer(typed)) {
        m_scale.shown = typed;
        return;
    }
    m_scaleList->setEditText(m_scale.shown);
    const Outcome<double> written = map::writtenScaleDenominator(typed);
    if (!written.ok() && written.error().kind == Error::Kind::ScaleWithDecimals)
        m_platform.messages.notify(written.error().message()
                                       + QStringLiteral("\n\nNell'elenco resta \"%1\".").arg(m_scale.shown),
                                   MessageIcon::Information);
}

bool MapWindow::isScaleOnOffer(const QString &text) const
{
    return text == map::kUserDefinedScaleEntry || map::scaleFactorForEntry(text)
        || (m_groundScale && text == m_groundScale->text) || (m_scale.measured && text == m_scale.measured->text)
        || map::writtenScaleDenominator(text).ok();
}

std::optional<double> MapWindow::shownScaleFactor() const
{
    // The scale a rescale measured and a georeference's are kept exactly; their texts are rounded.
    const QString shown = m_scaleList->currentText();
    if (m_groundScale && shown == m_groundScale->text)
        return m_groundScale->factor;
    if (m_scale.measured && shown == m_scale.measured->text)
        return m_scale.measured->factor;
    if (shown == map::kUserDefinedScaleEntry)
        return map::userScaleFactor(m_userScale->text());
    if (const std::optional<double> entry = map::scaleFactorForEntry(shown))
        return entry;
    const Outcome<double> written = map::writtenScaleDenominator(shown);
    return written.ok() ? map::scaleFactorForDenominator(written.value()) : std::nullopt;
}

QString MapWindow::refusedScaleText() const
{
    const QString shown = m_scaleList->currentText();
    if (shown == map::kUserDefinedScaleEntry)
        return QStringLiteral("La scala definita dall'utente \"%1\" non è valida: scrivere \"1:\" seguito da un "
                              "denominatore maggiore di zero, ad esempio 1:5000.")
            .arg(m_userScale->text());
    const Outcome<double> written = map::writtenScaleDenominator(shown);
    if (!written.ok() && written.error().kind == Error::Kind::ScaleWithDecimals)
        return written.error().message();
    return QStringLiteral("La scala \"%1\" non è valida: scegliere una scala dall'elenco oppure scrivere \"1:\" "
                          "seguito da un denominatore maggiore di zero, ad esempio 1:5000.")
        .arg(shown);
}

bool MapWindow::refuseMisreadUserScale()
{
    // Text1 keeps its reading rule (from the third character, up to the first one that cannot go on
    // a number); a thousands separator stops it, and the analyst is told rather than given 1:10.
    if (m_scaleList->currentText() != map::kUserDefinedScaleEntry)
        return false;
    const QString typed = m_userScale->text();
    const std::optional<double> meant = map::userScaleMisread(typed);
    if (!meant)
        return false;
    const QString whole = QString::number(*meant, 'f', 0);
    m_platform.messages.notify(
        QStringLiteral("La scala definita dall'utente \"%1\" si legge 1:%2: il denominatore si legge dal terzo "
                       "carattere fino al primo carattere che non fa parte di un numero. Per la scala 1:%3 scrivere "
                       "\"1:%3\", senza separatori delle migliaia.")
            .arg(typed, QString::number(map::userScaleDenominator(typed)), whole),
        MessageIcon::Information);
    return true;
}

bool MapWindow::showMap()
{
    // Everything that can fail is checked before anything changes, so a refusal leaves the window
    // as it was.
    if (refuseMisreadUserScale())
        return false;
    const std::optional<double> factor = shownScaleFactor();
    if (!factor) {
        m_platform.messages.show(
            {refusedScaleText(), kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
        return false;
    }
    // The chosen file; with none chosen (another folder opened after "Cambia mappa") the map on
    // the surface is loaded again, as a cancelled drawing expects.
    const QString chosen = m_files->chosenFile();
    const QString path = chosen.isEmpty() ? m_shownMapPath : map::mapFilePath(m_files->folder(), chosen);
    if (path.isEmpty()) {
        m_platform.messages.show({QStringLiteral("Nessun file mappa scelto: selezionare una mappa nell'elenco."),
                                  kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
        return false;
    }
    Outcome<map::OpenedMap> loaded = m_chosenMap && m_chosenMap->path == path
        ? Outcome<map::OpenedMap>(std::move(m_chosenMap->opened))
        : map::openMap(path);
    m_chosenMap.reset();
    // A raster read as it is shown gives its first view before it takes the place of the map shown.
    if (loaded.ok()) {
        const QRect firstView(QPoint(0, 0), m_surface->viewport()->size());
        if (const Outcome<QImage> first = loaded.value().source->region(firstView); !first.ok())
            loaded = first.error();
    }
    if (!loaded.ok()) {
        m_platform.messages.show({loaded.error().message(), kDefaultMessageTitle, MessageButtons::Ok,
                                  MessageIcon::Warning, MessageAnswer::Ok});
        return false;
    }

    m_printerSetup->hide();
    m_scale.factor = *factor;
    m_scale.shown = m_scaleList->currentText();
    endRescale();
    m_viewTools->endMeasure();
    for (QWidget *hidden : std::initializer_list<QWidget *>{
             m_print,          m_panels[0],      m_panels[1],      m_panels[2],    m_panels[3],    m_panelLabels[0],
             m_panelLabels[1], m_panelLabels[2], m_panelLabels[3], m_userScale,    m_lengthBox,    m_increase,
             m_decrease,       m_showMap,        m_saveReport,     m_startRescale, m_applyRescale, m_saveMap,
             m_saveWholeMap,   m_exportAreas,    m_instructions,   m_shapeList,    m_scaleList,    m_report,
             m_printInScale})
        hidden->hide();
    m_files->setVisible(false);
    m_georeference = loaded.value().georeference;
    m_shownGroundScale = m_georeference ? std::optional(groundScaleOf(loaded.value())) : std::nullopt;
    m_surface->setMap(std::move(loaded.value().source));
    m_groundPosition->setVisible(m_georeference.has_value());
    m_incident.reset();
    showGroundPosition(std::nullopt);
    if (path != m_shownMapPath)
        m_toldScaleOffTheGround = false; // told once a map
    m_shownMapPath = path;
    m_elementsButton->show();
    m_viewTools->setGeoreferenced(m_georeference.has_value());
    m_viewTools->show();
    m_reached.reset();
    // Read afresh: the inventory dialog may have chosen another since.
    if (const QString layer = rememberedElementsLayer(); m_georeference && !layer.isEmpty() && loadElements(layer))
        updateElementsReached();
    else if (m_elementsDialog)
        m_elementsDialog->hide(); // its table belongs to another map
    m_surface->setCursor(Qt::CrossCursor);
    if (!loaded.value().notice.isEmpty())
        m_platform.messages.notify(loaded.value().notice, MessageIcon::Information);
    showScaleInUse();
    return true;
}

void MapWindow::dropUnreadableMap()
{
    const std::optional<Error> why = m_surface->unreadable();
    if (!why)
        return;
    // The file turned out damaged where it had not been read yet: the map leaves the surface, with
    // what was drawn on it, and the analyst chooses a map again.
    endRescale();
    m_viewTools->endMeasure();
    m_viewTools->hide();
    m_surface->setMap(nullptr);
    m_shownMapPath.clear();
    m_georeference.reset();
    m_shownGroundScale.reset();
    m_incident.reset();
    m_elements.reset();
    m_reached.reset();
    m_groundPosition->hide();
    m_scaleInUse->hide();
    m_elementsButton->hide();
    if (m_elementsDialog)
        m_elementsDialog->hide();
    for (QWidget *onTheMap : std::initializer_list<QWidget *>{m_saveMap, m_saveWholeMap, m_exportAreas, m_startRescale,
                                                              m_applyRescale, m_lengthBox})
        onTheMap->hide();
    changeMap();
    m_platform.messages.show({why->message() + QStringLiteral("\n\nLa mappa è stata tolta: sceglierne un'altra."),
                              kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Critical, MessageAnswer::Ok});
}

void MapWindow::changeMap()
{
    endRescale();
    m_viewTools->endMeasure();
    m_print->hide();
    m_printInScale->hide();
    m_changeMap->hide();
    m_quit->hide();
    m_files->refresh();
    m_files->setVisible(true);
}

void MapWindow::quit()
{
    if (!askToContinue(m_platform.messages))
        m_platform.exit.endProgram();
}

void MapWindow::surfacePressed(QPointF position, Qt::MouseButton button)
{
    m_gestureIsIncident = false;
    m_gestureIsMeasure = false;
    if (!m_surface->hasMap())
        return; // no map yet: nothing to draw on
    if (m_viewTools->isMeasuring()) {
        // The measure has the presses while it is on: none draws areas or starts a segment.
        m_gestureIsMeasure = true;
        if (button == Qt::LeftButton)
            m_viewTools->measureFrom(position);
        return;
    }
    if (m_rescalePending || button != Qt::LeftButton) {
        // A press that draws no areas starts a segment: the drag shows it as a rubber band.
        m_surface->drawings().startSegment(position);
        return;
    }
    m_gestureIsIncident = true;
    const map::MapSource &sheet = *m_surface->source();
    const map::MapUnits &units = sheet.units();
    if (!sheet.rect().contains(units.toPixel(position))) {
        // Around a point off the sheet the circles would lie on nothing, and an export would place
        // the incident where no map says anything.
        m_platform.messages.notify(QStringLiteral("Il punto scelto è fuori dalla mappa, che misura %1 x %2 cm: fare "
                                                  "clic sulla mappa nel punto dell'incidente.")
                                       .arg(sheet.size().width() / units.pixelsPerUnitX(), 0, 'f', 2)
                                       .arg(sheet.size().height() / units.pixelsPerUnitY(), 0, 'f', 2),
                                   MessageIcon::Information);
        return;
    }
    placeIncident(position);
}

void MapWindow::placeIncident(QPointF position)
{
    const map::MapSource &sheet = *m_surface->source();
    const map::MapUnits &units = sheet.units();
    map::DrawnAreas drawn{position, m_areas, m_scale.factor};
    if (m_shownGroundScale && !scaleOffTheGround()) {
        // At the map's own scale the areas are drawn as they lie on the ground, as they are exported.
        const QPointF ground = map::groundAtUnits(*m_georeference, m_surface->units(), position);
        Outcome<map::AreaRings> rings = map::sheetRings(*m_georeference, ground, m_areas);
        if (!rings.ok()) {
            Error error = rings.error();
            error.file = QFileInfo(m_shownMapPath).fileName();
            m_platform.messages.show(
                {error.message(), kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
            return;
        }
        drawn.rings = std::move(rings.value());
    }
    m_surface->drawings().addAreas(drawn);
    updateElementsReached();
    m_incident = position;
    showGroundPosition(position);
    // The incident and, as far as they lie on the sheet, its areas; when none of them shows on the
    // sheet (all around it, or under a pixel), the incident alone.
    const map::CircleVisibility visibility
        = map::circleVisibility(m_areas, m_scale.factor, units, sheet.size(), position);
    const QPointF incidentPixel = QPointF(units.toPixel(position)) + QPointF(0.5, 0.5);
    const QRectF shownAreas = visibility == map::CircleVisibility::Seen
        ? map::areasExtent(drawn, units).intersected(QRectF(sheet.rect()))
        : QRectF(incidentPixel, QSizeF());
    m_surface->showArea(shownAreas, incidentPixel, roomBesideControls());
    m_surface->refresh();
    if (const QString unseen = map::unseenCirclesNotice(visibility, m_scale.factor); !unseen.isEmpty())
        m_platform.messages.notify(unseen, MessageIcon::Information);
    const MessageAnswer answer
        = m_platform.messages.show({QStringLiteral("Done! Do you want to cancel? "), QStringLiteral("Save figure"),
                                    MessageButtons::YesNo, MessageIcon::Information, MessageAnswer::Yes});
    if (answer == MessageAnswer::Yes) {
        // The map is loaded again without its circles, seen as it was.
        const map::MapView view = m_surface->view();
        const QString drawnOn = m_shownMapPath;
        if (showMap() && m_shownMapPath == drawnOn)
            m_surface->setView(view);
    }
    m_surface->unsetCursor();
    showAreasDrawnControls();
}

QRect MapWindow::roomBesideControls() const
{
    // Left of the panels and buttons, clear of the viewport's edges.
    constexpr int margin = 16;
    const QSize view = m_surface->viewport()->size();
    return QRect(margin, margin, std::max(1, std::min(kControlsLeft, view.width()) - 2 * margin),
                 std::max(1, view.height() - 2 * margin));
}

void MapWindow::showAreasDrawnControls()
{
    for (QWidget *shown : std::initializer_list<QWidget *>{m_print, m_printInScale, m_changeMap, m_quit, m_startRescale,
                                                           m_applyRescale, m_saveMap, m_saveWholeMap, m_exportAreas})
        shown->show();
    // Only a georeferenced map places the areas on the ground.
    m_exportAreas->setEnabled(m_georeference.has_value());
    for (int i = 0; i < 4; ++i) {
        m_panels[i]->show();
        m_panelLabels[i]->show();
    }
}

void MapWindow::surfaceMoved(QPointF position, Qt::MouseButtons buttons)
{
    showGroundPosition(position);
    if (m_gestureIsMeasure) {
        if (buttons & Qt::LeftButton)
            m_viewTools->measureTo(position);
        return;
    }
    if (const std::vector<map::DrawnFeature> &features = m_surface->drawings().features(); !features.empty()) {
        const std::optional<std::size_t> under = map::featureAt(
            features, QPointF(m_surface->units().toPixel(position)), kHoverTolerance / m_surface->zoom());
        // The scroll area answers its viewport's tool-tip events.
        const QString name = under ? features[*under].name : QString();
        m_surface->setToolTip(name);
        m_surface->viewport()->setToolTip(name);
    }
    if (buttons == Qt::NoButton || m_gestureIsIncident || !m_surface->hasMap())
        return;
    m_surface->drawings().extendSegment(position);
    m_surface->refresh();
}

void MapWindow::surfaceReleased()
{
    if (m_gestureIsIncident || m_gestureIsMeasure || !m_surface->hasMap())
        return;
    m_lengthBox->show();
}

void MapWindow::startRescale()
{
    m_viewTools->endMeasure(); // the next press starts the segment
    m_rescalePending = true;
}

void MapWindow::endRescale()
{
    m_rescalePending = false;
}

void MapWindow::applyRescale()
{
    const double metres = LeadingNumber(m_lengthBox->text());
    if (metres == 0.0)
        return; // the rescale stays pending until a length is given
    if (metres < 0.0) {
        m_platform.messages.show({QStringLiteral("La lunghezza del segmento deve essere un numero di metri maggiore "
                                                 "di zero."),
                                  kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
        return;
    }
    const std::optional<map::DrawnSegment> segment = m_surface->drawings().lastSegment();
    if (!segment || segment->from == segment->to) {
        // A factor of 0 would make every later damage area vanish without a word.
        m_platform.messages.show({QStringLiteral("Il segmento tracciato ha lunghezza nulla: tracciare sulla mappa un "
                                                 "segmento di lunghezza nota, poi premere di nuovo \"Riscala\"."),
                                  kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
        return;
    }
    // The scale list shows the new scale, and the factor is the one it shows: a later "Mostra mappa"
    // (a cancelled drawing, another map) keeps it.
    m_scale.measured = map::roundedScale(map::scaleFactorFromSegment(segment->from, segment->to, metres));
    m_scale.shown = m_scale.measured->text;
    m_scale.factor = m_scale.measured->factor;
    m_scaleList->setEditText(m_scale.shown);
    endRescale();
    m_surface->setCursor(Qt::CrossCursor);
    showScaleInUse();
}

std::optional<map::DistanceMeasure> MapWindow::distanceMeasure()
{
    // As the areas are drawn: on the ground at the georeference's scale, else at the scale in use.
    if (!m_georeference || scaleOffTheGround() || !m_shownGroundScale)
        return map::DistanceMeasure::atScale(m_scale.factor);
    Outcome<map::DistanceMeasure> ground = map::DistanceMeasure::onGround(*m_georeference, m_surface->units());
    if (ground.ok())
        return ground.value();
    m_platform.messages.show({ground.error().message(), kDefaultMessageTitle, MessageButtons::Ok,
                              MessageIcon::Warning, MessageAnswer::Ok});
    return std::nullopt;
}

void MapWindow::placeIncidentAtCoordinates()
{
    const map::MapSource *sheet = m_surface->source();
    if (!m_georeference || !sheet)
        return;
    const bool geographic = m_georeference->system.geographic;
    const std::optional<TypedCoordinates> typed = m_askCoordinates(
        {m_georeference->system.label(), geographic, m_typedCoordinates.first, m_typedCoordinates.second});
    if (!typed)
        return; // cancelled
    m_typedCoordinates = *typed;
    const std::optional<double> x = map::typedCoordinate(typed->first);
    const std::optional<double> y = map::typedCoordinate(typed->second);
    if (!x || !y) {
        const QString name = !x ? (geographic ? QStringLiteral("La longitudine") : QStringLiteral("La coordinata E"))
                                : (geographic ? QStringLiteral("La latitudine") : QStringLiteral("La coordinata N"));
        m_platform.messages.show({QStringLiteral("%1 \"%2\" non è un numero: scrivere le cifre con la virgola o il "
                                                 "punto per i decimali, senza separatori delle migliaia.")
                                      .arg(name, !x ? typed->first : typed->second),
                                  kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
        return;
    }
    // The pixel holding the point, and its centre, as a press on it gives.
    const QPointF pixel = m_georeference->pixelAt(QPointF(*x, *y));
    const bool onSheet = std::isfinite(pixel.x()) && std::isfinite(pixel.y())
        && QRectF(sheet->rect()).contains(pixel) && pixel.x() < sheet->size().width()
        && pixel.y() < sheet->size().height();
    if (!onSheet) {
        const QPointF first = m_georeference->groundAt(QPointF(0, 0));
        const QPointF last = m_georeference->groundAt(QPointF(sheet->size().width(), sheet->size().height()));
        const auto ground = [this](QPointF at) { return groundText(*m_georeference, at); };
        m_platform.messages.notify(QStringLiteral("Il punto %1 è fuori dalla mappa, che va da %2 a %3: scrivere le "
                                                  "coordinate di un punto della mappa.")
                                       .arg(ground(QPointF(*x, *y)), ground(first), ground(last)),
                                   MessageIcon::Information);
        return;
    }
    m_viewTools->endMeasure();
    const QPoint whole(int(std::floor(pixel.x())), int(std::floor(pixel.y())));
    placeIncident(sheet->units().toUnits(QPointF(whole) + QPointF(0.5, 0.5)));
}

bool MapWindow::scaleOffTheGround() const
{
    // Within a thousandth the circles keep the ground's size to a pixel on any screen-sized view.
    return m_shownGroundScale && std::abs(m_scale.factor / m_shownGroundScale->factor - 1.0) > 1e-3;
}

void MapWindow::showScaleInUse()
{
    const QString scale = map::scaleText(m_scale.factor);
    QString text = QStringLiteral("Cerchi alla scala %1").arg(scale);
    if (scaleOffTheGround())
        text += QStringLiteral(", non a quella della georeferenziazione (%1): non hanno la misura del terreno né "
                               "delle aree esportate")
                    .arg(m_shownGroundScale->text);
    else if (m_shownGroundScale)
        text += QStringLiteral(" della georeferenziazione");
    m_scaleInUse->setText(text);
    m_scaleInUse->show();
    if (!scaleOffTheGround() || std::exchange(m_toldScaleOffTheGround, true))
        return;
    m_platform.messages.notify(
        QStringLiteral("La mappa \"%1\" è georiferita alla scala %2. I cerchi sono disegnati alla scala %3: non hanno "
                       "la misura del terreno, e le aree di danno esportate per un GIS, che hanno le distanze della "
                       "stima, non coincidono con i cerchi disegnati. Per la misura del terreno scegliere di nuovo la "
                       "mappa nell'elenco: la scala proposta è quella della georeferenziazione.")
            .arg(QFileInfo(m_shownMapPath).fileName(), m_shownGroundScale->text, scale),
        MessageIcon::Information);
}

void MapWindow::saveReport()
{
    if (!m_estimate)
        return;
    const Outcome<QString> saved = appendReportFile(m_outputPrefix, m_platform.drives, m_platform.now(), *m_estimate);
    if (!saved.ok()) {
        // Nothing was lost: the button stays, so the report can be saved once the cause is removed.
        m_platform.messages.notify(saved.error().message(), MessageIcon::Critical);
        return;
    }
    const MessageAnswer answer = m_platform.messages.show(
        {reportSavedQuestion(saved.value(), m_platform.drives.toLocal(saved.value())), kReportSavedTitle,
         MessageButtons::YesNo, MessageIcon::Information, MessageAnswer::Yes});
    if (answer == MessageAnswer::Yes)
        m_platform.launch(QStringLiteral("notepad ") + saved.value());
    m_saveReport->hide(); // one report per estimate
}

void MapWindow::saveMap()
{
    const QString systemName = MapFileName(m_outputPrefix, m_platform.now(), m_substanceName);
    const map::Picture picture = grabWindow();
    if (m_surface->unreadable())
        return; // the picture lacks what the file could not give; the window is being told
    savePicture(picture, systemName);
}

void MapWindow::saveWholeMap()
{
    const map::MapSource *source = m_surface->source();
    if (!source)
        return;
    const QDateTime now = m_platform.now();
    const std::vector<map::DrawnAreas> drawn = m_surface->drawings().areas();
    const QRectF box = map::areasBox(drawn, source->units());
    const QRect part = map::savedPart(source->size(), box);
    if (part.isEmpty()) {
        m_platform.messages.show(
            {QStringLiteral("La mappa misura %1 x %2 pixel: è troppo grande per salvarla in un file, e lo è anche "
                            "la sua parte intorno alle aree di danno. Salvare la finestra con \"Salva la mappa su "
                            "file\" oppure esportare le aree di danno per un GIS.")
                 .arg(source->size().width())
                 .arg(source->size().height()),
             kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
        return;
    }
    map::SheetPicture picture{part, {}, {}, m_georeference};
    if (const std::optional<map::SheetLegend> legend = drawnLegend(now)) {
        map::PlacedLegend placed = map::placedLegend(*legend, source->units(), part, box);
        picture.legend = std::move(placed.image);
        picture.legendAt = placed.at;
    }
    const QString systemName
        = outputFileName(m_outputPrefix, QStringLiteral("mappa intera"), now, m_substanceName, QStringLiteral(".bmp"));
    const QString localPath = m_platform.drives.toLocal(systemName);
    Outcome<std::unique_ptr<map::StagedSheet>> staged
        = map::stageSheetPicture(*source, m_surface->drawings(), picture, localPath);
    const Status saved = staged.ok() ? staged.value()->commit() : Status(staged.error());
    if (!saved.ok()) {
        Error error = saved.error();
        if (error.kind == Error::Kind::MapNotSaved && error.file == localPath)
            error.file = systemName;
        m_platform.messages.show(
            {error.message(), kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Critical, MessageAnswer::Ok});
        return;
    }
    m_platform.messages.notify(QStringLiteral("Done! I've saved ") + systemName
                               + whereOnThisComputer(systemName, localPath));
}

std::optional<map::SheetLegend> MapWindow::drawnLegend(const QDateTime &when) const
{
    const map::MapSource *source = m_surface->source();
    const std::vector<map::DrawnAreas> drawn = m_surface->drawings().areas();
    if (!source || !m_estimate || drawn.empty())
        return std::nullopt;
    std::vector<QPointF> incidents;
    for (const map::DrawnAreas &areas : drawn)
        if (m_georeference)
            incidents.push_back(map::groundAtUnits(*m_georeference, source->units(), areas.centre));
    const map::DrawnAreas &last = drawn.back();
    return map::sheetLegend({*m_estimate, last.areas, last.scaleFactor, last.rings.has_value(), when, incidents,
                             m_georeference ? std::optional(m_georeference->system) : std::nullopt});
}

void MapWindow::savePicture(const map::Picture &picture, const QString &systemName)
{
    const QString localPath = m_platform.drives.toLocal(systemName);
    const Status saved = map::savePictureAsBmp(picture, localPath);
    if (!saved.ok()) {
        Error error = saved.error();
        error.file = systemName;
        m_platform.messages.show(
            {error.message(), kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Critical, MessageAnswer::Ok});
        return;
    }
    m_platform.messages.notify(QStringLiteral("Done! I've saved ") + systemName
                               + whereOnThisComputer(systemName, localPath));
}

void MapWindow::printMap()
{
    m_print->hide();
    const map::Picture picture = grabWindow();
    m_print->show();
    if (m_surface->unreadable())
        return; // the picture lacks what the file could not give; the window is being told

    QString savedPage;
    std::unique_ptr<QPrinter> printer = printerOrPdf(
        QStringLiteral("Stampa mappa"), map::mapPageFileName(m_outputPrefix, m_platform.now(), m_substanceName),
        savedPage);
    if (printer)
        sayPrinted(*printer, savedPage, PrintPictureFitted(*printer, picture).has_value());
}

std::unique_ptr<QPrinter> MapWindow::printerOrPdf(const QString &title, const QString &pdfName, QString &pageName)
{
    std::unique_ptr<QPrinter> printer = m_printer ? m_printer() : nullptr;
    pageName.clear();
    if (printer)
        return printer;
    const MessageAnswer answer = m_platform.messages.show(
        {QStringLiteral("Nessuna stampante installata: impossibile stampare la mappa. Salvare la pagina come "
                        "file PDF?"),
         title, MessageButtons::YesNo, MessageIcon::Question, MessageAnswer::Yes});
    if (answer != MessageAnswer::Yes)
        return nullptr;
    pageName = pdfName;
    printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(m_platform.drives.toLocal(pageName));
    return printer;
}

void MapWindow::sayPrinted(const QPrinter &printer, const QString &pageName, bool printed)
{
    if (!printed) {
        const QString text = pageName.isEmpty()
            ? QStringLiteral("Impossibile stampare la mappa sulla stampante \"%1\".").arg(printer.printerName())
            : QStringLiteral("Impossibile salvare la pagina nel file \"%1\": controllare che la cartella di uscita "
                             "esista e sia scrivibile.")
                  .arg(pageName);
        m_platform.messages.show(
            {text, kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Critical, MessageAnswer::Ok});
        return;
    }
    m_platform.messages.notify(pageName.isEmpty() ? QStringLiteral("Done! ")
                                                  : QStringLiteral("Done! I've saved ") + pageName);
}

void MapWindow::printInScale()
{
    const map::MapSource *source = m_surface->source();
    const std::vector<map::DrawnAreas> drawn = m_surface->drawings().areas();
    if (!source || drawn.empty())
        return;
    const std::optional<ScaledPaper> paper = m_choosePaper ? m_choosePaper() : std::nullopt;
    if (!paper)
        return; // cancelled
    const QDateTime now = m_platform.now();
    QString savedPage;
    std::unique_ptr<QPrinter> printer
        = printerOrPdf(QStringLiteral("Stampa in scala"),
                       outputFileName(m_outputPrefix, QStringLiteral("mappa in scala"), now, m_substanceName,
                                      QStringLiteral(".pdf")),
                       savedPage);
    if (!printer)
        return;
    printer->setPageSize(QPageSize(paper->size));
    printer->setPageOrientation(paper->orientation);
    if (!savedPage.isEmpty())
        printer->setPageMargins(QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter);
    QPainter painter;
    if (!painter.begin(printer.get())) {
        sayPrinted(*printer, savedPage, false);
        return;
    }
    // The painter's unit is a millimetre of paper from the printable area's corner.
    painter.scale(printer->resolution() / 25.4, printer->resolution() / 25.4);
    const QSizeF printable = printer->pageLayout().paintRect(QPageLayout::Millimeter).size();
    const map::ScaledLayout layout
        = map::scaledLayout(printable, source->units(), source->size(), drawn.back().centre, m_scale.factor);
    const map::ScaledPageContent content{
        QStringLiteral("ZEFRO \u2013 %1 \u2013 scala %2 \u2013 %3")
            .arg(m_substanceName, map::scaleText(m_scale.factor),
                 now.toString(QStringLiteral("dd/MM/yyyy 'ore' hh:mm"))),
        m_scale.factor, drawnLegend(now), m_georeference};
    const Status painted = map::paintScaledPage(painter, layout, *source, m_surface->drawings(), content);
    if (!painted.ok())
        printer->abort(); // no half-printed sheet
    painter.end();
    if (!painted.ok()) {
        m_platform.messages.show({painted.error().message(), kDefaultMessageTitle, MessageButtons::Ok,
                                  MessageIcon::Critical, MessageAnswer::Ok});
        return;
    }
    sayPrinted(*printer, savedPage, true);
}

void MapWindow::showGroundPosition(std::optional<QPointF> cursor)
{
    if (!m_georeference)
        return;
    const auto ground = [this](QPointF position) {
        return groundText(*m_georeference, map::groundAtUnits(*m_georeference, m_surface->units(), position));
    };
    QStringList lines{QStringLiteral("Coordinate %1").arg(m_georeference->system.label())};
    if (cursor)
        lines << QStringLiteral("Cursore:  ") + ground(*cursor);
    if (m_incident)
        lines << QStringLiteral("Incidente:  ") + ground(*m_incident);
    m_groundPosition->setText(lines.join(QLatin1Char('\n')));
}

void MapWindow::exportAreas()
{
    const std::vector<map::DrawnAreas> drawn = m_surface->drawings().areas();
    if (!m_georeference || !m_estimate || drawn.empty())
        return;
    // Named like the saved map, as a GeoPackage unless another type is chosen.
    const QString suggested
        = m_platform.drives.toLocal(outputFileName(m_outputPrefix, QStringLiteral("map"), m_platform.now(),
                                                   m_substanceName, gis::extensionOf(gis::ExportFormat::GeoPackage)));
    const QString chosen = m_chooseExportFile(suggested);
    if (chosen.isEmpty())
        return; // cancelled
    const std::optional<gis::ExportFormat> format = gis::exportFormatFor(chosen);
    if (!format) {
        m_platform.messages.show({QStringLiteral("Il file \"%1\" non ha l'estensione di un formato GIS: scegliere "
                                                 ".gpkg (GeoPackage), .geojson (GeoJSON) o .kml (KML).")
                                      .arg(chosen),
                                  kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
        return;
    }
    std::vector<gis::AreaSource> sources;
    for (const map::DrawnAreas &areas : drawn)
        sources.push_back({map::groundAtUnits(*m_georeference, m_surface->units(), areas.centre), areas.areas});
    const Outcome<gis::ExportedAreas> exported
        = gis::exportDamageAreas(*format, *m_estimate, m_georeference->system, sources, m_platform.now());
    const Status written
        = exported.ok() ? SystemFile::replaceAll(chosen, exported.value().file) : Status(exported.error());
    if (!written.ok()) {
        // The reason is the writer's or GDAL's; the message names the file chosen.
        Error error = gis::gisError(Error::Kind::AreasNotExported);
        error.file = chosen;
        error.detail = written.error().detail;
        m_platform.messages.show(
            {error.message(), kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Critical, MessageAnswer::Ok});
        return;
    }
    m_platform.messages.notify(
        QStringLiteral("Aree di danno esportate nel file\n%1\n(%2 aree, %3 %4).")
            .arg(chosen)
            .arg(exported.value().polygons)
            .arg(int(sources.size()))
            .arg(sources.size() == 1 ? QStringLiteral("punto dell'incidente") : QStringLiteral("punti dell'incidente")),
        MessageIcon::Information);
}

map::Picture MapWindow::grabWindow()
{
    // The saved and printed window is the one it has always been, whether a layer is chosen or not.
    const bool shown = m_elementsButton->isVisible(), inScale = m_printInScale->isVisible();
    const bool toolsShown = m_viewTools->isVisible();
    m_elementsButton->hide();
    m_printInScale->hide();
    m_viewTools->hide();
    m_viewTools->hideMeasureShown(true);
    map::Picture picture = GrabFormImage(*this);
    m_elementsButton->setVisible(shown);
    m_printInScale->setVisible(inScale);
    m_viewTools->setVisible(toolsShown);
    m_viewTools->hideMeasureShown(false);
    return picture;
}

void MapWindow::elementsClicked()
{
    if (!m_georeference) {
        m_platform.messages.show(
            {QStringLiteral("Gli elementi vulnerabili si possono collocare solo su una mappa georiferita: le "
                            "coordinate dello strato sono coordinate del terreno, e la mappa \"%1\" non dice dove "
                            "si trova sul terreno. Scegliere una mappa georiferita (un GeoTIFF, o un raster con il "
                            "suo world file e il file .prj).")
                 .arg(QFileInfo(m_shownMapPath).fileName()),
             kDefaultMessageTitle, MessageButtons::Ok, MessageIcon::Information, MessageAnswer::Ok});
        return;
    }
    if (m_elements && m_elements->mapPath == m_shownMapPath)
        openElementsDialog();
    else
        chooseElementsLayer();
}

void MapWindow::chooseElementsLayer()
{
    if (!m_georeference)
        return;
    const QString chosen = m_chooseElementsFile(rememberedElementsLayer());
    if (chosen.isEmpty() || !loadElements(chosen))
        return; // cancelled, or the layer could not be read (said)
    rememberElementsLayer(chosen);
    updateElementsReached();
    openElementsDialog();
}

bool MapWindow::loadElements(const QString &file)
{
    if (m_elements && m_elements->mapPath == m_shownMapPath && m_elements->file == file)
        return true;
    const map::MapSource *sheet = m_surface->source();
    if (!m_georeference || !sheet)
        return false;
    Outcome<elements::MapElements> read
        = elements::readMapElements(file, m_shownMapPath, *m_georeference, sheet->size());
    if (!read.ok()) {
        m_platform.messages.show({read.error().message(), kDefaultMessageTitle, MessageButtons::Ok,
                                  MessageIcon::Warning, MessageAnswer::Ok});
        return false;
    }
    m_elements = std::move(read.value());
    if (!m_elements->layer.warnings.isEmpty())
        m_platform.messages.notify(m_elements->layer.warnings.join(QLatin1Char('\n')), MessageIcon::Information);
    return true;
}

void MapWindow::updateElementsReached()
{
    m_reached.reset();
    if (!m_elements || m_elements->mapPath != m_shownMapPath || !m_georeference || !m_surface->hasMap())
        return;
    Outcome<std::optional<elements::ElementsReached>> reached = elements::reachedByDrawnAreas(
        *m_elements, *m_georeference, m_surface->units(), m_surface->drawings().areas());
    if (reached.ok())
        m_reached = std::move(reached.value());
    else
        m_platform.messages.notify(reached.error().message(), MessageIcon::Warning);
    m_surface->drawings().setFeatures(elements::markedFeatures(*m_elements, m_reached));
    m_surface->refresh();
    if (m_elementsDialog && m_elementsDialog->isVisible())
        fillElementsDialog();
}

void MapWindow::openElementsDialog()
{
    if (!m_elementsDialog) {
        m_elementsDialog = new ElementsDialog(m_platform, this);
        connect(m_elementsDialog, &ElementsDialog::layerChangeAsked, this, &MapWindow::chooseElementsLayer);
    }
    fillElementsDialog();
    m_elementsDialog->show();
    m_elementsDialog->raise();
    m_elementsDialog->activateWindow();
}

void MapWindow::fillElementsDialog()
{
    if (!m_elements)
        return;
    const QString suggested = m_platform.drives.toLocal(outputFileName(
        m_outputPrefix, QStringLiteral("elementi"), m_platform.now(), m_substanceName, QStringLiteral(".csv")));
    const QString summary = m_reached
        ? elements::reachedSummary(*m_reached)
        : QStringLiteral("Nessuna area di danno disegnata sul terreno: fare clic sulla mappa nel punto "
                         "dell'incidente, alla scala della georeferenziazione.");
    m_elementsDialog->showReached(m_elements->file, m_elements->layer.elements.size(), summary,
                                  m_reached ? elements::reachedRows(m_elements->layer, *m_reached)
                                            : std::vector<elements::ReachedRow>{},
                                  suggested);
}

bool MapWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_lengthBox && event->type() == QEvent::MouseButtonPress)
        m_lengthBox->clear();
    return QWidget::eventFilter(watched, event);
}

void MapWindow::resizeEvent(QResizeEvent *event)
{
    // The surface fills the window, so a maximised window shows more of a large map.
    QWidget::resizeEvent(event);
    m_surface->setGeometry(8, 0, width() - 8, height());
}
