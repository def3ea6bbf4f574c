#pragma once

#include "platform/Error.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <memory>

// Whole-file reads and writes that never hang, never grow without bound and never leave a file half
// written. Paths are local paths. Failures are FileUnreadable / FileUnwritable errors whose file is
// the local path and whose detail is the reason in Italian; callers that name files otherwise copy
// the detail into their own error.
namespace SystemFile {

// Under a file-size limit the system ends a program whose write crosses it; called once at start,
// such a write fails with an error instead, so that the program can take it back and say so.
void failWritesBeyondTheSizeLimit();

// Writes every byte to a file descriptor, through interrupted and partial writes; false with errno set
// when the system refuses.
[[nodiscard]] bool writeAll(int fd, const char *data, qint64 size);

// Italian words for a system error number ("permesso negato", "spazio esaurito sul disco", ...).
[[nodiscard]] QString reason(int errorNumber);

// The bytes of a regular file of at most maxBytes. Anything else (a folder, a FIFO, a device such as
// /dev/zero) is refused without being read, a larger file before a byte of it is read.
[[nodiscard]] Outcome<QByteArray> readRegular(const QString &localPath, qint64 maxBytes);

// Refuses a path that is missing or not a regular file (a folder, a device, a FIFO), for readers
// that stream a file themselves.
[[nodiscard]] Status checkRegular(const QString &localPath);

// Refuses an existing path that is not a regular file: a folder, a device or a FIFO is never
// replaced or appended to. A path that does not exist yet is fine.
[[nodiscard]] Status checkTarget(const QString &localPath);

// Appends all the bytes and makes sure they reached the disk, or leaves the file as it was: cut back
// to its former size, or removed when this call created it. Appends of this program to one file are
// made one at a time (see HeldAppend).
[[nodiscard]] Status appendAll(const QString &localPath, const QByteArray &bytes);

// An append made whole (as appendAll) that can still be taken back while it is held. The file stays
// locked against every other append of ours (the windows', other zefro-estimate runs) until the
// object goes away, so taking it back never removes what someone else appended. Another append waits
// for the lock a few seconds at most, then fails with "il file è in uso".
class HeldAppend
{
public:
    [[nodiscard]] static Outcome<std::unique_ptr<HeldAppend>> append(const QString &localPath,
                                                                     const QByteArray &bytes);
    HeldAppend(int lockedDescriptor, QByteArray path, qint64 sizeBefore, bool created);
    HeldAppend(const HeldAppend &) = delete;
    HeldAppend &operator=(const HeldAppend &) = delete;
    ~HeldAppend(); // releases the lock

    // Leaves the file as it was before the append: cut back, or removed when the append created it.
    void takeBack();

private:
    int m_fd;
    QByteArray m_path; // local 8-bit path
    qint64 m_sizeBefore;
    bool m_created;
};

// Whether two local paths name one file (through "..", a symbolic or a hard link); paths of files
// that do not exist are compared as cleaned absolute paths.
[[nodiscard]] bool sameFile(const QString &a, const QString &b);

// Replaces (or creates) the file with the bytes: they are written to a temporary file beside it,
// flushed to the disk and renamed into place, so the old file stays whole until the new one is.
[[nodiscard]] Status replaceAll(const QString &localPath, const QByteArray &bytes);

// A replacement in two steps, for outputs that must all be written or none: prepare() writes and
// flushes the temporary file, commit() renames it into place. One that is never committed removes
// its temporary file.
class Replacement
{
public:
    [[nodiscard]] static Outcome<std::shared_ptr<Replacement>> prepare(const QString &localPath,
                                                                       const QByteArray &bytes);
    // The same for a file too large to hold in memory: `write` fills the temporary file, named by its
    // local path (which it may open, truncate and write as it likes, but not rename). A failure of
    // `write` comes back as it is, with the temporary file removed.
    using Writer = std::function<Status(const QString &temporaryPath)>;
    [[nodiscard]] static Outcome<std::shared_ptr<Replacement>> prepareWritten(const QString &localPath,
                                                                              const Writer &write);
    Replacement(QString target, QByteArray temporary);
    Replacement(const Replacement &) = delete;
    Replacement &operator=(const Replacement &) = delete;
    ~Replacement();

    [[nodiscard]] const QString &target() const { return m_target; }
    [[nodiscard]] Status commit();

private:
    QString m_target;
    QByteArray m_temporary; // local 8-bit path; empty once committed
};

} // namespace SystemFile
