#include "view/FocusMapOverlay.h"

#include "platform/ImageBox.h"

#include <QEvent>
#include <QHelpEvent>
#include <QPainter>
#include <QToolTip>

namespace kelvaris {

FocusMapOverlay::FocusMapOverlay(ImageBox& overview, QWidget* cursor)
    : QWidget(overview.widget()->parentWidget()), m_overview(overview)
{
    setObjectName(QStringLiteral("focusMapOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    setGeometry(overview.widget()->geometry());
    stackUnder(cursor);
    overview.widget()->installEventFilter(this);
    hide();
}

QColor FocusMapOverlay::colourOf(TileTint tint)
{
    // From light to dark, so that the order reads without the hues, with
    // neither the red of the current shot nor the green of the reference;
    // light enough over the picture for it to stay readable.
    switch (tint) {
    case TileTint::Best:
        return QColor(255, 220, 0, 110); // yellow
    case TileTint::Near:
        return QColor(0, 160, 190, 95); // teal
    case TileTint::Short:
        return QColor(60, 20, 130, 80); // violet
    case TileTint::None:
        break;
    }
    return Qt::transparent;
}

void FocusMapOverlay::setTints(const TileGrid& grid, std::vector<TileTint> tints,
                               const Picture& shot)
{
    m_grid = grid;
    m_tints = std::move(tints);
    m_shot = shot;
    update();
}

void FocusMapOverlay::clearTints()
{
    m_grid = TileGrid();
    m_tints.clear();
    m_shot.reset();
    update();
}

bool FocusMapOverlay::showsTints() const
{
    const Picture& shown = m_overview.picture();
    return !m_tints.empty() && shown && m_shot.lock() == shown;
}

void FocusMapOverlay::paintEvent(QPaintEvent*)
{
    // A new shot's tints come with its map, a moment after its picture.
    if (!showsTints())
        return;
    QPainter painter(this);
    for (int t = 0; t < int(m_tints.size()); ++t) {
        if (m_tints[std::size_t(t)] != TileTint::None)
            painter.fillRect(m_grid.tileRectIn(t, size()), colourOf(m_tints[std::size_t(t)]));
    }
}

bool FocusMapOverlay::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_overview.widget())
        return false;
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
        setGeometry(m_overview.widget()->geometry());
        return false;
    case QEvent::ToolTip: {
        if (!isVisible() || !showsTints() || !describe)
            return false;
        const auto* help = static_cast<QHelpEvent*>(event);
        const int tile = m_grid.tileAt(help->pos(), size());
        const QString text = tile >= 0 ? describe(tile) : QString();
        if (text.isEmpty()) {
            QToolTip::hideText();
            return true;
        }
        // The tip stays while the pointer is on the same tile.
        QToolTip::showText(help->globalPos(), text, m_overview.widget(),
                           m_grid.tileRectIn(tile, size()));
        return true;
    }
    default:
        return false;
    }
}

} // namespace kelvaris
