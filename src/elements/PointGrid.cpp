#include "elements/PointGrid.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace elements {

namespace {

constexpr double kPointsPerCell = 4.0;
constexpr std::size_t kMostCellsASide = 4096;

std::size_t cellOf(double coordinate, double start, double side, std::size_t cells)
{
    const double at = std::floor((coordinate - start) / side);
    if (!(at > 0.0)) // NaN too
        return 0;
    return std::min(cells - 1, static_cast<std::size_t>(std::min(at, double(cells - 1))));
}

} // namespace

PointGrid::PointGrid(const std::vector<QPointF> &points)
{
    if (points.empty())
        return;
    double east = points.front().x();
    double north = points.front().y();
    m_west = east;
    m_south = north;
    for (const QPointF point : points) {
        m_west = std::min(m_west, point.x());
        m_south = std::min(m_south, point.y());
        east = std::max(east, point.x());
        north = std::max(north, point.y());
    }
    // Square cells of about kPointsPerCell points each, were the points spread evenly; a line of points
    // or a single place still makes a grid of one row or one cell.
    const double width = east - m_west;
    const double height = north - m_south;
    const double cells = std::max(1.0, double(points.size()) / kPointsPerCell);
    m_side = width > 0.0 && height > 0.0 ? std::sqrt(width * height / cells) : std::max(width, height) / cells;
    if (!(m_side > 0.0) || !std::isfinite(m_side))
        m_side = 1.0;
    const auto count = [&](double extent) {
        return std::clamp<std::size_t>(static_cast<std::size_t>(std::min(extent / m_side, double(kMostCellsASide))) + 1,
                                       1, kMostCellsASide);
    };
    m_columns = count(width);
    m_rows = count(height);

    // The points counted into their cells, then laid out cell after cell, in their own order within one.
    std::vector<std::size_t> cellOfPoint(points.size());
    constexpr double kNone = std::numeric_limits<double>::infinity();
    m_cells.assign(m_columns * m_rows, Cell{0, 0, kNone, kNone, -kNone, -kNone});
    for (std::size_t place = 0; place < points.size(); ++place) {
        const QPointF point = points[place];
        cellOfPoint[place] = row(point.y()) * m_columns + column(point.x());
        Cell &cell = m_cells[cellOfPoint[place]];
        ++cell.end;
        cell.west = std::min(cell.west, point.x());
        cell.south = std::min(cell.south, point.y());
        cell.east = std::max(cell.east, point.x());
        cell.north = std::max(cell.north, point.y());
    }
    std::uint32_t start = 0;
    for (Cell &cell : m_cells) {
        cell.first = start;
        start += cell.end;
        cell.end = cell.first;
    }
    m_points.resize(points.size());
    m_places.resize(points.size());
    for (std::size_t place = 0; place < points.size(); ++place) {
        const std::uint32_t order = m_cells[cellOfPoint[place]].end++;
        m_points[order] = points[place];
        m_places[order] = place;
    }
}

std::size_t PointGrid::column(double x) const
{
    return cellOf(x, m_west, m_side, m_columns);
}

std::size_t PointGrid::row(double y) const
{
    return cellOf(y, m_south, m_side, m_rows);
}

} // namespace elements
