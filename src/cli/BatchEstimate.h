#pragma once

#include "cli/EstimateCommandLine.h"
#include "estimate/DistanceLookup.h"
#include "estimate/ResultSet.h"

#include <QString>
#include <QStringList>

#include <optional>

class DrivePaths;
class WorkbookOpener;
struct ProgramState;

// Why a batch estimate stopped. A usage failure means the command line asks for something the
// windows would not offer (an unknown substance, a class that was not found, a range beyond the
// list); a data failure carries the Italian message the windows show for the same cause (the
// configuration file, a workbook, a refused containment).
struct BatchFailure
{
    enum class Kind { Usage, Data };
    Kind kind = Kind::Data;
    QString message;
};

// One estimate as the main window would have run it, and the texts it was run with.
struct BatchEstimateResult
{
    QString classListCode;          // "1_1_1" ... "53": the class chosen (or quick-picked)
    std::optional<QString> range;   // the chosen quantity or diameter entry; none for tankers and ships
    EstimateOutcome estimate;       // report inputs (the lists' texts), toxic layout
    ResultSet result;               // distances, texts, scenario, sub-classes

    // The sixteen lines of the map window's report box.
    [[nodiscard]] QStringList reportLines() const;
};

struct BatchOutcome
{
    std::optional<BatchFailure> failure;
    QStringList classEntries;                     // --classes: the class-list entries found
    std::optional<BatchEstimateResult> estimate;  // otherwise: the estimate
};

// The main window's chain without the window: the configuration file read as at start-up, the
// catalogue tables, the substance chosen by name, CAS number or quick pick, the class membership
// lookup, the class choice, the containment choice with its quantity or diameter list, and the
// estimate. Each step runs the same core function as the window's handler, with the texts the
// window's lists would hold at that moment, so the report comes out exactly as the map window
// shows it. Nothing is written anywhere.
[[nodiscard]] BatchOutcome RunBatchEstimate(ProgramState &state, const DrivePaths &drives,
                                            const WorkbookOpener &opener, const EstimateRequest &request);
