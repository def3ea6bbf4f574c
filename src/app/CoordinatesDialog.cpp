#include "app/CoordinatesDialog.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

std::optional<TypedCoordinates> askCoordinatesWithDialog(QWidget *parent, const CoordinatesQuestion &question)
{
    QDialog dialog(parent);
    dialog.setWindowTitle(QStringLiteral("Incidente alle coordinate"));
    auto *form = new QFormLayout(&dialog);
    form->addRow(new QLabel(QStringLiteral("Coordinate %1 del punto dell'incidente; per i decimali la virgola o il "
                                           "punto, senza separatori delle migliaia.")
                                .arg(question.system)));
    form->itemAt(0)->widget()->setProperty("wordWrap", true);
    auto *first = new QLineEdit(question.first);
    auto *second = new QLineEdit(question.second);
    form->addRow(question.geographic ? QStringLiteral("Longitudine (°)") : QStringLiteral("E (est)"), first);
    form->addRow(question.geographic ? QStringLiteral("Latitudine (°)") : QStringLiteral("N (nord)"), second);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Annulla"));
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    form->addRow(buttons);
    dialog.setMinimumWidth(360);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return TypedCoordinates{first->text(), second->text()};
}
