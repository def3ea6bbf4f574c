#pragma once

#include "platform/DrivePaths.h"

#include <QByteArrayList>
#include <QTemporaryDir>

#include <functional>

// A local file's bytes (empty when it cannot be read); writing them, and copying a folder tree (creating
// the folders; false on any failure).
[[nodiscard]] QByteArray fileBytes(const QString &localPath);
bool writeBytes(const QString &localPath, const QByteArray &bytes);
bool copyTree(const QString &from, const QString &to);

// A private drive root for one test: a temporary folder holding a copy of the bundled installation
// tree (or nothing), so tests never write into the source tree; files by their system paths.
class TestDrive
{
public:
    enum class Contents { Empty, BundledTree };
    explicit TestDrive(Contents contents = Contents::BundledTree)
    {
        if (contents == Contents::BundledTree)
            copyTree(QStringLiteral(ZEFRO_BUNDLED_TREE), m_dir.path());
    }

    [[nodiscard]] QString root() const { return m_dir.path(); }
    [[nodiscard]] QString local(const QString &systemPath) const
    {
        return DrivePaths(m_dir.path()).toLocal(systemPath);
    }
    void writeFile(const QString &systemPath, const QByteArray &bytes) const { writeBytes(local(systemPath), bytes); }
    [[nodiscard]] QByteArray readFile(const QString &systemPath) const { return fileBytes(local(systemPath)); }

private:
    QTemporaryDir m_dir;
};

// The bytes of a file holding these lines, each ended by CR LF.
[[nodiscard]] inline QByteArray crlfLines(const QList<QByteArray> &lines)
{
    return lines.isEmpty() ? QByteArray() : lines.join("\r\n") + "\r\n";
}

// Runs body in a child process (ended without destructors), after prepare when there is one: its
// limits and privileges stay in the child. Returns the body's result, 0 to 127, or -1 when the child
// could not be run (prepare returned false).
[[nodiscard]] int runInChild(const std::function<int()> &body, const std::function<bool()> &prepare = {});
// The same as an ordinary user: as root, as "nobody" (65534).
[[nodiscard]] int runWithoutPrivileges(const std::function<int()> &body);
