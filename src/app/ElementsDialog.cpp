#include "app/ElementsDialog.h"

#include "elements/MapElements.h"
#include "platform/Platform.h"
#include "platform/SystemFile.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScrollBar>
#include <QTableWidget>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString chooseCsvWithDialog(QWidget *parent, const QString &suggested)
{
    QFileDialog dialog(parent, QStringLiteral("Salva elementi vulnerabili (CSV)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    dialog.setNameFilter(QStringLiteral("CSV (*.csv)"));
    dialog.setDefaultSuffix(QStringLiteral("csv"));
    dialog.selectFile(suggested);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().constFirst();
}

QIcon swatch(const QColor &colour)
{
    QPixmap pixels(12, 12);
    pixels.fill(colour);
    return QIcon(pixels);
}

} // namespace

ElementsDialog::ElementsDialog(Platform &platform, QWidget *parent)
    : QDialog(parent)
    , m_platform(platform)
    , m_chooseCsvFile([this](const QString &suggested) { return chooseCsvWithDialog(this, suggested); })
{
    setObjectName(QStringLiteral("elementsDialog"));
    setWindowTitle(QStringLiteral("Elementi vulnerabili"));
    m_heading = new QLabel(this);
    m_heading->setObjectName(QStringLiteral("elementsHeading"));
    m_heading->setWordWrap(true);
    m_heading->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_table = new QTableWidget(0, int(elements::reachedHeadings().size()), this);
    m_table->setObjectName(QStringLiteral("elementsTable"));
    m_table->setHorizontalHeaderLabels(elements::reachedHeadings());
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->verticalHeader()->hide();
    m_table->horizontalHeader()->setStretchLastSection(true);

    m_copy = new QPushButton(QStringLiteral("Copia"), this);
    m_copy->setObjectName(QStringLiteral("copyElements"));
    m_copy->setToolTip(QStringLiteral("Copia la tabella negli appunti, da incollare in un foglio di calcolo"));
    m_save = new QPushButton(QStringLiteral("Salva CSV…"), this);
    m_save->setObjectName(QStringLiteral("saveElementsCsv"));
    m_save->setToolTip(QStringLiteral("Salva la tabella come file CSV (separatore \";\", virgola decimale)"));
    auto *change = new QPushButton(QStringLiteral("Cambia strato…"), this);
    change->setObjectName(QStringLiteral("changeElementsLayer"));
    auto *close = new QPushButton(QStringLiteral("Chiudi"), this);
    connect(m_copy, &QPushButton::clicked, this, &ElementsDialog::copy);
    connect(m_save, &QPushButton::clicked, this, &ElementsDialog::saveCsv);
    connect(change, &QPushButton::clicked, this, &ElementsDialog::layerChangeAsked);
    connect(close, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(m_copy);
    buttons->addWidget(m_save);
    buttons->addWidget(change);
    buttons->addStretch();
    buttons->addWidget(close);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_heading);
    layout->addWidget(m_table);
    layout->addLayout(buttons);
    resize(640, 360);
}

void ElementsDialog::showReached(const QString &layerFile, std::size_t elementCount, const QString &summary,
                                 std::vector<elements::ReachedRow> rows, const QString &suggestedCsv)
{
    m_rows = std::move(rows);
    m_suggestedCsv = suggestedCsv;
    m_heading->setText(QStringLiteral("Strato: %1 (%2 elementi sulla mappa)\n%3")
                           .arg(QFileInfo(layerFile).fileName())
                           .arg(elementCount)
                           .arg(summary));
    m_table->setRowCount(int(m_rows.size()));
    for (int r = 0; r < int(m_rows.size()); ++r) {
        const QStringList cells = elements::reachedCells(m_rows[std::size_t(r)]);
        for (int c = 0; c < cells.size(); ++c) {
            auto *item = new QTableWidgetItem(cells.at(c));
            if (c >= 4)
                item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
            if (c == 0)
                item->setIcon(swatch(elements::zoneColour(m_rows[std::size_t(r)].zone)));
            m_table->setItem(r, c, item);
        }
    }
    m_table->resizeColumnsToContents();
    // Wide enough for every column, up to most of a screen.
    int columns = 2 * m_table->frameWidth() + m_table->verticalScrollBar()->sizeHint().width();
    for (int c = 0; c < m_table->columnCount(); ++c)
        columns += m_table->columnWidth(c);
    const QMargins margins = layout()->contentsMargins();
    resize(std::clamp(columns + margins.left() + margins.right(), width(), 1000), height());
    m_copy->setEnabled(!m_rows.empty());
    m_save->setEnabled(!m_rows.empty());
}

void ElementsDialog::setCsvFileChooser(std::function<QString(const QString &)> chooser)
{
    m_chooseCsvFile = std::move(chooser);
}

void ElementsDialog::copy() const
{
    QApplication::clipboard()->setText(elements::reachedTabText(m_rows));
}

void ElementsDialog::saveCsv()
{
    const QString chosen = m_chooseCsvFile(m_suggestedCsv);
    if (chosen.isEmpty())
        return;
    const Status written = SystemFile::replaceAll(chosen, elements::reachedCsv(m_rows));
    if (!written.ok()) {
        m_platform.messages.notify(QStringLiteral("Impossibile salvare il file \"%1\": %2")
                                       .arg(chosen, written.error().message()),
                                   MessageIcon::Critical);
        return;
    }
    m_platform.messages.notify(QStringLiteral("Elementi vulnerabili salvati nel file\n%1").arg(chosen),
                               MessageIcon::Information);
}
