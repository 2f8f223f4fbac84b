#pragma once

#include <QFont>

namespace pelorin::ui {

// The face every window is laid out for (9 pt Japanese UI Gothic); the other families are the
// nearest faces on systems without the Japanese Windows fonts.
QFont formFont();

} // namespace pelorin::ui
