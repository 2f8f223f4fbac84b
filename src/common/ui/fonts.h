#pragma once

#include <QFont>

namespace pelorin::ui {

// The face every window is laid out for: the Japanese UI Gothic, 9 pt unless told otherwise. On
// systems without the Japanese Windows fonts it is the nearest Japanese face.
QFont formFont(qreal pointSize = 9);

} // namespace pelorin::ui
