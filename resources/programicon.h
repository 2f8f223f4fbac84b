#pragma once

#include <QIcon>
#include <QPixmap>

namespace pelorin {

// Every size a window icon is shown at (title bar, taskbar, task switcher).
QIcon programIcon();

// The icon at `size` logical pixels, sharp on screens with the given device pixel ratio.
QPixmap programPixmap(int size, qreal devicePixelRatio = 1.0);

} // namespace pelorin
