#include "platform/DriveSync.h"

#include "platform/Configuration.h"
#include "platform/DataSeal.h"
#include "platform/DrivePaths.h"
#include "platform/InstalledRecord.h"
#include "platform/SystemFile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <cerrno>
#include <memory>
#include <optional>
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

namespace DriveSync {

namespace {

enum class Node { Folder, File, Link, Other };
using Listing = QHash<QByteArray, Node>; // by name

Node nodeOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return Node::Folder;
    if (S_ISREG(mode))
        return Node::File;
    return S_ISLNK(mode) ? Node::Link : Node::Other;
}

// A path below a folder; an empty side stands for the folder itself.
QByteArray join(const QByteArray &base, const QByteArray &relative)
{
    if (base.isEmpty() || relative.isEmpty())
        return base + relative;
    return base + '/' + relative;
}

QString shown(const QByteArray &path)
{
    return QFile::decodeName(path);
}

// The entries of a folder whose names do not begin with a dot, read without a stat each where the
// system tells the kind. With follow, a link counts as what it points to, and not at all when that
// is nothing.
std::optional<Listing> list(const QByteArray &folder, bool follow)
{
    const std::unique_ptr<DIR, int (*)(DIR *)> dir(::opendir(folder.constData()), ::closedir);
    if (!dir)
        return std::nullopt;
    Listing entries;
    while (const dirent *entry = ::readdir(dir.get())) {
        if (entry->d_name[0] == '.')
            continue;
        const QByteArray name(entry->d_name), path = folder + '/' + name;
        struct stat status
        {
        };
        Node node = Node::Other;
        switch (entry->d_type) {
        case DT_DIR: node = Node::Folder; break;
        case DT_REG: node = Node::File; break;
        case DT_LNK: node = Node::Link; break;
        case DT_UNKNOWN:
            if (::lstat(path.constData(), &status) != 0)
                continue;
            node = nodeOf(status.st_mode);
            break;
        default: break;
        }
        if (follow && node == Node::Link) {
            if (::stat(path.constData(), &status) != 0)
                continue;
            node = nodeOf(status.st_mode);
        }
        entries.insert(name, node);
    }
    return entries;
}

QByteArray linkTarget(const QByteArray &path)
{
    QByteArray target(4096, Qt::Uninitialized);
    const ssize_t length = ::readlink(path.constData(), target.data(), size_t(target.size()));
    if (length < 0 || length >= target.size())
        return {};
    target.truncate(length);
    return target;
}

bool inside(const QByteArray &path, const QByteArray &tree)
{
    return !tree.isEmpty() && path.startsWith(tree + '/');
}

std::optional<QByteArray> sha256(const QByteArray &path)
{
    if (!SystemFile::checkRegular(shown(path)).ok())
        return std::nullopt;
    QFile file(shown(path));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    if (!file.open(QIODevice::ReadOnly) || !hash.addData(&file))
        return std::nullopt;
    return hash.result().toHex();
}

bool sameContent(const QByteArray &a, const QByteArray &b)
{
    QFile first(shown(a)), second(shown(b));
    if (!SystemFile::checkRegular(first.fileName()).ok() || !SystemFile::checkRegular(second.fileName()).ok()
        || !first.open(QIODevice::ReadOnly) || !second.open(QIODevice::ReadOnly) || first.size() != second.size())
        return false;
    for (;;) {
        const QByteArray part = first.read(65536);
        if (part != second.read(65536))
            return false;
        if (part.isEmpty())
            return true;
    }
}

// The configuration file's path relative to a root: the one file that is copied.
QByteArray configurationPath()
{
    return QFile::encodeName(DrivePaths(QString()).toLocal(Configuration::filePath()).mid(1));
}

class Syncer
{
public:
    Syncer(const QString &installedTree, const QString &userRoot)
        : m_tree(QFile::encodeName(QDir::cleanPath(installedTree)))
        , m_root(QFile::encodeName(userRoot))
        , m_config(configurationPath())
        , m_old(InstalledRecord::read(userRoot))
    {
        m_new.tree = shown(m_tree);
        if (m_old && m_old->tree != m_new.tree)
            m_earlier = QFile::encodeName(m_old->tree);
    }

