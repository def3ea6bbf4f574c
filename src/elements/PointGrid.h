#pragma once

#include <QPointF>
#include <QRectF>

#include <cstddef>
#include <cstdint>
#include <vector>

namespace elements {

// Points bucketed in square cells over their extent, about four to a cell, each cell with the box its
// points fill: the points near an area are found cell by cell, and a cell the area surely holds or
// misses is taken or left whole. The points are kept in the grid's order, cell after cell.
class PointGrid
{
public:
    PointGrid() = default;
    // The points must be finite.
    explicit PointGrid(const std::vector<QPointF> &points);

    [[nodiscard]] std::size_t size() const { return m_places.size(); }
    // The point at `order` in the grid, and its place among the points it was made of.
    [[nodiscard]] QPointF at(std::size_t order) const { return m_points[order]; }
    [[nodiscard]] std::size_t placeOf(std::size_t order) const { return m_places[order]; }

    // A cell: the points from `first` to before `end` in the grid's order, and their box (edges
    // included: a point on its edge is one of them).
    struct Cell
    {
        std::uint32_t first = 0;
        std::uint32_t end = 0;
        double west = 0.0;
        double south = 0.0;
        double east = 0.0;
        double north = 0.0;
    };
    // The cells that may hold a point of `box` (its edges included), in the grid's order.
    template <typename Visit> void forEachCellMeeting(const QRectF &box, Visit &&visit) const
    {
        if (m_cells.empty())
            return;
        const std::size_t fromColumn = column(box.left());
        const std::size_t toColumn = column(box.right());
        const std::size_t toRow = row(box.bottom());
        for (std::size_t cellRow = row(box.top()); cellRow <= toRow; ++cellRow) {
            for (std::size_t cellColumn = fromColumn; cellColumn <= toColumn; ++cellColumn) {
                const Cell &cell = m_cells[cellRow * m_columns + cellColumn];
                if (cell.first != cell.end && cell.west <= box.right() && cell.east >= box.left()
                    && cell.south <= box.bottom() && cell.north >= box.top())
                    visit(cell);
            }
        }
    }

private:
    // A point's column and row (clamped to the grid): never less for a greater coordinate, so that a
    // box's first and last cover every point within it.
    [[nodiscard]] std::size_t column(double x) const;
    [[nodiscard]] std::size_t row(double y) const;

    double m_west = 0.0;
    double m_south = 0.0;
    double m_side = 1.0;
    std::size_t m_columns = 0;
    std::size_t m_rows = 0;
    std::vector<Cell> m_cells; // row by row, from the south-west
    std::vector<QPointF> m_points; // in the grid's order
    std::vector<std::size_t> m_places;
};

} // namespace elements
