#pragma once

#include "platform/Error.h"

#include <QString>
#include <QStringList>

// Text files as the system has always written them: Latin-1 (the code page of files written by
// earlier installations), every line ended by CR LF. Reading also accepts LF-only line ends.
// Failures are FileUnreadable / FileUnwritable errors naming the local path, with the reason in Italian.
namespace TextFile {

// The text files read here (the configuration file) are a few hundred bytes; anything larger than
// this is not one of them.
constexpr qint64 kMaxBytes = 1024 * 1024;

// Reads a regular file of at most maxBytes; a folder, a device or a FIFO is refused unread.
[[nodiscard]] Outcome<QStringList> readLines(const QString &localPath, qint64 maxBytes = kMaxBytes);

// Writes (replacing) or appends the lines, each followed by CR LF. On failure an existing file is
// left as it was (a replacement is written to a temporary file first, an append is taken back) and a
// new one is not left behind; a target that is not a regular file is refused.
[[nodiscard]] Status writeLines(const QString &localPath, const QStringList &lines);
[[nodiscard]] Status appendLines(const QString &localPath, const QStringList &lines);

[[nodiscard]] QByteArray encodeLines(const QStringList &lines);

} // namespace TextFile
