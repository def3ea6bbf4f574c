#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// Text files as the system has always written them: Latin-1 (the code page of files written by
// earlier installations), every line ended by CR LF. Reading also accepts LF-only line ends.
namespace TextFile {

struct ReadResult
{
    std::optional<QStringList> lines; // empty when the file could not be read
    QString error;                    // Italian, for a message box
};

[[nodiscard]] ReadResult readLines(const QString &localPath);

// Writes (replacing) or appends the lines, each followed by CR LF. On failure returns false and
// fills *error with an Italian message naming the file; an existing file is then left as it was
// (a replacement is written to a temporary file first).
bool writeLines(const QString &localPath, const QStringList &lines, QString *error);
bool appendLines(const QString &localPath, const QStringList &lines, QString *error);

[[nodiscard]] QByteArray encodeLines(const QStringList &lines);

} // namespace TextFile
