#pragma once

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

    // The drive root used when nobody sets one: $ZEFRO_DRIVE_ROOT if set, else the "drive" folder
    // next to the program (a build tree), else, for an installed program, the user's own root
    // (UserDrive::location()), set up at the first start from <prefix>/share/zefro/drive.
    [[nodiscard]] static QString defaultRoot();

    // defaultRoot() without the environment variable, for a program in programDir and a user root
    // at userRoot. When the user's root cannot be set up it says why on the terminal and falls back
    // to the installed tree itself, which is read only.
    [[nodiscard]] static QString rootForProgramIn(const QString &programDir, const QString &userRoot);

    [[nodiscard]] const QString &root() const { return m_root; }

    // The local file-system path of a system path.
    [[nodiscard]] QString toLocal(const QString &systemPath) const;

    // True for "X:..." with a letter X.
    [[nodiscard]] static bool hasDriveLetter(const QString &path);

    // The drive letters available under the root (lower case, sorted), for the map file chooser.
    [[nodiscard]] QStringList driveLetters() const;

private:
    QString m_root;
};
