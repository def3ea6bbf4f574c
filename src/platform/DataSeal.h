#pragma once

#include "platform/Error.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

// The seal of a folder of data workbooks: the name, size and SHA-256 sum of every workbook it held
// when it was sealed, so that the figures are known to come from the approved tables. The seal is
// the text file "sigillo.txt" in the folder:
//
//   # ZEFRO: tabelle di dati sigillate il 2026-12-07 10:15:00
//   111.xls<TAB>9728<TAB>5f2c...e1
//
// A byte changed inside a stored number reads as another number, which no reader can tell; the
// seal can. Workbooks are the folder's "*.xls" files (any case).
namespace DataSeal {

inline constexpr char kFileName[] = "sigillo.txt";

struct SealedFile
{
    QString name;
    qint64 size = 0;
    QByteArray sha256; // lower-case hexadecimal
    bool operator==(const SealedFile &) const = default;
};

struct Seal
{
    QDateTime sealedAt;
    std::vector<SealedFile> files; // by name
};

// What is wrong with one workbook of a sealed folder.
struct Breach
{
    enum class Kind { Changed, Missing, Unsealed };
    Kind kind = Kind::Changed;
    QString name;
    bool operator==(const Breach &) const = default;
};

// Seals the workbooks of the folder as they are now, replacing an earlier seal.
[[nodiscard]] Outcome<Seal> sealFolder(const QString &localFolder, const QDateTime &now);

// The folder's seal, or nullopt when it has none; a seal file that cannot be read or understood is
// an error (FileUnreadable, with the line).
[[nodiscard]] Outcome<std::optional<Seal>> readSeal(const QString &localFolder);

// The workbooks that differ from the seal, by name: changed (size or sum), missing, not sealed.
[[nodiscard]] Outcome<std::vector<Breach>> checkFolder(const QString &localFolder, const Seal &seal);

// Checks folders once and then only what changed: a workbook is hashed again only when its size or
// modification time differs from when it was last found sound. That cache cannot see an edit that
// keeps both, nor one made after the check; checkWorkbook() can, on the bytes about to be read.
class Checker
{
public:
    // The folder's breaches against its seal (none when it has no seal).
    [[nodiscard]] Outcome<std::vector<Breach>> check(const QString &localFolder);
    // The bytes just read from the workbook fileName of the folder, which are the ones to be parsed,
    // against its seal entry: changed, or not sealed (none when the folder has no seal). A change
    // found here also makes the next check() hash that workbook again.
    [[nodiscard]] Outcome<std::vector<Breach>> checkWorkbook(const QString &localFolder, const QString &fileName,
                                                             QByteArrayView bytes);

private:
    struct Known
    {
        qint64 size = 0;
        QDateTime modified;
    };
    struct Folder
    {
        QDateTime sealModified;
        std::optional<Seal> seal;
        QHash<QString, Known> sound;
    };
    // The folder's entry, its seal read again when the seal file changed.
    Outcome<Folder *> folder(const QString &localFolder);

    QHash<QString, Folder> m_folders;
};

} // namespace DataSeal
