#include "platform/SystemFile.h"

#include "platform/PlatformErrors.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace SystemFile {

namespace {

// Owns a file descriptor.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    { }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    [[nodiscard]] int get() const { return m_fd; }
    [[nodiscard]] bool valid() const { return m_fd >= 0; }
    [[nodiscard]] int release()
    {
        const int fd = m_fd;
        m_fd = -1;
        return fd;
    }
    // Closes now, so that a failure of the close (a delayed write error) can be seen.
    [[nodiscard]] bool close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0;
    }

private:
    int m_fd;
};

Error failure(Error::Kind kind, const QString &localPath, const QString &why)
{
    Error error = platformError(kind);
    error.file = localPath;
    error.detail = why;
    return error;
}

QString kindOfNode(const struct stat &status)
{
    if (S_ISDIR(status.st_mode))
        return QStringLiteral("è una cartella, non un file");
    return QStringLiteral("non è un file normale (è un dispositivo, una FIFO o un socket)");
}

// Why an open file may not be read or written whole: not a regular file, or the system's reason.
std::optional<QString> notARegularFile(int fd, struct stat &status)
{
    if (::fstat(fd, &status) != 0)
        return reason(errno);
    if (!S_ISREG(status.st_mode))
        return kindOfNode(status);
    return std::nullopt;
}

QString megabytes(qint64 bytes)
{
    return QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1) + QStringLiteral(" MB");
}

bool writeEverything(int fd, const QByteArray &bytes)
{
    return writeAll(fd, bytes.constData(), bytes.size());
}

mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

} // namespace

bool writeAll(int fd, const char *data, qint64 size)
{
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size_t(size));
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0) {
            if (written == 0)
                errno = EIO;
            return false;
        }
        data += written;
        size -= written;
    }
    return true;
}

void failWritesBeyondTheSizeLimit()
{
    std::signal(SIGXFSZ, SIG_IGN);
}

QString reason(int errorNumber)
{
    switch (errorNumber) {
    case ENOENT: return QStringLiteral("il file o la cartella non esiste");
    case EACCES:
    case EPERM: return QStringLiteral("permesso negato");
    case ENOSPC: return QStringLiteral("spazio esaurito sul disco");
#ifdef EDQUOT
    case EDQUOT: return QStringLiteral("spazio concesso all'utente esaurito sul disco");
#endif
    case EFBIG: return QStringLiteral("file troppo grande per il sistema");
    case EROFS: return QStringLiteral("il disco è di sola lettura");
    case EISDIR: return QStringLiteral("è una cartella, non un file");
    case ENOTDIR: return QStringLiteral("una parte del percorso non è una cartella");
    case ENAMETOOLONG: return QStringLiteral("nome troppo lungo");
    case ELOOP: return QStringLiteral("troppi collegamenti simbolici nel percorso");
    case EIO: return QStringLiteral("errore di lettura o scrittura del disco");
    case ENXIO:
    case ENODEV: return QStringLiteral("non è un file normale (è un dispositivo, una FIFO o un socket)");
    case EMFILE:
    case ENFILE: return QStringLiteral("troppi file aperti");
    case ENOMEM: return QStringLiteral("memoria insufficiente");
    case EBUSY:
    case ETXTBSY: return QStringLiteral("il file è in uso");
    case EEXIST: return QStringLiteral("il file esiste già");
    case EPIPE: return QStringLiteral("il programma che ne riceveva il testo l'ha chiuso");
    default:
        return QStringLiteral("errore di sistema %1: %2")
            .arg(errorNumber)
            .arg(QString::fromLocal8Bit(std::strerror(errorNumber)));
    }
}