    void folder(const QByteArray &relative);

    Report finish(const QString &userRoot)
    {
        if (!m_old || !(*m_old == m_new)) {
            if (const Status written = InstalledRecord::write(userRoot, m_new); !written.ok())
                m_report.problems
                    << QStringLiteral("impossibile scrivere %1 (%2)").arg(written.error().file, written.error().detail);
        }
        m_report.kept.sort();
        return m_report;
    }

private:
    void file(const QByteArray &folder, const QByteArray &name, std::optional<Node> mine, const Listing &userFolder);
    void leftOver(const QByteArray &relative, Node node);
    bool note(const QByteArray &relative);
    void place(const QByteArray &relative);
    void link(const QByteArray &relative, bool replacing);
    bool isCopiedSeal(const QByteArray &folder, const QByteArray &name, Node mine, const Listing &userFolder) const;
    bool hadFilesUnder(const QByteArray &relative) const;
    void problem(const QString &what, const QByteArray &path, int error)
    {
        m_report.problems << what.arg(shown(path), SystemFile::reason(error));
    }

    const QByteArray m_tree, m_root, m_config;
    QByteArray m_earlier; // the tree the record names, when it is another
    const std::optional<InstalledRecord::Record> m_old;
    InstalledRecord::Record m_new;
    Report m_report;
};

void Syncer::folder(const QByteArray &relative)
{
    const auto unreadable = [&](const QByteArray &base) {
        problem(QStringLiteral("impossibile leggere la cartella %1 (%2)"), join(base, relative), errno);
    };
    const std::optional<Listing> installed = list(join(m_tree, relative), true);
    if (!installed)
        return unreadable(m_tree);
    const std::optional<Listing> user = list(join(m_root, relative), false);
    if (!user)
        return unreadable(m_root);
    for (auto mine = user->cbegin(); mine != user->cend(); ++mine) {
        if (!installed->contains(mine.key()))
            leftOver(join(relative, mine.key()), mine.value());
    }
    for (auto entry = installed->cbegin(); entry != installed->cend(); ++entry) {
        const QByteArray child = join(relative, entry.key());
        const auto mine = user->constFind(entry.key());
        if (entry.value() == Node::Folder) {
            if (mine == user->cend()) {
                if (::mkdir(join(m_root, child).constData(), 0777) != 0 && errno != EEXIST) {
                    problem(QStringLiteral("impossibile creare la cartella %1 (%2)"), join(m_root, child), errno);
                    continue;
                }
                folder(child);
            } else if (mine.value() == Node::Folder) {
                folder(child);
            } // anything else in place of the folder is the user's, with whatever is below it
        } else if (entry.value() == Node::File) {
            file(relative, entry.key(), mine == user->cend() ? std::nullopt : std::optional<Node>(mine.value()), *user);
        }
    }
}

void Syncer::file(const QByteArray &folder, const QByteArray &name, std::optional<Node> mine, const Listing &userFolder)
{
    const QByteArray relative = join(folder, name), installed = join(m_tree, relative), path = join(m_root, relative);
    const bool changed = note(relative);
    if (!mine) {
        place(relative);
        return;
    }
    if (*mine == Node::Link) {
        const QByteArray target = linkTarget(path);
        if (target == installed)
            return;
        if (inside(target, m_earlier)) {
            link(relative, true);
            return;
        }
    } else if (*mine != Node::File) {
        return; // a folder or a device: nothing that could be used in place of the file
    }
    if (!m_old && isCopiedSeal(folder, name, *mine, userFolder)) {
        link(relative, true);
        return;
    }
    if (changed && m_old && !sameContent(installed, path))
        m_report.kept << shown(relative);
}

// An entry of the root that the installed tree does not have (any more).
void Syncer::leftOver(const QByteArray &relative, Node node)
{
    const QByteArray path = join(m_root, relative);
    if (node == Node::Link) {
        const QByteArray target = linkTarget(path);
        struct stat status
        {
        };
        if ((inside(target, m_tree) || inside(target, m_earlier)) && ::stat(path.constData(), &status) != 0
            && errno == ENOENT && ::unlink(path.constData()) != 0 && errno != ENOENT)
            problem(QStringLiteral("impossibile rimuovere il collegamento %1 (%2)"), path, errno);
    } else if (node == Node::Folder && hadFilesUnder(relative)) {
        // A folder the package had and has no more: the links of ours in it, once (the next record
        // lists nothing under it). A folder that was always the user's is not read.
        if (const std::optional<Listing> entries = list(path, false)) {
            for (auto entry = entries->cbegin(); entry != entries->cend(); ++entry)
                leftOver(join(relative, entry.key()), entry.value());
        }
    }
}

// Records the installed file as it is now; true when its contents differ from what the record had
// (or the record did not have it).
bool Syncer::note(const QByteArray &relative)
{
    const QByteArray installed = join(m_tree, relative);
    struct stat status
    {
    };
    if (relative.contains('\t') || relative.contains('\n') || ::stat(installed.constData(), &status) != 0)
        return false;
    const QString key = shown(relative);
    const qint64 modified = qint64(status.st_mtim.tv_sec) * 1000000000 + status.st_mtim.tv_nsec;
    const auto old = m_old ? m_old->files.constFind(key) : QHash<QString, InstalledRecord::File>::const_iterator();
    const bool known = m_old && old != m_old->files.cend();
    if (known && old->size == qint64(status.st_size) && old->modifiedNs == modified) {
        m_new.files.insert(key, *old);
        return false;
    }
    const std::optional<QByteArray> sum = sha256(installed);
    if (!sum) {
        problem(QStringLiteral("impossibile leggere %1 (%2)"), installed, errno);
        if (known)
            m_new.files.insert(key, *old);
        return false;
    }
    m_new.files.insert(key, {qint64(status.st_size), modified, *sum});
    return !known || old->sha256 != *sum;
}

void Syncer::place(const QByteArray &relative)
{
    if (relative != m_config) {
        link(relative, false);
        return;
    }
    const QString path = shown(join(m_root, relative));
    if (!QFile::copy(shown(join(m_tree, relative)), path) && !QFileInfo::exists(path)) {
        problem(QStringLiteral("impossibile copiare %1 (%2)"), join(m_root, relative), errno);
        return;
    }
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther);
}

