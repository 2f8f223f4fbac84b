#pragma once

#include "button/dragrules.h"

#include <QCursor>
#include <QPixmap>
#include <QPoint>

// The floating button's pictures, painted when the program starts so that they stay sharp at
// any screen scale and need no image files.
namespace pelorin::keyfaces {

inline constexpr int FaceSize = 33;    // each key picture is FaceSize x FaceSize pixels
inline constexpr int TextureSize = 64; // the window's background tile
inline constexpr int CursorSize = 32;  // the grabbing hand
inline constexpr QPoint GrabHotSpot{16, 14};

// A key with a power symbol: orange while the server runs, grey while it is off; raised, or
// pressed in with its bevel turned round and the symbol moved one pixel down and right.
// `devicePixelRatio` paints more physical pixels for scaled screens; the logical size stays.
QPixmap keyFace(KeyFace face, qreal devicePixelRatio = 1.0);

// Light grey horizontal stripes, tiled behind the key.
QPixmap stripeTexture();

// A closed hand, shown while the button is being dragged.
QPixmap grabHand();
QCursor grabCursor();

} // namespace pelorin::keyfaces
