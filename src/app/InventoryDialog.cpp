#include "app/InventoryDialog.h"

#include "app/ElementsLayerChoice.h"
#include "app/SiteMapWindow.h"
#include "elements/ReachedRows.h"
#include "map/Georeference.h"
#include "map/MapOpening.h"
#include "map/MapScale.h"
#include "platform/Platform.h"
#include "site/ItemEstimates.h"
#include "site/OutputFolder.h"
#include "site/SiteInventoryRun.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

const QString kTitle = QStringLiteral("Elabora inventario");

QString chooseWithDialog(QWidget *parent, InventoryDialog::Choice choice, const QString &current)
{
    switch (choice) {
    case InventoryDialog::Choice::Inventory:
        return QFileDialog::getOpenFileName(
            parent, QStringLiteral("Inventario del sito"), current,
            QStringLiteral("Inventari (*.csv *.xlsx *.ods *.gpkg *.geojson *.shp);;Tutti i file (*)"));
    case InventoryDialog::Choice::OutputFolder:
        return QFileDialog::getExistingDirectory(parent, QStringLiteral("Cartella dei risultati"), current);
    case InventoryDialog::Choice::Map:
        return QFileDialog::getOpenFileName(parent, QStringLiteral("Mappa del sito"), current,
                                            QStringLiteral("Mappe (%1)").arg(map::mapFilePatterns().join(' ')));
    case InventoryDialog::Choice::Elements: return chooseElementsLayerWithDialog(parent, current);
    }
    return {};
}

// What the site reaches of the layer, zone by zone; empty without a layer or an item on the ground.
QString elementsText(const site::SiteRun &run)
{
    if (!run.elements)
        return {};
    const QString zones = elements::reachedSummary(run.elements->reached);
    if (zones.isEmpty())
        return {};
    return QStringLiteral("\n\nElementi vulnerabili (strato \"%1\"):\n%2").arg(run.elements->layer.layerName, zones);
}

// The end of a run: how many items have their estimate, and in the details which have none and why,
// then the notices about the map, the placing or the elements.
MessageRequest endMessage(const site::SiteRunOutcome &outcome, const QString &folder)
{
    const int failed = outcome.run.failedCount();
    QStringList details;
    for (const site::ItemOutcome &item : outcome.run.items) {
        if (!item.estimated())
            details << site::itemLine(item.item, item.failure);
    }
    for (const QString &note : outcome.notes)
        details << QStringLiteral("attenzione: ") + note;
    MessageRequest request{site::countsText(outcome.run) + QStringLiteral(".\nI risultati sono in ") + folder
                               + elementsText(outcome.run),
                           kTitle, MessageButtons::OkAction,
                           failed > 0 ? MessageIcon::Warning : MessageIcon::Information, MessageAnswer::Ok};
    request.details = details.join(QLatin1Char('\n'));
    request.actionText = QStringLiteral("Apri cartella");
    return request;
}

} // namespace

