#pragma once

#include "cli/EstimateCommandLine.h"
#include "platform/DrivePaths.h"

#include <QString>

// What --check-data or --seal-data has to say, for main() to write: the report for standard output,
// what stopped the task for standard error, and whether the tables are fit (exit status 0) or not (1).
struct DataTaskReport
{
    QString output;
    QString failure;
    bool fit = true;
};

// On the data folder of the drive root. --check-data: every problem of the tables' contents
// (checkDataTables), then how the folder stands against its seal. --seal-data: the same check of the
// contents, and the folder sealed only when it finds nothing; otherwise nothing is written.
[[nodiscard]] DataTaskReport runDataTask(const DrivePaths &drives, EstimateRequest::DataTask task);
