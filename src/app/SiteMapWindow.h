#pragma once

#include <QWidget>

class QImage;
class QLabel;
class QListWidget;
class QSplitter;
namespace site {
struct SiteRun;
}

// "Mappa del sito": the site map of an inventory run, every item's areas and id drawn on it, with the
// list of the items and what became of each. Apart from the map window, which stays as it is.
class SiteMapWindow final : public QWidget
{
    Q_OBJECT

public:
    explicit SiteMapWindow(QWidget *parent = nullptr);

    void showRun(const QImage &siteMap, const site::SiteRun &run);

    [[nodiscard]] QLabel &picture() const { return *m_picture; }
    [[nodiscard]] QListWidget &items() const { return *m_items; }

private:
    QLabel *m_picture = nullptr;
    QListWidget *m_items = nullptr;
    QSplitter *m_splitter = nullptr;
};
