#pragma once

#include "rules/settingnames.h"

#include <QList>
#include <QPoint>
#include <QRect>
#include <QString>

#include <optional>

class QWidget;

namespace pelorin::ui {

// Where a window is, or for one not placed yet, where it would appear centred on its screen.
QPoint placedPosition(const QWidget& window);

// Where a window whose rectangle shows less than half on every one of `screens` (another monitor
// unplugged, another scale factor) goes instead: onto the screen nearest to it, no further in than
// needed. Nothing when it is reachable where it is: then it stays exactly there.
std::optional<QPoint> reachablePosition(const QRect& window, const QList<QRect>& screens);

// Moves a window placed from stored coordinates back onto the screens if it is mostly off them.
void keepReachable(QWidget& window);

// A window's outer top-left corner, in twips.
int windowTopTwips(const QWidget& window);
int windowLeftTwips(const QWidget& window);
void moveWindowTwips(QWidget& window, int left, int top);

// Restores a stored position: each coordinate is applied on its own, and only when it is a
// number greater than 0; anything else leaves the window where the system placed it. With only
// one usable coordinate, that one is applied once the window has shown and been placed.
void restoreWindowPosition(QWidget& window, Window which);

// Stores the position (top first, then left) only when both coordinates are greater than 0, so
// a window pushed past the screen's top or left edge keeps the last good position.
void saveWindowPosition(const QWidget& window, Window which);

// A stored coordinate as a number, when it is one.
bool parseTwips(const QString& text, double* value);

} // namespace pelorin::ui
