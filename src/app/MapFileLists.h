#pragma once

#include "platform/DrivePaths.h"

#include <QObject>
#include <QString>
#include <QStringList>

class QComboBox;
class QListWidget;
class QWidget;

// The drive, folder and file lists of the map window (Drive1, Dir1, File1), placed on the window
// itself. The drives are the drive letters under the drive root and "/"; the folder list shows the
// folders from the drive's root down to the current folder and the current folder's subfolders
// (double click or Enter opens one); the file list shows the map files of the current folder (BMP, TIFF, JPEG, PNG).
class MapFileLists : public QObject
{
    Q_OBJECT

public:
    MapFileLists(const DrivePaths &drives, QWidget *window);

    // Opens a folder given as a local path; the drive list follows it.
    void setFolder(const QString &localFolder);
    [[nodiscard]] const QString &folder() const { return m_folder; }
    // The file chosen in the file list, empty when none.
    [[nodiscard]] QString chosenFile() const;

    void setVisible(bool visible);
    // Reads the folder again (files may have been added since it was opened).
    void refresh();

signals:
    void fileChosen();

private:
    void chooseDrive(int index);
    void fillFolders();
    void fillFiles();
    [[nodiscard]] QString driveRootOf(const QString &localFolder) const;

    const DrivePaths &m_drives;
    QComboBox *m_driveList;
    QListWidget *m_folderList;
    QListWidget *m_fileList;
    QStringList m_driveRoots; // local root of each entry of the drive list
    QString m_folder;
};
