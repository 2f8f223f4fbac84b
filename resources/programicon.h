#pragma once

#include <QIcon>
#include <QPixmap>

namespace pelorin {

// The program icon as drawn in the compiled-in SVG; rendered here rather than through Qt's SVG
// icon plugin, so windows get it even where that plugin is not deployed.
inline constexpr auto ProgramIconPath = ":/icons/pelorin.svg";

// The icon at `size` logical pixels, sharp on screens with the given device pixel ratio.
QPixmap programPixmap(int size, qreal devicePixelRatio = 1.0);

// Every size a window icon is shown at (title bar, taskbar, task switcher).
QIcon programIcon();

} // namespace pelorin
