#include "focus/TileGrid.h"

#include <algorithm>
#include <cmath>

namespace kelvaris {

namespace {

// Where boundary `i` of `n` parts lies along `length`: whole pixels, so that
// tiles share a length out exactly.
int edge(int i, int n, int length)
{
    return int(qint64(i) * length / n);
}

// The part of `n` along `length` that holds `at`, -1 outside: the last
// part whose first pixel is at or before it (parts may be empty when
// `length` is less than `n`).
int partAt(double at, int n, int length)
{
    if (!(at >= 0) || at >= length)
        return -1;
    const qint64 pixel = qint64(at);
    return int(((pixel + 1) * n + length - 1) / length) - 1;
}

} // namespace

TileGrid TileGrid::forPicture(QSize picture)
{
    TileGrid grid;
    if (picture.isEmpty())
        return grid;
    grid.m_picture = picture;
    const double longer = std::max(picture.width(), picture.height());
    const auto along = [longer](int side) {
        return std::clamp(int(std::lround(LongSide * side / longer)), 1, LongSide);
    };
    grid.m_columns = along(picture.width());
    grid.m_rows = along(picture.height());
    return grid;
}

QRect TileGrid::tileRectIn(int index, QSize area) const
{
    if (index < 0 || index >= count())
        return {};
    const int column = index % m_columns;
    const int row = index / m_columns;
    const int left = edge(column, m_columns, area.width());
    const int top = edge(row, m_rows, area.height());
    return QRect(QPoint(left, top), QPoint(edge(column + 1, m_columns, area.width()) - 1,
                                           edge(row + 1, m_rows, area.height()) - 1));
}

int TileGrid::tileAt(QPointF point, QSize area) const
{
    if (isEmpty())
        return -1;
    const int column = partAt(point.x(), m_columns, area.width());
    const int row = partAt(point.y(), m_rows, area.height());
    return column < 0 || row < 0 ? -1 : row * m_columns + column;
}

std::vector<int> TileGrid::tilesTouching(const QRectF& crop) const
{
    std::vector<int> tiles;
    const QRectF part = crop.intersected(QRectF(QPointF(0, 0), QSizeF(m_picture)));
    if (isEmpty() || part.isEmpty())
        return tiles;
    // The last pixel the crop touches, not the edge after it.
    const QPointF last(std::nextafter(part.right(), part.left()),
                       std::nextafter(part.bottom(), part.top()));
    const int left = tileAt(part.topLeft(), m_picture) % m_columns;
    const int top = tileAt(part.topLeft(), m_picture) / m_columns;
    const int right = tileAt(last, m_picture) % m_columns;
    const int bottom = tileAt(last, m_picture) / m_columns;
    for (int row = top; row <= bottom; ++row)
        for (int column = left; column <= right; ++column)
            tiles.push_back(row * m_columns + column);
    return tiles;
}

} // namespace kelvaris
