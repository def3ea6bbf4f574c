#pragma once

#include "platform/Error.h"

#include <QString>
#include <QStringList>

// Text files as the system has always written them: Latin-1 (the code page of files written by
// earlier installations), every line ended by CR LF. Reading also accepts LF-only line ends.
// Failures are FileUnreadable / FileUnwritable errors naming the local path.
namespace TextFile {

[[nodiscard]] Outcome<QStringList> readLines(const QString &localPath);

// Writes (replacing) or appends the lines, each followed by CR LF. On failure an existing file is
// left as it was (a replacement is written to a temporary file first).
[[nodiscard]] Status writeLines(const QString &localPath, const QStringList &lines);
[[nodiscard]] Status appendLines(const QString &localPath, const QStringList &lines);

[[nodiscard]] QByteArray encodeLines(const QStringList &lines);

} // namespace TextFile
