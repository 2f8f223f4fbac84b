#include "button/dragrules.h"

#include "common/ui/windowpos.h"

#include <cmath>

namespace pelorin::dragrules {

namespace {

std::optional<int> nonNegativeTwips(const QString& text) {
    double value = 0;
    if (!ui::parseTwips(text, &value) || value < 0)
        return std::nullopt;
    return static_cast<int>(std::lround(value));
}

} // namespace

std::optional<QPoint> storedButtonPosition(const QString& top, const QString& left) {
    const auto y = nonNegativeTwips(top);
    const auto x = nonNegativeTwips(left);
    if (!x || !y)
        return std::nullopt;
    return QPoint(*x, *y);
}

QPoint dragTarget(QPoint windowTopLeft, QPoint dragStart, QPointF mouse) {
    const QPointF target = QPointF(windowTopLeft - dragStart) + mouse;
    return QPoint(static_cast<int>(std::lround(target.x())),
                  static_cast<int>(std::lround(target.y())));
}

bool dragHasMoved(QPoint dragStart, QPointF mouse) {
    return dragStart.x() - mouse.x() != 0 || dragStart.y() - mouse.y() != 0;
}

std::optional<KeyFace> pressedFace(LampFace lamp) {
    switch (lamp) {
    case LampFace::On:
        return KeyFace::OnPressed;
    case LampFace::Off:
        return KeyFace::OffPressed;
    case LampFace::None:
        break;
    }
    return std::nullopt;
}

std::optional<KeyFace> releasedFace(LampFace lamp) {
    switch (lamp) {
    case LampFace::On:
        return KeyFace::OnRaised;
    case LampFace::Off:
        return KeyFace::OffRaised;
    case LampFace::None:
        break;
    }
    return std::nullopt;
}

std::optional<ClickAction> clickAction(LampFace lamp) {
    switch (lamp) {
    case LampFace::On:
        return ClickAction{KeyFace::OnRaised, PowerChoice::Off};
    case LampFace::Off:
        return ClickAction{KeyFace::OffRaised, PowerChoice::On};
    case LampFace::None:
        break;
    }
    return std::nullopt;
}

bool isPowerClick(Qt::MouseButton released, bool lampBlink, bool dragMoved) {
    return released == Qt::LeftButton && !lampBlink && !dragMoved;
}

KeyPointer pointerAfterRelease(bool lampBlink) {
    return lampBlink ? KeyPointer::Hourglass : KeyPointer::Default;
}

} // namespace pelorin::dragrules
