#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>

// A private drive root for one test: a temporary folder holding a copy of the bundled
// installation tree (or nothing), so tests never write into the source tree.
class TestDrive
{
public:
    enum class Contents { Empty, BundledTree };
    explicit TestDrive(Contents contents = Contents::BundledTree);

    [[nodiscard]] QString root() const { return m_dir.path(); }
    // Local path of a system path such as "c:\revisione metodo speditivo\ms&zefro\config.txt".
    [[nodiscard]] QString local(const QString &systemPath) const;
    // Writes a file (creating its folders) with exactly these bytes.
    void writeFile(const QString &systemPath, const QByteArray &bytes) const;
    [[nodiscard]] QByteArray readFile(const QString &systemPath) const;

private:
    QTemporaryDir m_dir;
};

// The bytes of a file holding these lines, each ended by CR LF.
[[nodiscard]] inline QByteArray crlfLines(const QList<QByteArray> &lines)
{
    QByteArray bytes;
    for (const QByteArray &line : lines)
        bytes += line + "\r\n";
    return bytes;
}

// Copies a folder tree; returns false on any failure.
bool copyTree(const QString &from, const QString &to);
