#include "app/MapFileLists.h"

#include "map/MapOpening.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QListWidget>
#include <QStyle>

namespace {

const QString kChooserTip = QStringLiteral("Seleziona un file mappa");
constexpr int kPathRole = Qt::UserRole;

QString withoutTrailingSlash(QString path)
{
    while (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

MapFileLists::MapFileLists(const DrivePaths &drives, QWidget *window)
    : QObject(window)
    , m_drives(drives)
    , m_driveList(new QComboBox(window))
    , m_folderList(new QListWidget(window))
    , m_fileList(new QListWidget(window))
{
    m_driveList->setObjectName(QStringLiteral("Drive1"));
    m_folderList->setObjectName(QStringLiteral("Dir1"));
    m_fileList->setObjectName(QStringLiteral("File1"));
    m_driveList->setGeometry(24, 8, 201, 21);
    m_folderList->setGeometry(24, 40, 201, 216);
    m_fileList->setGeometry(24, 264, 201, 97);
    for (QWidget *list : {static_cast<QWidget *>(m_driveList), static_cast<QWidget *>(m_folderList),
                          static_cast<QWidget *>(m_fileList)})
        list->setToolTip(kChooserTip);

    for (const QString &letter : m_drives.driveLetters()) {
        m_driveList->addItem(letter + QLatin1Char(':'));
        m_driveRoots << withoutTrailingSlash(QDir::cleanPath(m_drives.toLocal(letter + QStringLiteral(":\\"))));
    }
    m_driveList->addItem(QStringLiteral("/"));
    m_driveRoots << QStringLiteral("/");

    connect(m_driveList, &QComboBox::activated, this, &MapFileLists::chooseDrive);
    connect(m_folderList, &QListWidget::itemActivated, this,
            [this](QListWidgetItem *item) { setFolder(item->data(kPathRole).toString()); });
    connect(m_fileList, &QListWidget::itemClicked, this, &MapFileLists::fileChosen);
    connect(m_fileList, &QListWidget::itemActivated, this, &MapFileLists::fileChosen);

    setFolder(m_driveRoots.constFirst());
}

QString MapFileLists::driveRootOf(const QString &localFolder) const
{
    // The longest drive root that holds the folder; "/" holds every local path.
    qsizetype best = -1;
    for (qsizetype i = 0; i < m_driveRoots.size(); ++i) {
        const QString &root = m_driveRoots.at(i);
        const bool holds
            = root == QLatin1String("/") || localFolder == root || localFolder.startsWith(root + QLatin1Char('/'));
        if (holds && (best < 0 || root.size() > m_driveRoots.at(best).size()))
            best = i;
    }
    return best < 0 ? QStringLiteral("/") : m_driveRoots.at(best);
}

void MapFileLists::setFolder(const QString &localFolder)
{
    m_folder = withoutTrailingSlash(QDir::cleanPath(localFolder));
    const qsizetype driveIndex = m_driveRoots.indexOf(driveRootOf(m_folder));
    m_driveList->setCurrentIndex(static_cast<int>(driveIndex));
    fillFolders();
    fillFiles();
}

void MapFileLists::chooseDrive(int index)
{
    if (index >= 0 && index < m_driveRoots.size())
        setFolder(m_driveRoots.at(index));
}

void MapFileLists::fillFolders()
{
    m_folderList->clear();
    const QStyle *style = QApplication::style();
    const QString root = driveRootOf(m_folder);

    // The chain from the drive's root down to the current folder, then its subfolders.
    QStringList chain{root};
    const QString below = m_folder.mid(root.size());
    QString path = root == QLatin1String("/") ? QString() : root;
    for (const QString &name : below.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        path += QLatin1Char('/') + name;
        chain << path;
    }
    int depth = 0;
    for (const QString &folder : chain) {
        const QString name = depth == 0 ? m_driveList->currentText() : QDir(folder).dirName();
        auto *item = new QListWidgetItem(style->standardIcon(QStyle::SP_DirOpenIcon),
                                         QString(depth * 2, QLatin1Char(' ')) + name, m_folderList);
        item->setData(kPathRole, folder);
        ++depth;
    }
    const QDir current(m_folder);
    for (const QString &name : current.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase)) {
        auto *item = new QListWidgetItem(style->standardIcon(QStyle::SP_DirIcon),
                                         QString(depth * 2, QLatin1Char(' ')) + name, m_folderList);
        item->setData(kPathRole, current.filePath(name));
    }
    m_folderList->setCurrentRow(static_cast<int>(chain.size()) - 1);
}

void MapFileLists::fillFiles()
{
    m_fileList->clear();
    m_fileList->addItems(QDir(m_folder).entryList(map::mapFilePatterns(), QDir::Files, QDir::Name | QDir::IgnoreCase));
}

QString MapFileLists::chosenFile() const
{
    const QListWidgetItem *item = m_fileList->currentItem();
    return item && item->isSelected() ? item->text() : QString();
}

void MapFileLists::setVisible(bool visible)
{
    m_driveList->setVisible(visible);
    m_folderList->setVisible(visible);
    m_fileList->setVisible(visible);
}

void MapFileLists::refresh()
{
    const QString chosen = chosenFile();
    fillFolders();
    fillFiles();
    const QList<QListWidgetItem *> same = m_fileList->findItems(chosen, Qt::MatchExactly);
    if (!chosen.isEmpty() && !same.isEmpty())
        m_fileList->setCurrentItem(same.constFirst());
}
