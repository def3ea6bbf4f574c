#include "app/ScaledPaperDialog.h"

#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>

std::optional<ScaledPaper> askScaledPaper(QWidget *parent)
{
    QDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("scaledPaper"));
    dialog.setWindowTitle(QStringLiteral("Stampa in scala"));
    auto *form = new QFormLayout(&dialog);
    auto *what = new QLabel(QStringLiteral("La mappa intorno all'incidente, alla scala indicata, con scala grafica, "
                                           "legenda e, su una mappa georiferita, reticolo e nord."));
    what->setWordWrap(true);
    what->setMinimumWidth(320);
    form->addRow(what);
    auto *size = new QComboBox(&dialog);
    size->setObjectName(QStringLiteral("paperSize"));
    size->addItem(QStringLiteral("A4"), int(QPageSize::A4));
    size->addItem(QStringLiteral("A3"), int(QPageSize::A3));
    auto *orientation = new QComboBox(&dialog);
    orientation->setObjectName(QStringLiteral("paperOrientation"));
    orientation->addItem(QStringLiteral("Orizzontale"), int(QPageLayout::Landscape));
    orientation->addItem(QStringLiteral("Verticale"), int(QPageLayout::Portrait));
    form->addRow(QStringLiteral("Formato:"), size);
    form->addRow(QStringLiteral("Orientamento:"), orientation);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dialog);
    buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("Stampa"));
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return ScaledPaper{QPageSize::PageSizeId(size->currentData().toInt()),
                       QPageLayout::Orientation(orientation->currentData().toInt())};
}
