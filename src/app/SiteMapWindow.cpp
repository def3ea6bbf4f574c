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

#include <algorithm>

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

    m_splitter = new QSplitter(this);
    m_splitter->addWidget(scroll);
    m_splitter->addWidget(m_items);
    m_splitter->setStretchFactor(0, 1);
    m_splitter->setStretchFactor(1, 0);
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m_splitter);
}

void SiteMapWindow::showRun(const QImage &siteMap, const site::SiteRun &run)
{
    m_picture->setPixmap(QPixmap::fromImage(siteMap));
    m_picture->adjustSize();
    m_items->clear();
    for (const site::ItemOutcome &outcome : run.items)
        m_items->addItem(itemText(outcome));
    // As large as the picture and the list, within the screen; the picture takes what the list leaves.
    const int listWidth = std::max(220, m_items->sizeHintForColumn(0) + 24);
    const QSize wanted(siteMap.width() + listWidth + 24, siteMap.height() + 24);
    const QScreen *screen = QGuiApplication::primaryScreen();
    const QSize size = screen ? wanted.boundedTo(screen->availableSize() * 0.9) : QSize(900, 700);
    resize(size);
    m_splitter->setSizes({size.width() - listWidth, listWidth});
}
