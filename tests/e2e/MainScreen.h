#pragma once

#include "app/InstrumentLayout.h"
#include "app/Layout.h"

#include <QRect>

namespace kelvaris::e2e {

// Where the main window's controls lie on the screen for a client area at
// `client`: the program's own layout, plus the design positions of the
// controls that the layout never moves. Each control is placed in pixels
// within its container, as the program places it.
class MainScreen
{
public:
    explicit MainScreen(const QRect& client);

    QRect startButton() const;
    QRect quitButton() const;
    QRect directoryButton() const;
    QRect refPane() const;
    QRect lastPane() const;
    QRect overview() const;
    // The focus curve under the comparison view; null where there is no room.
    QRect focusCurve() const;

private:
    QRect repertoire() const;
    QRect commandes() const;
    QRect fond() const;

    QRect m_client;
    WindowArrangement m_r;
};

} // namespace kelvaris::e2e
