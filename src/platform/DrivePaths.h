#pragma once

#include "platform/Error.h"

#include <QString>
#include <QStringList>

// The system names its files with fixed Windows paths ("c:\revisione metodo speditivo\...") and with
// drive-letter paths taken from the configuration. On Windows they are used as they stand; elsewhere
// "X:\a\b" lives at <drive root>/x/a/b: the drive letter lower-cased, backslashes turned into
// slashes, every name kept exactly (case and blanks included). A path without a drive letter is
// used unchanged.
class DrivePaths
{
public:
    explicit DrivePaths(QString driveRoot);

    // Where the drive root is when nobody sets one, found without touching anything:
    // $ZEFRO_DRIVE_ROOT if set, else the "drive" folder next to the program (a build tree), else, for
    // an installed program, the user's own root (UserDrive::location()), which start-up sets up from
    // <prefix>/share/zefro/drive when it does not exist yet (UserDrive::setUp).
    struct Location
    {
        QString root;
        QString installedTree; // the tree to set the root up from; empty when there is none
    };
    [[nodiscard]] static Location locateDefaultRoot();

    // locateDefaultRoot() without the environment variable, for a program in programDir and a user
    // root at userRoot.
    [[nodiscard]] static Location locateRootForProgramIn(const QString &programDir, const QString &userRoot);

    [[nodiscard]] const QString &root() const { return m_root; }

    // The local file-system path of a system path.
    [[nodiscard]] QString toLocal(const QString &systemPath) const;

    // The system path of a path relative to a drive root ("c/zefro/ms_hlp.pdf" is
    // "c:\zefro\ms_hlp.pdf"); one that is not under a drive letter is given unchanged.
    [[nodiscard]] static QString systemPath(const QString &relativePath);

    // True for "X:..." with a letter X.
    [[nodiscard]] static bool hasDriveLetter(const QString &path);

    // The drive letters available under the root (lower case, sorted), for the map file chooser.
    [[nodiscard]] QStringList driveLetters() const;

    // The error with where its file is on this computer, for a file named by its system path (a data
    // workbook): the analyst sees "c:\\...\\111.xls" and the folder to look in.
    [[nodiscard]] Error locate(Error error) const;

private:
    QString m_root;
};