Outcome<QByteArray> readRegular(const QString &localPath, qint64 maxBytes)
{
    const auto unreadable = [&](const QString &why) { return failure(Error::Kind::FileUnreadable, localPath, why); };
    // Non-blocking, so that opening a FIFO does not wait for a writer; nothing is read before the
    // kind and size of the file are known.
    Descriptor fd(::open(QFile::encodeName(localPath).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (!fd.valid())
        return unreadable(reason(errno));
    struct stat status
    {
    };
    if (const std::optional<QString> why = notARegularFile(fd.get(), status))
        return unreadable(*why);
    if (status.st_size > maxBytes)
        return unreadable(QStringLiteral("file troppo grande: %1, al massimo %2")
                              .arg(megabytes(status.st_size), megabytes(maxBytes)));

    QByteArray bytes;
    bytes.resize(qsizetype(status.st_size));
    qint64 filled = 0;
    for (;;) {
        // One byte more than the limit is asked for, to see a file that grew while it was read.
        if (filled == bytes.size())
            bytes.resize(qsizetype(std::min<qint64>(maxBytes + 1, filled + 65536)));
        const ssize_t got = ::read(fd.get(), bytes.data() + filled, size_t(bytes.size() - filled));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return unreadable(reason(errno));
        if (got == 0)
            break;
        filled += got;
        if (filled > maxBytes)
            return unreadable(QStringLiteral("file troppo grande: oltre %1").arg(megabytes(maxBytes)));
    }
    bytes.resize(qsizetype(filled));
    return bytes;
}

Status checkRegular(const QString &localPath)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(localPath).constData(), &status) != 0)
        return failure(Error::Kind::FileUnreadable, localPath, reason(errno));
    if (!S_ISREG(status.st_mode))
        return failure(Error::Kind::FileUnreadable, localPath, kindOfNode(status));
    return Done{};
}

Status checkTarget(const QString &localPath)
{
    struct stat status
    {
    };
    if (::stat(QFile::encodeName(localPath).constData(), &status) != 0) {
        if (errno == ENOENT)
            return Done{};
        return failure(Error::Kind::FileUnwritable, localPath, reason(errno));
    }
    if (!S_ISREG(status.st_mode))
        return failure(Error::Kind::FileUnwritable, localPath, kindOfNode(status));
    return Done{};
}

namespace {

// How long an append waits for another one to the same file: a run of zefro-estimate holds its
// report file for as long as it takes to put its map and GIS file in place.
constexpr int kLockWaitMilliseconds = 10000;
constexpr int kLockPollMilliseconds = 20;

bool lockWithinWait(int fd)
{
    for (int waited = 0;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return true;
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK || waited >= kLockWaitMilliseconds) {
            if (errno == EWOULDBLOCK)
                errno = EBUSY;
            return false;
        }
        ::usleep(kLockPollMilliseconds * 1000);
        waited += kLockPollMilliseconds;
    }
}

} // namespace

Outcome<std::unique_ptr<HeldAppend>> HeldAppend::append(const QString &localPath, const QByteArray &bytes)
{
    const auto unwritable = [&](const QString &why) { return failure(Error::Kind::FileUnwritable, localPath, why); };
    if (const Status target = checkTarget(localPath); !target.ok())
        return target.error();
    const QByteArray native = QFile::encodeName(localPath);
    constexpr int kFlags = O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK | O_NOCTTY;
    // A few rounds at most: another append may remove the file it created while this one waits.
    for (int round = 0; round < 100; ++round) {
        bool created = false;
        int opened = ::open(native.constData(), kFlags);
        if (opened < 0 && errno == ENOENT) {
            opened = ::open(native.constData(), kFlags | O_CREAT | O_EXCL, 0666);
            if (opened < 0 && errno == EEXIST)
                continue;
            created = opened >= 0;
        }
        Descriptor fd(opened);
        if (!fd.valid())
            return unwritable(reason(errno));
        struct stat status
        {
        };
        if (const std::optional<QString> why = notARegularFile(fd.get(), status))
            return unwritable(*why);
        if (!lockWithinWait(fd.get()))
            return unwritable(reason(errno));
        // Taken back while this append waited: start again on what the path names now.
        struct stat named
        {
        };
        if (::stat(native.constData(), &named) != 0 || named.st_dev != status.st_dev || named.st_ino != status.st_ino)
            continue;
        if (::fstat(fd.get(), &status) != 0)
            return unwritable(reason(errno));

        auto held = std::make_unique<HeldAppend>(fd.release(), native, qint64(status.st_size), created);
        if (!writeEverything(held->m_fd, bytes) || ::fsync(held->m_fd) != 0) {
            const int error = errno;
            held->takeBack();
            return unwritable(reason(error));
        }
        return held;
    }
    return unwritable(reason(EBUSY));
}

HeldAppend::HeldAppend(int lockedDescriptor, QByteArray path, qint64 sizeBefore, bool created)
    : m_fd(lockedDescriptor)
    , m_path(std::move(path))
    , m_sizeBefore(sizeBefore)
    , m_created(created)
{ }

HeldAppend::~HeldAppend()
{
    ::close(m_fd); // releases the lock
}

void HeldAppend::takeBack()
{
    // What others appended before the lock was taken stays: a file created here is removed only when
    // nothing else was in it.
    if (m_created && m_sizeBefore == 0)
        ::unlink(m_path.constData());
    else
        (void)::ftruncate(m_fd, m_sizeBefore);
}

