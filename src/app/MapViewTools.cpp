#include "app/MapViewTools.h"

#include "app/MapSurface.h"

#include <QFontMetrics>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>

#include <algorithm>
#include <cmath>
#include <utility>

namespace {

QPushButton *makeTool(QWidget *parent, const char *name, const QString &caption, const QString &tip, QRect geometry)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(QLatin1String(name));
    button->setToolTip(tip);
    button->setGeometry(geometry);
    button->setFocusPolicy(Qt::NoFocus); // the keys stay with the control being typed into
    return button;
}

QString zoomText(double zoom)
{
    return QStringLiteral("%1 %").arg(std::lround(zoom * 100.0));
}

} // namespace

MapViewTools::MapViewTools(MapSurface *surface, QWidget *window, QWidget *parent)
    : QWidget(parent)
    , m_surface(surface)
{
    setObjectName(QStringLiteral("mapViewTools"));
    setGeometry(728, 8, 273, 57);
    m_zoomOut
        = makeTool(this, "zoomOut", QStringLiteral("\u2212"),
                   QStringLiteral("Riduci la vista (tasto \u2212, Ctrl con la rotella del mouse)"), {0, 0, 25, 25});
    m_zoomIn
        = makeTool(this, "zoomIn", QStringLiteral("+"),
                   QStringLiteral("Ingrandisci la vista (tasto +, Ctrl con la rotella del mouse)"), {29, 0, 25, 25});
    m_zoomShown = new QLabel(zoomText(1.0), this);
    m_zoomShown->setObjectName(QStringLiteral("zoomShown"));
    m_zoomShown->setAlignment(Qt::AlignCenter);
    m_zoomShown->setAutoFillBackground(true);
    m_zoomShown->setToolTip(QStringLiteral("Ingrandimento della vista: la scala dei cerchi non cambia"));
    m_zoomShown->setGeometry(58, 0, 50, 25);
    m_fit = makeTool(this, "fitSheet", QStringLiteral("Adatta alla finestra"),
                     QStringLiteral("Mostra tutta la mappa nella finestra"), {112, 0, 161, 25});
    m_measure = makeTool(this, "measure", QStringLiteral("Misura"),
                         QStringLiteral("Trascinare con il tasto sinistro per misurare una distanza; Esc termina"),
                         {0, 32, 81, 25});
    m_measure->setCheckable(true);
    m_coordinates = makeTool(this, "incidentAtCoordinates", QStringLiteral("Incidente alle coordinate\u2026"),
                             QStringLiteral("Colloca l'incidente alle coordinate scritte, come un clic sulla mappa "
                                            "in quel punto"),
                             {85, 32, 188, 25});
    m_coordinates->hide();
    m_length = new QLabel(parent);
    m_length->setObjectName(QStringLiteral("measuredLength"));
    m_length->setAutoFillBackground(true);
    m_length->setFrameShape(QFrame::Box);
    m_length->setMargin(2);
    m_length->hide();

    connect(m_zoomOut, &QPushButton::clicked, this,
            [this] { m_surface->zoomBy(-1, QRectF(m_surface->roomBesideControls()).center()); });
    connect(m_zoomIn, &QPushButton::clicked, this,
            [this] { m_surface->zoomBy(+1, QRectF(m_surface->roomBesideControls()).center()); });
    connect(m_fit, &QPushButton::clicked, m_surface, &MapSurface::fitSheet);
    connect(m_surface, &MapSurface::zoomChanged, this, [this](double zoom) { m_zoomShown->setText(zoomText(zoom)); });
    connect(m_surface, &MapSurface::viewChanged, this, &MapViewTools::showLength); // the line's end moved
    connect(m_measure, &QPushButton::toggled, this, [this](bool on) {
        if (!on) {
            endMeasure();
        } else if (!std::exchange(m_on, true)) {
            emit measureStarted();
        }
    });
    connect(m_coordinates, &QPushButton::clicked, this, &MapViewTools::coordinatesAsked);

    // The keys act about the mouse; a field being typed into keeps its + and −.
    const auto zoomKeys = [this, window](const QKeySequence &keys, int steps) {
        connect(new QShortcut(keys, window), &QShortcut::activated, this, [this, steps] { m_surface->zoomBy(steps); });
    };
    zoomKeys(QKeySequence(Qt::Key_Plus), +1);
    zoomKeys(QKeySequence(Qt::Key_Minus), -1);
    zoomKeys(QKeySequence::ZoomIn, +1);
    zoomKeys(QKeySequence::ZoomOut, -1);
    connect(new QShortcut(QKeySequence(Qt::Key_Escape), window), &QShortcut::activated, this,
            &MapViewTools::endMeasure);
}

void MapViewTools::setMeasureSource(std::function<std::optional<map::DistanceMeasure>()> source)
{
    m_measureSource = std::move(source);
}

void MapViewTools::setGeoreferenced(bool georeferenced)
{
    m_coordinates->setVisible(georeferenced);
}

bool MapViewTools::isMeasuring() const
{
    return m_on;
}

void MapViewTools::measureFrom(QPointF position)
{
    m_measuring = m_measureSource ? m_measureSource() : std::nullopt;
    if (!m_measuring) {
        endMeasure();
        return;
    }
    m_from = m_to = position;
    showLength();
}

void MapViewTools::measureTo(QPointF position)
{
    if (!m_measuring)
        return;
    m_to = position;
    showLength();
}

void MapViewTools::endMeasure()
{
    m_measuring.reset();
    m_surface->setOverlayLine(std::nullopt);
    m_length->hide();
    if (!std::exchange(m_on, false))
        return;
    m_measure->setChecked(false);
    emit measureEnded();
}

void MapViewTools::hideMeasureShown(bool hidden)
{
    m_surface->setOverlayLine(m_measuring && !hidden ? std::optional(QLineF(m_from, m_to)) : std::nullopt);
    m_length->setVisible(m_measuring && !hidden);
}

void MapViewTools::showLength()
{
    if (!m_measuring)
        return;
    m_surface->setOverlayLine(QLineF(m_from, m_to));
    const std::optional<double> metres = m_measuring->metres(m_from, m_to);
    m_length->setText(
        QStringLiteral("Distanza %1\n%2")
            .arg(metres ? map::metresText(*metres) : QStringLiteral("non misurabile"), m_measuring->basis()));
    m_length->adjustSize();
    // Beside the line's end, away from the line, inside the viewport.
    const QPointF end = m_surface->viewportPointOf(m_to);
    const QPointF start = m_surface->viewportPointOf(m_from);
    const QSize size = m_length->size();
    const QWidget *view = m_length->parentWidget();
    QPoint at(int(end.x()) + (end.x() >= start.x() ? 12 : -12 - size.width()),
              int(end.y()) + (end.y() >= start.y() ? 12 : -12 - size.height()));
    at.setX(std::clamp(at.x(), 0, std::max(0, view->width() - size.width())));
    at.setY(std::clamp(at.y(), 0, std::max(0, view->height() - size.height())));
    m_length->move(at);
    m_length->show();
    m_length->raise();
}
