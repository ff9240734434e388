#include "e2e/MainScreen.h"

#include "platform/Twips.h"

namespace kelvaris::e2e {

namespace {

QRect place(const QRect& container, double left, double top, double width, double height)
{
    return twipsToPixelRect(left, top, width, height).translated(container.topLeft());
}

} // namespace

MainScreen::MainScreen(const QRect& client) : m_client(client)
{
    LayoutInput in;
    // No window manager, no frame: the outer size is the client size.
    in.outerWidth = in.innerWidth = float(client.width() * twipsPerPixel());
    in.outerHeight = in.innerHeight = float(client.height() * twipsPerPixel());
    m_r = arrange(in).value_or(WindowArrangement{});
}

QRect MainScreen::startButton() const
{
    return place(commandes(), 180, 45, 645, 420);
}
QRect MainScreen::quitButton() const
{
    return place(commandes(), 2565, 45, 600, 375);
}
QRect MainScreen::directoryButton() const
{
    return place(repertoire(), m_r.repertoireButtonLeft, 45, 420, 285);
}
QRect MainScreen::refPane() const
{
    return place(fond(), 45, 45, m_r.S, m_r.S);
}
QRect MainScreen::lastPane() const
{
    return place(fond(), m_r.lastPaneLeft, 45, m_r.S, m_r.S);
}
QRect MainScreen::overview() const
{
    return place(fond(), m_r.overviewLeft, 45, m_r.overviewWidth, m_r.S);
}

QRect MainScreen::focusCurve() const
{
    InstrumentInput in;
    in.innerWidth = float(m_client.width() * twipsPerPixel());
    in.innerHeight = float(m_client.height() * twipsPerPixel());
    in.fond = {45, m_r.fondTop, m_r.fondWidth, m_r.fondHeight};
    const InstrumentArrangement r = arrangeInstrument(in);
    if (!r.curveVisible)
        return {};
    const QRect panel = place(m_client, r.panel.left, r.panel.top, r.panel.width, r.panel.height);
    return place(panel, r.curve.left, r.curve.top, r.curve.width, r.curve.height);
}

QRect MainScreen::repertoire() const
{
    return place(m_client, 45, 45, m_r.repertoireWidth, 465);
}
QRect MainScreen::commandes() const
{
    return place(m_client, m_r.commandesLeft, 45, 4110, 465);
}
QRect MainScreen::fond() const
{
    return place(m_client, 45, m_r.fondTop, m_r.fondWidth, m_r.fondHeight);
}

} // namespace kelvaris::e2e
