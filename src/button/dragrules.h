#pragma once

#include "common/ui/serverstate.h"

#include <QPoint>
#include <QPointF>
#include <QString>
#include <Qt>

#include <optional>

namespace pelorin {

// The floating button's four key pictures, numbered as the lamp routines know them.
enum class KeyFace { OnRaised = 1, OnPressed = 2, OffRaised = 3, OffPressed = 4 };

// The mouse pointer over the key: the system arrow, the hourglass while the server is being
// asked or switched, the grabbing hand while the button is dragged.
enum class KeyPointer { Default, Hourglass, Grab };

// What a click on the key asks the main window to do.
enum class PowerChoice { On, Off };

// The button's decisions, kept free of widgets so that they can be checked on their own. All
// coordinates are in twips.
namespace dragrules {

// The stored corner (x = left, y = top) when both texts are numbers of at least 0; otherwise
// nothing, and the button goes to the main window's corner instead.
std::optional<QPoint> storedButtonPosition(const QString& top, const QString& left);

// Where the window goes while dragged: it keeps the point that was pressed under the pointer.
// `mouse` and `dragStart` are in the key picture's own coordinates.
QPoint dragTarget(QPoint windowTopLeft, QPoint dragStart, QPointF mouse);

// A drag in any direction, even along one axis only, counts as moving the button; only a
// pointer that has not moved at all makes the release a click.
bool dragHasMoved(QPoint dragStart, QPointF mouse);

// The pressed-in face shown under a left button; nothing while the state is not known yet.
std::optional<KeyFace> pressedFace(LampFace lamp);

// The raised face that matches the lamp; nothing while the state is not known yet.
std::optional<KeyFace> releasedFace(LampFace lamp);

// A click toggles the server: a running server is switched off, a stopped one on.
struct ClickAction {
    KeyFace face;
    PowerChoice choice;
};
std::optional<ClickAction> clickAction(LampFace lamp);

// A release is a click only for the left button, with no command under way and no drag.
bool isPowerClick(Qt::MouseButton released, bool lampBlink, bool dragMoved);

KeyPointer pointerAfterRelease(bool lampBlink);

} // namespace dragrules
} // namespace pelorin