InventoryDialog::InventoryDialog(Platform &platform, const WorkbookOpener &workbooks, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_workbooks(workbooks)
    , m_chooseFile([this](Choice choice, const QString &current) { return chooseWithDialog(this, choice, current); })
    , m_openFolder([](const QString &folder) { QDesktopServices::openUrl(QUrl::fromLocalFile(folder)); })
{
    setObjectName(QStringLiteral("inventoryDialog"));
    setWindowTitle(kTitle);
    // The run reads the same workbooks as the main window's estimate, and lets events in between
    // items: the other windows wait until the dialog is closed.
    setModal(true);

    auto *form = new QFormLayout;
    // An optional file can be given up with the field's own clear button.
    const auto addPathRow = [&](const char *name, const QString &label, Choice choice, bool optional = false) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QString::fromLatin1(name));
        field->setMinimumWidth(360);
        field->setClearButtonEnabled(optional);
        auto *browse = new QPushButton(QStringLiteral("Sfoglia…"), this);
        browse->setObjectName(QString::fromLatin1(name) + QStringLiteral("Browse"));
        browse->setAutoDefault(false);
        connect(browse, &QPushButton::clicked, this, [this, choice, field] { choose(choice, *field); });
        auto *row = new QHBoxLayout;
        row->addWidget(field, 1);
        row->addWidget(browse);
        form->addRow(label, row);
        return field;
    };
    m_inventory = addPathRow("inventoryFile", QStringLiteral("Inventario:"), Choice::Inventory);
    m_folder = addPathRow("outputFolder", QStringLiteral("Cartella dei risultati:"), Choice::OutputFolder);
    m_map = addPathRow("mapFile", QStringLiteral("Mappa (facoltativa):"), Choice::Map, true);

    m_scale = new QLineEdit(this);
    m_scale->setObjectName(QStringLiteral("mapScale"));
    m_scale->setPlaceholderText(QStringLiteral("1:N, per una mappa non georiferita"));
    form->addRow(QStringLiteral("Scala della mappa:"), m_scale);
    m_crs = new QLineEdit(this);
    m_crs->setObjectName(QStringLiteral("referenceSystem"));
    m_crs->setPlaceholderText(QStringLiteral("EPSG:N, per est e nord senza mappa"));
    form->addRow(QStringLiteral("Sistema di riferimento:"), m_crs);
    m_elements
        = addPathRow("elementsFile", QStringLiteral("Elementi vulnerabili (facoltativi):"), Choice::Elements, true);
    m_elements->setPlaceholderText(QStringLiteral("strato di scuole, ospedali, abitazioni…"));
    m_elements->setToolTip(QStringLiteral("Si legge il primo strato del file, come nella finestra della mappa. Gli "
                                          "elementi raggiunti dalle aree di danno vanno in elementi.csv, nel "
                                          "riepilogo e in aree.gpkg; servono una mappa georiferita o un sistema "
                                          "di riferimento."));
    m_elements->setText(rememberedElementsLayer());
    m_overwrite = new QCheckBox(QStringLiteral("Sostituisci il contenuto della cartella"), this);
    m_overwrite->setObjectName(QStringLiteral("overwrite"));
    form->addRow(QString(), m_overwrite);

    // The scale belongs to a map, the reference system to a run without one.
    const auto matchMap = [this] {
        const bool withMap = !m_map->text().trimmed().isEmpty();
        m_scale->setEnabled(withMap);
        m_crs->setEnabled(!withMap);
    };
    connect(m_map, &QLineEdit::textChanged, this, matchMap);
    matchMap();

    auto *buttons = new QDialogButtonBox(this);
    QPushButton *run = buttons->addButton(QStringLiteral("Elabora"), QDialogButtonBox::AcceptRole);
    run->setObjectName(QStringLiteral("elaborate"));
    run->setDefault(true);
    QPushButton *cancel = buttons->addButton(QStringLiteral("Annulla"), QDialogButtonBox::RejectRole);
    cancel->setObjectName(QStringLiteral("cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &InventoryDialog::elaborate);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void InventoryDialog::setFileChooser(FileChooser chooser)
{
    m_chooseFile = std::move(chooser);
}

void InventoryDialog::setFolderOpener(std::function<void(const QString &)> opener)
{
    m_openFolder = std::move(opener);
}

SiteMapWindow *InventoryDialog::siteMapWindow() const
{
    return m_siteMap;
}

void InventoryDialog::choose(Choice choice, QLineEdit &field)
{
    const QString chosen = m_chooseFile(choice, field.text().trimmed());
    if (!chosen.isEmpty())
        field.setText(chosen);
}

bool InventoryDialog::fillRequest(site::SiteRunRequest &request)
{
    const auto refuse = [this](const QString &text) {
        m_platform.messages.show({text, kTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
        return false;
    };
    request.inventoryPath = m_inventory->text().trimmed();
    request.inventoryName = request.inventoryPath;
    if (request.inventoryPath.isEmpty())
        return refuse(QStringLiteral("Scegliere il file dell'inventario."));
    request.mapPath = m_map->text().trimmed();
    request.mapName = request.mapPath;
    const QString scale = m_scale->text().trimmed();
    if (!request.mapPath.isEmpty() && !scale.isEmpty()) {
        const Outcome<double> denominator = map::writtenScaleDenominator(scale);
        if (!denominator.ok())
            return refuse(denominator.error().message());
        request.scaleDenominator = denominator.value();
    }
    const QString crs = m_crs->text().trimmed();
    if (request.mapPath.isEmpty() && !crs.isEmpty()) {
        const Outcome<map::CoordinateSystem> named = map::coordinateSystemFrom(crs, crs);
        if (!named.ok())
            return refuse(
                QStringLiteral("%1: sistema di riferimento sconosciuto (scrivere ad esempio EPSG:32632)").arg(crs));
        request.crs = named.value();
    }
    request.elementsPath = m_elements->text().trimmed();
    request.elementsName = request.elementsPath;
    request.programVersion = QCoreApplication::applicationVersion();
    request.when = m_platform.now();
    return true;
}

void InventoryDialog::elaborate()
{
    const auto warn = [this](const QString &text) {
        m_platform.messages.show({text, kTitle, MessageButtons::Ok, MessageIcon::Warning, MessageAnswer::Ok});
    };
    const QString folder = m_folder->text().trimmed();
    if (folder.isEmpty())
        return warn(QStringLiteral("Scegliere la cartella dei risultati."));
    const bool overwrite = m_overwrite->isChecked();
    // Checked before the run, so that a long run is not made in vain.
    if (const Status allowed = site::checkOutputFolder(folder, overwrite); !allowed.ok())
        return warn(allowed.error().message());
    site::SiteRunRequest request;
    if (!fillRequest(request))
        return;

    QProgressDialog progress(QStringLiteral("Lettura dell'inventario…"), QStringLiteral("Annulla"), 0, 1, this);
    progress.setObjectName(QStringLiteral("inventoryProgress"));
    progress.setWindowTitle(kTitle);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(0);
    progress.setAutoClose(false);
    progress.setAutoReset(false);
    progress.show();
    const site::ItemProgress onItem = [&progress](int done, int total) {
        progress.setMaximum(total);
        progress.setValue(done);
        progress.setLabelText(QStringLiteral("Elemento %1 di %2").arg(done + 1).arg(total));
        QCoreApplication::processEvents();
        return !progress.wasCanceled();
    };
    const site::SiteRunOutcome outcome = site::runSiteInventory(m_workbooks, request, onItem);
    progress.close();

    if (outcome.cancelled) {
        m_platform.messages.show({QStringLiteral("Elaborazione annullata: nessun file è stato scritto."), kTitle,
                                  MessageButtons::Ok, MessageIcon::Information, MessageAnswer::Ok});
        return;
    }
    if (outcome.error)
        return warn(outcome.error->message());
    if (outcome.run.elements)
        rememberElementsLayer(request.elementsPath);
    if (const Status written = site::writeOutputFolder(folder, outcome.files, overwrite); !written.ok())
        return warn(written.error().message());

    accept();
    if (!outcome.siteMap.isNull()) {
        if (!m_siteMap)
            m_siteMap = new SiteMapWindow(parentWidget() ? parentWidget() : this);
        m_siteMap->showRun(outcome.siteMap, outcome.run);
        m_siteMap->show();
        m_siteMap->raise();
    }
    if (m_platform.messages.show(endMessage(outcome, folder)) == MessageAnswer::Action)
        m_openFolder(folder);
}