// A link to the installed file; one replacing an entry is made beside it and renamed over it, so that
// the name never goes missing for a program reading it meanwhile.
void Syncer::link(const QByteArray &relative, bool replacing)
{
    const QByteArray target = join(m_tree, relative), path = join(m_root, relative);
    if (!replacing) {
        if (::symlink(target.constData(), path.constData()) != 0 && errno != EEXIST)
            problem(QStringLiteral("impossibile collegare %1 (%2)"), path, errno);
        return;
    }
    const qsizetype slash = path.lastIndexOf('/');
    const QByteArray aside = path.left(slash + 1) + '.' + path.mid(slash + 1) + ".zefro-link";
    ::unlink(aside.constData());
    if (::symlink(target.constData(), aside.constData()) != 0 || ::rename(aside.constData(), path.constData()) != 0) {
        problem(QStringLiteral("impossibile collegare %1 (%2)"), path, errno);
        ::unlink(aside.constData());
    }
}

bool Syncer::isCopiedSeal(const QByteArray &folder, const QByteArray &name, Node mine, const Listing &userFolder) const
{
    if (mine != Node::File || name != DataSeal::kFileName)
        return false;
    for (auto entry = userFolder.cbegin(); entry != userFolder.cend(); ++entry) {
        if (!entry.key().toLower().endsWith(".xls"))
            continue;
        if (entry.value() != Node::Link || !inside(linkTarget(join(m_root, join(folder, entry.key()))), m_tree))
            return false;
    }
    return true;
}

bool Syncer::hadFilesUnder(const QByteArray &relative) const
{
    if (!m_old)
        return false;
    const QString prefix = shown(relative) + QLatin1Char('/');
    const QStringList paths = m_old->files.keys();
    return std::any_of(paths.cbegin(), paths.cend(), [&](const QString &path) { return path.startsWith(prefix); });
}

} // namespace

Report sync(const QString &installedTree, const QString &userRoot)
{
    Syncer syncer(installedTree, userRoot);
    syncer.folder({});
    return syncer.finish(userRoot);
}

} // namespace DriveSync
