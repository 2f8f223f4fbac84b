#pragma once

#include <QPoint>
#include <QRect>

namespace pelorin::twips {

// Window geometry is kept in twips, as in the settings file; 15 twips make one logical pixel
// (Qt scales logical pixels for high-DPI screens).
inline constexpr int PerPixel = 15;

constexpr int toPixels(int twips) {
    // Round half away from zero, so that -7 and 7 both stay 0 and 8 becomes 1.
    return twips >= 0 ? (twips + PerPixel / 2) / PerPixel : -((-twips + PerPixel / 2) / PerPixel);
}
constexpr int fromPixels(int pixels) {
    return pixels * PerPixel;
}

constexpr QRect rect(int left, int top, int width, int height) {
    return QRect(toPixels(left), toPixels(top), toPixels(width), toPixels(height));
}

} // namespace pelorin::twips
