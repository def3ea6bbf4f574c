#pragma once

#include "estimate/Report.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <optional>

class ConfigBox;
class CreditsBox;
class MapWindow;
class WorkbookOpener;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class SelectionCombo;
class TutorialWindow;
class WrappingButton;
struct Platform;
struct ProgramState;

// The main window `Form1_ms`, created at start and kept until the program ends.
//
// How data flows through it: the load handler (`Form_Load`, also run by Reset) reads the
// configuration file into the configuration box and `outputPrefix`, puts every selection control
// into its start-up state and fills the catalogue lists and the catalogue tables of ProgramState.
// From then on each user event is one handler that runs to its end: it reads the texts of the
// controls, writes its part of ProgramState and moves the workflow on by enabling the next control
// and locking the earlier ones (substance -> class -> hypothesis -> containment -> quantity or
// diameter -> estimate). The enabled, visible and text properties of the controls are the state of
// the workflow; everything else lives in ProgramState. The work behind each step (catalogue pairing,
// configuration file) lives in plain functions of the core library.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    // Builds the window and runs the load handler. When the configuration cannot be read the
    // program is ended through platform.exit (the caller then must not enter the event loop).
    MainWindow(ProgramState &state, Platform &platform, QWidget *parent = nullptr);
    ~MainWindow() override;

    [[nodiscard]] ConfigBox &configBox() const { return *m_configBox; }

    // Client area 9690 x 9885 twips.
    static constexpr int kClientWidth = 646;
    static constexpr int kClientHeight = 659;

protected:
    void closeEvent(QCloseEvent *event) override;

private slots:
    void Combo1_Click();
    void Combo2_Click();
    void Combo8_Click();
    void Combo9_Click();
    void Combo5_Click();
    void Combo4_Click();
    void Combo6_Click();
    void Combo7_Click();
    void Command1_Click();
    void Command2_Click();
    void Command3_Click();
    void Command4_Click();
    void Command5_Click();
    void Command6_Click();
    void Command7_Click();

private:
    void buildControls();
    SelectionCombo *addCombo(const char *name, const QString &designText, const QString &toolTip,
                             int left, int top, int width);
    WrappingButton *addButton(const char *name, const QString &caption, const QString &toolTip,
                              int left, int top, int width, int height);

    void Form_Load();
    [[nodiscard]] bool LoadConfiguration();
    void FillCatalogue();

    // The class membership lookup over the class workbooks, run by the name pick, the CAS pick and
    // the quick pick (the search is LookupSubstanceClasses of the core). EndClassLookup() is its
    // last step, the enabling that moves the workflow on. False when a workbook could not be read:
    // the message has been shown and the chain stays locked until Reset.
    bool LookupSubstanceClasses();
    void EndClassLookup();

    // "Salva report su file" of the map window: appends the report of the last estimate.
    void SaveReport();
    // Creates the map window when there is none (the first estimate, or after the user closed it).
    MapWindow &mapWindow();
    // A message of the estimate's steps: the system's own notices plain, data failures critical.
    void showStepMessage(const QString &message);

    ProgramState &m_state;
    Platform &m_platform;
    ConfigBox *m_configBox = nullptr;
    TutorialWindow *m_tutorial = nullptr; // created by the first "&Help", then kept
    QPointer<CreditsBox> m_credits;       // the open credits box, if any
    std::unique_ptr<WorkbookOpener> m_workbooks; // the data workbooks, through the drive paths
    QPointer<MapWindow> m_map;                   // created by the estimate, deleted when closed

    // What the last estimate showed, for the report file: saved as the estimate showed it, even if
    // the main window's lists have changed since.
    struct ShownReport
    {
        ReportInputs inputs;
        ResultSet result;
        bool toxic = false;
    };
    std::optional<ShownReport> m_shownReport;

    QGroupBox *m_frame = nullptr;
    SelectionCombo *m_combo1 = nullptr;
    SelectionCombo *m_combo2 = nullptr;
    SelectionCombo *m_combo21 = nullptr;
    SelectionCombo *m_combo8 = nullptr;
    SelectionCombo *m_combo9 = nullptr;
    SelectionCombo *m_combo5 = nullptr;
    SelectionCombo *m_combo4 = nullptr;
    SelectionCombo *m_combo6 = nullptr;
    SelectionCombo *m_combo7 = nullptr;
    QPlainTextEdit *m_output = nullptr;
    WrappingButton *m_command1 = nullptr;
    WrappingButton *m_command2 = nullptr;
    WrappingButton *m_command3 = nullptr;
    WrappingButton *m_command4 = nullptr;
    WrappingButton *m_command5 = nullptr;
    WrappingButton *m_command6 = nullptr;
    WrappingButton *m_command7 = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_picture1 = nullptr;
    QLabel *m_picture2 = nullptr;
};
