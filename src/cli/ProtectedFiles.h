#pragma once

#include <QString>

#include <optional>

class DrivePaths;

// The files an output of zefro-estimate (--out, --export) must never replace: the data tables and
// their seal (nothing is written into the data folder, where a new workbook would also break the
// seal), the configuration file, and the map being read. Why `localTarget` is one of them, in words
// that follow "--out FILE: ", or nothing when it may be written. Links count: a path that reaches one
// of these files by a symbolic or hard link is that file.
[[nodiscard]] std::optional<QString> protectedTarget(const DrivePaths &drives, const QString &localTarget,
                                                     const QString &mapLocalPath);
