#pragma once

#include <QMargins>
#include <QRect>
#include <QSize>

class QWidget;

namespace t8 {

// A window's client rectangle such that the window, its decorations (`frame`) included, lies
// inside `area`: shrunk to fit first, then moved in. At a high scale factor a window laid out
// for an ordinary screen is larger than the whole screen, its status bar out of reach.
[[nodiscard]] QRect FitIntoArea(const QRect& client, const QMargins& frame, const QRect& area);

// Gives a window that is not shown yet the size `wanted`, centred in the available area of its
// screen and fitted into it.
void PlaceOnScreen(QWidget& window, QSize wanted);

} // namespace t8
