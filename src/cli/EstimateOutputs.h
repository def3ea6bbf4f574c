#pragma once

#include "cli/BatchEstimate.h"
#include "cli/OutputTransaction.h"

#include <QDateTime>
#include <QStringList>

#include <optional>

class DrivePaths;

// What one estimate run writes, made in memory before anything is written: the report lines or the
// JSON for standard output, the report file's append, the map with its circles (--out) and the GIS
// file (--export), with every target checked (never a data table, the seal, the configuration, the
// map read, or another output of the run).
struct PlannedOutputs
{
    std::optional<BatchFailure> failure; // nothing is to be written
    QStringList notices; // for standard error, in order, whether or not the run goes on
    OutputPlan outputs;
};

[[nodiscard]] PlannedOutputs planEstimateOutputs(const DrivePaths &drives, const EstimateRequest &request,
                                                 const Estimate &estimate, const QString &outputPrefix,
                                                 const QDateTime &now);
