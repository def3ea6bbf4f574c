#pragma once

#include "catalogue/Catalogue.h"
#include "estimate/Choices.h"
#include "map/MapScale.h"

#include <QPointer>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class ConfigBox;
class CreditsBox;
class InventoryDialog;
class MapWindow;
class WorkbookOpener;
class QGroupBox;
class QLabel;
class QPlainTextEdit;
class QProgressBar;
class SelectionCombo;
class TutorialWindow;
class WrappingButton;
class EstimateChain;
struct Error;
struct Platform;

// The main window `Form1_ms`, created at start and kept until the program ends.
//
// How data flows through it: the load handler (`Form_Load`, also run by Reset) reads the
// configuration file into the configuration box and the output prefix, puts every selection control
// into its start-up state and fills the catalogue lists. From then on each user event is one handler
// that runs to its end: it translates the chosen list entry into a value of the estimate (ListTexts),
// hands it to the EstimateChain of the substance being estimated (a new chain at every substance pick
// and at Reset), shows what the chain offers or refuses, and moves the workflow on by enabling the
// next control and locking the earlier ones (substance -> class -> hypothesis -> containment ->
// quantity or diameter -> estimate). The enabled, visible and text properties of the controls are the
// state of the workflow; what the tables say lives in the chain. A completed estimate goes to the map
// window through MapWindow::showEstimate.
class MainWindow final : public QWidget
{
    Q_OBJECT

public:
    // Builds the window and runs the load handler. When the configuration cannot be read the
    // program is ended through platform.exit (the caller then must not enter the event loop).
    MainWindow(Platform &platform, QWidget *parent = nullptr);
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
    void openInventoryDialog();

private:
    [[nodiscard]] std::array<SelectionCombo *, 8> choiceOrder() const;
    void moveFocusOnFrom(const SelectionCombo &chosen);

    void buildControls();
    SelectionCombo *addCombo(const char *name, const QString &designText, const QString &toolTip, int left, int top,
                             int width);
    WrappingButton *addButton(const char *name, const QString &caption, const QString &toolTip, int left, int top,
                              int width, int height);

    void Form_Load();
    [[nodiscard]] bool LoadConfiguration();
    void FillCatalogue();

    // The class membership lookup, run by the name pick, the CAS pick and the quick pick (which names
    // no substance) on a new estimate chain. EndClassLookup() is its last step, the enabling that
    // moves the workflow on. False when a workbook could not be read: the message has been shown and
    // the chain stays locked until Reset.
    bool LookupSubstanceClasses(const std::optional<Substance> &substance);
    void EndClassLookup();
    // The entry chosen in the quantity or diameter list, as the estimate takes it.
    [[nodiscard]] std::optional<std::size_t> chosenRange() const;

    // Creates the map window when there is none (the first estimate, or after the user closed it).
    MapWindow &mapWindow();
    // A refusal or failure of the estimate's steps: notices plain, failures critical.
    void showStepError(const Error &error);

    Platform &m_platform;
    ConfigBox *m_configBox = nullptr;
    TutorialWindow *m_tutorial = nullptr; // created by the first "&Help", then kept
    QPointer<CreditsBox> m_credits; // the open credits box, if any
    InventoryDialog *m_inventoryDialog = nullptr; // created at first use, then kept with its fields
    std::unique_ptr<WorkbookOpener> m_workbooks; // the data workbooks, through the drive paths and their seal
    QPointer<MapWindow> m_map; // created by the estimate, deleted when closed
    QString m_outputPrefix; // configuration entry 8, read at start and Reset

    std::unique_ptr<EstimateChain> m_chain; // the substance being estimated
    // How the substance was chosen, for the enabling at the end of the class lookup: a name pick
    // keeps the hypothesis locked until a class is chosen. Reset leaves it as it was.
    enum class SelectionMode { None, ByName, ByQuickPick };
    SelectionMode m_selectionMode = SelectionMode::None;
    bool m_classFromQuickPick = false; // the chain's class came from the quick pick
    std::optional<Containment> m_containment; // once the containment has been taken
    map::ScaleState m_mapScale; // outlives the map window

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
    WrappingButton *m_inventoryButton = nullptr;
    QProgressBar *m_progress = nullptr;
    QLabel *m_title = nullptr;
    QLabel *m_dataSealStatus = nullptr; // shown while the data tables are not sealed
    QLabel *m_picture1 = nullptr;
    QLabel *m_picture2 = nullptr;
};
