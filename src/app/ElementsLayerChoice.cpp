#include "app/ElementsLayerChoice.h"

#include <QFileDialog>
#include <QSettings>

namespace {

const QString kElementsSetting = QStringLiteral("elementi_vulnerabili/strato");

} // namespace

QString rememberedElementsLayer()
{
    return QSettings().value(kElementsSetting).toString();
}

void rememberElementsLayer(const QString &localPath)
{
    QSettings().setValue(kElementsSetting, localPath);
}

QString chooseElementsLayerWithDialog(QWidget *parent, const QString &current)
{
    QFileDialog dialog(parent, QStringLiteral("Elementi vulnerabili"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilters({QStringLiteral("Strati vettoriali (*.gpkg *.shp *.geojson *.json *.kml *.csv)"),
                           QStringLiteral("Tutti i file (*)")});
    if (!current.isEmpty())
        dialog.selectFile(current);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}
