#pragma once

#include <QString>

#include <functional>

struct Platform;

// The current text of configuration field TextN (n = 1..8), read at the moment a document button
// is clicked, so unsaved edits in the configuration box apply at once.
using ConfigurationField = std::function<QString(int n)>;

// The configuration fields that name the reader and the documents.
inline constexpr int kReaderField = 1;

// The command line that opens a document: the reader, one blank, the document path. Neither part is
// quoted, so a path with blanks reaches the reader in pieces, as it always has.
[[nodiscard]] QString documentCommandLine(const QString &reader, const QString &documentPath);

// Starts the reader on the document without waiting for it. A reader that cannot be started is
// reported in a message naming the command line, one that fails in its first seconds (no viewer for
// the document) in a message naming the document; the program goes on. Returns whether it started.
bool OpenDocument(Platform &platform, const QString &reader, const QString &documentPath);

// The same, with the reader and the document taken from the configuration fields.
bool OpenDocument(Platform &platform, const ConfigurationField &field, int documentField);
