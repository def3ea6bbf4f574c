#pragma once

#include <QDialog>
#include <QPointer>

#include <functional>

class QCheckBox;
class QLineEdit;
class SiteMapWindow;
class WorkbookOpener;
struct Platform;
namespace site {
struct SiteRunRequest;
}

// "Elabora inventario": asks for an inventory, an output folder and optionally a map or a reference
// system and a layer of vulnerable elements, and runs the site inventory on them as zefro-estimate
// --inventory does (the same core, with a progress window that can stop it). With a map, the site map
// is shown in its own window. The layer offered is the one last chosen here or in the map window (its
// first layer, as there); one the run has read is remembered for both.
class InventoryDialog final : public QDialog
{
    Q_OBJECT

public:
    InventoryDialog(Platform &platform, const WorkbookOpener &workbooks, QWidget *parent = nullptr);

    // What a "Sfoglia…" button asks for; the chooser answers a local path, empty when given up.
    enum class Choice { Inventory, OutputFolder, Map, Elements };
    using FileChooser = std::function<QString(Choice choice, const QString &current)>;
    void setFileChooser(FileChooser chooser);
    // Opens the output folder in the desktop's file manager ("Apri cartella" of the end message).
    void setFolderOpener(std::function<void(const QString &folder)> opener);

    // The window showing the last run's site map, while it is open.
    [[nodiscard]] SiteMapWindow *siteMapWindow() const;

private:
    void choose(Choice choice, QLineEdit &field);
    // "Elabora": the whole run; the dialog closes once the folder is written.
    void elaborate();
    // The fields as a request; false when one cannot be used (its message has been shown).
    [[nodiscard]] bool fillRequest(site::SiteRunRequest &request);

    Platform &m_platform;
    const WorkbookOpener &m_workbooks;
    FileChooser m_chooseFile;
    std::function<void(const QString &)> m_openFolder;
    QLineEdit *m_inventory = nullptr;
    QLineEdit *m_folder = nullptr;
    QLineEdit *m_map = nullptr;
    QLineEdit *m_scale = nullptr;
    QLineEdit *m_crs = nullptr;
    QLineEdit *m_elements = nullptr;
    QCheckBox *m_overwrite = nullptr;
    QPointer<SiteMapWindow> m_siteMap;
};
