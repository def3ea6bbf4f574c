#pragma once

#include <QPointF>
#include <QWidget>

#include <functional>
#include <memory>

class MapFileLists;
class MapSurface;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPrinter;
class QPushButton;
struct Platform;
struct ProgramState;

// The map window ("map"). The estimate creates it, writes the report into `output2` (a
// QPlainTextEdit) and the panels `Label3`, `Label4`, `Label5` (QLabel), and shows or hides the
// buttons (QPushButton) it needs by name; "Salva report su file" only emits reportSaveRequested().
//
// Data flow: the analyst picks a BMP in the file lists, a scale in `Combo2` (or a user-defined
// "1:N" in `Text1`), and "Mostra mappa" loads the bitmap into the surface `Picture1` and sets
// ProgramState::scaleFactor. A left press on the map draws the eight damage areas of
// ProgramState::result around that point; during a manual rescale a press starts a segment instead,
// the drag draws it as an inverted rubber-band line and "Riscala" turns its length and the metres
// typed in `Text2` into a new scaleFactor. All lengths on the surface are in drawing units (one
// centimetre of the map sheet, from the bitmap's resolution); the arithmetic lives in map/*.h of
// the core library. The scale state lives in ProgramState, so it survives this window, which
// deletes itself when closed.
class MapWindow : public QWidget
{
    Q_OBJECT

public:
    MapWindow(ProgramState &state, Platform &platform, QWidget *parent = nullptr);
    ~MapWindow() override;

    // Opens a folder in the file lists, given as the system names it
    // ("c:\revisione metodo speditivo\dati\cartografia\raster").
    void setMapFolder(const QString &systemFolder);

    // Where the substance name of the saved map's file name comes from (the main window's name list).
    void setSubstanceNameSource(std::function<QString()> source);
    // The current printer; the default asks the system and gives nothing when none is installed.
    void setPrinterSource(std::function<std::unique_ptr<QPrinter>()> source);

signals:
    void reportSaveRequested();

private:
    void buildControls();
    void fileChosen();
    void scaleChosen(int index);
    void stepUserScale(int step);
    bool showMap();
    void changeMap();
    void quit();
    void surfacePressed(QPointF position, Qt::MouseButton button);
    void surfaceMoved(QPointF position, Qt::MouseButtons buttons);
    void surfaceReleased();
    void startRescale();
    void applyRescale();
    void saveMap();
    void printMap();
    void showAreasDrawnControls();
    [[nodiscard]] QString substanceName() const;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

    ProgramState &m_state;
    Platform &m_platform;
    std::function<QString()> m_substanceName;
    std::function<std::unique_ptr<QPrinter>()> m_printer;

    MapFileLists *m_files = nullptr;
    MapSurface *m_surface = nullptr;
    QComboBox *m_scaleList = nullptr;   // Combo2
    QComboBox *m_shapeList = nullptr;   // Combo1
    QLineEdit *m_userScale = nullptr;   // Text1
    QLineEdit *m_lengthBox = nullptr;   // Text2
    QLabel *m_instructions = nullptr;   // Label1
    QPlainTextEdit *m_report = nullptr; // output2
    QPushButton *m_increase = nullptr;  // Command1
    QPushButton *m_decrease = nullptr;  // Command2
    QPushButton *m_showMap = nullptr;   // Command3
    QPushButton *m_print = nullptr;     // Command4
    QPushButton *m_saveReport = nullptr;   // Command5
    QPushButton *m_printerSetup = nullptr; // Command6
    QPushButton *m_changeMap = nullptr;    // Command7
    QPushButton *m_quit = nullptr;         // Command8
    QPushButton *m_startRescale = nullptr; // Command10
    QPushButton *m_applyRescale = nullptr; // Command11
    QPushButton *m_saveMap = nullptr;      // Command12
    QGroupBox *m_panels[4] = {};           // Frame1..Frame4
    QLabel *m_panelLabels[4] = {};         // Label2..Label5

    // The press that started the present gesture drew damage areas: its drag and release belong to
    // it and neither draw a rubber band nor show the length box.
    bool m_gestureDrewAreas = false;
    QString m_shownMapPath; // local path of the map on the surface
};
