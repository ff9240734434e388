#pragma once

#include <QPointF>
#include <QRect>
#include <QSize>

#include <vector>

namespace kelvaris {

// The tiles of the focus map: a grid over the whole frame, LongSide tiles
// along its longer side and as many along the shorter one as keep them
// nearly square (24 x 16 for a 3:2 shot, 24 x 18 for 4:3, 16 x 24 upright).
// The grid is a fraction of the frame, not a number of pixels: the same
// tile is the same part of the frame in the picture (tileRect) and on the
// overview, which stretches the picture to its own size (tileRectIn). A
// 24-megapixel shot has tiles of 250 pixels, two across the current pane's
// 450-pixel crop in a large window; on the overview at the design size they
// are 12 pixels wide, enough to tell where the sharp band lies without
// hiding the picture under a mosaic.
class TileGrid
{
public:
    static constexpr int LongSide = 24;

    TileGrid() = default;
    static TileGrid forPicture(QSize picture);

    bool isEmpty() const { return m_columns == 0; }
    int columns() const { return m_columns; }
    int rows() const { return m_rows; }
    int count() const { return m_columns * m_rows; }
    QSize pictureSize() const { return m_picture; }

    // Tile `index` (row by row) in picture pixels; the tiles share the
    // picture out without gap or overlap.
    QRect tileRect(int index) const { return tileRectIn(index, m_picture); }
    // The same tile in a rectangle of `area` that shows the whole picture.
    QRect tileRectIn(int index, QSize area) const;
    // The tile under `point` of such a rectangle; -1 outside it.
    int tileAt(QPointF point, QSize area) const;
    // The tiles that `crop` (picture pixels) touches, row by row.
    std::vector<int> tilesTouching(const QRectF& crop) const;

    bool operator==(const TileGrid& other) const = default;

private:
    QSize m_picture;
    int m_columns = 0;
    int m_rows = 0;
};

} // namespace kelvaris
