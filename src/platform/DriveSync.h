#pragma once

#include <QString>
#include <QStringList>

// Keeps a user's drive root in step with the installed tree (<prefix>/share/zefro/drive), at its
// set-up and at every later start, so that an upgrade of the package reaches every user:
//
// - A folder of the installed tree that the root lacks is created, as the user's own.
// - An installed file that the root lacks is linked in: a symbolic link to the installed file, which
//   follows the package from then on. The configuration file alone is copied: it is the user's from
//   the start. The data seal is linked like the tables it seals, so that it follows them; the
//   program's all-or-nothing writes (--seal-data, the configuration box) put a file of the user's in
//   place of a link and never write through it.
// - A link of ours is a symbolic link to an absolute path inside the installed tree (or inside the
//   tree that the root's record names, when the program now runs from another prefix). One that
//   points nowhere (a file the package no longer has) is removed; one into the earlier tree is
//   pointed at the same file in the current one.
// - Everything else is the user's and is never changed: a real file in place of a link (their
//   configuration, their tables, their seal), a link elsewhere, a folder or a link in place of an
//   installed folder (what is below it is left alone too), files the tree does not have (maps,
//   reports in the output folder). When the package brings a new version of a file the user holds
//   their own of, and the two differ, the file is reported, once: the root's record
//   (InstalledRecord) remembers what was installed at the last start.
//
// A root without a record was set up by a ZEFRO that copied the seal like every text file: there a
// real seal whose folder holds no workbook of the user's (every workbook a link of ours) is that
// copy, and becomes a link.
//
// Names beginning with a dot are not looked at, on either side.
namespace DriveSync {

struct Report
{
    QStringList kept; // the user's own files kept over a new installed version: paths relative to the root
    QStringList problems; // what could not be done, in Italian; the rest was done
};

[[nodiscard]] Report sync(const QString &installedTree, const QString &userRoot);

} // namespace DriveSync
