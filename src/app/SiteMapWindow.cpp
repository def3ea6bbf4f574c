#include "app/SiteMapWindow.h"

#include "site/ItemEstimates.h"
#include "site/SiteRun.h"

#include <QGuiApplication>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPixmap>
#include <QScreen>
#include <QScrollArea>
#include <QSplitter>

namespace {

// One line of the list: the item's id, and why it has no estimate or no place on the map.
QString itemText(const site::ItemOutcome &outcome)
{
    if (!outcome.estimated())
        return site::itemLine(outcome.item, QStringLiteral("non stimato: ") + outcome.failure);
    if (!outcome.sheetPoint)
        return outcome.item.id + QStringLiteral(" (non sulla mappa)");
    return outcome.item.id;
}

} // namespace

SiteMapWindow::SiteMapWindow(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setObjectName(QStringLiteral("siteMap"));
    setWindowTitle(QStringLiteral("Mappa del sito"));
    setAttribute(Qt::WA_DeleteOnClose);

    m_picture = new QLabel;
    m_picture->setObjectName(QStringLiteral("siteMapPicture"));
    m_picture->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *scroll = new QScrollArea;
    scroll->setWidget(m_picture);
    scroll->setWidgetResizable(false);
    m_items = new QListWidget;
    m_items->setObjectName(QStringLiteral("siteMapItems"));

    auto *splitter = new QSplitter(this);
    splitter->addWidget(scroll);
    splitter->addWidget(m_items);
    splitter->setStretchFactor(0, 3);
    splitter->setStretchFactor(1, 1);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(splitter);
}

void SiteMapWindow::showRun(const QImage &siteMap, const site::SiteRun &run)
{
    m_picture->setPixmap(QPixmap::fromImage(siteMap));
    m_picture->adjustSize();
    m_items->clear();
    for (const site::ItemOutcome &outcome : run.items)
        m_items->addItem(itemText(outcome));
    // As large as the picture and the list, within the screen.
    const QSize wanted(siteMap.width() + 300, siteMap.height() + 8);
    const QScreen *screen = QGuiApplication::primaryScreen();
    resize(screen ? wanted.boundedTo(screen->availableSize() * 0.9) : QSize(900, 700));
}
