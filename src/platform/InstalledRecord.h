#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QHash>
#include <QString>

#include <optional>

// What a user's drive root last saw of the installed tree, kept in the root as the hidden file
// ".zefro-installato" (written by the program only):
//
//   # ZEFRO: file installati visti all'ultimo avvio (scritto dal programma)
//   albero<TAB>/usr/share/zefro/drive
//   <SHA-256><TAB><bytes><TAB><modification time, ns><TAB>c/revisione metodo speditivo/.../513.xls
//
// With it a later start tells which installed files an upgrade changed (a new time alone is no
// change: the sum decides, and is computed again only when size or time differ) and which links
// point into an earlier installation at another prefix.
namespace InstalledRecord {

inline constexpr char kFileName[] = ".zefro-installato";

struct File
{
    qint64 size = 0;
    qint64 modifiedNs = 0;
    QByteArray sha256; // lower-case hexadecimal
    bool operator==(const File &) const = default;
};

struct Record
{
    QString tree;
    QHash<QString, File> files; // by path relative to the tree, '/'-separated
    bool operator==(const Record &) const = default;
};

// The root's record; nullopt when it has none, or one that cannot be understood (then the root is
// taken as set up by a ZEFRO that kept no record).
[[nodiscard]] std::optional<Record> read(const QString &userRoot);

// Replaces the root's record, all or nothing.
[[nodiscard]] Status write(const QString &userRoot, const Record &record);

} // namespace InstalledRecord
