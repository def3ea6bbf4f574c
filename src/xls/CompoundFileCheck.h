#pragma once

#include <QByteArrayView>
#include <QString>

// A check of an OLE2 compound file's directory before FreeXL opens it. FreeXL trusts the name
// length of every directory entry and converts that many bytes from a 64-byte name field, so a
// damaged entry makes it read far beyond the name: such files are refused here instead.
//
// Returns an empty string when the header, the allocation table sectors, the directory's sector
// chain (inside the file, no loops, ended properly) and every directory entry's name length are
// sound; else a few Italian words on what is wrong.
[[nodiscard]] QString compoundDirectoryProblem(QByteArrayView file);
