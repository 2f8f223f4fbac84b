#pragma once

#include <QIcon>
#include <QPixmap>

namespace pelorin {

// Every size a window icon is shown at (title bar, taskbar, task switcher).
QIcon programIcon();

// The icon at `size` logical pixels, sharp on screens with the given device pixel ratio.
QPixmap programPixmap(int size, qreal devicePixelRatio = 1.0);

// A PNG picture, read with its format named rather than guessed: guessing asks every image
// format plugin, which loads them all (and the SVG module with them), a millisecond and a
// third of a megabyte for pictures known to be PNG. Null when it cannot be read.
QPixmap pngPicture(const QString& path);

} // namespace pelorin
