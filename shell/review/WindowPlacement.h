// Where a companion window (the comparison list) goes beside the main window: on a screen with
// room, right of the main window, else below, left or above it; on a screen without room, against
// the screen's edge where it covers the least of the main window. Always inside the screen's
// available area, shrunk to it if larger.
#pragma once

#include <QRect>
#include <QSize>

namespace vornak {

// available: the screen's area for windows; main: the main window's frame; size: the companion's
// frame size. Returns the companion's frame rectangle.
QRect companionWindowPlace(const QRect& available, const QRect& main, const QSize& size);

} // namespace vornak