Status appendAll(const QString &localPath, const QByteArray &bytes)
{
    const Outcome<std::unique_ptr<HeldAppend>> held = HeldAppend::append(localPath, bytes);
    if (!held.ok())
        return held.error();
    return Done{};
}

bool sameFile(const QString &a, const QString &b)
{
    struct stat first
    {
    };
    struct stat second
    {
    };
    if (::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(QFile::encodeName(b).constData(), &second) == 0)
        return first.st_dev == second.st_dev && first.st_ino == second.st_ino;
    return QDir::cleanPath(QFileInfo(a).absoluteFilePath()) == QDir::cleanPath(QFileInfo(b).absoluteFilePath());
}

namespace {

// A temporary file beside `localPath`, with the mode the file has or a new file gets; removed with the
// replacement unless it is committed.
struct TemporaryBeside
{
    std::shared_ptr<Replacement> replacement;
    QByteArray path;
    int fd = -1; // owned by the caller
};

Outcome<TemporaryBeside> temporaryBeside(const QString &localPath)
{
    if (const Status target = checkTarget(localPath); !target.ok())
        return target.error();
    const QFileInfo info(localPath);
    QByteArray temporary
        = QFile::encodeName(info.absolutePath() + QStringLiteral("/.") + info.fileName() + QStringLiteral(".XXXXXX"));
    Descriptor fd(::mkostemp(temporary.data(), O_CLOEXEC));
    if (!fd.valid())
        return failure(Error::Kind::FileUnwritable, localPath, reason(errno));
    // From here on the temporary file goes away unless it is committed.
    auto replacement = std::make_shared<Replacement>(localPath, temporary);
    struct stat existing
    {
    };
    const mode_t mode
        = ::stat(QFile::encodeName(localPath).constData(), &existing) == 0 ? (existing.st_mode & 07777) : newFileMode();
    if (::fchmod(fd.get(), mode) != 0)
        return failure(Error::Kind::FileUnwritable, localPath, reason(errno));
    return TemporaryBeside{std::move(replacement), std::move(temporary), fd.release()};
}

} // namespace

Outcome<std::shared_ptr<Replacement>> Replacement::prepare(const QString &localPath, const QByteArray &bytes)
{
    Outcome<TemporaryBeside> beside = temporaryBeside(localPath);
    if (!beside.ok())
        return beside.error();
    Descriptor fd(beside.value().fd);
    if (!writeEverything(fd.get(), bytes) || ::fsync(fd.get()) != 0 || !fd.close())
        return failure(Error::Kind::FileUnwritable, localPath, reason(errno));
    return beside.value().replacement;
}

Outcome<std::shared_ptr<Replacement>> Replacement::prepareWritten(const QString &localPath, const Writer &write)
{
    Outcome<TemporaryBeside> beside = temporaryBeside(localPath);
    if (!beside.ok())
        return beside.error();
    if (Descriptor fd(beside.value().fd); !fd.close())
        return failure(Error::Kind::FileUnwritable, localPath, reason(errno));
    const QByteArray &temporary = beside.value().path;
    if (const Status written = write(QFile::decodeName(temporary)); !written.ok())
        return written.error();
    // What the writer closed may still be in the system's buffers: to the disk before it counts.
    Descriptor reopened(::open(temporary.constData(), O_RDONLY | O_CLOEXEC | O_NOCTTY));
    if (!reopened.valid() || ::fsync(reopened.get()) != 0 || !reopened.close())
        return failure(Error::Kind::FileUnwritable, localPath, reason(errno));
    return beside.value().replacement;
}

Replacement::Replacement(QString target, QByteArray temporary)
    : m_target(std::move(target))
    , m_temporary(std::move(temporary))
{ }

Replacement::~Replacement()
{
    if (!m_temporary.isEmpty())
        ::unlink(m_temporary.constData());
}

Status Replacement::commit()
{
    // The target may have become a folder or a device since the bytes were prepared.
    if (const Status target = checkTarget(m_target); !target.ok())
        return target;
    if (::rename(m_temporary.constData(), QFile::encodeName(m_target).constData()) != 0)
        return failure(Error::Kind::FileUnwritable, m_target, reason(errno));
    m_temporary.clear();
    return Done{};
}

Status replaceAll(const QString &localPath, const QByteArray &bytes)
{
    const Outcome<std::shared_ptr<Replacement>> prepared = Replacement::prepare(localPath, bytes);
    if (!prepared.ok())
        return prepared.error();
    return prepared.value()->commit();
}

} // namespace SystemFile
