#pragma once

#include "cli/EstimateCommandLine.h"
#include "estimate/Estimate.h"

#include <QString>
#include <QStringList>

#include <optional>

class DrivePaths;
class WorkbookOpener;

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

struct BatchOutcome
{
    std::optional<BatchFailure> failure;
    QString outputPrefix; // configuration entry 8, for the report file
    QStringList classEntries; // --classes: the class-list entries found
    std::optional<Estimate> estimate; // otherwise: the estimate
};

// The estimate chain run from a request: the configuration file read as at start-up, the substance
// by name, CAS number or quick pick, the class lookup, the class (given, the only one found, or the
// quick-picked one), the containment with its quantity or diameter list, and the estimate of the
// entry asked for. Nothing is written anywhere.
[[nodiscard]] BatchOutcome runBatchEstimate(const DrivePaths &drives, const WorkbookOpener &opener,
                                            const EstimateRequest &request);
