#pragma once

#include "focus/FocusMap.h"
#include "platform/Picture.h"

#include <QWidget>

#include <functional>
#include <memory>

namespace kelvaris {

class ImageBox;

// The focus map drawn over the overview: each tile of the current shot
// tinted by how close it comes to the sharpest that tile was in the
// session, the tiles with too little detail left as they are. It lies
// over the overview and under the crop cursors, which stay visible above
// it, follows the overview's place and size, and takes no mouse event:
// pressing and dragging on it is pressing and dragging on the overview.
// Hovering a tile tells what `describe` says of it.
class FocusMapOverlay : public QWidget
{
public:
    // Over `overview`, stacked under `cursor` (the lower of the two).
    FocusMapOverlay(ImageBox& overview, QWidget* cursor);

    // The tints of `shot`, shown while the overview shows that shot.
    void setTints(const TileGrid& grid, std::vector<TileTint> tints, const Picture& shot);
    void clearTints();
    const std::vector<TileTint>& tints() const { return m_tints; }
    const TileGrid& grid() const { return m_grid; }
    // Whether the tints are those of the overview's present shot.
    bool showsTints() const;

    // What hovering tile `tile` tells; nothing when empty.
    std::function<QString(int tile)> describe;

    // The colour of each tint, its alpha included.
    static QColor colourOf(TileTint tint);

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    ImageBox& m_overview;
    TileGrid m_grid;
    std::vector<TileTint> m_tints;
    std::weak_ptr<const QImage> m_shot;
};

} // namespace kelvaris
